// Two Dataset files compared through the query functions of the interface:
// the whole dictionary, and every case value for value.
#ifndef XOVA_TOOLS_TESTS_SAME_FILE_H
#define XOVA_TOOLS_TESTS_SAME_FILE_H

#include <string>

namespace xova_test {

// gtest expectations that `actual` equals `expected`: dictionary, file
// queries, and every case (numbers bit for bit, NaN as NaN; strings byte for
// byte). Documents are compared only when `documents` is set.
void ExpectSameFile(const std::string& expected, const std::string& actual, bool documents);

}  // namespace xova_test

#endif
