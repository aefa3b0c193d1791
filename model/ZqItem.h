#pragma once
// The print items of a template: the common item record, the boxed item base,
// the drawing contract with the hosting controls and designer hit tests.
#include "base/ByteStream.h"
#include "platform/Canvas.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class TZqTemplate;
class TZqItem;
struct TZqItemValue;

// Item kind codes: the byte written before each item record.
enum TZqItemType : int {
    itLine = 0, itRect = 1, itLabel = 2, itEdit = 3, itCombobox = 4, itDate = 5, itCurrency = 6,
    itBarcod = 7, itPicture = 8, itPassword = 9, itUpperCurrency = 10, itCheck = 11, itPostalCode = 12,
    itSNEdit = 13, itGrid = 14,
};

// Stream versions and the thresholds at which fields appeared.
namespace ZqVersion {
inline constexpr int kFirst = 43521;   // 0xAA01: first-generation item records
inline constexpr int kCurrent = 47884; // 0xBB0C: always written
}

// Drawing modes.
enum TZqDrawMode : int {
    dmDesign = 0,   // selection frame, handles, designer-only decorations
    dmExport = 1,   // the page exported as a picture; shifted by (dx, dy)
    dmInput = 2,    // data entry
    dmPrint = 3,    // paper and the calibration view: shifted, PrintSelf 0 / NoPrint items skipped, no fill
};

// Which hosting control owns a template.
enum class TZqHostKind { Design, DataEntry, Adjust };

// The base of the hosting controls (design surface, data-entry control,
// calibration surface), as far as items rely on it. Windows implement it.
class TZQBPCtrlBase {
public:
    virtual ~TZQBPCtrlBase() = default;
    virtual TZqHostKind HostKind() const = 0;
    // Invalidate a rectangle given in template pixels (already inflated by the caller).
    virtual void InvalidateItemRect(const QRect& logical, bool erase) = 0;
    virtual void ItemValueChanged(TZqItem* item, int col, int row) = 0;
    // Re-layout after the page size changed (FitGridRows).
    virtual void Relayout() = 0;
    // Design surface only: the current item and whether editing is allowed.
    virtual bool AllowEdit() const { return false; }
    virtual const TZqItem* CurrentItem() const { return nullptr; }
};

// Visits an item's stored properties by their own names (JSON, inspector).
class TZqPropVisitor {
public:
    virtual ~TZqPropVisitor() = default;
    virtual void i32(const char* name, int& v) = 0;
    virtual void u8(const char* name, quint8& v) = 0;
    virtual void color(const char* name, quint32& v) = 0;
    virtual void real(const char* name, double& v) = 0;
    virtual void text(const char* name, QString& v) = 0;
};

class TZqItem {
public:
    virtual ~TZqItem() = default;

    // Fields, in declaration order.
    TZqTemplate* Template = nullptr;
    int XPos = 0, YPos = 0, Width = 0, Height = 0;
    quint8 Selected = 0;
    quint8 PrintSelf = 0;
    quint8 NoPrint = 0;
    quint8 Visible = 0;
    QString Hint;
    QString Additional;
    quint8 Align = 0;
    quint8 Locked = 0;
    QString SubTblName, SubTblFldName;
    int SubTblRowNo = 0;
    QString DataSourceTable, DataSourceField, Group;
    quint8 ExtFlag[5] = {0, 0, 0, 0, 0};
    QString ExtText[5];
    quint8 NotAllowEmpty = 0;

    virtual TZqItemType Kind() const = 0;
    // The defaults a new item gets in the designer (a freshly read item starts all zero).
    virtual void InitDefaults();

    const QString& Name() const { return m_name; }
    // Stores the name and renames every formula reference to the old one.
    void SetName(const QString& name);
    // Stores the name only (readers, JSON).
    void SetNameRaw(const QString& name) { m_name = name; }

    void SetSelected(bool flag) { Selected = flag ? 1 : 0; }
    virtual QRect GetBounds() const = 0;
    void SetBounds(QPoint pos, int width, int height);

    // Stream form: the kind record (first-generation reader) and the kind's tail.
    virtual void ReadRecord(zq::ByteReader& r, int version) = 0;
    virtual void ReadTail(zq::ByteReader& r, int version);
    virtual void WriteRecord(zq::ByteWriter& w) const = 0;
    virtual void WriteTail(zq::ByteWriter& w) const;
    void ReadStreamFull(zq::ByteReader& r, int version) { ReadRecord(r, version); ReadTail(r, version); }
    void WriteStreamFull(zq::ByteWriter& w) const { WriteRecord(w); WriteTail(w); }

    // Clipboard form: the stream form without version tests, with the small differences of the kinds.
    virtual void ReadClip(zq::ByteReader& r) = 0;
    virtual void ReadClipTail(zq::ByteReader& r);
    virtual void WriteClip(zq::ByteWriter& w) const = 0;
    virtual void WriteClipTail(zq::ByteWriter& w) const;
    virtual int ClipSize() const = 0;
    virtual int ClipSizeFull() const;

    virtual void Draw(zq::Canvas& dc, int mode, const QRect& paintRect, int dy, int dx) = 0;
    virtual bool HitTest(QPoint pt, int& code) const = 0;
    virtual bool PtInFrame(QPoint pt) const = 0;
    virtual bool PtInShape(QPoint pt) const = 0;
    virtual QRect HandleRect(int code) const = 0;

    // Properties by name, for the JSON form and the inspector.
    virtual void VisitProps(TZqPropVisitor& v);

    // Values. Drawing kinds carry none. A single-value input kind answers
    // IsInput, GetValueText, SetValueText (its value setter), ValueDataType and
    // ResetValue; the record and name=value exchange below then works for it.
    // Grids override the exchange functions for their cells.
    virtual bool IsInput() const { return false; }
    virtual void ResetValue() {}
    virtual QString GetValueText() const { return {}; }
    virtual void SetValueText(const QString& value) {}
    virtual int ValueDataType() const { return 2; } // 1 number, 2 text, 3 date, 4 boolean
    virtual quint8 SaveFlag() const { return 0; }    // the kind's SaveToPrtRec
    virtual void AppendValues(QList<TZqItemValue>& out) const;
    // Applies the first record named exactly like the item (case-sensitive).
    virtual void ApplyValues(const QList<TZqItemValue>& records);
    virtual void AppendNameValues(QStringList& out) const;
    // The text the item shows for its value (amounts in words, formatted
    // dates, serial numbers); the value text itself by default. May throw
    // zq::Error when the value cannot be shown (an amount out of range).
    virtual QString DisplayText() const { return GetValueText(); }
    // `lookup` gives the value of a name's line, nullopt when there is none;
    // an item without a line is set to the empty text.
    virtual void ApplyNameValues(const std::function<std::optional<QString>(const QString&)>& lookup);
    // The record this item contributes (single-value kinds).
    TZqItemValue MakeValueRecord() const;
    // Grids: the height their rows add up to; nullopt for every other kind.
    virtual std::optional<int> RowsHeight() const { return std::nullopt; }

    TZQBPCtrlBase* OwnerControl() const;
    void Invalidate() const;
    void Refresh() const;
    // Called by every value setter: notifies the data-entry host and runs dependent formulas.
    void ValueChanged(int col = -1, int row = -1);

    // Fills the rectangle and draws a one-pixel frame just inside it.
    static void DrawBox(zq::Canvas& dc, const QRect& r, zq::Color fill, zq::Color pen);

protected:
    // The common record part.
    void ReadItemPart(zq::ByteReader& r, int version);
    void WriteItemPart(zq::ByteWriter& w) const;
    void ReadItemClipPart(zq::ByteReader& r);
    void WriteItemClipPart(zq::ByteWriter& w) const;
    int ItemClipPartSize() const;
    void VisitItemProps(TZqPropVisitor& v);

private:
    void ReadCommon(zq::ByteReader& r, int version, bool withNoPrint);
    void WriteCommon(zq::ByteWriter& w, bool withNoPrint) const;
    QString m_name;
};

// A filled, bordered box: the base of every kind but the line, and the rectangle item itself.
class TZQRect : public TZqItem {
public:
    quint32 BgColor = 0;
    quint8 Transparent = 0;
    int TopL = 0, LeftL = 0, BottomL = 0, RightL = 0;

    TZqItemType Kind() const override { return itRect; }
    void InitDefaults() override;
    QRect GetBounds() const override { return QRect(XPos, YPos, Width, Height); }

    void ReadRecord(zq::ByteReader& r, int version) override;
    void WriteRecord(zq::ByteWriter& w) const override;
    void ReadClip(zq::ByteReader& r) override;
    void WriteClip(zq::ByteWriter& w) const override;
    int ClipSize() const override;

    void Draw(zq::Canvas& dc, int mode, const QRect& paintRect, int dy, int dx) override;
    bool HitTest(QPoint pt, int& code) const override;
    bool PtInFrame(QPoint pt) const override;
    bool PtInShape(QPoint pt) const override;
    QRect HandleRect(int code) const override;
    void VisitProps(TZqPropVisitor& v) override;

protected:
    void ReadRectPart(zq::ByteReader& r, int version);
    void WriteRectPart(zq::ByteWriter& w) const;
    void ReadRectClipPart(zq::ByteReader& r);
    void WriteRectClipPart(zq::ByteWriter& w) const;
    static constexpr int kRectClipPartSize = 21;
    void VisitRectProps(TZqPropVisitor& v);

    // The bounds as drawn in a mode (shifted by dx, dy in modes 1 and 3).
    QRect DrawRect(int mode, int dy, int dx) const;
    // Common steps: background and borders (the caller skips mode 3 with PrintSelf 0).
    void DrawFrame(zq::Canvas& dc, int mode, const QRect& r, bool fill = true) const;
    // Mode 0 only: the selection frame and the handles.
    void DrawSelection(zq::Canvas& dc, int mode) const;
    // The red dashed cross-out line of items marked NoPrint (every mode but 3).
    void DrawNoPrintMark(zq::Canvas& dc, int mode, const QRect& r) const;
    // A short note in place of the content ("条码参数错误", "未设置图片"):
    // 宋体 9 pt in black, transparent, centred both ways and clipped to r.
    static void DrawNote(zq::Canvas& dc, const QRect& r, const QString& text);
};

// The logical font of an item's font fields: height round(points * 96 / 72)
// (negative sizes select the character height), weight 700 or 100.
zq::LogFont ItemFont(const QString& face, double size, bool bold, bool italic);

// Strings take 4 bytes of length plus their GBK bytes in the clipboard form.
int ClipStrSize(const QString& s);
