// Opening and closing write handles in tests, so a test never leaves a slot filled.
#ifndef XOVA_TESTS_SUPPORT_OPEN_HANDLES_H
#define XOVA_TESTS_SUPPORT_OPEN_HANDLES_H

#include <string>

#include "support/scratch_dir.h"

namespace xova_test {

// A write handle on a new file in its own scratch directory, closed at the end.
class WriteHandle {
 public:
  explicit WriteHandle(const std::string& name = "data.data");
  ~WriteHandle();
  WriteHandle(const WriteHandle&) = delete;
  WriteHandle& operator=(const WriteHandle&) = delete;

  int handle() const { return handle_; }
  int open_result() const { return rc_; }
  const std::string& file() const { return file_; }
  // Closes now; later the destructor does nothing.
  int Close();

 private:
  ScratchDir dir_;
  std::string file_;
  int handle_ = -1;
  int rc_ = -1;
  bool open_ = false;
};

}  // namespace xova_test

#endif
