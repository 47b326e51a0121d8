#include "server/datasetmodel.h"

#include "server/dataset.h"

namespace velun {

DatasetModel::DatasetModel(QObject* parent) : QAbstractTableModel(parent) {}

void DatasetModel::setDataset(MemDataset* dataset)
{
    if (m_dataset == dataset)
        return;
    beginResetModel();
    if (m_dataset)
        disconnect(m_dataset, nullptr, this, nullptr);
    m_dataset = dataset;
    if (m_dataset) {
        // Auto connections: a dataset filled on a worker reaches the model on the model's thread.
        connect(m_dataset, &MemDataset::datasetReset, this, &DatasetModel::onReset);
        connect(m_dataset, &MemDataset::rowsAppended, this, &DatasetModel::onRowsAppended);
        connect(m_dataset, &MemDataset::rowChanged, this, &DatasetModel::onRowChanged);
        connect(m_dataset, &MemDataset::displayFormatChanged, this, &DatasetModel::onFormatChanged);
        connect(m_dataset, &QObject::destroyed, this, [this] {
            beginResetModel();
            m_dataset.clear();
            rebind();
            endResetModel();
        });
    }
    rebind();
    endResetModel();
}

void DatasetModel::setColumnNames(const QStringList& names)
{
    beginResetModel();
    m_names = names;
    m_captions.clear();
    rebind();
    endResetModel();
}

QStringList DatasetModel::columnNames() const
{
    return m_boundNames;
}

void DatasetModel::rebind()
{
    m_boundNames.clear();
    if (!m_names.isEmpty()) {
        m_boundNames = m_names;
    } else if (m_dataset) {
        for (int i = 0; i < m_dataset->columnCount(); ++i)
            m_boundNames.push_back(m_dataset->column(i).name);
    }
    m_binding.assign(static_cast<size_t>(m_boundNames.size()), -1);
    if (m_dataset)
        for (qsizetype i = 0; i < m_boundNames.size(); ++i)
            m_binding[static_cast<size_t>(i)] = m_dataset->columnIndex(m_boundNames[i]);
    m_rows = m_dataset ? m_dataset->rowCount() : 0;
}

int DatasetModel::datasetColumn(int modelColumn) const
{
    if (modelColumn < 0 || static_cast<size_t>(modelColumn) >= m_binding.size())
        return -1;
    return m_binding[static_cast<size_t>(modelColumn)];
}

int DatasetModel::modelColumn(const QString& name) const
{
    for (qsizetype i = 0; i < m_boundNames.size(); ++i)
        if (m_boundNames[i].compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

int DatasetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DatasetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_binding.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if (!m_dataset || !index.isValid() || index.row() >= m_rows)
        return {};
    const int column = datasetColumn(index.column());
    if (column < 0 || column >= m_dataset->columnCount())
        return {};
    switch (role) {
    case Qt::DisplayRole: return m_dataset->displayText(index.row(), column);
    case Qt::EditRole:
    case Qt::UserRole: return m_dataset->value(index.row(), column);
    case Qt::TextAlignmentRole: {
        const FieldType t = m_dataset->column(column).type;
        if (t == FieldType::Int32 || t == FieldType::Int64 || t == FieldType::Double)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return {};
    }
    default: return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_boundNames.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    const auto caption = m_captions.constFind(section);
    return caption != m_captions.constEnd() ? *caption : m_boundNames[section];
}

bool DatasetModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    if (orientation != Qt::Horizontal || (role != Qt::EditRole && role != Qt::DisplayRole) || section < 0 ||
        section >= m_boundNames.size())
        return false;
    m_captions.insert(section, value.toString());
    emit headerDataChanged(orientation, section, section);
    return true;
}

void DatasetModel::onReset()
{
    beginResetModel();
    rebind();
    endResetModel();
}

void DatasetModel::onRowsAppended(int first, int last)
{
    if (!m_dataset)
        return;
    // Rows arrive only at the end; anything else means the model missed a change.
    if (first != m_rows || last < first || last >= m_dataset->rowCount())
        return onReset();
    beginInsertRows({}, first, last);
    m_rows = last + 1;
    endInsertRows();
}

void DatasetModel::onRowChanged(int row)
{
    if (row < 0 || row >= m_rows || m_binding.empty())
        return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void DatasetModel::onFormatChanged()
{
    if (m_rows == 0 || m_binding.empty())
        return;
    emit dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1), {Qt::DisplayRole});
}

} // namespace velun
