#pragma once
// A canvas that records what is drawn, with fixed text metrics that need no
// fonts: an ASCII character is half an em wide, any other a full em; the em is
// the font's height (13 when 0). A set font width w makes them w and 2w.
#include "platform/Canvas.h"

#include <vector>

namespace zq {

class RecordingCanvas : public Canvas {
public:
    enum class Kind { Line, Polyline, Fill, Polygon, Text, Image };
    struct Op {
        Kind kind;
        std::vector<QPoint> points; // lines and polygons; text: its top-left point
        QRect rect;                 // fills and images
        QString text;
        CanvasState state;          // everything in force when it was drawn
    };

    void drawLine(QPoint from, QPoint to) override;
    void drawPolyline(const std::vector<QPoint>& points) override;
    void fillRect(const QRect& r) override;
    void fillPolygon(const std::vector<QPoint>& points) override;
    void textOut(int x, int y, const QString& text) override;
    QSize textExtent(const QString& text) override;
    void drawImage(const QRect& target, const QImage& image) override;

    const std::vector<Op>& ops() const { return m_ops; }
    std::vector<Op> ops(Kind k) const;
    // The texts output, in order, joined.
    QString texts() const;
    void clearOps() { m_ops.clear(); }

    static int emOf(const LogFont& f);

private:
    std::vector<Op> m_ops;
};

} // namespace zq
