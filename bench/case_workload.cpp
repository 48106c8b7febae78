#include "case_workload.h"

#include <cstdio>
#include <cstring>
#include <random>

#include "empty_call.h"
#include "xovaio32.h"

namespace xova_bench {
namespace {

constexpr std::size_t kStreamBuffer = 8192;
const char* const kAnswers[] = {"yes", "no", "Berlin", "", "don't know", "Hamburg", "n/a"};

std::string VarName(int i) {
  return "v" + std::to_string(i + 1);
}

// A stdio stream with the same buffering the library gives its files.
std::FILE* OpenBuffered(const std::string& path, const char* mode, std::vector<char>* buffer) {
  std::FILE* f = std::fopen(path.c_str(), mode);
  if (f) {
    buffer->resize(kStreamBuffer);
    std::setvbuf(f, buffer->data(), _IOFBF, kStreamBuffer);
  }
  return f;
}

bool DefineCases(int h, int compression) {
  bool ok = xovaSetCompression(h, compression) == XOVA_OK;
  for (int i = 0; i < kNumeric; ++i) ok = ok && xovaSetVarName(h, VarName(i).c_str(), 0) == 0;
  for (int s = 0; s < kStrings; ++s) {
    ok = ok && xovaSetVarName(h, VarName(kNumeric + s).c_str(), kStringWidth) == XOVA_OK;
  }
  return ok && xovaCommitHeader(h) == XOVA_OK;
}

std::vector<double> Handles(int h) {
  std::vector<double> handles(kNumeric + kStrings);
  for (int i = 0; i < kNumeric + kStrings; ++i) {
    xovaGetVarHandle(h, VarName(i).c_str(), &handles[static_cast<std::size_t>(i)]);
  }
  return handles;
}

// The caller's own record, which the getters fill. A running sum over every
// value would spill to memory around each call (the vector registers don't
// survive one) and time that chain instead of the calls; one value of each
// case is used.
struct Row {
  double numbers[kNumeric] = {};
  char texts[kStrings][kStringWidth + 1] = {};
  double Sample(long n) const { return numbers[n % kNumeric] + texts[n % kStrings][0]; }
};

// Keeps the values read from being optimised away.
volatile double g_sink;
void Consume(double sum) {
  g_sink = g_sink + sum;
}

}  // namespace

CaseSource::CaseSource(std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> pick(0, 99);
  const double sysmis = xovaSysmisVal();
  numbers_.resize(kPeriod * kNumeric);
  texts_.resize(kPeriod * kStrings);
  whole_.assign(kPeriod * kCaseBytes, ' ');
  for (long i = 0; i < kPeriod; ++i) {
    char* out = &whole_[static_cast<std::size_t>(i * kCaseBytes)];
    for (int v = 0; v < kNumeric; ++v) {
      const int p = pick(rng);
      double x = p < 5 ? sysmis : p < 15 ? p * 1.37 : 1 + p % 9;
      if (v == 0) x = 18 + p % 70;  // an age
      numbers_[static_cast<std::size_t>(i * kNumeric + v)] = x;
      std::memcpy(out + 8 * v, &x, 8);
    }
    for (int s = 0; s < kStrings; ++s) {
      const std::string text = kAnswers[pick(rng) % 7];
      texts_[static_cast<std::size_t>(i * kStrings + s)] = text;
      std::memcpy(out + 8 * kNumeric + 16 * s, text.data(), text.size());
    }
  }
}

const double* CaseSource::Numbers(long i) const {
  return &numbers_[static_cast<std::size_t>((i % kPeriod) * kNumeric)];
}

const char* CaseSource::Text(long i, int s) const {
  return texts_[static_cast<std::size_t>((i % kPeriod) * kStrings + s)].c_str();
}

const char* CaseSource::Whole(long i) const {
  return &whole_[static_cast<std::size_t>((i % kPeriod) * kCaseBytes)];
}

bool WriteFile(const std::string& path, long cases, int compression, Output how,
               const CaseSource& src) {
  int h = -1;
  if (xovaOpenWrite(path.c_str(), &h) != XOVA_OK) return false;
  bool ok = DefineCases(h, compression);
  const std::vector<double> var = Handles(h);
  for (long i = 0; ok && i < cases; ++i) {
    if (how == Output::kWholeCase) {
      ok = xovaWholeCaseOut(h, src.Whole(i)) == XOVA_OK;
      continue;
    }
    const double* x = src.Numbers(i);
    for (int v = 0; v < kNumeric; ++v)
      xovaSetValueNumeric(h, var[static_cast<std::size_t>(v)], x[v]);
    for (int s = 0; s < kStrings; ++s) {
      xovaSetValueChar(h, var[static_cast<std::size_t>(kNumeric + s)], src.Text(i, s));
    }
    ok = xovaCommitCaseRecord(h) == XOVA_OK;
  }
  return xovaCloseWrite(h) == XOVA_OK && ok;
}

bool WriteBaseline(const std::string& path, long cases, const CaseSource& src) {
  std::vector<char> buffer;
  std::FILE* f = OpenBuffered(path, "wb", &buffer);
  if (!f) return false;
  bool ok = true;
  for (long i = 0; ok && i < cases; ++i)
    ok = std::fwrite(src.Whole(i), 1, kCaseBytes, f) == kCaseBytes;
  return std::fclose(f) == 0 && ok;
}

long ReadFile(const std::string& path, Input how) {
  int h = -1;
  if (xovaOpenRead(path.c_str(), &h) != XOVA_OK) return -1;
  const std::vector<double> var = Handles(h);
  char whole[kCaseBytes];
  Row row;
  double sum = 0;
  long n = 0;
  for (;;) {
    if (how == Input::kWholeCase) {
      if (xovaWholeCaseIn(h, whole) != XOVA_OK) break;
      sum += whole[0];
    } else {
      if (xovaReadCaseRecord(h) != XOVA_OK) break;
      for (int v = 0; v < kNumeric; ++v) {
        xovaGetValueNumeric(h, var[static_cast<std::size_t>(v)], &row.numbers[v]);
      }
      for (int s = 0; s < kStrings; ++s) {
        xovaGetValueChar(h, var[static_cast<std::size_t>(kNumeric + s)], row.texts[s],
                         sizeof row.texts[s]);
      }
      sum += row.Sample(n);
    }
    ++n;
  }
  xovaCloseRead(h);
  Consume(sum);
  return n;
}

long EmptyCalls(long cases) {
  Row row;
  double sum = 0;
  for (long n = 0; n < cases; ++n) {
    for (int v = 0; v < kNumeric + kStrings; ++v) EmptyGetValue(1, v, &row.numbers[v % kNumeric]);
    sum += row.Sample(n);
  }
  Consume(sum);
  return cases;
}

long ReadBaseline(const std::string& path, long cases) {
  std::vector<char> buffer;
  std::FILE* f = OpenBuffered(path, "rb", &buffer);
  if (!f) return -1;
  char whole[kCaseBytes];
  long n = 0;
  double sum = 0;
  while (n < cases && std::fread(whole, 1, kCaseBytes, f) == kCaseBytes) {
    sum += whole[0];
    ++n;
  }
  std::fclose(f);
  Consume(sum);
  return n;
}

bool WriteWideDictionary(const std::string& path, int vars) {
  int h = -1;
  if (xovaOpenWrite(path.c_str(), &h) != XOVA_OK) return false;
  bool ok = true;
  for (int i = 0; ok && i < vars; ++i) {
    const std::string name = "question_block_" + std::to_string(i / 100) + "_item_" +
                             std::to_string(i % 100) + "_response";
    ok = xovaSetVarName(h, name.c_str(), i % 10 == 9 ? 24 : 0) == XOVA_OK &&
         xovaSetVarLabel(
             h, name.c_str(),
             ("How strongly do you agree with statement " + std::to_string(i)).c_str()) == XOVA_OK;
    if (ok && i % 10 != 9) {
      static const char* const kScale[] = {"strongly disagree", "disagree", "neutral", "agree",
                                           "strongly agree"};
      for (int v = 0; ok && v < 5; ++v) {
        ok = xovaSetVarNValueLabel(h, name.c_str(), v + 1, kScale[v]) == XOVA_OK;
      }
    }
  }
  ok = ok && xovaCommitHeader(h) == XOVA_OK;
  return xovaCloseWrite(h) == XOVA_OK && ok;
}

std::int64_t FileSize(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return -1;
  std::fseek(f, 0, SEEK_END);
  const std::int64_t size = std::ftell(f);
  std::fclose(f);
  return size;
}

}  // namespace xova_bench
