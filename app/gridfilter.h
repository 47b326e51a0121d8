#pragma once
// The grid's proxy: filters rows by per-column sets of display values, sorts on request.
// Not dynamic, so a reset of the source costs no sorting or filtering unless a filter is set.

#include <QHash>
#include <QSet>
#include <QSortFilterProxyModel>
#include <QStringList>

namespace velun {

class GridFilterProxy : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit GridFilterProxy(QObject* parent = nullptr);

    // Rows pass when the column's display text is one of the values; an empty list clears that column.
    void setColumnFilter(int column, const QStringList& values);
    QStringList columnFilter(int column) const;
    bool hasFilter(int column) const { return m_filters.contains(column); }
    bool anyFilter() const { return !m_filters.isEmpty(); }
    void clearFilters();

    // The distinct display values of a source column, sorted the Turkish way; at most `limit` of them.
    QStringList distinctValues(int column, int limit = 1000) const;

signals:
    void filtersChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QHash<int, QSet<QString>> m_filters;
};

} // namespace velun
