#pragma once
// Three small input kinds of a bill: the payment password of a cheque, the
// check mark and the boxed characters of a postal code.
#include "model/ZqFieldItem.h"

class TZqPassword : public TZqFieldItem {
public:
    quint8 Type = 0; // 0 two rows of six boxes, 1 one line under a caption
    QString FontName;
    quint8 Bold = 0, Italic = 0;
    double FontSize = 0;
    quint32 TextColor = 0;
    QString Value;
    quint8 SaveToPrtRec = 0;
    quint8 ReadOnly = 0;
    int TabOrder = 0;

    TZqItemType Kind() const override { return itPassword; }
    void InitDefaults() override;
    void SetValue(const QString& text);

    void Draw(zq::Canvas& dc, int mode, const QRect& paintRect, int dy, int dx) override;
    void VisitProps(TZqPropVisitor& v) override;

    QString GetValueText() const override { return Value; }
    void SetValueText(const QString& value) override { SetValue(value); }
    int ValueDataType() const override { return 2; }
    quint8 SaveFlag() const override { return SaveToPrtRec; }
    void ResetValue() override { SetValue(QString()); }
    // Type 0 shows at most twelve characters.
    QString DisplayText() const override;

protected:
    void IoRecord(TZqFieldIO& io) override;
    void IoTail(TZqFieldIO& io, int version) override;
};

class TZqCheck : public TZqFieldItem {
public:
    quint8 SignStyle = 0; // 0 a tick, 1 a cross
    quint8 Checked = 0;
    QString CheckGroup;
    quint8 SaveToPrtRec = 0;
    int TabOrder = 0;

    TZqItemType Kind() const override { return itCheck; }
    void InitDefaults() override;
    void SetChecked(bool flag);
    // "勾选", "是", and in any letter case "Y", "YES", "TRUE" check the box.
    static bool IsCheckedText(const QString& text);

    void Draw(zq::Canvas& dc, int mode, const QRect& paintRect, int dy, int dx) override;
    void VisitProps(TZqPropVisitor& v) override;

    QString GetValueText() const override;
    void SetValueText(const QString& value) override { SetChecked(IsCheckedText(value)); }
    int ValueDataType() const override { return 4; }
    quint8 SaveFlag() const override { return SaveToPrtRec; }
    void ResetValue() override { SetChecked(false); }
    // "√" or "×" when checked, else empty.
    QString DisplayText() const override;

protected:
    void IoRecord(TZqFieldIO& io) override;
    void IoTail(TZqFieldIO& io, int version) override;
};

// The tick or the cross of a check item, black on white (or on what lies
// beneath), filling the square.
void DrawCheckSign(zq::Canvas& dc, const QRect& square, int signStyle, bool onWhite = true);

class TZqPostalCode : public TZqFieldItem {
public:
    QString Value; // one character per box
    quint8 SaveToPrtRec = 0;
    QString FontName;
    quint8 Bold = 0, Italic = 0;
    double FontSize = 0;
    quint32 TextColor = 0;
    int CellCount = 0;
    int SpaceWidth = 0; // pixels between boxes
    quint8 ReadOnly = 0;
    int TabOrder = 0;

    TZqItemType Kind() const override { return itPostalCode; }
    void InitDefaults() override;
    void SetValue(const QString& text);
    // Left edge and width of each box, or nothing when the item is too narrow
    // (or holds no boxes) and shows "宽度不足" instead.
    std::vector<std::pair<int, int>> Boxes() const;

    void Draw(zq::Canvas& dc, int mode, const QRect& paintRect, int dy, int dx) override;
    void VisitProps(TZqPropVisitor& v) override;

    QString GetValueText() const override { return Value; }
    void SetValueText(const QString& value) override { SetValue(value); }
    int ValueDataType() const override { return 2; }
    quint8 SaveFlag() const override { return SaveToPrtRec; }
    void ResetValue() override { SetValue(QString()); }
    // The characters that fall into the boxes.
    QString DisplayText() const override;

protected:
    void IoRecord(TZqFieldIO& io) override;
    void IoTail(TZqFieldIO& io, int version) override;
};
