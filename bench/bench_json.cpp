// Which JSON library carries the frames: parse and write speed of each codec on a
// 10,000-row × 40-column table reply, and the cost of turning the tree into a table.
#include "bench/benchutil.h"
#include "server/json.h"
#include "server/wire.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace velun;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    const int runs = 7;
    QTextStream out(stdout);

    const TableData table = bench::makeStockLikeTable(rows);
    std::vector<wire::OrdinalValue> values;
    values.push_back({0, wire::table(table)});
    const json::Value reply = wire::makeReply(std::move(values));
    const QByteArray text = json::write(reply);
    const double mb = static_cast<double>(text.size()) / (1024.0 * 1024.0);
    out << "payload: " << rows << " rows x 40 columns, " << QString::number(mb, 'f', 2) << " MiB\n";

    std::vector<const json::Codec*> codecs{&json::rapidJsonCodec(), &json::qtJsonCodec()};
    if (json::simdJsonCodec())
        codecs.push_back(json::simdJsonCodec());

    out << "codec            parse ms   MiB/s   write ms  order kept\n";
    for (const json::Codec* c : codecs) {
        json::Value parsed;
        const double parseMs = bench::medianMs(runs, [&] { parsed = c->parse(text); });
        const double writeMs = bench::medianMs(runs, [&] { (void)c->write(reply); });
        out << QString::fromLatin1(c->name()).leftJustified(16) << QString::number(parseMs, 'f', 1).rightJustified(9)
            << QString::number(mb / (parseMs / 1000.0), 'f', 0).rightJustified(8)
            << QString::number(writeMs, 'f', 1).rightJustified(11) << (c->preservesMemberOrder() ? "  yes" : "  no")
            << '\n';
    }

    json::Value parsed = json::parse(text);
    const double toTableMs = bench::medianMs(runs, [&] {
        auto decoded = wire::parseReply(parsed);
        TableData t = wire::toTable(decoded.front().value);
        if (t.rows.size() != table.rows.size())
            std::abort();
    });
    const double encodeMs = bench::medianMs(runs, [&] { (void)wire::table(table); });
    out << "tree -> table (decode cells): " << QString::number(toTableMs, 'f', 1) << " ms\n";
    out << "table -> tree (encode cells): " << QString::number(encodeMs, 'f', 1) << " ms\n";
    return 0;
}
