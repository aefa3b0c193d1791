#include "ZqSNEdit.h"

#include "base/Clock.h"
#include "base/DateSerial.h"

#include <cmath>

using namespace zq;

namespace {

// A decimal integer with an optional sign, within 64 bits.
qint64 counterOf(const QString& text)
{
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok, 10);
    return ok ? n : 1;
}

// The digits of the day the item prints on.
QString dateFields(QString text, double today)
{
    const QString d = std::isfinite(today) ? formatDate(today) : QStringLiteral("1899-12-30");
    text.replace(QStringLiteral("[年]"), d.left(4), Qt::CaseInsensitive);
    text.replace(QStringLiteral("[月]"), d.mid(5, 2), Qt::CaseInsensitive);
    text.replace(QStringLiteral("[日]"), d.mid(8, 2), Qt::CaseInsensitive);
    return text;
}

} // namespace

void TZqSNEdit::InitDefaults()
{
    TZqFieldItem::InitDefaults();
    Value.clear();
    DigitCnt = 6;
    NewForDay = 0;
    Step = 1;
    Prefix.clear();
    Suffix.clear();
    SaveToPrtRec = 1;
    ReadOnly = 0;
    TextColor = 0;
    HorzAlign = 0;
    VertAlign = 1;
    TextSpace = 0;
    TextOrie = 0;
    FontName = QStringLiteral("宋体");
    Bold = Italic = 0;
    FontSize = -10;
    SingleLine = 1;
    TabOrder = -1;
    FitMode = 0;
    Transparent = 0;
    PrintSelf = 1;
    Visible = 1;
}

qint64 TZqSNEdit::Counter() const { return counterOf(Value); }

void TZqSNEdit::SetValue(const QString& text)
{
    const QString v = QString::number(counterOf(text));
    if (v == Value)
        return;
    Value = v;
    ValueChanged(-1, -1);
}

QString TZqSNEdit::GetText() const
{
    QString digits = QString::number(Counter());
    const int width = DigitCnt < 0 ? 0 : DigitCnt;
    if (digits.size() < width)
        digits = digits.rightJustified(width, u'0');
    else
        digits = digits.right(width);
    const double today = zq::clock().now();
    return dateFields(Prefix, today) + digits + dateFields(Suffix, today);
}

void TZqSNEdit::IoRecord(TZqFieldIO& io)
{
    IoName(io);
    io.str(Value);
    io.i32(DigitCnt);
    io.u8(NewForDay);
    io.i32(Step);
    io.str(Prefix);
    io.str(Suffix);
    io.u8(SaveToPrtRec);
    io.u8(ReadOnly);
    io.u32(TextColor);
    io.u8(HorzAlign);
    io.u8(VertAlign);
    io.i32(TextSpace);
    io.u8(TextOrie);
    io.str(FontName);
    io.u8(Bold);
    io.u8(Italic);
    io.ext80(FontSize);
    io.u8(SingleLine);
    io.i32(TabOrder);
}

void TZqSNEdit::IoTail(TZqFieldIO& io, int version)
{
    if (version > ZqVersion::kStorage) {
        IoStorage(io);
        io.u8(FitMode);
    }
}

void TZqSNEdit::Draw(Canvas& dc, int mode, const QRect&, int dy, int dx)
{
    if (mode == dmPrint && PrintSelf == 0)
        return;
    CanvasSaver keep(dc);
    const QRect r = DrawRect(mode, dy, dx);
    if (Transparent == 0 && mode != dmPrint)
        dc.fillSolid(r, BgColor);
    // The design surface and picture export show an empty box.
    if (mode == dmInput || mode == dmPrint) {
        const QString text = GetText();
        if (!text.isEmpty()) {
            CanvasSaver keepText(dc);
            dc.setTextColor(TextColor);
            dc.setBkTransparent(true);
            TZqFieldText how;
            how.horzAlign = HorzAlign;
            how.vertAlign = VertAlign;
            how.textSpace = TextSpace;
            how.singleLine = SingleLine != 0;
            how.fitMode = FitMode;
            how.face = FontName;
            how.size = FontSize;
            how.bold = Bold;
            how.italic = Italic;
            DrawFieldText(dc, r, text, how);
        }
    }
    DrawInputOutline(dc, mode, r);
    DrawSelection(dc, mode);
}

void TZqSNEdit::VisitProps(TZqPropVisitor& v)
{
    VisitItemProps(v);
    VisitRectProps(v);
    v.text("Value", Value);
    v.i32("DigitCnt", DigitCnt);
    v.u8("NewForDay", NewForDay);
    v.i32("Step", Step);
    v.text("Prefix", Prefix);
    v.text("Suffix", Suffix);
    v.u8("SaveToPrtRec", SaveToPrtRec);
    v.u8("ReadOnly", ReadOnly);
    v.color("TextColor", TextColor);
    v.u8("HorzAlign", HorzAlign);
    v.u8("VertAlign", VertAlign);
    v.i32("TextSpace", TextSpace);
    v.u8("TextOrie", TextOrie);
    v.text("FontName", FontName);
    v.u8("Bold", Bold);
    v.u8("Italic", Italic);
    v.real("FontSize", FontSize);
    v.u8("SingleLine", SingleLine);
    v.i32("TabOrder", TabOrder);
    v.u8("FitMode", FitMode);
    VisitStorageProps(v);
}
