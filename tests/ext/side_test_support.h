// Helpers for the tests of set texts and side records: dictionaries built
// through internals, text blocks, simulated modes and locales.
#ifndef XOVA_TESTS_EXT_SIDE_TEST_SUPPORT_H
#define XOVA_TESTS_EXT_SIDE_TEST_SUPPORT_H

#include <clocale>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "dict/dictionary.h"
#include "dict/name_fold.h"
#include "ext/extension_block.h"
#include "frame/file_state.h"
#include "frame/handle_table.h"

namespace xova_test {

// Adds a variable the way the definition and commit paths leave it: indexed
// by folded name, with a short name, at the next position.
inline xova::VariableRecord* AddTestVariable(xova::Dictionary* dict, const std::string& name,
                                             const std::string& shortName, int type = 0) {
  auto record = std::make_unique<xova::VariableRecord>();
  record->name = name;
  char key[xova::kMaxNameLength + 1] = {};
  if (xova::FoldName(key, name.c_str()) != 0) return nullptr;
  record->key = key;
  record->type = type;
  std::strncpy(record->shortName, shortName.c_str(), 8);
  const xova::VariableRecord* last = dict->vars.empty() ? nullptr : dict->vars.back().get();
  record->position = last ? last->position + last->Elements() : 1;
  xova::VariableRecord* raw = record.get();
  if (xova::AddToIndex(*dict, raw) != 0) return nullptr;
  dict->vars.push_back(std::move(record));
  return raw;
}

// A dictionary with the short-name index the read path builds beside it.
struct TestDictionary {
  xova::Dictionary dict;
  xova::NameIndex shortIndex;

  xova::VariableRecord* Add(const std::string& name, const std::string& shortName, int type = 0) {
    xova::VariableRecord* record = AddTestVariable(&dict, name, shortName, type);
    if (record) shortIndex.Insert(record->shortName, record, xova::CompareRecordShortName);
    return record;
  }
};

inline xova::BlockPtr TextBlock(const std::string& text) {
  xova::BlockPtr block = xova::BlockCreate(1);
  if (block && !text.empty()) {
    xova::BlockAppend(block.get(), static_cast<std::int32_t>(text.size()), text.data());
  }
  return block;
}

// The whole text of a block, read from its first element.
inline std::string BlockText(xova::ExtensionBlock* block) {
  if (!block || block->count == 0) return std::string();
  std::string text(static_cast<std::size_t>(block->count) * block->elemSize, '\0');
  std::int32_t got = 0;
  block->cursor = 0;
  if (xova::BlockRead(block, block->count, &got, &text[0]) != 0) return "<read failed>";
  text.resize(static_cast<std::size_t>(got) * block->elemSize);
  return text;
}

inline xova::FileState* StateOf(int handle) {
  return xova::LookupHandle(handle);
}

// Gives a write handle another mode and commit flag for the scope, as a read
// or append open would leave it, and restores it so the handle closes cleanly.
class ModeOverride {
 public:
  ModeOverride(int handle, xova::FileMode mode, int committed) : state_(StateOf(handle)) {
    savedMode_ = state_->mode;
    savedCommitted_ = state_->committed;
    state_->mode = mode;
    state_->committed = static_cast<std::uint8_t>(committed);
  }
  ~ModeOverride() {
    state_->mode = savedMode_;
    state_->committed = savedCommitted_;
  }
  ModeOverride(const ModeOverride&) = delete;
  ModeOverride& operator=(const ModeOverride&) = delete;

 private:
  xova::FileState* state_;
  xova::FileMode savedMode_;
  std::uint8_t savedCommitted_;
};

// Switches to a UTF-8 locale for the scope; active() is false when the
// system has none.
class Utf8Locale {
 public:
  Utf8Locale() {
    const char* current = std::setlocale(LC_ALL, nullptr);
    saved_ = current ? current : "C";
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
      if (std::setlocale(LC_ALL, name)) {
        active_ = true;
        break;
      }
    }
  }
  ~Utf8Locale() { std::setlocale(LC_ALL, saved_.c_str()); }
  Utf8Locale(const Utf8Locale&) = delete;
  Utf8Locale& operator=(const Utf8Locale&) = delete;
  bool active() const { return active_; }

 private:
  std::string saved_;
  bool active_ = false;
};

}  // namespace xova_test

#endif
