// The data-entry decisions without a window: input sequence, geometry, hit
// tests, check groups and what closing an editor writes.
#include "base/Error.h"
#include "model/ZqComboBox.h"
#include "model/ZqCurrency.h"
#include "model/ZqDate.h"
#include "model/ZqEdit.h"
#include "model/ZqGrid.h"
#include "model/ZqSmallInputs.h"
#include "view/InputLogic.h"

#include <gtest/gtest.h>

using namespace zqv;

namespace {

QString u8(const char* s) { return QString::fromUtf8(s); }

template <class T> T* add(TZqTemplate& t, int kind, const char* name, QRect r)
{
    auto item = CreateItem(kind, true);
    item->SetNameRaw(u8(name));
    item->XPos = r.x();
    item->YPos = r.y();
    item->Width = r.width();
    item->Height = r.height();
    return static_cast<T*>(t.AddItem(std::move(item)));
}

TZqEdit* addEdit(TZqTemplate& t, const char* name, int tab, int y)
{
    auto* e = add<TZqEdit>(t, itEdit, name, QRect(10, y, 100, 20));
    e->TabOrder = tab;
    return e;
}

QStringList names(const std::vector<TZqItem*>& list)
{
    QStringList out;
    for (TZqItem* it : list)
        out << it->Name();
    return out;
}

} // namespace

TEST(TabList, ExchangeSortOrdersEqualNumbersByItsOwnSwaps)
{
    struct Case {
        std::vector<int> orders; // tab numbers of items A, B, C, ... in template order
        const char* expected;
    };
    const Case cases[] = {
        {{2, 0, 1}, "B,C,A"},
        {{0, 1, 2}, "A,B,C"},
        // Equal numbers are swapped as the sort passes them.
        {{0, 0}, "B,A"},
        {{1, 1, 1}, "C,B,A"},
        {{0, 0, 1}, "B,A,C"},
        {{1, 0, 0}, "C,B,A"},
    };
    for (const Case& c : cases) {
        TZqTemplate t;
        for (size_t i = 0; i < c.orders.size(); ++i) {
            const std::string n(1, char('A' + i));
            addEdit(t, n.c_str(), c.orders[i], 30 * int(i));
        }
        EXPECT_EQ(names(BuildTabList(t, {})).join(u','), QLatin1String(c.expected));
    }
}

TEST(TabList, LeavesOutReadOnlyDrawingAndRefusedItems)
{
    TZqTemplate t;
    addEdit(t, "A", 0, 0);
    addEdit(t, "B", 1, 30)->ReadOnly = 1;
    add<TZQRect>(t, itRect, "R", QRect(0, 0, 50, 50));
    add<TZqItem>(t, itLabel, "L", QRect(0, 0, 50, 50));
    auto* chk = add<TZqCheck>(t, itCheck, "K", QRect(0, 60, 20, 20));
    chk->TabOrder = 2;
    add<TZqComboBox>(t, itCombobox, "C", QRect(0, 90, 80, 20))->TabOrder = 3;
    addEdit(t, "D", 4, 120);
    auto refuseD = [](TZqItem* it, int, int) { return it->Name() != u"D"; };
    EXPECT_EQ(names(BuildTabList(t, refuseD)), (QStringList{u8("A"), u8("K"), u8("C")}));
}

TEST(Session, EnterWalksTheSequenceAndWraps)
{
    TZqTemplate t;
    TZqEdit* a = addEdit(t, "A", 0, 0);
    TZqEdit* b = addEdit(t, "B", 1, 30);
    TZqEdit* c = addEdit(t, "C", 2, 60);
    TZqInputSession s;
    s.Reset(&t);
    s.BuildTabList();
    // No editor open: the current place (0).
    auto p = s.NextPlace({});
    EXPECT_EQ(p.item, a);
    s.Open(p);
    p = s.NextPlace(s.EditTarget());
    EXPECT_EQ(p.item, b);
    p = s.NextPlace(p);
    EXPECT_EQ(p.item, c);
    p = s.NextPlace(p);
    EXPECT_EQ(p.item, a) << "Enter on the last item wraps to the first";
}

TEST(Session, SameTabNumberEnterFromTheFirstReachesTheSecond)
{
    TZqTemplate t;
    TZqEdit* first = addEdit(t, "First", 5, 0);
    TZqEdit* second = addEdit(t, "Second", 5, 30);
    TZqInputSession s;
    s.Reset(&t);
    s.BuildTabList();
    // The sort puts Second before First; Enter from First wraps to Second.
    ASSERT_EQ(s.TabList().front(), second);
    ASSERT_EQ(s.ClickAt({20, 5}).target.item, first);
    EXPECT_EQ(s.NextPlace(TZqInputSession::Target{first}).item, second);
}

TEST(Session, RefusedItemsOpenNothingAndAreSkipped)
{
    TZqTemplate t;
    TZqEdit* a = addEdit(t, "A", 0, 0);
    addEdit(t, "B", 1, 30);
    TZqEdit* c = addEdit(t, "C", 2, 60);
    TZqInputSession s;
    s.CanInput = [](TZqItem* it, int, int) { return it->Name() != u"B"; };
    s.Reset(&t);
    s.BuildTabList();
    EXPECT_EQ(s.ClickAt({20, 35}).kind, TZqInputSession::Click::Nothing);
    EXPECT_EQ(s.ClickAt({20, 5}).target.item, a);
    EXPECT_EQ(s.NextPlace(TZqInputSession::Target{a}).item, c);
}

TEST(Session, ClickOpensTheTopmostInputItemUnlessReadOnly)
{
    TZqTemplate t;
    TZqEdit* low = addEdit(t, "Low", 0, 0);
    TZqEdit* top = addEdit(t, "Top", 1, 10);
    TZqInputSession s;
    s.Reset(&t);
    s.BuildTabList();
    auto c = s.ClickAt({20, 15});
    EXPECT_EQ(c.kind, TZqInputSession::Click::OpenEditor);
    EXPECT_EQ(c.target.item, top);
    EXPECT_EQ(s.TabIndex, 1);
    top->ReadOnly = 1;
    // The topmost shape is handled alone: a read-only item on top opens nothing.
    EXPECT_EQ(s.ClickAt({20, 15}).kind, TZqInputSession::Click::Nothing);
    EXPECT_EQ(s.ClickAt({20, 5}).target.item, low);
    EXPECT_EQ(s.ClickAt({500, 500}).kind, TZqInputSession::Click::Nothing);
    // Right and bottom edges are outside.
    EXPECT_EQ(s.ClickAt({110, 5}).kind, TZqInputSession::Click::Nothing);
}

TEST(Session, LimitCornerOfAnAmountBox)
{
    TZqTemplate t;
    auto* cur = add<TZqCurrency>(t, itCurrency, "金额", QRect(100, 100, 200, 40));
    cur->ShowLimitation = 1;
    TZqInputSession s;
    s.Reset(&t);
    s.BuildTabList();
    struct Case {
        QPoint p;
        TZqInputSession::Click::Kind kind;
    };
    const Case cases[] = {
        {{293, 133}, TZqInputSession::Click::LimitFlag}, // top-left of the 7 x 7 corner
        {{299, 139}, TZqInputSession::Click::LimitFlag}, // last pixel inside
        {{292, 139}, TZqInputSession::Click::OpenEditor},
        {{299, 132}, TZqInputSession::Click::OpenEditor},
        {{150, 120}, TZqInputSession::Click::OpenEditor},
    };
    for (const Case& c : cases)
        EXPECT_EQ(s.ClickAt(c.p).kind, c.kind) << c.p.x() << "," << c.p.y();
    cur->ShowLimitation = 0;
    EXPECT_EQ(s.ClickAt({295, 135}).kind, TZqInputSession::Click::OpenEditor);
}

TEST(Session, CheckItemsOfAGroupActLikeRadioButtons)
{
    TZqTemplate t;
    auto* a = add<TZqCheck>(t, itCheck, "A", QRect(0, 0, 20, 20));
    auto* b = add<TZqCheck>(t, itCheck, "B", QRect(30, 0, 20, 20));
    auto* c = add<TZqCheck>(t, itCheck, "C", QRect(60, 0, 20, 20));
    auto* other = add<TZqCheck>(t, itCheck, "Other", QRect(90, 0, 20, 20));
    a->CheckGroup = u8("付款");
    b->CheckGroup = u8(" 付款 ");
    c->CheckGroup = u8("付款");
    other->CheckGroup = u8("其他");
    for (TZqCheck* k : {a, b, c, other})
        k->Checked = 0;
    other->Checked = 1;
    TZqInputSession s;
    s.Reset(&t);
    s.BuildTabList();
    s.ClickAt({5, 5});
    EXPECT_TRUE(a->Checked);
    s.ClickAt({35, 5});
    EXPECT_TRUE(b->Checked);
    EXPECT_FALSE(a->Checked) << "groups compare trimmed";
    EXPECT_TRUE(other->Checked) << "another group keeps its state";
    s.ClickAt({35, 5});
    EXPECT_FALSE(b->Checked);
    EXPECT_FALSE(a->Checked);
    EXPECT_FALSE(c->Checked);
}

TEST(Session, ClosingADateEditorUnchangedWritesNothing)
{
    TZqTemplate t;
    auto* d = add<TZqDate>(t, itDate, "出票日期", QRect(0, 0, 200, 30));
    d->SetValue(u8("2026-12-10"));
    int changes = 0;
    struct Host : TZQBPCtrlBase {
        int* n;
        TZqHostKind HostKind() const override { return TZqHostKind::DataEntry; }
        void InvalidateItemRect(const QRect&, bool) override {}
        void ItemValueChanged(TZqItem*, int, int) override { ++*n; }
        void Relayout() override {}
    } host;
    host.n = &changes;
    t.Owner = &host;
    TZqInputSession s;
    s.Reset(&t);
    s.BuildTabList();
    s.Open(TZqInputSession::Target{d});
    EXPECT_EQ(s.EditKind(), TZqEditorKind::PickOnly);
    s.Commit(s.OpenedText());
    EXPECT_FALSE(s.Editing());
    EXPECT_EQ(changes, 0);
    // A refused date keeps the editor open and the value as it was.
    s.Open(TZqInputSession::Target{d});
    EXPECT_THROW(s.Commit(u8("十二月")), zq::Error);
    EXPECT_TRUE(s.Editing());
    EXPECT_EQ(d->TextForm(), u8("2026-12-10"));
    s.Commit(u8("2027-1-2"));
    EXPECT_EQ(d->TextForm(), u8("2027-01-02"));
    EXPECT_EQ(changes, 1);
    t.Owner = nullptr;
}

TEST(Editor, KindsFontsAndMinimumSizes)
{
    TZqTemplate t;
    auto* e = addEdit(t, "E", 0, 0);
    auto* cb = add<TZqComboBox>(t, itCombobox, "C", QRect(0, 0, 10, 10));
    auto* k = add<TZqCheck>(t, itCheck, "K", QRect(0, 0, 10, 10));
    EXPECT_EQ(EditorKindOf(*e), TZqEditorKind::Text);
    EXPECT_EQ(EditorKindOf(*cb), TZqEditorKind::Pick);
    EXPECT_EQ(EditorKindOf(*k), TZqEditorKind::Check);
    EXPECT_EQ(EditorPointSize(*e, 1.25), 12); // 12.5 to even
    EXPECT_EQ(EditorPointSize(*cb, 1.25), 11); // 11.25
    EXPECT_EQ(EditorRect(*e, QRect(5, 5, 30, 10)), QRect(5, 5, 50, 20));
    EXPECT_EQ(EditorRect(*k, QRect(5, 5, 12, 12)), QRect(5, 5, 20, 20));
    EXPECT_EQ(EditorRect(*e, QRect(5, 5, 300, 40)), QRect(5, 5, 300, 40));
}

TEST(Geometry, PageSizeAtZooms)
{
    struct Case {
        int w;
        double zoom;
        int device;
    };
    const Case cases[] = {
        {800, 1.0, 800},   // 800.5 to even
        {801, 1.0, 802},   // 801.5 to even
        {800, 1.25, 1000}, // 1000.5
        {794, 1.25, 993},  // 993.0
        {800, 0.8, 640},   // 640.5
        {795, 0.8, 636},   // 636.5 to even
    };
    for (const Case& c : cases)
        EXPECT_EQ(TZqPageGeometry::DeviceSize(c.w, c.zoom), c.device) << c.w << " x " << c.zoom;
}

TEST(Geometry, SmallPageIsCentredLargePageScrolls)
{
    TZqPageGeometry g;
    g.PageW = 800;
    g.PageH = 300;
    g.Layout(QSize(1000, 700));
    EXPECT_FALSE(g.X.enabled);
    EXPECT_EQ(g.X.margin, 100);
    EXPECT_EQ(g.Y.margin, 200);
    EXPECT_EQ(g.Mapping().viewportOrg, QPoint(100, 200));
    EXPECT_EQ(g.ToLogical({100, 200}), QPoint(0, 0));

    // Zooming until the page is wider than the client enables the bar and puts the page at the left.
    g.Zoom = 1.5;
    g.Layout(QSize(1000, 700));
    EXPECT_TRUE(g.X.enabled);
    EXPECT_EQ(g.X.margin, 0);
    EXPECT_EQ(g.X.max, 1200 - 1000 - 1);
    EXPECT_FALSE(g.Y.enabled);
    EXPECT_EQ(g.Y.margin, (700 - 450) / 2);
    EXPECT_TRUE(g.ScrollTo(g.X, 5000));
    EXPECT_EQ(g.X.scroll, 199);
    EXPECT_EQ(g.Mapping().viewportOrg.x(), -199);
    EXPECT_EQ(g.Mapping().viewportExt, QSize(1500, 1500));
    // Logical (100, 10) sits at device (150 - 199, 15 + margin).
    EXPECT_EQ(g.ToLogical({150 - 199, 15 + g.Y.margin}), QPoint(100, 10));
    EXPECT_EQ(g.ToDevice(QRect(100, 10, 20, 10)), QRect(150 - 199, 15 + g.Y.margin, 30, 15));

    // Shrinking the zoom again centres the page and forgets the scroll.
    g.Zoom = 0.8;
    g.Layout(QSize(1000, 700));
    EXPECT_EQ(g.X.scroll, 0);
    EXPECT_EQ(g.X.margin, (1000 - 640) / 2);
}

TEST(Geometry, ScrollBarsNeedTwentyPixelsOfSlack)
{
    EXPECT_TRUE(TZqPageGeometry::NeedsBar(819, 800));
    EXPECT_FALSE(TZqPageGeometry::NeedsBar(820, 800));
}

namespace {
// A grid of three columns: one head row, two detail rows.
TZQGridEx* addGrid(TZqTemplate& t, int tab)
{
    auto* g = add<TZQGridEx>(t, itGrid, "表格1", QRect(0, 100, 3 * 68, 3 * 20));
    g->InitGrid(3, 3);
    g->TabOrder = tab;
    for (int c = 0; c < 3; ++c)
        g->Cell(c, 0)->ReadOnly = 1;
    return g;
}
} // namespace

TEST(Grid, EnterableCellsSkipReadOnlyCoveredAndRefusedCells)
{
    TZqTemplate t;
    TZQGridEx* g = addGrid(t, 0);
    g->Cell(2, 1)->ReadOnly = 1;
    // B3:C3 merged: the block counts at B3 only.
    g->Cell(1, 2)->ColSpan = 2;
    g->LinkMerges();
    QList<QPoint> seen;
    for (TZqGridCell* c = NextEnterableCell(*g, -1, -1, {}); c; c = NextEnterableCell(*g, c->Col, c->RowIndex(), {}))
        seen << QPoint(c->Col, c->RowIndex());
    EXPECT_EQ(seen, (QList<QPoint>{{0, 1}, {1, 1}, {0, 2}, {1, 2}}));
    auto refuseA = [](TZqItem*, int col, int) { return col != 0; };
    EXPECT_EQ(NextEnterableCell(*g, -1, -1, refuseA), g->Cell(1, 1));
    EXPECT_EQ(NextEnterableCell(*g, 1, 2, {}), nullptr);

    // All cells read-only: the grid leaves the sequence.
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            g->Cell(c, r)->ReadOnly = 1;
    EXPECT_TRUE(BuildTabList(t, {}).empty());
}

TEST(Grid, EnterFromTheLastCellGoesToTheNextItem)
{
    TZqTemplate t;
    TZQGridEx* g = addGrid(t, 0);
    TZqEdit* after = addEdit(t, "After", 1, 0);
    TZqInputSession s;
    s.Reset(&t);
    s.BuildTabList();
    auto p = s.NextPlace({});
    EXPECT_EQ(p, TZqInputSession::CellTarget(g->Cell(0, 1)));
    p = s.NextPlace(TZqInputSession::CellTarget(g->Cell(2, 2)));
    EXPECT_EQ(p.item, after);
    p = s.NextPlace(p);
    EXPECT_EQ(p, TZqInputSession::CellTarget(g->Cell(0, 1))) << "wrapping enters the grid at its first cell";
}

TEST(Grid, ClickOnACheckCellTogglesItFirst)
{
    TZqTemplate t;
    TZQGridEx* g = addGrid(t, 0);
    g->Cell(1, 1)->CellType = ctCheck;
    g->Cell(1, 1)->Text = u8("False");
    TZqInputSession s;
    s.Reset(&t);
    s.BuildTabList();
    const auto c = s.ClickAt({68 + 5, 125});
    ASSERT_EQ(c.kind, TZqInputSession::Click::OpenEditor);
    EXPECT_EQ(c.target, TZqInputSession::CellTarget(g->Cell(1, 1)));
    EXPECT_EQ(g->Cell(1, 1)->Text, u8("True"));
    s.Open(c.target);
    EXPECT_EQ(s.EditKind(), TZqEditorKind::Check);
    s.Commit(CheckText(false));
    EXPECT_EQ(g->Cell(1, 1)->Text, u8("False"));
    // A click on a head cell (read-only) opens nothing.
    EXPECT_EQ(s.ClickAt({5, 105}).kind, TZqInputSession::Click::Nothing);
    EXPECT_EQ(CellEditorArea(*g, *g->Cell(1, 1)), QRect(67, 119, 69, 21));
    EXPECT_EQ(CellEditorArea(*g, *g->Cell(0, 0)), QRect(0, 100, 68, 20));
}

TEST(Grid, RowCommandsKeepTheLastDetailRow)
{
    TZqTemplate t;
    TZQGridEx* g = addGrid(t, 0);
    EXPECT_FALSE(ApplyRowCommand(t, *g, 0, TZqRowCommand::InsertAfter)) << "head rows have no panel";
    EXPECT_TRUE(ApplyRowCommand(t, *g, 1, TZqRowCommand::InsertThreeAfter));
    EXPECT_EQ(g->BodyRowCount(), 5);
    EXPECT_EQ(g->Height, 6 * 20);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(ApplyRowCommand(t, *g, 1, TZqRowCommand::Delete));
    EXPECT_FALSE(ApplyRowCommand(t, *g, 1, TZqRowCommand::Delete));
    EXPECT_EQ(g->BodyRowCount(), 1);
}
