#pragma once
// What a server call hands back besides scalars and records: a table reader, a data packet and a
// byte stream. Each owns its content, so it stays valid after the proxy that returned it is gone.

#include "server/tabledata.h"

#include <QByteArray>
#include <QVariant>

namespace velun {

// Forward-only reader over the rows of a returned table.
class TableReader
{
public:
    TableReader() = default;
    explicit TableReader(TableData table) : m_table(std::move(table)) {}

    int columnCount() const { return static_cast<int>(m_table.columns.size()); }
    const QString& columnName(int column) const { return m_table.columns.at(column).name; }
    FieldType columnType(int column) const { return m_table.columns.at(column).type; }
    const QList<ColumnDef>& columns() const { return m_table.columns; }
    qsizetype rowCount() const { return static_cast<qsizetype>(m_table.rows.size()); }

    // Moves to the next row (the first on the first call); false after the last row.
    bool next();
    // A cell of the current row; a null QVariant outside the rows or the columns.
    const QVariant& value(int column) const;
    const Row& row() const;
    // Moves the current row's cells out (the reader is being consumed); the row reads as empty afterwards.
    Row takeRow();

private:
    TableData m_table;
    qsizetype m_current = -1;
};

// The whole content of a dataset, assigned in one step.
class DataPacket
{
public:
    DataPacket() = default;
    explicit DataPacket(TableData table) : m_table(std::move(table)) {}
    const TableData& data() const { return m_table; }
    const QList<ColumnDef>& columns() const { return m_table.columns; }
    qsizetype rowCount() const { return static_cast<qsizetype>(m_table.rows.size()); }

private:
    TableData m_table;
};

// Bytes read from a position, like a memory stream.
class ByteStream
{
public:
    ByteStream() = default;
    explicit ByteStream(QByteArray bytes) : m_bytes(std::move(bytes)) {}

    void rewind() { m_position = 0; }
    qint64 position() const { return m_position; }
    qint64 size() const { return m_bytes.size(); }
    // Copies up to maxCount bytes from the position on; returns how many (0 at the end).
    qint64 read(char* buffer, qint64 maxCount);
    const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    qint64 m_position = 0;
};

} // namespace velun
