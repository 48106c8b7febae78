// Write handles in the state a successful commit leaves them in, built
// through the internals: variables at their positions, the element count,
// the blank case and the case buffer, and a stand-in for the dictionary
// records so the case data starts at a known offset.
#ifndef XOVA_TESTS_WRITE_COMMITTED_HANDLE_H
#define XOVA_TESTS_WRITE_COMMITTED_HANDLE_H

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dict/variable_handle.h"
#include "frame/handle_table.h"
#include "support/open_handles.h"
#include "write/case_value_span.h"
#include "xovaio32.h"

namespace xova_test {

// Bytes that stand for the dictionary records: at least the 84 bytes the close
// overwrites at offset 80 with the case count.
constexpr std::size_t kDictionaryStandIn = 176;

// Gives an open write handle variables of the given types (0 numeric, else
// string width) and marks it committed; returns the variable handles.
inline std::vector<double> MakeCommitted(int handle, const std::vector<int>& types,
                                         int compression) {
  xova::FileState& fs = *xova::LookupHandle(handle);
  std::vector<double> handles;
  std::int32_t position = 1;
  for (int type : types) {
    auto var = std::make_unique<xova::VariableRecord>();
    var->type = type;
    var->position = position;
    var->name = "V" + std::to_string(handles.size() + 1);
    handles.push_back(xova::EncodeVarHandle(position, type));
    position += var->Elements();
    fs.dict.vars.push_back(std::move(var));
  }
  fs.elementCount = position - 1;
  fs.blankCase.assign(static_cast<std::size_t>(fs.elementCount) * 8, ' ');
  for (const auto& var : fs.dict.vars) {
    if (!var->IsString()) {
      std::memcpy(fs.blankCase.data() + 8 * (var->position - 1), &fs.sysmis, 8);
    }
  }
  fs.caseBuffer = fs.blankCase;
  xova::MakeValueStarts(fs.dict, static_cast<std::size_t>(fs.elementCount), &fs.valueStarts);
  fs.compression = compression;
  fs.committed = 1;
  const std::vector<unsigned char> standIn(kDictionaryStandIn, 0xEE);
  std::fwrite(standIn.data(), 1, standIn.size(), fs.stream.get());
  return handles;
}

// A committed write handle on a scratch file, closed at the end.
class CommittedHandle {
 public:
  explicit CommittedHandle(const std::vector<int>& types, int compression = 1)
      : vars_(MakeCommitted(file_.handle(), types, compression)) {}

  int handle() const { return file_.handle(); }
  xova::FileState& state() const { return *xova::LookupHandle(file_.handle()); }
  double var(std::size_t i) const { return vars_.at(i); }
  const std::string& file() const { return file_.file(); }
  int Close() { return file_.Close(); }

  // The case data in the file so far (what has left the stream's buffer).
  std::vector<unsigned char> CaseBytes() const {
    std::fflush(state().stream.get());
    return CaseBytesOf(ReadFileBytes(file()));
  }
  // Closes and returns the case data.
  std::vector<unsigned char> CloseAndReadCases(int* closeResult = nullptr) {
    const int rc = Close();
    if (closeResult) *closeResult = rc;
    return CaseBytesOf(ReadFileBytes(file()));
  }

 private:
  static std::vector<unsigned char> CaseBytesOf(const std::vector<unsigned char>& bytes) {
    if (bytes.size() < kDictionaryStandIn) return {};
    return std::vector<unsigned char>(bytes.begin() + kDictionaryStandIn, bytes.end());
  }

  WriteHandle file_;
  std::vector<double> vars_;
};

}  // namespace xova_test

#endif
