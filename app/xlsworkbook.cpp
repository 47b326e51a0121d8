#include "app/xlsworkbook.h"

#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace velun {
namespace {

// ---- little-endian byte output -------------------------------------------------------------------

void put16(QByteArray& out, quint32 v)
{
    const char b[2] = {char(v & 0xFF), char((v >> 8) & 0xFF)};
    out.append(b, 2);
}

void put32(QByteArray& out, quint32 v)
{
    const char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char((v >> 24) & 0xFF)};
    out.append(b, 4);
}

void patch16(QByteArray& out, qsizetype at, quint32 v)
{
    out[at] = char(v & 0xFF);
    out[at + 1] = char((v >> 8) & 0xFF);
}

void patch32(QByteArray& out, qsizetype at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = char((v >> (8 * i)) & 0xFF);
}

void putDouble(QByteArray& out, double d)
{
    quint64 bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    put32(out, quint32(bits & 0xFFFFFFFFu));
    put32(out, quint32(bits >> 32));
}

// Characters below U+0100 travel as single bytes ("compressed"), anything else as UTF-16.
bool fitsCompressed(QStringView s)
{
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() < 0x100; });
}

void putChars(QByteArray& out, QStringView s, bool compressed)
{
    for (QChar c : s) {
        if (compressed)
            out.append(char(c.unicode()));
        else
            put16(out, c.unicode());
    }
}

// ---- BIFF8 records --------------------------------------------------------------------------------

namespace rec {
constexpr quint16 BOF = 0x0809, EOF_ = 0x000A, CODEPAGE = 0x0042, WINDOW1 = 0x003D, DATEMODE = 0x0022,
                  FONT = 0x0031, FORMAT = 0x041E, XF = 0x00E0, STYLE = 0x0293, BOUNDSHEET = 0x0085,
                  SST = 0x00FC, CONTINUE = 0x003C, EXTSST = 0x00FF, DIMENSIONS = 0x0200, WINDOW2 = 0x023E,
                  LABELSST = 0x00FD, NUMBER = 0x0203, RK = 0x027E, BOOLERR = 0x0205;
} // namespace rec

constexpr qsizetype kMaxRecordData = 8224;

void putRecord(QByteArray& out, quint16 type, const QByteArray& data)
{
    put16(out, type);
    put16(out, quint32(data.size()));
    out.append(data);
}

// Cell formats of the workbook: 15 style XFs come first, the cell XFs follow.
enum CellXf : quint16 { XfGeneral = 15, XfDate = 16, XfDateTime = 17, XfMoney = 18, XfCaption = 19 };
constexpr quint16 kFmtDate = 164, kFmtDateTime = 165, kFmtMoney = 166;
constexpr quint16 kFontBold = 5; // font index 4 does not exist in this format

void putBof(QByteArray& out, quint16 substream)
{
    QByteArray d;
    put16(d, 0x0600); // BIFF8
    put16(d, substream);
    put16(d, 0x0DBB); // build
    put16(d, 0x07CC); // year
    put32(d, 0);
    put32(d, 0x00000006); // lowest version that can read the file: Excel 97
    putRecord(out, rec::BOF, d);
}

void putFont(QByteArray& out, bool bold)
{
    QByteArray d;
    put16(d, 200); // 10 pt in twips
    put16(d, 0);
    put16(d, 0x7FFF); // automatic colour
    put16(d, bold ? 700 : 400);
    put16(d, 0);
    d.append(char(0));    // no underline
    d.append(char(0));    // family
    d.append(char(0xA2)); // Turkish character set
    d.append(char(0));
    const QString name = QStringLiteral("Arial");
    d.append(char(name.size()));
    d.append(char(0));
    putChars(d, name, true);
    putRecord(out, rec::FONT, d);
}

void putFormat(QByteArray& out, quint16 index, const QString& code)
{
    QByteArray d;
    put16(d, index);
    put16(d, quint32(code.size()));
    d.append(char(0));
    putChars(d, code, true);
    putRecord(out, rec::FORMAT, d);
}

void putXf(QByteArray& out, quint16 font, quint16 format, bool styleXf, quint8 usedAttributes)
{
    QByteArray d;
    put16(d, font);
    put16(d, format);
    put16(d, styleXf ? 0xFFF5 : 0x0001); // locked; a style XF has no parent, a cell XF hangs on style 0
    d.append(char(0x20));                // bottom aligned
    d.append(char(0));
    d.append(char(0));
    d.append(char(usedAttributes));
    put32(d, 0);
    put32(d, 0);
    put16(d, 0x20C0); // automatic pattern colours
    putRecord(out, rec::XF, d);
}

// ---- shared string table --------------------------------------------------------------------------

class SharedStrings
{
public:
    quint32 indexOf(const QString& s)
    {
        ++m_total;
        const auto it = m_index.constFind(s);
        if (it != m_index.constEnd())
            return *it;
        const auto index = quint32(m_strings.size());
        m_index.insert(s, index);
        m_strings.push_back(s);
        return index;
    }

    // SST with its CONTINUE records, then EXTSST; `out` starts at stream offset 0.
    void write(QByteArray& out) const
    {
        const qsizetype unique = qsizetype(m_strings.size());
        const qsizetype perBucket = std::max<qsizetype>(8, unique / 128 + 1);
        QList<std::pair<quint32, quint16>> buckets;

        qsizetype recordStart = out.size();
        put16(out, rec::SST);
        put16(out, 0);
        put32(out, m_total);
        put32(out, quint32(unique));
        const auto used = [&] { return out.size() - recordStart - 4; };
        const auto startContinue = [&] {
            patch16(out, recordStart + 2, quint32(used()));
            recordStart = out.size();
            put16(out, rec::CONTINUE);
            put16(out, 0);
        };

        for (qsizetype i = 0; i < unique; ++i) {
            const QString& s = m_strings[size_t(i)];
            const bool compressed = fitsCompressed(s);
            const qsizetype charBytes = compressed ? 1 : 2;
            // The string's header never splits: it needs room for itself and a first character.
            if (kMaxRecordData - used() < 3 + charBytes)
                startContinue();
            if (i % perBucket == 0)
                buckets.append({quint32(out.size()), quint16(out.size() - recordStart)});
            put16(out, quint32(s.size()));
            out.append(char(compressed ? 0 : 1));
            qsizetype done = 0;
            while (true) {
                const qsizetype n = std::min<qsizetype>(s.size() - done, (kMaxRecordData - used()) / charBytes);
                putChars(out, QStringView(s).mid(done, n), compressed);
                done += n;
                if (done >= s.size())
                    break;
                // The rest of the characters go on in a CONTINUE that restates their width.
                startContinue();
                out.append(char(compressed ? 0 : 1));
            }
        }
        patch16(out, recordStart + 2, quint32(used()));

        QByteArray ext;
        put16(ext, quint32(perBucket));
        for (const auto& [streamPos, recordOffset] : buckets) {
            put32(ext, streamPos);
            put16(ext, recordOffset);
            put16(ext, 0);
        }
        putRecord(out, rec::EXTSST, ext);
    }

private:
    QHash<QString, quint32> m_index;
    std::vector<QString> m_strings;
    quint32 m_total = 0;
};

// ---- worksheet cells ------------------------------------------------------------------------------

// Excel counts days from 1899-12-30 like OLE dates only from March 1900 on.
const QDate kFirstSerialDate(1900, 3, 1);

// A cell holds at most kXlsMaxTextLength characters; the cut never halves a surrogate pair.
QString cellSizedText(const QString& s)
{
    QString cut = s.left(kXlsMaxTextLength);
    if (cut.back().isHighSurrogate())
        cut.chop(1);
    return cut;
}

class SheetWriter
{
public:
    SheetWriter(QByteArray& out, SharedStrings& strings) : m_out(out), m_strings(strings) {}

    void text(quint16 row, quint16 col, quint16 xf, const QString& s)
    {
        if (s.isEmpty())
            return;
        cellHeader(rec::LABELSST, 10, row, col, xf);
        put32(m_out, m_strings.indexOf(s.size() > kXlsMaxTextLength ? cellSizedText(s) : s));
    }

    void number(quint16 row, quint16 col, quint16 xf, double d)
    {
        if (!std::isfinite(d)) {
            numError(row, col, xf);
            return;
        }
        cellHeader(rec::NUMBER, 14, row, col, xf);
        putDouble(m_out, d);
    }

    void integer(quint16 row, quint16 col, quint16 xf, qint64 n)
    {
        // An RK holds a 30-bit signed integer; larger ones go as doubles.
        if (n >= -(qint64(1) << 29) && n < (qint64(1) << 29)) {
            cellHeader(rec::RK, 10, row, col, xf);
            put32(m_out, quint32((n << 2) | 0x02));
        } else {
            number(row, col, xf, double(n));
        }
    }

    void boolean(quint16 row, quint16 col, bool b)
    {
        cellHeader(rec::BOOLERR, 8, row, col, XfGeneral);
        m_out.append(char(b ? 1 : 0));
        m_out.append(char(0));
    }

    void dateTime(quint16 row, quint16 col, const QDateTime& dt)
    {
        if (dt.date() < kFirstSerialDate) {
            // Serial numbers cannot carry these; the text keeps the value readable.
            text(row, col, XfGeneral, dt.toString(QStringLiteral("dd.MM.yyyy hh:mm")));
            return;
        }
        const bool dateOnly = dt.time() == QTime(0, 0);
        number(row, col, dateOnly ? XfDate : XfDateTime, dateTimeToOle(dt));
    }

    void cell(quint16 row, quint16 col, FieldType type, const QVariant& v)
    {
        if (v.isNull() || !v.isValid())
            return;
        bool ok = false;
        switch (type) {
        case FieldType::Int32:
        case FieldType::Int64: {
            const int id = v.metaType().id();
            if (id == QMetaType::Double || id == QMetaType::Float) {
                number(row, col, XfGeneral, v.toDouble());
                return;
            }
            const qint64 n = v.toLongLong(&ok);
            if (ok) {
                integer(row, col, XfGeneral, n);
                return;
            }
            break;
        }
        case FieldType::Double: {
            const double d = v.toDouble(&ok);
            if (ok) {
                number(row, col, XfMoney, d);
                return;
            }
            break;
        }
        case FieldType::Boolean:
            boolean(row, col, v.toBool());
            return;
        case FieldType::DateTime: {
            const QDateTime dt = v.toDateTime();
            if (dt.isValid()) {
                dateTime(row, col, dt);
                return;
            }
            break;
        }
        case FieldType::Blob:
            return;
        case FieldType::Text:
            break;
        }
        if (v.canConvert<QString>())
            text(row, col, XfGeneral, v.toString());
    }

private:
    void numError(quint16 row, quint16 col, quint16 xf)
    {
        cellHeader(rec::BOOLERR, 8, row, col, xf);
        m_out.append(char(0x24)); // #NUM!
        m_out.append(char(1));
    }

    void cellHeader(quint16 type, quint16 length, quint16 row, quint16 col, quint16 xf)
    {
        char b[10] = {char(type & 0xFF), char(type >> 8), char(length & 0xFF), char(length >> 8),
                      char(row & 0xFF),  char(row >> 8),  char(col & 0xFF),    char(col >> 8),
                      char(xf & 0xFF),   char(xf >> 8)};
        m_out.append(b, sizeof b);
    }

    QByteArray& m_out;
    SharedStrings& m_strings;
};

void putDimensions(QByteArray& out, quint32 rows, quint16 cols)
{
    QByteArray d;
    put32(d, 0);
    put32(d, rows);
    put16(d, 0);
    put16(d, cols);
    put16(d, 0);
    putRecord(out, rec::DIMENSIONS, d);
}

void putWindow2(QByteArray& out, bool selected)
{
    QByteArray d;
    // Grid lines, headers, zeros, outline symbols; the first sheet is the selected, active one.
    put16(d, selected ? 0x06B6 : 0x00B6);
    put16(d, 0);
    put16(d, 0);
    put16(d, 64);
    put16(d, 0);
    put16(d, 0);
    put16(d, 0);
    put16(d, 0);
    put16(d, 0);
    putRecord(out, rec::WINDOW2, d);
}

// ---- workbook stream ------------------------------------------------------------------------------

struct WorkbookStream
{
    QByteArray globals;
    std::vector<QByteArray> sheets;

    qsizetype size() const
    {
        qsizetype n = globals.size();
        for (const QByteArray& s : sheets)
            n += s.size();
        return n;
    }
};

WorkbookStream buildWorkbook(const QList<XlsColumn>& columns, qsizetype recordCount, const XlsRowReader& readRow)
{
    WorkbookStream wb;
    SharedStrings strings;
    const auto colCount = quint16(columns.size());
    const qsizetype sheetCount = std::max<qsizetype>(1, (recordCount + kXlsRecordsPerSheet - 1) / kXlsRecordsPerSheet);
    std::vector<QVariant> cells;

    for (qsizetype sheet = 0; sheet < sheetCount; ++sheet) {
        const qsizetype first = sheet * kXlsRecordsPerSheet;
        const qsizetype count = std::min(kXlsRecordsPerSheet, recordCount - first);
        QByteArray& out = wb.sheets.emplace_back();
        // Text cells take 14 bytes, numbers 18: room for the common case saves regrowing.
        out.reserve(qsizetype(64 + (count + 1) * colCount * 15));
        putBof(out, 0x0010);
        putDimensions(out, quint32(count + 1), colCount);
        SheetWriter writer(out, strings);
        for (quint16 c = 0; c < colCount; ++c)
            writer.text(0, c, XfCaption, columns[c].caption);
        for (qsizetype r = 0; r < count; ++r) {
            cells.assign(size_t(colCount), QVariant());
            readRow(first + r, cells);
            const auto row = quint16(r + 1);
            for (quint16 c = 0; c < colCount && c < cells.size(); ++c)
                writer.cell(row, c, columns[c].type, cells[c]);
        }
        putWindow2(out, sheet == 0);
        putRecord(out, rec::EOF_, {});
    }

    QByteArray& g = wb.globals;
    putBof(g, 0x0005);
    {
        QByteArray d;
        put16(d, 1200); // strings are UTF-16
        putRecord(g, rec::CODEPAGE, d);
    }
    {
        QByteArray d;
        for (quint32 v : {0x0168u, 0x001Eu, 0x3A98u, 0x2328u, 0x0038u, 0u, 0u, 1u, 0x0258u})
            put16(d, v);
        putRecord(g, rec::WINDOW1, d);
    }
    {
        QByteArray d;
        put16(d, 0); // days counted from 1900
        putRecord(g, rec::DATEMODE, d);
    }
    for (int i = 0; i < 4; ++i)
        putFont(g, false);
    putFont(g, true);
    putFormat(g, kFmtDate, QStringLiteral("dd.mm.yyyy"));
    putFormat(g, kFmtDateTime, QStringLiteral("dd.mm.yyyy hh:mm"));
    putFormat(g, kFmtMoney, QStringLiteral("#,##0.00"));
    putXf(g, 0, 0, true, 0x00);
    for (int i = 1; i < 15; ++i)
        putXf(g, 0, 0, true, 0xF4);
    putXf(g, 0, 0, false, 0x04);                     // XfGeneral
    putXf(g, 0, kFmtDate, false, 0x04);              // XfDate
    putXf(g, 0, kFmtDateTime, false, 0x04);          // XfDateTime
    putXf(g, 0, kFmtMoney, false, 0x04);             // XfMoney
    putXf(g, kFontBold, 0, false, 0x08);             // XfCaption
    {
        QByteArray d;
        put16(d, 0x8000); // built-in style "Normal" on style XF 0
        d.append(char(0));
        d.append(char(0xFF));
        putRecord(g, rec::STYLE, d);
    }
    std::vector<qsizetype> sheetOffsetAt;
    for (qsizetype sheet = 0; sheet < sheetCount; ++sheet) {
        const QString name = xlsSheetName(int(sheet));
        QByteArray d;
        sheetOffsetAt.push_back(g.size() + 4);
        put32(d, 0); // fixed up below, once the size of the globals is known
        d.append(char(0));
        d.append(char(0));
        d.append(char(name.size()));
        d.append(char(0));
        putChars(d, name, true);
        putRecord(g, rec::BOUNDSHEET, d);
    }
    strings.write(g);
    putRecord(g, rec::EOF_, {});

    qsizetype offset = g.size();
    for (qsizetype sheet = 0; sheet < sheetCount; ++sheet) {
        patch32(g, sheetOffsetAt[size_t(sheet)], quint32(offset));
        offset += wb.sheets[size_t(sheet)].size();
    }
    return wb;
}

// ---- OLE compound file ----------------------------------------------------------------------------

constexpr qsizetype kSector = 512;
constexpr quint32 kFreeSect = 0xFFFFFFFF, kEndOfChain = 0xFFFFFFFE, kFatSect = 0xFFFFFFFD, kDifSect = 0xFFFFFFFC;
constexpr qsizetype kHeaderDifat = 109, kIdsPerSector = kSector / 4;
// Streams below this size would belong in the mini stream; the workbook is padded up to it instead.
constexpr qsizetype kMiniStreamCutoff = 4096;

struct SectorLayout
{
    quint32 streamSectors = 0;
    quint32 dirSector = 0;
    quint32 fatSectors = 0;
    quint32 difatSectors = 0;

    quint32 firstFat() const { return dirSector + 1; }
    quint32 firstDifat() const { return firstFat() + fatSectors; }
    quint32 total() const { return streamSectors + 1 + fatSectors + difatSectors; }
};

SectorLayout layoutFor(qsizetype streamSize)
{
    SectorLayout l;
    l.streamSectors = quint32((streamSize + kSector - 1) / kSector);
    l.dirSector = l.streamSectors;
    // The FAT also has to map its own sectors and the DIFAT's: grow both until they cover everything.
    while (true) {
        const quint32 fat = quint32((l.total() + kIdsPerSector - 1) / kIdsPerSector);
        const quint32 difat = fat > kHeaderDifat ? quint32((fat - kHeaderDifat + kIdsPerSector - 2) / (kIdsPerSector - 1)) : 0;
        if (fat == l.fatSectors && difat == l.difatSectors)
            return l;
        l.fatSectors = fat;
        l.difatSectors = difat;
    }
}

QByteArray compoundHeader(const SectorLayout& l)
{
    QByteArray h;
    h.reserve(kSector);
    h.append("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    h.append(16, char(0));
    put16(h, 0x003E);
    put16(h, 0x0003);
    put16(h, 0xFFFE);
    put16(h, 9); // 512-byte sectors
    put16(h, 6); // 64-byte mini sectors
    h.append(6, char(0));
    put32(h, 0); // directory sectors are not counted in version 3
    put32(h, l.fatSectors);
    put32(h, l.dirSector);
    put32(h, 0);
    put32(h, quint32(kMiniStreamCutoff));
    put32(h, kEndOfChain); // no mini FAT
    put32(h, 0);
    put32(h, l.difatSectors ? l.firstDifat() : kEndOfChain);
    put32(h, l.difatSectors);
    for (qsizetype i = 0; i < kHeaderDifat; ++i)
        put32(h, i < l.fatSectors ? l.firstFat() + quint32(i) : kFreeSect);
    return h;
}

void putDirEntry(QByteArray& out, const QString& name, quint8 type, quint32 child, quint32 start, quint32 size)
{
    const qsizetype at = out.size();
    putChars(out, name, false);
    out.append(64 - name.size() * 2, char(0));
    put16(out, name.isEmpty() ? 0 : quint32((name.size() + 1) * 2));
    out.append(char(type));
    out.append(char(1)); // black
    put32(out, kFreeSect);
    put32(out, kFreeSect);
    put32(out, child);
    out.append(16 + 4 + 8 + 8, char(0)); // class id, state bits, creation and modification times
    put32(out, start);
    put32(out, size);
    put32(out, 0);
    Q_ASSERT(out.size() - at == 128);
}

QByteArray directorySector(quint32 streamSize)
{
    QByteArray d;
    putDirEntry(d, QStringLiteral("Root Entry"), 5, 1, kEndOfChain, 0);
    putDirEntry(d, QStringLiteral("Workbook"), 2, kFreeSect, 0, streamSize);
    putDirEntry(d, QString(), 0, kFreeSect, 0, 0);
    putDirEntry(d, QString(), 0, kFreeSect, 0, 0);
    return d;
}

QByteArray fatSectors(const SectorLayout& l)
{
    QByteArray f;
    f.reserve(qsizetype(l.fatSectors) * kSector);
    for (quint32 s = 0; s < l.streamSectors; ++s)
        put32(f, s + 1 == l.streamSectors ? kEndOfChain : s + 1);
    put32(f, kEndOfChain); // the directory
    for (quint32 s = 0; s < l.fatSectors; ++s)
        put32(f, kFatSect);
    for (quint32 s = 0; s < l.difatSectors; ++s)
        put32(f, kDifSect);
    while (f.size() < qsizetype(l.fatSectors) * kSector)
        put32(f, kFreeSect);
    return f;
}

QByteArray difatSectors(const SectorLayout& l)
{
    QByteArray d;
    quint32 fat = quint32(kHeaderDifat);
    for (quint32 s = 0; s < l.difatSectors; ++s) {
        for (qsizetype i = 0; i < kIdsPerSector - 1; ++i, ++fat)
            put32(d, fat < l.fatSectors ? l.firstFat() + fat : kFreeSect);
        put32(d, s + 1 == l.difatSectors ? kEndOfChain : l.firstDifat() + s + 1);
    }
    return d;
}

bool fail(QString* errorText, const QString& text)
{
    if (errorText)
        *errorText = text;
    return false;
}

} // namespace

QString xlsSheetName(int sheetIndex)
{
    return QStringLiteral("Sayfa%1").arg(sheetIndex + 1);
}

bool writeXlsWorkbook(const QString& path, const QList<XlsColumn>& columns, qsizetype recordCount,
                      const XlsRowReader& readRow, QString* errorText)
{
    if (columns.size() > kXlsMaxColumns)
        return fail(errorText, QStringLiteral("Excel dosyası en çok %1 sütun alabilir.").arg(kXlsMaxColumns));
    if (QFileInfo(path).isDir())
        return fail(errorText, QStringLiteral("Bu adda bir klasör var: %1").arg(path));

    const WorkbookStream wb = buildWorkbook(columns, std::max<qsizetype>(0, recordCount), readRow);
    const qsizetype contentSize = wb.size();
    const qsizetype streamSize = std::max(contentSize, kMiniStreamCutoff);
    if (streamSize > qsizetype(0x7FFFFFFF))
        return fail(errorText, QStringLiteral("Liste tek bir Excel dosyası için çok büyük."));
    const SectorLayout layout = layoutFor(streamSize);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(errorText, file.errorString());
    const qsizetype streamPadding = qsizetype(layout.streamSectors) * kSector - contentSize;
    bool ok = file.write(compoundHeader(layout)) == kSector;
    ok = ok && file.write(wb.globals) == wb.globals.size();
    for (const QByteArray& sheet : wb.sheets)
        ok = ok && file.write(sheet) == sheet.size();
    ok = ok && file.write(QByteArray(streamPadding, char(0))) == streamPadding;
    ok = ok && file.write(directorySector(quint32(streamSize))) == kSector;
    const QByteArray fat = fatSectors(layout);
    ok = ok && file.write(fat) == fat.size();
    const QByteArray difat = difatSectors(layout);
    ok = ok && file.write(difat) == difat.size();
    if (!ok) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(errorText, reason);
    }
    if (!file.commit())
        return fail(errorText, file.errorString());
    return true;
}

bool writeXlsWorkbook(const QString& path, const TableData& table, QString* errorText)
{
    QList<XlsColumn> columns;
    for (const ColumnDef& c : table.columns)
        columns.append({c.name, c.type});
    return writeXlsWorkbook(
        path, columns, qsizetype(table.rows.size()),
        [&table](qsizetype index, std::vector<QVariant>& cells) { cells = table.rows[size_t(index)]; }, errorText);
}

} // namespace velun
