#include "app/velungrid.h"

#include "app/customertype.h"

#include "app/artwork.h"
#include "app/gridfilter.h"
#include "app/gridfooter.h"
#include "server/dataset.h"
#include "server/datasetmodel.h"
#include "server/displayformat.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace velun {

IconForValue StockStateIcons()
{
    return [](const QVariant& v) { return v.isNull() ? QIcon() : artwork::stockStateIcon(v.toInt()); };
}

IconForValue PictureIcons()
{
    return [](const QVariant& v) { return v.toInt() == 1 ? artwork::pictureIcon() : QIcon(); };
}

IconForValue YesNoIcons()
{
    return [](const QVariant& v) { return artwork::yesNoIcon(v.toInt() == 1); };
}

IconForValue YesOnlyIcons()
{
    return [](const QVariant& v) { return v.toInt() == 1 ? artwork::yesNoIcon(true) : QIcon(); };
}

namespace {

constexpr int kFilterButtonWidth = 16;
constexpr int kIconSize = 24;
const QString kAllValues = QStringLiteral("(Tümü)");
const QString kEmptyValue = QStringLiteral("(Boş)");

const QLocale& turkish()
{
    static const QLocale locale(QLocale::Turkish, QLocale::Turkey);
    return locale;
}

} // namespace

// Column headers with a filter button at the right of every section; the context menu is the
// quick column customisation.
class GridHeader : public QHeaderView
{
public:
    GridHeader(VelunGrid* grid, QWidget* parent) : QHeaderView(Qt::Horizontal, parent), m_grid(grid)
    {
        setSectionsClickable(true);
        setSectionsMovable(true);
        setHighlightSections(false);
        setDefaultAlignment(Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
        setMinimumSectionSize(16);
    }

    QRect filterButtonRect(const QRect& section) const
    {
        return {section.right() - kFilterButtonWidth, section.top(), kFilterButtonWidth, section.height()};
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        if (rect.width() <= kFilterButtonWidth * 2) {
            QHeaderView::paintSection(painter, rect, logicalIndex);
            return;
        }
        painter->save();
        QStyleOptionHeader ground;
        ground.initFrom(this);
        ground.rect = rect;
        style()->drawControl(QStyle::CE_HeaderSection, &ground, painter, this);
        painter->restore();
        painter->save();
        QHeaderView::paintSection(painter, rect.adjusted(0, 0, -kFilterButtonWidth, 0), logicalIndex);
        painter->restore();

        const bool active = m_grid->m_proxy->hasFilter(logicalIndex);
        const QRect button = filterButtonRect(rect);
        const QPointF c = QRectF(button).center();
        QPainterPath arrow;
        arrow.moveTo(c.x() - 4, c.y() - 2);
        arrow.lineTo(c.x() + 4, c.y() - 2);
        arrow.lineTo(c.x(), c.y() + 3);
        arrow.closeSubpath();
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const bool dark = palette().color(QPalette::Button).lightness() < 128 ||
                          style()->objectName() == QLatin1String("velun");
        painter->fillPath(arrow, active ? QColor(0xF2, 0x8C, 0x28) : dark ? QColor(0xC9, 0xD1, 0xD9) : QColor(0x5E, 0x68, 0x76));
        if (active) {
            painter->setPen(QPen(QColor(0xF2, 0x8C, 0x28), 2));
            painter->drawLine(QPointF(button.left() + 3, rect.bottom() - 2), QPointF(button.right() - 2, rect.bottom() - 2));
        }
        painter->restore();
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        const int logical = logicalIndexAt(event->position().toPoint());
        if (event->button() == Qt::LeftButton && logical >= 0) {
            const QRect section(sectionViewportPosition(logical), 0, sectionSize(logical), height());
            if (section.width() > kFilterButtonWidth * 2 && filterButtonRect(section).contains(event->position().toPoint())) {
                m_grid->showFilterMenu(logical, mapToGlobal(QPoint(section.left(), height())));
                event->accept();
                return;
            }
        }
        QHeaderView::mousePressEvent(event);
    }

    void contextMenuEvent(QContextMenuEvent* event) override
    {
        QMenu* menu = m_grid->createCustomizationMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(event->globalPos());
    }

private:
    VelunGrid* m_grid;
};

// Typed keys accumulate into one search text while they come quickly enough.
class GridTableView : public QTableView
{
public:
    explicit GridTableView(VelunGrid* grid) : QTableView(grid), m_grid(grid) {}

    void keyboardSearch(const QString& search) override
    {
        if (!m_typing.isValid() || m_typing.elapsed() > QApplication::keyboardInputInterval())
            m_typed.clear();
        m_typed += search;
        m_typing.restart();
        m_grid->incrementalSearch(m_typed);
    }

private:
    VelunGrid* m_grid;
    QString m_typed;
    QElapsedTimer m_typing;
};

// Draws every cell kind within the fixed row height; nothing here depends on rows off screen.
class GridDelegate : public QStyledItemDelegate
{
public:
    GridDelegate(VelunGrid* grid, QObject* parent) : QStyledItemDelegate(parent), m_grid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const auto column = static_cast<size_t>(index.column());
        if (column >= m_grid->m_columns.size())
            return QStyledItemDelegate::paint(painter, option, index);
        const GridColumn& col = m_grid->m_columns[column];
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        if (!m_grid->m_focusRect)
            opt.state &= ~QStyle::State_HasFocus;
        if (col.kind == CellKind::Custom && col.painter) {
            painter->save();
            col.painter(*painter, opt, m_grid->sourceRowAt(index.row()));
            painter->restore();
            return;
        }
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        const QString text = opt.text;
        QStyleOptionViewItem ground = opt;
        ground.text.clear();
        ground.icon = QIcon();
        ground.features &= ~(QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration |
                             QStyleOptionViewItem::HasDisplay);
        style->drawControl(QStyle::CE_ItemViewItem, &ground, painter, widget);

        const QRect r = opt.rect;
        const QVariant value = index.data(Qt::EditRole);
        switch (col.kind) {
        case CellKind::Text:
        case CellKind::Custom: {
            if (text.isEmpty())
                return;
            const bool selected = opt.state & QStyle::State_Selected;
            painter->save();
            painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
            painter->setFont(opt.font);
            const QRect textRect = r.adjusted(5, 2, -5, -2);
            Qt::Alignment h = col.alignment & Qt::AlignHorizontal_Mask;
            if (!h)
                h = opt.displayAlignment & Qt::AlignHorizontal_Mask;
            if (!h)
                h = Qt::AlignLeft;
            // A number never wraps: its wrapped tail alone would read as another amount.
            const bool number = value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Int ||
                                value.typeId() == QMetaType::LongLong;
            if (number) {
                // A narrow column gets a smaller face first (down to 10 px), an ellipsis only after.
                QFont font = opt.font;
                while (font.pixelSize() > 10 && QFontMetrics(font).horizontalAdvance(text) > textRect.width())
                    font.setPixelSize(font.pixelSize() - 1);
                painter->setFont(font);
                painter->drawText(textRect, int(h | Qt::AlignVCenter),
                                  QFontMetrics(font).elidedText(text, Qt::ElideRight, textRect.width()));
            } else if (col.elide) {
                painter->drawText(textRect, int(h | Qt::AlignVCenter),
                                  opt.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()));
            } else {
                painter->setClipRect(textRect);
                painter->drawText(textRect, int(h | Qt::AlignVCenter) | Qt::TextWordWrap, text);
            }
            painter->restore();
            return;
        }
        case CellKind::Icon: {
            const QIcon icon = col.icon ? col.icon(value) : QIcon();
            if (icon.isNull())
                return;
            const int side = std::min(kIconSize, r.height() - 4);
            icon.paint(painter, QRect(r.center().x() - side / 2 + 1, r.center().y() - side / 2 + 1, side, side));
            return;
        }
        case CellKind::CheckBox: {
            QStyleOptionViewItem check = opt;
            const int side = 16;
            check.rect = QRect(r.center().x() - side / 2 + 1, r.center().y() - side / 2 + 1, side, side);
            check.state &= ~QStyle::State_HasFocus;
            check.state |= (value.toInt() == 1) ? QStyle::State_On : QStyle::State_Off;
            style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, painter, widget);
            return;
        }
        case CellKind::Button: {
            QStyleOptionButton button;
            button.initFrom(widget ? widget : m_grid);
            button.rect = r.adjusted(3, 3, -3, -3);
            button.text = col.buttonText;
            button.icon = col.buttonIcon;
            button.iconSize = QSize(16, 16);
            button.state = QStyle::State_Enabled | QStyle::State_Raised;
            if (m_pressed == index)
                button.state |= QStyle::State_Sunken;
            style->drawControl(QStyle::CE_PushButton, &button, painter, widget);
            return;
        }
        }
    }

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override
    {
        const auto column = static_cast<size_t>(index.column());
        if (column < m_grid->m_columns.size() && m_grid->m_columns[column].kind == CellKind::Button) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
                m_pressed = index;
                return false;
            }
            if (event->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton) {
                const bool hit = m_pressed == index && option.rect.contains(mouse->position().toPoint());
                m_pressed = QPersistentModelIndex();
                if (hit)
                    emit m_grid->buttonClicked(m_grid->m_columns[column].key(), m_grid->sourceRowAt(index.row()));
                return hit;
            }
        }
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    }

private:
    VelunGrid* m_grid;
    QPersistentModelIndex m_pressed;
};

VelunGrid::VelunGrid(QWidget* parent)
    : QWidget(parent),
      m_model(new DatasetModel(this)),
      m_proxy(new GridFilterProxy(this)),
      m_view(new GridTableView(this)),
      m_header(new GridHeader(this, m_view)),
      m_footer(new GridFooter(m_header, this))
{
    m_proxy->setSourceModel(m_model);
    m_view->setHorizontalHeader(m_header);
    m_view->setModel(m_proxy);
    m_view->setItemDelegate(new GridDelegate(this, m_view));
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setAlternatingRowColors(true);
    m_view->setWordWrap(false);
    m_view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    QHeaderView* rows = m_view->verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(1);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(40);
    m_header->setFixedHeight(40);
    setSortingEnabled(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view);
    layout->addWidget(m_footer);
    m_footer->hide();

    connect(m_view, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { emit rowDoubleClicked(sourceRowAt(index.row())); });
    connect(m_view, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (m_contextMenu)
            m_contextMenu->popup(m_view->viewport()->mapToGlobal(pos));
    });
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { emit focusedRowChanged(current.isValid() ? sourceRowAt(current.row()) : -1); });
    connect(m_proxy, &QAbstractItemModel::modelReset, this, &VelunGrid::updateFooter);
    connect(m_proxy, &QAbstractItemModel::layoutChanged, this, &VelunGrid::updateFooter);
    connect(m_proxy, &QAbstractItemModel::rowsInserted, this, &VelunGrid::updateFooter);
    connect(m_proxy, &QAbstractItemModel::rowsRemoved, this, &VelunGrid::updateFooter);
    connect(m_proxy, &QAbstractItemModel::dataChanged, this, &VelunGrid::updateFooter);
    connect(m_proxy, &GridFilterProxy::filtersChanged, this, [this] {
        updateFooter();
        m_header->viewport()->update();
    });
    connect(m_view->horizontalScrollBar(), &QScrollBar::valueChanged, m_footer, qOverload<>(&QWidget::update));
    connect(m_header, &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        const auto i = static_cast<size_t>(logical);
        // Size 0 is the section being hidden: resizing it then would leave its length in the layout.
        if (i < m_columns.size() && size > 0 && !m_header->isSectionHidden(logical) && size < m_columns[i].minWidth)
            m_header->resizeSection(logical, m_columns[i].minWidth);
    });
    m_view->viewport()->installEventFilter(this);
}

VelunGrid::~VelunGrid() = default;

QTableView* VelunGrid::view() const
{
    return m_view;
}

void VelunGrid::setColumns(std::vector<GridColumn> columns)
{
    m_columns = std::move(columns);
    QStringList names;
    for (const GridColumn& c : m_columns)
        names.push_back(c.field);
    m_proxy->clearFilters();
    m_model->setColumnNames(names);
    for (size_t i = 0; i < m_columns.size(); ++i) {
        m_model->setHeaderData(static_cast<int>(i), Qt::Horizontal, m_columns[i].headerText());
        applyColumn(static_cast<int>(i));
    }
    if (m_autoWidth)
        applyAutoWidth();
    updateFooter();
}

void VelunGrid::applyColumn(int index)
{
    const GridColumn& c = m_columns[static_cast<size_t>(index)];
    m_header->setSectionHidden(index, c.state == ColumnState::Offered || c.state == ColumnState::NeverOffered);
    m_header->setSectionResizeMode(index, c.fixedWidth ? QHeaderView::Fixed : QHeaderView::Interactive);
    const int width = c.width > 0 ? c.width : m_header->defaultSectionSize();
    m_header->resizeSection(index, std::max(width, c.minWidth));
}

void VelunGrid::setDataset(MemDataset* dataset)
{
    m_dataset = dataset;
    if (!m_loading)
        m_model->setDataset(dataset);
}

int VelunGrid::columnIndex(QStringView key) const
{
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].key().compare(key, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

ColumnState VelunGrid::columnState(QStringView key) const
{
    const int i = columnIndex(key);
    return i < 0 ? ColumnState::NeverOffered : m_columns[static_cast<size_t>(i)].state;
}

void VelunGrid::setColumnState(QStringView key, ColumnState state)
{
    const int i = columnIndex(key);
    if (i < 0)
        return;
    m_columns[static_cast<size_t>(i)].state = state;
    m_header->setSectionHidden(i, state == ColumnState::Offered || state == ColumnState::NeverOffered);
    m_footer->update();
}

bool VelunGrid::isColumnVisible(QStringView key) const
{
    const int i = columnIndex(key);
    return i >= 0 && !m_header->isSectionHidden(i);
}

void VelunGrid::setColumnVisible(QStringView key, bool visible)
{
    const int i = columnIndex(key);
    if (i < 0)
        return;
    m_header->setSectionHidden(i, !visible);
    if (visible && m_header->sectionSize(i) < m_columns[static_cast<size_t>(i)].minWidth)
        m_header->resizeSection(i, m_columns[static_cast<size_t>(i)].minWidth);
    m_footer->update();
}

int VelunGrid::columnWidth(QStringView key) const
{
    const int i = columnIndex(key);
    return i < 0 ? 0 : m_header->sectionSize(i);
}

void VelunGrid::setColumnWidth(QStringView key, int width)
{
    const int i = columnIndex(key);
    if (i < 0)
        return;
    m_header->resizeSection(i, std::max({width, m_columns[static_cast<size_t>(i)].minWidth, 0}));
}

QStringList VelunGrid::visibleColumns() const
{
    QStringList keys;
    for (int v = 0; v < m_header->count(); ++v) {
        const int logical = m_header->logicalIndex(v);
        if (logical >= 0 && static_cast<size_t>(logical) < m_columns.size() && !m_header->isSectionHidden(logical))
            keys.push_back(m_columns[static_cast<size_t>(logical)].key());
    }
    return keys;
}

QStringList VelunGrid::customizableColumns() const
{
    QStringList keys;
    for (int v = 0; v < m_header->count(); ++v) {
        const int logical = m_header->logicalIndex(v);
        if (logical < 0 || static_cast<size_t>(logical) >= m_columns.size())
            continue;
        const ColumnState s = m_columns[static_cast<size_t>(logical)].state;
        if (s == ColumnState::Shown || s == ColumnState::Offered)
            keys.push_back(m_columns[static_cast<size_t>(logical)].key());
    }
    return keys;
}

QMenu* VelunGrid::createCustomizationMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    for (const QString& key : customizableColumns()) {
        const GridColumn& c = m_columns[static_cast<size_t>(columnIndex(key))];
        QAction* action = menu->addAction(c.headerText().isEmpty() ? key : c.headerText());
        action->setCheckable(true);
        action->setChecked(isColumnVisible(key));
        action->setData(key);
        connect(action, &QAction::toggled, this, [this, key](bool on) { setColumnVisible(key, on); });
    }
    return menu;
}

void VelunGrid::setSelection(Selection selection)
{
    m_view->setSelectionBehavior(selection == Selection::WholeRow ? QAbstractItemView::SelectRows
                                                                  : QAbstractItemView::SelectItems);
}

void VelunGrid::setFocusRectVisible(bool visible)
{
    m_focusRect = visible;
    m_view->viewport()->update();
}

void VelunGrid::setSortingEnabled(bool enabled)
{
    // No sort column: the rows keep the server's order until the user clicks a header.
    if (enabled && !m_view->isSortingEnabled())
        m_header->setSortIndicator(-1, Qt::AscendingOrder);
    m_view->setSortingEnabled(enabled);
    m_header->setSortIndicatorShown(enabled);
    if (!enabled)
        m_proxy->sort(-1);
}

void VelunGrid::setRowHeight(int height)
{
    m_view->verticalHeader()->setDefaultSectionSize(height);
}

int VelunGrid::rowHeight() const
{
    return m_view->verticalHeader()->defaultSectionSize();
}

void VelunGrid::setHeaderHeight(int height)
{
    m_header->setFixedHeight(height);
}

void VelunGrid::setAutoColumnWidth(bool on)
{
    m_autoWidth = on;
    m_view->setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    if (on)
        applyAutoWidth();
}

void VelunGrid::applyAutoWidth()
{
    std::vector<int> logical;
    long long total = 0;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_header->isSectionHidden(static_cast<int>(i)))
            continue;
        logical.push_back(static_cast<int>(i));
        total += std::max(1, m_columns[i].width > 0 ? m_columns[i].width : m_header->defaultSectionSize());
    }
    const int available = m_view->viewport()->width();
    if (logical.empty() || available <= 0)
        return;
    int used = 0;
    for (size_t n = 0; n < logical.size(); ++n) {
        const GridColumn& c = m_columns[static_cast<size_t>(logical[n])];
        const int nominal = std::max(1, c.width > 0 ? c.width : m_header->defaultSectionSize());
        const int w = n + 1 == logical.size() ? available - used : static_cast<int>(nominal * available / total);
        m_header->resizeSection(logical[n], std::max(w, c.minWidth));
        used += w;
    }
}

void VelunGrid::setContextMenu(QMenu* menu)
{
    m_contextMenu = menu;
}

bool VelunGrid::incrementalSearch(const QString& text)
{
    if (!m_incrementalSearch || text.isEmpty())
        return false;
    QModelIndex current = m_view->currentIndex();
    int column = current.isValid() ? current.column() : -1;
    if (column < 0) {
        const QStringList visible = visibleColumns();
        for (const QString& key : visible)
            if (m_columns[static_cast<size_t>(columnIndex(key))].incrementalSearch) {
                column = columnIndex(key);
                break;
            }
    }
    if (column < 0 || !m_columns[static_cast<size_t>(column)].incrementalSearch)
        return false;
    const int rows = m_proxy->rowCount();
    const int start = current.isValid() ? current.row() : 0;
    const QString wanted = turkish().toLower(text);
    for (int n = 0; n < rows; ++n) {
        const int row = (start + n) % rows;
        const QModelIndex index = m_proxy->index(row, column);
        if (turkish().toLower(index.data(Qt::DisplayRole).toString()).startsWith(wanted)) {
            m_view->setCurrentIndex(index);
            m_view->scrollTo(index);
            return true;
        }
    }
    return false;
}

void VelunGrid::setColumnFilter(QStringView key, const QStringList& values)
{
    const int i = columnIndex(key);
    if (i >= 0)
        m_proxy->setColumnFilter(i, values);
}

QStringList VelunGrid::columnFilter(QStringView key) const
{
    const int i = columnIndex(key);
    return i < 0 ? QStringList() : m_proxy->columnFilter(i);
}

void VelunGrid::clearFilters()
{
    m_proxy->clearFilters();
}

bool VelunGrid::hasFilter() const
{
    return m_proxy->anyFilter();
}

QStringList VelunGrid::filterValues(QStringView key, int limit) const
{
    const int i = columnIndex(key);
    return i < 0 ? QStringList() : m_proxy->distinctValues(i, limit);
}

QMenu* VelunGrid::createFilterMenu(QStringView key, QWidget* parent)
{
    auto* menu = new QMenu(parent);
    const QString column = key.toString();
    connect(menu->addAction(kAllValues), &QAction::triggered, this, [this, column] { setColumnFilter(column, {}); });
    menu->addSeparator();
    const QStringList active = columnFilter(key);
    for (const QString& value : filterValues(key)) {
        QAction* action = menu->addAction(value.isEmpty() ? kEmptyValue : value);
        action->setCheckable(true);
        action->setChecked(active.contains(value));
        action->setData(value);
        connect(action, &QAction::triggered, this, [this, column, value] { setColumnFilter(column, {value}); });
    }
    return menu;
}

void VelunGrid::showFilterMenu(int column, const QPoint& globalPos)
{
    if (column < 0 || static_cast<size_t>(column) >= m_columns.size())
        return;
    QMenu* menu = createFilterMenu(m_columns[static_cast<size_t>(column)].key(), this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

void VelunGrid::setFooter(std::vector<FooterSummary> summaries)
{
    m_summaries = std::move(summaries);
    m_footer->setVisible(!m_summaries.empty());
    updateFooter();
}

QString VelunGrid::footerText(QStringView key) const
{
    const int i = columnIndex(key);
    return i < 0 ? QString() : m_footer->text(i);
}

void VelunGrid::updateFooter()
{
    if (m_loading || m_summaries.empty())
        return;
    QHash<int, QString> texts;
    const int rows = m_proxy->rowCount();
    MemDataset* data = m_model->dataset();
    for (const FooterSummary& s : m_summaries) {
        const int column = columnIndex(s.field);
        if (column < 0)
            continue;
        if (s.kind == FooterSummary::Kind::Count) {
            texts.insert(column, QString::number(rows));
            continue;
        }
        const int dc = m_model->datasetColumn(column);
        double sum = 0;
        if (data && dc >= 0) {
            const bool direct = !m_proxy->anyFilter();
            // Summaries are the one cost that grows with the rows: keep the loop tight.
            for (int r = 0; r < rows; ++r) {
                const QVariant& v = data->value(direct ? r : sourceRowAt(r), dc);
                sum += v.metaType().id() == QMetaType::Double ? *static_cast<const double*>(v.constData()) : v.toDouble();
            }
        }
        texts.insert(column, FormatFloat(kMoneyDisplayFormat, sum, data ? data->locale() : QLocale()));
    }
    m_footer->setTexts(texts);
}

void VelunGrid::layoutFooter()
{
    m_footer->setXOffset(m_view->viewport()->geometry().x());
}

void VelunGrid::beginLoad()
{
    if (m_loading)
        return;
    m_proxy->clearFilters();
    m_loading = true;
    m_view->setUpdatesEnabled(false);
    m_model->setDataset(nullptr);
}

void VelunGrid::endLoad()
{
    if (!m_loading)
        return;
    m_loading = false;
    m_model->setDataset(m_dataset); // the reset recomputes the footer
    m_view->setUpdatesEnabled(true);
}

UpdatesSuspended::UpdatesSuspended(QWidget* widget)
    : m_widget(widget), m_wasSuspended(widget->testAttribute(Qt::WA_ForceUpdatesDisabled))
{
    m_widget->setUpdatesEnabled(false);
}

UpdatesSuspended::~UpdatesSuspended()
{
    if (!m_wasSuspended)
        m_widget->setUpdatesEnabled(true);
}

void VelunGrid::bestFitColumns(int maxRows)
{
    UpdatesSuspended suspended(m_view);
    const QFontMetrics cellMetrics(m_view->font());
    QFont headerFont = m_header->font();
    headerFont.setBold(true);
    const QFontMetrics headerMetrics(headerFont);
    const int rows = std::min(maxRows, m_proxy->rowCount());
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const int logical = static_cast<int>(i);
        const GridColumn& c = m_columns[i];
        if (c.fixedWidth || m_header->isSectionHidden(logical))
            continue;
        int width = headerMetrics.horizontalAdvance(c.headerText()) + kFilterButtonWidth + 16;
        switch (c.kind) {
        case CellKind::Icon:
        case CellKind::CheckBox: width = std::max(width, kIconSize + 12); break;
        case CellKind::Button: width = std::max(width, cellMetrics.horizontalAdvance(c.buttonText) + 40); break;
        case CellKind::Custom: width = std::max(width, m_header->sectionSize(logical)); break;
        case CellKind::Text:
            for (int r = 0; r < rows; ++r)
                width = std::max(width, cellMetrics.horizontalAdvance(m_proxy->index(r, logical).data().toString()) + 12);
            break;
        }
        m_header->resizeSection(logical, std::max(std::min(width, 1000), c.minWidth));
    }
}

int VelunGrid::rowCount() const
{
    return m_proxy->rowCount();
}

int VelunGrid::sourceRowAt(int viewRow) const
{
    if (viewRow < 0 || viewRow >= m_proxy->rowCount())
        return -1;
    return m_proxy->mapToSource(m_proxy->index(viewRow, 0)).row();
}

int VelunGrid::focusedRow() const
{
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() ? sourceRowAt(current.row()) : -1;
}

QString VelunGrid::focusedFieldName() const
{
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid() || static_cast<size_t>(current.column()) >= m_columns.size())
        return {};
    return m_columns[static_cast<size_t>(current.column())].key();
}

void VelunGrid::setFocusedCell(int sourceRow, QStringView key)
{
    const int column = std::max(0, columnIndex(key));
    const QModelIndex index = m_proxy->mapFromSource(m_model->index(sourceRow, column));
    if (index.isValid()) {
        m_view->setCurrentIndex(index);
        m_view->scrollTo(index);
    }
}

QVariant VelunGrid::value(int sourceRow, QStringView field) const
{
    MemDataset* data = m_model->dataset();
    if (!data)
        return {};
    return data->value(sourceRow, data->columnIndex(field));
}

QString VelunGrid::displayText(int sourceRow, QStringView field) const
{
    MemDataset* data = m_model->dataset();
    if (!data)
        return {};
    const int column = data->columnIndex(field);
    if (column < 0 || sourceRow < 0 || sourceRow >= data->rowCount())
        return {};
    return data->displayText(sourceRow, column);
}

void VelunGrid::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    emit resized();
}

bool VelunGrid::eventFilter(QObject* watched, QEvent* event)
{
    // The viewport, not the view: its size is final when it gets the event.
    if (watched == m_view->viewport() && event->type() == QEvent::Resize) {
        layoutFooter();
        if (m_autoWidth)
            applyAutoWidth();
    }
    return QWidget::eventFilter(watched, event);
}

// ---- weighted widths

namespace {
std::function<int()>& screenWidthSource()
{
    static std::function<int()> source;
    return source;
}
} // namespace

void SetScreenWidthSource(std::function<int()> source)
{
    screenWidthSource() = std::move(source);
}

int ScreenWidth()
{
    if (screenWidthSource())
        return screenWidthSource()();
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() : 0;
}

std::vector<int> WeightedWidths(const std::vector<int>& weights, int gridWidth, int margin)
{
    long long sum = 0;
    for (int w : weights)
        sum += w;
    if (sum <= 0)
        return {};
    // Integer division truncates, as the rule asks; a grid narrower than the margin gives 0.
    const long long unit = std::max(0LL, (static_cast<long long>(gridWidth) - margin) / sum);
    std::vector<int> widths;
    widths.reserve(weights.size());
    for (int w : weights)
        widths.push_back(static_cast<int>(std::max(0LL, w * unit)));
    return widths;
}

void ApplyColumnRules(VelunGrid& grid, const QList<ColumnRule>& rules)
{
    for (const ColumnRule& r : rules) {
        if (grid.columnIndex(r.field) < 0)
            continue;
        grid.setColumnState(r.field, r.visible ? (r.customisable ? ColumnState::Shown : ColumnState::Fixed)
                                               : ColumnState::NeverOffered);
    }
}

void FitColumnsByWeightAlways(VelunGrid& grid, int margin)
{
    const QStringList keys = grid.visibleColumns();
    std::vector<int> weights;
    for (const QString& key : keys)
        weights.push_back(grid.columns()[static_cast<size_t>(grid.columnIndex(key))].weight);
    const std::vector<int> widths = WeightedWidths(weights, grid.width(), margin);
    if (widths.empty())
        return;
    UpdatesSuspended suspended(grid.view());
    for (qsizetype i = 0; i < keys.size(); ++i)
        grid.setColumnWidth(keys[i], widths[static_cast<size_t>(i)]);
}

void FitColumnsByWeight(VelunGrid& grid, int margin)
{
    if (!grid.isEnabled())
        return;
    if (ScreenWidth() > 1152)
        FitColumnsByWeightAlways(grid, margin);
    else
        grid.bestFitColumns();
}

void PaintMultilineCell(QPainter& painter, const QStyleOptionViewItem& option, int sourceRow, const QString& text,
                        int sideMargin)
{
    const bool selected = option.state & QStyle::State_Selected;
    const QColor ground = selected              ? option.palette.color(QPalette::Highlight)
                          : (sourceRow % 2 != 0) ? option.palette.color(QPalette::AlternateBase)
                                                 : option.palette.color(QPalette::Base);
    painter.fillRect(option.rect, ground);
    painter.setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QRect box = option.rect.adjusted(sideMargin, 0, -sideMargin, 0);
    // A narrow column gets a smaller face rather than lines cut at their start (down to 9 px).
    QFont font = option.font;
    const QStringList lines = text.split(u'\n');
    auto widest = [&lines](const QFontMetrics& m) {
        int w = 0;
        for (const QString& line : lines)
            w = std::max(w, m.horizontalAdvance(line));
        return w;
    };
    while (font.pixelSize() > 9 && widest(QFontMetrics(font)) > box.width())
        font.setPixelSize(font.pixelSize() - 1);
    painter.setFont(font);
    painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, text);
}

} // namespace velun
