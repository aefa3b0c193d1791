#pragma once
// The serial-number item: a running counter padded to a fixed number of
// digits between a prefix and a suffix that may hold [年], [月] and [日].
#include "model/ZqFieldItem.h"

class TZqSNEdit : public TZqFieldItem {
public:
    QString Value; // the counter as a decimal integer text
    int DigitCnt = 0;
    quint8 NewForDay = 0;
    int Step = 0;
    QString Prefix, Suffix;
    quint8 SaveToPrtRec = 0;
    quint8 ReadOnly = 0;
    quint32 TextColor = 0;
    quint8 HorzAlign = 0, VertAlign = 0;
    int TextSpace = 0; // tenths of a millimetre
    quint8 TextOrie = 0; // stored; painting is always horizontal
    QString FontName;
    quint8 Bold = 0, Italic = 0;
    double FontSize = 0;
    quint8 SingleLine = 0;
    int TabOrder = 0;
    quint8 FitMode = 0;

    TZqItemType Kind() const override { return itSNEdit; }
    void InitDefaults() override;

    // The counter: the text read as a 64-bit integer, 1 when it is not one.
    qint64 Counter() const;
    // Stores the counter's decimal text; notifies when it changed.
    void SetValue(const QString& text);
    // Prefix + padded counter + suffix, with the date fields of today.
    QString GetText() const;

    void Draw(zq::Canvas& dc, int mode, const QRect& paintRect, int dy, int dx) override;
    void VisitProps(TZqPropVisitor& v) override;

    QString GetValueText() const override { return Value; }
    void SetValueText(const QString& value) override { SetValue(value); }
    int ValueDataType() const override { return 2; }
    quint8 SaveFlag() const override { return SaveToPrtRec; }
    void ResetValue() override { SetValue(QString()); }
    QString DisplayText() const override { return GetText(); }

protected:
    void IoRecord(TZqFieldIO& io) override;
    void IoTail(TZqFieldIO& io, int version) override;
};
