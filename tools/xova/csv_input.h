// CSV input (RFC 4180, strict quoting) through libcsv, record by record, with
// bounded memory: a record larger than kMaxRecordBytes or with more than
// kMaxFields fields is an error, not a reason to grow.
//
// Most lines of a large CSV hold no quote and no lone carriage return. Such a
// line, seen whole at the start of a record, is split on its commas in place:
// exactly what libcsv makes of it, without its byte-by-byte callbacks and the
// copy of every field. Every other byte still goes through libcsv.
#ifndef XOVA_TOOLS_CSV_INPUT_H
#define XOVA_TOOLS_CSV_INPUT_H

#include <cstddef>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct csv_parser;

namespace xova_tool {

// A CSV that cannot be read: the line (CSV record, the header being line 1),
// the 1-based column (0 when the whole line is at fault) and why.
class CsvError : public std::runtime_error {
 public:
  CsvError(long line, long column, const std::string& why)
      : std::runtime_error(Where(line, column) + why), line_(line), column_(column) {}
  long line() const { return line_; }
  long column() const { return column_; }

 private:
  static std::string Where(long line, long column) {
    std::string s = "line " + std::to_string(line);
    if (column > 0) s += ", column " + std::to_string(column);
    return s + ": ";
  }
  long line_;
  long column_;
};

class CsvInput {
 public:
  static constexpr std::size_t kMaxRecordBytes = 64u << 20;
  static constexpr std::size_t kMaxFields = 1u << 20;

  // Called once per record with its fields and its line number. Whatever it
  // throws ends the parse and is passed on.
  using RecordFn = std::function<void(const std::vector<std::string_view>&, long line)>;

  // kLibraryOnly hands every byte to libcsv: the reference the line scan is
  // compared with.
  enum class Scan { kLines, kLibraryOnly };

  explicit CsvInput(RecordFn fn, Scan scan = Scan::kLines);
  ~CsvInput();
  CsvInput(const CsvInput&) = delete;
  CsvInput& operator=(const CsvInput&) = delete;

  // Feeds bytes; throws CsvError (or what the record function threw).
  void Feed(const char* data, std::size_t n);
  // Ends the input: the last record without a line end, an open quote.
  void Finish();

  // Reads a whole stream, less a leading UTF-8 byte order mark; `progress`
  // (may be empty) gets the bytes read so far.
  void ReadAll(std::FILE* in, const std::function<void(std::size_t)>& progress = {});

  long records() const { return line_; }

 private:
  // An incomplete line at the start of a record waits for the next bytes up
  // to this size; a longer one goes to libcsv.
  static constexpr std::size_t kMaxCarry = 1u << 20;

  static void OnField(void* s, std::size_t n, void* self);
  static void OnRecord(int c, void* self);
  void Field(const char* s, std::size_t n);
  void Record(int terminator);
  void Deliver(int terminator);
  void Rethrow();
  [[noreturn]] void Fail(std::exception_ptr e);
  std::exception_ptr LibraryError() const;
  // Parses [p, end) and returns where an incomplete line left for later
  // starts (end when none is).
  const char* ScanLines(const char* p, const char* end);
  // Hands libcsv the bytes up to and including the first line end; returns
  // the byte after them.
  const char* ToLibrary(const char* p, const char* end);

  RecordFn fn_;
  csv_parser* parser_;
  std::string bytes_;              // the current record's fields, end to end
  std::vector<std::size_t> ends_;  // where each field ends in bytes_
  std::vector<std::string_view> views_;
  std::string carry_;  // an incomplete line at the start of a record
  Scan scan_;
  bool atRecordStart_ = true;  // libcsv holds no part of a record
  long line_ = 0;
  int lastTerminator_ = 0;
  std::exception_ptr failure_;
  bool finished_ = false;
};

}  // namespace xova_tool

#endif
