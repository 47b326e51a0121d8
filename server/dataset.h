#pragma once
// The client's in-memory dataset: named, typed columns rebuilt from each server table, rows of
// values, a current-row cursor with edit and post, and change notifications that a bulk fill can
// suspend. Not locked: one thread at a time (a worker fills it only while no view is bound to it).

#include "server/errors.h"
#include "server/tabledata.h"

#include <QHash>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QVariant>

#include <vector>

namespace velun {

class DataPacket;
class TableReader;

// A field that does not exist or an operation the dataset's state does not allow.
class DatasetError : public VelunError
{
public:
    using VelunError::VelunError;
    QString className() const override { return QStringLiteral("EDatabaseError"); }
};

struct DatasetColumn
{
    QString name;
    FieldType type = FieldType::Text;
    QString displayFormat; // number pattern (FormatFloat); empty: the plain form
};

class MemDataset : public QObject
{
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit MemDataset(QObject* parent = nullptr);

    // Structure: replaces the columns, drops every row and opens the dataset.
    void setColumns(const QList<ColumnDef>& columns);
    int columnCount() const { return static_cast<int>(m_columns.size()); }
    const DatasetColumn& column(int index) const { return m_columns.at(static_cast<size_t>(index)); }
    QList<ColumnDef> columnDefs() const;
    // Case-insensitive, as field names are; -1 when there is no such column.
    int columnIndex(QStringView name) const;
    void setDisplayFormat(int column, const QString& format);

    bool active() const { return m_state != State::Inactive; }
    void open();
    // Drops the rows; the columns stay for the next open.
    void close();
    State state() const { return m_state; }

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    int RecordCount() const { return rowCount(); }
    bool isEmpty() const { return m_rows.empty(); }
    // A stored cell; a null value outside the rows or columns.
    const QVariant& value(int row, int column) const;
    // A cell as a grid shows it: numbers through the column's display format and the locale.
    QString displayText(int row, int column) const;

    // Bulk filling. Cells are converted to the column types; a row of the wrong width is padded or cut.
    void reserveRows(qsizetype count);
    // Append and post in one step; the new row becomes the current one.
    void appendRow(Row row);
    // Columns and rows replaced by the content in one step, the cursor on the first row.
    void assign(const TableData& content);
    void emptyDataSet();

    // Cursor. Moving posts a pending edit first.
    void first();
    void next();
    void prior();
    void last();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    int recNo() const { return m_current + 1; } // 1-based; 0 without a current row
    int currentRow() const { return m_current; }
    // Makes a row (0-based) the current one; false when there is no such row.
    bool moveTo(int row);
    // The first row whose field equals the value becomes current; false leaves the cursor as it was.
    bool locate(QStringView field, const QVariant& value);
    // The current row's value (the edit buffer while editing); null on an empty dataset.
    // Throws DatasetError for an unknown field or a closed dataset.
    QVariant fieldByName(QStringView field) const;

    // Editing the current row, or a new one, then post (or cancel).
    void edit();
    void append();
    void setFieldValue(QStringView field, const QVariant& value);
    void post();
    void cancel();

    // Notifications are off while the count is above zero; the last enable emits one
    // datasetReset if anything changed meanwhile.
    void DisableControls();
    void EnableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

    const QLocale& locale() const { return m_locale; }
    void setLocale(const QLocale& locale);

signals:
    // Columns, rows or formats changed wholesale.
    void datasetReset();
    void rowsAppended(int first, int last);
    void rowChanged(int row);
    void displayFormatChanged();

private:
    int requireColumn(QStringView field) const;
    void requireActive() const;
    void resetCursor();
    void checkBrowseMode();
    void normalizeRow(Row& row) const;
    void notifyReset();

    std::vector<DatasetColumn> m_columns;
    QHash<QString, int> m_columnByFoldedName;
    std::vector<Row> m_rows;
    State m_state = State::Inactive;
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;
    Row m_buffer; // the row being edited or appended
    int m_disableCount = 0;
    bool m_changedWhileDisabled = false;
    QLocale m_locale = QLocale::system();
};

// Every floating-point column gets the money format "#,###,##0.00"; other columns are untouched.
void SetFloatDisplayFormat(MemDataset& dataset);
// Open and holding at least one row.
bool HasRows(const MemDataset& dataset);
// False without moving when there are no rows; otherwise walks from the first row and stops on the
// first whose SEC equals 1 (True), or returns False after the last row.
bool AnyRowSelected(MemDataset& dataset);

// Rebuilds the dataset with the reader's columns, then appends and posts each remaining row.
void CopyReaderToDataset(TableReader& reader, MemDataset& dataset);
// Replaces the dataset's columns and rows with the packet's in one step.
void AssignDataPacket(const DataPacket& packet, MemDataset& dataset);

// Suspends a dataset's notifications for a scope.
class ControlsDisabled
{
public:
    explicit ControlsDisabled(MemDataset& dataset) : m_dataset(dataset) { m_dataset.DisableControls(); }
    ~ControlsDisabled() { m_dataset.EnableControls(); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    MemDataset& m_dataset;
};

} // namespace velun
