#include "Canvas.h"

#include "base/Rounding.h"

namespace zq {

namespace {
int mapAxis(int v, int wo, int we, int vo, int ve)
{
    if (we == 0)
        return vo;
    return roundToInt((static_cast<double>(v) - wo) * ve / we) + vo;
}
} // namespace

QPoint Canvas::toDevice(QPoint p) const
{
    const Mapping& m = m_s.mapping;
    return {mapAxis(p.x(), m.windowOrg.x(), m.windowExt.width(), m.viewportOrg.x(), m.viewportExt.width()),
            mapAxis(p.y(), m.windowOrg.y(), m.windowExt.height(), m.viewportOrg.y(), m.viewportExt.height())};
}

QRect Canvas::toDevice(const QRect& r) const
{
    const QPoint a = toDevice(r.topLeft());
    const QPoint b = toDevice(QPoint(r.left() + r.width(), r.top() + r.height()));
    return QRect(a, QSize(b.x() - a.x(), b.y() - a.y()));
}

void Canvas::fillSolid(const QRect& r, Color c)
{
    const Brush old = m_s.brush;
    Brush b;
    b.style = Brush::Style::Solid;
    b.color = c;
    m_s.brush = b;
    fillRect(r);
    m_s.brush = old;
}

} // namespace zq
