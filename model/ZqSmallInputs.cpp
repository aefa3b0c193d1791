#include "ZqSmallInputs.h"

#include "base/Gbk.h"
#include "base/Rounding.h"
#include "draw/TextDraw.h"

#include <algorithm>

using namespace zq;

namespace {

constexpr int kPostalDataSource = 47874; // > : postal codes hold a data-source link and group
// More boxes than this only come from a damaged file; such an item shows no boxes.
constexpr int kMaxCells = 1000;

void drawCentred(Canvas& dc, const QRect& r, const QString& text)
{
    if (!text.isEmpty() && r.width() > 0 && r.height() > 0)
        DrawTextLine(dc, r, 2, text, 0, 1);
}

void blackPen(Canvas& dc)
{
    Pen p;
    p.color = kBlack;
    dc.setPen(p);
}

} // namespace

// ---------------------------------------------------------------- password

void TZqPassword::InitDefaults()
{
    TZqFieldItem::InitDefaults();
    Type = 0;
    FontName = QStringLiteral("宋体");
    Bold = Italic = 0;
    FontSize = -10;
    TextColor = 0;
    Value.clear();
    SaveToPrtRec = 1;
    ReadOnly = 0;
    TabOrder = -1;
    Transparent = 0;
    PrintSelf = 1;
    Visible = 1;
}

void TZqPassword::SetValue(const QString& text)
{
    if (text == Value)
        return;
    Value = text;
    ValueChanged(-1, -1);
}

QString TZqPassword::DisplayText() const
{
    return Type == 1 ? Value : FirstCharacters(Value, 12).join(QString());
}

void TZqPassword::Draw(Canvas& dc, int mode, const QRect&, int dy, int dx)
{
    if (mode == dmPrint && PrintSelf == 0)
        return;
    CanvasSaver keep(dc);
    const QRect r = DrawRect(mode, dy, dx);
    const int L = r.left(), T = r.top(), R = r.left() + r.width(), B = r.top() + r.height();
    dc.setClipRect(r);
    if (Transparent == 0 && mode != dmPrint)
        dc.fillSolid(r, BgColor);
    dc.setFont(ItemFont(FontName, FontSize, Bold, Italic));
    dc.setTextColor(TextColor);
    dc.setBkTransparent(true);
    blackPen(dc);
    const bool screen = mode != dmPrint;
    if (screen)
        dc.drawPolyline({{L, B - 1}, {L, T}, {R - 1, T}, {R - 1, B - 1}, {L, B - 1}});
    if (Type == 1) {
        const int mid = T + (B - T) / 2;
        if (screen) {
            dc.drawLine({L, mid}, {R - 1, mid});
            drawCentred(dc, QRect(L, T, R - L, mid - T), QStringLiteral("须填密码"));
        }
        drawCentred(dc, QRect(L, mid, R - L, B - mid), Value);
    } else {
        const int h = (B - T) / 3, c = Width / 7, f = Width - 6 * c;
        const QStringList chars = FirstCharacters(Value, 12);
        for (int row = 0; row < 2; ++row) {
            const int top = T + row * h;
            if (screen) {
                drawCentred(dc, QRect(L, top, f, h), row == 0 ? QStringLiteral("密") : QStringLiteral("码"));
                dc.drawLine({L + f, top}, {L + f, top + h});
            }
            for (int col = 0; col < 6; ++col) {
                const int left = L + f + col * c;
                const int i = row * 6 + col;
                if (i < chars.size())
                    drawCentred(dc, QRect(left, top, c, h), chars[i]);
                if (screen && col < 5)
                    dc.drawLine({left + c, top}, {left + c, top + h});
            }
        }
        if (screen) {
            dc.drawLine({L + f, T + h}, {R - 1, T + h});
            dc.drawLine({L, T + 2 * h}, {R - 1, T + 2 * h});
        }
    }
    dc.clearClip();
    DrawSelection(dc, mode);
}

void TZqPassword::IoRecord(TZqFieldIO& io)
{
    io.u8(Type);
    io.str(FontName);
    io.u8(Bold);
    io.u8(Italic);
    io.ext80(FontSize);
    io.u32(TextColor);
    IoName(io);
    io.str(Value);
    io.u8(SaveToPrtRec);
    io.u8(ReadOnly);
    io.i32(TabOrder);
}

void TZqPassword::IoTail(TZqFieldIO& io, int version)
{
    if (version > ZqVersion::kStorage)
        IoStorage(io);
}

void TZqPassword::VisitProps(TZqPropVisitor& v)
{
    VisitItemProps(v);
    VisitRectProps(v);
    v.u8("Type", Type);
    v.text("FontName", FontName);
    v.u8("Bold", Bold);
    v.u8("Italic", Italic);
    v.real("FontSize", FontSize);
    v.color("TextColor", TextColor);
    v.text("Value", Value);
    v.u8("SaveToPrtRec", SaveToPrtRec);
    v.u8("ReadOnly", ReadOnly);
    v.i32("TabOrder", TabOrder);
    VisitStorageProps(v);
}

// ---------------------------------------------------------------- check

void TZqCheck::InitDefaults()
{
    TZqFieldItem::InitDefaults();
    SignStyle = 0;
    Checked = 1;
    CheckGroup.clear();
    SaveToPrtRec = 1;
    TabOrder = -1;
    Transparent = 0;
    PrintSelf = 1;
    Visible = 1;
}

bool TZqCheck::IsCheckedText(const QString& text)
{
    if (text == QStringLiteral("勾选") || text == QStringLiteral("是"))
        return true;
    const QString u = asciiUpper(text);
    return u == u"Y" || u == u"YES" || u == u"TRUE";
}

void TZqCheck::SetChecked(bool flag)
{
    if ((Checked != 0) == flag)
        return;
    Checked = flag ? 1 : 0;
    ValueChanged(-1, -1);
}

QString TZqCheck::GetValueText() const { return Checked ? QStringLiteral("True") : QStringLiteral("False"); }

QString TZqCheck::DisplayText() const
{
    if (!Checked)
        return {};
    return SignStyle == 1 ? QStringLiteral("×") : QStringLiteral("√");
}

void DrawCheckSign(Canvas& dc, const QRect& sq, int signStyle, bool onWhite)
{
    if (sq.width() <= 0)
        return;
    CanvasSaver keep(dc);
    if (onWhite)
        dc.fillSolid(sq, kWhite);
    const double s = sq.width();
    auto at = [&](double x, double y) { return QPoint(sq.left() + roundToInt(x * s), sq.top() + roundToInt(y * s)); };
    Brush b;
    b.color = kBlack;
    dc.setBrush(b);
    if (signStyle == 1)
        dc.fillPolygon({at(0.12, 0.24), at(0.24, 0.12), at(0.5, 0.38), at(0.76, 0.12), at(0.88, 0.24), at(0.62, 0.5),
                        at(0.88, 0.76), at(0.76, 0.88), at(0.5, 0.62), at(0.24, 0.88), at(0.12, 0.76), at(0.38, 0.5)});
    else
        dc.fillPolygon({at(0.08, 0.52), at(0.22, 0.38), at(0.40, 0.56), at(0.78, 0.14), at(0.92, 0.28), at(0.40, 0.86)});
}

void TZqCheck::Draw(Canvas& dc, int mode, const QRect&, int dy, int dx)
{
    if (mode == dmPrint && PrintSelf == 0)
        return;
    CanvasSaver keep(dc);
    const QRect r = DrawRect(mode, dy, dx);
    if (Checked) {
        const QRect in = r.adjusted(1, 1, -1, -1);
        const int side = std::max(0, std::min(in.width(), in.height()));
        const QRect sq(in.left() + (in.width() - side) / 2, in.top() + (in.height() - side) / 2, side, side);
        DrawCheckSign(dc, sq, SignStyle);
    }
    DrawInputOutline(dc, mode, r);
    DrawSelection(dc, mode);
}

void TZqCheck::IoRecord(TZqFieldIO& io)
{
    IoName(io);
    io.u8(SignStyle);
    io.u8(Checked);
    io.str(CheckGroup);
    io.u8(SaveToPrtRec);
    io.i32(TabOrder);
}

void TZqCheck::IoTail(TZqFieldIO& io, int version)
{
    if (version > ZqVersion::kStorage)
        IoStorage(io);
}

void TZqCheck::VisitProps(TZqPropVisitor& v)
{
    VisitItemProps(v);
    VisitRectProps(v);
    v.u8("SignStyle", SignStyle);
    v.u8("Checked", Checked);
    v.text("CheckGroup", CheckGroup);
    v.u8("SaveToPrtRec", SaveToPrtRec);
    v.i32("TabOrder", TabOrder);
    VisitStorageProps(v);
}

// ---------------------------------------------------------------- postal code

void TZqPostalCode::InitDefaults()
{
    TZqFieldItem::InitDefaults();
    Value.clear();
    SaveToPrtRec = 1;
    FontName = QStringLiteral("宋体");
    Bold = Italic = 0;
    FontSize = -10;
    TextColor = 0;
    CellCount = 6;
    SpaceWidth = 0;
    ReadOnly = 0;
    TabOrder = -1;
    Transparent = 0;
    PrintSelf = 1;
    Visible = 1;
}

void TZqPostalCode::SetValue(const QString& text)
{
    if (text == Value)
        return;
    Value = text;
    ValueChanged(-1, -1);
}

std::vector<std::pair<int, int>> TZqPostalCode::Boxes() const
{
    std::vector<std::pair<int, int>> out;
    const qint64 n = CellCount, s = std::max(0, SpaceWidth);
    // Every box needs three pixels; this also bounds the count by the width.
    if (n <= 0 || n > kMaxCells || Width < (n - 1) * s + 3 * n)
        return out;
    const qint64 free = Width - (n - 1) * s;
    const qint64 b = free / n, wider = free % n;
    qint64 left = XPos;
    for (qint64 i = 0; i < n; ++i) {
        const qint64 w = b + (i < wider ? 1 : 0);
        out.emplace_back(static_cast<int>(left), static_cast<int>(w));
        left += w + s;
    }
    return out;
}

QString TZqPostalCode::DisplayText() const
{
    return FirstCharacters(Value, static_cast<int>(Boxes().size())).join(QString());
}

void TZqPostalCode::Draw(Canvas& dc, int mode, const QRect&, int dy, int dx)
{
    if (mode == dmPrint && PrintSelf == 0)
        return;
    CanvasSaver keep(dc);
    const QRect r = DrawRect(mode, dy, dx);
    const int L = r.left(), T = r.top(), R = r.left() + r.width(), B = r.top() + r.height();
    dc.setClipRect(r);
    if (Transparent == 0 && mode != dmPrint)
        dc.fillSolid(r, BgColor);
    dc.setFont(ItemFont(FontName, FontSize, Bold, Italic));
    dc.setTextColor(TextColor);
    dc.setBkTransparent(true);
    blackPen(dc);
    const bool screen = mode != dmPrint;
    const std::vector<std::pair<int, int>> boxes = Boxes();
    if (boxes.empty()) {
        drawCentred(dc, r, QStringLiteral("宽度不足"));
    } else {
        const QStringList chars = FirstCharacters(Value, static_cast<int>(boxes.size()));
        const int shift = r.left() - XPos;
        for (size_t i = 0; i < boxes.size(); ++i) {
            const int left = boxes[i].first + shift, right = left + boxes[i].second;
            if (static_cast<qsizetype>(i) < chars.size())
                drawCentred(dc, QRect(left, T, right - left, B - T), chars[static_cast<qsizetype>(i)]);
            if (!screen)
                continue;
            if (SpaceWidth > 0)
                dc.drawPolyline({{left, T}, {right - 1, T}, {right - 1, B - 1}, {left, B - 1}, {left, T}});
            else if (i + 1 < boxes.size())
                dc.drawLine({right, T}, {right, B});
        }
        if (screen && SpaceWidth <= 0)
            dc.drawPolyline({{L, B - 1}, {L, T}, {R - 1, T}, {R - 1, B - 1}, {L, B - 1}});
    }
    dc.clearClip();
    DrawSelection(dc, mode);
}

void TZqPostalCode::IoRecord(TZqFieldIO& io)
{
    IoName(io);
    io.str(Value);
    io.u8(SaveToPrtRec);
    io.str(FontName);
    io.u8(Bold);
    io.u8(Italic);
    io.ext80(FontSize);
    io.u32(TextColor);
    io.i32(CellCount);
    io.i32(SpaceWidth);
    io.u8(ReadOnly);
    io.i32(TabOrder);
}

void TZqPostalCode::IoTail(TZqFieldIO& io, int version)
{
    if (version > ZqVersion::kStorage)
        IoStorage(io);
    if (version > kPostalDataSource)
        IoDataSource(io);
}

void TZqPostalCode::VisitProps(TZqPropVisitor& v)
{
    VisitItemProps(v);
    VisitRectProps(v);
    v.text("Value", Value);
    v.u8("SaveToPrtRec", SaveToPrtRec);
    v.text("FontName", FontName);
    v.u8("Bold", Bold);
    v.u8("Italic", Italic);
    v.real("FontSize", FontSize);
    v.color("TextColor", TextColor);
    v.i32("CellCount", CellCount);
    v.i32("SpaceWidth", SpaceWidth);
    v.u8("ReadOnly", ReadOnly);
    v.i32("TabOrder", TabOrder);
    VisitStorageProps(v);
    VisitDataSourceProps(v);
}
