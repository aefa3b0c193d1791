#pragma once
// Templates name Windows faces; these are mapped once to the Debian fonts that
// stand in for them, and logical fonts become QFonts in one place.
#include "platform/Canvas.h"

#include <QColor>
#include <QFont>

namespace zq {

// Installs the face substitutions (宋体 -> AR PL UMing CN, ...). Call once after
// the application object exists; later calls do nothing.
void installFontSubstitutions();

// The QFont for a logical font; sizes are in logical units (pixels).
QFont toQFont(const LogFont& f);

inline QColor toQColor(Color c)
{
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

} // namespace zq
