#include "DateSerial.h"

#include "Error.h"
#include "Rounding.h"

#include <QRegularExpression>

#include <cmath>

namespace zq {

bool isValidDate(int y, int m, int d)
{
    return y >= 1 && y <= 9999 && QDate::isValid(y, m, d);
}

double encodeDate(int y, int m, int d)
{
    if (!isValidDate(y, m, d))
        throw Error(QStringLiteral("无效的日期：%1-%2-%3").arg(y).arg(m).arg(d));
    return static_cast<double>(QDate(y, m, d).toJulianDay() - kSerialEpochJulianDay);
}

double encodeTime(int h, int n, int s, int ms)
{
    if (h < 0 || h > 23 || n < 0 || n > 59 || s < 0 || s > 59 || ms < 0 || ms > 999)
        throw Error(QStringLiteral("无效的时间：%1:%2:%3.%4").arg(h).arg(n).arg(s).arg(ms));
    return (((h * 60.0 + n) * 60.0 + s) * 1000.0 + ms) / 86400000.0;
}

double encodeDateTime(const DateTimeParts& p)
{
    const double d = encodeDate(p.year, p.month, p.day);
    const double t = encodeTime(p.hour, p.minute, p.second, p.msec);
    return d >= 0 ? d + t : d - t;
}

DateTimeParts decodeDateTime(double serial)
{
    if (!std::isfinite(serial) || serial < -693593.0 || serial > 2958466.0)
        throw Error(QStringLiteral("无效的日期时间值"));
    double day = std::trunc(serial);
    std::int64_t ms = roundToInt64(std::fabs(serial - day) * 86400000.0);
    if (ms >= 86400000) {
        ms -= 86400000;
        day += 1;
    }
    const QDate date = QDate::fromJulianDay(static_cast<qint64>(day) + kSerialEpochJulianDay);
    DateTimeParts p;
    p.year = date.year();
    p.month = date.month();
    p.day = date.day();
    p.hour = static_cast<int>(ms / 3600000);
    p.minute = static_cast<int>(ms / 60000 % 60);
    p.second = static_cast<int>(ms / 1000 % 60);
    p.msec = static_cast<int>(ms % 1000);
    return p;
}

QDate serialToDate(double serial)
{
    const DateTimeParts p = decodeDateTime(serial);
    return QDate(p.year, p.month, p.day);
}

double dateToSerial(const QDate& d)
{
    return static_cast<double>(d.toJulianDay() - kSerialEpochJulianDay);
}

QDateTime serialToDateTime(double serial)
{
    const DateTimeParts p = decodeDateTime(serial);
    return QDateTime(QDate(p.year, p.month, p.day), QTime(p.hour, p.minute, p.second, p.msec));
}

double dateTimeToSerial(const QDateTime& dt)
{
    const QTime t = dt.time();
    return encodeDateTime({dt.date().year(), dt.date().month(), dt.date().day(),
                           t.hour(), t.minute(), t.second(), t.msec()});
}

std::optional<DateTimeParts> parseDateTimeParts(QStringView text)
{
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(\d{1,4})[-/](\d{1,2})[-/](\d{1,2})(?:(?:\s+|T)(\d{1,2}):(\d{1,2})(?::(\d{1,2})(?:\.(\d{1,3}))?)?)?\s*$)"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    DateTimeParts p;
    p.year = m.captured(1).toInt();
    p.month = m.captured(2).toInt();
    p.day = m.captured(3).toInt();
    p.hour = p.minute = p.second = p.msec = 0;
    if (m.hasCaptured(4)) {
        p.hour = m.captured(4).toInt();
        p.minute = m.captured(5).toInt();
        p.second = m.hasCaptured(6) ? m.captured(6).toInt() : 0;
        p.msec = m.hasCaptured(7) ? m.captured(7).leftJustified(3, u'0').toInt() : 0;
    }
    if (!isValidDate(p.year, p.month, p.day) || p.hour > 23 || p.minute > 59 || p.second > 59)
        return std::nullopt;
    return p;
}

std::optional<double> parseDateTimeText(QStringView text)
{
    if (const auto p = parseDateTimeParts(text))
        return encodeDateTime(*p);
    return std::nullopt;
}

QString formatDate(double serial)
{
    const DateTimeParts p = decodeDateTime(serial);
    return QStringLiteral("%1-%2-%3")
        .arg(p.year, 4, 10, QLatin1Char('0'))
        .arg(p.month, 2, 10, QLatin1Char('0'))
        .arg(p.day, 2, 10, QLatin1Char('0'));
}

QString formatDateTimeMs(double serial)
{
    const DateTimeParts p = decodeDateTime(serial);
    return formatDate(serial)
        + QStringLiteral(" %1:%2:%3.%4")
              .arg(p.hour, 2, 10, QLatin1Char('0'))
              .arg(p.minute, 2, 10, QLatin1Char('0'))
              .arg(p.second, 2, 10, QLatin1Char('0'))
              .arg(p.msec, 3, 10, QLatin1Char('0'));
}

} // namespace zq
