#pragma once
// The picture item: a JPEG, or a bitmap whose top-left colour is transparent,
// kept inside the template as Base64 text; or, without a picture, one of the
// drawn pipe shapes named by its first extension pair. Carries no value.
#include "model/ZqItem.h"

#include <QByteArray>
#include <QImage>

class TZqPicture : public TZQRect {
public:
    quint8 IsBitmap = 0;    // PicData holds a BMP file instead of a JPEG file
    // The picture file as MIME Base64 text, byte for byte as stored: a picture
    // that cannot be decoded is kept as it is and written back unchanged.
    QByteArray PicData;
    quint8 Stretch = 0;     // scaled to the box, keeping the aspect ratio
    quint8 HorzAlign = 0;   // 0 left, 1 right, 2 centre
    quint8 VertAlign = 0;   // 0 top, 1 middle, 2 bottom
    quint8 SaveToPrtRec = 0;

    TZqItemType Kind() const override { return itPicture; }
    void InitDefaults() override;

    // Stores both and decodes the picture again.
    void SetPicture(bool isBitmap, const QByteArray& base64);
    // Decodes PicData as a BMP (IsBitmap) or a JPEG. A failure leaves no
    // picture to draw but keeps PicData.
    void LoadPicture();
    // The decoded picture (transparency applied); null when there is none or
    // PicData could not be decoded.
    const QImage& Picture() const { return m_picture; }

    // Where the picture goes in box r.
    QRect PictureRect(const QRect& r) const;
    // The pipe shape code of a name ("topleft" 1 ... "vertical" 200); 0 when unknown.
    static int ShapeCode(const QString& name);

    void ReadRecord(zq::ByteReader& r, int version) override;
    void ReadTail(zq::ByteReader& r, int version) override;
    void WriteRecord(zq::ByteWriter& w) const override;
    void WriteTail(zq::ByteWriter& w) const override;
    void ReadClip(zq::ByteReader& r) override;
    void ReadClipTail(zq::ByteReader& r) override;
    void WriteClip(zq::ByteWriter& w) const override;
    void WriteClipTail(zq::ByteWriter& w) const override;
    int ClipSize() const override;
    int ClipSizeFull() const override;

    void Draw(zq::Canvas& dc, int mode, const QRect& paintRect, int dy, int dx) override;
    void VisitProps(TZqPropVisitor& v) override;

private:
    void ReadFields(zq::ByteReader& r, bool hasBitmapFlag);
    void WriteFields(zq::ByteWriter& w) const;
    QImage m_picture;
};

// A bitmap with every pixel of its top-left pixel's colour made transparent.
QImage TransparentFromTopLeft(const QImage& bitmap);
