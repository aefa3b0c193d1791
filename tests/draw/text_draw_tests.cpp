#include "draw/PipeDraw.h"
#include "draw/TextDraw.h"
#include "platform/RecordingCanvas.h"

#include <gtest/gtest.h>

using namespace zq;
using Kind = RecordingCanvas::Kind;

namespace {

// Em 20: ASCII characters 10 wide, others 20; every line 20 high.
RecordingCanvas canvas()
{
    RecordingCanvas dc;
    LogFont f;
    f.height = -20;
    dc.setFont(f);
    return dc;
}

std::vector<QPoint> textPoints(const RecordingCanvas& dc)
{
    std::vector<QPoint> pts;
    for (const auto& o : dc.ops(Kind::Text))
        pts.push_back(o.points[0]);
    return pts;
}

} // namespace

TEST(WrapTextLines, SplitsAtBreakRunsAndWrapsByCharacter)
{
    const struct { const char16_t* text; int width; int spacing; QStringList lines; } cases[] = {
        {u"甲\r\n\r\n乙", 100, 0, {QStringLiteral("甲"), QStringLiteral("乙")}},        // blank lines vanish
        {u"\r\n甲", 100, 0, {QString(), QStringLiteral("甲")}},                          // a leading break: empty first line
        {u"甲\n", 100, 0, {QStringLiteral("甲")}},                                       // a final break adds nothing
        {u"甲乙丙丁", 50, 0, {QStringLiteral("甲乙"), QStringLiteral("丙丁")}},
        {u"甲乙丙", 45, 5, {QStringLiteral("甲乙"), QStringLiteral("丙")}},              // 20+5+20 fits, next 45+20 does not
        {u"甲乙", 44, 5, {QStringLiteral("甲"), QStringLiteral("乙")}},                  // spacing counts against the next one
        {u"甲ab", 10, 0, {QStringLiteral("甲"), QStringLiteral("a"), QStringLiteral("b")}}, // too wide: alone on its line
    };
    for (const auto& c : cases) {
        RecordingCanvas dc = canvas();
        QStringList lines;
        const int h = WrapTextLines(dc, QRect(0, 0, c.width, 100), c.spacing, lines, QString::fromUtf16(c.text), 3);
        EXPECT_EQ(lines, c.lines) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(h, 20 * static_cast<int>(c.lines.size()) + 3 * static_cast<int>(c.lines.size() - 1));
    }
}

TEST(DrawTextLines, AlignmentsAndLinePlacement)
{
    const struct { int h, v; QPoint first; QPoint second; } cases[] = {
        {0, 0, {0, 0}, {0, 24}},
        {2, 1, {30, 28}, {40, 52}}, // centre: (100-40) div 2; middle: (100-44) div 2
        {1, 2, {60, 56}, {80, 80}},
        {5, 7, {60, 56}, {80, 80}}, // other values act as right and bottom
    };
    for (auto c : cases) {
        RecordingCanvas dc = canvas();
        DrawTextLines(dc, QRect(0, 0, 100, 100), c.h, QStringLiteral("甲乙\n丙"), 4, 0, c.v);
        const auto pts = textPoints(dc);
        ASSERT_EQ(pts.size(), 3u);
        EXPECT_EQ(pts[0], c.first) << c.h << "/" << c.v;
        EXPECT_EQ(pts[2], c.second) << c.h << "/" << c.v;
        EXPECT_EQ(dc.ops(Kind::Text)[0].state.clip, QRect(0, 0, 100, 100));
    }
}

TEST(DrawTextLines, RestoresTheCanvas)
{
    RecordingCanvas dc = canvas();
    DrawTextLines(dc, QRect(0, 0, 100, 100), 0, QStringLiteral("a"), 0, 0, 0);
    EXPECT_FALSE(dc.clipped());
}

TEST(DrawTextLine, RemovesOnlyCrLfPairs)
{
    RecordingCanvas dc = canvas();
    DrawTextLine(dc, QRect(0, 0, 100, 40), 0, QStringLiteral("a\r\nb"), 2, 1);
    EXPECT_EQ(dc.texts(), QStringLiteral("ab"));
    EXPECT_EQ(textPoints(dc), (std::vector<QPoint>{{0, 10}, {12, 10}}));
    RecordingCanvas dc2 = canvas();
    DrawTextLine(dc2, QRect(0, 0, 100, 40), 0, QStringLiteral("a\nb"), 0, 0);
    EXPECT_EQ(dc2.texts(), QStringLiteral("a\nb"));
}

TEST(DrawTextLinesFit, FittingTextIsDrawnJustBelowFullSize)
{
    RecordingCanvas dc;
    DrawTextLinesFit(dc, QRect(0, 0, 400, 100), 0, QStringLiteral("合计"), 0, 0, 12, false, true, QStringLiteral("宋体"), 0);
    const auto texts = dc.ops(Kind::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].state.font.height, 16); // round(16 * 0.998046875)
    EXPECT_EQ(texts[0].state.font.weight, 700);
    EXPECT_EQ(texts[0].state.font.faceName, QStringLiteral("宋体"));
}

TEST(DrawTextLinesFit, ShrinksUntilTheHeightFits)
{
    RecordingCanvas dc;
    // 30 points = 40 px lines; four lines of text into 60 px.
    DrawTextLinesFit(dc, QRect(0, 0, 1000, 60), 0, QStringLiteral("a\nb\nc\nd"), 0, 0, 30, false, false, QString(), 0);
    const auto texts = dc.ops(Kind::Text);
    ASSERT_EQ(texts.size(), 4u);
    const int h = texts[0].state.font.height;
    EXPECT_LE(4 * h, 60);
    EXPECT_GE(4 * h, 52);
    RecordingCanvas none;
    DrawTextLinesFit(none, QRect(0, 0, 0, 60), 0, QStringLiteral("a"), 0, 0, 30, false, false, QString(), 0);
    EXPECT_TRUE(none.ops().empty());
}

TEST(DrawTextLineFit, NarrowingKeepsTheHeightProportionalShrinksBoth)
{
    // 15 points = 20 px: "AAAAAAAAAA" is 100 wide at full size; the box is 60 wide.
    RecordingCanvas narrow;
    DrawTextLineFit(narrow, QRect(0, 0, 60, 30), 0, 0, QStringLiteral("AAAAAAAAAA"), 0, 15, false, false, QString(), 0);
    auto t = narrow.ops(Kind::Text);
    ASSERT_EQ(t.size(), 10u);
    EXPECT_EQ(t[0].state.font.height, 20);
    EXPECT_EQ(t[0].state.font.width, 6); // round(10 * 0.6)
    RecordingCanvas prop;
    DrawTextLineFit(prop, QRect(0, 0, 60, 30), 0, 1, QStringLiteral("AAAAAAAAAA"), 0, 15, false, false, QString(), 0);
    t = prop.ops(Kind::Text);
    ASSERT_EQ(t.size(), 10u);
    EXPECT_EQ(t[0].state.font.height, 13); // 0.65 * 15 pt = 9.75 pt = 13 px: ten letters 6 wide fit in 60
    EXPECT_EQ(t[0].state.font.width, 0);
    RecordingCanvas none;
    DrawTextLineFit(none, QRect(0, 0, 60, 0), 0, 1, QStringLiteral("A"), 0, 15, false, false, QString(), 0);
    EXPECT_TRUE(none.ops().empty());
}

TEST(DrawTextVert, LettersTurnedAndDoubleByteUpright)
{
    RecordingCanvas dc;
    LogFont f;
    f.height = -20;
    DrawTextVert(dc, QRect(0, 0, 100, 200), 1, QStringLiteral("ab中\n乙"), f, 6, 0, 0);
    const auto t = dc.ops(Kind::Text);
    ASSERT_EQ(t.size(), 4u);
    // First column at the right edge, thickness 20 (the rotated letters' height and 中's width).
    EXPECT_EQ(t[0].points[0], QPoint(100, 0));
    EXPECT_EQ(t[0].state.font.escapement, 2700);
    EXPECT_EQ(t[1].points[0], QPoint(100, 10));
    EXPECT_EQ(t[2].points[0], QPoint(80, 20));
    EXPECT_EQ(t[2].state.font.escapement, 0);
    // The second column stands left of the first, past the column spacing.
    EXPECT_EQ(t[3].points[0], QPoint(54, 0));
}

TEST(Geometry, LineAngleAndOutline)
{
    EXPECT_EQ(LineAngle({5, 0}, {5, 10}), 90);
    EXPECT_EQ(LineAngle({0, 5}, {10, 5}), 0);
    EXPECT_DOUBLE_EQ(LineAngle({0, 0}, {10, 10}), 45);
    EXPECT_EQ(LineOutline({10, 20}, {50, 20}), (std::array<QPoint, 4>{QPoint(10, 17), QPoint(10, 23), QPoint(50, 23), QPoint(50, 17)}));
    EXPECT_EQ(LineOutline({10, 10}, {10, 50}), (std::array<QPoint, 4>{QPoint(13, 10), QPoint(7, 10), QPoint(7, 50), QPoint(13, 50)}));
}

TEST(Pipes, ShadesAndShapes)
{
    RecordingCanvas dc;
    DrawPipe(dc, QRect(0, 0, 40, 40), 0x000000, 100, 0xFFFFFF);
    const auto lines = dc.ops(Kind::Polyline);
    ASSERT_EQ(lines.size(), 6u);
    const Color want[6] = {0x555555, 0xAAAAAA, 0xFFFFFF, 0xAAAAAA, 0x555555, 0x000000};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(lines[static_cast<size_t>(k)].state.pen.color, want[k]) << k;
        EXPECT_EQ(lines[static_cast<size_t>(k)].points, (std::vector<QPoint>{{0, 17 + k}, {40, 17 + k}}));
    }
    RecordingCanvas cross;
    DrawPipe(cross, QRect(0, 0, 40, 40), 0x000000, 9, 0xFFFFFF);
    const auto c = cross.ops(Kind::Polyline);
    ASSERT_EQ(c.size(), 18u);
    EXPECT_EQ(c[1].points, (std::vector<QPoint>{{17, 0}, {17, 18}})); // upper branch of line 0 ends at cy + 1
    EXPECT_EQ(c[2].points, (std::vector<QPoint>{{17, 22}, {17, 40}})); // lower branch from cy + 5
    RecordingCanvas nothing;
    DrawPipe(nothing, QRect(0, 0, 40, 40), 0, 10, 0xFFFFFF);
    EXPECT_TRUE(nothing.ops().empty());
}
