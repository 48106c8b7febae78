// The local time of day, for creation time stamps.
#ifndef XOVA_PLATFORM_LOCAL_TIME_H
#define XOVA_PLATFORM_LOCAL_TIME_H

#include <ctime>

namespace xova {
namespace platform {

// Fills `out` with the current local time; false when it is not known.
bool LocalTimeNow(std::tm* out);

}  // namespace platform
}  // namespace xova

#endif
