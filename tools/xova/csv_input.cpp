#include "csv_input.h"

#include <csv.h>

#include <cstdlib>

namespace xova_tool {

namespace {

// Blanks around unquoted fields are data, not padding.
int NoSpace(unsigned char) {
  return 0;
}

// libcsv grows its field buffer without limit; this keeps it bounded.
void* BoundedRealloc(void* p, std::size_t n) {
  if (n > CsvInput::kMaxRecordBytes + 1024) return nullptr;
  return std::realloc(p, n);
}

}  // namespace

CsvInput::CsvInput(RecordFn fn) : fn_(std::move(fn)), parser_(new csv_parser) {
  if (csv_init(parser_, CSV_STRICT | CSV_STRICT_FINI | CSV_REPALL_NL) != 0) {
    delete parser_;
    throw std::bad_alloc();
  }
  csv_set_space_func(parser_, NoSpace);
  csv_set_realloc_func(parser_, BoundedRealloc);
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
  if (failure_) return;
  const bool empty = ends_.empty();
  // The LF of a CRLF line end arrives as a record of its own.
  const bool crlfTail = empty && terminator == '\n' && lastTerminator_ == '\r';
  lastTerminator_ = terminator;
  if (crlfTail) return;
  ++line_;
  // An empty line is one empty field: it may be the value of a one-column file.
  if (empty) ends_.push_back(0);
  views_.clear();
  std::size_t start = 0;
  for (std::size_t end : ends_) {
    views_.emplace_back(bytes_.data() + start, end - start);
    start = end;
  }
  try {
    fn_(views_, line_);
  } catch (...) {
    failure_ = std::current_exception();
  }
  bytes_.clear();
  ends_.clear();
}

void CsvInput::Rethrow() {
  if (failure_) std::rethrow_exception(failure_);
}

void CsvInput::Feed(const char* data, std::size_t n) {
  Rethrow();
  const std::size_t used = csv_parse(parser_, data, n, OnField, OnRecord, this);
  Rethrow();
  if (used != n) {
    const int err = csv_error(parser_);
    throw CsvError(
        line_ + 1, static_cast<long>(ends_.size()) + 1,
        err == CSV_EPARSE ? "malformed quote" : std::string("cannot parse: ") + csv_strerror(err));
  }
}

void CsvInput::Finish() {
  if (finished_) return;
  finished_ = true;
  Rethrow();
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
    if (n) {
      Feed(buf.data(), n);
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
