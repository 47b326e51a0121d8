// Export time of a stock-list sized grid to a binary ".xls" workbook.

#include "app/xlsworkbook.h"
#include "bench/benchutil.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

using namespace velun;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rows = 100000;
    const TableData table = bench::makeStockLikeTable(rows, 40);
    // An output path given on the command line keeps the workbook for a look with other readers.
    QTemporaryDir dir;
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir.filePath(QStringLiteral("liste.xls"));

    bool ok = true;
    const double ms = bench::medianMs(3, [&] {
        QString error;
        if (!writeXlsWorkbook(path, table, &error)) {
            std::fprintf(stderr, "write failed: %s\n", qPrintable(error));
            ok = false;
        }
    });
    if (!ok)
        return 1;
    std::printf("xls export, %d rows x 40 columns: %.0f ms, %lld bytes (%d sheets)\n", rows, ms,
                static_cast<long long>(QFileInfo(path).size()),
                int((rows + kXlsRecordsPerSheet - 1) / kXlsRecordsPerSheet));
    return 0;
}
