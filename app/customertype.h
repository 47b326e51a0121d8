#pragma once
// What each user type shows or hides in the main window: the customer button, the campaign tab and
// the grid columns. Decided once after login; grids built later read the rules when they set up.

#include <QList>
#include <QString>

namespace velun {

enum class RuleGrid
{
    StokListesi,
    Sepet,
    YeniStoklar,
    KampanyaliStoklar
};

// A grid column the user type shows (visible and offered in the column customisation) or hides
// (hidden and absent from it). Without the rule the grid keeps its own design state.
struct ColumnRule
{
    QString field;
    QString caption; // the header the column carries; empty: the field name
    bool visible = false;
    bool customisable = false;

    bool operator==(const ColumnRule&) const = default;
};

struct CustomerTypeRules
{
    int musteriTipi = 0;        // 0: no type applied yet
    bool musteriSecimi = false; // "Başka Cari Seç" shown: the user works on behalf of a chosen customer
    bool kampanyaliSekmesi = true;
    QList<ColumnRule> stokListesi;
    QList<ColumnRule> sepet;
    QList<ColumnRule> yeniler;
    QList<ColumnRule> kampanyali;

    const QList<ColumnRule>& columns(RuleGrid grid) const;
    // The rule for the column on a field (compared case-insensitively, as field names are);
    // nullptr when the type leaves that column as designed.
    const ColumnRule* ruleFor(RuleGrid grid, QStringView field) const;
};

// Types 1 and 2 are sales representatives; 3 is a dealer; 4 is a dealer without campaigns.
// Any other value changes nothing.
CustomerTypeRules CustomerTypeRulesFor(int musteriTipi);

} // namespace velun
