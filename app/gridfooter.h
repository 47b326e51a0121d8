#pragma once
// The summary row under a grid: texts placed under their columns, following resizes and scrolling.

#include <QHash>
#include <QString>
#include <QWidget>

class QHeaderView;

namespace velun {

class GridFooter : public QWidget
{
    Q_OBJECT
public:
    // header: the columns to align with.
    explicit GridFooter(QHeaderView* header, QWidget* parent = nullptr);

    void setTexts(const QHash<int, QString>& textByLogicalColumn);
    QString text(int logicalColumn) const { return m_texts.value(logicalColumn); }
    // Where the header's first pixel lies in this widget (the view's frame).
    void setXOffset(int x);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QHeaderView* m_header;
    QHash<int, QString> m_texts;
    int m_xOffset = 0;
};

} // namespace velun
