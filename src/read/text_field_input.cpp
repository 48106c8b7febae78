#include "read/text_field_input.h"

#include "read/record_input.h"

namespace xova {

bool ReadFieldPrefix(FileState& fs, char* dst, std::size_t keep, std::int64_t field) {
  const std::int64_t kept = static_cast<std::int64_t>(keep);
  if (field < kept) return false;
  return ReadBytes(fs, dst, keep) && SkipByReading(fs, field - kept);
}

}  // namespace xova
