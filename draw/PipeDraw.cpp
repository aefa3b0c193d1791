#include "PipeDraw.h"

#include "base/Rounding.h"

#include <vector>

namespace zq {

Color resolveColor(Color c)
{
    if ((c & 0xFF000000u) != 0x80000000u)
        return c & 0xFFFFFFu;
    // The usual system colours of a light desktop theme.
    switch (c & 0xFF) {
    case 5:  return 0xFFFFFF; // window
    case 8:  return 0x000000; // window text
    case 15: return 0xF0F0F0; // button face
    case 16: return 0xA0A0A0; // button shadow
    case 20: return 0xFFFFFF; // button highlight
    case 13: return 0xD77800; // highlight
    case 14: return 0xFFFFFF; // highlight text
    default: return 0x000000;
    }
}

namespace {

Color blend(Color a, Color b, int third)
{
    Color out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 0xFF), cb = static_cast<int>((b >> shift) & 0xFF);
        const int v = ca + roundToInt(third * (cb - ca) / 3.0);
        out |= static_cast<Color>(v & 0xFF) << shift;
    }
    return out;
}

} // namespace

void DrawPipe(Canvas& dc, const QRect& rect, Color a, int shape, Color b)
{
    a = resolveColor(a);
    b = resolveColor(b);
    const Color m1 = blend(a, b, 1), m2 = blend(a, b, 2);
    const Color pens[6] = {m1, m2, b, m2, m1, a};
    const int L = rect.left(), T = rect.top(), R = rect.left() + rect.width(), Bo = rect.top() + rect.height();
    const int cx = L + idiv(R - L - 6, 2), cy = T + idiv(Bo - T - 6, 2);
    static const int rise[6] = {4, 3, 2, 3, 4, 5};      // staggered branch ends of the tees
    static const int fall[6] = {1, 2, 3, 2, 1, 0};      // cross: upper branch
    static const int fall2[6] = {5, 4, 3, 4, 5, 6};     // cross: lower branch

    CanvasSaver keep(dc);
    for (int k = 0; k < 6; ++k) {
        std::vector<std::vector<QPoint>> runs;
        switch (shape) {
        case 1: runs = {{{L + k, Bo}, {L + k, T + k}, {R, T + k}}}; break;
        case 2: runs = {{{L, T + k}, {R - k, T + k}}, {{R - 5 + k, T + 5 - k}, {R - 5 + k, Bo}}}; break;
        case 3: runs = {{{R - 5 + k, T}, {R - 5 + k, Bo - 5 + k}, {L, Bo - 5 + k}}}; break;
        case 4: runs = {{{L + k, T}, {L + k, Bo - k}}, {{L + 5 - k, Bo - 5 + k}, {R, Bo - 5 + k}}}; break;
        case 5: runs = {{{L, T + k}, {R, T + k}}, {{cx + k, T + rise[k]}, {cx + k, Bo}}}; break;
        case 6: runs = {{{R - 5 + k, T}, {R - 5 + k, Bo}}, {{L, cy + k}, {R - rise[k], cy + k}}}; break;
        case 7: runs = {{{L, Bo - 5 + k}, {R, Bo - 5 + k}}, {{cx + k, T}, {cx + k, Bo - rise[k]}}}; break;
        case 8: runs = {{{L + k, T}, {L + k, Bo}}, {{L + rise[k], cy + k}, {R, cy + k}}}; break;
        case 9:
            runs = {{{L, cy + k}, {R, cy + k}}, {{cx + k, T}, {cx + k, cy + fall[k]}}, {{cx + k, cy + fall2[k]}, {cx + k, Bo}}};
            break;
        case 100: runs = {{{L, cy + k}, {R, cy + k}}}; break;
        case 200: runs = {{{cx + k, T}, {cx + k, Bo}}}; break;
        default: return;
        }
        Pen p;
        p.width = 1;
        p.color = pens[k];
        p.cap = Pen::Cap::Flat;
        dc.setPen(p);
        for (const auto& run : runs)
            dc.drawPolyline(run);
    }
}

} // namespace zq
