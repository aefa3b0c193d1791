#include "Fonts.h"

#include "base/Rounding.h"

#include <QFontMetricsF>
#include <QHash>
#include <mutex>

namespace zq {

void installFontSubstitutions()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const QString uming = QStringLiteral("AR PL UMing CN");
        const QString ukai = QStringLiteral("AR PL UKai CN");
        const QString hei = QStringLiteral("WenQuanYi Micro Hei");
        const struct { const char16_t* from; QString to; } map[] = {
            {u"宋体", uming}, {u"新宋体", uming}, {u"SimSun", uming}, {u"NSimSun", uming},
            {u"仿宋", uming}, {u"仿宋_GB2312", uming}, {u"FangSong", uming},
            {u"楷体", ukai}, {u"楷体_GB2312", ukai}, {u"KaiTi", ukai},
            {u"黑体", hei}, {u"SimHei", hei}, {u"微软雅黑", hei}, {u"Microsoft YaHei", hei},
            {u"Arial", QStringLiteral("Liberation Sans")},
            {u"Times New Roman", QStringLiteral("Liberation Serif")},
            {u"Courier New", QStringLiteral("Liberation Mono")},
        };
        for (const auto& m : map)
            QFont::insertSubstitutions(QString::fromUtf16(m.from), {m.to, hei});
    });
}

namespace {

// Ratio of cell height (ascent + descent) to em size, per family.
double cellPerEm(const QFont& base)
{
    static QHash<QString, double> cache;
    const QString key = base.family() + (base.bold() ? QStringLiteral("|b") : QStringLiteral("|n"));
    auto it = cache.find(key);
    if (it != cache.end())
        return *it;
    QFont f(base);
    f.setPixelSize(1000);
    QFontMetricsF m(f);
    const double r = (m.ascent() + m.descent()) / 1000.0;
    cache.insert(key, r > 0 ? r : 1.0);
    return r > 0 ? r : 1.0;
}

double averageWidthPerEm(const QFont& base)
{
    static QHash<QString, double> cache;
    const QString key = base.family();
    auto it = cache.find(key);
    if (it != cache.end())
        return *it;
    QFont f(base);
    f.setPixelSize(1000);
    f.setStretch(QFont::Unstretched);
    const double r = QFontMetricsF(f).averageCharWidth() / 1000.0;
    cache.insert(key, r > 0 ? r : 0.5);
    return r > 0 ? r : 0.5;
}

} // namespace

QFont toQFont(const LogFont& lf)
{
    installFontSubstitutions();
    QFont f(lf.faceName.isEmpty() ? QStringLiteral("宋体") : lf.faceName);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    f.setStyleStrategy(QFont::PreferOutline);
    // Only bold (>= 600) and normal exist for the templates' faces; the stored
    // "non-bold" weight 100 must not pick a thin face.
    f.setWeight(lf.weight >= 600 ? QFont::Bold : QFont::Normal);
    f.setItalic(lf.italic);
    f.setUnderline(lf.underline);
    f.setStrikeOut(lf.strikeOut);
    int px;
    if (lf.height < 0)
        px = -lf.height;
    else if (lf.height > 0)
        px = std::max(1, roundToInt(lf.height / cellPerEm(f)));
    else
        px = 13;
    f.setPixelSize(std::max(1, px));
    if (lf.width > 0) {
        const double natural = averageWidthPerEm(f) * px;
        const int stretch = std::clamp(roundToInt(lf.width * 100.0 / natural), 1, 4000);
        f.setStretch(stretch);
    }
    return f;
}

} // namespace zq
