#pragma once
// Imports stock items from a CSV file: all rows or none.
//
// The file: UTF-8 (a byte order mark is allowed), one header row, then one item per row. The delimiter
// is the one of ";", "," or tab that the header row uses most. Fields may be quoted with double quotes
// (a doubled quote inside stands for one; quoted fields may hold delimiters and line breaks).
// Header names are matched without regard to case; an unknown or repeated header is an error.
//
//   BARKOD            required; the item's key: a row whose BARKOD exists updates that item
//   ADI               required for a new item
//   FIYAT             required for a new item; list price, a number >= 0
//   FINISHKOD PKOD DPKOD URETICIKODU DIGERADI MARKA MODEL OZELKOD ANAGRUP ALTGRUP DEPARTMAN RENK BEDEN
//                     texts; BIRIM is a text too ("ADET" when empty on a new item)
//   BARKODNO          whole number
//   KDV               VAT rate 0 to 100 (20 for a new item)
//   ISK1 ... ISK4     discount rates 0 to 100
//   KAMPANYALI YENI   0 or 1
//   KAMPFIYAT         campaign price >= 0
//   TEDARIKDURUMU     0 normal, 1 in supply, 2 special order
//   KRITIKMIKTAR      quantity below which a warehouse shows "Telefon Açınız", >= 0
//   OEM1, OEM2, ...   OEM numbers in their order; when any OEM column is present the item's OEM numbers
//                     are replaced by the non-empty ones of the row
//   <warehouse>       quantity at hand in that warehouse (ISTANBUL, ANTEP, ...)
//   <warehouse>_YOLDA goods on the way to that warehouse, >= 0
//
// Numbers take "." or "," as the decimal separator and no thousands separators. On an existing item
// only the columns present in the file change; an empty numeric field keeps the old value (or the default).

#include "server/errors.h"

#include <QByteArray>

namespace velun::appserver {

class Database;

struct CatalogueImportResult
{
    int added = 0;
    int updated = 0;
};

// A row or the file was refused; message() starts with the line number ("Satır 7: ...").
class CatalogueImportError : public VelunError
{
public:
    using VelunError::VelunError;
    QString className() const override { return QStringLiteral("EImportError"); }
};

CatalogueImportResult importCatalogue(Database& database, const QByteArray& csv);

} // namespace velun::appserver
