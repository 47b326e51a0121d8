// The data grid: column states and customisation, footer summaries, header filters, weighted widths,
// incremental search, load brackets, cell kinds and the row a double click reports.
#include "app/gridfilter.h"
#include "app/gridfooter.h"
#include "app/velungrid.h"
#include "app/velunstyle.h"
#include "server/dataset.h"
#include "server/datasetmodel.h"
#include "server/displayformat.h"
#include "tests/support/guitest.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QTableView>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QTest>

using namespace velun;

namespace {

const QLocale kTurkish(QLocale::Turkish, QLocale::Turkey);

GridColumn col(const QString& field, ColumnState state = ColumnState::Shown, int weight = 1, int width = 80)
{
    GridColumn c;
    c.field = field;
    c.state = state;
    c.weight = weight;
    c.width = width;
    return c;
}

// A small basket-like dataset: code, name, quantity, net amount, state.
void fillBasket(MemDataset& data)
{
    data.setLocale(kTurkish);
    data.setColumns({{QStringLiteral("KOD"), FieldType::Text},
                     {QStringLiteral("ADI"), FieldType::Text},
                     {QStringLiteral("MIKTAR"), FieldType::Double},
                     {QStringLiteral("NETTUTAR"), FieldType::Double},
                     {QStringLiteral("DURUM"), FieldType::Int32}});
    data.appendRow({QStringLiteral("B-200"), QStringLiteral("ısı sensörü"), 2.0, 1234.5, 1});
    data.appendRow({QStringLiteral("A-100"), QStringLiteral("İç lamba"), 1.0, 1000000.25, 0});
    data.appendRow({QStringLiteral("C-300"), QStringLiteral("Fren balatası"), 3.0, 0.5, 1});
    data.appendRow({QStringLiteral("A-100"), QStringLiteral("Işık anahtarı"), 4.0, 10.0, 3});
    SetFloatDisplayFormat(data);
}

std::vector<GridColumn> basketColumns()
{
    return {col(QStringLiteral("KOD")), col(QStringLiteral("ADI"), ColumnState::Shown, 3),
            col(QStringLiteral("MIKTAR")), col(QStringLiteral("NETTUTAR"), ColumnState::Shown, 2),
            col(QStringLiteral("DURUM"), ColumnState::Offered)};
}

// Types text that QTest::keyClicks cannot (letters outside Latin-1).
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}

QPoint cellCentre(VelunGrid& grid, int viewRow, int column)
{
    return grid.view()->visualRect(grid.proxy()->index(viewRow, column)).center();
}

} // namespace

class TestGrid : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void columnStates_data();
    void columnStates();
    void columnStatesChangeAtRunTime();
    void customizationMenuTogglesOfferedColumns();
    void missingColumnShowsEmptyCells();
    void headerCaptions();

    void footerCountAndSums();
    void footerFollowsFilter();
    void filterValuesAreDistinctSortedAndBounded();
    void filterMenuSetsAndClears();
    void headerFilterButtonOpensTheValueList();

    void weightedWidths_data();
    void weightedWidths();
    void fitColumnsByWeightScreenRule_data();
    void fitColumnsByWeightScreenRule();
    void fitColumnsByWeightLeavesDisabledGrid();
    void layoutDuringATabSwitchKeepsTheGridPainting_data();
    void layoutDuringATabSwitchKeepsTheGridPainting();
    void bestFitMeasuresOnlyTheFirstRows();

    void incrementalSearch_data();
    void incrementalSearch();
    void incrementalSearchSkipsExcludedColumn();

    void loadBracketsHideTheFillAndResetOnce();
    void columnStatesAndWidthsSurviveAReloadWithNewColumns();
    void hiddenColumnWithMinimumWidthTakesNoRoom();
    void doubleClickGivesSourceRow();
    void singleCellFocusNamesTheField();
    void buttonCellReportsItsRow();
    void sortingCanBeSwitchedOff();
    void contextMenuBelongsToTheGrid();
    void autoColumnWidthSharesTheView();
    void rowAndHeaderHeights();

    void screenshot();
};

void TestGrid::initTestCase()
{
    ApplyVelunStyle(*qobject_cast<QApplication*>(QCoreApplication::instance()));
}

void TestGrid::columnStates_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("customizable");
    QTest::newRow("shown") << int(ColumnState::Shown) << true << true;
    QTest::newRow("offered") << int(ColumnState::Offered) << false << true;
    QTest::newRow("never offered") << int(ColumnState::NeverOffered) << false << false;
    QTest::newRow("fixed") << int(ColumnState::Fixed) << true << false;
}

void TestGrid::columnStates()
{
    QFETCH(int, state);
    QFETCH(bool, visible);
    QFETCH(bool, customizable);
    MemDataset data;
    fillBasket(data);
    VelunGrid grid;
    grid.setColumns({col(QStringLiteral("KOD")), col(QStringLiteral("ADI"), ColumnState(state))});
    grid.setDataset(&data);
    QCOMPARE(grid.isColumnVisible(u"ADI"), visible);
    QCOMPARE(grid.customizableColumns().contains(QStringLiteral("ADI")), customizable);
    QCOMPARE(grid.visibleColumns().contains(QStringLiteral("ADI")), visible);
    // A reset of the dataset keeps the column layout.
    fillBasket(data);
    QCOMPARE(grid.isColumnVisible(u"ADI"), visible);
}

void TestGrid::columnStatesChangeAtRunTime()
{
    VelunGrid grid;
    grid.setColumns({col(QStringLiteral("KOD")), col(QStringLiteral("KALAN"), ColumnState::NeverOffered),
                     col(QStringLiteral("DURUM"))});
    QCOMPARE(grid.customizableColumns(), QStringList({QStringLiteral("KOD"), QStringLiteral("DURUM")}));
    // The user-type rules: one type sees the balance, another loses the state column altogether.
    grid.setColumnState(u"KALAN", ColumnState::Shown);
    grid.setColumnState(u"DURUM", ColumnState::NeverOffered);
    QVERIFY(grid.isColumnVisible(u"KALAN"));
    QVERIFY(!grid.isColumnVisible(u"DURUM"));
    QCOMPARE(grid.customizableColumns(), QStringList({QStringLiteral("KOD"), QStringLiteral("KALAN")}));
    QCOMPARE(grid.columnState(u"durum"), ColumnState::NeverOffered);
    // Layout switching shows a column without changing its state.
    grid.setColumnVisible(u"DURUM", true);
    QVERIFY(grid.isColumnVisible(u"DURUM"));
    QCOMPARE(grid.columnState(u"DURUM"), ColumnState::NeverOffered);
}

void TestGrid::customizationMenuTogglesOfferedColumns()
{
    VelunGrid grid;
    std::vector<GridColumn> columns = basketColumns();
    columns[0].state = ColumnState::Fixed;
    columns[1].caption = QStringLiteral("Açıklama");
    grid.setColumns(columns);
    std::unique_ptr<QMenu> menu(grid.createCustomizationMenu(nullptr));
    QStringList captions;
    QList<bool> checked;
    for (QAction* a : menu->actions()) {
        captions << a->text();
        checked << a->isChecked();
    }
    QCOMPARE(captions, QStringList({QStringLiteral("Açıklama"), QStringLiteral("MIKTAR"), QStringLiteral("NETTUTAR"),
                                    QStringLiteral("DURUM")}));
    QCOMPARE(checked, QList<bool>({true, true, true, false}));
    menu->actions().last()->trigger();
    QVERIFY(grid.isColumnVisible(u"DURUM"));
    menu->actions().first()->trigger();
    QVERIFY(!grid.isColumnVisible(u"ADI"));
}

void TestGrid::missingColumnShowsEmptyCells()
{
    MemDataset data;
    fillBasket(data);
    VelunGrid grid;
    grid.setColumns({col(QStringLiteral("KOD")), col(QStringLiteral("YOKBOYLE"))});
    grid.setDataset(&data);
    QCOMPARE(grid.rowCount(), 4);
    QCOMPARE(grid.proxy()->index(0, 0).data().toString(), QStringLiteral("B-200"));
    QCOMPARE(grid.proxy()->index(0, 1).data().toString(), QString());
    QVERIFY(grid.filterValues(u"YOKBOYLE") == QStringList{QString()});
}

void TestGrid::headerCaptions()
{
    VelunGrid grid;
    GridColumn named = col(QStringLiteral("ADI"));
    named.caption = QStringLiteral("Açıklama");
    GridColumn hidden = col(QStringLiteral("PKOD"));
    hidden.captionHidden = true;
    GridColumn own;
    own.caption = QStringLiteral("Fiyat Bilgisi");
    own.kind = CellKind::Custom;
    grid.setColumns({named, hidden, col(QStringLiteral("KDV")), own});
    const auto header = [&](int section) { return grid.proxy()->headerData(section, Qt::Horizontal).toString(); };
    QCOMPARE(header(0), QStringLiteral("Açıklama"));
    QCOMPARE(header(1), QString());
    QCOMPARE(header(2), QStringLiteral("KDV"));
    QCOMPARE(header(3), QStringLiteral("Fiyat Bilgisi"));
    QCOMPARE(grid.columnIndex(u"Fiyat Bilgisi"), 3);
}

void TestGrid::footerCountAndSums()
{
    MemDataset data;
    fillBasket(data);
    VelunGrid grid;
    grid.setColumns(basketColumns());
    grid.setFooter({{QStringLiteral("KOD"), FooterSummary::Kind::Count},
                    {QStringLiteral("MIKTAR"), FooterSummary::Kind::Sum},
                    {QStringLiteral("NETTUTAR"), FooterSummary::Kind::Sum}});
    grid.setDataset(&data);
    QCOMPARE(grid.footerText(u"KOD"), QStringLiteral("4"));
    QCOMPARE(grid.footerText(u"MIKTAR"), QStringLiteral("10,00"));
    QCOMPARE(grid.footerText(u"NETTUTAR"), QStringLiteral("1.001.245,25"));
    QCOMPARE(grid.footerText(u"ADI"), QString());
    data.appendRow({QStringLiteral("D-400"), QStringLiteral("Yağ"), 0.5, 0.25, 1});
    QCOMPARE(grid.footerText(u"KOD"), QStringLiteral("5"));
    QCOMPARE(grid.footerText(u"NETTUTAR"), QStringLiteral("1.001.245,50"));
    data.emptyDataSet();
    QCOMPARE(grid.footerText(u"KOD"), QStringLiteral("0"));
    QCOMPARE(grid.footerText(u"MIKTAR"), QStringLiteral("0,00"));
}

void TestGrid::footerFollowsFilter()
{
    MemDataset data;
    fillBasket(data);
    VelunGrid grid;
    grid.setColumns(basketColumns());
    grid.setFooter({{QStringLiteral("KOD"), FooterSummary::Kind::Count},
                    {QStringLiteral("NETTUTAR"), FooterSummary::Kind::Sum}});
    grid.setDataset(&data);
    grid.setColumnFilter(u"KOD", {QStringLiteral("A-100")});
    QCOMPARE(grid.rowCount(), 2);
    QCOMPARE(grid.footerText(u"KOD"), QStringLiteral("2"));
    QCOMPARE(grid.footerText(u"NETTUTAR"), QStringLiteral("1.000.010,25"));
    grid.clearFilters();
    QCOMPARE(grid.footerText(u"KOD"), QStringLiteral("4"));
}

void TestGrid::filterValuesAreDistinctSortedAndBounded()
{
    MemDataset data;
    fillBasket(data);
    VelunGrid grid;
    grid.setColumns(basketColumns());
    grid.setDataset(&data);
    QCOMPARE(grid.filterValues(u"KOD"), QStringList({QStringLiteral("A-100"), QStringLiteral("B-200"), QStringLiteral("C-300")}));
    // Turkish order: ı before i, Ç after C.
    QCOMPARE(grid.filterValues(u"ADI"), QStringList({QStringLiteral("Fren balatası"), QStringLiteral("ısı sensörü"),
                                                     QStringLiteral("Işık anahtarı"), QStringLiteral("İç lamba")}));
    // Display texts, in the money format.
    QCOMPARE(grid.filterValues(u"NETTUTAR").first(), QStringLiteral("0,50"));
    QCOMPARE(grid.filterValues(u"KOD", 2).size(), 2);
    QVERIFY(grid.filterValues(u"YOK").isEmpty());

    MemDataset many;
    many.setColumns({{QStringLiteral("NO"), FieldType::Int32}});
    for (int i = 0; i < 5000; ++i)
        many.appendRow({i});
    grid.setColumns({col(QStringLiteral("NO"))});
    grid.setDataset(&many);
    QCOMPARE(grid.filterValues(u"NO").size(), 1000);
}

void TestGrid::filterMenuSetsAndClears()
{
    MemDataset data;
    fillBasket(data);
    VelunGrid grid;
    grid.setColumns(basketColumns());
    grid.setDataset(&data);
    std::unique_ptr<QMenu> menu(grid.createFilterMenu(u"KOD", nullptr));
    QStringList texts;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            texts << a->text();
    QCOMPARE(texts, QStringList({QStringLiteral("(Tümü)"), QStringLiteral("A-100"), QStringLiteral("B-200"),
                                 QStringLiteral("C-300")}));
    menu->actions().at(3)->trigger(); // B-200
    QVERIFY(grid.hasFilter());
    QCOMPARE(grid.columnFilter(u"KOD"), QStringList{QStringLiteral("B-200")});
    QCOMPARE(grid.rowCount(), 1);
    QCOMPARE(grid.sourceRowAt(0), 0);
    std::unique_ptr<QMenu> again(grid.createFilterMenu(u"KOD", nullptr));
    QVERIFY(again->actions().at(3)->isChecked());
    again->actions().first()->trigger(); // (Tümü)
    QVERIFY(!grid.hasFilter());
    QCOMPARE(grid.rowCount(), 4);
    // Two columns filter together.
    grid.setColumnFilter(u"KOD", {QStringLiteral("A-100"), QStringLiteral("C-300")});
    grid.setColumnFilter(u"DURUM", {QStringLiteral("1")});
    QCOMPARE(grid.rowCount(), 1);
    QCOMPARE(grid.sourceRowAt(0), 2);
}

void TestGrid::headerFilterButtonOpensTheValueList()
{
    MemDataset data;
    fillBasket(data);
    VelunGrid grid;
    grid.setColumns(basketColumns());
    grid.setDataset(&data);
    grid.resize(600, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QHeaderView* header = grid.view()->horizontalHeader();
    const int right = header->sectionViewportPosition(0) + header->sectionSize(0) - 5;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(right, header->height() / 2));
    QMenu* menu = nullptr;
    QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr);
    QCOMPARE(menu->actions().first()->text(), QStringLiteral("(Tümü)"));
    QCOMPARE(menu->actions().last()->text(), QStringLiteral("C-300"));
    menu->actions().last()->trigger();
    menu->close();
    QCOMPARE(grid.rowCount(), 1);
    QCOMPARE(grid.sourceRowAt(0), 2);
    // The button does not sort; the rest of the section still does.
    QCOMPARE(header->sortIndicatorSection(), -1);
    grid.clearFilters();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(10, header->height() / 2));
    QCOMPARE(header->sortIndicatorSection(), 0);
    QCOMPARE(grid.sourceRowAt(0), 1); // A-100 first
}

void TestGrid::weightedWidths_data()
{
    QTest::addColumn<std::vector<int>>("weights");
    QTest::addColumn<int>("gridWidth");
    QTest::addColumn<int>("margin");
    QTest::addColumn<std::vector<int>>("widths");
    QTest::newRow("exact") << std::vector<int>{1, 2, 3} << 630 << 30 << std::vector<int>{100, 200, 300};
    QTest::newRow("truncated") << std::vector<int>{1, 1, 1} << 1030 << 30 << std::vector<int>{333, 333, 333};
    QTest::newRow("zero weight column") << std::vector<int>{0, 2, 1} << 330 << 30 << std::vector<int>{0, 200, 100};
    QTest::newRow("basket 1600") << std::vector<int>{1, 1, 1, 2, 2, 2, 3, 1, 1, 1} << 1600 << 30
                                 << std::vector<int>{104, 104, 104, 208, 208, 208, 312, 104, 104, 104};
    QTest::newRow("grid narrower than margin") << std::vector<int>{1, 2} << 20 << 30 << std::vector<int>{0, 0};
    QTest::newRow("sum of weights 0") << std::vector<int>{0, 0} << 800 << 30 << std::vector<int>{};
    QTest::newRow("no columns") << std::vector<int>{} << 800 << 30 << std::vector<int>{};
}

void TestGrid::weightedWidths()
{
    QFETCH(std::vector<int>, weights);
    QFETCH(int, gridWidth);
    QFETCH(int, margin);
    QFETCH(std::vector<int>, widths);
    QCOMPARE(WeightedWidths(weights, gridWidth, margin), widths);
}

void TestGrid::fitColumnsByWeightScreenRule_data()
{
    QTest::addColumn<int>("screenWidth");
    QTest::addColumn<bool>("byWeight");
    QTest::newRow("1153: by weight") << 1153 << true;
    QTest::newRow("1920: by weight") << 1920 << true;
    QTest::newRow("1152: best fit") << 1152 << false;
    QTest::newRow("1024: best fit") << 1024 << false;
}

void TestGrid::fitColumnsByWeightScreenRule()
{
    QFETCH(int, screenWidth);
    QFETCH(bool, byWeight);
    SetScreenWidthSource([screenWidth] { return screenWidth; });
    MemDataset data;
    fillBasket(data);
    VelunGrid grid;
    grid.setColumns(basketColumns()); // visible weights 1, 3, 1, 2; DURUM hidden
    grid.setDataset(&data);
    grid.resize(730, 300);
    FitColumnsByWeight(grid, 30);
    const std::vector<int> weighted{100, 300, 100, 200};
    std::vector<int> widths;
    for (const QString& key : grid.visibleColumns())
        widths.push_back(grid.columnWidth(key));
    if (byWeight) {
        QCOMPARE(widths, weighted);
        grid.setColumnVisible(u"DURUM", true); // hidden columns keep their width
        QCOMPARE(grid.columnWidth(u"DURUM"), 80);
        grid.setColumnVisible(u"DURUM", false);
    } else {
        QVERIFY(widths != weighted);
        // Best fit: wide enough for the longest name of the column.
        QVERIFY(grid.columnWidth(u"ADI") >= grid.view()->fontMetrics().horizontalAdvance(QStringLiteral("Fren balatası")));
    }
    // Always-by-weight ignores the screen.
    FitColumnsByWeightAlways(grid, 30);
    widths.clear();
    for (const QString& key : grid.visibleColumns())
        widths.push_back(grid.columnWidth(key));
    QCOMPARE(widths, weighted);
    // Weights summing to 0 change nothing.
    std::vector<GridColumn> zero = basketColumns();
    for (GridColumn& c : zero)
        c.weight = 0;
    grid.setColumns(zero);
    FitColumnsByWeightAlways(grid, 30);
    QCOMPARE(grid.columnWidth(u"ADI"), 80);
    SetScreenWidthSource(nullptr);
}

void TestGrid::fitColumnsByWeightLeavesDisabledGrid()
{
    SetScreenWidthSource([] { return 1600; });
    VelunGrid grid;
    grid.setColumns(basketColumns());
    grid.resize(730, 300);
    grid.setEnabled(false);
    FitColumnsByWeight(grid, 30);
    QCOMPARE(grid.columnWidth(u"ADI"), 80);
    grid.setEnabled(true);
    FitColumnsByWeight(grid, 30);
    QCOMPARE(grid.columnWidth(u"ADI"), 300);
    SetScreenWidthSource(nullptr);
}

void TestGrid::layoutDuringATabSwitchKeepsTheGridPainting_data()
{
    QTest::addColumn<int>("screenWidth");
    QTest::newRow("weighted") << 1600;
    QTest::newRow("best fit") << 800;
}

// A tab switch turns painting off for the pages while it runs; a grid laid out from its first resize
// inside that window must paint again afterwards (it stayed black before).
void TestGrid::layoutDuringATabSwitchKeepsTheGridPainting()
{
    QFETCH(int, screenWidth);
    SetScreenWidthSource([screenWidth] { return screenWidth; });
    QTabWidget tabs;
    tabs.addTab(new QWidget, QStringLiteral("ilk"));
    auto* page = new QWidget;
    auto* grid = new VelunGrid(page);
    grid->setColumns(basketColumns());
    connect(grid, &VelunGrid::resized, grid, [grid] { FitColumnsByWeight(*grid, 30); });
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(grid);
    tabs.addTab(page, QStringLiteral("ikinci"));
    tabs.resize(900, 400);
    tabs.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tabs));
    tabs.setCurrentIndex(1);
    QVERIFY(grid->view()->updatesEnabled());
    QVERIFY(grid->view()->viewport()->updatesEnabled());
    SetScreenWidthSource(nullptr);
}

void TestGrid::bestFitMeasuresOnlyTheFirstRows()
{
    MemDataset data;
    data.setColumns({{QStringLiteral("ADI"), FieldType::Text}, {QStringLiteral("SABIT"), FieldType::Text}});
    for (int i = 0; i < 20; ++i)
        data.appendRow({QStringLiteral("kısa"), QStringLiteral("x")});
    data.appendRow({QStringLiteral("çok çok çok çok çok çok uzun bir açıklama satırı"), QStringLiteral("x")});
    VelunGrid grid;
    GridColumn fixed = col(QStringLiteral("SABIT"));
    fixed.width = 84;
    fixed.fixedWidth = true;
    grid.setColumns({col(QStringLiteral("ADI")), fixed});
    grid.setDataset(&data);
    grid.bestFitColumns(10);
    const int shortFit = grid.columnWidth(u"ADI");
    grid.bestFitColumns(500);
    QVERIFY(grid.columnWidth(u"ADI") > shortFit + 100);
    QCOMPARE(grid.columnWidth(u"SABIT"), 84);
}

void TestGrid::incrementalSearch_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("sourceRow");
    QTest::newRow("prefix") << QStringLiteral("KOD") << QStringLiteral("c-") << 2;
    QTest::newRow("dotless ı matches I") << QStringLiteral("ADI") << QStringLiteral("IŞ") << 3;
    QTest::newRow("dotted i matches İ") << QStringLiteral("ADI") << QStringLiteral("iç") << 1;
    QTest::newRow("I does not match i") << QStringLiteral("ADI") << QStringLiteral("IÇ") << -1;
    QTest::newRow("money text") << QStringLiteral("NETTUTAR") << QStringLiteral("1.000.000") << 1;
    QTest::newRow("no match keeps the focus") << QStringLiteral("KOD") << QStringLiteral("Z") << -1;
}

void TestGrid::incrementalSearch()
{
    QFETCH(QString, column);
    QFETCH(QString, typed);
    QFETCH(int, sourceRow);
    MemDataset data;
    fillBasket(data);
    VelunGrid grid;
    grid.setColumns(basketColumns());
    grid.setSelection(VelunGrid::Selection::SingleCell);
    grid.setDataset(&data);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.setFocusedCell(0, column);
    grid.view()->setFocus();
    typeText(grid.view(), typed);
    QCOMPARE(grid.focusedRow(), sourceRow < 0 ? 0 : sourceRow);
    QCOMPARE(grid.focusedFieldName(), column);
}

void TestGrid::incrementalSearchSkipsExcludedColumn()
{
    MemDataset data;
    fillBasket(data);
    VelunGrid grid;
    std::vector<GridColumn> columns = basketColumns();
    columns[0].incrementalSearch = false;
    grid.setColumns(columns);
    grid.setSelection(VelunGrid::Selection::SingleCell);
    grid.setDataset(&data);
    grid.setFocusedCell(0, u"KOD");
    QVERIFY(!grid.incrementalSearch(QStringLiteral("C")));
    QCOMPARE(grid.focusedRow(), 0);
    grid.setFocusedCell(0, u"ADI");
    QVERIFY(grid.incrementalSearch(QStringLiteral("f")));
    QCOMPARE(grid.focusedRow(), 2);
}

void TestGrid::loadBracketsHideTheFillAndResetOnce()
{
    MemDataset data;
    fillBasket(data);
    VelunGrid grid;
    grid.setColumns(basketColumns());
    grid.setFooter({{QStringLiteral("KOD"), FooterSummary::Kind::Count}});
    grid.setDataset(&data);
    grid.setColumnFilter(u"KOD", {QStringLiteral("A-100")});
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    grid.beginLoad();
    QVERIFY(!grid.hasFilter());
    QVERIFY(!grid.view()->updatesEnabled());
    QCOMPARE(grid.rowCount(), 0);
    QSignalSpy resets(grid.proxy(), &QAbstractItemModel::modelReset);
    QSignalSpy inserts(grid.proxy(), &QAbstractItemModel::rowsInserted);
    QSignalSpy changes(grid.proxy(), &QAbstractItemModel::dataChanged);
    {
        ControlsDisabled quiet(data);
        data.emptyDataSet();
        for (int i = 0; i < 300; ++i)
            data.appendRow({QStringLiteral("K%1").arg(i), QStringLiteral("ad"), 1.0, 2.0, 1});
    }
    data.appendRow({QStringLiteral("SON"), QStringLiteral("ad"), 1.0, 2.0, 1}); // even outside the dataset's bracket
    QCOMPARE(resets.count(), 0);
    QCOMPARE(inserts.count(), 0);
    QCOMPARE(changes.count(), 0);
    QCOMPARE(grid.rowCount(), 0);

    grid.endLoad();
    QCOMPARE(resets.count(), 1);
    QCOMPARE(inserts.count(), 0);
    QVERIFY(grid.view()->updatesEnabled());
    QCOMPARE(grid.rowCount(), 301);
    QCOMPARE(grid.footerText(u"KOD"), QStringLiteral("301"));
}

// A load replaces the dataset's columns (the server's table); the grid's hidden columns stay hidden
// and the widths the layout set stay.
void TestGrid::columnStatesAndWidthsSurviveAReloadWithNewColumns()
{
    MemDataset data;
    fillBasket(data);
    VelunGrid grid;
    grid.setColumns(basketColumns());
    grid.setDataset(&data);
    grid.setColumnVisible(u"MIKTAR", false);
    grid.setColumnWidth(u"ADI", 333);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    grid.beginLoad();
    {
        ControlsDisabled quiet(data);
        data.setColumns({{QStringLiteral("ADI"), FieldType::Text}, {QStringLiteral("KOD"), FieldType::Text},
                         {QStringLiteral("EKSTRA"), FieldType::Text}, {QStringLiteral("DURUM"), FieldType::Int32}});
        data.appendRow({QStringLiteral("ad"), QStringLiteral("K1"), QStringLiteral("x"), 1});
    }
    grid.endLoad();
    QCOMPARE(grid.visibleColumns(), (QStringList{u"KOD"_qs, u"ADI"_qs, u"NETTUTAR"_qs}));
    QVERIFY(grid.view()->isColumnHidden(grid.columnIndex(u"DURUM")));
    QCOMPARE(grid.columnWidth(u"ADI"), 333);
}

// A hidden column with a minimum width takes no room: the next column starts where the last shown one ends.
void TestGrid::hiddenColumnWithMinimumWidthTakesNoRoom()
{
    MemDataset data;
    fillBasket(data);
    std::vector<GridColumn> columns = basketColumns();
    columns[1].state = ColumnState::NeverOffered;
    columns[1].minWidth = 404;
    columns[1].width = 404;
    columns[1].fixedWidth = true;
    VelunGrid grid;
    grid.setColumns(columns);
    grid.setDataset(&data);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    const QHeaderView* header = grid.view()->horizontalHeader();
    QCOMPARE(header->sectionViewportPosition(grid.columnIndex(u"MIKTAR")), grid.columnWidth(u"KOD"));
    grid.setColumnVisible(u"ADI", true);
    QCOMPARE(grid.columnWidth(u"ADI"), 404);
    grid.setColumnVisible(u"ADI", false);
    QCOMPARE(header->sectionViewportPosition(grid.columnIndex(u"MIKTAR")), grid.columnWidth(u"KOD"));
}

void TestGrid::doubleClickGivesSourceRow()
{
    MemDataset data;
    fillBasket(data);
    VelunGrid grid;
    grid.setColumns(basketColumns());
    grid.setDataset(&data);
    grid.resize(600, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.view()->sortByColumn(0, Qt::DescendingOrder); // C-300 (source row 2) first
    QSignalSpy clicks(&grid, &VelunGrid::rowDoubleClicked);
    QTest::mouseClick(grid.view()->viewport(), Qt::LeftButton, {}, cellCentre(grid, 0, 1));
    QTest::mouseDClick(grid.view()->viewport(), Qt::LeftButton, {}, cellCentre(grid, 0, 1));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.first().first().toInt(), 2);
    QCOMPARE(grid.focusedRow(), 2);
    QCOMPARE(grid.value(grid.focusedRow(), u"KOD").toString(), QStringLiteral("C-300"));
}

void TestGrid::singleCellFocusNamesTheField()
{
    MemDataset data;
    fillBasket(data);
    VelunGrid grid;
    grid.setColumns(basketColumns());
    grid.setSelection(VelunGrid::Selection::SingleCell);
    grid.setFocusRectVisible(false);
    grid.setDataset(&data);
    grid.resize(600, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QTest::mouseClick(grid.view()->viewport(), Qt::LeftButton, {}, cellCentre(grid, 1, 2));
    QCOMPARE(grid.focusedFieldName(), QStringLiteral("MIKTAR"));
    QCOMPARE(grid.focusedRow(), 1);
    QCOMPARE(grid.view()->selectionModel()->selectedIndexes().size(), 1);
}

void TestGrid::buttonCellReportsItsRow()
{
    MemDataset data;
    fillBasket(data);
    VelunGrid grid;
    GridColumn button;
    button.caption = QStringLiteral("İndir");
    button.kind = CellKind::Button;
    button.buttonText = QStringLiteral("İndir");
    button.width = 113;
    grid.setColumns({col(QStringLiteral("ADI")), button});
    grid.setDataset(&data);
    grid.resize(400, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy clicked(&grid, &VelunGrid::buttonClicked);
    QTest::mouseClick(grid.view()->viewport(), Qt::LeftButton, {}, cellCentre(grid, 3, 1));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.first().at(0).toString(), QStringLiteral("İndir"));
    QCOMPARE(clicked.first().at(1).toInt(), 3);
    QTest::mouseClick(grid.view()->viewport(), Qt::LeftButton, {}, cellCentre(grid, 2, 0));
    QCOMPARE(clicked.count(), 1);
}

void TestGrid::sortingCanBeSwitchedOff()
{
    MemDataset data;
    fillBasket(data);
    VelunGrid grid;
    grid.setColumns(basketColumns());
    grid.setDataset(&data);
    // The server's order until a header is clicked.
    QCOMPARE(grid.sourceRowAt(0), 0);
    grid.view()->sortByColumn(0, Qt::AscendingOrder);
    QCOMPARE(grid.sourceRowAt(0), 1);
    grid.setSortingEnabled(false);
    QCOMPARE(grid.sourceRowAt(0), 0);
    QVERIFY(!grid.view()->isSortingEnabled());
}

void TestGrid::contextMenuBelongsToTheGrid()
{
    MemDataset data;
    fillBasket(data);
    VelunGrid grid;
    grid.setColumns(basketColumns());
    grid.setDataset(&data);
    QMenu menu;
    menu.addAction(QStringLiteral("Satır Değiştir"));
    grid.setContextMenu(&menu);
    grid.resize(600, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    emit grid.view()->customContextMenuRequested(cellCentre(grid, 1, 1));
    QTRY_VERIFY(menu.isVisible());
    menu.close();
}

void TestGrid::autoColumnWidthSharesTheView()
{
    VelunGrid grid;
    std::vector<GridColumn> columns = basketColumns();
    columns[1].width = 240;
    grid.setColumns(columns);
    grid.setAutoColumnWidth(true);
    grid.resize(700, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    int total = 0;
    for (const QString& key : grid.visibleColumns())
        total += grid.columnWidth(key);
    QCOMPARE(total, grid.view()->viewport()->width());
    QVERIFY(grid.columnWidth(u"ADI") > 2 * grid.columnWidth(u"KOD"));
}

void TestGrid::rowAndHeaderHeights()
{
    MemDataset data;
    fillBasket(data);
    VelunGrid grid;
    grid.setColumns(basketColumns());
    grid.setDataset(&data);
    grid.setRowHeight(60);
    grid.setHeaderHeight(40);
    QCOMPARE(grid.rowHeight(), 60);
    QCOMPARE(grid.view()->rowHeight(3), 60);
    QCOMPARE(grid.view()->horizontalHeader()->height(), 40);
}

void TestGrid::screenshot()
{
    MemDataset data;
    data.setLocale(kTurkish);
    data.setColumns({{QStringLiteral("DURUM"), FieldType::Int32},
                     {QStringLiteral("ISTANBUL"), FieldType::Int32},
                     {QStringLiteral("ANTEP"), FieldType::Int32},
                     {QStringLiteral("FINISHKOD"), FieldType::Text},
                     {QStringLiteral("ADI"), FieldType::Text},
                     {QStringLiteral("MARKA"), FieldType::Text},
                     {QStringLiteral("RESIM"), FieldType::Int32},
                     {QStringLiteral("Y"), FieldType::Int32},
                     {QStringLiteral("K"), FieldType::Int32},
                     {QStringLiteral("LISTEFIYAT1"), FieldType::Double},
                     {QStringLiteral("KAMPFIYAT"), FieldType::Double},
                     {QStringLiteral("INDIRIM"), FieldType::Double},
                     {QStringLiteral("NETFIYAT"), FieldType::Double},
                     {QStringLiteral("KDVDAHIL"), FieldType::Double},
                     {QStringLiteral("KALAN"), FieldType::Double}});
    const auto add = [&](int durum, int ist, int antep, const char* kod, const QString& adi, const char* marka,
                         int resim, int y, int k, double liste, double kamp, double ind, double kalan) {
        const double net = (kamp > 0 ? kamp : liste) * (1 - ind / 100);
        data.appendRow({durum, ist, antep, QString::fromLatin1(kod), adi, QString::fromLatin1(marka), resim, y, k, liste,
                        kamp, ind, net, net * 1.2, kalan});
    };
    add(1, 1, 0, "0 986 494 525", QStringLiteral("FREN BALATASI ÖN TAKIM"), "BOSCH", 1, 0, 1, 1850.40, 1599.90, 10, 24);
    add(0, 3, 1, "F 026 400 343", QStringLiteral("HAVA FİLTRESİ"), "BOSCH", 1, 1, 0, 412.75, 0, 0, 3);
    add(2, 1, 1, "KD 4521", QStringLiteral("DEBRİYAJ SETİ 3 PARÇA"), "VALEO", 0, 0, 0, 7420.00, 0, 15, 0);
    add(4, 5, 3, "W 712/95", QStringLiteral("YAĞ FİLTRESİ"), "MANN", 1, 1, 1, 285.30, 249.00, 0, 58);
    add(3, 0, 2, "GDB 1550", QStringLiteral("DİSK BALATA ARKA"), "TRW", 0, 0, 0, 1290.00, 0, 5, 7);
    add(5, 4, 1, "SA 1123", QStringLiteral("AMORTİSÖR ÖN SAĞ GAZLI"), "SACHS", 1, 0, 0, 3350.65, 0, 12.5, 2);
    SetFloatDisplayFormat(data);

    VelunGrid grid;
    const auto iconColumn = [](const QString& field, const QString& caption, IconForValue icon, int width = 84) {
        GridColumn c = col(field, ColumnState::Shown, 1, width);
        c.caption = caption;
        c.kind = CellKind::Icon;
        c.icon = std::move(icon);
        return c;
    };
    GridColumn kod = col(QStringLiteral("FINISHKOD"), ColumnState::Shown, 2, 130);
    kod.caption = QStringLiteral("Kod");
    GridColumn adi = col(QStringLiteral("ADI"), ColumnState::Shown, 3, 210);
    adi.caption = QStringLiteral("Açıklama");
    GridColumn marka = col(QStringLiteral("MARKA"), ColumnState::Shown, 2, 100);
    marka.caption = QStringLiteral("Marka");
    GridColumn kalan = col(QStringLiteral("KALAN"), ColumnState::Shown, 1, 80);
    kalan.caption = QStringLiteral("Kalan");
    GridColumn price;
    price.caption = QStringLiteral("Fiyat Bilgisi");
    price.kind = CellKind::Custom;
    price.width = 220;
    price.painter = [&grid](QPainter& p, const QStyleOptionViewItem& option, int row) {
        const auto amount = [&](const char* field) {
            return FormatFloat(kMoneyDisplayFormat, grid.value(row, QString::fromLatin1(field)).toDouble(), kTurkish);
        };
        QString text = QStringLiteral("Liste Fiyatı: ") + amount("LISTEFIYAT1") + u'\n';
        if (grid.value(row, u"KAMPFIYAT").toDouble() > 0)
            text += QStringLiteral("Kampanyalı Fiyat: ") + amount("KAMPFIYAT") + u'\n';
        if (grid.value(row, u"INDIRIM").toDouble() > 0)
            text += QStringLiteral("İskonto %: ") + amount("INDIRIM") + u'\n';
        text += QStringLiteral("NetFiyat: ") + amount("NETFIYAT") + u'\n';
        text += QStringLiteral("KDV li Fiyat: ") + amount("KDVDAHIL") + u'\n';
        PaintMultilineCell(p, option, row, text.trimmed());
    };
    grid.setColumns({iconColumn(QStringLiteral("DURUM"), QStringLiteral("Durum"), StockStateIcons()),
                     iconColumn(QStringLiteral("ISTANBUL"), QString(), StockStateIcons()),
                     iconColumn(QStringLiteral("ANTEP"), QString(), StockStateIcons()), kod, adi, marka,
                     iconColumn(QStringLiteral("RESIM"), QStringLiteral("Resim"), PictureIcons(), 72),
                     iconColumn(QStringLiteral("Y"), QStringLiteral("Yeni"), YesNoIcons(), 72),
                     iconColumn(QStringLiteral("K"), QStringLiteral("Kampanyalı"), YesNoIcons(), 106), kalan, price});
    grid.setRowHeight(100);
    grid.setFooter({{QStringLiteral("FINISHKOD"), FooterSummary::Kind::Count},
                    {QStringLiteral("KALAN"), FooterSummary::Kind::Sum}});
    grid.setDataset(&data);
    grid.setColumnFilter(u"MARKA", {QStringLiteral("BOSCH"), QStringLiteral("MANN"), QStringLiteral("SACHS"),
                                    QStringLiteral("VALEO")});
    const int frame = 2 * grid.view()->frameWidth();
    grid.resize(grid.view()->horizontalHeader()->length() + frame, 40 + 5 * 100 + frame + grid.findChild<GridFooter*>()->sizeHint().height());
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.setFocusedCell(1, u"ADI");
    QCOMPARE(grid.rowCount(), 5);
    QCOMPARE(grid.footerText(u"FINISHKOD"), QStringLiteral("5"));
    QCOMPARE(grid.footerText(u"KALAN"), QStringLiteral("87,00"));

    // Written to the artifacts folder for a person to look at (docs/screenshots/grid.png is a copy).
    test::saveScreenshot(&grid, QStringLiteral("grid"));
}

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
