#pragma once
// Registration of the server methods this server offers. Every catalogue method without a
// handler answers ENotImplemented.

namespace velun::appserver {

class Dispatcher;

void registerLoginMethods(Dispatcher& dispatcher); // BuyukGetir, MobilCariBilgisiGetir, MailGonserCari, MailGonserCariNormal
void registerBasketMethods(Dispatcher& dispatcher); // SepetEkle ... SepetSecimGuncelle, TeslimVer, KargoVer, KargolarVer, SiparisKaydet
void registerCatalogueMethods(Dispatcher& dispatcher); // VelunStokAra, ResimVer5, YenilerVer, KampanyaliVer, CariVadeGunGecmismiBul
void registerAllMethods(Dispatcher& dispatcher);

} // namespace velun::appserver
