// Read handles built by hand for the case input tests: a file written by the
// library's writer (or its dictionary followed by hand-made case bytes), and
// a file state set up as opening it for reading would leave it.
#ifndef XOVA_TESTS_READ_READ_STATE_FIXTURE_H
#define XOVA_TESTS_READ_READ_STATE_FIXTURE_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "frame/file_state.h"
#include "platform/shared_file.h"

namespace xova_test {

// One value of a case: `text` for string variables, `number` for numeric ones.
struct Cell {
  double number = 0.0;
  std::string text;
};
using CaseValues = std::vector<Cell>;

struct WrittenFile {
  std::string path;
  std::vector<int> types;  // 0 numeric, else the string width
  int compression = 0;
  std::int64_t dataOffset = 0;  // first case byte
  std::int32_t headerCount = 0;
};

// Writes variables V1, V2, ... of `types` and `cases` cases, case c holding
// the values `values(c)`. Failures are test failures.
WrittenFile WriteCases(const std::string& path, const std::vector<int>& types, int compression,
                       int cases, const std::function<CaseValues(int)>& values);

// The dictionary alone; case bytes are then appended by hand.
WrittenFile WriteDictionary(const std::string& path, const std::vector<int>& types,
                            int compression);
void AppendBytes(const std::string& path, const std::vector<unsigned char>& bytes);

struct ReadOptions {
  bool byteSwap = false;
  bool ownSysmis = false;  // use `sysmis` as the file's system-missing value
  double sysmis = 0.0;
  bool ownCount = false;  // use `caseCount` instead of the header's count
  std::int32_t caseCount = -1;
  xova::FileMode mode = xova::FileMode::kRead;
  // Replaces the data stream (positioned by the caller); null opens the file.
  std::FILE* stream = nullptr;
};

// A file state for `file` in a handle slot, released at the end.
class ReadHandle {
 public:
  explicit ReadHandle(const WrittenFile& file, const ReadOptions& options = ReadOptions());
  ~ReadHandle();
  ReadHandle(const ReadHandle&) = delete;
  ReadHandle& operator=(const ReadHandle&) = delete;

  int handle() const { return handle_; }
  bool ok() const { return handle_ >= 0; }
  xova::FileState& state() const;
  // The handle of variable i (0-based), as the variable lookup would give it.
  double var(std::size_t i) const { return vars_.at(i); }

 private:
  int handle_ = -1;
  std::vector<double> vars_;
};

// The value of variable `var` read from the handle's current case: the number
// as text, or the string value.
std::string ValueText(int handle, double varHandle, int type);
std::string ExpectedText(const Cell& cell, int type);

}  // namespace xova_test

#endif
