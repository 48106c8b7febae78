#include "platform/fault_injection.h"
#include "platform/shared_file.h"

namespace xova {
namespace platform {

bool Write(std::FILE* stream, const void* data, std::size_t size) {
  if (size == 0) return true;
  if (!stream || FaultHits(FaultKind::kWrite, stream, size)) return false;
  return std::fwrite(data, 1, size, stream) == size;
}

bool Flush(std::FILE* stream) {
  if (!stream || FaultHits(FaultKind::kFlush, stream)) return false;
  return std::fflush(stream) == 0;
}

}  // namespace platform
}  // namespace xova
