// Template formulas: text form, references to items and grid cells, cycles,
// evaluation and propagation, renames and structural grid changes.
#include "item_test_util.h"

#include "expr/ExpCalc.h"
#include "model/DataSources.h"
#include "model/ZqDate.h"
#include "model/ZqEdit.h"
#include "model/ZqGrid.h"
#include "model/ZqSmallInputs.h"

#include <gtest/gtest.h>

using namespace itest;

namespace {

class DesignHost : public TZQBPCtrlBase {
public:
    TZqHostKind HostKind() const override { return TZqHostKind::Design; }
    void InvalidateItemRect(const QRect&, bool) override {}
    void ItemValueChanged(TZqItem*, int, int) override {}
    void Relayout() override {}
};

// Two digits-only edits, a text edit, a check box, a date and a grid 表格1
// of 4 columns with one head row, three body rows and one tail row.
class Formulas : public ::testing::Test {
protected:
    void SetUp() override
    {
        a1 = addEdit("金额1", true);
        a2 = addEdit("金额2", true);
        text = addEdit("说明", false);
        auto c = std::make_unique<TZqCheck>();
        c->InitDefaults();
        c->SetNameRaw(u8("勾选"));
        check = static_cast<TZqCheck*>(t.AddItem(std::move(c)));
        auto d = std::make_unique<TZqDate>();
        d->InitDefaults();
        d->SetNameRaw(u8("日期"));
        date = static_cast<TZqDate*>(t.AddItem(std::move(d)));
        grid = addGrid("表格1", 4, 5, 1);
    }

    TZqEdit* addEdit(const char* name, bool digits)
    {
        auto e = std::make_unique<TZqEdit>();
        e->InitDefaults();
        e->SetNameRaw(u8(name));
        e->OnlyDigit = digits ? 1 : 0;
        return static_cast<TZqEdit*>(t.AddItem(std::move(e)));
    }

    // One head row, `tail` tail rows, `rows` rows in all.
    TZQGridEx* addGrid(const char* name, int cols, int rows, int tail)
    {
        auto g = std::make_unique<TZQGridEx>();
        g->InitDefaults();
        g->SetNameRaw(u8(name));
        g->InitGrid(cols, rows - tail);
        g->SetTailRowCount(tail);
        for (auto& row : g->Rows)
            for (auto& c : row->Cells)
                c->OnlyDigit = 1;
        return static_cast<TZQGridEx*>(t.AddItem(std::move(g)));
    }

    QString formula(int i) const { return t.Expression(i)->TargetText() + u'=' + t.Expression(i)->FormulaText(); }
    QString cell(int col, int row) const { return grid->Cell(col, row)->Text; }
    void setCell(int col, int row, const char* v) { grid->SetCellText(grid->Cell(col, row), u8(v)); }

    TZqTemplate t;
    TZqEdit *a1, *a2, *text;
    TZqCheck* check;
    TZqDate* date;
    TZQGridEx* grid;
};

TEST_F(Formulas, TextFormJoinsTokensAndKeepsSpacesAroundWords)
{
    t.AddFormula(u8("说明"), u8("金额1 + 1"));
    t.AddFormula(u8("勾选"), u8("金额1 > 0 并且 金额2 > 0"));
    t.AddFormula(u8("[表格1,D2]"), u8("[表格1,A2] * [表格1,B2]"));
    t.AddFormula(u8("[表格1,D5]"), u8("合计([表格1,$D]) + 合计([表格1,$A:$B]) + [表格1,A3,-1]"));
    EXPECT_EQ(str(formula(0)), "说明=金额1+1");
    EXPECT_EQ(str(formula(1)), "勾选=金额1>0 并且 金额2>0");
    EXPECT_EQ(str(formula(2)), "[表格1,D2]=[表格1,A2]*[表格1,B2]");
    EXPECT_EQ(str(formula(3)), "[表格1,D5]=合计([表格1,$D])+合计([表格1,$A:$B])+[表格1,A3,-1]");
    // The joined text is accepted again.
    EXPECT_NO_THROW(t.ExpCalc().CheckSyntax(t.Expression(1)->FormulaText()));
    const TZqWndExpSym& off = t.Expression(3)->Symbols.back();
    EXPECT_EQ(off.RowOffset, -1);
    EXPECT_EQ(off.Row1, 2);
}

TEST_F(Formulas, NamesAreStoredUpperCasedAndFollowRenames)
{
    a1->SetNameRaw(u8("Je1"));
    t.AddFormula(u8("说明"), u8("Je1*2"));
    EXPECT_EQ(str(t.Expression(0)->Symbols[0].CtrlName), "JE1");
    a1->SetName(u8("Je9"));
    EXPECT_EQ(str(formula(0)), "说明=Je9*2");
    a1->SetValue(u8("4"));
    t.EvaluateAll();
    EXPECT_EQ(str(text->Value), "8");
}

TEST_F(Formulas, UnknownNamesAndBadReferencesAreRefused)
{
    struct Case { const char* target; const char* expr; const char* message; } cases[] = {
        {"无此项", "1", "变量 无此项 未定义"},
        {"[无此表,A1]", "1", "变量 [无此表,A1] 未定义"},
        {"[表格1,a1]", "1", "变量 [表格1,a1] 未定义"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(errorOf([&] { t.AddFormula(u8(c.target), u8(c.expr)); }), c.message) << c.target;
    EXPECT_NE(errorOf([&] { t.AddFormula(u8("说明"), u8("[表格1,Z1]")); }), "(no error)");
    EXPECT_EQ(t.ExpressionCount(), 0);
}

TEST_F(Formulas, CyclesAreRefusedAndTheListIsUnchanged)
{
    EXPECT_EQ(errorOf([&] { t.AddFormula(u8("金额1"), u8("金额1+1")); }), "公式中存在循环引用");
    t.AddFormula(u8("金额1"), u8("金额2"));
    EXPECT_EQ(errorOf([&] { t.AddFormula(u8("金额2"), u8("金额1")); }), "公式中存在循环引用");
    // Through a grid column: D2 reads A2, the total reads column D, A2 may not read the total.
    t.AddFormula(u8("[表格1,D2]"), u8("[表格1,A2]*2"));
    t.AddFormula(u8("[表格1,D5]"), u8("合计([表格1,$D])"));
    EXPECT_EQ(errorOf([&] { t.AddFormula(u8("[表格1,A2]"), u8("[表格1,D5]")); }), "公式中存在循环引用");
    EXPECT_EQ(t.ExpressionCount(), 3);
}

TEST_F(Formulas, InsertsAtTheGivenPosition)
{
    t.AddFormula(u8("金额1"), u8("1"));
    t.AddFormula(u8("金额2"), u8("2"), 0);
    EXPECT_EQ(str(formula(0)), "金额2=2");
    EXPECT_EQ(str(formula(1)), "金额1=1");
}

TEST_F(Formulas, RangeStatisticsAndCounts)
{
    setCell(0, 1, "1");
    setCell(0, 2, "2");
    setCell(1, 1, "3");
    setCell(1, 3, "x"); // not a number: 0
    a1->SetValue(u8("7"));
    struct Case { const char* expr; const char* result; } cases[] = {
        {"计数([表格1,A1:B3])", "6"},
        {"[表格1,$B]", "0"},
        {"合计([表格1,$A:$B])", "6"},
        {"平均([表格1,$A])", "1"},
        {"最大值([表格1,$A:$B])", "3"},
        {"最小值([表格1,A2:B4])", "0"},
        {"计数(金额1)", "1"},
        {"计数([表格1,B2])", "1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(str(t.EvaluateText(u8(c.expr))), c.result) << c.expr;
    // No body rows left: the average of the empty column is 0, not a division by zero.
    grid->SetBodyRowCount(0);
    EXPECT_EQ(str(t.EvaluateText(u8("平均([表格1,$A])"))), "0");
    EXPECT_EQ(str(t.EvaluateText(u8("计数([表格1,$A])"))), "0");
}

TEST_F(Formulas, RowOffsetsCountWithinTheBodyRows)
{
    setCell(2, 1, "5");
    setCell(2, 2, "9");
    setCell(2, 0, "100"); // head row: never reached by an offset
    EXPECT_EQ(str(t.EvaluateText(u8("[表格1,C2,-1]"))), "0");
    EXPECT_EQ(str(t.EvaluateText(u8("[表格1,C3,-1]"))), "5");
    EXPECT_EQ(str(t.EvaluateText(u8("[表格1,C3,1]"))), "0");
    EXPECT_EQ(str(t.EvaluateText(u8("[表格1,C2,1]"))), "9");
    // A running balance down the body rows.
    t.AddFormula(u8("[表格1,D2]"), u8("[表格1,D2,-1]+[表格1,C2]"));
    grid->ResetBodyRows();
    setCell(2, 3, "1");
    t.EvaluateAll();
    EXPECT_EQ(str(cell(3, 1)), "5");
    EXPECT_EQ(str(cell(3, 2)), "14");
    EXPECT_EQ(str(cell(3, 3)), "15");
}

TEST_F(Formulas, ResultsReachTheirTargetsByKind)
{
    t.AddFormula(u8("勾选"), u8("金额1>0"));
    a1->SetValue(u8("1"));
    EXPECT_TRUE(check->Checked);
    for (const char* off : {"\"否\"", "\"False\""}) {
        check->SetChecked(true);
        t.Expressions().clear();
        t.AddFormula(u8("勾选"), u8(off));
        t.EvaluateAll();
        EXPECT_FALSE(check->Checked) << off;
    }
    date->SetValue(u8("2024-03-01"));
    t.AddFormula(u8("说明"), u8("日期"));
    t.EvaluateAll();
    EXPECT_EQ(str(text->Value), "2024-03-01 00:00:00.000");
    t.AddFormula(u8("[表格1,B3]"), u8("金额1*2"));
    t.EvaluateAll();
    EXPECT_EQ(str(cell(1, 2)), "2");
    EXPECT_EQ(grid->Cell(1, 2)->FixedText, 0);
}

TEST_F(Formulas, ChangesPropagateToOverlappingReadersOnly)
{
    TZQGridEx* g = addGrid("表格2", 3, 6, 0);
    TZqEdit* r1 = addEdit("读1", true);
    TZqEdit* r2 = addEdit("读2", true);
    TZqEdit* r3 = addEdit("读3", true);
    t.AddFormula(u8("读1"), u8("合计([表格2,A1:C5])"));
    t.AddFormula(u8("读2"), u8("合计([表格2,$B])"));
    t.AddFormula(u8("读3"), u8("合计([表格2,A4:C5])"));
    for (TZqEdit* e : {r1, r2, r3})
        e->Value = u8("-1");
    g->SetCellText(g->Cell(1, 2), u8("4"));
    EXPECT_EQ(str(r1->Value), "4");
    EXPECT_EQ(str(r2->Value), "4");
    EXPECT_EQ(str(r3->Value), "-1");
}

TEST_F(Formulas, PropagationChainsInListOrderAndStopsAtUnchangedValues)
{
    t.AddFormula(u8("[表格1,D2]"), u8("[表格1,A2]*[表格1,B2]"));
    t.AddFormula(u8("[表格1,D5]"), u8("合计([表格1,$D])"));
    t.AddFormula(u8("金额1"), u8("[表格1,D5]"));
    grid->ResetBodyRows();
    setCell(0, 1, "2");
    setCell(1, 1, "3");
    EXPECT_EQ(str(a1->Value), "6");
    setCell(0, 2, "1.5");
    setCell(1, 2, "2");
    EXPECT_EQ(str(cell(3, 2)), "3");
    EXPECT_EQ(str(a1->Value), "9");
    // The same number written differently is no change: nothing is evaluated.
    a1->Value = u8("sentinel");
    setCell(0, 2, "1.50");
    EXPECT_EQ(str(a1->Value), "sentinel");
}

TEST_F(Formulas, SetCellTextInDataEntryComparesNumbers)
{
    CountingHost host;
    t.Owner = &host;
    setCell(0, 1, "1.5");
    EXPECT_EQ(host.changes, 1);
    setCell(0, 1, "1.50");
    EXPECT_EQ(host.changes, 1);
    EXPECT_EQ(str(cell(0, 1)), "1.5");
    t.Owner = nullptr;
}

TEST_F(Formulas, ValuesGoToCellsOutsideTheDesignerOnly)
{
    // Print runs and the command line have no data-entry control: the values are the cells' values.
    t.SetNameValues({u8("表格1_0_1=12")});
    EXPECT_EQ(str(cell(0, 1)), "12");
    EXPECT_EQ(grid->Cell(0, 1)->FixedText, 0);
    t.SetNameValues({});
    EXPECT_EQ(str(cell(0, 1)), "");
    DesignHost design;
    t.Owner = &design;
    setCell(0, 0, "标题");
    EXPECT_EQ(grid->Cell(0, 0)->FixedText, 1);
    grid->CellEditMode = 2;
    setCell(1, 0, "客户表");
    EXPECT_EQ(str(grid->Cell(1, 0)->DataSourceTable), "客户表");
    EXPECT_EQ(str(grid->Cell(1, 0)->DataSourceField), "");
    setCell(1, 0, "客户表,名称");
    EXPECT_EQ(str(grid->Cell(1, 0)->DataSourceField), "名称");
    grid->CellEditMode = 4;
    setCell(2, 0, " 明细 , 数量 , 3 ");
    EXPECT_EQ(str(grid->Cell(2, 0)->SubTblFldName), "数量");
    EXPECT_EQ(grid->Cell(2, 0)->SubTblRowNo, 3);
    setCell(2, 0, "明细,,x");
    EXPECT_EQ(grid->Cell(2, 0)->SubTblRowNo, 3);
    t.Owner = nullptr;
}

TEST_F(Formulas, InsertedColumnsAndRowsMoveReferences)
{
    t.AddFormula(u8("金额1"), u8("合计([表格1,B2:C3])"));
    t.AddFormula(u8("金额2"), u8("合计([表格1,A1:B1])"));
    t.AddFormula(u8("[表格1,C4]"), u8("[表格1,A4]"));
    grid->InsertCols(1, 1);
    EXPECT_EQ(str(formula(0)), "金额1=合计([表格1,C2:D3])");
    EXPECT_EQ(str(formula(1)), "金额2=合计([表格1,A1:C1])");
    EXPECT_EQ(str(formula(2)), "[表格1,D4]=[表格1,A4]");
    grid->InsertRows(1, 2);
    EXPECT_EQ(str(formula(0)), "金额1=合计([表格1,C4:D5])");
    EXPECT_EQ(str(formula(2)), "[表格1,D6]=[表格1,A6]");
}

TEST_F(Formulas, DeletedColumnsLeaveRefErrorsAndDropTargets)
{
    t.AddFormula(u8("金额1"), u8("[表格1,B2]+合计([表格1,A1:C1])+合计([表格1,B3:D3])+[表格1,D2]"));
    t.AddFormula(u8("[表格1,B4]"), u8("1"));
    t.AddFormula(u8("[表格1,D4]"), u8("2"));
    grid->DeleteCols(1, 1);
    ASSERT_EQ(t.ExpressionCount(), 2);
    EXPECT_EQ(str(formula(0)), "金额1=#REF!+合计([表格1,A1:B1])+合计([表格1,B3:C3])+[表格1,C2]");
    EXPECT_EQ(str(formula(1)), "[表格1,C4]=2");
    // A reference starting inside the deleted run keeps the part after it: the end is Col2 - n.
    t.Expressions().clear();
    grid->AppendCols(1);
    t.AddFormula(u8("金额1"), u8("合计([表格1,B1:D1])"));
    grid->DeleteCols(0, 2);
    EXPECT_EQ(str(formula(0)), "金额1=合计([表格1,A1:B1])");
    EXPECT_EQ(t.Expression(0)->Symbols[2].Col1, 0);
    EXPECT_EQ(t.Expression(0)->Symbols[2].Col2, 1);
}

TEST_F(Formulas, GridNamesCompareWithoutAsciiCase)
{
    TZQGridEx* g = addGrid("Tab", 3, 4, 0);
    t.AddFormula(u8("金额1"), u8("[TAB,B2]+[tab,C2]"));
    g->InsertCols(0, 1);
    EXPECT_EQ(str(formula(0)), "金额1=[TAB,C2]+[tab,D2]");
}

TEST_F(Formulas, DeletingRowsKeepsTheBandsInsideTheGrid)
{
    grid->DeleteRows(0, 5);
    EXPECT_EQ(grid->RowCount(), 0);
    EXPECT_EQ(grid->BodyRowCount(), 0);
    TZQGridEx* g = addGrid("表格3", 2, 5, 1);
    g->DeleteRows(3, 2); // the last body row and the tail row
    EXPECT_EQ(g->TailRowCount(), 0);
    EXPECT_EQ(g->BodyRowCount(), 2);
}

TEST_F(Formulas, ClonedRowsRenumberTheirFormulas)
{
    t.AddFormula(u8("[表格1,C2]"), u8("[表格1,A2]*[表格1,B2]"));
    grid->ResetBodyRows();
    ASSERT_EQ(t.ExpressionCount(), 3);
    EXPECT_EQ(str(formula(1)), "[表格1,C3]=[表格1,A3]*[表格1,B3]");
    EXPECT_EQ(str(formula(2)), "[表格1,C4]=[表格1,A4]*[表格1,B4]");
    // Inserting a row copy in front of the source copies the moved source row.
    grid->InsertRowCopy(1, 1);
    EXPECT_EQ(grid->BodyRowCount(), 4);
    bool found = false;
    for (int i = 0; i < t.ExpressionCount(); ++i)
        found = found || formula(i) == u8("[表格1,C2]=[表格1,A2]*[表格1,B2]");
    EXPECT_TRUE(found);
    // A copy that would read past the last row is refused.
    t.Expressions().clear();
    t.AddFormula(u8("[表格1,C2]"), u8("[表格1,A5]"));
    EXPECT_EQ(errorOf([&] { grid->CloneRow(1, 3); }), "克隆行公式时出错，行标越界");
    EXPECT_EQ(t.ExpressionCount(), 1);
}

TEST_F(Formulas, StoredCyclesLoadAndNeverHang)
{
    t.AddFormula(u8("说明"), u8("金额1+金额2"));
    t.AddFormula(u8("[表格1,D2]"), u8("[表格1,D2,-1]+金额1"));
    TZqTemplate acyclic;
    acyclic.LoadFromStream(t.SaveToStream());
    EXPECT_FALSE(acyclic.FormulaCycle());
    t.Expressions().clear();
    // A file can hold what the designer refuses: 金额1 = 金额2 + 1, 金额2 = 金额1 + 1.
    for (auto [target, source] : {std::pair{"金额1", "金额2"}, std::pair{"金额2", "金额1"}}) {
        auto e = std::make_unique<TZqWndExpression>();
        e->Target = t.ParseSymbol(u8(target));
        e->Symbols.push_back(t.ParseSymbol(u8(source)));
        TZqWndExpSym plus;
        plus.Text = u8("+1");
        e->Symbols.push_back(plus);
        t.Expressions().push_back(std::move(e));
    }
    TZqTemplate loaded;
    loaded.LoadFromStream(t.SaveToStream());
    EXPECT_TRUE(loaded.FormulaCycle());
    EXPECT_NO_THROW(loaded.EvaluateAll());
    auto* e1 = static_cast<TZqEdit*>(loaded.GetItemByName(u8("金额1")));
    EXPECT_NO_THROW(e1->SetValue(u8("5")));
    // A new formula elsewhere is still checked, and the search ends.
    EXPECT_EQ(errorOf([&] { loaded.AddFormula(u8("说明"), u8("金额1")); }), "(no error)");
    EXPECT_EQ(errorOf([&] { loaded.AddFormula(u8("金额1"), u8("说明")); }), "公式中存在循环引用");
    EXPECT_FALSE(t.FormulaCycle());
}

TEST_F(Formulas, SysVarsAreReadAsText)
{
    SysVars() = {u8("@单位=浦江贸易")};
    EXPECT_EQ(str(t.EvaluateText(u8("@单位"))), "浦江贸易");
    SysVars().clear();
    EXPECT_NE(errorOf([&] { t.EvaluateText(u8("@单位")); }), "(no error)");
}

TEST(DataSources, ListsTablesWithTheirColumns)
{
    TZqDataSources list;
    TZqDataSource* d = list.AddTable(u8("客户表"), {u8("ID"), u8("Sys_Time"), u8("名称")});
    EXPECT_EQ(d->FieldCount(), 2);
    EXPECT_EQ(str(d->Field(0)), "ID");
    EXPECT_EQ(str(d->Field(1)), "名称");
    list.Add(u8("Goods"));
    EXPECT_EQ(list.Find(u8("goods")), list.Item(1));
    EXPECT_EQ(str(TZqDataSources::ColumnQuery(u8("客户 表"))), "select top 1 * from [客户 表]");
    EXPECT_EQ(str(TZqDataSources::ColumnQuery(u8("a]b"))), "select top 1 * from [a]]b]");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

} // namespace
