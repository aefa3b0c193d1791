#include "ZqPicture.h"

#include "base/Base64.h"
#include "base/Rounding.h"
#include "draw/PipeDraw.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>

using namespace zq;

namespace {
constexpr int kStorage = 47873;    // > : storage options in the tail
constexpr int kDataSource = 47880; // > : data-source link and group in the tail
constexpr int kBitmapFlag = 47884; // >=: IsBitmap in the record

struct Shape {
    const char* name;
    int code;
};
constexpr Shape kShapes[] = {
    {"topleft", 1},      {"topright", 2},    {"bottomright", 3}, {"bottomleft", 4},
    {"topcenter", 5},    {"middleright", 6}, {"bottomcenter", 7}, {"middleleft", 8},
    {"middlecenter", 9}, {"horization", 100}, {"vertical", 200},
};
} // namespace

QImage TransparentFromTopLeft(const QImage& bitmap)
{
    if (bitmap.isNull())
        return {};
    // Colour keying ignores whatever alpha the file had.
    QImage img = bitmap.convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_ARGB32);
    const QRgb key = img.pixel(0, 0) & 0xFFFFFF;
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0xFFFFFF) == key)
                line[x] = 0;
    }
    return img;
}

void TZqPicture::InitDefaults()
{
    TZQRect::InitDefaults();
    TopL = LeftL = BottomL = RightL = 0;
    Transparent = 0;
    PrintSelf = 1;
    Visible = 1;
    IsBitmap = 0;
    PicData.clear();
    Stretch = 0;
    HorzAlign = VertAlign = 0;
    SaveToPrtRec = 0;
    m_picture = QImage();
}

void TZqPicture::SetPicture(bool isBitmap, const QByteArray& base64)
{
    IsBitmap = isBitmap ? 1 : 0;
    PicData = base64;
    LoadPicture();
}

void TZqPicture::LoadPicture()
{
    m_picture = QImage();
    if (PicData.isEmpty())
        return;
    const std::optional<QByteArray> file = mimeBase64Decode(PicData);
    if (!file)
        return;
    QBuffer buf;
    buf.setData(*file);
    QImageReader reader(&buf, IsBitmap ? "bmp" : "jpeg");
    QImage img = reader.read();
    if (img.isNull() || img.width() <= 0 || img.height() <= 0)
        return;
    m_picture = IsBitmap ? TransparentFromTopLeft(img) : img;
}

int TZqPicture::ShapeCode(const QString& name)
{
    for (const Shape& s : kShapes)
        if (name == QLatin1String(s.name))
            return s.code;
    return 0;
}

QRect TZqPicture::PictureRect(const QRect& r) const
{
    const int w = m_picture.width(), h = m_picture.height();
    if (w <= 0 || h <= 0)
        return {};
    const int L = r.left(), T = r.top(), R = r.left() + r.width(), B = r.top() + r.height();
    if (Stretch) {
        const double s = std::min(double(R - L) / w, double(B - T) / h);
        const int sw = roundToInt(w * s), sh = roundToInt(h * s);
        return QRect(L + idiv(R - L - sw, 2), T + idiv(B - T - sh, 2), sw, sh);
    }
    const int x = HorzAlign == 0 ? L : HorzAlign == 2 ? L + idiv(R - L - w, 2) : R - w;
    const int y = VertAlign == 0 ? T : VertAlign == 1 ? T + idiv(B - T - h, 2) : B - h;
    return QRect(x, y, w, h);
}

// ---------------------------------------------------------------- streams

void TZqPicture::ReadFields(ByteReader& r, bool hasBitmapFlag)
{
    SetNameRaw(r.str());
    IsBitmap = hasBitmapFlag ? r.u8() : 0;
    PicData = r.rawStr();
    SaveToPrtRec = r.u8();
    LoadPicture();
}

void TZqPicture::WriteFields(ByteWriter& w) const
{
    w.str(Name());
    w.u8(IsBitmap);
    w.rawStr(PicData);
    w.u8(SaveToPrtRec);
}

void TZqPicture::ReadRecord(ByteReader& r, int version)
{
    ReadItemPart(r, version);
    ReadRectPart(r, version);
    ReadFields(r, version >= kBitmapFlag);
}

void TZqPicture::ReadTail(ByteReader& r, int version)
{
    Stretch = r.u8();
    HorzAlign = r.u8();
    VertAlign = r.u8();
    if (version > kStorage) {
        SubTblName = r.str();
        SubTblFldName = r.str();
        SubTblRowNo = r.i32();
    }
    if (version > kDataSource) {
        DataSourceTable = r.str();
        DataSourceField = r.str();
        Group = r.str();
    }
}

void TZqPicture::WriteRecord(ByteWriter& w) const
{
    WriteItemPart(w);
    WriteRectPart(w);
    WriteFields(w);
}

void TZqPicture::WriteTail(ByteWriter& w) const
{
    w.u8(Stretch);
    w.u8(HorzAlign);
    w.u8(VertAlign);
    w.str(SubTblName);
    w.str(SubTblFldName);
    w.i32(SubTblRowNo);
    w.str(DataSourceTable);
    w.str(DataSourceField);
    w.str(Group);
}

void TZqPicture::ReadClip(ByteReader& r)
{
    ReadItemClipPart(r);
    ReadRectClipPart(r);
    ReadFields(r, true);
}

void TZqPicture::ReadClipTail(ByteReader& r) { ReadTail(r, ZqVersion::kCurrent); }

void TZqPicture::WriteClip(ByteWriter& w) const
{
    WriteItemClipPart(w);
    WriteRectClipPart(w);
    WriteFields(w);
}

void TZqPicture::WriteClipTail(ByteWriter& w) const { WriteTail(w); }

int TZqPicture::ClipSize() const
{
    return ItemClipPartSize() + kRectClipPartSize + ClipStrSize(Name()) + 1 + 4 + int(PicData.size()) + 1;
}

int TZqPicture::ClipSizeFull() const
{
    return ClipSize() + 3 + ClipStrSize(SubTblName) + ClipStrSize(SubTblFldName) + 4 + ClipStrSize(DataSourceTable)
         + ClipStrSize(DataSourceField) + ClipStrSize(Group);
}

void TZqPicture::VisitProps(TZqPropVisitor& v)
{
    VisitItemProps(v);
    VisitRectProps(v);
    const quint8 wasBitmap = IsBitmap;
    v.u8("IsBitmap", IsBitmap);
    // Base64 text is ASCII; Latin-1 carries any other stored byte through unchanged.
    QString text = QString::fromLatin1(PicData);
    v.text("PicData", text);
    const QByteArray data = text.toLatin1();
    v.u8("SaveToPrtRec", SaveToPrtRec);
    v.u8("Stretch", Stretch);
    v.u8("HorzAlign", HorzAlign);
    v.u8("VertAlign", VertAlign);
    v.text("SubTblName", SubTblName);
    v.text("SubTblFldName", SubTblFldName);
    v.i32("SubTblRowNo", SubTblRowNo);
    v.text("DataSourceTable", DataSourceTable);
    v.text("DataSourceField", DataSourceField);
    v.text("Group", Group);
    if (data != PicData || wasBitmap != IsBitmap) {
        PicData = data;
        LoadPicture();
    }
}

// ---------------------------------------------------------------- drawing

void TZqPicture::Draw(Canvas& dc, int mode, const QRect&, int dy, int dx)
{
    if (mode == dmPrint && PrintSelf == 0)
        return;
    CanvasSaver keep(dc);
    const QRect r = DrawRect(mode, dy, dx);
    DrawFrame(dc, mode, r, false); // pictures are never filled
    DrawSelection(dc, mode);
    if (!m_picture.isNull()) {
        if (!Stretch)
            dc.setClipRect(r);
        dc.drawImage(PictureRect(r), m_picture);
    } else if (ExtFlag[0]) {
        if (const int code = ShapeCode(ExtText[0]))
            DrawPipe(dc, r, BgColor, code, kWhite);
    } else {
        DrawNote(dc, r, QStringLiteral("未设置图片"));
    }
}
