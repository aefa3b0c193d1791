// Math functions. "LOG" is the natural logarithm and "LN" the base-10 one:
// formulas already written rely on these names, so they stay as they are.
#include "FunctionLib.h"

#include "base/NumberText.h"
#include "base/Rounding.h"

#include <algorithm>
#include <cmath>

namespace zq::lib {
namespace {

double logarithm(double x, double (*fn)(double))
{
    if (x == 0)
        throw Error(QStringLiteral("浮点数除零"));
    if (x < 0)
        throw Error(QStringLiteral("无效的浮点运算"));
    return fn(x);
}

double lnValue(const TParaAr& p) { return logarithm(p[0].NumValue, [](double x) { return std::log(x); }); }
double log10Value(const TParaAr& p) { return logarithm(p[0].NumValue, [](double x) { return std::log10(x); }); }
double absValue(const TParaAr& p) { return std::fabs(p[0].NumValue); }

double powerValue(const TParaAr& p)
{
    const double a = p[0].NumValue, b = p[1].NumValue;
    if (a == 0 && b < 0)
        throw Error(QStringLiteral("浮点数除零"));
    return checkFinite(std::pow(a, b));
}

double roundValue(const TParaAr& p)
{
    // "0.00"-style rounding of the decimal value the user sees, halves away from zero.
    const int decimals = std::clamp(roundToInt(p[1].NumValue), 0, 400);
    return roundDecimal(p[0].NumValue, decimals, HalfRule::AwayFromZero);
}

class TMathFunction : public TecFunction {
public:
    TMathFunction(const char16_t* name, int args, double (*fn)(const TParaAr&), const char16_t* usage,
                  const char16_t* description)
        : TecFunction(QString::fromUtf16(name), args, args, fcMath, QString::fromUtf16(usage),
                      QString::fromUtf16(description)),
          m_fn(fn)
    {
    }
    TecTypeMask ParamTypes(const TParaAr&, int) const override { return mNumber; }
    void Calc(const TecSymbol& call, const TParaAr& params, bool checkOnly, TecSymbol& result) const override
    {
        for (const TecSymbol& p : params)
            requireType(call, p, dtNumber);
        if (beginResult(call, result, dtNumber, checkOnly))
            result.NumValue = m_fn(params);
    }

private:
    double (*m_fn)(const TParaAr&);
};

#define ZQ_MATH(Class, name, args, fn, usage, desc)                                                \
    class Class : public TMathFunction {                                                          \
    public:                                                                                       \
        Class() : TMathFunction(name, args, fn, usage, desc) {}                                   \
    };

ZQ_MATH(TLogFunction, u"LOG", 1, lnValue, u"LOG(数值)", u"返回给定数值第自然对数。")
ZQ_MATH(TLnFunction, u"LN", 1, log10Value, u"LN(数值)", u"返回给定数值以10为底的对数。")
ZQ_MATH(TPowerFunction, u"求次幂", 2, powerValue, u"求次幂(数值,数值)", u"计算某数的乘幂。")
ZQ_MATH(TRoundFunction, u"四舍五入", 2, roundValue, u"四舍五入(数值1,数值2)",
        u"返回数字四舍五入后的值，参数1是需要四舍五入的数值，参数2是保留的小数位数。")
ZQ_MATH(TAbsFunction, u"绝对值", 1, absValue, u"绝对值(数值)", u"返回给定数值的绝对值，即不带符号的数值。")

#undef ZQ_MATH

} // namespace

void registerMathFunctions(TecFunctions& r)
{
    r.Register<TLogFunction>();
    r.Register<TLnFunction>();
    r.Register<TPowerFunction>();
    r.Register<TRoundFunction>();
    r.Register<TAbsFunction>();
}

} // namespace zq::lib
