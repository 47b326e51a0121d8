#include "appserver/pricing.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

namespace velun::appserver {

namespace {

// Adds one unit to the last digit of a string of decimal digits, carrying to the left.
void incrementDigits(std::string& digits)
{
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

} // namespace

double RoundMoney(double value)
{
    if (!std::isfinite(value))
        return value;
    char buffer[400];
    // The shortest text that reads back as the same double: the value as it was written.
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
    if (ec != std::errc())
        return value;
    const std::string text(buffer, end);
    const auto dot = text.find('.');
    if (dot == std::string::npos || text.size() - dot - 1 <= 2)
        return value;
    std::string digits = text.substr(0, dot) + text.substr(dot + 1, 2);
    if (text[dot + 3] >= '5')
        incrementDigits(digits);
    digits.insert(digits.size() - 2, 1, '.');
    const double magnitude = std::strtod(digits.c_str(), nullptr);
    // No negative zero: -0.004 is simply 0.00.
    return value < 0 && magnitude != 0 ? -magnitude : magnitude;
}

double NetUnitPrice(double unitPrice, double discountPercent)
{
    return RoundMoney(unitPrice - unitPrice * discountPercent / 100.0);
}

double WithVat(double netAmount, double vatPercent)
{
    return RoundMoney(netAmount + RoundMoney(netAmount * vatPercent / 100.0));
}

LineAmounts ComputeLineAmounts(double quantity, double unitPrice, double discountPercent, double vatPercent)
{
    LineAmounts a;
    a.tutar = RoundMoney(quantity * unitPrice);
    a.indirimTutar = RoundMoney(a.tutar * discountPercent / 100.0);
    a.netBirimFiyat = NetUnitPrice(unitPrice, discountPercent);
    a.netTutar = RoundMoney(a.tutar - a.indirimTutar);
    a.vergiTutari = RoundMoney(a.netTutar * vatPercent / 100.0);
    a.kdvliTutar = RoundMoney(a.netTutar + a.vergiTutari);
    return a;
}

} // namespace velun::appserver
