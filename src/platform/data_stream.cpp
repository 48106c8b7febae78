#include <new>

#include "platform/shared_file.h"

namespace xova {
namespace platform {

StreamPtr OpenDataStream(const char* path, OpenMode mode, bool* outOfMemory) {
  *outOfMemory = false;
  std::FILE* stream = OpenShared(path, mode, 0);
  if (!stream) return StreamPtr();
  char* buffer = new (std::nothrow) char[kStreamBufferSize];
  if (!buffer) {
    CloseShared(stream);
    *outOfMemory = true;
    return StreamPtr();
  }
  StreamPtr owned(stream, StreamCloser{buffer});
  if (std::setvbuf(stream, buffer, _IOFBF, kStreamBufferSize) != 0) return StreamPtr();
  return owned;
}

}  // namespace platform
}  // namespace xova
