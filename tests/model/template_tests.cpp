#include "base/Base64.h"
#include "base/ByteStream.h"
#include "base/Error.h"
#include "model/ClipBlock.h"
#include "model/TemplateJson.h"
#include "model/ZqBasicItems.h"
#include "model/ZqTemplate.h"

#include <QBuffer>
#include <QImageWriter>
#include <gtest/gtest.h>

using namespace zq;

namespace {

// A minimal single-value input kind, standing in for the edit in value tests.
class FakeInput : public TZQRect {
public:
    QString value;
    int resets = 0;
    TZqItemType Kind() const override { return itEdit; }
    bool IsInput() const override { return true; }
    void ResetValue() override { ++resets; value = QStringLiteral("default"); }
    QString GetValueText() const override { return value; }
    void SetValueText(const QString& v) override { value = v; }
    int ValueDataType() const override { return 1; }
    quint8 SaveFlag() const override { return 1; }
};

// A grid stand-in whose rows add up to a given height.
class FakeGrid : public TZQRect {
public:
    int rows = 0;
    TZqItemType Kind() const override { return itGrid; }
    std::optional<int> RowsHeight() const override { return rows; }
};

void writeItemPartOld(ByteWriter& w, int x, int y, int wd, int h, int printSelf)
{
    w.i32(x);
    w.i32(y);
    w.i32(wd);
    w.i32(h);
    w.u8(static_cast<quint8>(printSelf));
}

void writeRectPart(ByteWriter& w, int transparent, quint32 bg, int l, int t, int r, int b)
{
    w.u8(static_cast<quint8>(transparent));
    w.u32(bg);
    w.i32(l);
    w.i32(t);
    w.i32(r);
    w.i32(b);
}

void writeHeader(ByteWriter& w, int version)
{
    w.u16(static_cast<quint16>(version));
    w.i32(500);
    w.i32(300);
    w.u32(0x00F0E0D0);
    w.u8(0);
}

QByteArray tinyJpeg()
{
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(Qt::red);
    QByteArray b;
    QBuffer buf(&b);
    buf.open(QIODevice::WriteOnly);
    QImageWriter(&buf, "jpeg").write(img);
    return b;
}

} // namespace

TEST(TemplateStream, NewTemplateIs27Bytes)
{
    TZqTemplate t;
    const QByteArray s = t.SaveToStream();
    EXPECT_EQ(s.toHex(), QByteArray("0cbb" "1a030000" "63040000" "ffffff00" "00" "00000000" "00000000" "00000000"));
    TZqTemplate back;
    back.LoadFromStream(s);
    EXPECT_EQ(back.TempWidth, 794);
    EXPECT_EQ(back.TempHeight, 1123);
    EXPECT_EQ(back.BkColor, 0xFFFFFFu);
    EXPECT_FALSE(back.HasBkPic());
    EXPECT_EQ(back.ItemCount(), 0);
}

TEST(TemplateStream, FirstGenerationFileIsReadWithoutNamesAndResavedWhole)
{
    ByteWriter w;
    writeHeader(w, 43521);
    w.i32(3);
    w.u8(itLine);
    writeItemPartOld(w, 10, 20, -30, 40, 1);
    w.i32(3); // LineWidth
    w.u8(itRect);
    writeItemPartOld(w, 1, 2, 3, 4, 1);
    writeRectPart(w, 0, 0x123456, 1, 2, 3, 4);
    w.u8(itLabel);
    writeItemPartOld(w, 5, 6, 70, 80, 0);
    writeRectPart(w, 1, 0xFFFFFF, 0, 0, 0, 0);
    w.u32(0x0000FF); // TextColor
    w.u8(0);         // HorzAlign
    w.u8(2);         // VertAlign
    w.i32(5);        // TextSpace; no LineSpace before 47873
    w.str(u"宋体");
    w.u8(1);
    w.u8(0);
    w.ext80(-12);
    w.u8(1);
    w.str(u"金额");
    w.i32(2); // old formula lines
    w.str(u"A=B+C");
    w.i32(0); // an empty line
    // no formula section in this version

    TZqTemplate t;
    t.LoadFromStream(w.data());
    ASSERT_EQ(t.ItemCount(), 3);
    auto* line = dynamic_cast<TZqLine*>(t.Item(0));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->Width, -30);
    EXPECT_EQ(line->LineWidth, 3);
    EXPECT_EQ(line->Visible, 0); // absent fields read as zero, not as a new item's defaults
    EXPECT_TRUE(line->Name().isEmpty());
    auto* rect = t.Item(1);
    EXPECT_EQ(rect->Kind(), itRect);
    EXPECT_EQ(static_cast<TZQRect*>(rect)->BgColor, 0x123456u);
    EXPECT_EQ(static_cast<TZQRect*>(rect)->TopL, 2);
    auto* label = dynamic_cast<TZqLabel*>(t.Item(2));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Caption, QStringLiteral("金额"));
    EXPECT_EQ(label->FontName, QStringLiteral("宋体"));
    EXPECT_EQ(label->FontSize, -12);
    EXPECT_EQ(label->TextSpace, 5);
    EXPECT_EQ(label->LineSpace, 0);
    EXPECT_EQ(label->TextOrie, 1);
    EXPECT_EQ(t.OldVerExps, (QStringList{QStringLiteral("A=B+C"), QString()}));
    EXPECT_EQ(line->Template, &t);

    const QByteArray again = t.SaveToStream();
    EXPECT_EQ(static_cast<quint8>(again[0]) | (static_cast<quint8>(again[1]) << 8), 47884);
    TZqTemplate t2;
    t2.LoadFromStream(again);
    EXPECT_EQ(t2.SaveToStream(), again);
    EXPECT_EQ(static_cast<TZqLabel*>(t2.Item(2))->Caption, QStringLiteral("金额"));
}

TEST(TemplateStream, Version47879HasNamesButNoFormulaSection)
{
    ByteWriter w;
    writeHeader(w, 47879);
    w.i32(1);
    w.u8(itLabel);
    writeItemPartOld(w, 5, 6, 70, 80, 1);
    w.str(u"提示"); // Hint (> 47876)
    w.u8(1);        // Visible
    w.str(u"附加");  // Additional (> 47877)
    w.u8(1);        // Locked (> 47878); no Align before 47880
    writeRectPart(w, 0, 0xFFFFFF, 1, 1, 1, 1);
    w.u32(0);
    w.u8(2);
    w.u8(1);
    w.i32(0);
    w.i32(7); // LineSpace (> 47872)
    w.str(u"黑体");
    w.u8(0);
    w.u8(1);
    w.ext80(-10.5);
    w.u8(0);
    w.str(u"Caption");
    w.str(u"Label1"); // tail
    w.i32(0);         // old formula lines; the stream ends here

    TZqTemplate t;
    t.LoadFromStream(w.data());
    auto* label = dynamic_cast<TZqLabel*>(t.Item(0));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Name(), QStringLiteral("Label1"));
    EXPECT_EQ(label->Hint, QStringLiteral("提示"));
    EXPECT_EQ(label->Additional, QStringLiteral("附加"));
    EXPECT_EQ(label->Locked, 1);
    EXPECT_EQ(label->Align, 0);
    EXPECT_EQ(label->LineSpace, 7);
    EXPECT_EQ(label->FontSize, -10.5);
    EXPECT_EQ(t.ExpressionCount(), 0);
}

TEST(TemplateStream, VersionsOutsideTheRangeAreRefused)
{
    for (int version : {43520, 47885, 0, 0xFFFF}) {
        ByteWriter w;
        writeHeader(w, version);
        w.i32(0);
        w.i32(0);
        TZqTemplate t;
        t.TempWidth = 1;
        try {
            t.LoadFromStream(w.data());
            ADD_FAILURE() << version;
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), QStringLiteral("不兼容的版本!"));
        }
        EXPECT_EQ(t.ItemCount(), 0);
    }
}

TEST(TemplateStream, BadKindsAndCountsRejectTheWholeFile)
{
    auto withItems = [](int version, int count, int kind) {
        ByteWriter w;
        writeHeader(w, version);
        w.i32(count);
        w.u8(static_cast<quint8>(kind));
        writeItemPartOld(w, 0, 0, 0, 0, 0);
        w.i32(1);
        w.i32(0);
        return w.take();
    };
    const struct { int version, count, kind; } cases[] = {
        {47884, 1, 15},        // unknown kind code
        {43521, 1, itGrid},    // no grids in the first generation
        {47884, 1000000, 0},   // more items than bytes
        {47884, -1, 0},        // negative count
    };
    for (auto c : cases) {
        TZqTemplate t;
        EXPECT_THROW(t.LoadFromStream(withItems(c.version, c.count, c.kind)), Error) << c.kind << " " << c.count;
        EXPECT_EQ(t.ItemCount(), 0);
    }
}

TEST(TemplateStream, BackgroundJpegIsKeptByteForByte)
{
    const QByteArray jpeg = tinyJpeg();
    TZqTemplate t;
    t.SetBkJpeg(jpeg);
    TZqTemplate back;
    back.LoadFromStream(t.SaveToStream());
    EXPECT_EQ(back.BkJpeg(), jpeg);
    EXPECT_EQ(back.BkPic().size(), QSize(8, 8));
    TZqTemplate again;
    again.LoadFromStream(back.SaveToStream());
    EXPECT_EQ(again.BkJpeg(), jpeg); // not re-encoded on every save

    QByteArray broken = t.SaveToStream();
    broken[17 + 8 + 2] = 'X'; // inside the JPEG header
    TZqTemplate bad;
    EXPECT_THROW(bad.LoadFromStream(broken), Error);
}

TEST(TemplateStream, FormulaRecordsRoundTrip)
{
    TZqTemplate t;
    auto e = std::make_unique<TZqWndExpression>();
    e->Target = {1, 0, 10, QStringLiteral("合计"), -1, -1, -1, -1, 0, {}};
    e->Symbols.push_back({1, 0, 14, QStringLiteral("Grid1"), 2, -1, 2, -1, 0, {}});
    e->Symbols.push_back({0, 0, 0, {}, -1, -1, -1, -1, 0, QStringLiteral("+")});
    e->Symbols.push_back({1, 0, 14, QStringLiteral("Grid1"), 1, 3, 1, 3, -1, {}});
    t.Expressions().push_back(std::move(e));
    TZqTemplate back;
    back.LoadFromStream(t.SaveToStream());
    ASSERT_EQ(back.ExpressionCount(), 1);
    EXPECT_EQ(back.Expression(0)->Target, t.Expression(0)->Target);
    EXPECT_EQ(back.Expression(0)->Symbols, t.Expression(0)->Symbols);
}

TEST(TemplateNames, LookupFoldsAsciiOnly)
{
    TZqTemplate t;
    for (const char16_t* n : {u"Amount", u"amount", u"金额", u"ａ"}) {
        auto it = CreateItem(itRect, true);
        it->SetNameRaw(QString::fromUtf16(n));
        t.AddItem(std::move(it));
    }
    EXPECT_EQ(t.GetItemByName(QStringLiteral("AMOUNT")), t.Item(0)); // the first in list order
    EXPECT_EQ(t.GetItemByName(QStringLiteral("金额")), t.Item(2));
    EXPECT_EQ(t.GetItemByName(QStringLiteral("Ａ")), nullptr); // full-width letters do not fold
    EXPECT_EQ(t.GetItemByName(QStringLiteral("none")), nullptr);
}

TEST(TemplateNames, RenameFollowsFormulaReferences)
{
    TZqTemplate t;
    auto* in = static_cast<FakeInput*>(t.AddItem(std::make_unique<FakeInput>()));
    in->SetNameRaw(QStringLiteral("Price"));
    auto e = std::make_unique<TZqWndExpression>();
    e->Target = {1, 0, itEdit, QStringLiteral("Total"), -1, -1, -1, -1, 0, {}};
    e->Symbols.push_back({1, 0, itEdit, QStringLiteral("PRICE"), -1, -1, -1, -1, 0, {}});
    e->Symbols.push_back({1, 0, itCheck, QStringLiteral("Price"), -1, -1, -1, -1, 0, {}}); // another kind
    t.Expressions().push_back(std::move(e));
    in->SetName(QStringLiteral("单价"));
    EXPECT_EQ(t.Expression(0)->Symbols[0].CtrlName, QStringLiteral("单价"));
    EXPECT_EQ(t.Expression(0)->Symbols[1].CtrlName, QStringLiteral("Price"));
}

class TemplateValues : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* n : {"Amount", "Payee"}) {
            auto it = std::make_unique<FakeInput>();
            it->SetNameRaw(QString::fromLatin1(n));
            it->SubTblName = QStringLiteral("明细");
            t.AddItem(std::move(it));
        }
        t.AddItem(CreateItem(itLabel, true)); // carries no value
    }
    FakeInput* in(int i) { return static_cast<FakeInput*>(t.Item(i)); }
    TZqTemplate t;
};

TEST_F(TemplateValues, RecordsOnePerInputItem)
{
    in(0)->value = QStringLiteral("12.50");
    in(1)->value = QStringLiteral("上海");
    const QList<TZqItemValue> v = t.GetItemValues();
    ASSERT_EQ(v.size(), 2);
    EXPECT_EQ(v[0].Kind, itEdit);
    EXPECT_EQ(v[0].Name, QStringLiteral("Amount"));
    EXPECT_EQ(v[0].Value, QStringLiteral("12.50"));
    EXPECT_EQ(v[0].SubTblName, QStringLiteral("明细"));
    EXPECT_EQ(v[0].SaveToPrtRec, 1);
    EXPECT_EQ(v[0].DataType, 1);
}

TEST_F(TemplateValues, SetItemValuesMatchesExactlyAndKeepsResetValues)
{
    TZqItemValue a;
    a.Name = QStringLiteral("amount"); // case differs: not applied
    a.Value = QStringLiteral("1");
    TZqItemValue b;
    b.Name = QStringLiteral("Payee");
    b.Value = QStringLiteral("北京");
    TZqItemValue b2 = b;
    b2.Value = QStringLiteral("second");
    t.SetItemValues({a, b, b2});
    EXPECT_EQ(in(0)->value, QStringLiteral("default"));
    EXPECT_EQ(in(1)->value, QStringLiteral("北京")); // the first record wins
}

TEST_F(TemplateValues, SetNameValuesEmptiesItemsWithoutALine)
{
    t.SetNameValues({QStringLiteral("PAYEE=广州"), QStringLiteral("no equals sign")});
    EXPECT_EQ(in(0)->value, QString());
    EXPECT_EQ(in(1)->value, QStringLiteral("广州"));
    in(0)->value = QStringLiteral("a=b");
    EXPECT_EQ(t.GetNameValues(), (QStringList{QStringLiteral("Amount=a=b"), QStringLiteral("Payee=广州")}));
}

TEST_F(TemplateValues, Base64TextRoundTripsAndBadTextResets)
{
    in(0)->value = QStringLiteral("99");
    in(1)->value = QString(40, QChar(0x4E2D)); // long enough to need a line break
    const QString text = t.ItemValuesToText();
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n")));
    in(0)->value.clear();
    in(1)->value.clear();
    t.ItemValuesFromText(text);
    EXPECT_EQ(in(0)->value, QStringLiteral("99"));
    EXPECT_EQ(in(1)->value, QString(40, QChar(0x4E2D)));
    for (const char* bad : {"not base64!", "AAA=", "/////w=="}) {
        t.ItemValuesFromText(QString::fromLatin1(bad));
        EXPECT_EQ(in(0)->value, QStringLiteral("default")) << bad;
    }
}

TEST(TemplateLayout, FitGridRowsGrowsThePageAndMovesBottomItems)
{
    TZqTemplate t;
    auto* g1 = static_cast<FakeGrid*>(t.AddItem(std::make_unique<FakeGrid>()));
    g1->Height = 100;
    g1->rows = 130;
    auto* g2 = static_cast<FakeGrid*>(t.AddItem(std::make_unique<FakeGrid>()));
    g2->Height = 50;
    g2->rows = 40;
    TZqItem* top = t.AddItem(CreateItem(itRect, true));
    top->YPos = 500;
    TZqItem* bottom = t.AddItem(CreateItem(itRect, true));
    bottom->YPos = 500;
    bottom->Align = 1;
    t.FitGridRows();
    EXPECT_EQ(g1->Height, 130);
    EXPECT_EQ(g2->Height, 40);
    EXPECT_EQ(t.TempHeight, 1123 + 20);
    EXPECT_EQ(top->YPos, 500);
    EXPECT_EQ(bottom->YPos, 520);
}

TEST(Clipboard, BlockRoundTripKeepsAllButNoPrint)
{
    TZqLabel label;
    label.InitDefaults();
    label.XPos = 11;
    label.NoPrint = 1;
    label.Hint = QStringLiteral("提示");
    label.ExtText[4] = QStringLiteral("ext5");
    label.Caption = QStringLiteral("金额大写");
    label.SetNameRaw(QStringLiteral("Label9"));
    TZqLine line;
    line.InitDefaults();
    line.LineWidth = 4;
    line.SetNameRaw(QStringLiteral("Line1"));
    const QByteArray block = WriteClipBlock({&label, &line});
    // The label declares four bytes more than it writes; the line must still follow intact.
    auto items = ReadClipBlock(block);
    ASSERT_EQ(items.size(), 2u);
    auto* l = dynamic_cast<TZqLabel*>(items[0].get());
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->Caption, label.Caption);
    EXPECT_EQ(l->Hint, label.Hint);
    EXPECT_EQ(l->ExtText[4], QStringLiteral("ext5"));
    EXPECT_EQ(l->NoPrint, 0);
    EXPECT_EQ(l->Name(), QStringLiteral("Label9"));
    auto* ln = dynamic_cast<TZqLine*>(items[1].get());
    ASSERT_NE(ln, nullptr);
    EXPECT_EQ(ln->LineWidth, 4);
    EXPECT_EQ(ln->Name(), QStringLiteral("Line1"));
    EXPECT_EQ(line.ClipSizeFull(), 54 + 4 + 4 + 5);
    EXPECT_EQ(label.ClipSize(), 54 + 4 + 4 + 21 + 35 + 4 + 4 + 8); // texts: hint, ext5, font name, caption
}

TEST(Clipboard, MalformedBlocksAreRefused)
{
    TZqLine line;
    line.InitDefaults();
    const QByteArray good = WriteClipBlock({&line});
    QByteArray shortLen = good;
    shortLen[5] = 3; // declared length too short for the record
    QByteArray badKind = good;
    badKind[4] = 99;
    for (const QByteArray& b : {good.left(good.size() - 1), shortLen, badKind, QByteArray("\x05\x00\x00\x00", 4)})
        EXPECT_THROW(ReadClipBlock(b), Error);
}

TEST(Json, BuildDumpBuildIsByteIdentical)
{
    const QByteArray json = R"({"TempWidth": 600, "TempHeight": 400, "BkColor": 15792383,
        "Items": [{"Kind": "itLabel", "Name": "L1", "XPos": 10, "Caption": "收款", "FontSize": -12.5},
                  {"Kind": "itLine", "XPos": 1, "Width": -5},
                  {"Kind": "itRect", "Transparent": 0}],
        "OldVerExps": ["a=b"]})";
    TZqTemplate t;
    EXPECT_FALSE(TemplateFromJson(json, t));
    auto* label = static_cast<TZqLabel*>(t.Item(0));
    EXPECT_EQ(label->HorzAlign, 2); // left out: a new label's default
    EXPECT_EQ(label->FontSize, -12.5);
    const QByteArray bytes = t.SaveToStream();
    TZqTemplate again;
    TemplateFromJson(TemplateToJson(t), again);
    EXPECT_EQ(again.SaveToStream(), bytes);
}

TEST(Json, ErrorsNameTheField)
{
    const struct { const char* json; const char* needle; } cases[] = {
        {R"({"Items":[{"Kind":"itEditz"}]})", "Items[0].Kind"},
        {R"({"Items":[{"Kind":"itLine","Colour":1}]})", "Items[0].Colour"},
        {R"({"Items":[{"Kind":"itLine","PrintSelf":300}]})", "Items[0].PrintSelf"},
        {R"({"TempWidht":1})", "TempWidht"},
        {R"({"Items":[)", "JSON"},
    };
    for (auto c : cases) {
        TZqTemplate t;
        try {
            TemplateFromJson(QByteArray(c.json), t);
            ADD_FAILURE() << c.json;
        } catch (const Error& e) {
            EXPECT_TRUE(e.message().contains(QString::fromLatin1(c.needle))) << e.message().toStdString();
        }
    }
    TZqTemplate t;
    EXPECT_TRUE(TemplateFromJson(QByteArray(R"({"Items":[{"Kind":"itLabel","Caption":"\ud83d\ude00"}]})"), t));
}
