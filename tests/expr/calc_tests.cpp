// Calculator core: tokenizer, priorities, operators, types, messages and the host callbacks.
#include "ExprTestHost.h"

#include "base/Gbk.h"

namespace zq::test {
namespace {

struct NumberCase {
    const char* formula;
    double value;
};

TEST_F(ExprTest, PrioritiesAssociativityAndUnaryMinus)
{
    const NumberCase cases[] = {
        {"1+2*3", 7},        {"(1+2)*3", 9},    {"10-4-3", 3},     {"100/10/5", 2},
        {"2*3/4", 1.5},      {"8-2*3+1", 3},    {"2*-3", -6},      {"- -3", 3},
        {"-2*3", -6},        {"-(2+3)", -5},    {"1--1", 2},       {"-2-3", -5},
        {"2*(3+(4-1))", 12}, {"1e5", 100000},   {"1.5+0.25", 1.75}, {"  7  ", 7},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(num(c.formula), c.value) << c.formula;
}

struct TruthCase {
    const char* formula;
    bool value;
};

TEST_F(ExprTest, ComparisonAndKeywordOperators)
{
    const TruthCase cases[] = {
        {"1+1=2", true},
        {"1<>1", false},
        {"2>1", true},
        {"2>=2", true},
        {"1<2", true},
        {"3<=2", false},
        // Byte order of GBK, case-sensitive; a proper prefix is smaller.
        {"\"B\" < \"a\"", true},
        {"\"abc\" = \"ABC\"", false},
        {"\"ab\" < \"abc\"", true},
        {"\"中\" > \"z\"", true},
        {"1=1 并且 2=2", true},
        {"1=1 并且 2=3", false},
        {"1=2 或者 2=2", true},
        // "并且" binds tighter than "或者".
        {"1=1 或者 1=2 并且 1=2", true},
        {"不满足 1=2", true},
        {"不满足 不满足 1=2", false},
        // "不满足" binds tighter than "并且"/"或者", looser than comparisons.
        {"不满足 1=1 或者 1=1", true},
        {"不满足 1=1 并且 1=2", false},
        // A prefix operator after a comparison takes its own operand.
        {"1=1 = 不满足 1=2", true},
        {"'2009-06-15' 介于 '2009-06-01..2009-06-30'", true},
        {"'2009-07-01' 介于 '2009-06-01..2009-06-30'", false},
        {"'2009-06-30 23:59:59' 介于 '2009-06-01..2009-06-30 23:59:59'", true},
        {"\"x\" 属于 此集合(\"X\",\"y\")", true},
        {"\"z\" 属于 此集合(\"X\",\"y\")", false},
        {"\"z\" 不属于 此集合(\"X\",\"y\")", true},
        {"2.5 属于 此集合(1,2.5)", true},
        {"'2009-06-15' 属于 此集合('2009-06-15','2009-06-16')", true},
        // Whole characters only: a trail byte and the next lead byte are no match.
        {"\"中\" 属于 此集合(\"中文\", \"x\")", false},
        {"\"ab\" 形如 \"xaby\"", true},
        {"\"xaby\" 形如 \"ab\"", false},
        {"\"Ab\" 形如 \"xaby\"", false},
        {"\"文\" 形如 \"中文字\"", true},
        // No value yields false either way, as it always has.
        {"1 无值", false},
        {"1 有值", false},
        {"1 无值 或者 1=1", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(truth(c.formula), c.value) << c.formula;
}

TEST_F(ExprTest, StringLiteralsAndConcatenation)
{
    EXPECT_EQ(str("\"ab\" & \"中\""), Q("ab中"));
    EXPECT_EQ(str("\"\""), QString());
    // No escape inside a literal: the next quote ends it.
    EXPECT_EQ(str("\"a'b\""), Q("a'b"));
}

TEST_F(ExprTest, DateLiterals)
{
    EXPECT_EQ(date("'2009-06-15'"), dt(2009, 6, 15));
    EXPECT_EQ(date("'2009-6-5 08:30'"), dt(2009, 6, 5, 8, 30));
    EXPECT_EQ(date("'2009-06-15 23:59:59.999'"), dt(2009, 6, 15, 23, 59, 59, 999));
    const auto r = range("'2009-06-01..2009-06-30'");
    EXPECT_EQ(r.first, dt(2009, 6, 1));
    EXPECT_EQ(r.second, dt(2009, 6, 30));
}

struct TypeErrorCase {
    const char* formula;
    int pos;
};

TEST_F(ExprTest, OperandTypesMustFitTheOperator)
{
    const TypeErrorCase cases[] = {
        {"1 & \"a\"", 3},     {"\"a\" & 1", 5},        {"1 = \"1\"", 3},
        {"\"a\" + 1", 5},     {"- \"a\"", 1},          {"1 并且 1=1", 3},
        {"不满足 1", 1},      {"1 介于 '2009-06-01..2009-06-30'", 3},
        {"'2009-06-01' 介于 '2009-06-01'", 14},
        {"1 属于 \"1\"", 3},  {"1 形如 \"1\"", 3},
        // Ranges and sets have no order.
        {"'2009-06-01..2009-06-30' = '2009-06-01..2009-06-30'", 26},
        {"此集合(1,2) = 此集合(1,2)", 13},
    };
    for (const auto& c : cases) {
        const TecException e = failure(c.formula);
        EXPECT_EQ(e.BaseMessage(), Q("数据类型矛盾")) << c.formula;
        EXPECT_EQ(e.ErrorPos(), c.pos) << c.formula;
        // The same error is found by the check-only run.
        EXPECT_EQ(failure(c.formula, true).BaseMessage(), Q("数据类型矛盾")) << c.formula;
    }
}

struct MessageCase {
    const char* formula;
    const char* message; // without the position lines
    int pos;             // -1: raised without a symbol
    const char* token;
};

// Every failure of the tokenizer, the parser and the evaluator, with its
// position counted in GBK bytes (a Chinese character counts 2).
TEST_F(ExprTest, FailureMessagesAndPositions)
{
    var("X", dtNumber, 1);
    const MessageCase cases[] = {
        {"1e-5", "1 处字符串 1e 不是有效数值", 1, "1e"},
        {"长度(\"中文\")+1a", "14 处字符串 1a 不是有效数值", 14, "1a"},
        {"1 & \"abc", "5 处字符串 \"abc 无效, 字符串必须使用双引号", 5, "\"abc"},
        {"'2009-13-01'",
         "1 处时间 '2009-13-01' 格式错误, 有效的时间格式是 '2009-06-15' 或 '2009-06-01..2009-06-30'", 1,
         "'2009-13-01'"},
        {"\"中\" = '2009",
         "8 处时间 '2009 格式错误, 有效的时间格式是 '2009-06-15' 或 '2009-06-01..2009-06-30'", 8, "'2009"},
        {"'2009-06-01..x'",
         "1 处时间 '2009-06-01..x' 格式错误, 有效的时间格式是 '2009-06-15' 或 '2009-06-01..2009-06-30'", 1,
         "'2009-06-01..x'"},
        {"'15/06/2009'",
         "1 处时间 '15/06/2009' 格式错误, 有效的时间格式是 '2009-06-15' 或 '2009-06-01..2009-06-30'", 1,
         "'15/06/2009'"},
        {"1+[表1.A1", "3 处单元格地址 [表1.A1 无效, 单元格地址必须用中括号括起来", 3, "[表1.A1"},
        {"\"中\" & xyz", "8 处变量名 XYZ 未定义", 8, "XYZ"},
        {"", "中缀队列不能为空", -1, ""},
        {"   ", "中缀队列不能为空", -1, ""},
        {"1 2", "操作数太多", 3, "2"},
        {"(1)(2)", "操作数太多", 4, "("},
        {"1 左子串(\"a\",1)", "操作数太多", 3, "左子串"},
        {"+3", "运算符太多", 1, "+"},
        {"1 不满足 1=1", "运算符太多", 3, "不满足"},
        {"无值", "运算符太多", 1, "无值"},
        {"1+", "表达式没有写完整", -1, ""},
        {"(1+2", "表达式没有写完整", 1, "("},
        {"(", "表达式没有写完整", 1, "("},
        {"()", "表达式没有写完整", -1, ""},
        {"1=1 并且 不满足", "表达式没有写完整", 10, "不满足"},
        {"(1,2)", "括号里的表达式太多", 1, "("},
        {"左子串 1", "函数调用必须跟随左括号", 1, "左子串"},
        {"左子串(", "函数调用异常结束", 1, "左子串"},
        {"左子串(\"a\",1", "函数调用异常结束", 1, "左子串"},
        {"1,2", "当前表达式不应该出现逗号", 2, ","},
        {"左子串(,1)", "逗号前面的表达式不完整", 8, ","},
        {"左子串(\"a\",)", "逗号后面的表达式不完整", 11, ","},
        {"左子串(\"a\",", "逗号后面的表达式不完整", 11, ","},
        {"1/0", "除数为零", 2, "/"},
        {"X/(X-1)", "除数为零", 2, "/"},
        {"1)+2", "右括号不匹配", 2, ")"},
    };
    for (const auto& c : cases) {
        const TecException e = failure(c.formula);
        EXPECT_EQ(e.BaseMessage(), Q(c.message)) << c.formula;
        EXPECT_EQ(e.ErrorPos(), c.pos) << c.formula;
        EXPECT_EQ(e.ErrorToken(), Q(c.token)) << c.formula;
        const QString full = c.pos >= 0 && !QString(Q(c.message)).contains(u"处")
            ? Q(c.message) + Q("\r\n出错位置: ") + QString::number(c.pos) + Q("\r\n出错符号: ") + Q(c.token)
            : Q(c.message);
        EXPECT_EQ(e.message(), full) << c.formula;
    }
}

TEST_F(ExprTest, CalculatorStaysUsableAfterAnError)
{
    failure("1+");
    EXPECT_EQ(num("2+2"), 4);
    failure("左子串(");
    EXPECT_EQ(num("(3)"), 3);
}

TEST_F(ExprTest, DeepNestingFailsCleanly)
{
    const QString deep = QString(5000, u'(') + u'1' + QString(5000, u')');
    try {
        TecCalcResult r;
        calc.Calc(deep, r);
        FAIL() << "no error";
    } catch (const TecException& e) {
        EXPECT_EQ(e.BaseMessage(), Q("表达式嵌套太深"));
    }
    EXPECT_EQ(num("((((1))))"), 1);
}

TEST_F(ExprTest, TrailingUnmatchedParenDropsNothingAndIsAccepted)
{
    EXPECT_EQ(num("1)"), 1);
    EXPECT_EQ(calc.InfixTokens().size(), 2u);
}

TEST_F(ExprTest, UnknownNamesWithoutAHost)
{
    TecExpCalc bare;
    TecCalcResult r;
    try {
        bare.Calc(Q("1 + abc"), r);
        FAIL();
    } catch (const TecException& e) {
        EXPECT_EQ(e.message(), Q("5 处符号 ABC 未定义"));
        EXPECT_EQ(e.ErrorPos(), 5);
    }
    // Known at parse time, but no one to ask for the value.
    bare.OnCheckVariable = [](const QString&, bool&, TecDataType&) {};
    try {
        bare.Calc(Q("abc"), r);
        FAIL();
    } catch (const TecException& e) {
        EXPECT_EQ(e.message(), Q("变量 ABC 未定义"));
        EXPECT_EQ(e.ErrorPos(), -1);
    }
    EXPECT_EQ(bare.CheckSyntax(Q("abc")), dtNumber);
}

TEST_F(ExprTest, NamesReachTheHostUpperCasedAndCellsAsTyped)
{
    var("ABC", dtNumber, 2);
    var("[表1.A1]", dtNumber, 3);
    var("金额", dtString, Q("x"));
    EXPECT_EQ(num("abc*[表1.A1]"), 6);
    EXPECT_EQ(checked, (std::vector<QString>{Q("ABC"), Q("[表1.A1]")}));
    // Tab, CR and LF are not blanks: they belong to a name.
    EXPECT_EQ(failure("1+\tabc").BaseMessage(), Q("3 处变量名 \tABC 未定义"));
    EXPECT_EQ(str("金额"), Q("x"));
}

TEST_F(ExprTest, SingleNameYieldsTheHostValueConvertedToItsType)
{
    var("N", dtNumber, Q("12.5"));
    var("S", dtString, 3.0);
    var("B", dtBoolean, Q("true"));
    var("D", dtDateTime, QDateTime(QDate(2009, 6, 15), QTime(8, 0)));
    var("R", dtDateRange, Q("2009-06-01..2009-06-30"));
    var("E", dtNumber, QVariant());
    var("BAD", dtNumber, Q("abc"));
    EXPECT_EQ(num("n"), 12.5);
    EXPECT_EQ(str("s"), Q("3"));
    EXPECT_TRUE(truth("b"));
    EXPECT_EQ(date("d"), dt(2009, 6, 15, 8));
    EXPECT_EQ(range("r"), std::make_pair(dt(2009, 6, 1), dt(2009, 6, 30)));
    EXPECT_EQ(num("e"), 0);
    EXPECT_THROW(eval("bad"), Error);
}

TEST_F(ExprTest, OwnerFunctionIsTheEnclosingCallAsTyped)
{
    var("X", dtNumber, 150);
    EXPECT_EQ(num("合计(x)"), 150);
    EXPECT_EQ(num("x"), 150);
    EXPECT_EQ(num("合计((x)+1)"), 151);
    EXPECT_EQ(num("合计(绝对值(x)) + log(x) * 0"), 150);
    const std::vector<std::pair<QString, QString>> expected = {
        {Q("X"), Q("合计")}, {Q("X"), QString()}, {Q("X"), Q("合计")}, {Q("X"), Q("绝对值")}, {Q("X"), Q("log")},
    };
    EXPECT_EQ(fetched, expected);
}

TEST_F(ExprTest, EachOccurrenceIsFetchedOnceAndBothSidesAreEvaluated)
{
    var("A", dtBoolean, false);
    var("B", dtBoolean, true);
    EXPECT_FALSE(truth("a 并且 b"));
    EXPECT_TRUE(truth("b 或者 a"));
    EXPECT_EQ(fetched.size(), 4u);
}

TEST_F(ExprTest, CheckOnlyRunYieldsTheTypeWithoutFetching)
{
    var("X", dtNumber, 1);
    var("S", dtString, Q("a"));
    EXPECT_EQ(calc.CheckSyntax(Q("1/0")), dtNumber);
    EXPECT_EQ(calc.CheckSyntax(Q("x > 1")), dtBoolean);
    EXPECT_EQ(calc.CheckSyntax(Q("s & \"b\"")), dtString);
    EXPECT_EQ(calc.CheckSyntax(Q("此年(x)")), dtDateRange);
    // A variable whose declared type does not fit a function.
    EXPECT_EQ(failure("左子串(x, 1)", true).BaseMessage(), Q("函数参数类型错误"));
    EXPECT_TRUE(fetched.empty());
}

TEST_F(ExprTest, InfixTokensListTheNamesUsed)
{
    var("A", dtNumber, 1);
    var("[T.B2]", dtNumber, 2);
    calc.Parse(Q("a + 合计([T.B2]) * \"s\""));
    std::vector<QString> names;
    for (const TecSymbol& t : calc.InfixTokens())
        if (t.Kind == skOperand && !t.Known)
            names.push_back(t.VarName);
    EXPECT_EQ(names, (std::vector<QString>{Q("A"), Q("[T.B2]")}));
    EXPECT_EQ(calc.InfixTokens().size(), 8u);
    EXPECT_EQ(calc.InfixTokens()[2].Kind, skFunction);
    EXPECT_EQ(calc.InfixTokens()[2].Pos, 5);
}

TEST_F(ExprTest, ArithmeticOverflowIsAnError)
{
    EXPECT_THROW(eval("1e308*10"), Error);
}

} // namespace
} // namespace zq::test

namespace zq::test {
namespace {

TEST_F(ExprTest, ParsedFormulaRunsAgainWithFreshValues)
{
    var("X", dtNumber, 2);
    calc.Parse(Q("x * 10 + 合计(x)"));
    TecCalcResult r;
    calc.EvaluateParsed(false, r);
    EXPECT_EQ(r.NumValue, 22);
    vars[Q("X")].value = 3;
    calc.EvaluateParsed(false, r);
    EXPECT_EQ(r.NumValue, 33);
    calc.EvaluateParsed(true, r);
    EXPECT_EQ(r.DataType, dtNumber);
    EXPECT_EQ(fetched.size(), 4u);
    // A failed parse leaves nothing to run.
    EXPECT_THROW(calc.Parse(Q("x +")), TecException);
    EXPECT_THROW(calc.EvaluateParsed(false, r), TecException);
}

} // namespace
} // namespace zq::test
