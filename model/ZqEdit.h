#pragma once
// The edit item: the general input field. It keeps the value as typed and
// prints it through a display chain: number format or amount in words, a
// currency symbol, a prefix and a suffix. Grid cells share the chain.
#include "model/ZqFieldItem.h"

// The display chain of an edit or a grid cell.
struct TZqDisplayFormat {
    quint8 OnlyDigit = 0;
    int Decimal = 2;        // -1 (as many as needed) or 0 to 6
    quint8 AutoUpper = 1;   // number style: 0 plain, 1-10 words
    QString CurrencySymbol;
    quint8 ThousandSplit = 1;
    quint8 HideZero = 0;
    QString Prefix, Suffix;
};
// The text printed for a value. Throws zq::Error when the value cannot be
// written in the chosen words (English outside its range, amounts of 10^12 and more).
QString FormatDisplayText(const QString& value, const TZqDisplayFormat& f);

class TZqEdit : public TZqFieldItem {
public:
    QString Value;
    QString DefValue;
    quint8 SaveToPrtRec = 0;
    quint32 TextColor = 0;
    quint8 HorzAlign = 0, VertAlign = 0;
    int LineSpace = 0, TextSpace = 0; // tenths of a millimetre
    QString FontName;
    quint8 Bold = 0, Italic = 0;
    double FontSize = 0;
    quint8 OnlyDigit = 0;
    int Decimal = 0;
    quint8 AutoZero = 0;
    quint8 AutoUpper = 0;
    QString CurrencySymbol;
    quint8 ThousandSplit = 0;
    quint8 HideZero = 0;
    QString Prefix, Suffix;
    quint8 ReadOnly = 0;
    quint8 SingleLine = 0;
    quint8 FitMode = 0;
    int TabOrder = 0;
    quint8 TextOrie = 0;

    TZqItemType Kind() const override { return itEdit; }
    void InitDefaults() override;

    // Stores the text and notifies the template when it differs from Value.
    void SetValue(const QString& text);
    // The display text.
    QString GetText() const;
    TZqDisplayFormat DisplayFormat() const;

    void Draw(zq::Canvas& dc, int mode, const QRect& paintRect, int dy, int dx) override;
    void VisitProps(TZqPropVisitor& v) override;

    QString GetValueText() const override { return Value; }
    void SetValueText(const QString& value) override { SetValue(value); }
    int ValueDataType() const override { return OnlyDigit ? 1 : 2; }
    quint8 SaveFlag() const override { return SaveToPrtRec; }
    void ResetValue() override { SetValue(DefValue); }
    QString DisplayText() const override { return GetText(); }

protected:
    void IoRecord(TZqFieldIO& io) override;
    void IoTail(TZqFieldIO& io, int version) override;
    void Sanitize() override;
};
