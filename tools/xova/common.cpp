#include "common.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace xova_tool {

namespace {

// Temporary names the signal handler may remove; fixed storage, since a
// handler may not allocate.
constexpr int kMaxPending = 64;
constexpr std::size_t kMaxName = 4096;
char g_pending[kMaxPending][kMaxName];
std::atomic<bool> g_used[kMaxPending];
std::mutex g_pendingMutex;

int Register(const std::string& name) {
  std::lock_guard<std::mutex> lock(g_pendingMutex);
  if (name.size() >= kMaxName) return -1;
  for (int i = 0; i < kMaxPending; ++i) {
    if (!g_used[i].load()) {
      std::memcpy(g_pending[i], name.c_str(), name.size() + 1);
      g_used[i].store(true);
      return i;
    }
  }
  return -1;
}

void Unregister(const std::string& name) {
  std::lock_guard<std::mutex> lock(g_pendingMutex);
  for (int i = 0; i < kMaxPending; ++i) {
    if (g_used[i].load() && name == g_pending[i]) g_used[i].store(false);
  }
}

extern "C" void OnSignal(int sig) {
  for (int i = 0; i < kMaxPending; ++i) {
    if (g_used[i].load()) unlink(g_pending[i]);
  }
  signal(sig, SIG_DFL);
  raise(sig);
}

std::string Errno() {
  return std::strerror(errno);
}

}  // namespace

bool IsStandardOutput(const std::string& path) {
  return path == "/dev/stdout" || path == "/dev/fd/1" || path == "/proc/self/fd/1";
}

void InstallCleanupHandlers() {
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) signal(sig, OnSignal);
}

OutputFile::OutputFile(const std::string& path, bool streams) : path_(path) {
  if (path.empty()) throw UsageError("the output file name is empty");
  struct stat st;
  const bool exists = stat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) throw ToolError(path, "cannot write", "it is a directory");
  if (exists && !S_ISREG(st.st_mode)) {
    if (!streams) throw ToolError(path, "cannot write", "not a regular file");
    temp_ = path;
    direct_ = true;
    return;
  }
  // The rename replaces a symbolic link itself, not what it points at, so
  // the temporary file goes beside the file the link names.
  target_ = path;
  if (exists) {
    if (char* real = realpath(path.c_str(), nullptr)) {
      target_ = real;
      std::free(real);
    }
  }
  std::string dir = ".";
  const auto slash = target_.rfind('/');
  if (slash != std::string::npos) dir = slash == 0 ? "/" : target_.substr(0, slash);
  std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  const std::string pattern = dir + "/." + base + ".xova-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) throw ToolError(path, "cannot create a temporary file beside it", Errno());
  close(fd);
  temp_ = name.data();
  Register(temp_);
}

OutputFile::~OutputFile() {
  if (!committed_ && !direct_) {
    unlink(temp_.c_str());
    Unregister(temp_);
  }
}

void OutputFile::commit() {
  if (direct_) {
    committed_ = true;
    return;
  }
  // mkstemp makes the file private; give it the mode a new file would get.
  const mode_t mask = umask(0);
  umask(mask);
  chmod(temp_.c_str(), 0666 & ~mask);
  if (rename(temp_.c_str(), target_.c_str()) != 0)
    throw ToolError(path_, "cannot move the finished file into place", Errno());
  committed_ = true;
  Unregister(temp_);
}

void Sink::flush() {
  const char* p = buf_.data();
  std::size_t n = used_;
  while (n) {
    const ssize_t w = ::write(fd_, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      throw ToolError(name_, "write", Errno());
    }
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  used_ = 0;
}

Rows ParseRows(const std::string& text) {
  const auto colon = text.find(':');
  if (colon == std::string::npos)
    throw UsageError("--rows takes FIRST:LAST (either may be left out), got '" + text + "'");
  auto number = [&](const std::string& s, long& out) {
    if (s.empty()) return false;
    std::size_t used = 0;
    try {
      const long long v = std::stoll(s, &used);
      if (used != s.size() || v < 0 || v > 0x7FFFFFFF) throw std::out_of_range("");
      out = static_cast<long>(v);
    } catch (const std::exception&) {
      throw UsageError("--rows: '" + s + "' is not a case number from 0 to 2147483647");
    }
    return true;
  };
  Rows r;
  long last = 0;
  number(text.substr(0, colon), r.first);
  if (number(text.substr(colon + 1), last)) {
    if (last < r.first) throw UsageError("--rows: LAST is before FIRST in '" + text + "'");
    r.last = last;
  }
  return r;
}

Progress::Progress(bool quiet, long total, const char* unit)
    : enabled_(!quiet && isatty(STDERR_FILENO)), total_(total), unit_(unit) {
  start_ = last_ = std::chrono::steady_clock::now();
}

void Progress::draw(long done, bool force) {
  const auto now = std::chrono::steady_clock::now();
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  if (!force && (elapsed < 1.0 || now - last_ < std::chrono::milliseconds(200))) return;
  last_ = now;
  const double rate = elapsed > 0 ? done / elapsed : 0;
  char line[160];
  if (total_ > 0 && done <= total_ && rate > 0) {
    const long left = static_cast<long>((total_ - done) / rate);
    std::snprintf(line, sizeof line, "\r%ld/%ld %s  %.0f/s  %ld:%02ld left  ", done, total_, unit_,
                  rate, left / 60, left % 60);
  } else {
    std::snprintf(line, sizeof line, "\r%ld %s  %.0f/s  ", done, unit_, rate);
  }
  std::fputs(line, stderr);
  shown_ = true;
}

void Progress::finish() {
  if (shown_) std::fputs("\r\033[K", stderr);
  shown_ = false;
  enabled_ = false;
}

std::string ByteOrderOf(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return "";
  unsigned char b[4];
  const bool ok = pread(fd, b, 4, 64) == 4;
  close(fd);
  if (!ok) return "";
  const std::uint32_t little =
      b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
  return little >= 1 && little <= 3 ? "little" : "big";
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

long long FileSize(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return -1;
  return static_cast<long long>(st.st_size);
}

}  // namespace xova_tool
