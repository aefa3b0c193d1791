#include "base/AtomicFile.h"
#include "base/Error.h"
#include "base/Gbk.h"
#include "base/IniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zq;

namespace {

QByteArray gbkText(const char* utf8) { return toGbk(QString::fromUtf8(utf8)); }

} // namespace

TEST(IniDocument, ReadsWithCaseFoldingAndFirstDuplicateWins)
{
    const IniDocument d = IniDocument::fromBytes(gbkText(
        "; comment\r\n[Interface]\r\nShowStatusbar=0\r\nshowstatusbar=1\r\n"
        "  Theme = \"Dark\" \r\n[interface]\r\nBkClr=clRed\r\n[大写格式]\r\n日期=2\r\n"));
    EXPECT_EQ(d.readInt(u"INTERFACE", u"ShowStatusBar", 7), 0);
    EXPECT_FALSE(d.readBool(u"interface", u"SHOWSTATUSBAR", true));
    EXPECT_EQ(d.readString(u"Interface", u"Theme"), QStringLiteral("Dark"));
    // The second [interface] is hidden behind the first.
    EXPECT_EQ(d.readColor(u"Interface", u"BkClr", 5), 5u);
    EXPECT_EQ(d.readInt(QStringLiteral("大写格式"), QStringLiteral("日期"), 0), 2);
    EXPECT_EQ(d.sections(), (QStringList{QStringLiteral("Interface"), QStringLiteral("大写格式")}));
    EXPECT_EQ(d.keys(u"interface"), (QStringList{QStringLiteral("ShowStatusbar"), QStringLiteral("Theme")}));
}

TEST(IniDocument, TypedValuesOfTheWrongFormGiveTheDefault)
{
    const IniDocument d = IniDocument::fromBytes(
        "[S]\nInt=12\nHex=$1F\nWord=abc\nPartly=12abc\nBig=99999999999\nBool=-1\nZero=0\nNum=2.5\n"
        "Comma=2,5\nEmpty=\n");
    const struct { const char* key; int asInt; } ints[] = {
        {"Int", 12}, {"Hex", 31}, {"Word", -9}, {"Partly", -9}, {"Big", -9}, {"Bool", -1}, {"Empty", -9}, {"None", -9},
    };
    for (auto c : ints)
        EXPECT_EQ(d.readInt(u"S", QString::fromLatin1(c.key), -9), c.asInt) << c.key;
    EXPECT_TRUE(d.readBool(u"S", u"Bool", false));
    EXPECT_FALSE(d.readBool(u"S", u"Zero", true));
    EXPECT_TRUE(d.readBool(u"S", u"Word", true));
    EXPECT_EQ(d.readDouble(u"S", u"Num", 40.0), 2.5);
    EXPECT_EQ(d.readDouble(u"S", u"Comma", 40.0), 40.0);
    EXPECT_EQ(d.readString(u"S", u"Empty", QStringLiteral("x")), QString());
}

TEST(IniDocument, ColoursAsNamesOrHex)
{
    EXPECT_EQ(colorFromText(u"$00C0FFFF"), 0x00C0FFFFu);
    EXPECT_EQ(colorFromText(u"clbackground"), 0xFF000001u);
    EXPECT_EQ(colorFromText(u"clNavy"), 0x800000u);
    EXPECT_EQ(colorFromText(u"$FF00000C"), 0xFF00000Cu);
    EXPECT_FALSE(colorFromText(u"blue").has_value());
    EXPECT_EQ(colorToText(0x00FFFFFF), QStringLiteral("clWhite"));
    EXPECT_EQ(colorToText(0xFF00000F), QStringLiteral("clBtnFace"));
    EXPECT_EQ(colorToText(0x00C0FFFF), QStringLiteral("$00C0FFFF"));
}

TEST(IniDocument, RewriteKeepsOrderUnknownLinesAndLineEnds)
{
    IniDocument d = IniDocument::fromBytes(
        "; keep me\r\n[A]\r\nx = 1\r\nforeign line\r\n\r\n[B]\r\ny=2\r\n");
    d.writeBool(QStringLiteral("a"), QStringLiteral("X"), false);
    d.writeInt(QStringLiteral("A"), QStringLiteral("z"), 3);
    d.writeString(QStringLiteral("C"), QStringLiteral("w"), QStringLiteral(" padded "));
    EXPECT_EQ(d.toBytes(), QByteArray("; keep me\r\n[A]\r\nx=0\r\nforeign line\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"
                                      "\r\n[C]\r\nw=\" padded \"\r\n"));
    const IniDocument again = IniDocument::fromBytes(d.toBytes());
    EXPECT_EQ(again.readString(u"C", u"w"), QStringLiteral(" padded "));
}

TEST(IniDocument, ValuesCannotInjectLinesAndBadNamesAreRefused)
{
    IniDocument d;
    d.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("a\r\n[Other]\nb=c"));
    const IniDocument again = IniDocument::fromBytes(d.toBytes());
    EXPECT_FALSE(again.hasSection(u"Other"));
    EXPECT_EQ(again.readString(u"S", u"k"), QStringLiteral("a [Other] b=c"));
    EXPECT_THROW(d.writeString(QStringLiteral("S"), QStringLiteral("a=b"), {}), Error);
    EXPECT_THROW(d.writeString(QStringLiteral("S\n"), QStringLiteral("k"), {}), Error);
    EXPECT_THROW(d.writeString(QStringLiteral("S"), QStringLiteral(""), {}), Error);
    // A section named with brackets inside (a printer name, an item name) round-trips.
    d.writeDouble(QStringLiteral("HP [2]"), QStringLiteral("正向左边距"), 12.25);
    EXPECT_EQ(IniDocument::fromBytes(d.toBytes()).readDouble(u"HP [2]", QStringLiteral("正向左边距"), 40), 12.25);
}

TEST(IniDocument, EraseSectionRemovesEveryDuplicateAndEraseKeyEveryLine)
{
    IniDocument d = IniDocument::fromBytes("[R]\nName0=a\nName1=b\n[X]\nk=1\nk=2\n[r]\nName0=old\n");
    d.eraseSection(u"R");
    EXPECT_FALSE(d.hasSection(u"r"));
    d.eraseKey(u"X", u"K");
    EXPECT_FALSE(d.value(u"X", u"k").has_value());
    EXPECT_EQ(d.toBytes(), QByteArray("[X]\n"));
}

class IniFileOnDisk : public ::testing::Test {
protected:
    void TearDown() override { setBeforeRenameHook(nullptr); }
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("config.ini")); }
};

TEST_F(IniFileOnDisk, MissingFileGivesDefaultsAndWritingCreatesIt)
{
    const IniFile ini(path());
    EXPECT_EQ(ini.readInt(u"Interface", u"ShowTmplLstWidth", 180), 180);
    EXPECT_TRUE(ini.sections().isEmpty());
    ini.writeString(QStringLiteral("打印方案"), QStringLiteral("打印机"), QStringLiteral("针式打印机"));
    QFile f(path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), gbkText("[打印方案]\r\n打印机=针式打印机\r\n"));
    EXPECT_EQ(ini.readString(QStringLiteral("打印方案"), QStringLiteral("打印机")), QStringLiteral("针式打印机"));
}

TEST_F(IniFileOnDisk, FailedWriteLeavesTheOldFile)
{
    const IniFile ini(path());
    ini.writeInt(QStringLiteral("S"), QStringLiteral("k"), 1);
    const QByteArray before = readWholeFile(path());
    setBeforeRenameHook([](const QString&) { return false; });
    EXPECT_THROW(ini.writeInt(QStringLiteral("S"), QStringLiteral("k"), 2), Error);
    EXPECT_THROW(ini.eraseSection(QStringLiteral("S")), Error);
    setBeforeRenameHook(nullptr);
    EXPECT_EQ(readWholeFile(path()), before);
    EXPECT_EQ(ini.readInt(u"S", u"k", 0), 1);
}
