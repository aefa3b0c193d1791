#pragma once
// The canvas over a QPainter: the same drawing goes to a widget, a QImage, a
// QPrinter or a PDF. Logical units are mapped to the device by the mapping.
#include "platform/Canvas.h"

class QPainter;

namespace zq {

class QtCanvas : public Canvas {
public:
    explicit QtCanvas(QPainter& painter);

    void drawLine(QPoint from, QPoint to) override;
    void drawPolyline(const std::vector<QPoint>& points) override;
    void fillRect(const QRect& r) override;
    void fillPolygon(const std::vector<QPoint>& points) override;
    void textOut(int x, int y, const QString& text) override;
    QSize textExtent(const QString& text) override;
    void drawImage(const QRect& target, const QImage& image) override;

private:
    void applyCommon();
    QPainter& m_p;
};

} // namespace zq
