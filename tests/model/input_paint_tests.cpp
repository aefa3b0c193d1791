// Painting of the input items on the recording canvas (fixed metrics: an
// ASCII character is half an em wide, any other a full em; the em is 13 for
// the default -10 point font): which text lands where, in which mode.
#include "item_test_util.h"

#include "base/DateSerial.h"
#include "model/ZqComboBox.h"
#include "model/ZqCurrency.h"
#include "model/ZqDate.h"
#include "model/ZqEdit.h"
#include "model/ZqSNEdit.h"
#include "model/ZqSmallInputs.h"
#include "platform/RecordingCanvas.h"

#include <gtest/gtest.h>

using namespace zq;
using namespace itest;
using Kind = RecordingCanvas::Kind;

namespace {

struct Placed {
    Placed(const char* t, int px, int py) : text(QString::fromUtf8(t)), x(px), y(py) {}
    Placed(QString t, int px, int py) : text(std::move(t)), x(px), y(py) {}
    QString text;
    int x, y;
    bool operator==(const Placed&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Placed& p)
{
    return os << str(p.text) << "@" << p.x << "," << p.y;
}

std::vector<Placed> placed(const RecordingCanvas& dc, int onlyY = INT_MIN)
{
    std::vector<Placed> out;
    for (const auto& op : dc.ops(Kind::Text))
        if (onlyY == INT_MIN || op.points[0].y() == onlyY)
            out.push_back({op.text, op.points[0].x(), op.points[0].y()});
    return out;
}

std::vector<Placed> P(std::initializer_list<Placed> l) { return l; }

// Characters output one after the other on a line, joined into runs.
std::vector<Placed> runs(const RecordingCanvas& dc)
{
    std::vector<Placed> out;
    int end = INT_MIN;
    for (const auto& op : dc.ops(Kind::Text)) {
        const LogFont& f = op.state.font;
        const int em = RecordingCanvas::emOf(f);
        const int w = op.text[0].unicode() < 0x80 ? (f.width > 0 ? f.width : em / 2) : (f.width > 0 ? 2 * f.width : em);
        const QPoint at = op.points[0];
        if (!out.empty() && out.back().y == at.y() && end == at.x())
            out.back().text += op.text;
        else
            out.push_back({op.text, at.x(), at.y()});
        end = at.x() + w;
    }
    return out;
}

bool hasText(const RecordingCanvas& dc, const QString& t)
{
    for (const auto& op : dc.ops(Kind::Text))
        if (op.text == t)
            return true;
    return false;
}

int fillsIn(const RecordingCanvas& dc, Color c)
{
    int n = 0;
    for (const auto& op : dc.ops(Kind::Fill))
        if (op.state.brush.color == c)
            ++n;
    return n;
}

template <typename T>
T make()
{
    T item;
    item.InitDefaults();
    return item;
}

// ---------------------------------------------------------------- amount box

TEST(AmountBoxPaint, DigitsLandInTheirBoxes)
{
    auto a = make<TZqCurrency>(); // 亿 to 分: eleven boxes
    a.Width = 110;
    a.Height = 40;
    a.SetValue(QStringLiteral("1234.5"));
    // The caption row takes 13 + 2 pixels; digits sit in the rest, centred.
    const int digitY = 15 + (25 - 13) / 2;
    {
        RecordingCanvas dc;
        a.Draw(dc, dmInput, {}, 0, 0);
        EXPECT_EQ(placed(dc, digitY), P({{u8("￥"), 39, digitY}, {"1", 52, digitY}, {"2", 62, digitY},
                                         {"3", 72, digitY}, {"4", 82, digitY}, {"5", 92, digitY},
                                         {"0", 102, digitY}}));
        // Place names in the caption row, 亿 first.
        const auto captions = placed(dc, 1);
        ASSERT_EQ(captions.size(), 11u);
        EXPECT_EQ(captions.front(), (Placed{u8("亿"), -1, 1}));
        EXPECT_EQ(captions.back(), (Placed{u8("分"), 99, 1}));
        // Ten box lines and the caption row's line.
        EXPECT_EQ(dc.ops(Kind::Line).size(), 11u);
        EXPECT_EQ(dc.ops(Kind::Line).front().points, (std::vector<QPoint>{{10, 0}, {10, 39}}));
        EXPECT_EQ(dc.ops(Kind::Line).back().points, (std::vector<QPoint>{{0, 14}, {109, 14}}));
    }
    {
        // On paper: the digits only, shifted by the print offset.
        RecordingCanvas dc;
        a.Draw(dc, dmPrint, {}, 7, 5);
        EXPECT_EQ(placed(dc), P({{u8("￥"), 44, digitY + 7}, {"1", 57, digitY + 7}, {"2", 67, digitY + 7},
                                 {"3", 77, digitY + 7}, {"4", 87, digitY + 7}, {"5", 97, digitY + 7},
                                 {"0", 107, digitY + 7}}));
        EXPECT_TRUE(dc.ops(Kind::Line).empty());
        EXPECT_TRUE(dc.ops(Kind::Polyline).empty());
        EXPECT_EQ(fillsIn(dc, kWhite), 0);
    }
    {
        a.FullPrint = 1;
        RecordingCanvas dc;
        a.Draw(dc, dmPrint, {}, 0, 0);
        EXPECT_EQ(placed(dc, 1).size(), 11u);
        EXPECT_EQ(dc.ops(Kind::Line).size(), 11u);
    }
}

TEST(AmountBoxPaint, SpareWidthAndAdjustmentsWidenBoxesFromTheRight)
{
    auto a = make<TZqCurrency>();
    a.High = 4; // 百 to 分: five boxes
    a.ShowCurrencyColumn = 0;
    a.ShowCurrencySign = 0;
    a.Width = 53; // 10 each, the three rightmost one wider
    a.Height = 20;
    a.SetValue(QStringLiteral("123.45"));
    RecordingCanvas dc;
    a.Draw(dc, dmPrint, {}, 0, 0);
    const int y = (20 - 13) / 2;
    EXPECT_EQ(placed(dc), P({{"1", 2, y}, {"2", 12, y}, {"3", 22, y}, {"4", 33, y}, {"5", 44, y}}));

    a.SetTinyAdj(0, 6); // the fen box 6 pixels wider
    a.SetTinyAdj(4, -4);
    RecordingCanvas dc2;
    a.Draw(dc2, dmPrint, {}, 0, 0);
    EXPECT_EQ(placed(dc2), P({{"1", 0, y}, {"2", 8, y}, {"3", 18, y}, {"4", 29, y}, {"5", 43, y}}));
}

TEST(AmountBoxPaint, LimitationMarkerOnScreenOnly)
{
    auto a = make<TZqCurrency>();
    a.Width = 110;
    a.Height = 40;
    a.ShowLimitation = 1;
    a.Limitation = QStringLiteral("万");
    for (int mode : {dmDesign, dmExport, dmInput, dmPrint}) {
        RecordingCanvas dc;
        a.Draw(dc, mode, {}, 0, 0);
        const bool marker = mode == dmDesign || mode == dmInput;
        ASSERT_EQ(dc.ops(Kind::Polygon).size(), marker ? 1u : 0u) << mode;
        if (marker)
            EXPECT_EQ(dc.ops(Kind::Polygon)[0].points, (std::vector<QPoint>{{109, 32}, {109, 39}, {102, 39}}));
        // Without digits the sign marks the limit: in the 万 box.
        const auto texts = placed(dc, 15 + (25 - 13) / 2);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].x, 40 + (10 - 13) / 2);
    }
}

TEST(AmountBoxPaint, NoBoxesPaintsWithoutFailing)
{
    auto a = make<TZqCurrency>();
    a.High = 3;
    a.Low = 6;
    a.Width = 50;
    a.Height = 20;
    a.Value = QStringLiteral("12.00");
    RecordingCanvas dc;
    a.Draw(dc, dmInput, {}, 0, 0);
    EXPECT_TRUE(dc.ops(Kind::Text).empty());
    auto u = make<TZqUpperCurrency>();
    u.High = 3;
    u.Low = 6;
    u.Width = 50;
    u.Height = 20;
    u.Value = QStringLiteral("12.00");
    RecordingCanvas dc2;
    u.Draw(dc2, dmInput, {}, 0, 0);
    EXPECT_TRUE(dc2.ops(Kind::Text).empty());
}

// ---------------------------------------------------------------- capital amount

TEST(CapitalAmountPaint, NumeralsUnitsAndTheDrawnSeal)
{
    auto u = make<TZqUpperCurrency>(); // 百万 to 分: nine places
    u.Width = 9 * (20 + 13);           // digit boxes 20 wide, unit boxes one em
    u.Height = 24;
    u.TextColor = 0x123456;
    u.SetValue(QStringLiteral("1234.5"));
    const int y = (24 - 13) / 2;
    {
        RecordingCanvas dc;
        u.Draw(dc, dmInput, {}, 0, 0);
        // Place i from the left: digit box at 33 i, unit box at 33 i + 20.
        const auto texts = placed(dc);
        const std::vector<Placed> want = {
            {u8("佰"), 20, y}, {u8("拾"), 53, y},
            {u8("万"), 86, y}, {u8("壹"), 99 + 3, y}, {u8("仟"), 119, y}, {u8("贰"), 132 + 3, y},
            {u8("佰"), 152, y}, {u8("叁"), 165 + 3, y}, {u8("拾"), 185, y}, {u8("肆"), 198 + 3, y},
            {u8("元"), 218, y}, {u8("伍"), 231 + 3, y}, {u8("角"), 251, y}, {u8("零"), 264 + 3, y},
            {u8("分"), 284, y}};
        EXPECT_EQ(texts, want);
        EXPECT_EQ(fillsIn(dc, kButtonFace), 9);
        // The seal is drawn in the 万 digit box (66..86) as lines, never typeset.
        EXPECT_FALSE(hasText(dc, QStringLiteral("U")));
        const auto rings = dc.ops(Kind::Polyline);
        ASSERT_FALSE(rings.empty());
        const auto& ring = rings.front();
        EXPECT_EQ(ring.state.pen.color, 0x123456u);
        for (QPoint p : ring.points) {
            EXPECT_GE(p.x(), 66);
            EXPECT_LE(p.x(), 86);
        }
        EXPECT_EQ(dc.ops(Kind::Line).size(), 2u); // the two strokes across the ring
    }
    {
        RecordingCanvas dc;
        u.Draw(dc, dmPrint, {}, 0, 0);
        QString numerals;
        for (const auto& p : placed(dc))
            numerals += p.text;
        EXPECT_EQ(str(numerals), "壹贰叁肆伍零");
        EXPECT_EQ(fillsIn(dc, kButtonFace), 0);
        EXPECT_EQ(dc.ops(Kind::Polyline).size(), 1u);
    }
    {
        u.SealFontName = QStringLiteral("宋体");
        u.SealChar = QStringLiteral("※");
        RecordingCanvas dc;
        u.Draw(dc, dmPrint, {}, 0, 0);
        EXPECT_TRUE(hasText(dc, QStringLiteral("※")));
    }
}

TEST(CapitalAmountPaint, TooNarrowSaysSo)
{
    auto u = make<TZqUpperCurrency>();
    u.Width = 9 * 13 - 1;
    u.Height = 24;
    u.SetValue(QStringLiteral("1"));
    RecordingCanvas dc;
    u.Draw(dc, dmPrint, {}, 0, 0);
    EXPECT_EQ(str(dc.texts()), "宽度不足");
}

// ---------------------------------------------------------------- date

TEST(DatePaint, PartsCaptionsAndTime)
{
    auto d = make<TZqDate>();
    d.Format = 2;
    d.ColWidth1 = 60;
    d.ColWidth2 = 50;
    d.ColWidth3 = 40;
    d.Width = 150;
    d.Height = 20;
    d.SetValue(QStringLiteral("2004-03-10"));
    const int y = (20 - 13) / 2;
    {
        RecordingCanvas dc;
        d.Draw(dc, dmInput, {}, 0, 0);
        EXPECT_EQ(d.LabelWidth, 13);
        EXPECT_EQ(runs(dc), P({{"2004", 11, y}, {u8("年"), 47, y}, {"03", 72, y}, {u8("月"), 97, y},
                                 {"10", 117, y}, {u8("日"), 137, y}}));
        EXPECT_EQ(fillsIn(dc, kButtonFace), 3);
    }
    {
        RecordingCanvas dc;
        d.Draw(dc, dmPrint, {}, 0, 100);
        EXPECT_EQ(runs(dc), P({{"2004", 111, y}, {"03", 172, y}, {"10", 217, y}}));
    }
    {
        d.PrintColumn = 1;
        RecordingCanvas dc;
        d.Draw(dc, dmPrint, {}, 0, 0);
        EXPECT_EQ(runs(dc).size(), 6u);
        EXPECT_EQ(fillsIn(dc, kButtonFace), 0);
    }
    {
        d.IncludeTime = 1;
        d.Width = 200;
        d.SetValue(QStringLiteral("2004-03-10 12:30:00"));
        RecordingCanvas dc;
        d.Draw(dc, dmPrint, {}, 0, 0);
        EXPECT_EQ(runs(dc).back(), (Placed{"12:30:00", 151, y}));
    }
}

TEST(DatePaint, CheckFormatAndNarrowColumns)
{
    auto d = make<TZqDate>();
    d.Format = 0;
    d.ColWidth1 = 70;
    d.ColWidth2 = 50;
    d.ColWidth3 = 10; // narrower than its caption: all caption
    d.Width = 130;
    d.Height = 20;
    d.SetValue(QStringLiteral("2004-11-20"));
    RecordingCanvas dc;
    d.Draw(dc, dmInput, {}, 0, 0);
    QString texts;
    for (const auto& p : runs(dc))
        texts += p.text + u'|';
    EXPECT_EQ(str(texts), "贰零零肆|年|壹拾壹|月|日|");
    d.SetValue(QString());
    RecordingCanvas empty;
    d.Draw(empty, dmPrint, {}, 0, 0);
    EXPECT_TRUE(empty.ops(Kind::Text).empty());
}

TEST(DateHitTest, CaptionBoxesResizeColumns)
{
    auto d = make<TZqDate>();
    d.ColWidth1 = 60;
    d.ColWidth2 = 50;
    d.ColWidth3 = 40;
    d.Width = 150;
    d.Height = 20;
    RecordingCanvas dc;
    d.Draw(dc, dmDesign, {}, 0, 0); // measures the caption boxes
    int code = 0;
    EXPECT_TRUE(d.HitTest({50, 5}, code));
    EXPECT_EQ(code, 4);
    EXPECT_TRUE(d.HitTest({140, 19}, code));
    EXPECT_EQ(code, 4);
    EXPECT_FALSE(d.HitTest({20, 5}, code)); // not selected: the body does not hit
    d.SetSelected(true);
    EXPECT_TRUE(d.HitTest({20, 5}, code));
    EXPECT_EQ(code, 1);
    EXPECT_FALSE(d.PtInCaption({150, 5}));
}

// ---------------------------------------------------------------- edit family

TEST(EditPaint, ModesDecideWhatIsDrawn)
{
    auto e = make<TZqEdit>();
    e.Width = 100;
    e.Height = 20;
    e.SingleLine = 1;
    e.FitMode = 2;
    e.SetValue(QStringLiteral("ab"));
    {
        RecordingCanvas dc;
        e.Draw(dc, dmInput, {}, 0, 0);
        EXPECT_EQ(placed(dc), P({{"a", 0, 3}, {"b", 6, 3}}));
        ASSERT_EQ(dc.ops(Kind::Polyline).size(), 2u);
        EXPECT_EQ(dc.ops(Kind::Polyline)[0].state.pen.color, kGrey);
        EXPECT_EQ(dc.ops(Kind::Polyline)[0].points, (std::vector<QPoint>{{0, 19}, {0, 0}, {100, 0}}));
        EXPECT_EQ(fillsIn(dc, kWhite), 1);
    }
    {
        RecordingCanvas dc;
        e.Draw(dc, dmPrint, {}, 2, 3);
        EXPECT_EQ(placed(dc), P({{"a", 3, 5}, {"b", 9, 5}}));
        EXPECT_TRUE(dc.ops(Kind::Polyline).empty());
        EXPECT_EQ(fillsIn(dc, kWhite), 0);
    }
    e.NoPrint = 1;
    {
        RecordingCanvas dc;
        e.Draw(dc, dmPrint, {}, 0, 0);
        EXPECT_TRUE(dc.ops().empty());
        RecordingCanvas screen;
        e.Draw(screen, dmInput, {}, 0, 0);
        ASSERT_EQ(screen.ops(Kind::Line).size(), 1u); // the red cross-out diagonal
        EXPECT_EQ(screen.ops(Kind::Line)[0].state.pen.color, kRed);
    }
    e.NoPrint = 0;
    e.PrintSelf = 0;
    RecordingCanvas dc;
    e.Draw(dc, dmPrint, {}, 0, 0);
    EXPECT_TRUE(dc.ops().empty());
}

TEST(EditPaint, SettingsChooseTheTextRoutine)
{
    auto e = make<TZqEdit>();
    e.Width = 30;
    e.Height = 40;
    {
        // Narrowing keeps the height and narrows the characters.
        e.SingleLine = 1;
        e.FitMode = 1;
        e.SetValue(QStringLiteral("abcdefghij"));
        RecordingCanvas dc;
        e.Draw(dc, dmPrint, {}, 0, 0);
        const auto texts = dc.ops(Kind::Text);
        ASSERT_EQ(texts.size(), 10u);
        EXPECT_GT(texts[0].state.font.width, 0);
        EXPECT_EQ(std::abs(texts[0].state.font.height), 13);
    }
    {
        // Proportional shrinking makes the font smaller.
        e.FitMode = 0;
        RecordingCanvas dc;
        e.Draw(dc, dmPrint, {}, 0, 0);
        const auto texts = dc.ops(Kind::Text);
        ASSERT_EQ(texts.size(), 10u);
        EXPECT_EQ(texts[0].state.font.width, 0);
        EXPECT_LT(std::abs(texts[0].state.font.height), 13);
    }
    {
        // Several lines without shrinking: one line below the other.
        e.SingleLine = 0;
        e.FitMode = 2;
        e.SetValue(QStringLiteral("甲\r\n乙"));
        RecordingCanvas dc;
        e.Draw(dc, dmPrint, {}, 0, 0);
        EXPECT_EQ(placed(dc), P({{u8("甲"), 0, 7}, {u8("乙"), 0, 20}}));
    }
    {
        // Vertical text turns the letters a quarter.
        e.TextOrie = 1;
        e.SetValue(QStringLiteral("ab中"));
        RecordingCanvas dc;
        e.Draw(dc, dmPrint, {}, 0, 0);
        const auto texts = dc.ops(Kind::Text);
        ASSERT_EQ(texts.size(), 3u);
        EXPECT_EQ(texts[0].state.font.escapement, 2700);
        EXPECT_EQ(texts[2].state.font.escapement, 0);
    }
}

TEST(EditPaint, AmountsThatCannotBeWrittenOutPrintNothing)
{
    auto e = make<TZqEdit>();
    e.Width = 300;
    e.Height = 20;
    e.OnlyDigit = 1;
    e.AutoUpper = 1;
    e.SetValue(QStringLiteral("1234567890123"));
    RecordingCanvas dc;
    EXPECT_NO_THROW(e.Draw(dc, dmPrint, {}, 0, 0));
    EXPECT_TRUE(dc.ops(Kind::Text).empty());
}

TEST(ComboBoxPaint, ButtonOnTheDesignSurfaceAndInExportOnly)
{
    auto c = make<TZqComboBox>();
    c.Width = 80;
    c.Height = 20;
    c.SetValue(QStringLiteral("箱"));
    for (int mode : {dmDesign, dmExport, dmInput, dmPrint}) {
        RecordingCanvas dc;
        c.Draw(dc, mode, {}, 0, 0);
        const bool button = mode == dmDesign || mode == dmExport;
        EXPECT_EQ(fillsIn(dc, kButtonFace), button ? 1 : 0) << mode;
        EXPECT_EQ(dc.ops(Kind::Polygon).size(), button ? 1u : 0u) << mode;
        EXPECT_TRUE(hasText(dc, QStringLiteral("箱")));
    }
}

TEST(SerialNumberPaint, NeverOnTheDesignSurface)
{
    auto s = make<TZqSNEdit>();
    s.Width = 100;
    s.Height = 20;
    s.SetValue(QStringLiteral("5"));
    for (int mode : {dmDesign, dmExport, dmInput, dmPrint}) {
        RecordingCanvas dc;
        s.Draw(dc, mode, {}, 0, 0);
        EXPECT_EQ(str(dc.texts()), mode == dmInput || mode == dmPrint ? "000005" : "") << mode;
    }
}

// ---------------------------------------------------------------- small kinds

TEST(PasswordPaint, TwoRowsOfSixOnScreenCharactersOnPaper)
{
    auto p = make<TZqPassword>();
    p.Width = 70; // caption column 10, six columns of 10
    p.Height = 30;
    p.SetValue(QStringLiteral("12345678901234"));
    {
        RecordingCanvas dc;
        p.Draw(dc, dmPrint, {}, 0, 0);
        const auto texts = placed(dc);
        ASSERT_EQ(texts.size(), 12u);
        EXPECT_EQ(texts[0], (Placed{"1", 12, -1}));
        EXPECT_EQ(texts[5], (Placed{"6", 62, -1}));
        EXPECT_EQ(texts[6], (Placed{"7", 12, 9}));
        EXPECT_EQ(texts[11], (Placed{"2", 62, 9}));
        EXPECT_TRUE(dc.ops(Kind::Line).empty());
    }
    {
        RecordingCanvas dc;
        p.Draw(dc, dmInput, {}, 0, 0);
        EXPECT_TRUE(hasText(dc, QStringLiteral("密")));
        EXPECT_TRUE(hasText(dc, QStringLiteral("码")));
        EXPECT_EQ(dc.ops(Kind::Line).size(), 2u * 6 + 2);
    }
    {
        p.Type = 1;
        RecordingCanvas dc;
        p.Draw(dc, dmPrint, {}, 0, 0);
        EXPECT_EQ(str(dc.texts()), "12345678901234");
        EXPECT_FALSE(hasText(dc, QStringLiteral("须")));
    }
}

TEST(CheckPaint, SignWhenCheckedOutlineOnScreen)
{
    auto c = make<TZqCheck>();
    c.Width = 30;
    c.Height = 20;
    for (int style : {0, 1}) {
        c.SignStyle = static_cast<quint8>(style);
        RecordingCanvas dc;
        c.Draw(dc, dmPrint, {}, 0, 0);
        ASSERT_EQ(dc.ops(Kind::Polygon).size(), 1u);
        EXPECT_EQ(dc.ops(Kind::Fill).size(), 1u);
        EXPECT_EQ(dc.ops(Kind::Fill)[0].rect, QRect(6, 1, 18, 18)); // the centred square
    }
    c.SetChecked(false);
    RecordingCanvas dc;
    c.Draw(dc, dmInput, {}, 0, 0);
    EXPECT_TRUE(dc.ops(Kind::Polygon).empty());
    EXPECT_EQ(dc.ops(Kind::Polyline).size(), 2u);
}

TEST(PostalCodePaint, OneCharacterPerBox)
{
    auto p = make<TZqPostalCode>();
    p.Width = 100;
    p.Height = 20;
    p.SetValue(QStringLiteral("3100123"));
    {
        RecordingCanvas dc;
        p.Draw(dc, dmPrint, {}, 0, 0);
        EXPECT_EQ(placed(dc), P({{"3", 5, 3}, {"1", 22, 3}, {"0", 39, 3}, {"0", 56, 3}, {"1", 73, 3}, {"2", 89, 3}}));
        EXPECT_TRUE(dc.ops(Kind::Line).empty());
    }
    {
        RecordingCanvas dc;
        p.Draw(dc, dmInput, {}, 0, 0);
        EXPECT_EQ(dc.ops(Kind::Line).size(), 5u);
        EXPECT_EQ(dc.ops(Kind::Line)[4].points, (std::vector<QPoint>{{84, 0}, {84, 20}}));
    }
    {
        p.SpaceWidth = 2; // each box framed on its own
        RecordingCanvas dc;
        p.Draw(dc, dmInput, {}, 0, 0);
        EXPECT_EQ(dc.ops(Kind::Polyline).size(), 6u);
    }
    for (int cells : {0, -1}) {
        p.CellCount = cells;
        RecordingCanvas dc;
        p.Draw(dc, dmInput, {}, 0, 0);
        EXPECT_EQ(str(dc.texts()), "宽度不足");
    }
}

} // namespace
