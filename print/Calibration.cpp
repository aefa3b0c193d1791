#include "Calibration.h"

#include "ZqPrinters.h"
#include "base/Clock.h"
#include "base/DateSerial.h"
#include "base/Error.h"
#include "base/NumberText.h"
#include "base/Rounding.h"
#include "platform/QtCanvas.h"

#include <QPainter>
#include <QPrinter>
#include <cmath>
#include <limits>

using namespace zq;

namespace zqp {

double SaneMargin(double mm) { return std::isfinite(mm) && mm >= 0 && mm <= kMaxMargin ? mm : 40.0; }

Calibration SaneCalibration(const Calibration& c)
{
    Calibration s = c;
    s.PortraitLeftMargin = SaneMargin(c.PortraitLeftMargin);
    s.PortraitTopMargin = SaneMargin(c.PortraitTopMargin);
    s.LandscapeLeftMargin = SaneMargin(c.LandscapeLeftMargin);
    s.LandscapeTopMargin = SaneMargin(c.LandscapeTopMargin);
    return s;
}

std::optional<double> ParseMargin(const QString& text)
{
    const std::optional<double> v = parseNumber(text.trimmed());
    if (!v || !std::isfinite(*v) || *v < 0 || *v > kMaxMargin)
        return std::nullopt;
    return v;
}

TZqOffsets ComputeOffsets(int tw, int th, int W, int H, int orientation, int feed, int angle,
                          const Calibration& margins)
{
    const Calibration m = SaneCalibration(margins);
    const double k = kPixelsPerMm;
    qint64 dx, dy;
    if (orientation == 1) {
        dx = roundToInt64((40 - m.PortraitLeftMargin) * k);
        dy = roundToInt64((40 - m.PortraitTopMargin) * k);
        if (W > tw) {
            const qint64 spare = qint64(W) - tw;
            dx += feed == 0 ? 0 : feed == 1 ? spare / 2 : spare;
        }
    } else {
        dx = roundToInt64((40 - m.LandscapeLeftMargin) * k);
        dy = roundToInt64((40 - m.LandscapeTopMargin) * k);
        const qint64 spare = qint64(W) - th;
        if (angle == 90) {
            if (H > tw)
                dx += qint64(H) - tw;
            if (W > th)
                dy += feed == 0 ? 0 : feed == 1 ? spare / 2 : spare;
        } else if (W > th) {
            dy += feed == 0 ? spare : feed == 1 ? spare / 2 : 0;
        }
    }
    constexpr qint64 lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
    if (dx < lo || dx > hi || dy < lo || dy > hi)
        throw Error(QStringLiteral("打印位置超出范围，请检查模板和纸张大小"));
    return {static_cast<int>(dx), static_cast<int>(dy)};
}

void DrawCalibrationPage(Canvas& dc, bool landscape)
{
    auto mm = [](double v) { return mmToPixels(v); };
    CanvasSaver keep(dc);
    dc.setPen(Pen{});
    LogFont f;
    f.faceName = QStringLiteral("宋体");
    f.height = 16;
    f.weight = 100;
    f.charSet = 134; // GB2312
    dc.setFont(f);
    dc.setTextColor(kBlack);
    dc.setBkTransparent(true);
    const QString dir = landscape ? QStringLiteral("侧向") : QStringLiteral("正向");
    dc.textOut(mm(42), mm(25), QStringLiteral("☆打印机%1校准页☆").arg(dir));
    dc.textOut(mm(42), mm(30), QStringLiteral("测量结果影响套打精度，请仔细！单位是毫米，1厘米=10毫米。"));
    dc.drawLine({mm(40), mm(40)}, {mm(100), mm(40)});
    dc.textOut(mm(42), mm(42), QStringLiteral("测量此横线到纸上边缘的距离"));
    dc.textOut(mm(42), mm(48), QStringLiteral("填写到%1打印校准[上边距]").arg(dir));
    dc.drawLine({mm(40), mm(80)}, {mm(40), mm(120)});
    dc.textOut(mm(42), mm(92), QStringLiteral("测量此竖线到纸左边缘的距离"));
    dc.textOut(mm(42), mm(98), QStringLiteral("填写到%1打印校准[左边距]").arg(dir));
}

void PrintCalibrationPage(const QString& printer, bool landscape, const QString& outputFile)
{
    std::unique_ptr<QPrinter> dev = ZqPrinter().CreatePrinterDevice(
        printer, QPageSize(QPageSize::A4), landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
        QStringLiteral("打印机校准测试"), outputFile);
    QPainter p;
    if (!p.begin(dev.get()))
        throw Error(QStringLiteral("无法在打印机“%1”上开始打印").arg(printer));
    QtCanvas dc(p);
    Mapping map;
    map.windowExt = QSize(794, 1123);
    map.viewportExt = QSize(roundToInt(dev->logicalDpiX() / 96.0 * 794), roundToInt(dev->logicalDpiY() / 96.0 * 1123));
    dc.setMapping(map);
    DrawCalibrationPage(dc, landscape);
    p.end();
}

void SaveCalibration(const Settings& settings, const QString& printer, const QString& portraitLeft,
                     const QString& portraitTop, const QString& landscapeLeft, const QString& landscapeTop)
{
    if (printer.trimmed().isEmpty())
        throw Error(QStringLiteral("请选择打印机！"));
    const std::optional<double> pl = ParseMargin(portraitLeft), pt = ParseMargin(portraitTop);
    const std::optional<double> ll = ParseMargin(landscapeLeft), lt = ParseMargin(landscapeTop);
    if (!pl)
        throw Error(QStringLiteral("正向校准左边距没有输入或输入错误！"));
    if (!pt)
        throw Error(QStringLiteral("正向校准上边距没有输入或输入错误！"));
    if (!ll)
        throw Error(QStringLiteral("侧向校准左边距没有输入或输入错误！"));
    if (!lt)
        throw Error(QStringLiteral("侧向校准上边距没有输入或输入错误！"));
    Calibration c;
    const DateTimeParts now = decodeDateTime(zq::clock().now());
    c.Time = QStringLiteral("%1-%2-%3 %4:%5:%6")
                 .arg(now.year, 4, 10, QChar(u'0'))
                 .arg(now.month, 2, 10, QChar(u'0'))
                 .arg(now.day, 2, 10, QChar(u'0'))
                 .arg(now.hour, 2, 10, QChar(u'0'))
                 .arg(now.minute, 2, 10, QChar(u'0'))
                 .arg(now.second, 2, 10, QChar(u'0'));
    c.PortraitLeftMargin = *pl;
    c.PortraitTopMargin = *pt;
    c.LandscapeLeftMargin = *ll;
    c.LandscapeTopMargin = *lt;
    settings.setCalibration(printer, c);
}

} // namespace zqp
