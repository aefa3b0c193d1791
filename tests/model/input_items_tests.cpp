// Input items: stream forms in old and new versions, clipboard forms, values,
// display texts and the settings a damaged file may hold.
#include "item_test_util.h"

#include "base/Clock.h"
#include "base/DateSerial.h"
#include "base/Error.h"
#include "model/ClipBlock.h"
#include "model/ZqBasicItems.h"
#include "model/ZqComboBox.h"
#include "model/ZqCurrency.h"
#include "model/ZqDate.h"
#include "model/ZqEdit.h"
#include "model/ZqSNEdit.h"
#include "model/ZqSmallInputs.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <cmath>
#include <limits>

using namespace zq;
using namespace itest;

namespace {

const int kInputKinds[] = {itEdit, itCombobox, itDate, itCurrency, itPassword,
                           itUpperCurrency, itCheck, itPostalCode, itSNEdit};

template <typename T>
T& as(TZqItem& item) { return dynamic_cast<T&>(item); }

// ---------------------------------------------------------------- old-version fixtures

// The common item part as a file of `version` holds it.
void itemPart(ByteWriter& w, int version, quint8 printSelf = 1)
{
    w.i32(10);
    w.i32(20);
    w.i32(200);
    w.i32(30);
    w.u8(printSelf);
    if (version > 47876) {
        w.str(u"提示");
        w.u8(1);
    }
    if (version > 47877)
        w.str(u"附加");
    if (version > 47878)
        w.u8(0);
    if (version >= 47880)
        w.u8(1);
    if (version > 47880)
        w.u8(1);
    if (version > 47881) {
        w.u8(0);
        for (int i = 0; i < 5; ++i) {
            w.u8(0);
            w.str(u"");
        }
    }
}

// The rectangle part: Transparent, BgColor, LeftL, TopL, RightL, BottomL.
void rectPart(ByteWriter& w)
{
    w.u8(0);
    w.u32(0x00ABCDEF);
    w.i32(1);
    w.i32(2);
    w.i32(3);
    w.i32(4);
}

// A whole template stream of one item, with one old formula line after it.
QByteArray templateOf(int version, int kind, const QByteArray& record)
{
    ByteWriter w;
    w.u16(static_cast<quint16>(version));
    w.i32(794);
    w.i32(1123);
    w.u32(0xFFFFFF);
    w.u8(0);
    w.i32(1);
    w.u8(static_cast<quint8>(kind));
    w.bytes(record);
    w.i32(1);
    w.str(u"A=1");
    if (version > 47879)
        w.i32(0);
    return w.take();
}

// Loads the one item of a fixture and checks that the stream stayed aligned.
std::unique_ptr<TZqTemplate> load(int version, int kind, const QByteArray& record)
{
    auto t = std::make_unique<TZqTemplate>();
    t->LoadFromStream(templateOf(version, kind, record));
    EXPECT_EQ(t->ItemCount(), 1);
    EXPECT_EQ(t->OldVerExps, QStringList{QStringLiteral("A=1")});
    return t;
}

void ext80(ByteWriter& w, double v) { w.ext80(v); }

QByteArray editRecord(int version)
{
    ByteWriter w;
    itemPart(w, version);
    rectPart(w);
    w.str(u"金额");
    w.str(u"1234.5");
    w.u8(1);              // SaveToPrtRec
    w.u32(0x0000FF);      // TextColor
    w.u8(1);              // HorzAlign
    w.u8(2);              // VertAlign
    w.str(u"黑体");
    w.u8(1);              // Bold
    w.u8(0);              // Italic
    ext80(w, -12);
    w.u8(1);              // OnlyDigit
    w.i32(2);             // Decimal
    w.u8(1);              // AutoZero
    w.u8(0);              // AutoUpper
    w.str(u"￥");
    w.u8(1);              // ThousandSplit
    w.str(u"前");
    w.str(u"后");
    w.u8(0);              // ReadOnly
    w.u8(1);              // SingleLine
    w.i32(7);             // TabOrder
    w.u8(0);              // TextOrie
    if (version == 43521)
        return w.take();
    w.i32(5);             // LineSpace
    w.i32(6);             // TextSpace
    w.u8(1);              // HideZero
    if (version > 47873) {
        w.str(u"子表");
        w.str(u"列");
        w.i32(3);
        w.u8(2);          // FitMode
        w.str(u"客户");
        w.str(u"名称");
        w.str(u"组1");
    }
    if (version > 47882)
        w.str(u"默认");
    return w.take();
}

TEST(InputItemStreams, EditInEveryGeneration)
{
    {
        auto t = load(43521, itEdit, editRecord(43521));
        auto& e = as<TZqEdit>(*t->Item(0));
        EXPECT_EQ(str(e.Name()), "金额");
        EXPECT_EQ(str(e.GetText()), "前￥1,234.50后");
        EXPECT_EQ(e.TabOrder, 7);
        EXPECT_EQ(e.LineSpace, 0);
        EXPECT_EQ(e.HideZero, 0);
        EXPECT_EQ(e.Visible, 0); // absent fields read as zero, not as a new item's defaults
        EXPECT_EQ(e.LeftL, 1);
        EXPECT_EQ(e.BottomL, 4);
    }
    {
        auto t = load(47873, itEdit, editRecord(47873));
        auto& e = as<TZqEdit>(*t->Item(0));
        EXPECT_EQ(e.LineSpace, 5);
        EXPECT_EQ(e.TextSpace, 6);
        EXPECT_EQ(e.HideZero, 1);
        EXPECT_TRUE(e.SubTblName.isEmpty());
        EXPECT_EQ(e.FitMode, 0);
    }
    {
        // 47882 has everything but the default value: a reset then empties the edit.
        auto t = load(47882, itEdit, editRecord(47882));
        auto& e = as<TZqEdit>(*t->Item(0));
        EXPECT_EQ(str(e.SubTblName), "子表");
        EXPECT_EQ(e.SubTblRowNo, 3);
        EXPECT_EQ(e.FitMode, 2);
        EXPECT_EQ(str(e.Group), "组1");
        EXPECT_EQ(str(e.Hint), "提示");
        EXPECT_TRUE(e.DefValue.isEmpty());
        t->ResetValues();
        EXPECT_TRUE(e.Value.isEmpty());
    }
    {
        auto t = load(47884, itEdit, editRecord(47884));
        auto& e = as<TZqEdit>(*t->Item(0));
        EXPECT_EQ(str(e.DefValue), "默认");
        t->ResetValues();
        EXPECT_EQ(str(e.Value), "默认");
    }
}

QByteArray comboRecord(int version)
{
    ByteWriter w;
    itemPart(w, version);
    rectPart(w);
    w.str(u"单位");
    w.str(u"箱");
    w.u8(1);
    w.i32(2);
    w.str(u"件");
    w.str(u"箱");
    w.str(u"T");           // DataSourceTable
    w.str(u"F");           // DataSourceField
    w.u32(0);
    w.u8(2);
    w.u8(1);
    w.str(u"宋体");
    w.u8(0);
    w.u8(1);
    ext80(w, -9);
    w.u8(1);               // ReadOnly
    w.u8(1);               // SingleLine
    w.i32(4);
    w.str(u"G");           // Group
    if (version == 43521)
        return w.take();
    w.i32(1);
    w.i32(2);
    if (version > 47873) {
        w.str(u"S");
        w.str(u"SF");
        w.i32(9);
        w.u8(1);
    }
    if (version > 47879)
        w.str(u"备用");
    if (version > 47882)
        w.str(u"件");
    return w.take();
}

TEST(InputItemStreams, ComboBoxInEveryGeneration)
{
    {
        auto t = load(43521, itCombobox, comboRecord(43521));
        auto& c = as<TZqComboBox>(*t->Item(0));
        EXPECT_EQ(c.Items, (QStringList{QStringLiteral("件"), QStringLiteral("箱")}));
        EXPECT_EQ(str(c.DataSourceField), "F");
        EXPECT_EQ(str(c.Group), "G");
        EXPECT_EQ(c.LineSpace, 0);
    }
    {
        auto t = load(47879, itCombobox, comboRecord(47879));
        auto& c = as<TZqComboBox>(*t->Item(0));
        EXPECT_EQ(c.SubTblRowNo, 9);
        EXPECT_TRUE(c.SpareText.isEmpty());
    }
    {
        auto t = load(47884, itCombobox, comboRecord(47884));
        auto& c = as<TZqComboBox>(*t->Item(0));
        EXPECT_EQ(str(c.SpareText), "备用");
        EXPECT_EQ(str(c.DefValue), "件");
    }
}

QByteArray dateRecord(int version, double value)
{
    ByteWriter w;
    itemPart(w, version);
    rectPart(w);
    w.str(u"出票日期");
    w.f64(value);
    w.u8(1);
    w.u8(0);               // Type
    w.u8(0);               // Format
    w.str(u"宋体");
    w.u8(0);
    w.u8(0);
    ext80(w, -10);
    w.u32(0);
    w.i32(60);
    w.i32(50);
    w.i32(40);
    w.i32(13);             // LabelWidth
    w.u8(0);
    w.i32(1);
    if (version == 43521)
        return w.take();
    w.u8(1);               // PrintColumn
    if (version > 47873) {
        w.str(u"");
        w.str(u"");
        w.i32(0);
        w.u8(1);           // IncludeTime
    }
    return w.take();
}

TEST(InputItemStreams, DateInEveryGeneration)
{
    const double d = encodeDate(2004, 11, 20) + encodeTime(8, 5, 0, 0);
    {
        auto t = load(43521, itDate, dateRecord(43521, d));
        auto& it = as<TZqDate>(*t->Item(0));
        EXPECT_EQ(it.IsEmpty, 0); // a loaded date is never empty
        EXPECT_EQ(str(it.TextForm()), "2004-11-20");
        EXPECT_EQ(str(it.PartText(3)), "零贰拾");
        EXPECT_EQ(it.ColWidth3, 40);
    }
    {
        auto t = load(47876, itDate, dateRecord(47876, d));
        auto& it = as<TZqDate>(*t->Item(0));
        EXPECT_EQ(it.PrintColumn, 1);
        EXPECT_EQ(it.IncludeTime, 1);
        EXPECT_EQ(str(it.TextForm()), "2004-11-20 08:05:00");
    }
}

QByteArray currencyRecord(int version)
{
    ByteWriter w;
    itemPart(w, version);
    rectPart(w);
    w.u8(10);
    w.u8(0);
    w.u8(7);               // SpareByte1
    w.str(u"￥");
    w.u8(1);
    w.u8(1);
    w.u8(1);               // ShowLimitation
    w.str(u"万");
    w.str(u"宋体");
    w.u8(0);
    w.u8(0);
    ext80(w, -10);
    w.u32(0);
    w.str(u"金额");
    w.str(u"1234.50");
    w.u8(1);
    w.u8(0);
    w.i32(2);
    if (version == 43521)
        return w.take();
    w.u8(8);               // SpareByte2
    if (version > 47873) {
        w.str(u"");
        w.str(u"");
        w.i32(0);
        w.u8(1);           // FullPrint
    }
    if (version > 47875)
        for (int i = 0; i < 12; ++i)
            w.i32(i - 6);
    return w.take();
}

TEST(InputItemStreams, AmountBoxInEveryGeneration)
{
    {
        auto t = load(43521, itCurrency, currencyRecord(43521));
        auto& c = as<TZqCurrency>(*t->Item(0));
        EXPECT_EQ(c.SpareByte1, 7);
        EXPECT_EQ(str(c.Limitation), "万");
        EXPECT_EQ(str(c.DisplayText()), "￥123450");
        EXPECT_EQ(c.SpareByte2, 0);
    }
    {
        auto t = load(47875, itCurrency, currencyRecord(47875));
        auto& c = as<TZqCurrency>(*t->Item(0));
        EXPECT_EQ(c.SpareByte2, 8);
        EXPECT_EQ(c.FullPrint, 1);
        EXPECT_EQ(c.TinyAdjOf(11), 0);
    }
    {
        auto t = load(47876, itCurrency, currencyRecord(47876));
        auto& c = as<TZqCurrency>(*t->Item(0));
        EXPECT_EQ(c.TinyAdjOf(0), -6);
        EXPECT_EQ(c.TinyAdjOf(11), 5);
    }
}

QByteArray upperRecord(int version)
{
    ByteWriter w;
    itemPart(w, version);
    rectPart(w);
    w.u8(8);
    w.u8(0);
    w.str(u"楷体");
    w.u8(1);
    w.u8(0);
    ext80(w, -14);
    w.u32(0);
    w.str(u"大写");
    w.str(u"1234.50");
    w.u8(1);
    w.u8(0);
    w.i32(3);
    if (version == 43521)
        return w.take();
    w.u8(1);               // HideZero
    if (version > 47873) {
        w.str(u"");
        w.str(u"");
        w.i32(0);
        w.u8(1);           // SealMode
        w.str(u"Wingdings 2");
        ext80(w, 14);
        w.str(u"U");
    }
    return w.take();
}

TEST(InputItemStreams, CapitalAmountInEveryGeneration)
{
    {
        auto t = load(43521, itUpperCurrency, upperRecord(43521));
        auto& c = as<TZqUpperCurrency>(*t->Item(0));
        EXPECT_EQ(c.HideZero, 0);
        EXPECT_TRUE(c.SealFontName.isEmpty());
        EXPECT_EQ(str(c.DisplayText()), "⊗壹仟贰佰叁拾肆元伍角零分");
    }
    {
        auto t = load(47884, itUpperCurrency, upperRecord(47884));
        auto& c = as<TZqUpperCurrency>(*t->Item(0));
        EXPECT_EQ(c.SealMode, 1);
        EXPECT_EQ(c.SealFontSize, 14);
        EXPECT_EQ(str(c.SealChar), "U");
        EXPECT_EQ(str(c.DisplayText()), "⊗⊗⊗壹仟贰佰叁拾肆元伍角零分");
    }
}

QByteArray passwordRecord(int version)
{
    ByteWriter w;
    itemPart(w, version);
    rectPart(w);
    w.u8(1);               // Type
    w.str(u"宋体");
    w.u8(0);
    w.u8(0);
    ext80(w, -10);
    w.u32(0);
    w.str(u"密码");
    w.str(u"123456");
    w.u8(0);
    w.u8(1);
    w.i32(5);
    if (version > 47873) {
        w.str(u"S");
        w.str(u"F");
        w.i32(2);
    }
    return w.take();
}

QByteArray checkRecord(int version)
{
    ByteWriter w;
    itemPart(w, version);
    rectPart(w);
    w.str(u"现金");
    w.u8(1);               // SignStyle
    w.u8(1);               // Checked
    w.str(u" 付款 ");
    w.u8(1);
    w.i32(6);
    if (version > 47873) {
        w.str(u"S");
        w.str(u"F");
        w.i32(2);
    }
    return w.take();
}

QByteArray postalRecord(int version)
{
    ByteWriter w;
    itemPart(w, version);
    rectPart(w);
    w.str(u"邮编");
    w.str(u"310012");
    w.u8(1);
    w.str(u"宋体");
    w.u8(0);
    w.u8(0);
    ext80(w, -10);
    w.u32(0);
    w.i32(6);
    w.i32(3);
    w.u8(0);
    w.i32(8);
    if (version > 47873) {
        w.str(u"S");
        w.str(u"F");
        w.i32(2);
    }
    if (version > 47874) {
        w.str(u"地址表");
        w.str(u"邮编");
        w.str(u"组");
    }
    return w.take();
}

QByteArray snRecord(int version)
{
    ByteWriter w;
    itemPart(w, version);
    rectPart(w);
    w.str(u"号码");
    w.str(u"42");
    w.i32(6);
    w.u8(1);               // NewForDay
    w.i32(2);              // Step
    w.str(u"NO.");
    w.str(u"号");
    w.u8(1);
    w.u8(0);
    w.u32(0);
    w.u8(0);
    w.u8(1);
    w.i32(3);              // TextSpace
    w.u8(1);               // TextOrie
    w.str(u"宋体");
    w.u8(0);
    w.u8(0);
    ext80(w, -10);
    w.u8(1);
    w.i32(9);
    if (version > 47873) {
        w.str(u"S");
        w.str(u"F");
        w.i32(2);
        w.u8(1);           // FitMode
    }
    return w.take();
}

TEST(InputItemStreams, SmallKindsInEveryGeneration)
{
    for (int version : {43521, 47873, 47874, 47884}) {
        SCOPED_TRACE(version);
        const bool storage = version > 47873;
        {
            auto t = load(version, itPassword, passwordRecord(version));
            auto& p = as<TZqPassword>(*t->Item(0));
            EXPECT_EQ(p.Type, 1);
            EXPECT_EQ(str(p.Value), "123456");
            EXPECT_EQ(p.TabOrder, 5);
            EXPECT_EQ(p.SubTblRowNo, storage ? 2 : 0);
        }
        {
            auto t = load(version, itCheck, checkRecord(version));
            auto& c = as<TZqCheck>(*t->Item(0));
            EXPECT_EQ(c.SignStyle, 1);
            EXPECT_EQ(str(c.CheckGroup), " 付款 ");
            EXPECT_EQ(c.TabOrder, 6);
            EXPECT_EQ(c.SubTblRowNo, storage ? 2 : 0);
        }
        {
            auto t = load(version, itPostalCode, postalRecord(version));
            auto& p = as<TZqPostalCode>(*t->Item(0));
            EXPECT_EQ(p.SpaceWidth, 3);
            EXPECT_EQ(p.TabOrder, 8);
            EXPECT_EQ(str(p.Group), version > 47874 ? "组" : "");
        }
        {
            auto t = load(version, itSNEdit, snRecord(version));
            auto& s = as<TZqSNEdit>(*t->Item(0));
            EXPECT_EQ(s.Step, 2);
            EXPECT_EQ(s.TextSpace, 3);
            EXPECT_EQ(s.TabOrder, 9);
            EXPECT_EQ(s.FitMode, storage ? 1 : 0);
        }
    }
}

// ---------------------------------------------------------------- round trips

TEST(InputItemStreams, FullySetItemsSurviveSaveAndLoad)
{
    for (int kind : kInputKinds) {
        SCOPED_TRACE(str(ItemKindName(kind)));
        std::unique_ptr<TZqItem> item = fullySet(kind);
        const QByteArray bytes = streamBytes(*item);
        std::unique_ptr<TZqItem> back = readStream(kind, bytes, ZqVersion::kCurrent);
        EXPECT_EQ(snapshot(*back), snapshot(*item));
        EXPECT_EQ(streamBytes(*back), bytes);
    }
}

TEST(InputItemStreams, TemplateRoundTripKeepsEveryKindByteForByte)
{
    TZqTemplate t;
    for (int kind : kInputKinds)
        t.AddItem(fullySet(kind));
    const QByteArray bytes = t.SaveToStream();
    TZqTemplate back;
    back.LoadFromStream(bytes);
    ASSERT_EQ(back.ItemCount(), t.ItemCount());
    for (int i = 0; i < t.ItemCount(); ++i)
        EXPECT_EQ(snapshot(*back.Item(i)), snapshot(*t.Item(i)));
    EXPECT_EQ(back.SaveToStream(), bytes);
}

TEST(InputItemStreams, CutRecordsFailCleanly)
{
    for (int kind : kInputKinds) {
        SCOPED_TRACE(str(ItemKindName(kind)));
        const QByteArray bytes = streamBytes(*fullySet(kind));
        for (qsizetype n = 0; n < bytes.size(); n += 3)
            EXPECT_THROW(readStream(kind, bytes.left(n), ZqVersion::kCurrent), Error) << n;
    }
}

TEST(InputItemClipboard, EveryPropertyButNoPrintSurvives)
{
    for (int kind : kInputKinds) {
        SCOPED_TRACE(str(ItemKindName(kind)));
        std::unique_ptr<TZqItem> item = fullySet(kind);
        item->NoPrint = 1;
        const QByteArray bytes = clipBytes(*item);
        EXPECT_EQ(item->ClipSizeFull(), bytes.size());
        std::unique_ptr<TZqItem> back = readClip(kind, bytes);
        EXPECT_EQ(back->NoPrint, 0);
        item->NoPrint = 0;
        EXPECT_EQ(snapshot(*back), snapshot(*item));
    }
}

TEST(InputItemClipboard, EditClipSizeFollowsItsFormula)
{
    auto e = CreateItem(itEdit, true);
    auto& edit = as<TZqEdit>(*e);
    edit.SetNameRaw(QStringLiteral("Edit1"));
    edit.Prefix = QStringLiteral("前缀");
    edit.DefValue = QStringLiteral("x");
    const int texts = 5 + 4 + 4; // the bytes of Name, FontName and Prefix
    const int tail = 1;                         // DefValue
    EXPECT_EQ(edit.ClipSize(), 54 + 21 + 58 + texts);
    EXPECT_EQ(edit.ClipSizeFull(), edit.ClipSize() + 38 + tail);
}

TEST(InputItemClipboard, BlockCarriesEveryKind)
{
    std::vector<std::unique_ptr<TZqItem>> items;
    std::vector<const TZqItem*> ptrs;
    for (int kind : kInputKinds) {
        items.push_back(fullySet(kind));
        ptrs.push_back(items.back().get());
    }
    const auto back = ReadClipBlock(WriteClipBlock(ptrs));
    ASSERT_EQ(back.size(), items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        items[i]->NoPrint = 0;
        EXPECT_EQ(snapshot(*back[i]), snapshot(*items[i]));
    }
}

// ---------------------------------------------------------------- edit display

TEST(EditDisplay, FollowsTheChain)
{
    struct Case {
        const char* value;
        int onlyDigit, decimal, autoUpper, thousand, hideZero;
        const char* symbol;
        const char* prefix;
        const char* suffix;
        const char* shown;
    };
    const Case cases[] = {
        {"1234567.891", 1, 2, 0, 1, 0, "", "", "", "1,234,567.89"},
        {"-1234", 1, 2, 0, 1, 0, "", "", "", "-1,234.00"},
        {"-123", 1, 2, 0, 1, 0, "", "", "", "-123.00"},
        {"1234567.891", 1, 2, 0, 0, 0, "", "", "", "1234567.89"},
        {"3.5", 1, -1, 0, 1, 0, "", "", "", "3.5"},
        {"3.5", 1, 0, 0, 1, 0, "", "", "", "4"},
        {"2.675", 1, 2, 0, 1, 0, "", "", "", "2.68"},
        {"1234.5", 1, 9, 0, 1, 0, "", "", "", "1,234.500000"}, // a decimal count out of range is clamped
        {"0", 1, 2, 0, 1, 1, "￥", "前", "后", ""},
        {"0.00", 1, 2, 0, 1, 1, "", "前", "后", ""},
        {"abc", 1, 2, 0, 1, 0, "", "", "", "0.00"},
        {"10.5", 1, 2, 1, 1, 0, "￥", "", "", "￥壹拾元零伍角整"},
        {"10.5", 1, 2, 9, 1, 0, "", "", "", "壹拾元伍角整"},
        {"10.5", 1, 2, 8, 1, 0, "", "", "", "壹拾圆零伍角整"},
        {"12.5", 1, 2, 5, 1, 0, "", "", "", "壹拾贰元伍拾分"},
        {"105.25", 1, 2, 7, 1, 0, "", "", "", "壹佰零伍点贰伍"},
        {"100", 1, 2, 2, 1, 0, "$", "", "", "$Dollars One Hundred Only"},
        {"1234.56", 1, 2, 3, 1, 0, "", "", "", "One Thousand and Two Hundred Thirty-four Dollars and Fifty-six Cents Only"},
        {"12.5", 1, 2, 4, 1, 0, "", "", "", "Twelve and Cents Fifty Only"},
        {"1234", 1, 2, 0, 1, 0, "RMB", "合计：", "元", "合计：RMB1,234.00元"},
        {"hello", 0, 2, 1, 1, 1, "￥", "<", ">", "<hello>"},
        {"", 0, 2, 1, 1, 0, "", "NO.", "号", "NO.号"},
        {"", 1, 2, 1, 1, 0, "￥", "NO.", "号", "NO.号"},
        {"", 1, 2, 1, 1, 1, "", "NO.", "号", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        TZqDisplayFormat f;
        f.OnlyDigit = static_cast<quint8>(c.onlyDigit);
        f.Decimal = c.decimal;
        f.AutoUpper = static_cast<quint8>(c.autoUpper);
        f.ThousandSplit = static_cast<quint8>(c.thousand);
        f.HideZero = static_cast<quint8>(c.hideZero);
        f.CurrencySymbol = u8(c.symbol);
        f.Prefix = u8(c.prefix);
        f.Suffix = u8(c.suffix);
        EXPECT_EQ(str(FormatDisplayText(u8(c.value), f)), c.shown);
    }
}

TEST(EditDisplay, RefusesAmountsItCannotWriteOut)
{
    TZqDisplayFormat f;
    f.OnlyDigit = 1;
    f.AutoUpper = 1;
    EXPECT_EQ(errorOf([&] { FormatDisplayText(QStringLiteral("1000000000000"), f); }),
              "金额超出范围，整数部分不能超过12位");
    EXPECT_EQ(str(FormatDisplayText(QStringLiteral("999999999999.99"), f)),
              "玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分");
    f.AutoUpper = 2;
    EXPECT_EQ(errorOf([&] { FormatDisplayText(QStringLiteral("0"), f); }),
              "Out of range, must between 0.01-999999999999.99");
}

TEST(EditDisplay, DecimalReadFromAFileIsClamped)
{
    auto e = fullySet(itEdit);
    as<TZqEdit>(*e).Decimal = 99;
    auto back = readStream(itEdit, streamBytes(*e), ZqVersion::kCurrent);
    EXPECT_EQ(as<TZqEdit>(*back).Decimal, 6);
    as<TZqEdit>(*e).Decimal = -5;
    back = readStream(itEdit, streamBytes(*e), ZqVersion::kCurrent);
    EXPECT_EQ(as<TZqEdit>(*back).Decimal, -1);
}

// ---------------------------------------------------------------- values

class TemplateValues : public ::testing::Test {
protected:
    TZqTemplate t;
    CountingHost host;

    template <typename T>
    T& add(int kind, const char* name)
    {
        auto item = CreateItem(kind, true);
        item->SetNameRaw(u8(name));
        return dynamic_cast<T&>(*t.AddItem(std::move(item)));
    }
};

TEST_F(TemplateValues, SettersNotifyOnlyOnRealChanges)
{
    t.Owner = &host;
    auto& edit = add<TZqEdit>(itEdit, "E");
    auto& combo = add<TZqComboBox>(itCombobox, "C");
    auto& date = add<TZqDate>(itDate, "D");
    auto& amount = add<TZqCurrency>(itCurrency, "A");
    auto& check = add<TZqCheck>(itCheck, "K");
    auto& sn = add<TZqSNEdit>(itSNEdit, "S");
    auto& pwd = add<TZqPassword>(itPassword, "P");
    auto& postal = add<TZqPostalCode>(itPostalCode, "Z");
    auto& upper = add<TZqUpperCurrency>(itUpperCurrency, "U");

    const struct {
        std::function<void()> set;
        int notifications;
    } steps[] = {
        {[&] { edit.SetValue(QStringLiteral("x")); }, 1},
        {[&] { edit.SetValue(QStringLiteral("x")); }, 0},
        {[&] { combo.SetValue(QStringLiteral("y")); }, 1},
        {[&] { combo.SetValue(QStringLiteral("y")); }, 0},
        {[&] { date.SetValue(QStringLiteral("2004-03-10")); }, 1},
        {[&] { date.SetValue(QStringLiteral("2004-03-10")); }, 0},
        {[&] { date.SetValue(QStringLiteral("2004-3-10 09:00:00")); }, 0}, // the time is not taken
        {[&] { amount.SetValue(QStringLiteral("12.3")); }, 1},
        {[&] { amount.SetValue(QStringLiteral("12.30")); }, 0},
        {[&] { upper.SetValue(QStringLiteral("5")); }, 1},
        {[&] { upper.SetValue(QStringLiteral("5.00")); }, 0},
        {[&] { check.SetChecked(true); }, 0}, // a new check item is checked
        {[&] { check.SetChecked(false); }, 1},
        {[&] { sn.SetValue(QStringLiteral("7")); }, 1},
        {[&] { sn.SetValue(QStringLiteral("007")); }, 0},
        {[&] { pwd.SetValue(QStringLiteral("1")); }, 1},
        {[&] { pwd.SetValue(QStringLiteral("1")); }, 0},
        {[&] { postal.SetValue(QStringLiteral("1")); }, 1},
        {[&] { postal.SetValue(QStringLiteral("1")); }, 0},
    };
    int i = 0;
    for (const auto& s : steps) {
        SCOPED_TRACE(i++);
        const int before = host.changes;
        s.set();
        EXPECT_EQ(host.changes - before, s.notifications);
    }
    EXPECT_EQ(str(amount.Value), "12.30");
    EXPECT_EQ(date.DateValue, encodeDate(2004, 3, 10));
}

TEST_F(TemplateValues, RecordsCarryKindsTypesAndTheLimitation)
{
    auto& sn = add<TZqSNEdit>(itSNEdit, "S");
    auto& edit = add<TZqEdit>(itEdit, "E");
    auto& digits = add<TZqEdit>(itEdit, "N");
    auto& date = add<TZqDate>(itDate, "D");
    auto& amount = add<TZqCurrency>(itCurrency, "A");
    auto& check = add<TZqCheck>(itCheck, "K");
    add<TZqUpperCurrency>(itUpperCurrency, "U");
    add<TZqLabel>(itLabel, "L");
    digits.OnlyDigit = 1;
    sn.SetValue(QStringLiteral("42"));
    edit.SetValue(QStringLiteral("文字"));
    date.SetValue(QStringLiteral("2004-03-10"));
    amount.ShowLimitation = 1;
    amount.Limitation = QStringLiteral("万");
    amount.SetValue(QStringLiteral("99"));
    check.SetChecked(false);

    const QList<TZqItemValue> v = t.GetItemValues();
    ASSERT_EQ(v.size(), 7);
    const struct { const char* name; int kind; const char* value; const char* extra; int type; } want[] = {
        {"S", itSNEdit, "42", "", 2}, {"E", itEdit, "文字", "", 2}, {"N", itEdit, "", "", 1},
        {"D", itDate, "2004-03-10", "", 3}, {"A", itCurrency, "99.00", "万", 1}, {"K", itCheck, "False", "", 4},
        {"U", itUpperCurrency, "", "", 1},
    };
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(want[i].name);
        EXPECT_EQ(str(v[i].Name), want[i].name);
        EXPECT_EQ(v[i].Kind, want[i].kind);
        EXPECT_EQ(str(v[i].Value), want[i].value);
        EXPECT_EQ(str(v[i].Extra), want[i].extra);
        EXPECT_EQ(v[i].DataType, want[i].type);
        EXPECT_EQ(v[i].SaveToPrtRec, 1);
    }
    EXPECT_EQ(t.GetNameValues(), (QStringList{u8("S=42"), u8("E=文字"), u8("N="), u8("D=2004-03-10"),
                                             u8("A=99.00"), u8("K=False"), u8("U=")}));

    // Back through the Base64 text into a fresh copy of the template.
    TZqTemplate copy;
    copy.LoadFromStream(t.SaveToStream());
    copy.ResetValues();
    as<TZqCurrency>(*copy.GetItemByName(QStringLiteral("A"))).ShowLimitation = 0;
    copy.ItemValuesFromText(t.ItemValuesToText());
    EXPECT_EQ(copy.GetItemValues(), v);
    EXPECT_EQ(as<TZqCurrency>(*copy.GetItemByName(QStringLiteral("A"))).ShowLimitation, 1);
}

TEST_F(TemplateValues, ResetGivesEveryKindItsInitialValue)
{
    auto& sn = add<TZqSNEdit>(itSNEdit, "S");
    auto& edit = add<TZqEdit>(itEdit, "E");
    auto& combo = add<TZqComboBox>(itCombobox, "C");
    auto& date = add<TZqDate>(itDate, "D");
    auto& amount = add<TZqCurrency>(itCurrency, "A");
    auto& upper = add<TZqUpperCurrency>(itUpperCurrency, "U");
    auto& check = add<TZqCheck>(itCheck, "K");
    edit.DefValue = QStringLiteral("默认");
    combo.DefValue = QStringLiteral("件");
    amount.ShowLimitation = 1;
    amount.Limitation = QStringLiteral("万");
    amount.SetValue(QStringLiteral("0.001")); // stands at 0.00
    upper.SetValue(QStringLiteral("1"));
    ASSERT_EQ(str(amount.Value), "0.00");
    t.ResetValues();
    EXPECT_EQ(str(sn.Value), "1");
    EXPECT_EQ(str(edit.Value), "默认");
    EXPECT_EQ(str(combo.Value), "件");
    EXPECT_EQ(date.IsEmpty, 1);
    EXPECT_TRUE(date.TextForm().isEmpty());
    EXPECT_TRUE(amount.Value.isEmpty()); // clearing works also from 0.00
    EXPECT_TRUE(amount.Limitation.isEmpty());
    EXPECT_TRUE(upper.Value.isEmpty());
    EXPECT_EQ(check.Checked, 0);
}

TEST_F(TemplateValues, CheckTextsInBothSetters)
{
    auto& check = add<TZqCheck>(itCheck, "K");
    const struct { const char* text; bool checked; } cases[] = {
        {"勾选", true}, {"是", true}, {"y", true}, {"Yes", true}, {"true", true}, {"TRUE", true},
        {"T", false}, {"否", false}, {"1", false}, {"", false}, {" yes", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        t.SetNameValues({u8("k=") + u8(c.text)});
        EXPECT_EQ(check.Checked != 0, c.checked);
        TZqItemValue v;
        v.Name = QStringLiteral("K");
        v.Value = u8(c.text);
        t.SetItemValues({v});
        EXPECT_EQ(check.Checked != 0, c.checked);
    }
}

// ---------------------------------------------------------------- amount boxes

TEST(AmountBox, DigitsAndSignFallIntoTheirBoxes)
{
    struct Case { const char* value; int high, low; const char* sign; int showSign; const char* limitation; const char* boxes; };
    // Boxes are listed from the right (box 0 first), "." for an empty box.
    const Case cases[] = {
        {"1234.5", 10, 0, "￥", 1, "", "054321￥...."},
        {"1234.5", 10, 2, "￥", 1, "", "4321￥...."},
        {"1234.56", 10, 2, "￥", 1, "", "4321￥...."}, // fen and jiao dropped, not rounded
        {"1234.5", 10, 0, "￥", 0, "", "054321....."},
        {"1234.5", 10, 0, "RMB", 1, "", "054321BMR.."},
        {"1234.5", 10, 0, "000000000000", 1, "", "05432100000"},
        {"0", 10, 0, "￥", 1, "", "..........."},
        {"", 10, 0, "￥", 1, "万", "......￥...."},
        {"", 10, 0, "RMB", 1, "亿", "..........B"},
        {"", 10, 3, "￥", 1, "千", "..￥....."},
        {"", 10, 6, "￥", 1, "千", "....."},   // the limit lies below the lowest box
        {"12", 3, 0, "￥", 1, "", "0021"},     // no box left for the sign
        {"-5", 10, 0, "￥", 1, "", "005-￥......"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.value) + " " + c.limitation);
        TZqCurrency a;
        a.InitDefaults();
        a.High = static_cast<quint8>(c.high);
        a.Low = static_cast<quint8>(c.low);
        a.CurrencySign = u8(c.sign);
        a.ShowCurrencySign = static_cast<quint8>(c.showSign);
        a.ShowLimitation = *c.limitation ? 1 : 0;
        a.Limitation = u8(c.limitation);
        a.SetValue(u8(c.value));
        QString got;
        for (const QString& b : a.BoxTexts())
            got += b.isEmpty() ? QStringLiteral(".") : b;
        EXPECT_EQ(str(got), c.boxes);
    }
}

TEST(AmountBox, RefusesAmountsWiderThanItsBoxes)
{
    TZqCurrency a;
    a.InitDefaults();
    a.SetNameRaw(QStringLiteral("小写金额"));
    a.High = 5; // 千: six boxes
    a.SetValue(QStringLiteral("9999.99"));
    EXPECT_EQ(errorOf([&] { a.SetValue(QStringLiteral("10000")); }),
              "金额 10000 超出了“小写金额”的格子数（7 位，只有 6 格）");
    EXPECT_EQ(str(a.Value), "9999.99"); // the old value stays
    a.ShowCurrencySign = 1;
    EXPECT_EQ(str(a.DisplayText()), "999999"); // no room for the sign is fine
    a.Low = 2;
    a.High = 7;
    a.SetValue(QStringLiteral("123456.78")); // fen and jiao are not printed
    EXPECT_EQ(str(a.DisplayText()), "123456");

    // A value that no longer fits (read from a file, boxes narrowed) prints nothing at all.
    a.High = 6;
    EXPECT_EQ(str(a.DisplayText()), "");

    TZqUpperCurrency u;
    u.InitDefaults();
    u.SetNameRaw(QStringLiteral("大写"));
    u.High = 3;
    EXPECT_EQ(errorOf([&] { u.SetValue(QStringLiteral("100")); }), "金额 100 超出了“大写”的格子数（5 位，只有 4 格）");
    u.SetValue(QStringLiteral("12.5"));
    EXPECT_EQ(str(u.DisplayText()), "壹拾贰元伍角零分");
}

TEST(AmountBox, ImpossibleSettingsFromAFileAreHarmless)
{
    for (auto [high, low] : {std::pair{3, 6}, std::pair{0, 0}, std::pair{255, 0}, std::pair{11, 255}}) {
        SCOPED_TRACE(high * 1000 + low);
        TZqCurrency a;
        a.InitDefaults();
        a.Value = QStringLiteral("1234.50");
        a.High = static_cast<quint8>(high);
        a.Low = static_cast<quint8>(low);
        EXPECT_EQ(a.BoxCount(), std::max(0, high - low + 1));
        EXPECT_NO_THROW(a.DisplayText());
        TZqUpperCurrency u;
        u.InitDefaults();
        u.Value = QStringLiteral("1234.50");
        u.High = static_cast<quint8>(high);
        u.Low = static_cast<quint8>(low);
        EXPECT_NO_THROW(u.DisplayText());
    }
    TZqCurrency a;
    EXPECT_EQ(a.TinyAdjOf(12), 0);
    EXPECT_EQ(a.TinyAdjOf(-1), 0);
    a.SetTinyAdj(40, 3); // ignored, not written past the array
}

TEST(CapitalAmount, NumeralsAndSeals)
{
    struct Case { const char* value; int high, low, sealMode, hideZero; const char* boxes; };
    // From the right, "." empty, "⊗" sealed.
    const Case cases[] = {
        {"1234.50", 8, 0, 0, 1, "零伍肆叁贰壹⊗.."},
        {"1234.50", 8, 0, 1, 1, "零伍肆叁贰壹⊗⊗⊗"},
        {"1234.50", 8, 2, 0, 1, "肆叁贰壹⊗.."},
        {"0", 8, 0, 0, 1, "........."},
        {"0", 8, 0, 0, 0, "零零零⊗....."},
        {"0.05", 8, 0, 0, 1, "伍零零⊗....."},
        {"", 8, 0, 1, 0, "........."},
        {"123456.78", 7, 0, 0, 1, "捌柒陆伍肆叁贰壹"}, // every box used: no seal
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        TZqUpperCurrency u;
        u.InitDefaults();
        u.High = static_cast<quint8>(c.high);
        u.Low = static_cast<quint8>(c.low);
        u.SealMode = static_cast<quint8>(c.sealMode);
        u.HideZero = static_cast<quint8>(c.hideZero);
        u.SetValue(u8(c.value));
        if (std::string(c.value) == "0")
            u.Value = QStringLiteral("0.00");
        QString got;
        for (const QString& b : u.BoxTexts())
            got += b.isEmpty() ? QStringLiteral(".") : b;
        EXPECT_EQ(str(got), c.boxes);
    }
}

// ---------------------------------------------------------------- small kinds

TEST(PostalCode, BoxWidthsAndNarrowItems)
{
    struct Case { int width, cells, space; const char* boxes; };
    const Case cases[] = {
        {100, 6, 0, "0+17 17+17 34+17 51+17 68+16 84+16"},
        {15, 6, 0, ""},  // 18 pixels are needed
        {18, 6, 0, "0+3 3+3 6+3 9+3 12+3 15+3"},
        {50, 3, 4, "0+14 18+14 36+14"},
        {100, 0, 0, ""},
        {100, -3, 0, ""},
        {100, 6, -20, "0+17 17+17 34+17 51+17 68+16 84+16"}, // a negative gap counts as none
        {2000000000, 2000000000, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        TZqPostalCode p;
        p.InitDefaults();
        p.Width = c.width;
        p.CellCount = c.cells;
        p.SpaceWidth = c.space;
        QStringList got;
        for (auto [left, w] : p.Boxes())
            got.append(QStringLiteral("%1+%2").arg(left).arg(w));
        EXPECT_EQ(str(got.join(u' ')), c.boxes);
    }
    TZqPostalCode p;
    p.InitDefaults();
    p.Width = 100;
    p.SetValue(QStringLiteral("31001234"));
    EXPECT_EQ(str(p.DisplayText()), "310012");
}

TEST(Password, ShowsAtMostTwelveCharacters)
{
    TZqPassword p;
    p.InitDefaults();
    p.SetValue(QStringLiteral("12345678901234"));
    EXPECT_EQ(str(p.DisplayText()), "123456789012");
    p.SetValue(QStringLiteral("密码密码密码密码密码密码密码"));
    EXPECT_EQ(str(p.DisplayText()), "密码密码密码密码密码密码");
    p.Type = 1;
    EXPECT_EQ(p.DisplayText().size(), 14);
}

// ---------------------------------------------------------------- dates

TEST(DateItem, PartTextsInEveryFormat)
{
    struct Case { int y, m, d, format; const char* parts; };
    const Case cases[] = {
        {2004, 3, 10, 0, "贰零零肆|零叁|零壹拾"},
        {2004, 11, 20, 0, "贰零零肆|壹拾壹|零贰拾"},
        {2004, 10, 30, 0, "贰零零肆|零壹拾|零叁拾"},
        {2004, 12, 11, 0, "贰零零肆|壹拾贰|壹拾壹"},
        {2004, 3, 10, 1, "贰零零肆|叁|壹拾"},
        {2004, 3, 10, 2, "2004|03|10"},
        {2004, 3, 5, 3, "2004|3|5"},
        {2004, 3, 10, 4, "二○○四|○三|一十○"},
        {2004, 10, 25, 4, "二○○四|一十○|二十五"},
        {2004, 12, 5, 4, "二○○四|一十二|○五"},
        {2004, 3, 10, 5, "二○○四|三|一十○"},
        {2004, 10, 5, 5, "二○○四|一十○|五"},
        {2004, 3, 10, 6, "04|03|10"},
        {2004, 3, 5, 7, "04|3|5"},
        {2004, 9, 9, 8, "贰零零肆|零玖|零玖"},
        {2004, 10, 10, 8, "贰零零肆|壹拾|壹拾"},
        {2004, 3, 9, 9, "贰零零肆|叁|零玖"},
        {2004, 2, 10, 9, "贰零零肆|零贰|壹拾"},
        {2004, 2, 10, 10, "二○○四|○二|一十○"},
        {2004, 3, 10, 10, "二○○四|三|一十○"},
        {2004, 3, 10, 11, "2004|3|10"},
        {2004, 1, 5, 11, "2004|01|05"},
        {2004, 3, 10, 12, "贰零零肆|叁|零壹拾"},
        {2004, 1, 5, 12, "贰零零肆|零壹|零伍"},
        {2004, 10, 21, 12, "贰零零肆|零壹拾|贰拾壹"},
        {2004, 3, 10, 40, "2004|03|10"}, // an unknown style from a file writes figures
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format * 100 + c.d);
        TZqDate d;
        d.InitDefaults();
        d.Format = static_cast<quint8>(c.format);
        d.DateValue = encodeDate(c.y, c.m, c.d);
        EXPECT_EQ(str(d.PartText(1) + u'|' + d.PartText(2) + u'|' + d.PartText(3)), c.parts);
    }
}

TEST(DateItem, TypesChooseTheColumns)
{
    TZqDate d;
    d.InitDefaults();
    d.Format = 2;
    d.DateValue = encodeDate(2004, 3, 10);
    const struct { int type; const char* parts; const char* captions; } cases[] = {
        {0, "2004|03|10", "年|月|日"}, {1, "2004|03|", "年|月|"}, {2, "2004||", "年||"},
        {3, "03|10|", "月|日|"}, {9, "2004|03|10", "年|月|日"},
    };
    for (const auto& c : cases) {
        d.Type = static_cast<quint8>(c.type);
        EXPECT_EQ(str(d.PartText(1) + u'|' + d.PartText(2) + u'|' + d.PartText(3)), c.parts);
        EXPECT_EQ(str(d.PartCaption(1) + u'|' + d.PartCaption(2) + u'|' + d.PartCaption(3)), c.captions);
    }
    d.Type = 0;
    d.Format = 0;
    EXPECT_EQ(str(d.DisplayText()), "贰零零肆年零叁月零壹拾日");
}

TEST(DateItem, ReadsBackItsOwnTextUnderAnyRegionalSettings)
{
    const QLocale before;
    for (QLocale::Language lang : {QLocale::German, QLocale::English, QLocale::Chinese, QLocale::Arabic}) {
        QLocale::setDefault(QLocale(lang));
        TZqDate d;
        d.InitDefaults();
        for (const char* text : {"2004-03-10", "1000-01-01", "9999-12-31", "2004-3-1"}) {
            d.SetValue(QString::fromLatin1(text));
            TZqDate again;
            again.InitDefaults();
            again.SetValue(d.TextForm());
            EXPECT_EQ(again.DateValue, d.DateValue) << text;
        }
        EXPECT_EQ(str(d.TextForm()), "2004-03-01");
        d.IncludeTime = 1;
        d.SetValue(QStringLiteral("2004-03-10 12:30:05"));
        EXPECT_EQ(str(d.TextForm()), "2004-03-10 12:30:05");
    }
    QLocale::setDefault(before);
}

TEST(DateItem, RefusesWhatIsNotADate)
{
    TZqDate d;
    d.InitDefaults();
    d.SetValue(QStringLiteral("2004-03-10"));
    const struct { const char* text; const char* error; } cases[] = {
        {"2004-13-01", "'2004-13-01' 不是有效的日期格式"},
        {"2004-02-30", "'2004-02-30' 不是有效的日期格式"},
        {"昨天", "'昨天' 不是有效的日期格式"},
        {"10.03.2004", "'10.03.2004' 不是有效的日期格式"},
        {"999-01-01", "'999-01-01' 的年份应在1000至9999之间"},
        {"0099-01-01", "'0099-01-01' 的年份应在1000至9999之间"},
        {"10000-01-01", "'10000-01-01' 不是有效的日期格式"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { d.SetValue(u8(c.text)); }), c.error);
    EXPECT_EQ(str(d.TextForm()), "2004-03-10"); // the previous value stays

    // Without the time option only the date before the first space counts.
    d.SetValue(QStringLiteral("2004-03-11 12:30:00"));
    EXPECT_EQ(d.DateValue, encodeDate(2004, 3, 11));
    d.SetValue(QStringLiteral("2004-03-12 whatever"));
    EXPECT_EQ(str(d.TextForm()), "2004-03-12");
}

TEST(DateItem, ValuesAFileMayHoldShowNothing)
{
    for (double v : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), 1e300,
                     -700000.0, encodeDate(999, 12, 31)}) {
        TZqDate d;
        d.InitDefaults();
        d.DateValue = v;
        EXPECT_EQ(str(d.TextForm()), "");
        EXPECT_EQ(str(d.PartText(1)), "");
        EXPECT_EQ(str(d.DisplayText()), "");
    }
}

// ---------------------------------------------------------------- serial numbers

class SerialNumber : public ::testing::Test {
protected:
    FixedClock fixed{encodeDate(2004, 3, 10) + 0.5};
    void SetUp() override { setClock(&fixed); }
    void TearDown() override { setClock(nullptr); }
};

TEST_F(SerialNumber, DigitsPrefixAndDateFields)
{
    struct Case { const char* value; int digits; const char* prefix; const char* suffix; const char* text; };
    const Case cases[] = {
        {"42", 6, "NO.[年][月]", "", "NO.200403000042"},
        {"12345", 3, "", "", "345"},
        {"abc", 6, "", "", "000001"},
        {"", 6, "", "", "000001"},
        {"7", 4, "[年]-[年]", "/[日]", "2004-20040007/10"},
        {"3000000000", 6, "", "", "000000"},
        {"3000000005", 12, "", "", "003000000005"},
        {"9223372036854775807", 20, "", "", "09223372036854775807"},
        {"99999999999999999999", 3, "", "", "001"}, // beyond 64 bits: not a number
        {"5", 0, "A", "B", "AB"},
        {"5", -4, "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        TZqSNEdit s;
        s.InitDefaults();
        s.DigitCnt = c.digits;
        s.Prefix = u8(c.prefix);
        s.Suffix = u8(c.suffix);
        s.SetValue(u8(c.value));
        EXPECT_EQ(str(s.GetText()), c.text);
    }
}

TEST_F(SerialNumber, CountersAbove32BitsStay)
{
    TZqSNEdit s;
    s.InitDefaults();
    s.SetValue(QStringLiteral("2147483648"));
    EXPECT_EQ(str(s.Value), "2147483648");
    EXPECT_EQ(s.Counter(), 2147483648LL);
    s.SetValue(QStringLiteral(" -12 "));
    EXPECT_EQ(str(s.Value), "-12");
    s.ResetValue();
    EXPECT_EQ(str(s.Value), "1");
}

} // namespace
