#include "platform/Fonts.h"
#include "platform/QtCanvas.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QPainter>
#include <gtest/gtest.h>

using namespace zq;

namespace {

struct App {
    App()
    {
        static int argc = 1;
        static char name[] = "tests";
        static char* argv[] = {name, nullptr};
        if (!QGuiApplication::instance())
            new QGuiApplication(argc, argv);
    }
};

bool dark(const QImage& img, int x, int y) { return qGray(img.pixel(x, y)) < 128; }

QImage blank(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

} // namespace

TEST(QtCanvas, ThickSquareCapLineIsCentredOnItsPixels)
{
    App app;
    QImage img = blank(40, 40);
    {
        QPainter p(&img);
        QtCanvas dc(p);
        Pen pen;
        pen.width = 3;
        pen.cap = Pen::Cap::Square;
        dc.setPen(pen);
        dc.drawLine({10, 10}, {10, 29}); // a left border of width 3 from T to B-1
    }
    EXPECT_FALSE(dark(img, 8, 20));
    EXPECT_TRUE(dark(img, 9, 20));
    EXPECT_TRUE(dark(img, 10, 20));
    EXPECT_TRUE(dark(img, 11, 20));
    EXPECT_FALSE(dark(img, 12, 20));
    EXPECT_TRUE(dark(img, 10, 9)); // square ends reach half the width past each end
    EXPECT_FALSE(dark(img, 10, 8));
}

TEST(QtCanvas, ThinFlatLineLeavesOutItsEndPixel)
{
    App app;
    QImage img = blank(20, 5);
    {
        QPainter p(&img);
        QtCanvas dc(p);
        dc.setPen(Pen{});
        dc.drawLine({2, 2}, {10, 2});
    }
    EXPECT_TRUE(dark(img, 2, 2));
    EXPECT_TRUE(dark(img, 9, 2));
    EXPECT_FALSE(dark(img, 10, 2));
    EXPECT_FALSE(dark(img, 5, 1));
}

TEST(QtCanvas, MappingScalesLogicalUnitsToTheDevice)
{
    App app;
    QImage img = blank(200, 200);
    {
        QPainter p(&img);
        QtCanvas dc(p);
        Mapping m;
        m.windowExt = QSize(100, 100);
        m.viewportExt = QSize(200, 200);
        dc.setMapping(m);
        EXPECT_EQ(dc.toDevice(QPoint(10, 20)), QPoint(20, 40));
        dc.fillSolid(QRect(10, 10, 10, 10), kBlack);
    }
    EXPECT_FALSE(dark(img, 19, 30));
    EXPECT_TRUE(dark(img, 20, 20));
    EXPECT_TRUE(dark(img, 39, 39));
    EXPECT_FALSE(dark(img, 40, 30));
}

TEST(QtCanvas, TextTopLeftAndClip)
{
    App app;
    QImage img = blank(100, 60);
    {
        QPainter p(&img);
        QtCanvas dc(p);
        LogFont f;
        f.faceName = QStringLiteral("Arial");
        f.height = -30;
        dc.setFont(f);
        dc.setBkTransparent(true);
        const QSize e = dc.textExtent(QStringLiteral("H"));
        EXPECT_GT(e.width(), 10);
        EXPECT_GE(e.height(), 30);
        dc.setClipRect(QRect(0, 0, 100, 30));
        dc.textOut(20, 20, QStringLiteral("HHH")); // the lower part falls outside the clip
    }
    bool above = false, inside = false, below = false;
    for (int x = 0; x < 100; ++x) {
        above = above || dark(img, x, 18);
        inside = inside || dark(img, x, 28);
        below = below || dark(img, x, 35);
    }
    EXPECT_FALSE(above);
    EXPECT_TRUE(inside);
    EXPECT_FALSE(below);
}

TEST(Fonts, StoredNonBoldWeightIsNormalAndFacesAreMapped)
{
    App app;
    LogFont f;
    f.faceName = QStringLiteral("宋体");
    f.height = -13;
    f.weight = 100;
    QFont q = toQFont(f);
    EXPECT_EQ(q.weight(), QFont::Normal);
    EXPECT_EQ(q.pixelSize(), 13);
    f.weight = 700;
    EXPECT_EQ(toQFont(f).weight(), QFont::Bold);
    EXPECT_EQ(QFontInfo(toQFont(f)).family(), QStringLiteral("AR PL UMing CN"));
    f.faceName = QStringLiteral("Courier New");
    EXPECT_EQ(QFontInfo(toQFont(f)).family(), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(toQColor(0x00FF8040), QColor(0x40, 0x80, 0xFF));
}
