// The CSV reader's line scan against libcsv alone: the same records, line
// numbers and errors for any bytes, however they are cut into pieces.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "csv_input.h"

namespace xova_test {
namespace {

using xova_tool::CsvInput;

struct Outcome {
  std::vector<std::vector<std::string>> records;
  std::vector<long> lines;
  std::string error;  // empty when the whole input was accepted
  bool operator==(const Outcome& o) const {
    return records == o.records && lines == o.lines && error == o.error;
  }
};

std::string Show(const Outcome& o) {
  std::string s;
  for (std::size_t i = 0; i < o.records.size(); ++i) {
    s += std::to_string(o.lines[i]) + ":";
    for (const auto& f : o.records[i]) s += "[" + f + "]";
    s += "\n";
  }
  return s + "error: " + o.error;
}

// Feeds `text` in pieces of the given sizes (cycled), then finishes.
Outcome Parse(const std::string& text, CsvInput::Scan scan, const std::vector<std::size_t>& pieces,
              long throwAtLine = 0) {
  Outcome o;
  try {
    CsvInput csv(
        [&](const std::vector<std::string_view>& f, long line) {
          if (line == throwAtLine) throw std::runtime_error("refused line " + std::to_string(line));
          o.records.emplace_back(f.begin(), f.end());
          o.lines.push_back(line);
        },
        scan);
    std::size_t at = 0;
    for (std::size_t k = 0; at < text.size(); ++k) {
      const std::size_t n = std::min(pieces[k % pieces.size()], text.size() - at);
      csv.Feed(text.data() + at, n);
      at += n;
    }
    csv.Finish();
  } catch (const std::exception& e) {
    o.error = e.what();
  }
  return o;
}

Outcome Reference(const std::string& text, long throwAtLine = 0) {
  return Parse(text, CsvInput::Scan::kLibraryOnly, {text.size() + 1}, throwAtLine);
}

void ExpectSameAsReference(const std::string& text, const std::vector<std::size_t>& pieces,
                           long throwAtLine = 0) {
  const Outcome want = Reference(text, throwAtLine);
  const Outcome got = Parse(text, CsvInput::Scan::kLines, pieces, throwAtLine);
  EXPECT_TRUE(got == want) << "input: " << testing::PrintToString(text) << "\nwant:\n"
                           << Show(want) << "\ngot:\n"
                           << Show(got);
}

TEST(CsvLineScan, AgreesWithLibcsvOnHandPickedInputs) {
  const char* inputs[] = {
      "a,b\n1,2\n",
      "a,b\n1,2",                   // no final line end
      "a\n\n\nb\n",                 // empty lines are one empty field
      ",\n,,\n a , b \n",           // empty fields, blanks kept
      "a,b\r\n1,2\r\n\r\n3,4\r\n",  // CRLF, with an empty line
      "a\rb\rc\n",                  // lone CRs end lines too
      "a\r\r\nb\n",                 // CR, then CRLF
      "a,\"b\nc\",d\ne,f\n",        // a quoted line end
      "a,\"x\"\"y\"\n\"\",z\n",     // doubled quotes, empty quoted field
      "a,b\n1,\"x\"y\n2,3\n",       // quote closed too early
      "a,b\n1,x\"y\n",              // quote inside an unquoted field
      "a,b\n1,\"open\n2,3\n",       // never closed
      "a,b\n1,\"x\r\"\r\n",         // quoted CR
      "\"a\"\r",
      "\r\n\r\n",
      "\n",
      "",
      ",",
      "x,\r",
  };
  for (const char* text : inputs) {
    SCOPED_TRACE(text);
    for (std::size_t piece : {1, 2, 3, 5, 64, 1 << 16}) ExpectSameAsReference(text, {piece});
  }
}

TEST(CsvLineScan, AgreesWithLibcsvOnRandomInputsInRandomPieces) {
  // Few symbols, so quotes, line ends and commas meet in every order.
  const char symbols[] = {'a', '1', ' ', ',', ',', '"', '\r', '\n', '\n', '\0'};
  std::mt19937 rng(20261209);
  for (int round = 0; round < 3000; ++round) {
    std::string text(rng() % 120, ' ');
    for (char& c : text) c = symbols[rng() % sizeof symbols];
    std::vector<std::size_t> pieces;
    for (int k = 0; k < 4; ++k) pieces.push_back(1 + rng() % 17);
    ExpectSameAsReference(text, pieces, round % 5 == 0 ? 1 + static_cast<long>(rng() % 6) : 0);
    if (HasFailure()) break;
  }
}

TEST(CsvLineScan, LongLinesAndManyFieldsKeepTheirLimits) {
  // Lines longer than what waits for its end, plain and with a quote at the
  // end. (Not much longer: libcsv grows its field 128 bytes at a time, which
  // under AddressSanitizer means a copy each time.)
  const std::string longField((1u << 20) + 4096, 'x');
  ExpectSameAsReference("h\n" + longField + "\nz\n", {65536});
  ExpectSameAsReference("h\n" + longField + "\"\nz\n", {65536, 7});
  // A field past the bound is refused, not grown into.
  const std::string huge = "h\n" + std::string(CsvInput::kMaxRecordBytes + 2048, 'x') + "\n";
  const Outcome refused = Parse(huge, CsvInput::Scan::kLines, {1u << 22});
  EXPECT_EQ(refused.error, "line 2, column 1: a field larger than 64 MiB");
  EXPECT_TRUE(refused == Reference(huge));
  // Lines ended by CR alone wait for an LF that never comes, up to a bound.
  std::string crLines;
  for (int i = 0; i < 300000; ++i) crLines += std::to_string(i) + ",x\r";
  ExpectSameAsReference(crLines + "\"last\"\n", {65536});
  // One field too many, in one piece and in many.
  const std::string fields(CsvInput::kMaxFields, ',');
  ExpectSameAsReference("a\n" + fields + "\n", {1u << 22});
  ExpectSameAsReference("a\n" + fields + "\n", {65536});
  ExpectSameAsReference("a\n" + fields.substr(1) + "\n", {1u << 22});
  const Outcome tooMany = Parse("a\n" + fields + "\n", CsvInput::Scan::kLines, {1u << 22});
  EXPECT_EQ(tooMany.error, "line 2: more than 1048576 fields");
}

TEST(CsvLineScan, ARefusedRecordStaysRefused) {
  CsvInput csv([](const std::vector<std::string_view>&, long line) {
    if (line == 2) throw std::runtime_error("no");
  });
  const std::string text = "a\nb\nc\n";
  EXPECT_THROW(csv.Feed(text.data(), text.size()), std::runtime_error);
  EXPECT_THROW(csv.Feed("d\n", 2), std::runtime_error);
  EXPECT_THROW(csv.Finish(), std::runtime_error);
}

}  // namespace
}  // namespace xova_test
