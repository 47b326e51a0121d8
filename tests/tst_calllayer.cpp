// The client call layer against the real reference server: connecting with retries, the proxy and
// its commands, reply checking, transport faults, the stream rule and the background tasks.

#include "server/backgroundtask.h"
#include "server/connection.h"
#include "server/connectwithretry.h"
#include "server/dataset.h"
#include "server/dbxcommand.h"
#include "server/frame.h"
#include "server/servermethods1client.h"
#include "server/streamresult.h"
#include "platform/pause.h"
#include "tests/support/testserver.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <atomic>
#include <future>
#include <thread>

using namespace velun;
using namespace std::chrono_literals;

namespace {

const QString kMachine = QStringLiteral("TEST-MACHINE-0001");

std::unique_ptr<ServerConnection> connectionTo(quint16 port)
{
    auto c = std::make_unique<ServerConnection>();
    c->Params.setValue(connparam::HostName, QStringLiteral("127.0.0.1"));
    c->Params.setValue(connparam::Port, QString::number(port));
    return c;
}

// Records the pauses instead of sleeping.
struct PauseRecorder
{
    QMutex mutex;
    QList<std::chrono::milliseconds> pauses;
    std::function<void(int)> onPause; // called with the number of pauses so far

    void install()
    {
        platform::setPauseFunction([this](std::chrono::milliseconds d) {
            int n = 0;
            {
                QMutexLocker lock(&mutex);
                pauses.push_back(d);
                n = static_cast<int>(pauses.size());
            }
            if (onPause)
                onPause(n);
        });
    }
    void clear()
    {
        QMutexLocker lock(&mutex);
        pauses.clear();
        onPause = {};
    }
};

struct MessageRecorder
{
    QMutex mutex;
    QStringList messages;
    void install()
    {
        setConnectionFailureReporter([this](const QString& m) {
            QMutexLocker lock(&mutex);
            messages.push_back(m);
        });
    }
};

// Answers the requests of one connection with canned reply payloads, one per request.
class CannedServer
{
public:
    explicit CannedServer(QList<QByteArray> replies)
    {
        std::promise<quint16> listening;
        auto port = listening.get_future();
        m_thread = std::thread([this, replies = std::move(replies), listening = std::move(listening)]() mutable {
            QTcpServer server;
            server.listen(QHostAddress::LocalHost, 0);
            listening.set_value(server.serverPort());
            if (!server.waitForNewConnection(10000))
                return;
            QTcpSocket* socket = server.nextPendingConnection();
            for (const QByteArray& reply : replies) {
                if (!readFrame(*socket))
                    return;
                socket->write(wire::encodeFrame(reply));
                socket->waitForBytesWritten(5000);
            }
            socket->waitForDisconnected(5000);
        });
        m_port = port.get();
    }
    ~CannedServer() { m_thread.join(); }
    quint16 port() const { return m_port; }

private:
    static bool readFrame(QTcpSocket& s)
    {
        QByteArray buffer;
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            buffer += s.readAll();
            if (buffer.size() >= wire::kPrefixSize &&
                buffer.size() >= wire::kPrefixSize + static_cast<qsizetype>(wire::decodeLength(buffer.constData())))
                return true;
            s.waitForReadyRead(100);
        }
        return false;
    }

    std::thread m_thread;
    quint16 m_port = 0;
};

// What a call ended in, as one comparable word.
template <class F>
QString outcomeOf(F&& call)
{
    try {
        return call();
    } catch (const ServerError& e) {
        return QStringLiteral("ServerError:") + e.className();
    } catch (const ConnectionError&) {
        return QStringLiteral("ConnectionError");
    } catch (const ProtocolError&) {
        return QStringLiteral("ProtocolError");
    } catch (const VelunError& e) {
        return QStringLiteral("VelunError:") + e.message();
    }
}

void clearFaults(appserver::FaultPlan& f)
{
    f.delayReplyMs = 0;
    f.dropNextRequest = false;
    f.truncateNextReply = false;
    f.garbageNextReply = false;
    f.oversizeNextReply = false;
    f.errorNextCall = false;
    f.nullNextRecord = false;
    f.shortNextStream = false;
    f.wrongKindNextReply = false;
}

} // namespace

class TstCallLayer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void connectionParameters();
    void connectWithRetryGivesUpAfterElevenAttempts_data();
    void connectWithRetryGivesUpAfterElevenAttempts();
    void connectWithRetryWithRealPause();
    void connectWithRetryReachesAServerThatComesUp();
    void callOnClosedConnectionFails();

    void buyukGetirOfRegisteredMachine();
    void loginRecordArgumentIsACopy();
    void sameMethodTwicePreparesOnce();
    void unimplementedMethodGivesServerError();
    void everyProxyOperationMatchesTheServer();
    void commandChecksItsInputs();
    void streamResultAndLengthOut();

    void replyChecking_data();
    void replyChecking();
    void faults_data();
    void faults();

    void streamRule_data();
    void streamRule();

    void twoWorkersOnTwoClones();
    void taskErrorFlagAndUiHandOver();
    void completionSkippedWhenOwnerDestroyed();
    void loadFrameCopiesTableIntoDataset();
    void loadFrameFailuresLeaveDatasetAlone();

private:
    std::unique_ptr<test::TestServer> m_server;
    PauseRecorder m_pauses;
    MessageRecorder m_messages;
};

void TstCallLayer::initTestCase()
{
    m_server = std::make_unique<test::TestServer>();
    // Until the reference server offers them, a stream method and a table method stand in, so the
    // client's side of both is exercised on the real listener either way.
    appserver::Dispatcher& d = m_server->dispatcher();
    if (!d.has(QStringLiteral("BannerResimVer")))
        d.add(QStringLiteral("BannerResimVer"), [](appserver::CallContext&, const appserver::Args&, appserver::Reply& r) {
            QByteArray gif("GIF89a");
            gif.append(3000, '\x7f');
            r.out(QStringLiteral("size"), wire::int64(gif.size()));
            r.result(wire::stream(gif));
        });
    if (!d.has(QStringLiteral("TeslimVer")))
        d.add(QStringLiteral("TeslimVer"), [](appserver::CallContext&, const appserver::Args&, appserver::Reply& r) {
            TableData t;
            t.columns = {{QStringLiteral("ID"), FieldType::Int32}, {QStringLiteral("ADI"), FieldType::Text},
                         {QStringLiteral("UCRET"), FieldType::Double}};
            t.rows = {{1, QStringLiteral("Kargo ile"), 0.0}, {2, QStringLiteral("Gel al"), 12.5}};
            r.result(wire::table(t));
        });
    m_pauses.install();
    m_messages.install();
}

void TstCallLayer::init()
{
    m_pauses.clear();
    QMutexLocker lock(&m_messages.mutex);
    m_messages.messages.clear();
    clearFaults(m_server->faults());
}

void TstCallLayer::cleanupTestCase()
{
    BackgroundThreadPool().waitForDone();
    platform::setPauseFunction({});
    setConnectionFailureReporter({});
    m_server.reset();
}

void TstCallLayer::connectionParameters()
{
    ServerConnection bagc;
    QCOMPARE(bagc.Params.value(connparam::DriverName), QStringLiteral("DataSnap"));
    QCOMPARE(bagc.Params.value(connparam::ConnectionName), QStringLiteral("DataSnapCONNECTION"));
    QCOMPARE(bagc.Params.value(connparam::Port), QStringLiteral("9090"));
    QCOMPARE(bagc.Params.value(connparam::CommunicationProtocol), QStringLiteral("tcp/ip"));
    QCOMPARE(bagc.Params.value(connparam::DatasnapContext), QStringLiteral("datasnap/"));
    QCOMPARE(bagc.Params.value(connparam::Filters), QStringLiteral("{}"));
    QCOMPARE(bagc.Params.value(connparam::DSProxyPort), QStringLiteral("8090"));
    QCOMPARE(bagc.Params.value(connparam::LoginPrompt), QStringLiteral("False"));
    QCOMPARE(bagc.Params.value(u"hostname"), QString()); // names are case-insensitive
    QCOMPARE(bagc.callTimeout(), 30000ms);

    bagc.Params.setValue(QStringLiteral("hostname"), QStringLiteral("sunucu.example"));
    bagc.setCallTimeout(1234ms);
    bagc.setConnectTimeout(321ms);
    const auto clone = bagc.clone();
    QVERIFY(clone->Params == bagc.Params);
    QCOMPARE(clone->Params.value(connparam::HostName), QStringLiteral("sunucu.example"));
    QCOMPARE(clone->callTimeout(), 1234ms);
    QCOMPARE(clone->connectTimeout(), 321ms);
    QVERIFY(!clone->connected());
    QVERIFY(clone->dbxConnection() != bagc.dbxConnection());

    // Without a host or with a bad port nothing is tried.
    ServerConnection empty;
    QVERIFY_THROWS_EXCEPTION(ConnectionError, empty.open());
    empty.Params.setValue(connparam::HostName, QStringLiteral("127.0.0.1"));
    empty.Params.setValue(connparam::Port, QStringLiteral("90x"));
    QVERIFY_THROWS_EXCEPTION(ConnectionError, empty.open());
}

void TstCallLayer::connectWithRetryGivesUpAfterElevenAttempts_data()
{
    QTest::addColumn<int>("showMessage");
    QTest::addColumn<int>("messages");
    QTest::newRow("caller reports") << 0 << 0;
    QTest::newRow("routine reports") << 1 << 1;
}

void TstCallLayer::connectWithRetryGivesUpAfterElevenAttempts()
{
    QFETCH(int, showMessage);
    QFETCH(int, messages);
    auto c = connectionTo(test::deadPort());
    QVERIFY(!ConnectWithRetry(*c, showMessage));
    QVERIFY(!c->connected());
    QCOMPARE(m_pauses.pauses, QList<std::chrono::milliseconds>(11, 500ms));
    QCOMPARE(m_messages.messages.size(), messages);
    if (messages)
        QCOMPARE(m_messages.messages.first(), QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!"));
}

void TstCallLayer::connectWithRetryWithRealPause()
{
    const auto recorder = platform::setPauseFunction({});
    auto c = connectionTo(test::deadPort());
    const bool ok = ConnectWithRetry(*c, 1);
    platform::setPauseFunction(recorder);
    QVERIFY(!ok);
    QCOMPARE(m_messages.messages.size(), 1);
    QVERIFY(m_pauses.pauses.isEmpty());
}

void TstCallLayer::connectWithRetryReachesAServerThatComesUp()
{
    const quint16 port = test::deadPort();
    QTcpServer late;
    // The server starts listening during the third pause: the fourth attempt connects.
    m_pauses.onPause = [&](int n) {
        if (n == 3)
            QVERIFY(late.listen(QHostAddress::LocalHost, port));
    };
    auto c = connectionTo(port);
    QVERIFY(ConnectWithRetry(*c, 1));
    QVERIFY(c->connected());
    QCOMPARE(m_pauses.pauses.size(), 3);
    QVERIFY(m_messages.messages.isEmpty());

    // An open connection is closed and opened afresh, with no pause.
    m_pauses.clear();
    QVERIFY(ConnectWithRetry(*c, 1));
    QVERIFY(m_pauses.pauses.isEmpty());
    c->close();
    QVERIFY(!c->connected());
}

void TstCallLayer::callOnClosedConnectionFails()
{
    auto c = connectionTo(m_server->port());
    QVERIFY_THROWS_EXCEPTION(ConnectionError, c->call(QByteArrayLiteral("{}")));
    TServerMethods1Client proxy(c->dbxConnection());
    QVERIFY_THROWS_EXCEPTION(ConnectionError, proxy.BuyukGetir(kMachine));
    QVERIFY_THROWS_EXCEPTION(ConnectionError, TServerMethods1Client(nullptr));
}

void TstCallLayer::buyukGetirOfRegisteredMachine()
{
    auto c = connectionTo(m_server->port());
    QVERIFY(ConnectWithRetry(*c, 1));
    TServerMethods1Client proxy(c->dbxConnection());
    QVERIFY(proxy.instanceOwner());
    const std::optional<TSonucBilgisi> bilgi = proxy.BuyukGetir(kMachine);
    QVERIFY(bilgi.has_value());
    QVERIFY(bilgi->Varmi());
    QVERIFY(bilgi->CARINO() > 0);

    const std::optional<TSonucBilgisi> unknown = proxy.BuyukGetir(QStringLiteral("KAYITSIZ-MAKINE"));
    QVERIFY(!unknown || !unknown->Varmi());
}

void TstCallLayer::loginRecordArgumentIsACopy()
{
    auto c = connectionTo(m_server->port());
    QVERIFY(ConnectWithRetry(*c, 1));
    TServerMethods1Client proxy(c->dbxConnection());
    const TSonucBilgisi sbilgi = *proxy.BuyukGetir(kMachine);
    const json::Value before = records::toJson(sbilgi);

    // Whatever the server answers, the caller's record goes out as a copy and stays as it was.
    const QString outcome = outcomeOf([&] {
        proxy.SepetSayisi(sbilgi);
        proxy.VelunStokAra(QStringLiteral("FRE"), sbilgi);
        return QStringLiteral("ok");
    });
    QVERIFY2(!outcome.startsWith(QStringLiteral("ProtocolError")), qPrintable(outcome));
    QVERIFY(records::toJson(sbilgi) == before);

    // A null login record travels as a null value, which the server accepts as a parameter.
    const QString nullOutcome = outcomeOf([&] {
        proxy.SepetSayisi(std::nullopt);
        return QStringLiteral("ok");
    });
    QVERIFY2(!nullOutcome.contains(QStringLiteral("Error:EParameterError")) && !nullOutcome.startsWith(u"ProtocolError"),
             qPrintable(nullOutcome));
}

void TstCallLayer::sameMethodTwicePreparesOnce()
{
    auto c = connectionTo(m_server->port());
    QVERIFY(ConnectWithRetry(*c, 1));
    TServerMethods1Client proxy(c->dbxConnection());
    QCOMPARE(proxy.preparedCommands(), 0);
    const auto first = proxy.BuyukGetir(kMachine);
    const auto second = proxy.BuyukGetir(kMachine);
    QCOMPARE(proxy.preparedCommands(), 1);
    // The first result is a value of its own: the second call did not touch it.
    QVERIFY(first && second);
    QCOMPARE(first->CARINO(), second->CARINO());

    (void)outcomeOf([&] { return QString::number(proxy.AcilisReklamAdet()); });
    QCOMPARE(proxy.preparedCommands(), 2);
}

void TstCallLayer::unimplementedMethodGivesServerError()
{
    const MethodSignature* missing = nullptr;
    for (const MethodSignature& m : methodCatalogue())
        if (!m_server->dispatcher().has(m.name)) {
            missing = &m;
            break;
        }
    if (!missing)
        QSKIP("the reference server offers every method");

    auto c = connectionTo(m_server->port());
    QVERIFY(ConnectWithRetry(*c, 1));
    DBXCommand command(*c->dbxConnection());
    command.setCommandType(kServerMethodCommandType);
    command.setCommandText(wire::kCommandPrefix + missing->name);
    command.prepare();
    for (size_t i = 0; i < missing->params.size(); ++i) {
        const ParamSignature& p = missing->params[i];
        const int ord = static_cast<int>(i);
        if (p.out)
            continue;
        switch (p.kind) {
        case ParamKind::Text: command.setText(ord, QString()); break;
        case ParamKind::Int32: command.setInt32(ord, 0); break;
        case ParamKind::Int64: command.setInt64(ord, 0); break;
        case ParamKind::Double: command.setDouble(ord, 0); break;
        case ParamKind::Boolean: command.setBoolean(ord, false); break;
        default: command.setRecord(ord, json::Value()); break;
        }
    }
    try {
        command.execute();
        QFAIL("an unimplemented method answered");
    } catch (const ServerError& e) {
        QCOMPARE(e.className(), QStringLiteral("ENotImplemented"));
        QVERIFY(!e.message().isEmpty());
    }
    QVERIFY(c->connected()); // a server error is not a transport error
}

void TstCallLayer::everyProxyOperationMatchesTheServer()
{
    // Its own server: some of these calls change the store.
    test::TestServer server;
    auto c = connectionTo(server.port());
    QVERIFY(ConnectWithRetry(*c, 1));
    TServerMethods1Client proxy(c->dbxConnection());
    const TSonucBilgisi b = *proxy.BuyukGetir(kMachine);
    const qint32 cari = b.CARINO();
    const QString t = QStringLiteral("x");
    qint64 size = 0;
    QString name;
    double usd = 0;
    double eur = 0;

    const std::vector<std::pair<QString, std::function<void()>>> calls = {
        {QStringLiteral("BuyukGetir"), [&] { proxy.BuyukGetir(kMachine); }},
        {QStringLiteral("MailGonserCari"), [&] { proxy.MailGonserCari(kMachine, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t); }},
        {QStringLiteral("MobilCariBilgisiGetir"), [&] { proxy.MobilCariBilgisiGetir(cari, kMachine); }},
        {QStringLiteral("VelunStokAra"), [&] { proxy.VelunStokAra(QStringLiteral("FRE"), b); }},
        {QStringLiteral("ResimVer5"), [&] { proxy.ResimVer5(1, size); }},
        {QStringLiteral("SepetEkle"), [&] { proxy.SepetEkle(b, cari, 1, t, t, 1, 20, 10, 0, 0, 0); }},
        {QStringLiteral("SepetVerVelun"), [&] { proxy.SepetVerVelun(cari); }},
        {QStringLiteral("SepetGuncelle"), [&] { proxy.SepetGuncelle(b, cari, 1, t, t, 2, 20, 10, 0, 0, 1); }},
        {QStringLiteral("SepetSatirSil"), [&] { proxy.SepetSatirSil(b, 1, t); }},
        {QStringLiteral("SepetHepsiniSil"), [&] { proxy.SepetHepsiniSil(b); }},
        {QStringLiteral("SepetSecimGuncelle"), [&] { proxy.SepetSecimGuncelle(1, 1); }},
        {QStringLiteral("TeslimVer"), [&] { proxy.TeslimVer(); }},
        {QStringLiteral("KargoVer"), [&] { proxy.KargoVer(); }},
        {QStringLiteral("KargolarVer"), [&] { proxy.KargolarVer(1); }},
        {QStringLiteral("SiparisKaydet"), [&] { proxy.SiparisKaydet(b, cari, 1, 1, t, 0, 1); }},
        {QStringLiteral("YenilerVer"), [&] { proxy.YenilerVer(cari); }},
        {QStringLiteral("KampanyaliVer"), [&] { proxy.KampanyaliVer(cari, 0); }},
        {QStringLiteral("OncekiSiparisler2"), [&] { proxy.OncekiSiparisler2(cari); }},
        {QStringLiteral("SiparisAyrintisi"), [&] { proxy.SiparisAyrintisi(cari, 1); }},
        {QStringLiteral("SiparisAytintisiDip"), [&] { proxy.SiparisAytintisiDip(cari, 1); }},
        {QStringLiteral("TumSiparislerVer"), [&] { proxy.TumSiparislerVer(cari, 1); }},
        {QStringLiteral("CariEkstreVer"), [&] { proxy.CariEkstreVer(cari); }},
        {QStringLiteral("FaturaGetir"), [&] { proxy.FaturaGetir(cari, 1); }},
        {QStringLiteral("FaturaAltGetir"), [&] { proxy.FaturaAltGetir(1); }},
        {QStringLiteral("Tahsilat"), [&] { proxy.Tahsilat(1); }},
        {QStringLiteral("SanalposSiranoVer"), [&] { proxy.SanalposSiranoVer(1); }},
        {QStringLiteral("SAnalPosPdfVer"), [&] { proxy.SAnalPosPdfVer(1, size); }},
        {QStringLiteral("BakiyelerVer"), [&] { proxy.BakiyelerVer(cari); }},
        {QStringLiteral("BakiyeDuzenle"), [&] { proxy.BakiyeDuzenle(b, 1, 1, 1, 1, 1, t); }},
        {QStringLiteral("BakiyeDegistir"), [&] { proxy.BakiyeDegistir(b, 1, 1, 1, 1, 1, t); }},
        {QStringLiteral("BakiyeFiyatDegistir"), [&] { proxy.BakiyeFiyatDegistir(b, 1, 1, 1, 1, 1, t, 10, 0); }},
        {QStringLiteral("CariAra"), [&] { proxy.CariAra(b, t); }},
        {QStringLiteral("CariSepetVer"), [&] { proxy.CariSepetVer(b, 0); }},
        {QStringLiteral("SepetSayisi"), [&] { proxy.SepetSayisi(b); }},
        {QStringLiteral("TusSonuclariVer"), [&] { proxy.TusSonuclariVer(b); }},
        {QStringLiteral("RaporGetir"), [&] { proxy.RaporGetir(1, 1, 1, cari, t, 46000, 46001, size); }},
        {QStringLiteral("CariVadeGunGecmismiBul"), [&] { proxy.CariVadeGunGecmismiBul(cari); }},
        {QStringLiteral("DosyaListesi"), [&] { proxy.DosyaListesi(); }},
        {QStringLiteral("BelgeIndir"), [&] { proxy.BelgeIndir(1, size, name); }},
        {QStringLiteral("MailGonserCariNormal"),
         [&] { proxy.MailGonserCariNormal(kMachine, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t); }},
        {QStringLiteral("KayanYaziGetir"), [&] { proxy.KayanYaziGetir(); }},
        {QStringLiteral("KurlariAl"), [&] { proxy.KurlariAl(usd, eur); }},
        {QStringLiteral("BalonGetir"), [&] { proxy.BalonGetir(b); }},
        {QStringLiteral("AcilisEkranlarVer"), [&] { proxy.AcilisEkranlarVer(); }},
        {QStringLiteral("AcilisReklamAdet"), [&] { proxy.AcilisReklamAdet(); }},
        {QStringLiteral("AcilisREklamVer"), [&] { proxy.AcilisREklamVer(1); }},
        {QStringLiteral("BannerResimVer"), [&] { proxy.BannerResimVer(size); }},
    };

    QStringList covered;
    for (const auto& [method, call] : calls) {
        covered << method;
        const QString outcome = outcomeOf([&] {
            call();
            return QStringLiteral("ok");
        });
        // Business refusals are fine; a request or reply that does not fit the method is not.
        const bool fits = outcome == u"ok" || outcome == u"ServerError:EVelunError" ||
                          outcome == u"ServerError:ENotImplemented" || outcome == u"ServerError:EDatabaseError";
        QVERIFY2(fits, qPrintable(method + QStringLiteral(": ") + outcome));
    }
    QStringList catalogue;
    for (const MethodSignature& m : methodCatalogue())
        catalogue << m.name;
    QCOMPARE(covered, catalogue);
}

void TstCallLayer::commandChecksItsInputs()
{
    auto c = connectionTo(m_server->port());
    DBXCommand command(*c->dbxConnection());
    command.setCommandType(kServerMethodCommandType);
    command.setCommandText(QStringLiteral("TServerMethods1.Yok"));
    QVERIFY_THROWS_EXCEPTION(ProtocolError, command.prepare());
    command.setCommandType(QStringLiteral("Dbx.SQL"));
    command.setCommandText(QStringLiteral("TServerMethods1.ResimVer5"));
    QVERIFY_THROWS_EXCEPTION(ProtocolError, command.prepare());
    command.setCommandType(kServerMethodCommandType);
    command.prepare();
    QCOMPARE(command.signature().name, QStringLiteral("ResimVer5"));

    QVERIFY_THROWS_EXCEPTION(ProtocolError, command.setText(0, QStringLiteral("1"))); // int32 there
    QVERIFY_THROWS_EXCEPTION(ProtocolError, command.setInt64(1, 5));                  // an out parameter
    QVERIFY_THROWS_EXCEPTION(ProtocolError, command.setInt32(2, 5));                  // the result
    QVERIFY_THROWS_EXCEPTION(ProtocolError, command.execute());                       // input 0 not set
    command.setInt32(0, 7);
    QCOMPARE(command.requestPayload(),
             QByteArrayLiteral(R"({"command":"TServerMethods1.ResimVer5","params":[{"kind":"int32","value":7}]})"));
    QVERIFY_THROWS_EXCEPTION(ProtocolError, command.getInt64(1)); // nothing received yet

    // Login records go out in their JSON form, or as a null value.
    DBXCommand search(*c->dbxConnection());
    search.setCommandType(kServerMethodCommandType);
    search.setCommandText(QStringLiteral("TServerMethods1.VelunStokAra"));
    search.prepare();
    search.setText(0, QStringLiteral("FRE"));
    search.setRecord(1, json::Value());
    QVERIFY(search.requestPayload().endsWith(R"({"kind":"record","value":null}]})"));
    TSonucBilgisi login;
    login.setCARINO(1001);
    search.setRecord(1, records::toJson(login));
    QVERIFY(search.requestPayload().contains(R"({"kind":"record","value":{"type":"baglantiu.TSonucBilgisi","id":1,"fields":{"FBILGISAYARID":"")"));
    QVERIFY(search.requestPayload().contains(R"("FCARINO":1001,)"));
    QVERIFY_THROWS_EXCEPTION(ProtocolError, search.setRecord(1, records::toJson(TTusSonuclari())));
}

void TstCallLayer::streamResultAndLengthOut()
{
    auto c = connectionTo(m_server->port());
    QVERIFY(ConnectWithRetry(*c, 1));
    TServerMethods1Client proxy(c->dbxConnection());
    qint64 size = -1;
    ByteStream stream = proxy.BannerResimVer(size);
    QVERIFY(size > 0);
    QCOMPARE(stream.size(), size);
    const std::optional<QByteArray> bytes = ReadStreamResult(stream, size);
    QVERIFY(bytes.has_value());
    QCOMPARE(bytes->size(), size);
    QVERIFY(bytes->startsWith("GIF8"));
}

void TstCallLayer::replyChecking_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("outcome");

    QTest::newRow("stream and length") << QStringLiteral("ResimVer5")
        << QByteArrayLiteral(R"({"values":[{"ordinal":1,"kind":"int64","value":5368709120},{"ordinal":2,"kind":"stream","value":"/9j/4A=="}]})")
        << QStringLiteral("ok 5368709120 4");
    QTest::newRow("out parameter missing") << QStringLiteral("ResimVer5")
        << QByteArrayLiteral(R"({"values":[{"ordinal":2,"kind":"stream","value":""}]})") << QStringLiteral("ProtocolError");
    QTest::newRow("result missing") << QStringLiteral("ResimVer5")
        << QByteArrayLiteral(R"({"values":[{"ordinal":1,"kind":"int64","value":0}]})") << QStringLiteral("ProtocolError");
    QTest::newRow("out of the wrong kind") << QStringLiteral("ResimVer5")
        << QByteArrayLiteral(R"({"values":[{"ordinal":1,"kind":"int32","value":4},{"ordinal":2,"kind":"stream","value":"/9j/4A=="}]})")
        << QStringLiteral("ProtocolError");
    QTest::newRow("ordinal twice") << QStringLiteral("ResimVer5")
        << QByteArrayLiteral(R"({"values":[{"ordinal":1,"kind":"int64","value":4},{"ordinal":1,"kind":"int64","value":4},{"ordinal":2,"kind":"stream","value":""}]})")
        << QStringLiteral("ProtocolError");
    QTest::newRow("unexpected ordinal") << QStringLiteral("ResimVer5")
        << QByteArrayLiteral(R"({"values":[{"ordinal":0,"kind":"int32","value":4},{"ordinal":1,"kind":"int64","value":0},{"ordinal":2,"kind":"stream","value":""}]})")
        << QStringLiteral("ProtocolError");
    QTest::newRow("bad base64") << QStringLiteral("ResimVer5")
        << QByteArrayLiteral(R"({"values":[{"ordinal":1,"kind":"int64","value":4},{"ordinal":2,"kind":"stream","value":"@@@"}]})")
        << QStringLiteral("ProtocolError");
    QTest::newRow("int32 out of range") << QStringLiteral("AcilisReklamAdet")
        << QByteArrayLiteral(R"({"values":[{"ordinal":0,"kind":"int32","value":4294967296}]})") << QStringLiteral("ProtocolError");
    QTest::newRow("no values") << QStringLiteral("AcilisReklamAdet") << QByteArrayLiteral(R"({"result":1})")
                               << QStringLiteral("ProtocolError");
    QTest::newRow("not JSON") << QStringLiteral("AcilisReklamAdet") << QByteArrayLiteral("<html>") << QStringLiteral("ProtocolError");
    QTest::newRow("error reply") << QStringLiteral("AcilisReklamAdet")
        << QByteArrayLiteral(R"({"error":{"class":"EVelunError","message":"Miktar 1 ile 10000 arasında olmalı"}})")
        << QStringLiteral("ServerError:EVelunError");
    QTest::newRow("nothing result with a value") << QStringLiteral("SepetSecimGuncelle")
        << QByteArrayLiteral(R"({"values":[{"ordinal":2,"kind":"int32","value":1}]})") << QStringLiteral("ProtocolError");
    QTest::newRow("nothing result") << QStringLiteral("SepetSecimGuncelle") << QByteArrayLiteral(R"({"values":[]})")
                                    << QStringLiteral("ok");
    QTest::newRow("null record") << QStringLiteral("BuyukGetir")
        << QByteArrayLiteral(R"({"values":[{"ordinal":1,"kind":"record","value":null}]})") << QStringLiteral("ok null");
    QTest::newRow("record missing fields keep defaults") << QStringLiteral("BuyukGetir")
        << QByteArrayLiteral(R"({"values":[{"ordinal":1,"kind":"record","value":{"type":"baglantiu.TSonucBilgisi","id":1,"fields":{"FVarmi":true,"FCARINO":1001}}}]})")
        << QStringLiteral("ok 1001 true 1");
    QTest::newRow("unknown record type") << QStringLiteral("BuyukGetir")
        << QByteArrayLiteral(R"({"values":[{"ordinal":1,"kind":"record","value":{"type":"baglantiu.TBilinmeyen","id":1,"fields":{}}}]})")
        << QStringLiteral("ProtocolError");
    QTest::newRow("record of another type") << QStringLiteral("BuyukGetir")
        << QByteArrayLiteral(R"({"values":[{"ordinal":1,"kind":"record","value":{"type":"baglantiu.TTusSonuclari","id":1,"fields":{}}}]})")
        << QStringLiteral("ProtocolError");
    QTest::newRow("record field of the wrong kind") << QStringLiteral("BuyukGetir")
        << QByteArrayLiteral(R"({"values":[{"ordinal":1,"kind":"record","value":{"type":"baglantiu.TSonucBilgisi","id":1,"fields":{"FCARINO":"bin"}}}]})")
        << QStringLiteral("ProtocolError");
    QTest::newRow("table with a short row") << QStringLiteral("TeslimVer")
        << QByteArrayLiteral(R"({"values":[{"ordinal":0,"kind":"table","columns":[{"name":"ID","type":"int32"},{"name":"ADI","type":"text"}],"rows":[[1]]}]})")
        << QStringLiteral("ProtocolError");
    QTest::newRow("data packet where a table is due") << QStringLiteral("TeslimVer")
        << QByteArrayLiteral(R"({"values":[{"ordinal":0,"kind":"datapacket","columns":[],"rows":[]}]})")
        << QStringLiteral("ProtocolError");
    QTest::newRow("table") << QStringLiteral("TeslimVer")
        << QByteArrayLiteral(R"({"values":[{"ordinal":0,"kind":"table","columns":[{"name":"ID","type":"int32"},{"name":"ADI","type":"text"}],"rows":[[1,"Kargo"],[2,null]]}]})")
        << QStringLiteral("ok 2x2");
}

void TstCallLayer::replyChecking()
{
    QFETCH(QString, method);
    QFETCH(QByteArray, reply);
    QFETCH(QString, outcome);

    CannedServer canned({reply});
    auto c = connectionTo(canned.port());
    QVERIFY(ConnectWithRetry(*c, 1));
    TServerMethods1Client proxy(c->dbxConnection());
    const QString actual = outcomeOf([&]() -> QString {
        if (method == u"ResimVer5") {
            qint64 boy = -1;
            ByteStream s = proxy.ResimVer5(3, boy);
            return QStringLiteral("ok %1 %2").arg(boy).arg(s.size());
        }
        if (method == u"AcilisReklamAdet")
            return QStringLiteral("ok %1").arg(proxy.AcilisReklamAdet());
        if (method == u"SepetSecimGuncelle") {
            proxy.SepetSecimGuncelle(1, 1);
            return QStringLiteral("ok");
        }
        if (method == u"BuyukGetir") {
            const auto r = proxy.BuyukGetir(kMachine);
            if (!r)
                return QStringLiteral("ok null");
            // FMusteriTipi was absent: it keeps the record's default.
            return QStringLiteral("ok %1 %2 %3").arg(r->CARINO()).arg(r->Varmi() ? u"true" : u"false").arg(r->MusteriTipi());
        }
        TableReader t = proxy.TeslimVer();
        return QStringLiteral("ok %1x%2").arg(t.rowCount()).arg(t.columnCount());
    });
    QCOMPARE(actual, outcome);
    c->close();
}

void TstCallLayer::faults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<bool>("closed"); // the client dropped the connection

    QTest::newRow("dropNextRequest") << QStringLiteral("dropNextRequest") << QStringLiteral("ConnectionError") << true;
    QTest::newRow("truncateNextReply") << QStringLiteral("truncateNextReply") << QStringLiteral("ConnectionError") << true;
    QTest::newRow("garbageNextReply") << QStringLiteral("garbageNextReply") << QStringLiteral("ProtocolError") << false;
    QTest::newRow("oversizeNextReply") << QStringLiteral("oversizeNextReply") << QStringLiteral("ProtocolError") << true;
    QTest::newRow("delayReplyMs") << QStringLiteral("delayReplyMs") << QStringLiteral("ConnectionError") << true;
    QTest::newRow("errorNextCall") << QStringLiteral("errorNextCall") << QStringLiteral("ServerError:EVelunError") << false;
    QTest::newRow("nullNextRecord") << QStringLiteral("nullNextRecord") << QStringLiteral("no record") << false;
    QTest::newRow("wrongKindNextReply") << QStringLiteral("wrongKindNextReply") << QStringLiteral("ProtocolError") << false;
    QTest::newRow("shortNextStream") << QStringLiteral("shortNextStream") << QStringLiteral("no content") << false;
}

void TstCallLayer::faults()
{
    QFETCH(QString, fault);
    QFETCH(QString, outcome);
    QFETCH(bool, closed);

    const bool streamFault = fault == u"shortNextStream";

    appserver::FaultPlan& plan = m_server->faults();
    auto c = connectionTo(m_server->port());
    if (fault == u"delayReplyMs")
        c->setCallTimeout(300ms);
    QVERIFY(ConnectWithRetry(*c, 1));
    TServerMethods1Client proxy(c->dbxConnection());

    if (fault == u"dropNextRequest") plan.dropNextRequest = true;
    else if (fault == u"truncateNextReply") plan.truncateNextReply = true;
    else if (fault == u"garbageNextReply") plan.garbageNextReply = true;
    else if (fault == u"oversizeNextReply") plan.oversizeNextReply = true;
    else if (fault == u"delayReplyMs") plan.delayReplyMs = 3000;
    else if (fault == u"errorNextCall") plan.errorNextCall = true;
    else if (fault == u"nullNextRecord") plan.nullNextRecord = true;
    else if (fault == u"wrongKindNextReply") plan.wrongKindNextReply = true;
    else if (fault == u"shortNextStream") plan.shortNextStream = true;

    const QString actual = outcomeOf([&]() -> QString {
        if (streamFault) {
            qint64 size = 0;
            ByteStream stream = proxy.BannerResimVer(size);
            return ReadStreamResult(stream, size) ? QStringLiteral("content") : QStringLiteral("no content");
        }
        const auto r = proxy.BuyukGetir(kMachine);
        return r ? QStringLiteral("record") : QStringLiteral("no record");
    });
    plan.delayReplyMs = 0;
    QCOMPARE(actual, outcome);
    QCOMPARE(!c->connected(), closed);

    // The server keeps serving, and the same connection object connects again.
    QVERIFY(ConnectWithRetry(*c, 1));
    c->setCallTimeout(30s);
    TServerMethods1Client again(c->dbxConnection());
    const auto r = again.BuyukGetir(kMachine);
    QVERIFY(r && r->Varmi());
}

void TstCallLayer::streamRule_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("announced");
    QTest::addColumn<bool>("used");

    const QByteArray block(1024, 'a');
    QTest::newRow("length 0 with bytes") << QByteArray("abc") << qint64(0) << false;
    QTest::newRow("length 0, empty") << QByteArray() << qint64(0) << false;
    QTest::newRow("exact, short") << QByteArray("abc") << qint64(3) << true;
    QTest::newRow("exact, one block") << block << qint64(1024) << true;
    QTest::newRow("exact, block and one") << QByteArray(block + 'b') << qint64(1025) << true;
    QTest::newRow("exact, several blocks") << QByteArray(5000, 'c') << qint64(5000) << true;
    QTest::newRow("stream shorter") << QByteArray(1023, 'd') << qint64(1024) << false;
    QTest::newRow("stream empty") << QByteArray() << qint64(10) << false;
    QTest::newRow("stream longer") << QByteArray(block + block) << qint64(1500) << false;
    QTest::newRow("negative length") << QByteArray("abc") << qint64(-1) << false;
}

void TstCallLayer::streamRule()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, announced);
    QFETCH(bool, used);

    ByteStream stream(bytes);
    char sink[16];
    stream.read(sink, sizeof sink); // the rule rewinds first
    const std::optional<QByteArray> result = ReadStreamResult(stream, announced);
    QCOMPARE(result.has_value(), used);
    if (used)
        QCOMPARE(*result, bytes);
}

void TstCallLayer::twoWorkersOnTwoClones()
{
    ServerConnection bagc;
    bagc.Params.setValue(connparam::HostName, QStringLiteral("127.0.0.1"));
    bagc.Params.setValue(connparam::Port, QString::number(m_server->port()));
    QObject owner;
    std::atomic<int> connected{0};
    QList<QThread*> completionThreads;
    QList<bool> varmi;

    for (int i = 0; i < 2; ++i) {
        std::shared_ptr<ServerConnection> clone = bagc.clone(); // made on the user-interface thread
        RunTask(
            &owner,
            [clone, &connected](TaskState& state) {
                state.error = !RunOnClone(*clone, [&](TServerMethods1Client& proxy) {
                    // Both workers hold an open connection at the same time before they call.
                    ++connected;
                    const QDeadlineTimer deadline(10000);
                    while (connected.load() < 2 && !deadline.hasExpired())
                        QThread::msleep(5);
                    if (connected.load() < 2)
                        throw VelunError(QStringLiteral("the other worker did not run alongside"));
                    state.payload = proxy.BuyukGetir(kMachine)->Varmi();
                }, &state.errorText);
            },
            [&](TaskState& state) {
                QVERIFY2(!state.error, qPrintable(state.errorText));
                completionThreads << QThread::currentThread();
                varmi << std::any_cast<bool>(state.payload);
            });
    }
    QTRY_COMPARE_WITH_TIMEOUT(completionThreads.size(), 2, 20000);
    QCOMPARE(completionThreads, (QList<QThread*>{thread(), thread()}));
    QCOMPARE(varmi, (QList<bool>{true, true}));
    QVERIFY(!bagc.connected()); // the template itself was never opened
}

void TstCallLayer::taskErrorFlagAndUiHandOver()
{
    QObject owner;
    QThread* workerThread = nullptr;
    QThread* handedOverTo = nullptr;
    bool done = false;
    bool errorFlag = false;
    QString errorText;
    RunTask(
        &owner,
        [&](TaskState&) {
            workerThread = QThread::currentThread();
            RunOnUiThreadAndWait([&] { handedOverTo = QThread::currentThread(); });
            // An exception on the user-interface side comes back to the worker, and ends its step.
            RunOnUiThreadAndWait([] { throw ConnectionError(QStringLiteral("kopuk")); });
        },
        [&](TaskState& state) {
            done = true;
            errorFlag = state.error;
            errorText = state.errorText;
        });
    QTRY_VERIFY_WITH_TIMEOUT(done, 10000);
    QVERIFY(workerThread != thread());
    QCOMPARE(handedOverTo, thread());
    QVERIFY(errorFlag);
    QCOMPARE(errorText, QStringLiteral("kopuk"));

    // On the user-interface thread the hand-over is a direct call.
    QThread* direct = nullptr;
    RunOnUiThreadAndWait([&] { direct = QThread::currentThread(); });
    QCOMPARE(direct, thread());
}

void TstCallLayer::completionSkippedWhenOwnerDestroyed()
{
    auto* owner = new QObject;
    QSemaphore release;
    std::atomic<bool> workerDone{false};
    bool completionRan = false;
    const std::shared_ptr<TaskState> state = RunTask(
        owner,
        [&](TaskState&) {
            release.acquire();
            workerDone = true;
        },
        [&](TaskState&) { completionRan = true; });
    delete owner;
    release.release();
    QTRY_VERIFY(workerDone.load());
    BackgroundThreadPool().waitForDone(5000);
    QCoreApplication::processEvents();
    QTest::qWait(50);
    QVERIFY(!completionRan);
    QVERIFY(state->owner.isNull());
}

void TstCallLayer::loadFrameCopiesTableIntoDataset()
{
    auto bagc = connectionTo(m_server->port());
    MemDataset dataset;
    QSignalSpy resets(&dataset, &MemDataset::datasetReset);
    QSignalSpy appended(&dataset, &MemDataset::rowsAppended);
    QString error;
    const bool ok =
        LoadTableOnClone(*bagc, dataset, [](TServerMethods1Client& proxy) { return proxy.TeslimVer(); }, &error);
    QVERIFY2(ok, qPrintable(error));
    QVERIFY(dataset.active());
    QVERIFY(dataset.columnCount() > 0);
    QVERIFY(dataset.rowCount() > 0);
    QCOMPARE(resets.count(), 1); // notifications were suspended for the copy
    QCOMPARE(appended.count(), 0);
    for (int i = 0; i < dataset.columnCount(); ++i)
        QCOMPARE(dataset.column(i).displayFormat.isEmpty(), dataset.column(i).type != FieldType::Double);
    QVERIFY(!bagc->connected());
}

void TstCallLayer::loadFrameFailuresLeaveDatasetAlone()
{
    MemDataset dataset;
    TableData before;
    before.columns = {{QStringLiteral("ESKI"), FieldType::Int32}};
    before.rows = {{1}, {2}};
    dataset.assign(before);

    // Server unreachable: 11 attempts, no message of its own, the rows stay.
    auto dead = connectionTo(test::deadPort());
    QString error;
    bool called = false;
    QVERIFY(!LoadTableOnClone(*dead, dataset, [&](TServerMethods1Client& proxy) {
        called = true;
        return proxy.TeslimVer();
    }, &error));
    QVERIFY(!called);
    QCOMPARE(error, kConnectionFailedMessage);
    QCOMPARE(m_pauses.pauses.size(), 11);
    QVERIFY(m_messages.messages.isEmpty());
    QCOMPARE(dataset.rowCount(), 2);

    // A server error during the call: the error flag, the rows stay.
    m_server->faults().errorNextCall = true;
    auto live = connectionTo(m_server->port());
    QVERIFY(!LoadTableOnClone(*live, dataset, [](TServerMethods1Client& proxy) { return proxy.TeslimVer(); }, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(dataset.columnDefs(), before.columns);
    QCOMPARE(dataset.rowCount(), 2);
}

QTEST_GUILESS_MAIN(TstCallLayer)
#include "tst_calllayer.moc"
