#include "ZqComboBox.h"

#include <algorithm>

using namespace zq;

namespace {
constexpr int kSpareText = 47879; // > : SpareText
constexpr int kDefValue = 47882;  // > : DefValue
} // namespace

void TZqComboBox::InitDefaults()
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
    ReadOnly = 0;
    SingleLine = 0;
    FitMode = 0;
    TabOrder = -1;
    SpareText.clear();
    Items.clear();
    Transparent = 0;
    PrintSelf = 1;
    Visible = 1;
}

void TZqComboBox::SetValue(const QString& text)
{
    if (text == Value)
        return;
    Value = text;
    ValueChanged(-1, -1);
}

void TZqComboBox::IoRecord(TZqFieldIO& io)
{
    IoName(io);
    io.str(Value);
    io.u8(SaveToPrtRec);
    int n = static_cast<int>(Items.size());
    io.i32(n);
    // Built one string at a time, so a damaged count fails at the end of the data.
    QStringList list;
    for (int i = 0; i < n; ++i) {
        QString s = i < Items.size() ? Items[i] : QString();
        io.str(s);
        list.append(s);
    }
    Items = list;
    io.str(DataSourceTable);
    io.str(DataSourceField);
    io.u32(TextColor);
    io.u8(HorzAlign);
    io.u8(VertAlign);
    io.str(FontName);
    io.u8(Bold);
    io.u8(Italic);
    io.ext80(FontSize);
    io.u8(ReadOnly);
    io.u8(SingleLine);
    io.i32(TabOrder);
    io.str(Group);
}

void TZqComboBox::IoTail(TZqFieldIO& io, int version)
{
    io.i32(LineSpace);
    io.i32(TextSpace);
    if (version > ZqVersion::kStorage) {
        IoStorage(io);
        io.u8(FitMode);
    }
    if (version > kSpareText)
        io.str(SpareText);
    if (version > kDefValue)
        io.str(DefValue);
}

void TZqComboBox::Draw(Canvas& dc, int mode, const QRect&, int dy, int dx)
{
    if (mode == dmPrint && (PrintSelf == 0 || NoPrint))
        return;
    CanvasSaver keep(dc);
    const QRect r = DrawRect(mode, dy, dx);
    if (Transparent == 0 && mode != dmPrint)
        dc.fillSolid(r, BgColor);
    if (!Value.isEmpty()) {
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
        how.face = FontName;
        how.size = FontSize;
        how.bold = Bold;
        how.italic = Italic;
        DrawFieldText(dc, r, Value, how);
    }
    if (mode == dmDesign || mode == dmExport) {
        // A flat drop-down button at the right end, never wider than the box.
        const int w = std::clamp(r.width(), 0, kButtonWidth);
        const QRect b(r.left() + r.width() - w, r.top(), w, r.height());
        dc.fillSolid(b, kButtonFace);
        const int cx = b.left() + b.width() / 2, cy = b.top() + b.height() / 2;
        Brush arrow;
        arrow.color = kBlack;
        dc.setBrush(arrow);
        dc.setPen(Pen{Pen::Style::None});
        dc.fillPolygon({{cx - 4, cy - 2}, {cx + 4, cy - 2}, {cx, cy + 2}});
    }
    DrawInputOutline(dc, mode, r);
    DrawNoPrintMark(dc, mode, r);
    DrawSelection(dc, mode);
}

void TZqComboBox::VisitProps(TZqPropVisitor& v)
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
    v.u8("ReadOnly", ReadOnly);
    v.u8("SingleLine", SingleLine);
    v.u8("FitMode", FitMode);
    v.i32("TabOrder", TabOrder);
    v.text("SpareText", SpareText);
    // The fixed choices as lines of one text.
    QString items = Items.join(u'\n');
    v.text("Items", items);
    Items = items.isEmpty() ? QStringList() : items.split(u'\n');
    VisitStorageProps(v);
    VisitDataSourceProps(v);
}
