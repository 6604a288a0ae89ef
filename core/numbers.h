// Number rules shared by every part of the tool: how text becomes a number,
// how a number becomes text, and how a value becomes a whole number.
#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace zcore {

// The leading number of a text. Blanks, tabs and line feeds are ignored
// wherever they stand; then the longest prefix that forms a number is taken:
// an optional sign, digits, at most one "." with a fraction and an optional
// exponent (E or D), or &H with hexadecimal digits, or &O with octal digits.
// A text that does not begin with a number reads as 0. The point is always
// the decimal separator here, whatever the desktop uses.
double readLeadingNumber(QStringView text);

// The text of a number: whole numbers as their digits, anything else as the
// shortest text with at most 15 significant digits, no trailing zeros and no
// leading blank, written with the given decimal separator. Very large and
// very small magnitudes use the exponent form ("1E+15", "1E-05").
QString numberText(double value, QChar decimalPoint = QLatin1Char('.'));

// Nearest whole number, halves going to the even neighbour (12.5 -> 12, 13.5 -> 14).
double roundHalfEven(double value);

// A whole text read as a decimal number (surrounding blanks allowed), with
// the given decimal separator; nothing else may follow. Empty or non-numeric
// text gives no value.
std::optional<double> parseWholeText(QStringView text, QChar decimalPoint = QLatin1Char('.'));

// A caption taken as a 16-bit whole number: a decimal text, rounded halves to
// even, in -32768..32767. Anything else gives no value.
std::optional<int> wholeNumber16(QStringView text, QChar decimalPoint = QLatin1Char('.'));

// A value rounded (halves to even) into a byte; no value when it lies outside 0..255.
std::optional<unsigned char> toByte(double value);

} // namespace zcore
