#include "platform/core/exceptions.h"

namespace vx::plat {

void Abort() { throw EAbort(); }

void ListIndexError(std::int64_t index) {
  throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void ListCapacityError(std::int64_t value) {
  throw EListError("List capacity out of bounds (" + std::to_string(value) + ")");
}

void ListCountError(std::int64_t value) {
  throw EListError("List count out of bounds (" + std::to_string(value) + ")");
}

}  // namespace vx::plat
