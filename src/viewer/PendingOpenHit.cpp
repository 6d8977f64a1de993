// Opening a hit in the record viewer until the viewer lands: nothing happens.
#include "results/ResultCommands.h"

namespace ds::results {
void OpenHitInViewer(frmTabelle&) {}
}  // namespace ds::results
