#include "Rounding.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace zq {

double roundHalfEven(double x)
{
    // nearbyint honours the current rounding mode; the program never changes it
    // from the default round-to-nearest-even, but be explicit about it.
    if (std::fegetround() != FE_TONEAREST)
        std::fesetround(FE_TONEAREST);
    return std::nearbyint(x);
}

std::int64_t roundToInt64(double x)
{
    const double r = roundHalfEven(x);
    if (std::isnan(r))
        return 0;
    if (r >= 9.2233720368547758e18)
        return std::numeric_limits<std::int64_t>::max();
    if (r <= -9.2233720368547758e18)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(r);
}

int roundToInt(double x)
{
    const std::int64_t r = roundToInt64(x);
    if (r > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (r < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(r);
}

double roundHalfAway(double x)
{
    return std::round(x);
}

int mmToPixels(double mm) { return roundToInt(mm * kPixelsPerMm); }
double pixelsToMm(int px) { return px / kPixelsPerMm; }
int pointsToPixels(double points) { return roundToInt(points * 96.0 / 72.0); }

} // namespace zq
