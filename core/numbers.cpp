#include "numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

namespace zcore {
namespace {

bool ignorable(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// Length of the decimal number at the start of s (sign, digits, one point with
// a fraction, optional exponent); 0 when s does not start with one.
qsizetype decimalPrefix(const QString &s, QChar point, bool allowExponentD)
{
    qsizetype i = 0;
    const qsizetype n = s.size();
    if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    while (i < n && isDigit(s[i])) {
        ++i;
        ++digits;
    }
    if (i < n && s[i] == point) {
        ++i;
        while (i < n && isDigit(s[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    if (i < n) {
        const QChar e = s[i].toUpper();
        if (e == QLatin1Char('E') || (allowExponentD && e == QLatin1Char('D'))) {
            qsizetype j = i + 1;
            if (j < n && (s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-')))
                ++j;
            qsizetype expDigits = 0;
            while (j < n && isDigit(s[j])) {
                ++j;
                ++expDigits;
            }
            if (expDigits > 0)
                i = j;
        }
    }
    return i;
}

// Which way a number too large or too small for a double went: true when its
// first significant digit stands at or above the units (an overflow), false
// when it stands below (an underflow). Asked only of numbers with a nonzero digit.
bool magnitudeAtLeastOne(std::string_view number)
{
    size_t i = 0;
    long long wholeDigits = 0; // whole-part digits from the first nonzero one
    while (i < number.size() && number[i] >= '0' && number[i] <= '9') {
        if (wholeDigits > 0 || number[i] != '0')
            ++wholeDigits;
        ++i;
    }
    long long zerosAfterPoint = 0;
    if (i < number.size() && number[i] == '.') {
        ++i;
        bool significant = wholeDigits > 0;
        while (i < number.size() && number[i] >= '0' && number[i] <= '9') {
            if (!significant && number[i] == '0')
                ++zerosAfterPoint;
            else
                significant = true;
            ++i;
        }
    }
    const long long position = wholeDigits > 0 ? wholeDigits - 1 : -zerosAfterPoint - 1;
    long long exponent = 0;
    if (i < number.size()) { // 'E', an optional sign, digits
        ++i;
        bool negative = false;
        if (i < number.size() && (number[i] == '+' || number[i] == '-'))
            negative = number[i++] == '-';
        for (; i < number.size(); ++i)
            exponent = std::min(exponent * 10 + (number[i] - '0'), 1'000'000'000'000LL);
        if (negative)
            exponent = -exponent;
    }
    return position + exponent >= 0;
}

// Converts a decimal number already checked by decimalPrefix. The conversion
// never looks at the process locale (a Turkish desktop's C library would
// otherwise stop at the point); a number out of a double's range gives an
// infinity or zero of its sign, as the usual conversion does.
double toDouble(QStringView number, QChar point)
{
    char buffer[128];
    std::string heap;
    char *ascii = buffer;
    if (size_t(number.size()) >= sizeof buffer) {
        heap.resize(size_t(number.size()));
        ascii = heap.data();
    }
    size_t n = 0;
    for (QChar c : number) {
        if (c == point)
            ascii[n++] = '.';
        else if (c.toUpper() == QLatin1Char('D'))
            ascii[n++] = 'E';
        else
            ascii[n++] = char(c.toLatin1());
    }
    const char *first = ascii;
    const char *last = ascii + n;
    bool negative = false;
    if (first < last && (*first == '+' || *first == '-'))
        negative = *first++ == '-';
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        value = magnitudeAtLeastOne(std::string_view(first, size_t(last - first)))
                    ? std::numeric_limits<double>::infinity()
                    : 0.0;
    } else if (error != std::errc()) {
        value = 0;
    }
    return negative ? -value : value;
}

double radixValue(const QString &s, qsizetype from, int radix)
{
    double value = 0;
    for (qsizetype i = from; i < s.size(); ++i) {
        const int d = hexValue(s[i]);
        if (d < 0 || d >= radix)
            break;
        value = value * radix + d;
    }
    return value;
}

} // namespace

double readLeadingNumber(QStringView text)
{
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        if (!ignorable(c))
            s.append(c);
    if (s.size() >= 2 && s[0] == QLatin1Char('&')) {
        const QChar kind = s[1].toUpper();
        if (kind == QLatin1Char('H'))
            return radixValue(s, 2, 16);
        if (kind == QLatin1Char('O'))
            return radixValue(s, 2, 8);
        return 0;
    }
    const qsizetype len = decimalPrefix(s, QLatin1Char('.'), true);
    return len == 0 ? 0.0 : toDouble(QStringView(s).left(len), QLatin1Char('.'));
}

QString numberText(double value, QChar decimalPoint)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("1.#INF") : QStringLiteral("-1.#INF");
    if (value == 0)
        return QStringLiteral("0");
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));

    // Fifteen significant digits, rounded once, then laid out in one buffer.
    char sci[40];
    const auto sciEnd =
        std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific, 14).ptr;
    const char *p = sci;
    const bool negative = *p == '-';
    if (negative)
        ++p;
    char digits[20];
    int count = 0;
    for (; p < sciEnd && *p != 'e'; ++p) {
        if (*p != '.')
            digits[count++] = *p;
    }
    int exponent = 0;
    if (p < sciEnd) { // "e+NN" or "e-NNN"
        ++p;
        const bool exponentNegative = *p == '-';
        if (*p == '-' || *p == '+')
            ++p;
        std::from_chars(p, sciEnd, exponent);
        if (exponentNegative)
            exponent = -exponent;
    }
    while (count > 1 && digits[count - 1] == '0')
        --count;

    char16_t out[48];
    int n = 0;
    const char16_t point = decimalPoint.unicode();
    auto put = [&](char16_t c) { out[n++] = c; };
    if (negative)
        put(u'-');
    if (exponent > -5 && exponent < 15) {
        if (exponent >= 0) {
            const int whole = exponent + 1;
            for (int i = 0; i < whole; ++i)
                put(i < count ? char16_t(digits[i]) : u'0');
            if (count > whole) {
                put(point);
                for (int i = whole; i < count; ++i)
                    put(char16_t(digits[i]));
            }
        } else {
            put(u'0');
            put(point);
            for (int i = 0; i < -exponent - 1; ++i)
                put(u'0');
            for (int i = 0; i < count; ++i)
                put(char16_t(digits[i]));
        }
    } else {
        put(char16_t(digits[0]));
        if (count > 1) {
            put(point);
            for (int i = 1; i < count; ++i)
                put(char16_t(digits[i]));
        }
        put(u'E');
        put(exponent < 0 ? u'-' : u'+');
        const int magnitude = std::abs(exponent);
        if (magnitude < 10)
            put(u'0');
        char exponentDigits[8];
        const char *exponentEnd =
            std::to_chars(exponentDigits, exponentDigits + sizeof exponentDigits, magnitude).ptr;
        for (const char *d = exponentDigits; d < exponentEnd; ++d)
            put(char16_t(*d));
    }
    return QString(reinterpret_cast<const QChar *>(out), n);
}

double roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff < 0.5)
        return floor;
    if (diff > 0.5)
        return floor + 1;
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

std::optional<double> parseWholeText(QStringView text, QChar decimalPoint)
{
    const QString s = text.trimmed().toString();
    if (s.isEmpty())
        return std::nullopt;
    const qsizetype len = decimalPrefix(s, decimalPoint, false);
    if (len == 0 || len != s.size())
        return std::nullopt;
    const double v = toDouble(s, decimalPoint);
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<int> wholeNumber16(QStringView text, QChar decimalPoint)
{
    const auto v = parseWholeText(text, decimalPoint);
    if (!v)
        return std::nullopt;
    const double r = roundHalfEven(*v);
    if (r < -32768 || r > 32767)
        return std::nullopt;
    return int(r);
}

std::optional<unsigned char> toByte(double value)
{
    const double r = roundHalfEven(value);
    if (!(r >= 0 && r <= 255))
        return std::nullopt;
    return static_cast<unsigned char>(r);
}

} // namespace zcore
