#pragma once
// Amounts in boxes: the amount box prints the figure digits one per box with
// a currency sign left of the highest digit; the capital amount prints capital
// numerals one per box, each followed by its unit, and seals the free boxes.
// Box k (0 the rightmost) shows digit place Low + k: 0 分, 1 角, 2 元, 3 十 ... 11 十亿.
#include "model/ZqFieldItem.h"

#include <vector>

// Shared by both kinds.
class TZqBoxedAmount : public TZqFieldItem {
public:
    quint8 High = 0, Low = 0;
    QString Value; // two decimals, or empty
    QString FontName;
    quint8 Bold = 0, Italic = 0;
    double FontSize = 0;
    quint32 TextColor = 0;
    quint8 SaveToPrtRec = 0;
    quint8 ReadOnly = 0;
    int TabOrder = 0;

    // Number of boxes (0 when High is below Low).
    int BoxCount() const;
    // The figures of the value fit the boxes (an empty or non-numeric value always does).
    bool ValueFits() const { return ValueCharacters(Value).size() <= BoxCount(); }
    // Empty text empties the item. Otherwise the text read as a number (0
    // when it is not one) is stored with two decimals when it differs from the
    // current amount. Throws zq::Error naming the item, and keeps the value,
    // when the amount has more digits than the boxes hold.
    void SetValue(const QString& text);

    QString GetValueText() const override { return Value; }
    void SetValueText(const QString& value) override { SetValue(value); }
    int ValueDataType() const override { return 1; }
    quint8 SaveFlag() const override { return SaveToPrtRec; }

protected:
    // The characters the value puts into the boxes, rightmost first, before
    // they are cut to the boxes; empty when the value is empty or not a number.
    virtual QStringList ValueCharacters(const QString& value) const = 0;
    zq::LogFont Font() const { return ItemFont(FontName, FontSize, Bold, Italic); }
    // Widths of `count` boxes sharing `total` pixels, leftmost (highest) first:
    // the first (total mod count) boxes from the right are one pixel wider.
    static std::vector<int> ShareWidths(int total, int count);
};

class TZqCurrency : public TZqBoxedAmount {
public:
    quint8 SpareByte1 = 0;
    QString CurrencySign;
    quint8 ShowCurrencySign = 0;
    quint8 ShowCurrencyColumn = 0;
    quint8 ShowLimitation = 0;
    QString Limitation; // 千, 万, 十万, 百万, 千万, 亿 or 十亿
    quint8 SpareByte2 = 0;
    quint8 FullPrint = 0;
    int TinyAdj[12] = {}; // width correction per digit place, pixels

    TZqItemType Kind() const override { return itCurrency; }
    void InitDefaults() override;

    int TinyAdjOf(int place) const { return place >= 0 && place < 12 ? TinyAdj[place] : 0; }
    void SetTinyAdj(int place, int pixels);
    // What box k shows (k = 0 the rightmost); empty boxes hold the empty text.
    // When the digits do not fit the boxes, no box shows anything.
    QStringList BoxTexts() const;

    void Draw(zq::Canvas& dc, int mode, const QRect& paintRect, int dy, int dx) override;
    void VisitProps(TZqPropVisitor& v) override;

    void ResetValue() override;
    void AppendValues(QList<TZqItemValue>& out) const override;
    void ApplyValues(const QList<TZqItemValue>& records) override;
    QString DisplayText() const override;

protected:
    void IoRecord(TZqFieldIO& io) override;
    void IoTail(TZqFieldIO& io, int version) override;
    QStringList ValueCharacters(const QString& value) const override;
};

class TZqUpperCurrency : public TZqBoxedAmount {
public:
    quint8 HideZero = 0;
    quint8 SealMode = 0; // 0 the box left of the amount, 1 every free box
    QString SealFontName;
    double SealFontSize = 0;
    QString SealChar;

    TZqItemType Kind() const override { return itUpperCurrency; }
    void InitDefaults() override;

    // What box k shows, rightmost first: a capital numeral, kSeal, or empty.
    QStringList BoxTexts() const;
    static const QString kSeal;

    void Draw(zq::Canvas& dc, int mode, const QRect& paintRect, int dy, int dx) override;
    void VisitProps(TZqPropVisitor& v) override;

    void ResetValue() override { SetValue(QString()); }
    QString DisplayText() const override;

protected:
    void IoRecord(TZqFieldIO& io) override;
    void IoTail(TZqFieldIO& io, int version) override;
    QStringList ValueCharacters(const QString& value) const override;
};

// The seal of a capital amount as it stands on paper: a circle crossed by
// two strokes, in the pen colour, centred in the box, `size` pixels across at most.
void DrawSealMark(zq::Canvas& dc, const QRect& box, zq::Color color, int size);
