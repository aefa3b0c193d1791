#include "Commands.h"

#include "base/Error.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <unistd.h>
#include <cstdio>
#include <exception>
#include <functional>
#include <map>

namespace zq::cli {

void out(const QString& text)
{
    const QByteArray b = text.toUtf8();
    std::fwrite(b.constData(), 1, static_cast<size_t>(b.size()), stdout);
}

void err(const QString& text)
{
    const QByteArray b = text.toUtf8();
    std::fwrite(b.constData(), 1, static_cast<size_t>(b.size()), stderr);
}

} // namespace zq::cli

namespace {

const char* kUsage =
    "usage: zqbp-batch build TEMPLATE.json -o OUT.tpl\n"
    "       zqbp-batch dump TEMPLATE.tpl\n"
    "       zqbp-batch render TEMPLATE.tpl [-v VALUES] [--screen] [--dpi N] -o OUT.png|OUT.jpg|OUT.pdf\n"
    "       zqbp-batch eval TEMPLATE.tpl [-v VALUES] [--display]\n"
    "       zqbp-batch calc FORMULA [--var NAME=VALUE]...\n"
    "       zqbp-batch db init|check [DATA_FOLDER]\n"
    "       zqbp-batch print TEMPLATE.tpl [-v VALUES]... [--printer NAME | -o OUT.pdf] [--copies N]\n";

} // namespace

int main(int argc, char** argv)
{
    // Rendering needs fonts, hence a GUI application; it never opens a window.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray dir = QDir::tempPath().toLocal8Bit() + "/zqbp-runtime-" + QByteArray::number(getuid());
        QDir().mkpath(QString::fromLocal8Bit(dir));
        QFile::setPermissions(QString::fromLocal8Bit(dir), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", dir);
    }
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 1;
    }
    const QString verb = args.takeFirst();
    using Run = std::function<int(const QStringList&)>;
    const std::map<QString, Run> verbs = {
        {QStringLiteral("build"), zq::cli::runBuild},
        {QStringLiteral("dump"), zq::cli::runDump},
        {QStringLiteral("render"), zq::cli::runRender},
        {QStringLiteral("db"), zq::cli::runDb},
        {QStringLiteral("eval"), zq::cli::runEval},
        {QStringLiteral("calc"), zq::cli::runCalc},
        {QStringLiteral("print"), zq::cli::runPrint},
    };
    const auto it = verbs.find(verb);
    if (it == verbs.end()) {
        std::fputs(kUsage, stderr);
        return 1;
    }
    try {
        return it->second(args);
    } catch (const zq::Error& e) {
        zq::cli::err(e.message().simplified() + u'\n');
    } catch (const std::exception& e) {
        zq::cli::err(QString::fromLocal8Bit(e.what()).simplified() + u'\n');
    }
    return 1;
}
