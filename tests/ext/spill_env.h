// Test environment for spilling blocks: the system temporary directory
// (TMPDIR) and the directory of xovaSetTempDir point at scratch directories
// for the life of the object, so each test sees exactly the files it made.
#ifndef XOVA_TESTS_EXT_SPILL_ENV_H
#define XOVA_TESTS_EXT_SPILL_ENV_H

#include <cstdlib>
#include <string>
#include <vector>

#include "support/scratch_dir.h"
#include "xovaio32.h"

namespace xova_test {

// The variable the system's temporary directory is taken from.
#if defined(_WIN32)
constexpr const char* kTempVariable = "TMP";
inline void SetVariable(const char* name, const char* value) {
  _putenv_s(name, value);
}
inline void ClearVariable(const char* name) {
  _putenv_s(name, "");
}
#else
constexpr const char* kTempVariable = "TMPDIR";
inline void SetVariable(const char* name, const char* value) {
  setenv(name, value, 1);
}
inline void ClearVariable(const char* name) {
  unsetenv(name);
}
#endif

class SpillEnv {
 public:
  SpillEnv() {
    const char* old = std::getenv(kTempVariable);
    hadTmp_ = old != nullptr;
    if (old) oldTmp_ = old;
    SetVariable(kTempVariable, system_.path().c_str());
    xovaSetTempDir(nullptr);
  }
  ~SpillEnv() {
    xovaSetTempDir(nullptr);
    if (hadTmp_) {
      SetVariable(kTempVariable, oldTmp_.c_str());
    } else {
      ClearVariable(kTempVariable);
    }
  }
  SpillEnv(const SpillEnv&) = delete;
  SpillEnv& operator=(const SpillEnv&) = delete;

  const ScratchDir& system() const { return system_; }
  const ScratchDir& chosen() const { return chosen_; }
  void UseChosenDir() { xovaSetTempDir(chosen_.path().c_str()); }
  void SetSystemDir(const std::string& dir) { SetVariable(kTempVariable, dir.c_str()); }
  // A directory that does not exist, for temporary files that cannot be made.
  std::string Missing() const { return system_.File("no-such-dir"); }
  std::size_t FileCount() const { return system_.List().size() + chosen_.List().size(); }
  // Temporary files of the library only (named *.tmp), so the scratch
  // directories other helpers make in the system directory don't count.
  std::size_t SpillFileCount() const {
    std::size_t n = 0;
    for (const ScratchDir* dir : {&system_, &chosen_}) {
      for (const std::string& name : dir->List()) {
        n += name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0;
      }
    }
    return n;
  }

 private:
  ScratchDir system_;
  ScratchDir chosen_;
  bool hadTmp_ = false;
  std::string oldTmp_;
};

}  // namespace xova_test

#endif
