#!/usr/bin/env python3
"""Writes servermethods1client.h/.cpp: one proxy operation per server method the client calls.

Run from anywhere: python3 server/gen_servermethods1client.py
The table below follows methodcatalogue.cpp; every command checks its ordinals and kinds against that
catalogue when it runs, so a drift between the two fails loudly (tst_calllayer calls every operation).
"""
import os
import re

# name(params) -> result; "out" marks an out parameter.
METHODS = """
BuyukGetir(idsi: text) -> login
MailGonserCari(idsi: text, baslik: text, firmaadi: text, adres1: text, adres2: text, ilce: text, sehir: text, telefon: text, fax: text, vd: text, vn: text, yetkili: text, kullaniciadi: text, sifre: text, mail: text, kargoambar: text) -> int32
MobilCariBilgisiGetir(sirano: int32, _idsi: text) -> record TMobilCariBilgisi
VelunStokAra(kod: text, bilgi: login) -> table
ResimVer5(stokno: int32, out boy: int64) -> stream
SepetEkle(bilgim: login, carino: int32, stokno: int32, barkod: text, stokadi: text, miktar: double, kdv: double, fiyat: double, indirim: double, verenid: int32, k: int32) -> int32
SepetVerVelun(carino: int32) -> datapacket
SepetGuncelle(bilgim: login, carino: int32, stokno: int32, barkod: text, stokadi: text, miktar: double, kdv: double, fiyat: double, indirim: double, verenid: int32, _sepetsirano: int32) -> int32
SepetSatirSil(bilgi: login, satirno: int32, aciklamam: text) -> int32
SepetHepsiniSil(bilgi: login) -> int32
SepetSecimGuncelle(sirano: int32, secim: int32) -> nothing
TeslimVer() -> table
KargoVer() -> table
KargolarVer(gn: int32) -> table
SiparisKaydet(BB: login, _carino: int32, _teslim: int32, _kargo: int32, _aciklama: text, _verenid: int32, _kargoyeni: int32) -> boolean
YenilerVer(carino: int32) -> table
KampanyaliVer(cario: int32, satici: int32) -> table
OncekiSiparisler2(carino: int32) -> table
SiparisAyrintisi(carino: int32, idnosu: int32) -> table
SiparisAytintisiDip(carino: int32, siranosu: int32) -> record TSiparisDipAyrinti
TumSiparislerVer(carino: int32, stokno: int32) -> table
CariEkstreVer(carino: int32) -> table
FaturaGetir(carino: int32, idnosu: int32) -> table
FaturaAltGetir(idnosu: int32) -> table
Tahsilat(idnosu: int32) -> table
SanalposSiranoVer(idnosu: int32) -> int32
SAnalPosPdfVer(sirano: int32, out boy: int64) -> stream
BakiyelerVer(carino: int32) -> table
BakiyeDuzenle(k: login, stokno: int32, sepetsirano: int32, siparissirano: int32, Adet: double, Bakiye: double, barkod: text) -> int32
BakiyeDegistir(k: login, stokno: int32, sepetsirano: int32, siparissirano: int32, Adet: double, Bakiye: double, barkod: text) -> int32
BakiyeFiyatDegistir(k: login, stokno: int32, sepetsirano: int32, siparissirano: int32, Adet: double, Bakiye: double, barkod: text, fiyat: double, ind: double) -> int32
CariAra(bil: login, aranan: text) -> table
CariSepetVer(bil: login, n: int32) -> table
SepetSayisi(bil: login) -> int32
TusSonuclariVer(bil: login) -> record TTusSonuclari
RaporGetir(raporno: int32, bolum: int32, idno: int32, carino: int32, saticiadi: text, tarih1: double, tarih2: double, out size: int64) -> stream
CariVadeGunGecmismiBul(carino: int32) -> text
DosyaListesi() -> table
BelgeIndir(sirano: int32, out size: int64, out adi: text) -> stream
MailGonserCariNormal(idsi: text, baslik: text, firmaadi: text, adres1: text, adres2: text, ilce: text, sehir: text, telefon: text, fax: text, vd: text, vn: text, yetkili: text, kullaniciadi: text, sifre: text, mail: text, kargoambar: text, konu: text) -> int32
KayanYaziGetir() -> text
KurlariAl(out usd: double, out eur: double) -> int32
BalonGetir(bil: login) -> table
AcilisEkranlarVer() -> record TAcilisEkranlar
AcilisReklamAdet() -> int32
AcilisREklamVer(sira: int32) -> record TAcilisEkran
BannerResimVer(out size: int64) -> stream
"""

IN_TYPE = {"text": "const QString&", "int32": "qint32", "int64": "qint64", "double": "double",
           "boolean": "bool", "login": "std::optional<TSonucBilgisi>"}
OUT_TYPE = {"text": "QString&", "int32": "qint32&", "int64": "qint64&", "double": "double&", "boolean": "bool&"}
SETTER = {"text": "setText", "int32": "setInt32", "int64": "setInt64", "double": "setDouble", "boolean": "setBoolean"}
GETTER = {"text": "getText", "int32": "getInt32", "int64": "getInt64", "double": "getDouble", "boolean": "getBoolean"}
RESULT_TYPE = {"nothing": "void", "text": "QString", "int32": "qint32", "boolean": "bool", "table": "TableReader",
               "datapacket": "DataPacket", "stream": "ByteStream", "login": "std::optional<TSonucBilgisi>"}


def parse():
    methods = []
    for line in METHODS.strip().splitlines():
        m = re.fullmatch(r"(\w+)\((.*)\) -> (.+)", line.strip())
        name, plist, result = m.group(1), m.group(2), m.group(3)
        params = []
        for p in filter(None, (x.strip() for x in plist.split(","))):
            out = p.startswith("out ")
            pname, kind = (x.strip() for x in p.removeprefix("out ").split(":"))
            params.append((pname, kind, out))
        methods.append((name, params, result))
    return methods


def result_type(result):
    if result.startswith("record "):
        return "std::optional<%s>" % result.split()[1]
    return RESULT_TYPE[result]


def signature(name, params, result, qualified=False, indent=""):
    args = ["%s %s" % (OUT_TYPE[k] if out else IN_TYPE[k], n) for n, k, out in params]
    prefix = "TServerMethods1Client::" if qualified else ""
    head = "%s%s %s%s(" % (indent, result_type(result), prefix, name)
    text = head + ", ".join(args) + ")"
    if len(text) <= 110:
        return text
    # Long parameter lists: wrapped, several per line, aligned under the first.
    lines, line = [], head
    for i, a in enumerate(args):
        piece = a + (", " if i + 1 < len(args) else ")")
        if len(line) + len(piece) > 110 and line.strip() and not line.endswith("("):
            lines.append(line.rstrip())
            line = " " * len(head)
        line += piece
    lines.append(line)
    return "\n".join(lines)


def body(name, params, result):
    lines = ["    DBXCommand& c = command(F%sCommand, u\"%s\");" % (name, name)]
    for i, (n, k, out) in enumerate(params):
        if out:
            continue
        if k == "login":
            lines.append("    c.setRecord(%d, loginRecordJson(%s));" % (i, n))
        else:
            lines.append("    c.%s(%d, %s);" % (SETTER[k], i, n))
    lines.append("    c.execute();")
    for i, (n, k, out) in enumerate(params):
        if out:
            lines.append("    %s = c.%s(%d);" % (n, GETTER[k], i))
    r = len(params)
    if result == "nothing":
        pass
    elif result == "login":
        lines.append("    return recordResult<TSonucBilgisi>(c, %d);" % r)
    elif result.startswith("record "):
        lines.append("    return recordResult<%s>(c, %d);" % (result.split()[1], r))
    elif result == "table":
        lines.append("    return TableReader(c.takeTable(%d));" % r)
    elif result == "datapacket":
        lines.append("    return DataPacket(c.takeTable(%d));" % r)
    elif result == "stream":
        lines.append("    return ByteStream(c.takeStream(%d));" % r)
    else:
        lines.append("    return c.%s(%d);" % (GETTER[result], r))
    return "\n".join(lines)


HEADER = """#pragma once
// Generated by server/gen_servermethods1client.py; edit the script, not this file.
// The client-side proxy of the application server's TServerMethods1: one operation per server method
// the client calls, parameters in the server's order, out parameters by reference.

#include "server/baglantiu.h"
#include "server/dbxcommand.h"
#include "server/mobilstokunit.h"
#include "server/resultvalues.h"

#include <QString>

#include <memory>
#include <optional>

namespace velun {

class DBXConnection;

// Lives for one call or a short group of calls on one thread. Each command is created and prepared
// on first use and kept until the proxy is destroyed. Login records are taken by value: the call
// sends its own copy and the caller's record is never touched; std::nullopt sends a null record.
// Results are values that own their content and outlive the proxy.
class TServerMethods1Client
{
public:
    explicit TServerMethods1Client(DBXConnection* dbxConnection);
    ~TServerMethods1Client();
    TServerMethods1Client(const TServerMethods1Client&) = delete;
    TServerMethods1Client& operator=(const TServerMethods1Client&) = delete;

    bool instanceOwner() const { return FInstanceOwner; }
    // How many commands this proxy has prepared so far.
    int preparedCommands() const { return m_preparedCommands; }

%s

private:
    DBXCommand& command(std::unique_ptr<DBXCommand>& slot, const char16_t* method);

    DBXConnection& FDBXConnection;
    bool FInstanceOwner = true;
    int m_preparedCommands = 0;

%s
};

} // namespace velun
"""

SOURCE = """// Generated by server/gen_servermethods1client.py; edit the script, not this file.
#include "server/servermethods1client.h"

#include "server/connection.h"
#include "server/errors.h"
#include "server/recordcodec.h"

namespace velun {
namespace {

json::Value loginRecordJson(const std::optional<TSonucBilgisi>& record)
{
    return record ? records::toJson(*record) : json::Value();
}

template <class R>
std::optional<R> recordResult(const DBXCommand& command, int ordinal)
{
    const json::Value& value = command.getRecord(ordinal);
    if (value.isNull())
        return std::nullopt;
    return records::fromJson<R>(value);
}

DBXConnection& checkedLink(DBXConnection* link)
{
    if (!link)
        throw ConnectionError(QStringLiteral("Sunucu bağlantısı yok"));
    return *link;
}

} // namespace

TServerMethods1Client::TServerMethods1Client(DBXConnection* dbxConnection)
    : FDBXConnection(checkedLink(dbxConnection))
{
}

TServerMethods1Client::~TServerMethods1Client() = default;

DBXCommand& TServerMethods1Client::command(std::unique_ptr<DBXCommand>& slot, const char16_t* method)
{
    if (!slot) {
        auto created = std::make_unique<DBXCommand>(FDBXConnection);
        created->setCommandType(kServerMethodCommandType);
        created->setCommandText(wire::kCommandPrefix + QString::fromUtf16(method));
        created->prepare();
        slot = std::move(created);
        ++m_preparedCommands;
    }
    return *slot;
}
%s
} // namespace velun
"""


def main():
    methods = parse()
    here = os.path.dirname(os.path.abspath(__file__))
    decls = "\n".join("%s;" % signature(n, p, r, indent="    ") for n, p, r in methods)
    slots = "\n".join("    std::unique_ptr<DBXCommand> F%sCommand;" % n for n, _, _ in methods)
    defs = "".join("\n%s\n{\n%s\n}\n" % (signature(n, p, r, True), body(n, p, r)) for n, p, r in methods)
    with open(os.path.join(here, "servermethods1client.h"), "w", encoding="utf-8") as f:
        f.write(HEADER % (decls, slots))
    with open(os.path.join(here, "servermethods1client.cpp"), "w", encoding="utf-8") as f:
        f.write(SOURCE % defs)
    print("%d operations written" % len(methods))


if __name__ == "__main__":
    main()
