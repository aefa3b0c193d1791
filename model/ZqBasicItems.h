#pragma once
// The drawing items: line, text box base and label. They carry no value.
#include "model/ZqItem.h"

class TZqLine : public TZqItem {
public:
    int LineWidth = 0;

    TZqItemType Kind() const override { return itLine; }
    void InitDefaults() override;
    // The rectangle spanned by the end points, normalised, inflated by 5.
    QRect GetBounds() const override;
    QPoint StartPoint() const { return {XPos, YPos}; }
    QPoint EndPoint() const { return {XPos + Width, YPos + Height}; }

    void ReadRecord(zq::ByteReader& r, int version) override;
    void WriteRecord(zq::ByteWriter& w) const override;
    void ReadClip(zq::ByteReader& r) override;
    void WriteClip(zq::ByteWriter& w) const override;
    int ClipSize() const override;

    void Draw(zq::Canvas& dc, int mode, const QRect& paintRect, int dy, int dx) override;
    bool HitTest(QPoint pt, int& code) const override;
    bool PtInFrame(QPoint pt) const override;
    bool PtInShape(QPoint pt) const override;
    // Codes 10 (start) and 11 (end).
    QRect HandleRect(int code) const override;
    void VisitProps(TZqPropVisitor& v) override;
};

// A box with text properties; the edit-like kinds repeat these in their own records.
class TZqText : public TZQRect {
public:
    quint32 TextColor = 0;
    quint8 HorzAlign = 0;
    quint8 VertAlign = 0;
    int TextSpace = 0; // tenths of a millimetre
    int LineSpace = 0; // tenths of a millimetre
    QString FontName;
    quint8 Bold = 0;
    quint8 Italic = 0;
    double FontSize = 0; // points, negative by default
    quint8 TextOrie = 0; // 0 horizontal, 1 vertical

    void InitDefaults() override;
    virtual QString GetText() const = 0;
    void Draw(zq::Canvas& dc, int mode, const QRect& paintRect, int dy, int dx) override;

    // The logical font of the text properties.
    zq::LogFont TextFont() const;

protected:
    void ReadTextPart(zq::ByteReader& r, int version);
    void WriteTextPart(zq::ByteWriter& w) const;
    void ReadTextClipPart(zq::ByteReader& r);
    void WriteTextClipPart(zq::ByteWriter& w) const;
    int TextClipPartSize() const;
    void VisitTextProps(TZqPropVisitor& v);
};

class TZqLabel : public TZqText {
public:
    QString Caption;

    TZqItemType Kind() const override { return itLabel; }
    void InitDefaults() override;
    QString GetText() const override { return Caption; }

    void ReadRecord(zq::ByteReader& r, int version) override;
    void WriteRecord(zq::ByteWriter& w) const override;
    void ReadClip(zq::ByteReader& r) override;
    void WriteClip(zq::ByteWriter& w) const override;
    int ClipSize() const override;
    void VisitProps(TZqPropVisitor& v) override;
};

// Tenths of a millimetre to logical units.
int TenthMmToPixels(int tenths);
