#include "base/Base64.h"
#include "base/ByteStream.h"
#include "model/ClipBlock.h"
#include "model/TemplateJson.h"
#include "model/TemplatePaint.h"
#include "model/ZqBarcode.h"
#include "model/ZqPicture.h"
#include "model/ZqTemplate.h"
#include "platform/Fonts.h"
#include "platform/QtCanvas.h"
#include "platform/RecordingCanvas.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>

#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>

using namespace zq;
using Kind = RecordingCanvas::Kind;

namespace {

class Items : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "barcode_picture_tests";
        static char* argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
        installFontSubstitutions();
    }
};

// A data-entry host that counts value notifications.
class CountingHost : public TZQBPCtrlBase {
public:
    int changes = 0;
    TZqHostKind HostKind() const override { return TZqHostKind::DataEntry; }
    void InvalidateItemRect(const QRect&, bool) override {}
    void ItemValueChanged(TZqItem*, int, int) override { ++changes; }
    void Relayout() override {}
};

QByteArray imageFile(const QImage& img, const char* format)
{
    QByteArray b;
    QBuffer buf(&b);
    buf.open(QIODevice::WriteOnly);
    QImageWriter(&buf, format).write(img);
    return b;
}

QByteArray base64Of(const QImage& img, const char* format) { return mimeBase64Encode(imageFile(img, format)); }

// The common item part as a file of that version holds it.
void writeItemPart(ByteWriter& w, int version, int x, int y, int wd, int h, int printSelf)
{
    w.i32(x);
    w.i32(y);
    w.i32(wd);
    w.i32(h);
    w.u8(static_cast<quint8>(printSelf));
    if (version > 47876) {
        w.str(QStringLiteral("提示"));
        w.u8(1);
    }
    if (version > 47877)
        w.str(QString());
    if (version > 47878)
        w.u8(0);
    if (version >= 47880)
        w.u8(0);
    if (version > 47880)
        w.u8(0);
    if (version > 47881) {
        w.u8(0);
        for (int i = 0; i < 5; ++i) {
            w.u8(0);
            w.str(QString());
        }
    }
}

// Transparent 0, colour, borders left, top, right, bottom.
void writeRectPart(ByteWriter& w, quint32 bg, int l, int t, int r, int b)
{
    w.u8(0);
    w.u32(bg);
    w.i32(l);
    w.i32(t);
    w.i32(r);
    w.i32(b);
}

// A template file holding one item, the item written by `item`.
QByteArray oneItemFile(int version, int kind, const std::function<void(ByteWriter&)>& item)
{
    ByteWriter w;
    w.u16(static_cast<quint16>(version));
    w.i32(500);
    w.i32(300);
    w.u32(0xFFFFFF);
    w.u8(0);
    w.i32(1);
    w.u8(static_cast<quint8>(kind));
    item(w);
    w.i32(0); // old formula lines
    if (version > 47879)
        w.i32(0);
    return w.take();
}

TZqBarcode newBarcode(int x, int y, int w, int h)
{
    TZqBarcode b;
    b.InitDefaults();
    b.SetBounds({x, y}, w, h);
    return b;
}

} // namespace

// ---------------------------------------------------------------- streams

TEST_F(Items, BarcodeRecordsOfEveryGenerationAreRead)
{
    auto barcodeRecord = [](ByteWriter& w, const auto& c) {
        writeItemPart(w, c.version, 10, 20, 200, 80, 1);
        writeRectPart(w, 0x00C0FFEE, 1, 2, 3, 4);
        w.u8(bcCode128B);
        w.u8(1);  // Checksum
        w.u8(7);  // SpareByte1
        w.i32(90);
        w.u8(9);  // SpareByte2
        w.ext80(1.5);
        w.str(QStringLiteral("条码1"));
        w.str(QStringLiteral("ZQ-2026"));
        w.u8(1);
        w.u8(1);
        w.i32(3);
    };
    const struct { int version; bool tail; bool storage; } cases[] = {
        {43521, false, false}, // first generation: the record alone
        {47873, true, false},  // storage options not yet present
        {47874, true, true},
    };
    for (const auto& c : cases) {
        const QByteArray file = oneItemFile(c.version, itBarcod, [&](ByteWriter& w) {
            barcodeRecord(w, c);
            if (c.version == 47874) {
                w.str(QStringLiteral("明细"));
                w.str(QStringLiteral("条码"));
                w.i32(5);
            }
        });
        TZqTemplate t;
        t.LoadFromStream(file);
        ASSERT_EQ(t.ItemCount(), 1) << c.version;
        const auto* b = dynamic_cast<const TZqBarcode*>(t.Item(0));
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->Name(), QStringLiteral("条码1"));
        EXPECT_EQ(b->XPos, 10);
        EXPECT_EQ(b->BgColor, 0x00C0FFEEu);
        EXPECT_EQ(b->TopL, 2);
        EXPECT_EQ(b->Typ, bcCode128B);
        EXPECT_EQ(b->Checksum, 1);
        EXPECT_EQ(b->SpareByte1, 7);
        EXPECT_EQ(b->Angle, 90);
        EXPECT_EQ(b->SpareByte2, 9);
        EXPECT_EQ(b->Modul, 1.5);
        EXPECT_EQ(b->Data, QStringLiteral("ZQ-2026"));
        EXPECT_EQ(b->ReadOnly, 1);
        EXPECT_EQ(b->TabOrder, 3);
        EXPECT_EQ(b->Visible, 0); // absent before 47877: zero, not a new item's default
        EXPECT_EQ(b->SubTblName, c.storage ? QStringLiteral("明细") : QString());
        EXPECT_EQ(b->SubTblRowNo, c.storage ? 5 : 0);

        // Saved again in full and read back: nothing changes.
        const QByteArray saved = t.SaveToStream();
        TZqTemplate again;
        again.LoadFromStream(saved);
        EXPECT_EQ(again.SaveToStream(), saved);
    }
}

TEST_F(Items, PictureRecordsOfEveryGenerationAreRead)
{
    QImage img(6, 4, QImage::Format_RGB32);
    img.fill(Qt::blue);
    const QByteArray jpeg = base64Of(img, "jpeg");
    const struct { int version; bool tail; bool flag; bool storage; bool source; } cases[] = {
        {43521, false, false, false, false},
        {47873, true, false, false, false},
        {47880, true, false, true, false},
        {47883, true, false, true, true},
        {47884, true, true, true, true},
    };
    for (const auto& c : cases) {
        const QByteArray file = oneItemFile(c.version, itPicture, [&](ByteWriter& w) {
            writeItemPart(w, c.version, 5, 6, 100, 50, 1);
            writeRectPart(w, 0xFFFFFF, 0, 0, 0, 0);
            w.str(QStringLiteral("图片1"));
            if (c.flag)
                w.u8(0);
            w.rawStr(jpeg);
            w.u8(1);
            if (c.tail) {
                w.u8(1);
                w.u8(2);
                w.u8(1);
            }
            if (c.storage) {
                w.str(QStringLiteral("T"));
                w.str(QStringLiteral("F"));
                w.i32(2);
            }
            if (c.source) {
                w.str(QStringLiteral("客户"));
                w.str(QStringLiteral("标志"));
                w.str(QStringLiteral("G1"));
            }
        });
        TZqTemplate t;
        t.LoadFromStream(file);
        const auto* p = dynamic_cast<const TZqPicture*>(t.Item(0));
        ASSERT_NE(p, nullptr) << c.version;
        EXPECT_EQ(p->Name(), QStringLiteral("图片1"));
        EXPECT_EQ(p->PicData, jpeg);
        EXPECT_EQ(p->Picture().size(), QSize(6, 4)) << c.version;
        EXPECT_EQ(p->SaveToPrtRec, 1);
        EXPECT_EQ(p->Stretch, c.tail ? 1 : 0);
        EXPECT_EQ(p->HorzAlign, c.tail ? 2 : 0);
        EXPECT_EQ(p->SubTblRowNo, c.storage ? 2 : 0);
        EXPECT_EQ(p->DataSourceTable, c.source ? QStringLiteral("客户") : QString());
        EXPECT_EQ(p->Group, c.source ? QStringLiteral("G1") : QString());
        const QByteArray saved = t.SaveToStream();
        TZqTemplate again;
        again.LoadFromStream(saved);
        EXPECT_EQ(again.SaveToStream(), saved);
    }
}

TEST_F(Items, ClipboardKeepsEveryFieldAndDeclaresItsLength)
{
    TZqBarcode b = newBarcode(1, 2, 300, 90);
    b.SetNameRaw(QStringLiteral("Barcode1"));
    b.Typ = bcCode39;
    b.Checksum = 1;
    b.Angle = 270;
    b.Modul = 2.25;
    b.Data = QStringLiteral("AB-12");
    b.SubTblName = QStringLiteral("子表");
    b.SubTblRowNo = 4;
    b.ExtText[2] = QStringLiteral("x");
    b.NoPrint = 1;

    TZqPicture p;
    p.InitDefaults();
    p.SetNameRaw(QStringLiteral("Picture1"));
    QImage img(3, 3, QImage::Format_RGB32);
    img.fill(Qt::red);
    p.SetPicture(true, base64Of(img, "bmp"));
    p.Stretch = 1;
    p.VertAlign = 2;
    p.Group = QStringLiteral("组");
    p.DataSourceField = QStringLiteral("字段");

    for (const TZqItem* item : std::initializer_list<const TZqItem*>{&b, &p}) {
        ByteWriter form;
        item->WriteClip(form);
        EXPECT_EQ(form.size(), item->ClipSize()) << item->Kind();
        item->WriteClipTail(form);
        EXPECT_EQ(form.size(), item->ClipSizeFull()) << item->Kind();
    }
    const auto pasted = ReadClipBlock(WriteClipBlock({&b, &p}));
    ASSERT_EQ(pasted.size(), 2u);
    // Everything but NoPrint survives: compare the stream forms.
    b.NoPrint = 0;
    const TZqItem* originals[] = {&b, &p};
    for (size_t i = 0; i < 2; ++i) {
        ByteWriter original, copy;
        originals[i]->WriteStreamFull(original);
        pasted[i]->WriteStreamFull(copy);
        EXPECT_EQ(copy.data(), original.data()) << i;
    }
    EXPECT_EQ(dynamic_cast<const TZqPicture&>(*pasted[1]).Picture().size(), QSize(3, 3));
}

TEST_F(Items, JsonFormCarriesBothKinds)
{
    TZqTemplate t;
    auto b = std::make_unique<TZqBarcode>(newBarcode(10, 10, 200, 80));
    b->SetNameRaw(QStringLiteral("Barcode1"));
    b->Modul = 1.25;
    t.AddItem(std::move(b));
    auto p = std::make_unique<TZqPicture>();
    p->InitDefaults();
    p->SetNameRaw(QStringLiteral("Picture1"));
    QImage img(5, 5, QImage::Format_RGB32);
    img.fill(Qt::green);
    p->SetPicture(false, base64Of(img, "jpeg"));
    t.AddItem(std::move(p));
    const QByteArray bytes = t.SaveToStream();
    TZqTemplate back;
    TemplateFromJson(TemplateToJson(t), back);
    EXPECT_EQ(back.SaveToStream(), bytes);
    EXPECT_EQ(dynamic_cast<const TZqPicture&>(*back.Item(1)).Picture().size(), QSize(5, 5));
}

// ---------------------------------------------------------------- barcode values

TEST_F(Items, BarcodeIsAnInputKindNotifyingOnChange)
{
    CountingHost host;
    TZqTemplate t;
    t.Owner = &host;
    auto* b = static_cast<TZqBarcode*>(t.AddItem(std::make_unique<TZqBarcode>(newBarcode(0, 0, 100, 50))));
    b->SetNameRaw(QStringLiteral("Code"));
    auto* p = static_cast<TZqPicture*>(t.AddItem(std::make_unique<TZqPicture>()));
    p->SetNameRaw(QStringLiteral("Logo"));

    b->SetValue(QStringLiteral("9787302101994")); // the data it already has
    EXPECT_EQ(host.changes, 0);
    t.SetNameValues({QStringLiteral("code=123"), QStringLiteral("Logo=x")});
    EXPECT_EQ(b->Data, QStringLiteral("123"));
    EXPECT_EQ(host.changes, 2); // reset to empty, then the value
    const QList<TZqItemValue> values = t.GetItemValues();
    ASSERT_EQ(values.size(), 1); // nothing for the picture
    EXPECT_EQ(values[0].Kind, itBarcod);
    EXPECT_EQ(values[0].Value, QStringLiteral("123"));
    EXPECT_EQ(values[0].DataType, 2);
    EXPECT_EQ(values[0].SaveToPrtRec, 1);
    t.ResetValues();
    EXPECT_TRUE(b->Data.isEmpty());
}

// ---------------------------------------------------------------- barcode drawing

TEST_F(Items, SymbolIsCentredWithItsQuietZones)
{
    // EAN-13: 95 modules. w = round(103 x 1 + 0.5) = 104, left = L + 4 + (200 - 104) div 2.
    const struct { int angle; QRect box; double modul; QRect symbol; } cases[] = {
        {0, QRect(10, 20, 200, 80), 1.0, QRect(62, 21, 95, 78)},
        {180, QRect(10, 20, 200, 80), 1.0, QRect(62, 21, 95, 78)},
        {90, QRect(10, 20, 80, 200), 1.0, QRect(11, 72, 78, 95)},
        {-90, QRect(10, 20, 80, 200), 1.0, QRect(11, 72, 78, 95)},
        // w = round(206.5) = 206; left = 10 + 8 + (300 - 206) div 2
        {0, QRect(10, 20, 300, 80), 2.0, QRect(65, 21, 190, 78)},
        // wider than its box: (100 - 206) div 2 = -53 (truncated toward zero)
        {0, QRect(10, 20, 100, 80), 2.0, QRect(-35, 21, 190, 78)},
    };
    for (const auto& c : cases) {
        TZqBarcode b = newBarcode(c.box.x(), c.box.y(), c.box.width(), c.box.height());
        b.Angle = c.angle;
        b.Modul = c.modul;
        EXPECT_EQ(b.SymbolRect(c.box, 95), c.symbol) << c.angle << " " << c.modul;

        b.Transparent = 1;
        RecordingCanvas dc;
        b.Draw(dc, dmInput, {}, 0, 0);
        const auto fills = dc.ops(Kind::Fill);
        ASSERT_FALSE(fills.empty());
        // The encoder's first fill is the background of the bars, inside the symbol.
        EXPECT_TRUE(c.symbol.contains(fills[0].rect)) << c.angle << " " << c.modul;
        EXPECT_EQ(fills[0].state.clip, c.box);
        EXPECT_TRUE(fills[0].state.clipped);
    }
}

TEST_F(Items, BarcodeModesShiftAndSkip)
{
    TZqBarcode b = newBarcode(10, 20, 200, 80);
    b.Transparent = 1;
    RecordingCanvas shifted;
    b.Draw(shifted, dmPrint, {}, 7, 5);
    ASSERT_FALSE(shifted.ops(Kind::Fill).empty());
    EXPECT_EQ(shifted.ops(Kind::Fill)[0].state.clip, QRect(15, 27, 200, 80));
    b.PrintSelf = 0;
    RecordingCanvas none;
    b.Draw(none, dmPrint, {}, 0, 0);
    EXPECT_TRUE(none.ops().empty());
    RecordingCanvas screen;
    b.Draw(screen, dmInput, {}, 7, 5);
    EXPECT_EQ(screen.ops(Kind::Fill)[0].state.clip, QRect(10, 20, 200, 80));
}

TEST_F(Items, UnencodableDataShowsTheMessageOnScreenAndPaper)
{
    const struct { quint8 typ; const char* data; double modul; } cases[] = {
        {bcCodeEAN13, "12a", 1.0},            // not numeric
        {bcCodeEAN8, "123456789", 1.0},       // too long without a check digit
        {bcCode128C, "12A4", 1.0},
        {23, "1", 1.0},                        // no such symbology
        {bcCodeEAN13, "9787302101994", 0.0},  // no module width
        {bcCodeEAN13, "9787302101994", -2.0},
        {bcCodeEAN13, "9787302101994", std::numeric_limits<double>::quiet_NaN()},
        {bcCodeEAN13, "9787302101994", 1e300},
    };
    for (const auto& c : cases)
        for (int mode : {dmInput, dmPrint}) {
            TZqBarcode b = newBarcode(0, 0, 200, 80);
            b.Typ = c.typ;
            b.Data = QString::fromLatin1(c.data);
            b.Modul = c.modul;
            RecordingCanvas dc;
            b.Draw(dc, mode, {}, 0, 0);
            EXPECT_EQ(dc.texts(), QStringLiteral("条码参数错误")) << int(c.typ) << " " << c.data << " " << c.modul;
            const auto texts = dc.ops(Kind::Text);
            ASSERT_FALSE(texts.empty());
            EXPECT_EQ(texts[0].state.font.faceName, QStringLiteral("宋体"));
            EXPECT_EQ(texts[0].state.font.height, -12);
            EXPECT_EQ(texts[0].state.font.charSet, 134);
            EXPECT_TRUE(texts[0].state.bkTransparent);
            // Centred: six full-em characters of 12 units in 200 x 80.
            EXPECT_EQ(texts[0].points[0], QPoint((200 - 72) / 2, (80 - 12) / 2));
        }
    // No data: no symbol and no message.
    TZqBarcode empty = newBarcode(0, 0, 200, 80);
    empty.Transparent = 1;
    empty.Data.clear();
    RecordingCanvas dc;
    empty.Draw(dc, dmPrint, {}, 0, 0);
    EXPECT_TRUE(dc.ops().empty());
}

namespace {

struct Scan {
    bool ok = false;
    QString text;
};

// An EAN-13 number with a leading zero is a UPC-A number: readers report it so, without the zero.
using ZXing::operator|;

Scan scan(const QImage& rgb, ZXing::BarcodeFormats format)
{
    const QImage img = rgb.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    hints.setFormats(format);
    const ZXing::ImageView view(img.constBits(), img.width(), img.height(), ZXing::ImageFormat::Lum,
                                int(img.bytesPerLine()));
    const ZXing::Result r = ZXing::ReadBarcode(view, hints);
    QString text = QString::fromStdWString(r.text());
    if (r.format() == ZXing::BarcodeFormat::UPCA && format.testFlag(ZXing::BarcodeFormat::EAN13))
        text.prepend(u'0');
    return {r.isValid(), text};
}

// The dark run along the middle of the box, across the bars: first and one past the last dark pixel.
std::pair<int, int> barExtent(const QImage& img, const QRect& box, bool vertical)
{
    int first = -1, last = -1;
    const int n = vertical ? box.height() : box.width();
    for (int i = 0; i < n; ++i) {
        // Halfway across the bars keeps clear of the text band on either side.
        const QPoint p = vertical ? QPoint(box.left() + box.width() / 2, box.top() + i)
                                  : QPoint(box.left() + i, box.top() + box.height() / 2);
        if (qGray(img.pixel(p)) < 128) {
            if (first < 0)
                first = i;
            last = i + 1;
        }
    }
    return {first, last};
}

} // namespace

TEST_F(Items, ItemDrawnAtEveryQuarterTurnScansAsShown)
{
    using F = ZXing::BarcodeFormat;
    const struct { quint8 typ; const char* data; quint8 checksum; double modul; ZXing::BarcodeFormats format; const char* shown; } cases[] = {
        // Checksum 1 adds the modulo-10 digit; 0 takes the digits as they stand (padded).
        {bcCodeEAN13, "690123456789", 1, 1.0, F::EAN13, "6901234567892"},
        {bcCodeEAN13, "12345678905", 0, 2.0, F::EAN13 | F::UPCA, "0012345678905"}, // padded, digits kept
        {bcCodeEAN13, "9787302101994", 0, 3.0, F::EAN13, "9787302101994"},
        {bcCodeEAN8, "1234567", 1, 2.0, F::EAN8, "12345670"},
        {bcCodeUPC_A, "03600029145", 1, 2.0, F::UPCA, "036000291452"},
        {bcCode128B, "ZQ-2026/12", 0, 1.0, F::Code128, "ZQ-2026/12"},
        {bcCode128B, "ZQ-2026/12", 1, 2.0, F::Code128, "ZQ-2026/12"}, // no check digit to add
        {bcCode128C, "12345", 0, 2.0, F::Code128, "012345"},
        {bcCodeEAN128C, "1234", 1, 2.0, F::Code128, "012348"},
        {bcCode39, "WAYBILL-7", 0, 2.0, F::Code39, "WAYBILL-7"},
        {bcCode_2_5_interleaved, "1234567", 0, 2.0, F::ITF, "01234567"},
        {bcCodeCodabar, "31117013206375", 0, 2.0, F::Codabar, "31117013206375"},
    };
    for (const auto& c : cases)
        for (int angle : {0, 90, 180, 270}) {
            const bool vertical = angle % 180 != 0;
            TZqBarcode b = newBarcode(0, 0, 0, 0);
            b.Typ = c.typ;
            b.Data = QString::fromLatin1(c.data);
            b.Checksum = c.checksum;
            b.Angle = angle;
            b.Modul = c.modul;
            const int m = encodeBarcode(TzqBarcodType(c.typ), b.Data, c.checksum != 0,
                                        c.checksum ? csmModulo10 : csmNone).width;
            // The box leaves room for the text beside the bars and some margin.
            const int length = int((m + 40) * c.modul), thick = int(60 * c.modul);
            const QRect box = vertical ? QRect(30, 30, thick, length) : QRect(30, 30, length, thick);
            b.SetBounds(box.topLeft(), box.width(), box.height());
            QImage img(box.width() + 60, box.height() + 60, QImage::Format_RGB32);
            img.fill(Qt::white);
            {
                QPainter painter(&img);
                QtCanvas dc(painter);
                b.Draw(dc, dmPrint, {}, 0, 0);
            }
            const Scan s = scan(img, c.format);
            const QString what = QStringLiteral("%1 %2 at %3").arg(int(c.typ)).arg(QLatin1String(c.data)).arg(angle);
            EXPECT_TRUE(s.ok) << what.toStdString();
            EXPECT_EQ(s.text, QString::fromLatin1(c.shown)) << what.toStdString();

            // The bars are m modules long and centred in the box.
            const auto [first, last] = barExtent(img, box, vertical);
            const int n = vertical ? box.height() : box.width();
            EXPECT_NEAR(last - first, m * c.modul, 1.0) << what.toStdString();
            EXPECT_NEAR(first + last, n, 2.0 + c.modul) << what.toStdString();
        }
}

// ---------------------------------------------------------------- pictures

TEST_F(Items, PictureBase64RoundTripKeepsTheFile)
{
    QImage img(7, 5, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    const QByteArray file = imageFile(img, "bmp");
    TZqPicture p;
    p.InitDefaults();
    p.SetPicture(true, mimeBase64Encode(file));
    EXPECT_EQ(p.Picture().size(), QSize(7, 5));
    TZqTemplate t;
    t.AddItem(std::make_unique<TZqPicture>(p));
    TZqTemplate back;
    back.LoadFromStream(t.SaveToStream());
    const auto& q = dynamic_cast<const TZqPicture&>(*back.Item(0));
    EXPECT_EQ(mimeBase64Decode(q.PicData), file);
    EXPECT_EQ(q.IsBitmap, 1);
    EXPECT_EQ(q.Picture().size(), QSize(7, 5));
}

TEST_F(Items, BitmapIsTransparentWhereItHasItsTopLeftColour)
{
    QImage img(4, 3, QImage::Format_RGB32);
    img.fill(qRgb(255, 0, 0));
    img.setPixel(1, 1, qRgb(0, 0, 255));
    img.setPixel(2, 1, qRgb(254, 0, 0)); // close is not equal
    TZqPicture p;
    p.InitDefaults();
    p.SetBounds({0, 0}, 4, 3);
    p.SetPicture(true, base64Of(img, "bmp"));
    const QImage& pic = p.Picture();
    EXPECT_EQ(qAlpha(pic.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(pic.pixel(3, 2)), 0);
    EXPECT_EQ(pic.pixel(1, 1), qRgb(0, 0, 255));
    EXPECT_EQ(pic.pixel(2, 1), qRgb(254, 0, 0));

    // Drawn over green, the keyed colour lets the green through.
    QImage page(4, 3, QImage::Format_RGB32);
    page.fill(qRgb(0, 255, 0));
    {
        QPainter painter(&page);
        QtCanvas dc(painter);
        p.Draw(dc, dmPrint, {}, 0, 0);
    }
    EXPECT_EQ(page.pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(page.pixel(1, 1), qRgb(0, 0, 255));

    // A JPEG has no transparent colour.
    p.SetPicture(false, base64Of(img, "jpeg"));
    EXPECT_EQ(qAlpha(p.Picture().pixel(0, 0)), 255);
}

TEST_F(Items, PicturePlacement)
{
    QImage wide(200, 100, QImage::Format_RGB32);
    wide.fill(Qt::gray);
    QImage small(20, 10, QImage::Format_RGB32);
    small.fill(Qt::gray);
    const struct { const QImage* img; int stretch, horz, vert; QRect box; QRect drawn; } cases[] = {
        {&wide, 1, 0, 0, QRect(0, 0, 100, 100), QRect(0, 25, 100, 50)},
        {&wide, 1, 2, 2, QRect(10, 10, 400, 100), QRect(110, 10, 200, 100)}, // alignment plays no part
        {&small, 1, 0, 0, QRect(0, 0, 100, 100), QRect(0, 25, 100, 50)},    // enlarged as well
        {&small, 0, 0, 0, QRect(5, 5, 100, 100), QRect(5, 5, 20, 10)},
        {&small, 0, 1, 2, QRect(5, 5, 100, 100), QRect(85, 95, 20, 10)},
        {&small, 0, 2, 1, QRect(5, 5, 100, 100), QRect(45, 50, 20, 10)},   // centred by its own size
        {&wide, 0, 2, 1, QRect(0, 0, 100, 100), QRect(-50, 0, 200, 100)},  // -50 div 2 toward zero, clipped
        {&wide, 1, 0, 0, QRect(0, 0, 0, 0), QRect(0, 0, 0, 0)},            // a box of no size
    };
    for (const auto& c : cases) {
        TZqPicture p;
        p.InitDefaults();
        p.SetBounds(c.box.topLeft(), c.box.width(), c.box.height());
        p.SetPicture(false, base64Of(*c.img, "jpeg"));
        p.Stretch = static_cast<quint8>(c.stretch);
        p.HorzAlign = static_cast<quint8>(c.horz);
        p.VertAlign = static_cast<quint8>(c.vert);
        RecordingCanvas dc;
        p.Draw(dc, dmInput, {}, 0, 0);
        const auto images = dc.ops(Kind::Image);
        ASSERT_EQ(images.size(), 1u);
        EXPECT_EQ(images[0].rect, c.drawn) << c.box.width() << " " << c.stretch << c.horz << c.vert;
        EXPECT_EQ(images[0].state.clipped, c.stretch == 0);
        EXPECT_TRUE(dc.ops(Kind::Fill).empty()); // pictures get no background fill
    }
}

TEST_F(Items, UnreadablePictureIsKeptAndShowsThePlaceholder)
{
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(Qt::black);
    const QByteArray cases[] = {
        QByteArray("not base64 at all!"),
        mimeBase64Encode(QByteArray("GIF89a is not a picture we read")),
        mimeBase64Encode(imageFile(img, "jpeg").left(40)), // cut short
        base64Of(img, "png"),                              // not the kind it says it is
        QByteArray("\xB2\xE2\xCA\xD4\xFF\x01", 6),         // bytes that are no text
    };
    for (const QByteArray& data : cases) {
        TZqPicture p;
        p.InitDefaults();
        p.SetBounds({0, 0}, 100, 40);
        p.SetNameRaw(QStringLiteral("Pic"));
        p.SetPicture(false, data);
        EXPECT_TRUE(p.Picture().isNull());
        EXPECT_EQ(p.PicData, data);
        for (int mode : {dmInput, dmPrint}) {
            RecordingCanvas dc;
            p.Draw(dc, mode, {}, 0, 0);
            EXPECT_EQ(dc.texts(), QStringLiteral("未设置图片")) << mode;
            EXPECT_TRUE(dc.ops(Kind::Image).empty());
        }
        // The next save writes the bytes back unchanged.
        TZqTemplate t;
        t.AddItem(std::make_unique<TZqPicture>(p));
        TZqTemplate back;
        back.LoadFromStream(t.SaveToStream());
        EXPECT_EQ(dynamic_cast<const TZqPicture&>(*back.Item(0)).PicData, data);
        EXPECT_EQ(back.SaveToStream(), t.SaveToStream());
    }
}

TEST_F(Items, PipeShapesWithoutAPicture)
{
    const struct { const char* name; int lines; } cases[] = {
        {"topleft", 6},     // one polyline per pipe line
        {"topcenter", 12},  // run and branch
        {"horization", 6},
        {"diagonal", 0},    // unknown: nothing
    };
    for (const auto& c : cases) {
        TZqPicture p;
        p.InitDefaults();
        p.SetBounds({0, 0}, 60, 40);
        p.BgColor = 0x000080;
        p.ExtFlag[0] = 1;
        p.ExtText[0] = QString::fromLatin1(c.name);
        RecordingCanvas dc;
        p.Draw(dc, dmPrint, {}, 0, 0);
        const size_t drawn = dc.ops(Kind::Line).size() + dc.ops(Kind::Polyline).size();
        EXPECT_EQ(drawn, size_t(c.lines)) << c.name;
        EXPECT_TRUE(dc.texts().isEmpty()) << c.name;
    }
    EXPECT_EQ(TZqPicture::ShapeCode(QStringLiteral("vertical")), 200);
    EXPECT_EQ(TZqPicture::ShapeCode(QStringLiteral("middlecenter")), 9);
}

// ---------------------------------------------------------------- samples

TEST_F(Items, SampleBarcodesScanOnThePrintedPage)
{
    using F = ZXing::BarcodeFormat;
    const struct { const char* sample; const char* item; ZXing::BarcodeFormats format; const char* text; } cases[] = {
        {"waybill", "运单号", F::Code128, "SD2026121100018"},
        {"waybill", "运单号竖", F::Code128, "SD2026121100018"},
        {"waybill", "订单号", F::Code128, "20261211004512"},
        {"label", "商品条码", F::EAN13, "6901234567892"},
        {"label", "批号", F::Code39, "LOT-2612-07"},
    };
    for (const auto& c : cases) {
        const QString base = QStringLiteral(ZQBP_SOURCE_DIR "/samples/") + QLatin1String(c.sample);
        QFile json(base + QStringLiteral(".json")), values(base + QStringLiteral(".values"));
        ASSERT_TRUE(json.open(QIODevice::ReadOnly)) << c.sample;
        ASSERT_TRUE(values.open(QIODevice::ReadOnly)) << c.sample;
        TZqTemplate t;
        TemplateFromJson(json.readAll(), t);
        t.SetNameValues(QString::fromUtf8(values.readAll()).split(u'\n', Qt::SkipEmptyParts));
        QImage page(t.TempWidth, t.TempHeight, QImage::Format_RGB32);
        page.fill(Qt::white);
        {
            QPainter painter(&page);
            QtCanvas dc(painter);
            PaintTemplate(t, dc, dmPrint);
        }
        const TZqItem* item = t.GetItemByName(QString::fromUtf8(c.item));
        ASSERT_NE(item, nullptr) << c.item;
        const Scan s = scan(page.copy(item->GetBounds()), c.format);
        EXPECT_TRUE(s.ok) << c.sample << " " << c.item;
        EXPECT_EQ(s.text, QString::fromLatin1(c.text)) << c.sample << " " << c.item;
    }
}
