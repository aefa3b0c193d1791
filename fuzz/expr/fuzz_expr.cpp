// Any text given to the calculator either evaluates or fails with zq::Error;
// nothing else may escape, and nothing may crash or read out of bounds.
#include "base/Error.h"
#include "expr/ExpCalc.h"

#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

zq::TecDataType typeOf(const QString& name)
{
    if (name == u"S")
        return zq::dtString;
    if (name == u"B")
        return zq::dtBoolean;
    if (name == u"D")
        return zq::dtDateTime;
    if (name == u"R")
        return zq::dtDateRange;
    if (name == u"T")
        return zq::dtSet;
    return zq::dtNumber;
}

bool known(const QString& name)
{
    return name.size() == 1 ? QStringLiteral("ASBDRTX").contains(name) : name.startsWith(u'[');
}

QVariant valueOf(zq::TecDataType type)
{
    switch (type) {
    case zq::dtString: return QStringLiteral("中a b");
    case zq::dtBoolean: return true;
    case zq::dtDateTime: return 39979.5;
    case zq::dtDateRange: return QStringLiteral("2009-06-01..2009-06-30");
    case zq::dtSet: return QStringLiteral("1\r\nA\r\n2009-06-15");
    default: return 2.5;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static zq::TecExpCalc calc;
    static bool init = false;
    if (!init) {
        calc.OnCheckVariable = [](const QString& name, bool& exists, zq::TecDataType& type) {
            exists = known(name);
            type = typeOf(name);
        };
        calc.OnGetVariableValue = [](const QString&, const QString&, QVariant& value, zq::TecDataType type) {
            value = valueOf(type);
        };
        init = true;
    }
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (bool checkOnly : {true, false}) {
        try {
            zq::TecCalcResult r;
            calc.Evaluate(text, checkOnly, r);
        } catch (const zq::Error&) {
        }
    }
    return 0;
}
