// The printing logic: printer lookups over a fake spooler, the offset
// arithmetic, cutting dates and amounts, the adjustment document, the
// calibration saving and the refusals of the print run.
#include "PrintFixture.h"

#include "app/Settings.h"
#include "base/Clock.h"
#include "base/DateSerial.h"
#include "base/Error.h"
#include "base/IniFile.h"
#include "print/AdjustSurface.h"
#include "print/Calibration.h"
#include "print/PrintRun.h"
#include "print/PrintSettings.h"
#include "print/ZqPrinters.h"
#include "platform/RecordingCanvas.h"
#include "model/ZqEdit.h"

#include <QDir>
#include <QMap>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <climits>
#include <cmath>

using namespace zq;
using namespace zqp;

namespace {

class FakeSource : public TZqPrinterSource {
public:
    QStringList names{QStringLiteral("Office Laser"), QStringLiteral("Dot Matrix")};
    QString def;
    QList<TZqForm> forms;
    QStringList paperNames{QStringLiteral("Letter"), QStringLiteral("a3"), QStringLiteral("A4")};
    QList<int> paperCodes{1, 8, 9};
    int angle = 270;
    QStringList PrinterNames() override { return names; }
    QString DefaultPrinterName() override { return def; }
    QMap<QString, QList<TZqForm>> formsBy; // printers with forms of their own
    QList<TZqForm> Forms(const QString& p) override { return formsBy.value(p, forms); }
    QStringList PaperNames(const QString&) override { return paperNames; }
    QList<int> PaperCodes(const QString&) override { return paperCodes; }
    int OrientationAngle(const QString&) override { return angle; }
};

TZqForm form(const char16_t* name, int wum, int hum) { return TZqForm{QString::fromUtf16(name), wum, hum, {}}; }

struct PrinterTest : ::testing::Test {
    FakeSource* src = nullptr;
    std::unique_ptr<TZqPrinter> p;
    void SetUp() override
    {
        auto s = std::make_unique<FakeSource>();
        src = s.get();
        src->forms = {form(u"Letter", 215900, 279400), form(u" a4 ", 210000, 297000), form(u"A3", 297000, 420000)};
        p = std::make_unique<TZqPrinter>(std::move(s));
    }
};

} // namespace

TEST_F(PrinterTest, ListLookupAndDefault)
{
    EXPECT_EQ(p->Printers(), (QStringList{QStringLiteral("Office Laser"), QStringLiteral("Dot Matrix"),
                                          QString::fromUtf16(kPdfTarget)}));
    EXPECT_EQ(p->FindPrinter(QStringLiteral("office LASER")), QStringLiteral("Office Laser"));
    EXPECT_FALSE(p->FindPrinter(QStringLiteral("Office")));
    // Installed later: not seen until the next start.
    src->names.append(QStringLiteral("New One"));
    EXPECT_FALSE(p->FindPrinter(QStringLiteral("New One")));
    // No default printer is an empty name, not an error.
    EXPECT_EQ(p->GetDefaultPrinterName(), QString());
    EXPECT_THROW(p->CreatePrinterDevice(QStringLiteral("nobody"), QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                        QString(), QString()),
                 Error);
}

TEST_F(PrinterTest, FormsAndPapers)
{
    const auto names = p->GetFormNames(QStringLiteral("Dot Matrix"));
    ASSERT_EQ(names.size(), 3);
    EXPECT_EQ(names[0], std::make_pair(QStringLiteral(" a4 "), 2));
    EXPECT_EQ(names[1], std::make_pair(QStringLiteral("A3"), 3));
    EXPECT_EQ(names[2], std::make_pair(QStringLiteral("Letter"), 1));

    EXPECT_EQ(p->FindFormSize(QStringLiteral("Dot Matrix"), QStringLiteral("A4")), QSize(210, 297));
    EXPECT_FALSE(p->FindFormSize(QStringLiteral("Dot Matrix"), QStringLiteral(" A4")));
    EXPECT_EQ(p->FindFormSize(QStringLiteral("Dot Matrix"), QStringLiteral("letter")), QSize(215, 279));
    EXPECT_FALSE(p->FindFormSize(QStringLiteral("Dot Matrix"), QStringLiteral("B5")));
    EXPECT_FALSE(p->FindFormSize(QStringLiteral("nobody"), QStringLiteral("A4")));

    EXPECT_EQ(p->GetPaperNames(QStringLiteral("Dot Matrix")).size(), 3);
    src->paperCodes.append(11); // four codes for three names: the driver contradicts itself
    EXPECT_TRUE(p->GetPaperNames(QStringLiteral("Dot Matrix")).isEmpty());
    EXPECT_EQ(p->GetOrientationAngle(QStringLiteral("Dot Matrix")), 270);

    // The PDF target has the usual cut sizes and turns landscape by 90.
    const QString pdf = QString::fromUtf16(kPdfTarget);
    EXPECT_EQ(p->FindFormSize(pdf, QStringLiteral("A4")), QSize(210, 297));
    EXPECT_EQ(p->GetOrientationAngle(pdf), 90);
}

TEST(AutoPaper, A3InAnyCaseElseA4)
{
    int code = 0;
    QString name;
    ChooseAutoPaper({{QStringLiteral("Letter"), 1}, {QStringLiteral("a3"), 8}}, code, name);
    EXPECT_EQ(code, 8);
    EXPECT_EQ(name, QStringLiteral("A3"));
    ChooseAutoPaper({{QStringLiteral("A4"), 9}}, code, name);
    EXPECT_EQ(code, 9);
    EXPECT_EQ(name, QStringLiteral("A4"));
}

// ---------------------------------------------------------------- offsets

namespace {
struct OffsetCase {
    const char* what;
    int tw, th, W, H, orientation, feed, angle;
    double left, top; // the margins of the direction used
    TZqOffsets want;
};
} // namespace

TEST(Offsets, WorkedCases)
{
    const int base = 0;
    const OffsetCase cases[] = {
        {"portrait A4, centre feed", 600, 800, 794, 1123, 1, 1, 90, 40, 40, {97, 0}},
        {"portrait, left feed", 600, 800, 794, 1123, 1, 0, 90, 40, 40, {0, 0}},
        {"portrait, far feed", 600, 800, 794, 1123, 1, 2, 90, 40, 40, {194, 0}},
        {"portrait, left margin 42.5", 600, 800, 794, 1123, 1, 0, 90, 42.5, 40, {-9, 0}},
        {"portrait, left margin 43.2", 600, 800, 794, 1123, 1, 0, 90, 43.2, 40, {-12, 0}},
        {"portrait, top margin 42.5", 600, 800, 794, 1123, 1, 0, 90, 40, 42.5, {0, -9}},
        {"portrait, template wider than the form", 900, 800, 794, 1123, 1, 1, 90, 40, 40, {0, 0}},
        {"landscape 90, left feed", 1000, 600, 794, 1123, 2, 0, 90, 40, 40, {base + 123, base}},
        {"landscape 90, centre feed", 1000, 600, 794, 1123, 2, 1, 90, 40, 40, {123, 97}},
        {"landscape 90, far feed", 1000, 600, 794, 1123, 2, 2, 90, 40, 40, {123, 194}},
        {"landscape 270, left feed", 1000, 600, 794, 1123, 2, 0, 270, 40, 40, {base, base + 194}},
        {"landscape 270, centre feed", 1000, 600, 794, 1123, 2, 1, 270, 40, 40, {0, 97}},
        {"landscape 270, far feed", 1000, 600, 794, 1123, 2, 2, 270, 40, 40, {0, 0}},
        {"landscape 90, margins 42.5", 1000, 600, 794, 1123, 2, 0, 90, 42.5, 42.5, {114, -9}},
        {"landscape 270, template as tall as the form", 1000, 794, 794, 1123, 2, 0, 270, 40, 40, {0, 0}},
    };
    for (const OffsetCase& c : cases) {
        Calibration m;
        if (c.orientation == 1) {
            m.PortraitLeftMargin = c.left;
            m.PortraitTopMargin = c.top;
            m.LandscapeLeftMargin = m.LandscapeTopMargin = 10; // not used
        } else {
            m.LandscapeLeftMargin = c.left;
            m.LandscapeTopMargin = c.top;
            m.PortraitLeftMargin = m.PortraitTopMargin = 10;
        }
        EXPECT_EQ(ComputeOffsets(c.tw, c.th, c.W, c.H, c.orientation, c.feed, c.angle, m), c.want) << c.what;
    }
}

TEST(Offsets, NeverWrapAndIgnoreInsaneMargins)
{
    Calibration m;
    EXPECT_THROW(ComputeOffsets(INT_MIN, 10, INT_MAX, 10, 1, 2, 90, m), Error);
    EXPECT_THROW(ComputeOffsets(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 2, 2, 90, m), Error);
    // Margins outside 0..300 or not finite, as a hand-edited file may hold, count as 40.
    for (double bad : {std::nan(""), double(INFINITY), 1e300, -1.0, 300.5}) {
        m.PortraitLeftMargin = bad;
        EXPECT_EQ(ComputeOffsets(600, 800, 794, 1123, 1, 0, 90, m), (TZqOffsets{0, 0})) << bad;
    }
    m.PortraitLeftMargin = 300;
    EXPECT_EQ(ComputeOffsets(600, 800, 794, 1123, 1, 0, 90, m).dx, -983);
}

// ---------------------------------------------------------------- cutting

TEST(DateParts, EveryType)
{
    TZqTemplate t;
    auto* d = addItem<TZqDate>(t, itDate, QStringLiteral("D"), 100, 50, 204, 20);
    d->ColWidth1 = 80;
    d->ColWidth2 = 60;
    d->ColWidth3 = 64;
    d->LabelWidth = 16;
    d->Format = 2;
    d->SetValue(QStringLiteral("2004-03-10"));
    struct Want {
        int type;
        std::vector<TZqPart> parts;
    };
    const Want wants[] = {
        {0, {{QStringLiteral("D_Year"), QRect(100, 50, 64, 20), QStringLiteral("2004")},
             {QStringLiteral("D_Month"), QRect(180, 50, 44, 20), QStringLiteral("03")},
             {QStringLiteral("D_Day"), QRect(240, 50, 48, 20), QStringLiteral("10")}}},
        {1, {{QStringLiteral("D_Year"), QRect(100, 50, 64, 20), QStringLiteral("2004")},
             {QStringLiteral("D_Month"), QRect(180, 50, 44, 20), QStringLiteral("03")}}},
        {2, {{QStringLiteral("D_Year"), QRect(100, 50, 64, 20), QStringLiteral("2004")}}},
        {3, {{QStringLiteral("D_Month"), QRect(100, 50, 64, 20), QStringLiteral("03")},
             {QStringLiteral("D_Day"), QRect(180, 50, 44, 20), QStringLiteral("10")}}},
    };
    for (const Want& w : wants) {
        d->Type = static_cast<quint8>(w.type);
        EXPECT_EQ(DateParts(*d), w.parts) << "type " << w.type;
    }
    // A caption wider than its column leaves an empty part, never a negative width.
    d->Type = 0;
    d->LabelWidth = 70;
    EXPECT_EQ(DateParts(*d)[1].Bounds.width(), 0);
}

namespace {
QStringList texts(const std::vector<TZqPart>& parts)
{
    QStringList out;
    for (const TZqPart& p : parts)
        out.append(p.Text);
    return out;
}
const QString Y = QStringLiteral("￥");
QString operator""_s(const char16_t* s, size_t n) { return QString::fromUtf16(s, static_cast<qsizetype>(n)); }
} // namespace

TEST(AmountBoxes, DigitsSignAndLimit)
{
    TZqTemplate t;
    auto* c = addAmount(t, QStringLiteral("A"), 0, 0, 270, 30, 8, 0);
    c->SetValue(QStringLiteral("1234.50"));
    EXPECT_EQ(texts(AmountBoxes(*c)), (QStringList{{}, {}, Y, u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"0"_s}));
    EXPECT_EQ(AmountBoxes(*c).back().Name, QStringLiteral("A_1"));
    EXPECT_EQ(AmountBoxes(*c).front().Name, QStringLiteral("A_9"));

    auto* c2 = addAmount(t, QStringLiteral("B"), 0, 0, 210, 30, 8, 2);
    c2->SetValue(QStringLiteral("1234.50"));
    EXPECT_EQ(texts(AmountBoxes(*c2)), (QStringList{{}, {}, Y, u"1"_s, u"2"_s, u"3"_s, u"4"_s}));

    auto* c3 = addAmount(t, QStringLiteral("C"), 0, 0, 90, 30, 2, 0);
    c3->ShowCurrencySign = 0;
    c3->SetValue(QStringLiteral("0.05"));
    EXPECT_EQ(texts(AmountBoxes(*c3)), (QStringList{{}, {}, u"5"_s}));

    auto* c4 = addAmount(t, QStringLiteral("E"), 0, 0, 330, 30, 10, 0);
    c4->ShowLimitation = 1;
    c4->Limitation = QStringLiteral("万");
    QStringList want(11);
    want[10 - 6] = Y; // place 6 from the left of eleven boxes
    EXPECT_EQ(texts(AmountBoxes(*c4)), want);
}

TEST(AmountBoxes, GeometryAndBadSettings)
{
    TZqTemplate t;
    auto* c = addAmount(t, QStringLiteral("A"), 10, 20, 100, 30, 2, 0);
    auto boxes = AmountBoxes(*c);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].Bounds, QRect(11, 20, 31, 30));
    EXPECT_EQ(boxes[1].Bounds, QRect(44, 20, 31, 30));
    EXPECT_EQ(boxes[2].Bounds, QRect(77, 20, 32, 30));
    // With the unit captions the boxes take the lower half.
    c->ShowCurrencyColumn = 1;
    EXPECT_EQ(AmountBoxes(*c)[0].Bounds, QRect(11, 35, 31, 15));
    c->ShowCurrencyColumn = 0;
    // Fine adjustments from a file: huge ones neither wrap nor give negative widths.
    c->TinyAdj[0] = INT_MAX;
    c->TinyAdj[1] = INT_MIN;
    boxes = AmountBoxes(*c);
    EXPECT_EQ(boxes[1].Bounds.width(), 0);
    EXPECT_EQ(boxes[2].Bounds.width(), INT_MAX);
    // High below Low: nothing to box.
    c->High = 0;
    c->Low = 3;
    EXPECT_TRUE(AmountBoxes(*c).empty());
    // More figures than boxes (possible only from a record or a file): every box empty.
    auto* d = addAmount(t, QStringLiteral("D"), 0, 0, 90, 30, 2, 0);
    d->Value = QStringLiteral("123456.00");
    EXPECT_EQ(texts(AmountBoxes(*d)), (QStringList{{}, {}, {}}));
}

// ---------------------------------------------------------------- surface

namespace {
struct SurfaceTest : ::testing::Test {
    TZqAdjustDoc doc;
    void load(TZqTemplate& t) { doc.LoadFromStream(t.SaveToStream()); }
};
} // namespace

TEST_F(SurfaceTest, PreparingCutsDatesAndAmounts)
{
    TZqTemplate t;
    auto* d = addItem<TZqDate>(t, itDate, QStringLiteral("D"), 100, 50, 204, 20);
    d->Type = 1;
    d->Format = 3;
    d->LabelWidth = 16;
    d->SetValue(QStringLiteral("2024-3-9"));
    auto* whole = addItem<TZqDate>(t, itDate, QStringLiteral("W"), 100, 90, 204, 20);
    whole->Type = 1;
    whole->PrintColumn = 1;
    auto* a = addAmount(t, QStringLiteral("A"), 0, 200, 90, 30, 2, 0);
    a->SetValue(QStringLiteral("1.23"));
    auto* bad = addAmount(t, QStringLiteral("B"), 0, 300, 90, 30, 0, 2); // High below Low
    auto* quiet = addItem<TZqLabel>(t, itLabel, QStringLiteral("L"), 0, 400, 50, 20);
    quiet->PrintSelf = 0;
    load(t);
    const TZqTemplate& s = doc.Template();
    ASSERT_EQ(s.ItemCount(), 5 + 2 + 3);
    EXPECT_FALSE(s.GetItemByName(QStringLiteral("D"))->PrintSelf);
    EXPECT_FALSE(s.GetItemByName(QStringLiteral("D"))->Visible);
    EXPECT_TRUE(s.GetItemByName(QStringLiteral("W"))->PrintSelf);
    EXPECT_FALSE(s.GetItemByName(QStringLiteral("A"))->PrintSelf);
    EXPECT_TRUE(s.GetItemByName(QStringLiteral("B"))->PrintSelf); // left whole
    EXPECT_FALSE(s.GetItemByName(QStringLiteral("L"))->Visible);
    auto* month = dynamic_cast<TZqEdit*>(s.GetItemByName(QStringLiteral("D_Month")));
    ASSERT_TRUE(month);
    EXPECT_EQ(month->Value, QStringLiteral("3"));
    EXPECT_EQ(month->HorzAlign, 2);
    EXPECT_EQ(month->SaveToPrtRec, 0);
    EXPECT_EQ(month->GetBounds(), QRect(168, 50, 52, 20));
    EXPECT_EQ(static_cast<TZqEdit*>(s.GetItemByName(QStringLiteral("A_3")))->Value, QStringLiteral("1"));
    EXPECT_TRUE(doc.Unprintable().isEmpty());
    (void)bad;
}

TEST_F(SurfaceTest, SelectionMovesAndKeys)
{
    TZqTemplate t;
    t.TempWidth = 400;
    t.TempHeight = 300;
    // Labels print only when asked to.
    addItem<TZqLabel>(t, itLabel, QStringLiteral("a"), 10, 10, 5, 20)->PrintSelf = 1;
    addItem<TZqLabel>(t, itLabel, QStringLiteral("b"), 100, 10, 50, 20)->PrintSelf = 0;
    addItem<TZqLabel>(t, itLabel, QStringLiteral("c"), 200, 10, 50, 20)->PrintSelf = 1;
    load(t);
    TZqItem* ia = doc.Template().GetItemByName(QStringLiteral("a"));
    TZqItem* ib = doc.Template().GetItemByName(QStringLiteral("b"));
    TZqItem* ic = doc.Template().GetItemByName(QStringLiteral("c"));

    EXPECT_FALSE(doc.Click({12, 12}, false));
    EXPECT_EQ(doc.Selection(), std::vector<TZqItem*>{ia});
    EXPECT_TRUE(doc.Click({300, 200}, false)); // empty space starts a band
    EXPECT_EQ(doc.SelectedCount(), 0);
    doc.SelectInBand(QRect(QPoint(260, 40), QPoint(0, 0)));
    EXPECT_EQ(doc.Selection(), (std::vector<TZqItem*>{ia, ic})); // b does not show
    doc.Click({12, 12}, true); // Ctrl on a selected item deselects it
    EXPECT_EQ(doc.Selection(), std::vector<TZqItem*>{ic});

    doc.Select(ia, true);
    doc.ArrowKey(TZqArrow::Left, true, false); // width 5 would reach 4
    EXPECT_EQ(ia->Width, 5);
    doc.ArrowKey(TZqArrow::Right, false, true);
    EXPECT_EQ(ia->XPos, 18);
    EXPECT_EQ(ic->XPos, 208);
    EXPECT_EQ(ic->Width, 49); // c was selected too and could narrow
    doc.ArrowKey(TZqArrow::Right, true, true); // 208 + 49 + 8 < 400
    EXPECT_EQ(ic->Width, 57);
    doc.MoveSelected(TZqArrow::Down, 1.0); // 3.78 pixels -> 4
    EXPECT_EQ(ia->YPos, 14);
    doc.MoveSelected(TZqArrow::Left, 0.6614583); // 2.4999 -> 2
    EXPECT_EQ(ia->XPos, 16);

    // Select all takes the printing items only.
    doc.SelectAll();
    EXPECT_EQ(doc.Selection(), (std::vector<TZqItem*>{ia, ic}));
    doc.SetSelectedPrintSelf(false);
    EXPECT_TRUE(ia->Visible);
    doc.SelectAll();
    EXPECT_EQ(doc.SelectedCount(), 0);
    (void)ib;
}

TEST_F(SurfaceTest, FormatTakesPositionsAndFontsByExactName)
{
    TZqTemplate t;
    auto* e = addItem<TZqEdit>(t, itEdit, QStringLiteral("Payee"), 10, 10, 100, 20);
    e->FontName = QStringLiteral("宋体");
    addItem<TZqLabel>(t, itLabel, QStringLiteral("payee"), 10, 50, 100, 20);
    load(t);
    TZqTemplate f;
    auto* fe = addItem<TZqEdit>(f, itEdit, QStringLiteral("Payee"), 30, 40, 120, 25);
    fe->FontName = QStringLiteral("黑体");
    fe->FontSize = -14;
    fe->PrintSelf = 0;
    addItem<TZqEdit>(f, itEdit, QStringLiteral("payee"), 99, 99, 9, 9); // another kind, other case
    doc.ApplyFormat(f);
    const auto* se = static_cast<TZqEdit*>(doc.Template().GetItemByName(QStringLiteral("Payee")));
    EXPECT_EQ(se->GetBounds(), QRect(30, 40, 120, 25));
    EXPECT_EQ(se->FontName, QStringLiteral("黑体"));
    EXPECT_EQ(se->FontSize, -14);
    EXPECT_TRUE(se->PrintSelf); // print flags come from the template
    EXPECT_EQ(doc.Template().Item(1)->GetBounds(), QRect(10, 50, 100, 20));
}

// ---------------------------------------------------------------- calibration

TEST(Calibration, WizardSavesAndReplaces)
{
    QTemporaryDir dir;
    const Settings s(dir.filePath(QStringLiteral("config.ini")));
    FixedClock fixed(encodeDateTime({2026, 12, 11, 9, 5, 7, 0}));
    setClock(&fixed);
    // A key the wizard does not write disappears on the next save.
    s.ini().edit([](IniDocument& d) { d.writeString(QStringLiteral("Laser"), QStringLiteral("Extra"), QStringLiteral("x")); });
    SaveCalibration(s, QStringLiteral("Laser"), QStringLiteral(" 43.2 "), QStringLiteral("38"), QStringLiteral("40"),
                    QStringLiteral("41.5"));
    setClock(nullptr);
    const Calibration c = s.calibration(QStringLiteral("Laser"));
    EXPECT_EQ(c.Time, QStringLiteral("2026-12-11 09:05:07"));
    EXPECT_EQ(c.PortraitLeftMargin, 43.2);
    EXPECT_EQ(c.PortraitTopMargin, 38);
    EXPECT_EQ(c.LandscapeTopMargin, 41.5);
    EXPECT_EQ(s.ini().readString(QStringLiteral("Laser"), QStringLiteral("Extra")), QString());

    // The first bad text names its page and box; nothing is written.
    struct Bad {
        const char16_t *pl, *pt, *ll, *lt, *msg;
    };
    const Bad bads[] = {
        {u"43,2", u"40", u"40", u"40", u"正向校准左边距没有输入或输入错误！"},
        {u"40", u"", u"40", u"40", u"正向校准上边距没有输入或输入错误！"},
        {u"40", u"40", u"nan", u"40", u"侧向校准左边距没有输入或输入错误！"},
        {u"40", u"40", u"40", u"301", u"侧向校准上边距没有输入或输入错误！"},
        {u"-1", u"x", u"40", u"40", u"正向校准左边距没有输入或输入错误！"},
        {u"1e400", u"40", u"40", u"40", u"正向校准左边距没有输入或输入错误！"},
    };
    for (const Bad& b : bads) {
        try {
            SaveCalibration(s, QStringLiteral("Laser"), QString::fromUtf16(b.pl), QString::fromUtf16(b.pt),
                            QString::fromUtf16(b.ll), QString::fromUtf16(b.lt));
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), QString::fromUtf16(b.msg));
        }
    }
    EXPECT_EQ(s.calibration(QStringLiteral("Laser")), c);
    const QString forty = QStringLiteral("40");
    EXPECT_THROW(SaveCalibration(s, QString(), forty, forty, forty, forty), Error);
}

TEST(Calibration, PageDrawsTheReferenceLinesAt40mm)
{
    RecordingCanvas dc;
    DrawCalibrationPage(dc, true);
    auto lines = dc.ops(RecordingCanvas::Kind::Polyline);
    auto more = dc.ops(RecordingCanvas::Kind::Line);
    lines.insert(lines.end(), more.begin(), more.end());
    ASSERT_EQ(lines.size(), 2u);
    // 40 mm is 151 template pixels; 100 mm 378, 80 mm 302, 120 mm 454.
    EXPECT_EQ(lines[0].points, (std::vector<QPoint>{{151, 151}, {378, 151}}));
    EXPECT_EQ(lines[1].points, (std::vector<QPoint>{{151, 302}, {151, 454}}));
    EXPECT_TRUE(dc.texts().contains(QStringLiteral("☆打印机侧向校准页☆")));
    EXPECT_TRUE(dc.texts().contains(QStringLiteral("填写到侧向打印校准[左边距]")));
}

// ---------------------------------------------------------------- print run refusals

namespace {
struct RunTest : ::testing::Test {
    QTemporaryDir dir;
    TZqBPPrtPara para;
    QString pdf;
    int finished = 0;
    void SetUp() override
    {
        SetZqPrinterSource(nullptr);
        para.IniFileName = dir.filePath(QStringLiteral("config.ini"));
        para.TemplateFileName = dir.filePath(QStringLiteral("t.tpl"));
        para.FormatFileName = dir.filePath(QStringLiteral("t.sch"));
        pdf = dir.filePath(QStringLiteral("out.pdf"));
        PrintScheme s;
        s.PrinterName = QString::fromUtf16(kPdfTarget);
        s.AutoPaper = false;
        s.PaperCode = 2;
        s.PaperName = QStringLiteral("A4");
        s.Orientation = 1;
        s.FeedPosition = 0;
        Settings(para.IniFileName).setPrintScheme(s);
    }
    void save(TZqTemplate& t) { t.SaveToFile(para.TemplateFileName); }
    void prepare(TZqPrintSession& run)
    {
        run.OnPrintFinish = [this](const QList<TZqPage>&) { ++finished; };
        run.Prepare();
        para.OutputFile = pdf;
    }
};
} // namespace

TEST_F(RunTest, SchemeIsReadAndPrintWorks)
{
    TZqTemplate t;
    addItem<TZqEdit>(t, itEdit, QStringLiteral("e"), 10, 10, 100, 20)->Value = QStringLiteral("hello");
    save(t);
    para.Pages = {t.GetItemValues()};
    TZqPrintSession run(para);
    prepare(run);
    EXPECT_EQ(para.PrinterName, QString::fromUtf16(kPdfTarget));
    EXPECT_FALSE(para.AutoPaper);
    EXPECT_EQ(para.PaperName, QStringLiteral("A4"));
    EXPECT_EQ(para.Orientation, 1);
    EXPECT_EQ(para.FeedPosition, 0);
    EXPECT_FALSE(run.NeedsSettings());
    run.Print();
    EXPECT_TRUE(run.Printed());
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*.part-*")}).size(), 0);
}

TEST_F(RunTest, RefusalsReportNothingPrinted)
{
    TZqTemplate t;
    auto* a = addAmount(t, QStringLiteral("A"), 10, 10, 90, 30, 2, 0);
    save(t);

    // A template that does not load.
    {
        QFile f(para.TemplateFileName + QStringLiteral(".bad"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a template");
    }
    TZqBPPrtPara broken = para;
    broken.TemplateFileName += QStringLiteral(".bad");
    broken.Pages = {t.GetItemValues()};
    TZqPrintSession bad(broken);
    EXPECT_THROW(bad.Prepare(), Error);

    // No pages.
    TZqPrintSession none(para);
    EXPECT_THROW(none.Prepare(), Error);
    EXPECT_THROW(none.Print(), Error);

    // A paper the printer lacks.
    para.Pages = {t.GetItemValues()};
    {
        TZqPrintSession run(para);
        prepare(run);
        para.PaperName = QStringLiteral("No Such Paper");
        EXPECT_THROW(run.Print(), Error);
        EXPECT_FALSE(run.Printed());
    }
    // An amount with more figures than its boxes, as a record may carry it.
    para.PaperName = QStringLiteral("A4");
    {
        TZqPrintSession run(para);
        prepare(run);
        para.PaperName = QStringLiteral("A4");
        auto* sa = static_cast<TZqCurrency*>(run.Surface().Template().GetItemByName(QStringLiteral("A")));
        sa->Value = QStringLiteral("123456.00");
        try {
            run.Print();
            ADD_FAILURE() << "printed";
        } catch (const Error& e) {
            EXPECT_TRUE(e.message().contains(u'A')) << e.message().toStdString();
        }
        EXPECT_FALSE(run.Printed());
    }
    // A printer that is gone.
    {
        TZqPrintSession run(para);
        prepare(run);
        para.PrinterName = QStringLiteral("gone");
        EXPECT_TRUE(run.NeedsSettings());
        EXPECT_THROW(run.Print(), Error);
        EXPECT_FALSE(run.Printed());
    }
    EXPECT_EQ(finished, 0);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*.part-*")}).size(), 0);
    (void)a;
}

TEST_F(RunTest, NavigationCarriesAdjustmentsAndRestoreForgetsThem)
{
    TZqTemplate t;
    addItem<TZqEdit>(t, itEdit, QStringLiteral("e"), 10, 10, 100, 20);
    save(t);
    TZqPage p1 = t.GetItemValues(), p2 = p1;
    p1[0].Value = QStringLiteral("one");
    p2[0].Value = QStringLiteral("two");
    para.Pages = {p1, p2};
    TZqPrintSession run(para);
    prepare(run);
    EXPECT_EQ(run.PriorPage(), QStringLiteral("已是第一张了！"));
    TZqItem* e = run.Surface().Template().GetItemByName(QStringLiteral("e"));
    run.Surface().Select(e, true);
    run.Surface().MoveSelected(TZqArrow::Right, 10); // 38 pixels
    run.Surface().SetSelectedPrintSelf(false);
    EXPECT_EQ(run.NextPage(), QString());
    EXPECT_EQ(run.NextPage(), QStringLiteral("已是最后一张了！"));
    e = run.Surface().Template().GetItemByName(QStringLiteral("e"));
    EXPECT_EQ(e->XPos, 48);
    EXPECT_TRUE(e->PrintSelf); // the print flag comes from the template each time
    EXPECT_EQ(static_cast<TZqEdit*>(e)->Value, QStringLiteral("two"));
    run.SaveFormat();
    run.RestoreDefault();
    EXPECT_EQ(run.Surface().Template().GetItemByName(QStringLiteral("e"))->XPos, 10);

    // The next run takes the saved format.
    TZqPrintSession again(para);
    prepare(again);
    EXPECT_EQ(again.Surface().Template().GetItemByName(QStringLiteral("e"))->XPos, 48);
}

TEST(CapitalStyles, OverrideChequeFormats)
{
    TZqTemplate t;
    auto* d = addItem<TZqDate>(t, itDate, QStringLiteral("d"), 0, 0, 10, 10);
    auto* d2 = addItem<TZqDate>(t, itDate, QStringLiteral("d2"), 0, 0, 10, 10);
    d2->Format = 3;
    auto* e = addItem<TZqEdit>(t, itEdit, QStringLiteral("e"), 0, 0, 10, 10);
    e->OnlyDigit = 1;
    e->AutoUpper = 8;
    ApplyCapitalStyles(t, 1, 1);
    EXPECT_EQ(d->Format, 12);
    EXPECT_EQ(d2->Format, 3);
    EXPECT_EQ(e->AutoUpper, 9);
    ApplyCapitalStyles(t, 2, 2);
    EXPECT_EQ(d->Format, 0);
    EXPECT_EQ(e->AutoUpper, 1);
    ApplyCapitalStyles(t, 0, 7);
    EXPECT_EQ(d->Format, 0);
    EXPECT_EQ(e->AutoUpper, 1);
}

// ---------------------------------------------------------------- print settings

TEST(PrintSettings, ChecksStoresAndRefillsForms)
{
    auto src = std::make_unique<FakeSource>();
    src->def.clear();
    src->formsBy[QStringLiteral("Office Laser")] = {form(u"A4", 210000, 297000), form(u"A3", 297000, 420000)};
    src->formsBy[QStringLiteral("Dot Matrix")] = {form(u"241x280", 241000, 280000), form(u"A4", 210000, 297000)};
    SetZqPrinterSource(std::move(src));
    QTemporaryDir dir;
    TZqBPPrtPara para;
    para.IniFileName = dir.filePath(QStringLiteral("config.ini"));

    // First use: nothing chosen, and OK says what is missing first.
    TZqPrtSetChoice c = InitialChoice(para);
    EXPECT_EQ(c.Printer, QString());
    EXPECT_EQ(CheckChoice(c), QStringLiteral("请选择打印机！"));
    c.Printer = QStringLiteral("Dot Matrix");
    c.Paper = 1;
    EXPECT_EQ(CheckChoice(c), QStringLiteral("请选择自定义纸张！"));
    c.Form = QStringLiteral("241x280");
    EXPECT_EQ(CheckChoice(c), QStringLiteral("请选择打印方向！"));
    c.Orientation = 1;
    EXPECT_EQ(CheckChoice(c), QStringLiteral("请选择进纸位置，票据打印机选择靠左、激光或喷墨打印机选择居中！"));
    c.Feed = 0;
    EXPECT_EQ(CheckChoice(c), QString());

    // Another printer: its own forms; the form of the first one cannot be saved.
    c.Printer = QStringLiteral("Office Laser");
    EXPECT_EQ(FormsFor(c.Printer).size(), 2);
    EXPECT_EQ(FormsFor(c.Printer)[0].first, QStringLiteral("A3"));
    EXPECT_TRUE(CheckChoice(c).contains(QStringLiteral("241x280")));
    c.Form = QStringLiteral("A3");
    ASSERT_EQ(CheckChoice(c), QString());
    StoreChoice(c, para);
    const PrintScheme saved = Settings(para.IniFileName).printScheme();
    EXPECT_EQ(saved.PrinterName, QStringLiteral("Office Laser"));
    EXPECT_FALSE(saved.AutoPaper);
    EXPECT_EQ(saved.PaperCode, 2);
    EXPECT_EQ(saved.PaperName, QStringLiteral("A3"));
    EXPECT_EQ(saved.Orientation, 1);
    EXPECT_EQ(saved.FeedPosition, 0);

    // Automatic paper keeps the old code and name.
    c.Paper = 0;
    StoreChoice(c, para);
    EXPECT_EQ(Settings(para.IniFileName).printScheme().PaperName, QStringLiteral("A3"));
    EXPECT_TRUE(Settings(para.IniFileName).printScheme().AutoPaper);

    // A saved printer that is gone: not selected, the other choices still shown.
    para.PrinterName = QStringLiteral("Gone");
    const TZqPrtSetChoice again = InitialChoice(para);
    EXPECT_EQ(again.Printer, QString());
    EXPECT_EQ(again.Paper, 0);
    EXPECT_EQ(again.Orientation, 1);
    EXPECT_EQ(again.Feed, 0);

    // The wizard without a default printer opens with nothing selected.
    EXPECT_EQ(WizardInitialPrinter(QString()), QString());
    EXPECT_EQ(WizardInitialPrinter(QStringLiteral("dot matrix")), QStringLiteral("Dot Matrix"));
    SetZqPrinterSource(nullptr);
}

int main(int argc, char** argv)
{
    // Listing the tests runs this too, without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
