// The dictionary as JSON (schema in docs/dictionary-json.md): what `xova dict
// --json` writes and `xova import --dict` reads.
#ifndef XOVA_TOOLS_DICT_JSON_H
#define XOVA_TOOLS_DICT_JSON_H

#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>

#include "xovaio32.hpp"

namespace xova_tool {

// A JSON document that is no dictionary: says where and why.
class DictJsonError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

nlohmann::json DictionaryToJson(const xovaio32::Dictionary& d);
// Throws DictJsonError for anything the schema does not allow.
xovaio32::Dictionary DictionaryFromJson(const nlohmann::json& j);
// Parses text; throws DictJsonError for malformed JSON too.
xovaio32::Dictionary DictionaryFromJsonText(const std::string& text);

}  // namespace xova_tool

#endif
