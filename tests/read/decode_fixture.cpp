#include "read/decode_fixture.h"

#include <cstdio>
#include <cstring>

#include "platform/shared_file.h"
#include "read/record_input.h"

namespace xova_test {

bool BigEndianNeedsSwap() {
  const std::uint16_t one = 1;
  unsigned char first;
  std::memcpy(&first, &one, 1);
  return first == 1;
}

namespace {

// Empty files too: the truncation tests start from no bytes at all.
bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

bool DecodeFixture::Open(const std::vector<unsigned char>& bytes, bool bigEndian,
                         std::int32_t version, bool skipType) {
  fs_.reset();
  const std::string path = dir_.File("record" + std::to_string(files_++) + ".data");
  if (!WriteBytes(path, bytes)) return false;
  size_ = static_cast<long>(bytes.size());
  fs_ = std::make_unique<xova::FileState>();
  bool outOfMemory = false;
  fs_->stream =
      xova::platform::OpenDataStream(path.c_str(), xova::platform::OpenMode::kRead, &outOfMemory);
  if (!fs_->stream) return false;
  fs_->byteSwap = bigEndian == BigEndianNeedsSwap() ? 1 : 0;
  fs_->versionCode = version;
  std::int32_t type = 0;
  return !skipType || xova::ReadInt32(*fs_, &type);
}

long DecodeFixture::Remaining() {
  const std::int64_t at = xova::platform::Tell(fs_->stream.get());
  return at < 0 ? -1 : size_ - static_cast<long>(at);
}

}  // namespace xova_test
