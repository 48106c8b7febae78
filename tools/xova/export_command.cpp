// xova export: the cases as CSV, TSV or JSON lines, optionally on several
// threads whose output is put together in order.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "commands.h"
#include "text_escape.h"
#include "xovaio32.hpp"

namespace xova_tool {

namespace {

// Opens and closes of the library must not overlap.
std::mutex g_openClose;

enum class Kind { kCsv, kTsv, kJsonl };

struct Column {
  std::string name;
  xovaio32::VarRef ref;
  std::string jsonKey;  // "name": for jsonl
  std::map<double, std::string> numberLabels;
  std::map<std::string, std::string> stringLabels;  // by the value without trailing blanks
};

std::uint64_t Bits(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

class CaseFormatter {
 public:
  CaseFormatter(Kind kind, const std::vector<Column>& columns, bool labels)
      : kind_(kind), columns_(columns), labels_(labels), sysmis_(Bits(xovaSysmisVal())) {
    // The longest a row can be, so it is written without checks.
    maxRow_ = 4;
    for (const Column& c : columns_) {
      std::size_t most =
          c.ref.width == 0 ? kMaxNumberBytes + 2 : static_cast<std::size_t>(c.ref.width);
      for (const auto& l : c.numberLabels) most = std::max(most, l.second.size());
      for (const auto& l : c.stringLabels) most = std::max(most, l.second.size());
      maxRow_ += MaxJsonBytes(most) + c.jsonKey.size() + 1;
    }
  }

  std::string Header() const {
    std::string out;
    if (kind_ == Kind::kJsonl) return out;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      if (i) out += Separator();
      if (kind_ == Kind::kTsv)
        AppendTsvField(out, columns_[i].name);
      else
        AppendCsvField(out, columns_[i].name, ',');
    }
    out += '\n';
    return out;
  }

  void Row(const char* record, Sink& sink) const {
    char* p = sink.reserve(maxRow_);
    if (kind_ == Kind::kJsonl) *p++ = '{';
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      const Column& c = columns_[i];
      if (kind_ == Kind::kJsonl) {
        if (i) *p++ = ',';
        std::memcpy(p, c.jsonKey.data(), c.jsonKey.size());
        p += c.jsonKey.size();
      } else if (i) {
        *p++ = Separator();
      }
      const char* at = record + c.ref.offset;
      if (c.ref.width == 0) {
        double v;
        std::memcpy(&v, at, sizeof v);
        if (Bits(v) == sysmis_) {
          if (kind_ == Kind::kJsonl) std::memcpy(p, "null", 4), p += 4;
          continue;
        }
        if (labels_ && !c.numberLabels.empty() && !std::isnan(v)) {
          const auto it = c.numberLabels.find(v);
          if (it != c.numberLabels.end()) {
            p = Text(p, it->second);
            continue;
          }
        }
        if (kind_ == Kind::kJsonl && !std::isfinite(v)) {
          // JSON has no such numbers: the CSV's words, as strings.
          *p++ = '"';
          p = PutNumber(p, v);
          *p++ = '"';
        } else {
          p = PutNumber(p, v);
        }
      } else {
        std::size_t n = static_cast<std::size_t>(c.ref.width);
        while (n > 0 && at[n - 1] == ' ') --n;
        if (labels_ && !c.stringLabels.empty()) {
          const auto it = c.stringLabels.find(std::string(at, n));
          if (it != c.stringLabels.end()) {
            p = Text(p, it->second);
            continue;
          }
        }
        p = Text(p, std::string_view(at, n));
      }
    }
    if (kind_ == Kind::kJsonl) *p++ = '}';
    *p++ = '\n';
    sink.advance(p);
  }

 private:
  char Separator() const { return kind_ == Kind::kTsv ? '\t' : ','; }
  char* Text(char* p, std::string_view s) const {
    switch (kind_) {
      case Kind::kCsv:
        return PutCsvField(p, s, ',');
      case Kind::kTsv:
        return PutTsvField(p, s);
      case Kind::kJsonl:
        return PutJsonText(p, s);
    }
    return p;
  }
  Kind kind_;
  const std::vector<Column>& columns_;
  bool labels_;
  std::uint64_t sysmis_;
  std::size_t maxRow_;
};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::vector<Column> ChooseColumns(const xovaio32::Reader& r, const xovaio32::Dictionary& d,
                                  const std::vector<std::string>& wanted, bool labels) {
  std::vector<const xovaio32::Variable*> vars;
  if (wanted.empty()) {
    for (const auto& v : d.variables) vars.push_back(&v);
  } else {
    std::map<std::string, const xovaio32::Variable*> byName;
    for (const auto& v : d.variables) byName.emplace(Lower(v.name), &v);
    std::set<std::string> seen;
    for (const auto& w : wanted) {
      // A column twice would give a JSON object the same key twice.
      if (!seen.insert(Lower(w)).second) throw UsageError("--columns names " + w + " twice");
      const auto it = byName.find(Lower(w));
      if (it == byName.end())
        throw xovaio32::Error(XOVA_NO_SUCH_VARIABLE, r.path(), "--columns " + w);
      vars.push_back(it->second);
    }
  }
  std::vector<Column> cols;
  for (const auto* v : vars) {
    Column c;
    c.name = v->name;
    c.ref = r.variable(v->name);
    std::string key;
    AppendJsonText(key, v->name);
    c.jsonKey = key + ":";
    if (labels) {
      for (const auto& l : v->numericLabels) c.numberLabels.emplace(l.value, l.label);
      for (const auto& l : v->stringLabels) {
        std::string value = l.value;
        while (!value.empty() && value.back() == ' ') value.pop_back();
        c.stringLabels.emplace(value, l.label);
      }
    }
    cols.push_back(std::move(c));
  }
  return cols;
}

struct Range {
  long first;
  long count;  // -1: to the end
};

// Exports one range through its own read handle; returns the cases written.
long ExportRange(const std::string& file, const std::vector<std::string>& names, Kind kind,
                 const std::vector<Column>& proto, bool labels, Range range, Sink& sink,
                 std::atomic<long>& done, Progress* progress) {
  std::unique_ptr<xovaio32::Reader> r;
  {
    std::lock_guard<std::mutex> lock(g_openClose);
    r = std::make_unique<xovaio32::Reader>(file);
  }
  std::vector<Column> cols = proto;
  for (std::size_t i = 0; i < cols.size(); ++i) cols[i].ref = r->variable(names[i]);
  CaseFormatter fmt(kind, cols, labels);
  if (range.first > 0) r->seek(static_cast<int>(range.first));
  long n = 0;
  while ((range.count < 0 || n < range.count) && r->next()) {
    fmt.Row(r->caseData(), sink);
    sink.maybeFlush();
    ++n;
    if ((n & 1023) == 0) {
      const long total = done.fetch_add(1024) + 1024;
      if (progress) progress->set(total);
    }
  }
  done.fetch_add(n & 1023);
  std::lock_guard<std::mutex> lock(g_openClose);
  r.reset();
  return n;
}

int TempFile() {
  const char* dir = std::getenv("TMPDIR");
  std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/xova-export-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) throw ToolError(pattern, "cannot create a temporary file", std::strerror(errno));
  unlink(name.data());
  return fd;
}

// Copies a thread's part behind what is written: in the kernel where the two
// files allow it, else through the sink.
void Append(int from, Sink& to) {
  const off_t size = lseek(from, 0, SEEK_END);
  if (size < 0) throw ToolError("temporary file", "size", std::strerror(errno));
  to.flush();
  loff_t at = 0;
  while (at < size) {
    const ssize_t n =
        copy_file_range(from, &at, to.fd(), nullptr, static_cast<std::size_t>(size - at), 0);
    if (n > 0) continue;
    if (n < 0 && errno == EINTR) continue;
    break;  // not between these two (a pipe, another file system): a real
            // write error shows again below
  }
  while (at < size) {
    char* p = to.reserve(Sink::kBuffer);
    const ssize_t n = pread(from, p, Sink::kBuffer, at);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw ToolError("temporary file", "read", std::strerror(errno));
    }
    if (n == 0) throw ToolError("temporary file", "read", "ends early");
    at += n;
    to.advance(p + n);
    to.maybeFlush();
  }
}

}  // namespace

int ExportCommand(const ExportOptions& o) {
  const Kind kind = o.format == "tsv"     ? Kind::kTsv
                    : o.format == "jsonl" ? Kind::kJsonl
                                          : Kind::kCsv;
  const Rows rows = o.rows.empty() ? Rows{} : ParseRows(o.rows);
  if (!o.output.empty() && SameFile(o.file, o.output))
    throw UsageError("the output " + o.output + " is the Dataset file being exported");

  xovaio32::Reader r(o.file);
  const xovaio32::Dictionary d = r.dictionary();
  const std::vector<Column> cols = ChooseColumns(r, d, o.columns, o.labels);
  std::vector<std::string> names;
  for (const auto& c : cols) names.push_back(c.name);

  // How many cases: the header's count when it has one.
  const long recorded = r.caseCount();
  long end = rows.last ? *rows.last : -1;
  if (recorded >= 0 && (end < 0 || end > recorded)) end = recorded;
  const long first = end >= 0 ? std::min(rows.first, end) : rows.first;
  const long wanted = end >= 0 ? end - first : -1;
  r.close();

  std::unique_ptr<OutputFile> outFile;
  int fd = STDOUT_FILENO;
  std::string outName = "standard output";
  if (!o.output.empty() && o.output != "-" && !IsStandardOutput(o.output)) {
    outFile = std::make_unique<OutputFile>(o.output, true);
    fd = open(outFile->temporary().c_str(), O_WRONLY | O_TRUNC);
    if (fd < 0) throw ToolError(o.output, "cannot open for writing", std::strerror(errno));
    outName = o.output;
  }
  struct FdCloser {
    int fd;
    ~FdCloser() {
      if (fd != STDOUT_FILENO) close(fd);
    }
  } closer{fd};

  Sink sink(fd, outName);
  sink.write(CaseFormatter(kind, cols, o.labels).Header());

  // Several threads only when the number of cases is known.
  int jobs = o.jobs;
  if (recorded < 0 || wanted < 2L * jobs) jobs = 1;
  std::vector<Range> ranges;
  if (jobs == 1) {
    ranges.push_back({first, wanted});
  } else {
    // The first range is a little shorter: its thread then also copies the
    // others' parts behind it, at about a twentieth of the cost of making them.
    const double head = std::max(0.5, 1.0 - 0.05 * (jobs - 1));
    const double share = wanted / (head + (jobs - 1));
    long a = first;
    for (int t = 0; t < jobs; ++t) {
      const long b = t + 1 == jobs ? first + wanted : first + static_cast<long>(share * (head + t));
      ranges.push_back({a, b - a});
      a = b;
    }
  }

  Progress progress(o.quiet, wanted);
  std::atomic<long> done{0};
  std::vector<long> written(ranges.size(), 0);
  std::vector<std::exception_ptr> failures(ranges.size());
  std::vector<int> temps(ranges.size(), -1);
  struct TempCloser {
    std::vector<int>& fds;
    ~TempCloser() {
      for (int f : fds)
        if (f >= 0) close(f);
    }
  } tempCloser{temps};
  std::vector<std::unique_ptr<Sink>> sinks;
  for (std::size_t t = 1; t < ranges.size(); ++t) {
    temps[t] = TempFile();
    sinks.push_back(std::make_unique<Sink>(temps[t], "temporary file"));
  }
  std::vector<std::thread> threads;
  for (std::size_t t = 1; t < ranges.size(); ++t) {
    threads.emplace_back([&, t] {
      try {
        Sink& s = *sinks[t - 1];
        written[t] = ExportRange(o.file, names, kind, cols, o.labels, ranges[t], s, done, nullptr);
        s.flush();
      } catch (...) {
        failures[t] = std::current_exception();
      }
    });
  }
  try {
    written[0] = ExportRange(o.file, names, kind, cols, o.labels, ranges[0], sink, done, &progress);
  } catch (...) {
    failures[0] = std::current_exception();
  }
  for (auto& th : threads) th.join();
  progress.finish();
  for (std::size_t t = 0; t < ranges.size(); ++t) {
    if (failures[t]) std::rethrow_exception(failures[t]);
    // Without a recorded count the data simply ends where it ends, as it
    // does for a recorded count that LAST goes beyond.
    if (recorded >= 0 && written[t] < ranges[t].count) {
      const long at = ranges[t].first + written[t];
      throw xovaio32::Error(XOVA_END_OF_DATA, o.file,
                            "case " + std::to_string(at) + " cannot be read (the file holds " +
                                std::to_string(recorded) + ")");
    }
  }
  for (std::size_t t = 1; t < ranges.size(); ++t) Append(temps[t], sink);
  sink.flush();
  if (outFile) {
    outFile->commit();
  }
  return kExitOk;
}

}  // namespace xova_tool
