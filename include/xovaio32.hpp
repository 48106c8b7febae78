// xovaio32 for C++17: handles that close themselves, errors as exceptions,
// and a Dictionary value that is read from an open file and defined on a new
// one in one call each. Header-only, over the C interface of xovaio32.h.
//
// Threads: as for the C interface, open and close calls must not run at the
// same time as each other; each handle is used by one thread at a time.
#ifndef XOVAIO32_HPP
#define XOVAIO32_HPP

#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "xovaio32.h"
#include "xovaio32_codes.h"

namespace xovaio32 {

// A failed call: the result code, its name, the file and what was being done.
class Error : public std::runtime_error {
 public:
  Error(int code, std::string file, std::string operation)
      : std::runtime_error(file + ": " + operation + ": " + xovaResultName(code) + " (" +
                           std::to_string(code) + ")"),
        code_(code),
        file_(std::move(file)),
        operation_(std::move(operation)) {}
  int code() const noexcept { return code_; }
  const char* name() const noexcept { return xovaResultName(code_); }
  const char* message() const noexcept { return xovaResultMessage(code_); }
  const std::string& file() const noexcept { return file_; }
  const std::string& operation() const noexcept { return operation_; }

 private:
  int code_;
  std::string file_;
  std::string operation_;
};

// Throws for an error code; warnings (negative codes) pass and are returned.
inline int Check(int rc, const std::string& file, const std::string& operation) {
  if (rc > 0) throw Error(rc, file, operation);
  return rc;
}

// Check, keeping each warning (a text cut to fit, say) as "file: operation:
// NAME (code): message" in `warnings` when one is given.
inline int Note(int rc, const std::string& file, const std::string& operation,
                std::vector<std::string>* warnings) {
  if (Check(rc, file, operation) < 0 && warnings)
    warnings->push_back(file + ": " + operation + ": " + xovaResultName(rc) + " (" +
                        std::to_string(rc) + "): " + xovaResultMessage(rc));
  return rc;
}

// Formats packed as the file stores them: type, width, decimals.
struct Format {
  int type = 0;
  int width = 0;
  int decimals = 0;
  bool operator==(const Format& o) const {
    return type == o.type && width == o.width && decimals == o.decimals;
  }
  bool operator!=(const Format& o) const { return !(*this == o); }
};

// Missing values: code 0 none, 1..3 discrete values, -2 a range (first..second),
// -3 a range and a third, discrete value. Numeric variables use `numbers`,
// strings of width 1..8 use `strings` (padded with blanks to the width).
struct MissingValues {
  int code = 0;
  double numbers[3] = {0, 0, 0};
  std::string strings[3];
};

struct NumericLabel {
  double value;
  std::string label;
};

struct StringLabel {
  std::string value;  // trailing blanks do not count
  std::string label;
};

struct Variable {
  std::string name;
  int width = 0;  // 0 numeric, 1..255 string
  std::optional<std::string> label;
  Format print;
  Format write;
  MissingValues missing;
  std::vector<NumericLabel> numericLabels;  // numeric variables
  std::vector<StringLabel> stringLabels;    // strings of width 1..8
  int measureLevel = 0;                     // 1 nominal, 2 ordinal, 3 scale
  int columnWidth = 0;
  int alignment = 0;  // 0 left, 1 right, 2 centre

  bool numeric() const { return width == 0; }
  int defaultMeasureLevel() const { return width == 0 ? 3 : 1; }
  int defaultAlignment() const { return width == 0 ? 1 : 0; }
};

// Everything a file's dictionary holds that the interface can set and query,
// but the documents, which only xovaCopyDocuments moves between open files.
struct Dictionary {
  std::string fileLabel;
  bool compressed = false;
  std::optional<std::string> weight;  // the weight variable's name
  std::vector<Variable> variables;
  std::string multipleResponseSets;  // set text with long names; empty: none
  std::string variableSets;          // likewise
  std::vector<int> dateInfo;
  std::string qeb;  // opaque bytes; empty: none
  std::string qebGuid;
  std::string textInfo;

  const Variable* find(std::string_view name) const {
    for (const Variable& v : variables)
      if (v.name == name) return &v;
    return nullptr;
  }
};

// Where a variable's value lies in a whole case, and the handle for getters
// and setters.
struct VarRef {
  double handle = 0;
  std::size_t offset = 0;  // bytes from the start of the case
  int width = 0;
};

namespace detail {

inline VarRef MakeRef(int h, const std::string& file, const std::string& name) {
  VarRef r;
  Check(xovaGetVarHandle(h, name.c_str(), &r.handle), file, "variable " + name);
  std::uint64_t bits;
  std::memcpy(&bits, &r.handle, sizeof bits);
  const std::uint32_t position = static_cast<std::uint32_t>(bits & 0xFFFFFFFFu);
  r.offset = static_cast<std::size_t>(position - 1) * 8;
  r.width = static_cast<int>((bits >> 32) & 0xFFu);
  return r;
}

inline std::string Text(const char* s) {
  return s ? std::string(s) : std::string();
}

inline Dictionary ReadDictionary(int h, const std::string& file) {
  Dictionary d;
  char buf[512];
  Check(xovaGetIdString(h, buf), file, "file label");
  d.fileLabel = buf;
  int comp = 0;
  Check(xovaGetCompression(h, &comp), file, "compression");
  d.compressed = comp != 0;
  if (Check(xovaGetCaseWeightVar(h, buf), file, "weight variable") == XOVA_OK) d.weight = buf;

  int n = 0;
  char** names = nullptr;
  int* types = nullptr;
  Check(xovaGetVarNames(h, &n, &names, &types), file, "variable names");
  try {
    d.variables.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
      d.variables[i].name = names[i];
      d.variables[i].width = types[i];
    }
  } catch (...) {
    xovaFreeVarNames(names, types, n);
    throw;
  }
  xovaFreeVarNames(names, types, n);

  for (Variable& v : d.variables) {
    const char* vn = v.name.c_str();
    const std::string op = "variable " + v.name;
    char label[260];
    int len = 0;
    if (Check(xovaGetVarLabelLong(h, vn, label, sizeof label, &len), file, op) == XOVA_OK)
      v.label = std::string(label, static_cast<std::size_t>(len));
    Check(xovaGetVarPrintFormat(h, vn, &v.print.type, &v.print.decimals, &v.print.width), file, op);
    Check(xovaGetVarWriteFormat(h, vn, &v.write.type, &v.write.decimals, &v.write.width), file, op);
    Check(xovaGetVarMeasureLevel(h, vn, &v.measureLevel), file, op);
    Check(xovaGetVarColumnWidth(h, vn, &v.columnWidth), file, op);
    Check(xovaGetVarAlignment(h, vn, &v.alignment), file, op);
    if (v.numeric()) {
      MissingValues& m = v.missing;
      Check(xovaGetVarNMissingValues(h, vn, &m.code, &m.numbers[0], &m.numbers[1], &m.numbers[2]),
            file, op);
      double* values = nullptr;
      char** labels = nullptr;
      int count = 0;
      if (Check(xovaGetVarNValueLabels(h, vn, &values, &labels, &count), file, op) == XOVA_OK) {
        try {
          for (int i = 0; i < count; ++i) v.numericLabels.push_back({values[i], labels[i]});
        } catch (...) {
          xovaFreeVarNValueLabels(values, labels, count);
          throw;
        }
        xovaFreeVarNValueLabels(values, labels, count);
      }
    } else if (v.width <= 8) {
      char s[3][16] = {{0}, {0}, {0}};
      Check(xovaGetVarCMissingValues(h, vn, &v.missing.code, s[0], s[1], s[2]), file, op);
      for (int i = 0; i < v.missing.code && i < 3; ++i) v.missing.strings[i] = s[i];
      char** values = nullptr;
      char** labels = nullptr;
      int count = 0;
      if (Check(xovaGetVarCValueLabels(h, vn, &values, &labels, &count), file, op) == XOVA_OK) {
        try {
          for (int i = 0; i < count; ++i) v.stringLabels.push_back({values[i], labels[i]});
        } catch (...) {
          xovaFreeVarCValueLabels(values, labels, count);
          throw;
        }
        xovaFreeVarCValueLabels(values, labels, count);
      }
    }
  }

  char* text = nullptr;
  if (Check(xovaGetMultRespDefs(h, &text), file, "multiple-response sets") == XOVA_OK) {
    d.multipleResponseSets = Text(text);
    xovaFreeMultRespDefs(text);
  }
  text = nullptr;
  if (Check(xovaGetVariableSets(h, &text), file, "variable sets") == XOVA_OK) {
    d.variableSets = Text(text);
    xovaFreeVariableSets(text);
  }
  int count = 0;
  int* dates = nullptr;
  if (Check(xovaGetDateVariables(h, &count, &dates), file, "date variables") == XOVA_OK) {
    d.dateInfo.assign(dates, dates + count);
    xovaFreeDateVariables(dates);
  }
  int total = 0, lastWord = 0;
  if (Check(xovaGetQEBInfo(h, &total, &lastWord), file, "QEB information") == XOVA_OK &&
      total > 0) {
    d.qeb.resize(static_cast<std::size_t>(total));
    int got = 0;
    Check(xovaGetQEBFirst(h, &d.qeb[0], total, &got), file, "QEB information");
    d.qeb.resize(static_cast<std::size_t>(got));
  }
  char guid[260] = {0};
  Check(xovaGetQEBGUID(h, guid), file, "QEB GUID");
  d.qebGuid = guid;
  char info[260] = {0};
  Check(xovaGetTextInfo(h, info), file, "text information");
  d.textInfo = info;
  return d;
}

// One list call per group of variables with identical labels, so that they
// share one label set in the file as they did in the source.
template <typename Label, typename ValueOf>
void DefineLabelGroups(
    const std::vector<std::pair<const Variable*, const std::vector<Label>*>>& labelled,
    ValueOf valueOf, int h, const std::string& file, bool numeric,
    std::vector<std::string>* warnings) {
  std::map<std::vector<std::pair<std::string, std::string>>, std::vector<const char*>> groups;
  std::vector<std::vector<std::pair<std::string, std::string>>> order;
  for (const auto& [var, labels] : labelled) {
    std::vector<std::pair<std::string, std::string>> key;
    for (const Label& l : *labels) key.emplace_back(valueOf(l), l.label);
    auto it = groups.find(key);
    if (it == groups.end()) {
      order.push_back(key);
      it = groups.emplace(key, std::vector<const char*>{}).first;
    }
    it->second.push_back(var->name.c_str());
  }
  for (const auto& key : order) {
    std::vector<const char*>& names = groups[key];
    std::vector<const char*> labels;
    for (const auto& e : key) labels.push_back(e.second.c_str());
    const int nv = static_cast<int>(names.size());
    const int nl = static_cast<int>(labels.size());
    const std::string op = std::string("value labels of ") + names.front();
    if (numeric) {
      std::vector<double> values;
      for (const auto& e : key) {
        double v;
        std::memcpy(&v, e.first.data(), sizeof v);
        values.push_back(v);
      }
      Note(xovaSetVarNValueLabels(h, names.data(), nv, values.data(), labels.data(), nl), file, op,
           warnings);
    } else {
      std::vector<const char*> values;
      for (const auto& e : key) values.push_back(e.first.c_str());
      Note(xovaSetVarCValueLabels(h, names.data(), nv, values.data(), labels.data(), nl), file, op,
           warnings);
    }
  }
}

inline void DefineDictionary(int h, const std::string& file, const Dictionary& d,
                             std::vector<std::string>* warnings = nullptr) {
  Note(xovaSetIdString(h, d.fileLabel.c_str()), file, "file label", warnings);
  Note(xovaSetCompression(h, d.compressed ? 1 : 0), file, "compression", warnings);
  for (const Variable& v : d.variables) {
    Note(xovaSetVarName(h, v.name.c_str(), v.width), file, "variable " + v.name, warnings);
  }
  std::vector<std::pair<const Variable*, const std::vector<NumericLabel>*>> numericLabelled;
  std::vector<std::pair<const Variable*, const std::vector<StringLabel>*>> stringLabelled;
  for (const Variable& v : d.variables) {
    const char* vn = v.name.c_str();
    const std::string op = "variable " + v.name;
    if (v.label) Note(xovaSetVarLabel(h, vn, v.label->c_str()), file, op, warnings);
    Note(xovaSetVarPrintFormat(h, vn, v.print.type, v.print.decimals, v.print.width), file, op,
         warnings);
    Note(xovaSetVarWriteFormat(h, vn, v.write.type, v.write.decimals, v.write.width), file, op,
         warnings);
    // Only what differs from the default, so a file without display
    // attributes does not gain them.
    if (v.measureLevel != v.defaultMeasureLevel())
      Note(xovaSetVarMeasureLevel(h, vn, v.measureLevel), file, op, warnings);
    if (v.columnWidth != 0) Note(xovaSetVarColumnWidth(h, vn, v.columnWidth), file, op, warnings);
    if (v.alignment != v.defaultAlignment())
      Note(xovaSetVarAlignment(h, vn, v.alignment), file, op, warnings);
    const MissingValues& m = v.missing;
    if (m.code != 0) {
      if (v.numeric()) {
        Note(xovaSetVarNMissingValues(h, vn, m.code, m.numbers[0], m.numbers[1], m.numbers[2]),
             file, op, warnings);
      } else {
        Note(xovaSetVarCMissingValues(h, vn, m.code, m.strings[0].c_str(), m.strings[1].c_str(),
                                      m.strings[2].c_str()),
             file, op, warnings);
      }
    }
    if (!v.numericLabels.empty()) numericLabelled.emplace_back(&v, &v.numericLabels);
    if (!v.stringLabels.empty()) stringLabelled.emplace_back(&v, &v.stringLabels);
  }
  DefineLabelGroups(
      numericLabelled,
      [](const NumericLabel& l) {
        std::string bits(sizeof(double), '\0');
        std::memcpy(&bits[0], &l.value, sizeof(double));
        return bits;
      },
      h, file, true, warnings);
  DefineLabelGroups(
      stringLabelled, [](const StringLabel& l) { return l.value; }, h, file, false, warnings);
  if (d.weight) Note(xovaSetCaseWeightVar(h, d.weight->c_str()), file, "weight variable", warnings);
  if (!d.multipleResponseSets.empty())
    Note(xovaSetMultRespDefs(h, d.multipleResponseSets.c_str()), file, "multiple-response sets",
         warnings);
  if (!d.variableSets.empty())
    Note(xovaSetVariableSets(h, d.variableSets.c_str()), file, "variable sets", warnings);
  if (!d.dateInfo.empty())
    Note(xovaSetDateVariables(h, static_cast<int>(d.dateInfo.size()), d.dateInfo.data()), file,
         "date variables", warnings);
  if (!d.qeb.empty())
    Note(xovaSetQEBFirst(h, d.qeb.data(), static_cast<int>(d.qeb.size())), file, "QEB information",
         warnings);
  if (!d.qebGuid.empty()) Note(xovaSetQEBGUID(h, d.qebGuid.c_str()), file, "QEB GUID", warnings);
  if (!d.textInfo.empty())
    Note(xovaSetTextInfo(h, d.textInfo.c_str()), file, "text information", warnings);
}

}  // namespace detail

// A file open for reading; closed on destruction.
class Reader {
 public:
  explicit Reader(std::string path) : path_(std::move(path)) {
    Check(xovaOpenRead(path_.c_str(), &handle_), path_, "cannot open for reading");
    open_ = true;
    int size = 0;
    Check(xovaGetCaseSize(handle_, &size), path_, "case size");
    case_.assign(static_cast<std::size_t>(size), '\0');
  }
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;
  ~Reader() { close(); }

  void close() noexcept {
    if (open_) xovaCloseRead(handle_);
    open_ = false;
  }
  int handle() const { return handle_; }
  const std::string& path() const { return path_; }

  Dictionary dictionary() const { return detail::ReadDictionary(handle_, path_); }
  VarRef variable(const std::string& name) const { return detail::MakeRef(handle_, path_, name); }

  // The header's case count; -1 when the file does not record it.
  int caseCount() const {
    int n = 0;
    xovaGetNumberofCases(handle_, &n);
    return n;
  }
  int estimatedCaseCount() const {
    int n = 0;
    Check(xovaGetEstimatedNofCases(handle_, &n), path_, "estimate the number of cases");
    return n;
  }
  std::size_t caseSize() const { return case_.size(); }

  // Reads the next case into the whole-case buffer; false at the end of the
  // data (or where a damaged case could not be delivered).
  bool next() {
    const int rc = xovaWholeCaseIn(handle_, case_.data());
    if (rc == XOVA_END_OF_DATA) return false;
    Check(rc, path_, "read case");
    return true;
  }
  void seek(int caseNumber) {
    Check(xovaSeekNextCase(handle_, caseNumber), path_,
          "seek to case " + std::to_string(caseNumber));
  }
  const char* caseData() const { return case_.data(); }

  double number(const VarRef& v) const {
    double d;
    std::memcpy(&d, case_.data() + v.offset, sizeof d);
    return d;
  }
  // The string's bytes, trailing blanks included; valid until the next read.
  std::string_view string(const VarRef& v) const {
    return std::string_view(case_.data() + v.offset, static_cast<std::size_t>(v.width));
  }

 private:
  std::string path_;
  int handle_ = -1;
  bool open_ = false;
  std::vector<char> case_;
};

// Case output shared by new files and appends.
class CaseWriter {
 public:
  CaseWriter(const CaseWriter&) = delete;
  CaseWriter& operator=(const CaseWriter&) = delete;

  int handle() const { return handle_; }
  const std::string& path() const { return path_; }
  VarRef variable(const std::string& name) const { return detail::MakeRef(handle_, path_, name); }
  std::size_t caseSize() const {
    int size = 0;
    Check(xovaGetCaseSize(handle_, &size), path_, "case size");
    return static_cast<std::size_t>(size);
  }
  void setNumber(const VarRef& v, double value) {
    Check(xovaSetValueNumeric(handle_, v.handle, value), path_, "set value");
  }
  void setString(const VarRef& v, std::string_view value) {
    scratch_.assign(value.data(), value.size());
    Check(xovaSetValueChar(handle_, v.handle, scratch_.c_str()), path_, "set value");
  }
  void commitCase() { Check(xovaCommitCaseRecord(handle_), path_, "write case"); }
  // A whole case of caseSize() bytes: numbers as doubles, strings blank-padded.
  void writeCase(const char* record) {
    Check(xovaWholeCaseOut(handle_, record), path_, "write case");
  }

 protected:
  explicit CaseWriter(std::string path) : path_(std::move(path)) {}
  ~CaseWriter() = default;
  std::string path_;
  int handle_ = -1;
  bool open_ = false;
  std::string scratch_;
};

// A new file: define, commit, write cases, close. A writer destroyed without
// close() closes its handle and ignores the result.
class Writer : public CaseWriter {
 public:
  explicit Writer(std::string path) : CaseWriter(std::move(path)) {
    Check(xovaOpenWrite(path_.c_str(), &handle_), path_, "cannot open for writing");
    open_ = true;
  }
  // A new file with the dictionary (documents included) of an existing one.
  // The library's copy leaves out the QEB GUID; it is carried over here.
  Writer(std::string path, const std::string& dictionaryFile) : CaseWriter(std::move(path)) {
    std::string guid;
    {
      int source = -1;
      Check(xovaOpenRead(dictionaryFile.c_str(), &source), dictionaryFile,
            "cannot open for reading");
      char text[260] = {0};
      xovaGetQEBGUID(source, text);
      xovaCloseRead(source);
      guid = text;
    }
    Check(xovaOpenWriteCopy(path_.c_str(), dictionaryFile.c_str(), &handle_), path_,
          "cannot start a copy of " + dictionaryFile);
    open_ = true;
    const int rc = guid.empty() ? XOVA_OK : xovaSetQEBGUID(handle_, guid.c_str());
    if (rc > XOVA_OK) {
      xovaCloseWrite(handle_);
      open_ = false;
      throw Error(rc, path_, "QEB GUID");
    }
  }
  ~Writer() {
    if (open_) xovaCloseWrite(handle_);
  }

  // Warnings (a label cut to fit, say) go to `warnings` when it is given.
  void define(const Dictionary& d, std::vector<std::string>* warnings = nullptr) {
    detail::DefineDictionary(handle_, path_, d, warnings);
  }
  void setFileLabel(const std::string& label) {
    Check(xovaSetIdString(handle_, label.c_str()), path_, "file label");
  }
  void setCompression(bool on) {
    Check(xovaSetCompression(handle_, on ? 1 : 0), path_, "compression");
  }
  void copyDocuments(const Reader& from) {
    Check(xovaCopyDocuments(from.handle(), handle_), path_, "copy documents");
  }
  void commit() {
    const int rc = xovaCommitHeader(handle_);
    if (rc > 0) {
      // A commit that failed after writing began has closed the handle.
      int n = 0;
      if (xovaGetCompression(handle_, &n) == XOVA_BAD_HANDLE) open_ = false;
      throw Error(rc, path_, "write dictionary");
    }
  }
  void close() {
    if (!open_) return;
    open_ = false;
    Check(xovaCloseWrite(handle_), path_, "close");
  }
};

// An existing file opened to add cases after its last one.
class Appender : public CaseWriter {
 public:
  explicit Appender(std::string path) : CaseWriter(std::move(path)) {
    Check(xovaOpenAppend(path_.c_str(), &handle_), path_, "cannot open for appending");
    open_ = true;
  }
  ~Appender() {
    if (open_) xovaCloseAppend(handle_);
  }
  void close() {
    if (!open_) return;
    open_ = false;
    Check(xovaCloseAppend(handle_), path_, "close");
  }
};

}  // namespace xovaio32

#endif  // XOVAIO32_HPP
