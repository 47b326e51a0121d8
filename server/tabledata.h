#pragma once
// A table as it travels: named, typed columns in order, then rows of cells.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

#include <vector>

namespace velun {

enum class FieldType { Text, Int32, Int64, Double, Boolean, DateTime, Blob };

QString fieldTypeName(FieldType t);
// false when the name is not a column type of the protocol.
bool fieldTypeFromName(QStringView name, FieldType& out);

struct ColumnDef
{
    QString name;
    FieldType type = FieldType::Text;
    bool operator==(const ColumnDef&) const = default;
};

// Cells hold QString, int, qlonglong, double, bool, QDateTime (UTC-tagged, read as wall-clock time)
// or QByteArray by column type; a null QVariant is an empty cell.
using Row = std::vector<QVariant>;

struct TableData
{
    QList<ColumnDef> columns;
    std::vector<Row> rows;

    int columnIndex(QStringView name) const;
};

// OLE Automation dates: days since 1899-12-30, the fraction is the time of day.
double dateTimeToOle(const QDateTime& dt);
QDateTime oleToDateTime(double ole);

} // namespace velun
