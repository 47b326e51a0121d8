#pragma once
// The declarative column table every grid of the program is set up from.

#include <QIcon>
#include <QString>
#include <QVariant>

#include <functional>

class QPainter;
class QStyleOptionViewItem;

namespace velun {

// Shown: visible and customisable; Offered: hidden, the user may switch it on; NeverOffered: hidden and
// absent from the customisation; Fixed: visible and not customisable.
enum class ColumnState { Shown, Offered, NeverOffered, Fixed };

enum class CellKind {
    Text,      // word wrap, vertically centred
    Icon,      // an icon from the column's value→icon map, centred, no text
    CheckBox,  // ticked for 1
    Custom,    // drawn by the column's painter
    Button     // a push button filling the cell; a click emits VelunGrid::buttonClicked
};

using IconForValue = std::function<QIcon(const QVariant& value)>;
// Paints one cell of a custom column; the row is the dataset's.
using CellPainter = std::function<void(QPainter& painter, const QStyleOptionViewItem& option, int sourceRow)>;

struct GridColumn
{
    QString field;            // dataset column; empty for a column of its own (then caption names it)
    QString caption;          // empty: the field name
    bool captionHidden = false;
    int weight = 1;           // width weight for the weighted layout
    int width = 0;            // 0: the view's default width
    int minWidth = 0;
    bool fixedWidth = false;  // the user cannot resize it and best fit leaves it alone
    ColumnState state = ColumnState::Shown;
    CellKind kind = CellKind::Text;
    Qt::Alignment alignment = {}; // horizontal; none: numbers right, the rest left
    bool elide = false;       // one line cut with an ellipsis instead of word wrap
    bool incrementalSearch = true;
    IconForValue icon;        // CellKind::Icon
    CellPainter painter;      // CellKind::Custom
    QString buttonText;       // CellKind::Button
    QIcon buttonIcon;

    // The name the grid knows the column by.
    QString key() const { return field.isEmpty() ? caption : field; }
    QString headerText() const { return captionHidden ? QString() : caption.isEmpty() ? field : caption; }
};

// A column of the declarative tables: field, header, width weight and state.
inline GridColumn Column(const char16_t* field, const char16_t* caption, int weight, ColumnState state)
{
    GridColumn c;
    c.field = QString::fromUtf16(field);
    c.caption = QString::fromUtf16(caption);
    c.weight = weight;
    c.state = state;
    return c;
}

// Value maps of the shared artwork.
IconForValue StockStateIcons(); // 0..5 → the stock-state icons
IconForValue PictureIcons();    // 1 → the picture icon, anything else none
IconForValue YesNoIcons();      // 1 → "Evet", anything else "Hayır"
IconForValue YesOnlyIcons();    // 1 → "Evet", anything else none

} // namespace velun
