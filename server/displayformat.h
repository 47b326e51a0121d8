#pragma once
// Number display patterns ("#,###,##0.00") written with the separators of a locale.

#include <QLocale>
#include <QString>

namespace velun {

inline const QString kMoneyDisplayFormat = QStringLiteral("#,###,##0.00");

// Pattern characters: '0' a digit that is always written, '#' a digit written only when needed,
// '.' the decimal separator (the locale's), ',' anywhere: thousands grouping (the locale's
// separator). The value is rounded half away from zero at the last decimal place, on its
// 15 significant digits, so 2.675 gives 2.68. Other characters are not supported.
QString FormatFloat(const QString& pattern, double value, const QLocale& locale = QLocale::system());

// The general form used when a number column has no pattern: up to 15 significant digits, no grouping.
QString FormatNumberPlain(double value, const QLocale& locale = QLocale::system());

// The client's two-decimal rounding of money it computes itself: the value written with
// "#,###,##.00" under the locale, every thousands separator removed, read back. The result is the
// value rounded to two decimals, a half away from zero (2.675 → 2.68, -0.005 → -0.01).
double RoundMoney2(double value, const QLocale& locale = QLocale::system());

} // namespace velun
