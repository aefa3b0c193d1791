// The data-entry control on the offscreen platform: opening a bill until its
// first paint, and one keystroke in a quantity field until the repaint is
// done (the goal: well inside one 60 Hz frame, 16.7 ms).
#include "model/TemplateJson.h"
#include "model/ZqEdit.h"
#include "model/ZqGrid.h"
#include "platform/Fonts.h"
#include "view/Messages.h"
#include "view/ZqBPInput.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <benchmark/benchmark.h>

namespace {

QApplication& app()
{
    static QApplication* a = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench_input";
        static char* argv[] = {name, nullptr};
        auto* p = new QApplication(argc, argv);
        zq::installFontSubstitutions();
        // A message box would stop the run: any message is a broken benchmark.
        zqv::SetMessageHook([](zqv::TZqMsgKind, const QString& text) { qFatal("%s", qPrintable(text)); });
        return p;
    }();
    return *a;
}

// The invoice sample as a file, and the detail invoice with its grid grown
// to 500 detail rows (every row with its amount formula once loaded).
TZqTemplate& fromJson(TZqTemplate& t, const char* sample)
{
    QFile f(QString::fromUtf8(ZQBP_SOURCE_DIR "/samples/") + QString::fromUtf8(sample));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("sample %s unreadable", sample);
    TemplateFromJson(f.readAll(), t); // throws on a broken sample
    return t;
}

struct Bills {
    QTemporaryDir dir;
    QString invoice, detail;
    Bills()
    {
        TZqTemplate a;
        invoice = dir.filePath(QStringLiteral("invoice.tpl"));
        fromJson(a, "invoice.json").SaveToFile(invoice);
        TZqTemplate b;
        fromJson(b, "detail-invoice.json");
        auto* g = static_cast<TZQGridEx*>(b.GetItemByName(QStringLiteral("明细")));
        if (!g)
            qFatal("detail-invoice.json has no grid 明细");
        g->SetBodyRowCount(500);
        b.FitGridRows();
        // The sample's values, so that the amounts have prices to multiply.
        QFile v(QStringLiteral(ZQBP_SOURCE_DIR "/samples/detail-invoice.values"));
        if (!v.open(QIODevice::ReadOnly))
            qFatal("detail-invoice.values unreadable");
        b.SetNameValues(QString::fromUtf8(v.readAll()).split(u'\n', Qt::SkipEmptyParts));
        detail = dir.filePath(QStringLiteral("detail-invoice-500.tpl"));
        b.SaveToFile(detail);
    }
};

Bills& bills()
{
    static Bills b;
    return b;
}

void openUntilPainted(benchmark::State& s, const QString& file)
{
    app();
    TZqBPInput w;
    w.resize(1000, 700);
    w.show();
    for (auto _ : s) {
        w.LoadFromFile(file);
        w.viewport()->repaint();
    }
}

void BM_OpenInvoice(benchmark::State& s) { openUntilPainted(s, bills().invoice); }
void BM_OpenDetailInvoice500(benchmark::State& s) { openUntilPainted(s, bills().detail); }

// A key into the open editor of a quantity field, then the value written
// (formulas follow: the row's amount, the total, the capital total) and the
// control repainted; the editor is opened again each round.
void keystroke(benchmark::State& s, const QString& file, const std::function<void(TZqBPInput&)>& open)
{
    app();
    TZqBPInput w;
    w.resize(1000, 700);
    w.show();
    w.LoadFromFile(file);
    int n = 0;
    for (auto _ : s) {
        open(w);
        if (!w.EditorBox())
            qFatal("no editor");
        w.EditorBox()->selectAll(); // the key replaces the quantity
        QKeyEvent press(QEvent::KeyPress, Qt::Key_0 + n % 10, Qt::NoModifier, QString(QChar(u'1' + n % 9)));
        QApplication::sendEvent(w.EditorBox(), &press);
        ++n;
        w.CloseEditor();
        w.viewport()->repaint();
    }
    // The formulas followed: a quantity cell's row amount is quantity times price.
    if (auto* g = dynamic_cast<TZQGridEx*>(w.Template().GetItemByName(QStringLiteral("明细")))) {
        const double q = g->CellText(g->Cell(3, 1)).toDouble(), p = g->CellText(g->Cell(4, 1)).toDouble();
        const double a = g->CellText(g->Cell(5, 1)).toDouble();
        if (p == 0 || std::abs(a - q * p) > 1e-6)
            qFatal("the amount did not follow the quantity: %g x %g gave %g", q, p, a);
    }
}

void BM_KeystrokeInvoice(benchmark::State& s)
{
    keystroke(s, bills().invoice, [](TZqBPInput& w) { w.OpenEditor(w.Template().GetItemByName(QStringLiteral("数量1"))); });
}
void BM_KeystrokeDetailInvoice500(benchmark::State& s)
{
    keystroke(s, bills().detail, [](TZqBPInput& w) {
        w.OpenCellEditor(static_cast<TZQGridEx*>(w.Template().GetItemByName(QStringLiteral("明细"))), 3, 1);
    });
}

} // namespace

BENCHMARK(BM_OpenInvoice)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenDetailInvoice500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeystrokeInvoice)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeystrokeDetailInvoice500)->Unit(benchmark::kMillisecond);
