#pragma once
// A small host for the calculator: named variables with declared types and
// values, and a record of what the calculator asked for.
#include "base/DateSerial.h"
#include "expr/ExpCalc.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

namespace zq::test {

inline QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

inline double dt(int y, int m, int d, int h = 0, int n = 0, int s = 0, int ms = 0)
{
    return encodeDateTime({y, m, d, h, n, s, ms});
}

class ExprTest : public ::testing::Test {
protected:
    struct Var {
        TecDataType type;
        QVariant value;
    };

    void SetUp() override
    {
        calc.OnCheckVariable = [this](const QString& name, bool& exists, TecDataType& type) {
            checked.push_back(name);
            const auto it = vars.find(name);
            exists = it != vars.end();
            if (exists)
                type = it->second.type;
        };
        calc.OnGetVariableValue = [this](const QString& name, const QString& owner, QVariant& value,
                                         TecDataType type) {
            fetched.emplace_back(name, owner);
            EXPECT_EQ(type, vars.at(name).type);
            value = vars.at(name).value;
        };
    }

    void var(const char* name, TecDataType type, QVariant value) { vars[Q(name)] = {type, std::move(value)}; }

    TecCalcResult eval(const QString& formula)
    {
        TecCalcResult r;
        calc.Calc(formula, r);
        return r;
    }
    TecCalcResult eval(const char* formula) { return eval(Q(formula)); }

    double num(const char* formula)
    {
        const TecCalcResult r = eval(formula);
        EXPECT_EQ(r.DataType, dtNumber) << formula;
        return r.NumValue;
    }
    QString str(const char* formula)
    {
        const TecCalcResult r = eval(formula);
        EXPECT_EQ(r.DataType, dtString) << formula;
        return r.StrValue;
    }
    bool truth(const char* formula)
    {
        const TecCalcResult r = eval(formula);
        EXPECT_EQ(r.DataType, dtBoolean) << formula;
        return r.BoolValue;
    }
    double date(const char* formula)
    {
        const TecCalcResult r = eval(formula);
        EXPECT_EQ(r.DataType, dtDateTime) << formula;
        return r.DateValue;
    }
    std::pair<double, double> range(const char* formula)
    {
        const TecCalcResult r = eval(formula);
        EXPECT_EQ(r.DataType, dtDateRange) << formula;
        return {r.DateValue, r.DateEnd};
    }

    // The calculator error of a formula (full evaluation unless checkOnly).
    TecException failure(const char* formula, bool checkOnly = false)
    {
        try {
            TecCalcResult r;
            calc.Evaluate(Q(formula), checkOnly, r);
        } catch (const TecException& e) {
            return e;
        }
        ADD_FAILURE() << "no calculator error for " << formula;
        return TecException(nullptr, QString(), -1, QString());
    }
    // The message of any error (calculator or platform).
    QString anyError(const char* formula)
    {
        try {
            eval(formula);
        } catch (const Error& e) {
            return e.message();
        }
        ADD_FAILURE() << "no error for " << formula;
        return QString();
    }

    TecExpCalc calc;
    std::map<QString, Var> vars;
    std::vector<QString> checked;
    std::vector<std::pair<QString, QString>> fetched; // name, owner function
};

} // namespace zq::test
