#pragma once
// The grid item: the table of a bill. Head rows (titles), body rows (the detail
// lines, every one a copy of the first) and tail rows (totals); each cell an
// input field of its own, cells merged into blocks.
#include "model/ZqItem.h"

#include <memory>
#include <vector>

class TZQGridEx;
class TZQGridRow;
struct TZqWndExpSym;

struct TZQGridCellFontStyle {
    QString FontName = QStringLiteral("宋体");
    double FontSize = 12; // points, stored as a 32-bit float
    quint8 Bold = 0, Italic = 0, Underline = 0;
};

// Cell types.
enum TZqCellType : quint8 { ctEdit = 0, ctChoice = 1, ctDate = 2, ctCheck = 3 };

class TZqGridCell {
public:
    TZQGridRow* Row = nullptr;
    TZqGridCell* Master = nullptr; // top-left cell of the block covering this one
    int Col = 0;
    int ColSpan = 1, RowSpan = 1;
    int LeftL = 1, TopL = 1, RightL = 1, BottomL = 1;
    quint32 BgColor = 0xFFFFFF;
    quint32 TextColor = 0;
    quint8 HorzAlign = 0; // 0 left, 1 right, 2 centre
    quint8 VertAlign = 1; // 0 top, 1 middle, 2 bottom
    TZQGridCellFontStyle Font;
    quint8 CellType = ctEdit;
    quint8 OnlyDigit = 0;
    int Decimal = -1;
    quint8 AutoUpper = 0;
    quint8 ThousandSplit = 0;
    quint8 HideZero = 0;
    QString Reserved1;
    quint8 DateType = 0;
    quint8 DateFormat = 0;
    quint8 IncludeTime = 0;
    quint8 Reserved2 = 0, Reserved3 = 0;
    QString Reserved4;
    quint8 Reserved5 = 0, Reserved6 = 0;
    QString SubTblName, SubTblFldName;
    int SubTblRowNo = -1;
    QString DataSourceTable, DataSourceField, Group;
    quint8 ReadOnly = 0;
    quint8 SaveToPrtRec = 1;
    quint8 Selected = 0; // not stored
    QString Text;
    quint8 FixedText = 0;
    QString Alias;

    int RowIndex() const;
    TZQGridEx* Grid() const;
    // The cell that stands for this one: its master when covered, itself otherwise.
    TZqGridCell* Block() { return Master ? Master : this; }
    const TZqGridCell* Block() const { return Master ? Master : this; }

    // 1 number (digits-only edit), 2 text (other edits, choices), 3 date, 4 boolean.
    int DataTypeOf() const;
    // The text printed and shown in data entry.
    QString DisplayText() const;
    // Every stored attribute but Text, the spans and the master (row copies).
    void CopyAttributes(const TZqGridCell& src);
    void VisitProps(TZqPropVisitor& v);
};

class TZQGridRow {
public:
    TZQGridEx* Grid = nullptr;
    int Index = 0;
    std::vector<std::unique_ptr<TZqGridCell>> Cells;
    quint8 RowFlag = 0;
};

class TZQGridEx : public TZQRect {
public:
    std::vector<std::unique_ptr<TZQGridRow>> Rows;
    std::vector<int> ColWidths;
    std::vector<int> RowHeights;
    quint8 AllowAdjustColWidth = 1;
    quint8 AllowAdjustRowHeight = 1;
    int TabOrder = 0;
    quint8 CellEditMode = 0; // designer only: 0 Text, 1 Alias, 2 data source, 3 group, 4 storage

    TZqItemType Kind() const override { return itGrid; }
    void InitDefaults() override;
    // The designer's new grid: widths 68, heights 20, one head row.
    void InitGrid(int cols, int rows);

    int ColCount() const { return static_cast<int>(ColWidths.size()); }
    int RowCount() const { return static_cast<int>(Rows.size()); }
    int HeadRowCount() const { return m_head; }
    int TailRowCount() const { return m_tail; }
    int BodyRowCount() const { return RowCount() - m_head - m_tail; }
    // 0 head, 1 body, 2 tail.
    int RowKind(int row) const;
    TZqGridCell* Cell(int col, int row) const;

    // Structure. Formulas of this grid follow inserted and deleted cells.
    void AppendCols(int n);
    void AppendRows(int n);
    void InsertCols(int at, int n);
    void InsertRows(int at, int n);
    void DeleteCols(int at, int n);
    void DeleteRows(int at, int n);
    void SetHeadRowCount(int n);
    void SetTailRowCount(int n);
    void SetBodyRowCount(int n);
    // On the selection; false (the caller beeps) when it starts in a body row.
    bool MergeCells();
    bool UnmergeCells();
    void EqualColWidths();
    void EqualRowHeights();
    void SetBorders(TZqGridCell* cell, int left, int bottom, int right, int top);

    // Selection.
    void SelectCell(TZqGridCell* cell);
    void SelectRange(int c1, int r1, int c2, int r2, bool add);
    // Left column -1 when nothing is selected.
    QRect SelectionRect() const; // x, y = first column and row; right(), bottom() = last
    QRect ExpandToMerges(QRect cells) const;

    // Geometry in template pixels.
    int ColStart(int col) const;
    int RowStart(int row) const;
    QRect CellRect(const TZqGridCell* cell) const;
    TZqGridCell* CellAt(QPoint p) const;
    // Column and row under p (-1 when none), borders counted to the cell before
    // them and merges ignored: the corners of a dragged cell range.
    QPoint CellIndexAt(QPoint p) const;
    // p lies in the head rows, the first body row or the tail rows.
    bool PtInCellArea(QPoint p) const;
    void RepaintCell(int col, int row) const;
    QRect RangeRect(int c1, int r1, int c2, int r2) const;
    bool HitTest(QPoint pt, int& code) const override;

    // Values.
    QString CellText(const TZqGridCell* cell) const;
    void SetCellText(TZqGridCell* cell, const QString& text);
    void ResetBodyRows();
    void InsertRowCopy(int src, int at);
    void CloneRow(int src, int dst);
    bool AllReadOnly() const;

    // Formula support: columns Col1..Col2, rows Row1..Row2 (Row1 -1: the body rows).
    bool ParseRange(const QString& part, int& c1, int& r1, int& c2, int& r2) const;
    double RangeSum(int c1, int r1, int c2, int r2) const;
    double RangeAverage(int c1, int r1, int c2, int r2) const;
    double RangeMin(int c1, int r1, int c2, int r2) const;
    double RangeMax(int c1, int r1, int c2, int r2) const;
    double RangeCount(int c1, int r1, int c2, int r2) const;

    // Stream and clipboard.
    void ReadRecord(zq::ByteReader& r, int version) override;
    void ReadTail(zq::ByteReader& r, int version) override;
    void WriteRecord(zq::ByteWriter& w) const override;
    void WriteTail(zq::ByteWriter& w) const override;
    void ReadClip(zq::ByteReader& r) override;
    void ReadClipTail(zq::ByteReader& r) override;
    void WriteClip(zq::ByteWriter& w) const override;
    void WriteClipTail(zq::ByteWriter& w) const override;
    int ClipSizeFull() const override;

    void Draw(zq::Canvas& dc, int mode, const QRect& paintRect, int dy, int dx) override;
    void VisitProps(TZqPropVisitor& v) override;

    // Values: one record per cell with an alias.
    bool IsInput() const override { return true; }
    void ResetValue() override;
    void AppendValues(QList<TZqItemValue>& out) const override;
    void ApplyValues(const QList<TZqItemValue>& records) override;
    void AppendNameValues(QStringList& out) const override;
    void ApplyNameValues(const std::function<std::optional<QString>(const QString&)>& lookup) override;
    std::optional<int> RowsHeight() const override;

    // Whole structure from the JSON form: sizes, heights, cells; validated like a file.
    void SetStructure(std::vector<int> colWidths, std::vector<int> rowHeights,
                      std::vector<std::vector<std::unique_ptr<TZqGridCell>>> cells, std::vector<quint8> rowFlags,
                      int head, int tail);
    // Links covered cells to the block starting at each cell with spans; throws
    // zq::Error when spans leave the grid or blocks overlap.
    void LinkMerges();

private:
    void TrimSpans(bool cols, int at, int n);
    void Renumber();
    std::unique_ptr<TZqGridCell> NewCell(TZQGridRow* row, int col) const;
    std::unique_ptr<TZQGridRow> NewRow(int index) const;
    void ReadGridBody(zq::ByteReader& r, int version);
    void WriteGridBody(zq::ByteWriter& w) const;
    void ReadCellRecord(zq::ByteReader& r, TZqGridCell& c, int row);
    // Moves the formula references of this grid after a structural change.
    void ShiftRefs(bool cols, int at, int n, bool insert);
    bool IsOwnGridSym(const TZqWndExpSym& s) const;
    void PaintCell(zq::Canvas& dc, int mode, const TZqGridCell& cell, const QRect& c) const;
    void ValueSet(TZqGridCell* cell, const QString& text);

    int m_head = 0;
    int m_tail = 0;
};

// Column letters: 0 "A" ... 25 "Z", 26 "AA" ... 701 "ZZ".
QString ColName(int n);
// Inverse of ColName from the first two letters; throws zq::Error "列标错误" without letters.
int ColIndex(const QString& letters);
// "A1" or "$B" (row -1); false when it is neither.
bool ParseCellRef(const QString& text, int& col, int& row);
// A cell text read as a truth value: a number other than 0, or "True" in any letter case.
bool CellTruth(const QString& text);
