// The xova commands; each returns the exit status and throws for failures
// (xovaio32::Error, ToolError, CsvError, DictJsonError, UsageError).
#ifndef XOVA_TOOLS_COMMANDS_H
#define XOVA_TOOLS_COMMANDS_H

#include <string>
#include <vector>

#include "common.h"

namespace xova_tool {

int InfoCommand(const std::string& file, bool json);
int DictCommand(const std::string& file, bool json);

struct ExportOptions {
  std::string file;
  std::string output;  // empty: stdout
  std::string format = "csv";
  std::vector<std::string> columns;
  std::string rows;
  bool labels = false;
  int jobs = 1;
  bool quiet = false;
};
int ExportCommand(const ExportOptions& o);

struct ImportOptions {
  std::string csv;  // "-": stdin
  std::string output;
  std::string dict;
  std::string like;
  bool compress = false;
  bool noCompress = false;
  std::string label;
  bool haveLabel = false;
  bool ignoreExtraColumns = false;
  bool allowMissingColumns = false;
  bool quiet = false;
};
int ImportCommand(const ImportOptions& o);

int CheckCommand(const std::string& file, bool quiet);

struct CopyOptions {
  std::string input;
  std::string output;
  bool compress = false;
  bool noCompress = false;
  std::string rows;
  bool quiet = false;
};
int CopyCommand(const CopyOptions& o);

}  // namespace xova_tool

#endif
