#include "app/gridfooter.h"

#include <QHeaderView>
#include <QPainter>

namespace velun {

GridFooter::GridFooter(QHeaderView* header, QWidget* parent) : QWidget(parent), m_header(header)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(header, &QHeaderView::sectionResized, this, qOverload<>(&QWidget::update));
    connect(header, &QHeaderView::sectionMoved, this, qOverload<>(&QWidget::update));
    connect(header, &QHeaderView::geometriesChanged, this, qOverload<>(&QWidget::update));
    connect(header, &QHeaderView::sectionCountChanged, this, qOverload<>(&QWidget::update));
}

void GridFooter::setTexts(const QHash<int, QString>& textByLogicalColumn)
{
    if (textByLogicalColumn == m_texts)
        return;
    m_texts = textByLogicalColumn;
    update();
}

void GridFooter::setXOffset(int x)
{
    m_xOffset = x;
    update();
}

QSize GridFooter::sizeHint() const
{
    return {100, fontMetrics().height() + 14};
}

void GridFooter::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Button));
    p.setPen(pal.color(QPalette::Mid));
    p.drawLine(rect().topLeft(), rect().topRight());
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(pal.color(QPalette::ButtonText));
    p.setClipRect(QRect(m_xOffset, 0, m_header->viewport()->width(), height()));
    for (auto it = m_texts.cbegin(); it != m_texts.cend(); ++it) {
        const int column = it.key();
        if (column < 0 || column >= m_header->count() || m_header->isSectionHidden(column))
            continue;
        const QRect cell(m_xOffset + m_header->sectionViewportPosition(column), 1,
                         m_header->sectionSize(column), height() - 1);
        // Sums shrink before they are cut, as the cells above them do.
        QFont font = bold;
        while (font.pixelSize() > 10 && QFontMetrics(font).horizontalAdvance(*it) > cell.width() - 12)
            font.setPixelSize(font.pixelSize() - 1);
        p.setFont(font);
        p.drawText(cell.adjusted(6, 0, -6, 0), Qt::AlignRight | Qt::AlignVCenter,
                   p.fontMetrics().elidedText(*it, Qt::ElideRight, cell.width() - 12));
    }
}

} // namespace velun
