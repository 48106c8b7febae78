#include "ext/set_text_translator.h"

#include <cstdio>
#include <cstring>

#include "dict/name_fold.h"
#include "dict/variable_record.h"
#include "ext/block_reader.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr int kMaxToken = 64;  // set names and variable names
constexpr int kMaxDigits = 64;
constexpr int kMaxCountedValue = 255;
constexpr int kMaxSetLabel = 256;
constexpr int kSkipStep = 2047;      // the reader always shows 2048 bytes ahead
constexpr int kNumberCap = 1000000;  // any length above the limits is as bad as this
constexpr int kSinkSize = 4096;

const char kEndOfData[] = "";  // where a failed translator looks: nothing more to do

enum class State {
  kSetName,
  kSetKind,
  kValueLength,
  kCountedValue,
  kLabelLength,
  kLabel,
  kVariables,
  kSkipLine
};

// Bytes from p before the first NUL or byte of `stops`, at most `limit`.
int SpanUntil(const char* p, const char* stops, int limit) {
  int n = 0;
  while (n < limit && p[n] != '\0' && !std::strchr(stops, p[n])) ++n;
  return n;
}

// Bytes from p that are in `set`, at most `limit`.
int SpanWhile(const char* p, const char* set, int limit) {
  int n = 0;
  while (n < limit && p[n] != '\0' && std::strchr(set, p[n])) ++n;
  return n;
}

// Collects output and appends it to the result block in large pieces, so a
// spilled result is not reopened for every name.
class TextSink {
 public:
  explicit TextSink(ExtensionBlock* block) : block_(block) {}

  bool Put(const char* text, int n) {
    while (n > 0) {
      if (used_ == kSinkSize && !Flush()) return false;
      const int k = n < kSinkSize - used_ ? n : kSinkSize - used_;
      std::memcpy(buffer_ + used_, text, static_cast<std::size_t>(k));
      used_ += k;
      text += k;
      n -= k;
    }
    return true;
  }

  bool Flush() {
    if (used_ == 0) return true;
    const int rc = BlockAppend(block_, used_, buffer_);
    used_ = 0;
    return rc == XOVA_OK;
  }

 private:
  ExtensionBlock* block_;
  char buffer_[kSinkSize];
  int used_ = 0;
};

class Translator {
 public:
  Translator(ExtensionBlock* out, const NameIndex& index, int subtype, bool toShort)
      : sink_(out), index_(index), multResp_(subtype == kMultRespSetsSubtype), toShort_(toShort) {}

  // 0, or XOVA_TEMP_FILE_ERROR when the source or the result failed.
  int Run(ExtensionBlock* source) {
    p_ = ReaderStart(&reader_, source);
    if (!p_) Fail();
    State state = State::kSetName;
    while (!failed_ && *p_ != '\0') state = Step(state);
    if (!failed_ && !sink_.Flush()) Fail();
    return failed_ ? XOVA_TEMP_FILE_ERROR : XOVA_OK;
  }

 private:
  State Step(State state) {
    switch (state) {
      case State::kSetName:
        return SetName();
      case State::kSetKind:
        return SetKind();
      case State::kValueLength:
        return ValueLength();
      case State::kCountedValue:
        return CountedValue();
      case State::kLabelLength:
        return LabelLength();
      case State::kLabel:
        return Label();
      case State::kVariables:
        return Variables();
      case State::kSkipLine:
        break;
    }
    return SkipLine();
  }

  // A set name ends at a line end too, so a broken line cannot swallow the next one.
  State SetName() {
    const int n = SpanUntil(p_, " =\r\n", kMaxToken + 1);
    if (n < 1 || n > kMaxToken) return State::kSkipLine;
    std::memcpy(setName_, p_, static_cast<std::size_t>(n));
    setNameLength_ = n;
    Advance(n);
    SkipRun(" ");
    if (*p_ != '=') return State::kSkipLine;
    SkipRun(" =");
    nameWritten_ = false;
    return multResp_ ? State::kSetKind : State::kVariables;
  }

  State SetKind() {
    const char kind = *p_;
    if (kind == 'C' || kind == 'c') {
      Advance(1);
      if (*p_ != ' ') return State::kSkipLine;
      SkipRun(" ");
      dichotomy_ = false;
      return State::kLabelLength;
    }
    if (kind == 'D' || kind == 'd') {
      Advance(1);
      dichotomy_ = true;
      return State::kValueLength;
    }
    return State::kSkipLine;
  }

  State ValueLength() {
    if (!Number(&valueLength_) || valueLength_ < 1 || valueLength_ > kMaxCountedValue) {
      return State::kSkipLine;
    }
    return State::kCountedValue;
  }

  State CountedValue() {
    if (!Keep(value_, valueLength_) || *p_ != ' ') return State::kSkipLine;
    SkipRun(" ");
    return State::kLabelLength;
  }

  State LabelLength() { return Number(&labelLength_) ? State::kLabel : State::kSkipLine; }

  State Label() {
    if (labelLength_ > kMaxSetLabel || !Keep(label_, labelLength_)) return State::kSkipLine;
    if (labelLength_ != 0 && *p_ != ' ') return State::kSkipLine;
    SkipRun(" ");
    return State::kVariables;
  }

  State Variables() {
    const int n = SpanUntil(p_, " \r\n", kMaxToken + 1);
    if (n >= 1 && n <= kMaxToken) {
      char token[kMaxToken + 1];
      std::memcpy(token, p_, static_cast<std::size_t>(n));
      token[n] = '\0';
      Advance(n);
      if (const VariableRecord* var = Find(token)) WriteName(*var);
    } else if (n > kMaxToken) {
      SkipUntil(" \r\n");  // too long to be a name: passed over unread
    }
    SkipRun(" \r");
    if (*p_ != '\n') return State::kVariables;
    Emit("\n", 1);
    return State::kSkipLine;
  }

  State SkipLine() {
    SkipUntil("\n");
    SkipRun(" \r\n");
    return State::kSetName;
  }

  // Digits (1..64 of them) followed by a blank; advances over both. Values
  // beyond any limit are capped, so 64 digits cannot overflow.
  bool Number(int* value) {
    const int n = SpanWhile(p_, "0123456789", kMaxDigits + 1);
    if (n < 1 || n > kMaxDigits || p_[n] != ' ') return false;
    int v = 0;
    for (int i = 0; i < n; ++i) {
      v = v * 10 + (p_[i] - '0');
      if (v > kNumberCap) v = kNumberCap;
    }
    *value = v;
    Advance(n + 1);
    return true;
  }

  // Copies the next n bytes (at most 256, within the reader's view) and
  // advances over them; false when the data ends first.
  bool Keep(char* dst, int n) {
    if (SpanUntil(p_, "", n) < n) return false;
    std::memcpy(dst, p_, static_cast<std::size_t>(n));
    Advance(n);
    return true;
  }

  const VariableRecord* Find(const char* token) const {
    char key[kMaxNameLength + 1];
    if (FoldName(key, token) != XOVA_OK) return nullptr;
    const NameIndex::Compare compare = toShort_ ? CompareRecordKey : CompareRecordShortName;
    return static_cast<const VariableRecord*>(index_.Find(key, compare));
  }

  void WriteName(const VariableRecord& var) {
    if (!nameWritten_) WriteSetHeader();
    nameWritten_ = true;
    const char* name = toShort_ ? var.shortName : var.name.c_str();
    Emit(" ", 1);
    Emit(name, static_cast<int>(std::strlen(name)));
  }

  // The definition in its normal form, up to the first variable.
  void WriteSetHeader() {
    Emit(setName_, setNameLength_);
    Emit("=", 1);
    if (!multResp_) return;
    char number[24];
    if (dichotomy_) {
      EmitNumber(number, std::snprintf(number, sizeof number, "D%d ", valueLength_));
      Emit(value_, valueLength_);
      Emit(" ", 1);
    } else {
      Emit("C ", 2);
    }
    EmitNumber(number, std::snprintf(number, sizeof number, "%d ", labelLength_));
    Emit(label_, labelLength_);
  }

  void EmitNumber(const char* text, int n) {
    if (n > 0) Emit(text, n);
  }

  void Emit(const char* text, int n) {
    if (!failed_ && !sink_.Put(text, n)) Fail();
  }

  void Advance(int n) {
    if (failed_) return;
    p_ = ReaderAdvance(&reader_, n);
    if (!p_) Fail();
  }

  // Passes over bytes that are not in `stops`, in steps the reader can show.
  void SkipUntil(const char* stops) {
    for (int k; (k = SpanUntil(p_, stops, kSkipStep)) > 0;) Advance(k);
  }

  void SkipRun(const char* set) {
    for (int k; (k = SpanWhile(p_, set, kSkipStep)) > 0;) Advance(k);
  }

  // Reading stops: the translator then sees the end of the data.
  void Fail() {
    failed_ = true;
    p_ = kEndOfData;
  }

  BlockReader reader_;
  TextSink sink_;
  const NameIndex& index_;
  const bool multResp_;
  const bool toShort_;
  const char* p_ = kEndOfData;
  bool failed_ = false;

  // The definition being read; written out before its first known variable.
  char setName_[kMaxToken];
  int setNameLength_ = 0;
  bool nameWritten_ = false;
  bool dichotomy_ = false;
  char value_[kMaxCountedValue];
  int valueLength_ = 0;
  char label_[kMaxSetLabel];
  int labelLength_ = 0;
};

// Leaves the source as a later sequential read expects it.
void Rewind(ExtensionBlock* source) {
  source->cursor = 0;
  if (source->spillFile) BlockCloseSpill(source);
}

}  // namespace

int TranslateSetText(ExtensionBlock* source, BlockPtr* result, const NameIndex& index, int subtype,
                     int toShort) {
  // `result` may be the slot holding `source`: it is only touched at the end.
  BlockPtr out;
  int rc = XOVA_OK;
  if (source && source->count > 0 && source->elemSize == 1) {
    out = BlockCreate(1);
    if (!out) {
      rc = XOVA_OUT_OF_MEMORY;
    } else {
      Translator translator(out.get(), index, subtype, toShort != 0);
      rc = translator.Run(source);
      Rewind(source);
    }
  }
  if (rc != XOVA_OK) out.reset();
  if (result) *result = std::move(out);
  return rc;
}

}  // namespace xova
