#include "InputLogic.h"

#include "base/Rounding.h"
#include "model/ZqBarcode.h"
#include "model/ZqComboBox.h"
#include "model/ZqCurrency.h"
#include "model/ZqDate.h"
#include "model/ZqEdit.h"
#include "model/ZqGrid.h"
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
    case itGrid: {
        const auto& g = static_cast<const TZQGridEx&>(item);
        const quint8 ro = g.AllReadOnly() ? 1 : 0;
        return f(g.TabOrder, ro);
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
    case itUpperCurrency: case itCheck: case itPostalCode: case itGrid:
        return true;
    default:
        return false;
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

// ---- grids ----

TZqGridCell* NextEnterableCell(const TZQGridEx& g, int col, int row, const CanInputFn& canInput)
{
    const int cols = g.ColCount();
    int start = col < 0 ? 0 : row * cols + col + 1;
    for (int i = std::max(0, start); i < g.RowCount() * cols; ++i) {
        const int r = i / cols, c = i % cols;
        TZqGridCell* cell = g.Cell(c, r);
        if (!cell || cell->Master || cell->ReadOnly)
            continue;
        if (canInput && !canInput(const_cast<TZQGridEx*>(&g), c, r))
            continue;
        return cell;
    }
    return nullptr;
}

bool ApplyRowCommand(TZqTemplate& t, TZQGridEx& g, int row, TZqRowCommand cmd)
{
    if (row < 0 || row >= g.RowCount() || g.RowKind(row) != 1)
        return false;
    switch (cmd) {
    case TZqRowCommand::InsertBefore: g.InsertRowCopy(row, row); break;
    case TZqRowCommand::InsertAfter: g.InsertRowCopy(row, row + 1); break;
    case TZqRowCommand::InsertThreeBefore:
        for (int i = 0; i < 3; ++i)
            g.InsertRowCopy(row + i, row); // the source moves down with each insert
        break;
    case TZqRowCommand::InsertThreeAfter:
        for (int i = 0; i < 3; ++i)
            g.InsertRowCopy(row, row + 1);
        break;
    case TZqRowCommand::Delete:
        if (g.BodyRowCount() <= 1)
            return false;
        g.DeleteRows(row, 1);
        break;
    }
    t.FitGridRows();
    t.EvaluateAll();
    return true;
}

QString RowCommandText(TZqRowCommand cmd)
{
    switch (cmd) {
    case TZqRowCommand::InsertBefore: return QStringLiteral("前插一行");
    case TZqRowCommand::InsertAfter: return QStringLiteral("后插一行");
    case TZqRowCommand::InsertThreeBefore: return QStringLiteral("前插三行");
    case TZqRowCommand::InsertThreeAfter: return QStringLiteral("后插三行");
    case TZqRowCommand::Delete: return QStringLiteral("删除当前行");
    }
    return {};
}

QRect CellEditorArea(const TZQGridEx& g, const TZqGridCell& cell)
{
    QRect r = g.CellRect(&cell);
    if (cell.Col > 0)
        r.setLeft(r.left() - 1);
    if (cell.RowIndex() > 0)
        r.setTop(r.top() - 1);
    return r;
}

// ---- editors ----

TZqEditorKind EditorKindOf(const TZqGridCell& cell)
{
    switch (cell.CellType) {
    case ctChoice: return TZqEditorKind::Pick;
    case ctDate: return TZqEditorKind::PickOnly;
    case ctCheck: return TZqEditorKind::Check;
    default: return TZqEditorKind::Text;
    }
}

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

QRect EditorRect(bool check, const QRect& r)
{
    const int minW = check ? 20 : 50;
    return QRect(r.left(), r.top(), std::max(r.width(), minW), std::max(r.height(), 20));
}

QRect EditorRect(const TZqItem& item, const QRect& r) { return EditorRect(item.Kind() == itCheck, r); }

// ---- targets ----

TZqGridCell* TZqInputSession::Target::Cell() const
{
    if (!item || item->Kind() != itGrid || col < 0 || row < 0)
        return nullptr;
    return static_cast<const TZQGridEx*>(item)->Cell(col, row);
}

QRect TZqInputSession::Target::Area() const
{
    if (const TZqGridCell* c = Cell())
        return CellEditorArea(*static_cast<const TZQGridEx*>(item), *c);
    return item ? item->GetBounds() : QRect();
}

TZqInputSession::Target TZqInputSession::CellTarget(TZqGridCell* cell)
{
    Target t;
    if (cell) {
        t.item = cell->Grid();
        t.col = cell->Col;
        t.row = cell->RowIndex();
    }
    return t;
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
    if (from.Cell()) {
        const auto& g = static_cast<const TZQGridEx&>(*from.item);
        if (TZqGridCell* next = NextEnterableCell(g, from.col, from.row, CanInput))
            return CellTarget(next);
    }
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
    if (it->Kind() == itGrid)
        return CellTarget(NextEnterableCell(static_cast<const TZQGridEx&>(*it), -1, -1, CanInput));
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
    case itGrid: {
        auto& g = static_cast<TZQGridEx&>(*it);
        TZqGridCell* cell = g.CellAt(p);
        if (!cell || cell->ReadOnly || !Allowed(it, cell->Col, cell->RowIndex()))
            return c;
        TabIndex = indexOf(it);
        if (cell->CellType == ctCheck)
            g.SetCellText(cell, CheckText(!CellTruth(g.CellText(cell))));
        c.kind = Click::OpenEditor;
        c.target = CellTarget(cell);
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
    if (const TZqGridCell* cell = target.Cell()) {
        m_editKind = EditorKindOf(*cell);
        m_openedText = static_cast<const TZQGridEx*>(target.item)->CellText(cell);
    } else {
        m_editKind = EditorKindOf(*target.item);
        m_openedText = EditorTextOf(*target.item);
    }
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
    if (TZqGridCell* cell = m_edit.Cell())
        static_cast<TZQGridEx*>(it)->SetCellText(cell, text);
    else if (it->Kind() == itCheck)
        SetCheckInGroup(*m_t, static_cast<TZqCheck&>(*it), TZqCheck::IsCheckedText(text));
    else
        it->SetValueText(text); // may throw: the editor is still open then
    m_edit = {};
}

} // namespace zqv
