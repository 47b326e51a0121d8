// The server's side of the wire, driven with raw bytes: bad frames, bad JSON, bad requests.
// Every refusal is an error reply (or a closed connection where none can be framed), the server
// keeps serving, and nothing is written to the store.
#include "server/frame.h"
#include "server/json.h"
#include "server/wire.h"
#include "tests/support/testserver.h"

#include <QSqlQuery>
#include <QTcpSocket>
#include <QTest>
#include <QtConcurrent>

using namespace velun;

namespace {

class RawClient
{
public:
    explicit RawClient(quint16 port)
    {
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        m_ok = m_socket.waitForConnected(3000);
    }
    bool connected() const { return m_ok; }
    void sendRaw(const QByteArray& bytes)
    {
        m_socket.write(bytes);
        m_socket.waitForBytesWritten(3000);
    }
    void send(const QByteArray& payload) { sendRaw(wire::encodeFrame(payload)); }
    // The reply payload, or an empty array when the server closed the connection instead.
    QByteArray receive(int timeoutMs = 5000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (m_socket.bytesAvailable() < 4) {
            if (!m_socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())) && m_socket.bytesAvailable() < 4)
                return {};
        }
        char prefix[4];
        m_socket.peek(prefix, 4);
        const quint32 len = wire::decodeLength(prefix);
        while (m_socket.bytesAvailable() < 4 + len)
            if (!m_socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
                return {};
        m_socket.read(4);
        return m_socket.read(len);
    }
    bool closedByPeer(int timeoutMs = 5000)
    {
        if (m_socket.state() == QAbstractSocket::UnconnectedState)
            return true;
        m_socket.waitForDisconnected(timeoutMs);
        return m_socket.state() == QAbstractSocket::UnconnectedState;
    }

private:
    QTcpSocket m_socket;
    bool m_ok = false;
};

QByteArray request(const QString& method, json::Array params)
{
    return json::write(wire::makeRequest(method, std::move(params)));
}

QString errorClassOf(const QByteArray& reply)
{
    const json::Value v = json::parse(reply);
    const json::Value* err = v.find(u"error");
    return err ? err->find(u"class")->toString() : QString();
}

// Sum of the rows of every table: a refused call must leave it unchanged.
qint64 storeRowCount(appserver::Database& db)
{
    QSqlDatabase c = db.connection();
    QSqlQuery tables(c);
    tables.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%'"));
    qint64 total = 0;
    QStringList names;
    while (tables.next())
        names << tables.value(0).toString();
    for (const QString& n : names) {
        QSqlQuery q(c);
        q.exec(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(n));
        if (q.next())
            total += q.value(0).toLongLong();
    }
    return total;
}

} // namespace

class TestDispatcher : public QObject
{
    Q_OBJECT

    std::unique_ptr<test::TestServer> m_server;

    void expectServerStillServes()
    {
        RawClient c(m_server->port());
        QVERIFY(c.connected());
        c.send(request(QStringLiteral("BuyukGetir"), {wire::text(QStringLiteral("TEST-MACHINE-0001"))}));
        const QByteArray reply = c.receive();
        QVERIFY(!reply.isEmpty());
        QCOMPARE(errorClassOf(reply), QString());
    }

private slots:
    void initTestCase() { m_server = std::make_unique<test::TestServer>(); }
    void cleanupTestCase() { m_server.reset(); }

    void badRequestsGetErrorReplies_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("errorClass");
        const auto text = [](const char* s) { return wire::text(QString::fromUtf8(s)); };
        QTest::newRow("invalid json") << QByteArray("{\"command\": ") << u"EProtocolError"_qs;
        QTest::newRow("too deep") << QByteArray(200, '[') + QByteArray(200, ']') << u"EProtocolError"_qs;
        QTest::newRow("not an object") << QByteArray("[1,2]") << u"EProtocolError"_qs;
        QTest::newRow("no params") << QByteArray(R"({"command":"TServerMethods1.BuyukGetir"})") << u"EProtocolError"_qs;
        QTest::newRow("other class") << QByteArray(R"({"command":"TAdmin.BuyukGetir","params":[]})") << u"EProtocolError"_qs;
        QTest::newRow("unknown method") << request(QStringLiteral("SilBeniYok"), {}) << u"EUnknownMethod"_qs;
        QTest::newRow("uncalled method") << request(QStringLiteral("EchoString"), {text("x")}) << u"EUnknownMethod"_qs;
        QTest::newRow("too few params") << request(QStringLiteral("BuyukGetir"), {}) << u"EParameterError"_qs;
        QTest::newRow("too many params")
            << request(QStringLiteral("BuyukGetir"), {text("a"), text("b")}) << u"EParameterError"_qs;
        QTest::newRow("wrong kind") << request(QStringLiteral("BuyukGetir"), {wire::int32(5)}) << u"EParameterError"_qs;
        QTest::newRow("int32 out of range")
            << QByteArray(R"({"command":"TServerMethods1.MobilCariBilgisiGetir","params":[{"kind":"int32","value":99999999999},{"kind":"text","value":"x"}]})")
            << u"EParameterError"_qs;
        QTest::newRow("login record of wrong type")
            << request(QStringLiteral("SepetHepsiniSil"),
                       {wire::record(json::parse(R"({"type":"baglantiu.TTusSonuclari","id":1,"fields":{}})"))})
            << u"EParameterError"_qs;
        QTest::newRow("mail with one text missing")
            << request(QStringLiteral("MailGonserCari"),
                       {text("1"), text("2"), text("3"), text("4"), text("5"), text("6"), text("7"), text("8"),
                        text("9"), text("10"), text("11"), text("12"), text("13"), text("14"), text("15")})
            << u"EParameterError"_qs;
    }
    void badRequestsGetErrorReplies()
    {
        QFETCH(QByteArray, payload);
        QFETCH(QString, errorClass);
        const qint64 before = storeRowCount(m_server->database());
        RawClient c(m_server->port());
        QVERIFY(c.connected());
        c.send(payload);
        QCOMPARE(errorClassOf(c.receive()), errorClass);
        // The same connection goes on serving after an error reply.
        c.send(request(QStringLiteral("BuyukGetir"), {wire::text(QStringLiteral("X"))}));
        QCOMPARE(errorClassOf(c.receive()), QString());
        QCOMPARE(storeRowCount(m_server->database()), before);
    }

    void unframeableInputClosesTheConnection_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("length over bound") << QByteArray("\x7F\xFF\xFF\xFF{}", 6);
        QTest::newRow("zero length") << QByteArray("\0\0\0\0", 4);
        QTest::newRow("truncated frame") << QByteArray("\0\0\0\x64{\"command\"", 15);
    }
    void unframeableInputClosesTheConnection()
    {
        QFETCH(QByteArray, bytes);
        {
            RawClient c(m_server->port());
            QVERIFY(c.connected());
            c.sendRaw(bytes);
            if (QTest::currentDataTag() == QByteArray("truncated frame"))
                return expectServerStillServes(); // the server waits for the rest while others are served
            QVERIFY(c.receive(3000).isEmpty());
            QVERIFY(c.closedByPeer());
        }
        expectServerStillServes();
    }

    void notImplementedMethodsSaySo()
    {
        RawClient c(m_server->port());
        QVERIFY(c.connected());
        c.send(request(QStringLiteral("KayanYaziGetir"), {}));
        const QByteArray reply = c.receive();
        if (m_server->dispatcher().has(QStringLiteral("KayanYaziGetir")))
            QSKIP("KayanYaziGetir is offered by this server");
        QCOMPARE(errorClassOf(reply), u"ENotImplemented"_qs);
    }

    void manyConnectionsAtOnce()
    {
        const quint16 port = m_server->port();
        QList<int> ids;
        for (int i = 0; i < 24; ++i)
            ids << i;
        const QList<int> ok = QtConcurrent::blockingMapped(ids, [port](int) {
            RawClient c(port);
            int good = 0;
            for (int k = 0; k < 5 && c.connected(); ++k) {
                c.send(request(QStringLiteral("BuyukGetir"), {wire::text(QStringLiteral("TEST-MACHINE-0001"))}));
                const QByteArray r = c.receive(10000);
                good += (!r.isEmpty() && errorClassOf(r).isEmpty()) ? 1 : 0;
            }
            return good;
        });
        for (int g : ok)
            QCOMPARE(g, 5);
    }
};

QTEST_GUILESS_MAIN(TestDispatcher)
#include "tst_dispatcher.moc"
