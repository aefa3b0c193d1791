#pragma once
// The barcode item: its data drawn as a linear barcode symbol, centred in its
// box with a quiet zone of four modules on either side. An input kind.
#include "draw/Barcode.h"
#include "model/ZqItem.h"

class TZqBarcode : public TZQRect {
public:
    zq::TzqBarcod Encoder; // set up before each drawing; not stored
    quint8 Typ = 0;        // symbology, zq::TzqBarcodType
    quint8 Checksum = 0;   // 0 none, any other value the modulo-10 check digit
    quint8 SpareByte1 = 0;
    int Angle = 0;         // degrees counter-clockwise, taken to the nearest quarter turn
    quint8 SpareByte2 = 0;
    double Modul = 0;      // width of one module in template pixels
    QString Data;
    quint8 SaveToPrtRec = 0;
    quint8 ReadOnly = 0;
    int TabOrder = 0;

    TZqItemType Kind() const override { return itBarcod; }
    void InitDefaults() override;

    // Stores the data and notifies when it differs.
    void SetValue(const QString& text);

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

    bool IsInput() const override { return true; }
    void ResetValue() override { SetValue(QString()); }
    QString GetValueText() const override { return Data; }
    void SetValueText(const QString& value) override { SetValue(value); }
    int ValueDataType() const override { return 2; }
    quint8 SaveFlag() const override { return SaveToPrtRec; }

    // The rectangle the bars (and the human-readable text) are stretched into
    // for a symbol of `modules` modules drawn in box r; nullopt when the module
    // width gives no drawable symbol.
    std::optional<QRect> SymbolRect(const QRect& r, int modules) const;
    // The encoder set up from the item's fields.
    void SetupEncoder();

private:
    void ReadFields(zq::ByteReader& r);
    void WriteFields(zq::ByteWriter& w) const;
};
