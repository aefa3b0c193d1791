// Print-record writes and searches on a database file in a temporary folder.
#include "app/Database.h"
#include "base/DateSerial.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

using namespace zq;

namespace {

const QString kTemplate = QStringLiteral("cheque01");

// One printed page: the header and its values, in one transaction.
void writePage(Database& db, int page, int values)
{
    db.transaction([&] {
        const qint64 id = db.insert(QStringLiteral("PrtInfo"),
                                    {{QStringLiteral("TmpName"), kTemplate},
                                     {QStringLiteral("PrtTime"), encodeDate(2014, 1, 1) + page % 365},
                                     {QStringLiteral("UserName"), QStringLiteral("user%1").arg(page % 5)},
                                     {QStringLiteral("HostName"), QStringLiteral("pc")},
                                     {QStringLiteral("Trash"), false}});
        for (int i = 0; i < values; ++i) {
            Values v = {{QStringLiteral("InfoID"), id},
                        {QStringLiteral("PartName"), QStringLiteral("item%1").arg(i)},
                        {QStringLiteral("SubTblName"), QString()},
                        {QStringLiteral("SubTblFldName"), QString()},
                        {QStringLiteral("SubTblRowNo"), 0}};
            switch (i % 3) {
            case 0:
                v.append({QStringLiteral("DataType"), 3});
                v.append({QStringLiteral("DatetimeValue"), encodeDate(2010, 1, 1) + (page * 7 + i) % 3650});
                break;
            case 1:
                v.append({QStringLiteral("DataType"), 1});
                v.append({QStringLiteral("NumberValue"), QStringLiteral("%1.25").arg(page + i)});
                break;
            default:
                v.append({QStringLiteral("DataType"), 2});
                v.append({QStringLiteral("StringValue"), QStringLiteral("value %1").arg(page * 50 + i)});
            }
            db.insert(QStringLiteral("PrtContent"), v);
        }
    });
}

void BM_WritePrintPages(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Data.db"));
    Database::create(file);
    Database db(file);
    int page = 0;
    for (auto _ : state)
        writePage(db, page++, 50);
    state.SetItemsProcessed(state.iterations());
    state.counters["values/s"] = benchmark::Counter(double(state.iterations()) * 50, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WritePrintPages)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// 20,000 pages of 50 values: 1,000,000 content rows, built once.
struct BigDatabase {
    QTemporaryDir dir;
    std::unique_ptr<Database> db;
    BigDatabase()
    {
        const QString file = dir.filePath(QStringLiteral("Data.db"));
        Database::create(file);
        db = std::make_unique<Database>(file);
        db->transaction([&] {
            for (int page = 0; page < 20000; ++page)
                writePage(*db, page, 50);
        });
        std::fprintf(stderr, "content rows: %lld\n",
                     db->scalar(QStringLiteral("select count(*) from PrtContent")).toLongLong());
    }
};

BigDatabase& big()
{
    static BigDatabase b;
    return b;
}

const QString kSearch = QStringLiteral(
    "select distinct [PrtInfo.UserName], [PrtInfo.id] from [PrtInfo_v] where [TmpName] = ?\nand\n"
    "([PartName] = ? and [DatetimeValue] >= ? and [DatetimeValue] < ?)\norder by [PrtInfo.id] desc");

void BM_SearchByPartAndDateRange(benchmark::State& state)
{
    Database& db = *big().db;
    static bool planShown = false;
    if (!planShown) {
        planShown = true;
        Rows plan = db.query(QStringLiteral("explain query plan ") + kSearch, {kTemplate, QStringLiteral("item9"), 0.0, 1.0});
        while (plan.next())
            std::fprintf(stderr, "plan: %s\n", plan.text(u"detail").toUtf8().constData());
    }
    const SerialRange month = monthRange(QDate(2014, 12, 1));
    qint64 found = 0;
    for (auto _ : state) {
        Rows r = db.query(kSearch, {kTemplate, QStringLiteral("item9"), month.from, month.to});
        while (r.next())
            ++found;
    }
    state.counters["records"] = double(found) / double(state.iterations());
}
BENCHMARK(BM_SearchByPartAndDateRange)->Unit(benchmark::kMicrosecond);

} // namespace
