// An invoice with a 500-row detail grid: amount = quantity x price on every
// row, a column total in the tail row and the total in capitals. The whole
// evaluation, and the formula work one typed quantity costs.
#include "model/ZqEdit.h"
#include "model/ZqGrid.h"
#include "model/ZqTemplate.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kBodyRows = 500;

struct Invoice {
    TZqTemplate t;
    TZQGridEx* grid = nullptr;
    TZqEdit* capital = nullptr;

    Invoice()
    {
        auto g = std::make_unique<TZQGridEx>();
        g->InitDefaults();
        g->SetNameRaw(QStringLiteral("明细"));
        g->InitGrid(4, 1 + kBodyRows);
        g->SetTailRowCount(1);
        for (auto& row : g->Rows)
            for (auto& c : row->Cells)
                c->OnlyDigit = 1;
        grid = static_cast<TZQGridEx*>(t.AddItem(std::move(g)));
        auto e = std::make_unique<TZqEdit>();
        e->InitDefaults();
        e->SetNameRaw(QStringLiteral("合计大写"));
        e->OnlyDigit = 1;
        capital = static_cast<TZqEdit*>(t.AddItem(std::move(e)));
        t.AddFormula(QStringLiteral("[明细,D2]"), QStringLiteral("[明细,B2]*[明细,C2]"));
        t.AddFormula(QStringLiteral("[明细,D%1]").arg(kBodyRows + 2), QStringLiteral("合计([明细,$D])"));
        t.AddFormula(QStringLiteral("合计大写"), QStringLiteral("[明细,D%1]").arg(kBodyRows + 2));
        grid->ResetBodyRows(); // the row formula copied to every body row, as data entry does
        for (int r = 1; r <= kBodyRows; ++r) {
            grid->Cell(1, r)->Text = QString::number(r % 17 + 1);
            grid->Cell(2, r)->Text = QString::number(r % 5 + 0.25);
        }
        t.EvaluateAll();
    }
};

void BM_EvaluateAll(benchmark::State& state)
{
    Invoice inv;
    for (auto _ : state) {
        inv.t.EvaluateAll();
        benchmark::DoNotOptimize(inv.capital->Value);
    }
    state.counters["formulas"] = inv.t.ExpressionCount();
}
BENCHMARK(BM_EvaluateAll)->Unit(benchmark::kMillisecond);

// One keystroke: a quantity in the middle of the grid changes; its row amount,
// the total and the capital follow.
void BM_PropagateOneQuantity(benchmark::State& state)
{
    Invoice inv;
    TZqGridCell* qty = inv.grid->Cell(1, kBodyRows / 2);
    int n = 0;
    for (auto _ : state) {
        inv.grid->SetCellText(qty, QString::number(++n % 90 + 10));
        benchmark::DoNotOptimize(inv.capital->Value);
    }
}
BENCHMARK(BM_PropagateOneQuantity)->Unit(benchmark::kMicrosecond);

} // namespace
