// Report, printout and viewer output of the command line until their units land.
#include "app/cli/CliExtras.h"

#include <QTextStream>

namespace ds::cli {

}  // namespace ds::cli
