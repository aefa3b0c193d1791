#pragma once
// Paints a whole template page in one drawing mode: the page colour and the
// background picture where the mode shows them, then every item in list order.
#include "platform/Canvas.h"

class TZqTemplate;

// Modes 2 (data entry) and 0 (design) show the page colour and the background
// picture; modes 1 and 3 draw the items only, shifted by (dx, dy).
void PaintTemplate(const TZqTemplate& t, zq::Canvas& dc, int mode, int dx = 0, int dy = 0);
