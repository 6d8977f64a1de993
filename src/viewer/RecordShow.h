#pragma once

#include "viewer/RecordView.h"
#include "viewer/ViewGrid.h"

#include <QString>
#include <QTextStream>

#include <optional>

namespace ds::viewer {

// The record viewer without a window (datasifter-cli --show): the same opening, structure and
// record as the window, the grid in memory. Questions are never asked: a given password is
// sent from the first open on, a table must be named when the file holds several.
class RecordShow {
  public:
    struct Options {
        QString file;  // native path
        int formatIndex = 1;
        QString table;
        long long record = 0;
        std::optional<QString> password;
    };

    // Opens and loads; on success writes the grid as its clipboard copy gives it to out and
    // returns 0. Otherwise says why on err (the viewer's own messages go through the dialog
    // seam) and returns 2.
    int run(const Options& options, QTextStream& out, QTextStream& err);

    RecordView view;
    MemoryViewGrid grid;
};

}  // namespace ds::viewer
