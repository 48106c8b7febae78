// A test-side writer of data files, written from the record layout alone (not
// from the library's encoders), so the reader can be checked against files
// the library did not make: the other byte order, foreign special values,
// records out of order or broken field by field.
#ifndef XOVA_TESTS_READ_FILE_BUILDER_H
#define XOVA_TESTS_READ_FILE_BUILDER_H

#include <cstdint>
#include <string>
#include <vector>

namespace xova_test {

struct HeaderSpec {
  std::int32_t version = 2;
  std::int32_t caseSize = 1;
  std::int32_t compression = 0;
  std::int32_t weightIndex = 0;
  std::int32_t caseCount = 0;
  std::string date = "08 Dec 26";
  std::string time = "12:34:56";
  std::string label;
  std::string system = "Test Writer 1.0";  // the 40 bytes from offset 24
};

struct VariableSpec {
  std::int32_t width = 0;  // 0 numeric, 1..255 string
  std::string name;        // up to 8 bytes, stored blank-padded
  std::int32_t printFormat = 0x050802;
  std::int32_t writeFormat = 0x050802;
  bool hasLabel = false;
  std::string label;
  std::int32_t missingCode = 0;
  std::vector<double> missingNumbers;       // numeric variables
  std::vector<std::string> missingStrings;  // string variables, 8 bytes each
  bool continuations = true;                // write the continuation records
};

struct LabelSpec {
  double number = 0;
  std::string text;  // the value of a string set (8 bytes, blank-padded)
  std::string label;
};

class FileBuilder {
 public:
  // `swapped` writes every number in big-endian order, as a writer on the
  // other kind of host would.
  explicit FileBuilder(bool swapped = false) : swapped_(swapped) {}

  FileBuilder& Int32(std::int32_t v);
  FileBuilder& Double(double v);
  FileBuilder& Bits(std::uint64_t bits);  // an 8-byte number given by its bits
  FileBuilder& Raw(const std::string& bytes);
  FileBuilder& Raw(const std::vector<unsigned char>& bytes);
  FileBuilder& Padded(const std::string& text, std::size_t width, char pad = ' ');

  FileBuilder& Header(const HeaderSpec& h);
  // The variable record, its label and missing values, and its continuations.
  FileBuilder& Variable(const VariableSpec& v);
  FileBuilder& Numeric(const std::string& name);
  FileBuilder& String(const std::string& name, std::int32_t width);
  // A type 3 record and its type 4 record. String sets give LabelSpec::text.
  FileBuilder& LabelPair(const std::vector<LabelSpec>& labels,
                         const std::vector<std::int32_t>& positions, bool stringSet = false);
  FileBuilder& Documents(const std::vector<std::string>& lines);
  // A type 7 record; elements wider than one byte are given in the host's
  // order and reversed here for a swapped file.
  FileBuilder& Extension(std::int32_t subtype, std::int32_t elemSize, std::int32_t count,
                         const std::vector<unsigned char>& payload);
  FileBuilder& TextExtension(std::int32_t subtype, const std::string& text);
  FileBuilder& IntExtension(std::int32_t subtype, const std::vector<std::int32_t>& values);
  FileBuilder& DoubleExtension(std::int32_t subtype, const std::vector<double>& values);
  FileBuilder& Terminator();

  // Case data: one 8-byte number (order of the file) or 8 characters.
  FileBuilder& CaseNumber(double v) { return Double(v); }
  FileBuilder& CaseText(const std::string& text) { return Padded(text, 8); }
  // One compressed block: 8 codes, then the raw elements given (already in
  // the file's order).
  FileBuilder& CodeBlock(const std::vector<unsigned char>& codes,
                         const std::vector<std::vector<unsigned char>>& raws = {});
  // 8 raw bytes of a number in the file's order, for CodeBlock.
  std::vector<unsigned char> NumberBytes(double v) const;

  const std::vector<unsigned char>& bytes() const { return bytes_; }
  std::size_t size() const { return bytes_.size(); }
  bool WriteTo(const std::string& path) const;

 private:
  void Put(const void* data, std::size_t n, bool number);
  bool swapped_;
  std::vector<unsigned char> bytes_;
};

// Host special values and the defaults a reader assumes without a subtype 4.
constexpr std::uint64_t kHostSysmisBits = 0xFFEFFFFFFFFFFFFFull;
constexpr std::uint64_t kDefaultSysmisBits = 0xC7EFFFFF966AD924ull;
double FromBits(std::uint64_t bits);
std::uint64_t ToBits(double v);

}  // namespace xova_test

#endif
