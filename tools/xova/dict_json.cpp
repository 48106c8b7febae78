#include "dict_json.h"

#include <cmath>
#include <limits>

#include "text_escape.h"

namespace xova_tool {

using nlohmann::json;
using xovaio32::Dictionary;
using xovaio32::Format;
using xovaio32::Variable;

namespace {

constexpr int kSchemaVersion = 1;

// JSON has no NaN or infinities: those go as the strings the CSV uses.
json NumberToJson(double v) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v < 0 ? "-inf" : "inf";
  return v;
}

json FormatToJson(const Format& f) {
  return json{{"type", f.type}, {"width", f.width}, {"decimals", f.decimals}};
}

[[noreturn]] void Fail(const std::string& where, const std::string& why) {
  throw DictJsonError(where + ": " + why);
}

const json* Member(const json& obj, const char* key) {
  const auto it = obj.find(key);
  return it == obj.end() ? nullptr : &*it;
}

int IntOf(const json& j, const std::string& where) {
  if (!j.is_number_integer()) Fail(where, "expected an integer");
  if (j.is_number_unsigned() && j.get<unsigned long long>() > 0x7FFFFFFFull)
    Fail(where, "integer out of range");
  const auto v = j.get<long long>();
  if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
    Fail(where, "integer out of range");
  return static_cast<int>(v);
}

double NumberOf(const json& j, const std::string& where) {
  if (j.is_number()) return j.get<double>();
  if (j.is_string()) {
    const std::string& s = j.get_ref<const std::string&>();
    double v;
    if ((s == "nan" || s == "inf" || s == "-inf") && ParseNumber(s, v)) return v;
  }
  Fail(where, "expected a number (or \"nan\", \"inf\", \"-inf\")");
}

std::string TextOf(const json& j, const std::string& where) {
  std::string out, why;
  if (!TextFromJson(j, out, why)) Fail(where, why);
  if (out.find('\0') != std::string::npos) Fail(where, "a text may not hold a NUL byte");
  return out;
}

bool BoolOf(const json& j, const std::string& where) {
  if (!j.is_boolean()) Fail(where, "expected true or false");
  return j.get<bool>();
}

Format FormatOf(const json& j, const std::string& where) {
  if (!j.is_object()) Fail(where, "expected an object with type, width and decimals");
  Format f;
  for (const auto& [key, value] : j.items()) {
    if (key == "type")
      f.type = IntOf(value, where + ".type");
    else if (key == "width")
      f.width = IntOf(value, where + ".width");
    else if (key == "decimals")
      f.decimals = IntOf(value, where + ".decimals");
    else
      Fail(where + "." + key, "unknown key");
  }
  return f;
}

json VariableToJson(const Variable& v) {
  json j;
  j["name"] = TextToJson(v.name);
  j["width"] = v.width;
  j["label"] = v.label ? TextToJson(*v.label) : json(nullptr);
  j["print"] = FormatToJson(v.print);
  j["write"] = FormatToJson(v.write);
  j["measure"] = v.measureLevel;
  j["column_width"] = v.columnWidth;
  j["alignment"] = v.alignment;
  if (v.missing.code == 0) {
    j["missing"] = nullptr;
  } else {
    json values = json::array();
    const int n = std::abs(v.missing.code);
    for (int i = 0; i < n && i < 3; ++i) {
      values.push_back(v.numeric() ? NumberToJson(v.missing.numbers[i])
                                   : TextToJson(v.missing.strings[i]));
    }
    j["missing"] = json{{"code", v.missing.code}, {"values", values}};
  }
  json labels = json::array();
  for (const auto& l : v.numericLabels)
    labels.push_back(json{{"value", NumberToJson(l.value)}, {"label", TextToJson(l.label)}});
  for (const auto& l : v.stringLabels)
    labels.push_back(json{{"value", TextToJson(l.value)}, {"label", TextToJson(l.label)}});
  j["value_labels"] = labels;
  return j;
}

Variable VariableFromJson(const json& j, const std::string& where) {
  if (!j.is_object()) Fail(where, "expected an object");
  const json* name = Member(j, "name");
  const json* width = Member(j, "width");
  if (!name) Fail(where, "a variable needs a name");
  if (!width) Fail(where, "a variable needs a width (0 for numeric)");
  Variable v;
  v.name = TextOf(*name, where + ".name");
  v.width = IntOf(*width, where + ".width");
  if (v.width < 0 || v.width > 255) Fail(where + ".width", "must be 0 to 255");
  const std::string at = where + " (" + v.name + ")";
  // Defaults as a new variable gets them.
  v.print = v.numeric() ? Format{5, 8, 2} : Format{1, v.width, 0};
  v.write = v.print;
  v.measureLevel = v.defaultMeasureLevel();
  v.alignment = v.defaultAlignment();
  for (const auto& [key, value] : j.items()) {
    const std::string w = at + "." + key;
    if (key == "name" || key == "width") continue;
    if (key == "label") {
      if (!value.is_null()) v.label = TextOf(value, w);
    } else if (key == "print") {
      v.print = FormatOf(value, w);
    } else if (key == "write") {
      v.write = FormatOf(value, w);
    } else if (key == "measure") {
      v.measureLevel = IntOf(value, w);
    } else if (key == "column_width") {
      v.columnWidth = IntOf(value, w);
    } else if (key == "alignment") {
      v.alignment = IntOf(value, w);
    } else if (key == "missing") {
      if (value.is_null()) continue;
      if (!value.is_object()) Fail(w, "expected null or {\"code\": ..., \"values\": [...]}");
      const json* code = Member(value, "code");
      const json* values = Member(value, "values");
      if (!code || !values || !values->is_array() || value.size() != 2)
        Fail(w, "expected {\"code\": ..., \"values\": [...]}");
      v.missing.code = IntOf(*code, w + ".code");
      const int n = std::abs(v.missing.code);
      if (n > 3 || v.missing.code == -1) Fail(w + ".code", "must be -3, -2, 0, 1, 2 or 3");
      if (static_cast<int>(values->size()) != n)
        Fail(w + ".values", "needs exactly " + std::to_string(n) + " values");
      for (int i = 0; i < n; ++i) {
        const std::string wi = w + ".values[" + std::to_string(i) + "]";
        if (v.numeric())
          v.missing.numbers[i] = NumberOf((*values)[i], wi);
        else
          v.missing.strings[i] = TextOf((*values)[i], wi);
      }
    } else if (key == "value_labels") {
      if (!value.is_array()) Fail(w, "expected an array");
      std::size_t i = 0;
      for (const json& e : value) {
        const std::string wi = w + "[" + std::to_string(i++) + "]";
        if (!e.is_object() || e.size() != 2 || !e.contains("value") || !e.contains("label"))
          Fail(wi, "expected {\"value\": ..., \"label\": ...}");
        if (v.numeric())
          v.numericLabels.push_back(
              {NumberOf(e["value"], wi + ".value"), TextOf(e["label"], wi + ".label")});
        else
          v.stringLabels.push_back(
              {TextOf(e["value"], wi + ".value"), TextOf(e["label"], wi + ".label")});
      }
    } else {
      Fail(w, "unknown key");
    }
  }
  return v;
}

}  // namespace

json DictionaryToJson(const Dictionary& d) {
  json j;
  j["xova_dictionary"] = kSchemaVersion;
  j["label"] = TextToJson(d.fileLabel);
  j["compressed"] = d.compressed;
  j["weight"] = d.weight ? TextToJson(*d.weight) : json(nullptr);
  json vars = json::array();
  for (const Variable& v : d.variables) vars.push_back(VariableToJson(v));
  j["variables"] = std::move(vars);
  j["multiple_response_sets"] = TextToJson(d.multipleResponseSets);
  j["variable_sets"] = TextToJson(d.variableSets);
  j["date_info"] = d.dateInfo;
  j["qeb"] = json{{"hex", HexOf(d.qeb)}};
  j["qeb_guid"] = TextToJson(d.qebGuid);
  j["text_info"] = TextToJson(d.textInfo);
  return j;
}

Dictionary DictionaryFromJson(const json& j) {
  if (!j.is_object()) Fail("dictionary", "expected a JSON object");
  const json* version = Member(j, "xova_dictionary");
  if (!version) Fail("dictionary", "no \"xova_dictionary\" key: not a dictionary document");
  if (IntOf(*version, "xova_dictionary") != kSchemaVersion)
    Fail("xova_dictionary", "unsupported version " + version->dump());
  Dictionary d;
  bool haveVariables = false;
  for (const auto& [key, value] : j.items()) {
    if (key == "xova_dictionary") continue;
    if (key == "label") {
      d.fileLabel = TextOf(value, key);
    } else if (key == "compressed") {
      d.compressed = BoolOf(value, key);
    } else if (key == "weight") {
      if (!value.is_null()) d.weight = TextOf(value, key);
    } else if (key == "variables") {
      if (!value.is_array()) Fail(key, "expected an array");
      haveVariables = true;
      std::size_t i = 0;
      for (const json& v : value)
        d.variables.push_back(VariableFromJson(v, "variables[" + std::to_string(i++) + "]"));
    } else if (key == "multiple_response_sets") {
      d.multipleResponseSets = TextOf(value, key);
    } else if (key == "variable_sets") {
      d.variableSets = TextOf(value, key);
    } else if (key == "date_info") {
      if (!value.is_array()) Fail(key, "expected an array of integers");
      std::size_t i = 0;
      for (const json& e : value)
        d.dateInfo.push_back(IntOf(e, key + "[" + std::to_string(i++) + "]"));
    } else if (key == "qeb") {
      std::string why;
      if (!TextFromJson(value, d.qeb, why)) Fail(key, why);
    } else if (key == "qeb_guid") {
      d.qebGuid = TextOf(value, key);
    } else if (key == "text_info") {
      d.textInfo = TextOf(value, key);
    } else {
      Fail(key, "unknown key");
    }
  }
  if (!haveVariables || d.variables.empty()) Fail("variables", "a dictionary needs variables");
  return d;
}

Dictionary DictionaryFromJsonText(const std::string& text) {
  json j = json::parse(text, nullptr, false);
  if (j.is_discarded()) {
    // Parse again with exceptions for the position of the fault.
    try {
      j = json::parse(text);
    } catch (const json::exception& e) {
      throw DictJsonError(std::string("malformed JSON: ") + e.what());
    }
  }
  return DictionaryFromJson(j);
}

}  // namespace xova_tool
