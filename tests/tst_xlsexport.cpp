// "Excel Kaydet": workbooks written by the program, read back by independent readers (xlrd and
// LibreOffice), the save dialog's answers and failed writes.

#include "app/spreadsheetexport.h"
#include "app/velungrid.h"
#include "server/dataset.h"
#include "app/xlsworkbook.h"
#include "tests/support/guitest.h"

#include <QDir>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QtEndian>

#include <cmath>
#include <csignal>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

using namespace velun;

namespace {

const QString kTurkish = QStringLiteral("İĞÜŞÖÇ ığüşöç");

QString readerScript()
{
    return QStringLiteral(VELUN_SOURCE_DIR "/tests/tools/readxls.py");
}

// The Debian python has python3-xlrd; a python of its own earlier on PATH may not.
QString pythonWithXlrd()
{
    for (const QString& candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess p;
        p.start(candidate, {QStringLiteral("-c"), QStringLiteral("import xlrd")});
        if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            return candidate;
    }
    return {};
}

// Each sheet: {"name", "nrows", "ncols", "rows": [[{"t": type, "v": value, "f": format}]]}.
QJsonArray readSheets(const QString& python, const QString& path, const QStringList& extra = {})
{
    QProcess p;
    p.start(python, QStringList{readerScript(), path} + extra);
    if (!p.waitForFinished(240000) || p.exitCode() != 0) {
        qWarning("%s", p.readAllStandardError().constData());
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object().value(u"sheets").toArray();
}

QJsonObject cellAt(const QJsonArray& sheets, int sheet, int row, int col)
{
    const QJsonArray cells = sheets.at(sheet).toObject().value(u"rows").toArray().at(row).toArray();
    return col < cells.size() ? cells.at(col).toObject() : QJsonObject{{u"t"_qs, u"blank"_qs}};
}

QDateTime wallClock(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

// Answers save dialogs while it lives; records what they were asked.
class SaveDialogAnswer
{
public:
    explicit SaveDialogAnswer(std::optional<QString> answer)
    {
        m_previous = setSaveDialogHook([this, answer](const SaveDialogRequest& r) {
            requests.append(r);
            return answer;
        });
    }
    ~SaveDialogAnswer() { setSaveDialogHook(m_previous); }
    SaveDialogAnswer(const SaveDialogAnswer&) = delete;
    SaveDialogAnswer& operator=(const SaveDialogAnswer&) = delete;

    QList<SaveDialogRequest> requests;

private:
    SaveDialogHook m_previous;
};

// Writes beyond `bytes` fail while it lives (also for root, whom folder permissions do not stop).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

QStandardItemModel* smallGrid(QObject* parent)
{
    auto* model = new QStandardItemModel(0, 4, parent);
    model->setHorizontalHeaderLabels({u"Kod"_qs, u"Gizli"_qs, u"Adı"_qs, u"Fiyat"_qs});
    for (int r = 0; r < 3; ++r) {
        QList<QStandardItem*> items;
        for (const QVariant& v : {QVariant(r + 1), QVariant(u"x"_qs), QVariant(kTurkish), QVariant(10.5 * (r + 1))}) {
            auto* item = new QStandardItem;
            item->setData(v, Qt::EditRole);
            items.append(item);
        }
        model->appendRow(items);
    }
    return model;
}

} // namespace

class TestXlsExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void typedCells_data();
    void typedCells();
    void exportsTheGridsView();
    void exportsAVelunGridAsTheUserSeesIt();
    void tenThousandRecords();
    void recordsBeyondOneSheetGoOnOverFurtherSheets();
    void largeStreamNeedsDifatSectors();
    void libreOfficeReadsTheWorkbook();
    void moreColumnsThanASheetHoldsAreRefused();

    void chosenNameGetsXlsExtension_data();
    void chosenNameGetsXlsExtension();
    void cancelWritesNothing();
    void failedWriteKeepsTheOlderFile_data();
    void failedWriteKeepsTheOlderFile();

private:
    QString m_python;
    QTemporaryDir m_dir;
    QJsonArray m_typed;
};

void TestXlsExport::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_python = pythonWithXlrd();
}

// One column per case: caption, column type, the value written, and what a reader sees.
struct TypedCase
{
    const char* tag;
    FieldType type;
    QVariant value;
    QString kind;
    QVariant expected;
    QString format; // empty: not checked
};

static QList<TypedCase> typedCases()
{
    return {
        {"int", FieldType::Int32, 42, u"number"_qs, 42.0, {}},
        {"negative int", FieldType::Int32, -7, u"number"_qs, -7.0, {}},
        {"int beyond RK", FieldType::Int64, qlonglong(10000000000LL), u"number"_qs, 1e10, {}},
        {"int just beyond 30 bits", FieldType::Int64, qlonglong(1) << 29, u"number"_qs, double(1 << 29), {}},
        {"double", FieldType::Double, 1234.5678, u"number"_qs, 1234.5678, u"#,##0.00"_qs},
        {"double not finite", FieldType::Double, std::numeric_limits<double>::quiet_NaN(), u"error"_qs, {}, {}},
        {"turkish text", FieldType::Text, kTurkish, u"text"_qs, kTurkish, {}},
        {"latin text", FieldType::Text, u"FREN BALATASI ÖN"_qs, u"text"_qs, u"FREN BALATASI ÖN"_qs, {}},
        {"text beyond the cell limit", FieldType::Text, QString(40000, u'ş'), u"text"_qs,
         QString(kXlsMaxTextLength, u'ş'), {}},
        {"empty text", FieldType::Text, QString(), u"blank"_qs, {}, {}},
        {"null", FieldType::Int32, QVariant(), u"blank"_qs, {}, {}},
        {"true", FieldType::Boolean, true, u"bool"_qs, true, {}},
        {"false", FieldType::Boolean, false, u"bool"_qs, false, {}},
        {"date", FieldType::DateTime, wallClock(2026, 3, 15), u"date"_qs, u"2026-03-15 00:00:00"_qs, u"dd.mm.yyyy"_qs},
        {"date and time", FieldType::DateTime, wallClock(2026, 3, 15, 14, 35, 20), u"date"_qs,
         u"2026-03-15 14:35:20"_qs, u"dd.mm.yyyy hh:mm"_qs},
        {"local date", FieldType::DateTime, QDateTime(QDate(2025, 12, 31), QTime(23, 59)), u"date"_qs,
         u"2025-12-31 23:59:00"_qs, {}},
        {"date before serial numbers", FieldType::DateTime, wallClock(1899, 12, 31), u"text"_qs,
         u"31.12.1899 00:00"_qs, {}},
        {"null date", FieldType::DateTime, QDateTime(), u"blank"_qs, {}, {}},
        {"text in int column", FieldType::Int32, u"abc"_qs, u"text"_qs, u"abc"_qs, {}},
        {"blob", FieldType::Blob, QByteArray("\x01\x02", 2), u"blank"_qs, {}, {}},
    };
}

void TestXlsExport::typedCells_data()
{
    if (m_python.isEmpty())
        QSKIP("python3-xlrd is not installed (Debian package python3-xlrd)");
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<QString>("format");

    const QList<TypedCase> cases = typedCases();
    if (m_typed.isEmpty()) {
        QList<XlsColumn> columns;
        for (const TypedCase& c : cases)
            columns.append({QString::fromUtf8(c.tag), c.type});
        const QString path = m_dir.filePath(u"typed.xls"_qs);
        QVERIFY(writeXlsWorkbook(path, columns, 1, [&](qsizetype, std::vector<QVariant>& cells) {
            for (qsizetype i = 0; i < cases.size(); ++i)
                cells[size_t(i)] = cases[i].value;
        }));
        m_typed = readSheets(m_python, path, {u"--formats"_qs});
        QCOMPARE(m_typed.size(), 1);
    }
    for (int i = 0; i < cases.size(); ++i)
        QTest::newRow(cases[i].tag) << i << cases[i].kind << cases[i].expected << cases[i].format;
}

void TestXlsExport::typedCells()
{
    QFETCH(int, col);
    QFETCH(QString, kind);
    QFETCH(QVariant, expected);
    QFETCH(QString, format);

    QCOMPARE(cellAt(m_typed, 0, 0, col).value(u"v").toString(), QString::fromUtf8(QTest::currentDataTag()));
    const QJsonObject cell = cellAt(m_typed, 0, 1, col);
    QCOMPARE(cell.value(u"t").toString(), kind);
    if (expected.isValid())
        QCOMPARE(cell.value(u"v").toVariant(), expected);
    if (!format.isEmpty())
        QCOMPARE(cell.value(u"f").toString(), format);
}

void TestXlsExport::exportsTheGridsView()
{
    if (m_python.isEmpty())
        QSKIP("python3-xlrd is not installed (Debian package python3-xlrd)");
    // Shown columns in the grid's order; a grouped row stands for its records.
    QStandardItemModel* model = smallGrid(this);
    auto* group = new QStandardItem(u"Grup"_qs);
    for (int r = 0; r < 2; ++r) {
        QList<QStandardItem*> items;
        for (const QVariant& v : {QVariant(100 + r), QVariant(), QVariant(u"Grup satırı %1"_qs.arg(r)), QVariant(1.25)}) {
            auto* item = new QStandardItem;
            item->setData(v, Qt::EditRole);
            items.append(item);
        }
        group->appendRow(items);
    }
    model->appendRow(group);

    GridExportView view;
    view.model = model;
    view.columns = {{u"Adı"_qs, FieldType::Text, 2}, {u"Stok Kodu"_qs, FieldType::Int32, 0},
                    {u"Fiyat"_qs, FieldType::Double, 3}};
    const QString chosen = m_dir.filePath(u"gorunum.xlsx"_qs);
    SaveDialogAnswer answer(chosen);
    QFileDialog dialog;
    ExportGridToSpreadsheet(dialog, view);

    const QJsonArray sheets = readSheets(m_python, m_dir.filePath(u"gorunum.xls"_qs));
    QCOMPARE(sheets.size(), 1);
    QCOMPARE(sheets.at(0).toObject().value(u"name").toString(), u"Sayfa1"_qs);
    QCOMPARE(sheets.at(0).toObject().value(u"nrows").toInt(), 6);
    QCOMPARE(sheets.at(0).toObject().value(u"ncols").toInt(), 3);
    QCOMPARE(cellAt(sheets, 0, 0, 0).value(u"v").toString(), u"Adı"_qs);
    QCOMPARE(cellAt(sheets, 0, 0, 1).value(u"v").toString(), u"Stok Kodu"_qs);
    QCOMPARE(cellAt(sheets, 0, 1, 0).value(u"v").toString(), kTurkish);
    QCOMPARE(cellAt(sheets, 0, 3, 1).value(u"v").toDouble(), 3.0);
    QCOMPARE(cellAt(sheets, 0, 3, 2).value(u"v").toDouble(), 31.5);
    QCOMPARE(cellAt(sheets, 0, 5, 0).value(u"v").toString(), u"Grup satırı 1"_qs);
    QCOMPARE(cellAt(sheets, 0, 5, 1).value(u"v").toDouble(), 101.0);
}

void TestXlsExport::exportsAVelunGridAsTheUserSeesIt()
{
    if (m_python.isEmpty())
        QSKIP("python3-xlrd is not installed (Debian package python3-xlrd)");
    MemDataset stok;
    stok.setColumns({{u"STOKNO"_qs, FieldType::Int32}, {u"GIZLI"_qs, FieldType::Text}, {u"ADI"_qs, FieldType::Text},
                     {u"FIYAT"_qs, FieldType::Double}, {u"TARIH"_qs, FieldType::DateTime}});
    const QStringList names{u"FREN BALATASI"_qs, u"YAĞ FİLTRESİ"_qs, u"FREN BALATASI"_qs};
    for (int r = 0; r < 3; ++r)
        stok.appendRow({r + 1, u"x"_qs, names[r], 10.25 * (r + 1), wallClock(2026, 12, 1 + r)});
    VelunGrid grid;
    std::vector<GridColumn> columns(6);
    columns[0].field = u"FIYAT"_qs;
    columns[0].caption = u"Fiyat"_qs;
    columns[1].field = u"STOKNO"_qs;
    columns[1].caption = u"Stok No"_qs;
    columns[2].field = u"GIZLI"_qs;
    columns[2].state = ColumnState::Offered; // hidden: not exported
    columns[3].caption = u"Fiyat Bilgisi"_qs; // drawn by the grid, no value of its own
    columns[3].kind = CellKind::Custom;
    columns[4].field = u"ADI"_qs;
    columns[4].caption = u"Açıklama"_qs;
    columns[5].field = u"TARIH"_qs;
    grid.setColumns(columns);
    grid.setDataset(&stok);
    grid.setColumnFilter(u"ADI", {u"FREN BALATASI"_qs});

    SaveDialogAnswer answer(m_dir.filePath(u"izgara.xlsx"_qs));
    QFileDialog dialog;
    ExportGridToSpreadsheet(dialog, grid);

    const QJsonArray sheets = readSheets(m_python, m_dir.filePath(u"izgara.xls"_qs));
    QCOMPARE(sheets.size(), 1);
    QCOMPARE(sheets.at(0).toObject().value(u"nrows").toInt(), 3); // captions + the two rows the filter lets through
    QCOMPARE(sheets.at(0).toObject().value(u"ncols").toInt(), 4);
    const QStringList captions{u"Fiyat"_qs, u"Stok No"_qs, u"Açıklama"_qs, u"TARIH"_qs};
    for (int c = 0; c < captions.size(); ++c)
        QCOMPARE(cellAt(sheets, 0, 0, c).value(u"v").toString(), captions[c]);
    QCOMPARE(cellAt(sheets, 0, 1, 0).value(u"v").toDouble(), 10.25);
    QCOMPARE(cellAt(sheets, 0, 2, 1).value(u"v").toDouble(), 3.0);
    QCOMPARE(cellAt(sheets, 0, 2, 2).value(u"v").toString(), u"FREN BALATASI"_qs);
    QCOMPARE(cellAt(sheets, 0, 2, 3).value(u"t").toString(), u"date"_qs);
}

void TestXlsExport::tenThousandRecords()
{
    if (m_python.isEmpty())
        QSKIP("python3-xlrd is not installed (Debian package python3-xlrd)");
    // Distinct strings fill the shared string table over many CONTINUE records; the long ones
    // split inside their characters, in one-byte and in two-byte form.
    const QString longTurkish = u"ığüşöç"_qs.repeated(3000);
    const QString longLatin = u"Ölçü "_qs.repeated(5000);
    const QList<XlsColumn> columns{{u"No"_qs, FieldType::Int32}, {u"Açıklama"_qs, FieldType::Text},
                                   {u"Tutar"_qs, FieldType::Double}, {u"Tarih"_qs, FieldType::DateTime},
                                   {u"Seçili"_qs, FieldType::Boolean}};
    const int records = 10000;
    const QString path = m_dir.filePath(u"onbin.xls"_qs);
    QVERIFY(writeXlsWorkbook(path, columns, records, [&](qsizetype i, std::vector<QVariant>& cells) {
        const int n = int(i);
        cells[0] = n;
        cells[1] = n == 5000 ? longTurkish : n == 7000 ? longLatin : u"Parça %1 %2"_qs.arg(n).arg(kTurkish);
        cells[2] = n * 0.25;
        cells[3] = wallClock(2026, 1, 1).addDays(n % 365).addSecs(n);
        cells[4] = n % 3 == 0;
    }));

    const QJsonArray sheets = readSheets(m_python, path);
    QCOMPARE(sheets.size(), 1);
    const QJsonArray rows = sheets.at(0).toObject().value(u"rows").toArray();
    QCOMPARE(rows.size(), records + 1);
    for (int n = 0; n < records; ++n) {
        const QJsonArray row = rows.at(n + 1).toArray();
        const QString text = n == 5000 ? longTurkish : n == 7000 ? longLatin : u"Parça %1 %2"_qs.arg(n).arg(kTurkish);
        QCOMPARE(row.at(0).toObject().value(u"v").toDouble(), double(n));
        QCOMPARE(row.at(1).toObject().value(u"v").toString(), text);
        QCOMPARE(row.at(2).toObject().value(u"v").toDouble(), n * 0.25);
        QCOMPARE(row.at(3).toObject().value(u"v").toString(),
                 wallClock(2026, 1, 1).addDays(n % 365).addSecs(n).toString(u"yyyy-MM-dd hh:mm:ss"));
        QCOMPARE(row.at(4).toObject().value(u"v").toBool(), n % 3 == 0);
    }
}

void TestXlsExport::recordsBeyondOneSheetGoOnOverFurtherSheets()
{
    if (m_python.isEmpty())
        QSKIP("python3-xlrd is not installed (Debian package python3-xlrd)");
    const qsizetype records = 2 * kXlsRecordsPerSheet + 10;
    const QString path = m_dir.filePath(u"uzun.xls"_qs);
    QVERIFY(writeXlsWorkbook(path, {{u"Sıra"_qs, FieldType::Int32}, {u"Kod"_qs, FieldType::Text}}, records,
                             [](qsizetype i, std::vector<QVariant>& cells) {
                                 cells[0] = int(i);
                                 cells[1] = u"K%1"_qs.arg(i);
                             }));

    const QJsonArray sheets = readSheets(m_python, path);
    QCOMPARE(sheets.size(), 3);
    qsizetype next = 0;
    for (int s = 0; s < sheets.size(); ++s) {
        const QJsonObject sheet = sheets.at(s).toObject();
        QCOMPARE(sheet.value(u"name").toString(), xlsSheetName(s));
        QCOMPARE(sheet.value(u"nrows").toInt(), s < 2 ? int(kXlsRowsPerSheet) : 11);
        const QJsonArray rows = sheet.value(u"rows").toArray();
        QCOMPARE(rows.at(0).toArray().at(0).toObject().value(u"v").toString(), u"Sıra"_qs);
        QCOMPARE(rows.at(0).toArray().at(1).toObject().value(u"v").toString(), u"Kod"_qs);
        for (qsizetype r = 1; r < rows.size(); ++r, ++next) {
            const QJsonArray row = rows.at(r).toArray();
            QCOMPARE(row.at(0).toObject().value(u"v").toDouble(), double(next));
            QCOMPARE(row.at(1).toObject().value(u"v").toString(), u"K%1"_qs.arg(next));
        }
    }
    QCOMPARE(next, records);
}

void TestXlsExport::largeStreamNeedsDifatSectors()
{
    if (m_python.isEmpty())
        QSKIP("python3-xlrd is not installed (Debian package python3-xlrd)");
    // More than 109 FAT sectors (about 7 MB): the header's FAT list goes on in DIFAT sectors.
    const int records = 2000;
    const auto textOf = [](int n) { return u"%1 "_qs.arg(n, 6, 10, QChar(u'0')).repeated(600); };
    const QString path = m_dir.filePath(u"buyuk.xls"_qs);
    QVERIFY(writeXlsWorkbook(path, {{u"Metin"_qs, FieldType::Text}}, records,
                             [&](qsizetype i, std::vector<QVariant>& cells) { cells[0] = textOf(int(i)); }));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(512);
    const auto le32 = [&](int at) { return qFromLittleEndian<quint32>(header.constData() + at); };
    QVERIFY2(le32(0x2C) > 109, "expected more FAT sectors than the header lists");
    QCOMPARE(le32(0x48), (le32(0x2C) - 109 + 126) / 127);

    const QJsonArray sheets = readSheets(m_python, path);
    QCOMPARE(sheets.size(), 1);
    const QJsonArray rows = sheets.at(0).toObject().value(u"rows").toArray();
    QCOMPARE(rows.size(), records + 1);
    for (int n = 0; n < records; ++n)
        QCOMPARE(rows.at(n + 1).toArray().at(0).toObject().value(u"v").toString(), textOf(n));
}

void TestXlsExport::libreOfficeReadsTheWorkbook()
{
    const QString soffice = QStandardPaths::findExecutable(u"soffice"_qs);
    if (soffice.isEmpty())
        QSKIP("soffice is not installed (Debian package libreoffice-calc-nogui)");
    const QString path = m_dir.filePath(u"libre.xls"_qs);
    const QList<XlsColumn> columns{{u"Kod"_qs, FieldType::Int32}, {u"Adı"_qs, FieldType::Text},
                                   {u"Miktar"_qs, FieldType::Double}, {u"Tarih"_qs, FieldType::DateTime},
                                   {u"Seçili"_qs, FieldType::Boolean}};
    QVERIFY(writeXlsWorkbook(path, columns, 3, [](qsizetype i, std::vector<QVariant>& cells) {
        cells[0] = int(i + 1);
        cells[1] = i == 1 ? QVariant() : QVariant(u"%1 %2"_qs.arg(kTurkish).arg(i));
        cells[2] = 1234.5 * double(i + 1);
        cells[3] = wallClock(2026, 3, 15 + int(i));
        cells[4] = i != 1;
    }));

    QTemporaryDir out;
    QTemporaryDir profile;
    QVERIFY(out.isValid() && profile.isValid());
    QProcess p;
    p.setWorkingDirectory(out.path());
    p.start(soffice, {u"-env:UserInstallation="_qs + QUrl::fromLocalFile(profile.path()).toString(), u"--headless"_qs,
                      u"--convert-to"_qs, u"csv:Text - txt - csv (StarCalc):44,34,76,1"_qs, u"--outdir"_qs, out.path(), path});
    QVERIFY2(p.waitForFinished(240000), "soffice did not finish");
    QCOMPARE(p.exitCode(), 0);
    QFile csv(QDir(out.path()).filePath(u"libre.csv"_qs));
    QVERIFY2(csv.open(QIODevice::ReadOnly), qPrintable(QString::fromUtf8(p.readAllStandardError())));
    const QStringList lines = QString::fromUtf8(csv.readAll()).split(u'\n', Qt::SkipEmptyParts);
    // Text cells come quoted, numbers bare, dates in the workbook's date format; Calc keeps a Boolean
    // cell as the number 1 or 0 in its standard format.
    const QStringList expected{
        u"\"Kod\",\"Adı\",\"Miktar\",\"Tarih\",\"Seçili\""_qs,
        u"1,\"%1 0\",\"1,234.50\",15.03.2026,1"_qs.arg(kTurkish),
        u"2,,\"2,469.00\",16.03.2026,0"_qs,
        u"3,\"%1 2\",\"3,703.50\",17.03.2026,1"_qs.arg(kTurkish),
    };
    QCOMPARE(lines.size(), expected.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        QCOMPARE(lines[i], expected[i]);
}

void TestXlsExport::moreColumnsThanASheetHoldsAreRefused()
{
    QList<XlsColumn> columns;
    for (int c = 0; c <= kXlsMaxColumns; ++c)
        columns.append({u"K%1"_qs.arg(c), FieldType::Int32});
    const QString path = m_dir.filePath(u"genis.xls"_qs);
    QString error;
    QVERIFY(!writeXlsWorkbook(path, columns, 1, [](qsizetype, std::vector<QVariant>&) {}, &error));
    QVERIFY(error.contains(u"256"));
    QVERIFY(!QFileInfo::exists(path));
}

void TestXlsExport::chosenNameGetsXlsExtension_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("xlsx") << u"liste.xlsx"_qs << u"liste.xls"_qs;
    QTest::newRow("no extension") << u"liste"_qs << u"liste.xls"_qs;
    QTest::newRow("xls") << u"liste.xls"_qs << u"liste.xls"_qs;
    QTest::newRow("other extension in a dotted folder") << u"a.b/liste.tar"_qs << u"a.b/liste.xls"_qs;
    QTest::newRow("last extension only") << u"liste.tar.gz"_qs << u"liste.tar.xls"_qs;
    QTest::newRow("turkish name") << u"Sipariş Listesi.xlsm"_qs << u"Sipariş Listesi.xls"_qs;
}

void TestXlsExport::chosenNameGetsXlsExtension()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(u"a.b"_qs));

    SaveDialogAnswer answer(QDir(dir.path()).filePath(chosen));
    QFileDialog dialog;
    ExportGridToSpreadsheet(dialog, *smallGrid(&dialog));

    QCOMPARE(answer.requests.size(), 1);
    QCOMPARE(answer.requests[0].nameFilter, u"Excel (*.xls*)"_qs);
    QCOMPARE(answer.requests[0].defaultSuffix, QString());
    const QFileInfo target(QDir(dir.path()).filePath(written));
    QVERIFY2(target.isFile() && target.size() >= 512 + 4096, qPrintable(target.filePath()));
    QStringList files;
    for (const QFileInfo& f : QDir(target.path()).entryInfoList(QDir::Files))
        files << f.fileName();
    QCOMPARE(files, QStringList{target.fileName()});
}

void TestXlsExport::cancelWritesNothing()
{
    QTemporaryDir dir;
    SaveDialogAnswer answer(std::nullopt);
    test::MessageDialogRecorder messages;
    QFileDialog dialog;
    dialog.setDirectory(dir.path());
    ExportGridToSpreadsheet(dialog, *smallGrid(&dialog));

    QCOMPARE(answer.requests.size(), 1);
    QVERIFY(QDir(dir.path()).isEmpty());
    QCOMPARE(messages.count(), 0);
}

void TestXlsExport::failedWriteKeepsTheOlderFile_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("disk full while writing") << u"limit"_qs;
    QTest::newRow("folder not writable") << u"readonly"_qs;
    QTest::newRow("a folder of that name") << u"folder"_qs;
    QTest::newRow("folder missing") << u"missing"_qs;
}

void TestXlsExport::failedWriteKeepsTheOlderFile()
{
    QFETCH(QString, failure);
    if (failure == u"readonly" && geteuid() == 0)
        QSKIP("folder permissions do not stop root; the disk-full row covers a failed write");
    QTemporaryDir dir;
    const QString folder = failure == u"missing" ? dir.filePath(u"yok"_qs) : dir.path();
    const QString target = QDir(folder).filePath(u"liste.xls"_qs);
    const QByteArray older("older workbook");
    if (failure == u"folder") {
        QVERIFY(QDir(dir.path()).mkdir(u"liste.xls"_qs));
    } else if (failure != u"missing") {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(older);
    }

    // Enough records to go beyond the size limit in the middle of the file.
    auto* model = new QStandardItemModel(5000, 2, this);
    for (int r = 0; r < 5000; ++r) {
        model->setData(model->index(r, 0), r);
        model->setData(model->index(r, 1), u"Satır %1"_qs.arg(r));
    }
    SaveDialogAnswer answer(QDir(folder).filePath(u"liste.xlsx"_qs));
    test::MessageDialogRecorder messages;
    QFileDialog dialog;
    {
        std::optional<FileSizeLimit> limit;
        if (failure == u"limit")
            limit.emplace(16 * 1024);
        if (failure == u"readonly")
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        ExportGridToSpreadsheet(dialog, *model);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.last().kind, TMsgDlgType::mtError);
    QVERIFY(messages.last().text.startsWith(u"Excel dosyası kaydedilemedi: "_qs));
    if (failure == u"folder") {
        QVERIFY(QFileInfo(target).isDir());
    } else if (failure == u"missing") {
        QVERIFY(!QFileInfo::exists(folder));
    } else {
        QFile f(target);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), older);
        // No half-written temporary file is left beside it.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"liste.xls"_qs});
    }
}

QTEST_MAIN(TestXlsExport)
#include "tst_xlsexport.moc"
