#pragma once
// The template document: page, background picture of the blank form, print
// items, formulas, and the binary template format (the content of a .tpl file).
#include "model/ZqItem.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

// One item's or grid cell's value: the unit of exchange with print records,
// saved bills, related bills and batch printing.
struct TZqItemValue {
    quint8 Kind = 0;
    QString Name;
    QString Value;
    QString Extra;
    QString SubTblName;
    QString SubTblFldName;
    int SubTblRowNo = 0;
    quint8 SaveToPrtRec = 0;
    int DataType = 0; // 1 number, 2 text, 3 date, 4 boolean
    bool operator==(const TZqItemValue&) const = default;
};

// One symbol of a stored formula.
struct TZqWndExpSym {
    quint8 IsItem = 0;
    quint8 RefError = 0; // not stored
    quint8 ItemType = 0;
    QString CtrlName;
    int Col1 = -1, Row1 = -1, Col2 = -1, Row2 = -1;
    int RowOffset = 0;
    QString Text;
    bool operator==(const TZqWndExpSym&) const = default;
};

// The text of a symbol: the token, an item name, a grid reference or "#REF!".
QString SymbolText(const TZqWndExpSym& s);

struct TZqWndExpression {
    TZqWndExpSym Target;
    std::vector<TZqWndExpSym> Symbols;
    bool Busy = false; // being evaluated: a cycle read from a file stops here

    QString TargetText() const { return SymbolText(Target); }
    // The symbols' texts joined so that the text parses into the same tokens again.
    QString FormulaText() const;
};

class TZQGridEx;
namespace zq {
class TecExpCalc;
}

// The process-wide variables whose names begin with "@", as name=value lines.
QStringList& SysVars();

// The code of an item's kind.
inline int ItemTypeOf(const TZqItem& item) { return item.Kind(); }
// "itLine", "itRect", ...; empty for an unknown code.
QString ItemKindName(int kind);
int ItemKindFromName(const QString& name); // -1 when unknown
// A new item of a kind: all fields zero (for readers) or with the designer's defaults.
// Throws zq::Error for a kind this build cannot read.
std::unique_ptr<TZqItem> CreateItem(int kind, bool withDefaults);

class TZqTemplate {
public:
    TZqTemplate();
    ~TZqTemplate();
    TZqTemplate(const TZqTemplate&) = delete;
    TZqTemplate& operator=(const TZqTemplate&) = delete;

    TZQBPCtrlBase* Owner = nullptr;
    int TempWidth = 794;
    int TempHeight = 1123;
    quint32 BkColor = 0xFFFFFF;

    void Clear();
    int ItemCount() const { return static_cast<int>(m_items.size()); }
    TZqItem* Item(int i) const;
    // Takes ownership and appends in painting order.
    TZqItem* AddItem(std::unique_ptr<TZqItem> item);
    std::unique_ptr<TZqItem> RemoveItem(int i);
    TZqItem* GetItemByName(const QString& name) const;

    // Background picture: the JPEG bytes as read are kept and written back
    // unchanged until the picture itself changes.
    bool HasBkPic() const { return !m_bkJpeg.isEmpty() || !m_bkPic.isNull(); }
    const QImage& BkPic() const { return m_bkPic; }
    const QByteArray& BkJpeg() const { return m_bkJpeg; }
    void SetBkPic(const QImage& image); // re-encoded (quality 90) when saved
    void SetBkJpeg(const QByteArray& jpeg); // throws zq::Error when it is not a JPEG picture
    void ClearBkPic();

    QStringList OldVerExps;
    int ExpressionCount() const { return static_cast<int>(m_expressions.size()); }
    TZqWndExpression* Expression(int i) const;
    std::vector<std::unique_ptr<TZqWndExpression>>& Expressions() { return m_expressions; }
    int OldVerExpCount() const { return static_cast<int>(OldVerExps.size()); }

    // The binary format. Loading parses everything first and keeps nothing on
    // failure: the template is left empty and the error (zq::Error) goes to the caller.
    void LoadFromStream(QByteArrayView data);
    QByteArray SaveToStream() const;
    void LoadFromFile(const QString& path);
    void SaveToFile(const QString& path) const; // atomic
    // Some text of the last save had characters GBK cannot hold (written as "?").
    bool LastSaveLossy() const { return m_lastSaveLossy; }

    // Values.
    void ResetValues();
    QList<TZqItemValue> GetItemValues() const;
    void SetItemValues(const QList<TZqItemValue>& list);
    QStringList GetNameValues() const;
    void SetNameValues(const QStringList& lines);
    QString ItemValuesToText() const;
    void ItemValuesFromText(const QString& text);
    void FitGridRows();

    // Formulas. AddFormula parses a target and an expression into symbols and
    // stores the formula at index (-1 appends); errors (zq::Error) leave the
    // list unchanged, a formula reading its own target is refused with
    // "公式中存在循环引用".
    TZqWndExpression* AddFormula(const QString& target, const QString& expression, int index = -1);
    // Every formula in list order.
    void EvaluateAll();
    // The formulas reading the changed cells or item, in list order.
    void PropagateChange(const TZqWndExpSym& changed);
    TZqWndExpSym ParseSymbol(const QString& text) const;
    bool Overlaps(const TZqWndExpSym& a, const TZqWndExpSym& b) const;
    bool HasCycle(const TZqWndExpSym& x, const TZqWndExpSym& target) const;
    // The stored formulas hold a cycle (possible only in a file): found once on loading.
    bool FormulaCycle() const { return m_formulaCycle; }
    QString EvaluateText(const QString& text);
    void AssignResult(TZqItem* item, int col, int row, const QString& text);
    zq::TecExpCalc& ExpCalc();
    TZQGridEx* GridByName(const QString& name) const;

    // Formula hooks called by the items.
    void PropagateItemChange(TZqItem* item, int col, int row);
    void RenameReferences(TZqItem* item, const QString& oldName, const QString& newName);

    // The binary layout of value records inside ItemValuesToText.
    static void WriteItemValueRecords(zq::ByteWriter& w, const QList<TZqItemValue>& list);
    static QList<TZqItemValue> ReadItemValueRecords(zq::ByteReader& r);

private:
    std::vector<std::unique_ptr<TZqItem>> m_items;
    std::vector<std::unique_ptr<TZqWndExpression>> m_expressions;
    QImage m_bkPic;
    QByteArray m_bkJpeg;
    mutable bool m_lastSaveLossy = false;
    bool m_formulaCycle = false;
    std::unique_ptr<zq::TecExpCalc> m_calc;

    void CheckVariable(const QString& name, bool& exists, int& type) const;
    void GetVariableValue(const QString& name, const QString& owner, QVariant& value) const;
    // One search over the graph of formulas (i reads what j writes), for files.
    bool StoredFormulasCycle() const;
    bool HasCycleIn(const TZqWndExpSym& x, const TZqWndExpSym& target, std::vector<char>& seen) const;
    void Evaluate(TZqWndExpression& e);
};

// Symbol records of the formula section.
void ReadExpSym(zq::ByteReader& r, int version, TZqWndExpSym& s);
void WriteExpSym(zq::ByteWriter& w, const TZqWndExpSym& s);

// The value of a name=value line list for a name (ASCII letters compare without case).
std::optional<QString> NameValueLookup(const QStringList& lines, const QString& name);
