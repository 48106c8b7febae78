// Reads an arbitrary file the way a real caller does: every dictionary and
// side-record query, the cases, seeks; then appends a case to a copy and
// starts a new file from its dictionary. Nothing may crash, leak a handle or
// leave a temporary file behind, and whatever the library writes itself must
// read back.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frame/handle_table.h"
#include "fuzz_check.h"
#include "xovaio32.h"

namespace {

// Far beyond any seed; keeps one input from allocating without bound.
constexpr int kMaxCaseElements = 1 << 16;
constexpr int kMaxCases = 500;
constexpr int kMaxQebPieces = 4096;

struct Paths {
  std::string dir;
  std::string spill;
  std::string input;
  std::string append;
  std::string copy;
};

void RemoveScratch();

const Paths& ThePaths() {
  // Never destroyed: the exit handler still needs it.
  static const Paths* paths = [] {
    auto* p = new Paths;
    char pattern[] = "/tmp/xova_fuzz_read_XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    p->dir = pattern;
    p->spill = p->dir + "/spill";
    p->input = p->dir + "/input.data";
    p->append = p->dir + "/append.data";
    p->copy = p->dir + "/copy.data";
    if (mkdir(p->spill.c_str(), 0700) != 0) std::abort();
    if (xovaSetTempDir(p->spill.c_str()) != XOVA_OK) std::abort();
    std::atexit(RemoveScratch);
    return p;
  }();
  return *paths;
}

void RemoveScratch() {
  const Paths& p = ThePaths();
  for (const std::string* path : {&p.input, &p.append, &p.copy}) unlink(path->c_str());
  rmdir(p.spill.c_str());
  rmdir(p.dir.c_str());
}

void WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  if (std::fclose(f) != 0) std::abort();
}

bool DirectoryEmpty(const std::string& path) {
  DIR* d = opendir(path.c_str());
  if (!d) return false;
  bool empty = true;
  while (dirent* e = readdir(d)) {
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) empty = false;
  }
  closedir(d);
  return empty;
}

bool NoHandleOpen() {
  for (int h = 0; h < xova::kHandleSlots; ++h) {
    if (xova::LookupHandle(h)) return false;
  }
  return true;
}

// A NUL within `size` bytes: every text the library hands out is terminated.
bool Terminated(const char* text, size_t size) {
  return std::memchr(text, '\0', size) != nullptr;
}

void QueryValueLabels(int h, const char* name, int type) {
  int count = -1;
  char** labels = nullptr;
  if (type == 0) {
    double* values = nullptr;
    const int rc = xovaGetVarNValueLabels(h, name, &values, &labels, &count);
    if (rc == XOVA_OK) {
      CHECK(count > 0 && values && labels);
      for (int i = 0; i < count; ++i) {
        CHECK(labels[i]);
        std::vector<char> label(61);
        xovaGetVarNValueLabel(h, name, values[i], label.data());
        CHECK(Terminated(label.data(), label.size()));
      }
      CHECK(xovaFreeVarNValueLabels(values, labels, count) == XOVA_OK);
    }
  } else {
    char** values = nullptr;
    const int rc = xovaGetVarCValueLabels(h, name, &values, &labels, &count);
    if (rc == XOVA_OK) {
      CHECK(count > 0 && values && labels);
      for (int i = 0; i < count; ++i) {
        CHECK(values[i] && labels[i]);
        std::vector<char> label(61);
        int len = -1;
        xovaGetVarCValueLabelLong(h, name, values[i], label.data(), 61, &len);
        CHECK(len >= 0 && static_cast<size_t>(len) < label.size() && label[len] == '\0');
      }
      CHECK(xovaFreeVarCValueLabels(values, labels, count) == XOVA_OK);
    }
  }
}

void QueryVariable(int h, const char* name, int type) {
  std::vector<char> label(257);
  int len = -1;
  const int rc = xovaGetVarLabelLong(h, name, label.data(), static_cast<int>(label.size()), &len);
  CHECK(rc == XOVA_OK || rc == XOVA_LABEL_ABSENT);
  // A label from a file may hold NUL bytes: the terminator follows what was copied.
  CHECK(len >= 0 && static_cast<size_t>(len) < label.size() && label[len] == '\0');
  std::vector<char> shortLabel(121);
  xovaGetVarLabel(h, name, shortLabel.data());
  CHECK(Terminated(shortLabel.data(), shortLabel.size()));

  int a = 0, b = 0, c = 0;
  CHECK(xovaGetVarPrintFormat(h, name, &a, &b, &c) == XOVA_OK);
  CHECK(xovaGetVarWriteFormat(h, name, &a, &b, &c) == XOVA_OK);
  xovaGetVarMeasureLevel(h, name, &a);
  xovaGetVarColumnWidth(h, name, &a);
  xovaGetVarAlignment(h, name, &a);
  std::vector<char> compat(9);
  xovaGetVarCompatName(h, name, compat.data());

  int code = 0;
  if (type == 0) {
    double v1 = 0, v2 = 0, v3 = 0;
    CHECK(xovaGetVarNMissingValues(h, name, &code, &v1, &v2, &v3) == XOVA_OK);
  } else {
    std::vector<char> v1(9), v2(9), v3(9);
    const int mrc = xovaGetVarCMissingValues(h, name, &code, v1.data(), v2.data(), v3.data());
    CHECK(mrc == XOVA_OK || (mrc == XOVA_STRING_TOO_WIDE && type > 8));
  }
  QueryValueLabels(h, name, type);
}

void QuerySideRecords(int h) {
  char* text = nullptr;
  if (xovaGetMultRespDefs(h, &text) == XOVA_OK) CHECK(text);
  xovaFreeMultRespDefs(text);
  text = nullptr;
  if (xovaGetVariableSets(h, &text) == XOVA_OK) CHECK(text);
  xovaFreeVariableSets(text);
  int count = -1;
  int* dates = nullptr;
  if (xovaGetDateVariables(h, &count, &dates) == XOVA_OK) CHECK(count >= 0);
  xovaFreeDateVariables(dates);

  int total = -1, last = 0;
  if (xovaGetQEBInfo(h, &total, &last) == XOVA_OK) {
    CHECK(total > 0);
    std::vector<char> piece(97);
    int got = -1, seen = 0;
    int rc = xovaGetQEBFirst(h, piece.data(), static_cast<int>(piece.size()), &got);
    for (int i = 0; rc == XOVA_OK && got > 0 && i < kMaxQebPieces; ++i) {
      CHECK(got <= static_cast<int>(piece.size()));
      seen += got;
      rc = xovaGetQEBNext(h, piece.data(), static_cast<int>(piece.size()), &got);
    }
    CHECK(seen <= total);
  }
  std::vector<char> guid(257), info(256), weight(65), id(65), sys(41), date(10), time(9);
  CHECK(xovaGetQEBGUID(h, guid.data()) == XOVA_OK);
  CHECK(xovaGetTextInfo(h, info.data()) == XOVA_OK);
  int release[8];
  xovaGetReleaseInfo(h, release);
  xovaGetCaseWeightVar(h, weight.data());
  CHECK(Terminated(weight.data(), weight.size()));
  CHECK(xovaGetIdString(h, id.data()) == XOVA_OK);
  CHECK(xovaGetSystemString(h, sys.data()) == XOVA_OK);
  CHECK(xovaGetTimeStamp(h, date.data(), time.data()) == XOVA_OK);
  int comp = -1;
  CHECK(xovaGetCompression(h, &comp) == XOVA_OK);
  for (int subtype = 0; subtype <= 33; ++subtype) {
    int found = -1;
    const int rc = xovaQueryType7(h, subtype, &found);
    CHECK(subtype == 33 ? rc == XOVA_SUBTYPE_OUT_OF_RANGE : rc == XOVA_OK);
    CHECK(found == 0 || (found == 1 && subtype != 9 && subtype != 33));
  }
}

struct Var {
  std::string name;
  int type;
  double handle;
};

void ReadValues(int h, const std::vector<Var>& vars) {
  for (const Var& v : vars) {
    if (v.type == 0) {
      double value = 0;
      CHECK(xovaGetValueNumeric(h, v.handle, &value) == XOVA_OK);
    } else {
      std::vector<char> value(static_cast<size_t>(v.type) + 1);
      CHECK(xovaGetValueChar(h, v.handle, value.data(), static_cast<int>(value.size())) == XOVA_OK);
      CHECK(value[static_cast<size_t>(v.type)] == '\0');
    }
  }
}

void ReadCases(int h, const std::vector<Var>& vars) {
  int bytes = 0;
  CHECK(xovaGetCaseSize(h, &bytes) == XOVA_OK);
  CHECK(bytes >= 0 && bytes % 8 == 0);
  const int elements = bytes / 8;
  int read = 0;
  while (read < kMaxCases && xovaReadCaseRecord(h) == XOVA_OK) {
    ReadValues(h, vars);
    ++read;
  }
  if (elements > 0 && elements <= kMaxCaseElements) {
    std::vector<double> whole(static_cast<size_t>(elements));
    CHECK(xovaSeekNextCase(h, 0) == XOVA_OK || read == 0);
    if (xovaWholeCaseIn(h, whole.data()) == XOVA_OK) ReadValues(h, vars);
  }
  // Forward, back to the start, then past what was read.
  for (int target : {read / 2, 0, read, read + 3}) {
    if (xovaSeekNextCase(h, target) == XOVA_OK && xovaReadCaseRecord(h) == XOVA_OK) {
      ReadValues(h, vars);
    }
  }
  int estimate = 0, cases = 0;
  CHECK(xovaGetEstimatedNofCases(h, &estimate) == XOVA_OK);
  CHECK(xovaGetNumberofCases(h, &cases) == XOVA_OK);
}

// 0 when the file opened for reading, else the open's result.
int ReadWhole(const std::string& path) {
  int h = -1;
  const int opened = xovaOpenRead(path.c_str(), &h);
  if (opened != XOVA_OK) return opened;
  int count = -1;
  const int counted = xovaGetNumberofVariables(h, &count);
  CHECK(counted == XOVA_OK || (counted == XOVA_BAD_FILE && count == 0));
  std::vector<Var> vars;
  for (int i = 0; i < count; ++i) {
    char name[65];
    int type = -1;
    CHECK(xovaGetVarInfo(h, i, name, &type) == XOVA_OK);
    const size_t len = std::strlen(name);
    CHECK(len >= 1 && len <= 64);
    CHECK(type >= 0 && type <= 32767);
    double vh = 0;
    // Names from a file may repeat after folding; only the first is reachable by name.
    if (xovaGetVarHandle(h, name, &vh) == XOVA_OK) vars.push_back({name, type, vh});
    QueryVariable(h, name, type);
  }
  int listed = -1;
  char** names = nullptr;
  int* types = nullptr;
  if (xovaGetVarNames(h, &listed, &names, &types) == XOVA_OK) {
    CHECK(listed == count);
    CHECK(xovaFreeVarNames(names, types, listed) == XOVA_OK);
  }
  QuerySideRecords(h);
  ReadCases(h, vars);
  CHECK(xovaCloseRead(h) == XOVA_OK);
  CHECK(xovaGetNumberofVariables(h, &count) == XOVA_BAD_HANDLE);
  CHECK(xovaCloseRead(h) == XOVA_BAD_HANDLE);
  return XOVA_OK;
}

void AppendOneCase(const Paths& p, const uint8_t* data, size_t size) {
  WriteBytes(p.append, data, size);
  int h = -1;
  if (xovaOpenAppend(p.append.c_str(), &h) != XOVA_OK) return;
  const int committed = xovaCommitCaseRecord(h);
  const int closed = xovaCloseAppend(h);
  CHECK(xovaCloseAppend(h) == XOVA_BAD_HANDLE);
  // A file the library accepted for appending and extended must read back.
  if (committed == XOVA_OK && closed == XOVA_OK) CHECK(ReadWhole(p.append) == XOVA_OK);
}

void CopyDictionary(const Paths& p) {
  int h = -1;
  if (xovaOpenWriteCopy(p.copy.c_str(), p.input.c_str(), &h) != XOVA_OK) return;
  const int committed = xovaCommitHeader(h);
  const int closed = xovaCloseWrite(h);
  CHECK(xovaCloseWrite(h) == XOVA_BAD_HANDLE);
  // What the writer produced from a dictionary it accepted must read back.
  if (committed == XOVA_OK && closed == XOVA_OK) CHECK(ReadWhole(p.copy) == XOVA_OK);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Paths& p = ThePaths();
  WriteBytes(p.input, data, size);
  const int read = ReadWhole(p.input);
  if (read == XOVA_OK) {
    AppendOneCase(p, data, size);
    CopyDictionary(p);
  }
  CHECK(NoHandleOpen());
  CHECK(DirectoryEmpty(p.spill));
  unlink(p.append.c_str());
  unlink(p.copy.c_str());
  return 0;
}
