#include "tests/remote/handle.h"

namespace remote {

void throwLastError(const std::string& what) {
    throw Error(what + " (error " + std::to_string(GetLastError()) + ")");
}

} // namespace remote
