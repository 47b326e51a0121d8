#pragma once
// Reads the rows of a query into a protocol table whose columns the method declares, so a
// column's type never depends on what SQLite happened to store in its first row.

#include "server/tabledata.h"

#include <QSqlQuery>

namespace velun::appserver {

// The query must have been executed (forward-only is fastest). Columns map by position to the result columns.
TableData readTable(QSqlQuery& query, QList<ColumnDef> columns);

} // namespace velun::appserver
