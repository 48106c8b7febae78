// Texts and numbers as xova writes them: CSV and TSV fields, JSON strings for
// bytes that may not be UTF-8, and shortest round-trip numbers.
#ifndef XOVA_TOOLS_TEXT_ESCAPE_H
#define XOVA_TOOLS_TEXT_ESCAPE_H

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace xova_tool {

bool ValidUtf8(std::string_view bytes);
// Two lower-case hex digits per byte.
std::string HexOf(std::string_view bytes);

// A text for JSON: a string when the bytes are UTF-8, else {"hex": "..."} with
// two lower-case hex digits per byte, so no byte is lost or altered.
nlohmann::json TextToJson(std::string_view bytes);
// The inverse; false (and a reason) for anything else.
bool TextFromJson(const nlohmann::json& j, std::string& out, std::string& why);

// The same encoding appended as JSON text.
void AppendJsonText(std::string& out, std::string_view bytes);

// RFC 4180: quoted when the field holds the separator, a quote, CR or LF.
void AppendCsvField(std::string& out, std::string_view field, char separator);
// Tabs, CR, LF and backslashes escaped as \t, \r, \n and \\.
void AppendTsvField(std::string& out, std::string_view field);

// Shortest decimal form that reads back to the same double; nan, inf, -inf.
void AppendNumber(std::string& out, double v);

// The same, written at `p`, which must have room for the longest result:
// 32 bytes for a number, 2n + 2 for a CSV or TSV field of n bytes, 6n + 16
// for JSON text. Each returns the end of what it wrote.
constexpr std::size_t kMaxNumberBytes = 32;
inline std::size_t MaxCsvBytes(std::size_t n) {
  return 2 * n + 2;
}
inline std::size_t MaxJsonBytes(std::size_t n) {
  return 6 * n + 16;
}
char* PutNumber(char* p, double v);
char* PutCsvField(char* p, std::string_view field, char separator);
char* PutTsvField(char* p, std::string_view field);
char* PutJsonText(char* p, std::string_view bytes);
// Parses a whole field as a number (the forms AppendNumber writes, plus a
// leading '+' and surrounding blanks); false when it is not one.
bool ParseNumber(std::string_view field, double& v);

}  // namespace xova_tool

#endif
