// The conditional function. All arguments are evaluated before it picks one:
// an error in a branch that is not chosen still stops the formula.
#include "FunctionLib.h"

namespace zq::lib {
namespace {

class TIfFunction : public TecFunction {
public:
    TIfFunction()
        : TecFunction(QStringLiteral("条件取值"), 3, 29, fcOther,
                      QStringLiteral("条件取值(条件1,值1,条件2,值2,...,条件n,值n, 其他值)"),
                      QStringLiteral("执行真假判断，根据对指定条件进行逻辑评价的真假而返回不同的结果。"))
    {
    }

    void CheckArgCount(const TecSymbol& call) const override
    {
        TecFunction::CheckArgCount(call);
        if (call.ArgCount % 2 == 0)
            throw TecException(&call, QString(), -1, QStringLiteral("缺少else部分"));
    }

    // Conditions are booleans; every value has the type of the first value.
    TecTypeMask ParamTypes(const TParaAr& params, int index) const override
    {
        const int last = static_cast<int>(params.size()) - 1;
        if (index % 2 == 0 && index < last)
            return mBoolean;
        if (index == 1)
            return kAnyType;
        return maskOf(params[1].DataType);
    }

    void Calc(const TecSymbol& call, const TParaAr& params, bool checkOnly, TecSymbol& result) const override
    {
        const size_t last = params.size() - 1;
        if (checkOnly) {
            result = params[1];
        } else {
            size_t pick = last;
            for (size_t i = 0; i < last; i += 2) {
                if (params[i].DataType != dtBoolean)
                    typeError(call);
                if (params[i].BoolValue) {
                    pick = i + 1;
                    break;
                }
            }
            result = params[pick];
        }
        result.Kind = skOperand;
        result.Known = true;
    }
};

} // namespace

void registerLogicFunctions(TecFunctions& r)
{
    r.Register<TIfFunction>();
}

} // namespace zq::lib
