#include "base/AtomicFile.h"
#include "base/Base64.h"
#include "base/ByteStream.h"
#include "base/DateSerial.h"
#include "base/Error.h"
#include "base/Gbk.h"
#include "base/NumberText.h"
#include "base/Rounding.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cmath>

using namespace zq;

TEST(Rounding, HalvesGoToEven)
{
    const struct { double in; double out; } cases[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {1.5, 2}, {2.4999, 2}, {-0.6, -1},
    };
    for (auto c : cases)
        EXPECT_EQ(roundHalfEven(c.in), c.out) << c.in;
    EXPECT_EQ(roundToInt(1e300), std::numeric_limits<int>::max());
    EXPECT_EQ(mmToPixels(210), 794);
    EXPECT_EQ(mmToPixels(297), 1123);
    EXPECT_EQ(pointsToPixels(-10), -13);
    EXPECT_EQ(pointsToPixels(12), 16);
}

TEST(Gbk, RoundTripAndWidths)
{
    const QString s = QStringLiteral("合计Amount");
    const QByteArray g = toGbk(s);
    EXPECT_EQ(g.size(), 10);
    EXPECT_EQ(gbkLength(s), 10);
    EXPECT_EQ(fromGbk(g), s);
    bool lossy = false;
    EXPECT_EQ(toGbk(QString::fromUtf8("a\xF0\x9F\x98\x80" "b"), &lossy), QByteArray("a?b"));
    EXPECT_TRUE(lossy);
}

TEST(Gbk, LoneLeadByteAtEndIsOneCharacter)
{
    const QString s = fromGbk(QByteArray("\xD6\xD0\xD6", 3));
    ASSERT_EQ(s.size(), 2);
    EXPECT_EQ(s[0], QChar(0x4E2D));
    EXPECT_EQ(s[1], QChar(QChar::ReplacementCharacter));
    EXPECT_EQ(fromGbk(QByteArray("\xD6", 1)).size(), 1);
}

TEST(Gbk, LeftBytesNeverHalvesACharacter)
{
    const QString s = QStringLiteral("a中b");
    EXPECT_EQ(leftBytes(s, 1), QStringLiteral("a"));
    EXPECT_EQ(leftBytes(s, 2), QStringLiteral("a"));
    EXPECT_EQ(leftBytes(s, 3), QStringLiteral("a中"));
}

TEST(Gbk, AsciiOnlyCaseFolding)
{
    EXPECT_TRUE(sameTextAscii(u"amount", u"AMOUNT"));
    EXPECT_FALSE(sameTextAscii(u"ä", u"Ä")); // only ASCII letters fold
    EXPECT_EQ(asciiUpper(u"aé中z"), QStringLiteral("Aé中Z"));
}

TEST(ByteStream, Ext80Vectors)
{
    const struct { double v; const char* hex; } cases[] = {
        {-10.0, "00000000000000a0 02c0"},
        {1.0, "0000000000000080ff3f"},
        {0.0, "00000000000000000000"},
        {0.1, "00d0cccccccccccc fb3f"},
        {12.0, "00000000000000c0 0240"},
    };
    for (auto c : cases) {
        ByteWriter w;
        w.ext80(c.v);
        const QByteArray want = QByteArray::fromHex(QByteArray(c.hex).replace(' ', ""));
        EXPECT_EQ(w.data().toHex(), want.toHex()) << c.v;
        ByteReader r(w.data());
        EXPECT_EQ(r.ext80(), c.v);
    }
    // A value with more precision than a double rounds to nearest.
    const unsigned char pi[10] = {0x35, 0xC2, 0x68, 0x21, 0xA2, 0xDA, 0x0F, 0xC9, 0x00, 0x40};
    EXPECT_EQ(ext80ToDouble(pi), M_PI);
}

TEST(ByteStream, F32AndIntegers)
{
    ByteWriter w;
    w.f32(1.5f);
    w.u16(0xBB0C);
    w.i64(-2);
    EXPECT_EQ(w.data().toHex(), QByteArray("0000c03f0cbbfeffffffffffffff"));
    ByteReader r(w.data());
    EXPECT_EQ(r.f32(), 1.5f);
    EXPECT_EQ(r.u16(), 0xBB0C);
    EXPECT_EQ(r.i64(), -2);
    EXPECT_TRUE(r.atEnd());
}

TEST(ByteStream, LengthsAreCheckedAgainstTheBytesLeft)
{
    ByteWriter w;
    w.i32(1000);
    w.bytes("abc");
    ByteReader r(w.data());
    EXPECT_THROW(r.str(), Error);
    const QByteArray five("\x05\x00\x00\x00", 4), minus("\xff\xff\xff\xff", 4), one("\x01", 1);
    ByteReader r2(five);
    EXPECT_THROW(r2.count(4), Error);
    ByteReader r3(minus);
    EXPECT_EQ(r3.str(), QString()); // negative count is the empty text
    ByteReader r4(one);
    EXPECT_THROW(r4.i32(), Error);
}

TEST(Base64, LineBreaksAfterEvery76Characters)
{
    EXPECT_EQ(mimeBase64Encode("ab"), QByteArray("YWI="));
    const QByteArray full(57, 'x'); // exactly one 76-character line
    const QByteArray enc = mimeBase64Encode(full);
    EXPECT_EQ(enc.size(), 78);
    EXPECT_TRUE(enc.endsWith("\r\n"));
    const QByteArray longer(58, 'x');
    const QByteArray enc2 = mimeBase64Encode(longer);
    EXPECT_EQ(enc2.indexOf("\r\n"), 76);
    EXPECT_FALSE(enc2.endsWith("\r\n"));
    EXPECT_EQ(mimeBase64Decode(enc2).value(), longer);
    EXPECT_FALSE(mimeBase64Decode("!!!!").has_value());
}

TEST(DateSerial, EpochAndMilliseconds)
{
    EXPECT_EQ(encodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(encodeDate(2000, 1, 1), 36526.0);
    const DateTimeParts p = decodeDateTime(36526.5 + 1.0 / 86400000.0 * 0.6);
    EXPECT_EQ(p, (DateTimeParts{2000, 1, 1, 12, 0, 0, 1}));
    // Just short of midnight rounds up into the next day.
    EXPECT_EQ(decodeDateTime(36526.9999999999), (DateTimeParts{2000, 1, 2, 0, 0, 0, 0}));
    // Before the epoch the fraction still counts forward from midnight.
    EXPECT_EQ(decodeDateTime(-1.25), (DateTimeParts{1899, 12, 29, 6, 0, 0, 0}));
    EXPECT_EQ(formatDateTimeMs(36526.75), QStringLiteral("2000-01-01 18:00:00.000"));
    EXPECT_THROW(encodeDate(2023, 2, 29), Error);
}

TEST(NumberText, ShortestTextAndDecimalRounding)
{
    const struct { double v; const char* text; } texts[] = {
        {0.1, "0.1"}, {-12.5, "-12.5"}, {1e6, "1000000"}, {1e20, "1E+20"}, {1e-7, "1E-7"}, {0.0, "0"}, {123456789012.34, "123456789012.34"},
    };
    for (auto c : texts)
        EXPECT_EQ(numberToText(c.v), QString::fromLatin1(c.text));
    EXPECT_EQ(roundDecimal(2.675, 2, HalfRule::Even), 2.68); // the decimal a user sees
    EXPECT_EQ(roundDecimal(2.665, 2, HalfRule::Even), 2.66);
    EXPECT_EQ(roundDecimal(1250, -2, HalfRule::Even), 1200);
    EXPECT_EQ(formatFixed(2.675, 2), QStringLiteral("2.68"));
    EXPECT_EQ(formatFixed(-0.005, 2), QStringLiteral("-0.01"));
    EXPECT_EQ(formatFixed(-0.001, 2), QStringLiteral("0.00"));
    EXPECT_EQ(formatFixed(9.995, 2), QStringLiteral("10.00"));
    EXPECT_EQ(groupThousands(QStringLiteral("-1234567.891")), QStringLiteral("-1,234,567.891"));
}

TEST(NumberText, ParseIsLocaleFreeAndStrict)
{
    EXPECT_EQ(parseNumber(u" 12.5 ").value(), 12.5);
    EXPECT_EQ(parseNumber(u"-1e3").value(), -1000);
    EXPECT_EQ(parseNumber(u".5").value(), 0.5);
    for (const char16_t* bad : {u"", u"1,5", u"12a", u"e5", u"1e", u"--1", u"１２"})
        EXPECT_FALSE(parseNumber(bad).has_value()) << QString::fromUtf16(bad).toStdString();
}

TEST(AtomicFile, FailedRenameKeepsTheOldContent)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    writeFileAtomic(path, "old");
    setBeforeRenameHook([](const QString&) { return false; });
    EXPECT_THROW(writeFileAtomic(path, "new"), Error);
    setBeforeRenameHook(nullptr);
    EXPECT_EQ(readWholeFile(path), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}
