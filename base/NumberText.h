#pragma once
// Locale-free number text. Decimal rounding works on the shortest decimal
// text that reads back as the same double, i.e. on the value a user sees:
// 2.675 rounds to 2.68 at two places, not to 2.67 of its binary neighbour.
#include <QString>
#include <optional>

namespace zq {

enum class HalfRule { Even, AwayFromZero };

// Shortest round-trip text in plain notation ("0.1", "-12.5", "1000000");
// scientific ("1E+20", "1E-7") only below 1e-5 or from 1e15 on.
QString numberToText(double x);
// x rounded to `decimals` places of its shortest decimal text (decimals may be negative).
double roundDecimal(double x, int decimals, HalfRule rule);
// Fixed notation with exactly `decimals` places, halves away from zero ("0.00" patterns).
QString formatFixed(double x, int decimals, HalfRule rule = HalfRule::AwayFromZero);
// Inserts "," every three digits of the integer part of a plain number text.
QString groupThousands(const QString& numberText);
// Parses "[+-]digits[.digits][(e|E)[+-]digits]" with optional surrounding
// spaces; nothing else is accepted. nullopt when the text is not a number.
std::optional<double> parseNumber(QStringView text);

} // namespace zq
