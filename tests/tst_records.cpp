// Transfer records in their exact JSON form, their defaults, Kopyala and the picture text.
#include "server/baglantiu.h"
#include "server/json.h"
#include "server/mobilstokunit.h"

#include <QTest>

using namespace velun;

class TestRecords : public QObject
{
    Q_OBJECT

private slots:
    void loginRecordDefaults()
    {
        const TSonucBilgisi r;
        QCOMPARE(r.MusteriTipi(), 1);
        QCOMPARE(r.Version(), 1);
        QCOMPARE(r.Varmi(), false);
        QCOMPARE(r.CARINO(), 0);
        QVERIFY(r.ADI().isEmpty());
    }

    void loginRecordExactJson()
    {
        TSonucBilgisi r;
        r.setBILGISAYARID(QStringLiteral("WD-1"));
        r.setCariAdi(QStringLiteral("ÖZ KARDEŞLER"));
        r.setCARINO(1001);
        r.setVarmi(true);
        r.setVersion(13);
        const QByteArray expected =
            R"({"type":"baglantiu.TSonucBilgisi","id":1,"fields":{"FBILGISAYARID":"WD-1","FSaticiMail":"",)"
            R"("FSirano":0,"FCariAdi":"ÖZ KARDEŞLER","FSIFRE":"","FSaticiNo":0,"FCARINO":1001,"FAKTIF":0,)"
            R"("FKullanicimail":"","FADI":"","FSaticiTelefon":"","Fcarikod":"","FVarmi":true,"FSaticiAdi":"",)"
            R"("FBilgiSayarAdi":"","FDisip":"","FIcip":"","FBilgisayarKullanici":"","FMusteriTipi":1,"FVersion":13}})";
        QCOMPARE(QString::fromUtf8(json::write(records::toJson(r))), QString::fromUtf8(expected));
    }

    void loginRecordRoundTripAndKopyala()
    {
        TSonucBilgisi a;
        a.setADI(QStringLiteral("DEMO"));
        a.setSIFRE(QStringLiteral("1234"));
        a.setAKTIF(1);
        a.setMusteriTipi(3);
        a.setSaticiTelefon(QStringLiteral("0532"));
        a.setcarikod(QStringLiteral("120.01"));
        a.setIcip(QStringLiteral("10.0.0.2"));
        const TSonucBilgisi b = records::fromJson<TSonucBilgisi>(json::parse(json::write(records::toJson(a))));
        QCOMPARE(json::write(records::toJson(b)), json::write(records::toJson(a)));

        TSonucBilgisi c;
        c.Kopyala(a);
        QCOMPARE(json::write(records::toJson(c)), json::write(records::toJson(a)));
        a.setADI(QStringLiteral("BAŞKA"));
        QCOMPARE(c.ADI(), QStringLiteral("DEMO")); // a copy, not a view
    }

    void missingMembersKeepDefaults()
    {
        const auto dip = records::fromJson<TSiparisDipAyrinti>(json::parse(
            R"({"type":"baglantiu.TSiparisDipAyrinti","id":1,"fields":{"FSizinMesaj":"acil","FDurumu":"Alındı"}})"));
        QCOMPARE(dip.SizinMesaj(), QStringLiteral("acil"));
        QCOMPARE(dip.Durumu(), QStringLiteral("Alındı"));
        QVERIFY(dip.SaticiNotu().isEmpty());

        const auto tus = records::fromJson<TTusSonuclari>(json::parse(
            R"({"type":"baglantiu.TTusSonuclari","id":1,"fields":{"FAlindi":4,"FSevkEdildi":2,"FBilinmeyen":9}})"));
        QCOMPARE(tus.Alindi(), 4);
        QCOMPARE(tus.SevkEdildi(), 2);
        QCOMPARE(tus.Goruldu(), 0);

        // A login record lacking MusteriTipi and Version keeps the constructor's 1 and 1.
        const auto login = records::fromJson<TSonucBilgisi>(
            json::parse(R"({"type":"baglantiu.TSonucBilgisi","id":1,"fields":{"FADI":"X"}})"));
        QCOMPARE(login.MusteriTipi(), 1);
        QCOMPARE(login.Version(), 1);
    }

    void badRecords_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("unknown type") << QByteArray(R"({"type":"baglantiu.TYok","id":1,"fields":{}})");
        QTest::newRow("other record's type") << QByteArray(R"({"type":"baglantiu.TSiparisDipAyrinti","id":1,"fields":{}})");
        QTest::newRow("no type") << QByteArray(R"({"id":1,"fields":{}})");
        QTest::newRow("fields not object") << QByteArray(R"({"type":"baglantiu.TTusSonuclari","id":1,"fields":[]})");
        QTest::newRow("int field as text") << QByteArray(R"({"type":"baglantiu.TTusSonuclari","id":1,"fields":{"FAlindi":"4"}})");
        QTest::newRow("int field over range") << QByteArray(R"({"type":"baglantiu.TTusSonuclari","id":1,"fields":{"FAlindi":4294967296}})");
    }
    void badRecords()
    {
        QFETCH(QByteArray, text);
        QVERIFY_THROWS_EXCEPTION(ProtocolError, records::fromJson<TTusSonuclari>(json::parse(text)));
    }

    void customerRecordHasThirtyFieldsInOrder()
    {
        TMobilCariBilgisi c;
        c.setCARINO(7);
        c.setTLBAKIYE(-12.5);
        const json::Value v = records::toJson(c);
        const json::Object& fields = v.find(u"fields")->toObject();
        QCOMPARE(fields.size(), size_t(30));
        QCOMPARE(fields.front().key, QStringLiteral("FBILGISAYARID"));
        QCOMPARE(fields[20].key, QStringLiteral("FCARINO"));
        QCOMPARE(fields.back().key, QStringLiteral("FILCE"));
        TMobilCariBilgisi copy;
        copy.Kopyala(records::fromJson<TMobilCariBilgisi>(json::parse(json::write(v))));
        QCOMPARE(copy.CARINO(), 7);
        QCOMPARE(copy.TLBAKIYE(), -12.5);
    }

    void screenListKeepsOrderAndIds()
    {
        TAcilisEkranlar list;
        for (int i = 1; i <= 3; ++i) {
            TAcilisEkran e;
            e.setSiraNo(i);
            e.setBaslik(QStringLiteral("Duyuru %1").arg(i));
            list.items().push_back(e);
        }
        const json::Value v = records::toJson(list);
        const json::Array& items = v.find(u"fields")->find(u"FItems")->toArray();
        QCOMPARE(items[0].find(u"id")->toInt(), 2);
        QCOMPARE(items[2].find(u"id")->toInt(), 4);
        const auto back = records::fromJson<TAcilisEkranlar>(json::parse(json::write(v)));
        QCOMPARE(back.Count(), 3);
        QCOMPARE(back.items()[2].Baslik(), QStringLiteral("Duyuru 3"));
        QCOMPARE(records::fromJson<TAcilisEkranlar>(
                     json::parse(R"({"type":"mobilstokunit.TAcilisEkranlar","id":1,"fields":{}})")).Count(),
                 0);
    }

    void pictureText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("upper") << QStringLiteral("FFD8") << QByteArray("\xFF\xD8");
        QTest::newRow("lower") << QStringLiteral("ffd8") << QByteArray("\xFF\xD8");
        QTest::newRow("single digit") << QStringLiteral("F") << QByteArray("\x0F");
        QTest::newRow("odd length") << QStringLiteral("0A1") << QByteArray("\x0A\x01");
        QTest::newRow("empty") << QString() << QByteArray();
    }
    void pictureText()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(DecodePictureText(text), bytes);
    }

    void pictureTextRejectsNonHex()
    {
        QVERIFY_THROWS_EXCEPTION(ProtocolError, DecodePictureText(QStringLiteral("FFZ8")));
        QVERIFY_THROWS_EXCEPTION(ProtocolError, DecodePictureText(QStringLiteral("G")));
        QCOMPARE(DecodePictureText(EncodePictureText(QByteArray("\x00\x7F\x80\xFF", 4))), QByteArray("\x00\x7F\x80\xFF", 4));
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
