// The formula engine of a template: formulas stored as resolved symbols, the
// template as the calculator's host, evaluation and propagation of changes.
#include "ZqCurrency.h"
#include "ZqDate.h"
#include "ZqEdit.h"
#include "ZqGrid.h"
#include "ZqSNEdit.h"
#include "ZqSmallInputs.h"
#include "ZqTemplate.h"
#include "base/DateSerial.h"
#include "base/Error.h"
#include "base/Gbk.h"
#include "base/NumberText.h"
#include "expr/ExpCalc.h"

using namespace zq;

namespace {

bool isTerminator(QChar c)
{
    switch (c.unicode()) {
    case u' ': case u'"': case u'\'': case u'&': case u'(': case u')': case u'*': case u'+': case u',':
    case u'-': case u'/': case u'<': case u'=': case u'>':
        return true;
    default:
        return false;
    }
}

// "[grid,cell]" or "[grid,cell,offset]" into its parts; false when it is neither.
bool SplitCellRef(const QString& text, QString& grid, QString& cell, QString& offset)
{
    if (text.size() < 2 || !text.startsWith(u'[') || !text.endsWith(u']'))
        return false;
    const QString inner = text.mid(1, text.size() - 2);
    const qsizetype comma = inner.indexOf(u',');
    if (comma <= 0)
        return false;
    grid = inner.left(comma);
    const QString rest = inner.mid(comma + 1);
    const qsizetype second = rest.indexOf(u',');
    if (second == 0)
        return false;
    cell = second < 0 ? rest : rest.left(second);
    offset = second < 0 ? QString() : rest.mid(second + 1);
    return true;
}

bool isFormulaKind(int kind) { return kind >= itEdit && kind <= itSNEdit && kind != itPicture; }

TecDataType itemDataType(const TZqItem& item)
{
    switch (item.ValueDataType()) {
    case 1: return dtNumber;
    case 3: return dtDateTime;
    case 4: return dtBoolean;
    default: return dtString;
    }
}

TecDataType cellDataType(const TZqGridCell& c)
{
    switch (c.DataTypeOf()) {
    case 1: return dtNumber;
    case 3: return dtDateTime;
    case 4: return dtBoolean;
    default: return dtString;
    }
}

QVariant cellValue(const TZQGridEx& g, const TZqGridCell& c)
{
    const QString text = g.CellText(&c);
    switch (c.DataTypeOf()) {
    case 1: return parseNumber(text).value_or(0.0);
    case 3: return parseDateTimeText(text).value_or(0.0);
    case 4: return CellTruth(text);
    default: return text;
    }
}

QVariant zeroOf(const TZqGridCell& c)
{
    switch (c.DataTypeOf()) {
    case 1: case 3: return 0.0;
    case 4: return false;
    default: return QString();
    }
}

[[noreturn]] void undefinedName(const QString& name)
{
    throw Error(QStringLiteral("变量 %1 未定义").arg(name));
}

} // namespace

// ---------------------------------------------------------------- texts

QString SymbolText(const TZqWndExpSym& s)
{
    if (!s.IsItem)
        return s.Text;
    if (s.RefError)
        return QStringLiteral("#REF!");
    if (s.ItemType != itGrid)
        return s.CtrlName;
    if (s.Row1 != -1) {
        if (s.Col1 != s.Col2 || s.Row1 != s.Row2)
            return QStringLiteral("[%1,%2%3:%4%5]").arg(s.CtrlName, ColName(s.Col1)).arg(s.Row1 + 1).arg(ColName(s.Col2)).arg(s.Row2 + 1);
        QString t = QStringLiteral("[%1,%2%3").arg(s.CtrlName, ColName(s.Col1)).arg(s.Row1 + 1);
        if (s.RowOffset != 0)
            t += u',' + QString::number(s.RowOffset);
        return t + u']';
    }
    if (s.Col1 != s.Col2)
        return QStringLiteral("[%1,$%2:$%3]").arg(s.CtrlName, ColName(s.Col1), ColName(s.Col2));
    return QStringLiteral("[%1,$%2]").arg(s.CtrlName, ColName(s.Col1));
}

QString TZqWndExpression::FormulaText() const
{
    QString out;
    for (const TZqWndExpSym& s : Symbols) {
        const QString t = SymbolText(s);
        if (!out.isEmpty() && !t.isEmpty() && !isTerminator(out.back()) && !isTerminator(t.front()))
            out += u' ';
        out += t;
    }
    return out;
}

// ---------------------------------------------------------------- host

TecExpCalc& TZqTemplate::ExpCalc()
{
    if (!m_calc) {
        m_calc = std::make_unique<TecExpCalc>();
        m_calc->OnCheckVariable = [this](const QString& name, bool& exists, TecDataType& type) {
            int t = type;
            CheckVariable(name, exists, t);
            type = static_cast<TecDataType>(t);
        };
        m_calc->OnGetVariableValue = [this](const QString& name, const QString& owner, QVariant& value, TecDataType) {
            GetVariableValue(name, owner, value);
        };
    }
    return *m_calc;
}

TZQGridEx* TZqTemplate::GridByName(const QString& name) const
{
    TZqItem* it = GetItemByName(name);
    return it && it->Kind() == itGrid ? static_cast<TZQGridEx*>(it) : nullptr;
}

void TZqTemplate::CheckVariable(const QString& name, bool& exists, int& type) const
{
    exists = false;
    if (name.startsWith(u'@')) {
        exists = NameValueLookup(SysVars(), name).has_value();
        type = dtString;
        return;
    }
    if (!name.startsWith(u'[')) {
        const TZqItem* it = GetItemByName(name);
        if (!it || !isFormulaKind(it->Kind()))
            return;
        exists = true;
        type = itemDataType(*it);
        return;
    }
    QString gridName, cell, offset;
    if (!SplitCellRef(name, gridName, cell, offset))
        return;
    bool ok = true;
    if (!offset.isEmpty())
        offset.toInt(&ok);
    const TZQGridEx* g = GridByName(gridName);
    int c1, r1, c2, r2;
    if (!ok || !g || !g->ParseRange(cell, c1, r1, c2, r2))
        return;
    exists = true;
    const TZqGridCell* one = c1 == c2 && r1 == r2 && r1 != -1 ? g->Cell(c1, r1) : nullptr;
    type = one ? cellDataType(*one) : dtNumber;
}

void TZqTemplate::GetVariableValue(const QString& name, const QString& owner, QVariant& value) const
{
    // Counting a single value counts one, whatever it holds.
    const bool counting = owner == QStringLiteral("计数");
    if (name.startsWith(u'@')) {
        const auto v = NameValueLookup(SysVars(), name);
        if (!v)
            undefinedName(name);
        value = counting ? QVariant(1.0) : QVariant(*v);
        return;
    }
    if (!name.startsWith(u'[')) {
        const TZqItem* it = GetItemByName(name);
        if (!it)
            undefinedName(name);
        if (counting) {
            value = 1.0;
            return;
        }
        switch (it->Kind()) {
        case itSNEdit: value = static_cast<const TZqSNEdit*>(it)->GetText(); break;
        case itDate:
            value = parseDateTimeText(static_cast<const TZqDate*>(it)->TextForm()).value_or(0.0);
            break;
        case itCheck: value = static_cast<const TZqCheck*>(it)->Checked != 0; break;
        default:
            if (!isFormulaKind(it->Kind()))
                value = QVariant();
            else if (it->ValueDataType() == 1)
                value = parseNumber(it->GetValueText()).value_or(0.0);
            else
                value = it->GetValueText();
            break;
        }
        return;
    }
    QString gridName, cell, offsetText;
    if (!SplitCellRef(name, gridName, cell, offsetText))
        undefinedName(name);
    bool ok = true;
    const int offset = offsetText.isEmpty() ? 0 : offsetText.toInt(&ok);
    const TZQGridEx* g = GridByName(gridName);
    int c1, r1, c2, r2;
    if (!ok || !g || !g->ParseRange(cell, c1, r1, c2, r2))
        undefinedName(name);
    if (c1 != c2 || r1 != r2 || r1 == -1) {
        if (owner == QStringLiteral("合计"))
            value = g->RangeSum(c1, r1, c2, r2);
        else if (owner == QStringLiteral("平均"))
            value = g->RangeAverage(c1, r1, c2, r2);
        else if (owner == QStringLiteral("最小值"))
            value = g->RangeMin(c1, r1, c2, r2);
        else if (owner == QStringLiteral("最大值"))
            value = g->RangeMax(c1, r1, c2, r2);
        else if (counting)
            value = g->RangeCount(c1, r1, c2, r2);
        else
            value = 0;
        return;
    }
    const TZqGridCell* c = g->Cell(c1, r1);
    if (!c)
        undefinedName(name); // a row number below 1 names no cell
    if (counting) {
        value = 1.0;
        return;
    }
    if (offset == 0) {
        value = cellValue(*g, *c);
        return;
    }
    const int H = g->HeadRowCount(), T = g->TailRowCount(), N = g->RowCount();
    if (H + T >= N || r1 < H || r1 > N - T - 1) {
        value = QVariant();
        return;
    }
    const int r = r1 + offset;
    if (r < H || r > N - T - 1)
        value = zeroOf(*c);
    else
        value = cellValue(*g, *g->Cell(c1, r));
}

// ---------------------------------------------------------------- parsing

TZqWndExpSym TZqTemplate::ParseSymbol(const QString& text) const
{
    TZqWndExpSym s;
    s.IsItem = 1;
    if (text.startsWith(u'[') && text.endsWith(u']')) {
        QString gridName, cell, offset;
        if (!SplitCellRef(text, gridName, cell, offset))
            undefinedName(text);
        int c1 = -1, r1 = -1, c2, r2;
        try {
            const qsizetype colon = cell.indexOf(u':');
            if (colon < 0) {
                if (!ParseCellRef(cell, c1, r1))
                    undefinedName(text);
                c2 = c1;
                r2 = r1;
            } else if (!ParseCellRef(cell.left(colon), c1, r1) || !ParseCellRef(cell.mid(colon + 1), c2, r2)) {
                undefinedName(text);
            }
        } catch (const Error&) {
            undefinedName(text);
        }
        if (!GridByName(gridName))
            undefinedName(text);
        s.ItemType = itGrid;
        s.CtrlName = gridName;
        s.Col1 = c1;
        s.Row1 = r1;
        s.Col2 = c2;
        s.Row2 = r2;
        s.RowOffset = offset.toInt();
        return s;
    }
    const TZqItem* it = GetItemByName(text);
    if (!it || !isFormulaKind(it->Kind()))
        undefinedName(text);
    s.ItemType = static_cast<quint8>(it->Kind());
    s.CtrlName = text;
    return s;
}

TZqWndExpression* TZqTemplate::AddFormula(const QString& target, const QString& expression, int index)
{
    auto e = std::make_unique<TZqWndExpression>();
    e->Target = ParseSymbol(target);
    TecExpCalc& calc = ExpCalc();
    calc.Parse(expression);
    for (const TecSymbol& t : calc.InfixTokens()) {
        if (t.Kind != skOperand || t.Known || t.VarName.startsWith(u'@')) {
            TZqWndExpSym s;
            s.Text = t.Text;
            e->Symbols.push_back(s);
        } else {
            e->Symbols.push_back(ParseSymbol(t.VarName));
        }
    }
    for (const TZqWndExpSym& s : e->Symbols)
        if (HasCycle(s, e->Target))
            throw Error(QStringLiteral("公式中存在循环引用"));
    TZqWndExpression* p = e.get();
    if (index < 0 || index >= ExpressionCount())
        m_expressions.push_back(std::move(e));
    else
        m_expressions.insert(m_expressions.begin() + index, std::move(e));
    return p;
}

// ---------------------------------------------------------------- dependencies

bool TZqTemplate::Overlaps(const TZqWndExpSym& a, const TZqWndExpSym& b) const
{
    if (!a.IsItem || !b.IsItem || a.ItemType != b.ItemType || !sameTextAscii(a.CtrlName, b.CtrlName))
        return false;
    if (a.ItemType != itGrid)
        return true;
    const TZQGridEx* g = GridByName(a.CtrlName);
    if (!g)
        return false;
    const int first = g->HeadRowCount(), last = g->RowCount() - g->TailRowCount() - 1;
    struct R { int c1, r1, c2, r2; };
    auto norm = [&](const TZqWndExpSym& s, R& r) {
        r = {s.Col1, s.Row1, s.Col2, s.Row2};
        if (r.r1 == -1) {
            r.r1 = first;
            r.r2 = last;
        } else if (s.RowOffset != 0) {
            r.r1 += s.RowOffset;
            r.r2 = r.r1;
            if (r.r1 < first || r.r1 > last)
                return false;
        }
        return true;
    };
    R x, y;
    if (!norm(a, x) || !norm(b, y))
        return false;
    auto inside = [](const R& r, int c, int row) { return c >= r.c1 && c <= r.c2 && row >= r.r1 && row <= r.r2; };
    auto corner = [&](const R& p, const R& q) {
        return inside(q, p.c1, p.r1) || inside(q, p.c2, p.r1) || inside(q, p.c1, p.r2) || inside(q, p.c2, p.r2);
    };
    return corner(y, x) || corner(x, y);
}

bool TZqTemplate::HasCycleIn(const TZqWndExpSym& x, const TZqWndExpSym& target, std::vector<char>& seen) const
{
    if (!x.IsItem)
        return false;
    if (Overlaps(x, target))
        return true;
    for (size_t i = 0; i < m_expressions.size(); ++i) {
        // A formula already searched found no way back; its symbols need no second visit.
        if (seen[i] || !Overlaps(m_expressions[i]->Target, x))
            continue;
        seen[i] = 1;
        for (const TZqWndExpSym& s : m_expressions[i]->Symbols)
            if (HasCycleIn(s, target, seen))
                return true;
    }
    return false;
}

bool TZqTemplate::HasCycle(const TZqWndExpSym& x, const TZqWndExpSym& target) const
{
    std::vector<char> seen(m_expressions.size(), 0);
    return HasCycleIn(x, target, seen);
}

bool TZqTemplate::StoredFormulasCycle() const
{
    const size_t n = m_expressions.size();
    std::vector<std::vector<size_t>> reads(n);
    for (size_t i = 0; i < n; ++i)
        for (size_t j = 0; j < n; ++j)
            for (const TZqWndExpSym& s : m_expressions[i]->Symbols)
                if (Overlaps(s, m_expressions[j]->Target)) {
                    reads[i].push_back(j);
                    break;
                }
    // Depth-first search without recursion: 0 unvisited, 1 on the path, 2 done.
    std::vector<char> state(n, 0);
    std::vector<std::pair<size_t, size_t>> stack;
    for (size_t root = 0; root < n; ++root) {
        if (state[root])
            continue;
        stack.push_back({root, 0});
        state[root] = 1;
        while (!stack.empty()) {
            auto& [node, next] = stack.back();
            if (next == reads[node].size()) {
                state[node] = 2;
                stack.pop_back();
                continue;
            }
            const size_t j = reads[node][next++];
            if (state[j] == 1)
                return true;
            if (state[j] == 0) {
                state[j] = 1;
                stack.push_back({j, 0});
            }
        }
    }
    return false;
}

// ---------------------------------------------------------------- evaluation

QString TZqTemplate::EvaluateText(const QString& text)
{
    TecCalcResult r;
    ExpCalc().Calc(text, r);
    switch (r.DataType) {
    case dtNumber: return numberText15(r.NumValue);
    case dtString: return r.StrValue;
    case dtBoolean: return r.BoolValue ? QStringLiteral("True") : QStringLiteral("False");
    case dtDateTime: return formatDateTimeMs(r.DateValue);
    case dtDateRange: return formatDateTimeMs(r.DateValue) + QStringLiteral("..") + formatDateTimeMs(r.DateEnd);
    case dtSet: return r.SetValue;
    }
    return {};
}

void TZqTemplate::AssignResult(TZqItem* item, int col, int row, const QString& text)
{
    switch (item->Kind()) {
    case itCheck: {
        const QString u = asciiUpper(text);
        static_cast<TZqCheck*>(item)->SetChecked(u == u"YES" || u == u"Y" || u == u"TRUE" || u == u"T" || u == u"是");
        break;
    }
    case itGrid: {
        auto* g = static_cast<TZQGridEx*>(item);
        // A whole-column target names no cell and receives nothing.
        if (TZqGridCell* c = g->Cell(col, row))
            g->SetCellText(c, text);
        break;
    }
    default:
        if (isFormulaKind(item->Kind()))
            item->SetValueText(text);
        break;
    }
}

void TZqTemplate::Evaluate(TZqWndExpression& e)
{
    if (e.Busy)
        return; // a cycle stored in a file: the formula is already on its way
    TZqItem* item = GetItemByName(e.Target.CtrlName);
    if (!item)
        return;
    e.Busy = true;
    try {
        AssignResult(item, e.Target.Col1, e.Target.Row1, EvaluateText(e.FormulaText()));
    } catch (...) {
        e.Busy = false;
        throw;
    }
    e.Busy = false;
}

void TZqTemplate::EvaluateAll()
{
    for (size_t i = 0; i < m_expressions.size(); ++i)
        Evaluate(*m_expressions[i]);
}

void TZqTemplate::PropagateChange(const TZqWndExpSym& c)
{
    for (size_t i = 0; i < m_expressions.size(); ++i) {
        TZqWndExpression& e = *m_expressions[i];
        for (const TZqWndExpSym& s : e.Symbols)
            if (Overlaps(s, c)) {
                Evaluate(e);
                break;
            }
    }
}

void TZqTemplate::PropagateItemChange(TZqItem* item, int col, int row)
{
    if (m_expressions.empty() || (!isFormulaKind(item->Kind()) && item->Kind() != itGrid))
        return;
    TZqWndExpSym s;
    s.IsItem = 1;
    s.ItemType = static_cast<quint8>(item->Kind());
    s.CtrlName = item->Name();
    if (item->Kind() == itGrid) {
        s.Col1 = s.Col2 = col;
        s.Row1 = s.Row2 = row;
    }
    PropagateChange(s);
}
