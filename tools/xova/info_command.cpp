// xova info: what a file is, at a glance.
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstring>
#include <iostream>

#include "commands.h"
#include "text_escape.h"
#include "xovaio32.hpp"

namespace xova_tool {

namespace {

// The set names of a set text: what comes before "=" on each line.
std::vector<std::string> SetNames(const std::string& text) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    const auto eq = line.find('=');
    if (eq != std::string::npos && eq > 0) names.push_back(line.substr(0, eq));
    start = end + 1;
  }
  return names;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string s;
  for (const auto& i : items) s += (s.empty() ? "" : ", ") + i;
  return s.empty() ? "none" : s;
}

}  // namespace

int InfoCommand(const std::string& file, bool asJson) {
  xovaio32::Reader r(file);
  const int h = r.handle();
  char label[80] = {0}, date[16] = {0}, time[16] = {0}, weight[80] = {0};
  xovaio32::Check(xovaGetIdString(h, label), file, "file label");
  // The file pads its label to 64 bytes; the padding is no part of it.
  for (std::size_t n = std::strlen(label); n > 0 && label[n - 1] == ' ';) label[--n] = '\0';
  xovaio32::Check(xovaGetTimeStamp(h, date, time), file, "creation time");
  int compressed = 0, variables = 0, caseSize = 0, documents = 0;
  xovaio32::Check(xovaGetCompression(h, &compressed), file, "compression");
  xovaio32::Check(xovaGetNumberofVariables(h, &variables), file, "number of variables");
  xovaio32::Check(xovaGetCaseSize(h, &caseSize), file, "case size");
  const bool hasWeight =
      xovaio32::Check(xovaGetCaseWeightVar(h, weight), file, "weight variable") == XOVA_OK;
  xovaio32::Check(xovaQueryType7(h, 0, &documents), file, "documents");
  const int cases = r.caseCount();
  std::string mrsets, varsets;
  char* text = nullptr;
  if (xovaio32::Check(xovaGetMultRespDefs(h, &text), file, "multiple-response sets") == XOVA_OK)
    mrsets = text;
  xovaFreeMultRespDefs(text);
  text = nullptr;
  if (xovaio32::Check(xovaGetVariableSets(h, &text), file, "variable sets") == XOVA_OK)
    varsets = text;
  xovaFreeVariableSets(text);
  const std::string order = ByteOrderOf(file);
  const long long size = FileSize(file);

  if (asJson) {
    nlohmann::json j;
    j["file"] = TextToJson(file);
    j["label"] = TextToJson(label);
    j["created_date"] = date;
    j["created_time"] = time;
    j["byte_order"] = order;
    j["compressed"] = compressed != 0;
    j["cases"] = cases >= 0 ? nlohmann::json(cases) : nlohmann::json(nullptr);
    j["variables"] = variables;
    j["elements_per_case"] = caseSize / 8;
    j["weight"] = hasWeight ? TextToJson(weight) : nlohmann::json(nullptr);
    j["documents"] = documents != 0;
    nlohmann::json m = nlohmann::json::array(), v = nlohmann::json::array();
    for (const auto& n : SetNames(mrsets)) m.push_back(TextToJson(n));
    for (const auto& n : SetNames(varsets)) v.push_back(TextToJson(n));
    j["multiple_response_sets"] = m;
    j["variable_sets"] = v;
    j["file_size"] = size;
    std::cout << j.dump(2) << '\n';
  } else {
    std::string casesText = std::to_string(cases);
    if (cases < 0) {
      int estimate = 0;
      casesText = xovaGetEstimatedNofCases(h, &estimate) == XOVA_OK
                      ? "not recorded (about " + std::to_string(estimate) + ")"
                      : "not recorded";
    }
    std::printf("file:                    %s\n", file.c_str());
    std::printf("label:                   %s\n", label);
    std::printf("created:                 %s %s\n", date, time);
    std::printf("byte order:              %s-endian\n", order.c_str());
    std::printf("compression:             %s\n", compressed ? "byte codes" : "none");
    std::printf("cases:                   %s\n", casesText.c_str());
    std::printf("variables:               %d\n", variables);
    std::printf("elements per case:       %d\n", caseSize / 8);
    std::printf("weight:                  %s\n", hasWeight ? weight : "none");
    std::printf("documents:               %s\n", documents ? "yes" : "none");
    std::printf("multiple-response sets:  %s\n", Joined(SetNames(mrsets)).c_str());
    std::printf("variable sets:           %s\n", Joined(SetNames(varsets)).c_str());
    std::printf("file size:               %lld bytes\n", size);
  }
  std::fflush(stdout);
  if (std::ferror(stdout)) throw ToolError("standard output", "write", "failed");
  return kExitOk;
}

}  // namespace xova_tool
