#include "app/spreadsheetexport.h"

#include "app/utils.h"
#include "app/gridfilter.h"
#include "app/velungrid.h"
#include "server/dataset.h"
#include "app/xlsworkbook.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMutex>

#include <vector>

namespace velun {
namespace {

QMutex g_saveHookMutex;
SaveDialogHook g_saveHook;

const QString kExcelFilter = QStringLiteral("Excel (*.xls*)");

std::optional<QString> askFileName(QFileDialog& dialog)
{
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(kExcelFilter);
    dialog.setDefaultSuffix(QString());

    SaveDialogHook hook;
    {
        QMutexLocker lock(&g_saveHookMutex);
        hook = g_saveHook;
    }
    if (hook)
        return hook({dialog.nameFilters().join(u";;"), dialog.defaultSuffix(), dialog.directory().path()});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

// Leaf rows in display order: a row with children stands for a group and is replaced by its rows.
void collectLeafRows(const QAbstractItemModel& model, const QModelIndex& parent, std::vector<QModelIndex>& out)
{
    const int rows = model.rowCount(parent);
    for (int r = 0; r < rows; ++r) {
        const QModelIndex row = model.index(r, 0, parent);
        if (model.hasChildren(row))
            collectLeafRows(model, row, out);
        else
            out.push_back(row);
    }
}

FieldType fieldTypeOf(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
        return FieldType::Int32;
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
        return FieldType::Int64;
    case QMetaType::Double:
    case QMetaType::Float:
        return FieldType::Double;
    case QMetaType::Bool:
        return FieldType::Boolean;
    case QMetaType::QDateTime:
    case QMetaType::QDate:
        return FieldType::DateTime;
    case QMetaType::QByteArray:
        return FieldType::Blob;
    default:
        return FieldType::Text;
    }
}

} // namespace

SaveDialogHook setSaveDialogHook(SaveDialogHook hook)
{
    QMutexLocker lock(&g_saveHookMutex);
    std::swap(g_saveHook, hook);
    return hook;
}

QString spreadsheetFileName(const QString& chosen)
{
    const QFileInfo info(chosen);
    return QDir(info.path()).filePath(info.completeBaseName() + u".xls");
}

GridExportView exportViewOfModel(const QAbstractItemModel& model, int valueRole)
{
    GridExportView view;
    view.model = &model;
    view.valueRole = valueRole;
    const int rows = model.rowCount();
    for (int c = 0; c < model.columnCount(); ++c) {
        FieldType type = FieldType::Text;
        for (int r = 0; r < rows; ++r) {
            const QVariant v = model.data(model.index(r, c), valueRole);
            if (!v.isNull()) {
                type = fieldTypeOf(v);
                break;
            }
        }
        view.columns.append({model.headerData(c, Qt::Horizontal).toString(), type, c});
    }
    return view;
}

void ExportGridToSpreadsheet(QFileDialog& SaveDialog1, const GridExportView& view)
{
    const std::optional<QString> chosen = askFileName(SaveDialog1);
    if (!chosen || chosen->isEmpty() || !view.model)
        return;
    const QString path = spreadsheetFileName(*chosen);

    QList<XlsColumn> columns;
    for (const ExportColumn& c : view.columns)
        columns.append({c.caption, c.type});
    std::vector<QModelIndex> rows;
    collectLeafRows(*view.model, {}, rows);

    const QAbstractItemModel& model = *view.model;
    const auto readRow = [&](qsizetype index, std::vector<QVariant>& cells) {
        const QModelIndex& row = rows[size_t(index)];
        for (qsizetype c = 0; c < view.columns.size(); ++c) {
            const QModelIndex cell = model.index(row.row(), view.columns[c].modelColumn, row.parent());
            cells[size_t(c)] = model.data(cell, view.valueRole);
        }
    };

    QString error;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool written = writeXlsWorkbook(path, columns, qsizetype(rows.size()), readRow, &error);
    QGuiApplication::restoreOverrideCursor();
    if (!written)
        ShowMessageDialog(QStringLiteral("Excel dosyası kaydedilemedi: %1\n%2").arg(QDir::toNativeSeparators(path), error),
                          TMsgDlgType::mtError, {TMsgDlgBtn::mbOK}, TMsgDlgBtn::mbOK);
}

void ExportGridToSpreadsheet(QFileDialog& SaveDialog1, const QAbstractItemModel& model)
{
    ExportGridToSpreadsheet(SaveDialog1, exportViewOfModel(model));
}

GridExportView exportViewOf(const VelunGrid& grid)
{
    GridExportView view;
    view.model = grid.proxy();
    const MemDataset* dataset = grid.dataset();
    for (const QString& key : grid.visibleColumns()) {
        const int column = grid.columnIndex(key);
        const GridColumn& def = grid.columns()[static_cast<size_t>(column)];
        if (def.field.isEmpty())
            continue; // a column the grid draws itself holds no value of the dataset
        const int datasetColumn = dataset ? dataset->columnIndex(def.field) : -1;
        ExportColumn out;
        out.caption = def.headerText().isEmpty() ? def.field : def.headerText();
        out.type = datasetColumn >= 0 ? dataset->column(datasetColumn).type : FieldType::Text;
        out.modelColumn = column;
        view.columns.push_back(out);
    }
    return view;
}

void ExportGridToSpreadsheet(QFileDialog& SaveDialog1, const VelunGrid& grid)
{
    ExportGridToSpreadsheet(SaveDialog1, exportViewOf(grid));
}

} // namespace velun
