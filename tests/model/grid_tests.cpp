// The grid item: stream records of both generations, refused damaged files,
// clipboard, merges, display texts of the cell types and painting.
#include "item_test_util.h"

#include "model/ClipBlock.h"
#include "model/ZqBasicItems.h"
#include "model/ZqGrid.h"
#include "platform/RecordingCanvas.h"

#include <gtest/gtest.h>

using namespace itest;
using namespace zq;
using Kind = RecordingCanvas::Kind;

namespace {

std::unique_ptr<TZQGridEx> newGrid(int cols, int rows)
{
    auto g = std::make_unique<TZQGridEx>();
    g->InitDefaults();
    g->SetNameRaw(u8("表格1"));
    g->SetBounds({10, 20}, 68 * cols, 20 * rows);
    g->InitGrid(cols, rows);
    return g;
}

// A grid with every cell field set, a merged head block and a tail row.
std::unique_ptr<TZQGridEx> richGrid()
{
    auto g = newGrid(3, 4);
    g->SetTailRowCount(1);
    g->ColWidths[1] = 90;
    g->RowHeights[2] = 33;
    g->Rows[2]->RowFlag = 7;
    g->TabOrder = 4;
    int k = 0;
    for (auto& row : g->Rows)
        for (auto& c : row->Cells) {
            ++k;
            c->LeftL = k % 3;
            c->BgColor = 0x102030u + k;
            c->TextColor = 0x40u + k;
            c->HorzAlign = k % 3;
            c->Font.FontName = u8("黑体");
            c->Font.FontSize = 10.5;
            c->Font.Underline = 1;
            c->CellType = k % 4;
            c->OnlyDigit = 1;
            c->Decimal = k % 4 - 1;
            c->AutoUpper = k % 9;
            c->DateType = 3;
            c->DateFormat = 5;
            c->IncludeTime = 1;
            c->SubTblName = u8("子表");
            c->SubTblRowNo = k;
            c->DataSourceTable = u8("客户表");
            c->Group = u8("组");
            c->ReadOnly = k & 1;
            c->SaveToPrtRec = 0;
            c->Text = QStringLiteral("v%1").arg(k);
            c->FixedText = 1;
            c->Alias = QStringLiteral("a%1").arg(k);
        }
    g->SelectRange(0, 0, 1, 1, false);
    EXPECT_TRUE(g->MergeCells());
    g->SelectCell(nullptr);
    return g;
}

QByteArray templateWith(std::unique_ptr<TZqItem> item)
{
    TZqTemplate t;
    t.AddItem(std::move(item));
    return t.SaveToStream();
}

TEST(Grid, NewGridHasTheDesignersDefaults)
{
    auto g = newGrid(5, 5);
    EXPECT_EQ(g->ColCount(), 5);
    EXPECT_EQ(g->RowCount(), 5);
    EXPECT_EQ(g->ColWidths, std::vector<int>(5, 68));
    EXPECT_EQ(g->RowHeights, std::vector<int>(5, 20));
    EXPECT_EQ(g->HeadRowCount(), 1);
    EXPECT_EQ(g->TailRowCount(), 0);
    EXPECT_EQ(g->BodyRowCount(), 4);
    EXPECT_EQ(g->RowKind(0), 0);
    EXPECT_EQ(g->RowKind(4), 1);
}

TEST(Grid, StreamRoundTripKeepsEveryFieldAndTheMerges)
{
    const QByteArray bytes = templateWith(richGrid());
    TZqTemplate t;
    t.LoadFromStream(bytes);
    EXPECT_EQ(t.SaveToStream(), bytes);
    auto* g = static_cast<TZQGridEx*>(t.Item(0));
    ASSERT_EQ(g->Kind(), itGrid);
    EXPECT_EQ(g->TailRowCount(), 1);
    EXPECT_EQ(g->Rows[2]->RowFlag, 7);
    EXPECT_EQ(g->Cell(0, 0)->ColSpan, 2);
    EXPECT_EQ(g->Cell(0, 0)->RowSpan, 2);
    EXPECT_EQ(g->Cell(1, 1)->Master, g->Cell(0, 0));
    EXPECT_EQ(g->Cell(2, 0)->Master, nullptr);
    EXPECT_EQ(g->RowsHeight(), 20 * 4 + 33);
}

TEST(Grid, LargeGridsOfEmptyCellsRoundTrip)
{
    // Cells with nothing but numbers and empty strings: the smallest records a file can hold.
    auto g = newGrid(20, 30);
    for (auto& row : g->Rows)
        for (auto& c : row->Cells)
            c->Font.FontName.clear();
    const QByteArray bytes = templateWith(std::move(g));
    TZqTemplate t;
    t.LoadFromStream(bytes);
    EXPECT_EQ(t.SaveToStream(), bytes);
}

TEST(Grid, FilesBeforeHeadAndTailReadEveryRowAsBody)
{
    // Up to 47882 the record ends before the head and tail counts; the rest of that
    // version's item record is the current one.
    TZQGridEx* g = nullptr;
    auto owned = richGrid();
    g = owned.get();
    ByteWriter rec;
    g->WriteStreamFull(rec);
    QByteArray item = rec.take();
    item.chop(8);
    ByteWriter w;
    w.u16(47882);
    w.i32(794);
    w.i32(600);
    w.u32(0xFFFFFF);
    w.u8(0);
    w.i32(1);
    w.u8(itGrid);
    w.bytes(item);
    w.i32(0); // old formula lines
    w.i32(0); // formulas
    TZqTemplate t;
    t.LoadFromStream(w.take());
    auto* read = static_cast<TZQGridEx*>(t.Item(0));
    EXPECT_EQ(read->HeadRowCount(), 0);
    EXPECT_EQ(read->TailRowCount(), 0);
    EXPECT_EQ(read->BodyRowCount(), 5);
    EXPECT_EQ(str(read->Cell(2, 3)->Text), str(g->Cell(2, 3)->Text));
    EXPECT_EQ(read->Cell(1, 0)->Master, read->Cell(0, 0));
}

TEST(Grid, DamagedStructureIsRefused)
{
    struct Case {
        const char* what;
        std::function<void(TZQGridEx&)> damage;
    };
    const Case cases[] = {
        {"span beyond the grid", [](TZQGridEx& g) { g.Cell(2, 3)->ColSpan = 2; }},
        {"zero span", [](TZQGridEx& g) { g.Cell(2, 3)->RowSpan = 0; }},
        {"master after the covered cell", [](TZQGridEx& g) { g.Cell(2, 1)->Master = g.Cell(2, 2); }},
        {"master not covering the cell", [](TZQGridEx& g) { g.Cell(2, 3)->Master = g.Cell(0, 0); }},
        {"block cell without its master", [](TZQGridEx& g) { g.Cell(1, 1)->Master = nullptr; }},
    };
    for (const Case& c : cases) {
        auto g = richGrid();
        c.damage(*g);
        const QByteArray bytes = templateWith(std::move(g));
        TZqTemplate t;
        EXPECT_NE(errorOf([&] { t.LoadFromStream(bytes); }), "(no error)") << c.what;
        EXPECT_EQ(t.ItemCount(), 0) << c.what;
    }
    // Head and tail counts are the last two numbers before the two empty formula sections.
    QByteArray bytes = templateWith(richGrid());
    ByteWriter tail;
    tail.i32(5);
    bytes.replace(bytes.size() - 12, 4, tail.take());
    TZqTemplate t;
    EXPECT_EQ(errorOf([&] { t.LoadFromStream(bytes); }), "表格的表头行数或表尾行数错误");
}

TEST(Grid, GridAndLabelCopyTogether)
{
    auto g = richGrid();
    TZqLabel label;
    label.InitDefaults();
    label.SetNameRaw(u8("标签"));
    label.Caption = u8("合计");
    const QByteArray block = WriteClipBlock({g.get(), &label});
    auto items = ReadClipBlock(block);
    ASSERT_EQ(items.size(), 2u);
    auto* pg = static_cast<TZQGridEx*>(items[0].get());
    EXPECT_EQ(str(pg->Name()), "表格1");
    EXPECT_EQ(pg->Cell(1, 1)->Master, pg->Cell(0, 0));
    EXPECT_EQ(str(pg->Cell(2, 3)->Text), str(g->Cell(2, 3)->Text));
    EXPECT_EQ(pg->TailRowCount(), 1);
    EXPECT_EQ(str(static_cast<TZqLabel*>(items[1].get())->Caption), "合计");
    EXPECT_EQ(templateWith(std::move(items[0])), templateWith(std::move(g)));
}

TEST(Grid, MergingIsRefusedInBodyRows)
{
    auto g = newGrid(3, 4);
    g->SelectRange(0, 1, 1, 2, false);
    EXPECT_FALSE(g->MergeCells());
    EXPECT_EQ(g->Cell(0, 1)->ColSpan, 1);
    EXPECT_EQ(g->Cell(1, 1)->Master, nullptr);
    // A selection touching a block grows to hold all of it.
    g->SelectRange(0, 0, 1, 0, false);
    ASSERT_TRUE(g->MergeCells());
    g->SelectRange(1, 0, 2, 0, false);
    EXPECT_EQ(g->SelectionRect(), QRect(0, 0, 3, 1));
}

TEST(Grid, InsertedAndDeletedColumnsKeepBlocks)
{
    auto g = newGrid(4, 3);
    g->SelectRange(0, 0, 2, 0, false);
    ASSERT_TRUE(g->MergeCells());
    g->InsertCols(1, 1);
    EXPECT_EQ(g->Cell(0, 0)->ColSpan, 4);
    EXPECT_EQ(g->Cell(1, 0)->Master, g->Cell(0, 0));
    g->DeleteCols(0, 2); // the block starts inside and reaches beyond: dissolved
    EXPECT_EQ(g->ColCount(), 3);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(g->Cell(c, 0)->Master, nullptr);
}

TEST(Grid, DisplayTextsOfTheCellTypes)
{
    struct Case {
        quint8 type, onlyDigit;
        int decimal;
        quint8 autoUpper, thousand, hideZero, dateType, dateFormat, includeTime;
        const char* text;
        const char* shown;
    } cases[] = {
        {ctEdit, 1, -1, 0, 1, 0, 0, 0, 0, "1234.50", "1,234.50"},
        {ctEdit, 1, 1, 0, 1, 0, 0, 0, 0, "1234.50", "1,234.5"},
        {ctEdit, 1, 0, 0, 0, 0, 0, 0, 0, "2.5", "3"},
        {ctEdit, 1, 2, 1, 0, 0, 0, 0, 0, "10.5", "壹拾元零伍角整"},
        {ctEdit, 1, 2, 1, 0, 1, 0, 0, 0, "0", ""},
        {ctEdit, 1, 2, 0, 0, 0, 0, 0, 0, "", ""},
        {ctEdit, 0, 2, 1, 1, 1, 0, 0, 0, "1234.5", "1234.5"},
        {ctChoice, 1, 2, 1, 1, 1, 0, 0, 0, "0", "0"},
        {ctDate, 0, -1, 0, 0, 0, 0, 2, 0, "2004-02-10", "2004年02月10日"},
        {ctDate, 0, -1, 0, 0, 0, 0, 0, 0, "2004-02-10", "贰零零肆年零贰月零壹拾日"},
        {ctDate, 0, -1, 0, 0, 0, 3, 3, 1, "2004-02-10 08:30", "2月10日08:30"},
        {ctDate, 0, -1, 0, 0, 0, 3, 3, 1, "2004-02-10", "2月10日"},
        {ctDate, 0, -1, 0, 0, 0, 0, 2, 0, "明天", ""},
        {ctCheck, 0, -1, 0, 0, 0, 0, 0, 0, "True", "True"},
    };
    for (const Case& c : cases) {
        TZqGridCell cell;
        cell.CellType = c.type;
        cell.OnlyDigit = c.onlyDigit;
        cell.Decimal = c.decimal;
        cell.AutoUpper = c.autoUpper;
        cell.ThousandSplit = c.thousand;
        cell.HideZero = c.hideZero;
        cell.DateType = c.dateType;
        cell.DateFormat = c.dateFormat;
        cell.IncludeTime = c.includeTime;
        cell.Text = u8(c.text);
        EXPECT_EQ(str(cell.DisplayText()), c.shown) << c.text << " type " << int(c.type);
    }
}

// Painting on the recording canvas.
class GridPaint : public ::testing::Test {
protected:
    void SetUp() override
    {
        g = newGrid(2, 2);
        g->Transparent = 0;
        g->Cell(0, 0)->Text = u8("名称");
        g->Cell(1, 1)->CellType = ctCheck;
        g->Cell(1, 1)->Text = u8("True");
        g->Cell(0, 1)->CellType = ctDate;
        g->Cell(0, 1)->DateFormat = 2;
        g->Cell(0, 1)->Text = u8("2004-02-10");
        g->Cell(1, 0)->RightL = 0;
    }
    std::unique_ptr<TZQGridEx> g;
};

TEST_F(GridPaint, DesignerShowsRawTextsPrintShowsDisplayTexts)
{
    RecordingCanvas design;
    g->Draw(design, dmDesign, QRect(), 0, 0);
    EXPECT_TRUE(design.texts().contains(u8("True")));
    EXPECT_TRUE(design.texts().contains(u8("2004-02-10")));
    RecordingCanvas print;
    g->Draw(print, dmPrint, QRect(), 0, 0);
    EXPECT_FALSE(print.texts().contains(u8("True")));
    EXPECT_TRUE(print.texts().contains(u8("2004年02月10日")));
    EXPECT_TRUE(print.texts().contains(u8("名称")));
    // The tick is drawn inside the check cell (68 x 20 at column 1, row 1).
    const QRect checkCell(10 + 68, 20 + 20, 68, 20);
    bool tick = false;
    for (const auto& op : print.ops())
        if (op.kind != Kind::Text && op.kind != Kind::Fill && !op.points.empty()
            && checkCell.adjusted(2, 2, -2, -2).contains(op.points[0]))
            tick = true;
    EXPECT_TRUE(tick);
    g->Cell(1, 1)->Text = u8("False");
    RecordingCanvas none;
    g->Draw(none, dmPrint, QRect(), 0, 0);
    for (const auto& op : none.ops())
        if (op.kind != Kind::Fill && !op.points.empty())
            EXPECT_FALSE(checkCell.adjusted(2, 2, -2, -2).contains(op.points[0]));
}

TEST_F(GridPaint, ReadOnlyAndNotSavedMarkersShowInTheDesignerOnly)
{
    g->Cell(0, 0)->ReadOnly = 1;
    g->Cell(0, 0)->SaveToPrtRec = 0;
    auto markers = [&](int mode) {
        RecordingCanvas dc;
        g->Draw(dc, mode, QRect(), 0, 0);
        std::vector<QRect> out;
        for (const auto& op : dc.ops(Kind::Fill))
            if (op.rect.size() == QSize(5, 5))
                out.push_back(op.rect);
        return out;
    };
    // Cell (0, 0) is 68 x 20 at (10, 20): its last column is 77.
    EXPECT_EQ(markers(dmDesign), (std::vector<QRect>{QRect(71, 22, 5, 5), QRect(65, 22, 5, 5)}));
    EXPECT_TRUE(markers(dmInput).empty());
    EXPECT_TRUE(markers(dmPrint).empty());
}

TEST_F(GridPaint, ZeroWidthBordersAreGreyOnScreenAndAbsentOnPaper)
{
    auto greyLines = [](const RecordingCanvas& dc) {
        int n = 0;
        for (const auto& op : dc.ops(Kind::Line))
            n += op.state.pen.color == 0xC0C0C0 ? 1 : 0;
        return n;
    };
    RecordingCanvas screen, paper;
    g->Draw(screen, dmInput, QRect(), 0, 0);
    g->Draw(paper, dmPrint, QRect(), 0, 0);
    EXPECT_EQ(greyLines(screen), 1);
    EXPECT_EQ(greyLines(paper), 0);
    EXPECT_EQ(paper.ops(Kind::Line).size() + 1, screen.ops(Kind::Line).size());
}

TEST_F(GridPaint, PrintOffsetsMoveCellsLinesAndTextsTogether)
{
    RecordingCanvas plain, shifted;
    g->Draw(plain, dmPrint, QRect(), 0, 0);
    g->Draw(shifted, dmPrint, QRect(), 7, 5);
    const auto a = plain.ops(), b = shifted.ops();
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        if (!a[i].points.empty())
            EXPECT_EQ(b[i].points[0], a[i].points[0] + QPoint(5, 7)) << i;
        else
            EXPECT_EQ(b[i].rect, a[i].rect.translated(5, 7)) << i;
    }
    EXPECT_EQ(shifted.ops()[0].state.clip, QRect(15, 27, 136, 40));
}

TEST_F(GridPaint, TransparentGridsAreNotFilledAndPaintedBodyRowsAreHatchedInTheDesigner)
{
    g->Transparent = 1;
    RecordingCanvas print;
    g->Draw(print, dmPrint, QRect(), 0, 0);
    EXPECT_TRUE(print.ops(Kind::Fill).empty());
    // Rows after the first body row carry the designer's hatch.
    auto g3 = newGrid(1, 3);
    RecordingCanvas design;
    g3->Draw(design, dmDesign, QRect(), 0, 0);
    int hatched = 0;
    for (const auto& op : design.ops(Kind::Fill))
        hatched += op.state.brush.style == Brush::Style::Pattern ? 1 : 0;
    EXPECT_EQ(hatched, 2); // two passes over row 2 only
}

} // namespace
