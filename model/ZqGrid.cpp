#include "ZqGrid.h"

#include "AmountWords.h"
#include "ZqDate.h"
#include "ZqEdit.h"
#include "ZqFieldItem.h"
#include "ZqSmallInputs.h"
#include "ZqTemplate.h"
#include "base/Error.h"
#include "base/Gbk.h"
#include "base/NumberText.h"
#include "base/Rounding.h"
#include "draw/TextDraw.h"
#include "expr/ExpCalc.h"

#include <QHash>
#include <algorithm>
#include <cmath>

using namespace zq;

namespace {

constexpr int kHeadTail = 47882; // > : head and tail row counts are stored
constexpr int kNewColWidth = 68;
constexpr int kNewRowHeight = 20;
// The smallest cell record: 112 bytes of numbers, flags and empty strings.
constexpr int kMinCellBytes = 6 * 4 + 2 * 4 + 2 + (4 + 4 + 3) + 3 + 4 + 2 + 4 + 3 + 4 + 3 + 2 + 4 + 2 + 2 * 4 + 4
                              + 4 * 4 + 2 * 4;
static_assert(kMinCellBytes == 112);

double cellNumber(const QString& text) { return parseNumber(text).value_or(0.0); }

double cellDate(const QString& text, bool withTime)
{
    const auto d = parseDateTimeText(text);
    if (!d)
        return 0;
    return withTime ? *d : std::floor(*d);
}

} // namespace

// ---------------------------------------------------------------- helpers

QString ColName(int n)
{
    if (n < 0)
        return {};
    if (n < 26)
        return QString(QChar(u'A' + n));
    // Beyond two letters the first letter keeps counting past Z (never reached by a real grid).
    return QString(QChar(u'A' + n / 26 - 1)) + QChar(u'A' + n % 26);
}

int ColIndex(const QString& letters)
{
    const QString s = asciiUpper(letters);
    if (s.isEmpty())
        throw Error(QStringLiteral("列标错误"));
    if (s.size() == 1)
        return s[0].unicode() - u'A';
    return (s[0].unicode() - u'A' + 1) * 26 + (s[1].unicode() - u'A');
}

bool ParseCellRef(const QString& text, int& col, int& row)
{
    auto upper = [](QChar c) { return c >= u'A' && c <= u'Z'; };
    if (text.startsWith(u'$')) {
        if (text.size() < 2)
            return false;
        for (qsizetype i = 1; i < text.size(); ++i)
            if (!upper(text[i]))
                return false;
        col = ColIndex(text.mid(1));
        row = -1;
        return true;
    }
    qsizetype i = 0;
    while (i < text.size() && upper(text[i]))
        ++i;
    if (i == 0)
        return false;
    bool ok = false;
    const int n = text.mid(i).toInt(&ok);
    if (!ok)
        return false;
    col = ColIndex(text.left(i));
    row = n - 1;
    return true;
}

bool CellTruth(const QString& text)
{
    if (const auto x = parseNumber(text))
        return *x != 0;
    return sameTextAscii(text, u"True");
}

// ---------------------------------------------------------------- cell

int TZqGridCell::RowIndex() const { return Row ? Row->Index : 0; }
TZQGridEx* TZqGridCell::Grid() const { return Row ? Row->Grid : nullptr; }

int TZqGridCell::DataTypeOf() const
{
    switch (CellType) {
    case ctEdit: return OnlyDigit ? 1 : 2;
    case ctDate: return 3;
    case ctCheck: return 4;
    default: return 2;
    }
}

QString TZqGridCell::DisplayText() const
{
    if (CellType == ctEdit && OnlyDigit) {
        if (Text.isEmpty())
            return {};
        const double x = cellNumber(Text);
        if (HideZero && x == 0)
            return {};
        if (const auto words = WordsForAutoUpper(AutoUpper <= 8 ? AutoUpper : 0, Text, HideZero))
            return *words;
        // Without a number of decimals the text stays as typed (1234.50 keeps its zero).
        const QString t = Decimal < 0 ? Text : formatFixed(x, std::min(Decimal, 6));
        return ThousandSplit ? groupThousands(t) : t;
    }
    if (CellType != ctDate)
        return Text;
    const auto serial = parseDateTimeText(Text);
    if (!serial)
        return {};
    TZqDate d;
    d.DateValue = *serial;
    d.Type = DateType <= 3 ? DateType : 0;
    d.Format = DateFormat <= 11 ? DateFormat : 2;
    QString s;
    for (int n = 1; n <= d.PartCount(); ++n)
        s += d.PartText(n) + d.PartCaption(n);
    if (s.isEmpty())
        return {};
    const qsizetype space = Text.indexOf(u' ');
    if (IncludeTime && space >= 0)
        s += Text.mid(space + 1);
    return s;
}

void TZqGridCell::CopyAttributes(const TZqGridCell& s)
{
    LeftL = s.LeftL;
    TopL = s.TopL;
    RightL = s.RightL;
    BottomL = s.BottomL;
    BgColor = s.BgColor;
    TextColor = s.TextColor;
    HorzAlign = s.HorzAlign;
    VertAlign = s.VertAlign;
    Font = s.Font;
    CellType = s.CellType;
    OnlyDigit = s.OnlyDigit;
    Decimal = s.Decimal;
    AutoUpper = s.AutoUpper;
    ThousandSplit = s.ThousandSplit;
    HideZero = s.HideZero;
    Reserved1 = s.Reserved1;
    DateType = s.DateType;
    DateFormat = s.DateFormat;
    IncludeTime = s.IncludeTime;
    Reserved2 = s.Reserved2;
    Reserved3 = s.Reserved3;
    Reserved4 = s.Reserved4;
    Reserved5 = s.Reserved5;
    Reserved6 = s.Reserved6;
    SubTblName = s.SubTblName;
    SubTblFldName = s.SubTblFldName;
    SubTblRowNo = s.SubTblRowNo;
    DataSourceTable = s.DataSourceTable;
    DataSourceField = s.DataSourceField;
    Group = s.Group;
    ReadOnly = s.ReadOnly;
    SaveToPrtRec = s.SaveToPrtRec;
    FixedText = s.FixedText;
    Alias = s.Alias;
}

void TZqGridCell::VisitProps(TZqPropVisitor& v)
{
    v.i32("ColSpan", ColSpan);
    v.i32("RowSpan", RowSpan);
    v.i32("LeftL", LeftL);
    v.i32("TopL", TopL);
    v.i32("RightL", RightL);
    v.i32("BottomL", BottomL);
    v.color("BgColor", BgColor);
    v.color("TextColor", TextColor);
    v.u8("HorzAlign", HorzAlign);
    v.u8("VertAlign", VertAlign);
    v.text("FontName", Font.FontName);
    v.real("FontSize", Font.FontSize);
    v.u8("Bold", Font.Bold);
    v.u8("Italic", Font.Italic);
    v.u8("Underline", Font.Underline);
    v.u8("CellType", CellType);
    v.u8("ReadOnly", ReadOnly);
    v.u8("SaveToPrtRec", SaveToPrtRec);
    v.text("Text", Text);
    v.u8("FixedText", FixedText);
    v.u8("OnlyDigit", OnlyDigit);
    v.i32("Decimal", Decimal);
    v.u8("AutoUpper", AutoUpper);
    v.u8("ThousandSplit", ThousandSplit);
    v.u8("HideZero", HideZero);
    v.u8("DateType", DateType);
    v.u8("DateFormat", DateFormat);
    v.u8("IncludeTime", IncludeTime);
    v.text("SubTblName", SubTblName);
    v.text("SubTblFldName", SubTblFldName);
    v.i32("SubTblRowNo", SubTblRowNo);
    v.text("DataSourceTable", DataSourceTable);
    v.text("DataSourceField", DataSourceField);
    v.text("Group", Group);
    v.text("Alias", Alias);
}

// ---------------------------------------------------------------- grid basics

void TZQGridEx::InitDefaults()
{
    TZQRect::InitDefaults();
    AllowAdjustColWidth = AllowAdjustRowHeight = 1;
}

std::unique_ptr<TZqGridCell> TZQGridEx::NewCell(TZQGridRow* row, int col) const
{
    auto c = std::make_unique<TZqGridCell>();
    c->Row = row;
    c->Col = col;
    return c;
}

std::unique_ptr<TZQGridRow> TZQGridEx::NewRow(int index) const
{
    auto r = std::make_unique<TZQGridRow>();
    r->Grid = const_cast<TZQGridEx*>(this);
    r->Index = index;
    for (int c = 0; c < ColCount(); ++c)
        r->Cells.push_back(NewCell(r.get(), c));
    return r;
}

void TZQGridEx::Renumber()
{
    for (size_t i = 0; i < Rows.size(); ++i) {
        Rows[i]->Index = static_cast<int>(i);
        Rows[i]->Grid = this;
        for (size_t c = 0; c < Rows[i]->Cells.size(); ++c) {
            Rows[i]->Cells[c]->Col = static_cast<int>(c);
            Rows[i]->Cells[c]->Row = Rows[i].get();
        }
    }
}

void TZQGridEx::InitGrid(int cols, int rows)
{
    Rows.clear();
    m_head = 1;
    m_tail = 0;
    ColWidths.assign(static_cast<size_t>(std::max(cols, 0)), kNewColWidth);
    RowHeights.assign(static_cast<size_t>(std::max(rows, 0)), kNewRowHeight);
    for (int r = 0; r < rows; ++r)
        Rows.push_back(NewRow(r));
}

int TZQGridEx::RowKind(int row) const
{
    if (row < m_head)
        return 0;
    if (row > RowCount() - m_tail - 1)
        return 2;
    return 1;
}

TZqGridCell* TZQGridEx::Cell(int col, int row) const
{
    if (row < 0 || row >= RowCount() || col < 0 || col >= ColCount())
        return nullptr;
    return Rows[static_cast<size_t>(row)]->Cells[static_cast<size_t>(col)].get();
}

// ---------------------------------------------------------------- structure

void TZQGridEx::AppendCols(int n)
{
    for (auto& row : Rows)
        for (int i = 0; i < n; ++i)
            row->Cells.push_back(NewCell(row.get(), static_cast<int>(row->Cells.size())));
    ColWidths.insert(ColWidths.end(), static_cast<size_t>(std::max(n, 0)), kNewColWidth);
}

void TZQGridEx::AppendRows(int n)
{
    for (int i = 0; i < n; ++i) {
        Rows.push_back(NewRow(RowCount()));
        RowHeights.push_back(kNewRowHeight);
    }
}

bool TZQGridEx::IsOwnGridSym(const TZqWndExpSym& s) const
{
    return s.IsItem && s.ItemType == itGrid && sameTextAscii(s.CtrlName, Name());
}

void TZQGridEx::ShiftRefs(bool cols, int at, int n, bool insert)
{
    if (!Template)
        return;
    auto& list = Template->Expressions();
    const int last = at + n - 1;
    auto first = [cols](TZqWndExpSym& s) -> int& { return cols ? s.Col1 : s.Row1; };
    auto second = [cols](TZqWndExpSym& s) -> int& { return cols ? s.Col2 : s.Row2; };
    for (size_t i = 0; i < list.size();) {
        TZqWndExpression& e = *list[i];
        TZqWndExpSym& t = e.Target;
        if (IsOwnGridSym(t) && first(t) != -1) {
            if (insert) {
                if (first(t) >= at) {
                    first(t) += n;
                    second(t) += n;
                }
            } else if (first(t) >= at && first(t) <= last) {
                list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            } else if (first(t) > last) {
                first(t) -= n;
                second(t) -= n;
            }
        }
        for (TZqWndExpSym& s : e.Symbols) {
            if (!IsOwnGridSym(s) || (!cols && s.Row1 == -1))
                continue;
            int& a = first(s);
            int& b = second(s);
            if (insert) {
                if (a >= at) {
                    a += n;
                    b += n;
                } else if (b >= at) {
                    b += n;
                }
                continue;
            }
            if (b < at)
                continue;
            if (a > last) {
                a -= n;
                b -= n;
            } else if (a < at && b > last) {
                b -= n;
            } else if (a >= at && b <= last) {
                s.RefError = 1;
            } else if (a < at) {
                b = at - 1;
            } else {
                // Starts inside the deleted run and reaches beyond it: what is left
                // is the part after the run, which now starts at `at`.
                const int width = b - a + 1;
                const int inside = last - a + 1;
                a = at;
                b = at + (width - inside) - 1;
            }
        }
        ++i;
    }
}

void TZQGridEx::InsertCols(int at, int n)
{
    if (n <= 0 || at < 0 || at > ColCount())
        return;
    for (auto& row : Rows)
        for (int i = 0; i < n; ++i)
            row->Cells.insert(row->Cells.begin() + at, NewCell(row.get(), at));
    ColWidths.insert(ColWidths.begin() + at, static_cast<size_t>(n), kNewColWidth);
    Renumber();
    for (auto& row : Rows)
        for (auto& c : row->Cells)
            if (!c->Master && c->ColSpan > 1 && c->Col < at && at <= c->Col + c->ColSpan - 1) {
                c->ColSpan += n;
                for (int r = c->RowIndex(); r < c->RowIndex() + c->RowSpan; ++r)
                    for (int k = at; k < at + n; ++k)
                        Cell(k, r)->Master = c.get();
            }
    ShiftRefs(true, at, n, true);
}

void TZQGridEx::InsertRows(int at, int n)
{
    if (n <= 0 || at < 0 || at > RowCount())
        return;
    for (int i = 0; i < n; ++i) {
        Rows.insert(Rows.begin() + at, NewRow(at));
        RowHeights.insert(RowHeights.begin() + at, kNewRowHeight);
    }
    Renumber();
    for (auto& row : Rows)
        for (auto& c : row->Cells)
            if (!c->Master && c->RowSpan > 1 && row->Index < at && at <= row->Index + c->RowSpan - 1) {
                c->RowSpan += n;
                for (int r = at; r < at + n; ++r)
                    for (int k = c->Col; k < c->Col + c->ColSpan; ++k)
                        Cell(k, r)->Master = c.get();
            }
    ShiftRefs(false, at, n, true);
}

// Merges reaching into the columns (or rows) at..at+n-1 that are about to be
// deleted: a merge around the run shrinks by n, one starting before it ends at
// it, and one whose master goes with the run is dissolved.
void TZQGridEx::TrimSpans(bool cols, int at, int n)
{
    const int last = at + n - 1;
    for (auto& row : Rows)
        for (auto& c : row->Cells) {
            int& span = cols ? c->ColSpan : c->RowSpan;
            if (c->Master || span <= 1)
                continue;
            const int s = cols ? c->Col : row->Index, e = s + span - 1;
            if (e < at || s > last)
                continue;
            if (s < at && last < e)
                span -= n;
            else if (s < at)
                span = at - s;
            else if (last < e) {
                for (int r = row->Index; r < row->Index + c->RowSpan; ++r)
                    for (int k = c->Col; k < c->Col + c->ColSpan; ++k)
                        if (TZqGridCell* x = Cell(k, r); x && x->Master == c.get())
                            x->Master = nullptr;
                c->ColSpan = c->RowSpan = 1;
            }
        }
}

void TZQGridEx::DeleteCols(int at, int n)
{
    if (at < 0 || at >= ColCount() || n <= 0)
        return;
    n = std::min(n, ColCount() - at);
    TrimSpans(true, at, n);
    ShiftRefs(true, at, n, false);
    for (auto& row : Rows)
        row->Cells.erase(row->Cells.begin() + at, row->Cells.begin() + at + n);
    ColWidths.erase(ColWidths.begin() + at, ColWidths.begin() + at + n);
    Renumber();
}

void TZQGridEx::DeleteRows(int at, int n)
{
    if (at < 0 || at >= RowCount() || n <= 0)
        return;
    n = std::min(n, RowCount() - at);
    const int last = at + n - 1;
    TrimSpans(false, at, n);
    ShiftRefs(false, at, n, false);
    // Deleted head or tail rows leave their band, so the bands never hold more
    // rows than the grid (the body count never goes negative).
    const int tailStart = RowCount() - m_tail;
    const int fromHead = std::max(0, std::min(last, m_head - 1) - at + 1);
    const int fromTail = std::max(0, last - std::max(at, tailStart) + 1);
    Rows.erase(Rows.begin() + at, Rows.begin() + at + n);
    RowHeights.erase(RowHeights.begin() + at, RowHeights.begin() + at + n);
    Renumber();
    m_head -= fromHead;
    m_tail -= fromTail;
}

void TZQGridEx::SetHeadRowCount(int n)
{
    n = std::max(n, 0);
    if (n > m_head)
        InsertRows(m_head, n - m_head);
    else if (n < m_head)
        DeleteRows(n, m_head - n);
    m_head = n;
    m_tail = std::min(m_tail, RowCount() - m_head);
}

void TZQGridEx::SetTailRowCount(int n)
{
    n = std::max(n, 0);
    if (n > m_tail)
        AppendRows(n - m_tail);
    else if (n < m_tail)
        DeleteRows(RowCount() - (m_tail - n), m_tail - n);
    m_tail = std::min(n, RowCount() - m_head);
}

void TZQGridEx::SetBodyRowCount(int n)
{
    n = std::max(n, 0);
    const int e = BodyRowCount();
    if (n > e)
        InsertRows(RowCount() - m_tail, n - e);
    else if (n < e)
        DeleteRows(m_head + n, e - n);
}

bool TZQGridEx::MergeCells()
{
    const QRect s = SelectionRect();
    if (s.left() < 0)
        return true;
    if (RowKind(s.top()) == 1)
        return false;
    TZqGridCell* m = Cell(s.left(), s.top());
    for (int r = s.top(); r <= s.bottom(); ++r)
        for (int c = s.left(); c <= s.right(); ++c) {
            TZqGridCell* x = Cell(c, r);
            if (x == m)
                continue;
            x->Master = m;
            x->ColSpan = x->RowSpan = 1;
            x->Selected = 0;
        }
    m->Master = nullptr;
    m->ColSpan = s.width();
    m->RowSpan = s.height();
    m->Selected = 1;
    return true;
}

bool TZQGridEx::UnmergeCells()
{
    const QRect s = SelectionRect();
    if (s.left() < 0)
        return true;
    if (RowKind(s.top()) == 1)
        return false;
    for (int r = s.top(); r <= s.bottom(); ++r)
        for (int c = s.left(); c <= s.right(); ++c) {
            TZqGridCell* x = Cell(c, r);
            x->Master = nullptr;
            x->ColSpan = x->RowSpan = 1;
        }
    return true;
}

void TZQGridEx::EqualColWidths()
{
    const QRect s = SelectionRect();
    if (s.left() < 0)
        return;
    for (int c = s.left() + 1; c <= s.right(); ++c)
        ColWidths[static_cast<size_t>(c)] = ColWidths[static_cast<size_t>(s.left())];
}

void TZQGridEx::EqualRowHeights()
{
    const QRect s = SelectionRect();
    if (s.left() < 0)
        return;
    for (int r = s.top() + 1; r <= s.bottom(); ++r)
        RowHeights[static_cast<size_t>(r)] = RowHeights[static_cast<size_t>(s.top())];
}

void TZQGridEx::SetBorders(TZqGridCell* cell, int left, int bottom, int right, int top)
{
    const int c1 = cell->Col, r1 = cell->RowIndex();
    const int c2 = c1 + cell->ColSpan - 1, r2 = r1 + cell->RowSpan - 1;
    if (left >= 0) {
        cell->LeftL = left;
        if (c1 > 0)
            for (int r = r1; r <= r2; ++r)
                Cell(c1 - 1, r)->RightL = left;
    }
    if (top >= 0) {
        cell->TopL = top;
        if (r1 > 0)
            for (int c = c1; c <= c2; ++c)
                Cell(c, r1 - 1)->BottomL = top;
    }
    if (right >= 0) {
        cell->RightL = right;
        if (c2 < ColCount() - 1)
            for (int r = r1; r <= r2; ++r)
                Cell(c2 + 1, r)->LeftL = right;
    }
    if (bottom >= 0) {
        cell->BottomL = bottom;
        if (r2 < RowCount() - 1)
            for (int c = c1; c <= c2; ++c)
                Cell(c, r2 + 1)->TopL = bottom;
    }
}

// ---------------------------------------------------------------- selection

void TZQGridEx::SelectCell(TZqGridCell* cell)
{
    for (auto& row : Rows)
        for (auto& c : row->Cells)
            c->Selected = c.get() == cell ? 1 : 0;
}

QRect TZQGridEx::ExpandToMerges(QRect r) const
{
    bool grew = true;
    while (grew) {
        grew = false;
        for (int row = r.top(); row <= r.bottom() && !grew; ++row)
            for (int col = r.left(); col <= r.right() && !grew; ++col) {
                const TZqGridCell* b = Cell(col, row);
                if (!b)
                    continue;
                b = b->Block();
                const QRect block(b->Col, b->RowIndex(), b->ColSpan, b->RowSpan);
                if (!r.contains(block)) {
                    r = r.united(block);
                    grew = true;
                }
            }
    }
    return r;
}

void TZQGridEx::SelectRange(int c1, int r1, int c2, int r2, bool add)
{
    const QRect r = ExpandToMerges(QRect(QPoint(std::min(c1, c2), std::min(r1, r2)), QPoint(std::max(c1, c2), std::max(r1, r2))));
    for (auto& row : Rows)
        for (auto& c : row->Cells) {
            if (r.contains(c->Col, row->Index))
                c->Block()->Selected = 1;
            else if (!add && !c->Master)
                c->Selected = 0;
        }
}

QRect TZQGridEx::SelectionRect() const
{
    QRect s;
    for (const auto& row : Rows)
        for (const auto& c : row->Cells)
            if (c->Selected && !c->Master)
                s = s.united(QRect(c->Col, row->Index, c->ColSpan, c->RowSpan));
    if (s.isNull())
        return QRect(-1, -1, 0, 0);
    return s;
}

// ---------------------------------------------------------------- geometry

int TZQGridEx::ColStart(int col) const
{
    int x = XPos;
    for (int c = 0; c < col && c < ColCount(); ++c)
        x += ColWidths[static_cast<size_t>(c)];
    return x;
}

int TZQGridEx::RowStart(int row) const
{
    int y = YPos;
    for (int r = 0; r < row && r < RowCount(); ++r)
        y += RowHeights[static_cast<size_t>(r)];
    return y;
}

QRect TZQGridEx::RangeRect(int c1, int r1, int c2, int r2) const
{
    const int x = ColStart(c1), y = RowStart(r1);
    return QRect(x, y, ColStart(c2 + 1) - x, RowStart(r2 + 1) - y);
}

QRect TZQGridEx::CellRect(const TZqGridCell* cell) const
{
    const int c = cell->Col, r = cell->RowIndex();
    return RangeRect(c, r, c + cell->ColSpan - 1, r + cell->RowSpan - 1);
}

TZqGridCell* TZQGridEx::CellAt(QPoint p) const
{
    int col = -1, row = -1;
    for (int c = 0, x = XPos; c < ColCount(); x += ColWidths[static_cast<size_t>(c)], ++c)
        if (p.x() >= x && p.x() < x + ColWidths[static_cast<size_t>(c)])
            col = c;
    for (int r = 0, y = YPos; r < RowCount(); y += RowHeights[static_cast<size_t>(r)], ++r)
        if (p.y() >= y && p.y() < y + RowHeights[static_cast<size_t>(r)])
            row = r;
    TZqGridCell* c = Cell(col, row);
    return c ? c->Block() : nullptr;
}

QPoint TZQGridEx::CellIndexAt(QPoint p) const
{
    QPoint at(-1, -1);
    for (int c = 0, x = XPos; c < ColCount(); x += ColWidths[static_cast<size_t>(c)], ++c)
        if (p.x() > x && p.x() <= x + ColWidths[static_cast<size_t>(c)])
            at.setX(c);
    for (int r = 0, y = YPos; r < RowCount(); y += RowHeights[static_cast<size_t>(r)], ++r)
        if (p.y() > y && p.y() <= y + RowHeights[static_cast<size_t>(r)])
            at.setY(r);
    return at;
}

bool TZQGridEx::PtInCellArea(QPoint p) const
{
    if (ColCount() == 0)
        return false;
    auto band = [&](int r1, int r2) {
        return r1 <= r2 && RangeRect(0, r1, ColCount() - 1, r2).adjusted(0, 0, 1, 1).contains(p);
    };
    return band(0, m_head - 1) || (BodyRowCount() > 0 && band(m_head, m_head))
           || band(RowCount() - m_tail, RowCount() - 1);
}

void TZQGridEx::RepaintCell(int col, int row) const
{
    TZQBPCtrlBase* owner = OwnerControl();
    const TZqGridCell* c = Cell(col, row);
    if (owner && c)
        owner->InvalidateItemRect(CellRect(c->Block()), false);
}

bool TZQGridEx::HitTest(QPoint pt, int& code) const
{
    if (GetBounds().contains(pt)) {
        auto band = [&](int r1, int r2) {
            for (int r = r1; r <= r2; ++r)
                for (const auto& c : Rows[static_cast<size_t>(r)]->Cells) {
                    const QRect cr = CellRect(c->Block());
                    if (!cr.adjusted(0, 0, 1, 1).contains(pt))
                        continue;
                    if (AllowAdjustColWidth && pt.x() >= cr.left() + cr.width() - 2)
                        code = 4;
                    else if (AllowAdjustRowHeight && pt.y() >= cr.top() + cr.height() - 2)
                        code = 3;
                    else
                        code = 2;
                    return true;
                }
            return false;
        };
        if (band(0, m_head - 1) || (BodyRowCount() > 0 && band(m_head, m_head))
            || band(RowCount() - m_tail, RowCount() - 1))
            return true;
    }
    return TZQRect::HitTest(pt, code);
}

// ---------------------------------------------------------------- values

QString TZQGridEx::CellText(const TZqGridCell* cell) const
{
    switch (CellEditMode) {
    case 0: return cell->Text;
    case 1: return cell->Alias;
    default: return {};
    }
}

void TZQGridEx::ValueSet(TZqGridCell* cell, const QString& text)
{
    bool same;
    if (cell->CellType == ctEdit && cell->OnlyDigit)
        same = cellNumber(text) == cellNumber(cell->Text);
    else if (cell->CellType == ctDate)
        same = cellDate(text, cell->IncludeTime) == cellDate(cell->Text, cell->IncludeTime);
    else
        same = text == cell->Text;
    if (same)
        return;
    cell->Text = text;
    ValueChanged(cell->Col, cell->RowIndex());
}

void TZQGridEx::SetCellText(TZqGridCell* cell, const QString& text)
{
    const TZQBPCtrlBase* owner = OwnerControl();
    if (!owner || owner->HostKind() != TZqHostKind::Design) {
        // Values from data entry, a print run or the command line: the cell's
        // value, never fixed designer text.
        ValueSet(cell, text);
        return;
    }
    switch (CellEditMode) {
    case 0:
        cell->Text = text;
        cell->FixedText = text.isEmpty() ? 0 : 1;
        break;
    case 1: cell->Alias = text; break;
    case 2: {
        const qsizetype comma = text.indexOf(u',');
        cell->DataSourceTable = comma < 0 ? text : text.left(comma);
        cell->DataSourceField = comma < 0 ? QString() : text.mid(comma + 1);
        break;
    }
    case 3: cell->Group = text; break;
    case 4: {
        const QStringList parts = text.split(u',');
        if (parts.size() < 3)
            break;
        const QString a = parts[0].trimmed(), b = parts[1].trimmed();
        bool ok = false;
        const int n = QStringList(parts.mid(2)).join(u',').trimmed().toInt(&ok);
        if (!a.isEmpty() && !b.isEmpty() && ok) {
            cell->SubTblName = a;
            cell->SubTblFldName = b;
            cell->SubTblRowNo = n;
        }
        break;
    }
    default: break;
    }
}

void TZQGridEx::ResetValue()
{
    for (auto& row : Rows)
        for (auto& c : row->Cells)
            if (!c->FixedText)
                SetCellText(c.get(), QString());
}

namespace {
QString cellValueName(const TZQGridEx& g, const TZqGridCell& c)
{
    if (!c.Alias.isEmpty())
        return g.Name() + u'_' + c.Alias;
    return QStringLiteral("%1_%2_%3").arg(g.Name()).arg(c.Col).arg(c.RowIndex());
}
} // namespace

void TZQGridEx::AppendValues(QList<TZqItemValue>& out) const
{
    for (int c = 0; c < ColCount(); ++c)
        for (int r = 0; r < RowCount(); ++r) {
            const TZqGridCell* cell = Cell(c, r);
            TZqItemValue v;
            v.Kind = itGrid;
            v.Name = cellValueName(*this, *cell);
            v.Value = cell->Text;
            v.SubTblName = cell->SubTblName;
            v.SubTblFldName = cell->SubTblFldName;
            v.SubTblRowNo = r;
            v.SaveToPrtRec = cell->SaveToPrtRec;
            v.DataType = cell->DataTypeOf();
            out.append(v);
        }
}

void TZQGridEx::ApplyValues(const QList<TZqItemValue>& records)
{
    QHash<QString, const TZqItemValue*> byName;
    for (const TZqItemValue& v : records)
        if (!byName.contains(v.Name))
            byName.insert(v.Name, &v);
    for (auto& row : Rows)
        for (auto& c : row->Cells)
            if (!c->FixedText)
                if (const TZqItemValue* v = byName.value(cellValueName(*this, *c), nullptr))
                    SetCellText(c.get(), v->Value);
}

void TZQGridEx::AppendNameValues(QStringList& out) const
{
    for (int c = 0; c < ColCount(); ++c)
        for (int r = 0; r < RowCount(); ++r) {
            const TZqGridCell* cell = Cell(c, r);
            out.append(cellValueName(*this, *cell) + u'=' + cell->Text);
        }
}

void TZQGridEx::ApplyNameValues(const std::function<std::optional<QString>(const QString&)>& lookup)
{
    for (auto& row : Rows)
        for (auto& c : row->Cells)
            if (!c->FixedText)
                if (const auto v = lookup(cellValueName(*this, *c)); v && !v->isEmpty())
                    SetCellText(c.get(), *v);
}

std::optional<int> TZQGridEx::RowsHeight() const
{
    int h = 0;
    for (int x : RowHeights)
        h += x;
    return h;
}

void TZQGridEx::CloneRow(int src, int dst)
{
    if (src < 0 || src >= RowCount() || dst < 0 || dst >= RowCount() || src == dst)
        return;
    TZQGridRow& s = *Rows[static_cast<size_t>(src)];
    TZQGridRow& d = *Rows[static_cast<size_t>(dst)];
    d.RowFlag = s.RowFlag;
    // Grid names compare without ASCII case here as everywhere else.
    auto ownExact = [this](const TZqWndExpSym& x) { return IsOwnGridSym(x); };
    if (Template) {
        auto& list = Template->Expressions();
        std::erase_if(list, [&](const auto& e) { return ownExact(e->Target) && e->Target.Row1 == dst; });
    }
    auto dissolve = [this](TZqGridCell* m) {
        for (int r = m->RowIndex(); r < m->RowIndex() + m->RowSpan; ++r)
            for (int c = m->Col; c < m->Col + m->ColSpan; ++c)
                if (TZqGridCell* x = Cell(c, r); x && x->Master == m)
                    x->Master = nullptr;
        m->ColSpan = m->RowSpan = 1;
    };
    for (auto& c : d.Cells)
        if (!c->Master && (c->ColSpan > 1 || c->RowSpan > 1))
            dissolve(c.get());
    for (auto& c : d.Cells)
        if (c->Master)
            dissolve(c->Master);
    for (auto& c : s.Cells)
        if (!c->Master && (c->ColSpan > 1 || c->RowSpan > 1)) {
            TZqGridCell* m = Cell(c->Col, dst);
            const int cs = std::min(c->ColSpan, ColCount() - c->Col), rs = std::min(c->RowSpan, RowCount() - dst);
            for (int r = dst; r < dst + rs; ++r)
                for (int k = c->Col; k < c->Col + cs; ++k)
                    if (TZqGridCell* x = Cell(k, r); x != m) {
                        if (x->Master || x->ColSpan > 1 || x->RowSpan > 1)
                            dissolve(x->Block());
                        x->Master = m;
                    }
            m->ColSpan = cs;
            m->RowSpan = rs;
        }
    for (int c = 0; c < ColCount(); ++c)
        d.Cells[static_cast<size_t>(c)]->CopyAttributes(*s.Cells[static_cast<size_t>(c)]);
    if (!Template)
        return;
    auto& list = Template->Expressions();
    const size_t before = list.size();
    const int delta = dst - src;
    for (size_t i = 0; i < before; ++i) {
        const TZqWndExpression& e = *list[i];
        if (!ownExact(e.Target) || e.Target.Row1 != src)
            continue;
        auto copy = std::make_unique<TZqWndExpression>();
        copy->Target = e.Target;
        copy->Target.Row1 = dst;
        copy->Target.Row2 += delta;
        copy->Symbols = e.Symbols;
        for (TZqWndExpSym& x : copy->Symbols) {
            if (!ownExact(x) || x.Row1 == -1)
                continue;
            x.Row1 += delta;
            x.Row2 += delta;
            if (x.Row1 < 0 || x.Row2 < 0 || x.Row1 > RowCount() - 1 || x.Row2 > RowCount() - 1)
                throw Error(QStringLiteral("克隆行公式时出错，行标越界"));
        }
        list.push_back(std::move(copy));
    }
}

void TZQGridEx::ResetBodyRows()
{
    if (BodyRowCount() <= 1)
        return;
    for (int r = m_head + 1; r < RowCount() - m_tail; ++r)
        CloneRow(m_head, r);
}

void TZQGridEx::InsertRowCopy(int src, int at)
{
    InsertRows(at, 1);
    CloneRow(src >= at ? src + 1 : src, at);
}

bool TZQGridEx::AllReadOnly() const
{
    for (const auto& row : Rows)
        for (const auto& c : row->Cells)
            if (!c->Block()->ReadOnly)
                return false;
    return true;
}

// ---------------------------------------------------------------- formula support

bool TZQGridEx::ParseRange(const QString& part, int& c1, int& r1, int& c2, int& r2) const
{
    try {
        const qsizetype colon = part.indexOf(u':');
        if (colon >= 0) {
            if (!ParseCellRef(part.left(colon), c1, r1) || !ParseCellRef(part.mid(colon + 1), c2, r2))
                return false;
            if (c1 >= ColCount() || c2 >= ColCount() || r1 >= RowCount() || r2 >= RowCount())
                return false;
            return !(r1 == -1 && r2 != -1);
        }
        if (!ParseCellRef(part, c1, r1))
            return false;
        c2 = c1;
        r2 = r1;
        return c1 < ColCount() && r1 < RowCount();
    } catch (const Error&) {
        return false;
    }
}

namespace {
// The rectangle of a range, body rows for whole columns; clipped to the grid.
struct Span {
    int c1, r1, c2, r2;
    int cols() const { return std::max(0, c2 - c1 + 1); }
    int rows() const { return std::max(0, r2 - r1 + 1); }
};
} // namespace

static Span rangeSpan(const TZQGridEx& g, int c1, int r1, int c2, int r2)
{
    if (r1 == -1) {
        r1 = g.HeadRowCount();
        r2 = g.RowCount() - g.TailRowCount() - 1;
    }
    return {std::max(c1, 0), std::max(r1, 0), std::min(c2, g.ColCount() - 1), std::min(r2, g.RowCount() - 1)};
}

double TZQGridEx::RangeSum(int c1, int r1, int c2, int r2) const
{
    const Span s = rangeSpan(*this, c1, r1, c2, r2);
    double sum = 0;
    for (int c = s.c1; c <= s.c2; ++c)
        for (int r = s.r1; r <= s.r2; ++r)
            sum += cellNumber(CellText(Cell(c, r)));
    return sum;
}

double TZQGridEx::RangeCount(int c1, int r1, int c2, int r2) const
{
    const Span s = rangeSpan(*this, c1, r1, c2, r2);
    return static_cast<double>(s.cols()) * s.rows();
}

double TZQGridEx::RangeAverage(int c1, int r1, int c2, int r2) const
{
    const double n = RangeCount(c1, r1, c2, r2);
    return n > 0 ? RangeSum(c1, r1, c2, r2) / n : 0; // an empty range averages to 0
}

double TZQGridEx::RangeMax(int c1, int r1, int c2, int r2) const
{
    const Span s = rangeSpan(*this, c1, r1, c2, r2);
    if (s.cols() == 0 || s.rows() == 0)
        return 0;
    double m = cellNumber(CellText(Cell(s.c1, s.r1)));
    for (int c = s.c1; c <= s.c2; ++c)
        for (int r = s.r1; r <= s.r2; ++r)
            m = std::max(m, cellNumber(CellText(Cell(c, r))));
    return m;
}

double TZQGridEx::RangeMin(int c1, int r1, int c2, int r2) const
{
    const Span s = rangeSpan(*this, c1, r1, c2, r2);
    if (s.cols() == 0 || s.rows() == 0)
        return 0;
    double m = cellNumber(CellText(Cell(s.c1, s.r1)));
    for (int c = s.c1; c <= s.c2; ++c)
        for (int r = s.r1; r <= s.r2; ++r)
            m = std::min(m, cellNumber(CellText(Cell(c, r))));
    return m;
}

// ---------------------------------------------------------------- stream

void TZQGridEx::ReadCellRecord(ByteReader& r, TZqGridCell& c, int row)
{
    c.ColSpan = r.i32();
    c.RowSpan = r.i32();
    c.LeftL = r.i32();
    c.TopL = r.i32();
    c.RightL = r.i32();
    c.BottomL = r.i32();
    c.BgColor = r.u32();
    c.TextColor = r.u32();
    c.HorzAlign = r.u8();
    c.VertAlign = r.u8();
    c.Font.FontName = r.str();
    c.Font.FontSize = r.f32();
    c.Font.Bold = r.u8();
    c.Font.Italic = r.u8();
    c.Font.Underline = r.u8();
    c.CellType = r.u8();
    c.ReadOnly = r.u8();
    c.SaveToPrtRec = r.u8();
    c.Text = r.str();
    c.FixedText = r.u8();
    c.OnlyDigit = r.u8();
    c.Decimal = std::clamp(r.i32(), -1, 6);
    c.AutoUpper = r.u8();
    c.ThousandSplit = r.u8();
    c.HideZero = r.u8();
    c.Reserved1 = r.str();
    c.DateType = r.u8();
    c.DateFormat = r.u8();
    c.IncludeTime = r.u8();
    c.Reserved2 = r.u8();
    c.Reserved3 = r.u8();
    c.Reserved4 = r.str();
    c.Reserved5 = r.u8();
    c.Reserved6 = r.u8();
    c.SubTblName = r.str();
    c.SubTblFldName = r.str();
    c.SubTblRowNo = r.i32();
    c.DataSourceTable = r.str();
    c.DataSourceField = r.str();
    c.Group = r.str();
    c.Alias = r.str();
    const int mc = r.i32(), mr = r.i32();
    if (mc == -1 && mr == -1)
        return;
    // A master precedes the cells it covers in reading order.
    const bool before = mr < row || (mr == row && mc < c.Col);
    TZqGridCell* m = before ? Cell(mc, mr) : nullptr;
    if (!m || m->Master || mc > c.Col || m->Col + m->ColSpan <= c.Col || m->RowIndex() + m->RowSpan <= row
        || c.ColSpan != 1 || c.RowSpan != 1)
        throw Error(QStringLiteral("表格单元格的合并信息错误"));
    c.Master = m;
}

void TZQGridEx::ReadGridBody(ByteReader& r, int version)
{
    SetNameRaw(r.str());
    TabOrder = r.i32();
    const int cols = r.i32();
    const int rows = r.i32();
    if (cols < 0 || rows < 0 || (cols > 0 && static_cast<qint64>(rows) * cols * kMinCellBytes > r.remaining())
        || static_cast<qint64>(cols + rows) * 4 > r.remaining())
        throw Error(QStringLiteral("表格的行列数错误"));
    Rows.clear();
    ColWidths.resize(static_cast<size_t>(cols));
    RowHeights.resize(static_cast<size_t>(rows));
    for (int& w : ColWidths)
        w = r.i32();
    for (int& h : RowHeights)
        h = r.i32();
    for (int i = 0; i < rows; ++i) {
        auto row = std::make_unique<TZQGridRow>();
        row->Grid = this;
        row->Index = i;
        row->RowFlag = r.u8();
        TZQGridRow* rp = row.get();
        Rows.push_back(std::move(row));
        for (int c = 0; c < cols; ++c) {
            rp->Cells.push_back(NewCell(rp, c));
            ReadCellRecord(r, *rp->Cells.back(), i);
        }
    }
    AllowAdjustColWidth = r.u8();
    AllowAdjustRowHeight = r.u8();
    m_head = m_tail = 0;
    if (version > kHeadTail) {
        const int head = r.i32(), tail = r.i32();
        if (head < 0 || tail < 0 || static_cast<qint64>(head) + tail > rows)
            throw Error(QStringLiteral("表格的表头行数或表尾行数错误"));
        m_head = head;
        m_tail = tail;
    }
    // Every block's span stays inside the grid and its covered cells point back to it.
    for (const auto& row : Rows)
        for (const auto& c : row->Cells) {
            if (c->ColSpan < 1 || c->RowSpan < 1 || c->Col + c->ColSpan > cols || row->Index + c->RowSpan > rows)
                throw Error(QStringLiteral("表格单元格的合并信息错误"));
            if (c->Master)
                continue;
            for (int rr = row->Index; rr < row->Index + c->RowSpan; ++rr)
                for (int cc = c->Col; cc < c->Col + c->ColSpan; ++cc)
                    if (const TZqGridCell* x = Cell(cc, rr); x != c.get() && x->Master != c.get())
                        throw Error(QStringLiteral("表格单元格的合并信息错误"));
        }
}

void TZQGridEx::WriteGridBody(ByteWriter& w) const
{
    w.str(Name());
    w.i32(TabOrder);
    w.i32(ColCount());
    w.i32(RowCount());
    for (int x : ColWidths)
        w.i32(x);
    for (int x : RowHeights)
        w.i32(x);
    for (const auto& row : Rows) {
        w.u8(row->RowFlag);
        for (const auto& cp : row->Cells) {
            const TZqGridCell& c = *cp;
            w.i32(c.ColSpan);
            w.i32(c.RowSpan);
            w.i32(c.LeftL);
            w.i32(c.TopL);
            w.i32(c.RightL);
            w.i32(c.BottomL);
            w.u32(c.BgColor);
            w.u32(c.TextColor);
            w.u8(c.HorzAlign);
            w.u8(c.VertAlign);
            w.str(c.Font.FontName);
            w.f32(static_cast<float>(c.Font.FontSize));
            w.u8(c.Font.Bold);
            w.u8(c.Font.Italic);
            w.u8(c.Font.Underline);
            w.u8(c.CellType);
            w.u8(c.ReadOnly);
            w.u8(c.SaveToPrtRec);
            w.str(c.Text);
            w.u8(c.FixedText);
            w.u8(c.OnlyDigit);
            w.i32(c.Decimal);
            w.u8(c.AutoUpper);
            w.u8(c.ThousandSplit);
            w.u8(c.HideZero);
            w.str(c.Reserved1);
            w.u8(c.DateType);
            w.u8(c.DateFormat);
            w.u8(c.IncludeTime);
            w.u8(c.Reserved2);
            w.u8(c.Reserved3);
            w.str(c.Reserved4);
            w.u8(c.Reserved5);
            w.u8(c.Reserved6);
            w.str(c.SubTblName);
            w.str(c.SubTblFldName);
            w.i32(c.SubTblRowNo);
            w.str(c.DataSourceTable);
            w.str(c.DataSourceField);
            w.str(c.Group);
            w.str(c.Alias);
            w.i32(c.Master ? c.Master->Col : -1);
            w.i32(c.Master ? c.Master->RowIndex() : -1);
        }
    }
    w.u8(AllowAdjustColWidth);
    w.u8(AllowAdjustRowHeight);
    w.i32(m_head);
    w.i32(m_tail);
}

void TZQGridEx::ReadRecord(ByteReader& r, int version) { TZQRect::ReadRecord(r, version); }
void TZQGridEx::WriteRecord(ByteWriter& w) const { TZQRect::WriteRecord(w); }

void TZQGridEx::ReadTail(ByteReader& r, int version)
{
    TZqItem::ReadTail(r, version);
    ReadGridBody(r, version);
}

void TZQGridEx::WriteTail(ByteWriter& w) const
{
    TZqItem::WriteTail(w);
    WriteGridBody(w);
}

void TZQGridEx::ReadClip(ByteReader& r) { TZQRect::ReadClip(r); }
void TZQGridEx::WriteClip(ByteWriter& w) const { TZQRect::WriteClip(w); }

void TZQGridEx::ReadClipTail(ByteReader& r)
{
    TZqItem::ReadClipTail(r);
    // The complete stream record follows, as the current version writes it.
    TZQGridEx copy;
    copy.ReadStreamFull(r, ZqVersion::kCurrent);
    Rows = std::move(copy.Rows);
    ColWidths = std::move(copy.ColWidths);
    RowHeights = std::move(copy.RowHeights);
    AllowAdjustColWidth = copy.AllowAdjustColWidth;
    AllowAdjustRowHeight = copy.AllowAdjustRowHeight;
    TabOrder = copy.TabOrder;
    m_head = copy.m_head;
    m_tail = copy.m_tail;
    Renumber();
}

void TZQGridEx::WriteClipTail(ByteWriter& w) const
{
    TZqItem::WriteClipTail(w);
    WriteStreamFull(w);
}

int TZQGridEx::ClipSizeFull() const
{
    ByteWriter w;
    WriteStreamFull(w);
    return TZqItem::ClipSizeFull() + static_cast<int>(w.size());
}

void TZQGridEx::VisitProps(TZqPropVisitor& v)
{
    VisitItemProps(v);
    VisitRectProps(v);
    v.u8("AllowAdjustColWidth", AllowAdjustColWidth);
    v.u8("AllowAdjustRowHeight", AllowAdjustRowHeight);
    v.i32("TabOrder", TabOrder);
}

void TZQGridEx::LinkMerges()
{
    for (auto& row : Rows)
        for (auto& c : row->Cells)
            c->Master = nullptr;
    for (auto& row : Rows)
        for (auto& c : row->Cells) {
            if (c->Master)
                continue;
            if (c->ColSpan < 1 || c->RowSpan < 1 || c->Col + c->ColSpan > ColCount()
                || row->Index + c->RowSpan > RowCount())
                throw Error(QStringLiteral("表格单元格的合并信息错误"));
            for (int r = row->Index; r < row->Index + c->RowSpan; ++r)
                for (int k = c->Col; k < c->Col + c->ColSpan; ++k) {
                    TZqGridCell* x = Cell(k, r);
                    if (x == c.get())
                        continue;
                    if (x->Master || x->ColSpan != 1 || x->RowSpan != 1)
                        throw Error(QStringLiteral("表格单元格的合并信息错误"));
                    x->Master = c.get();
                }
        }
}

void TZQGridEx::SetStructure(std::vector<int> colWidths, std::vector<int> rowHeights,
                             std::vector<std::vector<std::unique_ptr<TZqGridCell>>> cells,
                             std::vector<quint8> rowFlags, int head, int tail)
{
    const size_t cols = colWidths.size();
    if (cells.size() != rowHeights.size() || rowFlags.size() != rowHeights.size())
        throw Error(QStringLiteral("表格的行列数错误"));
    for (const auto& row : cells)
        if (row.size() != cols)
            throw Error(QStringLiteral("表格的行列数错误"));
    if (head < 0 || tail < 0 || static_cast<size_t>(head) + static_cast<size_t>(tail) > rowHeights.size())
        throw Error(QStringLiteral("表格的表头行数或表尾行数错误"));
    Rows.clear();
    ColWidths = std::move(colWidths);
    RowHeights = std::move(rowHeights);
    for (size_t i = 0; i < cells.size(); ++i) {
        auto row = std::make_unique<TZQGridRow>();
        row->RowFlag = rowFlags[i];
        row->Cells = std::move(cells[i]);
        Rows.push_back(std::move(row));
    }
    Renumber();
    m_head = head;
    m_tail = tail;
    LinkMerges();
}

// ---------------------------------------------------------------- painting

void TZQGridEx::PaintCell(Canvas& dc, int mode, const TZqGridCell& cell, const QRect& c) const
{
    if (Transparent == 0)
        dc.fillSolid(c, cell.BgColor);
    const bool screen = mode == dmDesign || mode == dmExport;
    const int row = cell.RowIndex();
    if (screen && RowKind(row) == 1 && row > m_head) {
        CanvasSaver keep(dc);
        dc.setRasterOp(RasterOp::NotXor);
        Brush b;
        b.style = Brush::Style::Pattern;
        for (int i = 0; i < 8; ++i)
            b.pattern[static_cast<size_t>(i)] = static_cast<std::uint8_t>(0x80 >> i);
        dc.setTextColor(kBlack);
        for (const Color bk : {kWhite, Color(0xC0C0C0)}) {
            dc.setBkColor(bk);
            dc.setBrush(b);
            dc.fillRect(c);
        }
    }
    if (screen || cell.CellType != ctCheck) {
        QString text;
        if (screen)
            text = CellText(&cell);
        else {
            try {
                text = cell.DisplayText();
            } catch (const Error&) {
                text.clear(); // an amount that cannot be written out is not printed
            }
        }
        if (!text.isEmpty()) {
            CanvasSaver keep(dc);
            LogFont f = ItemFont(cell.Font.FontName, cell.Font.FontSize, cell.Font.Bold, cell.Font.Italic);
            f.height = std::abs(f.height);
            f.underline = cell.Font.Underline != 0;
            dc.setFont(f);
            dc.setTextColor(cell.TextColor);
            dc.setBkTransparent(true);
            DrawTextLines(dc, c.adjusted(1, 1, -1, -1), cell.HorzAlign, text, 0, 0, cell.VertAlign);
        }
    } else if (CellTruth(CellText(&cell))) {
        const QRect in = c.adjusted(1, 1, -1, -1);
        const int side = std::min(in.width(), in.height());
        DrawCheckSign(dc, QRect(in.left() + (in.width() - side) / 2, in.top() + (in.height() - side) / 2, side, side), 0, false);
    }
    // Borders: left and top only on the grid's outer edge; inner lines come
    // from the right and bottom sides of the cells before them.
    auto seg = [&](int w, QPoint a, QPoint b) {
        Pen p;
        if (w <= 0) {
            if (mode == dmPrint)
                return;
            p.width = 1;
            p.color = 0xC0C0C0;
        } else {
            p.width = w;
            p.color = kBlack;
        }
        p.cap = Pen::Cap::Square;
        dc.setPen(p);
        dc.drawLine(a, b);
    };
    const int c1 = cell.Col, r1 = row, c2 = c1 + cell.ColSpan - 1, r2 = r1 + cell.RowSpan - 1;
    const int L = c.left(), T = c.top(), R = c.left() + c.width() - 1, B = c.top() + c.height() - 1;
    CanvasSaver keep(dc);
    for (int r = r1, y = T; r <= r2; y += RowHeights[static_cast<size_t>(r)], ++r) {
        const int h = RowHeights[static_cast<size_t>(r)];
        if (c1 == 0)
            seg(Cell(c1, r)->LeftL, {L, y}, {L, y + h - 1});
        seg(Cell(c2, r)->RightL, {R, y}, {R, y + h - 1});
    }
    for (int k = c1, x = L; k <= c2; x += ColWidths[static_cast<size_t>(k)], ++k) {
        const int w = ColWidths[static_cast<size_t>(k)];
        if (r1 == 0)
            seg(Cell(k, r1)->TopL, {x, T}, {x + w - 1, T});
        seg(Cell(k, r2)->BottomL, {x, B}, {x + w - 1, B});
    }
    if (screen) {
        // The read-only and not-saved markers in the top-right corner of the cell.
        const int y = r1 == 0 ? T + 2 : T + 1;
        if (cell.ReadOnly)
            dc.fillSolid(QRect(R - 6, y, 5, 5), kGrey);
        if (!cell.SaveToPrtRec)
            dc.fillSolid(QRect(R - 12, y, 5, 5), kRed);
    }
    if (Selected && cell.Selected && mode == dmDesign) {
        QRect s = c;
        if (c1 == 0)
            s.setLeft(s.left() + 1);
        if (r1 == 0)
            s.setTop(s.top() + 1);
        dc.setRasterOp(RasterOp::NotXor);
        Brush b;
        b.color = 0xB00000;
        dc.setBrush(b);
        dc.fillRect(s);
    }
}

void TZQGridEx::Draw(Canvas& dc, int mode, const QRect& paintRect, int dy, int dx)
{
    if (mode == dmPrint && PrintSelf == 0)
        return;
    CanvasSaver keep(dc);
    const QRect R = DrawRect(mode, dy, dx);
    dc.setClipRect(dc.clipped() ? dc.clipRect().intersected(R) : R);
    const bool shift = mode == dmExport || mode == dmPrint;
    const int bottom = R.top() + R.height();
    for (const auto& row : Rows) {
        if (RowStart(row->Index) + (shift ? dy : 0) >= bottom)
            break;
        for (const auto& cp : row->Cells) {
            if (cp->Master)
                continue; // painted with its block
            QRect c = CellRect(cp.get());
            if (shift)
                c.translate(dx, dy);
            if (c.left() >= R.left() + R.width())
                break;
            if (!paintRect.isNull() && !paintRect.intersects(c))
                continue;
            PaintCell(dc, mode, *cp, c);
        }
    }
    if (mode == dmDesign || mode == dmExport) {
        CanvasSaver mark(dc);
        dc.setRasterOp(RasterOp::NotXor);
        Pen p;
        p.style = Pen::Style::Dot;
        p.color = kRed;
        dc.setPen(p);
        const int x = R.left() + R.width() - 1, y = R.top() + R.height() - 1;
        dc.drawLine({x, y}, {x, y - 39});
        dc.drawLine({x, y}, {x - 39, y});
    }
    dc.clearClip();
    DrawSelection(dc, mode);
}
