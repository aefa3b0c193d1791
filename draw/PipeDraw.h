#pragma once
// Shaded pipe shapes six pixels thick (elbows, tees, a cross, straight runs),
// offered by the picture item as ready-made shapes.
#include "platform/Canvas.h"

namespace zq {

// Shape codes: 1 topleft, 2 topright, 3 bottomright, 4 bottomleft, 5 topcenter,
// 6 middleright, 7 bottomcenter, 8 middleleft, 9 middlecenter, 100 horization,
// 200 vertical; any other code draws nothing.
void DrawPipe(Canvas& dc, const QRect& rect, Color a, int shape, Color b);

// A colour with system colours (high byte 0x80 and an index) resolved to RGB.
Color resolveColor(Color c);

} // namespace zq
