#include "app/Settings.h"
#include "base/AtomicFile.h"
#include "base/Error.h"
#include "base/Gbk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zq;
namespace st = zq::settings;
using namespace Qt::StringLiterals;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void TearDown() override { setBeforeRenameHook(nullptr); }
    QString path() const { return dir.filePath(QStringLiteral("config.ini")); }
    void writeFile(const char* utf8)
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(toGbk(QString::fromUtf8(utf8)));
    }
    QByteArray fileBytes() const { return readWholeFile(path()); }

    QTemporaryDir dir;
    Settings settings{path()};
};

} // namespace

TEST_F(SettingsTest, EmptyFolderGivesEveryDefault)
{
    const struct { BoolSetting s; bool def; } bools[] = {
        {st::IterativeExec, false}, {st::IterativeOpenTmpl, false}, {st::AutoSetBankName, false},
        {st::AutoUpdCstmD, false}, {st::ShowMainToolbar, true}, {st::ShowTmplToolbar, true},
        {st::ShowStatusBar, true}, {st::ShowTmplLst, true}, {st::DefaultAdminLogin, true}, {st::ExitCtrl, false},
    };
    for (auto b : bools)
        EXPECT_EQ(settings.get(b.s), b.def) << QString::fromUtf16(b.s.key).toStdString();
    EXPECT_EQ(settings.get(st::ShowTmplLstWidth), 180);
    EXPECT_EQ(settings.get(st::DateStyle), 0);
    EXPECT_EQ(settings.get(st::AmountStyle), 0);
    EXPECT_EQ(settings.get(st::BkClr), *colorFromText(u"clBackground"));
    EXPECT_EQ(settings.get(st::Theme), QStringLiteral("Default"));
    EXPECT_EQ(settings.get(st::RecentlyPrinter), QString());
    EXPECT_EQ(settings.get(st::LastUser), QString());
    for (const TextSetting& t : {st::DeignTmpl, st::BrowsePrtRec, st::EditPreData})
        EXPECT_EQ(settings.get(t), QStringLiteral("OnlyAdmin"));
    EXPECT_TRUE(settings.recentTemplates().isEmpty());
    EXPECT_EQ(settings.columnWidths(QString::fromUtf16(kChequeColumnsSection), 3), (QList<int>{80, 80, 80}));
    EXPECT_EQ(settings.printScheme(), PrintScheme{});
    EXPECT_EQ(settings.printScheme().PaperCode, -1);
    EXPECT_EQ(settings.calibration(QStringLiteral("Any printer")).PortraitLeftMargin, 40.0);
    EXPECT_FALSE(QFileInfo::exists(path()));
}

TEST_F(SettingsTest, HandWrittenFileIsReadWithCaseFoldingAndColourForms)
{
    writeFile("[interface]\r\nshowstatusbar=0\r\nBkClr=$00C0FFFF\r\nShowTmplLstWidth=wide\r\n"
              "[大写格式]\r\n日期=1\r\n金额=2\r\n[Authorized]\r\nDeignTmpl=allusers\r\n");
    EXPECT_FALSE(settings.get(st::ShowStatusBar));
    EXPECT_EQ(settings.get(st::BkClr), 0x00C0FFFFu); // red 255, green 255, blue 192
    EXPECT_EQ(settings.get(st::ShowTmplLstWidth), 180);
    EXPECT_EQ(settings.get(st::DateStyle), 1);
    EXPECT_EQ(settings.get(st::AmountStyle), 2);
    EXPECT_EQ(settings.get(st::DeignTmpl), QStringLiteral("allusers"));
    // Written back under the same key, whatever its spelling in the file.
    settings.set(st::ShowStatusBar, true);
    settings.set(st::BkClr, 0x00FFFFFF);
    EXPECT_EQ(fileBytes(), toGbk(QString::fromUtf8(
                               "[interface]\r\nshowstatusbar=1\r\nBkClr=clWhite\r\nShowTmplLstWidth=wide\r\n"
                               "[大写格式]\r\n日期=1\r\n金额=2\r\n[Authorized]\r\nDeignTmpl=allusers\r\n")));
}

TEST_F(SettingsTest, WritesGbkNamesBooleansAndIntegers)
{
    settings.set(st::DateStyle, 2);
    settings.set(st::IterativeExec, true);
    settings.set(st::ExitCtrl, false);
    settings.set(st::LastUser, QStringLiteral("张三"));
    EXPECT_EQ(fileBytes(), toGbk(QString::fromUtf8("[大写格式]\r\n日期=2\r\n\r\n[Interface]\r\nIterativeExec=1\r\n\r\n"
                                                    "[Authorized]\r\nExitCtrl=0\r\n\r\n[User]\r\nName=张三\r\n")));
    EXPECT_EQ(Settings(path()).get(st::LastUser), QStringLiteral("张三"));
    EXPECT_TRUE(settings.get(st::IterativeExec));
}

TEST_F(SettingsTest, RecentBillsReplaceTheWholeSection)
{
    writeFile("[RecentTmpl]\r\nName0=a\r\nName1=b\r\nName2=c\r\nName3=d\r\nName4=e\r\n[Interface]\r\nTheme=Blue\r\n");
    EXPECT_EQ(settings.recentTemplates(), (QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s}));
    settings.setRecentTemplates({QStringLiteral("t3"), QStringLiteral("t1"), QStringLiteral("t2")});
    EXPECT_EQ(settings.recentTemplates(), (QStringList{u"t3"_s, u"t1"_s, u"t2"_s}));
    EXPECT_EQ(settings.ini().keys(u"RecentTmpl"), (QStringList{u"Name0"_s, u"Name1"_s, u"Name2"_s}));
    EXPECT_EQ(settings.get(st::Theme), QStringLiteral("Blue"));
    settings.setRecentTemplates({});
    EXPECT_FALSE(settings.ini().hasSection(u"RecentTmpl"));
}

TEST_F(SettingsTest, PrintSchemeCalibrationAndColumnWidths)
{
    const PrintScheme scheme{QStringLiteral("针式 [LPT1]"), false, 256, QStringLiteral("支票"), 2, 0};
    settings.setPrintScheme(scheme);
    EXPECT_EQ(settings.printScheme(), scheme);
    writeFile("[HP]\r\n正向左边距=1\r\nStale=1\r\n");
    const Calibration c{QStringLiteral("2014-04-10 10:15:42"), 41.5, 39.25, 40, 38};
    settings.setCalibration(QStringLiteral("hp"), c);
    EXPECT_EQ(settings.calibration(QStringLiteral("HP")), c);
    EXPECT_EQ(settings.ini().keys(u"HP").size(), 5); // the old section was replaced
    settings.setColumnWidths(QString::fromUtf16(kAccountColumnsSection), {120, 60});
    EXPECT_EQ(settings.columnWidths(QString::fromUtf16(kAccountColumnsSection), 3), (QList<int>{120, 60, 80}));
}

TEST_F(SettingsTest, CrashDuringAWriteLeavesTheOldFile)
{
    settings.set(st::ShowTmplLstWidth, 200);
    const QByteArray before = fileBytes();
    setBeforeRenameHook([](const QString&) { return false; });
    EXPECT_THROW(settings.set(st::ShowTmplLstWidth, 300), Error);
    EXPECT_THROW(settings.setRecentTemplates({QStringLiteral("x")}), Error);
    setBeforeRenameHook(nullptr);
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(settings.get(st::ShowTmplLstWidth), 200);
    // Nothing is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("config.ini")});
}

TEST_F(SettingsTest, DefaultFileIsThatOfTheDataFolder)
{
    qputenv("ZQBP_DATA", dir.path().toUtf8());
    EXPECT_EQ(Settings().fileName(), dir.path() + QStringLiteral("/config.ini"));
    qunsetenv("ZQBP_DATA");
}
