// A file state whose stream reads, from the first byte, the records a
// FileBuilder made, for the decoders that run inside the open routine.
#ifndef XOVA_TESTS_READ_RECORD_STREAM_H
#define XOVA_TESTS_READ_RECORD_STREAM_H

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "frame/file_state.h"
#include "platform/shared_file.h"
#include "read/file_builder.h"
#include "read/record_input.h"
#include "support/scratch_dir.h"

namespace xova_test {

class RecordStream {
 public:
  // `dir` holds the data file; made before any SpillEnv, it is not counted
  // among the temporary files.
  RecordStream(const ScratchDir& dir, const FileBuilder& records, bool swapped)
      : state_(new xova::FileState) {
    const std::string path = dir.File("records.data");
    EXPECT_TRUE(records.WriteTo(path));
    bool oom = false;
    state_->stream =
        xova::platform::OpenDataStream(path.c_str(), xova::platform::OpenMode::kRead, &oom);
    EXPECT_NE(state_->stream, nullptr);
    state_->byteSwap = swapped ? 1 : 0;
  }

  xova::FileState& fs() { return *state_; }
  // The next record type, or -1 at the end of the file.
  std::int32_t Next() {
    std::int32_t type = -1;
    return xova::ReadInt32(*state_, &type) ? type : -1;
  }
  // Frees the state with its blocks and their temporary files.
  void Release() { state_.reset(); }

 private:
  std::unique_ptr<xova::FileState> state_;
};

// All elements of a block, read from its first one.
inline std::vector<unsigned char> BlockContents(xova::ExtensionBlock* block) {
  std::vector<unsigned char> out(static_cast<std::size_t>(xova::BlockBytes(block)));
  block->cursor = 0;
  std::int32_t got = 0;
  EXPECT_EQ(xova::BlockRead(block, block->count, &got, out.data()), 0);
  EXPECT_EQ(got, block->count);
  return out;
}

}  // namespace xova_test

#endif
