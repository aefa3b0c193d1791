#pragma once
// The verbs of zqbp-batch. Each takes the arguments after the verb and returns
// the exit status; bad input is thrown as zq::Error and reported by main() as
// one line on standard error with status 1.
#include <QStringList>

namespace zq::cli {

int runBuild(const QStringList& args);
int runDump(const QStringList& args);
int runRender(const QStringList& args);
int runEval(const QStringList& args);
int runCalc(const QStringList& args);
int runDb(const QStringList& args);
int runPrint(const QStringList& args);

// UTF-8 output on standard output / standard error.
void out(const QString& text);
void err(const QString& text);

} // namespace zq::cli
