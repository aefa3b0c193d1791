#pragma once
// The formula calculator: tokenizer, priority parser to postfix and a typed
// evaluator, with the registry of built-in functions. The calculator knows
// nothing of templates; names are resolved by the host through two callbacks.
#include "base/Error.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zq {

enum TecDataType : std::uint8_t {
    dtNumber = 0,
    dtString = 1,
    dtBoolean = 2,
    dtDateTime = 3,
    dtDateRange = 4,
    dtSet = 5,
};

// Parameter type masks: bit n stands for TecDataType n.
using TecTypeMask = std::uint32_t;
// A code outside the enumeration (a host's mistake) belongs to no mask.
constexpr TecTypeMask maskOf(TecDataType t) { return t < 32 ? TecTypeMask(1) << t : 0; }
inline constexpr TecTypeMask kAnyType = 63;

enum TecSymbolKind : std::uint8_t {
    skOperand = 0,
    skOperator = 1,
    skLeftParen = 2,
    skRightParen = 3,
    skFunction = 4,
    skComma = 5,
};

enum TecOperator : std::uint8_t {
    opAdd = 0,
    opSub = 1,
    opMul = 2,
    opDiv = 3,
    opNeg = 4,
    opConcat = 5,
    opEq = 6,
    opNe = 7,
    opGt = 8,
    opGe = 9,
    opLt = 10,
    opLe = 11,
    opAnd = 12,
    opOr = 13,
    opNot = 14,
    opBetween = 15,
    opIn = 16,
    opNotIn = 17,
    opLike = 18,
    opNoValue = 19,
    opHasValue = 20,
};

class TecFunction;

// One record for tokens, postfix entries and values on the evaluation stack.
struct TecSymbol {
    TecSymbolKind Kind = skOperand;
    int Pos = 0;          // 1-based position in GBK bytes
    QString Text;         // as typed (literals with their quotes, cells with brackets)
    TecOperator Op = opAdd;
    QString FuncName;     // upper-cased (functions only)
    int ArgCount = 0;
    bool Known = false;   // false: a variable whose value has not been fetched
    QString VarName;
    TecDataType DataType = dtNumber;
    double NumValue = 0;
    QString StrValue;
    bool BoolValue = false;
    double DateValue = 0; // date-time, or range start
    double DateEnd = 0;   // range end
    QString SetValue;     // members separated by CR LF
    // Text of the function call in whose argument list this token stands
    // (empty at the outermost level); handed to the host when fetching.
    QString OwnerText;
    const TecFunction* Func = nullptr; // resolved at tokenizing (functions only)
};

using TParaAr = std::vector<TecSymbol>;
using TecStack = std::vector<TecSymbol>;

struct TecCalcResult {
    TecDataType DataType = dtNumber;
    double NumValue = 0;
    QString StrValue;
    bool BoolValue = false;
    double DateValue = 0;
    double DateEnd = 0;
    QString SetValue;
};

class TecException : public Error {
public:
    // With a symbol: position and token come from it and the message gains the
    // "出错位置"/"出错符号" lines. Without: the given token and position, message as is.
    TecException(const TecSymbol* symbol, const QString& token, int pos, const QString& message);

    int ErrorPos() const { return m_pos; }
    const QString& ErrorToken() const { return m_token; }
    // The message without the position lines.
    const QString& BaseMessage() const { return m_base; }

private:
    int m_pos;
    QString m_token;
    QString m_base;
};

enum TecFunctionCategory : std::uint8_t {
    fcStatistics = 0,
    fcDateTime = 1,
    fcSet = 2,
    fcString = 3,
    fcConversion = 4,
    fcMath = 5,
    fcLogic = 6,
    fcOther = 7,
};

class TecFunctions;
class TecExpCalc;

class TecFunction {
public:
    TecFunction(const QString& name, int minArgs, int maxArgs, TecFunctionCategory category,
                const QString& usage, const QString& description, bool sqlOnly = false);
    virtual ~TecFunction() = default;
    TecFunction(const TecFunction&) = delete;
    TecFunction& operator=(const TecFunction&) = delete;

    // Computes one call; Params are the arguments in call order.
    virtual void Calc(const TecSymbol& call, const TParaAr& params, bool checkOnly,
                      TecSymbol& result) const = 0;
    // The types argument `index` may have.
    virtual TecTypeMask ParamTypes(const TParaAr& params, int index) const = 0;
    // Checks call.ArgCount while the formula is converted to postfix.
    virtual void CheckArgCount(const TecSymbol& call) const;
    // Pops the arguments, checks their types and pushes the result.
    void Execute(const TecSymbol& call, TecStack& stack, bool checkOnly) const;

    TecFunctions* Owner = nullptr;
    QString Name; // Latin letters upper case
    QString Help; // usage line, CR LF, description
    int MinArgs;
    int MaxArgs;
    TecFunctionCategory Category;
    bool SqlOnly;

protected:
    // Sets the result's kind and type; false when nothing more is to be done
    // (check-only run). A SqlOnly function throws here in a full evaluation.
    bool beginResult(const TecSymbol& call, TecSymbol& result, TecDataType type, bool checkOnly) const;
    [[noreturn]] void typeError(const TecSymbol& call) const;
    void requireType(const TecSymbol& call, const TecSymbol& arg, TecDataType type) const;
};

class TecFunctions {
public:
    explicit TecFunctions(TecExpCalc* calc) : m_calc(calc) {}

    template <class F>
    F& Register()
    {
        auto f = std::make_unique<F>();
        F& ref = *f;
        add(std::move(f));
        return ref;
    }
    int Count() const { return static_cast<int>(m_items.size()); }
    const TecFunction& Items(int index) const { return *m_items.at(static_cast<size_t>(index)); }
    // First function in registry order with exactly this (upper-cased) name.
    const TecFunction* Find(const QString& name) const { return m_byName.value(name, nullptr); }
    TecExpCalc* Calc() const { return m_calc; }

private:
    void add(std::unique_ptr<TecFunction> f);

    TecExpCalc* m_calc;
    std::vector<std::unique_ptr<TecFunction>> m_items;
    QHash<QString, const TecFunction*> m_byName;
};

class TecExpCalc {
public:
    // Parse time: the host sets exists to false for an unknown name, else the type it will yield.
    using CheckVariable = std::function<void(const QString& varName, bool& exists, TecDataType& dataType)>;
    // Evaluation time: the value of a variable occurrence. ownerFunction is the text of the
    // call in whose argument list it stands (statistical calls answer with an aggregate).
    using GetVariableValue = std::function<void(const QString& varName, const QString& ownerFunction,
                                                QVariant& value, TecDataType dataType)>;

    TecExpCalc();
    TecExpCalc(const TecExpCalc&) = delete;
    TecExpCalc& operator=(const TecExpCalc&) = delete;

    void Parse(const QString& expression);
    void Evaluate(const QString& expression, bool checkOnly, TecCalcResult& result);
    void Calc(const QString& expression, TecCalcResult& result) { Evaluate(expression, false, result); }
    TecDataType CheckSyntax(const QString& expression);
    // Runs the formula of the last Parse (or Evaluate) again without parsing it again (a host
    // that evaluates one formula many times). Variables are fetched anew.
    void EvaluateParsed(bool checkOnly, TecCalcResult& result);

    // Every token of the last parse, in text order.
    const std::vector<TecSymbol>& InfixTokens() const { return m_infixTokens; }
    const TecFunctions& Functions() const { return m_functions; }
    const QString& Expression() const { return m_expression; }

    // Fetches the host's value of a variable operand (Known becomes true).
    void fetchValue(TecSymbol& sym) const;

    CheckVariable OnCheckVariable;
    GetVariableValue OnGetVariableValue;

private:
    bool scanToken(TecSymbol& cur);
    void askHost(TecSymbol& cur);
    int convertLevel(const TecSymbol* owner, int depth);
    void applyOperator(const TecSymbol& op, TecStack& stack, bool checkOnly) const;
    void run(const std::vector<TecSymbol>& postfix, bool checkOnly, TecCalcResult& result) const;
    bool atEnd() const { return m_head >= m_infix.size(); }
    TecSymbol& front() { return m_infix[m_head]; }

    QString m_expression;
    std::vector<int> m_bytePos; // GBK byte offset of each UTF-16 index (plus one past the end)
    qsizetype m_position = 0;   // scan index into m_expression
    std::vector<TecSymbol> m_infix;
    size_t m_head = 0;
    std::vector<TecSymbol> m_infixTokens;
    std::vector<TecSymbol> m_postfix;
    bool m_parsed = false; // m_postfix holds a whole formula
    TecFunctions m_functions;
};

// The process-wide calculator without callbacks, for listing the functions.
TecExpCalc& GlobalExpCalc();

// Date-time text in the fixed formats of formulas: "yyyy-mm-dd" with an optional
// " hh:nn[:ss[.zzz]]"; nullopt when it is not one.
std::optional<double> parseDateTimeText(QStringView text);
// A number as formulas show it: the general text of the double to 15 significant digits.
QString numberText15(double x);
// A date-time as set members and membership tests show it: "yyyy-mm-dd", then
// " hh:nn:ss" unless the time is midnight.
QString dateTimeText(double serial);

} // namespace zq
