// Damaged template files must load or fail with an error: never crash, never
// read past the end, never keep half an item.
#include "base/AtomicFile.h"
#include "base/Error.h"
#include "model/TemplateJson.h"
#include "model/ZqTemplate.h"

#include <QDir>
#include <gtest/gtest.h>
#include <random>

using namespace zq;

namespace {

std::vector<std::pair<QString, QByteArray>> sampleStreams()
{
    std::vector<std::pair<QString, QByteArray>> out;
    const QDir dir(QStringLiteral(ZQBP_SOURCE_DIR "/samples"));
    for (const QString& f : dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        TZqTemplate t;
        try {
            TemplateFromJson(readWholeFile(dir.filePath(f)), t);
        } catch (const Error&) {
            continue; // a sample of a kind this build does not have yet
        }
        out.emplace_back(f, t.SaveToStream());
    }
    return out;
}

// Loads, and when that works, saves and reloads: the result must be stable.
void loadCleanly(const QByteArray& bytes)
{
    TZqTemplate t;
    try {
        t.LoadFromStream(bytes);
    } catch (const Error&) {
        EXPECT_EQ(t.ItemCount(), 0);
        return;
    }
    const QByteArray saved = t.SaveToStream();
    TZqTemplate again;
    again.LoadFromStream(saved);
    EXPECT_EQ(again.SaveToStream(), saved);
}

} // namespace

TEST(Robustness, EveryTruncationOfEverySampleFailsCleanly)
{
    const auto samples = sampleStreams();
    ASSERT_FALSE(samples.empty());
    for (const auto& [name, bytes] : samples) {
        SCOPED_TRACE(name.toStdString());
        for (qsizetype n = 0; n < bytes.size(); ++n) {
            TZqTemplate t;
            EXPECT_THROW(t.LoadFromStream(bytes.left(n)), Error) << n;
            EXPECT_EQ(t.ItemCount(), 0);
        }
        loadCleanly(bytes);
    }
}

TEST(Robustness, SeededMutationsLoadOrFailCleanly)
{
    std::mt19937 rng(20261211);
    for (const auto& [name, bytes] : sampleStreams()) {
        SCOPED_TRACE(name.toStdString());
        for (int round = 0; round < 3000; ++round) {
            QByteArray m = bytes;
            const int edits = 1 + static_cast<int>(rng() % 4);
            for (int e = 0; e < edits; ++e) {
                const qsizetype pos = static_cast<qsizetype>(rng() % static_cast<unsigned>(m.size()));
                switch (rng() % 4) {
                case 0: m[pos] = static_cast<char>(rng()); break;
                case 1: m[pos] = static_cast<char>(0xFF); break;
                case 2: m.remove(pos, 1 + static_cast<qsizetype>(rng() % 8)); break;
                default: m.insert(pos, static_cast<char>(rng())); break;
                }
                if (m.isEmpty())
                    break;
            }
            loadCleanly(m);
        }
    }
}
