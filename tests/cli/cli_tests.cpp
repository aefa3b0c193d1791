// zqbp-batch driven as a user would: real files, real processes.
#include "base/AtomicFile.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zq;

namespace {

struct Result {
    int status;
    QByteArray out, err;
};

Result batch(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(ZQBP_BATCH), args);
    p.closeWriteChannel();
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(), p.readAllStandardError()};
}

QString sample(const char* name) { return QStringLiteral(ZQBP_SOURCE_DIR "/samples/") + QLatin1String(name); }

} // namespace

class Cli : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    QTemporaryDir dir;
};

TEST_F(Cli, SamplesBuildDumpBuildByteForByte)
{
    const QStringList samples = QDir(QStringLiteral(ZQBP_SOURCE_DIR "/samples")).entryList({QStringLiteral("*.json")});
    ASSERT_FALSE(samples.isEmpty());
    for (const QString& s : samples) {
        SCOPED_TRACE(s.toStdString());
        const QString src = QStringLiteral(ZQBP_SOURCE_DIR "/samples/") + s;
        Result b = batch({QStringLiteral("build"), src, QStringLiteral("-o"), path("a.tpl")});
        ASSERT_EQ(b.status, 0) << b.err.toStdString();
        Result d = batch({QStringLiteral("dump"), path("a.tpl")});
        ASSERT_EQ(d.status, 0) << d.err.toStdString();
        writeFileAtomic(path("a.json"), d.out);
        ASSERT_EQ(batch({QStringLiteral("build"), path("a.json"), QStringLiteral("-o"), path("b.tpl")}).status, 0);
        EXPECT_EQ(readWholeFile(path("a.tpl")), readWholeFile(path("b.tpl")));
    }
}

TEST_F(Cli, BadInputIsOneLineAndStatusOne)
{
    writeFileAtomic(path("bad.tpl"), QByteArray("\x00\x10garbage", 9));
    writeFileAtomic(path("kind.json"), R"({"Items":[{"Kind":"itNoSuch"}]})");
    const QList<QStringList> cases = {
        {QStringLiteral("dump"), path("bad.tpl")},
        {QStringLiteral("dump"), path("missing.tpl")},
        {QStringLiteral("build"), path("kind.json"), QStringLiteral("-o"), path("x.tpl")},
        {QStringLiteral("render"), path("bad.tpl"), QStringLiteral("-o"), path("x.png")},
        {QStringLiteral("render"), sample("receipt.json"), QStringLiteral("-o"), path("x.gif")},
        {QStringLiteral("nosuchverb")},
        {},
    };
    for (const QStringList& args : cases) {
        const Result r = batch(args);
        EXPECT_EQ(r.status, 1) << args.join(u' ').toStdString();
        EXPECT_FALSE(r.err.trimmed().isEmpty());
        if (!args.isEmpty() && args[0] != u"nosuchverb")
            EXPECT_EQ(r.err.trimmed().count('\n'), 0) << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(path("x.tpl")));
    const Result v = batch({QStringLiteral("dump"), path("bad.tpl")});
    EXPECT_TRUE(QString::fromUtf8(v.err).contains(QStringLiteral("不兼容的版本!")));
}

TEST_F(Cli, PrintedLabelLandsAtItsMillimetresInThePdf)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    // 25.4 mm = 96 px from the left, 50.8 mm = 192 px from the top; left and top aligned.
    writeFileAtomic(path("pos.json"), R"({"TempWidth": 794, "TempHeight": 1123, "Items": [
        {"Kind":"itLabel","XPos":96,"YPos":192,"Width":300,"Height":40,"Caption":"HHHH","PrintSelf":1,
         "HorzAlign":0,"VertAlign":0,"FontName":"Arial","FontSize":-20},
        {"Kind":"itLabel","XPos":400,"YPos":192,"Width":300,"Height":40,"Caption":"SCREEN","PrintSelf":0}]})");
    ASSERT_EQ(batch({QStringLiteral("build"), path("pos.json"), QStringLiteral("-o"), path("pos.tpl")}).status, 0);
    const Result r = batch({QStringLiteral("render"), path("pos.tpl"), QStringLiteral("-o"), path("pos.pdf")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QProcess p;
    p.start(pdftotext, {QStringLiteral("-bbox"), path("pos.pdf"), QStringLiteral("-")});
    p.waitForFinished(30000);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_FALSE(html.contains(QStringLiteral("SCREEN"))); // screen-only labels stay off paper
    const QRegularExpression page(QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)")re"));
    const auto pm = page.match(html);
    ASSERT_TRUE(pm.hasMatch());
    EXPECT_NEAR(pm.captured(1).toDouble(), 210 / 25.4 * 72, 1.0);
    EXPECT_NEAR(pm.captured(2).toDouble(), 297 / 25.4 * 72, 1.0);
    const QRegularExpression word(QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>HHHH<)re"));
    const auto wm = word.match(html);
    ASSERT_TRUE(wm.hasMatch()) << html.toStdString();
    const double xMm = wm.captured(1).toDouble() / 72 * 25.4;
    // The glyph box starts at the label's left edge (H has a small side bearing).
    EXPECT_NEAR(xMm, 25.4, 0.3);
    const double yMm = wm.captured(2).toDouble() / 72 * 25.4;
    EXPECT_NEAR(yMm, 50.8, 0.5);
}

TEST_F(Cli, RenderPngAtChosenResolution)
{
    ASSERT_EQ(batch({QStringLiteral("build"), sample("receipt.json"), QStringLiteral("-o"), path("r.tpl")}).status, 0);
    ASSERT_EQ(batch({QStringLiteral("render"), path("r.tpl"), QStringLiteral("--dpi"), QStringLiteral("192"),
                     QStringLiteral("--screen"), QStringLiteral("-o"), path("r.png")}).status, 0);
    QImage img(path("r.png"));
    EXPECT_EQ(img.size(), QSize(794 * 2, 374 * 2));
}
