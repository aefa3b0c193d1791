// The set function: members as text, one per line.
#include "FunctionLib.h"

#include <QStringList>

namespace zq::lib {
namespace {

class TThisSetFunction : public TecFunction {
public:
    TThisSetFunction()
        : TecFunction(QStringLiteral("此集合"), 2, 30, fcSet, QStringLiteral("此集合(成员1,成员2,...成员n)"),
                      QStringLiteral("返回由给定元素组成的集合。"))
    {
    }

    // Every member has the type of the first.
    TecTypeMask ParamTypes(const TParaAr& params, int index) const override
    {
        return index == 0 ? (mNumber | mString | mDateTime) : maskOf(params[0].DataType);
    }

    void Calc(const TecSymbol& call, const TParaAr& params, bool checkOnly, TecSymbol& result) const override
    {
        if (!beginResult(call, result, dtSet, checkOnly))
            return;
        QStringList members;
        members.reserve(static_cast<qsizetype>(params.size()));
        for (const TecSymbol& p : params)
            members.append(memberText(p));
        result.SetValue = members.join(QStringLiteral("\r\n"));
    }
};

} // namespace

void registerSetFunctions(TecFunctions& r)
{
    r.Register<TThisSetFunction>();
}

} // namespace zq::lib
