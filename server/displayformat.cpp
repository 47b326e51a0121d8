#include "server/displayformat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace velun {
namespace {

struct Pattern
{
    int minInteger = 0;
    int minDecimals = 0;
    int maxDecimals = 0;
    bool grouping = false;
};

Pattern parsePattern(const QString& pattern)
{
    Pattern p;
    const qsizetype point = pattern.indexOf(u'.');
    const QStringView integerPart = point < 0 ? QStringView(pattern) : QStringView(pattern).left(point);
    const QStringView fractionPart = point < 0 ? QStringView() : QStringView(pattern).mid(point + 1);
    p.grouping = pattern.contains(u',');
    // Digits from the leftmost '0' to the point are always written.
    bool zeroSeen = false;
    for (QChar c : integerPart) {
        if (c == u'0')
            zeroSeen = true;
        if (zeroSeen && (c == u'0' || c == u'#'))
            ++p.minInteger;
    }
    int position = 0;
    for (QChar c : fractionPart) {
        if (c != u'0' && c != u'#')
            continue;
        ++position;
        if (c == u'0')
            p.minDecimals = position;
    }
    p.maxDecimals = position;
    return p;
}

// The value's 15 significant digits and the count of them before the decimal point.
void significantDigits(double magnitude, QByteArray& digits, int& integerDigits)
{
    if (magnitude == 0.0) {
        digits = "0";
        integerDigits = 1;
        return;
    }
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", magnitude);
    const char* e = std::strchr(buffer, 'e');
    digits.clear();
    for (const char* c = buffer; c < e; ++c)
        if (*c != '.')
            digits.append(*c);
    integerDigits = std::atoi(e + 1) + 1;
}

QString groupDigits(const QString& integer, const QString& separator)
{
    QString out;
    out.reserve(integer.size() + integer.size() / 3 * separator.size());
    const qsizetype n = integer.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += separator;
        out += integer[i];
    }
    return out;
}

} // namespace

QString FormatFloat(const QString& pattern, double value, const QLocale& locale)
{
    if (!std::isfinite(value))
        return FormatNumberPlain(value, locale);
    const Pattern p = parsePattern(pattern);

    QByteArray digits;
    int integerDigits = 0;
    significantDigits(std::fabs(value), digits, integerDigits);

    // Round half away from zero at the last decimal place the pattern allows.
    const int keep = integerDigits + p.maxDecimals;
    if (keep < 0) {
        digits = "0";
        integerDigits = 1;
    } else if (keep < digits.size()) {
        const bool up = digits[keep] >= '5';
        digits.truncate(keep);
        if (up) {
            int i = keep - 1;
            while (i >= 0 && digits[i] == '9')
                digits[i--] = '0';
            if (i >= 0) {
                digits[i] = static_cast<char>(digits[i] + 1);
            } else {
                digits.prepend('1');
                ++integerDigits;
            }
        }
    }

    QString integer;
    QString fraction;
    for (int i = 0; i < integerDigits; ++i)
        integer += QLatin1Char(i < digits.size() ? digits[i] : '0');
    for (int i = integerDigits; i < integerDigits + p.maxDecimals; ++i)
        fraction += QLatin1Char(i >= 0 && i < digits.size() ? digits[i] : '0');

    while (fraction.size() > p.minDecimals && fraction.endsWith(u'0'))
        fraction.chop(1);
    while (!integer.isEmpty() && integer.front() == u'0')
        integer.remove(0, 1);
    while (integer.size() < p.minInteger)
        integer.prepend(u'0');

    const auto nonZeroDigit = [](QChar c) { return c != u'0'; };
    const bool nonZero = std::any_of(integer.cbegin(), integer.cend(), nonZeroDigit) ||
                         std::any_of(fraction.cbegin(), fraction.cend(), nonZeroDigit);
    QString out;
    if (value < 0 && nonZero)
        out += locale.negativeSign();
    out += p.grouping ? groupDigits(integer, locale.groupSeparator()) : integer;
    if (!fraction.isEmpty())
        out += locale.decimalPoint() + fraction;
    return out;
}

QString FormatNumberPlain(double value, const QLocale& locale)
{
    QString text = QString::number(value, 'g', 15);
    text.replace(u'.', locale.decimalPoint());
    text.replace(u'-', locale.negativeSign());
    return text;
}

double RoundMoney2(double value, const QLocale& locale)
{
    QString text = FormatFloat(QStringLiteral("#,###,##.00"), value, locale);
    text.remove(locale.groupSeparator());
    // "#" before the point writes no leading zero: ",50" and "-,50" read back as 0.5 and -0.5.
    const QString decimal = locale.decimalPoint();
    if (text.startsWith(decimal))
        text.prepend(QLatin1Char('0'));
    else if (text.startsWith(QLatin1Char('-') + decimal))
        text.insert(1, QLatin1Char('0'));
    bool ok = false;
    const double back = locale.toDouble(text, &ok);
    return ok ? back : 0.0;
}

} // namespace velun
