#include "Settings.h"

#include "DataFolder.h"

namespace zq {
namespace {

QString str(const char16_t* s) { return QString::fromUtf16(s); }

const QString kScheme = QStringLiteral("打印方案");
const QString kCalTime = QStringLiteral("校准时间");
const QString kPortraitLeft = QStringLiteral("正向左边距");
const QString kPortraitTop = QStringLiteral("正向上边距");
const QString kLandscapeLeft = QStringLiteral("侧向左边距");
const QString kLandscapeTop = QStringLiteral("侧向上边距");
const QString kRecent = QStringLiteral("RecentTmpl");

} // namespace

Settings::Settings() : m_ini(dataFile(QString::fromUtf16(kSettingsFileName))) {}

bool Settings::get(const BoolSetting& s) const { return m_ini.readBool(str(s.section), str(s.key), s.def); }
int Settings::get(const IntSetting& s) const { return m_ini.readInt(str(s.section), str(s.key), s.def); }
QString Settings::get(const TextSetting& s) const
{
    return m_ini.readString(str(s.section), str(s.key), str(s.def));
}
quint32 Settings::get(const ColorSetting& s) const { return m_ini.readColor(str(s.section), str(s.key), s.def); }

void Settings::set(const BoolSetting& s, bool value) const { m_ini.writeBool(str(s.section), str(s.key), value); }
void Settings::set(const IntSetting& s, int value) const { m_ini.writeInt(str(s.section), str(s.key), value); }
void Settings::set(const TextSetting& s, const QString& value) const
{
    m_ini.writeString(str(s.section), str(s.key), value);
}
void Settings::set(const ColorSetting& s, quint32 value) const
{
    m_ini.writeColor(str(s.section), str(s.key), value);
}

QStringList Settings::recentTemplates() const
{
    const IniDocument doc = m_ini.read();
    QStringList ids;
    for (const QString& key : doc.keys(kRecent))
        ids.append(doc.readString(kRecent, key));
    return ids;
}

void Settings::setRecentTemplates(const QStringList& ids) const
{
    m_ini.edit([&](IniDocument& d) {
        d.eraseSection(kRecent);
        for (int i = 0; i < ids.size(); ++i)
            d.writeString(kRecent, QStringLiteral("Name%1").arg(i), ids[i]);
    });
}

QList<int> Settings::columnWidths(const QString& section, int count) const
{
    const IniDocument doc = m_ini.read();
    QList<int> widths;
    for (int i = 0; i < count; ++i)
        widths.append(doc.readInt(section, QStringLiteral("Col%1").arg(i), kDefaultColumnWidth));
    return widths;
}

void Settings::setColumnWidths(const QString& section, const QList<int>& widths) const
{
    m_ini.edit([&](IniDocument& d) {
        for (int i = 0; i < widths.size(); ++i)
            d.writeInt(section, QStringLiteral("Col%1").arg(i), widths[i]);
    });
}

PrintScheme Settings::printScheme() const
{
    const IniDocument d = m_ini.read();
    PrintScheme s;
    s.PrinterName = d.readString(kScheme, QStringLiteral("打印机"));
    s.AutoPaper = d.readBool(kScheme, QStringLiteral("打印范围"), true);
    s.PaperCode = d.readInt(kScheme, QStringLiteral("纸张代码"), -1);
    s.PaperName = d.readString(kScheme, QStringLiteral("纸张名称"));
    s.Orientation = d.readInt(kScheme, QStringLiteral("打印方向"), -1);
    s.FeedPosition = d.readInt(kScheme, QStringLiteral("进纸位置"), -1);
    return s;
}

void Settings::setPrintScheme(const PrintScheme& s) const
{
    m_ini.edit([&](IniDocument& d) {
        d.writeString(kScheme, QStringLiteral("打印机"), s.PrinterName);
        d.writeBool(kScheme, QStringLiteral("打印范围"), s.AutoPaper);
        d.writeInt(kScheme, QStringLiteral("纸张代码"), s.PaperCode);
        d.writeString(kScheme, QStringLiteral("纸张名称"), s.PaperName);
        d.writeInt(kScheme, QStringLiteral("打印方向"), s.Orientation);
        d.writeInt(kScheme, QStringLiteral("进纸位置"), s.FeedPosition);
    });
}

Calibration Settings::calibration(const QString& printer) const
{
    const IniDocument d = m_ini.read();
    Calibration c;
    c.Time = d.readString(printer, kCalTime);
    c.PortraitLeftMargin = d.readDouble(printer, kPortraitLeft, 40.0);
    c.PortraitTopMargin = d.readDouble(printer, kPortraitTop, 40.0);
    c.LandscapeLeftMargin = d.readDouble(printer, kLandscapeLeft, 40.0);
    c.LandscapeTopMargin = d.readDouble(printer, kLandscapeTop, 40.0);
    return c;
}

void Settings::setCalibration(const QString& printer, const Calibration& c) const
{
    m_ini.edit([&](IniDocument& d) {
        d.eraseSection(printer);
        d.writeString(printer, kCalTime, c.Time);
        d.writeDouble(printer, kPortraitLeft, c.PortraitLeftMargin);
        d.writeDouble(printer, kPortraitTop, c.PortraitTopMargin);
        d.writeDouble(printer, kLandscapeLeft, c.LandscapeLeftMargin);
        d.writeDouble(printer, kLandscapeTop, c.LandscapeTopMargin);
    });
}

} // namespace zq
