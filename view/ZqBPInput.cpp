#include "ZqBPInput.h"

#include "base/Error.h"
#include "base/Rounding.h"
#include "model/ZqCurrency.h"
#include "model/ZqGrid.h"
#include "model/ZqSmallInputs.h"
#include "platform/Fonts.h"
#include "platform/QtCanvas.h"
#include "view/Messages.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFrame>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QToolTip>

using namespace zqv;

namespace zqv {

// The edit box of the in-place editor: Enter (without Shift), Tab and Esc go
// to the control, F2 is the pick button, Shift+Enter breaks the line.
class TZqEditBox : public QPlainTextEdit {
public:
    TZqEditBox(TZqBPInput* owner, QWidget* parent) : QPlainTextEdit(parent), m_owner(owner)
    {
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setContextMenuPolicy(Qt::NoContextMenu);
        document()->setDocumentMargin(1);
    }

protected:
    // Tab is the control's, even in a read-only box.
    bool focusNextPrevChild(bool) override { return false; }
    void keyPressEvent(QKeyEvent* e) override
    {
        const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
        if (enter && (e->modifiers() & Qt::ShiftModifier)) {
            if (!isReadOnly())
                insertPlainText(QStringLiteral("\n"));
            return;
        }
        if (e->key() == Qt::Key_F2) {
            m_owner->PickClicked();
            return;
        }
        if (m_owner->NavigationKey(e))
            return;
        QPlainTextEdit::keyPressEvent(e);
    }
    void focusOutEvent(QFocusEvent* e) override
    {
        QPlainTextEdit::focusOutEvent(e);
        m_owner->EditorLostFocus();
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        QPlainTextEdit::mouseMoveEvent(e);
        m_owner->Guarded([&] {
            // Hints and the row panel follow the mouse over the editor too.
            const QPoint p = m_owner->viewport()->mapFromGlobal(e->globalPosition().toPoint());
            QMouseEvent moved(QEvent::MouseMove, p, e->globalPosition(), e->button(), e->buttons(), e->modifiers());
            m_owner->mouseMoveEvent(&moved);
        });
    }

private:
    TZqBPInput* m_owner;
};

// The editor of a check item: a flag toggled by a click or any character key.
class TZqCheckFlag : public QWidget {
public:
    TZqCheckFlag(TZqBPInput* owner, QWidget* parent, bool flag, int signStyle)
        : QWidget(parent), m_owner(owner), m_flag(flag), m_sign(signStyle)
    {
        setFocusPolicy(Qt::StrongFocus);
    }
    bool Flag() const { return m_flag; }

protected:
    bool focusNextPrevChild(bool) override { return false; }
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        if (!m_flag)
            return;
        const int side = std::min(width(), height());
        const QRect sq((width() - side) / 2, (height() - side) / 2, side, side);
        zq::QtCanvas c(p);
        DrawCheckSign(c, sq, m_sign);
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton)
            Toggle();
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        if (m_owner->NavigationKey(e))
            return;
        if (!e->text().isEmpty() && e->text().at(0).isPrint())
            Toggle();
        else
            QWidget::keyPressEvent(e);
    }
    void focusOutEvent(QFocusEvent* e) override
    {
        QWidget::focusOutEvent(e);
        m_owner->EditorLostFocus();
    }

private:
    void Toggle()
    {
        m_owner->Guarded([&] {
            m_flag = !m_flag;
            update();
            // Radio behaviour at once: the others of the group uncheck now.
            const TZqInputSession::Target& t = m_owner->m_session.EditTarget();
            if (t.item && t.item->Kind() == itCheck)
                SetCheckInGroup(*m_owner->m_tpl, static_cast<TZqCheck&>(*t.item), m_flag);
        });
    }
    TZqBPInput* m_owner;
    bool m_flag;
    int m_sign;
};

// The row panel of grids: 25 x 19, white (red while it has the focus), the
// row glyph at (8, 6) and a navy frame; a click pops up the row menu.
class TZqRowPanel : public QWidget {
public:
    TZqRowPanel(TZqBPInput* owner, QWidget* parent) : QWidget(parent), m_owner(owner)
    {
        setFixedSize(25, 19);
        setFocusPolicy(Qt::ClickFocus);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), hasFocus() ? QColor(Qt::red) : QColor(Qt::white));
        // The glyph: a small table of three rows with a plus.
        p.setPen(QColor(0x33, 0x33, 0x33));
        for (int i = 0; i < 3; ++i)
            p.drawLine(8, 6 + i * 3, 14, 6 + i * 3);
        p.drawLine(17, 7, 17, 11);
        p.drawLine(15, 9, 19, 9);
        p.setPen(QColor(0x00, 0x00, 0x80));
        p.drawRect(QRect(QPoint(1, 2), QPoint(width() - 2, height() - 4)));
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton)
            m_owner->RowPanelClicked();
    }
    void focusInEvent(QFocusEvent*) override { update(); }
    void focusOutEvent(QFocusEvent*) override { update(); }

private:
    TZqBPInput* m_owner;
};

} // namespace zqv

namespace {

// The panel of the editor: white with a dotted focus rectangle.
class TZqEditorPanel : public QFrame {
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        QPen pen(Qt::black);
        pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

QString errorText(const std::exception& e)
{
    if (const auto* z = dynamic_cast<const zq::Error*>(&e))
        return z->message();
    return QString::fromLocal8Bit(e.what());
}

} // namespace

template <class F> void TZqBPInput::Guarded(F&& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        ShowError(QStringLiteral("出现错误！"), errorText(e));
    } catch (...) {
        ShowError(QStringLiteral("出现错误！"), QStringLiteral("未知错误"));
    }
}

TZqBPInput::TZqBPInput(QWidget* parent) : QAbstractScrollArea(parent), m_tpl(std::make_unique<TZqTemplate>())
{
    m_tpl->Owner = this;
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setFrameShape(QFrame::NoFrame);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    horizontalScrollBar()->setSingleStep(10);
    verticalScrollBar()->setSingleStep(10);
    m_rowPanel = new TZqRowPanel(this, viewport());
    m_rowPanel->hide();
    m_rowMenu = new QMenu(this);
    for (TZqRowCommand cmd : {TZqRowCommand::InsertBefore, TZqRowCommand::InsertAfter, TZqRowCommand::InsertThreeBefore,
                              TZqRowCommand::InsertThreeAfter, TZqRowCommand::Delete})
        connect(m_rowMenu->addAction(RowCommandText(cmd)), &QAction::triggered, this,
                [this, cmd] { Guarded([&] { RunRowCommand(cmd); }); });
    if (QClipboard* cb = QGuiApplication::clipboard()) {
        connect(cb, &QClipboard::dataChanged, this, [this] {
            Guarded([this] {
                if (OnCanPaste) {
                    const QMimeData* md = QGuiApplication::clipboard()->mimeData();
                    OnCanPaste(this, md && md->hasText());
                }
            });
        });
    }
}

TZqBPInput::~TZqBPInput()
{
    // Neither the editor nor the items may call back into a control that is going away.
    m_closing = true;
    m_session.Drop();
    delete m_editor.data();
    m_tpl->Owner = nullptr;
}

void TZqBPInput::ShowError(const QString& lead, const QString& reason)
{
    const bool was = m_inMessage;
    m_inMessage = true;
    ShowMessage(this, TZqMsgKind::Error, LeadAndReason(lead, reason));
    m_inMessage = was;
}

QString TZqBPInput::DefaultTipText() { return QStringLiteral("https://zqbp.example.org"); }

CanInputFn TZqBPInput::CanInputFn()
{
    return [this](TZqItem* item, int col, int row) {
        bool can = true;
        if (OnItemCanInput)
            OnItemCanInput(can, this, item, col, row);
        return can;
    };
}

// ---- loading and values ----

bool TZqBPInput::LoadFromFile(const QString& name)
{
    try {
        QFile f(name);
        if (!f.open(QIODevice::ReadOnly))
            throw zq::Error(f.errorString());
        LoadFromStream(f.readAll());
        return true;
    } catch (const std::exception& e) {
        ShowError(QStringLiteral("打开文件失败："), errorText(e));
        return false;
    }
}

void TZqBPInput::LoadFromStream(QByteArrayView data)
{
    auto fresh = std::make_unique<TZqTemplate>();
    fresh->LoadFromStream(data); // throws: the bill shown stays as it is
    CloseEditor();
    // An editor whose value was refused goes with the bill it belonged to.
    m_session.Drop();
    DestroyEditor();
    m_tpl->Owner = nullptr;
    m_tpl = std::move(fresh);
    m_tpl->Owner = this;
    m_empty = false;
    m_session.CanInput = CanInputFn();
    m_session.Reset(m_tpl.get());
    m_session.BuildTabList();
    m_geo.X.scroll = m_geo.Y.scroll = 0;
    HideRowPanel();
    m_panelGrid = nullptr;
    m_panelRow = -1;
    Layout();
    // The bill is shown from here on; a formula that fails is reported, not a failed load.
    Guarded([this] {
        for (int i = 0; i < m_tpl->ItemCount(); ++i)
            if (m_tpl->Item(i)->Kind() == itGrid)
                static_cast<TZQGridEx*>(m_tpl->Item(i))->ResetBodyRows();
        m_tpl->EvaluateAll();
    });
    viewport()->update();
}

QByteArray TZqBPInput::SaveToStream() const { return m_tpl->SaveToStream(); }

void TZqBPInput::SetItemValues(const QList<TZqItemValue>& list)
{
    CloseEditor();
    m_tpl->SetItemValues(list);
    m_tpl->EvaluateAll();
    viewport()->update();
}

void TZqBPInput::SetNameValues(const QStringList& lines)
{
    CloseEditor();
    m_tpl->SetNameValues(lines);
    m_tpl->EvaluateAll();
    viewport()->update();
}

void TZqBPInput::ResetValues()
{
    CloseEditor();
    m_tpl->ResetValues();
    viewport()->update();
}

void TZqBPInput::SetZoom(double zoom)
{
    CloseEditor();
    m_geo.Zoom = zoom;
    Layout();
}

// ---- host interface ----

void TZqBPInput::InvalidateItemRect(const QRect& logical, bool)
{
    if (logical.isEmpty())
        viewport()->update();
    else
        viewport()->update(m_geo.ToDevice(logical).adjusted(-1, -1, 1, 1));
}

void TZqBPInput::ItemValueChanged(TZqItem* item, int col, int row)
{
    if (OnItemValueChanged)
        OnItemValueChanged(item, col, row);
}

void TZqBPInput::Relayout() { Layout(); }

// ---- layout and scrolling ----

void TZqBPInput::Layout()
{
    if (m_inLayout)
        return;
    m_inLayout = true;
    m_geo.PageW = m_tpl->TempWidth;
    m_geo.PageH = m_tpl->TempHeight;
    const QSize page = m_geo.DevicePage();
    // A bar is shown only when the window is smaller than the page and a margin.
    const bool hBar = !m_empty && TZqPageGeometry::NeedsBar(width(), page.width());
    const bool vBar = !m_empty && TZqPageGeometry::NeedsBar(height(), page.height());
    setHorizontalScrollBarPolicy(hBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(vBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    m_geo.Layout(viewport()->size());
    auto apply = [](QScrollBar* sb, const TZqAxis& a) {
        const QSignalBlocker block(sb);
        sb->setEnabled(a.enabled);
        sb->setRange(0, a.max);
        sb->setPageStep(std::max(1, a.page));
        sb->setValue(a.scroll);
    };
    apply(horizontalScrollBar(), m_geo.X);
    apply(verticalScrollBar(), m_geo.Y);
    PlaceEditor();
    viewport()->update();
    m_inLayout = false;
}

void TZqBPInput::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    Guarded([this] { Layout(); });
}

void TZqBPInput::scrollContentsBy(int, int)
{
    if (m_inLayout)
        return;
    Guarded([this] {
        CloseEditor();
        HideRowPanel();
        const int oldX = m_geo.X.scroll, oldY = m_geo.Y.scroll;
        m_geo.ScrollTo(m_geo.X, horizontalScrollBar()->value());
        m_geo.ScrollTo(m_geo.Y, verticalScrollBar()->value());
        viewport()->scroll(oldX - m_geo.X.scroll, oldY - m_geo.Y.scroll);
    });
}

void TZqBPInput::wheelEvent(QWheelEvent* e)
{
    const int notches = e->angleDelta().y() / 120;
    if (notches != 0 && m_geo.Y.enabled)
        verticalScrollBar()->setValue(verticalScrollBar()->value() - notches * 10);
    e->accept();
}

// ---- painting ----

void TZqBPInput::paintEvent(QPaintEvent* e)
{
    QPainter p(viewport());
    const QRect dev = e->rect();
    p.fillRect(dev, zq::toQColor(Color));
    if (m_empty) {
        QString tip = DefaultTipText();
        Guarded([&] {
            if (OnGetTipInfo)
                OnGetTipInfo(tip);
        });
        zq::LogFont lf;
        lf.faceName = QStringLiteral("宋体");
        lf.height = 12;
        p.setFont(zq::toQFont(lf));
        p.setPen(zq::toQColor(128));
        const QRect area = viewport()->rect().adjusted(0, 0, -18, -12);
        p.drawText(area, Qt::AlignRight | Qt::AlignBottom, tip);
        return;
    }
    try {
        PaintPage(p, dev);
    } catch (...) {
        // A paint must never fail the window; the next one tries again.
    }
}

void TZqBPInput::PaintPage(QPainter& p, const QRect& dev)
{
    zq::QtCanvas dc(p);
    dc.setMapping(m_geo.Mapping());
    const QPoint a = m_geo.ToLogical(dev.topLeft());
    const QPoint b = m_geo.ToLogical(dev.bottomRight());
    const QRect paint(a, QPoint(b.x() + 1, b.y() + 1)); // logical, covering every touched pixel
    const TZqTemplate& t = *m_tpl;
    const QRect page(0, 0, t.TempWidth, t.TempHeight);
    if (!t.BkPic().isNull()) {
        dc.drawImage(page, t.BkPic());
    } else {
        dc.fillSolid(page, t.BkColor);
    }
    for (int i = 0; i < t.ItemCount(); ++i) {
        TZqItem* it = t.Item(i);
        if (!it->GetBounds().normalized().adjusted(-5, -5, 5, 5).intersects(paint))
            continue;
        zq::CanvasSaver keep(dc);
        it->Draw(dc, dmInput, paint, 0, 0);
    }
    if (t.BkPic().isNull()) {
        zq::Pen pen;
        pen.color = zq::kBlack;
        dc.setPen(pen);
        const int W = t.TempWidth, H = t.TempHeight;
        dc.drawPolyline({{W, 0}, {W, H}, {-1, H}, {-1, -1}, {W + 1, -1}});
    }
}

// ---- mouse ----

bool TZqBPInput::viewportEvent(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        // The first item in template order under the mouse with a hint has its say.
        auto* he = static_cast<QHelpEvent*>(e);
        if (!m_empty) {
            const QPoint lp = m_geo.ToLogical(he->pos());
            for (int i = 0; i < m_tpl->ItemCount(); ++i) {
                TZqItem* it = m_tpl->Item(i);
                if (it->PtInShape(lp) && !it->Hint.isEmpty()) {
                    QToolTip::showText(he->globalPos(), it->Hint, viewport());
                    return true;
                }
            }
        }
        QToolTip::hideText();
        e->ignore();
        return true;
    }
    return QAbstractScrollArea::viewportEvent(e);
}

void TZqBPInput::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    Guarded([&] {
        if (m_empty)
            return;
        if (!CloseEditor())
            return;
        const QPoint devPos = e->position().toPoint();
        const TZqInputSession::Click c = m_session.ClickAt(m_geo.ToLogical(devPos));
        if (c.kind == TZqInputSession::Click::LimitFlag) {
            if (OnCurrencyLimitFlagClick)
                OnCurrencyLimitFlagClick(static_cast<TZqCurrency*>(c.target.item), devPos);
        } else if (c.kind == TZqInputSession::Click::OpenEditor) {
            OpenTarget(c.target);
        }
    });
}

void TZqBPInput::mouseMoveEvent(QMouseEvent* e)
{
    Guarded([&] {
        if (m_empty)
            return;
        const QPoint lp = m_geo.ToLogical(e->position().toPoint());
        for (TZqItem* it : m_session.TabList())
            if (it->PtInShape(lp)) {
                viewport()->setToolTip(it->Hint);
                if (it->Kind() == itGrid) {
                    auto* g = static_cast<TZQGridEx*>(it);
                    const TZqGridCell* cell = g->CellAt(lp);
                    if (cell && g->RowKind(cell->RowIndex()) == 1) {
                        PlaceRowPanel(g, cell->RowIndex());
                        return;
                    }
                }
                HideRowPanel();
                return;
            }
        viewport()->setToolTip(QString());
        QToolTip::hideText();
        HideRowPanel();
    });
    QAbstractScrollArea::mouseMoveEvent(e);
}

// ---- keys ----

bool TZqBPInput::focusNextPrevChild(bool) { return false; } // Tab belongs to the control

bool TZqBPInput::NavigationKey(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Escape:
        Guarded([this] {
            CloseEditor();
            setFocus(Qt::OtherFocusReason);
        });
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        Guarded([this] { MoveNext(); });
        return true;
    default:
        return false;
    }
}

void TZqBPInput::keyPressEvent(QKeyEvent* e)
{
    if (!NavigationKey(e))
        QAbstractScrollArea::keyPressEvent(e);
}

void TZqBPInput::MoveNext()
{
    if (m_empty || m_session.TabList().empty())
        return;
    TZqInputSession::Target from;
    if (m_session.Editing()) {
        from = m_session.EditTarget();
        if (!CloseEditor())
            return; // the value was refused: the editor stays where it is
    }
    const TZqInputSession::Target next = m_session.NextPlace(from);
    if (next)
        OpenTarget(next);
}

void TZqBPInput::focusOutEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusOutEvent(e);
}

void TZqBPInput::EditorLostFocus()
{
    if (m_closing || m_inMessage || m_inPick || !m_editor)
        return;
    QWidget* f = QApplication::focusWidget();
    if (f && (f == m_editor || m_editor->isAncestorOf(f)))
        return; // moved within the editor (the pick button)
    if (f == this)
        return; // the control's own click or key closes it, once
    Guarded([this] { CloseEditor(); });
}

// ---- the editor ----

QWidget* TZqBPInput::EditorWidget() const { return m_editor; }
QPlainTextEdit* TZqBPInput::EditorBox() const { return m_box; }
QToolButton* TZqBPInput::PickButton() const { return m_pick; }

void TZqBPInput::OpenEditor(TZqItem* item)
{
    if (!item || m_empty || !CloseEditor())
        return;
    if (!m_session.Allowed(item))
        return;
    OpenTarget(TZqInputSession::Target{item});
}

void TZqBPInput::OpenTarget(const TZqInputSession::Target& t)
{
    m_session.Open(t);
    auto* panel = new TZqEditorPanel(viewport());
    m_editor = panel;
    const TZqItem& item = *t.item;
    if (m_session.EditKind() == TZqEditorKind::Check) {
        if (t.Cell()) {
            m_flag = new TZqCheckFlag(this, panel, CellTruth(m_session.OpenedText()), 0);
        } else {
            const auto& check = static_cast<const TZqCheck&>(item);
            m_flag = new TZqCheckFlag(this, panel, check.Checked != 0, check.SignStyle);
        }
    } else {
        m_box = new TZqEditBox(this, panel);
        zq::LogFont lf;
        lf.faceName = QStringLiteral("宋体");
        QFont f = zq::toQFont(lf);
        // Cells take the size of edit-like items.
        const int points = t.Cell() ? zq::roundToInt(m_geo.Zoom * 10) : EditorPointSize(item, m_geo.Zoom);
        f.setPointSize(std::max(1, points));
        m_box->setFont(f);
        m_box->setToolTip(item.Hint);
        m_box->setPlainText(m_session.OpenedText());
        if (m_session.EditKind() == TZqEditorKind::PickOnly)
            m_box->setReadOnly(true);
        if (m_session.EditKind() != TZqEditorKind::Text) {
            m_pick = new QToolButton(panel);
            m_pick->setArrowType(Qt::DownArrow);
            m_pick->setFocusPolicy(Qt::NoFocus);
            connect(m_pick.data(), &QToolButton::clicked, this, [this] { PickClicked(); });
        } else {
            m_box->selectAll();
        }
        if (m_session.EditKind() != TZqEditorKind::Text) {
            QTextCursor c = m_box->textCursor();
            c.movePosition(QTextCursor::End);
            m_box->setTextCursor(c);
        }
    }
    PlaceEditor();
    panel->show();
    if (m_box)
        m_box->setFocus(Qt::OtherFocusReason);
    else if (m_flag)
        m_flag->setFocus(Qt::OtherFocusReason);
}

void TZqBPInput::PlaceEditor()
{
    if (!m_editor || !m_session.Editing())
        return;
    const TZqInputSession::Target& t = m_session.EditTarget();
    const QRect r = EditorRect(m_session.EditKind() == TZqEditorKind::Check, m_geo.ToDevice(t.Area()));
    m_editor->setGeometry(r);
    const QRect inner = QRect(QPoint(0, 0), r.size()).adjusted(1, 1, -1, -1);
    const int bw = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QRect boxRect = inner;
    if (m_pick) {
        // The button only fits an editor wider than itself.
        if (r.width() > bw) {
            m_pick->setGeometry(inner.right() - bw + 1, inner.top(), bw, inner.height());
            m_pick->show();
            boxRect.setRight(inner.right() - bw);
        } else {
            m_pick->hide();
        }
    }
    if (m_box)
        m_box->setGeometry(boxRect);
    if (m_flag)
        m_flag->setGeometry(inner);
}

void TZqBPInput::PickClicked()
{
    if (!m_box || !m_session.Editing())
        return;
    Guarded([this] {
        QString text = m_box->toPlainText();
        if (OnItemButtonClick) {
            m_inPick = true;
            const TZqInputSession::Target t = m_session.EditTarget();
            try {
                OnItemButtonClick(t.item, t.col, t.row, text);
            } catch (...) {
                m_inPick = false;
                throw;
            }
            m_inPick = false;
        }
        if (!m_box)
            return;
        m_box->setPlainText(text);
        QTextCursor c = m_box->textCursor();
        c.movePosition(QTextCursor::End);
        m_box->setTextCursor(c);
        m_box->setFocus(Qt::OtherFocusReason);
    });
}

void TZqBPInput::DestroyEditor()
{
    if (m_editor) {
        QFrame* e = m_editor;
        m_editor = nullptr;
        m_box = nullptr;
        m_pick = nullptr;
        m_flag = nullptr;
        e->hide();
        // The editor's own handlers may be on the stack.
        e->deleteLater();
    }
}

bool TZqBPInput::CloseEditor()
{
    if (!m_session.Editing())
        return true;
    if (m_closing)
        return false;
    m_closing = true;
    const QString text = m_flag ? CheckText(m_flag->Flag()) : m_box ? m_box->toPlainText() : m_session.OpenedText();
    const bool keepOnError = m_session.EditKind() == TZqEditorKind::PickOnly;
    try {
        m_session.Commit(text);
    } catch (const std::exception& e) {
        const QString reason = errorText(e);
        if (!keepOnError) {
            m_session.Drop();
            DestroyEditor();
        }
        // While the box is up the editor's losing the focus closes nothing.
        m_inMessage = true;
        ShowMessage(this, TZqMsgKind::Warning, LeadAndReason(QStringLiteral("错误:"), reason));
        m_inMessage = false;
        m_closing = false;
        if (keepOnError && m_box)
            m_box->setFocus(Qt::OtherFocusReason);
        else
            setFocus(Qt::OtherFocusReason);
        return false;
    }
    const bool hadFocus = m_editor && m_editor->isAncestorOf(QApplication::focusWidget());
    DestroyEditor();
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
    m_closing = false;
    return true;
}

void TZqBPInput::OpenCellEditor(TZQGridEx* grid, int col, int row)
{
    if (!grid || m_empty || !CloseEditor())
        return;
    TZqGridCell* cell = grid->Cell(col, row);
    if (!cell || cell->Block() != cell || cell->ReadOnly || !m_session.Allowed(grid, col, row))
        return;
    OpenTarget(TZqInputSession::CellTarget(cell));
}

// ---- the row panel ----

QWidget* TZqBPInput::RowPanel() const { return m_rowPanel; }

void TZqBPInput::PlaceRowPanel(TZQGridEx* grid, int row)
{
    const QRect g = m_geo.ToDevice(grid->GetBounds());
    const QRect r = m_geo.ToDevice(grid->RangeRect(0, row, 0, row));
    m_rowPanel->move(g.left() - 25, r.top() + (r.height() - m_rowPanel->height()) / 2);
    m_panelGrid = grid;
    m_panelRow = row;
    m_rowPanel->show();
}

void TZqBPInput::HideRowPanel()
{
    if (m_rowPanel)
        m_rowPanel->hide();
}

void TZqBPInput::RowPanelClicked()
{
    // Popped up without a nested loop: the commands run from the menu's own events.
    m_rowMenu->popup(m_rowPanel->mapToGlobal(QPoint(0, m_rowPanel->height() - 3)));
}

void TZqBPInput::RunRowCommand(TZqRowCommand cmd)
{
    // The editor may sit on a row that is about to move or go away.
    if (!CloseEditor())
        return;
    HideRowPanel();
    TZQGridEx* g = m_panelGrid;
    const int row = m_panelRow;
    m_panelGrid = nullptr;
    m_panelRow = -1;
    bool known = false;
    for (int i = 0; i < m_tpl->ItemCount(); ++i)
        known = known || m_tpl->Item(i) == g;
    if (!known)
        return;
    ApplyRowCommand(*m_tpl, *g, row, cmd);
    Layout();
}
