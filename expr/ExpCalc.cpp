#include "ExpCalc.h"

#include "FunctionLib.h"

#include "base/DateSerial.h"
#include "base/Gbk.h"
#include "base/NumberText.h"
#include "base/Rounding.h"

#include <QDate>
#include <QDateTime>

#include <charconv>
#include <cmath>
#include <limits>

namespace zq {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Priorities indexed by TecOperator; higher binds tighter.
constexpr int kPriority[21] = {6, 6, 7, 7, 8, 6, 5, 5, 5, 5, 5, 5, 2, 1, 3, 4, 5, 5, 5, 5, 5};

// Nested parentheses and calls deeper than this are rejected instead of
// exhausting the stack of the recursive parser.
constexpr int kMaxDepth = 200;

bool isTerminator(char16_t c)
{
    switch (c) {
    case u' ': case u'"': case u'&': case u'\'': case u'(': case u')': case u'*':
    case u'+': case u',': case u'-': case u'/': case u'<': case u'=': case u'>':
        return true;
    default:
        return false;
    }
}

struct Keyword {
    const char16_t* text;
    TecOperator op;
};
constexpr Keyword kKeywords[] = {
    {u"并且", opAnd}, {u"或者", opOr}, {u"不满足", opNot}, {u"介于", opBetween}, {u"属于", opIn},
    {u"不属于", opNotIn}, {u"形如", opLike}, {u"无值", opNoValue}, {u"有值", opHasValue},
};

[[noreturn]] void raise(const TecSymbol& at, const QString& message)
{
    throw TecException(&at, QString(), -1, message);
}

[[noreturn]] void conversionError(const QVariant& v, const QString& typeName)
{
    throw Error(QStringLiteral("无法将“%1”转换为%2").arg(v.toString(), typeName));
}

bool isNumericVariant(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Int: case QMetaType::UInt:
    case QMetaType::LongLong: case QMetaType::ULongLong: case QMetaType::Long: case QMetaType::ULong:
    case QMetaType::Short: case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

QString variantToText(const QVariant& v)
{
    if (!v.isValid())
        return QString();
    if (isNumericVariant(v))
        return numberText15(v.toDouble());
    if (v.metaType().id() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (v.metaType().id() == QMetaType::QDateTime)
        return dateTimeText(dateTimeToSerial(v.toDateTime()));
    if (v.metaType().id() == QMetaType::QDate)
        return dateTimeText(dateToSerial(v.toDate()));
    return v.toString();
}

double variantToNumber(const QVariant& v)
{
    if (!v.isValid())
        return 0;
    if (isNumericVariant(v))
        return v.toDouble();
    if (v.metaType().id() == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    if (v.metaType().id() == QMetaType::QString) {
        if (const auto d = parseNumber(v.toString()))
            return *d;
    }
    conversionError(v, QStringLiteral("数值"));
}

double variantToDate(const QVariant& v)
{
    if (!v.isValid())
        return 0;
    if (isNumericVariant(v))
        return v.toDouble();
    if (v.metaType().id() == QMetaType::QDateTime)
        return dateTimeToSerial(v.toDateTime());
    if (v.metaType().id() == QMetaType::QDate)
        return dateToSerial(v.toDate());
    if (v.metaType().id() == QMetaType::QString) {
        if (const auto d = parseDateTimeText(v.toString()))
            return *d;
    }
    conversionError(v, QStringLiteral("日期时间"));
}

bool variantToBool(const QVariant& v)
{
    if (!v.isValid())
        return false;
    if (v.metaType().id() == QMetaType::Bool)
        return v.toBool();
    if (isNumericVariant(v))
        return v.toDouble() != 0;
    if (v.metaType().id() == QMetaType::QString) {
        const QString s = v.toString().trimmed();
        if (sameTextAscii(s, u"true"))
            return true;
        if (sameTextAscii(s, u"false"))
            return false;
        if (const auto d = parseNumber(s))
            return *d != 0;
    }
    conversionError(v, QStringLiteral("逻辑值"));
}

// "start..end" into two date-times.
bool parseRange(QStringView text, double& start, double& end)
{
    const qsizetype dots = text.indexOf(u"..");
    if (dots < 0)
        return false;
    const auto a = parseDateTimeText(text.first(dots));
    const auto b = parseDateTimeText(text.mid(dots + 2));
    if (!a || !b)
        return false;
    start = *a;
    end = *b;
    return true;
}

int compareValues(const TecSymbol& a, const TecSymbol& b)
{
    auto cmp = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    switch (a.DataType) {
    case dtNumber:
        return cmp(a.NumValue, b.NumValue);
    case dtDateTime:
        return cmp(a.DateValue, b.DateValue);
    case dtBoolean:
        return cmp(int(a.BoolValue), int(b.BoolValue));
    default: {
        // Unsigned GBK bytes, case-sensitive; a proper prefix is smaller.
        const QByteArray x = toGbk(a.StrValue), y = toGbk(b.StrValue);
        return x.compare(y) < 0 ? -1 : (x == y ? 0 : 1);
    }
    }
}

} // namespace

// ---------------------------------------------------------------- helpers

std::optional<double> parseDateTimeText(QStringView text)
{
    const QStringView t = text.trimmed();
    // yyyy-m-d[ h:n[:s[.zzz]]]
    int fields[7] = {0, 0, 0, 0, 0, 0, 0};
    int field = 0;
    int digits = 0;
    qsizetype i = 0;
    auto readInt = [&](int maxDigits) {
        digits = 0;
        int v = 0;
        while (i < t.size() && t[i] >= u'0' && t[i] <= u'9' && digits < maxDigits) {
            v = v * 10 + (t[i].unicode() - u'0');
            ++i;
            ++digits;
        }
        return v;
    };
    fields[0] = readInt(4);
    if (digits == 0 || i >= t.size() || t[i] != u'-')
        return std::nullopt;
    ++i;
    fields[1] = readInt(2);
    if (digits == 0 || i >= t.size() || t[i] != u'-')
        return std::nullopt;
    ++i;
    fields[2] = readInt(2);
    if (digits == 0)
        return std::nullopt;
    field = 3;
    if (i < t.size()) {
        if (t[i] != u' ')
            return std::nullopt;
        while (i < t.size() && t[i] == u' ')
            ++i;
        fields[3] = readInt(2);
        if (digits == 0 || i >= t.size() || t[i] != u':')
            return std::nullopt;
        ++i;
        fields[4] = readInt(2);
        if (digits == 0)
            return std::nullopt;
        if (i < t.size() && t[i] == u':') {
            ++i;
            fields[5] = readInt(2);
            if (digits == 0)
                return std::nullopt;
            if (i < t.size() && t[i] == u'.') {
                ++i;
                const qsizetype s = i;
                fields[6] = readInt(3);
                if (digits == 0)
                    return std::nullopt;
                for (qsizetype k = i - s; k < 3; ++k)
                    fields[6] *= 10;
            }
        }
        if (i != t.size())
            return std::nullopt;
    }
    (void)field;
    const DateTimeParts p{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6]};
    if (!isValidDate(p.year, p.month, p.day) || p.hour > 23 || p.minute > 59 || p.second > 59)
        return std::nullopt;
    return encodeDateTime(p);
}

QString numberText15(double x)
{
    if (!std::isfinite(x) || x == 0)
        return numberToText(x);
    // Round to 15 significant digits first, so 0.1 + 0.2 reads "0.3".
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 15);
    double y = x;
    std::from_chars(buf, r.ptr, y);
    return numberToText(y);
}

QString dateTimeText(double serial)
{
    const DateTimeParts p = decodeDateTime(serial);
    QString s = formatDate(serial);
    if (p.hour || p.minute || p.second || p.msec)
        s += QStringLiteral(" %1:%2:%3")
                 .arg(p.hour, 2, 10, QLatin1Char('0'))
                 .arg(p.minute, 2, 10, QLatin1Char('0'))
                 .arg(p.second, 2, 10, QLatin1Char('0'));
    return s;
}

namespace lib {

int truncArg(double x)
{
    if (std::isnan(x))
        return 0;
    const double t = std::trunc(x);
    if (t >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (t <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(t);
}

std::int64_t roundArg(double x)
{
    return roundToInt64(x);
}

double checkFinite(double x)
{
    if (std::isnan(x))
        throw Error(QStringLiteral("无效的浮点运算"));
    if (std::isinf(x))
        throw Error(QStringLiteral("浮点溢出"));
    return x;
}

QString memberText(const TecSymbol& s)
{
    switch (s.DataType) {
    case dtNumber:
        return numberText15(s.NumValue);
    case dtDateTime:
        return dateTimeText(s.DateValue);
    default:
        return s.StrValue;
    }
}

} // namespace lib

// ---------------------------------------------------------------- exception

TecException::TecException(const TecSymbol* symbol, const QString& token, int pos, const QString& message)
    : Error(symbol ? message + kCrLf + QStringLiteral("出错位置: ") + QString::number(symbol->Pos) + kCrLf
                         + QStringLiteral("出错符号: ") + symbol->Text
                   : message),
      m_pos(symbol ? symbol->Pos : pos),
      m_token(symbol ? symbol->Text : token),
      m_base(message)
{
}

// ---------------------------------------------------------------- function base

TecFunction::TecFunction(const QString& name, int minArgs, int maxArgs, TecFunctionCategory category,
                         const QString& usage, const QString& description, bool sqlOnly)
    : Name(name), Help(usage + kCrLf + description), MinArgs(minArgs), MaxArgs(maxArgs),
      Category(category), SqlOnly(sqlOnly)
{
}

void TecFunction::CheckArgCount(const TecSymbol& call) const
{
    if (MinArgs != MaxArgs) {
        if (call.ArgCount < MinArgs || call.ArgCount > MaxArgs)
            raise(call, QStringLiteral("函数 %1 调用错误, 需要 %2 ~ %3 个参数, 实际提供 %4 个参数")
                            .arg(Name, QString::number(MinArgs), QString::number(MaxArgs),
                                 QString::number(call.ArgCount)));
    } else if (call.ArgCount != MinArgs) {
        raise(call, QStringLiteral("函数 %1 调用错误, 需要 %2 个参数, 实际提供 %3 个参数")
                        .arg(Name, QString::number(MinArgs), QString::number(call.ArgCount)));
    }
}

void TecFunction::Execute(const TecSymbol& call, TecStack& stack, bool checkOnly) const
{
    // The base count check covers both message forms; subclass rules ran at parse time.
    TecFunction::CheckArgCount(call);
    const int n = call.ArgCount;
    TParaAr params(static_cast<size_t>(n));
    for (int i = n - 1; i >= 0; --i) {
        if (stack.empty())
            raise(call, QStringLiteral("缺少参数"));
        TecSymbol v = std::move(stack.back());
        stack.pop_back();
        if (v.Kind != skOperand)
            typeError(call);
        if (!checkOnly && !v.Known)
            Owner->Calc()->fetchValue(v);
        params[static_cast<size_t>(i)] = std::move(v);
    }
    for (int i = 0; i < n; ++i)
        if (!(ParamTypes(params, i) & maskOf(params[static_cast<size_t>(i)].DataType)))
            typeError(call);
    TecSymbol result;
    Calc(call, params, checkOnly, result);
    stack.push_back(std::move(result));
}

bool TecFunction::beginResult(const TecSymbol& call, TecSymbol& result, TecDataType type, bool checkOnly) const
{
    result.Kind = skOperand;
    result.Known = true;
    result.DataType = type;
    result.Pos = call.Pos;
    if (checkOnly)
        return false;
    if (SqlOnly)
        raise(call, QStringLiteral("纯SQL函数, 无法求值"));
    return true;
}

void TecFunction::typeError(const TecSymbol& call) const
{
    raise(call, QStringLiteral("函数参数类型错误"));
}

void TecFunction::requireType(const TecSymbol& call, const TecSymbol& arg, TecDataType type) const
{
    if (arg.DataType != type)
        typeError(call);
}

void TecFunctions::add(std::unique_ptr<TecFunction> f)
{
    f->Owner = this;
    if (!m_byName.contains(f->Name))
        m_byName.insert(f->Name, f.get());
    m_items.push_back(std::move(f));
}

// ---------------------------------------------------------------- calculator

TecExpCalc::TecExpCalc() : m_functions(this)
{
    lib::registerStatisticsFunctions(m_functions);
    lib::registerDateTimeFunctions(m_functions);
    lib::registerSetFunctions(m_functions);
    lib::registerStringFunctions(m_functions);
    lib::registerConversionFunctions(m_functions);
    lib::registerMathFunctions(m_functions);
    // The "other" group has nothing of its own to register.
    lib::registerLogicFunctions(m_functions);
}

void TecExpCalc::askHost(TecSymbol& cur)
{
    if (!OnCheckVariable)
        throw TecException(nullptr, cur.VarName, cur.Pos,
                           QStringLiteral("%1 处符号 %2 未定义").arg(QString::number(cur.Pos), cur.VarName));
    bool exists = true;
    TecDataType type = cur.DataType;
    OnCheckVariable(cur.VarName, exists, type);
    if (!exists)
        throw TecException(nullptr, cur.VarName, cur.Pos,
                           QStringLiteral("%1 处变量名 %2 未定义").arg(QString::number(cur.Pos), cur.VarName));
    cur.DataType = type;
}

bool TecExpCalc::scanToken(TecSymbol& cur)
{
    const QString& e = m_expression;
    const qsizetype n = e.size();
    cur = TecSymbol();
    while (m_position < n && e[m_position] == u' ')
        ++m_position;
    if (m_position >= n)
        return false;
    const qsizetype start = m_position;
    cur.Pos = m_bytePos[static_cast<size_t>(start)] + 1;
    const char16_t c = e[start].unicode();
    auto oneChar = [&](TecSymbolKind kind, TecOperator op) {
        cur.Kind = kind;
        cur.Op = op;
        cur.Text = e.mid(start, 1);
        ++m_position;
        return true;
    };
    auto twoChar = [&](TecOperator op, qsizetype len) {
        cur.Kind = skOperator;
        cur.Op = op;
        cur.Text = e.mid(start, len);
        m_position += len;
        return true;
    };
    const char16_t next = start + 1 < n ? e[start + 1].unicode() : 0;
    auto runEnd = [&] {
        qsizetype j = start;
        while (j < n && !isTerminator(e[j].unicode()))
            ++j;
        return j;
    };

    switch (c) {
    case u'+': return oneChar(skOperator, opAdd);
    case u'-': return oneChar(skOperator, opSub);
    case u'*': return oneChar(skOperator, opMul);
    case u'/': return oneChar(skOperator, opDiv);
    case u'&': return oneChar(skOperator, opConcat);
    case u'=': return oneChar(skOperator, opEq);
    case u'(': return oneChar(skLeftParen, opAdd);
    case u')': return oneChar(skRightParen, opAdd);
    case u',': return oneChar(skComma, opAdd);
    case u'<':
        if (next == u'=')
            return twoChar(opLe, 2);
        if (next == u'>')
            return twoChar(opNe, 2);
        return twoChar(opLt, 1);
    case u'>':
        if (next == u'=')
            return twoChar(opGe, 2);
        return twoChar(opGt, 1);
    case u'"': {
        const qsizetype close = e.indexOf(u'"', start + 1);
        if (close < 0) {
            const QString lit = e.mid(start);
            throw TecException(nullptr, lit, cur.Pos,
                               QStringLiteral("%1 处字符串 %2 无效, 字符串必须使用双引号")
                                   .arg(QString::number(cur.Pos), lit));
        }
        cur.Kind = skOperand;
        cur.Known = true;
        cur.DataType = dtString;
        cur.Text = e.mid(start, close - start + 1);
        cur.StrValue = e.mid(start + 1, close - start - 1);
        m_position = close + 1;
        return true;
    }
    case u'\'': {
        const qsizetype close = e.indexOf(u'\'', start + 1);
        const QString lit = close < 0 ? e.mid(start) : e.mid(start, close - start + 1);
        auto fail = [&] {
            throw TecException(nullptr, lit, cur.Pos,
                               QStringLiteral("%1 处时间 %2 格式错误, 有效的时间格式是 '2009-06-15' 或 "
                                              "'2009-06-01..2009-06-30'")
                                   .arg(QString::number(cur.Pos), lit));
        };
        if (close < 0)
            fail();
        const QStringView inner = QStringView(e).mid(start + 1, close - start - 1);
        if (inner.contains(u"..")) {
            if (!parseRange(inner, cur.DateValue, cur.DateEnd))
                fail();
            cur.DataType = dtDateRange;
        } else {
            const auto d = parseDateTimeText(inner);
            if (!d)
                fail();
            cur.DateValue = *d;
            cur.DataType = dtDateTime;
        }
        cur.Kind = skOperand;
        cur.Known = true;
        cur.Text = lit;
        m_position = close + 1;
        return true;
    }
    case u'[': {
        const qsizetype close = e.indexOf(u']', start + 1);
        if (close < 0) {
            const QString lit = e.mid(start);
            throw TecException(nullptr, lit, cur.Pos,
                               QStringLiteral("%1 处单元格地址 %2 无效, 单元格地址必须用中括号括起来")
                                   .arg(QString::number(cur.Pos), lit));
        }
        cur.Kind = skOperand;
        cur.Known = false;
        cur.Text = e.mid(start, close - start + 1);
        cur.VarName = cur.Text;
        m_position = close + 1;
        askHost(cur);
        return true;
    }
    default:
        break;
    }

    const qsizetype end = runEnd();
    const QString run = e.mid(start, end - start);
    m_position = end;
    cur.Text = run;
    if (c >= u'0' && c <= u'9') {
        const auto v = parseNumber(run);
        if (!v)
            throw TecException(nullptr, run, cur.Pos,
                               QStringLiteral("%1 处字符串 %2 不是有效数值").arg(QString::number(cur.Pos), run));
        cur.Kind = skOperand;
        cur.Known = true;
        cur.DataType = dtNumber;
        cur.NumValue = *v;
        return true;
    }
    const QString name = asciiUpper(run);
    for (const Keyword& k : kKeywords) {
        if (name == QStringView(k.text)) {
            cur.Kind = skOperator;
            cur.Op = k.op;
            return true;
        }
    }
    if (const TecFunction* f = m_functions.Find(name)) {
        cur.Kind = skFunction;
        cur.FuncName = name;
        cur.Func = f;
        return true;
    }
    cur.Kind = skOperand;
    cur.Known = false;
    cur.VarName = name;
    askHost(cur);
    return true;
}

void TecExpCalc::Parse(const QString& expression)
{
    m_parsed = false;
    m_infix.clear();
    m_head = 0;
    m_infixTokens.clear();
    m_postfix.clear();
    m_expression = expression;
    m_position = 0;

    // Positions in messages count GBK bytes.
    const qsizetype n = expression.size();
    m_bytePos.assign(static_cast<size_t>(n) + 1, 0);
    for (qsizetype i = 0; i < n; ++i) {
        const QChar ch = expression[i];
        int w = gbkWidth(ch.unicode());
        if (ch.isLowSurrogate() && i > 0 && expression[i - 1].isHighSurrogate())
            w = 0;
        m_bytePos[static_cast<size_t>(i) + 1] = m_bytePos[static_cast<size_t>(i)] + w;
    }

    TecSymbol cur;
    while (scanToken(cur))
        m_infix.push_back(cur);
    m_infixTokens = m_infix;

    convertLevel(nullptr, 0);
    // An unmatched ")" at the outermost level: text after it would otherwise be
    // silently dropped, so it is an error; a lone trailing ")" drops nothing.
    if (!atEnd() && m_head + 1 < m_infix.size())
        raise(front(), QStringLiteral("右括号不匹配"));
    m_parsed = true;
}

int TecExpCalc::convertLevel(const TecSymbol* owner, int depth)
{
    if (atEnd())
        throw TecException(nullptr, QString(), -1, QStringLiteral("中缀队列不能为空"));
    if (depth > kMaxDepth)
        raise(front(), QStringLiteral("表达式嵌套太深"));
    const QString ownerText = owner ? owner->Text : QString();
    int state = 0;
    int counter = 1;
    std::vector<TecSymbol> ops;
    auto hasNext = [&] { return m_head + 1 < m_infix.size(); };
    auto take = [&] {
        TecSymbol t = std::move(m_infix[m_head]);
        ++m_head;
        return t;
    };

    while (!atEnd()) {
        TecSymbol& t = front();
        switch (t.Kind) {
        case skOperand: {
            if (++state > 1)
                raise(t, QStringLiteral("操作数太多"));
            TecSymbol s = take();
            s.OwnerText = ownerText;
            m_postfix.push_back(std::move(s));
            break;
        }
        case skOperator: {
            bool prefix = false;
            if (t.Op == opSub && state == 0) {
                t.Op = opNeg;
                prefix = true;
            } else if (t.Op == opNot) {
                if (state == 1)
                    raise(t, QStringLiteral("运算符太多"));
                if (!hasNext())
                    raise(t, QStringLiteral("表达式没有写完整"));
                prefix = true;
            } else if (t.Op == opNoValue || t.Op == opHasValue) {
                if (state == 0)
                    raise(t, QStringLiteral("运算符太多"));
            } else {
                if (--state != 0)
                    raise(t, QStringLiteral("运算符太多"));
            }
            TecSymbol s = take();
            s.OwnerText = ownerText;
            // A prefix operator has no left operand yet, so it ends nothing on
            // the stack (popping there would steal the operand of "=" in
            // "a = 不满足 b"). Both prefix operators are right-associative.
            if (!prefix) {
                const int p = kPriority[s.Op];
                while (!ops.empty() && kPriority[ops.back().Op] >= p) {
                    m_postfix.push_back(std::move(ops.back()));
                    ops.pop_back();
                }
            }
            ops.push_back(std::move(s));
            break;
        }
        case skLeftParen: {
            if (++state > 1)
                raise(t, QStringLiteral("操作数太多"));
            const TecSymbol paren = take();
            if (atEnd())
                raise(paren, QStringLiteral("表达式没有写完整"));
            if (convertLevel(owner, depth + 1) > 1)
                raise(paren, QStringLiteral("括号里的表达式太多"));
            if (atEnd())
                raise(paren, QStringLiteral("表达式没有写完整"));
            if (front().Kind != skRightParen)
                raise(front(), QStringLiteral("表达式没有写完整"));
            take();
            break;
        }
        case skFunction: {
            if (++state > 1)
                raise(t, QStringLiteral("操作数太多"));
            if (!hasNext() || m_infix[m_head + 1].Kind != skLeftParen)
                raise(t, QStringLiteral("函数调用必须跟随左括号"));
            TecSymbol f = take();
            f.OwnerText = ownerText;
            take(); // "("
            if (atEnd())
                raise(f, QStringLiteral("函数调用异常结束"));
            f.ArgCount = front().Kind == skRightParen ? 0 : convertLevel(&f, depth + 1);
            if (f.Func)
                f.Func->CheckArgCount(f);
            if (atEnd() || front().Kind != skRightParen)
                raise(f, QStringLiteral("函数调用异常结束"));
            take();
            m_postfix.push_back(std::move(f));
            break;
        }
        case skComma: {
            if (depth == 0)
                raise(t, QStringLiteral("当前表达式不应该出现逗号"));
            if (state != 1)
                raise(t, QStringLiteral("逗号前面的表达式不完整"));
            if (!hasNext() || m_infix[m_head + 1].Kind == skRightParen)
                raise(t, QStringLiteral("逗号后面的表达式不完整"));
            take();
            while (!ops.empty()) {
                m_postfix.push_back(std::move(ops.back()));
                ops.pop_back();
            }
            ++counter;
            state = 0;
            break;
        }
        case skRightParen:
            goto done;
        }
    }
done:
    if (state != 1)
        throw TecException(nullptr, QString(), -1, QStringLiteral("表达式没有写完整"));
    while (!ops.empty()) {
        m_postfix.push_back(std::move(ops.back()));
        ops.pop_back();
    }
    return counter;
}

void TecExpCalc::fetchValue(TecSymbol& sym) const
{
    if (!OnGetVariableValue)
        throw TecException(nullptr, sym.VarName, -1, QStringLiteral("变量 %1 未定义").arg(sym.VarName));
    QVariant v;
    OnGetVariableValue(sym.VarName, sym.OwnerText, v, sym.DataType);
    switch (sym.DataType) {
    case dtNumber:
        sym.NumValue = variantToNumber(v);
        break;
    case dtDateTime:
        sym.DateValue = variantToDate(v);
        break;
    case dtString:
        sym.StrValue = variantToText(v);
        break;
    case dtSet:
        sym.SetValue = variantToText(v);
        break;
    case dtBoolean:
        sym.BoolValue = variantToBool(v);
        break;
    case dtDateRange:
        if (!parseRange(variantToText(v), sym.DateValue, sym.DateEnd))
            conversionError(v, QStringLiteral("时间段"));
        break;
    }
    sym.Known = true;
}

void TecExpCalc::applyOperator(const TecSymbol& op, TecStack& stack, bool checkOnly) const
{
    const bool unary = op.Op == opNeg || op.Op == opNot || op.Op == opNoValue || op.Op == opHasValue;
    if (stack.size() < (unary ? 1u : 2u))
        raise(op, QStringLiteral("缺少参数"));
    TecSymbol b;
    if (!unary) {
        b = std::move(stack.back());
        stack.pop_back();
    }
    TecSymbol a = std::move(stack.back());
    stack.pop_back();

    auto is = [](const TecSymbol& s, TecTypeMask m) { return (maskOf(s.DataType) & m) != 0; };
    using namespace lib;
    bool ok = false;
    TecDataType resultType = dtBoolean;
    switch (op.Op) {
    case opAdd: case opSub: case opMul: case opDiv:
        ok = is(a, mNumber) && is(b, mNumber);
        resultType = dtNumber;
        break;
    case opNeg:
        ok = is(a, mNumber);
        resultType = dtNumber;
        break;
    case opConcat:
        ok = is(a, mString) && is(b, mString);
        resultType = dtString;
        break;
    case opEq: case opNe: case opGt: case opGe: case opLt: case opLe:
        // Ranges and sets have no order; comparing them is a type error.
        ok = a.DataType == b.DataType && is(a, mNumber | mString | mBoolean | mDateTime);
        break;
    case opAnd: case opOr:
        ok = is(a, mBoolean) && is(b, mBoolean);
        break;
    case opNot:
        ok = is(a, mBoolean);
        break;
    case opBetween:
        ok = is(a, mDateTime) && is(b, mDateRange);
        break;
    case opIn: case opNotIn:
        ok = is(a, mNumber | mString | mDateTime) && is(b, mSet);
        break;
    case opLike:
        ok = is(a, mString) && is(b, mString);
        break;
    case opNoValue: case opHasValue:
        ok = true;
        break;
    }
    if (!ok)
        raise(op, QStringLiteral("数据类型矛盾"));

    TecSymbol r;
    r.Kind = skOperand;
    r.Known = true;
    r.DataType = resultType;
    r.Pos = op.Pos;
    if (!checkOnly) {
        if (!a.Known)
            fetchValue(a);
        if (!unary && !b.Known)
            fetchValue(b);
        switch (op.Op) {
        case opAdd: r.NumValue = checkFinite(a.NumValue + b.NumValue); break;
        case opSub: r.NumValue = checkFinite(a.NumValue - b.NumValue); break;
        case opMul: r.NumValue = checkFinite(a.NumValue * b.NumValue); break;
        case opDiv:
            if (b.NumValue == 0)
                raise(op, QStringLiteral("除数为零"));
            r.NumValue = checkFinite(a.NumValue / b.NumValue);
            break;
        case opNeg: r.NumValue = -a.NumValue; break;
        case opConcat: r.StrValue = a.StrValue + b.StrValue; break;
        case opEq: r.BoolValue = compareValues(a, b) == 0; break;
        case opNe: r.BoolValue = compareValues(a, b) != 0; break;
        case opGt: r.BoolValue = compareValues(a, b) > 0; break;
        case opGe: r.BoolValue = compareValues(a, b) >= 0; break;
        case opLt: r.BoolValue = compareValues(a, b) < 0; break;
        case opLe: r.BoolValue = compareValues(a, b) <= 0; break;
        // Both sides are always evaluated: no short-circuit.
        case opAnd: r.BoolValue = a.BoolValue && b.BoolValue; break;
        case opOr: r.BoolValue = a.BoolValue || b.BoolValue; break;
        case opNot: r.BoolValue = !a.BoolValue; break;
        case opBetween: r.BoolValue = a.DateValue >= b.DateValue && a.DateValue <= b.DateEnd; break;
        case opIn: case opNotIn: {
            const QString text = memberText(a);
            bool found = false;
            for (QStringView line : QStringView(b.SetValue).split(kCrLf))
                if (sameTextAscii(line, text)) {
                    found = true;
                    break;
                }
            r.BoolValue = op.Op == opIn ? found : !found;
            break;
        }
        // The right operand is the text searched; matching QString keeps characters whole.
        case opLike: r.BoolValue = b.StrValue.contains(a.StrValue); break;
        // Kept as the engine has always answered: both yield false.
        case opNoValue: case opHasValue: r.BoolValue = false; break;
        }
    }
    stack.push_back(std::move(r));
}

void TecExpCalc::Evaluate(const QString& expression, bool checkOnly, TecCalcResult& result)
{
    result = TecCalcResult();
    Parse(expression);
    run(m_postfix, checkOnly, result);
}

void TecExpCalc::EvaluateParsed(bool checkOnly, TecCalcResult& result)
{
    result = TecCalcResult();
    // After a failed parse the postfix is incomplete and must not run.
    if (!m_parsed)
        throw TecException(nullptr, QString(), -1, QStringLiteral("内部错误"));
    run(m_postfix, checkOnly, result);
}

void TecExpCalc::run(const std::vector<TecSymbol>& postfix, bool checkOnly, TecCalcResult& result) const
{
    // The postfix stays as parsed (so it can run again); operands are copied
    // onto the stack, where their values are fetched.
    TecStack stack;
    stack.reserve(postfix.size());
    for (const TecSymbol& tok : postfix) {
        switch (tok.Kind) {
        case skOperand:
            stack.push_back(tok);
            break;
        case skOperator:
            applyOperator(tok, stack, checkOnly);
            break;
        case skFunction: {
            const TecFunction* f = tok.Func ? tok.Func : m_functions.Find(tok.FuncName);
            if (!f)
                raise(tok, QStringLiteral("%1 处函数 %2 未定义").arg(QString::number(tok.Pos), tok.FuncName));
            f->Execute(tok, stack, checkOnly);
            break;
        }
        default:
            throw TecException(nullptr, QString(), -1, QStringLiteral("内部错误"));
        }
    }
    if (stack.empty() || stack.back().Kind != skOperand)
        throw TecException(nullptr, QString(), -1, QStringLiteral("内部错误"));
    TecSymbol v = std::move(stack.back());
    result.DataType = v.DataType;
    if (checkOnly)
        return;
    if (!v.Known)
        fetchValue(v);
    switch (v.DataType) {
    case dtNumber: result.NumValue = v.NumValue; break;
    case dtString: result.StrValue = v.StrValue; break;
    case dtBoolean: result.BoolValue = v.BoolValue; break;
    case dtDateTime: result.DateValue = v.DateValue; break;
    case dtDateRange:
        result.DateValue = v.DateValue;
        result.DateEnd = v.DateEnd;
        break;
    case dtSet: result.SetValue = v.SetValue; break;
    }
}

TecDataType TecExpCalc::CheckSyntax(const QString& expression)
{
    TecCalcResult scratch;
    Evaluate(expression, true, scratch);
    return scratch.DataType;
}

TecExpCalc& GlobalExpCalc()
{
    static TecExpCalc calc;
    return calc;
}

} // namespace zq
