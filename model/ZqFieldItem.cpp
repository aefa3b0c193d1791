#include "ZqFieldItem.h"

#include "ZqBasicItems.h"
#include "base/Gbk.h"
#include "base/Rounding.h"
#include "draw/TextDraw.h"

using namespace zq;

namespace {

class FieldReader : public TZqFieldIO {
public:
    explicit FieldReader(ByteReader& r) : m_r(r) {}
    void u8(quint8& v) override { v = m_r.u8(); }
    void i32(int& v) override { v = m_r.i32(); }
    void i64(qint64& v) override { v = m_r.i64(); }
    void u32(quint32& v) override { v = m_r.u32(); }
    void f64(double& v) override { v = m_r.f64(); }
    void ext80(double& v) override { v = m_r.ext80(); }
    void str(QString& v) override { v = m_r.str(); }

private:
    ByteReader& m_r;
};

class FieldWriter : public TZqFieldIO {
public:
    explicit FieldWriter(ByteWriter& w) : m_w(w) {}
    void u8(quint8& v) override { m_w.u8(v); }
    void i32(int& v) override { m_w.i32(v); }
    void i64(qint64& v) override { m_w.i64(v); }
    void u32(quint32& v) override { m_w.u32(v); }
    void f64(double& v) override { m_w.f64(v); }
    void ext80(double& v) override { m_w.ext80(v); }
    void str(QString& v) override { m_w.str(v); }

private:
    ByteWriter& m_w;
};

} // namespace

void TZqFieldItem::ReadRecord(ByteReader& r, int version)
{
    ReadItemPart(r, version);
    ReadRectPart(r, version);
    FieldReader io(r);
    IoRecord(io);
    Sanitize();
}

void TZqFieldItem::ReadTail(ByteReader& r, int version)
{
    FieldReader io(r);
    IoTail(io, version);
    Sanitize();
}

void TZqFieldItem::WriteRecord(ByteWriter& w) const
{
    WriteItemPart(w);
    WriteRectPart(w);
    FieldWriter io(w);
    self()->IoRecord(io);
}

void TZqFieldItem::WriteTail(ByteWriter& w) const
{
    FieldWriter io(w);
    self()->IoTail(io, ZqVersion::kCurrent);
}

void TZqFieldItem::ReadClip(ByteReader& r)
{
    ReadItemClipPart(r);
    ReadRectClipPart(r);
    FieldReader io(r);
    IoRecord(io);
    Sanitize();
}

void TZqFieldItem::ReadClipTail(ByteReader& r)
{
    FieldReader io(r);
    IoTail(io, ZqVersion::kCurrent);
    Sanitize();
}

void TZqFieldItem::WriteClip(ByteWriter& w) const
{
    WriteItemClipPart(w);
    WriteRectClipPart(w);
    FieldWriter io(w);
    self()->IoRecord(io);
}

void TZqFieldItem::WriteClipTail(ByteWriter& w) const
{
    FieldWriter io(w);
    self()->IoTail(io, ZqVersion::kCurrent);
}

int TZqFieldItem::ClipSize() const
{
    ByteWriter w;
    WriteClip(w);
    return static_cast<int>(w.size());
}

int TZqFieldItem::ClipSizeFull() const
{
    ByteWriter w;
    WriteClip(w);
    WriteClipTail(w);
    return static_cast<int>(w.size());
}

void TZqFieldItem::IoName(TZqFieldIO& io)
{
    QString n = Name();
    io.str(n);
    SetNameRaw(n);
}

void TZqFieldItem::IoStorage(TZqFieldIO& io)
{
    io.str(SubTblName);
    io.str(SubTblFldName);
    io.i32(SubTblRowNo);
}

void TZqFieldItem::IoDataSource(TZqFieldIO& io)
{
    io.str(DataSourceTable);
    io.str(DataSourceField);
    io.str(Group);
}

void TZqFieldItem::VisitStorageProps(TZqPropVisitor& v)
{
    v.text("SubTblName", SubTblName);
    v.text("SubTblFldName", SubTblFldName);
    v.i32("SubTblRowNo", SubTblRowNo);
}

void TZqFieldItem::VisitDataSourceProps(TZqPropVisitor& v)
{
    v.text("DataSourceTable", DataSourceTable);
    v.text("DataSourceField", DataSourceField);
    v.text("Group", Group);
}

void TZqFieldItem::DrawInputOutline(Canvas& dc, int mode, const QRect& r)
{
    if (mode == dmPrint)
        return;
    const int L = r.left(), T = r.top(), R = r.left() + r.width(), B = r.top() + r.height();
    Pen p;
    p.color = kGrey;
    dc.setPen(p);
    dc.drawPolyline({{L, B - 1}, {L, T}, {R, T}});
    dc.drawPolyline({{L, B - 1}, {R - 1, B - 1}, {R - 1, T}});
}

void DrawFieldText(Canvas& dc, const QRect& r, const QString& text, const TZqFieldText& how)
{
    const int lineSpace = TenthMmToPixels(how.lineSpace), charSpace = TenthMmToPixels(how.textSpace);
    const LogFont font = ItemFont(how.face, how.size, how.bold, how.italic);
    if (how.vertical) {
        DrawTextVert(dc, r, how.horzAlign, text, font, lineSpace, charSpace, how.vertAlign);
    } else if (how.singleLine) {
        if (how.fitMode == 0 || how.fitMode == 1) {
            // The routine's mode 0 narrows the characters; any other value scales the font.
            const int mode = how.fitMode == 1 ? 0 : 1;
            DrawTextLineFit(dc, r, how.horzAlign, mode, text, charSpace, how.size, how.italic, how.bold, how.face,
                            how.vertAlign);
        } else {
            dc.setFont(font);
            DrawTextLine(dc, r, how.horzAlign, text, charSpace, how.vertAlign);
        }
    } else if (how.fitMode == 0 || how.fitMode == 1) {
        DrawTextLinesFit(dc, r, how.horzAlign, text, lineSpace, charSpace, how.size, how.italic, how.bold, how.face,
                         how.vertAlign);
    } else {
        dc.setFont(font);
        DrawTextLines(dc, r, how.horzAlign, text, lineSpace, charSpace, how.vertAlign);
    }
}

QStringList FirstCharacters(const QString& text, int max)
{
    QStringList chars = characters(text);
    if (max < 0)
        max = 0;
    if (chars.size() > max)
        chars.erase(chars.begin() + max, chars.end());
    return chars;
}
