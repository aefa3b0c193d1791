#include "ZqBarcode.h"

#include "base/Error.h"
#include "base/Rounding.h"

#include <cmath>

using namespace zq;

namespace {
constexpr int kStorage = 47873; // > : storage options in the tail

// Beyond this a symbol is no longer a drawing but an arithmetic accident.
constexpr double kMaxSymbolPixels = 1e7;

int quarterTurns(int angle)
{
    return ((roundToInt((angle % 360) / 90.0) % 4) + 4) % 4;
}
} // namespace

void TZqBarcode::InitDefaults()
{
    TZQRect::InitDefaults();
    TopL = LeftL = BottomL = RightL = 0;
    Transparent = 0;
    PrintSelf = 1;
    Visible = 1;
    Typ = bcCodeEAN13;
    Checksum = 0;
    SpareByte1 = 2;
    Angle = 0;
    SpareByte2 = 1;
    Modul = 1.0;
    Data = QStringLiteral("9787302101994");
    SaveToPrtRec = 1;
    ReadOnly = 0;
    TabOrder = -1;
}

void TZqBarcode::SetValue(const QString& text)
{
    if (Data == text)
        return;
    Data = text;
    ValueChanged(-1, -1);
}

// ---------------------------------------------------------------- streams

void TZqBarcode::ReadFields(ByteReader& r)
{
    Typ = r.u8();
    Checksum = r.u8();
    SpareByte1 = r.u8();
    Angle = r.i32();
    SpareByte2 = r.u8();
    Modul = r.ext80();
    SetNameRaw(r.str());
    Data = r.str();
    SaveToPrtRec = r.u8();
    ReadOnly = r.u8();
    TabOrder = r.i32();
}

void TZqBarcode::WriteFields(ByteWriter& w) const
{
    w.u8(Typ);
    w.u8(Checksum);
    w.u8(SpareByte1);
    w.i32(Angle);
    w.u8(SpareByte2);
    w.ext80(Modul);
    w.str(Name());
    w.str(Data);
    w.u8(SaveToPrtRec);
    w.u8(ReadOnly);
    w.i32(TabOrder);
}

void TZqBarcode::ReadRecord(ByteReader& r, int version)
{
    ReadItemPart(r, version);
    ReadRectPart(r, version);
    ReadFields(r);
}

void TZqBarcode::ReadTail(ByteReader& r, int version)
{
    if (version > kStorage) {
        SubTblName = r.str();
        SubTblFldName = r.str();
        SubTblRowNo = r.i32();
    }
}

void TZqBarcode::WriteRecord(ByteWriter& w) const
{
    WriteItemPart(w);
    WriteRectPart(w);
    WriteFields(w);
}

void TZqBarcode::WriteTail(ByteWriter& w) const
{
    w.str(SubTblName);
    w.str(SubTblFldName);
    w.i32(SubTblRowNo);
}

void TZqBarcode::ReadClip(ByteReader& r)
{
    ReadItemClipPart(r);
    ReadRectClipPart(r);
    ReadFields(r);
}

void TZqBarcode::ReadClipTail(ByteReader& r) { ReadTail(r, ZqVersion::kCurrent); }

void TZqBarcode::WriteClip(ByteWriter& w) const
{
    WriteItemClipPart(w);
    WriteRectClipPart(w);
    WriteFields(w);
}

void TZqBarcode::WriteClipTail(ByteWriter& w) const { WriteTail(w); }

int TZqBarcode::ClipSize() const
{
    // Typ, Checksum, SpareByte1, Angle, SpareByte2, Modul; Name, Data; SaveToPrtRec, ReadOnly, TabOrder.
    return ItemClipPartSize() + kRectClipPartSize + 18 + ClipStrSize(Name()) + ClipStrSize(Data) + 6;
}

int TZqBarcode::ClipSizeFull() const { return ClipSize() + ClipStrSize(SubTblName) + ClipStrSize(SubTblFldName) + 4; }

void TZqBarcode::VisitProps(TZqPropVisitor& v)
{
    VisitItemProps(v);
    VisitRectProps(v);
    v.u8("Typ", Typ);
    v.u8("Checksum", Checksum);
    v.u8("SpareByte1", SpareByte1);
    v.i32("Angle", Angle);
    v.u8("SpareByte2", SpareByte2);
    v.real("Modul", Modul);
    v.text("Data", Data);
    v.u8("SaveToPrtRec", SaveToPrtRec);
    v.u8("ReadOnly", ReadOnly);
    v.i32("TabOrder", TabOrder);
    v.text("SubTblName", SubTblName);
    v.text("SubTblFldName", SubTblFldName);
    v.i32("SubTblRowNo", SubTblRowNo);
}

// ---------------------------------------------------------------- drawing

void TZqBarcode::SetupEncoder()
{
    Encoder.Text = Data;
    Encoder.Typ = static_cast<TzqBarcodType>(Typ);
    // The stored byte names a check-digit method: none, or the modulo-10 digit
    // added (or renewed) where the symbology has one.
    Encoder.Checksum = Checksum != 0;
    Encoder.CheckSumMethod = Checksum != 0 ? csmModulo10 : csmNone;
    Encoder.Angle = Angle;
    Encoder.Modul = 1;
    Encoder.Ratio = 2.0;
}

std::optional<QRect> TZqBarcode::SymbolRect(const QRect& r, int modules) const
{
    const double x = Modul;
    if (!std::isfinite(x) || x <= 0 || (modules + 8) * x > kMaxSymbolPixels)
        return std::nullopt;
    // The symbol with its quiet zones is w wide and centred in the box; the
    // bars themselves take m modules, one quiet zone in from its start.
    const int w = roundToInt((modules + 8) * x + 0.5);
    const int length = roundToInt(modules * x);
    if (length <= 0)
        return std::nullopt;
    const int L = r.left(), T = r.top();
    if (quarterTurns(Angle) % 2 == 0) {
        const int left = L + roundToInt(4 * x) + idiv(r.width() - w, 2);
        return QRect(left, T + 1, length, r.height() - 2);
    }
    // Turned a quarter: the symbol runs along the box's height instead.
    const int top = T + roundToInt(4 * x) + idiv(r.height() - w, 2);
    return QRect(L + 1, top, r.width() - 2, length);
}

void TZqBarcode::Draw(Canvas& dc, int mode, const QRect&, int dy, int dx)
{
    if (mode == dmPrint && PrintSelf == 0)
        return;
    CanvasSaver keep(dc);
    const QRect r = DrawRect(mode, dy, dx);
    DrawFrame(dc, mode, r);
    DrawSelection(dc, mode);
    if (Data.isEmpty())
        return; // no data, no symbol: padding would print a number nobody entered
    dc.setClipRect(r);
    try {
        SetupEncoder();
        const std::optional<QRect> symbol = SymbolRect(r, Encoder.Width());
        if (!symbol)
            throw Error(QStringLiteral("条码参数错误"));
        SetupEncoder(); // encoding rewrites the text; start again from the data
        Encoder.Draw(dc, *symbol, true);
    } catch (const Error&) {
        DrawNote(dc, r, QStringLiteral("条码参数错误"));
    }
}
