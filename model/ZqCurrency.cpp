#include "ZqCurrency.h"

#include "ZqTemplate.h"
#include "base/Error.h"
#include "base/Gbk.h"
#include "base/NumberText.h"
#include "base/Rounding.h"
#include "draw/TextDraw.h"

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace zq;

namespace {

constexpr int kTinyAdj = 47875; // > : the amount box holds its twelve adjustments

const char16_t* const kPlaceNames[12] = {u"分", u"角", u"元", u"十", u"百", u"千",
                                         u"万", u"十", u"百", u"千", u"亿", u"十"};
const char16_t* const kCapitalUnits[12] = {u"分", u"角", u"元", u"拾", u"佰", u"仟",
                                           u"万", u"拾", u"佰", u"仟", u"亿", u"拾"};
constexpr char16_t kCapitalDigits[] = u"零壹贰叁肆伍陆柒捌玖";

QString placeName(int place) { return place >= 0 && place < 12 ? QString::fromUtf16(kPlaceNames[place]) : QString(); }
QString capitalUnit(int place) { return place >= 0 && place < 12 ? QString::fromUtf16(kCapitalUnits[place]) : QString(); }

// The amount with two decimals and without its point: "1234.5" -> "123450".
std::optional<QString> centsDigits(const QString& value)
{
    const std::optional<double> x = parseNumber(value);
    if (!x)
        return std::nullopt;
    return formatFixed(*x, 2).remove(u'.');
}

// The characters of a digit text from the right, the last `drop` ones left out.
QStringList fromRight(const QString& digits, int drop)
{
    QStringList out;
    for (qsizetype i = digits.size() - 1 - std::max(0, drop); i >= 0; --i)
        out.append(QString(digits[i]));
    return out;
}

int limitationPlace(const QString& l)
{
    static const char16_t* const names[] = {u"千", u"万", u"十万", u"百万", u"千万", u"亿", u"十亿"};
    for (int i = 0; i < 7; ++i)
        if (l == QString::fromUtf16(names[i]))
            return 5 + i;
    return -1;
}

bool isSymbolFace(const QString& face)
{
    return face.startsWith(QStringLiteral("Wingdings"), Qt::CaseInsensitive)
        || face.startsWith(QStringLiteral("Webdings"), Qt::CaseInsensitive)
        || face.compare(QStringLiteral("Symbol"), Qt::CaseInsensitive) == 0;
}

void drawCentred(Canvas& dc, const QRect& r, const QString& text)
{
    if (!text.isEmpty() && r.width() > 0 && r.height() > 0)
        DrawTextLine(dc, r, 2, text, 0, 1);
}

} // namespace

// ---------------------------------------------------------------- shared

int TZqBoxedAmount::BoxCount() const { return std::max(0, High - Low + 1); }

void TZqBoxedAmount::SetValue(const QString& text)
{
    if (text.isEmpty()) {
        // An empty text clears the amount, also one that stands at 0.00.
        if (!Value.isEmpty()) {
            Value.clear();
            ValueChanged(-1, -1);
        }
        return;
    }
    const double x = parseNumber(text).value_or(0.0);
    if (x == parseNumber(Value).value_or(0.0))
        return;
    const QString v = formatFixed(x, 2);
    const qsizetype need = ValueCharacters(v).size();
    if (need > BoxCount())
        throw Error(QStringLiteral("金额 %1 超出了“%2”的格子数（%3 位，只有 %4 格）")
                        .arg(text, Name()).arg(need).arg(BoxCount()));
    Value = v;
    ValueChanged(-1, -1);
}

std::vector<int> TZqBoxedAmount::ShareWidths(int total, int count)
{
    std::vector<int> w;
    if (count <= 0)
        return w;
    const int each = total / count, extra = total % count;
    w.resize(static_cast<size_t>(count), each);
    // Box k counted from the right sits at index count-1-k.
    for (int k = 0; k < extra; ++k)
        w[static_cast<size_t>(count - 1 - k)] += 1;
    return w;
}

// ---------------------------------------------------------------- amount box

void TZqCurrency::InitDefaults()
{
    TZqFieldItem::InitDefaults();
    High = 10;
    Low = 0;
    SpareByte1 = 0;
    CurrencySign = QStringLiteral("￥");
    ShowCurrencySign = 1;
    ShowCurrencyColumn = 1;
    ShowLimitation = 0;
    Limitation.clear();
    FontName = QStringLiteral("宋体");
    Bold = Italic = 0;
    FontSize = -10;
    TextColor = 0;
    Value.clear();
    SaveToPrtRec = 1;
    ReadOnly = 0;
    TabOrder = -1;
    SpareByte2 = 0;
    FullPrint = 0;
    std::fill(std::begin(TinyAdj), std::end(TinyAdj), 0);
    Transparent = 0;
    PrintSelf = 1;
    Visible = 1;
}

void TZqCurrency::SetTinyAdj(int place, int pixels)
{
    if (place >= 0 && place < 12)
        TinyAdj[place] = pixels;
}

QStringList TZqCurrency::ValueCharacters(const QString& value) const
{
    const std::optional<QString> d = centsDigits(value);
    if (!d)
        return {};
    qsizetype i = 0;
    while (i < d->size() && (*d)[i] == u'0')
        ++i;
    return fromRight(d->mid(i), Low);
}

QStringList TZqCurrency::BoxTexts() const
{
    const int n = BoxCount();
    QStringList boxes(n);
    const QStringList digits = ValueCharacters(Value);
    if (digits.size() > n)
        return boxes; // never printed cut
    for (qsizetype k = 0; k < digits.size(); ++k)
        boxes[k] = digits[k];
    auto putSign = [&](qsizetype from) {
        const QStringList sign = characters(CurrencySign);
        for (qsizetype s = sign.size() - 1, k = from; s >= 0 && k < n; --s, ++k)
            boxes[k] = sign[s];
    };
    if (!digits.isEmpty()) {
        if (ShowCurrencySign)
            putSign(digits.size());
    } else if (ShowLimitation) {
        const int p = limitationPlace(Limitation);
        if (p >= Low && p <= High)
            putSign(p - Low);
    }
    return boxes;
}

QString TZqCurrency::DisplayText() const
{
    const QStringList boxes = BoxTexts();
    QString s;
    for (qsizetype k = boxes.size() - 1; k >= 0; --k)
        s += boxes[k];
    return s;
}

void TZqCurrency::Draw(Canvas& dc, int mode, const QRect&, int dy, int dx)
{
    if (mode == dmPrint && (PrintSelf == 0 || NoPrint))
        return;
    CanvasSaver keep(dc);
    const QRect r = DrawRect(mode, dy, dx);
    const int L = r.left(), T = r.top(), R = r.left() + r.width(), B = r.top() + r.height();
    dc.setClipRect(r);
    if (Transparent == 0 && mode != dmPrint)
        dc.fillSolid(r, BgColor);
    const LogFont font = Font();
    dc.setFont(font);
    dc.setTextColor(TextColor);
    dc.setBkTransparent(true);
    dc.setPen(Pen{});
    const bool lines = mode != dmPrint || FullPrint;
    const int fh = std::abs(font.height);
    const int n = BoxCount();
    std::vector<int> widths = ShareWidths(Width, n);
    for (int k = 0; k < n; ++k)
        widths[static_cast<size_t>(n - 1 - k)] += TinyAdjOf(Low + k);
    const QStringList boxes = BoxTexts();
    int x = L;
    for (int i = 0; i < n; ++i) {
        const int k = n - 1 - i, place = Low + k;
        const int w = widths[static_cast<size_t>(i)];
        QRect digitArea(x, T, w, B - T);
        if (ShowCurrencyColumn) {
            const QRect caption(x, T + 1, w, fh + 1);
            if (lines)
                drawCentred(dc, caption, placeName(place));
            digitArea = QRect(x, T + fh + 2, w, B - (T + fh + 2));
        }
        drawCentred(dc, digitArea, boxes[k]);
        if (lines && k > 0)
            dc.drawLine({x + w, T}, {x + w, B - 1});
        x += w;
    }
    if (lines) {
        if (ShowCurrencyColumn)
            dc.drawLine({L, T + fh + 1}, {R - 1, T + fh + 1});
        dc.drawPolyline({{L, B - 1}, {L, T}, {R - 1, T}, {R - 1, B - 1}, {L, B - 1}});
    }
    if ((mode == dmDesign || mode == dmInput) && ShowLimitation) {
        // The limitation marker: a small triangle in the bottom-right corner.
        Brush b;
        b.color = kBlack;
        dc.setBrush(b);
        dc.fillPolygon({{R - 1, B - 8}, {R - 1, B - 1}, {R - 8, B - 1}});
    }
    DrawNoPrintMark(dc, mode, r);
    dc.clearClip();
    DrawSelection(dc, mode);
}

void TZqCurrency::ResetValue()
{
    SetValue(QString());
    if (ShowLimitation)
        Limitation.clear();
}

void TZqCurrency::AppendValues(QList<TZqItemValue>& out) const
{
    TZqItemValue rec = MakeValueRecord();
    if (ShowLimitation)
        rec.Extra = Limitation;
    out.append(rec);
}

void TZqCurrency::ApplyValues(const QList<TZqItemValue>& records)
{
    for (const TZqItemValue& v : records)
        if (v.Name == Name()) {
            SetValue(v.Value);
            if (!v.Extra.isEmpty()) {
                ShowLimitation = 1;
                Limitation = v.Extra;
            }
            return;
        }
}

void TZqCurrency::IoRecord(TZqFieldIO& io)
{
    io.u8(High);
    io.u8(Low);
    io.u8(SpareByte1);
    io.str(CurrencySign);
    io.u8(ShowCurrencySign);
    io.u8(ShowCurrencyColumn);
    io.u8(ShowLimitation);
    io.str(Limitation);
    io.str(FontName);
    io.u8(Bold);
    io.u8(Italic);
    io.ext80(FontSize);
    io.u32(TextColor);
    IoName(io);
    io.str(Value);
    io.u8(SaveToPrtRec);
    io.u8(ReadOnly);
    io.i32(TabOrder);
}

void TZqCurrency::IoTail(TZqFieldIO& io, int version)
{
    io.u8(SpareByte2);
    if (version > ZqVersion::kStorage) {
        IoStorage(io);
        io.u8(FullPrint);
    }
    if (version > kTinyAdj)
        for (int& a : TinyAdj)
            io.i32(a);
}

void TZqCurrency::VisitProps(TZqPropVisitor& v)
{
    VisitItemProps(v);
    VisitRectProps(v);
    v.u8("High", High);
    v.u8("Low", Low);
    v.u8("SpareByte1", SpareByte1);
    v.text("CurrencySign", CurrencySign);
    v.u8("ShowCurrencySign", ShowCurrencySign);
    v.u8("ShowCurrencyColumn", ShowCurrencyColumn);
    v.u8("ShowLimitation", ShowLimitation);
    v.text("Limitation", Limitation);
    v.text("FontName", FontName);
    v.u8("Bold", Bold);
    v.u8("Italic", Italic);
    v.real("FontSize", FontSize);
    v.color("TextColor", TextColor);
    v.text("Value", Value);
    v.u8("SaveToPrtRec", SaveToPrtRec);
    v.u8("ReadOnly", ReadOnly);
    v.i32("TabOrder", TabOrder);
    v.u8("SpareByte2", SpareByte2);
    v.u8("FullPrint", FullPrint);
    static const char* const names[12] = {"TinyAdj0", "TinyAdj1", "TinyAdj2", "TinyAdj3", "TinyAdj4", "TinyAdj5",
                                          "TinyAdj6", "TinyAdj7", "TinyAdj8", "TinyAdj9", "TinyAdj10", "TinyAdj11"};
    for (int i = 0; i < 12; ++i)
        v.i32(names[i], TinyAdj[i]);
    VisitStorageProps(v);
}

// ---------------------------------------------------------------- capital amount

const QString TZqUpperCurrency::kSeal = QStringLiteral("⊗");

void TZqUpperCurrency::InitDefaults()
{
    TZqFieldItem::InitDefaults();
    High = 8;
    Low = 0;
    FontName = QStringLiteral("宋体");
    Bold = Italic = 0;
    FontSize = -10;
    TextColor = 0;
    Value.clear();
    SaveToPrtRec = 1;
    ReadOnly = 0;
    TabOrder = -1;
    HideZero = 1;
    SealMode = 0;
    SealFontName = QStringLiteral("Wingdings 2");
    SealFontSize = 14;
    SealChar = QStringLiteral("U");
    Transparent = 0;
    TopL = LeftL = BottomL = RightL = 0;
    PrintSelf = 1;
    Visible = 1;
}

QStringList TZqUpperCurrency::ValueCharacters(const QString& value) const
{
    const std::optional<QString> d = centsDigits(value);
    if (!d)
        return {};
    return fromRight(*d, Low);
}

QStringList TZqUpperCurrency::BoxTexts() const
{
    const int n = BoxCount();
    QStringList boxes(n);
    if (Value.isEmpty() || (HideZero && parseNumber(Value).value_or(0.0) == 0))
        return boxes;
    const QStringList digits = ValueCharacters(Value);
    if (digits.size() > n)
        return boxes; // never printed cut
    for (qsizetype k = 0; k < digits.size(); ++k) {
        const QChar c = digits[k][0];
        boxes[k] = c.isDigit() ? QString(QChar(kCapitalDigits[c.unicode() - u'0'])) : QStringLiteral("负");
    }
    for (qsizetype k = digits.size(); k < n; ++k) {
        boxes[k] = kSeal;
        if (SealMode != 1)
            break;
    }
    return boxes;
}

QString TZqUpperCurrency::DisplayText() const
{
    const QStringList boxes = BoxTexts();
    QString s;
    for (qsizetype k = boxes.size() - 1; k >= 0; --k) {
        if (boxes[k].isEmpty())
            continue;
        s += boxes[k];
        if (boxes[k] != kSeal)
            s += capitalUnit(Low + static_cast<int>(k));
    }
    return s;
}

void DrawSealMark(Canvas& dc, const QRect& box, Color color, int size)
{
    const int d = std::min({size, box.width() - 2, box.height() - 2});
    if (d < 4)
        return;
    CanvasSaver keep(dc);
    const double cx = box.left() + box.width() / 2.0, cy = box.top() + box.height() / 2.0, rad = d / 2.0;
    Pen p;
    p.color = color;
    p.width = std::max(1, roundToInt(d / 11.0));
    p.cap = Pen::Cap::Round;
    dc.setPen(p);
    std::vector<QPoint> ring;
    constexpr int kSteps = 36;
    for (int i = 0; i <= kSteps; ++i) {
        const double a = 2 * std::numbers::pi * i / kSteps;
        ring.push_back(QPoint(roundToInt(cx + rad * std::cos(a)), roundToInt(cy + rad * std::sin(a))));
    }
    dc.drawPolyline(ring);
    const double s = rad * std::numbers::sqrt2 / 2;
    dc.drawLine(QPoint(roundToInt(cx - s), roundToInt(cy - s)), QPoint(roundToInt(cx + s), roundToInt(cy + s)));
    dc.drawLine(QPoint(roundToInt(cx - s), roundToInt(cy + s)), QPoint(roundToInt(cx + s), roundToInt(cy - s)));
}

void TZqUpperCurrency::Draw(Canvas& dc, int mode, const QRect&, int dy, int dx)
{
    if (mode == dmPrint && PrintSelf == 0)
        return;
    CanvasSaver keep(dc);
    const QRect r = DrawRect(mode, dy, dx);
    const int L = r.left(), T = r.top(), B = r.top() + r.height();
    dc.setClipRect(r);
    if (Transparent == 0 && mode != dmPrint)
        dc.fillSolid(r, BgColor);
    const LogFont font = Font();
    dc.setFont(font);
    dc.setTextColor(TextColor);
    dc.setBkTransparent(true);
    const int n = BoxCount();
    const int u = dc.textExtent(QStringLiteral("啊")).width();
    if (Width < n * u) {
        drawCentred(dc, r.adjusted(1, 1, -1, -1), QStringLiteral("宽度不足"));
    } else if (n > 0) {
        const std::vector<int> widths = ShareWidths(Width - n * u, n);
        const QStringList boxes = BoxTexts();
        int x = L;
        for (int i = 0; i < n; ++i) {
            const int k = n - 1 - i;
            const QRect digit(x, T, widths[static_cast<size_t>(i)], B - T);
            const QRect unit(digit.left() + digit.width(), T, u, B - T);
            if (boxes[k] == kSeal) {
                if (isSymbolFace(SealFontName) || SealChar.isEmpty()) {
                    // Symbol fonts are not at hand everywhere: the mark is drawn, not typeset.
                    DrawSealMark(dc, digit, TextColor, std::abs(pointsToPixels(SealFontSize)));
                } else {
                    CanvasSaver keepFont(dc);
                    dc.setFont(ItemFont(SealFontName, SealFontSize, Bold, false));
                    QRect at = digit;
                    if (dc.textExtent(SealChar).height() < digit.height() - 2)
                        at.translate(0, 2);
                    drawCentred(dc, at, SealChar);
                }
            } else {
                drawCentred(dc, digit, boxes[k]);
            }
            if (mode != dmPrint) {
                dc.fillSolid(unit, kButtonFace);
                drawCentred(dc, unit, capitalUnit(Low + k));
            }
            x = unit.left() + unit.width();
        }
    }
    DrawInputOutline(dc, mode, r);
    dc.clearClip();
    DrawSelection(dc, mode);
}

void TZqUpperCurrency::IoRecord(TZqFieldIO& io)
{
    io.u8(High);
    io.u8(Low);
    io.str(FontName);
    io.u8(Bold);
    io.u8(Italic);
    io.ext80(FontSize);
    io.u32(TextColor);
    IoName(io);
    io.str(Value);
    io.u8(SaveToPrtRec);
    io.u8(ReadOnly);
    io.i32(TabOrder);
}

void TZqUpperCurrency::IoTail(TZqFieldIO& io, int version)
{
    io.u8(HideZero);
    if (version > ZqVersion::kStorage) {
        IoStorage(io);
        io.u8(SealMode);
        io.str(SealFontName);
        io.ext80(SealFontSize);
        io.str(SealChar);
    }
}

void TZqUpperCurrency::VisitProps(TZqPropVisitor& v)
{
    VisitItemProps(v);
    VisitRectProps(v);
    v.u8("High", High);
    v.u8("Low", Low);
    v.text("FontName", FontName);
    v.u8("Bold", Bold);
    v.u8("Italic", Italic);
    v.real("FontSize", FontSize);
    v.color("TextColor", TextColor);
    v.text("Value", Value);
    v.u8("SaveToPrtRec", SaveToPrtRec);
    v.u8("ReadOnly", ReadOnly);
    v.i32("TabOrder", TabOrder);
    v.u8("HideZero", HideZero);
    v.u8("SealMode", SealMode);
    v.text("SealFontName", SealFontName);
    v.real("SealFontSize", SealFontSize);
    v.text("SealChar", SealChar);
    VisitStorageProps(v);
}
