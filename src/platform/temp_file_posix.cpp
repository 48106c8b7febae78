#include <errno.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>

#include "platform/temp_file.h"

#include "platform/fault_injection.h"

namespace xova {
namespace platform {
namespace {

// Enough for any realistic crowd of concurrent creators; a directory where
// every attempt collides is full of our names, not worth waiting on.
constexpr int kMaxAttempts = 100;

std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// Distinct within the process through the counter, and across processes
// through the process id and the clock.
std::string UniquePart() {
  static std::atomic<std::uint64_t> counter{0};
  struct timespec now = {};
  clock_gettime(CLOCK_REALTIME, &now);
  const std::uint64_t seed = (static_cast<std::uint64_t>(getpid()) << 32) ^
                             static_cast<std::uint64_t>(now.tv_nsec) ^
                             (static_cast<std::uint64_t>(now.tv_sec) << 20);
  std::uint64_t bits = Mix(seed ^ Mix(counter++));
  std::string text(16, '0');
  for (std::size_t i = text.size(); i-- > 0; bits >>= 4) text[i] = "0123456789abcdef"[bits & 15];
  return text;
}

std::string DirectoryPrefix(const std::string& dir) {
  if (dir.back() == '/') return dir;
  return dir + '/';
}

}  // namespace

bool CreateUniqueFile(const std::string& dir, const char* prefix, std::string* path) {
  if (dir.empty() || !path) return false;
  if (FaultHits(FaultKind::kTempFile, nullptr)) return false;
  const std::string base = DirectoryPrefix(dir) + (prefix ? prefix : "");
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    std::string candidate = base + UniquePart() + ".tmp";
    // O_EXCL makes creation the test for uniqueness: no race with another
    // creator, and an existing file (or a link planted there) is never opened.
    const int fd = open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      close(fd);
      path->swap(candidate);
      return true;
    }
    if (errno != EEXIST && errno != EINTR) return false;
  }
  return false;
}

bool SystemTempDirectory(std::string* dir) {
  const char* env = std::getenv("TMPDIR");
  *dir = (env && *env) ? env : "/tmp";
  return true;
}

bool RemoveFile(const char* path) {
  return path && *path && unlink(path) == 0;
}

}  // namespace platform
}  // namespace xova
