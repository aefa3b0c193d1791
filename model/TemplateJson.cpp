#include "TemplateJson.h"

#include "ZqGrid.h"
#include "ZqTemplate.h"
#include "base/Error.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <cmath>
#include <limits>

using namespace zq;

namespace {

class JsonWriter : public TZqPropVisitor {
public:
    QJsonObject obj;
    void i32(const char* n, int& v) override { obj.insert(QLatin1String(n), v); }
    void u8(const char* n, quint8& v) override { obj.insert(QLatin1String(n), v); }
    void color(const char* n, quint32& v) override { obj.insert(QLatin1String(n), static_cast<qint64>(v)); }
    void real(const char* n, double& v) override { obj.insert(QLatin1String(n), v); }
    void text(const char* n, QString& v) override { obj.insert(QLatin1String(n), v); }
};

[[noreturn]] void fail(const QString& where, const QString& what)
{
    throw Error(QStringLiteral("模板JSON错误：%1：%2").arg(where, what));
}

double number(const QJsonValue& v, const QString& where, double lo, double hi, bool integral)
{
    double d;
    if (v.isDouble())
        d = v.toDouble();
    else if (v.isString() && v.toString().startsWith(QStringLiteral("0x"))) {
        bool ok = false;
        d = static_cast<double>(v.toString().mid(2).toULongLong(&ok, 16));
        if (!ok)
            fail(where, QStringLiteral("不是数字"));
    } else
        fail(where, QStringLiteral("不是数字"));
    if (!std::isfinite(d) || d < lo || d > hi || (integral && d != std::floor(d)))
        fail(where, QStringLiteral("数值超出范围"));
    return d;
}

class JsonReader : public TZqPropVisitor {
public:
    JsonReader(const QJsonObject& o, const QString& where) : m_o(o), m_where(where) {}
    QSet<QString> seen;

    void i32(const char* n, int& v) override
    {
        if (auto x = get(n))
            v = static_cast<int>(number(*x, field(n), std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), true));
    }
    void u8(const char* n, quint8& v) override
    {
        if (auto x = get(n)) {
            if (x->isBool())
                v = x->toBool() ? 1 : 0;
            else
                v = static_cast<quint8>(number(*x, field(n), 0, 255, true));
        }
    }
    void color(const char* n, quint32& v) override
    {
        if (auto x = get(n))
            v = static_cast<quint32>(number(*x, field(n), 0, 4294967295.0, true));
    }
    void real(const char* n, double& v) override
    {
        if (auto x = get(n))
            v = number(*x, field(n), -1e300, 1e300, false);
    }
    void text(const char* n, QString& v) override
    {
        if (auto x = get(n)) {
            if (!x->isString())
                fail(field(n), QStringLiteral("不是文本"));
            v = x->toString();
        }
    }

private:
    QString field(const char* n) const { return m_where + u'.' + QLatin1String(n); }
    std::optional<QJsonValue> get(const char* n)
    {
        const QString key = QLatin1String(n);
        seen.insert(key);
        if (!m_o.contains(key))
            return std::nullopt;
        return m_o.value(key);
    }
    QJsonObject m_o;
    QString m_where;
};

QJsonObject symToJson(const TZqWndExpSym& s)
{
    return QJsonObject{{QStringLiteral("IsItem"), s.IsItem},       {QStringLiteral("ItemType"), s.ItemType},
                       {QStringLiteral("CtrlName"), s.CtrlName},   {QStringLiteral("Col1"), s.Col1},
                       {QStringLiteral("Row1"), s.Row1},           {QStringLiteral("Col2"), s.Col2},
                       {QStringLiteral("Row2"), s.Row2},           {QStringLiteral("RowOffset"), s.RowOffset},
                       {QStringLiteral("Text"), s.Text}};
}

TZqWndExpSym symFromJson(const QJsonValue& v, const QString& where)
{
    if (!v.isObject())
        fail(where, QStringLiteral("应为对象"));
    const QJsonObject o = v.toObject();
    TZqWndExpSym s;
    auto i = [&](const char* n, int def) {
        const QString k = QLatin1String(n);
        return o.contains(k) ? static_cast<int>(number(o.value(k), where + u'.' + k, INT_MIN, INT_MAX, true)) : def;
    };
    s.IsItem = static_cast<quint8>(i("IsItem", 0) ? 1 : 0);
    s.ItemType = static_cast<quint8>(i("ItemType", 0) & 0xFF);
    s.CtrlName = o.value(QStringLiteral("CtrlName")).toString();
    s.Col1 = i("Col1", -1);
    s.Row1 = i("Row1", -1);
    s.Col2 = i("Col2", -1);
    s.Row2 = i("Row2", -1);
    s.RowOffset = i("RowOffset", 0);
    s.Text = o.value(QStringLiteral("Text")).toString();
    return s;
}

// Grid cells: only the attributes that differ from a new cell are written.
void gridToJson(TZQGridEx& g, QJsonObject& obj)
{
    QJsonArray widths;
    for (int w : g.ColWidths)
        widths.append(w);
    obj.insert(QStringLiteral("ColWidths"), widths);
    obj.insert(QStringLiteral("HeadRowCount"), g.HeadRowCount());
    obj.insert(QStringLiteral("TailRowCount"), g.TailRowCount());
    JsonWriter blank;
    TZqGridCell().VisitProps(blank);
    QJsonArray rows;
    for (int r = 0; r < g.RowCount(); ++r) {
        QJsonArray cells;
        for (int c = 0; c < g.ColCount(); ++c) {
            JsonWriter w;
            g.Cell(c, r)->VisitProps(w);
            QJsonObject diff;
            for (auto it = w.obj.begin(); it != w.obj.end(); ++it)
                if (blank.obj.value(it.key()) != it.value())
                    diff.insert(it.key(), it.value());
            cells.append(diff);
        }
        QJsonObject row{{QStringLiteral("Height"), g.RowHeights[static_cast<size_t>(r)]}, {QStringLiteral("Cells"), cells}};
        if (g.Rows[static_cast<size_t>(r)]->RowFlag)
            row.insert(QStringLiteral("RowFlag"), g.Rows[static_cast<size_t>(r)]->RowFlag);
        rows.append(row);
    }
    obj.insert(QStringLiteral("Rows"), rows);
}

int intOf(const QJsonValue& v, const QString& where, double lo = INT_MIN, double hi = INT_MAX)
{
    return static_cast<int>(number(v, where, lo, hi, true));
}

void gridFromJson(TZQGridEx& g, const QJsonObject& o, const QString& where, QSet<QString>& seen)
{
    for (const char* k : {"ColWidths", "HeadRowCount", "TailRowCount", "Rows"})
        seen.insert(QLatin1String(k));
    std::vector<int> widths;
    for (const QJsonValue& v : o.value(QStringLiteral("ColWidths")).toArray())
        widths.push_back(intOf(v, where + QStringLiteral(".ColWidths")));
    std::vector<int> heights;
    std::vector<quint8> flags;
    std::vector<std::vector<std::unique_ptr<TZqGridCell>>> cells;
    const QJsonArray rows = o.value(QStringLiteral("Rows")).toArray();
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QString rw = where + QStringLiteral(".Rows[%1]").arg(r);
        const QJsonObject row = rows[r].toObject();
        for (const QString& k : row.keys())
            if (k != QStringLiteral("Height") && k != QStringLiteral("Cells") && k != QStringLiteral("RowFlag"))
                fail(rw + u'.' + k, QStringLiteral("未知的字段"));
        heights.push_back(row.contains(QStringLiteral("Height")) ? intOf(row.value(QStringLiteral("Height")), rw + QStringLiteral(".Height")) : 20);
        flags.push_back(static_cast<quint8>(row.contains(QStringLiteral("RowFlag")) ? intOf(row.value(QStringLiteral("RowFlag")), rw, 0, 255) : 0));
        std::vector<std::unique_ptr<TZqGridCell>> line;
        const QJsonArray list = row.value(QStringLiteral("Cells")).toArray();
        for (qsizetype c = 0; c < list.size(); ++c) {
            const QString cw = rw + QStringLiteral(".Cells[%1]").arg(c);
            auto cell = std::make_unique<TZqGridCell>();
            JsonReader rd(list[c].toObject(), cw);
            cell->VisitProps(rd);
            for (const QString& k : list[c].toObject().keys())
                if (!rd.seen.contains(k))
                    fail(cw + u'.' + k, QStringLiteral("未知的字段"));
            line.push_back(std::move(cell));
        }
        cells.push_back(std::move(line));
    }
    const int head = o.contains(QStringLiteral("HeadRowCount")) ? intOf(o.value(QStringLiteral("HeadRowCount")), where) : 0;
    const int tail = o.contains(QStringLiteral("TailRowCount")) ? intOf(o.value(QStringLiteral("TailRowCount")), where) : 0;
    try {
        g.SetStructure(std::move(widths), std::move(heights), std::move(cells), std::move(flags), head, tail);
    } catch (const Error& e) {
        fail(where, e.message());
    }
}

} // namespace

QByteArray TemplateToJson(const TZqTemplate& t)
{
    QJsonObject root;
    root.insert(QStringLiteral("TempWidth"), t.TempWidth);
    root.insert(QStringLiteral("TempHeight"), t.TempHeight);
    root.insert(QStringLiteral("BkColor"), static_cast<qint64>(t.BkColor));
    if (t.HasBkPic()) {
        QByteArray jpeg = t.BkJpeg();
        if (jpeg.isEmpty()) {
            // A picture set in memory: take the bytes the template file would hold.
            TZqTemplate copy;
            copy.LoadFromStream(t.SaveToStream());
            jpeg = copy.BkJpeg();
        }
        root.insert(QStringLiteral("BkPic"), QString::fromLatin1(jpeg.toBase64()));
    }
    QJsonArray items;
    for (int i = 0; i < t.ItemCount(); ++i) {
        JsonWriter w;
        w.obj.insert(QStringLiteral("Kind"), ItemKindName(ItemTypeOf(*t.Item(i))));
        t.Item(i)->VisitProps(w);
        if (t.Item(i)->Kind() == itGrid)
            gridToJson(*static_cast<TZQGridEx*>(t.Item(i)), w.obj);
        items.append(w.obj);
    }
    root.insert(QStringLiteral("Items"), items);
    root.insert(QStringLiteral("OldVerExps"), QJsonArray::fromStringList(t.OldVerExps));
    QJsonArray exprs;
    for (int i = 0; i < t.ExpressionCount(); ++i) {
        const TZqWndExpression* e = t.Expression(i);
        exprs.append(e->TargetText() + u'=' + e->FormulaText());
    }
    root.insert(QStringLiteral("Expressions"), exprs);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool TemplateFromJson(QByteArrayView json, TZqTemplate& out)
{
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(json.toByteArray(), &err);
    if (doc.isNull())
        throw Error(QStringLiteral("模板JSON错误：第 %1 个字符处：%2").arg(err.offset).arg(err.errorString()));
    if (!doc.isObject())
        fail(QStringLiteral("(根)"), QStringLiteral("应为对象"));
    const QJsonObject root = doc.object();
    static const QSet<QString> known = {QStringLiteral("TempWidth"), QStringLiteral("TempHeight"),
                                        QStringLiteral("BkColor"),   QStringLiteral("BkPic"),
                                        QStringLiteral("Items"),     QStringLiteral("OldVerExps"),
                                        QStringLiteral("Expressions")};
    for (const QString& k : root.keys())
        if (!known.contains(k))
            fail(k, QStringLiteral("未知的字段"));

    TZqTemplate t;
    if (root.contains(QStringLiteral("TempWidth")))
        t.TempWidth = static_cast<int>(number(root.value(QStringLiteral("TempWidth")), QStringLiteral("TempWidth"), 0, INT_MAX, true));
    if (root.contains(QStringLiteral("TempHeight")))
        t.TempHeight = static_cast<int>(number(root.value(QStringLiteral("TempHeight")), QStringLiteral("TempHeight"), 0, INT_MAX, true));
    if (root.contains(QStringLiteral("BkColor")))
        t.BkColor = static_cast<quint32>(number(root.value(QStringLiteral("BkColor")), QStringLiteral("BkColor"), 0, 4294967295.0, true));
    if (root.contains(QStringLiteral("BkPic"))) {
        const auto b64 = QByteArray::fromBase64Encoding(root.value(QStringLiteral("BkPic")).toString().toLatin1(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
        if (!b64)
            fail(QStringLiteral("BkPic"), QStringLiteral("不是有效的Base64文本"));
        t.SetBkJpeg(b64.decoded);
    }
    const QJsonArray items = root.value(QStringLiteral("Items")).toArray();
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString where = QStringLiteral("Items[%1]").arg(i);
        if (!items[i].isObject())
            fail(where, QStringLiteral("应为对象"));
        const QJsonObject o = items[i].toObject();
        const int kind = ItemKindFromName(o.value(QStringLiteral("Kind")).toString());
        if (kind < 0)
            fail(where + QStringLiteral(".Kind"), QStringLiteral("未知的项目类型“%1”").arg(o.value(QStringLiteral("Kind")).toString()));
        std::unique_ptr<TZqItem> item = CreateItem(kind, true);
        JsonReader r(o, where);
        item->VisitProps(r);
        if (kind == itGrid)
            gridFromJson(*static_cast<TZQGridEx*>(item.get()), o, where, r.seen);
        r.seen.insert(QStringLiteral("Kind"));
        for (const QString& k : o.keys())
            if (!r.seen.contains(k))
                fail(where + u'.' + k, QStringLiteral("未知的字段"));
        t.AddItem(std::move(item));
    }
    for (const QJsonValue& v : root.value(QStringLiteral("OldVerExps")).toArray()) {
        if (!v.isString())
            fail(QStringLiteral("OldVerExps"), QStringLiteral("应为文本"));
        t.OldVerExps.append(v.toString());
    }
    const QJsonArray exprs = root.value(QStringLiteral("Expressions")).toArray();
    for (qsizetype i = 0; i < exprs.size(); ++i) {
        const QString where = QStringLiteral("Expressions[%1]").arg(i);
        if (exprs[i].isString()) {
            // "TARGET=EXPRESSION", parsed and checked like a formula typed in the designer.
            const QString text = exprs[i].toString();
            const qsizetype eq = text.indexOf(u'=');
            if (eq <= 0)
                fail(where, QStringLiteral("公式应写作“目标=表达式”"));
            try {
                t.AddFormula(text.left(eq).trimmed(), text.mid(eq + 1));
            } catch (const Error& e) {
                fail(where, e.message());
            }
            continue;
        }
        const QJsonObject o = exprs[i].toObject();
        auto e = std::make_unique<TZqWndExpression>();
        e->Target = symFromJson(o.value(QStringLiteral("Target")), where + QStringLiteral(".Target"));
        for (const QJsonValue& s : o.value(QStringLiteral("Symbols")).toArray())
            e->Symbols.push_back(symFromJson(s, where + QStringLiteral(".Symbols")));
        t.Expressions().push_back(std::move(e));
    }

    // Move the finished document over; nothing is half-applied on error.
    const QByteArray bytes = t.SaveToStream();
    out.LoadFromStream(bytes);
    return t.LastSaveLossy();
}
