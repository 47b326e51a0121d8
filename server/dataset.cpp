#include "server/dataset.h"

#include "server/displayformat.h"
#include "server/resultvalues.h"

#include <QDateTime>

#include <algorithm>
#include <limits>

namespace velun {
namespace {

int metaTypeOf(FieldType type)
{
    switch (type) {
    case FieldType::Text: return QMetaType::QString;
    case FieldType::Int32: return QMetaType::Int;
    case FieldType::Int64: return QMetaType::LongLong;
    case FieldType::Double: return QMetaType::Double;
    case FieldType::Boolean: return QMetaType::Bool;
    case FieldType::DateTime: return QMetaType::QDateTime;
    case FieldType::Blob: return QMetaType::QByteArray;
    }
    return QMetaType::UnknownType;
}

// Brings a value to the column's type; false when it cannot be represented there.
bool convertCell(QVariant& cell, FieldType type)
{
    if (cell.isNull() || cell.typeId() == metaTypeOf(type))
        return true;
    if (type == FieldType::DateTime && cell.typeId() == QMetaType::Double) {
        cell = oleToDateTime(cell.toDouble());
        return true;
    }
    if (type == FieldType::Int32 && cell.canConvert<qlonglong>()) {
        bool ok = false;
        const qlonglong v = cell.toLongLong(&ok);
        if (!ok || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
            return false;
        cell = static_cast<int>(v);
        return true;
    }
    return cell.convert(QMetaType(metaTypeOf(type)));
}

QString foldedName(QStringView name)
{
    return name.toString().toCaseFolded();
}

QString plainText(const QVariant& v, const DatasetColumn& c, const QLocale& locale)
{
    switch (c.type) {
    case FieldType::Text: return v.toString();
    case FieldType::Int32:
    case FieldType::Int64:
        if (!c.displayFormat.isEmpty())
            return FormatFloat(c.displayFormat, v.toDouble(), locale);
        return QString::number(v.toLongLong());
    case FieldType::Double:
        if (!c.displayFormat.isEmpty())
            return FormatFloat(c.displayFormat, v.toDouble(), locale);
        return FormatNumberPlain(v.toDouble(), locale);
    case FieldType::Boolean: return v.toBool() ? QStringLiteral("Evet") : QStringLiteral("Hayır");
    case FieldType::DateTime: {
        // Stored as wall-clock time: shown without any time-zone conversion.
        const QDateTime dt = v.toDateTime();
        QString text = locale.toString(dt.date(), QLocale::ShortFormat);
        if (dt.time() != QTime(0, 0))
            text += u' ' + locale.toString(dt.time(), QStringLiteral("HH:mm:ss"));
        return text;
    }
    case FieldType::Blob: return QStringLiteral("(BLOB)");
    }
    return {};
}

} // namespace

MemDataset::MemDataset(QObject* parent) : QObject(parent) {}

void MemDataset::setColumns(const QList<ColumnDef>& columns)
{
    m_state = State::Browse;
    m_buffer.clear();
    m_columns.clear();
    m_columns.reserve(static_cast<size_t>(columns.size()));
    m_columnByFoldedName.clear();
    for (const ColumnDef& c : columns) {
        const QString key = foldedName(c.name);
        if (!m_columnByFoldedName.contains(key))
            m_columnByFoldedName.insert(key, static_cast<int>(m_columns.size()));
        m_columns.push_back(DatasetColumn{c.name, c.type, {}});
    }
    m_rows.clear();
    resetCursor();
    notifyReset();
}

QList<ColumnDef> MemDataset::columnDefs() const
{
    QList<ColumnDef> out;
    out.reserve(static_cast<qsizetype>(m_columns.size()));
    for (const DatasetColumn& c : m_columns)
        out.push_back(ColumnDef{c.name, c.type});
    return out;
}

int MemDataset::columnIndex(QStringView name) const
{
    return m_columnByFoldedName.value(foldedName(name), -1);
}

void MemDataset::setDisplayFormat(int column, const QString& format)
{
    DatasetColumn& c = m_columns.at(static_cast<size_t>(column));
    if (c.displayFormat == format)
        return;
    c.displayFormat = format;
    if (controlsDisabled())
        m_changedWhileDisabled = true;
    else
        emit displayFormatChanged();
}

void MemDataset::open()
{
    if (active())
        return;
    m_state = State::Browse;
    resetCursor();
    notifyReset();
}

void MemDataset::close()
{
    if (!active())
        return;
    m_state = State::Inactive;
    m_buffer.clear();
    m_rows.clear();
    resetCursor();
    notifyReset();
}

const QVariant& MemDataset::value(int row, int column) const
{
    static const QVariant null;
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return null;
    const Row& r = m_rows[static_cast<size_t>(row)];
    return static_cast<size_t>(column) < r.size() ? r[static_cast<size_t>(column)] : null;
}

QString MemDataset::displayText(int row, int column) const
{
    const QVariant& v = value(row, column);
    if (v.isNull())
        return {};
    return plainText(v, m_columns[static_cast<size_t>(column)], m_locale);
}

void MemDataset::reserveRows(qsizetype count)
{
    m_rows.reserve(m_rows.size() + static_cast<size_t>(std::max<qsizetype>(0, count)));
}

void MemDataset::normalizeRow(Row& row) const
{
    row.resize(m_columns.size());
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (!convertCell(row[i], m_columns[i].type))
            throw DatasetError(QStringLiteral("%1 alanına uygun olmayan değer: %2")
                                   .arg(m_columns[i].name, row[i].toString()));
}

void MemDataset::appendRow(Row row)
{
    requireActive();
    checkBrowseMode();
    normalizeRow(row);
    m_rows.push_back(std::move(row));
    m_current = rowCount() - 1;
    m_eof = m_bof = false;
    if (controlsDisabled())
        m_changedWhileDisabled = true;
    else
        emit rowsAppended(m_current, m_current);
}

void MemDataset::assign(const TableData& content)
{
    const bool wasDisabled = controlsDisabled();
    // One notification for columns and rows together.
    ++m_disableCount;
    try {
        setColumns(content.columns);
        m_rows.reserve(content.rows.size());
        for (const Row& r : content.rows) {
            Row row = r;
            normalizeRow(row);
            m_rows.push_back(std::move(row));
        }
    } catch (...) {
        --m_disableCount;
        m_rows.clear();
        resetCursor();
        notifyReset();
        throw;
    }
    --m_disableCount;
    resetCursor();
    if (wasDisabled)
        m_changedWhileDisabled = true;
    else {
        m_changedWhileDisabled = false;
        emit datasetReset();
    }
}

void MemDataset::emptyDataSet()
{
    if (!active())
        return;
    m_state = State::Browse;
    m_buffer.clear();
    m_rows.clear();
    resetCursor();
    notifyReset();
}

void MemDataset::resetCursor()
{
    m_current = m_rows.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.empty();
}

void MemDataset::checkBrowseMode()
{
    if (m_state == State::Edit || m_state == State::Insert)
        post();
}

void MemDataset::first()
{
    if (!active())
        return;
    checkBrowseMode();
    resetCursor();
}

void MemDataset::next()
{
    if (!active())
        return;
    checkBrowseMode();
    if (m_eof)
        return;
    if (m_current + 1 < rowCount()) {
        ++m_current;
        m_bof = false;
    } else {
        m_eof = true;
    }
}

void MemDataset::prior()
{
    if (!active())
        return;
    checkBrowseMode();
    if (m_bof)
        return;
    if (m_current > 0) {
        --m_current;
        m_eof = false;
    } else {
        m_bof = true;
    }
}

void MemDataset::last()
{
    if (!active())
        return;
    checkBrowseMode();
    m_current = rowCount() - 1;
    m_eof = true;
    m_bof = m_rows.empty();
}

bool MemDataset::moveTo(int row)
{
    if (!active() || row < 0 || row >= rowCount())
        return false;
    checkBrowseMode();
    m_current = row;
    m_bof = m_eof = false;
    return true;
}

bool MemDataset::locate(QStringView field, const QVariant& value)
{
    requireActive();
    const int column = requireColumn(field);
    QVariant wanted = value;
    if (!convertCell(wanted, m_columns[static_cast<size_t>(column)].type))
        return false;
    checkBrowseMode();
    for (int r = 0; r < rowCount(); ++r) {
        const QVariant& cell = m_rows[static_cast<size_t>(r)][static_cast<size_t>(column)];
        if (cell.isNull() != wanted.isNull())
            continue;
        if (cell.isNull() || cell == wanted) {
            m_current = r;
            m_bof = m_eof = false;
            return true;
        }
    }
    return false;
}

QVariant MemDataset::fieldByName(QStringView field) const
{
    requireActive();
    const size_t column = static_cast<size_t>(requireColumn(field));
    if (m_state == State::Edit || m_state == State::Insert)
        return m_buffer[column];
    if (m_current < 0)
        return QVariant();
    return m_rows[static_cast<size_t>(m_current)][column];
}

void MemDataset::edit()
{
    requireActive();
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    if (m_current < 0)
        throw DatasetError(QStringLiteral("Düzenlenecek satır yok"));
    m_buffer = m_rows[static_cast<size_t>(m_current)];
    m_state = State::Edit;
}

void MemDataset::append()
{
    requireActive();
    checkBrowseMode();
    m_buffer.assign(m_columns.size(), QVariant());
    m_state = State::Insert;
}

void MemDataset::setFieldValue(QStringView field, const QVariant& value)
{
    requireActive();
    const int column = requireColumn(field);
    if (m_state != State::Edit && m_state != State::Insert)
        throw DatasetError(QStringLiteral("Veri kümesi düzenleme kipinde değil"));
    QVariant cell = value;
    const DatasetColumn& c = m_columns[static_cast<size_t>(column)];
    if (!convertCell(cell, c.type))
        throw DatasetError(QStringLiteral("%1 alanına uygun olmayan değer: %2").arg(c.name, value.toString()));
    m_buffer[static_cast<size_t>(column)] = std::move(cell);
}

void MemDataset::post()
{
    if (m_state == State::Edit) {
        m_rows[static_cast<size_t>(m_current)] = std::move(m_buffer);
        m_buffer.clear();
        m_state = State::Browse;
        if (controlsDisabled())
            m_changedWhileDisabled = true;
        else
            emit rowChanged(m_current);
    } else if (m_state == State::Insert) {
        Row row = std::move(m_buffer);
        m_buffer.clear();
        m_state = State::Browse;
        appendRow(std::move(row));
    }
}

void MemDataset::cancel()
{
    if (m_state == State::Edit || m_state == State::Insert) {
        m_buffer.clear();
        m_state = State::Browse;
    }
}

void MemDataset::DisableControls()
{
    ++m_disableCount;
}

void MemDataset::EnableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount == 0 && m_changedWhileDisabled) {
        m_changedWhileDisabled = false;
        emit datasetReset();
    }
}

void MemDataset::setLocale(const QLocale& locale)
{
    m_locale = locale;
    if (controlsDisabled())
        m_changedWhileDisabled = true;
    else
        emit displayFormatChanged();
}

void MemDataset::notifyReset()
{
    if (controlsDisabled())
        m_changedWhileDisabled = true;
    else
        emit datasetReset();
}

int MemDataset::requireColumn(QStringView field) const
{
    const int column = columnIndex(field);
    if (column < 0)
        throw DatasetError(QStringLiteral("Alan bulunamadı: %1").arg(field));
    return column;
}

void MemDataset::requireActive() const
{
    if (!active())
        throw DatasetError(QStringLiteral("Veri kümesi kapalı"));
}

void SetFloatDisplayFormat(MemDataset& dataset)
{
    for (int i = 0; i < dataset.columnCount(); ++i)
        if (dataset.column(i).type == FieldType::Double)
            dataset.setDisplayFormat(i, kMoneyDisplayFormat);
}

bool HasRows(const MemDataset& dataset)
{
    return dataset.active() && !dataset.isEmpty();
}

bool AnyRowSelected(MemDataset& dataset)
{
    if (!HasRows(dataset))
        return false;
    dataset.first();
    while (!dataset.eof()) {
        bool ok = false;
        const QVariant sec = dataset.fieldByName(u"SEC");
        if (!sec.isNull() && sec.toLongLong(&ok) == 1 && ok)
            return true;
        dataset.next();
    }
    return false;
}

void CopyReaderToDataset(TableReader& reader, MemDataset& dataset)
{
    dataset.setColumns(reader.columns());
    dataset.reserveRows(reader.rowCount());
    // The reader is consumed here, so its cells are moved rather than copied.
    while (reader.next())
        dataset.appendRow(reader.takeRow());
}

void AssignDataPacket(const DataPacket& packet, MemDataset& dataset)
{
    dataset.assign(packet.data());
}

} // namespace velun
