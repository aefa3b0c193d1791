// String functions. Lengths and positions count GBK bytes (a Chinese
// character counts 2), but a cut never splits a character: a character is
// returned only when all of its bytes lie inside the requested byte range.
#include "FunctionLib.h"

#include "base/Gbk.h"

#include <algorithm>

namespace zq::lib {
namespace {

// The characters whose bytes lie within [start, start + count) of the text's
// GBK bytes, start 1-based; a start below 1 counts as 1.
QString sliceBytes(QStringView s, std::int64_t start, std::int64_t count)
{
    if (count <= 0)
        return QString();
    const std::int64_t len = gbkLength(s);
    if (start > len)
        return QString();
    start = std::max<std::int64_t>(start, 1);
    count = std::min<std::int64_t>(count, len);
    const std::int64_t endExcl = start + count;
    QString out;
    std::int64_t pos = 1;
    for (qsizetype i = 0; i < s.size() && pos < endExcl;) {
        const qsizetype j = nextChar(s, i);
        const int w = gbkWidth(s[i].unicode());
        if (pos >= start && pos + w <= endExcl)
            out.append(s.mid(i, j - i));
        pos += w;
        i = j;
    }
    return out;
}

QString leftValue(const TParaAr& p) { return sliceBytes(p[0].StrValue, 1, roundArg(p[1].NumValue)); }
QString midValue(const TParaAr& p)
{
    return sliceBytes(p[0].StrValue, roundArg(p[1].NumValue), roundArg(p[2].NumValue));
}
QString rightValue(const TParaAr& p)
{
    const std::int64_t n = roundArg(p[1].NumValue);
    const std::int64_t len = gbkLength(p[0].StrValue);
    if (n <= 0)
        return QString();
    return sliceBytes(p[0].StrValue, n >= len ? 1 : len - n + 1, n);
}
QString upperValue(const TParaAr& p) { return asciiUpper(p[0].StrValue); }
QString lowerValue(const TParaAr& p) { return asciiLower(p[0].StrValue); }

// Bytes 0 to 32 are the blanks trimmed (in GBK they are never part of a double-byte character).
QString trimLeftValue(const TParaAr& p)
{
    const QString& s = p[0].StrValue;
    qsizetype i = 0;
    while (i < s.size() && s[i].unicode() <= 32)
        ++i;
    return s.mid(i);
}
QString trimRightValue(const TParaAr& p)
{
    const QString& s = p[0].StrValue;
    qsizetype n = s.size();
    while (n > 0 && s[n - 1].unicode() <= 32)
        --n;
    return s.left(n);
}
QString concatValue(const TParaAr& p)
{
    QString out;
    for (const TecSymbol& s : p)
        out += s.StrValue;
    return out;
}

// Argument types: `mask` for all, except those from `numberFrom` on, which are numbers.
class TStringFunction : public TecFunction {
public:
    TStringFunction(const char16_t* name, int minArgs, int maxArgs, int numberFrom, QString (*fn)(const TParaAr&),
                    const char16_t* usage, const char16_t* description)
        : TecFunction(QString::fromUtf16(name), minArgs, maxArgs, fcString, QString::fromUtf16(usage),
                      QString::fromUtf16(description)),
          m_numberFrom(numberFrom), m_fn(fn)
    {
    }
    TecTypeMask ParamTypes(const TParaAr&, int index) const override
    {
        return index >= m_numberFrom ? mNumber : mString;
    }
    void Calc(const TecSymbol& call, const TParaAr& params, bool checkOnly, TecSymbol& result) const override
    {
        for (int i = 0; i < static_cast<int>(params.size()); ++i)
            requireType(call, params[static_cast<size_t>(i)], i >= m_numberFrom ? dtNumber : dtString);
        if (beginResult(call, result, m_fn ? dtString : dtNumber, checkOnly)) {
            if (m_fn)
                result.StrValue = m_fn(params);
            else
                result.NumValue = gbkLength(params[0].StrValue);
        }
    }

private:
    int m_numberFrom;
    QString (*m_fn)(const TParaAr&); // none: the length
};

#define ZQ_STRING(Class, name, minArgs, maxArgs, numberFrom, fn, usage, desc)                     \
    class Class : public TStringFunction {                                                        \
    public:                                                                                       \
        Class() : TStringFunction(name, minArgs, maxArgs, numberFrom, fn, usage, desc) {}         \
    };

ZQ_STRING(TLeftFunction, u"左子串", 2, 2, 1, leftValue, u"左子串(字符串,字符数)",
          u"返回字符串最左边的若干个连续字符。")
ZQ_STRING(TMidFunction, u"子串", 3, 3, 1, midValue, u"子串(字符串,开始位置,字符数)",
          u"从字符串中指定的起始位置起返回指定长度的字符。")
ZQ_STRING(TRightFunction, u"右子串", 2, 2, 1, rightValue, u"右子串(字符串,字符数)", u"提取最右边的若干个字符。")
ZQ_STRING(TUpperCaseFunction, u"转大写", 1, 1, 1, upperValue, u"转大写(字符串)", u"转换为大写形式。")
ZQ_STRING(TLowerCaseFunction, u"转小写", 1, 1, 1, lowerValue, u"转小写(字符串)", u"转换为小写形式。")
// The second argument of "长度" is accepted (a string) and ignored.
ZQ_STRING(TLengthFunction, u"长度", 1, 2, 2, nullptr, u"长度(字符串)", u"返回给定字符串的字符数。")
ZQ_STRING(TTrimLeftFunction, u"去左边空格", 1, 1, 1, trimLeftValue, u"去左边空格(字符串)",
          u"去掉给定字符串左边的空格。")
ZQ_STRING(TTrimRightFunction, u"去右边空格", 1, 1, 1, trimRightValue, u"去右边空格(字符串)",
          u"去掉给定字符串右边的空格。")
ZQ_STRING(TConcatenateFunction, u"连接字符串", 2, 30, 30, concatValue, u"连接字符串(字符串1,字符串2,...,字符串n)",
          u"将若干个字符串合并到一个字符串中。")

#undef ZQ_STRING

} // namespace

void registerStringFunctions(TecFunctions& r)
{
    r.Register<TLeftFunction>();
    r.Register<TMidFunction>();
    r.Register<TRightFunction>();
    r.Register<TUpperCaseFunction>();
    r.Register<TLowerCaseFunction>();
    r.Register<TLengthFunction>();
    r.Register<TTrimLeftFunction>();
    r.Register<TTrimRightFunction>();
    r.Register<TConcatenateFunction>();
}

} // namespace zq::lib
