// Placeholder until the reader lands: the format is reported as unknown.
#include "dbengine/Engine.h"
#include "dbengine/EngineError.h"

namespace ds::db {
std::unique_ptr<Database> openAccessDatabase(const OpenRequest& request) {
    throwEngineError(err::IsamNotFound, request.connect.formatName);
}
}  // namespace ds::db
