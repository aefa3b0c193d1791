#include "AdjustSurface.h"

#include "base/Rounding.h"
#include "model/ZqBasicItems.h"
#include "model/ZqComboBox.h"
#include "model/ZqCurrency.h"
#include "model/ZqDate.h"
#include "model/ZqEdit.h"
#include "model/ZqSNEdit.h"
#include "model/ZqSmallInputs.h"

#include <algorithm>
#include <limits>

using namespace zq;

namespace zqp {

namespace {

// Sums and differences of stored geometry stay in the int range whatever a
// file holds.
int clampInt(qint64 v)
{
    return static_cast<int>(std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

QRect inflated(const QRect& r, int d) { return r.adjusted(-d, -d, d, d); }

bool contains(const QRect& r, QPoint p)
{
    // Right and bottom edges excluded.
    return p.x() >= r.left() && p.x() < r.left() + r.width() && p.y() >= r.top() && p.y() < r.top() + r.height();
}

} // namespace

bool ItemFontRef(TZqItem& item, TZqFontRef& ref, bool includeSerial)
{
    auto take = [&](auto& it) {
        ref = TZqFontRef{&it.FontName, &it.FontSize, &it.Bold, &it.Italic};
        return true;
    };
    switch (item.Kind()) {
    case itLabel: return take(static_cast<TZqLabel&>(item));
    case itEdit: return take(static_cast<TZqEdit&>(item));
    case itCombobox: return take(static_cast<TZqComboBox&>(item));
    case itDate: return take(static_cast<TZqDate&>(item));
    case itCurrency:
    case itUpperCurrency: return take(static_cast<TZqBoxedAmount&>(item));
    case itPassword: return take(static_cast<TZqPassword&>(item));
    case itPostalCode: return take(static_cast<TZqPostalCode&>(item));
    case itSNEdit: return includeSerial && take(static_cast<TZqSNEdit&>(item));
    default: return false;
    }
}

std::vector<TZqPart> DateParts(const TZqDate& d)
{
    static const char16_t* const suffixes[4][3] = {
        {u"_Year", u"_Month", u"_Day"}, {u"_Year", u"_Month", nullptr}, {u"_Year", nullptr, nullptr},
        {u"_Month", u"_Day", nullptr}};
    const int type = d.Type <= 3 ? d.Type : 0;
    const int widths[3] = {d.ColWidth1, d.ColWidth2, d.ColWidth3};
    const int gap = d.LabelWidth;
    std::vector<TZqPart> parts;
    qint64 left = d.XPos;
    for (int n = 1; n <= 3 && suffixes[type][n - 1]; ++n) {
        const qint64 w = std::max<qint64>(0, qint64(widths[n - 1]) - gap);
        parts.push_back({d.Name() + QString::fromUtf16(suffixes[type][n - 1]),
                         QRect(clampInt(left), d.YPos, clampInt(w), d.Height), d.PartText(n)});
        left += widths[n - 1];
    }
    return parts;
}

std::vector<TZqPart> AmountBoxes(const TZqCurrency& c)
{
    const int n = c.BoxCount();
    std::vector<TZqPart> parts;
    if (n < 1)
        return parts;
    // b[i]: box i counted from the lowest place (the rightmost box).
    std::vector<qint64> b(static_cast<size_t>(n), c.Width / n);
    for (int i = 0; i < c.Width % n; ++i)
        b[static_cast<size_t>(i)] += 1;
    for (int i = 0; i < n; ++i)
        b[static_cast<size_t>(i)] += c.TinyAdjOf(c.Low + i);
    const QStringList texts = c.BoxTexts(); // rightmost first; all empty when the figures do not fit
    const int top = c.ShowCurrencyColumn ? clampInt(qint64(c.YPos) + c.Height / 2) : c.YPos;
    const int height = c.ShowCurrencyColumn ? c.Height / 2 : c.Height;
    qint64 x = c.XPos;
    for (int i = n - 1; i >= 0; --i) {
        const qint64 w = b[static_cast<size_t>(i)];
        parts.push_back({c.Name() + u'_' + QString::number(i + 1),
                         QRect(clampInt(x + 1), top, clampInt(std::max<qint64>(0, w - 2)), height),
                         i < texts.size() ? texts[i] : QString()});
        x += w;
    }
    return parts;
}

TZqAdjustDoc::TZqAdjustDoc() : m_tpl(std::make_unique<TZqTemplate>()) { m_tpl->Owner = this; }

TZqAdjustDoc::~TZqAdjustDoc() { m_tpl->Owner = nullptr; }

void TZqAdjustDoc::LoadFromStream(QByteArrayView data)
{
    m_sel.clear();
    auto fresh = std::make_unique<TZqTemplate>();
    fresh->LoadFromStream(data);
    m_tpl->Owner = nullptr;
    m_tpl = std::move(fresh);
    m_tpl->Owner = this;
    Prepare();
}

void TZqAdjustDoc::Prepare()
{
    auto addParts = [this](TZqItem& from, const std::vector<TZqPart>& parts, const QString& face, double size) {
        for (const TZqPart& p : parts) {
            auto e = CreateItem(itEdit, true);
            auto* edit = static_cast<TZqEdit*>(e.get());
            edit->SetNameRaw(p.Name);
            edit->XPos = p.Bounds.x();
            edit->YPos = p.Bounds.y();
            edit->Width = p.Bounds.width();
            edit->Height = p.Bounds.height();
            edit->Value = p.Text;
            edit->SaveToPrtRec = 0;
            edit->HorzAlign = 2;
            edit->FontName = face;
            edit->FontSize = size;
            m_tpl->AddItem(std::move(e));
        }
        from.Visible = 0;
        from.PrintSelf = 0;
    };
    const int count = m_tpl->ItemCount(); // parts appended below are not visited
    for (int i = 0; i < count; ++i) {
        TZqItem* it = m_tpl->Item(i);
        it->Visible = it->PrintSelf;
        it->Selected = 0;
        if (it->Kind() == itDate) {
            auto* d = static_cast<TZqDate*>(it);
            if (!d->PrintColumn)
                addParts(*d, DateParts(*d), d->FontName, d->FontSize);
        } else if (it->Kind() == itCurrency) {
            auto* c = static_cast<TZqCurrency*>(it);
            // An amount whose places cannot be boxed (High below Low) stays whole.
            if (!c->FullPrint && c->BoxCount() > 0)
                addParts(*c, AmountBoxes(*c), c->FontName, c->FontSize);
        }
    }
}

void TZqAdjustDoc::ApplyFormat(const TZqTemplate& format)
{
    for (int i = 0; i < format.ItemCount(); ++i) {
        TZqItem* f = format.Item(i);
        TZqFontRef from;
        const bool hasFont = ItemFontRef(*f, from, true);
        for (int k = 0; k < m_tpl->ItemCount(); ++k) {
            TZqItem* it = m_tpl->Item(k);
            if (it->Kind() != f->Kind() || it->Name() != f->Name())
                continue;
            it->XPos = f->XPos;
            it->YPos = f->YPos;
            it->Width = f->Width;
            it->Height = f->Height;
            TZqFontRef to;
            if (hasFont && ItemFontRef(*it, to, true)) {
                *to.face = *from.face;
                *to.size = *from.size;
                *to.bold = *from.bold;
                *to.italic = *from.italic;
            }
        }
    }
    InvalidateItemRect(QRect(0, 0, m_tpl->TempWidth, m_tpl->TempHeight), false);
}

void TZqAdjustDoc::Select(TZqItem* item, bool on)
{
    if (!item)
        return;
    const auto it = std::find(m_sel.begin(), m_sel.end(), item);
    if (on && it == m_sel.end())
        m_sel.push_back(item);
    else if (!on && it != m_sel.end())
        m_sel.erase(it);
    else
        return;
    item->SetSelected(on);
    Repaint(item);
}

void TZqAdjustDoc::DeselectAll()
{
    while (!m_sel.empty())
        Select(m_sel.back(), false);
}

void TZqAdjustDoc::SelectAll()
{
    DeselectAll();
    for (int i = 0; i < m_tpl->ItemCount(); ++i)
        if (m_tpl->Item(i)->PrintSelf)
            Select(m_tpl->Item(i), true);
}

TZqItem* TZqAdjustDoc::ItemAt(QPoint pt) const
{
    for (int i = 0; i < m_tpl->ItemCount(); ++i) {
        TZqItem* it = m_tpl->Item(i);
        if (it->Visible && contains(QRect(it->XPos, it->YPos, it->Width, it->Height), pt))
            return it;
    }
    return nullptr;
}

bool TZqAdjustDoc::Click(QPoint pt, bool ctrl)
{
    TZqItem* it = ItemAt(pt);
    if (it) {
        if (!it->Selected) {
            if (!ctrl)
                DeselectAll();
            Select(it, true);
        } else if (ctrl) {
            Select(it, false);
        }
        return false;
    }
    if (ctrl)
        return false;
    DeselectAll();
    return true;
}

void TZqAdjustDoc::SelectInBand(QRect band)
{
    band = band.normalized();
    DeselectAll();
    for (int i = 0; i < m_tpl->ItemCount(); ++i) {
        TZqItem* it = m_tpl->Item(i);
        if (!it->Visible)
            continue;
        const QPoint c(clampInt(it->XPos + qint64(it->Width) / 2), clampInt(it->YPos + qint64(it->Height) / 2));
        if (c.x() >= band.left() && c.x() <= band.right() && c.y() >= band.top() && c.y() <= band.bottom())
            Select(it, true);
    }
}

void TZqAdjustDoc::MoveSelected(TZqArrow direction, double mm)
{
    const int d = roundToInt(mm * 96.0 / 25.4);
    for (TZqItem* it : m_sel) {
        Repaint(it);
        switch (direction) {
        case TZqArrow::Left: it->XPos = clampInt(qint64(it->XPos) - d); break;
        case TZqArrow::Right: it->XPos = clampInt(qint64(it->XPos) + d); break;
        case TZqArrow::Up: it->YPos = clampInt(qint64(it->YPos) - d); break;
        case TZqArrow::Down: it->YPos = clampInt(qint64(it->YPos) + d); break;
        }
        Repaint(it);
    }
}

void TZqAdjustDoc::ArrowKey(TZqArrow direction, bool shift, bool ctrl)
{
    const int s = ctrl ? 8 : 1;
    for (TZqItem* it : m_sel) {
        Repaint(it);
        if (!shift) {
            switch (direction) {
            case TZqArrow::Left: it->XPos = clampInt(qint64(it->XPos) - s); break;
            case TZqArrow::Right: it->XPos = clampInt(qint64(it->XPos) + s); break;
            case TZqArrow::Up: it->YPos = clampInt(qint64(it->YPos) - s); break;
            case TZqArrow::Down: it->YPos = clampInt(qint64(it->YPos) + s); break;
            }
        } else {
            switch (direction) {
            case TZqArrow::Left:
                if (qint64(it->Width) - s > 4)
                    it->Width -= s;
                break;
            case TZqArrow::Right:
                if (qint64(it->XPos) + it->Width + s < m_tpl->TempWidth)
                    it->Width += s;
                break;
            case TZqArrow::Up:
                if (qint64(it->Height) - s > 4)
                    it->Height -= s;
                break;
            case TZqArrow::Down:
                if (qint64(it->YPos) + it->Height + s < m_tpl->TempHeight)
                    it->Height += s;
                break;
            }
        }
        Repaint(it);
    }
}

void TZqAdjustDoc::SetSelectedPrintSelf(bool on)
{
    for (TZqItem* it : m_sel) {
        it->PrintSelf = on ? 1 : 0;
        Repaint(it);
    }
}

bool TZqAdjustDoc::SelectedFont(QString& face, int& points, bool& bold, bool& italic) const
{
    for (TZqItem* it : m_sel) {
        TZqFontRef f;
        if (ItemFontRef(*it, f, false)) {
            face = *f.face;
            points = roundToInt(std::abs(*f.size));
            bold = *f.bold;
            italic = *f.italic;
            return true;
        }
    }
    return false;
}

void TZqAdjustDoc::SetSelectedFont(const QString& face, int points, bool bold, bool italic)
{
    for (TZqItem* it : m_sel) {
        TZqFontRef f;
        if (!ItemFontRef(*it, f, false))
            continue;
        *f.face = face;
        // The size keeps its sign: negative sizes select the character height.
        *f.size = *f.size < 0 ? -points : points;
        *f.bold = bold;
        *f.italic = italic;
        Repaint(it);
    }
}

void TZqAdjustDoc::PrintTo(Canvas& dc, int dx, int dy, bool withBackground) const
{
    const QRect page(0, 0, m_tpl->TempWidth, m_tpl->TempHeight);
    if (withBackground && m_tpl->HasBkPic())
        dc.drawImage(QRect(dx, dy, m_tpl->TempWidth, m_tpl->TempHeight), m_tpl->BkPic());
    else
        dc.fillSolid(page, kWhite);
    for (int i = 0; i < m_tpl->ItemCount(); ++i) {
        TZqItem* it = m_tpl->Item(i);
        if (it->PrintSelf)
            it->Draw(dc, dmPrint, page, dy, dx);
    }
}

QStringList TZqAdjustDoc::Unprintable() const
{
    QStringList names;
    for (int i = 0; i < m_tpl->ItemCount(); ++i) {
        const TZqItem* it = m_tpl->Item(i);
        if (it->Kind() != itCurrency && it->Kind() != itUpperCurrency)
            continue;
        const auto* a = static_cast<const TZqBoxedAmount*>(it);
        // A cut amount prints through its boxes, which come from the same figures.
        if (!a->Value.isEmpty() && !a->ValueFits())
            names.append(a->Name());
    }
    return names;
}

void TZqAdjustDoc::InvalidateItemRect(const QRect& logical, bool)
{
    if (OnInvalidate)
        OnInvalidate(logical);
}

void TZqAdjustDoc::Repaint(const TZqItem* item)
{
    if (OnInvalidate)
        OnInvalidate(inflated(QRect(item->XPos, item->YPos, item->Width, item->Height), 5));
}

} // namespace zqp
