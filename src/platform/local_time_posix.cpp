#include "platform/local_time.h"

namespace xova {
namespace platform {

bool LocalTimeNow(std::tm* out) {
  const std::time_t now = std::time(nullptr);
  return now != static_cast<std::time_t>(-1) && localtime_r(&now, out) != nullptr;
}

}  // namespace platform
}  // namespace xova
