// The calc verb of zqbp-batch: typed --var values and the TYPE<TAB>VALUE line.
#include "ExprTestHost.h"

#include "cli/Commands.h"

namespace zq::cli {
namespace {
QString g_out;
}
// The verb prints through these; main() of the tool is not linked here.
void out(const QString& text) { g_out += text; }
void err(const QString& text) { g_out += text; }
} // namespace zq::cli

namespace zq::test {
namespace {

QString calcLine(const QStringList& args, int expectedStatus = 0)
{
    cli::g_out.clear();
    EXPECT_EQ(cli::runCalc(args), expectedStatus) << args.join(u' ').toStdString();
    return cli::g_out;
}

TEST(CalcVerb, PrintsTypeAndValue)
{
    const struct {
        const char* formula;
        const char* line;
    } cases[] = {
        {"1+2*3", "number\t7\n"},
        {"0.1+0.2", "number\t0.3\n"},
        {"\"a\" & \"中\"", "string\ta中\n"},
        {"1<2", "boolean\ttrue\n"},
        {"结算月末(2009, 1)", "date\t2009-01-25 01:59:59.999\n"},
        {"此结算月(2009, 3)", "range\t2009-02-25 02:00:00.000..2009-03-25 01:59:59.999\n"},
        {"此集合(\"a\", \"b\")", "set\ta|b\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(calcLine({Q(c.formula)}), Q(c.line)) << c.formula;
}

TEST(CalcVerb, VariablesTakeTheTypeTheirTextReadsAs)
{
    const QStringList vars = {Q("--var"), Q("n=2.5"),         Q("--var"), Q("b=true"),
                              Q("--var"), Q("d=2009-06-15"),  Q("--var"), Q("t=2009-06-15 08:30:00"),
                              Q("--var"), Q("r=2009-06-01..2009-06-30"), Q("--var"), Q("s=12a"),
                              Q("--var"), Q("[表1.A1]=4")};
    const struct {
        const char* formula;
        const char* line;
    } cases[] = {
        {"N*2 + [表1.A1]", "number\t9\n"},
        {"b 并且 d 介于 r", "boolean\ttrue\n"},
        {"t", "date\t2009-06-15 08:30:00.000\n"},
        {"s & \"\"", "string\t12a\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(calcLine(QStringList{Q(c.formula)} + vars), Q(c.line)) << c.formula;
}

TEST(CalcVerb, ErrorsAreOneLineWithStatusOne)
{
    EXPECT_EQ(calcLine({Q("1 2")}, 1), Q("error\t操作数太多 出错位置: 3 出错符号: 2\n"));
    EXPECT_EQ(calcLine({Q("x")}, 1), Q("error\t1 处变量名 X 未定义\n"));
    EXPECT_THROW(cli::runCalc({Q("1"), Q("--var"), Q("novalue")}), Error);
    EXPECT_THROW(cli::runCalc({}), Error);
}

} // namespace
} // namespace zq::test
