// JSON codecs, frames and value kinds: round trips and a table of malformed inputs.
#include "server/errors.h"
#include "server/frame.h"
#include "server/json.h"
#include "server/wire.h"

#include <QTest>

using namespace velun;

namespace {
std::vector<const json::Codec*> codecs()
{
    std::vector<const json::Codec*> v{&json::rapidJsonCodec(), &json::qtJsonCodec()};
    if (json::simdJsonCodec())
        v.push_back(json::simdJsonCodec());
    return v;
}
} // namespace

class TestWire : public QObject
{
    Q_OBJECT

private slots:
    void parseAgreesAcrossCodecs_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("scalars") << QByteArray(R"([null,true,false,0,-1,9007199254740993,1.5,-2.25e-3,"x"])");
        QTest::newRow("turkish") << QByteArray("{\"ad\":\"İĞÜŞÖÇ ığüşöç\",\"k\":\"\\u0130\\n\\t\\\"\\\\\"}");
        QTest::newRow("nested") << QByteArray(R"({"a":{"b":[1,[2,[3,{"c":null}]]]}})");
        QTest::newRow("int64 edges") << QByteArray(R"([9223372036854775807,-9223372036854775808])");
        QTest::newRow("empty containers") << QByteArray(R"({"a":[],"b":{}})");
    }
    void parseAgreesAcrossCodecs()
    {
        QFETCH(QByteArray, text);
        const json::Value reference = json::rapidJsonCodec().parse(text);
        for (const json::Codec* c : codecs()) {
            json::Value v = c->parse(text);
            if (!c->preservesMemberOrder())
                continue; // member order differs; the values were still parsed
            QVERIFY2(v == reference, c->name());
            // Writing and reading back gives the same tree.
            QVERIFY2(c->parse(c->write(v)) == reference, c->name());
        }
    }

    void writerKeepsMemberOrderAndDoublePrecision()
    {
        json::Value v(json::Object{{QStringLiteral("type"), QStringLiteral("t")},
                                   {QStringLiteral("id"), json::Value(1)},
                                   {QStringLiteral("fields"), json::Object{{QStringLiteral("z"), json::Value(0.1)},
                                                                           {QStringLiteral("a"), json::Value(1e300)}}}});
        const QByteArray out = json::write(v);
        QCOMPARE(out, QByteArray(R"({"type":"t","id":1,"fields":{"z":0.1,"a":1e300}})"));
        QCOMPARE(json::parse(out), v);
    }

    void malformedJson_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("truncated object") << QByteArray(R"({"a":1)");
        QTest::newRow("trailing garbage") << QByteArray(R"({"a":1} x)");
        QTest::newRow("bare word") << QByteArray("nul");
        QTest::newRow("single quotes") << QByteArray("{'a':1}");
        QTest::newRow("invalid utf8") << QByteArray("[\"\xC3\x28\"]");
        QTest::newRow("too deep") << QByteArray(65, '[') + QByteArray(65, ']');
        QTest::newRow("nan") << QByteArray("[NaN]");
    }
    void malformedJson()
    {
        QFETCH(QByteArray, text);
        for (const json::Codec* c : codecs())
            if (c->preservesMemberOrder())
                QVERIFY_THROWS_EXCEPTION(json::ParseError, c->parse(text));
    }

    void depthBoundIsInclusive()
    {
        const QByteArray ok = QByteArray(64, '[') + QByteArray(64, ']');
        for (const json::Codec* c : codecs())
            QCOMPARE(c->parse(ok).type(), json::Value::Type::Array);
    }

    void frames()
    {
        const QByteArray frame = wire::encodeFrame(QByteArrayLiteral("{}"));
        QCOMPARE(frame.size(), 6);
        QCOMPARE(frame.left(4), QByteArray("\0\0\0\2", 4));

        wire::FrameReader reader(16);
        reader.feed(frame.left(3));
        QVERIFY(!reader.next());
        reader.feed(frame.mid(3) + wire::encodeFrame(QByteArrayLiteral("[1]")));
        QCOMPARE(*reader.next(), QByteArrayLiteral("{}"));
        QCOMPARE(*reader.next(), QByteArrayLiteral("[1]"));
        QVERIFY(!reader.next());
        QVERIFY(!reader.midFrame());

        // Over the bound or zero: refused from the prefix alone.
        QVERIFY_THROWS_EXCEPTION(ProtocolError, wire::decodeLength("\0\0\0\x11", 16));
        QVERIFY_THROWS_EXCEPTION(ProtocolError, wire::decodeLength("\0\0\0\0", 16));
        QVERIFY_THROWS_EXCEPTION(ProtocolError, wire::decodeLength("\xFF\xFF\xFF\xFF"));
        QCOMPARE(wire::decodeLength("\0\0\0\x10", 16), 16u);
    }

    void scalarKinds()
    {
        auto roundTrip = [](const json::Value& v) { return json::parse(json::write(v)); };
        QCOMPARE(wire::toText(roundTrip(wire::text(QStringLiteral("Şişli Oto")))), QStringLiteral("Şişli Oto"));
        QCOMPARE(wire::toInt32(roundTrip(wire::int32(-2147483647 - 1))), -2147483647 - 1);
        QCOMPARE(wire::toInt64(roundTrip(wire::int64(5368709120LL))), 5368709120LL);
        QCOMPARE(wire::toDouble(roundTrip(wire::dbl(1234.5678))), 1234.5678);
        QCOMPARE(wire::toDouble(json::parse(R"({"kind":"double","value":3})")), 3.0); // integers are numbers too
        QCOMPARE(wire::toBoolean(roundTrip(wire::boolean(true))), true);
        const QByteArray bytes("\xFF\xD8\x00\x01", 4);
        QCOMPARE(wire::toStream(roundTrip(wire::stream(bytes))), bytes);
    }

    void kindMismatches_data()
    {
        QTest::addColumn<QByteArray>("tagged");
        QTest::addColumn<int>("asKind");
        const int i32 = int(wire::Kind::Int32);
        QTest::newRow("text as int32") << QByteArray(R"({"kind":"text","value":"1"})") << i32;
        QTest::newRow("int32 over range") << QByteArray(R"({"kind":"int32","value":2147483648})") << i32;
        QTest::newRow("int32 fraction") << QByteArray(R"({"kind":"int32","value":1.5})") << i32;
        QTest::newRow("unknown kind") << QByteArray(R"({"kind":"money","value":1})") << i32;
        QTest::newRow("missing value") << QByteArray(R"({"kind":"int32"})") << i32;
        QTest::newRow("bad base64") << QByteArray(R"({"kind":"stream","value":"@@@"})") << int(wire::Kind::Stream);
        QTest::newRow("record not object") << QByteArray(R"({"kind":"record","value":5})") << int(wire::Kind::Record);
    }
    void kindMismatches()
    {
        QFETCH(QByteArray, tagged);
        QFETCH(int, asKind);
        const json::Value v = json::parse(tagged);
        switch (wire::Kind(asKind)) {
        case wire::Kind::Int32: QVERIFY_THROWS_EXCEPTION(ProtocolError, wire::toInt32(v)); break;
        case wire::Kind::Stream: QVERIFY_THROWS_EXCEPTION(ProtocolError, wire::toStream(v)); break;
        case wire::Kind::Record: QVERIFY_THROWS_EXCEPTION(ProtocolError, wire::toRecord(v)); break;
        default: QFAIL("unexpected");
        }
    }

    void tableRoundTrip()
    {
        TableData t;
        t.columns = {{QStringLiteral("STOKNO"), FieldType::Int32},   {QStringLiteral("STOKADI"), FieldType::Text},
                     {QStringLiteral("FIYAT"), FieldType::Double},   {QStringLiteral("TARIH"), FieldType::DateTime},
                     {QStringLiteral("VAR"), FieldType::Boolean},    {QStringLiteral("BUYUK"), FieldType::Int64},
                     {QStringLiteral("RESIM"), FieldType::Blob}};
        const QDateTime when(QDate(2025, 12, 9), QTime(12, 0), Qt::UTC);
        t.rows.push_back({1, QStringLiteral("FREN BALATASI ÖN"), 1234.5, when, true, qlonglong(1) << 40,
                          QByteArray("\x01\x02", 2)});
        t.rows.push_back({QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()});
        const TableData back = wire::toTable(json::parse(json::write(wire::table(t))));
        QCOMPARE(back.columns, t.columns);
        QCOMPARE(back.rows.size(), size_t(2));
        QCOMPARE(back.rows[0][0].toInt(), 1);
        QCOMPARE(back.rows[0][1].toString(), QStringLiteral("FREN BALATASI ÖN"));
        QCOMPARE(back.rows[0][2].toDouble(), 1234.5);
        QCOMPARE(back.rows[0][3].toDateTime(), when);
        QCOMPARE(back.rows[0][4].toBool(), true);
        QCOMPARE(back.rows[0][5].toLongLong(), qlonglong(1) << 40);
        QCOMPARE(back.rows[0][6].toByteArray(), QByteArray("\x01\x02", 2));
        for (const QVariant& cell : back.rows[1])
            QVERIFY(cell.isNull());

        // A table without rows keeps its columns; a data packet is its own kind.
        TableData empty;
        empty.columns = t.columns;
        const json::Value packet = wire::table(empty, wire::Kind::DataPacket);
        QCOMPARE(wire::toTable(packet, wire::Kind::DataPacket).columns, t.columns);
        QVERIFY_THROWS_EXCEPTION(ProtocolError, wire::toTable(packet, wire::Kind::Table));
    }

    void malformedTables_data()
    {
        QTest::addColumn<QByteArray>("tagged");
        QTest::newRow("row too short") << QByteArray(R"({"kind":"table","columns":[{"name":"A","type":"int32"}],"rows":[[]]})");
        QTest::newRow("row too long") << QByteArray(R"({"kind":"table","columns":[{"name":"A","type":"int32"}],"rows":[[1,2]]})");
        QTest::newRow("cell of wrong type") << QByteArray(R"({"kind":"table","columns":[{"name":"A","type":"int32"}],"rows":[["x"]]})");
        QTest::newRow("unknown column type") << QByteArray(R"({"kind":"table","columns":[{"name":"A","type":"money"}],"rows":[]})");
        QTest::newRow("no rows member") << QByteArray(R"({"kind":"table","columns":[]})");
        QTest::newRow("row not array") << QByteArray(R"({"kind":"table","columns":[{"name":"A","type":"text"}],"rows":[{"A":"x"}]})");
    }
    void malformedTables()
    {
        QFETCH(QByteArray, tagged);
        QVERIFY_THROWS_EXCEPTION(ProtocolError, wire::toTable(json::parse(tagged)));
    }

    void oleDates_data()
    {
        QTest::addColumn<double>("ole");
        QTest::addColumn<QDateTime>("when");
        QTest::newRow("epoch") << 0.0 << QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
        QTest::newRow("noon") << 46000.5 << QDateTime(QDate(2025, 12, 9), QTime(12, 0), Qt::UTC);
        QTest::newRow("before epoch") << -1.25 << QDateTime(QDate(1899, 12, 29), QTime(6, 0), Qt::UTC);
        QTest::newRow("quarter past") << 2.0 + 1.0 / 96 << QDateTime(QDate(1900, 1, 1), QTime(0, 15), Qt::UTC);
    }
    void oleDates()
    {
        QFETCH(double, ole);
        QFETCH(QDateTime, when);
        QCOMPARE(oleToDateTime(ole), when);
        QVERIFY(qAbs(dateTimeToOle(when) - ole) < 1e-9);
    }

    void envelopes()
    {
        const json::Value req = wire::makeRequest(QStringLiteral("BuyukGetir"), {wire::text(QStringLiteral("ID"))});
        const wire::Request parsed = wire::parseRequest(json::parse(json::write(req)));
        QCOMPARE(parsed.method, QStringLiteral("BuyukGetir"));
        QCOMPARE(parsed.params.size(), size_t(1));
        QVERIFY_THROWS_EXCEPTION(ProtocolError,
                                 wire::parseRequest(json::parse(R"({"command":"Other.X","params":[]})")));

        const auto values = wire::parseReply(json::parse(json::write(wire::makeReply({{1, wire::int64(7)}}))));
        QCOMPARE(values.size(), size_t(1));
        QCOMPARE(values[0].ordinal, 1);
        QCOMPARE(wire::toInt64(values[0].value), 7);

        try {
            wire::parseReply(wire::makeErrorReply(QStringLiteral("EVelunError"), QStringLiteral("Sepet boş")));
            QFAIL("no error raised");
        } catch (const ServerError& e) {
            QCOMPARE(e.className(), QStringLiteral("EVelunError"));
            QCOMPARE(e.message(), QStringLiteral("Sepet boş"));
        }
    }
};

QTEST_GUILESS_MAIN(TestWire)
#include "tst_wire.moc"
