// Runs the xova binary the build made, as a user would, and captures what it
// printed and how it ended.
#ifndef XOVA_TOOLS_TESTS_XOVA_RUN_H
#define XOVA_TOOLS_TESTS_XOVA_RUN_H

#include <string>
#include <vector>

namespace xova_test {

struct RunResult {
  int status = -1;  // exit status; -1 when killed by a signal
  int signal = 0;   // the signal that ended it, if one did
  std::string out;  // standard output
  std::string err;  // standard error
};

// `input` names a file given as standard input (empty: /dev/null).
RunResult RunXova(const std::vector<std::string>& args, const std::string& input = "");

std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);

}  // namespace xova_test

#endif
