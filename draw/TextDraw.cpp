#include "TextDraw.h"

#include "base/Gbk.h"
#include "base/Rounding.h"

#include <cmath>
#include <functional>
#include <numbers>

namespace zq {
namespace {

bool isBreak(QChar c) { return c == u'\r' || c == u'\n'; }

QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        qsizetype j = i;
        while (j < n && !isBreak(text[j]))
            ++j;
        lines.append(text.mid(i, j - i));
        i = j;
        while (i < n && isBreak(text[i]))
            ++i;
    }
    return lines;
}

using Advance = std::function<int(const QString& ch)>;

// Wraps every line of the list in place at extent E.
void wrapLines(QStringList& lines, int extent, int spacing, const Advance& advance)
{
    for (qsizetype li = 0; li < lines.size(); ++li) {
        const QStringList chars = characters(lines[li]);
        int p = 0;
        for (qsizetype k = 0; k < chars.size(); ++k) {
            const int a = advance(chars[k]);
            if (p + a > extent) {
                const qsizetype cut = k == 0 ? 1 : k; // a line keeps at least its first character
                const QString head = chars.mid(0, cut).join(QString());
                const QString rest = chars.mid(cut).join(QString());
                lines[li] = head;
                if (!rest.isEmpty())
                    lines.insert(li + 1, rest);
                break;
            }
            p += a + spacing;
        }
    }
}

void wrapHorizontal(Canvas& dc, const QRect& rect, int charSpacing, QStringList& lines)
{
    wrapLines(lines, rect.width(), charSpacing, [&](const QString& ch) { return dc.textExtent(ch).width(); });
}

int linesHeight(Canvas& dc, const QStringList& lines, int lineSpacing)
{
    int h = 0;
    for (const QString& l : lines)
        h += dc.textExtent(l).height();
    if (!lines.isEmpty())
        h += lineSpacing * static_cast<int>(lines.size() - 1);
    return h;
}

int alignedStart(int start, int end, int length, int align, bool vertical)
{
    // Horizontal: 0 start, 2 centre, else end. Vertical: 0 start, 1 centre, else end.
    const int centre = vertical ? 1 : 2;
    if (align == 0)
        return start;
    if (align == centre)
        return start + idiv(end - start - length, 2);
    return end - length;
}

// Width of a line drawn character by character with spacing between characters.
int lineWidth(Canvas& dc, const QStringList& chars, int spacing)
{
    int w = 0;
    for (const QString& c : chars)
        w += dc.textExtent(c).width();
    if (!chars.isEmpty())
        w += spacing * static_cast<int>(chars.size() - 1);
    return w;
}

void outputChars(Canvas& dc, const QStringList& chars, int x, int y, int spacing)
{
    for (const QString& c : chars) {
        dc.textOut(x, y, c);
        x += dc.textExtent(c).width() + spacing;
    }
}

void placeLine(Canvas& dc, const QRect& rect, int horzAlign, const QString& line, int y, int spacing)
{
    const QStringList chars = characters(line);
    const int w = lineWidth(dc, chars, spacing);
    const int x = alignedStart(rect.left(), rect.left() + rect.width(), w, horzAlign, false);
    outputChars(dc, chars, x, y, spacing);
}

void placeLines(Canvas& dc, const QRect& rect, int horzAlign, const QStringList& lines, int height,
                int lineSpacing, int charSpacing, int vertAlign)
{
    int y = alignedStart(rect.top(), rect.top() + rect.height(), height, vertAlign, true);
    for (const QString& l : lines) {
        placeLine(dc, rect, horzAlign, l, y, charSpacing);
        y += dc.textExtent(l).height() + lineSpacing;
    }
}

QString removeCrLf(const QString& text)
{
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QString());
    return s;
}

} // namespace

LogFont FitFont(double points, bool italic, bool bold, const QString& faceName)
{
    LogFont f;
    f.faceName = faceName;
    f.height = pointsToPixels(points);
    f.weight = bold ? 700 : 100;
    f.italic = italic;
    return f;
}

int WrapTextLines(Canvas& dc, const QRect& rect, int charSpacing, QStringList& lines, const QString& text,
                  int lineSpacing)
{
    lines = splitLines(text);
    wrapHorizontal(dc, rect, charSpacing, lines);
    return linesHeight(dc, lines, lineSpacing);
}

void DrawTextLines(Canvas& dc, const QRect& rect, int horzAlign, const QString& text, int lineSpacing,
                   int charSpacing, int vertAlign)
{
    CanvasSaver keep(dc);
    dc.setClipRect(rect);
    QStringList lines;
    const int h = WrapTextLines(dc, rect, charSpacing, lines, text, lineSpacing);
    placeLines(dc, rect, horzAlign, lines, h, lineSpacing, charSpacing, vertAlign);
}

void DrawTextLinesFit(Canvas& dc, const QRect& rect, int horzAlign, const QString& text, int lineSpacing,
                      int charSpacing, double fontSize, bool italic, bool bold, const QString& faceName,
                      int vertAlign)
{
    if (rect.width() == 0 || rect.height() == 0)
        return;
    CanvasSaver keep(dc);
    dc.setClipRect(rect);
    double lo = 0, hi = 1, m = 0;
    QStringList lines;
    int h = 0;
    for (;;) {
        m = lo + (hi - lo) / 2;
        if (m <= 0.005) {
            m = 0;
            break;
        }
        dc.setFont(FitFont(m * fontSize, italic, bold, faceName));
        h = WrapTextLines(dc, rect, charSpacing, lines, text, lineSpacing);
        if (h > rect.height())
            hi = m;
        else if (hi - lo < 0.005)
            break;
        else
            lo = m;
    }
    dc.setFont(FitFont(std::fabs(m * fontSize) < 1 ? -1.0 : m * fontSize, italic, bold, faceName));
    placeLines(dc, rect, horzAlign, lines, h, lineSpacing, charSpacing, vertAlign);
}

void DrawTextLine(Canvas& dc, const QRect& rect, int horzAlign, const QString& text, int charSpacing, int vertAlign)
{
    CanvasSaver keep(dc);
    dc.setClipRect(rect);
    const QString s = removeCrLf(text);
    const int h = dc.textExtent(s).height();
    const int y = alignedStart(rect.top(), rect.top() + rect.height(), h, vertAlign, true);
    placeLine(dc, rect, horzAlign, s, y, charSpacing);
}

void DrawTextLineFit(Canvas& dc, const QRect& rect, int horzAlign, int mode, const QString& text, int charSpacing,
                     double fontSize, bool italic, bool bold, const QString& faceName, int vertAlign)
{
    if (rect.width() == 0 || rect.height() == 0)
        return;
    CanvasSaver keep(dc);
    dc.setClipRect(rect);
    const QStringList chars = characters(removeCrLf(text));
    const bool narrowing = mode == 0;
    const LogFont full = FitFont(fontSize, italic, bold, faceName);
    int wA = 0;
    if (narrowing) {
        dc.setFont(full);
        wA = dc.textExtent(QStringLiteral("A")).width();
    }
    auto fontAt = [&](double l) {
        if (narrowing && l != 1.0) {
            LogFont f = full;
            f.width = std::max(1, roundToInt(wA * l));
            return f;
        }
        return FitFont(std::fabs(l * fontSize) < 1 ? -1.0 : l * fontSize, italic, bold, faceName);
    };
    double found = 0;
    int w = 0;
    for (int step = 20; step >= 1; --step) {
        const double l = step / 20.0;
        dc.setFont(fontAt(l));
        w = 0;
        bool fits = true;
        for (qsizetype k = 0; k < chars.size(); ++k) {
            const QSize e = dc.textExtent(chars[k]);
            w += e.width() + (k > 0 ? charSpacing : 0);
            if (w > rect.width() || (!narrowing && e.height() > rect.height())) {
                fits = false;
                break;
            }
        }
        if (fits) {
            found = l;
            break;
        }
    }
    if (found > 0) {
        dc.setFont(fontAt(found));
    } else if (narrowing) {
        LogFont f = full;
        f.width = 1;
        dc.setFont(f);
    } else {
        dc.setFont(FitFont(-1.0, italic, bold, faceName));
    }
    const int h = dc.textExtent(QStringLiteral("啊")).height();
    const int y = alignedStart(rect.top(), rect.top() + rect.height(), h, vertAlign, true);
    const int x = alignedStart(rect.left(), rect.left() + rect.width(), w, horzAlign, false);
    outputChars(dc, chars, x, y, charSpacing);
}

void DrawTextVert(Canvas& dc, const QRect& rect, int horzAlign, const QString& text, const LogFont& font,
                  int columnSpacing, int charSpacing, int vertAlign)
{
    CanvasSaver keep(dc);
    const LogFont upright = font;
    LogFont rotated = font;
    rotated.escapement = 2700;
    rotated.orientation = 2700;
    dc.setClipRect(rect);

    auto singleByte = [](const QString& ch) { return gbkWidth(ch[0].unicode()) == 1; };
    auto extentIn = [&](const LogFont& f, const QString& ch) {
        dc.setFont(f);
        return dc.textExtent(ch);
    };
    auto advance = [&](const QString& ch) {
        return singleByte(ch) ? extentIn(rotated, ch).width() : extentIn(upright, ch).height();
    };

    QStringList columns = splitLines(text);
    wrapLines(columns, rect.height(), charSpacing, advance);

    std::vector<int> thickness;
    int total = 0;
    for (const QString& col : columns) {
        int t = 0;
        for (const QString& ch : characters(col))
            t = std::max(t, singleByte(ch) ? extentIn(rotated, ch).height() : extentIn(upright, ch).width());
        thickness.push_back(t);
        total += t;
    }
    if (!columns.isEmpty())
        total += columnSpacing * static_cast<int>(columns.size() - 1);

    int x;
    if (horzAlign == 0)
        x = rect.left() + total;
    else if (horzAlign == 2)
        x = rect.left() + idiv(rect.width() - total, 2) + total;
    else
        x = rect.left() + rect.width();

    for (qsizetype c = 0; c < columns.size(); ++c) {
        const QStringList chars = characters(columns[c]);
        const int t = thickness[static_cast<size_t>(c)];
        std::vector<int> adv;
        int length = 0;
        for (const QString& ch : chars) {
            adv.push_back(advance(ch));
            length += adv.back();
        }
        if (!chars.isEmpty())
            length += charSpacing * static_cast<int>(chars.size() - 1);
        length = std::max(0, length);
        int y = alignedStart(rect.top(), rect.top() + rect.height(), length, vertAlign, true);
        for (qsizetype k = 0; k < chars.size(); ++k) {
            const bool single = singleByte(chars[k]);
            dc.setFont(single ? rotated : upright);
            dc.textOut(single ? x : x - t, y, chars[k]);
            y += adv[static_cast<size_t>(k)] + charSpacing;
        }
        x = x - t - columnSpacing;
    }
}

double LineAngle(QPoint p1, QPoint p2)
{
    if (p1.x() == p2.x())
        return 90;
    if (p1.y() == p2.y())
        return 0;
    return std::atan(double(p2.y() - p1.y()) / double(p2.x() - p1.x())) * 180.0 / std::numbers::pi;
}

std::array<QPoint, 4> LineOutline(QPoint p1, QPoint p2)
{
    const double a = LineAngle(p1, p2);
    const double r = std::fabs(a) * std::numbers::pi / 180.0;
    const double u = 3 * std::sin(r), v = 3 * std::cos(r);
    auto pt = [](double x, double y) { return QPoint(roundToInt(x), roundToInt(y)); };
    if (a >= 0)
        return {pt(p1.x() + u, p1.y() - v), pt(p1.x() - u, p1.y() + v), pt(p2.x() - u, p2.y() + v),
                pt(p2.x() + u, p2.y() - v)};
    return {pt(p1.x() - u, p1.y() - v), pt(p1.x() + u, p1.y() + v), pt(p2.x() + u, p2.y() + v),
            pt(p2.x() - u, p2.y() - v)};
}

bool PointInPolygon(const std::array<QPoint, 4>& poly, QPoint p)
{
    // Even-odd ray casting; points on the boundary count as inside.
    bool inside = false;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const QPoint a = poly[i], b = poly[j];
        const long long cross = static_cast<long long>(b.x() - a.x()) * (p.y() - a.y())
                              - static_cast<long long>(b.y() - a.y()) * (p.x() - a.x());
        const bool between = std::min(a.y(), b.y()) <= p.y() && p.y() <= std::max(a.y(), b.y())
                          && std::min(a.x(), b.x()) <= p.x() && p.x() <= std::max(a.x(), b.x());
        if (cross == 0 && between)
            return true;
        if ((a.y() > p.y()) != (b.y() > p.y())) {
            const double xCross = a.x() + double(b.x() - a.x()) * (p.y() - a.y()) / double(b.y() - a.y());
            if (p.x() < xCross)
                inside = !inside;
        }
    }
    return inside;
}

void FillChecker(Canvas& dc, int x, int y, int height, int width)
{
    const Brush old = dc.brush();
    Brush b;
    b.style = Brush::Style::Pattern;
    b.pattern = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    dc.setBrush(b);
    dc.fillRect(QRect(x, y, width, height));
    dc.setBrush(old);
}

} // namespace zq
