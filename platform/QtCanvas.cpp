#include "QtCanvas.h"

#include "base/Rounding.h"
#include "platform/Fonts.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>

namespace zq {

QtCanvas::QtCanvas(QPainter& painter) : m_p(painter) {}

void QtCanvas::applyCommon()
{
    const CanvasState& s = state();
    const Mapping& m = s.mapping;
    QTransform t;
    const double sx = m.windowExt.width() ? double(m.viewportExt.width()) / m.windowExt.width() : 1.0;
    const double sy = m.windowExt.height() ? double(m.viewportExt.height()) / m.windowExt.height() : 1.0;
    t.translate(m.viewportOrg.x(), m.viewportOrg.y());
    t.scale(sx, sy);
    t.translate(-m.windowOrg.x(), -m.windowOrg.y());
    m_p.setWorldTransform(t);
    if (s.clipped)
        m_p.setClipRect(QRectF(s.clip), Qt::ReplaceClip);
    else
        m_p.setClipping(false);
    m_p.setRenderHint(QPainter::Antialiasing, false);
    const bool raster = m_p.paintEngine() && m_p.paintEngine()->type() == QPaintEngine::Raster;
    m_p.setCompositionMode(s.rop == RasterOp::NotXor && raster ? QPainter::RasterOp_NotSourceXorDestination
                                                               : QPainter::CompositionMode_SourceOver);
}

namespace {

QPen toQPen(const Pen& p)
{
    if (p.style == Pen::Style::None)
        return QPen(Qt::NoPen);
    QPen q(toQColor(p.color));
    q.setWidthF(std::max(1, p.width));
    q.setCapStyle(p.cap == Pen::Cap::Square ? Qt::SquareCap : p.cap == Pen::Cap::Round ? Qt::RoundCap : Qt::FlatCap);
    q.setJoinStyle(Qt::MiterJoin);
    if (p.style == Pen::Style::Dash)
        q.setStyle(Qt::DashLine);
    else if (p.style == Pen::Style::Dot)
        q.setStyle(Qt::DotLine);
    return q;
}

QBrush toQBrush(const CanvasState& s)
{
    const Brush& b = s.brush;
    switch (b.style) {
    case Brush::Style::None:
        return QBrush(Qt::NoBrush);
    case Brush::Style::Solid:
        return QBrush(toQColor(b.color));
    case Brush::Style::Hatch: {
        static const Qt::BrushStyle styles[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
                                                Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        return QBrush(toQColor(b.color), styles[static_cast<int>(b.hatch)]);
    }
    case Brush::Style::Pattern: {
        QImage img(8, 8, QImage::Format_RGB32);
        const QRgb on = toQColor(s.textColor).rgb(), off = toQColor(s.bkColor).rgb();
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                img.setPixel(x, y, (b.pattern[static_cast<size_t>(y)] >> (7 - x)) & 1 ? on : off);
        return QBrush(img);
    }
    }
    return QBrush(Qt::NoBrush);
}

QPointF centre(QPoint p) { return QPointF(p.x() + 0.5, p.y() + 0.5); }

} // namespace

void QtCanvas::drawLine(QPoint from, QPoint to)
{
    drawPolyline({from, to});
}

void QtCanvas::drawPolyline(const std::vector<QPoint>& points)
{
    if (points.size() < 2 || state().pen.style == Pen::Style::None)
        return;
    m_p.save();
    applyCommon();
    m_p.setPen(toQPen(state().pen));
    m_p.setBrush(Qt::NoBrush);
    QPolygonF poly;
    for (QPoint p : points)
        poly << centre(p);
    if (state().pen.cap == Pen::Cap::Flat) {
        // Flat ends leave out the end point, as the platform's thin lines do:
        // both ends move back half a pixel along the run's major axis.
        auto halfStep = [](QPointF from, QPointF to) {
            const QPointF d = to - from;
            const double major = std::max(std::abs(d.x()), std::abs(d.y()));
            return major > 0 ? d * (0.5 / major) : QPointF();
        };
        const qsizetype n = poly.size();
        const QPointF first = halfStep(poly[0], poly[1]), last = halfStep(poly[n - 2], poly[n - 1]);
        poly[0] -= first;
        poly[n - 1] -= last;
    }
    m_p.drawPolyline(poly);
    m_p.restore();
}

void QtCanvas::fillRect(const QRect& r)
{
    if (r.width() <= 0 || r.height() <= 0 || state().brush.style == Brush::Style::None)
        return;
    m_p.save();
    applyCommon();
    m_p.fillRect(QRectF(r), toQBrush(state()));
    m_p.restore();
}

void QtCanvas::fillPolygon(const std::vector<QPoint>& points)
{
    if (points.size() < 3)
        return;
    m_p.save();
    applyCommon();
    m_p.setPen(Qt::NoPen);
    m_p.setBrush(toQBrush(state()));
    QPolygonF poly;
    for (QPoint p : points)
        poly << QPointF(p);
    m_p.drawPolygon(poly);
    m_p.restore();
}

void QtCanvas::textOut(int x, int y, const QString& text)
{
    if (text.isEmpty())
        return;
    m_p.save();
    applyCommon();
    const QFont f = toQFont(state().font);
    m_p.setFont(f);
    const QFontMetricsF fm(f);
    m_p.translate(x, y);
    if (state().font.escapement != 0)
        m_p.rotate(-state().font.escapement / 10.0);
    if (!state().bkTransparent)
        m_p.fillRect(QRectF(0, 0, fm.horizontalAdvance(text), fm.ascent() + fm.descent()), toQColor(state().bkColor));
    m_p.setPen(toQColor(state().textColor));
    m_p.drawText(QPointF(0, fm.ascent()), text);
    m_p.restore();
}

QSize QtCanvas::textExtent(const QString& text)
{
    const QFontMetricsF fm(toQFont(state().font));
    return QSize(roundToInt(fm.horizontalAdvance(text)), roundToInt(fm.ascent() + fm.descent()));
}

void QtCanvas::drawImage(const QRect& target, const QImage& image)
{
    if (image.isNull() || target.isEmpty())
        return;
    m_p.save();
    applyCommon();
    m_p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    m_p.drawImage(QRectF(target), image);
    m_p.restore();
}

} // namespace zq
