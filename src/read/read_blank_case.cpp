#include "read/read_blank_case.h"

#include <cstring>
#include <new>
#include <vector>

#include "xovaio32.h"

namespace xova {
namespace {

void FillBlank(const Dictionary& dict, std::vector<unsigned char>& blank) {
  std::memset(blank.data(), 0xFF, blank.size());
  for (const auto& var : dict.vars) {
    if (!var->IsString()) continue;
    const std::size_t offset = 8 * (static_cast<std::size_t>(var->position) - 1);
    const std::size_t size = 8 * static_cast<std::size_t>(var->Elements());
    if (offset <= blank.size() && size <= blank.size() - offset) {
      std::memset(blank.data() + offset, ' ', size);
    }
  }
}

}  // namespace

int AllocateReadCase(FileState& fs) {
  const std::size_t size = 8 * static_cast<std::size_t>(fs.elementCount);
  std::vector<unsigned char> buffer;
  std::vector<unsigned char> blank;
  try {
    buffer.resize(size);
    blank.resize(size);
  } catch (const std::exception&) {
    return XOVA_OUT_OF_MEMORY;
  }
  FillBlank(fs.dict, blank);
  fs.caseBuffer.swap(buffer);
  fs.blankCase.swap(blank);
  return XOVA_OK;
}

}  // namespace xova
