// Date-time functions: calendar and closing periods (closing day 25, 02:00),
// starts and ends to the millisecond, parts of dates and today.
#include "ExprTestHost.h"

#include "base/Clock.h"

namespace zq::test {
namespace {

struct RangeCase {
    const char* formula;
    double start;
    double end;
};

TEST_F(ExprTest, CalendarPeriods)
{
    const RangeCase cases[] = {
        {"此年(2009)", dt(2009, 1, 1), dt(2009, 12, 31, 23, 59, 59, 999)},
        {"上年(2009)", dt(2008, 1, 1), dt(2008, 12, 31, 23, 59, 59, 999)},
        {"此季(2009, 1)", dt(2009, 1, 1), dt(2009, 3, 31, 23, 59, 59, 999)},
        {"此季(2009, 2)", dt(2009, 4, 1), dt(2009, 6, 30, 23, 59, 59, 999)},
        {"此季(2009, 3.9)", dt(2009, 7, 1), dt(2009, 9, 30, 23, 59, 59, 999)},
        {"此季(2009, 4)", dt(2009, 10, 1), dt(2009, 12, 31, 23, 59, 59, 999)},
        {"上季(2009, 1)", dt(2008, 10, 1), dt(2008, 12, 31, 23, 59, 59, 999)},
        {"上季(2009, 3)", dt(2009, 4, 1), dt(2009, 6, 30, 23, 59, 59, 999)},
        {"此月(2008, 2)", dt(2008, 2, 1), dt(2008, 2, 29, 23, 59, 59, 999)},
        {"上月(2009, 4)", dt(2009, 3, 1), dt(2009, 3, 31, 23, 59, 59, 999)},
        {"上月(2009, 1)", dt(2008, 12, 1), dt(2008, 12, 31, 23, 59, 59, 999)},
        {"此时间段('2009-06-30', '2009-06-01')", dt(2009, 6, 1), dt(2009, 6, 30)},
        {"此时间段('2009-06-01', '2009-06-30')", dt(2009, 6, 1), dt(2009, 6, 30)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(range(c.formula), std::make_pair(c.start, c.end)) << c.formula;
}

TEST_F(ExprTest, ClosingPeriodsEndOnThe25thAt2)
{
    const RangeCase cases[] = {
        {"此结算月(2009, 3)", dt(2009, 2, 25, 2), dt(2009, 3, 25, 1, 59, 59, 999)},
        {"此结算月(2009, 1)", dt(2008, 12, 25, 2), dt(2009, 1, 25, 1, 59, 59, 999)},
        {"此结算月(2009, 12)", dt(2009, 11, 25, 2), dt(2009, 12, 25, 1, 59, 59, 999)},
        {"上结算月(2009, 1)", dt(2008, 11, 25, 2), dt(2008, 12, 25, 1, 59, 59, 999)},
        {"上结算月(2009, 2)", dt(2008, 12, 25, 2), dt(2009, 1, 25, 1, 59, 59, 999)},
        {"上结算月(2009, 3)", dt(2009, 1, 25, 2), dt(2009, 2, 25, 1, 59, 59, 999)},
        {"此结算季(2009, 1)", dt(2008, 12, 25, 2), dt(2009, 3, 25, 1, 59, 59, 999)},
        {"此结算季(2009, 4)", dt(2009, 9, 25, 2), dt(2009, 12, 25, 1, 59, 59, 999)},
        {"上结算季(2009, 1)", dt(2008, 9, 25, 2), dt(2008, 12, 25, 1, 59, 59, 999)},
        {"上结算季(2009, 2)", dt(2008, 12, 25, 2), dt(2009, 3, 25, 1, 59, 59, 999)},
        {"此结算年(2009)", dt(2008, 12, 25, 2), dt(2009, 12, 25, 1, 59, 59, 999)},
        {"上结算年(2009)", dt(2007, 12, 25, 2), dt(2008, 12, 25, 1, 59, 59, 999)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(range(c.formula), std::make_pair(c.start, c.end)) << c.formula;
}

struct DateCase {
    const char* formula;
    double value;
};

TEST_F(ExprTest, StartsAndEndsToTheMillisecond)
{
    const DateCase cases[] = {
        {"月初(2009, 2)", dt(2009, 2, 1)},
        {"月末(2009, 2)", dt(2009, 2, 28, 23, 59, 59, 999)},
        {"结算月初(2009, 1)", dt(2008, 12, 25, 2)},
        {"结算月末(2009, 1)", dt(2009, 1, 25, 1, 59, 59, 999)},
        {"年初(2009)", dt(2009, 1, 1)},
        {"年末(2009)", dt(2009, 12, 31, 23, 59, 59, 999)},
        {"结算年初(2009)", dt(2008, 12, 25, 2)},
        {"结算年末(2009)", dt(2009, 12, 25, 1, 59, 59, 999)},
        {"季初(2009, 3)", dt(2009, 7, 1)},
        {"季末(2009, 3)", dt(2009, 9, 30, 23, 59, 59, 999)},
        {"结算季初(2009, 1)", dt(2008, 12, 25, 2)},
        {"结算季末(2009, 1)", dt(2009, 3, 25, 1, 59, 59, 999)},
        {"结算季初(2009, 3)", dt(2009, 6, 25, 2)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(date(c.formula), c.value) << c.formula;
}

TEST_F(ExprTest, ImpossibleMonthsAndQuartersFailInTheDateEncoding)
{
    for (const char* f : {"季初(2009, 5)", "结算季初(2009, 5)", "季末(2009, 0)", "结算季末(2009, 5)", "月初(2009, 13)",
                          "此月(2009, 0)", "结算月末(2009, 13)", "上结算月(2009, 0)", "此年(0)", "此结算年(1)",
                          "年初(1e300)", "月末(2009, -1e300)"}) {
        try {
            eval(f);
            ADD_FAILURE() << "no error for " << f;
        } catch (const TecException& e) {
            ADD_FAILURE() << f << ": not the date-encoding error: " << e.message().toStdString();
        } catch (const Error&) {
        }
    }
    EXPECT_EQ(failure("此季(2009, 5)").BaseMessage(), Q("函数参数类型错误"));
}

TEST_F(ExprTest, DateParts)
{
    var("D", dtDateTime, dt(2009, 6, 15, 13, 45));
    const DateCase cases[] = {
        {"年份值(d)", 2009},
        {"月份值(d)", 6},
        {"日期值(d)", 15},
        {"季度值('2009-07-15')", 3},
        {"季度值('2009-11-30')", 4},
        {"季度值('2009-01-01')", 1},
        {"星期值('2009-06-15')", 1}, // a Monday
        {"星期值('2009-06-21')", 7},
        {"星期值('1899-12-29')", 5}, // before the day count's origin
    };
    for (const auto& c : cases)
        EXPECT_EQ(num(c.formula), c.value) << c.formula;
}

struct ClosingValueCase {
    double when;
    int year, quarter, month;
};

// The closing values of a date agree with the closing periods that contain it.
TEST_F(ExprTest, ClosingValuesAgreeWithTheClosingPeriods)
{
    const ClosingValueCase cases[] = {
        {dt(2009, 12, 25, 1, 59, 59, 999), 2009, 4, 12},
        {dt(2009, 12, 25, 2), 2010, 1, 1},
        {dt(2009, 12, 25, 3), 2010, 1, 1},
        {dt(2009, 12, 25, 1), 2009, 4, 12},
        {dt(2009, 12, 31, 23, 59, 59, 999), 2010, 1, 1},
        {dt(2010, 1, 1), 2010, 1, 1},
        {dt(2010, 1, 25, 2), 2010, 1, 2},
        {dt(2010, 2, 26), 2010, 1, 3},
        {dt(2010, 3, 25, 1, 59, 59, 999), 2010, 1, 3},
        {dt(2010, 3, 25, 2), 2010, 2, 4},
        {dt(2010, 6, 24), 2010, 2, 6},
        {dt(2010, 6, 30), 2010, 3, 7},
        {dt(2010, 11, 25, 2), 2010, 4, 12},
    };
    for (const auto& c : cases) {
        vars[Q("D")] = {dtDateTime, c.when};
        const std::string at = formatDateTimeMs(c.when).toStdString();
        EXPECT_EQ(num("结算年份值(d)"), c.year) << at;
        EXPECT_EQ(num("结算季度值(d)"), c.quarter) << at;
        EXPECT_EQ(num("结算月份值(d)"), c.month) << at;
        // ... and the periods of those numbers contain the date.
        EXPECT_TRUE(truth("d 介于 此结算年(结算年份值(d))")) << at;
        EXPECT_TRUE(truth("d 介于 此结算季(结算年份值(d), 结算季度值(d))")) << at;
        EXPECT_TRUE(truth("d 介于 此结算月(结算年份值(d), 结算月份值(d))")) << at;
        EXPECT_FALSE(truth("d 介于 上结算月(结算年份值(d), 结算月份值(d))")) << at;
    }
}

TEST_F(ExprTest, TodayAndNowComeFromTheClock)
{
    FixedClock fixed(dt(2009, 6, 15, 13, 45, 30, 250));
    setClock(&fixed);
    EXPECT_EQ(date("系统日期()"), dt(2009, 6, 15));
    EXPECT_EQ(date("系统时间()"), dt(2009, 6, 15, 13, 45, 30, 250));
    EXPECT_TRUE(truth("系统时间() 介于 此结算月(2009, 6)"));
    setClock(nullptr);
}

TEST_F(ExprTest, SqlOnlyDateFunctionsCheckTheirTypes)
{
    EXPECT_EQ(calc.CheckSyntax(Q("间隔时间(\"dd\", '2009-01-01', '2009-02-01')")), dtNumber);
    EXPECT_EQ(failure("间隔时间(\"dd\", '2009-01-01', '2009-02-01')").BaseMessage(), Q("纯SQL函数, 无法求值"));
    EXPECT_EQ(failure("间隔时间(\"dd\", 1, '2009-02-01')", true).BaseMessage(), Q("函数参数类型错误"));
    EXPECT_EQ(failure("日期加减(\"dd\", '2009-01-01', '2009-02-01')", true).BaseMessage(), Q("函数参数类型错误"));
}

} // namespace
} // namespace zq::test
