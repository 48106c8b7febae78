// A fresh directory for one test's files, removed with everything in it.
#ifndef XOVA_TESTS_SUPPORT_SCRATCH_DIR_H
#define XOVA_TESTS_SUPPORT_SCRATCH_DIR_H

#include <string>
#include <vector>

namespace xova_test {

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  // Path of a file in the directory.
  std::string File(const std::string& name) const;
  // Names of the files now in the directory, sorted.
  std::vector<std::string> List() const;

 private:
  std::string path_;
};

// Whole contents of a file; empty when it cannot be read.
std::vector<unsigned char> ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace xova_test

#endif
