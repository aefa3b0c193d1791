#pragma once
// Shared pieces of the built-in function families (not part of the public API).
#include "ExpCalc.h"

#include <cstdint>

namespace zq::lib {

inline constexpr TecTypeMask mNumber = maskOf(dtNumber);
inline constexpr TecTypeMask mString = maskOf(dtString);
inline constexpr TecTypeMask mBoolean = maskOf(dtBoolean);
inline constexpr TecTypeMask mDateTime = maskOf(dtDateTime);
inline constexpr TecTypeMask mDateRange = maskOf(dtDateRange);
inline constexpr TecTypeMask mSet = maskOf(dtSet);

// Registration of each family, in the order the calculator calls them.
void registerStatisticsFunctions(TecFunctions& r);
void registerDateTimeFunctions(TecFunctions& r);
void registerSetFunctions(TecFunctions& r);
void registerStringFunctions(TecFunctions& r);
void registerConversionFunctions(TecFunctions& r);
void registerMathFunctions(TecFunctions& r);
void registerLogicFunctions(TecFunctions& r);

// Counts, years, months, quarters and codes: truncated toward zero, saturating
// at the int range (NaN gives 0) so that no argument is undefined behaviour.
int truncArg(double x);
// Counts and positions of the string functions: nearest, halves to even.
std::int64_t roundArg(double x);
// Platform floating-point errors for results that are not finite numbers.
double checkFinite(double x);
// A set member or a membership operand as text.
QString memberText(const TecSymbol& s);

} // namespace zq::lib
