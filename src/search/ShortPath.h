#pragma once

#include <QString>

namespace ds::search {

// The system's 8.3 short form of an existing path; the path unchanged where the system has no
// short names, empty when the path does not exist.
QString ShortPathName(const QString& path);

}  // namespace ds::search
