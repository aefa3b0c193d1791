#pragma once
// The common ground of the input kinds: one description of each kind's fields
// serves the stream reader, the stream writer and the clipboard form, so the
// three can never drift apart; plus the drawing steps the input kinds share.
#include "model/ZqItem.h"

// Reads or writes one field at a time, in record order.
class TZqFieldIO {
public:
    virtual ~TZqFieldIO() = default;
    virtual void u8(quint8& v) = 0;
    virtual void i32(int& v) = 0;
    virtual void i64(qint64& v) = 0;
    virtual void u32(quint32& v) = 0;
    virtual void f64(double& v) = 0;
    virtual void ext80(double& v) = 0;
    virtual void str(QString& v) = 0;
};

// A boxed input kind whose record is the item part, the rectangle part, the
// kind's fields (IoRecord) and its tail (IoTail, with the version tests).
class TZqFieldItem : public TZQRect {
public:
    void ReadRecord(zq::ByteReader& r, int version) override;
    void ReadTail(zq::ByteReader& r, int version) override;
    void WriteRecord(zq::ByteWriter& w) const override;
    void WriteTail(zq::ByteWriter& w) const override;
    void ReadClip(zq::ByteReader& r) override;
    void ReadClipTail(zq::ByteReader& r) override;
    void WriteClip(zq::ByteWriter& w) const override;
    void WriteClipTail(zq::ByteWriter& w) const override;
    // The exact byte lengths of the clipboard form.
    int ClipSize() const override;
    int ClipSizeFull() const override;

    bool IsInput() const override { return true; }

protected:
    // The kind's fields after the rectangle part, and its tail. Writers pass
    // the current version, so every optional field is written.
    virtual void IoRecord(TZqFieldIO& io) = 0;
    virtual void IoTail(TZqFieldIO& io, int version) = 0;
    // Brings settings that a file may hold out of range back into it.
    virtual void Sanitize() {}

    void IoName(TZqFieldIO& io);
    // Storage options: sub-table name, column and row.
    void IoStorage(TZqFieldIO& io);
    // Data-source link and group.
    void IoDataSource(TZqFieldIO& io);
    void VisitStorageProps(TZqPropVisitor& v);
    void VisitDataSourceProps(TZqPropVisitor& v);

    // Writers walk the same field list as readers and leave every field as it is.
    TZqFieldItem* self() const { return const_cast<TZqFieldItem*>(this); }

    // The grey one-pixel outline of the input kinds, drawn in screen modes only.
    static void DrawInputOutline(zq::Canvas& dc, int mode, const QRect& r);
};

// Input versions: storage options and the kinds' later fields appear after this one.
namespace ZqVersion {
inline constexpr int kStorage = 47873;
}

// Draws the text of an edit-like field with the routine its settings select:
// vertical, single line (shrunk proportionally, narrowed or never shrunk) or
// several lines (shrunk to fit or not). Spacings are in tenths of a millimetre.
struct TZqFieldText {
    int horzAlign = 0, vertAlign = 1;
    int lineSpace = 0, textSpace = 0;
    bool singleLine = false;
    int fitMode = 0;
    bool vertical = false;
    QString face;
    double size = -10;
    bool bold = false, italic = false;
};
void DrawFieldText(zq::Canvas& dc, const QRect& r, const QString& text, const TZqFieldText& how);

// Characters of a text, at most `max` of them (a double-byte character is one).
QStringList FirstCharacters(const QString& text, int max);

// The button face colour of the platform's screen controls.
inline constexpr zq::Color kButtonFace = 0xF0F0F0;
inline constexpr zq::Color kGrey = 0x808080;
