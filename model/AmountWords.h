#pragma once
// Amounts in words: the figure text of an edit or a grid cell written out in
// Chinese capital numerals or in English. Pure functions from text to text.
//
// Amounts are rounded to cents exactly as the "0.00" pattern rounds them
// (zq::formatFixed), so the words always agree with the figures that the
// amount boxes and the plain number style print for the same value.
// Amounts whose integer part has more than twelve digits (10^12 and above)
// are refused with a zq::Error rather than written with their top digits lost.
#include <QString>
#include <optional>

namespace zq {

// Chinese capital amount in yuan, down to fen: 10.50 -> 壹拾元零伍角整.
// `unit` is "元" or "圆"; `zeroAfterUnit` writes "零" after a zero yuan digit
// that jiao follow (元零伍角整 rather than 元伍角整). A negative amount gets
// "负" in front. Text that is not a number, and zero, give the empty text.
QString CapitalAmount(const QString& text, const QString& unit, bool zeroAfterUnit);

// A whole number in Chinese capitals: 100010 -> 壹拾万零壹拾. The text is
// ASCII digits with an optional leading sign ("-" gives "负" in front); any
// other character, the empty text and zero give the empty text.
QString CapitalInteger(const QString& digits);

// Dollars in Chinese capitals. Form 1 writes "元" ... "分", form 2 "圆" ...
// "美分"; any other form is form 1. The fraction is read as cents:
// 12.5 -> 壹拾贰元伍拾分, 12.05 -> 壹拾贰元零伍分, 12 -> 壹拾贰元整.
// Text that is not a number, and zero, give the empty text.
QString DollarsInCapitals(const QString& text, int form);

// The number as typed, read out digit by digit after the point:
// 105.25 -> 壹佰零伍点贰伍. Zero gives "零" unless `hideZero` is set. A text
// that is not plain digits with an optional sign and point gives the empty text.
QString CapitalDigits(const QString& text, bool hideZero);

// English amount, forms 1 to 3 (any other form is form 1):
// 1234.56, form 2 -> One Thousand and Two Hundred Thirty-four Dollars and
// Fifty-six Cents Only. Throws zq::Error "Out of range, must between
// 0.01-999999999999.99" for text that is not a number in that range.
QString EnglishAmount(const QString& text, int form);

// The words an edit shows for its number style (`AutoUpper` 1 to 10):
// 1, 8, 9, 10 capital amount (元 or 圆, with or without the zero after the
// unit), 2 to 4 English forms 1 to 3, 5 and 6 dollars forms 1 and 2, 7 capital
// digits with `hideZero`. nullopt for the plain number style (0, unknown codes).
// The errors of the conversions pass through to the caller.
std::optional<QString> WordsForAutoUpper(int autoUpper, const QString& text, bool hideZero);

} // namespace zq
