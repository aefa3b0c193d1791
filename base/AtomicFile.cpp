#include "AtomicFile.h"

#include "Error.h"

#include <QFile>
#include <QSaveFile>

namespace zq {
namespace {
std::function<bool(const QString&)> g_beforeRename;
}

void setBeforeRenameHook(std::function<bool(const QString&)> hook) { g_beforeRename = std::move(hook); }

void writeFileAtomic(const QString& path, QByteArrayView data)
{
    QSaveFile f(path);
    auto fail = [&](const QString& why) {
        throw Error(QStringLiteral("无法写入文件“%1”：%2").arg(path, why));
    };
    if (!f.open(QIODevice::WriteOnly))
        fail(f.errorString());
    if (f.write(data.data(), data.size()) != data.size()) {
        const QString why = f.errorString();
        f.cancelWriting();
        fail(why);
    }
    if (g_beforeRename && !g_beforeRename(path)) {
        f.cancelWriting();
        fail(QStringLiteral("写入被中断"));
    }
    if (!f.commit())
        fail(f.errorString());
}

QByteArray readWholeFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("无法打开文件“%1”：%2").arg(path, f.errorString()));
    return f.readAll();
}

} // namespace zq
