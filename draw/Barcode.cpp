#include "Barcode.h"

#include "base/Error.h"
#include "base/Rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

namespace zq {

namespace {

const QString kClassName = QStringLiteral("TzqBarcod");
// Refusals of texts whose bars would not match what is shown.
const QString kBadParameter = QStringLiteral("条码参数错误");

[[noreturn]] void fail(const QString& message) { throw Error(message); }

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
int digit(QChar c) { return c.unicode() - u'0'; }

bool isNumericType(TzqBarcodType t)
{
    switch (t) {
    case bcCode_2_5_interleaved: case bcCode_2_5_industrial: case bcCode_2_5_matrix:
    case bcCodeMSI: case bcCodePostNet: case bcCodeEAN8: case bcCodeEAN13: case bcCodeUPC_A:
    case bcCodeUPC_E0: case bcCodeUPC_E1: case bcCodeUPC_Supp2: case bcCodeUPC_Supp5: case bcCodeEAN128C:
        return true;
    default:
        return false;
    }
}

bool hasGuardText(TzqBarcodType t)
{
    return t == bcCodeEAN8 || t == bcCodeEAN13 || t == bcCodeUPC_A || t == bcCodeUPC_E0 || t == bcCodeUPC_E1;
}

// Removes leading and trailing blanks and control characters.
QString trimmed(const QString& s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s[b].unicode() <= u' ')
        ++b;
    while (e > b && s[e - 1].unicode() <= u' ')
        --e;
    return s.mid(b, e - b);
}

QString padTo(const QString& s, qsizetype n)
{
    return s.size() >= n ? s : QString(n - s.size(), u'0') + s;
}

QString withCheckDigit(const QString& s, TzqCheckSumMethod m)
{
    return m == csmModulo10 ? s + QChar(u'0' + ean10CheckDigit(s)) : s;
}

// Width digits '1'..'4', alternately bar and space.
void appendWidths(std::string& out, std::string_view widths, bool barFirst = true)
{
    bool bar = barFirst;
    for (char d : widths) {
        out += bar ? char(d + 4) : char(d - 1);
        bar = !bar;
    }
}

// Wide/narrow elements as bits, most significant first, alternately bar and space.
void appendWideNarrow(std::string& out, unsigned bits, int count)
{
    for (int i = 0; i < count; ++i) {
        const bool wide = (bits >> (count - 1 - i)) & 1;
        out += i % 2 == 0 ? (wide ? '6' : '5') : (wide ? '1' : '0');
    }
}

// ---- 2 of 5 ----
// Five elements per digit, '1' wide.
const char* const k2of5[10] = {"00110", "10001", "01001", "11000", "00101",
                               "10100", "01100", "00011", "10010", "01010"};

std::string interleaved2of5(const QString& t)
{
    std::string m = "5050";
    for (qsizetype i = 0; i + 1 < t.size(); i += 2) {
        const char* a = k2of5[digit(t[i])];
        const char* b = k2of5[digit(t[i + 1])];
        for (int k = 0; k < 5; ++k) {
            m += a[k] == '1' ? '6' : '5';
            m += b[k] == '1' ? '1' : '0';
        }
    }
    return m + "605";
}

std::string industrial2of5(const QString& t)
{
    std::string m = "606050";
    for (QChar c : t)
        for (const char* e = k2of5[digit(c)]; *e; ++e)
            m += *e == '1' ? "60" : "50";
    return m + "605060";
}

std::string matrix2of5(const QString& t)
{
    std::string m = "705050";
    for (QChar c : t) {
        const char* e = k2of5[digit(c)];
        for (int k = 0; k < 5; ++k)
            m += k % 2 == 0 ? (e[k] == '1' ? '6' : '5') : (e[k] == '1' ? '1' : '0');
        m += '0';
    }
    return m + "70505";
}

// ---- Code 39 ----
const QString kCode39Chars = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%");
// Nine elements, bit set = wide; the last entry is the start/stop character "*".
const unsigned kCode39[44] = {
    0x034, 0x121, 0x061, 0x160, 0x031, 0x130, 0x070, 0x025, 0x124, 0x064, 0x109, 0x049, 0x148, 0x019, 0x118,
    0x058, 0x00D, 0x10C, 0x04C, 0x01C, 0x103, 0x043, 0x142, 0x013, 0x112, 0x052, 0x007, 0x106, 0x046, 0x016,
    0x181, 0x0C1, 0x1C0, 0x091, 0x190, 0x0D0, 0x085, 0x184, 0x0C4, 0x0A8, 0x0A2, 0x08A, 0x02A, 0x094};

// Characters outside the set are left out, from the bars and from the text shown.
std::string code39(const QString& data, bool checksum, QString* shown)
{
    std::string m;
    appendWideNarrow(m, kCode39[43], 9);
    m += '0';
    int sum = 0;
    QString kept;
    for (QChar c : data) {
        const qsizetype v = kCode39Chars.indexOf(c);
        if (v < 0)
            continue;
        kept += c;
        sum += int(v);
        appendWideNarrow(m, kCode39[v], 9);
        m += '0';
    }
    if (checksum) {
        appendWideNarrow(m, kCode39[sum % 43], 9);
        m += '0';
    }
    appendWideNarrow(m, kCode39[43], 9);
    if (shown)
        *shown = kept;
    return m;
}

// The full-ASCII sequence of a character below 128, written with the Code 39
// shift characters '$', '%', '/' and '+'.
QString fullAscii(char16_t c)
{
    auto pair = [](char16_t shift, char16_t letter) { return QString(QChar(shift)) + QChar(letter); };
    if (c == 0)
        return pair(u'%', u'U');
    if (c <= 26)
        return pair(u'$', char16_t(u'A' + c - 1));
    if (c <= 31)
        return pair(u'%', char16_t(u'A' + c - 27));
    if (c == u' ' || c == u'-' || c == u'.' || (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z'))
        return QString(QChar(c));
    if (c >= u'!' && c <= u'/')
        return pair(u'/', char16_t(u'A' + c - u'!'));
    if (c == u':')
        return pair(u'/', u'Z');
    if (c >= u';' && c <= u'?')
        return pair(u'%', char16_t(u'F' + c - u';'));
    if (c == u'@')
        return pair(u'%', u'V');
    if (c >= u'[' && c <= u'_')
        return pair(u'%', char16_t(u'K' + c - u'['));
    if (c == u'`')
        return pair(u'%', u'W');
    if (c >= u'a' && c <= u'z')
        return pair(u'+', char16_t(c - 32));
    return pair(u'%', char16_t(u'P' + c - u'{')); // '{' .. DEL
}

// ---- Code 93 ----
// The shift characters ($), (%), (/), (+) are written "[", "]", "{", "}".
const QString kCode93Chars = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%[]{}");
const char* const kCode93[47] = {
    "131112", "111213", "111312", "111411", "121113", "121212", "121311", "111114", "131211", "141111",
    "211113", "211212", "211311", "221112", "221211", "231111", "112113", "112212", "112311", "122112",
    "132111", "111123", "111222", "111321", "121122", "131121", "212112", "212211", "211122", "211221",
    "221121", "222111", "112122", "112221", "122121", "123111", "121131", "311112", "311211", "321111",
    "112131", "113121", "211131", "121221", "312111", "311121", "122211"};

std::string code93(const QString& data)
{
    std::vector<int> values;
    for (QChar c : data) {
        const qsizetype v = kCode93Chars.indexOf(c);
        if (v < 0)
            fail(QStringLiteral("%1:Code93 bad Data <%2>").arg(kClassName, data));
        values.push_back(int(v));
    }
    int sumC = 0, sumK = 0;
    const int n = int(values.size());
    for (int p = 1; p <= n; ++p) { // p counts from the right
        const int v = values[size_t(n - p)];
        sumC += ((p - 1) % 20 + 1) * v;
        sumK += (p % 15 + 1) * v;
    }
    const int c = sumC % 47;
    const int k = (sumK + c) % 47;
    std::string m;
    appendWidths(m, "111141");
    for (int v : values)
        appendWidths(m, kCode93[v]);
    appendWidths(m, kCode93[c]);
    appendWidths(m, kCode93[k]);
    appendWidths(m, "1111411");
    return m;
}

// ---- Code 128 ----
const char* const kCode128[106] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232"};
constexpr int kFnc1 = 102;

std::string code128(TzqBarcodType typ, const QString& data, QString* shown)
{
    int start;
    switch (typ) {
    case bcCode128A: case bcCodeEAN128A: start = 103; break;
    case bcCode128B: case bcCodeEAN128B: start = 104; break;
    case bcCode128C: case bcCodeEAN128C: start = 105; break;
    default: fail(QStringLiteral("%1: wrong BarcodeType in Code_128").arg(kClassName));
    }
    std::vector<int> values;
    if (typ == bcCodeEAN128A || typ == bcCodeEAN128B || typ == bcCodeEAN128C)
        values.push_back(kFnc1);
    QString text = data;
    if (start == 105) {
        if (text.size() % 2)
            text.prepend(u'0');
        for (qsizetype i = 0; i < text.size(); i += 2) {
            if (!isDigit(text[i]) || !isDigit(text[i + 1]))
                fail(kBadParameter);
            values.push_back(digit(text[i]) * 10 + digit(text[i + 1]));
        }
    } else {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            int v = -1;
            if (start == 103) {
                if (c >= 32 && c <= 95)
                    v = c - 32;
                else if (c < 32)
                    v = c + 64;
            } else if (c >= 32 && c <= 127) {
                v = c - 32;
            }
            if (v < 0) { // not in the code set: a space, shown as one
                v = 0;
                text[i] = u' ';
            }
            values.push_back(v);
        }
    }
    int sum = start;
    for (size_t i = 0; i < values.size(); ++i)
        sum += int(i + 1) * values[i];
    std::string m;
    appendWidths(m, kCode128[start]);
    for (int v : values)
        appendWidths(m, kCode128[v]);
    appendWidths(m, kCode128[sum % 103]);
    appendWidths(m, "2331112");
    if (shown)
        *shown = text;
    return m;
}

// ---- MSI, PostNet, Codabar ----
std::string msi(const QString& t)
{
    auto appendDigit = [](std::string& m, int d) {
        for (int bit = 3; bit >= 0; --bit)
            m += (d >> bit) & 1 ? "61" : "51";
    };
    // The digits at odd positions from the right, read as one number, are
    // doubled and the digits of the product summed: doubling never carries
    // twice, so that is the digit sum of each doubled digit.
    int s = 0;
    for (qsizetype p = 1; p <= t.size(); ++p) {
        const int d = digit(t[t.size() - p]);
        s += p % 2 ? (2 * d > 9 ? 2 * d - 9 : 2 * d) : d;
    }
    std::string m = "60";
    for (QChar c : t)
        appendDigit(m, digit(c));
    appendDigit(m, (10 - s % 10) % 10);
    return m + "515";
}

std::string postNet(const QString& t)
{
    static const char* const bars[10] = {"11000", "00011", "00101", "00110", "01001",
                                         "01010", "01100", "10001", "10010", "10100"};
    std::string m = "51";
    for (QChar c : t)
        for (const char* b = bars[digit(c)]; *b; ++b) {
            m += *b == '1' ? '5' : 'A';
            m += '1';
        }
    return m + "5";
}

const QString kCodabarChars = QStringLiteral("0123456789-$:/.+ABCD");
const unsigned kCodabar[20] = {0x003, 0x006, 0x009, 0x060, 0x012, 0x042, 0x021, 0x024, 0x030, 0x048,
                               0x00C, 0x018, 0x045, 0x051, 0x054, 0x015, 0x01A, 0x029, 0x00B, 0x00E};

std::string codabar(const QString& t)
{
    std::string m;
    appendWideNarrow(m, kCodabar[16], 7); // start "A"
    m += '0';
    for (QChar c : t) {
        const qsizetype v = kCodabarChars.indexOf(c);
        if (v < 0)
            fail(kBadParameter);
        appendWideNarrow(m, kCodabar[v], 7);
        m += '0';
    }
    appendWideNarrow(m, kCodabar[17], 7); // stop "B"
    return m;
}

// ---- EAN / UPC ----
// Set A (odd parity) as space-bar-space-bar widths; set C is the same widths as
// bar-space-bar-space, set B the mirror image of C.
const char* const kSetA[10] = {"3211", "2221", "2122", "1411", "1132", "1231", "1114", "1312", "1213", "3112"};

void appendEanDigit(std::string& m, QChar c, char set)
{
    const std::string_view a = kSetA[digit(c)];
    if (set == 'A')
        appendWidths(m, a, false);
    else if (set == 'B')
        appendWidths(m, std::string(a.rbegin(), a.rend()), false);
    else
        appendWidths(m, a, true);
}

const char* const kEan13Parity[10] = {"AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB",
                                      "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA"};
// UPC-E parity of number system 0 by check digit (B = even, A = odd).
const char* const kUpcEParity[10] = {"BBBAAA", "BBABAA", "BBAABA", "BBAAAB", "BABBAA",
                                     "BAABBA", "BAAABB", "BABABA", "BABAAB", "BAABAB"};
const char* const kSupp5Parity[10] = {"BBAAA", "BABAA", "BAABA", "BAAAB", "ABBAA",
                                      "AABBA", "AAABB", "ABABA", "ABAAB", "AABAB"};

std::string ean8(const QString& t)
{
    std::string m = "505";
    for (int i = 0; i < 4; ++i)
        appendEanDigit(m, t[i], 'A');
    m += "05050";
    for (int i = 4; i < 8; ++i)
        appendEanDigit(m, t[i], 'C');
    return m + "505";
}

std::string ean13(const QString& t)
{
    const char* parity = kEan13Parity[digit(t[0])];
    std::string m = "505";
    for (int i = 1; i < 7; ++i)
        appendEanDigit(m, t[i], parity[i - 1]);
    m += "05050";
    for (int i = 7; i < 13; ++i)
        appendEanDigit(m, t[i], 'C');
    return m + "505";
}

std::string upcA(const QString& t)
{
    std::string m = "505";
    for (int i = 0; i < 6; ++i)
        appendEanDigit(m, t[i], 'A');
    m += "05050";
    for (int i = 6; i < 12; ++i)
        appendEanDigit(m, t[i], 'C');
    return m + "505";
}

// The UPC-A number (without its check digit) that six UPC-E digits stand for.
QString upcEExpanded(QChar numberSystem, QStringView d)
{
    const QString s = d.toString();
    QString body;
    switch (digit(d[5])) {
    case 0: case 1: case 2:
        body = s.mid(0, 2) + s[5] + QStringLiteral("0000") + s.mid(2, 3);
        break;
    case 3:
        body = s.mid(0, 3) + QStringLiteral("00000") + s.mid(3, 2);
        break;
    case 4:
        body = s.mid(0, 4) + QStringLiteral("00000") + s[4];
        break;
    default:
        body = s.mid(0, 5) + QStringLiteral("0000") + s[5];
        break;
    }
    return QString(numberSystem) + body;
}

std::string upcE(const QString& t, bool inverted)
{
    const char* parity = kUpcEParity[digit(t[6])];
    std::string m = "505";
    for (int i = 0; i < 6; ++i) {
        char set = parity[i];
        if (inverted)
            set = set == 'A' ? 'B' : 'A';
        appendEanDigit(m, t[i], set);
    }
    return m + "050505";
}

std::string supplement2(const QString& t)
{
    static const char* const parity[4] = {"AA", "AB", "BA", "BB"};
    const char* p = parity[(digit(t[0]) * 10 + digit(t[1])) % 4];
    std::string m = "506";
    appendEanDigit(m, t[0], p[0]);
    m += "05";
    appendEanDigit(m, t[1], p[1]);
    return m;
}

int supplement5Check(const QString& t)
{
    int odd = 0, even = 0;
    for (qsizetype p = 1; p <= t.size(); ++p)
        (p % 2 ? odd : even) += digit(t[t.size() - p]);
    return (3 * odd + 9 * even) % 10;
}

std::string supplement5(const QString& t)
{
    const char* p = kSupp5Parity[supplement5Check(t)];
    std::string m = "506";
    for (int i = 0; i < 5; ++i) {
        if (i)
            m += "05";
        appendEanDigit(m, t[i], p[i]);
    }
    return m;
}

[[noreturn]] void badLength(const char* name)
{
    fail(QStringLiteral("Invalid Text len (%1)").arg(QLatin1String(name)));
}

} // namespace

int ean10CheckDigit(QStringView digits)
{
    int sum = 0, weight = 3;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (!isDigit(digits[i]))
            fail(QStringLiteral("Barcode must be numeric"));
        sum += digit(digits[i]) * weight;
        weight = 4 - weight;
    }
    return (10 - sum % 10) % 10;
}

int moduleStringWidth(const std::string& modules, const std::array<int, 4>& w)
{
    std::int64_t total = 0;
    for (char c : modules) {
        int k;
        if (c >= '0' && c <= '3')
            k = c - '0';
        else if (c >= '5' && c <= '8')
            k = c - '5';
        else if (c >= 'A' && c <= 'D')
            k = c - 'A';
        else
            fail(QStringLiteral("%1: internal Error").arg(kClassName));
        total += w[size_t(k)];
    }
    if (total > std::numeric_limits<int>::max())
        fail(kBadParameter);
    return int(total);
}

BarcodeModules encodeBarcode(TzqBarcodType typ, const QString& text, bool checksum, TzqCheckSumMethod method,
                             int modul, double ratio)
{
    if (typ < 0 || typ > bcCodeEAN128C)
        fail(QStringLiteral("%1: wrong BarcodeType").arg(kClassName));

    BarcodeModules r;
    if (typ == bcCode_2_5_matrix)
        ratio = std::clamp(ratio, 2.25, 3.0);
    else if (!((typ >= bcCode128A && typ <= bcCodePostNet) || typ >= bcCodeEAN128A))
        ratio = std::clamp(ratio, 2.0, 3.0);
    r.ratio = ratio;
    // Widths are whole units of at least one; a module too wide to add up in an
    // int is refused rather than wrapped.
    const std::int64_t w2 = std::isfinite(ratio) ? roundToInt64(double(modul) * ratio) : 0;
    if (modul < 1 || w2 < 1 || w2 > std::numeric_limits<int>::max() / 2)
        fail(kBadParameter);
    r.w = {modul, int(w2), int(w2 * 3 / 2), int(w2 * 2)};

    QString t = text;
    if (isNumericType(typ)) {
        t = trimmed(t);
        for (QChar c : t)
            if (!isDigit(c))
                fail(QStringLiteral("Barcode must be numeric"));
    }

    switch (typ) {
    case bcCode_2_5_interleaved:
        // Digits go in pairs; an odd count gets a leading zero, which is shown.
        if (t.size() % 2)
            t.prepend(u'0');
        r.modules = interleaved2of5(t);
        break;
    case bcCode_2_5_industrial:
        r.modules = industrial2of5(t);
        break;
    case bcCode_2_5_matrix:
        r.modules = matrix2of5(t);
        break;
    case bcCode39:
        r.modules = code39(t, checksum, &t);
        break;
    case bcCode39Extended: {
        QString expanded, kept;
        for (QChar c : t)
            if (c.unicode() < 128) {
                expanded += fullAscii(c.unicode());
                kept += c;
            }
        r.modules = code39(expanded, checksum, nullptr);
        t = kept;
        break;
    }
    case bcCode128A: case bcCode128B: case bcCode128C:
        r.modules = code128(typ, t, &t);
        break;
    case bcCodeEAN128A: case bcCodeEAN128B: case bcCodeEAN128C:
        if (checksum)
            t = withCheckDigit(t, method);
        r.modules = code128(typ, t, &t);
        break;
    case bcCode93:
        r.modules = code93(t);
        break;
    case bcCode93Extended: {
        QString expanded;
        for (QChar c : t) {
            if (c.unicode() >= 128) {
                expanded += c; // refused by the Code 93 set
                continue;
            }
            QString seq = fullAscii(c.unicode());
            if (seq.size() == 2) {
                static const QString from = QStringLiteral("$%/+"), to = QStringLiteral("[]{}");
                seq[0] = to[from.indexOf(seq[0])];
            }
            expanded += seq;
        }
        r.modules = code93(expanded);
        break;
    }
    case bcCodeMSI:
        r.modules = msi(t);
        break;
    case bcCodePostNet:
        r.modules = postNet(t);
        break;
    case bcCodeCodabar:
        r.modules = codabar(t);
        break;
    case bcCodeEAN8:
        t = checksum ? withCheckDigit(padTo(t, 7).right(7), method) : padTo(t, 8);
        if (t.size() != 8)
            badLength("EAN8");
        r.modules = ean8(t);
        break;
    case bcCodeEAN13:
        if (t.size() != 13) {
            t = padTo(t, 13);
            if (checksum)
                t = withCheckDigit(t.mid(1, 12), method);
        }
        if (t.size() != 13)
            badLength("EAN13");
        r.modules = ean13(t);
        break;
    case bcCodeUPC_A:
        if (checksum)
            // Up to eleven digits are the number itself; a twelfth is the check digit to renew.
            t = withCheckDigit(t.size() <= 11 ? padTo(t, 11) : t.left(11), method);
        else
            t = padTo(t, 12);
        if (t.size() != 12)
            badLength("UPCA");
        r.modules = upcA(t);
        break;
    case bcCodeUPC_E0: case bcCodeUPC_E1:
        // The check digit is the one of the UPC-A number the six digits stand
        // for; up to six digits are the number itself, a seventh is renewed.
        // Without a computed check digit the seventh digit is taken as it is.
        if (checksum && method == csmModulo10 && t.size() <= 7) {
            t = t.size() <= 6 ? padTo(t, 6) : t.left(6);
            const QString upca = upcEExpanded(typ == bcCodeUPC_E0 ? u'0' : u'1', t);
            t += QChar(u'0' + ean10CheckDigit(upca));
        }
        t = padTo(t, 7);
        if (t.size() != 7)
            badLength("UPCE");
        r.modules = upcE(t, typ == bcCodeUPC_E1);
        break;
    case bcCodeUPC_Supp2:
        // A two-digit supplement has no check digit to show.
        t = padTo(t, 2);
        if (t.size() != 2)
            badLength("Supp2");
        r.modules = supplement2(t);
        break;
    case bcCodeUPC_Supp5:
        t = padTo(t, 5);
        if (t.size() != 5)
            badLength("Supp5");
        r.modules = supplement5(t);
        if (checksum)
            t += QChar(u'0' + supplement5Check(t));
        break;
    }
    r.text = t;
    r.width = moduleStringWidth(r.modules, r.w);
    return r;
}

// ---- Drawing ----

BarcodeModules TzqBarcod::Encode()
{
    BarcodeModules m = encodeBarcode(Typ, Text, Checksum, CheckSumMethod, Modul, Ratio);
    Text = m.text;
    Ratio = m.ratio;
    return m;
}

namespace {

// Maps the upright barcode (W x h units: bars from the top, text band at the
// bottom) rotated by quarter turns onto the device rectangle.
struct Placement {
    int quarter; // counter-clockwise quarter turns
    double W, h;
    QRect r;
    double pw, ph; // picture size after rotation

    QPointF toPicture(double x, double y) const
    {
        switch (quarter) {
        case 0: return {x, y};
        case 1: return {y, W - x};
        case 2: return {W - x, h - y};
        default: return {h - y, x};
        }
    }
    QPoint toDevice(double x, double y) const
    {
        const QPointF p = toPicture(x, y);
        return {roundToInt(r.left() + p.x() * r.width() / pw), roundToInt(r.top() + p.y() * r.height() / ph)};
    }
    QRect rect(double x0, double y0, double x1, double y1) const
    {
        const QPoint a = toDevice(x0, y0), b = toDevice(x1, y1);
        return QRect(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(b.x() - a.x()), std::abs(b.y() - a.y()));
    }
};

struct TextGroup {
    int first, count; // 0-based character index and count
    double x;         // left of the text in modules; NaN: centred on the band
    double x1, x2;    // band, x2 inclusive
};

} // namespace

void TzqBarcod::Draw(Canvas& canvas, const QRect& r, bool withText)
{
    const BarcodeModules enc = Encode();
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const double a = std::fmod(Angle, 360.0);
    const int quarter = ((roundToInt((std::isfinite(a) ? a : 0.0) / 90.0) % 4) + 4) % 4;
    const bool vertical = quarter % 2 == 1;
    const double W = enc.width;
    const double s = (vertical ? r.height() : r.width()) / W;
    const int h = roundToInt((vertical ? r.width() : r.height()) / s);
    const bool guards = hasGuardText(Typ);
    Height = std::max(0, h - (guards ? 7 : 16));

    const Placement pl{quarter, W, double(h), r, vertical ? double(h) : W, vertical ? W : double(h)};
    CanvasSaver saver(canvas);
    canvas.fillSolid(pl.rect(0, 0, W, Height), Color);
    int x = 0;
    for (char c : enc.modules) {
        const int k = c >= 'A' ? c - 'A' : c >= '5' ? c - '5' : c - '0';
        const int wk = enc.w[size_t(k)];
        if (c >= '5') {
            // Short bars stand on the same base line as the full ones.
            const double top = c >= 'A' ? Height - Height * 2.0 / 5.0 : 0.0;
            canvas.fillSolid(pl.rect(x, top, x + wk, Height), ColorBar);
        }
        x += wk;
    }
    if (!withText)
        return;

    const QString& t = enc.text;
    std::vector<TextGroup> groups;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    switch (Typ) {
    case bcCodeEAN8:
        groups = {{0, 4, 3, 3, 30}, {4, 4, 35, 35, W - 4}};
        break;
    case bcCodeEAN13:
        if (t[0] != u'0')
            groups.push_back({0, 1, -8, -8, -2});
        groups.push_back({1, 6, 3, 3, 44});
        groups.push_back({7, 6, 49, 49, W - 4});
        break;
    case bcCodeUPC_A:
        groups = {{0, 1, -8, -8, -2}, {1, 5, 10, 10, 44}, {6, 5, 49, 49, 83}, {11, 1, W + 1, W + 1, W + 8}};
        break;
    case bcCodeUPC_E0: case bcCodeUPC_E1:
        groups = {{0, 6, 3, 3, 44}, {6, 1, W + 1, W + 1, W + 8}};
        break;
    default:
        groups = {{0, int(t.size()), nan, 0, W - 1}};
        break;
    }

    LogFont f;
    f.faceName = QStringLiteral("Arial");
    f.height = -std::max(1, roundToInt(pointsToPixels(9) * s));
    f.escapement = quarter * 900;
    canvas.setFont(f);
    canvas.setBkTransparent(true);
    canvas.setTextColor(ColorBar);
    const double band = 16;
    for (const TextGroup& g : groups) {
        canvas.fillSolid(pl.rect(g.x1, h - band, g.x2 + 1, h), Color);
        const QString part = t.mid(g.first, g.count);
        const QSize ext = canvas.textExtent(part);
        const double tw = ext.width() / s, th = ext.height() / s;
        const double tx = std::isnan(g.x) ? (W - tw) / 2 : g.x;
        const QPoint p = pl.toDevice(tx, h - band + (band - th) / 2);
        canvas.textOut(p.x(), p.y(), part);
    }
}

} // namespace zq
