#pragma once
// Files the demo data stores: small product and notice pictures (JPEG), the banner (GIF), PDF documents.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace velun::appserver::demo {

// Four small product pictures (64 × 48); kind chooses one, any integer is valid.
QByteArray partPicture(int kind);
// Notice pictures (160 × 96) for announcements and opening advertisements.
QByteArray campaignPicture();
QByteArray newItemsPicture();
QByteArray brakePicture();
// An animated banner (160 × 32, four frames).
QByteArray bannerGif();
// A valid one-page PDF with a title and text lines.
QByteArray simplePdf(const QString& title, const QStringList& lines);

} // namespace velun::appserver::demo
