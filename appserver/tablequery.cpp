#include "appserver/tablequery.h"

#include "server/errors.h"

#include <QSqlRecord>

namespace velun::appserver {
namespace {

QVariant convert(const QVariant& v, FieldType type)
{
    if (v.isNull())
        return QVariant();
    switch (type) {
    case FieldType::Text: return v.toString();
    case FieldType::Int32: return v.toInt();
    case FieldType::Int64: return v.toLongLong();
    case FieldType::Double: return v.toDouble();
    case FieldType::Boolean: return v.toLongLong() != 0;
    case FieldType::DateTime:
        // Stored as OLE Automation day numbers; a text date is read as ISO 8601.
        if (v.typeId() == QMetaType::QString) {
            const QDateTime dt = QDateTime::fromString(v.toString(), Qt::ISODate);
            return dt.isValid() ? QVariant(QDateTime(dt.date(), dt.time(), Qt::UTC)) : QVariant();
        }
        return oleToDateTime(v.toDouble());
    case FieldType::Blob: return v.toByteArray();
    }
    return QVariant();
}

} // namespace

TableData readTable(QSqlQuery& query, QList<ColumnDef> columns)
{
    TableData t;
    t.columns = std::move(columns);
    const int n = static_cast<int>(t.columns.size());
    if (query.record().count() < n)
        throw VelunError(QStringLiteral("Sorgu %1 sütun veriyor, %2 bekleniyor").arg(query.record().count()).arg(n));
    while (query.next()) {
        Row row;
        row.reserve(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            row.push_back(convert(query.value(i), t.columns[i].type));
        t.rows.push_back(std::move(row));
    }
    return t;
}

} // namespace velun::appserver
