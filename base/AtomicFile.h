#pragma once
#include <QByteArray>
#include <QString>
#include <functional>

namespace zq {

// Writes the whole file aside and renames it into place, so a crash leaves
// either the old or the new content, never a half-written file.
// Throws zq::Error naming the file when anything fails.
void writeFileAtomic(const QString& path, QByteArrayView data);
// Reads a whole file; throws zq::Error naming the file when it cannot.
QByteArray readWholeFile(const QString& path);

// Test hook: called just before the rename; returning false makes the write fail there.
void setBeforeRenameHook(std::function<bool(const QString& path)> hook);

} // namespace zq
