#pragma once

#include <QString>
#include <QTemporaryDir>

namespace ds::test {

// The shared sample corpus, or an empty string when it is not present (tests then skip).
QString sharedCorpusDir();

// Writes bytes to a file, creating folders; returns false on failure.
bool writeFile(const QString& path, const QByteArray& bytes);

// Reads a whole file (empty on failure).
QByteArray readFile(const QString& path);

}  // namespace ds::test
