#include "server/tabledata.h"

#include <cmath>

namespace velun {

QString fieldTypeName(FieldType t)
{
    switch (t) {
    case FieldType::Text: return QStringLiteral("text");
    case FieldType::Int32: return QStringLiteral("int32");
    case FieldType::Int64: return QStringLiteral("int64");
    case FieldType::Double: return QStringLiteral("double");
    case FieldType::Boolean: return QStringLiteral("boolean");
    case FieldType::DateTime: return QStringLiteral("datetime");
    case FieldType::Blob: return QStringLiteral("blob");
    }
    return {};
}

bool fieldTypeFromName(QStringView name, FieldType& out)
{
    static const FieldType all[] = {FieldType::Text,    FieldType::Int32,    FieldType::Int64, FieldType::Double,
                                    FieldType::Boolean, FieldType::DateTime, FieldType::Blob};
    for (FieldType t : all)
        if (name == fieldTypeName(t)) {
            out = t;
            return true;
        }
    return false;
}

int TableData::columnIndex(QStringView name) const
{
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

namespace {
const QDateTime& oleEpoch()
{
    static const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    return epoch;
}
} // namespace

double dateTimeToOle(const QDateTime& dt)
{
    const QDateTime naive(dt.date(), dt.time(), Qt::UTC);
    const qint64 ms = oleEpoch().msecsTo(naive);
    const double days = std::floor(static_cast<double>(ms) / 86400000.0);
    const double frac = static_cast<double>(ms - static_cast<qint64>(days) * 86400000) / 86400000.0;
    // OLE puts times before the epoch as negative day numbers with a positive fraction.
    return days >= 0 ? days + frac : days - frac;
}

QDateTime oleToDateTime(double ole)
{
    const double days = std::trunc(ole);
    const double frac = std::fabs(ole - days);
    const qint64 ms = static_cast<qint64>(days) * 86400000 + static_cast<qint64>(std::llround(frac * 86400000.0));
    return oleEpoch().addMSecs(ms);
}

} // namespace velun
