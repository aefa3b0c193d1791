#pragma once
// The one rounding rule of the program: halves go to the even neighbour.
#include <cstdint>

namespace zq {

// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double roundHalfEven(double x);
// roundHalfEven as an integer; values beyond the int64 range saturate.
std::int64_t roundToInt64(double x);
int roundToInt(double x);
// Half away from zero, as "0.00"-style display patterns round.
double roundHalfAway(double x);

// Template pixels (96 dpi) per millimetre.
inline constexpr double kPixelsPerMm = 3.779527559055;
int mmToPixels(double mm);
double pixelsToMm(int px);
// Font size in points to a height in logical units at 96 dpi.
int pointsToPixels(double points);

// Integer division truncating toward zero ("div").
inline constexpr int idiv(int a, int b) { return a / b; }

} // namespace zq
