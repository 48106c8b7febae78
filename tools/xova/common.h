// What every xova command shares: errors and exit statuses, output files that
// appear whole or not at all, the progress bar and case ranges.
#ifndef XOVA_TOOLS_COMMON_H
#define XOVA_TOOLS_COMMON_H

#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace xova_tool {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // damaged file, failed operation, bad input
constexpr int kExitUsage = 2;

// A failure outside the library: reported as "xova: FILE: OPERATION: reason".
class ToolError : public std::runtime_error {
 public:
  ToolError(const std::string& file, const std::string& operation, const std::string& reason)
      : std::runtime_error(file + ": " + operation + ": " + reason) {}
};

// A usage error found after parsing (exit 2).
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Options every command has.
struct CommonOptions {
  bool quiet = false;
};

// A file written under a temporary name beside its final one and renamed into
// place by commit(); removed if the command fails or is interrupted first.
// An existing output that is no regular file (a pipe, a terminal, /dev/null)
// would be replaced by the rename: text output is then written straight to
// it (`streams`), and anything else is refused. /dev/stdout and the like
// are standard output for text (see IsStandardOutput).
class OutputFile {
 public:
  explicit OutputFile(const std::string& path, bool streams = false);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  const std::string& temporary() const { return temp_; }
  const std::string& path() const { return path_; }
  void commit();

 private:
  std::string path_;
  std::string target_;  // path_ with symbolic links resolved
  std::string temp_;
  bool committed_ = false;
  bool direct_ = false;
};

// Whether a path names this process's standard output (/dev/stdout,
// /dev/fd/1, /proc/self/fd/1): written as such, since it may be a file the
// shell opened for appending.
bool IsStandardOutput(const std::string& path);

// Removes pending temporary files on SIGINT, SIGTERM, SIGHUP and SIGPIPE.
void InstallCleanupHandlers();

// Buffered output to a file descriptor, written in pieces of about 64 KiB.
class Sink {
 public:
  static constexpr std::size_t kBuffer = 64 * 1024;
  Sink(int fd, std::string name) : fd_(fd), name_(std::move(name)), buf_(2 * kBuffer) {}
  // Room for at least `most` bytes at the end of what is buffered; advance()
  // keeps what was written there.
  char* reserve(std::size_t most) {
    if (used_ + most > buf_.size()) {
      flush();
      if (most > buf_.size()) buf_.resize(most);
    }
    return buf_.data() + used_;
  }
  void advance(const char* end) { used_ = static_cast<std::size_t>(end - buf_.data()); }
  void write(std::string_view bytes) {
    char* p = reserve(bytes.size());
    std::memcpy(p, bytes.data(), bytes.size());
    advance(p + bytes.size());
  }
  void maybeFlush() {
    if (used_ >= kBuffer) flush();
  }
  void flush();
  int fd() const { return fd_; }
  const std::string& name() const { return name_; }

 private:
  int fd_;
  std::string name_;
  std::vector<char> buf_;
  std::size_t used_ = 0;
};

// Cases FIRST:LAST, counted from 0, LAST exclusive; either may be left out.
struct Rows {
  long first = 0;
  std::optional<long> last;
};
Rows ParseRows(const std::string& text);  // throws UsageError

// A progress line on stderr: only when stderr is a terminal, not --quiet, and
// the work has taken more than a moment.
class Progress {
 public:
  Progress(bool quiet, long total, const char* unit = "cases");
  ~Progress() { finish(); }
  void update(long done) {
    if (enabled_ && (done & 1023) == 0) draw(done, false);
  }
  void set(long done) {
    if (enabled_) draw(done, false);
  }
  void finish();

 private:
  void draw(long done, bool force);
  bool enabled_;
  long total_;
  const char* unit_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point last_;
};

// The byte order of a Dataset file, from its version code; empty when the
// file cannot be read.
std::string ByteOrderOf(const std::string& path);
long long FileSize(const std::string& path);
// Whether two paths name one existing file.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace xova_tool

#endif
