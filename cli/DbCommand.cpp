// zqbp-batch db init [FOLDER] | db check [FOLDER]: makes a new data folder with
// the empty database, or checks the schema of an existing one.
#include "Commands.h"

#include "app/DataFolder.h"
#include "app/Database.h"
#include "base/Error.h"

#include <QDir>
#include <QFileInfo>

namespace zq::cli {

int runDb(const QStringList& args)
{
    if (args.isEmpty() || args.size() > 2 || (args[0] != u"init" && args[0] != u"check"))
        throw Error(QStringLiteral("usage: zqbp-batch db init|check [DATA_FOLDER]"));
    const QString folder = args.size() == 2 ? QDir(args[1]).absolutePath() : dataFolder();
    const QString file = folder + u'/' + QString::fromUtf16(kDatabaseFileName);
    if (args[0] == u"init") {
        Database::createDataFolder(folder);
        out(QStringLiteral("created %1\n").arg(QDir::toNativeSeparators(file)));
        return 0;
    }
    Database db(file);
    const QStringList problems = db.checkSchema();
    for (const QString& p : problems)
        err(p + u'\n');
    if (!problems.isEmpty())
        return 1;
    out(QStringLiteral("ok %1\n").arg(QDir::toNativeSeparators(file)));
    return 0;
}

} // namespace zq::cli
