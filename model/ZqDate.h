#pragma once
// The date item: a date printed into separate year, month and day columns in
// one of thirteen writing styles, among them the banks' cheque styles.
#include "model/ZqFieldItem.h"

class TZqDate : public TZqFieldItem {
public:
    double DateValue = 0; // days from 1899-12-30, time as fraction
    quint8 SaveToPrtRec = 0;
    quint8 Type = 0;   // 0 year-month-day, 1 year-month, 2 year, 3 month-day
    quint8 Format = 0; // writing style 0 to 12
    QString FontName;
    quint8 Bold = 0, Italic = 0;
    double FontSize = 0;
    quint32 TextColor = 0;
    int ColWidth1 = 0, ColWidth2 = 0, ColWidth3 = 0;
    int LabelWidth = 0; // caption box width, measured at the last paint
    quint8 ReadOnly = 0;
    int TabOrder = 0;
    quint8 IsEmpty = 0; // not stored
    quint8 PrintColumn = 0;
    quint8 IncludeTime = 0;

    TZqItemType Kind() const override { return itDate; }
    void InitDefaults() override;

    // Empty text empties the item. Otherwise "yyyy-m-d" (with "hh:mm[:ss]"
    // when IncludeTime); throws zq::Error for any other text or a year outside
    // 1000..9999, leaving the value as it was.
    void SetValue(const QString& text);
    // "yyyy-mm-dd" or "yyyy-mm-dd hh:nn:ss"; empty when empty.
    QString TextForm() const;
    int PartCount() const;
    // Parts are numbered 1 to 3.
    QString PartText(int n) const;
    QString PartCaption(int n) const;
    QRect PartRect(int n) const;
    QRect CaptionRect(int n) const;
    bool PtInCaption(QPoint pt) const;

    void Draw(zq::Canvas& dc, int mode, const QRect& paintRect, int dy, int dx) override;
    bool HitTest(QPoint pt, int& code) const override;
    void VisitProps(TZqPropVisitor& v) override;

    QString GetValueText() const override { return TextForm(); }
    void SetValueText(const QString& value) override { SetValue(value); }
    int ValueDataType() const override { return 3; }
    quint8 SaveFlag() const override { return SaveToPrtRec; }
    void ResetValue() override { SetValue(QString()); }
    // The parts with their captions, and the time when it is included.
    QString DisplayText() const override;

protected:
    void IoRecord(TZqFieldIO& io) override;
    void IoTail(TZqFieldIO& io, int version) override;

private:
    // Year, month and day of the value; false when empty or outside 1000..9999.
    bool Ymd(int& y, int& m, int& d) const;
    // The part shown in column n: 'Y', 'M', 'D' or 0.
    char PartKind(int n) const;
    QRect ColumnRect(const QRect& bounds, int n) const;
    QRect CaptionBox(const QRect& column) const;
};
