// Statistical functions. The host does the aggregating: a name inside the
// parentheses of one of these calls is fetched with the call's text as owner,
// and the host answers with the sum, average, count... The function passes it on.
#include "FunctionLib.h"

namespace zq::lib {
namespace {

class TAggregateFunction : public TecFunction {
public:
    TAggregateFunction(const char16_t* name, TecTypeMask mask, TecDataType resultType, bool sqlOnly,
                       const char16_t* usage, const char16_t* description)
        : TecFunction(QString::fromUtf16(name), 1, 1, fcStatistics, QString::fromUtf16(usage),
                      QString::fromUtf16(description), sqlOnly),
          m_mask(mask), m_resultType(resultType)
    {
    }

    TecTypeMask ParamTypes(const TParaAr&, int) const override { return m_mask; }

    void Calc(const TecSymbol& call, const TParaAr& params, bool checkOnly, TecSymbol& result) const override
    {
        const TecSymbol& arg = params[0];
        if (!(maskOf(arg.DataType) & m_mask))
            typeError(call);
        if (!beginResult(call, result, m_resultType, checkOnly))
            return;
        // A single string or date value (not a range the host counted) is one value.
        result.NumValue = arg.DataType == dtNumber ? arg.NumValue : 1;
    }

private:
    TecTypeMask m_mask;
    TecDataType m_resultType;
};

#define ZQ_AGGREGATE(Class, name, mask, type, sql, usage, desc)                                   \
    class Class : public TAggregateFunction {                                                     \
    public:                                                                                       \
        Class() : TAggregateFunction(name, mask, type, sql, usage, desc) {}                       \
    };

ZQ_AGGREGATE(TSumFunction, u"合计", mNumber, dtNumber, false, u"合计(<数值字段名>)",
             u"计算参数的和；参数是数值型字段名。")
ZQ_AGGREGATE(TAverageFunction, u"平均", mNumber, dtNumber, false, u"平均(<数值字段名>)",
             u"计算参数的算术平均数；参数是数值字段名。")
ZQ_AGGREGATE(TCountFunction, u"计数", mNumber | mString | mDateTime, dtNumber, false, u"计数(<字段名>)",
             u"返回指定字段的个数。")
ZQ_AGGREGATE(TMaxFunction, u"最大值", mNumber, dtNumber, false, u"最大值(<数值字段名>)",
             u"返回一组数值中的最大值；参数是数值字段名。")
ZQ_AGGREGATE(TMinFunction, u"最小值", mNumber, dtNumber, false, u"最小值(<数值字段名>)",
             u"返回一组数值中的最小值；参数是数值字段名。")
ZQ_AGGREGATE(TDistinctCountFunction, u"唯一计数", mNumber | mString | mDateTime, dtNumber, true,
             u"唯一计数(<字段名>)", u"此函数返回指定字段的个数，不包括重复值。")
ZQ_AGGREGATE(TFirst, u"最早", mDateTime, dtDateTime, true, u"最早(<日期型字段>)",
             u"返回指定日期型字段的最早者。")
ZQ_AGGREGATE(TLast, u"最晚", mDateTime, dtDateTime, true, u"最晚(<日期型字段>)",
             u"返回指定日期型字段的最晚者。")

#undef ZQ_AGGREGATE

} // namespace

void registerStatisticsFunctions(TecFunctions& r)
{
    r.Register<TSumFunction>();
    r.Register<TAverageFunction>();
    r.Register<TCountFunction>();
    r.Register<TMaxFunction>();
    r.Register<TMinFunction>();
    r.Register<TDistinctCountFunction>();
    r.Register<TFirst>();
    r.Register<TLast>();
}

} // namespace zq::lib
