#include "app/velunstyle.h"

#include "app/artwork.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTabBar>

// The look lives in the style and the palette, not in a style sheet: once an application has a style
// sheet, Qt stops passing a window's font on to children added later or through layouts, and every
// window here sets its own font (13 px bold) for all its controls.

namespace velun {
namespace {

const QColor kSlate(0x43, 0x4C, 0x58);
const QColor kSlateHover(0x56, 0x60, 0x6E);
const QColor kSlateLine(0x5E, 0x68, 0x76);
const QColor kLight(0xF6, 0xF9, 0xFB);
const QColor kBar(0xEE, 0xF2, 0xF6);
const QColor kOrange(0xF2, 0x8C, 0x28);
const QColor kBorder(0xB8, 0xC2, 0xCC);
const QColor kPaneBorder(0xC9, 0xD1, 0xD9);
const QColor kText(0x2B, 0x31, 0x38);
const QColor kMuted(0x9A, 0xA3, 0xAD);

constexpr int kTabMinWidth = 110;
constexpr int kTabHeight = 45;

void fillBackground(QWidget* w, const QColor& window, const QColor& text = QColor())
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, window);
    if (text.isValid()) {
        p.setColor(QPalette::WindowText, text);
        p.setColor(QPalette::Text, text);
    }
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QPainterPath topRoundedRect(const QRectF& r, qreal radius)
{
    QPainterPath path;
    path.moveTo(r.bottomLeft());
    path.lineTo(r.left(), r.top() + radius);
    path.quadTo(r.topLeft(), QPointF(r.left() + radius, r.top()));
    path.lineTo(r.right() - radius, r.top());
    path.quadTo(r.topRight(), QPointF(r.right(), r.top() + radius));
    path.lineTo(r.bottomRight());
    path.closeSubpath();
    return path;
}

class VelunStyle : public QProxyStyle
{
public:
    VelunStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
    {
        setObjectName(QString::fromLatin1(kVelunStyleName));
    }

    QPalette standardPalette() const override
    {
        QPalette p = QProxyStyle::standardPalette();
        p.setColor(QPalette::Window, kLight);
        p.setColor(QPalette::WindowText, kText);
        p.setColor(QPalette::Base, Qt::white);
        p.setColor(QPalette::AlternateBase, kLight);
        p.setColor(QPalette::Text, kText);
        p.setColor(QPalette::Button, kBar);
        p.setColor(QPalette::ButtonText, kSlate);
        p.setColor(QPalette::Highlight, kOrange);
        p.setColor(QPalette::HighlightedText, Qt::white);
        p.setColor(QPalette::ToolTipBase, kSlate);
        p.setColor(QPalette::ToolTipText, Qt::white);
        p.setColor(QPalette::Link, kOrange);
        p.setColor(QPalette::PlaceholderText, kMuted);
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            p.setColor(QPalette::Disabled, role, kMuted);
        p.setColor(QPalette::Disabled, QPalette::Base, QColor(0xF0, 0xF2, 0xF4));
        return p;
    }

    using QProxyStyle::polish;
    void polish(QWidget* w) override
    {
        QProxyStyle::polish(w);
        const QString name = w->objectName();
        if (name == u"loginCaption") {
            fillBackground(w, kOrange, Qt::white);
            QFont f = w->font();
            f.setBold(true);
            w->setFont(f);
        } else if (name == u"velunHeader") {
            fillBackground(w, kSlate, Qt::white);
        } else if (name == u"velunLegend" || name == u"velunNewsBar") {
            fillBackground(w, kBar);
        } else if (qobject_cast<QMessageBox*>(w)) {
            QPalette p = w->palette();
            p.setColor(QPalette::Window, Qt::white);
            w->setPalette(p);
        }
        if (qobject_cast<QTabBar*>(w))
            w->setAttribute(Qt::WA_Hover);
    }


    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const override
    {
        // The message boxes use the program's own pictures of the kinds.
        switch (icon) {
        case SP_MessageBoxWarning: return artwork::stockIconAt(6);
        case SP_MessageBoxCritical: return artwork::stockIconAt(4);
        case SP_MessageBoxInformation: return artwork::stockIconAt(7);
        case SP_MessageBoxQuestion: return artwork::stockIconAt(3);
        default: return QProxyStyle::standardIcon(icon, option, widget);
        }
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_TabBarIconSize)
            return 32;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override
    {
        QSize s = QProxyStyle::sizeFromContents(type, option, size, widget);
        if (type == CT_TabBarTab) {
            const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option);
            if (tab && (tab->shape == QTabBar::RoundedNorth || tab->shape == QTabBar::RoundedSouth))
                s = s.expandedTo(QSize(kTabMinWidth, kTabHeight));
        }
        return s;
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        switch (element) {
        case PE_PanelButtonCommand:
            drawButtonPanel(option, painter);
            return;
        case PE_FrameTabWidget: {
            painter->fillRect(option->rect, Qt::white);
            painter->setPen(kPaneBorder);
            painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
            painter->fillRect(QRect(option->rect.left(), option->rect.top(), option->rect.width(), 3), kOrange);
            return;
        }
        default: QProxyStyle::drawPrimitive(element, option, painter, widget);
        }
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        switch (element) {
        case CE_TabBarTabShape:
            if (drawTabShape(option, painter))
                return;
            break;
        case CE_TabBarTabLabel:
            if (const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option);
                tab && tab->shape == QTabBar::RoundedNorth) {
                QStyleOptionTab white = *tab;
                white.palette.setColor(QPalette::WindowText, tab->state & State_Enabled ? QColor(Qt::white) : kMuted);
                QProxyStyle::drawControl(element, &white, painter, widget);
                return;
            }
            break;
        case CE_Header:
            // Label and sort arrow in white on the slate section.
            if (const auto* header = qstyleoption_cast<const QStyleOptionHeader*>(option)) {
                QStyleOptionHeader white = *header;
                for (QPalette::ColorRole role : {QPalette::ButtonText, QPalette::Text, QPalette::WindowText})
                    white.palette.setColor(role, Qt::white);
                QProxyStyle::drawControl(element, &white, painter, widget);
                return;
            }
            break;
        case CE_HeaderSection: {
            painter->fillRect(option->rect, kSlate);
            painter->setPen(kSlateLine);
            painter->drawLine(option->rect.topRight(), option->rect.bottomRight());
            painter->drawLine(option->rect.bottomLeft(), option->rect.bottomRight());
            return;
        }
        default: break;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

private:
    static void drawButtonPanel(const QStyleOption* option, QPainter* painter)
    {
        const bool enabled = option->state & State_Enabled;
        const bool sunken = option->state & (State_Sunken | State_On);
        const bool hot = option->state & (State_HasFocus | State_MouseOver);
        const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
        const bool isDefault = button && (button->features & QStyleOptionButton::DefaultButton);
        const QRectF r = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);

        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        QBrush fill;
        if (!enabled) {
            fill = QColor(0xF0, 0xF2, 0xF4);
        } else if (sunken) {
            fill = QColor(0xDD, 0xE4, 0xEA);
        } else {
            QLinearGradient g(r.topLeft(), r.bottomLeft());
            g.setColorAt(0, Qt::white);
            g.setColorAt(1, QColor(0xE9, 0xEE, 0xF3));
            fill = g;
        }
        const QColor border = !enabled ? QColor(0xD5, 0xDB, 0xE1) : (hot || isDefault) ? kOrange : kBorder;
        painter->setPen(QPen(border, (enabled && (option->state & State_HasFocus || isDefault)) ? 2.0 : 1.0));
        painter->setBrush(fill);
        painter->drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        painter->restore();
    }

    static bool drawTabShape(const QStyleOption* option, QPainter* painter)
    {
        const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option);
        if (!tab || tab->shape != QTabBar::RoundedNorth)
            return false;
        const bool selected = tab->state & State_Selected;
        QColor fill = selected ? kOrange : (tab->state & State_MouseOver) ? kSlateHover : kSlate;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        // Tabs stand apart by a small gap; the unselected ones sit a little lower.
        const QRectF r = QRectF(tab->rect).adjusted(1, selected ? 0 : 3, -1, 0);
        painter->drawPath(topRoundedRect(r, 4));
        painter->restore();
        return true;
    }
};

} // namespace

QFont VelunFont(int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void ApplyVelunStyle(QApplication& app)
{
    Q_UNUSED(app);
    auto* style = new VelunStyle; // the application takes ownership
    QApplication::setStyle(style);
    QApplication::setPalette(style->standardPalette());
    QApplication::setFont(VelunFont(13, false));
}

} // namespace velun
