#include "ZqDate.h"

#include "base/Clock.h"
#include "base/DateSerial.h"
#include "base/Error.h"
#include "draw/TextDraw.h"

#include <algorithm>
#include <cmath>

using namespace zq;

namespace {

constexpr char16_t kCapital[] = u"零壹贰叁肆伍陆柒捌玖";
constexpr char16_t kLower[] = u"○一二三四五六七八九";

// Month or day in words: 10 -> 壹拾, 12 -> 壹拾贰, 20 -> 贰拾.
QString numberWords(int n, const char16_t* digits, QChar ten)
{
    if (n < 10)
        return QString(QChar(digits[n]));
    QString s{QChar(digits[n / 10])};
    s += ten;
    if (n % 10 != 0)
        s += QChar(digits[n % 10]);
    return s;
}

QString yearWords(int y, const char16_t* digits)
{
    QString s;
    for (QChar c : QString::number(y))
        s += QChar(digits[c.unicode() - u'0']);
    return s;
}

QString two(int n) { return QStringLiteral("%1").arg(n, 2, 10, QChar(u'0')); }

[[noreturn]] void notADate(const QString& text)
{
    throw Error(QStringLiteral("'%1' 不是有效的日期格式").arg(text));
}

} // namespace

void TZqDate::InitDefaults()
{
    TZqFieldItem::InitDefaults();
    DateValue = zq::clock().now();
    SaveToPrtRec = 1;
    Type = 0;
    Format = 0;
    FontName = QStringLiteral("宋体");
    Bold = Italic = 0;
    FontSize = -10;
    TextColor = 0;
    ColWidth1 = ColWidth2 = ColWidth3 = 68;
    LabelWidth = 0;
    ReadOnly = 0;
    TabOrder = -1;
    IsEmpty = 0;
    PrintColumn = 0;
    IncludeTime = 0;
}

void TZqDate::SetValue(const QString& text)
{
    if (text.isEmpty()) {
        if (!IsEmpty) {
            IsEmpty = 1;
            DateValue = 0;
            ValueChanged(-1, -1);
        }
        return;
    }
    // Always the item's own form, whatever the machine's regional settings.
    QString t = text.trimmed();
    if (!IncludeTime) {
        const qsizetype sp = t.indexOf(u' ');
        if (sp >= 0)
            t = t.left(sp);
    }
    const std::optional<DateTimeParts> parts = parseDateTimeParts(t);
    if (!parts)
        notADate(text);
    if (parts->year < 1000 || parts->year > 9999)
        throw Error(QStringLiteral("'%1' 的年份应在1000至9999之间").arg(text));
    const DateTimeParts p = *parts;
    const double v = encodeDateTime(p);
    if (v == DateValue && !IsEmpty)
        return;
    DateValue = v;
    IsEmpty = v == 0 ? 1 : 0;
    ValueChanged(-1, -1);
}

bool TZqDate::Ymd(int& y, int& m, int& d) const
{
    if (IsEmpty || !std::isfinite(DateValue))
        return false;
    try {
        const DateTimeParts p = decodeDateTime(DateValue);
        if (p.year < 1000 || p.year > 9999)
            return false;
        y = p.year;
        m = p.month;
        d = p.day;
        return true;
    } catch (const Error&) {
        return false;
    }
}

QString TZqDate::TextForm() const
{
    int y, m, d;
    if (!Ymd(y, m, d))
        return {};
    QString s = QStringLiteral("%1-%2-%3").arg(y).arg(two(m), two(d));
    if (IncludeTime) {
        const DateTimeParts p = decodeDateTime(DateValue);
        s += QStringLiteral(" %1:%2:%3").arg(two(p.hour), two(p.minute), two(p.second));
    }
    return s;
}

char TZqDate::PartKind(int n) const
{
    static const char kinds[4][4] = {"YMD", "YM", "Y", "MD"};
    const int type = Type <= 3 ? Type : 0;
    if (n < 1 || n > 3)
        return 0;
    return kinds[type][n - 1];
}

int TZqDate::PartCount() const
{
    int n = 0;
    while (n < 3 && PartKind(n + 1))
        ++n;
    return n;
}

QString TZqDate::PartCaption(int n) const
{
    switch (PartKind(n)) {
    case 'Y': return QStringLiteral("年");
    case 'M': return QStringLiteral("月");
    case 'D': return QStringLiteral("日");
    default: return {};
    }
}

QString TZqDate::PartText(int n) const
{
    const char kind = PartKind(n);
    int y, m, d;
    if (!kind || !Ymd(y, m, d))
        return {};
    const int format = Format <= 12 ? Format : 2;
    const QChar zero(u'零'), ring(u'○');
    const QChar capTen(u'拾'), lowTen(u'十');
    auto cap = [&](int v) { return numberWords(v, kCapital, capTen); };
    auto low = [&](int v) { return numberWords(v, kLower, lowTen); };
    auto zeroIf = [&](bool cond, const QString& s) { return cond ? zero + s : s; };
    const bool d10 = d <= 10 || d == 20 || d == 30;
    const bool dTens = d == 10 || d == 20 || d == 30;
    auto lowDay4 = [&] { return d <= 9 ? ring + low(d) : dTens ? low(d) + ring : low(d); };

    if (kind == 'Y') {
        switch (format) {
        case 2: case 3: case 11: return QString::number(y);
        case 6: case 7: return QString::number(y).mid(2, 2);
        case 4: case 5: case 10: return yearWords(y, kLower);
        default: return yearWords(y, kCapital);
        }
    }
    if (kind == 'M') {
        switch (format) {
        case 0: return zeroIf(m <= 10, cap(m));
        case 1: return cap(m);
        case 2: case 6: return two(m);
        case 3: case 7: return QString::number(m);
        case 4: return m <= 9 ? ring + low(m) : m == 10 ? low(m) + ring : low(m);
        case 5: return m == 10 ? low(m) + ring : low(m);
        case 8: return zeroIf(m <= 9, cap(m));
        case 9: return zeroIf(m <= 2, cap(m));
        case 10: return m <= 2 ? ring + low(m) : m == 10 ? low(m) + ring : low(m);
        case 11: return m <= 2 ? two(m) : QString::number(m);
        default: return zeroIf(m <= 2 || m == 10, cap(m)); // 12
        }
    }
    switch (format) {
    case 0: case 12: return zeroIf(d10, cap(d));
    case 1: return cap(d);
    case 2: case 6: case 11: return two(d);
    case 3: case 7: return QString::number(d);
    case 4: case 10: return lowDay4();
    case 5: return dTens ? low(d) + ring : low(d);
    case 8: case 9: return zeroIf(d <= 9, cap(d));
    default: return two(d);
    }
}

QRect TZqDate::ColumnRect(const QRect& b, int n) const
{
    const int w[3] = {std::max(0, ColWidth1), std::max(0, ColWidth2), std::max(0, ColWidth3)};
    int left = b.left();
    for (int i = 1; i < n; ++i)
        left += w[i - 1];
    return QRect(left, b.top(), n >= 1 && n <= 3 ? w[n - 1] : 0, b.height());
}

QRect TZqDate::CaptionBox(const QRect& column) const
{
    const int w = std::clamp(LabelWidth, 0, column.width());
    return QRect(column.left() + column.width() - w, column.top(), w, column.height());
}

QRect TZqDate::PartRect(int n) const { return ColumnRect(GetBounds(), n); }
QRect TZqDate::CaptionRect(int n) const { return CaptionBox(PartRect(n)); }

bool TZqDate::PtInCaption(QPoint pt) const
{
    for (int n = 1; n <= PartCount(); ++n) {
        const QRect c = CaptionRect(n);
        if (pt.x() >= c.left() && pt.x() < c.left() + c.width() && pt.y() >= c.top() && pt.y() < c.top() + c.height())
            return true;
    }
    return false;
}

bool TZqDate::HitTest(QPoint pt, int& code) const
{
    if (PtInShape(pt) && PtInCaption(pt)) {
        code = 4;
        return true;
    }
    return TZqFieldItem::HitTest(pt, code);
}

QString TZqDate::DisplayText() const
{
    if (TextForm().isEmpty())
        return {};
    QString s;
    for (int n = 1; n <= PartCount(); ++n)
        s += PartText(n) + PartCaption(n);
    if (IncludeTime)
        s += u' ' + TextForm().mid(11);
    return s;
}

void TZqDate::Draw(Canvas& dc, int mode, const QRect&, int dy, int dx)
{
    if (mode == dmPrint && (PrintSelf == 0 || NoPrint))
        return;
    CanvasSaver keep(dc);
    const QRect r = DrawRect(mode, dy, dx);
    dc.setClipRect(r);
    if (Transparent == 0 && mode != dmPrint)
        dc.fillSolid(r, BgColor);
    dc.setFont(ItemFont(FontName, FontSize, Bold, Italic));
    dc.setTextColor(TextColor);
    dc.setBkTransparent(true);
    const bool captions = mode == dmDesign || mode == dmInput || PrintColumn;
    int lastRight = r.left();
    for (int n = 1; n <= PartCount(); ++n) {
        const QString caption = PartCaption(n);
        LabelWidth = dc.textExtent(caption).width();
        const QRect col = ColumnRect(r, n);
        const QRect cap = CaptionBox(col);
        const QRect value(col.left(), col.top(), col.width() - cap.width(), col.height());
        const QString text = PartText(n);
        if (value.width() > 0 && !text.isEmpty())
            DrawTextLine(dc, value, 2, text, 0, 1);
        if (captions && cap.width() > 0) {
            if (mode == dmDesign || mode == dmInput)
                dc.fillSolid(cap, kButtonFace);
            DrawTextLine(dc, cap, 2, caption, 0, 1);
        }
        lastRight = col.left() + col.width();
    }
    if (IncludeTime && !TextForm().isEmpty()) {
        const QRect timeRect(lastRight, r.top(), r.left() + r.width() - lastRight, r.height());
        if (timeRect.width() > 0)
            DrawTextLine(dc, timeRect, 2, TextForm().mid(11), 0, 1);
    }
    DrawInputOutline(dc, mode, r);
    DrawNoPrintMark(dc, mode, r);
    dc.clearClip();
    DrawSelection(dc, mode);
}

void TZqDate::IoRecord(TZqFieldIO& io)
{
    IoName(io);
    io.f64(DateValue);
    io.u8(SaveToPrtRec);
    io.u8(Type);
    io.u8(Format);
    io.str(FontName);
    io.u8(Bold);
    io.u8(Italic);
    io.ext80(FontSize);
    io.u32(TextColor);
    io.i32(ColWidth1);
    io.i32(ColWidth2);
    io.i32(ColWidth3);
    io.i32(LabelWidth);
    io.u8(ReadOnly);
    io.i32(TabOrder);
}

void TZqDate::IoTail(TZqFieldIO& io, int version)
{
    io.u8(PrintColumn);
    if (version > ZqVersion::kStorage) {
        IoStorage(io);
        io.u8(IncludeTime);
    }
}

void TZqDate::VisitProps(TZqPropVisitor& v)
{
    VisitItemProps(v);
    VisitRectProps(v);
    v.real("DateValue", DateValue);
    v.u8("SaveToPrtRec", SaveToPrtRec);
    v.u8("Type", Type);
    v.u8("Format", Format);
    v.text("FontName", FontName);
    v.u8("Bold", Bold);
    v.u8("Italic", Italic);
    v.real("FontSize", FontSize);
    v.color("TextColor", TextColor);
    v.i32("ColWidth1", ColWidth1);
    v.i32("ColWidth2", ColWidth2);
    v.i32("ColWidth3", ColWidth3);
    v.i32("LabelWidth", LabelWidth);
    v.u8("ReadOnly", ReadOnly);
    v.i32("TabOrder", TabOrder);
    v.u8("PrintColumn", PrintColumn);
    v.u8("IncludeTime", IncludeTime);
    VisitStorageProps(v);
}
