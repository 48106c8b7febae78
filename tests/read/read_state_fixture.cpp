#include "read/read_state_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "dict/variable_handle.h"
#include "frame/handle_table.h"
#include "read/decompression_state.h"
#include "support/scratch_dir.h"
#include "write/record_reader.h"
#include "xovaio32.h"

namespace xova_test {
namespace {

int ElementsOf(int type) {
  return type == 0 ? 1 : (type + 7) / 8;
}

std::vector<double> VarHandles(const std::vector<int>& types) {
  std::vector<double> handles;
  std::int32_t position = 1;
  for (int type : types) {
    handles.push_back(xova::EncodeVarHandle(position, type));
    position += ElementsOf(type);
  }
  return handles;
}

void PutCase(int h, const std::vector<int>& types, const std::vector<double>& vars,
             const CaseValues& values) {
  ASSERT_EQ(values.size(), types.size());
  for (std::size_t i = 0; i < types.size(); ++i) {
    if (types[i] == 0) {
      ASSERT_EQ(xovaSetValueNumeric(h, vars[i], values[i].number), XOVA_OK);
    } else {
      ASSERT_EQ(xovaSetValueChar(h, vars[i], values[i].text.c_str()), XOVA_OK);
    }
  }
  ASSERT_EQ(xovaCommitCaseRecord(h), XOVA_OK);
}

void WriteAll(const std::string& path, const std::vector<int>& types, int compression, int cases,
              const std::function<CaseValues(int)>& values) {
  int h = -1;
  ASSERT_EQ(xovaOpenWrite(path.c_str(), &h), XOVA_OK);
  for (std::size_t i = 0; i < types.size(); ++i) {
    ASSERT_EQ(xovaSetVarName(h, ("V" + std::to_string(i + 1)).c_str(), types[i]), XOVA_OK);
  }
  ASSERT_EQ(xovaSetCompression(h, compression), XOVA_OK);
  ASSERT_EQ(xovaCommitHeader(h), XOVA_OK);
  std::vector<double> vars;
  for (std::size_t i = 0; i < types.size(); ++i) {
    double var = 0;
    ASSERT_EQ(xovaGetVarHandle(h, ("V" + std::to_string(i + 1)).c_str(), &var), XOVA_OK);
    vars.push_back(var);
  }
  for (int c = 0; c < cases; ++c) {
    PutCase(h, types, vars, values(c));
    if (::testing::Test::HasFatalFailure()) break;
  }
  ASSERT_EQ(xovaCloseWrite(h), XOVA_OK);
}

std::string Hex(std::uint64_t bits) {
  char text[24];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(bits));
  return text;
}

std::uint64_t BitsOf(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, 8);
  return bits;
}

std::unique_ptr<xova::FileState> MakeState(const WrittenFile& file, const ReadOptions& options) {
  auto fs = std::make_unique<xova::FileState>();
  if (options.stream) {
    fs->stream = xova::platform::StreamPtr(options.stream);
  } else {
    bool outOfMemory = false;
    fs->stream = xova::platform::OpenDataStream(file.path.c_str(), xova::platform::OpenMode::kRead,
                                                &outOfMemory);
    if (!fs->stream || !xova::platform::Seek(fs->stream.get(), file.dataOffset, SEEK_SET)) {
      return nullptr;
    }
  }
  std::int32_t elements = 0;
  for (int type : file.types) elements += ElementsOf(type);
  fs->elementCount = elements;
  fs->blankCase.assign(static_cast<std::size_t>(elements) * 8, ' ');
  std::int32_t position = 0;
  for (int type : file.types) {
    if (type == 0) std::memset(fs->blankCase.data() + 8 * position, 0xFF, 8);
    position += ElementsOf(type);
  }
  fs->caseBuffer = fs->blankCase;
  fs->compression = file.compression;
  fs->firstCasePosition = file.dataOffset;
  fs->caseCount = options.ownCount ? options.caseCount : file.headerCount;
  fs->byteSwap = options.byteSwap ? 1 : 0;
  if (options.ownSysmis) fs->sysmis = options.sysmis;
  fs->mode = options.mode;
  fs->committed = 1;
  if (file.compression && xova::CreateDecoder(*fs) != XOVA_OK) return nullptr;
  return fs;
}

}  // namespace

WrittenFile WriteCases(const std::string& path, const std::vector<int>& types, int compression,
                       int cases, const std::function<CaseValues(int)>& values) {
  WriteAll(path, types, compression, cases, values);
  WrittenFile file;
  file.path = path;
  file.types = types;
  file.compression = compression;
  const FileRecords records = ReadRecords(ReadFileBytes(path));
  EXPECT_TRUE(records.ok) << records.error;
  file.dataOffset = static_cast<std::int64_t>(records.dataOffset);
  file.headerCount = records.header.caseCount;
  return file;
}

WrittenFile WriteDictionary(const std::string& path, const std::vector<int>& types,
                            int compression) {
  return WriteCases(path, types, compression, 0, [](int) { return CaseValues(); });
}

void AppendBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  if (bytes.empty()) return;
  std::FILE* out = std::fopen(path.c_str(), "ab");
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), out), bytes.size());
  EXPECT_EQ(std::fclose(out), 0);
}

ReadHandle::ReadHandle(const WrittenFile& file, const ReadOptions& options)
    : vars_(VarHandles(file.types)) {
  std::unique_ptr<xova::FileState> fs = MakeState(file, options);
  int slot = -1;
  if (!fs || xova::ClaimSlot(&slot) != XOVA_OK) {
    ADD_FAILURE() << "no read state for " << file.path;
    return;
  }
  xova::InstallFileState(slot, std::move(fs));
  handle_ = slot;
}

ReadHandle::~ReadHandle() {
  if (handle_ >= 0) xova::ReleaseFileState(handle_);
}

xova::FileState& ReadHandle::state() const {
  return *xova::LookupHandle(handle_);
}

std::string ValueText(int handle, double varHandle, int type) {
  if (type == 0) {
    double value = 0;
    const int rc = xovaGetValueNumeric(handle, varHandle, &value);
    return rc == XOVA_OK ? Hex(BitsOf(value)) : "error " + std::to_string(rc);
  }
  std::vector<char> text(static_cast<std::size_t>(type) + 1, 'x');
  const int rc = xovaGetValueChar(handle, varHandle, text.data(), type + 1);
  return rc == XOVA_OK ? std::string(text.data()) : "error " + std::to_string(rc);
}

std::string ExpectedText(const Cell& cell, int type) {
  if (type == 0) return Hex(BitsOf(cell.number));
  std::string text = cell.text.substr(0, static_cast<std::size_t>(type));
  text.resize(static_cast<std::size_t>(type), ' ');
  return text;
}

}  // namespace xova_test
