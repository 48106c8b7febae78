#include "frame/file_state.h"

#include "frame/special_values.h"
#include "xovaio32.h"

namespace xova {

FileState::FileState() : sysmis(Sysmis()), highest(Highest()), lowest(Lowest()) {}

FileState::~FileState() {
  xovaFreeVarNames(nameList.names, nameList.types, nameList.count);
}

}  // namespace xova
