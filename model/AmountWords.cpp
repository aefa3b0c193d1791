#include "AmountWords.h"

#include "base/Error.h"
#include "base/Gbk.h"
#include "base/NumberText.h"

namespace zq {
namespace {

constexpr char16_t kCapitalDigits[] = u"零壹贰叁肆伍陆柒捌玖";

// The words stop at the 仟亿 place; a longer integer part is refused.
constexpr int kMaxIntegerDigits = 12;

QChar capital(int digit) { return QChar(kCapitalDigits[digit]); }

[[noreturn]] void refuseTooLarge()
{
    throw Error(QStringLiteral("金额超出范围，整数部分不能超过12位"));
}

bool isDigits(QStringView s)
{
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

QStringView withoutLeadingZeros(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i] == u'0')
        ++i;
    return s.mid(i);
}

// An amount rounded to cents, sign apart.
struct Amount {
    bool negative = false;
    QString integer; // digits, no leading zeros; "0" below one
    int cents = 0;   // 0 to 99
};

// nullopt when the text is not a number; refuses 10^12 and above.
std::optional<Amount> amountOf(const QString& text)
{
    const std::optional<double> x = parseNumber(text);
    if (!x)
        return std::nullopt;
    QString fixed = formatFixed(*x, 2);
    Amount a;
    if (fixed.startsWith(u'-')) {
        a.negative = true;
        fixed.remove(0, 1);
    }
    const qsizetype dot = fixed.indexOf(u'.');
    a.integer = fixed.left(dot);
    if (a.integer.size() > kMaxIntegerDigits)
        refuseTooLarge();
    a.cents = fixed.mid(dot + 1).toInt();
    return a;
}

// One group of four digits, highest place first; "0000" gives nothing.
QString groupWords(QStringView g)
{
    static const char16_t* const units[4] = {u"仟", u"佰", u"拾", u""};
    QString r;
    bool written = false;
    for (int p = 0; p < 4; ++p) {
        const int d = g[p].unicode() - u'0';
        if (d != 0) {
            r += capital(d);
            r += QStringView(units[p]);
            written = true;
        } else if (written && p < 3 && g[p + 1] != u'0') {
            r += u'零';
        }
    }
    return r;
}

// Digits only (may be empty); leading zeros are ignored, more than twelve
// significant digits are refused.
QString integerWords(QStringView digits)
{
    const QStringView significant = withoutLeadingZeros(digits);
    if (significant.size() > kMaxIntegerDigits)
        refuseTooLarge();
    const QString s = significant.toString().rightJustified(kMaxIntegerDigits, u'0');
    const QStringView g1 = QStringView(s).mid(0, 4);
    const QStringView g2 = QStringView(s).mid(4, 4);
    const QStringView g3 = QStringView(s).mid(8, 4);
    const QStringView zero = u"0000";

    QString r;
    if (g1 != zero)
        r = groupWords(g1) + u'亿';
    if (g2 != zero) {
        if (!r.isEmpty() && g2[0] == u'0')
            r += u'零';
        r += groupWords(g2) + u'万';
    } else if (!r.isEmpty() && g3 != zero) {
        r += u'零';
    }
    if (g3 != zero) {
        if (!r.isEmpty() && g2 != zero && g3[0] == u'0')
            r += u'零';
        r += groupWords(g3);
    }
    return r;
}

const char* const kEnglishWords[20] = {
    "", "One", "Two", "Three", "Four", "Five", "Six", "Seven", "Eight", "Nine", "Ten",
    "Eleven", "Twelve", "Thirteen", "Fourteen", "Fifteen", "Sixteen", "Seventeen", "Eighteen", "Nineteen"};
const char* const kEnglishTens[10] = {
    "", "", "Twenty", "Thirty", "Forty", "Fifty", "Sixty", "Seventy", "Eighty", "Ninety"};

QString word(int n) { return QString::fromLatin1(kEnglishWords[n]); }

// Below 100: "Twenty-five".
QString tens(int t)
{
    if (t < 20)
        return word(t);
    QString r = QString::fromLatin1(kEnglishTens[t / 10]);
    if (t % 10 != 0)
        r += u'-' + asciiLower(word(t % 10));
    return r;
}

// Below 1000: "Two Hundred Thirty-four", or "... Hundred and ..." with `withAnd`.
QString hundreds(int t, bool withAnd)
{
    if (t < 100)
        return tens(t);
    QString r = word(t / 100) + QStringLiteral(" Hundred");
    if (const int rest = t % 100; rest > 0)
        r += (withAnd ? QStringLiteral(" and ") : QStringLiteral(" ")) + tens(rest);
    return r;
}

// Groups of three from the right: units, thousands, millions, billions.
QString englishDollars(const QString& digits)
{
    const qint64 v = digits.toLongLong();
    const int units = int(v % 1000);
    const int thousands = int(v / 1000 % 1000);
    const int millions = int(v / 1000000 % 1000);
    const int billions = int(v / 1000000000 % 1000);
    const qsizetype len = digits.size();

    QString r = hundreds(units, false);
    bool written = false;
    if (len > 3) {
        if (thousands > 0) {
            r = units == 0 ? hundreds(thousands, false) + QStringLiteral(" Thousand")
                           : hundreds(thousands, false) + QStringLiteral(" Thousand and ") + r;
            written = true;
        } else {
            written = units > 0;
        }
    }
    if (len > 6 && millions > 0) {
        r = written ? hundreds(millions, false) + QStringLiteral(" Million and ") + r
                    : hundreds(millions, false) + QStringLiteral(" Million");
        written = true;
    }
    if (len > 9 && billions > 0) {
        r = written ? hundreds(billions, false) + QStringLiteral(" Billion and ") + r
                    : hundreds(billions, false) + QStringLiteral(" Billion");
    }
    return r;
}

} // namespace

QString CapitalAmount(const QString& text, const QString& unit, bool zeroAfterUnit)
{
    const std::optional<Amount> a = amountOf(text);
    if (!a)
        return {};
    const QString all = a->integer + QStringLiteral("%1").arg(a->cents, 2, 10, QChar(u'0'));
    const QStringView s = withoutLeadingZeros(all);
    const qsizetype n = s.size();
    auto d = [&](qsizetype i) { return s[n - 1 - i].unicode() - u'0'; };
    constexpr char16_t placeUnits[] = u"拾佰仟";

    QString r;
    for (qsizetype i = 0; i < n; ++i) {
        const int di = d(i);
        switch (i) {
        case 0:
            if (di != 0)
                r = capital(di) + QStringLiteral("分");
            else if (n > 1)
                r = QStringLiteral("整");
            break;
        case 1:
            if (di != 0)
                r.prepend(capital(di) + QStringLiteral("角"));
            else if (d(0) != 0)
                r.prepend(u'零');
            break;
        case 2:
            if (di != 0)
                r.prepend(capital(di) + unit);
            else if (d(1) != 0 && zeroAfterUnit)
                r.prepend(unit + u'零');
            else
                r.prepend(unit);
            break;
        case 6:
            if (di != 0) {
                r.prepend(capital(di) + QStringLiteral("万"));
            } else {
                if (d(5) != 0)
                    r.prepend(u'零');
                // 万 is left out when the whole 万 group is zero under a 亿.
                const bool emptyGroup = n - 1 - i >= 4 && d(7) == 0 && d(8) == 0 && d(9) == 0;
                if (!emptyGroup)
                    r.prepend(u'万');
            }
            break;
        case 10:
            if (di != 0) {
                r.prepend(capital(di) + QStringLiteral("亿"));
            } else {
                if (d(9) != 0)
                    r.prepend(u'零');
                r.prepend(u'亿');
            }
            break;
        default: // 拾, 佰, 仟 of the yuan, 万 and 亿 groups
            if (di != 0)
                r.prepend(QString(capital(di)) + QChar(placeUnits[(i - 3) % 4]));
            else if (d(i - 1) != 0)
                r.prepend(u'零');
            break;
        }
    }
    if (a->negative && !r.isEmpty())
        r.prepend(u'负');
    return r;
}

QString CapitalInteger(const QString& digits)
{
    QStringView body = digits;
    const bool negative = body.startsWith(u'-');
    if (negative || body.startsWith(u'+'))
        body = body.mid(1);
    if (!isDigits(body))
        return {};
    const QString r = integerWords(body);
    return negative && !r.isEmpty() ? u'负' + r : r;
}

QString DollarsInCapitals(const QString& text, int form)
{
    const std::optional<Amount> a = amountOf(text);
    if (!a)
        return {};
    const QString dollars = integerWords(a->integer);
    const QString cents = integerWords(QString::number(a->cents));
    if (dollars.isEmpty() && cents.isEmpty())
        return {};
    const bool form2 = form == 2;
    QString r = a->negative ? QStringLiteral("负") : QString();
    if (!dollars.isEmpty()) {
        r += dollars + (form2 ? u'圆' : u'元');
        if (cents.isEmpty())
            return r + u'整';
        if (a->cents < 10)
            r += u'零';
    }
    return r + cents + (form2 ? QStringLiteral("美分") : QStringLiteral("分"));
}

QString CapitalDigits(const QString& text, bool hideZero)
{
    QStringView t = QStringView(text).trimmed();
    const bool negative = t.startsWith(u'-');
    if (negative || t.startsWith(u'+'))
        t = t.mid(1);
    const qsizetype dot = t.indexOf(u'.');
    const QStringView integer = dot < 0 ? t : t.left(dot);
    const QStringView fraction = dot < 0 ? QStringView() : t.mid(dot + 1);
    if (!isDigits(integer) || !isDigits(fraction))
        return {};
    if (dot < 0 && !integer.isEmpty() && withoutLeadingZeros(integer).isEmpty() && !hideZero)
        return QStringLiteral("零");

    QString r = integerWords(integer);
    if (!fraction.isEmpty()) {
        if (r.isEmpty())
            r = QStringLiteral("零");
        r += u'点';
        for (QChar c : fraction)
            r += capital(c.unicode() - u'0');
    }
    if (negative && !r.isEmpty())
        r.prepend(u'负');
    return r;
}

QString EnglishAmount(const QString& text, int form)
{
    const std::optional<double> x = parseNumber(text);
    if (!x || *x < 0.01 || *x > 999999999999.99)
        throw Error(QStringLiteral("Out of range, must between 0.01-999999999999.99"));
    const Amount a = *amountOf(text);
    const QString d = englishDollars(a.integer);
    const QString c = hundreds(a.cents, true);

    if (d.isEmpty() && c.isEmpty())
        return QStringLiteral("Zero");
    switch (form) {
    case 2:
        if (c.isEmpty())
            return d + QStringLiteral(" Dollars Only");
        if (d.isEmpty())
            return c + QStringLiteral(" Cents Only");
        return d + QStringLiteral(" Dollars and ") + c + QStringLiteral(" Cents Only");
    case 3:
        if (c.isEmpty())
            return d + QStringLiteral(" Only");
        if (d.isEmpty())
            return QStringLiteral("Cents ") + c + QStringLiteral(" Only");
        return d + QStringLiteral(" and Cents ") + c + QStringLiteral(" Only");
    default:
        if (c.isEmpty())
            return QStringLiteral("Dollars ") + d + QStringLiteral(" Only");
        if (d.isEmpty())
            return QStringLiteral("Cents ") + c + QStringLiteral(" Only");
        return QStringLiteral("Dollars ") + d + QStringLiteral(" and Cents ") + c + QStringLiteral(" Only");
    }
}

std::optional<QString> WordsForAutoUpper(int autoUpper, const QString& text, bool hideZero)
{
    switch (autoUpper) {
    case 1: return CapitalAmount(text, QStringLiteral("元"), true);
    case 8: return CapitalAmount(text, QStringLiteral("圆"), true);
    case 9: return CapitalAmount(text, QStringLiteral("元"), false);
    case 10: return CapitalAmount(text, QStringLiteral("圆"), false);
    case 2: return EnglishAmount(text, 1);
    case 3: return EnglishAmount(text, 2);
    case 4: return EnglishAmount(text, 3);
    case 5: return DollarsInCapitals(text, 1);
    case 6: return DollarsInCapitals(text, 2);
    case 7: return CapitalDigits(text, hideZero);
    default: return std::nullopt;
    }
}

} // namespace zq
