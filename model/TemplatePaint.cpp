#include "TemplatePaint.h"

#include "ZqTemplate.h"

using namespace zq;

void PaintTemplate(const TZqTemplate& t, Canvas& dc, int mode, int dx, int dy)
{
    const QRect page(0, 0, t.TempWidth, t.TempHeight);
    if (mode == dmDesign || mode == dmInput) {
        dc.fillSolid(page, t.BkColor);
        if (!t.BkPic().isNull())
            dc.drawImage(page, t.BkPic());
    }
    for (int i = 0; i < t.ItemCount(); ++i) {
        CanvasSaver keep(dc);
        t.Item(i)->Draw(dc, mode, page, dy, dx);
    }
}
