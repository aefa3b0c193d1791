#pragma once
// The drawing surface items paint on: a small device-context-like interface in
// logical units (template pixels). One implementation sits on QPainter (widget,
// image, printer, PDF); a recording one with fixed metrics serves the tests.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace zq {

// Colours are 0x00BBGGRR values (red in the low byte).
using Color = std::uint32_t;
inline constexpr Color kBlack = 0x000000;
inline constexpr Color kWhite = 0xFFFFFF;
inline constexpr Color kRed = 0x0000FF;

struct LogFont {
    QString faceName;
    int height = 0;      // < 0: character height (em); > 0: cell height; 0: a default size
    int width = 0;       // average character width; 0 keeps the face's own proportions
    int weight = 400;    // 100..900; 700 is bold
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int escapement = 0;  // tenths of a degree, counter-clockwise
    int orientation = 0;
    int charSet = 0;
    bool operator==(const LogFont&) const = default;
};

struct Pen {
    enum class Style { Solid, Dash, Dot, None };
    enum class Cap { Flat, Square, Round };
    Style style = Style::Solid;
    int width = 1;
    Color color = kBlack;
    Cap cap = Cap::Flat; // Flat: the end point itself is not drawn
    bool operator==(const Pen&) const = default;
};

struct Brush {
    enum class Style { Solid, None, Hatch, Pattern };
    enum class Hatch { Horizontal, Vertical, FDiagonal, BDiagonal, Cross, DiagCross };
    Style style = Style::Solid;
    Color color = kWhite;
    Hatch hatch = Hatch::Horizontal;
    // 8x8 monochrome pattern, one byte a row, bit 7 leftmost; set bits take the
    // text colour, clear bits the background colour.
    std::array<std::uint8_t, 8> pattern{};
    bool operator==(const Brush&) const = default;
};

enum class RasterOp { Copy, NotXor };

// Logical-to-device mapping: device = (logical - windowOrg) * viewportExt / windowExt + viewportOrg.
struct Mapping {
    QPoint windowOrg{0, 0};
    QSize windowExt{1, 1};
    QPoint viewportOrg{0, 0};
    QSize viewportExt{1, 1};
    bool operator==(const Mapping&) const = default;
};

// Everything a save/restore pair brings back.
struct CanvasState {
    LogFont font;
    Pen pen;
    Brush brush;
    Color textColor = kBlack;
    Color bkColor = kWhite;
    bool bkTransparent = false;
    RasterOp rop = RasterOp::Copy;
    bool clipped = false;
    QRect clip; // logical units, when clipped
    Mapping mapping;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    void setFont(const LogFont& f) { m_s.font = f; }
    const LogFont& font() const { return m_s.font; }
    void setPen(const Pen& p) { m_s.pen = p; }
    const Pen& pen() const { return m_s.pen; }
    void setBrush(const Brush& b) { m_s.brush = b; }
    const Brush& brush() const { return m_s.brush; }
    void setTextColor(Color c) { m_s.textColor = c; }
    Color textColor() const { return m_s.textColor; }
    void setBkColor(Color c) { m_s.bkColor = c; }
    Color bkColor() const { return m_s.bkColor; }
    void setBkTransparent(bool t) { m_s.bkTransparent = t; }
    bool bkTransparent() const { return m_s.bkTransparent; }
    void setRasterOp(RasterOp op) { m_s.rop = op; }
    RasterOp rasterOp() const { return m_s.rop; }
    // Clip to a logical rectangle, replacing the clip in force.
    void setClipRect(const QRect& r) { m_s.clipped = true; m_s.clip = r; }
    void clearClip() { m_s.clipped = false; }
    bool clipped() const { return m_s.clipped; }
    QRect clipRect() const { return m_s.clip; }
    void setMapping(const Mapping& m) { m_s.mapping = m; }
    const Mapping& mapping() const { return m_s.mapping; }
    QPoint toDevice(QPoint p) const;
    QRect toDevice(const QRect& r) const;

    // Saves every setting above; restore() brings back the last saved one.
    void save() { m_stack.push_back(m_s); }
    void restore()
    {
        if (!m_stack.empty()) {
            m_s = m_stack.back();
            m_stack.pop_back();
        }
    }

    // Lines through pixel centres with the current pen.
    virtual void drawLine(QPoint from, QPoint to) = 0;
    virtual void drawPolyline(const std::vector<QPoint>& points) = 0;
    // Fills [left, right) x [top, bottom) with the current brush; no outline.
    virtual void fillRect(const QRect& r) = 0;
    virtual void fillPolygon(const std::vector<QPoint>& points) = 0;
    // Text with its top-left corner at (x, y), rotated by the font's escapement
    // about that point; the background is filled unless transparent.
    virtual void textOut(int x, int y, const QString& text) = 0;
    // Width along the baseline and cell height of the text in the current font (unrotated).
    virtual QSize textExtent(const QString& text) = 0;
    virtual void drawImage(const QRect& target, const QImage& image) = 0;

    // Convenience: solid fill in one colour (keeps the current brush).
    void fillSolid(const QRect& r, Color c);

protected:
    const CanvasState& state() const { return m_s; }

private:
    CanvasState m_s;
    std::vector<CanvasState> m_stack;
};

// Saves the canvas state for a scope.
class CanvasSaver {
public:
    explicit CanvasSaver(Canvas& c) : m_c(c) { m_c.save(); }
    ~CanvasSaver() { m_c.restore(); }
    CanvasSaver(const CanvasSaver&) = delete;
    CanvasSaver& operator=(const CanvasSaver&) = delete;

private:
    Canvas& m_c;
};

} // namespace zq
