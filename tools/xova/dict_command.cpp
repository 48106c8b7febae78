// xova dict: the whole dictionary, as a table or as JSON.
#include <cmath>
#include <cstdio>
#include <iostream>

#include "commands.h"
#include "dict_json.h"
#include "text_escape.h"
#include "xovaio32.hpp"

namespace xova_tool {

namespace {

std::string Number(double v) {
  std::string s;
  AppendNumber(s, v);
  return s;
}

std::string FormatText(const xovaio32::Format& f) {
  return std::to_string(f.type) + ":" + std::to_string(f.width) + "." + std::to_string(f.decimals);
}

std::string MissingText(const xovaio32::Variable& v) {
  const auto& m = v.missing;
  if (m.code == 0) return "";
  if (!v.numeric()) {
    std::string s;
    for (int i = 0; i < m.code; ++i) s += (i ? ", " : "") + ("'" + m.strings[i] + "'");
    return s;
  }
  if (m.code > 0) {
    std::string s;
    for (int i = 0; i < m.code; ++i) s += (i ? ", " : "") + Number(m.numbers[i]);
    return s;
  }
  std::string s = Number(m.numbers[0]) + " thru " + Number(m.numbers[1]);
  if (m.code == -3) s += ", " + Number(m.numbers[2]);
  return s;
}

const char* MeasureText(int level) {
  switch (level) {
    case 1:
      return "nominal";
    case 2:
      return "ordinal";
    case 3:
      return "scale";
    default:
      return "?";
  }
}

const char* AlignText(int a) {
  switch (a) {
    case 0:
      return "left";
    case 1:
      return "right";
    case 2:
      return "center";
    default:
      return "?";
  }
}

// Control characters shown escaped so the table stays one line per entry.
std::string Shown(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\t')
      out += "\\t";
    else if (c < 0x20)
      out += '?';
    else
      out += static_cast<char>(c);
  }
  return out;
}

void PrintTable(const xovaio32::Dictionary& d) {
  std::printf("label: %s\n", Shown(d.fileLabel).c_str());
  std::printf("compressed: %s\n", d.compressed ? "yes" : "no");
  std::printf("weight: %s\n", d.weight ? d.weight->c_str() : "none");
  std::printf("\n%-4s %-24s %-6s %-10s %-10s %-8s %-6s %-6s %s\n", "#", "name", "type", "print",
              "write", "measure", "align", "column", "label");
  int i = 0;
  for (const auto& v : d.variables) {
    const std::string type = v.numeric() ? "num" : "A" + std::to_string(v.width);
    std::printf("%-4d %-24s %-6s %-10s %-10s %-8s %-6s %-6d %s\n", ++i, v.name.c_str(),
                type.c_str(), FormatText(v.print).c_str(), FormatText(v.write).c_str(),
                MeasureText(v.measureLevel), AlignText(v.alignment), v.columnWidth,
                v.label ? Shown(*v.label).c_str() : "");
    const std::string missing = MissingText(v);
    if (!missing.empty()) std::printf("     missing: %s\n", Shown(missing).c_str());
    for (const auto& l : v.numericLabels)
      std::printf("     %s = %s\n", Number(l.value).c_str(), Shown(l.label).c_str());
    for (const auto& l : v.stringLabels)
      std::printf("     '%s' = %s\n", Shown(l.value).c_str(), Shown(l.label).c_str());
  }
  auto block = [](const char* title, const std::string& text) {
    if (text.empty()) return;
    std::printf("\n%s:\n", title);
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::printf("  %s\n", Shown(text.substr(start, end - start)).c_str());
      start = end + 1;
    }
  };
  block("multiple-response sets", d.multipleResponseSets);
  block("variable sets", d.variableSets);
  if (!d.dateInfo.empty()) {
    std::printf("\ndate information:");
    for (int v : d.dateInfo) std::printf(" %d", v);
    std::printf("\n");
  }
  if (!d.qeb.empty()) std::printf("\nQEB information: %zu bytes\n", d.qeb.size());
  if (!d.qebGuid.empty()) std::printf("QEB GUID: %s\n", Shown(d.qebGuid).c_str());
  if (!d.textInfo.empty()) std::printf("text information: %s\n", Shown(d.textInfo).c_str());
}

}  // namespace

int DictCommand(const std::string& file, bool asJson) {
  xovaio32::Reader r(file);
  const xovaio32::Dictionary d = r.dictionary();
  if (asJson)
    std::cout << DictionaryToJson(d).dump(1) << '\n';
  else
    PrintTable(d);
  std::cout.flush();
  std::fflush(stdout);
  if (!std::cout || std::ferror(stdout)) throw ToolError("standard output", "write", "failed");
  return kExitOk;
}

}  // namespace xova_tool
