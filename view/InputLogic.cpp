#include "InputLogic.h"

#include "base/Rounding.h"
#include "model/ZqBarcode.h"
#include "model/ZqComboBox.h"
#include "model/ZqCurrency.h"
#include "model/ZqDate.h"
#include "model/ZqEdit.h"
#include "model/ZqSNEdit.h"
#include "model/ZqSmallInputs.h"

#include <algorithm>
#include <cmath>

namespace zqv {

namespace {

// The tab number and read-only flag live in each kind's own record.
template <class F>
auto withInputFields(const TZqItem& item, F f)
{
    switch (item.Kind()) {
    case itEdit: return f(static_cast<const TZqEdit&>(item).TabOrder, static_cast<const TZqEdit&>(item).ReadOnly);
    case itSNEdit: return f(static_cast<const TZqSNEdit&>(item).TabOrder, static_cast<const TZqSNEdit&>(item).ReadOnly);
    case itCombobox:
        return f(static_cast<const TZqComboBox&>(item).TabOrder, static_cast<const TZqComboBox&>(item).ReadOnly);
    case itDate: return f(static_cast<const TZqDate&>(item).TabOrder, static_cast<const TZqDate&>(item).ReadOnly);
    case itCurrency:
    case itUpperCurrency:
        return f(static_cast<const TZqBoxedAmount&>(item).TabOrder, static_cast<const TZqBoxedAmount&>(item).ReadOnly);
    case itBarcod: return f(static_cast<const TZqBarcode&>(item).TabOrder, static_cast<const TZqBarcode&>(item).ReadOnly);
    case itPassword:
        return f(static_cast<const TZqPassword&>(item).TabOrder, static_cast<const TZqPassword&>(item).ReadOnly);
    case itPostalCode:
        return f(static_cast<const TZqPostalCode&>(item).TabOrder, static_cast<const TZqPostalCode&>(item).ReadOnly);
    case itCheck: {
        static const quint8 never = 0; // check items cannot be made read-only
        return f(static_cast<const TZqCheck&>(item).TabOrder, never);
    }
    default: {
        static const int none = 0;
        static const quint8 ro = 1;
        return f(none, ro);
    }
    }
}

} // namespace

bool IsSequenceKind(const TZqItem& item)
{
    switch (item.Kind()) {
    case itEdit: case itSNEdit: case itCombobox: case itDate: case itCurrency: case itBarcod: case itPassword:
    case itUpperCurrency: case itCheck: case itPostalCode:
        return true;
    default:
        return false; // grids join once their cells can be entered
    }
}

int TabOrderOf(const TZqItem& item)
{
    return withInputFields(item, [](const int& order, const quint8&) { return order; });
}

bool IsReadOnly(const TZqItem& item)
{
    return withInputFields(item, [](const int&, const quint8& ro) { return ro != 0; });
}

void ExchangeSortByTabOrder(std::vector<std::pair<int, TZqItem*>>& e)
{
    for (size_t i = 0; i < e.size(); ++i)
        for (size_t j = i + 1; j < e.size(); ++j)
            if (e[i].first >= e[j].first)
                std::swap(e[i], e[j]);
}

std::vector<TZqItem*> BuildTabList(const TZqTemplate& t, const CanInputFn& canInput)
{
    std::vector<std::pair<int, TZqItem*>> entries;
    for (int i = 0; i < t.ItemCount(); ++i) {
        TZqItem* it = t.Item(i);
        if (!IsSequenceKind(*it) || IsReadOnly(*it))
            continue;
        if (canInput && !canInput(it, -1, -1))
            continue;
        entries.emplace_back(TabOrderOf(*it), it);
    }
    ExchangeSortByTabOrder(entries);
    std::vector<TZqItem*> out;
    out.reserve(entries.size());
    for (const auto& e : entries)
        out.push_back(e.second);
    return out;
}

// ---- geometry ----

int TZqPageGeometry::DeviceSize(int size, double zoom) { return zq::roundToInt(size * zoom + 0.5); }

void TZqPageGeometry::Layout(QSize client)
{
    const QSize p = DevicePage();
    auto axis = [](TZqAxis& a, int c, int pg) {
        if (c < pg) {
            a.enabled = true;
            a.max = pg - c - 1;
            a.page = c;
            a.scroll = std::clamp(a.scroll, 0, a.max);
            a.margin = 0;
        } else {
            a.enabled = false;
            a.max = 0;
            a.page = c;
            a.scroll = 0;
            a.margin = zq::idiv(c - pg, 2);
        }
    };
    axis(X, client.width(), p.width());
    axis(Y, client.height(), p.height());
}

bool TZqPageGeometry::ScrollTo(TZqAxis& a, int pos)
{
    pos = a.enabled ? std::clamp(pos, 0, a.max) : 0;
    if (pos == a.scroll)
        return false;
    a.scroll = pos;
    return true;
}

zq::Mapping TZqPageGeometry::Mapping() const
{
    zq::Mapping m;
    m.windowOrg = {0, 0};
    m.windowExt = {1000, 1000};
    const int v = zq::roundToInt(Zoom * 1000);
    m.viewportExt = {v, v};
    m.viewportOrg = {X.margin - X.scroll, Y.margin - Y.scroll};
    return m;
}

QPoint TZqPageGeometry::ToLogical(QPoint d) const
{
    const zq::Mapping m = Mapping();
    const double s = m.viewportExt.width() / 1000.0;
    if (s <= 0)
        return {};
    // Device pixel d covers logical [x, x + 1/s): take the logical pixel it falls in.
    auto axis = [s](int dv, int org) { return static_cast<int>(std::floor((dv - org) / s)); };
    return {axis(d.x(), m.viewportOrg.x()), axis(d.y(), m.viewportOrg.y())};
}

QRect TZqPageGeometry::ToDevice(const QRect& r) const
{
    const zq::Mapping m = Mapping();
    const double s = m.viewportExt.width() / 1000.0;
    auto map = [s](int v, int org) { return zq::roundToInt(v * s) + org; };
    const int l = map(r.left(), m.viewportOrg.x()), t = map(r.top(), m.viewportOrg.y());
    const int rr = map(r.left() + r.width(), m.viewportOrg.x()), b = map(r.top() + r.height(), m.viewportOrg.y());
    return QRect(l, t, rr - l, b - t);
}

// ---- hit tests ----

TZqItem* ItemAt(const TZqTemplate& t, QPoint p)
{
    for (int i = t.ItemCount() - 1; i >= 0; --i)
        if (t.Item(i)->PtInShape(p))
            return t.Item(i);
    return nullptr;
}

bool InLimitCorner(const TZqCurrency& c, QPoint p)
{
    if (!c.ShowLimitation)
        return false;
    const QRect b = c.GetBounds();
    const int right = b.left() + b.width(), bottom = b.top() + b.height();
    return p.x() >= right - 7 && p.x() < right && p.y() >= bottom - 7 && p.y() < bottom;
}

void SetCheckInGroup(TZqTemplate& t, TZqCheck& check, bool checked)
{
    check.SetChecked(checked);
    if (!checked)
        return;
    const QString group = check.CheckGroup.trimmed();
    for (int i = 0; i < t.ItemCount(); ++i) {
        TZqItem* it = t.Item(i);
        if (it != &check && it->Kind() == itCheck) {
            auto& other = static_cast<TZqCheck&>(*it);
            if (other.CheckGroup.trimmed() == group)
                other.SetChecked(false);
        }
    }
}

// ---- editors ----

TZqEditorKind EditorKindOf(const TZqItem& item)
{
    switch (item.Kind()) {
    case itCombobox: return TZqEditorKind::Pick;
    case itDate: return TZqEditorKind::PickOnly;
    case itCheck: return TZqEditorKind::Check;
    default: return TZqEditorKind::Text;
    }
}

QString EditorTextOf(const TZqItem& item)
{
    // A date offers its text form: the pick handler and the setter both read it.
    return item.GetValueText();
}

int EditorPointSize(const TZqItem& item, double zoom)
{
    const bool small = item.Kind() == itCombobox || item.Kind() == itDate;
    return zq::roundToInt(zoom * (small ? 9 : 10));
}

QRect EditorRect(const TZqItem& item, const QRect& r)
{
    const int minW = item.Kind() == itCheck ? 20 : 50;
    return QRect(r.left(), r.top(), std::max(r.width(), minW), std::max(r.height(), 20));
}

// ---- session ----

void TZqInputSession::Reset(TZqTemplate* t)
{
    m_t = t;
    m_edit = {};
    m_tabList.clear();
    TabIndex = 0;
}

void TZqInputSession::BuildTabList()
{
    m_tabList = m_t ? zqv::BuildTabList(*m_t, CanInput) : std::vector<TZqItem*>{};
    TabIndex = 0;
}

TZqInputSession::Target TZqInputSession::NextPlace(const Target& from)
{
    if (m_tabList.empty())
        return {};
    const int n = static_cast<int>(m_tabList.size());
    int place;
    if (from) {
        place = TabIndex + 1;
        if (place < 0 || place >= n)
            place = 0;
    } else {
        place = TabIndex < 0 || TabIndex >= n ? 0 : TabIndex;
    }
    TabIndex = place;
    TZqItem* it = m_tabList[place];
    if (!Allowed(it))
        return {};
    return Target{it};
}

TZqInputSession::Click TZqInputSession::ClickAt(QPoint p)
{
    Click c;
    if (!m_t)
        return c;
    TZqItem* it = ItemAt(*m_t, p);
    if (!it)
        return c;
    auto indexOf = [this](TZqItem* x) {
        const auto pos = std::find(m_tabList.begin(), m_tabList.end(), x);
        return pos == m_tabList.end() ? -1 : static_cast<int>(pos - m_tabList.begin());
    };
    switch (it->Kind()) {
    case itCurrency:
        if (InLimitCorner(static_cast<const TZqCurrency&>(*it), p)) {
            c.kind = Click::LimitFlag;
            c.target.item = it;
            return c;
        }
        [[fallthrough]];
    case itEdit: case itSNEdit: case itCombobox: case itDate: case itBarcod: case itPassword: case itUpperCurrency:
    case itPostalCode:
        if (IsReadOnly(*it) || !Allowed(it))
            return c;
        break;
    case itCheck: {
        if (!Allowed(it))
            return c;
        TabIndex = indexOf(it);
        auto& check = static_cast<TZqCheck&>(*it);
        SetCheckInGroup(*m_t, check, !check.Checked);
        c.kind = Click::OpenEditor;
        c.target.item = it;
        return c;
    }
    default:
        return c;
    }
    TabIndex = indexOf(it);
    c.kind = Click::OpenEditor;
    c.target.item = it;
    return c;
}

void TZqInputSession::Open(const Target& target)
{
    m_edit = target;
    m_editKind = EditorKindOf(*target.item);
    m_openedText = EditorTextOf(*target.item);
}

void TZqInputSession::Commit(const QString& text)
{
    if (!m_edit)
        return;
    TZqItem* it = m_edit.item;
    // A date's editor only changes through its pick button; writing back the
    // text it opened with would re-read a shown form the setter need not accept.
    if (m_editKind == TZqEditorKind::PickOnly && text == m_openedText) {
        m_edit = {};
        return;
    }
    if (it->Kind() == itCheck)
        SetCheckInGroup(*m_t, static_cast<TZqCheck&>(*it), TZqCheck::IsCheckedText(text));
    else
        it->SetValueText(text); // may throw: the editor is still open then
    m_edit = {};
}

} // namespace zqv
