#pragma once
// Date-times are doubles counting days from 1899-12-30; the fraction is the
// time of day (for days before that date the fraction still counts forward
// from midnight). Decoding is to the nearest millisecond.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

namespace zq {

struct DateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, msec = 0;
    bool operator==(const DateTimeParts&) const = default;
};

// Days 1899-12-30 (serial 0) as a Julian day number.
inline constexpr qint64 kSerialEpochJulianDay = 2415019;

bool isValidDate(int y, int m, int d);
// Throws zq::Error for a date or time outside the calendar.
double encodeDate(int y, int m, int d);
double encodeTime(int h, int n, int s, int ms);
double encodeDateTime(const DateTimeParts& p);
DateTimeParts decodeDateTime(double serial);

QDate serialToDate(double serial);
double dateToSerial(const QDate& d);
QDateTime serialToDateTime(double serial);
double dateTimeToSerial(const QDateTime& dt);

// Reads "yyyy-m-d[ h:n[:s[.zzz]]]" ("/" may stand for "-", "T" for the blank),
// independent of the locale; nullopt when it is not such a text or not a real
// date and time.
std::optional<DateTimeParts> parseDateTimeParts(QStringView text);
std::optional<double> parseDateTimeText(QStringView text);

// "yyyy-mm-dd", "yyyy-mm-dd hh:nn:ss.zzz".
QString formatDate(double serial);
QString formatDateTimeMs(double serial);

} // namespace zq
