#include "draw/Barcode.h"

#include "base/Error.h"
#include "platform/Fonts.h"
#include "platform/QtCanvas.h"
#include "platform/RecordingCanvas.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace zq;

namespace {

QString errorOf(TzqBarcodType typ, const QString& text, bool checksum = false,
                TzqCheckSumMethod method = csmModulo10, int modul = 1, double ratio = 2.0)
{
    try {
        encodeBarcode(typ, text, checksum, method, modul, ratio);
    } catch (const Error& e) {
        return e.message();
    }
    return QString();
}

std::string modulesOf(TzqBarcodType typ, const QString& text, bool checksum = false)
{
    return encodeBarcode(typ, text, checksum, csmModulo10).modules;
}

} // namespace

TEST(BarcodeModules, HandWorkedStringsOfSymbologiesNoReaderKnows)
{
    const struct { TzqBarcodType typ; const char* text; const char* modules; } cases[] = {
        // start, '1' = wide narrow narrow narrow wide, '2' = narrow wide narrow narrow wide, stop
        {bcCode_2_5_industrial, "12", "606050" "6050505060" "5060505060" "605060"},
        // bar space bar space bar, then a narrow gap
        {bcCode_2_5_matrix, "12", "705050" "60506" "0" "51506" "0" "70505"},
        // '1' = 0001, '2' = 0010, check digit 5 = 0101 (double 2 = 4, plus 1)
        {bcCodeMSI, "12", "60" "51515161" "51516151" "51615161" "515"},
        // '1' = short short short full full, each bar followed by a space
        {bcCodePostNet, "1", "51" "A1A1A15151" "5"},
        // '9' = full short full short short, '0' = full full short short short
        {bcCodePostNet, "90", "51" "51A151A1A1" "5151A1A1A1" "5"},
        // interleaved: bars from 1 (wide narrow narrow narrow wide), spaces from 2
        {bcCode_2_5_interleaved, "12", "5050" "6051505061" "605"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(modulesOf(c.typ, QString::fromLatin1(c.text)), c.modules) << c.typ << " " << c.text;
}

TEST(BarcodeModules, MsiAlwaysAddsThePublishedCheckDigit)
{
    // 1357 doubled is 2714: 2+7+1+4 + 2+4+6 = 26, check digit 4 = 0100.
    for (bool checksum : {false, true}) {
        const BarcodeModules m = encodeBarcode(bcCodeMSI, QStringLiteral("1234567"), checksum, csmNone);
        EXPECT_EQ(m.modules.substr(m.modules.size() - 11), "51615151" "515");
        EXPECT_EQ(m.text, QStringLiteral("1234567"));
    }
}

TEST(BarcodeModules, RatioIsClampedPerTypeAndWidthsFollow)
{
    const struct { TzqBarcodType typ; int modul; double ratio; double ratioAfter; std::array<int, 4> w; } cases[] = {
        {bcCode39, 1, 1.5, 2.0, {1, 2, 3, 4}},
        {bcCode39, 1, 3.5, 3.0, {1, 3, 4, 6}},
        {bcCode_2_5_matrix, 1, 2.0, 2.25, {1, 2, 3, 4}},
        {bcCode_2_5_matrix, 2, 2.0, 2.25, {2, 4, 6, 8}}, // 4.5 rounds to even
        {bcCode128B, 1, 1.5, 1.5, {1, 2, 3, 4}},         // 1.5 rounds to 2
        {bcCode128B, 1, 2.6, 2.6, {1, 3, 4, 6}},
        {bcCodeEAN13, 3, 2.0, 2.0, {3, 6, 9, 12}},
        {bcCodeEAN13, 1, 1.0, 2.0, {1, 2, 3, 4}},
        // far beyond what eight bits could hold
        {bcCode128B, 200, 2.0, 2.0, {200, 400, 600, 800}},
    };
    for (const auto& c : cases) {
        const BarcodeModules m = encodeBarcode(c.typ, QStringLiteral("12"), false, csmNone, c.modul, c.ratio);
        EXPECT_EQ(m.ratio, c.ratioAfter) << c.typ;
        EXPECT_EQ(m.w, c.w) << c.typ << " " << c.modul << " " << c.ratio;
        EXPECT_EQ(m.width, moduleStringWidth(m.modules, m.w));
    }
    // Wide modules add up exactly: Code 128 "12" with Modul 200 is 200 x (11 x 4 + 13) wide
    // (start, two symbols, check symbol, stop).
    EXPECT_EQ(encodeBarcode(bcCode128B, QStringLiteral("12"), false, csmNone, 200, 2.0).width, 200 * 57);

    TzqBarcod bc;
    bc.Typ = bcCode39;
    bc.Ratio = 1.5;
    bc.Text = QStringLiteral("A");
    bc.Width();
    EXPECT_EQ(bc.Ratio, 2.0);
}

TEST(BarcodeModules, RewritesTheTextToWhatTheBarsHold)
{
    const struct { TzqBarcodType typ; const char* text; bool checksum; TzqCheckSumMethod m; const char* after; } cases[] = {
        {bcCodeEAN13, "690123456789", true, csmModulo10, "6901234567892"},
        {bcCodeEAN13, "6901234567890", true, csmModulo10, "6901234567890"}, // 13 digits: as they stand
        {bcCodeEAN13, "12345678901", false, csmModulo10, "0012345678901"},
        {bcCodeEAN13, " 690123456789 ", true, csmModulo10, "6901234567892"},
        {bcCodeEAN8, "123456789", true, csmModulo10, "34567890"},            // its last seven digits
        {bcCodeEAN8, "1234567", true, csmModulo10, "12345670"},
        {bcCodeEAN8, "123", false, csmModulo10, "00000123"},
        {bcCodeUPC_A, "03600029145", true, csmModulo10, "036000291452"},
        {bcCodeUPC_A, "036000291450", true, csmModulo10, "036000291452"},   // twelfth digit renewed
        {bcCodeUPC_A, "36000291452", false, csmModulo10, "036000291452"},
        {bcCode_2_5_interleaved, "123", false, csmNone, "0123"},
        {bcCode128C, "12345", false, csmNone, "012345"},
        {bcCodeEAN128C, "1234", true, csmModulo10, "012348"},
        {bcCode128A, "AbC", false, csmNone, "A C"},
        {bcCode39, "AbC-1", false, csmNone, "AC-1"},
        {bcCode39Extended, "a\u4e2db", false, csmNone, "ab"},
        // UPC-E: the check digit of the UPC-A number 0 65100 00432 (not of the six digits, which gives 1)
        {bcCodeUPC_E0, "654321", true, csmModulo10, "6543217"},
        {bcCodeUPC_E0, "6543210", true, csmModulo10, "6543217"},            // seventh digit renewed
        {bcCodeUPC_E0, "4321", true, csmModulo10, "0043218"},               // 0 00100 00432
        {bcCodeUPC_E0, "6543210", false, csmModulo10, "6543210"},
        {bcCodeUPC_Supp2, "7", true, csmModulo10, "07"},
        {bcCodeUPC_Supp5, "52495", true, csmModulo10, "524951"},
        {bcCodeUPC_Supp5, "52495", false, csmModulo10, "52495"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(encodeBarcode(c.typ, QString::fromUtf8(c.text), c.checksum, c.m).text, QString::fromUtf8(c.after))
            << c.typ << " " << c.text;

    EXPECT_EQ(modulesOf(bcCode128C, QStringLiteral("12345")), modulesOf(bcCode128C, QStringLiteral("012345")));
    EXPECT_EQ(modulesOf(bcCode39, QStringLiteral("AbC")), modulesOf(bcCode39, QStringLiteral("AC")));
    // A text of exactly 13 digits keeps even a wrong check digit.
    EXPECT_NE(modulesOf(bcCodeEAN13, QStringLiteral("6901234567890"), true),
              modulesOf(bcCodeEAN13, QStringLiteral("6901234567892"), true));
    // UPC-E without a computed check digit takes its parity from the seventh digit shown.
    EXPECT_EQ(modulesOf(bcCodeUPC_E0, QStringLiteral("6543217")), modulesOf(bcCodeUPC_E0, QStringLiteral("654321"), true));

    TzqBarcod bc;
    bc.Typ = bcCodeEAN13;
    bc.Checksum = true;
    bc.Text = QStringLiteral("690123456789");
    EXPECT_EQ(bc.Width(), 95);
    EXPECT_EQ(bc.Text, QStringLiteral("6901234567892"));
}

TEST(BarcodeModules, ErrorsCarryTheirMessages)
{
    const QString bad = QStringLiteral("条码参数错误");
    const struct { TzqBarcodType typ; const char* text; bool checksum; TzqCheckSumMethod m; QString message; } cases[] = {
        {bcCodeEAN13, "69012a", false, csmModulo10, QStringLiteral("Barcode must be numeric")},
        {bcCodeEAN128C, "12 34", false, csmModulo10, QStringLiteral("Barcode must be numeric")},
        {bcCodeEAN128B, "AB", true, csmModulo10, QStringLiteral("Barcode must be numeric")},
        {TzqBarcodType(23), "1", false, csmModulo10, QStringLiteral("TzqBarcod: wrong BarcodeType")},
        {bcCode93, "ab", false, csmModulo10, QStringLiteral("TzqBarcod:Code93 bad Data <ab>")},
        {bcCode93Extended, "a\u4e2d", false, csmModulo10, QStringLiteral("TzqBarcod:Code93 bad Data <}A\u4e2d>")},
        {bcCodeEAN8, "123456789", false, csmModulo10, QStringLiteral("Invalid Text len (EAN8)")},
        {bcCodeEAN8, "1234567", true, csmNone, QStringLiteral("Invalid Text len (EAN8)")},
        {bcCodeEAN13, "690123456789", true, csmNone, QStringLiteral("Invalid Text len (EAN13)")},
        {bcCodeUPC_A, "0360002914521", false, csmModulo10, QStringLiteral("Invalid Text len (UPCA)")},
        {bcCodeUPC_A, "03600029145", true, csmNone, QStringLiteral("Invalid Text len (UPCA)")},
        {bcCodeUPC_E0, "12345678", false, csmModulo10, QStringLiteral("Invalid Text len (UPCE)")},
        {bcCodeUPC_Supp2, "123", false, csmModulo10, QStringLiteral("Invalid Text len (Supp2)")},
        {bcCode128C, "12A4", false, csmNone, bad},
        {bcCodeCodabar, "12x", false, csmNone, bad},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf(c.typ, QString::fromUtf8(c.text), c.checksum, c.m), c.message) << c.typ << " " << c.text;

    EXPECT_EQ(errorOf(bcCode128B, QStringLiteral("A"), false, csmNone, 0), bad);
    EXPECT_EQ(errorOf(bcCode128B, QStringLiteral("A"), false, csmNone, 1, 0.4), bad);
    EXPECT_EQ(errorOf(bcCode128B, QStringLiteral("A"), false, csmNone, 1, std::nan("")), bad);
    EXPECT_EQ(errorOf(bcCode128B, QStringLiteral("A"), false, csmNone, 1, 1e12), bad);
    EXPECT_EQ(errorOf(bcCode128B, QStringLiteral("AAAA"), false, csmNone, 100000000, 2.0), bad);
    try {
        moduleStringWidth("5059", {1, 2, 3, 4});
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), QStringLiteral("TzqBarcod: internal Error"));
    }
}

// ---- Drawing ----

class BarcodeDraw : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "barcode_tests";
        static char* argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
        installFontSubstitutions();
    }
};

TEST_F(BarcodeDraw, BarsAndTextGroupsAreStretchedIntoTheRectangle)
{
    TzqBarcod bc;
    bc.Typ = bcCodeEAN13;
    bc.Text = QStringLiteral("6901234567892");
    RecordingCanvas c;
    // 95 modules into 190 units: two units a module, 60 units tall = 30 modules.
    bc.Draw(c, QRect(100, 50, 190, 60), true);
    EXPECT_EQ(bc.Height, 30 - 7);
    const auto fills = c.ops(RecordingCanvas::Kind::Fill);
    ASSERT_GE(fills.size(), 2u);
    EXPECT_EQ(fills[0].rect, QRect(100, 50, 190, 46));           // background of the bars
    EXPECT_EQ(fills[1].rect, QRect(100, 50, 2, 46));             // first guard bar
    EXPECT_EQ(fills[1].state.brush.color, kBlack);
    EXPECT_EQ(c.texts(), QStringLiteral("6901234567892"));
    const auto texts = c.ops(RecordingCanvas::Kind::Text);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].points[0].x(), 100 - 16);                 // first digit left of the bars
    EXPECT_EQ(texts[1].points[0].x(), 106);
    EXPECT_EQ(texts[2].points[0].x(), 198);
    EXPECT_EQ(texts[1].state.font.faceName, QStringLiteral("Arial"));
    EXPECT_EQ(texts[1].state.font.height, -24);                  // 9 pt stretched twice
    EXPECT_TRUE(texts[1].state.bkTransparent);
    // A leading zero is not shown.
    bc.Text = QStringLiteral("0012345678905");
    c.clearOps();
    bc.Draw(c, QRect(100, 50, 190, 60), true);
    EXPECT_EQ(c.ops(RecordingCanvas::Kind::Text).size(), 2u);
}

TEST_F(BarcodeDraw, QuarterTurnsPutTheTextOnTheirSide)
{
    TzqBarcod bc;
    bc.Typ = bcCode128B;
    bc.Text = QStringLiteral("AB");
    const int W = bc.Width();
    // The start symbol's first bar, two modules wide, sits where reading starts.
    const struct { double angle; QRect r; QRect bars; QRect firstBar; int escapement; } cases[] = {
        {0, QRect(0, 0, W * 2, 80), QRect(0, 0, W * 2, 48), QRect(0, 0, 4, 48), 0},
        {180, QRect(0, 0, W * 2, 80), QRect(0, 32, W * 2, 48), QRect(W * 2 - 4, 32, 4, 48), 1800},
        {90, QRect(0, 0, 80, W * 2), QRect(0, 0, 48, W * 2), QRect(0, W * 2 - 4, 48, 4), 900},
        {270, QRect(0, 0, 80, W * 2), QRect(32, 0, 48, W * 2), QRect(32, 0, 48, 4), 2700},
        {-90, QRect(0, 0, 80, W * 2), QRect(32, 0, 48, W * 2), QRect(32, 0, 48, 4), 2700},
        {88, QRect(0, 0, 80, W * 2), QRect(0, 0, 48, W * 2), QRect(0, W * 2 - 4, 48, 4), 900},
    };
    for (const auto& k : cases) {
        bc.Angle = k.angle;
        RecordingCanvas c;
        bc.Draw(c, k.r, true);
        const auto fills = c.ops(RecordingCanvas::Kind::Fill);
        ASSERT_GE(fills.size(), 3u);
        EXPECT_EQ(fills[0].rect, k.bars) << k.angle;
        // The start symbol's first bar is two modules wide; it sits at the reading start.
        EXPECT_EQ(fills[1].rect, k.firstBar) << k.angle;
        const auto texts = c.ops(RecordingCanvas::Kind::Text);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].state.font.escapement, k.escapement) << k.angle;
    }
}

TEST_F(BarcodeDraw, PostNetShortBarsShareTheBaseLine)
{
    TzqBarcod bc;
    bc.Typ = bcCodePostNet;
    bc.Text = QStringLiteral("1");
    RecordingCanvas c;
    bc.Draw(c, QRect(0, 0, bc.Width(), 66), false);
    EXPECT_EQ(bc.Height, 50);
    const auto fills = c.ops(RecordingCanvas::Kind::Fill);
    ASSERT_EQ(fills.size(), 1u + 7u);
    EXPECT_EQ(fills[1].rect.height(), 50);                       // start bar
    EXPECT_EQ(fills[2].rect, QRect(3, 30, 1, 20));                // first short bar
    EXPECT_TRUE(c.ops(RecordingCanvas::Kind::Text).empty());
}

TEST_F(BarcodeDraw, FailingTextDrawsNothing)
{
    TzqBarcod bc;
    bc.Typ = bcCodeEAN13;
    bc.Text = QStringLiteral("12a");
    RecordingCanvas c;
    EXPECT_THROW(bc.Draw(c, QRect(0, 0, 100, 50), true), Error);
    EXPECT_TRUE(c.ops().empty());
    bc.Text = QStringLiteral("1");
    bc.Draw(c, QRect(0, 0, 0, 50), true); // an empty rectangle divides nothing
    EXPECT_TRUE(c.ops().empty());
}

// ---- Round trips through an independent reader ----

namespace {

constexpr int kPx = 3;     // pixels per module
constexpr int kQuiet = 20; // modules of white around

QImage render(TzqBarcod& bc, double angle, int extraModules = 0, TzqBarcod* addOn = nullptr)
{
    bc.Angle = angle;
    const int W = bc.Width();
    const int Wa = addOn ? addOn->Width() : 0;
    const int len = (W + extraModules + Wa) * kPx, thick = 60 * kPx, q = kQuiet * kPx;
    const bool vertical = int(angle) % 180 != 0;
    QImage img(vertical ? thick + 2 * q : len + 2 * q, vertical ? len + 2 * q : thick + 2 * q, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    QtCanvas c(p);
    auto rectAt = [&](int offset, int modules) {
        // Offsets run along the reading direction.
        const int a = offset * kPx, n = modules * kPx;
        switch (int(angle)) {
        case 0: return QRect(q + a, q, n, thick);
        case 180: return QRect(q + len - a - n, q, n, thick);
        case 90: return QRect(q, q + len - a - n, thick, n);
        default: return QRect(q, q + a, thick, n);
        }
    };
    bc.Draw(c, rectAt(0, W), true);
    if (addOn) {
        addOn->Angle = angle;
        addOn->Draw(c, rectAt(W + extraModules, Wa), true);
    }
    p.end();
    return img;
}

struct Decoded {
    bool ok = false;
    QString text;
    ZXing::BarcodeFormat format = ZXing::BarcodeFormat::None;
};

Decoded decode(const QImage& rgb, ZXing::BarcodeFormats formats, bool code39Extended = false,
               bool code39Check = false, bool addOn = false)
{
    const QImage img = rgb.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setFormats(formats);
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    hints.setTryCode39ExtendedMode(code39Extended);
    hints.setValidateCode39CheckSum(code39Check);
    if (addOn)
        hints.setEanAddOnSymbol(ZXing::EanAddOnSymbol::Require);
    const ZXing::ImageView view(img.constBits(), img.width(), img.height(), ZXing::ImageFormat::Lum,
                                int(img.bytesPerLine()));
    const ZXing::Result r = ZXing::ReadBarcode(view, hints);
    Decoded d;
    d.ok = r.isValid();
    d.text = QString::fromStdWString(r.text());
    d.format = r.format();
    return d;
}

} // namespace

TEST_F(BarcodeDraw, AnIndependentReaderReadsWhatIsShownAtEveryQuarterTurn)
{
    using F = ZXing::BarcodeFormat;
    const struct {
        TzqBarcodType typ;
        const char* text;
        bool checksum;
        F format;
        const char* prefix; // digits the reader gives that the symbol shows by its form
    } cases[] = {
        {bcCode_2_5_interleaved, "12345670", false, F::ITF, ""},
        {bcCode_2_5_interleaved, "1234567", false, F::ITF, ""},
        {bcCode39, "ZQ-2026 $/+%.", false, F::Code39, ""},
        {bcCode39, "ABC123", true, F::Code39, ""},
        {bcCode39Extended, "Zq bill #7 (a+b)", false, F::Code39, ""},
        {bcCode93, "CODE 93-$/+%.", false, F::Code93, ""},
        {bcCode93, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", false, F::Code93, ""},
        {bcCode93Extended, "Zq93 lower & UPPER!", false, F::Code93, ""},
        {bcCode128A, "CODE128 A\tTAB", false, F::Code128, ""},
        {bcCode128B, "Code 128 b{~}", false, F::Code128, ""},
        {bcCode128C, "12345", false, F::Code128, ""},
        {bcCodeEAN128A, "0112345678", false, F::Code128, ""},
        {bcCodeEAN128B, "10abc", false, F::Code128, ""},
        {bcCodeEAN128C, "0106901234567892", false, F::Code128, ""},
        {bcCodeEAN128C, "1234", true, F::Code128, ""},
        {bcCodeCodabar, "31117013206375", false, F::Codabar, ""},
        {bcCodeCodabar, "12-$:/.+34", false, F::Codabar, ""},
        {bcCodeEAN8, "1234567", true, F::EAN8, ""},
        {bcCodeEAN13, "690123456789", true, F::EAN13, ""},
        {bcCodeEAN13, "9787302101994", false, F::EAN13, ""},
        {bcCodeUPC_A, "03600029145", true, F::UPCA, ""},
        {bcCodeUPC_E0, "654321", true, F::UPCE, "0"},
        {bcCodeUPC_E0, "123456", true, F::UPCE, "0"},
        {bcCodeUPC_E0, "033333", true, F::UPCE, "0"},
        {bcCodeUPC_E1, "654321", true, F::UPCE, "1"},
    };
    for (const auto& k : cases) {
        for (int angle : {0, 90, 180, 270}) {
            TzqBarcod bc;
            bc.Typ = k.typ;
            bc.Text = QString::fromUtf8(k.text);
            bc.Checksum = k.checksum;
            const QImage img = render(bc, angle);
            const Decoded d = decode(img, k.format, k.typ == bcCode39Extended, k.typ == bcCode39 && k.checksum);
            EXPECT_TRUE(d.ok) << k.typ << " " << k.text << " at " << angle;
            EXPECT_EQ(d.text, QString::fromLatin1(k.prefix) + bc.Text) << k.typ << " " << k.text << " at " << angle;
        }
    }
}

TEST_F(BarcodeDraw, SupplementsBesideAnEan13AreRead)
{
    const struct { TzqBarcodType typ; const char* text; } cases[] = {
        {bcCodeUPC_Supp2, "12"}, {bcCodeUPC_Supp2, "07"}, {bcCodeUPC_Supp2, "3"}, {bcCodeUPC_Supp2, "99"},
        {bcCodeUPC_Supp5, "52495"}, {bcCodeUPC_Supp5, "90000"}, {bcCodeUPC_Supp5, "12"},
    };
    for (const auto& k : cases) {
        for (int angle : {0, 90, 180, 270}) {
            TzqBarcod main;
            main.Text = QStringLiteral("9787302101994");
            TzqBarcod addOn;
            addOn.Typ = k.typ;
            addOn.Text = QString::fromLatin1(k.text);
            const QImage img = render(main, angle, 9, &addOn);
            const Decoded d = decode(img, ZXing::BarcodeFormat::EAN13, false, false, true);
            EXPECT_TRUE(d.ok) << k.text << " at " << angle;
            EXPECT_EQ(d.text, main.Text + QStringLiteral(" ") + addOn.Text) << k.text << " at " << angle;
        }
    }
}
