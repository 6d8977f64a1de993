#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace ds::test {

// The engine error number an action throws, 0 when it succeeds.
int engineErrorOf(const std::function<void()>& action);

// A tab-separated file as rows of cells; empty lines are left out.
QList<QStringList> readTsv(const QString& path);

// One line of the shared corpus's MANIFEST.tsv.
struct ManifestEntry {
    QString path;  // e.g. "access/jackcess/testV1997.mdb"
    QString format;
    QString password;  // "none" when there is none
    QString tables;
    QString textSamples;
    QString notes;
};

// The manifest lines whose path starts with the prefix ("access/", "dbase/", ...); empty when
// the shared corpus is not present.
QList<ManifestEntry> corpusManifest(const QString& pathPrefix);

}  // namespace ds::test
