#include "ZqEdit.h"

#include "AmountWords.h"
#include "base/Error.h"
#include "base/NumberText.h"

#include <algorithm>

using namespace zq;

namespace {
constexpr int kDefValue = 47882; // > : the edit holds its default value
} // namespace

QString FormatDisplayText(const QString& value, const TZqDisplayFormat& f)
{
    QString text;
    if (!value.isEmpty() && !f.OnlyDigit) {
        text = value;
    } else if (!value.isEmpty()) {
        const double x = parseNumber(value).value_or(0.0);
        if (f.HideZero && x == 0)
            return {};
        if (const std::optional<QString> words = WordsForAutoUpper(f.AutoUpper, value, f.HideZero)) {
            text = *words;
        } else {
            const int decimal = std::clamp(f.Decimal, -1, 6);
            text = decimal < 0 ? numberToText(x) : formatFixed(x, decimal);
            if (f.ThousandSplit)
                text = groupThousands(text);
        }
        text = f.CurrencySymbol + text;
    }
    // An empty field still shows its prefix and suffix, unless it hides zeros.
    if (f.OnlyDigit && f.HideZero && text.isEmpty())
        return {};
    return f.Prefix + text + f.Suffix;
}

void TZqEdit::InitDefaults()
{
    TZqFieldItem::InitDefaults();
    Value.clear();
    DefValue.clear();
    SaveToPrtRec = 1;
    TextColor = 0;
    HorzAlign = 0;
    VertAlign = 1;
    LineSpace = TextSpace = 0;
    FontName = QStringLiteral("宋体");
    Bold = Italic = 0;
    FontSize = -10;
    OnlyDigit = 0;
    Decimal = 2;
    AutoZero = 1;
    AutoUpper = 1;
    CurrencySymbol.clear();
    ThousandSplit = 1;
    HideZero = 0;
    Prefix.clear();
    Suffix.clear();
    ReadOnly = 0;
    SingleLine = 0;
    FitMode = 0;
    TabOrder = -1;
    TextOrie = 0;
    Transparent = 0;
    PrintSelf = 1;
    Visible = 1;
}

void TZqEdit::SetValue(const QString& text)
{
    if (text == Value)
        return;
    Value = text;
    ValueChanged(-1, -1);
}

TZqDisplayFormat TZqEdit::DisplayFormat() const
{
    TZqDisplayFormat f;
    f.OnlyDigit = OnlyDigit;
    f.Decimal = Decimal;
    f.AutoUpper = AutoUpper;
    f.CurrencySymbol = CurrencySymbol;
    f.ThousandSplit = ThousandSplit;
    f.HideZero = HideZero;
    f.Prefix = Prefix;
    f.Suffix = Suffix;
    return f;
}

QString TZqEdit::GetText() const { return FormatDisplayText(Value, DisplayFormat()); }

void TZqEdit::IoRecord(TZqFieldIO& io)
{
    IoName(io);
    io.str(Value);
    io.u8(SaveToPrtRec);
    io.u32(TextColor);
    io.u8(HorzAlign);
    io.u8(VertAlign);
    io.str(FontName);
    io.u8(Bold);
    io.u8(Italic);
    io.ext80(FontSize);
    io.u8(OnlyDigit);
    io.i32(Decimal);
    io.u8(AutoZero);
    io.u8(AutoUpper);
    io.str(CurrencySymbol);
    io.u8(ThousandSplit);
    io.str(Prefix);
    io.str(Suffix);
    io.u8(ReadOnly);
    io.u8(SingleLine);
    io.i32(TabOrder);
    io.u8(TextOrie);
}

void TZqEdit::IoTail(TZqFieldIO& io, int version)
{
    io.i32(LineSpace);
    io.i32(TextSpace);
    io.u8(HideZero);
    if (version > ZqVersion::kStorage) {
        IoStorage(io);
        io.u8(FitMode);
        IoDataSource(io);
    }
    if (version > kDefValue)
        io.str(DefValue);
}

void TZqEdit::Sanitize() { Decimal = std::clamp(Decimal, -1, 6); }

void TZqEdit::Draw(Canvas& dc, int mode, const QRect&, int dy, int dx)
{
    if (mode == dmPrint && (PrintSelf == 0 || NoPrint))
        return;
    CanvasSaver keep(dc);
    const QRect r = DrawRect(mode, dy, dx);
    if (Transparent == 0 && mode != dmPrint)
        dc.fillSolid(r, BgColor);
    QString text;
    try {
        text = GetText();
    } catch (const Error&) {
        text.clear(); // an amount that cannot be written out is not printed at all
    }
    if (!text.isEmpty()) {
        CanvasSaver keepText(dc);
        dc.setTextColor(TextColor);
        dc.setBkTransparent(true);
        TZqFieldText how;
        how.horzAlign = HorzAlign;
        how.vertAlign = VertAlign;
        how.lineSpace = LineSpace;
        how.textSpace = TextSpace;
        how.singleLine = SingleLine != 0;
        how.fitMode = FitMode;
        how.vertical = TextOrie == 1;
        how.face = FontName;
        how.size = FontSize;
        how.bold = Bold;
        how.italic = Italic;
        DrawFieldText(dc, r, text, how);
    }
    DrawInputOutline(dc, mode, r);
    DrawNoPrintMark(dc, mode, r);
    DrawSelection(dc, mode);
}

void TZqEdit::VisitProps(TZqPropVisitor& v)
{
    VisitItemProps(v);
    VisitRectProps(v);
    v.text("Value", Value);
    v.text("DefValue", DefValue);
    v.u8("SaveToPrtRec", SaveToPrtRec);
    v.color("TextColor", TextColor);
    v.u8("HorzAlign", HorzAlign);
    v.u8("VertAlign", VertAlign);
    v.i32("LineSpace", LineSpace);
    v.i32("TextSpace", TextSpace);
    v.text("FontName", FontName);
    v.u8("Bold", Bold);
    v.u8("Italic", Italic);
    v.real("FontSize", FontSize);
    v.u8("OnlyDigit", OnlyDigit);
    v.i32("Decimal", Decimal);
    v.u8("AutoZero", AutoZero);
    v.u8("AutoUpper", AutoUpper);
    v.text("CurrencySymbol", CurrencySymbol);
    v.u8("ThousandSplit", ThousandSplit);
    v.u8("HideZero", HideZero);
    v.text("Prefix", Prefix);
    v.text("Suffix", Suffix);
    v.u8("ReadOnly", ReadOnly);
    v.u8("SingleLine", SingleLine);
    v.u8("FitMode", FitMode);
    v.i32("TabOrder", TabOrder);
    v.u8("TextOrie", TextOrie);
    VisitStorageProps(v);
    VisitDataSourceProps(v);
}
