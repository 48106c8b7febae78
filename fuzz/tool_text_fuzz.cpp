// The xova tool's text readers: CSV records (fed in pieces of any size) and
// dictionary JSON. The first byte chooses which. Whatever is accepted must
// survive being written out and read again unchanged, and the CSV reader's
// line scan must agree with libcsv alone.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "csv_input.h"
#include "dict_json.h"
#include "fuzz_check.h"
#include "text_escape.h"

namespace {

using Records = std::vector<std::vector<std::string>>;

// Parses, feeding `step` bytes at a time; false when the input is refused.
bool ParseCsv(const std::string& text, std::size_t step, Records& out,
              xova_tool::CsvInput::Scan scan = xova_tool::CsvInput::Scan::kLines) {
  out.clear();
  try {
    xova_tool::CsvInput csv(
        [&](const std::vector<std::string_view>& f, long) { out.emplace_back(f.begin(), f.end()); },
        scan);
    for (std::size_t i = 0; i < text.size(); i += step)
      csv.Feed(text.data() + i, std::min(step, text.size() - i));
    csv.Finish();
  } catch (const xova_tool::CsvError&) {
    return false;
  }
  return true;
}

void FuzzCsv(const std::string& text, std::size_t step) {
  Records records, reference;
  const bool accepted = ParseCsv(text, step, records);
  CHECK(accepted ==
        ParseCsv(text, text.size() + 1, reference, xova_tool::CsvInput::Scan::kLibraryOnly));
  CHECK(records == reference);
  if (!accepted) return;
  Records whole;
  CHECK(ParseCsv(text, text.size() + 1, whole));
  CHECK(whole == records);
  // What the export writes reads back as the same fields.
  std::string written;
  for (const auto& r : records) {
    for (std::size_t i = 0; i < r.size(); ++i) {
      if (i) written += ',';
      xova_tool::AppendCsvField(written, r[i], ',');
    }
    written += '\n';
  }
  Records again;
  CHECK(ParseCsv(written, 7, again));
  CHECK(again == records);
}

void FuzzJson(const std::string& text) {
  xovaio32::Dictionary d;
  try {
    d = xova_tool::DictionaryFromJsonText(text);
  } catch (const xova_tool::DictJsonError&) {
    return;
  }
  const std::string once = xova_tool::DictionaryToJson(d).dump();
  const xovaio32::Dictionary back = xova_tool::DictionaryFromJsonText(once);
  CHECK(xova_tool::DictionaryToJson(back).dump() == once);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
  if (data[0] & 1)
    FuzzJson(text);
  else
    FuzzCsv(text, 1 + data[1] % 64);
  return 0;
}
