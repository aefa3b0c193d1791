#pragma once
// What the data-entry control decides, kept apart from the widget so that it
// runs without a window: which items take input and in which order, where the
// page lies at a zoom, what a click hits, which editor an item gets and how
// the editor's text goes back into the item.
#include "model/ZqTemplate.h"
#include "platform/Canvas.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <functional>
#include <optional>
#include <vector>

class TZqCheck;
class TZqCurrency;
class TZQGridEx;
class TZqGridCell;

namespace zqv {

// The host's say on whether an item (cell -1, -1) or a grid cell may be entered.
using CanInputFn = std::function<bool(TZqItem* item, int col, int row)>;

// The kinds that enter the input sequence.
bool IsSequenceKind(const TZqItem& item);
int TabOrderOf(const TZqItem& item);
// Grids: every cell is read-only.
bool IsReadOnly(const TZqItem& item);

// The input sequence: sequence kinds in template order, less the read-only
// ones (check items have no read-only flag) and those the host refuses, then
// put in order of their tab numbers by an exchange sort that also swaps equal
// numbers, so items sharing a number come out in an order of their own.
std::vector<TZqItem*> BuildTabList(const TZqTemplate& t, const CanInputFn& canInput);
// The sort alone, over (tab number, item) pairs.
void ExchangeSortByTabOrder(std::vector<std::pair<int, TZqItem*>>& entries);

// The page on screen: its size at the zoom, the scroll bars, the centring
// margins and the logical-to-device mapping.
struct TZqAxis {
    bool enabled = false; // the scroll bar can move
    int max = 0;          // largest scroll position
    int page = 0;
    int scroll = 0;
    int margin = 0;
};

class TZqPageGeometry {
public:
    double Zoom = 1.0;
    int PageW = 0, PageH = 0; // template pixels
    TZqAxis X, Y;

    // round(size * Zoom + 0.5) device pixels.
    static int DeviceSize(int size, double zoom);
    QSize DevicePage() const { return {DeviceSize(PageW, Zoom), DeviceSize(PageH, Zoom)}; }
    // Recomputes both axes for a client size, keeping the scroll positions in range.
    void Layout(QSize client);
    // Sets a scroll position, limited to the range; false when it did not change.
    bool ScrollTo(TZqAxis& axis, int pos);
    // Window extent 1000, viewport extent round(Zoom * 1000), origin (margin - scroll).
    zq::Mapping Mapping() const;
    QPoint ToLogical(QPoint device) const;
    QRect ToDevice(const QRect& logical) const;
    // Whether the window needs the scroll bar of an axis at a client size.
    static bool NeedsBar(int client, int page) { return client < page + 20; }
};

// The topmost item (last in template order) whose shape holds the point.
TZqItem* ItemAt(const TZqTemplate& t, QPoint logical);
// A click on the bottom-right 7 x 7 corner of an amount box that shows its limit mark.
bool InLimitCorner(const TZqCurrency& c, QPoint logical);

// Sets a check item; when it becomes checked every other check item whose
// group (trimmed) is the same unchecks.
void SetCheckInGroup(TZqTemplate& t, TZqCheck& check, bool checked);

// Grid cells in input order: row by row, left to right; a merged block counts
// at its first cell; read-only cells and those the host refuses are skipped.
// The first enterable cell after (col, row), or from the start with col -1;
// nullptr when there is none.
TZqGridCell* NextEnterableCell(const TZQGridEx& g, int col, int row, const CanInputFn& canInput);

// The row panel's menu on a detail row of a grid. After each command the
// template fits its grids and every formula is evaluated again.
enum class TZqRowCommand { InsertBefore, InsertAfter, InsertThreeBefore, InsertThreeAfter, Delete };
// Deleting keeps the last detail row; false when nothing changed.
bool ApplyRowCommand(TZqTemplate& t, TZQGridEx& g, int row, TZqRowCommand cmd);
// The menu texts, in menu order.
QString RowCommandText(TZqRowCommand cmd);

// The editor an item gets.
enum class TZqEditorKind {
    Text,     // an edit box showing the value, all selected
    Pick,     // edit box and pick button
    PickOnly, // read-only edit box and pick button: changed through the button only
    Check,    // a state flag toggled by clicks and keys
};
TZqEditorKind EditorKindOf(const TZqItem& item);
TZqEditorKind EditorKindOf(const TZqGridCell& cell);
// What the editor shows when it opens.
QString EditorTextOf(const TZqItem& item);
// The editor's font size in points at a zoom: 10 for edit-like items, 9 for combo boxes and dates.
int EditorPointSize(const TZqItem& item, double zoom);
// The editor's rectangle in device pixels: over the item, at least 50 (check 20) wide and 20 high.
QRect EditorRect(const TZqItem& item, const QRect& deviceRect);
QRect EditorRect(bool check, const QRect& deviceRect);
// A cell's editor area in template pixels: the cell widened by one pixel to
// the left (not in the first column) and upwards (not in the first row).
QRect CellEditorArea(const TZQGridEx& g, const TZqGridCell& cell);

// The session of data entry over one template: the sequence, the current
// position and the open editor. The widget shows what this decides.
class TZqInputSession {
public:
    struct Target {
        TZqItem* item = nullptr;
        int col = -1, row = -1; // grid cells only
        explicit operator bool() const { return item != nullptr; }
        bool operator==(const Target&) const = default;
        // The grid cell, or none.
        TZqGridCell* Cell() const;
        // Logical rectangle the editor covers.
        QRect Area() const;
    };
    static Target CellTarget(TZqGridCell* cell);

    CanInputFn CanInput; // none: every item may be entered

    void Reset(TZqTemplate* t);
    void BuildTabList();
    const std::vector<TZqItem*>& TabList() const { return m_tabList; }
    int TabIndex = 0;

    // Where the input goes after Enter or Tab: from the open editor's target
    // (given as `from`: in a grid, its next enterable cell) or, with none,
    // from the current position. Wraps to the first item after the last; a
    // grid is entered at its first enterable cell. Nothing when the sequence
    // is empty or the host refuses the place.
    Target NextPlace(const Target& from);

    // What a left click at a logical point does.
    struct Click {
        enum Kind { Nothing, OpenEditor, LimitFlag } kind = Nothing;
        Target target;
    };
    // Sets TabIndex and, for check items, toggles them (with their group).
    Click ClickAt(QPoint logical);

    // The open editor.
    bool Editing() const { return static_cast<bool>(m_edit); }
    const Target& EditTarget() const { return m_edit; }
    TZqEditorKind EditKind() const { return m_editKind; }
    const QString& OpenedText() const { return m_openedText; }
    void Open(const Target& target);
    // Writes the editor's text into its target. An unchanged text of a
    // pick-only editor (dates) is not written. A setter's error is thrown with
    // the editor still open, so the caller decides whether it stays.
    void Commit(const QString& text);
    // Forgets the editor without writing.
    void Drop() { m_edit = {}; }

    bool Allowed(TZqItem* item, int col = -1, int row = -1) const
    {
        return !CanInput || CanInput(item, col, row);
    }

private:
    TZqTemplate* m_t = nullptr;
    std::vector<TZqItem*> m_tabList;
    Target m_edit;
    TZqEditorKind m_editKind = TZqEditorKind::Text;
    QString m_openedText;
};

// The text of a check editor's state.
inline QString CheckText(bool flag) { return flag ? QStringLiteral("True") : QStringLiteral("False"); }

} // namespace zqv
