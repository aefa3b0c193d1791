#pragma once
// The settings file "config.ini" of the data folder. Every reader and writer
// opens the file at the moment of use and closes it again, so a value written
// by one window is seen at once by the next reader; a missing or unreadable
// file, section or key, or a value of the wrong form, gives the default.
#include "base/IniFile.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace zq {

struct BoolSetting {
    const char16_t* section;
    const char16_t* key;
    bool def;
};
struct IntSetting {
    const char16_t* section;
    const char16_t* key;
    int def;
};
struct TextSetting {
    const char16_t* section;
    const char16_t* key;
    const char16_t* def;
};
struct ColorSetting {
    const char16_t* section;
    const char16_t* key;
    quint32 def;
};

// The values of the rights keys.
inline constexpr char16_t kOnlyAdmin[] = u"OnlyAdmin";
inline constexpr char16_t kAllUsers[] = u"AllUsers";

namespace settings {
// [Interface]: the main window's switches.
inline constexpr BoolSetting IterativeExec{u"Interface", u"IterativeExec", false};
inline constexpr BoolSetting IterativeOpenTmpl{u"Interface", u"IterativeOpenTmpl", false};
inline constexpr BoolSetting AutoSetBankName{u"Interface", u"AutoSetBankName", false};
inline constexpr BoolSetting AutoUpdCstmD{u"Interface", u"AutoUpdCstmD", false};
inline constexpr BoolSetting ShowMainToolbar{u"Interface", u"ShowMainToolbar", true};
inline constexpr BoolSetting ShowTmplToolbar{u"Interface", u"ShowTmplToolbar", true};
inline constexpr BoolSetting ShowStatusBar{u"Interface", u"ShowStatusBar", true};
inline constexpr BoolSetting ShowTmplLst{u"Interface", u"ShowTmplLst", true};
inline constexpr IntSetting ShowTmplLstWidth{u"Interface", u"ShowTmplLstWidth", 180};
inline constexpr ColorSetting BkClr{u"Interface", u"BkClr", 0xFF000001}; // clBackground
inline constexpr TextSetting Theme{u"Interface", u"Theme", u"Default"};
// [大写格式]: capital styles of dates and amounts (0 as the template says).
inline constexpr IntSetting DateStyle{u"大写格式", u"日期", 0};
inline constexpr IntSetting AmountStyle{u"大写格式", u"金额", 0};
// Printer made current at start-up; the user preselected in the login.
inline constexpr TextSetting RecentlyPrinter{u"RecentlyPrinter", u"Name", u""};
inline constexpr TextSetting LastUser{u"User", u"Name", u""};
// [Authorized]: rights of ordinary users and the login options.
inline constexpr TextSetting DeignTmpl{u"Authorized", u"DeignTmpl", kOnlyAdmin};
inline constexpr TextSetting BrowsePrtRec{u"Authorized", u"BrowsePrtRec", kOnlyAdmin};
inline constexpr TextSetting EditPreData{u"Authorized", u"EditPreData", kOnlyAdmin};
inline constexpr BoolSetting DefaultAdminLogin{u"Authorized", u"DefaultAdminLogin", true};
inline constexpr BoolSetting ExitCtrl{u"Authorized", u"ExitCtrl", false};
} // namespace settings

// Sections of grid column widths (keys "Col0", "Col1", ..., default 80).
inline constexpr char16_t kAccountColumnsSection[] = u"DbgColWidth_Account";
inline constexpr char16_t kChequeColumnsSection[] = u"DbgColWidth_Cheque";
inline constexpr int kDefaultColumnWidth = 80;

// Section "打印方案": one print scheme per settings file.
struct PrintScheme {
    QString PrinterName;
    bool AutoPaper = true;
    int PaperCode = -1;
    QString PaperName;
    int Orientation = -1;
    int FeedPosition = -1;
    bool operator==(const PrintScheme&) const = default;
};

// One section per calibrated printer, named by the printer; millimetres.
struct Calibration {
    QString Time; // "校准时间", as the calibration wrote it
    double PortraitLeftMargin = 40.0;
    double PortraitTopMargin = 40.0;
    double LandscapeLeftMargin = 40.0;
    double LandscapeTopMargin = 40.0;
    bool operator==(const Calibration&) const = default;
};

class Settings {
public:
    Settings(); // config.ini of the data folder
    explicit Settings(QString file) : m_ini(std::move(file)) {}

    const IniFile& ini() const { return m_ini; }
    const QString& fileName() const { return m_ini.path(); }

    bool get(const BoolSetting& s) const;
    int get(const IntSetting& s) const;
    QString get(const TextSetting& s) const;
    quint32 get(const ColorSetting& s) const;
    // Writes throw zq::Error when the file cannot be written; the old file stays.
    void set(const BoolSetting& s, bool value) const;
    void set(const IntSetting& s, int value) const;
    void set(const TextSetting& s, const QString& value) const;
    void set(const ColorSetting& s, quint32 value) const;

    // [RecentTmpl]: the template ids of the open bills, in file order; the
    // writer replaces the whole section with keys "Name0", "Name1", ...
    QStringList recentTemplates() const;
    void setRecentTemplates(const QStringList& ids) const;

    QList<int> columnWidths(const QString& section, int count) const;
    void setColumnWidths(const QString& section, const QList<int>& widths) const;

    PrintScheme printScheme() const;
    void setPrintScheme(const PrintScheme& scheme) const;

    Calibration calibration(const QString& printer) const;
    // Replaces the printer's section.
    void setCalibration(const QString& printer, const Calibration& c) const;

private:
    IniFile m_ini;
};

} // namespace zq
