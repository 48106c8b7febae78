#include "platform/fault_injection.h"
#include "platform/shared_file.h"

namespace xova {
namespace platform {
namespace {

#if defined(__GLIBC__)
std::size_t RawWrite(const void* data, std::size_t size, std::FILE* stream) {
  return fwrite_unlocked(data, 1, size, stream);
}
std::size_t RawRead(void* data, std::size_t size, std::FILE* stream) {
  return fread_unlocked(data, 1, size, stream);
}
#else
std::size_t RawWrite(const void* data, std::size_t size, std::FILE* stream) {
  return std::fwrite(data, 1, size, stream);
}
std::size_t RawRead(void* data, std::size_t size, std::FILE* stream) {
  return std::fread(data, 1, size, stream);
}
#endif

}  // namespace

bool Write(std::FILE* stream, const void* data, std::size_t size) {
  if (size == 0) return true;
  if (!stream || FaultHits(FaultKind::kWrite, stream, size)) return false;
  return RawWrite(data, size, stream) == size;
}

std::size_t Read(std::FILE* stream, void* data, std::size_t size) {
  if (!stream || size == 0) return 0;
  return RawRead(data, size, stream);
}

bool Flush(std::FILE* stream) {
  if (!stream || FaultHits(FaultKind::kFlush, stream)) return false;
  return std::fflush(stream) == 0;
}

}  // namespace platform
}  // namespace xova
