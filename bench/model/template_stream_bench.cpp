// Loading and saving a 5,000-item template against a plain read of the same
// bytes from disk; the ratio says what the format costs beyond the I/O.
#include "base/AtomicFile.h"
#include "model/ZqBasicItems.h"
#include "model/ZqTemplate.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct Fixture {
    QTemporaryDir dir;
    QString path;
    QByteArray bytes;
    Fixture()
    {
        TZqTemplate t;
        for (int i = 0; i < 5000; ++i) {
            auto item = CreateItem(i % 3, true);
            item->SetBounds({i % 700, i / 7}, 80, 20);
            item->SetNameRaw(QStringLiteral("项目%1").arg(i));
            if (auto* l = dynamic_cast<TZqLabel*>(item.get()))
                l->Caption = QStringLiteral("收款单位%1").arg(i);
            t.AddItem(std::move(item));
        }
        bytes = t.SaveToStream();
        path = dir.filePath(QStringLiteral("big.tpl"));
        zq::writeFileAtomic(path, bytes);
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_PlainRead(benchmark::State& s)
{
    for (auto _ : s)
        benchmark::DoNotOptimize(zq::readWholeFile(fixture().path));
    s.SetBytesProcessed(s.iterations() * fixture().bytes.size());
}

void BM_LoadFromFile(benchmark::State& s)
{
    for (auto _ : s) {
        TZqTemplate t;
        t.LoadFromFile(fixture().path);
        benchmark::DoNotOptimize(t.ItemCount());
    }
    s.SetBytesProcessed(s.iterations() * fixture().bytes.size());
}

void BM_SaveToStream(benchmark::State& s)
{
    TZqTemplate t;
    t.LoadFromStream(fixture().bytes);
    for (auto _ : s)
        benchmark::DoNotOptimize(t.SaveToStream());
    s.SetBytesProcessed(s.iterations() * fixture().bytes.size());
}

} // namespace

BENCHMARK(BM_PlainRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveToStream)->Unit(benchmark::kMicrosecond);
