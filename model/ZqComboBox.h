#pragma once
// The drop-down choice: a text picked from fixed choices or a data source, or typed.
#include "model/ZqFieldItem.h"

class TZqComboBox : public TZqFieldItem {
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
    quint8 ReadOnly = 0;
    quint8 SingleLine = 0;
    quint8 FitMode = 0;
    int TabOrder = 0;
    QString SpareText;
    QStringList Items; // fixed choices offered in data entry

    // Width of the drop-down button drawn on the design surface and in picture export.
    static constexpr int kButtonWidth = 17;

    TZqItemType Kind() const override { return itCombobox; }
    void InitDefaults() override;
    void SetValue(const QString& text);

    void Draw(zq::Canvas& dc, int mode, const QRect& paintRect, int dy, int dx) override;
    void VisitProps(TZqPropVisitor& v) override;

    QString GetValueText() const override { return Value; }
    void SetValueText(const QString& value) override { SetValue(value); }
    int ValueDataType() const override { return 2; }
    quint8 SaveFlag() const override { return SaveToPrtRec; }
    void ResetValue() override { SetValue(DefValue); }

protected:
    void IoRecord(TZqFieldIO& io) override;
    void IoTail(TZqFieldIO& io, int version) override;
};
