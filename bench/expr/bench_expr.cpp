// Calculator speed: parse once and evaluate many times, and parse plus evaluate,
// for a 20-token arithmetic formula and for a formula with functions and
// variables; the same arithmetic in muparser beside it.
#include "expr/ExpCalc.h"

#include <benchmark/benchmark.h>
#include <muParser.h>

#include <map>

namespace {

// 20 tokens: x * ( 2.25 + y ) * 3 - y / ( 5 + x ) * 7 + 8
const char* kArithmetic = "x*(2.25+y)*3-y/(5+x)*7+8";
const QString kArithmeticQ = QString::fromUtf8(kArithmetic);
const QString kFunctions = QString::fromUtf8(
    "条件取值(合计([T.A1:A9]) > 100, 四舍五入(x*1.17, 2), 绝对值(y)) + 长度(左子串(s, 4)) + 月份值(d)");

struct Host {
    std::map<QString, std::pair<zq::TecDataType, QVariant>> vars = {
        {QStringLiteral("X"), {zq::dtNumber, 1.5}},
        {QStringLiteral("Y"), {zq::dtNumber, 2.5}},
        {QStringLiteral("[T.A1:A9]"), {zq::dtNumber, 150.0}},
        {QStringLiteral("S"), {zq::dtString, QString::fromUtf8("中文abc")}},
        {QStringLiteral("D"), {zq::dtDateTime, 39979.5}},
    };

    void attach(zq::TecExpCalc& calc)
    {
        calc.OnCheckVariable = [this](const QString& name, bool& exists, zq::TecDataType& type) {
            const auto it = vars.find(name);
            exists = it != vars.end();
            if (exists)
                type = it->second.first;
        };
        calc.OnGetVariableValue = [this](const QString& name, const QString&, QVariant& value, zq::TecDataType) {
            value = vars.at(name).second;
        };
    }
};

void evaluateParsedMany(benchmark::State& state, const QString& formula)
{
    zq::TecExpCalc calc;
    Host host;
    host.attach(calc);
    calc.Parse(formula);
    zq::TecCalcResult r;
    for (auto _ : state) {
        calc.EvaluateParsed(false, r);
        benchmark::DoNotOptimize(r.NumValue);
    }
}

void parseAndEvaluate(benchmark::State& state, const QString& formula)
{
    zq::TecExpCalc calc;
    Host host;
    host.attach(calc);
    zq::TecCalcResult r;
    for (auto _ : state) {
        calc.Calc(formula, r);
        benchmark::DoNotOptimize(r.NumValue);
    }
}

void BM_Arithmetic_EvaluateParsed(benchmark::State& s) { evaluateParsedMany(s, kArithmeticQ); }
void BM_Arithmetic_ParseAndEvaluate(benchmark::State& s) { parseAndEvaluate(s, kArithmeticQ); }
void BM_Functions_EvaluateParsed(benchmark::State& s) { evaluateParsedMany(s, kFunctions); }
void BM_Functions_ParseAndEvaluate(benchmark::State& s) { parseAndEvaluate(s, kFunctions); }

void BM_Muparser_Arithmetic_EvaluateParsed(benchmark::State& state)
{
    double x = 1.5, y = 2.5;
    mu::Parser p;
    p.DefineVar("x", &x);
    p.DefineVar("y", &y);
    p.SetExpr(kArithmetic);
    for (auto _ : state)
        benchmark::DoNotOptimize(p.Eval());
}

void BM_Muparser_Arithmetic_ParseAndEvaluate(benchmark::State& state)
{
    double x = 1.5, y = 2.5;
    mu::Parser p;
    p.DefineVar("x", &x);
    p.DefineVar("y", &y);
    for (auto _ : state) {
        p.SetExpr(kArithmetic);
        benchmark::DoNotOptimize(p.Eval());
    }
}

BENCHMARK(BM_Arithmetic_EvaluateParsed);
BENCHMARK(BM_Muparser_Arithmetic_EvaluateParsed);
BENCHMARK(BM_Arithmetic_ParseAndEvaluate);
BENCHMARK(BM_Muparser_Arithmetic_ParseAndEvaluate);
BENCHMARK(BM_Functions_EvaluateParsed);
BENCHMARK(BM_Functions_ParseAndEvaluate);

} // namespace
