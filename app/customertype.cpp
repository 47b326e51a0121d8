#include "app/customertype.h"

namespace velun {
namespace {

ColumnRule shown(const QString& field, const QString& caption = {})
{
    return {field, caption, true, true};
}

ColumnRule removed(const QString& field, const QString& caption)
{
    return {field, caption, false, false};
}

} // namespace

const QList<ColumnRule>& CustomerTypeRules::columns(RuleGrid grid) const
{
    switch (grid) {
    case RuleGrid::StokListesi:
        return stokListesi;
    case RuleGrid::Sepet:
        return sepet;
    case RuleGrid::YeniStoklar:
        return yeniler;
    case RuleGrid::KampanyaliStoklar:
        return kampanyali;
    }
    return stokListesi;
}

const ColumnRule* CustomerTypeRules::ruleFor(RuleGrid grid, QStringView field) const
{
    for (const ColumnRule& rule : columns(grid)) {
        if (field.compare(rule.field, Qt::CaseInsensitive) == 0)
            return &rule;
    }
    return nullptr;
}

CustomerTypeRules CustomerTypeRulesFor(int musteriTipi)
{
    CustomerTypeRules rules;
    rules.musteriTipi = musteriTipi;
    switch (musteriTipi) {
    case 1:
    case 2: {
        const QString kalan = QStringLiteral("KALAN");
        const QString alinan = QStringLiteral("ALINANSIPARIS");
        const QString verilen = QStringLiteral("VERILENSIPARIS");
        rules.musteriSecimi = true;
        rules.stokListesi = {shown(kalan), shown(QStringLiteral("ISTANBULADET")),
                             shown(QStringLiteral("ANTEPADET")), shown(alinan), shown(verilen)};
        rules.sepet = {shown(kalan, QStringLiteral("Kalan"))};
        rules.yeniler = {shown(kalan), shown(alinan), shown(verilen)};
        rules.kampanyali = rules.yeniler;
        break;
    }
    case 3:
        rules.sepet = {removed(QStringLiteral("DURUM"), QStringLiteral("ISTANBUL"))};
        break;
    case 4:
        rules.kampanyaliSekmesi = false;
        rules.stokListesi = {removed(QStringLiteral("KAMPFIYAT"), QStringLiteral("Kampanyalı Fiyat")),
                             removed(QStringLiteral("K"), QStringLiteral("Kampanyalı"))};
        rules.yeniler = {removed(QStringLiteral("K"), QStringLiteral("Kampanyalı")),
                         removed(QStringLiteral("KAMPFIYAT"), QStringLiteral("Kampanyalı Fiyatı"))};
        break;
    default:
        break;
    }
    return rules;
}

} // namespace velun
