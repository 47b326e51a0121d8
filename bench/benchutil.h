#pragma once
// Small helpers for the benchmarks: a fixed table shape and median timing.

#include "server/tabledata.h"

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

namespace velun::bench {

// rows × 40 columns shaped like a stock search answer: codes and names, prices, quantities, flags, dates.
inline TableData makeStockLikeTable(int rows, int columns = 40)
{
    TableData t;
    static const FieldType cycle[] = {FieldType::Int32, FieldType::Text, FieldType::Text, FieldType::Double,
                                      FieldType::Double, FieldType::Int32, FieldType::Text, FieldType::Double,
                                      FieldType::Boolean, FieldType::DateTime};
    for (int c = 0; c < columns; ++c)
        t.columns.push_back({QStringLiteral("KOLON%1").arg(c), cycle[c % 10]});
    const QDateTime base(QDate(2026, 1, 1), QTime(8, 30), Qt::UTC);
    t.rows.reserve(static_cast<size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        Row row;
        row.reserve(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            switch (t.columns[c].type) {
            case FieldType::Int32: row.emplace_back(r * 7 + c); break;
            case FieldType::Text:
                row.emplace_back(c % 3 ? QStringLiteral("FREN BALATASI ÖN %1").arg(r)
                                       : QStringLiteral("0 986 494 %1").arg(r * 13 + c));
                break;
            case FieldType::Double: row.emplace_back(1234.56 + r * 0.37 + c); break;
            case FieldType::Boolean: row.emplace_back((r + c) % 2 == 0); break;
            case FieldType::DateTime: row.emplace_back(base.addSecs(r * 61)); break;
            default: row.emplace_back(); break;
            }
        }
        t.rows.push_back(std::move(row));
    }
    return t;
}

// Median wall time in milliseconds over `runs` runs.
inline double medianMs(int runs, const std::function<void()>& fn)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        fn();
        times.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace velun::bench
