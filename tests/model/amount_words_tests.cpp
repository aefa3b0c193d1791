#include "model/AmountWords.h"

#include "base/Error.h"

#include <gtest/gtest.h>
#include <string>

using namespace zq;

namespace {

QString u8(const char* s) { return QString::fromUtf8(s); }
std::string str(const QString& s) { return s.toStdString(); }

const char* const kTooLarge = "金额超出范围，整数部分不能超过12位";
const char* const kEnglishRange = "Out of range, must between 0.01-999999999999.99";

// The message of the zq::Error that `f` throws, or "(no error)".
template <typename F>
std::string errorOf(F f)
{
    try {
        f();
    } catch (const Error& e) {
        return str(e.message());
    }
    return "(no error)";
}

} // namespace

TEST(CapitalAmount, PlacesZerosAndUnits)
{
    const struct { const char* in; const char* out; } cases[] = {
        {"100.00", "壹佰元整"},
        {"10.05", "壹拾元零伍分"},
        {"10.50", "壹拾元零伍角整"},
        {"10.55", "壹拾元零伍角伍分"},
        {"1.5", "壹元伍角整"},
        {"0.50", "伍角整"},
        {"0.55", "伍角伍分"},
        {"0.10", "壹角整"},
        {"0.05", "伍分"},
        {"0.01", "壹分"},
        {"1.00", "壹元整"},
        {"105", "壹佰零伍元整"},
        {"1010", "壹仟零壹拾元整"},
        {"100.05", "壹佰元零伍分"},
        {"20000.01", "贰万元零壹分"},
        {"10000", "壹万元整"},
        {"100000", "壹拾万元整"},
        {"1000000", "壹佰万元整"},
        {"1100000", "壹佰壹拾万元整"},
        {"10001000", "壹仟万零壹仟元整"},
        {"100000000", "壹亿元整"},
        {"100001000", "壹亿零壹仟元整"},
        {"100010000", "壹亿零壹万元整"},
        {"1010000000", "壹拾亿零壹仟万元整"},
        {"100000000000", "壹仟亿元整"},
        {"100100000000", "壹仟零壹亿元整"},
        {"12345678.9", "壹仟贰佰叁拾肆万伍仟陆佰柒拾捌元玖角整"},
        {"999999999999.99", "玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"},
        {"-5", "负伍元整"},
        {"-1010.5", "负壹仟零壹拾元零伍角整"},
        {"  12  ", "壹拾贰元整"},
        {"1e3", "壹仟元整"},
        {"0", ""},
        {"0.00", ""},
        {"-0.004", ""},
        {"", ""},
        {"abc", ""},
        {"1,000", ""},
    };
    for (auto c : cases)
        EXPECT_EQ(str(CapitalAmount(u8(c.in), u8("元"), true)), c.out) << c.in;
}

TEST(CapitalAmount, UnitAndZeroAfterUnitRule)
{
    const struct { const char* in; const char* unit; bool zero; const char* out; } cases[] = {
        {"10.50", "元", false, "壹拾元伍角整"},
        {"10.50", "圆", true, "壹拾圆零伍角整"},
        {"10.50", "圆", false, "壹拾圆伍角整"},
        // The rule concerns jiao only: a zero yuan digit before fen keeps its 零 either way.
        {"10.05", "元", false, "壹拾元零伍分"},
        {"100.00", "圆", false, "壹佰圆整"},
    };
    for (auto c : cases)
        EXPECT_EQ(str(CapitalAmount(u8(c.in), u8(c.unit), c.zero)), c.out) << c.in << ' ' << c.unit;
}

TEST(CapitalAmount, CentsRoundAsTheFigurePatternDoes)
{
    // Halves of a cent go away from zero, on the decimal text the user typed,
    // so the words match the "0.00" figures printed beside them.
    const struct { const char* in; const char* out; } cases[] = {
        {"0.125", "壹角叁分"},
        {"-0.125", "负壹角叁分"},
        {"2.675", "贰元陆角捌分"},
        {"0.005", "壹分"},
        {"0.004", ""},
        {"9.995", "壹拾元整"},
        {"999999999999.994", "玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"},
    };
    for (auto c : cases)
        EXPECT_EQ(str(CapitalAmount(u8(c.in), u8("元"), true)), c.out) << c.in;
}

TEST(CapitalAmount, RefusesTwelveDigitsAndMoreInsteadOfCuttingThem)
{
    for (const char* in : {"1000000000000", "-1000000000000", "999999999999.995", "1234567890123.45", "1e20"})
        EXPECT_EQ(errorOf([&] { CapitalAmount(u8(in), u8("元"), true); }), kTooLarge) << in;
}

TEST(CapitalInteger, GroupsAndZeros)
{
    const struct { const char* in; const char* out; } cases[] = {
        {"10", "壹拾"},
        {"1001", "壹仟零壹"},
        {"1010", "壹仟零壹拾"},
        {"0101", "壹佰零壹"},
        {"10000", "壹万"},
        {"10001", "壹万零壹"},
        {"11000", "壹万壹仟"},
        {"100010", "壹拾万零壹拾"},
        {"1000000", "壹佰万"},
        {"100000000", "壹亿"},
        {"100000001", "壹亿零壹"},
        {"100000100", "壹亿零壹佰"},
        {"100100000", "壹亿零壹拾万"},
        {"110000000", "壹亿壹仟万"},
        {"999999999999", "玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖"},
        {"000000000000012", "壹拾贰"},
        {"-12", "负壹拾贰"},
        {"+12", "壹拾贰"},
        {"-0", ""},
        {"0", ""},
        {"0000", ""},
        {"", ""},
        {"-", ""},
        {"1,234", ""},
        {"12a", ""},
        {" 12", ""},
        {"1.5", ""},
        {"１２", ""},
    };
    for (auto c : cases)
        EXPECT_EQ(str(CapitalInteger(u8(c.in))), c.out) << c.in;
    EXPECT_EQ(errorOf([] { CapitalInteger(u8("1000000000000")); }), kTooLarge);
}

TEST(DollarsInCapitals, ReadsTheFractionAsCents)
{
    const struct { const char* in; int form; const char* out; } cases[] = {
        {"12.00", 1, "壹拾贰元整"},
        {"12", 1, "壹拾贰元整"},
        {"12.5", 1, "壹拾贰元伍拾分"},
        {"12.50", 1, "壹拾贰元伍拾分"},
        {"12.05", 1, "壹拾贰元零伍分"},
        {"12.10", 1, "壹拾贰元壹拾分"},
        {"12.345", 1, "壹拾贰元叁拾伍分"},
        {"100010.01", 1, "壹拾万零壹拾元零壹分"},
        {"0.5", 1, "伍拾分"},
        {"0.05", 1, "伍分"},
        {"-12.5", 1, "负壹拾贰元伍拾分"},
        {"-0.05", 1, "负伍分"},
        {"12", 2, "壹拾贰圆整"},
        {"12.05", 2, "壹拾贰圆零伍美分"},
        {"12.5", 2, "壹拾贰圆伍拾美分"},
        {"0.05", 2, "伍美分"},
        {"0", 1, ""},
        {"0.001", 2, ""},
        {"abc", 1, ""},
        {"", 2, ""},
    };
    for (auto c : cases)
        EXPECT_EQ(str(DollarsInCapitals(u8(c.in), c.form)), c.out) << c.in << " form " << c.form;
    EXPECT_EQ(errorOf([] { DollarsInCapitals(u8("1000000000000"), 1); }), kTooLarge);
}

TEST(CapitalDigits, ReadsDigitsAfterThePointOneByOne)
{
    const struct { const char* in; bool hideZero; const char* out; } cases[] = {
        {"105.25", false, "壹佰零伍点贰伍"},
        {"1.50", false, "壹点伍零"},
        {"0.5", false, "零点伍"},
        {".5", false, "零点伍"},
        {"12.", false, "壹拾贰"},
        {"100010", false, "壹拾万零壹拾"},
        {"0", false, "零"},
        {"00", false, "零"},
        {" 0 ", false, "零"},
        {"-0", false, "零"},
        {"0", true, ""},
        {"0.0", true, "零点零"},
        {"-5", false, "负伍"},
        {"-105.25", false, "负壹佰零伍点贰伍"},
        {"+5", false, "伍"},
        {"", false, ""},
        {"abc", false, ""},
        {"1,234", false, ""},
        {"1.2a", false, ""},
        {"1e5", false, ""},
    };
    for (auto c : cases)
        EXPECT_EQ(str(CapitalDigits(u8(c.in), c.hideZero)), c.out) << c.in;
    EXPECT_EQ(errorOf([] { CapitalDigits(u8("1000000000000.5"), false); }), kTooLarge);
}

TEST(EnglishAmount, WordsAndForms)
{
    const struct { const char* in; int form; const char* out; } cases[] = {
        {"1234.56", 1, "Dollars One Thousand and Two Hundred Thirty-four and Cents Fifty-six Only"},
        {"1234.56", 2, "One Thousand and Two Hundred Thirty-four Dollars and Fifty-six Cents Only"},
        {"1234.56", 3, "One Thousand and Two Hundred Thirty-four and Cents Fifty-six Only"},
        {"100", 1, "Dollars One Hundred Only"},
        {"100", 2, "One Hundred Dollars Only"},
        {"100", 3, "One Hundred Only"},
        {"0.5", 1, "Cents Fifty Only"},
        {"0.5", 2, "Fifty Cents Only"},
        {"0.5", 3, "Cents Fifty Only"},
        {"12.5", 2, "Twelve Dollars and Fifty Cents Only"},
        {"12.05", 1, "Dollars Twelve and Cents Five Only"},
        {"12.00", 2, "Twelve Dollars Only"},
        {"12.999", 2, "Thirteen Dollars Only"},
        {"0.995", 2, "One Dollars Only"},
        {"0.01", 2, "One Cents Only"},
        {"21", 2, "Twenty-one Dollars Only"},
        {"40", 2, "Forty Dollars Only"},
        {"115", 2, "One Hundred Fifteen Dollars Only"},
        {"120", 2, "One Hundred Twenty Dollars Only"},
        {"1000", 2, "One Thousand Dollars Only"},
        {"1000000", 2, "One Million Dollars Only"},
        {"1000005", 2, "One Million and Five Dollars Only"},
        {"1001000", 2, "One Million and One Thousand Dollars Only"},
        {"2000000000", 2, "Two Billion Dollars Only"},
        {"2000005000", 2, "Two Billion and Five Thousand Dollars Only"},
        {"100000000000", 2, "One Hundred Billion Dollars Only"},
        {"999999999999.99", 2,
         "Nine Hundred Ninety-nine Billion and Nine Hundred Ninety-nine Million and Nine Hundred Ninety-nine "
         "Thousand and Nine Hundred Ninety-nine Dollars and Ninety-nine Cents Only"},
    };
    for (auto c : cases)
        EXPECT_EQ(str(EnglishAmount(u8(c.in), c.form)), c.out) << c.in << " form " << c.form;
}

TEST(EnglishAmount, RefusesOutOfRangeAndNonNumbers)
{
    for (const char* in : {"0", "0.009", "0.005", "-5", "abc", "", "1000000000000", "999999999999.995"})
        EXPECT_EQ(errorOf([&] { EnglishAmount(u8(in), 1); }), kEnglishRange) << in;
}

TEST(WordsForAutoUpper, EveryNumberStyle)
{
    const struct { int code; const char* out; } cases[] = {
        {1, "壹拾元零伍角整"},
        {8, "壹拾圆零伍角整"},
        {9, "壹拾元伍角整"},
        {10, "壹拾圆伍角整"},
        {2, "Dollars Ten and Cents Fifty Only"},
        {3, "Ten Dollars and Fifty Cents Only"},
        {4, "Ten and Cents Fifty Only"},
        {5, "壹拾元伍拾分"},
        {6, "壹拾圆伍拾美分"},
        {7, "壹拾点伍"},
    };
    for (auto c : cases) {
        const std::optional<QString> w = WordsForAutoUpper(c.code, u8("10.5"), false);
        ASSERT_TRUE(w.has_value()) << c.code;
        EXPECT_EQ(str(*w), c.out) << c.code;
    }
    for (int plain : {0, 11, -1})
        EXPECT_FALSE(WordsForAutoUpper(plain, u8("10.5"), false).has_value()) << plain;
    EXPECT_EQ(str(*WordsForAutoUpper(7, u8("0"), true)), "");
    EXPECT_EQ(str(*WordsForAutoUpper(7, u8("0"), false)), "零");
}
