#include "Commands.h"

#include "base/Error.h"

#include <QCoreApplication>
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
    "       zqbp-batch render TEMPLATE.tpl [-v VALUES] [--screen] [--dpi N] -o OUT.png|OUT.pdf\n"
    "       zqbp-batch calc FORMULA [--var NAME=VALUE]...\n"
    "       zqbp-batch db init|check [DATA_FOLDER]\n";

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 1;
    }
    const QString verb = args.takeFirst();
    using Run = std::function<int(const QStringList&)>;
    const std::map<QString, Run> verbs = {
        {QStringLiteral("calc"), zq::cli::runCalc},
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
