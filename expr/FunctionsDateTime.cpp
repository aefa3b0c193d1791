// Date-time functions: today and now, parts of a date, calendar and closing
// periods with their starts and ends. A closing period ends on the closing day
// of a month at the closing hour instead of on the last calendar day.
#include "FunctionLib.h"

#include "base/Clock.h"
#include "base/DateSerial.h"

#include <QDate>

#include <algorithm>
#include <cmath>

namespace zq::lib {
namespace {

// The closing calendar: the 25th of every month at 02:00.
constexpr int kClosingDay = 25;
constexpr int kClosingHour = 2;
// With a closing day of 16 or later a closing period is named after the month
// in which it ends; only that rule is needed while the day is fixed.
static_assert(kClosingDay >= 16 && kClosingDay <= 28, "closing periods are named after their last month");
static_assert(kClosingHour >= 1 && kClosingHour <= 23, "the end of a closing period falls on the closing day");

struct Span {
    double start;
    double end;
};

// Month 0 is December of the year before, month 13 January of the next.
void normalise(int& y, int& m)
{
    while (m < 1) {
        m += 12;
        --y;
    }
    while (m > 12) {
        m -= 12;
        ++y;
    }
}

double at(int y, int m, int d, int h = 0, int n = 0, int s = 0, int ms = 0)
{
    return encodeDateTime({y, m, d, h, n, s, ms});
}

// Raises the date-encoding error for a month that gives no date.
void checkMonth(int y, int m)
{
    encodeDate(y, m, 1);
}

double monthStart(int y, int m)
{
    return at(y, m, 1);
}

double monthEnd(int y, int m)
{
    checkMonth(y, m);
    return at(y, m, QDate(y, m, 1).daysInMonth(), 23, 59, 59, 999);
}

// C(y, m): the closing moment of month m.
double closing(int y, int m)
{
    normalise(y, m);
    return at(y, m, kClosingDay, kClosingHour);
}

// C(y, m) minus one millisecond: the last moment of closing month m.
double closingEnd(int y, int m)
{
    normalise(y, m);
    return at(y, m, kClosingDay, kClosingHour - 1, 59, 59, 999);
}

Span calendarYear(int y, int)
{
    return {at(y, 1, 1), at(y, 12, 31, 23, 59, 59, 999)};
}

Span closingYear(int y, int)
{
    return {closing(y - 1, 12), closingEnd(y, 12)};
}

Span calendarQuarter(int y, int q)
{
    checkMonth(y, 3 * q - 2);
    return {monthStart(y, 3 * q - 2), monthEnd(y, 3 * q)};
}

Span closingQuarter(int y, int q)
{
    checkMonth(y, 3 * q - 2);
    return {closing(y, 3 * q - 3), closingEnd(y, 3 * q)};
}

Span calendarMonth(int y, int m)
{
    checkMonth(y, m);
    return {monthStart(y, m), monthEnd(y, m)};
}

Span closingMonth(int y, int m)
{
    checkMonth(y, m);
    return {closing(y, m - 1), closingEnd(y, m)};
}

Span lastYear(int y, int) { return calendarYear(y - 1, 0); }
Span lastClosingYear(int y, int) { return closingYear(y - 1, 0); }
Span lastQuarter(int y, int q) { return q == 1 ? calendarQuarter(y - 1, 4) : calendarQuarter(y, q - 1); }
Span lastClosingQuarter(int y, int q) { return q == 1 ? closingQuarter(y - 1, 4) : closingQuarter(y, q - 1); }

Span lastMonth(int y, int m)
{
    checkMonth(y, m);
    return m == 1 ? calendarMonth(y - 1, 12) : calendarMonth(y, m - 1);
}

// The closing month with both ends moved back one calendar month.
Span lastClosingMonth(int y, int m)
{
    checkMonth(y, m);
    return {closing(y, m - 2), closingEnd(y, m - 1)};
}

// Years, months and quarters are truncated, then kept in a range where the
// period arithmetic cannot overflow (the date encoding rejects them anyway).
int periodArg(const TecSymbol& s)
{
    return std::clamp(truncArg(s.NumValue), -1000000, 1000000);
}

enum class Take { Range, Start, End };

// Functions of a year (and a quarter or month) that yield a period or one of its ends.
class TPeriodFunction : public TecFunction {
public:
    TPeriodFunction(const char16_t* name, int args, Span (*span)(int, int), Take take, bool quarterCheck,
                    const char16_t* usage, const char16_t* description)
        : TecFunction(QString::fromUtf16(name), args, args, fcDateTime, QString::fromUtf16(usage),
                      QString::fromUtf16(description)),
          m_span(span), m_take(take), m_quarterCheck(quarterCheck)
    {
    }

    TecTypeMask ParamTypes(const TParaAr&, int) const override { return mNumber; }

    void Calc(const TecSymbol& call, const TParaAr& params, bool checkOnly, TecSymbol& result) const override
    {
        for (const TecSymbol& p : params)
            requireType(call, p, dtNumber);
        if (!beginResult(call, result, m_take == Take::Range ? dtDateRange : dtDateTime, checkOnly))
            return;
        const int y = periodArg(params[0]);
        const int k = params.size() > 1 ? periodArg(params[1]) : 0;
        if (m_quarterCheck && (k < 1 || k > 4))
            typeError(call);
        const Span s = m_span(y, k);
        switch (m_take) {
        case Take::Range:
            result.DateValue = s.start;
            result.DateEnd = s.end;
            break;
        case Take::Start:
            result.DateValue = s.start;
            break;
        case Take::End:
            result.DateValue = s.end;
            break;
        }
    }

private:
    Span (*m_span)(int, int);
    Take m_take;
    bool m_quarterCheck;
};

#define ZQ_PERIOD(Class, name, args, span, take, quarterCheck, usage, desc)                       \
    class Class : public TPeriodFunction {                                                        \
    public:                                                                                       \
        Class() : TPeriodFunction(name, args, span, Take::take, quarterCheck, usage, desc) {}     \
    };

ZQ_PERIOD(TThisYearFunction, u"此年", 1, calendarYear, Range, false, u"此年(年度)",
          u"返回指定年度的起始日期和终止日期组成的时间段。")
ZQ_PERIOD(TThisClosingYearFunction, u"此结算年", 1, closingYear, Range, false, u"此结算年(年度)",
          u"此函数返回一个时间段，起始为指定年份上年度12月份的结账日之后的第一天，区间终止日为指定年份12月份的结账日。")
ZQ_PERIOD(TLastYearFunction, u"上年", 1, lastYear, Range, false, u"上年(年度)",
          u"返回指定年度上一年的起始日期和终止日期组成的时间段。")
ZQ_PERIOD(TLastClosingYearFunction, u"上结算年", 1, lastClosingYear, Range, false, u"上结算年(年度)",
          u"此函数返回一个时间段，起始为指定年份上二年度12月份的结账日之后的第一天，区间终止日为指定年上一年份12月份的结账日。")
ZQ_PERIOD(TThisQuarterFunction, u"此季", 2, calendarQuarter, Range, true, u"此季(年度,季度)",
          u"返回指定年份、季度的起始日期和终止日期组成的时间段。")
ZQ_PERIOD(TThisClosingQuarterFunction, u"此结算季", 2, closingQuarter, Range, true, u"此结算季(年度,季度)",
          u"此函数返回一个时间区间。该区间的起点是指定年、季的上季末最后一个月的结账日后的第一天；该区间的终点是指定年、季的最后一个月的结账日。")
ZQ_PERIOD(TLastQuarterFunction, u"上季", 2, lastQuarter, Range, true, u"上季(年度,季度)",
          u"返回指定年份、季度上一季的起始日期和终止日期组成的时间段。")
ZQ_PERIOD(TLastClosingQuarterFunction, u"上结算季", 2, lastClosingQuarter, Range, true, u"上结算季(年度,季度)",
          u"返回指定年份、季度上一结算季的起始日期和终止日期组成的时间段。")
ZQ_PERIOD(TThisMonthFunction, u"此月", 2, calendarMonth, Range, false, u"此月(年度,月份)",
          u"返回指定年份、月份的时间段。")
ZQ_PERIOD(TThisClosingMonthFunction, u"此结算月", 2, closingMonth, Range, false, u"此结算月(年度,月份)",
          u"返回指定年份、结算月份的时间段。")
ZQ_PERIOD(TLastMonthFunction, u"上月", 2, lastMonth, Range, false, u"上月(年度,月份)",
          u"返回指定年份、月份上个月的时间段。")
ZQ_PERIOD(TLastClosingMonthFunction, u"上结算月", 2, lastClosingMonth, Range, false, u"上结算月(年度,月份)",
          u"返回指定年份、结算月份上个结算月的时间段。")
ZQ_PERIOD(TMonthStartFunction, u"月初", 2, calendarMonth, Start, false, u"月初(年度,月份)",
          u"返回所给年度月份的开始时间。")
ZQ_PERIOD(TClosingMonthStartFunction, u"结算月初", 2, closingMonth, Start, false, u"结算月初(年度,月份)",
          u"返回所给年度结算月份的开始时间。")
ZQ_PERIOD(TMonthEndFunction, u"月末", 2, calendarMonth, End, false, u"月末(年度,月份)",
          u"返回所给年度月份的结束时间。")
ZQ_PERIOD(TClosingMonthEndFunction, u"结算月末", 2, closingMonth, End, false, u"结算月末(年度,月份)",
          u"返回所给年度结算月份的结束时间。")
ZQ_PERIOD(TYearStartFunction, u"年初", 1, calendarYear, Start, false, u"年初(年度)", u"返回所给年度的开始时间。")
ZQ_PERIOD(TClosingYearStartFunction, u"结算年初", 1, closingYear, Start, false, u"结算年初(年度)",
          u"返回所给结算年度的开始时间。")
ZQ_PERIOD(TYearEndFunction, u"年末", 1, calendarYear, End, false, u"年末(年度)", u"返回所给年度的结束时间。")
ZQ_PERIOD(TClosingYearEndFunction, u"结算年末", 1, closingYear, End, false, u"结算年末(年度)",
          u"返回所给结算年度的结束时间。")
// The start and end functions take any quarter; one outside 1-4 fails in the date encoding.
ZQ_PERIOD(TQuarterStartFunction, u"季初", 2, calendarQuarter, Start, false, u"季初(年度,季度)",
          u"返回指定年份、季度的第一天。")
ZQ_PERIOD(TClosingQuarterStartFunction, u"结算季初", 2, closingQuarter, Start, false, u"结算季初(年度,季度)",
          u"返回指定结算年份、季度的第一天。")
ZQ_PERIOD(TQuarterEndFunction, u"季末", 2, calendarQuarter, End, false, u"季末(年度,季度)",
          u"返回指定年份、季度的最后一天。")
ZQ_PERIOD(TClosingQuarterEndFunction, u"结算季末", 2, closingQuarter, End, false, u"结算季末(年度,季度)",
          u"返回指定结算年份、季度的最后一天。")

#undef ZQ_PERIOD

class TDateFunction : public TecFunction {
public:
    TDateFunction() : TecFunction(QStringLiteral("系统日期"), 0, 0, fcDateTime, QStringLiteral("系统日期()"), QStringLiteral("返回系统日期。")) {}
    TecTypeMask ParamTypes(const TParaAr&, int) const override { return kAnyType; }
    void Calc(const TecSymbol& call, const TParaAr&, bool checkOnly, TecSymbol& result) const override
    {
        if (beginResult(call, result, dtDateTime, checkOnly))
            result.DateValue = std::floor(clock().now());
    }
};

class TTimeFunction : public TecFunction {
public:
    TTimeFunction() : TecFunction(QStringLiteral("系统时间"), 0, 0, fcDateTime, QStringLiteral("系统时间()"), QStringLiteral("返回系统时间。")) {}
    TecTypeMask ParamTypes(const TParaAr&, int) const override { return kAnyType; }
    void Calc(const TecSymbol& call, const TParaAr&, bool checkOnly, TecSymbol& result) const override
    {
        if (beginResult(call, result, dtDateTime, checkOnly))
            result.DateValue = clock().now();
    }
};

int yearOf(double d) { return decodeDateTime(d).year; }
int monthOf(double d) { return decodeDateTime(d).month; }
int dayOf(double d) { return decodeDateTime(d).day; }
int quarterOf(double d) { return (decodeDateTime(d).month + 2) / 3; }
int weekdayOf(double d) { return serialToDate(d).dayOfWeek(); } // Monday 1 ... Sunday 7

// Closing month, year and quarter of a date agree with the closing periods:
// a date past the closing moment of its month belongs to the next month, and
// to the next year or quarter only when that month ends one.
int closingMonthOf(double d)
{
    const DateTimeParts p = decodeDateTime(d);
    return d > closingEnd(p.year, p.month) ? p.month % 12 + 1 : p.month;
}

int closingYearOf(double d)
{
    const DateTimeParts p = decodeDateTime(d);
    return p.month == 12 && d > closingEnd(p.year, 12) ? p.year + 1 : p.year;
}

int closingQuarterOf(double d)
{
    const DateTimeParts p = decodeDateTime(d);
    const int q = (p.month + 2) / 3;
    return p.month == 3 * q && d > closingEnd(p.year, p.month) ? q % 4 + 1 : q;
}

// A number taken from one date-time.
class TDatePartFunction : public TecFunction {
public:
    TDatePartFunction(const char16_t* name, TecTypeMask mask, int (*part)(double), const char16_t* usage,
                      const char16_t* description)
        : TecFunction(QString::fromUtf16(name), 1, 1, fcDateTime, QString::fromUtf16(usage),
                      QString::fromUtf16(description)),
          m_mask(mask), m_part(part)
    {
    }
    TecTypeMask ParamTypes(const TParaAr&, int) const override { return m_mask; }
    void Calc(const TecSymbol& call, const TParaAr& params, bool checkOnly, TecSymbol& result) const override
    {
        // The mask of the calendar parts admits a string, but only a date-time has parts.
        requireType(call, params[0], dtDateTime);
        if (beginResult(call, result, dtNumber, checkOnly))
            result.NumValue = m_part(params[0].DateValue);
    }

private:
    TecTypeMask m_mask;
    int (*m_part)(double);
};

#define ZQ_DATEPART(Class, name, mask, part, usage, desc)                                         \
    class Class : public TDatePartFunction {                                                      \
    public:                                                                                       \
        Class() : TDatePartFunction(name, mask, part, usage, desc) {}                             \
    };

ZQ_DATEPART(TYearFunction, u"年份值", mString | mDateTime, yearOf, u"年份值(日期)", u"返回所给日期的年份。")
ZQ_DATEPART(TMonthFunction, u"月份值", mString | mDateTime, monthOf, u"月份值(日期)", u"返回所给日期的月份。")
ZQ_DATEPART(TDayFunction, u"日期值", mString | mDateTime, dayOf, u"日期值(日期)",
            u"返回所给日期的日期，即几号。")
ZQ_DATEPART(TQuarterFunction, u"季度值", mString | mDateTime, quarterOf, u"季度值(日期)",
            u"返回所给日期的季度值，即第几季度。")
ZQ_DATEPART(TWeekFunction, u"星期值", mString | mDateTime, weekdayOf, u"星期值(日期)",
            u"返回所给日期的星期，即星期几。")
ZQ_DATEPART(TClosingYearFunction, u"结算年份值", mDateTime, closingYearOf, u"结算年份值(日期)",
            u"返回所给日期的结算年份。")
ZQ_DATEPART(TClosingMonthFunction, u"结算月份值", mDateTime, closingMonthOf, u"结算月份值(日期)",
            u"返回所给日期的结算月份。")
ZQ_DATEPART(TClosingQuarterFunction, u"结算季度值", mDateTime, closingQuarterOf, u"结算季度值(日期)",
            u"返回所给日期的结算季度。")

#undef ZQ_DATEPART

class TThisDatetimeScope : public TecFunction {
public:
    TThisDatetimeScope()
        : TecFunction(QStringLiteral("此时间段"), 2, 2, fcDateTime, QStringLiteral("此时间段(日期1,日期2)"),
                      QStringLiteral("返回指定日期点组成的时间段。"))
    {
    }
    TecTypeMask ParamTypes(const TParaAr&, int) const override { return mDateTime; }
    void Calc(const TecSymbol& call, const TParaAr& params, bool checkOnly, TecSymbol& result) const override
    {
        requireType(call, params[0], dtDateTime);
        requireType(call, params[1], dtDateTime);
        if (!beginResult(call, result, dtDateRange, checkOnly))
            return;
        result.DateValue = std::min(params[0].DateValue, params[1].DateValue);
        result.DateEnd = std::max(params[0].DateValue, params[1].DateValue);
    }
};

// Functions that only a database query can compute; formulas may name them.
class TSqlDateFunction : public TecFunction {
public:
    TSqlDateFunction(const char16_t* name, TecTypeMask second, TecDataType resultType, const char16_t* usage,
                     const char16_t* description)
        : TecFunction(QString::fromUtf16(name), 3, 3, fcDateTime, QString::fromUtf16(usage),
                      QString::fromUtf16(description), true),
          m_second(second), m_resultType(resultType)
    {
    }
    TecTypeMask ParamTypes(const TParaAr&, int index) const override
    {
        return index == 0 ? mString : index == 1 ? m_second : mDateTime;
    }
    void Calc(const TecSymbol& call, const TParaAr&, bool checkOnly, TecSymbol& result) const override
    {
        beginResult(call, result, m_resultType, checkOnly);
    }

private:
    TecTypeMask m_second;
    TecDataType m_resultType;
};

class TDateAddFunction : public TSqlDateFunction {
public:
    TDateAddFunction()
        : TSqlDateFunction(u"日期加减", mNumber, dtDateTime, u"日期加减(<时间单位>,<加减数>,<基准日期>)",
                           u"此日期在基准日期的基础上，加上或减去某单位的时间，得到一个新的日期。第一个参数为时间单位，yy表示年，qq表示季，mm表示月，ww表示周，dd表示天，hh表示小时，mi表示分钟，ss表示秒。第二个参数为整数，正数表示增加，负数表示减少。")
    {
    }
};

class TDateDiffFunction : public TSqlDateFunction {
public:
    TDateDiffFunction()
        : TSqlDateFunction(u"间隔时间", mDateTime, dtNumber, u"间隔时间(<时间单位>,<起始时间>,<终止时间>)",
                           u"返回两个时间之间的间隔时间单位数。")
    {
    }
};

} // namespace

void registerDateTimeFunctions(TecFunctions& r)
{
    r.Register<TDateFunction>();
    r.Register<TTimeFunction>();
    r.Register<TYearFunction>();
    r.Register<TMonthFunction>();
    r.Register<TDayFunction>();
    r.Register<TQuarterFunction>();
    r.Register<TWeekFunction>();
    r.Register<TThisYearFunction>();
    r.Register<TThisClosingYearFunction>();
    r.Register<TLastYearFunction>();
    r.Register<TLastClosingYearFunction>();
    r.Register<TThisQuarterFunction>();
    r.Register<TThisClosingQuarterFunction>();
    r.Register<TLastQuarterFunction>();
    r.Register<TLastClosingQuarterFunction>();
    r.Register<TThisMonthFunction>();
    r.Register<TThisClosingMonthFunction>();
    r.Register<TLastMonthFunction>();
    r.Register<TLastClosingMonthFunction>();
    r.Register<TClosingYearFunction>();
    r.Register<TClosingMonthFunction>();
    r.Register<TClosingQuarterFunction>();
    r.Register<TMonthStartFunction>();
    r.Register<TClosingMonthStartFunction>();
    r.Register<TMonthEndFunction>();
    r.Register<TClosingMonthEndFunction>();
    r.Register<TYearStartFunction>();
    r.Register<TClosingYearStartFunction>();
    r.Register<TYearEndFunction>();
    r.Register<TClosingYearEndFunction>();
    r.Register<TQuarterStartFunction>();
    r.Register<TClosingQuarterStartFunction>();
    r.Register<TQuarterEndFunction>();
    r.Register<TClosingQuarterEndFunction>();
    r.Register<TDateAddFunction>();
    r.Register<TDateDiffFunction>();
    r.Register<TThisDatetimeScope>();
}

} // namespace zq::lib
