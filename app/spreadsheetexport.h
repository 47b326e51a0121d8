#pragma once
// "Excel Kaydet": a grid's view written to a binary ".xls" file the user chooses.

#include "server/tabledata.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QAbstractItemModel;
class QFileDialog;

namespace velun {

class VelunGrid;

struct ExportColumn
{
    QString caption;
    FieldType type = FieldType::Text;
    int modelColumn = 0;
};

// What a grid shows: its visible columns in display order over a model whose `valueRole` gives the
// stored (typed) value. Rows with children are groups: their leaf rows are written, groups expanded.
struct GridExportView
{
    const QAbstractItemModel* model = nullptr;
    QList<ExportColumn> columns;
    int valueRole = Qt::EditRole;
};

// Every column of the model, captioned by its header, typed by the first value it holds.
GridExportView exportViewOfModel(const QAbstractItemModel& model, int valueRole = Qt::EditRole);

// Asks the save dialog for a name (filter "Excel|*.xls*", no default extension); nothing happens on
// cancel. The chosen name gets the extension ".xls" and receives every record of the view. A failed
// write leaves any older file of that name intact and is reported with an error message.
void ExportGridToSpreadsheet(QFileDialog& SaveDialog1, const GridExportView& view);
void ExportGridToSpreadsheet(QFileDialog& SaveDialog1, const QAbstractItemModel& model);
// The grid as the user sees it: its visible bound columns in display order with their captions, and every
// row its filters let through, in the view's order.
void ExportGridToSpreadsheet(QFileDialog& SaveDialog1, const VelunGrid& grid);
GridExportView exportViewOf(const VelunGrid& grid);

// The chosen name with its extension replaced by ".xls" (added when it has none), in the same folder.
QString spreadsheetFileName(const QString& chosen);

// What the save dialog would have been asked; tests answer it instead of a person.
struct SaveDialogRequest
{
    QString nameFilter;
    QString defaultSuffix;
    QString directory;
};
// An installed hook answers every save dialog: a file name, or nullopt for a cancelled dialog.
using SaveDialogHook = std::function<std::optional<QString>(const SaveDialogRequest&)>;
SaveDialogHook setSaveDialogHook(SaveDialogHook hook);

} // namespace velun
