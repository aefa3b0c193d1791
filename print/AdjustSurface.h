#pragma once
// The adjustment surface's document: its own copy of a filled bill in which
// dates and amounts printed into pre-printed boxes are cut into one small
// edit item per box, a selection, the moves and resizes, the saved format
// taken over by name, and the drawing of the printable items onto a page.
// The window of the print window shows it; the print run uses it headless.
#include "model/ZqTemplate.h"
#include "platform/Canvas.h"

#include <QRect>
#include <functional>
#include <vector>

class TZqDate;
class TZqCurrency;

namespace zqp {

// One part of a cut item: the edit item it becomes.
struct TZqPart {
    QString Name;
    QRect Bounds;
    QString Text;
    bool operator==(const TZqPart&) const = default;
};

// The year, month and day parts of a date (a column less its caption box).
std::vector<TZqPart> DateParts(const TZqDate& d);
// The digit boxes of an amount, left (highest place) to right; empty when
// High lies below Low. Digits that do not fit leave every box empty.
std::vector<TZqPart> AmountBoxes(const TZqCurrency& c);

enum class TZqArrow { Left, Right, Up, Down };

class TZqAdjustDoc : public TZQBPCtrlBase {
public:
    TZqAdjustDoc();
    ~TZqAdjustDoc() override;

    TZqTemplate& Template() { return *m_tpl; }
    const TZqTemplate& Template() const { return *m_tpl; }

    // Loads a template stream and prepares its items: Visible follows
    // PrintSelf; dates without printed captions and amounts not printed whole
    // are cut into parts (appended), the cut item itself neither shows nor
    // prints. Errors (zq::Error) reach the caller; the selection is emptied.
    void LoadFromStream(QByteArrayView data);
    QByteArray SaveToStream() const { return m_tpl->SaveToStream(); }
    void SaveToFile(const QString& path) const { m_tpl->SaveToFile(path); }

    // A saved format: every item of the same kind and exact name takes over
    // position, size and, for text-bearing kinds, the font. Print flags stay.
    void ApplyFormat(const TZqTemplate& format);

    const std::vector<TZqItem*>& Selection() const { return m_sel; }
    int SelectedCount() const { return static_cast<int>(m_sel.size()); }
    void Select(TZqItem* item, bool on);
    void DeselectAll();
    // Every item that prints, in template order.
    void SelectAll();
    // A left click: true when a rubber band starts (empty space, no Ctrl).
    bool Click(QPoint pt, bool ctrl);
    // The band released: every shown item whose centre lies in it.
    void SelectInBand(QRect band);
    TZqItem* ItemAt(QPoint pt) const;

    // Moves the selection by a distance in millimetres (round to pixels, no limits).
    void MoveSelected(TZqArrow direction, double mm);
    // The arrow keys: move by 1 (8 with Ctrl); with Shift resize within the page.
    void ArrowKey(TZqArrow direction, bool shift, bool ctrl);
    void SetSelectedPrintSelf(bool on);
    // The font of the first selected text-bearing item; false when there is none.
    bool SelectedFont(QString& face, int& points, bool& bold, bool& italic) const;
    void SetSelectedFont(const QString& face, int points, bool bold, bool italic);

    // The printable items in print mode, shifted by (dx, dy); the page is
    // filled white first, or the background picture drawn when asked.
    void PrintTo(zq::Canvas& dc, int dx, int dy, bool withBackground) const;

    // The items a print would leave wrong: amounts whose figures do not fit
    // their boxes. Empty when the page can print.
    QStringList Unprintable() const;

    // Repaint requests of the window (template pixels).
    std::function<void(const QRect&)> OnInvalidate;

    TZqHostKind HostKind() const override { return TZqHostKind::Adjust; }
    void InvalidateItemRect(const QRect& logical, bool erase) override;
    void ItemValueChanged(TZqItem*, int, int) override {}
    void Relayout() override {}

private:
    void Prepare();
    void Repaint(const TZqItem* item);
    std::unique_ptr<TZqTemplate> m_tpl;
    std::vector<TZqItem*> m_sel;
};

// The font fields of the text-bearing kinds; false for the other kinds.
struct TZqFontRef {
    QString* face = nullptr;
    double* size = nullptr;
    quint8* bold = nullptr;
    quint8* italic = nullptr;
};
bool ItemFontRef(TZqItem& item, TZqFontRef& ref, bool includeSerial);

} // namespace zqp
