// Round trip: the input drives the definition calls and case values of a
// write handle. The file is committed, written, closed and read back, and
// everything the read handle reports must equal what the write handle reported
// after its commit: the dictionary, labels, missing values, side records and
// every case bit for bit.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dict/formats.h"
#include "dict/name_index.h"
#include "ext/extension_block.h"
#include "ext/set_text_translator.h"
#include "frame/handle_table.h"
#include "read/read_format_repair.h"
#include "fuzz_check.h"
#include "xovaio32.h"

namespace {

constexpr int kMaxVariables = 24;
constexpr int kMaxCases = 40;
constexpr int kMaxWidth = 300;

const std::string& FilePath() {
  static const std::string* path = [] {
    char pattern[] = "/tmp/xova_fuzz_round_XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd < 0) std::abort();
    close(fd);
    std::atexit([] { unlink(FilePath().c_str()); });
    return new std::string(pattern);
  }();
  return *path;
}

// Names from a small alphabet are mostly valid and often collide after
// folding; now and then the raw bytes go through as they are.
std::string MakeName(FuzzedDataProvider& in) {
  if (in.ConsumeIntegralInRange(0, 15) == 0) return in.ConsumeRandomLengthString(70);
  static const char kAlphabet[] = "abcXYZ_@#$.019";
  const size_t length = in.ConsumeIntegralInRange<size_t>(1, 66);
  std::string name;
  for (size_t i = 0; i < length; ++i) {
    name += kAlphabet[in.ConsumeIntegralInRange<size_t>(0, sizeof kAlphabet - 2)];
  }
  return name;
}

double MakeNumber(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 4)) {
    case 0: return in.ConsumeIntegralInRange(-120, 260);
    case 1: return xovaSysmisVal();
    case 2: return in.ConsumeIntegralInRange(-1000, 1000) / 4.0;
    case 3: {
      uint64_t bits = in.ConsumeIntegral<uint64_t>();
      double value;
      std::memcpy(&value, &bits, sizeof value);
      return value;
    }
    default: return in.ConsumeFloatingPoint<double>();
  }
}

struct Var {
  std::string name;
  int type = 0;
};

void DefineAttributes(FuzzedDataProvider& in, int h, const Var& v, const std::vector<Var>& vars) {
  const char* name = v.name.c_str();
  const int steps = in.ConsumeIntegralInRange(0, 6);
  for (int s = 0; s < steps; ++s) {
    switch (in.ConsumeIntegralInRange(0, 9)) {
      case 0: xovaSetVarLabel(h, name, in.ConsumeRandomLengthString(300).c_str()); break;
      case 1:
        xovaSetVarPrintFormat(h, name, in.ConsumeIntegralInRange(0, 45),
                              in.ConsumeIntegralInRange(0, 20), in.ConsumeIntegralInRange(0, 60));
        break;
      case 2:
        xovaSetVarWriteFormat(h, name, in.ConsumeIntegralInRange(0, 45),
                              in.ConsumeIntegralInRange(0, 20), in.ConsumeIntegralInRange(0, 60));
        break;
      case 3: xovaSetVarMeasureLevel(h, name, in.ConsumeIntegralInRange(0, 4)); break;
      case 4: xovaSetVarColumnWidth(h, name, in.ConsumeIntegralInRange(-1, 300)); break;
      case 5: xovaSetVarAlignment(h, name, in.ConsumeIntegralInRange(-1, 3)); break;
      case 6:
        if (v.type == 0) {
          xovaSetVarNMissingValues(h, name, in.ConsumeIntegralInRange(-4, 4), MakeNumber(in),
                                   MakeNumber(in), MakeNumber(in));
        } else {
          const std::string a = in.ConsumeRandomLengthString(10);
          const std::string b = in.ConsumeRandomLengthString(10);
          const std::string c = in.ConsumeRandomLengthString(10);
          xovaSetVarCMissingValues(h, name, in.ConsumeIntegralInRange(-1, 4), a.c_str(), b.c_str(),
                                   c.c_str());
        }
        break;
      case 7: {
        const std::string label = in.ConsumeRandomLengthString(70);
        if (v.type == 0) {
          xovaSetVarNValueLabel(h, name, MakeNumber(in), label.c_str());
        } else {
          xovaSetVarCValueLabel(h, name, in.ConsumeRandomLengthString(10).c_str(), label.c_str());
        }
        break;
      }
      case 8: {
        // One list of labels for this variable and a neighbour.
        const Var& other = vars[in.ConsumeIntegralInRange<size_t>(0, vars.size() - 1)];
        const char* names[2] = {name, other.name.c_str()};
        const int count = in.ConsumeIntegralInRange(0, 4);
        std::vector<std::string> texts, values;
        std::vector<double> numbers;
        for (int i = 0; i < count; ++i) {
          texts.push_back(in.ConsumeRandomLengthString(64));
          values.push_back(in.ConsumeRandomLengthString(9));
          numbers.push_back(MakeNumber(in));
        }
        std::vector<const char*> labels, cvalues;
        for (int i = 0; i < count; ++i) {
          labels.push_back(texts[i].c_str());
          cvalues.push_back(values[i].c_str());
        }
        if (v.type == 0) {
          xovaSetVarNValueLabels(h, names, 2, numbers.data(), labels.data(), count);
        } else {
          xovaSetVarCValueLabels(h, names, 2, cvalues.data(), labels.data(), count);
        }
        break;
      }
      default: xovaSetCaseWeightVar(h, name); break;
    }
  }
}

void DefineFileSettings(FuzzedDataProvider& in, int h, const std::vector<Var>& vars) {
  const int steps = in.ConsumeIntegralInRange(0, 5);
  for (int s = 0; s < steps; ++s) {
    switch (in.ConsumeIntegralInRange(0, 7)) {
      case 0: xovaSetIdString(h, in.ConsumeRandomLengthString(80).c_str()); break;
      case 1: xovaSetTextInfo(h, in.ConsumeRandomLengthString(300).c_str()); break;
      case 2: xovaSetQEBGUID(h, in.ConsumeRandomLengthString(300).c_str()); break;
      case 3: {
        const std::string a = in.ConsumeRandomLengthString(200);
        const std::string b = in.ConsumeRandomLengthString(200);
        if (xovaSetQEBFirst(h, a.data(), static_cast<int>(a.size())) == XOVA_OK) {
          xovaSetQEBNext(h, b.data(), static_cast<int>(b.size()));
        }
        break;
      }
      case 4: {
        std::vector<int> dates;
        const int count = in.ConsumeIntegralInRange(0, 12);
        for (int i = 0; i < count; ++i) dates.push_back(in.ConsumeIntegral<int>());
        xovaSetDateVariables(h, count, dates.data());
        break;
      }
      case 5: {
        // Set text built from the defined names, so the translation has work.
        std::string text = in.ConsumeRandomLengthString(12) + "=";
        const int count = in.ConsumeIntegralInRange(0, 4);
        for (int i = 0; i < count; ++i) {
          text += " " + vars[in.ConsumeIntegralInRange<size_t>(0, vars.size() - 1)].name;
        }
        text += in.ConsumeBool() ? "\n" : in.ConsumeRandomLengthString(8);
        if (in.ConsumeBool()) {
          xovaSetVariableSets(h, text.c_str());
        } else {
          xovaSetMultRespDefs(h, ("$" + text).c_str());
        }
        break;
      }
      case 6: {
        const Var& v = vars[in.ConsumeIntegralInRange<size_t>(0, vars.size() - 1)];
        const char* names[1] = {v.name.c_str()};
        const std::string set = "$" + in.ConsumeRandomLengthString(10);
        const std::string label = in.ConsumeRandomLengthString(70);
        if (in.ConsumeBool()) {
          xovaAddMultRespDefN(h, set.c_str(), label.c_str(), in.ConsumeBool(),
                              in.ConsumeIntegralInRange(-5, 5), names, 1);
        } else {
          xovaAddMultRespDefC(h, set.c_str(), label.c_str(), in.ConsumeBool(),
                              in.ConsumeRandomLengthString(9).c_str(), names, 1);
        }
        break;
      }
      default: xovaSetCompression(h, in.ConsumeIntegralInRange(0, 2)); break;
    }
  }
}

// Everything a caller can ask of a handle's dictionary and side records, as text.
class Snapshot {
 public:
  Snapshot(int h, bool repairFormats) : h_(h), repairFormats_(repairFormats) {}

  std::string Take() {
    int count = -1;
    Put("vars", xovaGetNumberofVariables(h_, &count), count);
    for (int i = 0; i < count; ++i) Variable(i);
    File();
    return out_;
  }

 private:
  void Put(const char* what, int rc, long long value = 0) {
    out_ += what;
    out_ += " " + std::to_string(rc) + " " + std::to_string(value) + "\n";
  }
  void PutText(const char* what, const char* text, size_t size) {
    out_ += what;
    out_ += " [" + std::string(text, size) + "]\n";
  }
  // Fixed-width header fields read back with their padding blanks.
  void PutField(const char* what, const char* text) {
    size_t size = std::strlen(text);
    while (size > 0 && text[size - 1] == ' ') --size;
    PutText(what, text, size);
  }
  void PutBits(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    out_ += " " + std::to_string(bits);
  }

  // The writer stores codes without a rule as set; the reader repairs every
  // format it reads, so the written side is compared as the reader must see it.
  long long Format(int type, int code, int decimals, int width, int isPrint) const {
    std::int32_t packed = xova::PackFormat(code, width, decimals);
    if (repairFormats_) packed = xova::RepairReadFormat(type, packed, isPrint);
    return packed;
  }

  void Variable(int index) {
    char name[65] = {};
    int type = -1;
    Put("info", xovaGetVarInfo(h_, index, name, &type), type);
    PutText("name", name, std::strlen(name));
    char label[257] = {};
    int length = -1;
    Put("label", xovaGetVarLabelLong(h_, name, label, sizeof label, &length), length);
    PutText("label text", label, length > 0 ? static_cast<size_t>(length) : 0);
    int a = 0, b = 0, c = 0;
    Put("print", xovaGetVarPrintFormat(h_, name, &a, &b, &c), Format(type, a, b, c, 1));
    Put("write", xovaGetVarWriteFormat(h_, name, &a, &b, &c), Format(type, a, b, c, 0));
    Put("measure", xovaGetVarMeasureLevel(h_, name, &a), a);
    Put("columns", xovaGetVarColumnWidth(h_, name, &a), a);
    Put("align", xovaGetVarAlignment(h_, name, &a), a);
    char compat[9] = {};
    Put("compat", xovaGetVarCompatName(h_, name, compat));
    PutText("compat text", compat, std::strlen(compat));
    if (type == 0) {
      double v[3] = {0, 0, 0};
      Put("nmissing", xovaGetVarNMissingValues(h_, name, &a, &v[0], &v[1], &v[2]), a);
      for (double x : v) PutBits(x);
      out_ += "\n";
      NumericLabels(name);
    } else {
      char v[3][9] = {};
      Put("cmissing", xovaGetVarCMissingValues(h_, name, &a, v[0], v[1], v[2]), a);
      for (const char* x : v) PutText("cmissing value", x, std::strlen(x));
      StringLabels(name);
    }
  }

  void NumericLabels(const char* name) {
    double* values = nullptr;
    char** labels = nullptr;
    int count = -1;
    const int rc = xovaGetVarNValueLabels(h_, name, &values, &labels, &count);
    Put("nlabels", rc, count);
    if (rc != XOVA_OK) return;
    for (int i = 0; i < count; ++i) {
      PutBits(values[i]);
      PutText("", labels[i], std::strlen(labels[i]));
    }
    xovaFreeVarNValueLabels(values, labels, count);
  }

  void StringLabels(const char* name) {
    char** values = nullptr;
    char** labels = nullptr;
    int count = -1;
    const int rc = xovaGetVarCValueLabels(h_, name, &values, &labels, &count);
    Put("clabels", rc, count);
    if (rc != XOVA_OK) return;
    for (int i = 0; i < count; ++i) {
      PutText("value", values[i], std::strlen(values[i]));
      PutText("label", labels[i], std::strlen(labels[i]));
    }
    xovaFreeVarCValueLabels(values, labels, count);
  }

  void OwnedText(const char* what, int rc, char* text, int subtype) {
    std::string kept = rc == XOVA_OK && text ? text : "";
    if (repairFormats_ && rc == XOVA_OK) kept = AsReadBack(kept, subtype);
    if (kept.empty()) rc = subtype == xova::kMultRespSetsSubtype ? XOVA_MRSETS_ABSENT
                                                                  : XOVA_VARSETS_ABSENT;
    Put(what, rc);
    if (rc == XOVA_OK) PutText(what, kept.data(), kept.size());
  }

  // Set texts are stored unchecked and written through the translator to
  // short names; reading translates them back to long names. Only that normal
  // form can come back.
  std::string AsReadBack(const std::string& text, int subtype) const {
    xova::FileState* fs = xova::LookupHandle(h_);
    CHECK(fs);
    xova::NameIndex shortIndex;
    for (const auto& record : fs->dict.vars) {
      // The first of equal short names wins, as when a file is read.
      shortIndex.Insert(record->shortName, record.get(), xova::CompareRecordShortName);
    }
    const std::string shortText = Translate(text, subtype, fs->dict.index, 1);
    return Translate(shortText, subtype, shortIndex, 0);
  }

  static std::string Translate(const std::string& text, int subtype, const xova::NameIndex& index,
                               int toShort) {
    xova::BlockPtr source = xova::BlockCreate(1);
    CHECK(source);
    if (!text.empty()) {
      CHECK(xova::BlockAppend(source.get(), static_cast<std::int32_t>(text.size()),
                              text.data()) == XOVA_OK);
    }
    xova::BlockPtr result;
    CHECK(xova::TranslateSetText(source.get(), &result, index, subtype, toShort) == XOVA_OK);
    if (!result || result->count == 0) return std::string();
    std::string out(static_cast<size_t>(result->count), '\0');
    std::int32_t got = 0;
    result->cursor = 0;
    CHECK(xova::BlockRead(result.get(), result->count, &got, &out[0]) == XOVA_OK);
    return out;
  }

  void File() {
    char* text = nullptr;
    int rc = xovaGetMultRespDefs(h_, &text);
    OwnedText("mrsets", rc, text, xova::kMultRespSetsSubtype);
    if (rc == XOVA_OK) xovaFreeMultRespDefs(text);
    text = nullptr;
    rc = xovaGetVariableSets(h_, &text);
    OwnedText("varsets", rc, text, xova::kVariableSetsSubtype);
    if (rc == XOVA_OK) xovaFreeVariableSets(text);
    int count = -1;
    int* dates = nullptr;
    rc = xovaGetDateVariables(h_, &count, &dates);
    Put("dates", rc, count);
    for (int i = 0; rc == XOVA_OK && i < count; ++i) Put("date", 0, dates[i]);
    if (rc == XOVA_OK) xovaFreeDateVariables(dates);
    Qeb();
    char buffer[300] = {};
    Put("weight", xovaGetCaseWeightVar(h_, buffer));
    PutText("weight", buffer, std::strlen(buffer));
    Put("id", xovaGetIdString(h_, buffer));
    PutField("id", buffer);
    Put("info", xovaGetTextInfo(h_, buffer));
    PutText("info", buffer, std::strlen(buffer));
    Put("guid", xovaGetQEBGUID(h_, buffer));
    PutText("guid", buffer, std::strlen(buffer));
    Put("system", xovaGetSystemString(h_, buffer));
    PutField("system", buffer);
    char date[10] = {}, time[9] = {};
    Put("stamp", xovaGetTimeStamp(h_, date, time));
    PutText("stamp", date, std::strlen(date));
    PutText("stamp", time, std::strlen(time));
    int release[8] = {};
    Put("release", xovaGetReleaseInfo(h_, release));
    for (int r : release) Put("release", 0, r);
    int value = -1;
    Put("compression", xovaGetCompression(h_, &value), value);
    Put("case size", xovaGetCaseSize(h_, &value), value);
  }

  void Qeb() {
    int total = -1, last = -1;
    const int rc = xovaGetQEBInfo(h_, &total, &last);
    Put("qeb", rc, total * 100000LL + last);
    if (rc != XOVA_OK) return;
    std::vector<char> piece(64);
    int got = 0;
    int prc = xovaGetQEBFirst(h_, piece.data(), static_cast<int>(piece.size()), &got);
    for (int i = 0; prc == XOVA_OK && got > 0 && i < 1000; ++i) {
      PutText("qeb", piece.data(), static_cast<size_t>(got));
      prc = xovaGetQEBNext(h_, piece.data(), static_cast<int>(piece.size()), &got);
    }
    Put("qeb end", prc, got);
  }

  int h_;
  bool repairFormats_;
  std::string out_;
};

void ExpectEqual(const std::string& written, const std::string& read) {
  if (written == read) return;
  std::fprintf(stderr, "--- written\n%s--- read\n%s", written.c_str(), read.c_str());
  CHECK(written == read);
}

struct Plan {
  std::vector<Var> vars;
  std::vector<double> handles;
  std::vector<std::vector<unsigned char>> cases;
  std::string dictionary;
};

// Fills one case through the setters or as a whole, then commits it; returns
// the bytes the write handle held for it.
std::vector<unsigned char> WriteCase(FuzzedDataProvider& in, int h, const Plan& plan) {
  xova::FileState* fs = xova::LookupHandle(h);
  CHECK(fs);
  if (in.ConsumeIntegralInRange(0, 7) == 0) {
    std::vector<unsigned char> whole = in.ConsumeBytes<unsigned char>(fs->caseBuffer.size());
    whole.resize(fs->caseBuffer.size(), ' ');
    CHECK(xovaWholeCaseOut(h, reinterpret_cast<const char*>(whole.data())) == XOVA_OK);
    return whole;
  }
  for (size_t i = 0; i < plan.vars.size(); ++i) {
    if (in.ConsumeIntegralInRange(0, 3) == 0) continue;  // left blank
    if (plan.vars[i].type == 0) {
      CHECK(xovaSetValueNumeric(h, plan.handles[i], MakeNumber(in)) == XOVA_OK);
    } else {
      const std::string text = in.ConsumeRandomLengthString(plan.vars[i].type + 3);
      const int rc = xovaSetValueChar(h, plan.handles[i], text.c_str());
      CHECK(rc == XOVA_OK || rc == XOVA_BAD_STRING_VALUE);
    }
  }
  std::vector<unsigned char> held = fs->caseBuffer;
  CHECK(xovaCommitCaseRecord(h) == XOVA_OK);
  return held;
}

// Defines, commits and writes the file; false when the input defined nothing.
bool WriteFile(FuzzedDataProvider& in, Plan* plan) {
  int h = -1;
  CHECK(xovaOpenWrite(FilePath().c_str(), &h) == XOVA_OK);
  const int wanted = in.ConsumeIntegralInRange(1, kMaxVariables);
  for (int i = 0; i < wanted; ++i) {
    Var v{MakeName(in), in.ConsumeBool() ? 0 : in.ConsumeIntegralInRange(1, kMaxWidth)};
    if (xovaSetVarName(h, v.name.c_str(), v.type) == XOVA_OK) plan->vars.push_back(v);
  }
  for (const Var& v : plan->vars) DefineAttributes(in, h, v, plan->vars);
  if (!plan->vars.empty()) DefineFileSettings(in, h, plan->vars);
  const int committed = xovaCommitHeader(h);
  if (plan->vars.empty()) {
    CHECK(committed == XOVA_EMPTY_DICTIONARY);
    CHECK(xovaCloseWrite(h) == XOVA_NOT_COMMITTED);
    return false;
  }
  CHECK(committed == XOVA_OK);
  plan->dictionary = Snapshot(h, true).Take();
  for (const Var& v : plan->vars) {
    double vh = 0;
    CHECK(xovaGetVarHandle(h, v.name.c_str(), &vh) == XOVA_OK);
    plan->handles.push_back(vh);
  }
  const int cases = in.ConsumeIntegralInRange(0, kMaxCases);
  for (int c = 0; c < cases; ++c) plan->cases.push_back(WriteCase(in, h, *plan));
  CHECK(xovaCloseWrite(h) == XOVA_OK);
  return true;
}

void ExpectCase(int h, const Plan& plan, const std::vector<unsigned char>& expected) {
  for (size_t i = 0; i < plan.vars.size(); ++i) {
    int position = 0;
    std::memcpy(&position, &plan.handles[i], sizeof position);
    const unsigned char* at = expected.data() + 8 * (position - 1);
    const int width = plan.vars[i].type;
    if (width == 0) {
      double value = 0;
      CHECK(xovaGetValueNumeric(h, plan.handles[i], &value) == XOVA_OK);
      CHECK(std::memcmp(&value, at, 8) == 0);
    } else {
      std::vector<char> value(static_cast<size_t>(width) + 1);
      CHECK(xovaGetValueChar(h, plan.handles[i], value.data(), width + 1) == XOVA_OK);
      CHECK(std::memcmp(value.data(), at, static_cast<size_t>(width)) == 0);
    }
  }
}

void ReadBack(const Plan& plan) {
  int h = -1;
  CHECK(xovaOpenRead(FilePath().c_str(), &h) == XOVA_OK);
  ExpectEqual(plan.dictionary, Snapshot(h, false).Take());
  int count = -1;
  CHECK(xovaGetNumberofCases(h, &count) == XOVA_OK);
  CHECK(count == static_cast<int>(plan.cases.size()));
  for (const auto& expected : plan.cases) {
    CHECK(xovaReadCaseRecord(h) == XOVA_OK);
    ExpectCase(h, plan, expected);
  }
  CHECK(xovaReadCaseRecord(h) == XOVA_END_OF_DATA);
  // Whole cases, backwards, through the position index.
  for (size_t c = plan.cases.size(); c-- > 0;) {
    std::vector<unsigned char> whole(plan.cases[c].size());
    CHECK(xovaSeekNextCase(h, static_cast<int>(c)) == XOVA_OK);
    CHECK(xovaWholeCaseIn(h, whole.data()) == XOVA_OK);
    CHECK(whole == plan.cases[c]);
  }
  CHECK(xovaCloseRead(h) == XOVA_OK);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  Plan plan;
  if (WriteFile(in, &plan)) ReadBack(plan);
  for (int h = 0; h < xova::kHandleSlots; ++h) CHECK(!xova::LookupHandle(h));
  return 0;
}
