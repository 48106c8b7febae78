// A small reader of the dictionary records of a data file, written from the
// record layout alone (not from the library's encoders), so tests can check
// what was written field by field. Little-endian throughout.
#ifndef XOVA_TESTS_WRITE_RECORD_READER_H
#define XOVA_TESTS_WRITE_RECORD_READER_H

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace xova_test {

using Bytes = std::vector<unsigned char>;

struct HeaderFields {
  std::string magic;    // 4
  std::string product;  // 60
  std::int32_t version = 0;
  std::int32_t caseSize = 0;
  std::int32_t compression = 0;
  std::int32_t weightIndex = 0;
  std::int32_t caseCount = 0;
  std::uint64_t biasBits = 0;
  std::string date;   // 9
  std::string time;   // 8
  std::string label;  // 64
  Bytes tail;         // 3
};

struct VariableFields {
  std::size_t offset = 0;  // where the record starts in the file
  std::size_t size = 0;    // bytes of the record with its label and missing values
  std::int32_t width = 0;
  std::int32_t labelFlag = 0;
  std::int32_t missingCode = 0;
  std::int32_t printFormat = 0;
  std::int32_t writeFormat = 0;
  std::string name;  // 8, with its blanks
  std::int32_t labelLength = 0;
  std::string labelField;      // label length rounded up to 4, with its blanks
  std::vector<Bytes> missing;  // one 8-byte element per value
};

struct LabelFields {
  Bytes value;  // 8
  std::string label;
  std::string fill;  // the blanks after the label
};

struct LabelSetFields {
  std::vector<LabelFields> labels;
  std::vector<std::int32_t> variables;
};

struct ExtensionFields {
  std::int32_t subtype = 0;
  std::int32_t elemSize = 0;
  std::int32_t count = 0;
  Bytes payload;

  std::string Text() const { return std::string(payload.begin(), payload.end()); }
  std::int32_t Int(std::size_t i) const;
  std::uint64_t Bits(std::size_t i) const;
};

struct FileRecords {
  bool ok = false;
  std::string error;  // what broke the layout, when !ok
  HeaderFields header;
  std::vector<VariableFields> variables;  // continuation records included, in file order
  std::vector<LabelSetFields> labelSets;
  bool hasDocuments = false;
  std::int32_t documentLines = 0;
  std::string documents;
  std::vector<ExtensionFields> extensions;  // in file order
  std::vector<std::int32_t> order;          // record types as they came, continuations included
  std::int32_t terminatorFiller = -1;
  std::size_t dataOffset = 0;  // first byte after the terminator
  Bytes caseData;

  const ExtensionFields* Extension(std::int32_t subtype) const {
    for (const ExtensionFields& e : extensions) {
      if (e.subtype == subtype) return &e;
    }
    return nullptr;
  }
};

class RecordCursor {
 public:
  explicit RecordCursor(const Bytes& bytes) : bytes_(bytes) {}

  bool Has(std::size_t n) const { return pos_ <= bytes_.size() && bytes_.size() - pos_ >= n; }
  std::size_t pos() const { return pos_; }

  std::int32_t Int() {
    if (!Need(4)) return 0;
    const unsigned char* p = &bytes_[pos_];
    pos_ += 4;
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
        static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
  }
  std::uint64_t U64() {
    if (!Need(8)) return 0;
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = v << 8 | bytes_[pos_ + static_cast<std::size_t>(i)];
    pos_ += 8;
    return v;
  }
  Bytes Raw(std::size_t n) {
    if (!Need(n)) return {};
    Bytes out(bytes_.begin() + static_cast<std::ptrdiff_t>(pos_),
              bytes_.begin() + static_cast<std::ptrdiff_t>(pos_ + n));
    pos_ += n;
    return out;
  }
  std::string Str(std::size_t n) {
    const Bytes raw = Raw(n);
    return std::string(raw.begin(), raw.end());
  }
  bool failed() const { return failed_; }

 private:
  bool Need(std::size_t n) {
    if (Has(n)) return true;
    failed_ = true;
    pos_ = bytes_.size();
    return false;
  }
  const Bytes& bytes_;
  std::size_t pos_ = 0;
  bool failed_ = false;
};

inline std::int32_t ExtensionFields::Int(std::size_t i) const {
  if (payload.size() < 4 * (i + 1)) return -1;
  Bytes part(payload.begin() + static_cast<std::ptrdiff_t>(4 * i),
             payload.begin() + static_cast<std::ptrdiff_t>(4 * i + 4));
  return RecordCursor(part).Int();
}

inline std::uint64_t ExtensionFields::Bits(std::size_t i) const {
  if (payload.size() < 8 * (i + 1)) return 0;
  Bytes part(payload.begin() + static_cast<std::ptrdiff_t>(8 * i),
             payload.begin() + static_cast<std::ptrdiff_t>(8 * i + 8));
  return RecordCursor(part).U64();
}

inline HeaderFields ReadHeader(RecordCursor& in) {
  HeaderFields h;
  h.magic = in.Str(4);
  h.product = in.Str(60);
  h.version = in.Int();
  h.caseSize = in.Int();
  h.compression = in.Int();
  h.weightIndex = in.Int();
  h.caseCount = in.Int();
  h.biasBits = in.U64();
  h.date = in.Str(9);
  h.time = in.Str(8);
  h.label = in.Str(64);
  h.tail = in.Raw(3);
  return h;
}

// After the record type 2.
inline VariableFields ReadVariable(RecordCursor& in, std::size_t start) {
  VariableFields v;
  v.offset = start;
  v.width = in.Int();
  v.labelFlag = in.Int();
  v.missingCode = in.Int();
  v.printFormat = in.Int();
  v.writeFormat = in.Int();
  v.name = in.Str(8);
  if (v.labelFlag == 1) {
    v.labelLength = in.Int();
    if (v.labelLength >= 0 && v.labelLength <= 65535) {
      v.labelField = in.Str(static_cast<std::size_t>((v.labelLength + 3) / 4 * 4));
    }
  }
  const int n = v.missingCode < 0 ? -v.missingCode : v.missingCode;
  for (int i = 0; i < n && i < 3; ++i) v.missing.push_back(in.Raw(8));
  v.size = in.pos() - start;
  return v;
}

// After the record type 3; reads the type 4 record that must follow.
inline bool ReadLabelSet(RecordCursor& in, LabelSetFields* set) {
  const std::int32_t count = in.Int();
  if (count < 1 || count > 65535) return false;
  for (std::int32_t i = 0; i < count && !in.failed(); ++i) {
    LabelFields label;
    label.value = in.Raw(8);
    const Bytes length = in.Raw(1);
    if (length.empty()) return false;
    label.label = in.Str(length[0]);
    label.fill = in.Str((8 - (1 + length[0]) % 8) % 8);
    set->labels.push_back(label);
  }
  if (in.Int() != 4) return false;
  const std::int32_t vars = in.Int();
  if (vars < 1 || vars > 65535) return false;
  for (std::int32_t i = 0; i < vars; ++i) set->variables.push_back(in.Int());
  return !in.failed();
}

// After the record type 7.
inline bool ReadExtension(RecordCursor& in, ExtensionFields* ext) {
  ext->subtype = in.Int();
  ext->elemSize = in.Int();
  ext->count = in.Int();
  if (ext->elemSize < 1 || ext->count < 1) return false;
  const std::int64_t bytes = static_cast<std::int64_t>(ext->elemSize) * ext->count;
  if (!in.Has(static_cast<std::size_t>(bytes))) return false;
  ext->payload = in.Raw(static_cast<std::size_t>(bytes));
  return true;
}

inline bool ReadRecord(RecordCursor& in, std::int32_t type, FileRecords* f) {
  const std::size_t start = in.pos() - 4;
  switch (type) {
    case 2:
      f->variables.push_back(ReadVariable(in, start));
      return !in.failed();
    case 3:
      f->labelSets.emplace_back();
      return ReadLabelSet(in, &f->labelSets.back());
    case 6:
      f->hasDocuments = true;
      f->documentLines = in.Int();
      if (f->documentLines < 0 || !in.Has(80 * static_cast<std::size_t>(f->documentLines))) {
        return false;
      }
      f->documents = in.Str(80 * static_cast<std::size_t>(f->documentLines));
      return true;
    case 7:
      f->extensions.emplace_back();
      return ReadExtension(in, &f->extensions.back());
    default:
      return false;
  }
}

// Reads the header and every dictionary record up to and including the
// terminator; what follows is the case data.
inline FileRecords ReadRecords(const Bytes& bytes) {
  FileRecords f;
  RecordCursor in(bytes);
  f.header = ReadHeader(in);
  if (in.failed()) {
    f.error = "file shorter than the header";
    return f;
  }
  for (;;) {
    const std::int32_t type = in.Int();
    if (in.failed()) {
      f.error = "no terminator";
      return f;
    }
    f.order.push_back(type);
    if (type == 999) break;
    if (!ReadRecord(in, type, &f)) {
      f.error = "bad record of type " + std::to_string(type) + " at " + std::to_string(in.pos());
      return f;
    }
  }
  f.terminatorFiller = in.Int();
  f.dataOffset = in.pos();
  f.caseData.assign(bytes.begin() + static_cast<std::ptrdiff_t>(f.dataOffset), bytes.end());
  f.ok = !in.failed();
  if (!f.ok) f.error = "terminator cut short";
  return f;
}

// The 8 bytes of a little-endian double.
inline Bytes LeBytesOf(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, 8);
  Bytes out(8);
  for (int i = 0; i < 8; ++i)
    out[static_cast<std::size_t>(i)] = static_cast<unsigned char>(bits >> (8 * i));
  return out;
}

inline Bytes TextBytes(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

}  // namespace xova_test

#endif
