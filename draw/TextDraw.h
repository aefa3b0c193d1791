#pragma once
// Stateless text drawing: text laid out in a rectangle and drawn character by
// character, horizontally in lines or vertically in columns, with explicit
// character and line spacing, optionally shrunk until it fits. Every routine
// clips to its rectangle and leaves the canvas as it found it.
#include "platform/Canvas.h"

#include <QStringList>
#include <array>

namespace zq {

// HorzAlign: 0 left, 2 centre, anything else right.
// VertAlign: 0 top, 1 middle, anything else bottom.

// Splits the text at CR/LF runs (blank lines vanish; a leading break gives an
// empty first line; a final break adds none) and wraps each line at the
// rectangle's width. Returns the total height; uses the current font.
int WrapTextLines(Canvas& dc, const QRect& rect, int charSpacing, QStringList& lines, const QString& text,
                  int lineSpacing);
void DrawTextLines(Canvas& dc, const QRect& rect, int horzAlign, const QString& text, int lineSpacing,
                   int charSpacing, int vertAlign);
// Shrinks the font (bisection over the scale) until the wrapped text fits the height.
void DrawTextLinesFit(Canvas& dc, const QRect& rect, int horzAlign, const QString& text, int lineSpacing,
                      int charSpacing, double fontSize, bool italic, bool bold, const QString& faceName,
                      int vertAlign);
// One line; CR LF pairs are removed, a lone CR or LF is drawn like any character.
void DrawTextLine(Canvas& dc, const QRect& rect, int horzAlign, const QString& text, int charSpacing,
                  int vertAlign);
// One line shrunk in 5 % steps: mode 0 narrows the characters, any other scales the font.
void DrawTextLineFit(Canvas& dc, const QRect& rect, int horzAlign, int mode, const QString& text, int charSpacing,
                     double fontSize, bool italic, bool bold, const QString& faceName, int vertAlign);
// Columns read top to bottom, right to left; single-byte characters turned a
// quarter clockwise, double-byte characters upright.
void DrawTextVert(Canvas& dc, const QRect& rect, int horzAlign, const QString& text, const LogFont& font,
                  int columnSpacing, int charSpacing, int vertAlign);

// The font the fitting routines build for a size in points.
LogFont FitFont(double points, bool italic, bool bold, const QString& faceName);

double LineAngle(QPoint p1, QPoint p2);
// The band 6 units wide centred on the segment, as four corners.
std::array<QPoint, 4> LineOutline(QPoint p1, QPoint p2);
bool PointInPolygon(const std::array<QPoint, 4>& poly, QPoint p);
// Fills the area with a one-pixel checkerboard in the text and background colours.
void FillChecker(Canvas& dc, int x, int y, int height, int width);

} // namespace zq
