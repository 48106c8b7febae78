// A file state whose stream holds bytes written by a FileBuilder, positioned
// as the open routine hands a record to a decoder.
#ifndef XOVA_TESTS_READ_DECODE_FIXTURE_H
#define XOVA_TESTS_READ_DECODE_FIXTURE_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "frame/file_state.h"
#include "support/alloc_failure.h"
#include "support/scratch_dir.h"
#include "xovaio32.h"

namespace xova_test {

// Whether a file in big-endian order needs its numbers reversed on this host.
bool BigEndianNeedsSwap();

class DecodeFixture {
 public:
  // Opens `bytes` as a fresh file state with the byte-swap flag a file of
  // that order gets and the version code given, and consumes the leading
  // record type when `skipType`. False when the file cannot be made.
  bool Open(const std::vector<unsigned char>& bytes, bool bigEndian, std::int32_t version = 2,
            bool skipType = true);
  xova::FileState& fs() { return *fs_; }
  // Bytes left in the stream after the decoder ran.
  long Remaining();

 private:
  ScratchDir dir_;
  std::unique_ptr<xova::FileState> fs_;
  int files_ = 0;
  long size_ = 0;
};

// Runs `decode` against every proper prefix of `bytes` that holds the
// leading record type (every prefix when `skipType` is false) and collects
// the lengths where it did not give XOVA_BAD_FILE.
template <class Decode>
std::vector<std::size_t> PrefixesNotRefused(const std::vector<unsigned char>& bytes, bool bigEndian,
                                            std::int32_t version, bool skipType, Decode decode) {
  std::vector<std::size_t> accepted;
  DecodeFixture f;
  for (std::size_t k = skipType ? 4 : 0; k < bytes.size(); ++k) {
    const std::vector<unsigned char> prefix(bytes.begin(), bytes.begin() + static_cast<long>(k));
    if (!f.Open(prefix, bigEndian, version, skipType) || decode(f.fs()) != XOVA_BAD_FILE) {
      accepted.push_back(k);
    }
  }
  return accepted;
}

// Runs `decode` on fresh fixtures holding `bytes`, with the n-th allocation
// failing for n = 0, 1, ... until a run meets no failure. `prepare` sets a
// fixture up before failures are armed; `check(fs, rc, failed)` judges each
// run. Returns the runs that met a failure.
template <class Prepare, class Decode, class Check>
int RunWithAllocationFailures(const std::vector<unsigned char>& bytes, Prepare prepare,
                              Decode decode, Check check) {
  for (long n = 0;; ++n) {
    DecodeFixture f;
    if (!f.Open(bytes, false)) return -1;
    prepare(f.fs());
    AllocFailureScope scope;
    FailAllocationAfter(n);
    const int rc = decode(f.fs());
    const bool failed = FailedAllocations() > 0;
    ResetAllocFailure();
    check(f.fs(), rc, failed);
    if (!failed) return static_cast<int>(n);
  }
}

}  // namespace xova_test

#endif
