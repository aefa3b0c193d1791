#include "ZqBasicItems.h"

#include "base/Gbk.h"
#include "base/Rounding.h"
#include "draw/TextDraw.h"

#include <cstdlib>

using namespace zq;

namespace {
constexpr int kLineSpacing = 47872; // > : label records hold the line spacing
}

int TenthMmToPixels(int tenths) { return roundToInt(tenths * kPixelsPerMm / 10.0); }

// ---------------------------------------------------------------- TZqLine

void TZqLine::InitDefaults()
{
    TZqItem::InitDefaults();
    LineWidth = 1;
    PrintSelf = 0;
    Visible = 1;
}

QRect TZqLine::GetBounds() const
{
    const QPoint a = StartPoint(), b = EndPoint();
    const int l = std::min(a.x(), b.x()), r = std::max(a.x(), b.x());
    const int t = std::min(a.y(), b.y()), bo = std::max(a.y(), b.y());
    return QRect(l - 5, t - 5, r - l + 10, bo - t + 10);
}

void TZqLine::ReadRecord(ByteReader& r, int version)
{
    ReadItemPart(r, version);
    LineWidth = r.i32();
}

void TZqLine::WriteRecord(ByteWriter& w) const
{
    WriteItemPart(w);
    w.i32(LineWidth);
}

void TZqLine::ReadClip(ByteReader& r)
{
    ReadItemClipPart(r);
    LineWidth = r.i32();
}

void TZqLine::WriteClip(ByteWriter& w) const
{
    WriteItemClipPart(w);
    w.i32(LineWidth);
}

int TZqLine::ClipSize() const { return ItemClipPartSize() + 4; }

void TZqLine::Draw(Canvas& dc, int mode, const QRect&, int dy, int dx)
{
    if (mode == dmPrint && PrintSelf == 0)
        return;
    QPoint a = StartPoint(), b = EndPoint();
    if (mode == dmExport || mode == dmPrint) {
        a += QPoint(dx, dy);
        b += QPoint(dx, dy);
    }
    CanvasSaver keep(dc);
    Pen p;
    p.width = LineWidth;
    p.color = kBlack;
    p.cap = Pen::Cap::Square;
    dc.setPen(p);
    dc.drawLine(a, b);
    if (mode != dmDesign || !Selected)
        return;
    const TZQBPCtrlBase* owner = OwnerControl();
    const bool current = owner && owner->HostKind() == TZqHostKind::Design && owner->AllowEdit()
                      && owner->CurrentItem() == this;
    for (QPoint e : {a, b}) {
        const QRect sq(e.x() - 2, e.y() - 2, 5, 5);
        if (Locked) {
            dc.setRasterOp(RasterOp::NotXor);
            dc.fillSolid(sq, 0xC0C0C0);
            dc.setRasterOp(RasterOp::Copy);
        }
        Pen frame;
        frame.color = current ? kRed : kBlack;
        dc.setPen(frame);
        dc.drawPolyline({{sq.left(), sq.top()}, {sq.left() + 4, sq.top()}, {sq.left() + 4, sq.top() + 4},
                         {sq.left(), sq.top() + 4}, {sq.left(), sq.top()}});
    }
}

QRect TZqLine::HandleRect(int code) const
{
    const QPoint e = code == 11 ? EndPoint() : StartPoint();
    return QRect(QPoint(e.x() - 2, e.y() - 2), QPoint(e.x() + 4, e.y() + 4)); // (x-2, y-2) to (x+5, y+5)
}

bool TZqLine::HitTest(QPoint pt, int& code) const
{
    if (Locked || !Selected)
        return false;
    for (QPoint e : {StartPoint(), EndPoint()})
        if (pt.x() >= e.x() - 2 && pt.x() < e.x() + 3 && pt.y() >= e.y() - 2 && pt.y() < e.y() + 3) {
            code = 7;
            return true;
        }
    if (PtInShape(pt)) {
        code = 1;
        return true;
    }
    return false;
}

bool TZqLine::PtInShape(QPoint pt) const
{
    return PointInPolygon(LineOutline(StartPoint(), EndPoint()), pt);
}

bool TZqLine::PtInFrame(QPoint pt) const { return PtInShape(pt); }

void TZqLine::VisitProps(TZqPropVisitor& v)
{
    VisitItemProps(v);
    v.i32("LineWidth", LineWidth);
}

// ---------------------------------------------------------------- TZqText

void TZqText::InitDefaults()
{
    TZQRect::InitDefaults();
    TopL = LeftL = BottomL = RightL = 1;
    BgColor = 0xFFFFFF;
    Transparent = 0;
    TextColor = 0;
    HorzAlign = 2;
    VertAlign = 1;
    TextSpace = LineSpace = 0;
    FontName = QStringLiteral("宋体");
    Bold = Italic = 0;
    FontSize = -10;
    TextOrie = 0;
}

void TZqText::ReadTextPart(ByteReader& r, int version)
{
    TextColor = r.u32();
    HorzAlign = r.u8();
    VertAlign = r.u8();
    TextSpace = r.i32();
    if (version > kLineSpacing)
        LineSpace = r.i32();
    FontName = r.str();
    Bold = r.u8();
    Italic = r.u8();
    FontSize = r.ext80();
    TextOrie = r.u8();
}

void TZqText::WriteTextPart(ByteWriter& w) const
{
    w.u32(TextColor);
    w.u8(HorzAlign);
    w.u8(VertAlign);
    w.i32(TextSpace);
    w.i32(LineSpace);
    w.str(FontName);
    w.u8(Bold);
    w.u8(Italic);
    w.ext80(FontSize);
    w.u8(TextOrie);
}

void TZqText::ReadTextClipPart(ByteReader& r) { ReadTextPart(r, ZqVersion::kCurrent); }
void TZqText::WriteTextClipPart(ByteWriter& w) const { WriteTextPart(w); }

// Declares four bytes more than the record needs; clipboard readers honour the declared length.
int TZqText::TextClipPartSize() const { return 35 + gbkLength(FontName); }

void TZqText::VisitTextProps(TZqPropVisitor& v)
{
    v.color("TextColor", TextColor);
    v.u8("HorzAlign", HorzAlign);
    v.u8("VertAlign", VertAlign);
    v.i32("TextSpace", TextSpace);
    v.i32("LineSpace", LineSpace);
    v.text("FontName", FontName);
    v.u8("Bold", Bold);
    v.u8("Italic", Italic);
    v.real("FontSize", FontSize);
    v.u8("TextOrie", TextOrie);
}

LogFont TZqText::TextFont() const { return ItemFont(FontName, FontSize, Bold, Italic); }

void TZqText::Draw(Canvas& dc, int mode, const QRect&, int dy, int dx)
{
    if (mode == dmPrint && PrintSelf == 0)
        return;
    CanvasSaver keep(dc);
    const QRect r = DrawRect(mode, dy, dx);
    DrawFrame(dc, mode, r);
    DrawSelection(dc, mode);
    const QString text = GetText();
    if (text.isEmpty())
        return;
    dc.setFont(TextFont());
    dc.setTextColor(TextColor);
    dc.setBkTransparent(true);
    const int lineSpace = TenthMmToPixels(LineSpace), charSpace = TenthMmToPixels(TextSpace);
    if (TextOrie == 0)
        DrawTextLines(dc, r, HorzAlign, text, lineSpace, charSpace, VertAlign);
    else
        DrawTextVert(dc, r, HorzAlign, text, TextFont(), lineSpace, charSpace, VertAlign);
}

// ---------------------------------------------------------------- TZqLabel

void TZqLabel::InitDefaults()
{
    TZqText::InitDefaults();
    Caption = QStringLiteral("双击修改");
    PrintSelf = 0;
    TopL = LeftL = BottomL = RightL = 0;
    Visible = 1;
}

void TZqLabel::ReadRecord(ByteReader& r, int version)
{
    ReadItemPart(r, version);
    ReadRectPart(r, version);
    ReadTextPart(r, version);
    Caption = r.str();
}

void TZqLabel::WriteRecord(ByteWriter& w) const
{
    WriteItemPart(w);
    WriteRectPart(w);
    WriteTextPart(w);
    w.str(Caption);
}

void TZqLabel::ReadClip(ByteReader& r)
{
    ReadItemClipPart(r);
    ReadRectClipPart(r);
    ReadTextClipPart(r);
    Caption = r.str();
}

void TZqLabel::WriteClip(ByteWriter& w) const
{
    WriteItemClipPart(w);
    WriteRectClipPart(w);
    WriteTextClipPart(w);
    w.str(Caption);
}

int TZqLabel::ClipSize() const { return ItemClipPartSize() + kRectClipPartSize + TextClipPartSize() + ClipStrSize(Caption); }

void TZqLabel::VisitProps(TZqPropVisitor& v)
{
    VisitItemProps(v);
    VisitRectProps(v);
    VisitTextProps(v);
    v.text("Caption", Caption);
}
