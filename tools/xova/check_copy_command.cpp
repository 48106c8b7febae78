// xova check: open a file and read every case. xova copy: the same
// dictionary and cases in a new file, re-encoded.
#include <cstdio>
#include <functional>

#include "commands.h"
#include "xovaio32.hpp"

namespace xova_tool {

namespace {

// Reads up to `wanted` cases (-1: to the end). Falling short is damage only
// when the header records the count; otherwise the data ends where it ends.
long ReadAll(xovaio32::Reader& r, long first, long wanted, Progress& progress,
             const std::function<void(const char*)>& each) {
  const bool counted = r.caseCount() >= 0;
  if (first > 0) r.seek(static_cast<int>(first));
  long n = 0;
  while ((wanted < 0 || n < wanted) && r.next()) {
    if (each) each(r.caseData());
    progress.update(++n);
  }
  progress.finish();
  if (counted && wanted >= 0 && n < wanted)
    throw xovaio32::Error(XOVA_END_OF_DATA, r.path(),
                          "case " + std::to_string(first + n) +
                              " cannot be read: the file is damaged or cut short (the header "
                              "counts " +
                              std::to_string(r.caseCount()) + ")");
  return n;
}

}  // namespace

int CheckCommand(const std::string& file, bool quiet) {
  xovaio32::Reader r(file);
  // Every query of the dictionary must answer too.
  const xovaio32::Dictionary d = r.dictionary();
  const long count = r.caseCount();
  Progress progress(quiet, count);
  const long n = ReadAll(r, 0, count, progress, {});
  std::printf("%s: ok: %zu variables, %ld cases%s\n", file.c_str(), d.variables.size(), n,
              count < 0 ? " (the header does not record the count)" : "");
  std::fflush(stdout);
  if (std::ferror(stdout)) throw ToolError("standard output", "write", "failed");
  return kExitOk;
}

int CopyCommand(const CopyOptions& o) {
  const Rows rows = o.rows.empty() ? Rows{} : ParseRows(o.rows);
  xovaio32::Reader r(o.input);
  const long recorded = r.caseCount();
  long end = rows.last ? *rows.last : -1;
  if (recorded >= 0 && (end < 0 || end > recorded)) end = recorded;
  const long first = end >= 0 ? std::min(rows.first, end) : rows.first;
  const long wanted = end >= 0 ? end - first : -1;

  OutputFile out(o.output);
  try {
    xovaio32::Writer w(out.temporary(), o.input);
    if (o.compress || o.noCompress) w.setCompression(o.compress);
    w.commit();
    Progress progress(o.quiet, wanted);
    ReadAll(r, first, wanted, progress, [&](const char* rec) { w.writeCase(rec); });
    w.close();
  } catch (const xovaio32::Error& e) {
    if (e.file() == out.temporary()) throw xovaio32::Error(e.code(), o.output, e.operation());
    throw;
  }
  out.commit();
  return kExitOk;
}

}  // namespace xova_tool
