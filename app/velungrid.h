#pragma once
// The data grid of every list: a read-only table view over a dataset, set up from a column table,
// with header filter buttons, quick column customisation, incremental search, a summary footer
// and load brackets for background fills.

#include "app/gridcolumns.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

class QMenu;
class QTableView;

namespace velun {

class DatasetModel;
class GridFilterProxy;
class GridFooter;
class GridHeader;
class GridTableView;
class MemDataset;
struct ColumnRule;

struct FooterSummary
{
    enum class Kind { Count, Sum };
    QString field; // the column (key) the summary stands under; Sum adds that column's values
    Kind kind = Kind::Sum;
};

class VelunGrid : public QWidget
{
    Q_OBJECT
public:
    enum class Selection { WholeRow, SingleCell };

    explicit VelunGrid(QWidget* parent = nullptr);
    ~VelunGrid() override;

    void setColumns(std::vector<GridColumn> columns);
    const std::vector<GridColumn>& columns() const { return m_columns; }
    void setDataset(MemDataset* dataset);
    MemDataset* dataset() const { return m_dataset; }

    // Column index by key (field, or the caption of a column of its own); -1 when unknown.
    int columnIndex(QStringView key) const;
    ColumnState columnState(QStringView key) const;
    // Applies the state's visibility; the user-type rules change states at run time.
    void setColumnState(QStringView key, ColumnState state);
    bool isColumnVisible(QStringView key) const;
    // Shows or hides whatever the state (layouts switch columns this way).
    void setColumnVisible(QStringView key, bool visible);
    int columnWidth(QStringView key) const;
    void setColumnWidth(QStringView key, int width);
    // Keys of the visible columns in display order.
    QStringList visibleColumns() const;
    // Keys the quick customisation lists (shown and offered columns), in display order.
    QStringList customizableColumns() const;
    // The quick column customisation menu (also the header's context menu).
    QMenu* createCustomizationMenu(QWidget* parent);

    // View behaviour.
    void setSelection(Selection selection);
    void setFocusRectVisible(bool visible);
    void setSortingEnabled(bool enabled);
    void setRowHeight(int height);
    int rowHeight() const;
    void setHeaderHeight(int height);
    // Columns share the view's width in the proportions of their nominal widths.
    void setAutoColumnWidth(bool on);
    void setContextMenu(QMenu* menu);
    void setIncrementalSearch(bool on) { m_incrementalSearch = on; }
    // Typed text jumps to the first row (from the focused one) whose focused cell starts with it.
    bool incrementalSearch(const QString& text);

    // Filters by display values; an empty list clears the column.
    void setColumnFilter(QStringView key, const QStringList& values);
    QStringList columnFilter(QStringView key) const;
    void clearFilters();
    bool hasFilter() const;
    // The values the column's filter button offers (distinct display texts, at most limit).
    QStringList filterValues(QStringView key, int limit = 1000) const;
    // The filter button's menu: "(Tümü)" then the values.
    QMenu* createFilterMenu(QStringView key, QWidget* parent);

    void setFooter(std::vector<FooterSummary> summaries);
    // The footer's text under a column ("" when it has none): the row count, or the sum in the money format.
    QString footerText(QStringView key) const;

    // Load brackets: the view lets go of the dataset and stops painting until endLoad, which
    // re-attaches with one reset. Filters are cleared: the values are about to change.
    void beginLoad();
    void endLoad();
    bool loading() const { return m_loading; }

    // Fits each column to its header and the first maxRows rows (fixed columns are left alone).
    void bestFitColumns(int maxRows = 500);

    // Rows of the dataset behind the view.
    int rowCount() const;
    int focusedRow() const; // dataset row, -1 without focus
    QString focusedFieldName() const;
    void setFocusedCell(int sourceRow, QStringView key);
    int sourceRowAt(int viewRow) const;
    QVariant value(int sourceRow, QStringView field) const;
    QString displayText(int sourceRow, QStringView field) const;

    QTableView* view() const;
    DatasetModel* model() const { return m_model; }
    GridFilterProxy* proxy() const { return m_proxy; }

signals:
    void rowDoubleClicked(int sourceRow);
    void buttonClicked(const QString& key, int sourceRow);
    void focusedRowChanged(int sourceRow);
    // The grid changed size (owners run their column layouts from it).
    void resized();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class GridHeader;
    friend class GridDelegate;
    void applyColumn(int index);
    void updateFooter();
    void layoutFooter();
    void applyAutoWidth();
    void showFilterMenu(int column, const QPoint& globalPos);
    QModelIndex sourceIndex(const QModelIndex& viewIndex) const;

    std::vector<GridColumn> m_columns;
    std::vector<FooterSummary> m_summaries;
    QPointer<MemDataset> m_dataset;
    DatasetModel* m_model;
    GridFilterProxy* m_proxy;
    GridTableView* m_view;
    GridHeader* m_header;
    GridFooter* m_footer;
    QPointer<QMenu> m_contextMenu;
    bool m_loading = false;
    bool m_autoWidth = false;
    bool m_incrementalSearch = true;
    bool m_focusRect = true;
};

// Suspends painting of a widget for a scope. Restores only what it changed itself: a widget whose
// updates are off because an ancestor's are (a tab switch does that) is not left switched off.
class UpdatesSuspended
{
public:
    explicit UpdatesSuspended(QWidget* widget);
    ~UpdatesSuspended();
    UpdatesSuspended(const UpdatesSuspended&) = delete;
    UpdatesSuspended& operator=(const UpdatesSuspended&) = delete;

private:
    QWidget* m_widget;
    bool m_wasSuspended;
};

// The screen width the weighted layout tests (the primary screen unless replaced; nullptr restores).
void SetScreenWidthSource(std::function<int()> source);
int ScreenWidth();

// Applies a user type's column rules: a shown column visible (customisable or fixed), a removed one
// hidden and not offered; fields the grid does not have are skipped.
void ApplyColumnRules(VelunGrid& grid, const QList<ColumnRule>& rules);

// Width per weight: U = trunc((gridWidth − margin) / S), S the sum of the weights; each width is
// weight × U (never below 0). An empty result when S is 0: the widths stay as they are.
std::vector<int> WeightedWidths(const std::vector<int>& weights, int gridWidth, int margin);
// On a screen wider than 1152 pixels the visible columns get their weighted widths inside one
// update; otherwise every column is fitted to its content. Nothing while the grid is disabled.
void FitColumnsByWeight(VelunGrid& grid, int margin);
// The weighted widths whatever the screen width.
void FitColumnsByWeightAlways(VelunGrid& grid, int margin);

// The shared look of a custom text cell: the row's ground (selection, odd or even), the text
// right-aligned, vertically centred, on several lines, `sideMargin` pixels in from both sides.
void PaintMultilineCell(QPainter& painter, const QStyleOptionViewItem& option, int sourceRow, const QString& text,
                        int sideMargin = 10);

} // namespace velun
