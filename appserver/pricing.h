#pragma once
// Money arithmetic of the server: every amount the server stores or sends goes through RoundMoney
// step by step, so the client's own sums of the same amounts come out identical.

namespace velun::appserver {

// Two decimals, a half away from zero, decided on the shortest decimal text of the value so that
// 1.005 (stored in binary as 1.00499999...) becomes 1.01 as a person would expect.
double RoundMoney(double value);

// The amounts of one basket or order line, each rounded to two decimals.
struct LineAmounts
{
    double tutar = 0;          // quantity × unit price, before discount
    double indirimTutar = 0;   // discount amount of the line
    double netBirimFiyat = 0;  // unit price after discount, without VAT
    double netTutar = 0;       // line amount after discount, without VAT
    double vergiTutari = 0;    // VAT amount of the line
    double kdvliTutar = 0;     // line amount after discount, VAT included
};

// Unit price after a discount in percent, without VAT.
double NetUnitPrice(double unitPrice, double discountPercent);
// A net amount with its VAT in percent added.
double WithVat(double netAmount, double vatPercent);

LineAmounts ComputeLineAmounts(double quantity, double unitPrice, double discountPercent, double vatPercent);

} // namespace velun::appserver
