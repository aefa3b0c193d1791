// The data-entry control on the offscreen platform: opening a bill until its
// first paint, and one keystroke in a quantity field until the repaint is
// done (the goal: well inside one 60 Hz frame, 16.7 ms).
#include "model/TemplateJson.h"
#include "model/ZqEdit.h"
#include "platform/Fonts.h"
#include "view/ZqBPInput.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
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
        return p;
    }();
    return *a;
}

// The invoice sample as a file, and a long variant of it: `rows` detail rows
// of five fields each below its head.
struct Bills {
    QTemporaryDir dir;
    QString invoice, longInvoice;
    Bills()
    {
        QFile f(QStringLiteral(ZQBP_SOURCE_DIR "/samples/invoice.json"));
        if (!f.open(QIODevice::ReadOnly))
            qFatal("samples/invoice.json missing");
        TZqTemplate t;
        if (!TemplateFromJson(f.readAll(), t))
            qFatal("samples/invoice.json unreadable");
        invoice = dir.filePath(QStringLiteral("invoice.tpl"));
        t.SaveToFile(invoice);
        const int rows = 500, top = t.TempHeight;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < 5; ++c) {
                auto e = CreateItem(itEdit, true);
                e->SetBounds({20 + c * 150, top + r * 24}, 150, 24);
                e->SetNameRaw(QStringLiteral("明细%1_%2").arg(r).arg(c));
                static_cast<TZqEdit*>(e.get())->Value = QStringLiteral("%1").arg(r * 5 + c);
                t.AddItem(std::move(e));
            }
        t.TempHeight = top + rows * 24 + 20;
        longInvoice = dir.filePath(QStringLiteral("invoice-long.tpl"));
        t.SaveToFile(longInvoice);
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
void BM_OpenLongInvoice(benchmark::State& s) { openUntilPainted(s, bills().longInvoice); }

// A key into the open editor of 数量1, then the value written (formulas
// follow) and the control repainted; the editor is opened again each round.
void keystroke(benchmark::State& s, const QString& file)
{
    app();
    TZqBPInput w;
    w.resize(1000, 700);
    w.show();
    w.LoadFromFile(file);
    TZqItem* qty = w.Template().GetItemByName(QStringLiteral("数量1"));
    if (!qty)
        qFatal("数量1 missing");
    int n = 0;
    for (auto _ : s) {
        w.OpenEditor(qty);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_0 + n % 10, Qt::NoModifier, QString(QChar(u'0' + n % 10)));
        QApplication::sendEvent(w.EditorBox(), &press);
        ++n;
        w.CloseEditor();
        w.viewport()->repaint();
    }
}

void BM_KeystrokeInvoice(benchmark::State& s) { keystroke(s, bills().invoice); }
void BM_KeystrokeLongInvoice(benchmark::State& s) { keystroke(s, bills().longInvoice); }

} // namespace

BENCHMARK(BM_OpenInvoice)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenLongInvoice)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeystrokeInvoice)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeystrokeLongInvoice)->Unit(benchmark::kMillisecond);
