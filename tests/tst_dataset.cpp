// The in-memory dataset: cursor, locate, edit/post, row helpers, money format, table copy,
// notifications and the grid model over it.

#include "server/dataset.h"
#include "server/datasetmodel.h"
#include "server/displayformat.h"
#include "server/resultvalues.h"

#include <QSignalSpy>
#include <QTest>

using namespace velun;

namespace {

TableData basketTable(const QList<QVariant>& secValues)
{
    TableData t;
    t.columns = {{QStringLiteral("SIRANO"), FieldType::Int32},
                 {QStringLiteral("STOKADI"), FieldType::Text},
                 {QStringLiteral("SEC"), FieldType::Int32},
                 {QStringLiteral("TUTAR"), FieldType::Double}};
    int sirano = 100;
    for (const QVariant& sec : secValues) {
        t.rows.push_back({sirano, QStringLiteral("Parça %1").arg(sirano), sec, sirano * 1.5});
        ++sirano;
    }
    return t;
}

TableData wideTable(int rows, int columns)
{
    TableData t;
    for (int c = 0; c < columns; ++c)
        t.columns.push_back({QStringLiteral("C%1").arg(c), c % 2 ? FieldType::Double : FieldType::Text});
    t.rows.reserve(static_cast<size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        Row row;
        for (int c = 0; c < columns; ++c)
            row.push_back(c % 2 ? QVariant(r * 0.25 + c) : QVariant(QStringLiteral("r%1c%2").arg(r).arg(c)));
        t.rows.push_back(std::move(row));
    }
    return t;
}

const QLocale kTurkish(QLocale::Turkish, QLocale::Turkey);

} // namespace

class TstDataset : public QObject
{
    Q_OBJECT

private slots:
    void cursorWalksRowsLikeATable();
    void cursorOnEmptyAndClosedDataset();
    void locate_data();
    void locate();
    void editPostAndAppend();
    void editErrors();
    void hasRowsAndAnyRowSelected_data();
    void hasRowsAndAnyRowSelected();
    void formatFloat_data();
    void formatFloat();
    void roundMoney2_data();
    void roundMoney2();
    void floatDisplayFormatOnlyOnDoubleColumns();
    void readerCopyReplacesColumnsAndRows();
    void readerCopyOfEmptyTableKeepsColumns();
    void dataPacketReplacesContentInOneStep();
    void notificationsSuspendedDuringBulkCopy();
    void notificationsWhileEnabled();
    void modelBindsColumnsByName();
    void modelFollowsRebuiltColumns();
    void modelSurvivesDatasetDeletion();
};

void TstDataset::cursorWalksRowsLikeATable()
{
    MemDataset ds;
    ds.assign(basketTable({0, 0, 0}));
    QVERIFY(ds.active());
    QCOMPARE(ds.recNo(), 1);
    QVERIFY(ds.bof());
    QVERIFY(!ds.eof());

    QStringList seen;
    for (ds.first(); !ds.eof(); ds.next())
        seen << ds.fieldByName(u"stokadi").toString(); // field names are case-insensitive
    QCOMPARE(seen, (QStringList{QStringLiteral("Parça 100"), QStringLiteral("Parça 101"), QStringLiteral("Parça 102")}));
    QVERIFY(ds.eof());
    QCOMPARE(ds.recNo(), 3); // the walk stays on the last row

    ds.prior();
    QCOMPARE(ds.recNo(), 2);
    QVERIFY(!ds.eof());
    ds.prior();
    ds.prior();
    QVERIFY(ds.bof());
    QCOMPARE(ds.recNo(), 1);

    ds.last();
    QVERIFY(ds.eof());
    QCOMPARE(ds.fieldByName(u"SIRANO").toInt(), 102);
    QVERIFY(ds.moveTo(1));
    QCOMPARE(ds.fieldByName(u"SIRANO").toInt(), 101);
    QVERIFY(!ds.moveTo(3));
    QCOMPARE(ds.recNo(), 2);
}

void TstDataset::cursorOnEmptyAndClosedDataset()
{
    MemDataset ds;
    QVERIFY(!ds.active());
    ds.first();
    ds.next();
    QVERIFY(ds.eof());
    QVERIFY_THROWS_EXCEPTION(DatasetError, ds.fieldByName(u"SEC"));

    ds.setColumns(basketTable({}).columns);
    QVERIFY(ds.active());
    QVERIFY(ds.eof() && ds.bof());
    QCOMPARE(ds.recNo(), 0);
    QVERIFY(ds.fieldByName(u"SEC").isNull());
    QVERIFY_THROWS_EXCEPTION(DatasetError, ds.fieldByName(u"YOK"));

    ds.assign(basketTable({1}));
    ds.close();
    QVERIFY(!ds.active());
    QCOMPARE(ds.rowCount(), 0);
    QCOMPARE(ds.columnCount(), 4); // the columns stay for the next open
    ds.open();
    QVERIFY(ds.active());
    QVERIFY(ds.isEmpty());
}

void TstDataset::locate_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("recNo");

    QTest::newRow("int found") << QStringLiteral("SIRANO") << QVariant(102) << true << 3;
    QTest::newRow("int as text") << QStringLiteral("SIRANO") << QVariant(QStringLiteral("101")) << true << 2;
    QTest::newRow("lower-case field") << QStringLiteral("sirano") << QVariant(100) << true << 1;
    QTest::newRow("text found") << QStringLiteral("STOKADI") << QVariant(QStringLiteral("Parça 101")) << true << 2;
    QTest::newRow("text is case-sensitive") << QStringLiteral("STOKADI") << QVariant(QStringLiteral("parça 101")) << false << 4;
    QTest::newRow("double found") << QStringLiteral("TUTAR") << QVariant(151.5) << true << 2;
    QTest::newRow("first of equal values") << QStringLiteral("SEC") << QVariant(1) << true << 2;
    QTest::newRow("null cell") << QStringLiteral("SEC") << QVariant() << true << 4;
    QTest::newRow("missing value") << QStringLiteral("SIRANO") << QVariant(999) << false << 4;
    QTest::newRow("not convertible") << QStringLiteral("SIRANO") << QVariant(QStringLiteral("abc")) << false << 4;
}

void TstDataset::locate()
{
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(bool, found);
    QFETCH(int, recNo);

    MemDataset ds;
    ds.assign(basketTable({0, 1, 1, QVariant()}));
    ds.last(); // a failed locate leaves the cursor here
    QCOMPARE(ds.locate(field, value), found);
    QCOMPARE(ds.recNo(), recNo);
    QVERIFY_THROWS_EXCEPTION(DatasetError, ds.locate(u"YOK", 1));
}

void TstDataset::editPostAndAppend()
{
    MemDataset ds;
    ds.assign(basketTable({0, 0}));
    QSignalSpy changed(&ds, &MemDataset::rowChanged);
    QSignalSpy appended(&ds, &MemDataset::rowsAppended);

    // The basket's selection mark: edit, set, post the current line.
    QVERIFY(ds.locate(u"SIRANO", 101));
    ds.edit();
    QCOMPARE(ds.state(), MemDataset::State::Edit);
    ds.setFieldValue(u"SEC", 1);
    QCOMPARE(ds.fieldByName(u"SEC").toInt(), 1);  // the edit buffer
    QCOMPARE(ds.value(1, 2).toInt(), 0);         // not stored before post
    ds.post();
    QCOMPARE(ds.state(), MemDataset::State::Browse);
    QCOMPARE(ds.value(1, 2).toInt(), 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toInt(), 1);

    // Cancel drops the buffer.
    ds.edit();
    ds.setFieldValue(u"STOKADI", QStringLiteral("değişmedi"));
    ds.cancel();
    QCOMPARE(ds.fieldByName(u"STOKADI").toString(), QStringLiteral("Parça 101"));

    // Moving away posts a pending edit.
    ds.edit();
    ds.setFieldValue(u"SEC", 0);
    ds.first();
    QCOMPARE(ds.value(1, 2).toInt(), 0);

    // Append + post adds a row at the end and makes it current; values take the column type.
    ds.append();
    ds.setFieldValue(u"SIRANO", QStringLiteral("300"));
    ds.setFieldValue(u"TUTAR", 7);
    ds.post();
    QCOMPARE(ds.rowCount(), 3);
    QCOMPARE(ds.recNo(), 3);
    QCOMPARE(ds.value(2, 0).typeId(), QMetaType::Int);
    QCOMPARE(ds.value(2, 0).toInt(), 300);
    QCOMPARE(ds.value(2, 3).typeId(), QMetaType::Double);
    QVERIFY(ds.value(2, 1).isNull());
    QCOMPARE(appended.count(), 1);

    ds.emptyDataSet();
    QVERIFY(ds.active());
    QCOMPARE(ds.rowCount(), 0);
    QCOMPARE(ds.columnCount(), 4);
}

void TstDataset::editErrors()
{
    MemDataset ds;
    QVERIFY_THROWS_EXCEPTION(DatasetError, ds.edit()); // closed
    ds.setColumns(basketTable({}).columns);
    QVERIFY_THROWS_EXCEPTION(DatasetError, ds.edit()); // no row
    ds.assign(basketTable({0}));
    QVERIFY_THROWS_EXCEPTION(DatasetError, ds.setFieldValue(u"SEC", 1)); // not editing
    ds.edit();
    QVERIFY_THROWS_EXCEPTION(DatasetError, ds.setFieldValue(u"YOK", 1));
    QVERIFY_THROWS_EXCEPTION(DatasetError, ds.setFieldValue(u"SEC", QStringLiteral("bir")));
    ds.setFieldValue(u"SEC", QVariant()); // null fits every column
    ds.post();
    QVERIFY(ds.value(0, 2).isNull());
}

void TstDataset::hasRowsAndAnyRowSelected_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<QVariantList>("sec");
    QTest::addColumn<bool>("hasRows");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<int>("recNoAfter");

    // The cursor starts on the last row, so "not moved" shows as the last row's number.
    QTest::newRow("closed") << false << QVariantList{} << false << false << 0;
    QTest::newRow("open, no rows") << true << QVariantList{} << false << false << 0;
    QTest::newRow("none selected") << true << QVariantList{0, 0, 0} << true << false << 3;
    QTest::newRow("first selected") << true << QVariantList{1, 0, 0} << true << true << 1;
    QTest::newRow("second selected") << true << QVariantList{0, 1, 1} << true << true << 2;
    QTest::newRow("last selected") << true << QVariantList{0, 0, 1} << true << true << 3;
    QTest::newRow("null and 2 are not selected") << true << QVariantList{QVariant(), 2, 0} << true << false << 3;
}

void TstDataset::hasRowsAndAnyRowSelected()
{
    QFETCH(bool, open);
    QFETCH(QVariantList, sec);
    QFETCH(bool, hasRows);
    QFETCH(bool, selected);
    QFETCH(int, recNoAfter);

    MemDataset ds;
    if (open) {
        ds.assign(basketTable(sec));
        ds.last();
    }
    QCOMPARE(HasRows(ds), hasRows);
    QCOMPARE(AnyRowSelected(ds), selected);
    QCOMPARE(ds.recNo(), recNoAfter);
    if (hasRows && !selected)
        QVERIFY(ds.eof()); // walked past the last row
}

void TstDataset::formatFloat_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<double>("value");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");

    const QString money = kMoneyDisplayFormat;
    const QLocale c = QLocale::c();
    QTest::newRow("tr thousands") << money << 1234.5 << kTurkish << QStringLiteral("1.234,50");
    QTest::newRow("tr below one") << money << 0.5 << kTurkish << QStringLiteral("0,50");
    QTest::newRow("tr negative millions") << money << -1234567.891 << kTurkish << QStringLiteral("-1.234.567,89");
    QTest::newRow("tr zero") << money << 0.0 << kTurkish << QStringLiteral("0,00");
    QTest::newRow("tr no grouping below 1000") << money << 999.0 << kTurkish << QStringLiteral("999,00");
    QTest::newRow("half away from zero") << money << 2.675 << kTurkish << QStringLiteral("2,68");
    QTest::newRow("negative half away from zero") << money << -0.125 << kTurkish << QStringLiteral("-0,13");
    QTest::newRow("rounding carries into grouping") << money << 999.995 << kTurkish << QStringLiteral("1.000,00");
    QTest::newRow("tiny negative shows no sign") << money << -0.001 << kTurkish << QStringLiteral("0,00");
    QTest::newRow("large") << money << 123456789012.345 << kTurkish << QStringLiteral("123.456.789.012,35");
    QTest::newRow("C locale") << money << 1234.5 << c << QStringLiteral("1,234.50");
    QTest::newRow("optional integer digit") << QStringLiteral("#,###,##.00") << 0.5 << kTurkish << QStringLiteral(",50");
    QTest::newRow("optional decimals") << QStringLiteral("0.##") << 5.0 << c << QStringLiteral("5");
    QTest::newRow("optional decimals kept") << QStringLiteral("0.##") << 5.129 << c << QStringLiteral("5.13");
    QTest::newRow("no decimals") << QStringLiteral("#,##0") << 1234567.5 << c << QStringLiteral("1,234,568");
}

void TstDataset::roundMoney2_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("rounded");
    QTest::newRow("half up") << 2.675 << 2.68;
    QTest::newRow("half away from zero below") << -2.675 << -2.68;
    QTest::newRow("below half") << 1.004 << 1.0;
    QTest::newRow("no leading digit") << 0.5 << 0.5;
    QTest::newRow("negative without leading digit") << -0.005 << -0.01;
    QTest::newRow("thousands") << 1234567.891 << 1234567.89;
    QTest::newRow("zero") << 0.0 << 0.0;
    QTest::newRow("exact") << 19.99 << 19.99;
}

void TstDataset::roundMoney2()
{
    QFETCH(double, value);
    QFETCH(double, rounded);
    // The same under Turkish and English separators.
    for (const QLocale& locale : {QLocale(QLocale::Turkish, QLocale::Turkey), QLocale(QLocale::English, QLocale::UnitedStates)})
        QCOMPARE(RoundMoney2(value, locale), rounded);
}

void TstDataset::formatFloat()
{
    QFETCH(QString, pattern);
    QFETCH(double, value);
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    QCOMPARE(FormatFloat(pattern, value, locale), expected);
}

void TstDataset::floatDisplayFormatOnlyOnDoubleColumns()
{
    MemDataset ds;
    ds.setLocale(kTurkish);
    TableData t;
    t.columns = {{QStringLiteral("ADET"), FieldType::Int32},
                 {QStringLiteral("FIYAT"), FieldType::Double},
                 {QStringLiteral("ADI"), FieldType::Text},
                 {QStringLiteral("TARIH"), FieldType::DateTime}};
    t.rows.push_back({12345, 1234.5, QStringLiteral("1234.5"), oleToDateTime(46000.5)});
    ds.assign(t);
    QCOMPARE(ds.displayText(0, 1), QStringLiteral("1234,5")); // plain until formatted

    SetFloatDisplayFormat(ds);
    QCOMPARE(ds.column(0).displayFormat, QString());
    QCOMPARE(ds.column(1).displayFormat, kMoneyDisplayFormat);
    QCOMPARE(ds.column(2).displayFormat, QString());
    QCOMPARE(ds.column(3).displayFormat, QString());
    QCOMPARE(ds.displayText(0, 0), QStringLiteral("12345"));
    QCOMPARE(ds.displayText(0, 1), QStringLiteral("1.234,50"));
    QCOMPARE(ds.displayText(0, 2), QStringLiteral("1234.5"));
    QVERIFY(ds.displayText(0, 3).startsWith(QStringLiteral("9.12.2025"))
            || ds.displayText(0, 3).startsWith(QStringLiteral("09.12.2025")));

    // A dataset without floating-point columns is unchanged.
    MemDataset plain;
    TableData p;
    p.columns = {{QStringLiteral("N"), FieldType::Int64}, {QStringLiteral("T"), FieldType::Text}};
    plain.assign(p);
    QSignalSpy formats(&plain, &MemDataset::displayFormatChanged);
    SetFloatDisplayFormat(plain);
    QCOMPARE(formats.count(), 0);
    QCOMPARE(plain.column(0).displayFormat, QString());
}

void TstDataset::readerCopyReplacesColumnsAndRows()
{
    MemDataset ds;
    ds.assign(basketTable({0, 1, 0}));
    SetFloatDisplayFormat(ds);

    TableData next;
    next.columns = {{QStringLiteral("STOKNO"), FieldType::Int32},
                    {QStringLiteral("FIYAT"), FieldType::Double},
                    {QStringLiteral("RESIMVAR"), FieldType::Boolean}};
    next.rows = {{1, 10.0, true}, {2, QVariant(), false}};
    TableReader reader(next);
    CopyReaderToDataset(reader, ds);

    QCOMPARE(ds.columnDefs(), next.columns);
    QCOMPARE(ds.column(1).displayFormat, QString()); // formats belonged to the old columns
    QCOMPARE(ds.rowCount(), 2);
    QCOMPARE(ds.value(0, 0).toInt(), 1);
    QCOMPARE(ds.value(0, 2).toBool(), true);
    QVERIFY(ds.value(1, 1).isNull());
    QCOMPARE(ds.columnIndex(u"SEC"), -1);
    QVERIFY(!reader.next()); // read to the end
}

void TstDataset::readerCopyOfEmptyTableKeepsColumns()
{
    MemDataset ds;
    ds.assign(basketTable({0}));
    TableData empty = basketTable({});
    empty.columns.push_back({QStringLiteral("EK"), FieldType::Text});
    TableReader reader(empty);
    CopyReaderToDataset(reader, ds);
    QVERIFY(ds.active());
    QCOMPARE(ds.columnCount(), 5);
    QCOMPARE(ds.rowCount(), 0);
    QVERIFY(!HasRows(ds));
}

void TstDataset::dataPacketReplacesContentInOneStep()
{
    MemDataset ds;
    ds.assign(wideTable(3, 4));
    QSignalSpy resets(&ds, &MemDataset::datasetReset);
    QSignalSpy appended(&ds, &MemDataset::rowsAppended);
    AssignDataPacket(DataPacket(basketTable({1, 0})), ds);
    QCOMPARE(resets.count(), 1);
    QCOMPARE(appended.count(), 0);
    QCOMPARE(ds.columnDefs(), basketTable({}).columns);
    QCOMPARE(ds.rowCount(), 2);
    QCOMPARE(ds.recNo(), 1);
    QCOMPARE(ds.fieldByName(u"SEC").toInt(), 1);
}

void TstDataset::notificationsSuspendedDuringBulkCopy()
{
    MemDataset ds;
    DatasetModel model;
    model.setDataset(&ds);
    QSignalSpy resets(&ds, &MemDataset::datasetReset);
    QSignalSpy appended(&ds, &MemDataset::rowsAppended);
    QSignalSpy formats(&ds, &MemDataset::displayFormatChanged);
    QSignalSpy modelResets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy modelInserts(&model, &QAbstractItemModel::rowsInserted);

    TableReader reader(wideTable(10000, 40));
    ds.DisableControls();
    ds.DisableControls(); // nested: only the outermost enable notifies
    CopyReaderToDataset(reader, ds);
    SetFloatDisplayFormat(ds);
    ds.EnableControls();
    QCOMPARE(resets.count(), 0);
    QCOMPARE(model.rowCount(), 0); // the model has not been told yet
    ds.EnableControls();

    QCOMPARE(resets.count(), 1);
    QCOMPARE(appended.count(), 0);
    QCOMPARE(formats.count(), 0);
    QCOMPARE(modelResets.count(), 1);
    QCOMPARE(modelInserts.count(), 0);
    QCOMPARE(model.rowCount(), 10000);
    QCOMPARE(model.columnCount(), 40);
    QCOMPARE(ds.recNo(), 10000);

    // A walk with the controls off changes nothing, so it costs the views no reset.
    {
        ControlsDisabled suspended(ds);
        for (ds.first(); !ds.eof(); ds.next()) {
        }
    }
    QCOMPARE(resets.count(), 1);
    ds.EnableControls(); // unbalanced enable is harmless
    QVERIFY(!ds.controlsDisabled());
}

void TstDataset::notificationsWhileEnabled()
{
    MemDataset ds;
    ds.assign(basketTable({0}));
    DatasetModel model;
    model.setDataset(&ds);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);

    ds.appendRow({7, QStringLiteral("yeni"), 0, 1.0});
    QCOMPARE(inserts.count(), 1);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.data(model.index(1, 1)).toString(), QStringLiteral("yeni"));

    ds.moveTo(0);
    ds.edit();
    ds.setFieldValue(u"SEC", 1);
    ds.post();
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.at(0).at(0).value<QModelIndex>().row(), 0);

    SetFloatDisplayFormat(ds); // the views repaint, without a reset
    QCOMPARE(changes.count(), 2);
}

void TstDataset::modelBindsColumnsByName()
{
    MemDataset ds;
    ds.setLocale(kTurkish);
    ds.assign(basketTable({1, 0}));
    SetFloatDisplayFormat(ds);

    DatasetModel model;
    model.setColumnNames({QStringLiteral("SEC"), QStringLiteral("OEMNO"), QStringLiteral("TUTAR"), QStringLiteral("stokadi")});
    model.setDataset(&ds);
    QCOMPARE(model.columnCount(), 4);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.datasetColumn(1), -1);

    // A name the dataset lacks shows nothing.
    QVERIFY(!model.data(model.index(0, 1)).isValid());
    QVERIFY(!model.data(model.index(0, 1), Qt::EditRole).isValid());

    const QModelIndex tutar = model.index(1, 2);
    QCOMPARE(model.data(tutar).toString(), QStringLiteral("151,50"));
    QCOMPARE(model.data(tutar, Qt::EditRole).toDouble(), 151.5);
    QCOMPARE(model.data(tutar, Qt::UserRole).toDouble(), 151.5);
    QCOMPARE(model.data(model.index(0, 3)).toString(), QStringLiteral("Parça 100"));
    QVERIFY(!model.data(model.index(5, 0)).isValid());

    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("TUTAR"));
    QVERIFY(model.setHeaderData(2, Qt::Horizontal, QStringLiteral("Tutar")));
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Tutar"));

    // Without a list the model shows every dataset column.
    DatasetModel all;
    all.setDataset(&ds);
    QCOMPARE(all.columnCount(), ds.columnCount());
    QCOMPARE(all.columnNames().at(1), QStringLiteral("STOKADI"));
}

void TstDataset::modelFollowsRebuiltColumns()
{
    MemDataset ds;
    ds.assign(basketTable({0}));
    DatasetModel model;
    model.setColumnNames({QStringLiteral("STOKADI"), QStringLiteral("FIYAT")});
    model.setDataset(&ds);
    QCOMPARE(model.datasetColumn(0), 1);
    QCOMPARE(model.datasetColumn(1), -1);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

    TableData other;
    other.columns = {{QStringLiteral("FIYAT"), FieldType::Double}};
    other.rows = {{1.0}, {2.0}, {3.0}};
    TableReader reader(other);
    CopyReaderToDataset(reader, ds); // notifications on: one reset for the rebuild, then inserts
    QVERIFY(resets.count() >= 1);
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.datasetColumn(0), -1);
    QCOMPARE(model.datasetColumn(1), 0);
    QVERIFY(!model.data(model.index(2, 0)).isValid());
    QCOMPARE(model.data(model.index(2, 1), Qt::EditRole).toDouble(), 3.0);

    model.setDataset(nullptr); // detached: no rows
    QCOMPARE(model.rowCount(), 0);
}

void TstDataset::modelSurvivesDatasetDeletion()
{
    DatasetModel model;
    {
        MemDataset ds;
        ds.assign(basketTable({0, 1}));
        model.setDataset(&ds);
        QCOMPARE(model.rowCount(), 2);
    }
    QCOMPARE(model.dataset(), nullptr);
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.data(model.index(0, 0)).isValid());
}

QTEST_GUILESS_MAIN(TstDataset)
#include "tst_dataset.moc"
