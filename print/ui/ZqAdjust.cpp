#include "ZqAdjust.h"

#include "platform/QtCanvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

using namespace zq;

TZqAdjust::TZqAdjust(zqp::TZqAdjustDoc& doc, QWidget* parent) : QAbstractScrollArea(parent), m_doc(doc)
{
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    m_doc.OnInvalidate = [this](const QRect&) { viewport()->update(); };
    horizontalScrollBar()->setSingleStep(10);
    verticalScrollBar()->setSingleStep(10);
}

QSize TZqAdjust::sizeHint() const { return {900, 600}; }

void TZqAdjust::SetDrawBgPic(bool on)
{
    m_drawBg = on;
    viewport()->update();
}

void TZqAdjust::Reloaded()
{
    m_band = false;
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    Layout();
    viewport()->update();
}

void TZqAdjust::Layout()
{
    const TZqTemplate& t = m_doc.Template();
    const QSize client = viewport()->size();
    auto axis = [](QScrollBar* bar, int size, int page) {
        bar->setPageStep(10);
        bar->setRange(0, std::max(0, size - page));
        bar->setEnabled(size > page);
    };
    axis(horizontalScrollBar(), t.TempWidth, client.width());
    axis(verticalScrollBar(), t.TempHeight, client.height());
}

void TZqAdjust::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    Layout();
}

void TZqAdjust::scrollContentsBy(int, int) { viewport()->update(); }

QPoint TZqAdjust::ToTemplate(QPoint widget) const
{
    return widget + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void TZqAdjust::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    const TZqTemplate& t = m_doc.Template();
    QtCanvas dc(p);
    Mapping m;
    m.windowOrg = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    m.windowExt = QSize(std::max(1, t.TempWidth), std::max(1, t.TempHeight));
    m.viewportExt = m.windowExt;
    dc.setMapping(m);
    const QRect view(m.windowOrg, viewport()->size());
    dc.fillSolid(view, 0x808080); // outside the sheet
    const QRect page(0, 0, t.TempWidth, t.TempHeight);
    if (m_drawBg && t.HasBkPic())
        dc.drawImage(page, t.BkPic());
    else
        dc.fillSolid(page, t.BkColor);
    for (int i = 0; i < t.ItemCount(); ++i) {
        TZqItem* it = t.Item(i);
        const QRect r(it->XPos, it->YPos, it->Width, it->Height);
        if (!it->Visible || !r.adjusted(-5, -5, 5, 5).intersects(view))
            continue;
        it->Draw(dc, dmPrint, view, 0, 0);
        Pen pen;
        if (it->Selected) {
            pen.width = 2;
            pen.color = hasFocus() ? kRed : 0x808080;
        } else {
            pen.style = Pen::Style::Dot;
            pen.color = 0xA4A0A0; // RGB 160, 160, 164
        }
        dc.setPen(pen);
        dc.drawPolyline({r.topLeft(), {r.left() + r.width(), r.top()}, {r.left() + r.width(), r.top() + r.height()},
                         {r.left(), r.top() + r.height()}, r.topLeft()});
    }
    if (m_band) {
        Pen pen;
        pen.style = Pen::Style::Dot;
        pen.color = 0xFF0000; // blue
        dc.setPen(pen);
        const QRect b = QRect(m_anchor, m_corner).normalized();
        dc.drawPolyline({b.topLeft(), b.topRight(), b.bottomRight(), b.bottomLeft(), b.topLeft()});
    }
}

void TZqAdjust::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    if (!hasFocus())
        setFocus();
    const QPoint pt = ToTemplate(e->position().toPoint());
    if (m_doc.Click(pt, e->modifiers() & Qt::ControlModifier)) {
        m_band = true;
        m_anchor = m_corner = pt;
    }
    viewport()->update();
}

void TZqAdjust::mouseMoveEvent(QMouseEvent* e)
{
    if (!m_band)
        return;
    m_corner = ToTemplate(e->position().toPoint());
    viewport()->update();
}

void TZqAdjust::mouseReleaseEvent(QMouseEvent* e)
{
    if (!m_band || e->button() != Qt::LeftButton)
        return;
    m_band = false;
    m_doc.SelectInBand(QRect(m_anchor, ToTemplate(e->position().toPoint())));
    viewport()->update();
}

void TZqAdjust::keyPressEvent(QKeyEvent* e)
{
    zqp::TZqArrow dir;
    switch (e->key()) {
    case Qt::Key_Left: dir = zqp::TZqArrow::Left; break;
    case Qt::Key_Right: dir = zqp::TZqArrow::Right; break;
    case Qt::Key_Up: dir = zqp::TZqArrow::Up; break;
    case Qt::Key_Down: dir = zqp::TZqArrow::Down; break;
    default: QAbstractScrollArea::keyPressEvent(e); return;
    }
    m_doc.ArrowKey(dir, e->modifiers() & Qt::ShiftModifier, e->modifiers() & Qt::ControlModifier);
    viewport()->update();
}

void TZqAdjust::focusInEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusInEvent(e);
    viewport()->update();
}

void TZqAdjust::focusOutEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusOutEvent(e);
    viewport()->update();
}
