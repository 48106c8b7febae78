#include "read/file_builder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace xova_test {

double FromBits(std::uint64_t bits) {
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

std::uint64_t ToBits(double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return bits;
}

namespace {

// Little-endian bytes of a value whatever the host.
template <class T>
std::vector<unsigned char> LittleEndian(T value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof value);
  std::vector<unsigned char> out(sizeof value);
  for (std::size_t i = 0; i < sizeof value; ++i)
    out[i] = static_cast<unsigned char>(bits >> (8 * i));
  return out;
}

}  // namespace

void FileBuilder::Put(const void* data, std::size_t n, bool number) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  const std::size_t at = bytes_.size();
  bytes_.insert(bytes_.end(), p, p + n);
  if (number && swapped_) std::reverse(bytes_.begin() + static_cast<long>(at), bytes_.end());
}

FileBuilder& FileBuilder::Int32(std::int32_t v) {
  const auto le = LittleEndian(v);
  Put(le.data(), le.size(), true);
  return *this;
}

FileBuilder& FileBuilder::Double(double v) {
  const auto le = LittleEndian(v);
  Put(le.data(), le.size(), true);
  return *this;
}

FileBuilder& FileBuilder::Bits(std::uint64_t bits) {
  return Double(FromBits(bits));
}

FileBuilder& FileBuilder::Raw(const std::string& bytes) {
  Put(bytes.data(), bytes.size(), false);
  return *this;
}

FileBuilder& FileBuilder::Raw(const std::vector<unsigned char>& bytes) {
  Put(bytes.data(), bytes.size(), false);
  return *this;
}

FileBuilder& FileBuilder::Padded(const std::string& text, std::size_t width, char pad) {
  std::string field = text.substr(0, width);
  field.resize(width, pad);
  return Raw(field);
}

FileBuilder& FileBuilder::Header(const HeaderSpec& h) {
  Raw("$FL2");
  Padded("@(#) XOVA DATA FILE ", 20);
  Padded(h.system, 40);
  Int32(h.version).Int32(h.caseSize).Int32(h.compression).Int32(h.weightIndex);
  Int32(h.caseCount).Double(100.0);
  Padded(h.date, 9).Padded(h.time, 8).Padded(h.label, 64);
  return Raw(std::string(3, '\0'));
}

FileBuilder& FileBuilder::Variable(const VariableSpec& v) {
  Int32(2).Int32(v.width).Int32(v.hasLabel ? 1 : 0).Int32(v.missingCode);
  Int32(v.printFormat).Int32(v.writeFormat).Padded(v.name, 8);
  if (v.hasLabel) {
    Int32(static_cast<std::int32_t>(v.label.size())).Raw(v.label);
    Raw(std::string((4 - v.label.size() % 4) % 4, ' '));
  }
  for (double m : v.missingNumbers) Double(m);
  for (const auto& m : v.missingStrings) Padded(m, 8);
  if (v.continuations && v.width > 8) {
    for (std::int32_t i = 0; i < (v.width - 1) / 8; ++i) {
      Int32(2).Int32(-1).Int32(0).Int32(0).Int32(v.printFormat).Int32(v.writeFormat);
      Padded("", 8);
    }
  }
  return *this;
}

FileBuilder& FileBuilder::Numeric(const std::string& name) {
  VariableSpec v;
  v.name = name;
  return Variable(v);
}

FileBuilder& FileBuilder::String(const std::string& name, std::int32_t width) {
  VariableSpec v;
  v.width = width;
  v.name = name;
  v.printFormat = v.writeFormat = 0x010000 | (width << 8);
  return Variable(v);
}

FileBuilder& FileBuilder::LabelPair(const std::vector<LabelSpec>& labels,
                                    const std::vector<std::int32_t>& positions, bool stringSet) {
  Int32(3).Int32(static_cast<std::int32_t>(labels.size()));
  for (const auto& l : labels) {
    if (stringSet) {
      Padded(l.text, 8);
    } else {
      Double(l.number);
    }
    const std::size_t n = l.label.size();
    Raw(std::string(1, static_cast<char>(n))).Raw(l.label);
    Raw(std::string((8 - (1 + n) % 8) % 8, ' '));
  }
  Int32(4).Int32(static_cast<std::int32_t>(positions.size()));
  for (std::int32_t p : positions) Int32(p);
  return *this;
}

FileBuilder& FileBuilder::Documents(const std::vector<std::string>& lines) {
  Int32(6).Int32(static_cast<std::int32_t>(lines.size()));
  for (const auto& line : lines) Padded(line, 80);
  return *this;
}

FileBuilder& FileBuilder::Extension(std::int32_t subtype, std::int32_t elemSize, std::int32_t count,
                                    const std::vector<unsigned char>& payload) {
  Int32(7).Int32(subtype).Int32(elemSize).Int32(count);
  if (elemSize > 1) {
    const std::size_t size = static_cast<std::size_t>(elemSize);
    for (std::size_t at = 0; at + size <= payload.size(); at += size) {
      Put(payload.data() + at, size, true);
    }
    Put(payload.data() + payload.size() - payload.size() % size, payload.size() % size, false);
  } else {
    Put(payload.data(), payload.size(), false);
  }
  return *this;
}

FileBuilder& FileBuilder::TextExtension(std::int32_t subtype, const std::string& text) {
  return Extension(subtype, 1, static_cast<std::int32_t>(text.size()),
                   std::vector<unsigned char>(text.begin(), text.end()));
}

FileBuilder& FileBuilder::IntExtension(std::int32_t subtype,
                                       const std::vector<std::int32_t>& values) {
  std::vector<unsigned char> payload;
  for (std::int32_t v : values) {
    const auto le = LittleEndian(v);
    payload.insert(payload.end(), le.begin(), le.end());
  }
  return Extension(subtype, 4, static_cast<std::int32_t>(values.size()), payload);
}

FileBuilder& FileBuilder::DoubleExtension(std::int32_t subtype, const std::vector<double>& values) {
  std::vector<unsigned char> payload;
  for (double v : values) {
    const auto le = LittleEndian(v);
    payload.insert(payload.end(), le.begin(), le.end());
  }
  return Extension(subtype, 8, static_cast<std::int32_t>(values.size()), payload);
}

FileBuilder& FileBuilder::Terminator() {
  return Int32(999).Int32(0);
}

FileBuilder& FileBuilder::CodeBlock(const std::vector<unsigned char>& codes,
                                    const std::vector<std::vector<unsigned char>>& raws) {
  std::vector<unsigned char> block(codes);
  block.resize(8, 0);
  Raw(block);
  for (const auto& raw : raws) Raw(raw);
  return *this;
}

std::vector<unsigned char> FileBuilder::NumberBytes(double v) const {
  auto le = LittleEndian(v);
  if (swapped_) std::reverse(le.begin(), le.end());
  return le;
}

bool FileBuilder::WriteTo(const std::string& path) const {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok =
      bytes_.empty() || std::fwrite(bytes_.data(), 1, bytes_.size(), f) == bytes_.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace xova_test
