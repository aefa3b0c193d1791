#include "ZqItem.h"

#include "ZqTemplate.h"

#include <QStringList>
#include "base/Gbk.h"
#include "base/Rounding.h"
#include "draw/TextDraw.h"

using namespace zq;

namespace {
// Versions from which the common fields are present.
constexpr int kHintVisible = 47876;   // > : Hint, Visible
constexpr int kAdditional = 47877;    // > : Additional
constexpr int kLocked = 47878;        // > : Locked
constexpr int kAlign = 47880;         // >=: Align
constexpr int kNotAllowEmpty = 47880; // > : NotAllowEmpty
constexpr int kNoPrintExt = 47881;    // > : NoPrint and the extension pairs
} // namespace

int ClipStrSize(const QString& s) { return 4 + gbkLength(s); }

LogFont ItemFont(const QString& face, double size, bool bold, bool italic)
{
    LogFont f;
    f.faceName = face;
    f.height = pointsToPixels(size);
    f.weight = bold ? 700 : 100;
    f.italic = italic;
    f.charSet = 134;
    return f;
}


// ---------------------------------------------------------------- TZqItem

void TZqItem::InitDefaults()
{
    Visible = 1;
}

void TZqItem::SetName(const QString& name)
{
    const QString old = m_name;
    m_name = name;
    if (Template && old != name)
        Template->RenameReferences(this, old, name);
}

void TZqItem::SetBounds(QPoint pos, int width, int height)
{
    XPos = pos.x();
    YPos = pos.y();
    Width = width;
    Height = height;
}

void TZqItem::ReadTail(ByteReader& r, int) { m_name = r.str(); }
void TZqItem::WriteTail(ByteWriter& w) const { w.str(m_name); }
void TZqItem::ReadClipTail(ByteReader& r) { m_name = r.str(); }
void TZqItem::WriteClipTail(ByteWriter& w) const { w.str(m_name); }
int TZqItem::ClipSizeFull() const { return ClipSize() + ClipStrSize(m_name); }

// The clipboard form is the stream form of the current version without NoPrint.
void TZqItem::ReadCommon(ByteReader& r, int version, bool withNoPrint)
{
    XPos = r.i32();
    YPos = r.i32();
    Width = r.i32();
    Height = r.i32();
    PrintSelf = r.u8();
    if (version > kHintVisible) {
        Hint = r.str();
        Visible = r.u8();
    }
    if (version > kAdditional)
        Additional = r.str();
    if (version > kLocked)
        Locked = r.u8();
    if (version >= kAlign)
        Align = r.u8();
    if (version > kNotAllowEmpty)
        NotAllowEmpty = r.u8();
    if (version > kNoPrintExt) {
        NoPrint = withNoPrint ? r.u8() : 0;
        for (int i = 0; i < 5; ++i) {
            ExtFlag[i] = r.u8();
            ExtText[i] = r.str();
        }
    }
}

void TZqItem::WriteCommon(ByteWriter& w, bool withNoPrint) const
{
    w.i32(XPos);
    w.i32(YPos);
    w.i32(Width);
    w.i32(Height);
    w.u8(PrintSelf);
    w.str(Hint);
    w.u8(Visible);
    w.str(Additional);
    w.u8(Locked);
    w.u8(Align);
    w.u8(NotAllowEmpty);
    if (withNoPrint)
        w.u8(NoPrint);
    for (int i = 0; i < 5; ++i) {
        w.u8(ExtFlag[i]);
        w.str(ExtText[i]);
    }
}

void TZqItem::ReadItemPart(ByteReader& r, int version) { ReadCommon(r, version, true); }
void TZqItem::WriteItemPart(ByteWriter& w) const { WriteCommon(w, true); }
void TZqItem::ReadItemClipPart(ByteReader& r) { ReadCommon(r, ZqVersion::kCurrent, false); }
void TZqItem::WriteItemClipPart(ByteWriter& w) const { WriteCommon(w, false); }

int TZqItem::ItemClipPartSize() const
{
    int n = 54 - 7 * 4 + ClipStrSize(Hint) + ClipStrSize(Additional);
    for (const QString& t : ExtText)
        n += ClipStrSize(t);
    return n;
}

void TZqItem::VisitItemProps(TZqPropVisitor& v)
{
    v.i32("XPos", XPos);
    v.i32("YPos", YPos);
    v.i32("Width", Width);
    v.i32("Height", Height);
    v.u8("PrintSelf", PrintSelf);
    v.u8("NoPrint", NoPrint);
    v.u8("Visible", Visible);
    v.text("Hint", Hint);
    v.text("Additional", Additional);
    v.u8("Align", Align);
    v.u8("Locked", Locked);
    static const char* flags[5] = {"ExtFlag1", "ExtFlag2", "ExtFlag3", "ExtFlag4", "ExtFlag5"};
    static const char* texts[5] = {"ExtText1", "ExtText2", "ExtText3", "ExtText4", "ExtText5"};
    for (int i = 0; i < 5; ++i) {
        v.u8(flags[i], ExtFlag[i]);
        v.text(texts[i], ExtText[i]);
    }
    v.u8("NotAllowEmpty", NotAllowEmpty);
    v.text("Name", m_name);
}

void TZqItem::VisitProps(TZqPropVisitor& v) { VisitItemProps(v); }

TZqItemValue TZqItem::MakeValueRecord() const
{
    TZqItemValue v;
    v.Kind = static_cast<quint8>(Kind());
    v.Name = m_name;
    v.Value = GetValueText();
    v.SubTblName = SubTblName;
    v.SubTblFldName = SubTblFldName;
    v.SubTblRowNo = SubTblRowNo;
    v.SaveToPrtRec = SaveFlag();
    v.DataType = ValueDataType();
    return v;
}

void TZqItem::AppendValues(QList<TZqItemValue>& out) const
{
    if (IsInput())
        out.append(MakeValueRecord());
}

void TZqItem::ApplyValues(const QList<TZqItemValue>& records)
{
    if (!IsInput())
        return;
    for (const TZqItemValue& v : records)
        if (v.Name == m_name) {
            SetValueText(v.Value);
            return;
        }
}

void TZqItem::AppendNameValues(QStringList& out) const
{
    if (IsInput())
        out.append(m_name + u'=' + GetValueText());
}

void TZqItem::ApplyNameValues(const std::function<std::optional<QString>(const QString&)>& lookup)
{
    if (IsInput())
        SetValueText(lookup(m_name).value_or(QString()));
}

TZQBPCtrlBase* TZqItem::OwnerControl() const { return Template ? Template->Owner : nullptr; }

void TZqItem::Invalidate() const
{
    if (TZQBPCtrlBase* owner = OwnerControl())
        owner->InvalidateItemRect(GetBounds().adjusted(-1, -1, 1, 1), false);
}

void TZqItem::Refresh() const
{
    if (TZQBPCtrlBase* owner = OwnerControl())
        owner->InvalidateItemRect(QRect(), true);
}

void TZqItem::ValueChanged(int col, int row)
{
    TZQBPCtrlBase* owner = OwnerControl();
    if (owner && owner->HostKind() != TZqHostKind::DataEntry)
        return; // design and calibration surfaces run no formulas
    if (owner)
        owner->ItemValueChanged(this, col, row);
    if (Template)
        Template->PropagateItemChange(this, col, row);
    if (owner)
        Invalidate();
}

void TZqItem::DrawBox(Canvas& dc, const QRect& r, Color fill, Color pen)
{
    dc.fillSolid(r, fill);
    Pen p;
    p.color = pen;
    dc.setPen(p);
    const int L = r.left(), T = r.top(), R = r.left() + r.width() - 1, B = r.top() + r.height() - 1;
    dc.drawPolyline({{L, T}, {R, T}, {R, B}, {L, B}, {L, T}});
}

// ---------------------------------------------------------------- TZQRect

void TZQRect::InitDefaults()
{
    TZqItem::InitDefaults();
    BgColor = 0xFFFFFF;
    Transparent = 1;
    TopL = LeftL = BottomL = RightL = 1;
    PrintSelf = 1;
    Visible = 1;
}

void TZQRect::ReadRectPart(ByteReader& r, int)
{
    Transparent = r.u8();
    BgColor = r.u32();
    LeftL = r.i32();
    TopL = r.i32();
    RightL = r.i32();
    BottomL = r.i32();
}

void TZQRect::WriteRectPart(ByteWriter& w) const
{
    w.u8(Transparent);
    w.u32(BgColor);
    w.i32(LeftL);
    w.i32(TopL);
    w.i32(RightL);
    w.i32(BottomL);
}

void TZQRect::ReadRectClipPart(ByteReader& r)
{
    BgColor = r.u32();
    Transparent = r.u8();
    LeftL = r.i32();
    TopL = r.i32();
    RightL = r.i32();
    BottomL = r.i32();
}

void TZQRect::WriteRectClipPart(ByteWriter& w) const
{
    w.u32(BgColor);
    w.u8(Transparent);
    w.i32(LeftL);
    w.i32(TopL);
    w.i32(RightL);
    w.i32(BottomL);
}

void TZQRect::ReadRecord(ByteReader& r, int version)
{
    ReadItemPart(r, version);
    ReadRectPart(r, version);
}

void TZQRect::WriteRecord(ByteWriter& w) const
{
    WriteItemPart(w);
    WriteRectPart(w);
}

void TZQRect::ReadClip(ByteReader& r)
{
    ReadItemClipPart(r);
    ReadRectClipPart(r);
}

void TZQRect::WriteClip(ByteWriter& w) const
{
    WriteItemClipPart(w);
    WriteRectClipPart(w);
}

int TZQRect::ClipSize() const { return ItemClipPartSize() + kRectClipPartSize; }

void TZQRect::VisitRectProps(TZqPropVisitor& v)
{
    v.color("BgColor", BgColor);
    v.u8("Transparent", Transparent);
    v.i32("TopL", TopL);
    v.i32("LeftL", LeftL);
    v.i32("BottomL", BottomL);
    v.i32("RightL", RightL);
}

void TZQRect::VisitProps(TZqPropVisitor& v)
{
    VisitItemProps(v);
    VisitRectProps(v);
}

QRect TZQRect::DrawRect(int mode, int dy, int dx) const
{
    QRect r = GetBounds();
    if (mode == dmExport || mode == dmPrint)
        r.translate(dx, dy);
    return r;
}

void TZQRect::DrawFrame(Canvas& dc, int mode, const QRect& r, bool fill) const
{
    if (fill && Transparent == 0 && mode != dmPrint)
        dc.fillSolid(r, BgColor);
    const int L = r.left(), T = r.top(), R = r.left() + r.width(), B = r.top() + r.height();
    auto side = [&](int w, QPoint a, QPoint b) {
        if (w <= 0)
            return;
        Pen p;
        p.width = w;
        p.color = kBlack;
        p.cap = Pen::Cap::Square;
        dc.setPen(p);
        dc.drawLine(a, b);
    };
    side(LeftL, {L, T}, {L, B - 1});
    side(TopL, {L, T}, {R - 1, T});
    side(RightL, {R - 1, T}, {R - 1, B - 1});
    side(BottomL, {L, B - 1}, {R - 1, B - 1});
}

void TZQRect::DrawSelection(Canvas& dc, int mode) const
{
    if (mode != dmDesign || !Selected)
        return;
    const QRect b = GetBounds();
    const int L = b.left(), T = b.top(), R = b.left() + b.width(), B = b.top() + b.height();
    CanvasSaver keep(dc);
    dc.setTextColor(kBlack);
    dc.setBkColor(kWhite);
    FillChecker(dc, L - 5, T - 5, 5, R - L + 10);
    FillChecker(dc, L - 5, B, 5, R - L + 10);
    FillChecker(dc, L - 5, T, B - T, 5);
    FillChecker(dc, R, T, B - T, 5);
    const TZQBPCtrlBase* owner = OwnerControl();
    if (owner && owner->HostKind() == TZqHostKind::Design && owner->AllowEdit()) {
        const Color pen = owner->CurrentItem() == this ? kRed : kBlack;
        for (int code = 0; code < 8; ++code)
            DrawBox(dc, HandleRect(code), kWhite, pen);
    }
}

void TZQRect::DrawNoPrintMark(Canvas& dc, int mode, const QRect& r) const
{
    if (!NoPrint || mode == dmPrint)
        return;
    Pen p;
    p.style = Pen::Style::Dash;
    p.color = kRed;
    dc.setPen(p);
    dc.drawLine(r.topLeft(), QPoint(r.left() + r.width(), r.top() + r.height()));
}

void TZQRect::DrawNote(Canvas& dc, const QRect& r, const QString& text)
{
    CanvasSaver keep(dc);
    LogFont f;
    f.faceName = QStringLiteral("宋体");
    f.height = -pointsToPixels(9);
    f.weight = 400;
    f.charSet = 134; // GB2312
    dc.setFont(f);
    dc.setTextColor(kBlack);
    dc.setBkTransparent(true);
    DrawTextLine(dc, r, 2, text, 0, 1);
}

void TZQRect::Draw(Canvas& dc, int mode, const QRect&, int dy, int dx)
{
    if (mode == dmPrint && PrintSelf == 0)
        return;
    CanvasSaver keep(dc);
    DrawFrame(dc, mode, DrawRect(mode, dy, dx));
    DrawSelection(dc, mode);
}

QRect TZQRect::HandleRect(int code) const
{
    const QRect b = GetBounds();
    const int L = b.left(), T = b.top(), R = b.left() + b.width(), B = b.top() + b.height();
    const int h = idiv(B - T - 5, 2), w = idiv(R - L - 5, 2);
    QPoint c;
    switch (code) {
    case 0: c = {L - 5, T + h}; break;
    case 1: c = {L + w, T - 5}; break;
    case 2: c = {R, T + h}; break;
    case 3: c = {L + w, B}; break;
    case 4: c = {L - 5, T - 5}; break;
    case 5: c = {L - 5, B}; break;
    case 6: c = {R, T - 5}; break;
    case 7: c = {R, B}; break;
    default: {
        QRect body(L, T, R - L, B - T);
        if (body.width() == 0)
            body.adjust(-1, 0, 1, 0);
        if (body.height() == 0)
            body.adjust(0, -1, 0, 1);
        return body;
    }
    }
    return QRect(c, QSize(5, 5));
}

namespace {
// [left, right) x [top, bottom), as the platform's point-in-rectangle test.
bool inRect(const QRect& r, QPoint p)
{
    return p.x() >= r.left() && p.x() < r.left() + r.width() && p.y() >= r.top() && p.y() < r.top() + r.height();
}
} // namespace

bool TZQRect::HitTest(QPoint pt, int& code) const
{
    if (Locked || !Selected)
        return false;
    static const int codes[8] = {4, 3, 4, 3, 5, 6, 6, 5};
    for (int h = 0; h < 8; ++h)
        if (inRect(HandleRect(h), pt)) {
            code = codes[h];
            return true;
        }
    if (inRect(HandleRect(8), pt)) {
        code = 1;
        return true;
    }
    return false;
}

bool TZQRect::PtInFrame(QPoint pt) const { return inRect(GetBounds().adjusted(-5, -5, 5, 5), pt); }
bool TZQRect::PtInShape(QPoint pt) const { return inRect(GetBounds(), pt); }
