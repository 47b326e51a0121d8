#pragma once
// Binary ".xls" workbooks (BIFF8 records in an OLE compound file) written from typed rows.

#include "server/tabledata.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

namespace velun {

struct XlsColumn
{
    QString caption;
    FieldType type = FieldType::Text;
};

// A sheet of this format holds 65,536 rows: the caption row and 65,535 records.
constexpr qsizetype kXlsRowsPerSheet = 65536;
constexpr qsizetype kXlsRecordsPerSheet = kXlsRowsPerSheet - 1;
constexpr int kXlsMaxColumns = 256;
constexpr int kXlsMaxTextLength = 32767;

// Fills `cells` (one per column, a null QVariant is an empty cell) with record `index`.
using XlsRowReader = std::function<void(qsizetype index, std::vector<QVariant>& cells)>;

// "Sayfa1", "Sayfa2", ... by zero-based sheet index.
QString xlsSheetName(int sheetIndex);

// Writes the records into `path` through a temporary file renamed into place, so a failure leaves an
// older file of that name as it was. Records beyond one sheet go on over further sheets, each with the
// caption row. Returns false with a Turkish reason in `errorText` when nothing was written.
bool writeXlsWorkbook(const QString& path, const QList<XlsColumn>& columns, qsizetype recordCount,
                      const XlsRowReader& readRow, QString* errorText = nullptr);
// The column names serve as captions.
bool writeXlsWorkbook(const QString& path, const TableData& table, QString* errorText = nullptr);

} // namespace velun
