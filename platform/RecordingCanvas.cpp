#include "RecordingCanvas.h"

#include <cstdlib>

namespace zq {

int RecordingCanvas::emOf(const LogFont& f)
{
    return f.height == 0 ? 13 : std::abs(f.height);
}

void RecordingCanvas::drawLine(QPoint from, QPoint to)
{
    m_ops.push_back({Kind::Line, {from, to}, {}, {}, state()});
}

void RecordingCanvas::drawPolyline(const std::vector<QPoint>& points)
{
    m_ops.push_back({Kind::Polyline, points, {}, {}, state()});
}

void RecordingCanvas::fillRect(const QRect& r)
{
    m_ops.push_back({Kind::Fill, {}, r, {}, state()});
}

void RecordingCanvas::fillPolygon(const std::vector<QPoint>& points)
{
    m_ops.push_back({Kind::Polygon, points, {}, {}, state()});
}

void RecordingCanvas::textOut(int x, int y, const QString& text)
{
    m_ops.push_back({Kind::Text, {QPoint(x, y)}, {}, text, state()});
}

QSize RecordingCanvas::textExtent(const QString& text)
{
    const LogFont& f = state().font;
    const int em = emOf(f);
    const int narrow = f.width > 0 ? f.width : em / 2;
    const int wide = f.width > 0 ? 2 * f.width : em;
    int w = 0;
    for (QChar c : text)
        if (!c.isLowSurrogate())
            w += c.unicode() < 0x80 ? narrow : wide;
    return QSize(w, em);
}

void RecordingCanvas::drawImage(const QRect& target, const QImage&)
{
    m_ops.push_back({Kind::Image, {}, target, {}, state()});
}

std::vector<RecordingCanvas::Op> RecordingCanvas::ops(Kind k) const
{
    std::vector<Op> out;
    for (const Op& o : m_ops)
        if (o.kind == k)
            out.push_back(o);
    return out;
}

QString RecordingCanvas::texts() const
{
    QString s;
    for (const Op& o : m_ops)
        if (o.kind == Kind::Text)
            s += o.text;
    return s;
}

} // namespace zq
