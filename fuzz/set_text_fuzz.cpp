// Translates arbitrary variable-set and multiple-response-set texts in both
// directions over a small fixed dictionary. The first byte picks the subtype
// and the direction; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "dict/dictionary.h"
#include "dict/name_fold.h"
#include "dict/name_index.h"
#include "ext/extension_block.h"
#include "ext/set_text_translator.h"
#include "fuzz_check.h"
#include "xovaio32.h"

namespace {

struct Names {
  xova::Dictionary dict;
  xova::NameIndex shortIndex;

  void Add(const char* name, const char* shortName, int type) {
    auto record = std::make_unique<xova::VariableRecord>();
    record->name = name;
    char key[xova::kMaxNameLength + 1] = {};
    CHECK(xova::FoldName(key, name) == XOVA_OK);
    record->key = key;
    record->type = type;
    std::strncpy(record->shortName, shortName, 8);
    const xova::VariableRecord* last = dict.vars.empty() ? nullptr : dict.vars.back().get();
    record->position = last ? last->position + last->Elements() : 1;
    xova::VariableRecord* raw = record.get();
    CHECK(xova::AddToIndex(dict, raw) == XOVA_OK);
    dict.vars.push_back(std::move(record));
    CHECK(shortIndex.Insert(raw->shortName, raw, xova::CompareRecordShortName) == XOVA_OK);
  }
};

// Built as the commit and read paths leave a dictionary: long names of every
// length, short names that differ from them, a string variable.
const Names& TheNames() {
  static const Names* names = [] {
    auto* n = new Names;
    n->Add("LongName1", "LONGNAME", 0);
    n->Add("LongName2", "LONGNA_A", 0);
    n->Add("red", "RED", 3);
    n->Add("blue", "BLUE", 0);
    n->Add(std::string(64, 'x').c_str(), "XXXXXXXX", 0);
    n->Add("a.b_c", "A.B_C", 12);
    return n;
  }();
  return *names;
}

std::string BlockText(xova::ExtensionBlock* block) {
  if (!block || block->count == 0) return std::string();
  std::string text(static_cast<size_t>(block->count) * block->elemSize, '\0');
  std::int32_t got = 0;
  block->cursor = 0;
  CHECK(xova::BlockRead(block, block->count, &got, &text[0]) == XOVA_OK);
  CHECK(got == block->count);
  return text;
}

std::string Translate(const std::string& text, int subtype, int toShort) {
  const Names& names = TheNames();
  xova::BlockPtr source = xova::BlockCreate(1);
  CHECK(source);
  if (!text.empty()) {
    CHECK(xova::BlockAppend(source.get(), static_cast<std::int32_t>(text.size()), text.data()) ==
          XOVA_OK);
  }
  xova::BlockPtr result;
  const xova::NameIndex& index = toShort ? names.dict.index : names.shortIndex;
  CHECK(xova::TranslateSetText(source.get(), &result, index, subtype, toShort) == XOVA_OK);
  // An empty source gives no block; any other text gives one.
  CHECK(text.empty() ? !result : static_cast<bool>(result));
  if (result) CHECK(result->elemSize == 1);
  return BlockText(result.get());
}

std::string WithoutEmptyLines(const std::string& text) {
  std::string out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) out.append(text, start, end - start).push_back('\n');
    start = end + 1;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int subtype = data[0] & 1 ? xova::kMultRespSetsSubtype : xova::kVariableSetsSubtype;
  const int toShort = data[0] & 2 ? 1 : 0;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string out = Translate(text, subtype, toShort);
  // What the translator keeps is in normal form and names only known
  // variables, so a round trip through the other kind of name gives it back
  // (a set left without variables leaves an empty line, which then vanishes).
  const std::string back = Translate(Translate(out, subtype, !toShort), subtype, toShort);
  CHECK(WithoutEmptyLines(back) == WithoutEmptyLines(out));
  return 0;
}
