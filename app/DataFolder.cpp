#include "DataFolder.h"

#include "Database.h"
#include "base/Error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace zq {
namespace {

QString programDirectory()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

} // namespace

QString dataFolder()
{
    const QString env = qEnvironmentVariable("ZQBP_DATA");
    if (!env.isEmpty())
        return QDir::cleanPath(QDir(env).absolutePath());
    const QString beside = programDirectory() + QStringLiteral("/Data");
    if (QFileInfo(beside).isDir())
        return QDir::cleanPath(beside);
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/zqbp/Data"));
}

QString dataFile(const QString& name) { return dataFolder() + u'/' + name; }

QString prepareDataFolder()
{
    const QString folder = dataFolder();
    if (!QFileInfo::exists(folder))
        Database::createDataFolder(folder);
    return folder;
}

} // namespace zq
