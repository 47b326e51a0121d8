#pragma once
// A table model over an in-memory dataset for the grids: its columns are a list of dataset column
// names, bound by name each time the dataset is rebuilt. A name the dataset lacks gives an empty column.

#include <QAbstractTableModel>
#include <QHash>
#include <QPointer>
#include <QStringList>

#include <vector>

namespace velun {

class MemDataset;

class DatasetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit DatasetModel(QObject* parent = nullptr);

    // nullptr detaches the model (the grid then shows no rows).
    void setDataset(MemDataset* dataset);
    MemDataset* dataset() const { return m_dataset; }

    // The model's columns in order; an empty list shows every dataset column in the dataset's order.
    void setColumnNames(const QStringList& names);
    QStringList columnNames() const;
    // The dataset column behind a model column; -1 when the dataset has no such column.
    int datasetColumn(int modelColumn) const;
    int modelColumn(const QString& name) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // DisplayRole: the display text; EditRole and UserRole: the stored value.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Headers default to the column name; setHeaderData gives a caption of its own.
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role = Qt::EditRole) override;

private:
    void rebind();
    void onReset();
    void onRowsAppended(int first, int last);
    void onRowChanged(int row);
    void onFormatChanged();

    QPointer<MemDataset> m_dataset;
    QStringList m_names;              // as set; empty: all dataset columns
    QStringList m_boundNames;         // the names the model shows now
    std::vector<int> m_binding;       // model column -> dataset column or -1
    QHash<int, QString> m_captions;   // by model column
    int m_rows = 0;                   // rows announced to the views so far
};

} // namespace velun
