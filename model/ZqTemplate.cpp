#include "ZqTemplate.h"

#include "ZqBarcode.h"
#include "ZqBasicItems.h"
#include "ZqPicture.h"
#include "ZqComboBox.h"
#include "ZqCurrency.h"
#include "ZqDate.h"
#include "ZqGrid.h"
#include "ZqEdit.h"
#include "ZqSNEdit.h"
#include "ZqSmallInputs.h"
#include "base/AtomicFile.h"
#include "base/Base64.h"
#include "base/Error.h"
#include "base/Gbk.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

using namespace zq;

namespace {

constexpr int kFormulaSection = 47879; // > : the template holds its formulas
constexpr int kRowOffset = 47882;      // > : formula symbols hold RowOffset

// The smallest item record (a first-generation line) plus its kind byte.
constexpr int kMinItemBytes = 1 + 21;
// A symbol without RowOffset, and a formula: target plus its count.
constexpr int kMinSymbolBytes = 1 + 1 + 4 + 16 + 4;

const char* const kKindNames[] = {
    "itLine", "itRect", "itLabel", "itEdit", "itCombobox", "itDate", "itCurrency", "itBarcod",
    "itPicture", "itPassword", "itUpperCurrency", "itCheck", "itPostalCode", "itSNEdit", "itGrid",
};

QImage decodeJpeg(const QByteArray& jpeg)
{
    QBuffer buf;
    buf.setData(jpeg);
    QImageReader reader(&buf, "jpeg");
    QImage img = reader.read();
    if (img.isNull())
        throw Error(QStringLiteral("背景图片不是有效的JPEG图像：%1").arg(reader.errorString()));
    return img;
}

} // namespace

QStringList& SysVars()
{
    static QStringList vars;
    return vars;
}

QString ItemKindName(int kind)
{
    if (kind < 0 || kind > itGrid)
        return {};
    return QString::fromLatin1(kKindNames[kind]);
}

int ItemKindFromName(const QString& name)
{
    for (int k = 0; k <= itGrid; ++k)
        if (name == QLatin1String(kKindNames[k]))
            return k;
    return -1;
}

std::unique_ptr<TZqItem> CreateItem(int kind, bool withDefaults)
{
    std::unique_ptr<TZqItem> item;
    switch (kind) {
    case itLine: item = std::make_unique<TZqLine>(); break;
    case itRect: item = std::make_unique<TZQRect>(); break;
    case itLabel: item = std::make_unique<TZqLabel>(); break;
    case itBarcod: item = std::make_unique<TZqBarcode>(); break;
    case itPicture: item = std::make_unique<TZqPicture>(); break;
    case itEdit: item = std::make_unique<TZqEdit>(); break;
    case itCombobox: item = std::make_unique<TZqComboBox>(); break;
    case itDate: item = std::make_unique<TZqDate>(); break;
    case itCurrency: item = std::make_unique<TZqCurrency>(); break;
    case itPassword: item = std::make_unique<TZqPassword>(); break;
    case itUpperCurrency: item = std::make_unique<TZqUpperCurrency>(); break;
    case itCheck: item = std::make_unique<TZqCheck>(); break;
    case itPostalCode: item = std::make_unique<TZqPostalCode>(); break;
    case itSNEdit: item = std::make_unique<TZqSNEdit>(); break;
    case itGrid: item = std::make_unique<TZQGridEx>(); break;
    default:
        if (kind >= 0 && kind <= itGrid)
            throw Error(QStringLiteral("不支持的项目类型：%1（%2）").arg(ItemKindName(kind)).arg(kind));
        throw Error(QStringLiteral("未知的项目类型代码：%1").arg(kind));
    }
    if (withDefaults)
        item->InitDefaults();
    return item;
}

std::optional<QString> NameValueLookup(const QStringList& lines, const QString& name)
{
    for (const QString& line : lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        if (sameTextAscii(QStringView(line).first(eq), name))
            return line.mid(eq + 1);
    }
    return std::nullopt;
}

// ---------------------------------------------------------------- symbols

void ReadExpSym(ByteReader& r, int version, TZqWndExpSym& s)
{
    s.IsItem = r.u8();
    s.ItemType = r.u8();
    s.CtrlName = r.str();
    s.Col1 = r.i32();
    s.Row1 = r.i32();
    s.Col2 = r.i32();
    s.Row2 = r.i32();
    s.Text = r.str();
    s.RowOffset = version > kRowOffset ? r.i32() : 0;
    s.RefError = 0;
}

void WriteExpSym(ByteWriter& w, const TZqWndExpSym& s)
{
    w.u8(s.IsItem);
    w.u8(s.ItemType);
    w.str(s.CtrlName);
    w.i32(s.Col1);
    w.i32(s.Row1);
    w.i32(s.Col2);
    w.i32(s.Row2);
    w.str(s.Text);
    w.i32(s.RowOffset);
}

// ---------------------------------------------------------------- TZqTemplate

#include "expr/ExpCalc.h"

TZqTemplate::TZqTemplate() = default;
TZqTemplate::~TZqTemplate() = default;

void TZqTemplate::Clear()
{
    m_items.clear();
    m_expressions.clear();
    m_formulaCycle = false;
    OldVerExps.clear();
    ClearBkPic();
}

TZqItem* TZqTemplate::Item(int i) const
{
    return i >= 0 && i < ItemCount() ? m_items[static_cast<size_t>(i)].get() : nullptr;
}

TZqItem* TZqTemplate::AddItem(std::unique_ptr<TZqItem> item)
{
    item->Template = this;
    m_items.push_back(std::move(item));
    return m_items.back().get();
}

std::unique_ptr<TZqItem> TZqTemplate::RemoveItem(int i)
{
    if (i < 0 || i >= ItemCount())
        return nullptr;
    std::unique_ptr<TZqItem> it = std::move(m_items[static_cast<size_t>(i)]);
    m_items.erase(m_items.begin() + i);
    it->Template = nullptr;
    return it;
}

TZqItem* TZqTemplate::GetItemByName(const QString& name) const
{
    for (const auto& it : m_items)
        if (sameTextAscii(it->Name(), name))
            return it.get();
    return nullptr;
}

TZqWndExpression* TZqTemplate::Expression(int i) const
{
    return i >= 0 && i < ExpressionCount() ? m_expressions[static_cast<size_t>(i)].get() : nullptr;
}

void TZqTemplate::SetBkPic(const QImage& image)
{
    m_bkPic = image;
    m_bkJpeg.clear();
}

void TZqTemplate::SetBkJpeg(const QByteArray& jpeg)
{
    m_bkPic = decodeJpeg(jpeg);
    m_bkJpeg = jpeg;
}

void TZqTemplate::ClearBkPic()
{
    m_bkPic = QImage();
    m_bkJpeg.clear();
}

void TZqTemplate::LoadFromStream(QByteArrayView data)
{
    Clear();
    ByteReader r(data);
    const int version = r.u16();
    if (version < ZqVersion::kFirst || version > ZqVersion::kCurrent)
        throw Error(QStringLiteral("不兼容的版本!"));

    const int width = r.i32();
    const int height = r.i32();
    const quint32 color = r.u32();
    const quint8 hasPic = r.u8();
    QByteArray jpeg;
    QImage pic;
    if (hasPic) {
        jpeg = r.bytes(r.i64());
        pic = decodeJpeg(jpeg);
    }

    std::vector<std::unique_ptr<TZqItem>> items;
    const int n = r.count(kMinItemBytes);
    items.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const int kind = r.u8();
        if (version == ZqVersion::kFirst && kind == itGrid)
            throw Error(QStringLiteral("未知的项目类型代码：%1").arg(kind));
        std::unique_ptr<TZqItem> item = CreateItem(kind, false);
        if (version == ZqVersion::kFirst)
            item->ReadRecord(r, version);
        else
            item->ReadStreamFull(r, version);
        item->Template = this;
        items.push_back(std::move(item));
    }

    QStringList old;
    const int m = r.count(4);
    for (int i = 0; i < m; ++i)
        old.append(r.str());

    std::vector<std::unique_ptr<TZqWndExpression>> exprs;
    if (version > kFormulaSection) {
        const int k = r.count(kMinSymbolBytes + 4);
        for (int i = 0; i < k; ++i) {
            auto e = std::make_unique<TZqWndExpression>();
            ReadExpSym(r, version, e->Target);
            const int t = r.count(kMinSymbolBytes);
            e->Symbols.resize(static_cast<size_t>(t));
            for (TZqWndExpSym& s : e->Symbols)
                ReadExpSym(r, version, s);
            exprs.push_back(std::move(e));
        }
    }

    TempWidth = width;
    TempHeight = height;
    BkColor = color;
    m_bkJpeg = std::move(jpeg);
    m_bkPic = std::move(pic);
    m_items = std::move(items);
    OldVerExps = std::move(old);
    m_expressions = std::move(exprs);
    // A file may hold formulas that read their own targets; they are found
    // once here, and evaluation stops at a formula already being evaluated.
    m_formulaCycle = StoredFormulasCycle();
}

QByteArray TZqTemplate::SaveToStream() const
{
    ByteWriter w;
    w.u16(ZqVersion::kCurrent);
    w.i32(TempWidth);
    w.i32(TempHeight);
    w.u32(BkColor);
    w.u8(HasBkPic() ? 1 : 0);
    if (HasBkPic()) {
        QByteArray jpeg = m_bkJpeg;
        if (jpeg.isEmpty()) {
            QBuffer buf(&jpeg);
            buf.open(QIODevice::WriteOnly);
            QImageWriter writer(&buf, "jpeg");
            writer.setQuality(90);
            if (!writer.write(m_bkPic))
                throw Error(QStringLiteral("无法保存背景图片：%1").arg(writer.errorString()));
        }
        w.i64(jpeg.size());
        w.bytes(jpeg);
    }
    w.i32(ItemCount());
    for (const auto& it : m_items) {
        w.u8(static_cast<quint8>(ItemTypeOf(*it)));
        it->WriteStreamFull(w);
    }
    w.i32(static_cast<int>(OldVerExps.size()));
    for (const QString& s : OldVerExps)
        w.str(s);
    w.i32(ExpressionCount());
    for (const auto& e : m_expressions) {
        WriteExpSym(w, e->Target);
        w.i32(static_cast<int>(e->Symbols.size()));
        for (const TZqWndExpSym& s : e->Symbols)
            WriteExpSym(w, s);
    }
    m_lastSaveLossy = w.lossy();
    return w.take();
}

void TZqTemplate::LoadFromFile(const QString& path)
{
    LoadFromStream(readWholeFile(path));
}

void TZqTemplate::SaveToFile(const QString& path) const
{
    writeFileAtomic(path, SaveToStream());
}

// ---------------------------------------------------------------- values

void TZqTemplate::ResetValues()
{
    for (const auto& it : m_items)
        if (it->IsInput())
            it->ResetValue();
}

QList<TZqItemValue> TZqTemplate::GetItemValues() const
{
    QList<TZqItemValue> list;
    for (const auto& it : m_items)
        it->AppendValues(list);
    return list;
}

void TZqTemplate::SetItemValues(const QList<TZqItemValue>& list)
{
    ResetValues();
    for (const auto& it : m_items)
        it->ApplyValues(list);
}

QStringList TZqTemplate::GetNameValues() const
{
    QStringList lines;
    for (const auto& it : m_items)
        it->AppendNameValues(lines);
    return lines;
}

void TZqTemplate::SetNameValues(const QStringList& lines)
{
    ResetValues();
    const auto lookup = [&lines](const QString& name) { return NameValueLookup(lines, name); };
    for (const auto& it : m_items)
        it->ApplyNameValues(lookup);
}

void TZqTemplate::WriteItemValueRecords(ByteWriter& w, const QList<TZqItemValue>& list)
{
    w.i32(static_cast<int>(list.size()));
    for (const TZqItemValue& v : list) {
        w.u8(v.Kind);
        w.str(v.Name);
        w.str(v.Value);
        w.str(v.Extra);
        w.str(v.SubTblName);
        w.str(v.SubTblFldName);
        w.i32(v.SubTblRowNo);
        w.u8(v.SaveToPrtRec);
        w.i32(v.DataType);
    }
}

QList<TZqItemValue> TZqTemplate::ReadItemValueRecords(ByteReader& r)
{
    QList<TZqItemValue> list;
    const int n = r.count(1 + 5 * 4 + 4 + 1 + 4);
    for (int i = 0; i < n; ++i) {
        TZqItemValue v;
        v.Kind = r.u8();
        v.Name = r.str();
        v.Value = r.str();
        v.Extra = r.str();
        v.SubTblName = r.str();
        v.SubTblFldName = r.str();
        v.SubTblRowNo = r.i32();
        v.SaveToPrtRec = r.u8();
        v.DataType = r.i32();
        list.append(v);
    }
    return list;
}

QString TZqTemplate::ItemValuesToText() const
{
    ByteWriter w;
    WriteItemValueRecords(w, GetItemValues());
    return QString::fromLatin1(mimeBase64Encode(w.data()));
}

void TZqTemplate::ItemValuesFromText(const QString& text)
{
    QList<TZqItemValue> list;
    const auto bytes = mimeBase64Decode(text.toLatin1());
    if (bytes && bytes->size() >= 4) {
        try {
            ByteReader r(*bytes);
            list = ReadItemValueRecords(r);
        } catch (const Error&) {
            list.clear(); // a damaged record list leaves every item at its reset value
        }
    }
    SetItemValues(list);
}

void TZqTemplate::FitGridRows()
{
    int d = 0;
    for (const auto& it : m_items)
        if (const auto h = it->RowsHeight()) {
            d += *h - it->Height;
            it->Height = *h;
        }
    TempHeight += d;
    for (const auto& it : m_items)
        if (it->Align == 1)
            it->YPos += d;
    if (Owner)
        Owner->Relayout();
}

// ---------------------------------------------------------------- formulas

void TZqTemplate::RenameReferences(TZqItem* item, const QString& oldName, const QString& newName)
{
    const int kind = ItemTypeOf(*item);
    for (const auto& e : m_expressions) {
        auto rename = [&](TZqWndExpSym& s) {
            if (s.IsItem && s.ItemType == kind && sameTextAscii(s.CtrlName, oldName))
                s.CtrlName = newName;
        };
        rename(e->Target);
        for (TZqWndExpSym& s : e->Symbols)
            rename(s);
    }
}
