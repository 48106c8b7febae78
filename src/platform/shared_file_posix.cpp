#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/shared_file.h"

#include "platform/fault_injection.h"

namespace xova {
namespace platform {
namespace {

// Locks on the open file description conflict within one process too, and
// don't vanish when some other descriptor of the same file is closed.
#if defined(F_OFD_SETLK)
constexpr int kSetLock = F_OFD_SETLK;
#else
constexpr int kSetLock = F_SETLK;
#endif

struct ModeTraits {
  int flags;
  short lockType;
  bool truncate;
  const char* stdioMode;
};

ModeTraits TraitsOf(OpenMode mode) {
  switch (mode) {
    case OpenMode::kCreateWrite:
      return {O_WRONLY | O_CREAT, F_WRLCK, true, "wb"};
    case OpenMode::kRead:
      return {O_RDONLY, F_RDLCK, false, "rb"};
    case OpenMode::kUpdate:
      return {O_RDWR, F_WRLCK, false, "rb+"};
    case OpenMode::kCreateUpdate:
    default:
      return {O_RDWR | O_CREAT, F_WRLCK, true, "wb+"};
  }
}

// False only when another stream holds a conflicting lock; file systems
// without locks still open.
bool TakeLock(int fd, short type) {
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;
  lock.l_pid = 0;
  if (fcntl(fd, kSetLock, &lock) == 0) return true;
  return errno != EAGAIN && errno != EACCES;
}

}  // namespace

std::FILE* OpenShared(const char* path, OpenMode mode, std::size_t bufferSize) {
  if (!path || !*path) return nullptr;
  const ModeTraits traits = TraitsOf(mode);
  int fd = open(path, traits.flags | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  // The lock is checked before truncating, so a file held by another stream
  // keeps its contents.
  struct stat info;
  bool ok = fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode) && TakeLock(fd, traits.lockType);
  // A file just created is empty already. Truncating it anyway is not free:
  // some file systems then force its data to disk when it is closed.
  if (ok && traits.truncate && S_ISREG(info.st_mode)) {
    if (fstat(fd, &info) != 0 || info.st_size > 0) ok = ftruncate(fd, 0) == 0;
  }
  std::FILE* stream = ok ? fdopen(fd, traits.stdioMode) : nullptr;
  if (!stream) {
    close(fd);
    return nullptr;
  }
  if (bufferSize > 0 && setvbuf(stream, nullptr, _IOFBF, bufferSize) != 0) {
    std::fclose(stream);
    return nullptr;
  }
  return stream;
}

bool CloseShared(std::FILE* stream) {
  return stream && std::fclose(stream) == 0;
}

bool Seek(std::FILE* stream, std::int64_t offset, int whence) {
  if (FaultHits(FaultKind::kSeek, stream)) return false;
  return fseeko(stream, static_cast<off_t>(offset), whence) == 0;
}

std::int64_t Tell(std::FILE* stream) {
  return static_cast<std::int64_t>(ftello(stream));
}

std::int64_t FileLength(std::FILE* stream) {
  struct stat info;
  if (!stream || fstat(fileno(stream), &info) != 0) return -1;
  return static_cast<std::int64_t>(info.st_size);
}

bool SameExistingFile(const char* first, const char* second) {
  struct stat a;
  struct stat b;
  if (!first || !second || stat(first, &a) != 0 || stat(second, &b) != 0) return false;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace platform
}  // namespace xova
