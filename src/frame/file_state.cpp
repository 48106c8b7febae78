#include "frame/file_state.h"

#include "frame/special_values.h"
#include "read/case_position_index.h"
#include "read/decompression_state.h"
#include "xovaio32.h"

namespace xova {

FileState::FileState() : sysmis(Sysmis()), highest(Highest()), lowest(Lowest()) {}

void DecoderDeleter::operator()(DecompressionState* d) const {
  delete d;
}

void CaseIndexDeleter::operator()(CasePositionIndex* index) const {
  delete index;
}

FileState::~FileState() {
  xovaFreeVarNames(nameList.names, nameList.types, nameList.count);
}

}  // namespace xova
