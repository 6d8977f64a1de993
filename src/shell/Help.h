#pragma once

#include <QString>

class QWidget;

namespace ds::shell {

// Opens the HTML help file at its contents (its beginning) in the desktop's viewer for HTML.
// A missing file, or a file the desktop cannot show, is reported with where it is (or should
// be). Returns whether the viewer was started.
bool OpenHelpFile(const QString& file, QWidget* owner);

}  // namespace ds::shell
