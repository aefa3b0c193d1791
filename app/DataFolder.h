#pragma once
// Where the system keeps its files: the data folder holds the database, the
// settings file, the template library and the templates with their companions.
#include <QString>

namespace zq {

// The data folder: $ZQBP_DATA when set; else "Data" beside the program when
// that folder exists (a portable install); else $XDG_DATA_HOME/zqbp/Data
// (~/.local/share/zqbp/Data). Resolved afresh at each call.
QString dataFolder();
// A file of the data folder.
QString dataFile(const QString& name);

// File names inside the data folder, spelled the one way the system writes them.
inline constexpr char16_t kDatabaseFileName[] = u"Data.db";
inline constexpr char16_t kSettingsFileName[] = u"config.ini";

// First run: when the data folder does not exist yet, creates it with the
// empty database (and its administrator row). An existing folder is left as
// it is, so a database missing from it is reported when it is opened, never
// silently replaced. Returns the folder. Throws zq::Error when it cannot.
QString prepareDataFolder();

} // namespace zq
