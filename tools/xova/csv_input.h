// CSV input (RFC 4180, strict quoting) through libcsv, record by record, with
// bounded memory: a record larger than kMaxRecordBytes or with more than
// kMaxFields fields is an error, not a reason to grow.
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

  explicit CsvInput(RecordFn fn);
  ~CsvInput();
  CsvInput(const CsvInput&) = delete;
  CsvInput& operator=(const CsvInput&) = delete;

  // Feeds bytes; throws CsvError (or what the record function threw).
  void Feed(const char* data, std::size_t n);
  // Ends the input: the last record without a line end, an open quote.
  void Finish();

  // Reads a whole stream; `progress` (may be empty) gets the bytes read so far.
  void ReadAll(std::FILE* in, const std::function<void(std::size_t)>& progress = {});

  long records() const { return line_; }

 private:
  static void OnField(void* s, std::size_t n, void* self);
  static void OnRecord(int c, void* self);
  void Field(const char* s, std::size_t n);
  void Record(int terminator);
  void Rethrow();

  RecordFn fn_;
  csv_parser* parser_;
  std::string bytes_;              // the current record's fields, end to end
  std::vector<std::size_t> ends_;  // where each field ends in bytes_
  std::vector<std::string_view> views_;
  long line_ = 0;
  int lastTerminator_ = 0;
  std::exception_ptr failure_;
  bool finished_ = false;
};

}  // namespace xova_tool

#endif
