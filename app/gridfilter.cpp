#include "app/gridfilter.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

namespace velun {

GridFilterProxy::GridFilterProxy(QObject* parent) : QSortFilterProxyModel(parent)
{
    setDynamicSortFilter(false);
    setSortRole(Qt::EditRole);
    setSortLocaleAware(true);
}

void GridFilterProxy::setColumnFilter(int column, const QStringList& values)
{
    if (values.isEmpty())
        m_filters.remove(column);
    else
        m_filters.insert(column, QSet<QString>(values.cbegin(), values.cend()));
    invalidateFilter();
    emit filtersChanged();
}

QStringList GridFilterProxy::columnFilter(int column) const
{
    const auto it = m_filters.constFind(column);
    if (it == m_filters.constEnd())
        return {};
    QStringList values(it->cbegin(), it->cend());
    values.sort();
    return values;
}

void GridFilterProxy::clearFilters()
{
    if (m_filters.isEmpty())
        return;
    m_filters.clear();
    invalidateFilter();
    emit filtersChanged();
}

QStringList GridFilterProxy::distinctValues(int column, int limit) const
{
    const QAbstractItemModel* source = sourceModel();
    if (!source || column < 0 || column >= source->columnCount())
        return {};
    QSet<QString> seen;
    QStringList values;
    const int rows = source->rowCount();
    for (int r = 0; r < rows && values.size() < limit; ++r) {
        const QString text = source->index(r, column).data(Qt::DisplayRole).toString();
        if (!seen.contains(text)) {
            seen.insert(text);
            values.push_back(text);
        }
    }
    QCollator collator{QLocale(QLocale::Turkish, QLocale::Turkey)};
    collator.setNumericMode(true);
    std::sort(values.begin(), values.end(), [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    return values;
}

bool GridFilterProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    for (auto it = m_filters.cbegin(); it != m_filters.cend(); ++it) {
        const QString text = sourceModel()->index(sourceRow, it.key(), sourceParent).data(Qt::DisplayRole).toString();
        if (!it->contains(text))
            return false;
    }
    return true;
}

} // namespace velun
