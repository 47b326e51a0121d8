// The grid's cost from a model reset to the first painted frame, for 1,000 and 100,000 rows × 40
// columns (offscreen). Rows that are not on screen should cost next to nothing.

#include "app/velungrid.h"
#include "app/velunstyle.h"
#include "bench/benchutil.h"
#include "server/dataset.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace velun;

namespace {

std::vector<GridColumn> columnsOf(const MemDataset& data)
{
    std::vector<GridColumn> columns;
    for (int c = 0; c < data.columnCount(); ++c) {
        GridColumn col;
        col.field = data.column(c).name;
        col.width = 90;
        if (c % 10 == 5) {
            col.kind = CellKind::Icon;
            col.icon = StockStateIcons();
        }
        columns.push_back(col);
    }
    return columns;
}

// Median time of endLoad (one reset) plus the first full paint.
double resetToFirstFrameMs(int rows)
{
    MemDataset data;
    data.assign(bench::makeStockLikeTable(rows, 40));
    SetFloatDisplayFormat(data);
    VelunGrid grid;
    grid.setColumns(columnsOf(data));
    grid.setFooter({{QStringLiteral("KOLON1"), FooterSummary::Kind::Count}, {QStringLiteral("KOLON3"), FooterSummary::Kind::Sum}});
    grid.setRowHeight(40);
    grid.resize(1600, 900);
    grid.show();
    QApplication::processEvents();
    grid.setDataset(&data);
    std::vector<double> times;
    for (int run = 0; run < 25; ++run) {
        grid.beginLoad();
        QApplication::processEvents();
        QElapsedTimer t;
        t.start();
        grid.endLoad();
        grid.repaint();
        QApplication::processEvents();
        times.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ApplyVelunStyle(app);
    resetToFirstFrameMs(1000); // warm-up: fonts, icons, style caches
    const double small = resetToFirstFrameMs(1000);
    const double large = resetToFirstFrameMs(100000);
    std::printf("grid reset to first frame, 40 columns:\n");
    std::printf("  1,000 rows:   %8.2f ms\n", small);
    std::printf("  100,000 rows: %8.2f ms\n", large);
    std::printf("  ratio:        %8.2f (goal: about 1.5 or less)\n", large / small);
    return 0;
}
