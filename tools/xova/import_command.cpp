// xova import: a new Dataset file from a CSV with a header line, its
// dictionary from JSON, from another Dataset file, or inferred from the data.
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "commands.h"
#include "csv_input.h"
#include "dict_json.h"
#include "text_escape.h"
#include "xovaio32.hpp"

namespace xova_tool {

namespace {

constexpr int kMaxWidth = 255;

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f && f != stdin) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr OpenInput(const std::string& path) {
  if (path == "-") return FilePtr(stdin);
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw ToolError(path, "cannot open for reading", std::strerror(errno));
  return FilePtr(f);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ToolError(path, "cannot open for reading", std::strerror(errno));
  std::ostringstream s;
  s << in.rdbuf();
  if (in.bad()) throw ToolError(path, "read", "failed");
  return s.str();
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string Quoted(std::string_view s) {
  std::string q = "\"";
  for (char c : s.substr(0, 40)) q += (static_cast<unsigned char>(c) < 0x20 ? '?' : c);
  if (s.size() > 40) q += "...";
  return q + "\"";
}

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A valid, unused variable name for a header; `used` holds folded names.
std::string RepairName(const std::string& header, long column, std::set<std::string>& used) {
  std::string name = header;
  // The library sees a name only up to a NUL byte, which no name may hold.
  if (name.find('\0') != std::string::npos ||
      xovaValidateVarname(name.c_str()) != XOVA_NAME_VALID) {
    std::string fixed;
    for (char c : name) {
      const bool ok =
          IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '_' || c == '.' || c == '@';
      fixed += ok ? c : '_';
    }
    if (fixed.empty() || !IsAsciiLetter(fixed[0])) fixed = "v" + fixed;
    if (fixed.size() > 64) fixed.resize(64);
    if (xovaValidateVarname(fixed.c_str()) != XOVA_NAME_VALID) fixed += "_";
    if (fixed.size() > 64 || xovaValidateVarname(fixed.c_str()) != XOVA_NAME_VALID)
      fixed = "v" + std::to_string(column);
    name = fixed;
  }
  std::string unique = name;
  for (int k = 2; used.count(Lower(unique)); ++k) {
    const std::string suffix = "_" + std::to_string(k);
    unique = name.substr(0, 64 - suffix.size()) + suffix;
  }
  used.insert(Lower(unique));
  return unique;
}

struct ColumnStats {
  bool numeric = true;
  std::size_t width = 0;
  long tooWideLine = 0;
};

// First pass without a dictionary: types, widths and names from the data.
xovaio32::Dictionary InferDictionary(std::FILE* in, const std::string& csvName) {
  std::vector<std::string> headers;
  std::vector<ColumnStats> stats;
  CsvInput csv([&](const std::vector<std::string_view>& f, long line) {
    if (line == 1) {
      for (auto h : f) headers.emplace_back(h);
      stats.resize(f.size());
      return;
    }
    if (f.size() == 1 && f[0].empty() && headers.size() > 1) return;  // a blank line
    if (f.size() != headers.size())
      throw CsvError(line, 0,
                     std::to_string(f.size()) + " fields where the header has " +
                         std::to_string(headers.size()));
    for (std::size_t i = 0; i < f.size(); ++i) {
      ColumnStats& s = stats[i];
      std::string_view v = f[i];
      while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
      if (v.empty()) continue;
      double d;
      if (s.numeric && !ParseNumber(f[i], d)) s.numeric = false;
      if (v.size() > s.width) s.width = v.size();
      if (v.size() > static_cast<std::size_t>(kMaxWidth) && !s.tooWideLine) s.tooWideLine = line;
    }
  });
  csv.ReadAll(in);
  if (headers.empty()) throw ToolError(csvName, "import", "the CSV is empty: no header line");
  xovaio32::Dictionary d;
  d.compressed = true;
  std::set<std::string> used;
  for (std::size_t i = 0; i < headers.size(); ++i) {
    const long column = static_cast<long>(i) + 1;
    const ColumnStats& s = stats[i];
    if (!s.numeric && s.tooWideLine)
      throw CsvError(s.tooWideLine, column, "a string longer than 255 bytes");
    xovaio32::Variable v;
    v.name = RepairName(headers[i], column, used);
    if (v.name != headers[i])
      std::fprintf(stderr, "xova: %s: column %ld %s renamed to %s\n", csvName.c_str(), column,
                   Quoted(headers[i]).c_str(), v.name.c_str());
    v.width = s.numeric ? 0 : static_cast<int>(std::max<std::size_t>(1, s.width));
    v.print = s.numeric ? xovaio32::Format{5, 8, 2} : xovaio32::Format{1, v.width, 0};
    v.write = v.print;
    v.measureLevel = v.defaultMeasureLevel();
    v.alignment = v.defaultAlignment();
    d.variables.push_back(std::move(v));
  }
  return d;
}

struct Target {
  std::string name;
  xovaio32::VarRef ref;
};

// Second pass: every record into a whole case.
class CaseFiller {
 public:
  CaseFiller(xovaio32::Writer& w, const ImportOptions& o) : w_(w), o_(o) {
    int n = 0;
    char** names = nullptr;
    int* types = nullptr;
    xovaio32::Check(xovaGetVarNames(w.handle(), &n, &names, &types), w.path(), "variable names");
    try {
      for (int i = 0; i < n; ++i) vars_.push_back(names[i]);
    } catch (...) {
      xovaFreeVarNames(names, types, n);
      throw;
    }
    xovaFreeVarNames(names, types, n);
    blank_.assign(w.caseSize(), ' ');
    const double sysmis = xovaSysmisVal();
    for (const auto& v : vars_) {
      const xovaio32::VarRef r = w.variable(v);
      if (r.width == 0) std::memcpy(&blank_[r.offset], &sysmis, sizeof sysmis);
    }
    case_ = blank_;
  }

  // Without a dictionary the variables were made from the columns, in order.
  void Header(const std::vector<std::string_view>& f, bool positional) {
    if (positional) {
      if (f.size() != vars_.size())
        throw CsvError(1, 0, "the header changed between the two passes");
      for (const auto& v : vars_) targets_.push_back({v, w_.variable(v)});
      return;
    }
    std::map<std::string, std::string> byName;
    for (const auto& v : vars_) byName.emplace(Lower(v), v);
    std::set<std::string> seen;
    for (std::size_t i = 0; i < f.size(); ++i) {
      const std::string col(f[i]);
      const auto it = byName.find(Lower(col));
      if (it == byName.end()) {
        if (!o_.ignoreExtraColumns)
          throw CsvError(
              1, static_cast<long>(i) + 1,
              "column " + Quoted(col) + " names no variable (--ignore-extra-columns skips it)");
        targets_.push_back({col, xovaio32::VarRef{0, 0, -1}});
        continue;
      }
      if (!seen.insert(it->first).second)
        throw CsvError(1, static_cast<long>(i) + 1, "column " + Quoted(col) + " appears twice");
      targets_.push_back({it->second, w_.variable(it->second)});
    }
    for (const auto& v : vars_) {
      if (!seen.count(Lower(v)) && !o_.allowMissingColumns)
        throw CsvError(1, 0,
                       "variable " + v +
                           " has no column (--allow-missing-columns "
                           "leaves it system-missing or blank)");
    }
  }

  void Row(const std::vector<std::string_view>& f, long line) {
    if (f.size() == 1 && f[0].empty() && targets_.size() > 1) return;  // a blank line
    if (f.size() != targets_.size())
      throw CsvError(line, 0,
                     std::to_string(f.size()) + " fields where the header has " +
                         std::to_string(targets_.size()));
    std::memcpy(case_.data(), blank_.data(), case_.size());
    for (std::size_t i = 0; i < f.size(); ++i) {
      const Target& t = targets_[i];
      if (t.ref.width < 0) continue;
      char* at = case_.data() + t.ref.offset;
      std::string_view v = f[i];
      if (t.ref.width == 0) {
        if (v.empty()) continue;  // system-missing, as the blank case has it
        double d;
        // Most numbers have no blanks or sign to strip first.
        const char* last = v.data() + v.size();
        if (v.front() != ' ' && v.front() != '+' && v.back() != ' ') {
          const auto r = std::from_chars(v.data(), last, d);
          if (r.ec == std::errc() && r.ptr == last) {
            std::memcpy(at, &d, sizeof d);
            continue;
          }
        }
        // Blank: system-missing too.
        if (v.find_first_not_of(' ') == std::string_view::npos) continue;
        if (!ParseNumber(v, d))
          throw CsvError(line, static_cast<long>(i) + 1,
                         "not a number in numeric variable " + t.name + ": " + Quoted(v));
        std::memcpy(at, &d, sizeof d);
      } else {
        std::string_view kept = v;
        while (kept.size() > static_cast<std::size_t>(t.ref.width) && kept.back() == ' ')
          kept.remove_suffix(1);
        if (kept.size() > static_cast<std::size_t>(t.ref.width))
          throw CsvError(line, static_cast<long>(i) + 1,
                         std::to_string(v.size()) + " bytes do not fit variable " + t.name +
                             " of width " + std::to_string(t.ref.width));
        std::memcpy(at, kept.data(), kept.size());
      }
    }
    w_.writeCase(case_.data());
    ++cases_;
  }

  long cases() const { return cases_; }

 private:
  xovaio32::Writer& w_;
  const ImportOptions& o_;
  std::vector<std::string> vars_;
  std::vector<Target> targets_;
  std::vector<char> blank_;
  std::vector<char> case_;
  long cases_ = 0;
};

}  // namespace

int ImportCommand(const ImportOptions& o) {
  if (o.csv != "-" && SameFile(o.csv, o.output))
    throw UsageError("the output " + o.output + " is the CSV being imported");
  FilePtr in = OpenInput(o.csv);
  const std::string csvName = o.csv == "-" ? "standard input" : o.csv;
  try {
    xovaio32::Dictionary d;
    const bool inferred = o.dict.empty() && o.like.empty();
    if (!o.dict.empty()) {
      try {
        d = DictionaryFromJsonText(ReadWholeFile(o.dict));
      } catch (const DictJsonError& e) {
        throw ToolError(o.dict, "read dictionary", e.what());
      }
    } else if (inferred) {
      // Two passes: standard input is kept in a temporary file for the second.
      if (o.csv == "-") {
        std::FILE* spool = std::tmpfile();
        if (!spool) throw ToolError("standard input", "cannot keep a copy", std::strerror(errno));
        char buf[1 << 16];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, stdin)) > 0) {
          if (std::fwrite(buf, 1, n, spool) != n)
            throw ToolError("standard input", "cannot keep a copy", std::strerror(errno));
        }
        if (std::ferror(stdin)) throw ToolError("standard input", "read", "failed");
        in.reset(spool);
        std::rewind(in.get());
      }
      d = InferDictionary(in.get(), csvName);
      std::rewind(in.get());
    }

    OutputFile out(o.output);
    std::unique_ptr<xovaio32::Writer> w;
    if (!o.like.empty()) {
      w = std::make_unique<xovaio32::Writer>(out.temporary(), o.like);
    } else {
      w = std::make_unique<xovaio32::Writer>(out.temporary());
      std::vector<std::string> cut;  // texts the file holds shorter than given
      w->define(d, &cut);
      for (std::string& line : cut) {
        if (line.compare(0, out.temporary().size(), out.temporary()) == 0)
          line.replace(0, out.temporary().size(), o.output);
        std::fprintf(stderr, "xova: %s\n", line.c_str());
      }
    }
    if (o.compress || o.noCompress) w->setCompression(o.compress);
    if (o.haveLabel &&
        xovaio32::Check(xovaSetIdString(w->handle(), o.label.c_str()), w->path(), "file label") < 0)
      std::fprintf(stderr, "xova: %s: the file label was cut to 64 bytes\n", o.output.c_str());
    w->commit();

    CaseFiller filler(*w, o);
    const long long size = o.csv == "-" ? -1 : FileSize(o.csv);
    Progress progress(o.quiet, static_cast<long>(size), "bytes");
    CsvInput csv([&](const std::vector<std::string_view>& f, long line) {
      if (line == 1)
        filler.Header(f, inferred);
      else
        filler.Row(f, line);
    });
    csv.ReadAll(in.get(), [&](std::size_t bytes) { progress.set(static_cast<long>(bytes)); });
    progress.finish();
    if (csv.records() == 0) throw ToolError(csvName, "import", "the CSV is empty: no header line");
    w->close();
    out.commit();
  } catch (const CsvError& e) {
    throw ToolError(csvName, "import", e.what());
  } catch (const xovaio32::Error& e) {
    // Name the file the user gave, not the temporary one.
    if (e.file() != o.dict && e.file() != o.like)
      throw xovaio32::Error(e.code(), o.output, e.operation());
    throw;
  }
  return kExitOk;
}

}  // namespace xova_tool
