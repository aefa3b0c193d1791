// Function base, registry and the logic, math, conversion, string, set and
// statistical families.
#include "ExprTestHost.h"

#include "base/Gbk.h"

#include <cmath>

namespace zq::test {
namespace {

TEST(Registry, HoldsTheWholeLibraryInOrder)
{
    const TecFunctions& r = GlobalExpCalc().Functions();
    ASSERT_EQ(r.Count(), 65);
    QStringList names;
    for (int i = 0; i < r.Count(); ++i)
        names << r.Items(i).Name;
    const QString expected = Q(
        "合计 平均 计数 最大值 最小值 唯一计数 最早 最晚 "
        "系统日期 系统时间 年份值 月份值 日期值 季度值 星期值 此年 此结算年 上年 上结算年 此季 此结算季 上季 上结算季 "
        "此月 此结算月 上月 上结算月 结算年份值 结算月份值 结算季度值 月初 结算月初 月末 结算月末 年初 结算年初 年末 "
        "结算年末 季初 结算季初 季末 结算季末 日期加减 间隔时间 此时间段 "
        "此集合 左子串 子串 右子串 转大写 转小写 长度 去左边空格 去右边空格 连接字符串 "
        "日期转文字 文字转日期 数字转文字 文字转数字 LOG LN 求次幂 四舍五入 绝对值 条件取值");
    EXPECT_EQ(names.join(u' '), expected);
    // Categories follow the families; the conditional function is listed under "other".
    int perCategory[8] = {};
    for (int i = 0; i < r.Count(); ++i)
        ++perCategory[r.Items(i).Category];
    const int expectedCounts[8] = {8, 37, 1, 9, 4, 5, 0, 1};
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(perCategory[c], expectedCounts[c]) << c;
    EXPECT_EQ(r.Items(46).Help, Q("左子串(字符串,字符数)\r\n返回字符串最左边的若干个连续字符。"));
    EXPECT_EQ(r.Items(56).Help, Q("字符串转日期(字符串)\r\n返回字符串对应的日期值。"));
    EXPECT_EQ(r.Items(59).Help, Q("LOG(数值)\r\n返回给定数值第自然对数。"));
    for (int i = 0; i < r.Count(); ++i)
        EXPECT_TRUE(r.Items(i).Help.contains(Q("\r\n"))) << i;
}

TEST_F(ExprTest, LatinFunctionNamesInAnyCase)
{
    EXPECT_EQ(num("LOG(1)"), 0);
    EXPECT_EQ(num("log(1)"), 0);
    EXPECT_EQ(num("Log(1)"), 0);
}

TEST_F(ExprTest, ArgumentCountMessages)
{
    struct Case {
        const char* formula;
        const char* message;
    } cases[] = {
        {"长度(\"a\",\"b\",\"c\")", "函数 长度 调用错误, 需要 1 ~ 2 个参数, 实际提供 3 个参数"},
        {"左子串(\"a\")", "函数 左子串 调用错误, 需要 2 个参数, 实际提供 1 个参数"},
        {"系统日期(1)", "函数 系统日期 调用错误, 需要 0 个参数, 实际提供 1 个参数"},
        {"绝对值()", "函数 绝对值 调用错误, 需要 1 个参数, 实际提供 0 个参数"},
        {"条件取值(1=1,2)", "函数 条件取值 调用错误, 需要 3 ~ 29 个参数, 实际提供 2 个参数"},
        {"条件取值(1=1,\"a\",1=2,\"b\")", "缺少else部分"},
    };
    for (const auto& c : cases) {
        const TecException e = failure(c.formula, true);
        EXPECT_EQ(e.BaseMessage(), Q(c.message)) << c.formula;
        EXPECT_EQ(e.ErrorPos(), 1) << c.formula;
    }
}

TEST_F(ExprTest, ArgumentTypeErrors)
{
    var("D", dtDateTime, dt(2009, 6, 15));
    const char* cases[] = {
        "左子串(1, 1)",
        "绝对值(\"a\")",
        "合计(\"a\")",
        "最早(1)",
        "年份值(\"2009-06-15\")",
        "此集合(1, \"a\")",
        "此集合(1=1, 1=1)",
        "条件取值(1=1, \"a\", 2)",
        "条件取值(1, \"a\", \"b\")",
        "日期转文字(d, \"112\")",
        "此季(2009, 5)",
        "此结算季(2009, 0)",
        "上季(2009, -1)",
        "上结算季(2009, 4.9 + 1)",
        "结算月份值(2009)",
    };
    for (const char* f : cases)
        EXPECT_EQ(failure(f).BaseMessage(), Q("函数参数类型错误")) << f;
}

TEST_F(ExprTest, ConditionalPicksTheFirstTrueBranch)
{
    EXPECT_EQ(str("条件取值(1=1,\"a\",1=2,\"b\",\"c\")"), Q("a"));
    EXPECT_EQ(str("条件取值(1=2,\"a\",1=2,\"b\",\"c\")"), Q("c"));
    EXPECT_EQ(str("条件取值(1=2,\"a\",2=2,\"b\",\"c\")"), Q("b"));
    EXPECT_EQ(calc.CheckSyntax(Q("条件取值(1=1,2,3)")), dtNumber);
    // Every argument is evaluated first: an error in a branch not taken still fails.
    EXPECT_EQ(failure("条件取值(1=1, 1, 1/0)").BaseMessage(), Q("除数为零"));
}

TEST_F(ExprTest, MathFunctions)
{
    const struct {
        const char* formula;
        double value;
    } cases[] = {
        {"LOG(1)", 0},                  // natural logarithm under this name
        {"LOG(2.718281828459045)", 1},
        {"LN(100)", 2},                 // base 10 under this name
        {"求次幂(2, 10)", 1024},
        {"求次幂(9, 0.5)", 3},
        {"求次幂(0, 3)", 0},
        {"求次幂(5, 0)", 1},
        {"绝对值(-2.5)", 2.5},
        {"四舍五入(2.5, 0)", 3},
        {"四舍五入(-2.5, 0)", -3},
        {"四舍五入(2.675, 2)", 2.68},   // the decimal value the user sees
        {"四舍五入(1.005, 2)", 1.01},
        {"四舍五入(1234.5678, -2)", 1235},
        {"四舍五入(1.25, 1.5)", 1.25},  // 1.5 decimals round to 2
        {"四舍五入(1.25, 0.5)", 1},     // 0.5 decimals round to 0
    };
    for (const auto& c : cases)
        EXPECT_NEAR(num(c.formula), c.value, 1e-12) << c.formula;
    for (const char* f : {"LOG(0)", "LOG(-1)", "LN(0)", "求次幂(-8, 0.5)", "求次幂(0, -1)", "求次幂(10, 400)"})
        EXPECT_FALSE(anyError(f).isEmpty()) << f;
}

TEST_F(ExprTest, ConversionFunctions)
{
    var("D", dtDateTime, dt(2009, 6, 15, 14, 5, 9, 7));
    const struct {
        int style;
        const char* text;
    } styles[] = {
        {100, "6 15 2009 2:5下午"},
        {101, "06-15-2009"},
        {102, "2009.06.15"},
        {103, "15-06-2009"},
        {104, "15.06.2009"},
        {105, "15-06-2009"},
        {106, "15 06 2009"},
        {107, "15 06,2009"},
        {108, "14:05:09"},
        {109, "6 15 2009 02:05:09:007下午"},
        {110, "06-15-2009"},
        {111, "2009-06-15"},
        {112, "20090615"},
        {113, "15 06 2009 14:05:09:007"},
        {114, "14:05:09:007"},
        {120, "2009-06-15 14:05:09"},
        {121, "2009-06-15 14:05:09.007"},
        {126, "2009-06-15T14:05:09.007"},
        {999, "2009-06-15 14:05:09"},
    };
    for (const auto& s : styles) {
        const QString f = Q("日期转文字(d, ") + QString::number(s.style) + u')';
        EXPECT_EQ(eval(f).StrValue, Q(s.text)) << s.style;
    }
    EXPECT_EQ(str("日期转文字('2009-06-15', 112)"), Q("20090615"));
    EXPECT_EQ(str("日期转文字('2009-06-15', 112.9)"), Q("20090615"));
    EXPECT_EQ(str("日期转文字('2009-06-15 00:30', 100)"), Q("6 15 2009 12:30上午"));

    EXPECT_EQ(date("文字转日期(\"2009-06-15 08:30:00\")"), dt(2009, 6, 15, 8, 30));
    EXPECT_FALSE(anyError("文字转日期(\"15/06/2009\")").isEmpty());

    EXPECT_EQ(str("数字转文字(1.5)"), Q("1.5"));
    EXPECT_EQ(str("数字转文字(0.1+0.2)"), Q("0.3"));
    EXPECT_EQ(str("数字转文字(100000)"), Q("100000"));
    EXPECT_EQ(str("数字转文字(-0.000001)"), Q("-1E-6"));

    EXPECT_EQ(num("文字转数字(\"2.5\", 0, 0)"), 2);   // halves to even at 0 places
    EXPECT_EQ(num("文字转数字(\"3.5\", 0, 0)"), 4);
    EXPECT_EQ(num("文字转数字(\"2.5\", 0, 1)"), 2.5);
    EXPECT_EQ(num("文字转数字(\"2.675\", 0, 2)"), 2.68);
    EXPECT_EQ(num("文字转数字(\"12a\", 7, 0)"), 7);
    EXPECT_EQ(num("文字转数字(\"\", 7.5, 1)"), 7.5);
    EXPECT_EQ(num("文字转数字(\" 12 \", 0, 0)"), 12);
    EXPECT_EQ(num("文字转数字(\"2.5\", 0, -1)"), 3);  // "0." pattern: no decimals, halves away
}

TEST_F(ExprTest, StringFunctionsCountGbkBytesButKeepCharactersWhole)
{
    const struct {
        const char* formula;
        const char* value;
    } cases[] = {
        {"左子串(\"abcdef\", 3)", "abc"},
        {"左子串(\"中文\", 1)", ""},          // would end inside 中: stops before it
        {"左子串(\"中文\", 2)", "中"},
        {"左子串(\"中文\", 3)", "中"},
        {"左子串(\"a中文\", 4)", "a中"},
        {"左子串(\"abc\", -1)", ""},
        {"左子串(\"abc\", 10)", "abc"},
        {"左子串(\"abcdef\", 2.5)", "ab"},   // halves to even
        {"左子串(\"abcdef\", 3.5)", "abcd"},
        {"子串(\"abcdef\", 2, 3)", "bcd"},
        {"子串(\"abcdef\", 0, 2)", "ab"},    // a start below 1 counts as 1
        {"子串(\"abcdef\", 7, 2)", ""},
        {"子串(\"abcdef\", 5, 10)", "ef"},
        {"子串(\"abcdef\", 2, -1)", ""},
        {"子串(\"abcdef\", 1e300, 1e300)", ""},
        {"子串(\"abcdef\", -1e300, 1e300)", "abcdef"},
        {"子串(\"中文字\", 3, 2)", "文"},
        {"子串(\"中文字\", 2, 4)", "文"},    // neither half of 中 nor of 字
        {"子串(\"中文字\", 4, 4)", "字"},
        {"右子串(\"abcdef\", 2)", "ef"},
        {"右子串(\"abc\", 10)", "abc"},
        {"右子串(\"中文\", 3)", "文"},
        {"右子串(\"中文\", 1)", ""},
        {"右子串(\"abc\", 0)", ""},
        {"转大写(\"abc中文xyZ\")", "ABC中文XYZ"},
        {"转小写(\"ABC中文Xy\")", "abc中文xy"},
        {"转大写(\"ａｂ\")", "ａｂ"},            // full-width letters are not ASCII
        {"去左边空格(\"  a b \")", "a b "},
        {"去右边空格(\"  a b \")", "  a b"},
        {"连接字符串(\"a\", \"中\", \"c\")", "a中c"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(str(c.formula), Q(c.value)) << c.formula;
    EXPECT_EQ(num("长度(\"中文\")"), 4);
    EXPECT_EQ(num("长度(\"ab中\", \"ignored\")"), 4);
    EXPECT_EQ(num("长度(\"\")"), 0);
    var("T", dtString, Q("\t x \r\n"));
    EXPECT_EQ(str("去左边空格(去右边空格(t))"), Q("x"));
    QString thirty = Q("连接字符串(\"a\"");
    for (int i = 1; i < 30; ++i)
        thirty += Q(",\"a\"");
    EXPECT_EQ(eval(thirty + u')').StrValue, QString(30, u'a'));
    EXPECT_EQ(failure((thirty + Q(",\"a\")")).toUtf8().constData()).BaseMessage(),
              Q("函数 连接字符串 调用错误, 需要 2 ~ 30 个参数, 实际提供 31 个参数"));
}

TEST_F(ExprTest, SetFunctionJoinsMembersAsText)
{
    EXPECT_EQ(eval("此集合(1, 2.5, -3)").SetValue, Q("1\r\n2.5\r\n-3"));
    EXPECT_EQ(eval("此集合(\"a\", \"B\")").SetValue, Q("a\r\nB"));
    EXPECT_EQ(eval("此集合('2009-06-15', '2009-06-15 08:30')").SetValue, Q("2009-06-15\r\n2009-06-15 08:30:00"));
    EXPECT_TRUE(truth("\"b\" 属于 此集合(\"a\", \"B\")"));
    EXPECT_TRUE(truth("'2009-06-15 08:30' 属于 此集合('2009-06-15 08:30', '2009-06-16')"));
}

TEST_F(ExprTest, StatisticalFunctionsPassTheHostsAggregateOn)
{
    var("[T.A1:A3]", dtNumber, 150);
    var("S", dtString, Q("x"));
    var("D", dtDateTime, dt(2009, 6, 15));
    EXPECT_EQ(num("合计([T.A1:A3])"), 150);
    EXPECT_EQ(num("平均([T.A1:A3])"), 150);
    EXPECT_EQ(num("最大值([T.A1:A3])"), 150);
    EXPECT_EQ(num("最小值([T.A1:A3])"), 150);
    EXPECT_EQ(num("计数([T.A1:A3])"), 150);
    EXPECT_EQ(num("合计(12)"), 12);
    // A single string or date is one value.
    EXPECT_EQ(num("计数(s)"), 1);
    EXPECT_EQ(num("计数(d)"), 1);
    EXPECT_EQ(fetched.front(), std::make_pair(Q("[T.A1:A3]"), Q("合计")));

    EXPECT_EQ(calc.CheckSyntax(Q("最早(d)")), dtDateTime);
    EXPECT_EQ(calc.CheckSyntax(Q("最晚(d)")), dtDateTime);
    EXPECT_EQ(calc.CheckSyntax(Q("唯一计数(s)")), dtNumber);
    for (const char* f : {"最早(d)", "最晚(d)", "唯一计数(s)", "间隔时间(\"dd\", d, d)", "日期加减(\"dd\", 1, d)"})
        EXPECT_EQ(failure(f).BaseMessage(), Q("纯SQL函数, 无法求值")) << f;
    EXPECT_EQ(calc.CheckSyntax(Q("间隔时间(\"dd\", d, d)")), dtNumber);
    EXPECT_EQ(calc.CheckSyntax(Q("日期加减(\"dd\", 1, d)")), dtDateTime);
}

} // namespace
} // namespace zq::test
