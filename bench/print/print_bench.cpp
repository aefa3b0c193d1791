// A 100-page print run of the cheque sample to the PDF target: every page
// filled, cut into its boxes, shifted and drawn at 1200 dpi, the file written
// aside and renamed. Reports pages per second.
#include "app/Settings.h"
#include "base/AtomicFile.h"
#include "model/TemplateJson.h"
#include "model/ZqTemplate.h"
#include "print/PrintRun.h"
#include "print/ZqPrinters.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void BM_Print100PagesToPdf(benchmark::State& state)
{
    QTemporaryDir dir;
    TZqTemplate t;
    TemplateFromJson(zq::readWholeFile(QStringLiteral(ZQBP_SOURCE_DIR "/samples/cheque.json")), t);
    zqp::TZqBPPrtPara para;
    para.IniFileName = dir.filePath(QStringLiteral("config.ini"));
    para.TemplateFileName = dir.filePath(QStringLiteral("cheque.tpl"));
    para.FormatFileName = dir.filePath(QStringLiteral("cheque.sch"));
    t.SaveToFile(para.TemplateFileName);
    const QStringList values = QString::fromUtf8(zq::readWholeFile(QStringLiteral(ZQBP_SOURCE_DIR "/samples/cheque.values")))
                                   .split(u'\n', Qt::SkipEmptyParts);
    for (int i = 0; i < 100; ++i) {
        QStringList lines = values;
        for (QString& l : lines)
            if (l.startsWith(QStringLiteral("金额=")) || l.startsWith(QStringLiteral("大写金额=")))
                l = l.left(l.indexOf(u'=') + 1) + QStringLiteral("%1.%2").arg(1000 + i * 37).arg(i % 100, 2, 10, QChar(u'0'));
        t.SetNameValues(lines);
        t.EvaluateAll();
        para.Pages.append(t.GetItemValues());
    }
    zq::PrintScheme s;
    s.PrinterName = QString::fromUtf16(zqp::kPdfTarget);
    s.AutoPaper = false;
    s.PaperName = QStringLiteral("A4");
    s.Orientation = 1;
    s.FeedPosition = 1;
    zq::Settings(para.IniFileName).setPrintScheme(s);
    for (auto _ : state) {
        zqp::TZqPrintSession run(para);
        run.Prepare();
        para.OutputFile = dir.filePath(QStringLiteral("out.pdf"));
        run.Print();
    }
    state.counters["pages_per_s"] = benchmark::Counter(100.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Print100PagesToPdf)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv)
{
    // Listing the tests runs this too, without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
