#include "csv_input.h"

#include <csv.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace xova_tool {

namespace {

// Blanks around unquoted fields are data, not padding.
int NoSpace(unsigned char) {
  return 0;
}

// libcsv grows its field buffer without limit, 128 bytes at a time, each step
// a realloc that may copy. This keeps the buffer bounded and gives it room to
// double into, its size kept just before it.
constexpr std::size_t kMaxFieldBuffer = CsvInput::kMaxRecordBytes + 1024;
constexpr std::size_t kHead = alignof(std::max_align_t);

// Set when a field outgrew the bound, so the error libcsv then reports (out
// of memory) is told as what it is.
thread_local bool t_fieldTooLarge = false;

void* GrowFieldBuffer(void* p, std::size_t n) {
  if (n > kMaxFieldBuffer) {
    t_fieldTooLarge = true;
    return nullptr;
  }
  char* block = p ? static_cast<char*>(p) - kHead : nullptr;
  std::size_t capacity = 0;
  if (block) std::memcpy(&capacity, block, sizeof capacity);
  if (n <= capacity) return p;
  std::size_t want = std::min(std::max(n, 2 * capacity), kMaxFieldBuffer);
  char* grown = static_cast<char*>(std::realloc(block, kHead + want));
  if (!grown && want > n) grown = static_cast<char*>(std::realloc(block, kHead + (want = n)));
  if (!grown) return nullptr;  // libcsv keeps the old buffer
  std::memcpy(grown, &want, sizeof want);
  return grown + kHead;
}

void FreeFieldBuffer(void* p) {
  if (p) std::free(static_cast<char*>(p) - kHead);
}

// The bytes that end a field or line, or need libcsv: comma, quote, CR, LF.
struct SpecialBytes {
  bool is[256] = {};
  constexpr SpecialBytes() {
    is[static_cast<unsigned char>(',')] = true;
    is[static_cast<unsigned char>('"')] = true;
    is[static_cast<unsigned char>('\r')] = true;
    is[static_cast<unsigned char>('\n')] = true;
  }
};
constexpr SpecialBytes kSpecial;

}  // namespace

CsvInput::CsvInput(RecordFn fn, Scan scan)
    : fn_(std::move(fn)), parser_(new csv_parser), scan_(scan) {
  if (csv_init(parser_, CSV_STRICT | CSV_STRICT_FINI | CSV_REPALL_NL) != 0) {
    delete parser_;
    throw std::bad_alloc();
  }
  t_fieldTooLarge = false;
  csv_set_space_func(parser_, NoSpace);
  csv_set_realloc_func(parser_, GrowFieldBuffer);
  csv_set_free_func(parser_, FreeFieldBuffer);
}

CsvInput::~CsvInput() {
  csv_free(parser_);
  delete parser_;
}

void CsvInput::OnField(void* s, std::size_t n, void* self) {
  static_cast<CsvInput*>(self)->Field(static_cast<const char*>(s), n);
}

void CsvInput::OnRecord(int c, void* self) {
  static_cast<CsvInput*>(self)->Record(c);
}

void CsvInput::Field(const char* s, std::size_t n) {
  if (failure_) return;
  if (ends_.size() >= kMaxFields) {
    failure_ = std::make_exception_ptr(
        CsvError(line_ + 1, 0, "more than " + std::to_string(kMaxFields) + " fields"));
    return;
  }
  if (bytes_.size() + n > kMaxRecordBytes) {
    failure_ = std::make_exception_ptr(
        CsvError(line_ + 1, static_cast<long>(ends_.size()) + 1, "record larger than 64 MiB"));
    return;
  }
  if (n) bytes_.append(s, n);
  ends_.push_back(bytes_.size());
}

void CsvInput::Record(int terminator) {
  // libcsv reports a record only at a line end, and then holds nothing.
  atRecordStart_ = true;
  if (failure_) return;
  views_.clear();
  std::size_t start = 0;
  for (std::size_t end : ends_) {
    views_.emplace_back(bytes_.data() + start, end - start);
    start = end;
  }
  try {
    Deliver(terminator);
  } catch (...) {
    failure_ = std::current_exception();
  }
  bytes_.clear();
  ends_.clear();
}

void CsvInput::Deliver(int terminator) {
  const bool empty = views_.empty();
  // The LF of a CRLF line end arrives as a record of its own.
  const bool crlfTail = empty && terminator == '\n' && lastTerminator_ == '\r';
  lastTerminator_ = terminator;
  if (crlfTail) return;
  ++line_;
  // An empty line is one empty field: it may be the value of a one-column file.
  if (empty) views_.emplace_back("", 0);  // not null: callers may copy from it
  fn_(views_, line_);
}

void CsvInput::Rethrow() {
  if (failure_) std::rethrow_exception(failure_);
}

void CsvInput::Fail(std::exception_ptr e) {
  failure_ = e;
  std::rethrow_exception(e);
}

std::exception_ptr CsvInput::LibraryError() const {
  const int err = csv_error(parser_);
  std::string why = err == CSV_EPARSE ? "malformed quote"
                    : err == CSV_ENOMEM && t_fieldTooLarge
                        ? "a field larger than " + std::to_string(kMaxRecordBytes >> 20) + " MiB"
                        : std::string("cannot parse: ") + csv_strerror(err);
  t_fieldTooLarge = false;
  return std::make_exception_ptr(
      CsvError(line_ + 1, static_cast<long>(ends_.size()) + 1, std::move(why)));
}

const char* CsvInput::ToLibrary(const char* p, const char* end) {
  // Up to the first CR or LF: libcsv can then end a record only on the last
  // byte given, so whether it did says whether it still holds part of one.
  const char* stop = p;
  while (stop < end && *stop != '\r' && *stop != '\n') ++stop;
  if (stop < end) ++stop;
  const std::size_t n = static_cast<std::size_t>(stop - p);
  atRecordStart_ = false;
  const std::size_t used = csv_parse(parser_, p, n, OnField, OnRecord, this);
  Rethrow();
  if (used != n) Fail(LibraryError());
  return stop;
}

const char* CsvInput::ScanLines(const char* p, const char* end) {
  while (p < end) {
    if (!atRecordStart_) {
      p = ToLibrary(p, end);
      continue;
    }
    views_.clear();
    const char* start = p;
    const char* q = p;
    bool plain = true;
    for (; q < end; ++q) {
      if (!kSpecial.is[static_cast<unsigned char>(*q)]) continue;
      if (*q != ',') break;
      if (views_.size() + 1 >= kMaxFields) {
        plain = false;
        break;
      }
      views_.emplace_back(start, static_cast<std::size_t>(q - start));
      start = q + 1;
    }
    if (plain && q == end) return p;  // the line goes on in the next bytes
    const bool crlf = plain && *q == '\r';
    if (crlf && q + 1 == end) return p;  // an LF may follow
    if (!plain || *q == '"' || (crlf && q[1] != '\n') ||
        static_cast<std::size_t>(q - p) > kMaxRecordBytes) {
      p = ToLibrary(p, end);
      continue;
    }
    // As libcsv has it: no field for an empty line, else one after the last comma.
    if (q > p) views_.emplace_back(start, static_cast<std::size_t>(q - start));
    try {
      Deliver(crlf ? '\r' : '\n');
      if (crlf) {
        views_.clear();
        Deliver('\n');
      }
    } catch (...) {
      Fail(std::current_exception());
    }
    p = q + (crlf ? 2 : 1);
  }
  return end;
}

void CsvInput::Feed(const char* data, std::size_t n) {
  Rethrow();
  if (scan_ == Scan::kLibraryOnly) {
    const std::size_t used = csv_parse(parser_, data, n, OnField, OnRecord, this);
    Rethrow();
    if (used != n) Fail(LibraryError());
    return;
  }
  if (n == 0) return;
  const char* p = data;
  const char* end = data + n;
  if (!carry_.empty()) {
    // The carried line needs its end first; a line too long to carry goes to
    // libcsv, which holds it within its own bounds.
    const void* lf = std::memchr(p, '\n', n);
    const char* upto = lf ? static_cast<const char*>(lf) + 1 : end;
    carry_.append(p, upto);
    p = upto;
    if (!lf && carry_.size() <= kMaxCarry) return;
    const char* carried = carry_.data();
    const char* carriedEnd = carried + carry_.size();
    const char* rest = ScanLines(carried, carriedEnd);
    while (rest < carriedEnd) rest = ToLibrary(rest, carriedEnd);
    carry_.clear();
  }
  const char* rest = ScanLines(p, end);
  if (static_cast<std::size_t>(end - rest) <= kMaxCarry) {
    carry_.assign(rest, end);
  } else {
    while (rest < end) rest = ToLibrary(rest, end);
  }
}

void CsvInput::Finish() {
  if (finished_) return;
  finished_ = true;
  Rethrow();
  const char* p = carry_.data();
  const char* end = p + carry_.size();
  while (p < end) p = ToLibrary(p, end);
  carry_.clear();
  if (csv_fini(parser_, OnField, OnRecord, this) != 0) {
    Rethrow();
    throw CsvError(line_ + 1, static_cast<long>(ends_.size()) + 1, "a quoted field is not closed");
  }
  Rethrow();
}

void CsvInput::ReadAll(std::FILE* in, const std::function<void(std::size_t)>& progress) {
  std::vector<char> buf(1 << 16);
  std::size_t total = 0;
  for (;;) {
    const std::size_t n = std::fread(buf.data(), 1, buf.size(), in);
    // Spreadsheets often begin a UTF-8 CSV with a byte order mark; it is not
    // part of the first column's name. fread fills the whole buffer unless
    // the input ends, so a mark is never split between two reads.
    const std::size_t skip =
        total == 0 && n >= 3 && std::memcmp(buf.data(), "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
    if (n) {
      Feed(buf.data() + skip, n - skip);
      total += n;
      if (progress) progress(total);
    }
    if (n < buf.size()) {
      if (std::ferror(in)) throw std::runtime_error("read failed");
      break;
    }
  }
  Finish();
}

}  // namespace xova_tool
