// Dataset files for the tool's tests, written through the C++ layer: one
// with hostile texts, every missing-value form, shared label sets and
// multiple-response sets; one with thousands of variables; plain numbers.
#ifndef XOVA_TOOLS_TESTS_SAMPLE_FILES_H
#define XOVA_TOOLS_TESTS_SAMPLE_FILES_H

#include <string>

namespace xova_test {

void WriteHostileFile(const std::string& path, bool compressed);
void WriteWideFile(const std::string& path, int variables, int cases);
// Numeric x = case number, and a string s = "r<case number>".
void WriteNumberedFile(const std::string& path, bool compressed, int cases);
// A file of the other byte order, written record by record.
void WriteBigEndianFile(const std::string& path, bool compressed);

}  // namespace xova_test

#endif
