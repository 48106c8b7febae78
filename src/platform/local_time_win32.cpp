#include "platform/local_time.h"

#include <time.h>

namespace xova {
namespace platform {

// localtime_s fills the caller's record, where localtime would hand out the
// runtime's shared one.
bool LocalTimeNow(std::tm* out) {
  const std::time_t now = std::time(nullptr);
  return now != static_cast<std::time_t>(-1) && localtime_s(out, &now) == 0;
}

}  // namespace platform
}  // namespace xova
