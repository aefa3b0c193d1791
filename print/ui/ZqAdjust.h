#pragma once
// The adjustment surface: the bill's printable items at 100 % over the page
// (or its background picture), each with a frame, selected by click, Ctrl+click
// or a rubber band, moved and resized by the arrow keys. The document below
// holds the decisions.
#include "print/AdjustSurface.h"

#include <QAbstractScrollArea>

class TZqAdjust : public QAbstractScrollArea {
public:
    // Shows a document it does not own (the print run's own).
    explicit TZqAdjust(zqp::TZqAdjustDoc& doc, QWidget* parent = nullptr);

    zqp::TZqAdjustDoc& Doc() { return m_doc; }
    bool DrawBgPic() const { return m_drawBg; }
    void SetDrawBgPic(bool on);
    // After the document was loaded: scroll to the origin and lay out.
    void Reloaded();
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    QPoint ToTemplate(QPoint widget) const;
    void Layout();
    zqp::TZqAdjustDoc& m_doc;
    bool m_drawBg = false;
    bool m_band = false;
    QPoint m_anchor, m_corner;
};
