#pragma once
// The data-entry control: a bill's template shown at a zoom over its
// background picture and filled in item by item through small in-place
// editors. The decisions live in InputLogic; this is the window over them.
#include "model/ZqTemplate.h"
#include "view/InputLogic.h"

#include <QAbstractScrollArea>
#include <QPointer>
#include <functional>
#include <memory>

class QFrame;
class QMenu;
class QPlainTextEdit;
class QToolButton;
class TZqCurrency;

class TZQGridEx;

namespace zqv {
class TZqEditBox;
class TZqCheckFlag;
class TZqRowPanel;
}

class TZqBPInput : public QAbstractScrollArea, public TZQBPCtrlBase {
public:
    explicit TZqBPInput(QWidget* parent = nullptr);
    ~TZqBPInput() override;

    // Events. Cells are given as column and row (-1, -1 for items that are not grids).
    std::function<void(TZqItem* item, int col, int row, QString& text)> OnItemButtonClick;
    std::function<void(TZqCurrency* currency, QPoint mousePos)> OnCurrencyLimitFlagClick;
    std::function<void(QString& tipInfo)> OnGetTipInfo;
    std::function<void(QObject* sender, bool canPaste)> OnCanPaste;
    std::function<void(bool& canInput, QObject* sender, TZqItem* item, int col, int row)> OnItemCanInput;
    std::function<void(TZqItem* item, int col, int row)> OnItemValueChanged;

    // Reads a template file. On failure the bill shown stays and the reason is
    // shown as "打开文件失败：" and the error; false then.
    bool LoadFromFile(const QString& name);
    // Reads a template into a new document and takes it only when that
    // succeeded; errors (zq::Error) reach the caller.
    void LoadFromStream(QByteArrayView data);
    QByteArray SaveToStream() const;
    void SetItemValues(const QList<TZqItemValue>& list);
    void SetNameValues(const QStringList& lines);
    void ResetValues();
    void SetZoom(double zoom);
    double Zoom() const { return m_geo.Zoom; }

    TZqTemplate& Template() { return *m_tpl; }
    bool Empty() const { return m_empty; }
    // The page colour around the sheet (0x00BBGGRR).
    quint32 Color = 0x808080;

    // State, for hosts and tests.
    const zqv::TZqInputSession& Session() const { return m_session; }
    const zqv::TZqPageGeometry& Geometry() const { return m_geo; }
    bool Editing() const { return m_session.Editing(); }
    QWidget* EditorWidget() const;         // the panel, or none
    QPlainTextEdit* EditorBox() const;     // its edit box (none for check items)
    QToolButton* PickButton() const;       // none when the editor has no button
    // Opens the editor over an item (nothing when input is refused).
    void OpenEditor(TZqItem* item);
    // Closes the editor, writing its text; false when the value was refused
    // (a date's editor then stays open, any other is closed) and the caller
    // should not move on.
    bool CloseEditor();
    // Enter and Tab: close the editor and move to the next place.
    void MoveNext();
    // The pick button (or F2) of the open editor.
    void PickClicked();
    // Opens the editor on a grid cell (nothing when input is refused).
    void OpenCellEditor(TZQGridEx* grid, int col, int row);

    // The row panel of grids and its menu: shown left of a detail row under the mouse.
    QWidget* RowPanel() const;
    QMenu* RowMenu() const { return m_rowMenu; }
    TZQGridEx* PanelGrid() const { return m_panelGrid; }
    int PanelRow() const { return m_panelRow; }
    // A menu command on the panel's grid and row; the editor is closed first.
    void RunRowCommand(zqv::TZqRowCommand cmd);

    // TZQBPCtrlBase
    TZqHostKind HostKind() const override { return TZqHostKind::DataEntry; }
    void InvalidateItemRect(const QRect& logical, bool erase) override;
    void ItemValueChanged(TZqItem* item, int col, int row) override;
    void Relayout() override;

    // The text shown with no template when no handler gives one.
    static QString DefaultTipText();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    bool viewportEvent(QEvent* e) override;

private:
    friend class zqv::TZqEditBox;
    friend class zqv::TZqCheckFlag;
    friend class zqv::TZqRowPanel;
    // Runs an action of an event handler; an error is shown, never passed on
    // into the event loop.
    template <class F> void Guarded(F&& f);
    void ShowError(const QString& lead, const QString& reason);
    void Layout();
    void PaintPage(QPainter& p, const QRect& deviceRect);
    void OpenTarget(const zqv::TZqInputSession::Target& t);
    void PlaceEditor();
    void DestroyEditor();
    // Key handling shared by the control and its editor; true when taken.
    bool NavigationKey(QKeyEvent* e);
    void EditorLostFocus();
    void PlaceRowPanel(TZQGridEx* grid, int row);
    void HideRowPanel();
    void RowPanelClicked();
    zqv::CanInputFn CanInputFn();

    std::unique_ptr<TZqTemplate> m_tpl;
    bool m_empty = true;
    zqv::TZqInputSession m_session;
    zqv::TZqPageGeometry m_geo;

    QPointer<QFrame> m_editor;
    QPointer<zqv::TZqEditBox> m_box;
    QPointer<QToolButton> m_pick;
    QPointer<zqv::TZqCheckFlag> m_flag;
    bool m_closing = false;   // CloseEditor is running
    bool m_inMessage = false; // a message box is up: focus changes close nothing
    bool m_inPick = false;    // the pick handler runs: its dialogs close nothing
    bool m_inLayout = false;

    zqv::TZqRowPanel* m_rowPanel = nullptr;
    QMenu* m_rowMenu = nullptr;
    TZQGridEx* m_panelGrid = nullptr;
    int m_panelRow = -1;
};
