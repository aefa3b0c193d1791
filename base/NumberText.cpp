#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <string>

namespace zq {
namespace {

// Shortest decimal digits of |x| and the exponent of the first digit:
// |x| = 0.d1d2d3... * 10^(exp10 + 1).
struct Decimal {
    bool negative = false;
    std::string digits; // no leading zeros; "0" for zero
    int exp10 = 0;      // power of ten of the first digit
};

Decimal toDecimal(double x)
{
    Decimal d;
    d.negative = std::signbit(x) && x != 0.0;
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific);
    std::string s(buf, res.ptr);
    const auto e = s.find('e');
    for (size_t i = 0; i < e; ++i)
        if (s[i] != '.')
            d.digits += s[i];
    d.exp10 = std::stoi(s.substr(e + 1));
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits == "0")
        d.exp10 = 0;
    return d;
}

// Rounds the decimal to keep digits down to 10^-decimals; returns digits as an
// integer string scaled by 10^decimals (may be "0").
std::string roundDigits(const Decimal& d, int decimals, HalfRule rule)
{
    // Number of digits that stay: those at powers >= -decimals.
    const long keep = static_cast<long>(d.exp10) + decimals + 1;
    if (d.digits == "0" || keep < 0)
        return "0";
    std::string kept = d.digits.substr(0, static_cast<size_t>(std::min<long>(keep, d.digits.size())));
    while (static_cast<long>(kept.size()) < keep)
        kept += '0';
    bool up = false;
    if (keep < static_cast<long>(d.digits.size())) {
        const char first = d.digits[static_cast<size_t>(keep)];
        const bool restNonZero = d.digits.find_first_not_of('0', static_cast<size_t>(keep) + 1) != std::string::npos;
        if (first > '5' || (first == '5' && restNonZero))
            up = true;
        else if (first == '5') {
            if (rule == HalfRule::AwayFromZero)
                up = true;
            else
                up = !kept.empty() && ((kept.back() - '0') % 2 == 1);
        }
    }
    if (kept.empty())
        kept = "0";
    if (up) {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[static_cast<size_t>(i)] == '9') {
            kept[static_cast<size_t>(i)] = '0';
            --i;
        }
        if (i < 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[static_cast<size_t>(i)];
    }
    const auto nz = kept.find_first_not_of('0');
    return nz == std::string::npos ? "0" : kept.substr(nz);
}

std::string plainFromScaled(const std::string& scaled, int decimals)
{
    std::string s = scaled;
    if (decimals <= 0) {
        if (s != "0")
            s.append(static_cast<size_t>(-decimals), '0');
        return s;
    }
    if (static_cast<int>(s.size()) <= decimals)
        s.insert(0, static_cast<size_t>(decimals - static_cast<int>(s.size()) + 1), '0');
    s.insert(s.size() - static_cast<size_t>(decimals), 1, '.');
    return s;
}

} // namespace

QString numberToText(double x)
{
    if (std::isnan(x))
        return QStringLiteral("NAN");
    if (std::isinf(x))
        return x > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    const Decimal d = toDecimal(x);
    std::string out = d.negative ? "-" : "";
    if (d.digits == "0")
        return QStringLiteral("0");
    if (d.exp10 < -5 || d.exp10 >= 15) {
        out += d.digits.substr(0, 1);
        if (d.digits.size() > 1)
            out += "." + d.digits.substr(1);
        out += d.exp10 < 0 ? "E-" : "E+";
        out += std::to_string(std::abs(d.exp10));
        return QString::fromLatin1(out.c_str());
    }
    if (d.exp10 < 0) {
        out += "0." + std::string(static_cast<size_t>(-d.exp10 - 1), '0') + d.digits;
    } else if (static_cast<int>(d.digits.size()) <= d.exp10 + 1) {
        out += d.digits + std::string(static_cast<size_t>(d.exp10 + 1 - static_cast<int>(d.digits.size())), '0');
    } else {
        out += d.digits.substr(0, static_cast<size_t>(d.exp10 + 1)) + "." + d.digits.substr(static_cast<size_t>(d.exp10 + 1));
    }
    return QString::fromLatin1(out.c_str());
}

double roundDecimal(double x, int decimals, HalfRule rule)
{
    if (!std::isfinite(x))
        return x;
    const Decimal d = toDecimal(x);
    const std::string scaled = roundDigits(d, decimals, rule);
    std::string text = plainFromScaled(scaled, decimals);
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return d.negative ? -v : v;
}

QString formatFixed(double x, int decimals, HalfRule rule)
{
    if (!std::isfinite(x))
        return numberToText(x);
    decimals = std::max(0, decimals);
    const Decimal d = toDecimal(x);
    const std::string scaled = roundDigits(d, decimals, rule);
    std::string text = plainFromScaled(scaled, decimals);
    if (d.negative && scaled != "0")
        text.insert(0, 1, '-');
    return QString::fromLatin1(text.c_str());
}

QString groupThousands(const QString& numberText)
{
    qsizetype start = (numberText.startsWith(u'-') || numberText.startsWith(u'+')) ? 1 : 0;
    qsizetype end = numberText.indexOf(u'.');
    if (end < 0)
        end = numberText.size();
    QString out = numberText;
    for (qsizetype i = end - 3; i > start; i -= 3)
        out.insert(i, u',');
    return out;
}

std::optional<double> parseNumber(QStringView text)
{
    QStringView t = text.trimmed();
    if (t.isEmpty() || t.size() > 400)
        return std::nullopt;
    std::string s;
    s.reserve(static_cast<size_t>(t.size()));
    for (QChar c : t) {
        if (c.unicode() > 0x7F)
            return std::nullopt;
        s += static_cast<char>(c.unicode());
    }
    size_t i = 0;
    if (s[i] == '+' || s[i] == '-')
        ++i;
    size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) { ++i; ++digits; }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) { ++i; ++digits; }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        size_t ed = 0;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) { ++i; ++ed; }
        if (ed == 0)
            return std::nullopt;
    }
    if (i != s.size())
        return std::nullopt;
    const char* b = s.data();
    if (*b == '+')
        ++b;
    double v = 0;
    auto r = std::from_chars(b, s.data() + s.size(), v);
    if (r.ec == std::errc::result_out_of_range)
        return std::nullopt;
    if (r.ec != std::errc() || r.ptr != s.data() + s.size())
        return std::nullopt;
    return v;
}

} // namespace zq
