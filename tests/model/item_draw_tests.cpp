#include "model/ZqBasicItems.h"
#include "model/ZqTemplate.h"
#include "platform/RecordingCanvas.h"

#include <gtest/gtest.h>

using namespace zq;
using Kind = RecordingCanvas::Kind;

namespace {

TZQRect plainRect(int x, int y, int w, int h)
{
    TZQRect r;
    r.InitDefaults();
    r.SetBounds({x, y}, w, h);
    return r;
}

} // namespace

TEST(RectDraw, BordersAreCentredOnTheEdgesWithSquareCaps)
{
    TZQRect r = plainRect(10, 20, 100, 50);
    r.LeftL = 3;
    r.TopL = 0;
    r.Transparent = 0;
    RecordingCanvas dc;
    r.Draw(dc, dmInput, {}, 0, 0);
    const auto fills = dc.ops(Kind::Fill);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].rect, QRect(10, 20, 100, 50));
    const auto lines = dc.ops(Kind::Line);
    ASSERT_EQ(lines.size(), 3u); // left, right, bottom: the top has width 0
    EXPECT_EQ(lines[0].points, (std::vector<QPoint>{{10, 20}, {10, 69}}));
    EXPECT_EQ(lines[0].state.pen.width, 3);
    EXPECT_EQ(lines[0].state.pen.cap, Pen::Cap::Square);
    EXPECT_EQ(lines[1].points, (std::vector<QPoint>{{109, 20}, {109, 69}}));
    EXPECT_EQ(lines[2].points, (std::vector<QPoint>{{10, 69}, {109, 69}}));
}

TEST(RectDraw, ModesShiftSkipAndFill)
{
    struct Case { int mode; int printSelf; int fills; int lines; QPoint origin; };
    const Case cases[] = {
        {dmDesign, 1, 1, 4, {10, 20}},
        {dmExport, 1, 1, 4, {15, 27}},
        {dmInput, 1, 1, 4, {10, 20}},
        {dmPrint, 1, 0, 4, {15, 27}}, // no background on paper
        {dmPrint, 0, 0, 0, {}},       // screen-only items never reach paper
    };
    for (const Case& c : cases) {
        TZQRect r = plainRect(10, 20, 30, 40);
        r.Transparent = 0;
        r.PrintSelf = static_cast<quint8>(c.printSelf);
        RecordingCanvas dc;
        r.Draw(dc, c.mode, {}, 7, 5);
        EXPECT_EQ(static_cast<int>(dc.ops(Kind::Fill).size()), c.fills) << c.mode;
        const auto lines = dc.ops(Kind::Line);
        ASSERT_EQ(static_cast<int>(lines.size()), c.lines) << c.mode;
        if (!lines.empty())
            EXPECT_EQ(lines[0].points[0], c.origin) << c.mode;
    }
}

TEST(RectDraw, InvisibleRectPaintsOnlyItsSelectionFrame)
{
    TZQRect r = plainRect(10, 10, 20, 20);
    r.LeftL = r.TopL = r.RightL = r.BottomL = 0;
    for (int mode : {dmInput, dmPrint}) {
        RecordingCanvas dc;
        r.Draw(dc, mode, {}, 0, 0);
        EXPECT_TRUE(dc.ops().empty()) << mode;
    }
    r.SetSelected(true);
    RecordingCanvas dc;
    r.Draw(dc, dmDesign, {}, 0, 0);
    const auto fills = dc.ops(Kind::Fill);
    ASSERT_EQ(fills.size(), 4u); // four checkered bars, no handles without a design host
    EXPECT_EQ(fills[0].rect, QRect(5, 5, 30, 5));
    EXPECT_EQ(fills[3].rect, QRect(30, 10, 5, 20));
    EXPECT_EQ(fills[0].state.brush.style, Brush::Style::Pattern);
    EXPECT_EQ(fills[0].state.brush.pattern[0], 0x55);
    EXPECT_EQ(fills[0].state.brush.pattern[1], 0xAA);
}

TEST(HitTest, HandlesBeforeBodyAndOnlyWhenSelected)
{
    TZQRect r = plainRect(100, 100, 50, 40);
    int code = -1;
    EXPECT_FALSE(r.HitTest({120, 120}, code)); // not selected
    r.SetSelected(true);
    const struct { QPoint p; int code; } cases[] = {
        {{97, 117}, 4},  // left middle: h = (40 - 5) div 2 = 17
        {{122, 97}, 3},  // top middle: w = (50 - 5) div 2 = 22
        {{150, 117}, 4}, // right middle
        {{122, 140}, 3}, // bottom middle
        {{95, 95}, 5},   // top left
        {{95, 140}, 6},  // bottom left
        {{150, 95}, 6},  // top right
        {{154, 144}, 5}, // bottom right
        {{120, 120}, 1}, // body
    };
    for (auto c : cases) {
        ASSERT_TRUE(r.HitTest(c.p, code)) << c.p.x() << "," << c.p.y();
        EXPECT_EQ(code, c.code) << c.p.x() << "," << c.p.y();
    }
    EXPECT_FALSE(r.HitTest({160, 160}, code));
    r.Locked = 1;
    EXPECT_FALSE(r.HitTest({120, 120}, code));
}

TEST(HitTest, ZeroSizeItemHasATwoByTwoBody)
{
    TZQRect r = plainRect(50, 50, 0, 0);
    EXPECT_EQ(r.HandleRect(8), QRect(49, 49, 2, 2));
    EXPECT_FALSE(r.PtInShape({50, 50})); // right and bottom edges are outside
    EXPECT_TRUE(r.PtInFrame({54, 54}));
    EXPECT_FALSE(r.PtInFrame({55, 55}));
}

TEST(LineItem, NegativeVectorAndBand)
{
    TZqLine l;
    l.InitDefaults();
    l.SetBounds({100, 100}, -40, -30);
    EXPECT_EQ(l.GetBounds(), QRect(55, 65, 50, 40));
    EXPECT_TRUE(l.PtInShape({80, 85}));  // on the segment
    EXPECT_FALSE(l.PtInShape({80, 95})); // far off it
    EXPECT_FALSE(l.PtInShape({50, 62})); // beyond its end: the band is not extended
    int code = 0;
    EXPECT_FALSE(l.HitTest({100, 100}, code));
    l.SetSelected(true);
    ASSERT_TRUE(l.HitTest({102, 102}, code));
    EXPECT_EQ(code, 7);
    EXPECT_FALSE(l.HitTest({103, 103}, code));
    ASSERT_TRUE(l.HitTest({80, 85}, code));
    EXPECT_EQ(code, 1);

    RecordingCanvas dc;
    l.Draw(dc, dmPrint, {}, 0, 0); // a new line is screen-only
    EXPECT_TRUE(dc.ops().empty());
    l.PrintSelf = 1;
    l.LineWidth = 2;
    l.Draw(dc, dmPrint, {}, 3, 4);
    ASSERT_EQ(dc.ops().size(), 1u);
    EXPECT_EQ(dc.ops()[0].points, (std::vector<QPoint>{{104, 103}, {64, 73}}));
    EXPECT_EQ(dc.ops()[0].state.pen.width, 2);
}

TEST(LabelItem, DrawsCaptionWithTextPropertiesAndSpacings)
{
    TZqLabel lab;
    lab.InitDefaults();
    lab.SetBounds({10, 10}, 200, 40);
    lab.Caption = QStringLiteral("金额");
    lab.TextSpace = 10; // 1 mm = round(3.78) = 4 px
    lab.TextColor = 0x0000FF;
    lab.FontSize = -12; // 16 px em
    RecordingCanvas dc;
    lab.Draw(dc, dmInput, {}, 0, 0);
    const auto texts = dc.ops(Kind::Text);
    ASSERT_EQ(texts.size(), 2u);
    // width 16 + 4 + 16 = 36, centred in 200: x = 10 + 82; height 16 centred in 40: y = 10 + 12
    EXPECT_EQ(texts[0].points[0], QPoint(92, 22));
    EXPECT_EQ(texts[1].points[0], QPoint(112, 22));
    EXPECT_EQ(texts[0].state.font.height, -16);
    EXPECT_EQ(texts[0].state.font.weight, 100);
    EXPECT_EQ(texts[0].state.textColor, 0x0000FFu);
    EXPECT_TRUE(texts[0].state.bkTransparent);
    EXPECT_EQ(texts[0].state.clip, QRect(10, 10, 200, 40));

    RecordingCanvas paper;
    lab.Draw(paper, dmPrint, {}, 0, 0); // a new label is screen-only
    EXPECT_TRUE(paper.ops().empty());

    lab.Caption.clear();
    lab.TopL = 1;
    RecordingCanvas empty;
    lab.Draw(empty, dmInput, {}, 0, 0);
    EXPECT_TRUE(empty.ops(Kind::Text).empty());
    EXPECT_EQ(empty.ops(Kind::Fill).size(), 1u);
}
