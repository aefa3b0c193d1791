// zqbp-batch calc FORMULA [--var NAME=VALUE]...
// Evaluates one formula with the given variables and prints TYPE<TAB>VALUE,
// or error<TAB>MESSAGE with status 1.
#include "Commands.h"

#include "base/DateSerial.h"
#include "base/Error.h"
#include "base/Gbk.h"
#include "base/NumberText.h"
#include "expr/ExpCalc.h"

#include <QStringList>

#include <map>

namespace zq::cli {
namespace {

struct Var {
    TecDataType type;
    QVariant value;
};

// A --var value takes the type its text reads as: a number, true/false, a date
// "yyyy-mm-dd[ hh:nn:ss]", a range "DATE..DATE", otherwise a string.
Var typedValue(const QString& text)
{
    if (const auto n = parseNumber(text))
        return {dtNumber, *n};
    if (text == u"true" || text == u"false")
        return {dtBoolean, text == u"true"};
    if (const auto d = parseDateTimeText(text))
        return {dtDateTime, *d};
    const qsizetype dots = text.indexOf(u"..");
    if (dots > 0 && parseDateTimeText(QStringView(text).first(dots))
        && parseDateTimeText(QStringView(text).mid(dots + 2)))
        return {dtDateRange, text};
    return {dtString, text};
}

// Ordinary names reach the host upper-cased, cell addresses as typed.
QString hostName(const QString& name)
{
    return name.startsWith(u'[') ? name : asciiUpper(name);
}

QString resultText(const TecCalcResult& r)
{
    switch (r.DataType) {
    case dtNumber: return QStringLiteral("number\t") + numberText15(r.NumValue);
    case dtString: return QStringLiteral("string\t") + r.StrValue;
    case dtBoolean: return QStringLiteral("boolean\t") + (r.BoolValue ? QStringLiteral("true") : QStringLiteral("false"));
    case dtDateTime: return QStringLiteral("date\t") + formatDateTimeMs(r.DateValue);
    case dtDateRange:
        return QStringLiteral("range\t") + formatDateTimeMs(r.DateValue) + QStringLiteral("..") + formatDateTimeMs(r.DateEnd);
    case dtSet: return QStringLiteral("set\t") + r.SetValue.split(QStringLiteral("\r\n")).join(u'|');
    }
    return QString();
}

} // namespace

int runCalc(const QStringList& args)
{
    QString formula;
    bool haveFormula = false;
    std::map<QString, Var> vars;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == u"--var") {
            if (i + 1 >= args.size())
                throw Error(QStringLiteral("--var needs NAME=VALUE"));
            const QString nv = args[++i];
            const qsizetype eq = nv.indexOf(u'=');
            if (eq <= 0)
                throw Error(QStringLiteral("--var needs NAME=VALUE, got: ") + nv);
            vars[hostName(nv.left(eq))] = typedValue(nv.mid(eq + 1));
        } else if (!haveFormula) {
            formula = a;
            haveFormula = true;
        } else {
            throw Error(QStringLiteral("calc takes one formula; unexpected: ") + a);
        }
    }
    if (!haveFormula)
        throw Error(QStringLiteral("usage: zqbp-batch calc FORMULA [--var NAME=VALUE]..."));

    TecExpCalc calc;
    calc.OnCheckVariable = [&](const QString& name, bool& exists, TecDataType& type) {
        const auto it = vars.find(name);
        exists = it != vars.end();
        if (exists)
            type = it->second.type;
    };
    calc.OnGetVariableValue = [&](const QString& name, const QString&, QVariant& value, TecDataType) {
        value = vars.at(name).value;
    };
    try {
        TecCalcResult r;
        calc.Calc(formula, r);
        out(resultText(r) + u'\n');
        return 0;
    } catch (const Error& e) {
        out(QStringLiteral("error\t") + e.message().simplified() + u'\n');
        return 1;
    }
}

} // namespace zq::cli
