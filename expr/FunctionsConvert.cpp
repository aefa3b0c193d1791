// Conversion functions between dates, numbers and text (locale-free).
#include "FunctionLib.h"

#include "base/DateSerial.h"
#include "base/NumberText.h"
#include "base/Rounding.h"

#include <algorithm>

namespace zq::lib {
namespace {

// Date styles of the common SQL CONVERT codes. Tokens: yyyy, mm/m, dd/d,
// hh/h, nn/n, ss, zzz, ampm (12-hour clock with 上午/下午); "/" is the date
// separator of the system ("-"); anything else is literal.
const char16_t* stylePattern(int style)
{
    switch (style) {
    case 100: return u"m d yyyy h:nampm";
    case 101: return u"mm/dd/yyyy";
    case 102: return u"yyyy.mm.dd";
    case 103: return u"dd/mm/yyyy";
    case 104: return u"dd.mm.yyyy";
    case 105: return u"dd-mm-yyyy";
    case 106: return u"dd mm yyyy";
    case 107: return u"dd mm,yyyy";
    case 108: return u"hh:nn:ss";
    case 109: return u"m d yyyy hh:nn:ss:zzzampm";
    case 110: return u"mm-dd-yyyy";
    case 111: return u"yyyy/mm/dd";
    case 112: return u"yyyymmdd";
    case 113: return u"dd mm yyyy hh:nn:ss:zzz";
    case 114: return u"hh:nn:ss:zzz";
    case 121: return u"yyyy-mm-dd hh:nn:ss.zzz";
    case 126: return u"yyyy-mm-ddThh:nn:ss.zzz";
    default: return u"yyyy-mm-dd hh:nn:ss"; // 120 and every other code
    }
}

QString formatDateTime(double serial, QStringView pattern)
{
    const DateTimeParts p = decodeDateTime(serial);
    const bool twelve = pattern.contains(u"ampm");
    const int hour = twelve ? (p.hour % 12 == 0 ? 12 : p.hour % 12) : p.hour;
    auto num = [](int v, int width) { return QStringLiteral("%1").arg(v, width, 10, QLatin1Char('0')); };
    QString out;
    qsizetype i = 0;
    auto takes = [&](QStringView token) {
        if (!pattern.mid(i).startsWith(token))
            return false;
        i += token.size();
        return true;
    };
    while (i < pattern.size()) {
        if (takes(u"yyyy")) out += num(p.year, 4);
        else if (takes(u"ampm")) out += p.hour < 12 ? QStringLiteral("上午") : QStringLiteral("下午");
        else if (takes(u"mm")) out += num(p.month, 2);
        else if (takes(u"m")) out += num(p.month, 1);
        else if (takes(u"dd")) out += num(p.day, 2);
        else if (takes(u"d")) out += num(p.day, 1);
        else if (takes(u"hh")) out += num(hour, 2);
        else if (takes(u"h")) out += num(hour, 1);
        else if (takes(u"nn")) out += num(p.minute, 2);
        else if (takes(u"n")) out += num(p.minute, 1);
        else if (takes(u"ss")) out += num(p.second, 2);
        else if (takes(u"zzz")) out += num(p.msec, 3);
        else if (takes(u"/")) out += u'-';
        else out += pattern[i++];
    }
    return out;
}

class TDatetimeToStr : public TecFunction {
public:
    TDatetimeToStr()
        : TecFunction(QStringLiteral("日期转文字"), 2, 2, fcConversion, QStringLiteral("日期转文字(日期,格式)"),
                      QStringLiteral("返回日期对应的字符串。"))
    {
    }
    TecTypeMask ParamTypes(const TParaAr&, int index) const override { return index == 0 ? mDateTime : mNumber; }
    void Calc(const TecSymbol& call, const TParaAr& params, bool checkOnly, TecSymbol& result) const override
    {
        requireType(call, params[0], dtDateTime);
        requireType(call, params[1], dtNumber);
        if (beginResult(call, result, dtString, checkOnly))
            result.StrValue = formatDateTime(params[0].DateValue, stylePattern(truncArg(params[1].NumValue)));
    }
};

class TStrToDatetime : public TecFunction {
public:
    // Users type "文字转日期"; the usage line has always read "字符串转日期".
    TStrToDatetime()
        : TecFunction(QStringLiteral("文字转日期"), 1, 1, fcConversion, QStringLiteral("字符串转日期(字符串)"),
                      QStringLiteral("返回字符串对应的日期值。"))
    {
    }
    TecTypeMask ParamTypes(const TParaAr&, int) const override { return mString; }
    void Calc(const TecSymbol& call, const TParaAr& params, bool checkOnly, TecSymbol& result) const override
    {
        requireType(call, params[0], dtString);
        if (!beginResult(call, result, dtDateTime, checkOnly))
            return;
        const auto d = parseDateTimeText(params[0].StrValue);
        if (!d)
            throw Error(QStringLiteral("“%1”不是有效的日期时间").arg(params[0].StrValue));
        result.DateValue = *d;
    }
};

class TNumberToStr : public TecFunction {
public:
    TNumberToStr()
        : TecFunction(QStringLiteral("数字转文字"), 1, 1, fcConversion, QStringLiteral("数字转文字(数值)"),
                      QStringLiteral("返回数值对应的字符串。"))
    {
    }
    TecTypeMask ParamTypes(const TParaAr&, int) const override { return mNumber; }
    void Calc(const TecSymbol& call, const TParaAr& params, bool checkOnly, TecSymbol& result) const override
    {
        requireType(call, params[0], dtNumber);
        if (beginResult(call, result, dtString, checkOnly))
            result.StrValue = numberText15(params[0].NumValue);
    }
};

class TStrToNumber : public TecFunction {
public:
    TStrToNumber()
        : TecFunction(QStringLiteral("文字转数字"), 3, 3, fcConversion,
                      QStringLiteral("文字转数字(字符串,默认值,小数位)"),
                      QStringLiteral("返回字符串对应的数值，如果字符串含非法字符返回默认值。"))
    {
    }
    TecTypeMask ParamTypes(const TParaAr&, int index) const override { return index == 0 ? mString : mNumber; }
    void Calc(const TecSymbol& call, const TParaAr& params, bool checkOnly, TecSymbol& result) const override
    {
        requireType(call, params[0], dtString);
        requireType(call, params[1], dtNumber);
        requireType(call, params[2], dtNumber);
        if (!beginResult(call, result, dtNumber, checkOnly))
            return;
        const double v = parseNumber(params[0].StrValue).value_or(params[1].NumValue);
        const int n = truncArg(params[2].NumValue);
        // No decimals: halves to even; otherwise a "0.00" pattern on the decimal
        // value the user sees, halves away from zero (a negative count keeps none).
        result.NumValue = n == 0 ? roundHalfEven(v)
                                 : roundDecimal(v, std::clamp(n, 0, 400), HalfRule::AwayFromZero);
    }
};

} // namespace

void registerConversionFunctions(TecFunctions& r)
{
    r.Register<TDatetimeToStr>();
    r.Register<TStrToDatetime>();
    r.Register<TNumberToStr>();
    r.Register<TStrToNumber>();
}

} // namespace zq::lib
