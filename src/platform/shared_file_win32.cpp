#include <io.h>
#include <share.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "platform/shared_file.h"

#include "platform/fault_injection.h"

namespace xova {
namespace platform {
namespace {

const char* ModeText(OpenMode mode) {
  switch (mode) {
    case OpenMode::kCreateWrite:
      return "wb";
    case OpenMode::kRead:
      return "rb";
    case OpenMode::kUpdate:
      return "rb+";
    case OpenMode::kCreateUpdate:
    default:
      return "wb+";
  }
}

// The runtime opens a directory for reading without complaint; a stream on
// one is of no use to us.
bool IsDirectory(const char* path) {
  struct _stat64 info;
  return _stat64(path, &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFDIR;
}

// The runtime starts with room for 512 streams, fewer than the 1000 files the
// handle table can hold; 2048 is as far as it goes. Not every runtime reports
// a full stream table through errno, so any failure below the ceiling raises
// it and tries once more.
constexpr int kMaxStreams = 2048;

std::FILE* OpenDenyingWriters(const char* path, const char* mode) {
  std::FILE* stream = _fsopen(path, mode, _SH_DENYWR);
  if (!stream && _getmaxstdio() < kMaxStreams && _setmaxstdio(kMaxStreams) != -1) {
    stream = _fsopen(path, mode, _SH_DENYWR);
  }
  return stream;
}

}  // namespace

// The share mode is checked by the system before a "w" mode truncates, so a
// file held by another stream keeps its contents.
std::FILE* OpenShared(const char* path, OpenMode mode, std::size_t bufferSize) {
  if (!path || !*path || IsDirectory(path)) return nullptr;
  std::FILE* stream = OpenDenyingWriters(path, ModeText(mode));
  if (!stream) return nullptr;
  if (bufferSize > 0 && setvbuf(stream, nullptr, _IOFBF, bufferSize) != 0) {
    std::fclose(stream);
    return nullptr;
  }
  return stream;
}

bool CloseShared(std::FILE* stream) {
  return stream && std::fclose(stream) == 0;
}

bool Seek(std::FILE* stream, std::int64_t offset, int whence) {
  if (FaultHits(FaultKind::kSeek, stream)) return false;
  return _fseeki64(stream, offset, whence) == 0;
}

std::int64_t Tell(std::FILE* stream) {
  return _ftelli64(stream);
}

std::int64_t FileLength(std::FILE* stream) {
  if (!stream) return -1;
  return _filelengthi64(_fileno(stream));
}

// The system folds case in file names; two spellings of one path name one
// file. Links to one file under two names are not seen.
bool SameExistingFile(const char* first, const char* second) {
  struct _stat64 info;
  if (!first || !second || _stat64(first, &info) != 0 || _stat64(second, &info) != 0) return false;
  char a[_MAX_PATH];
  char b[_MAX_PATH];
  if (!_fullpath(a, first, sizeof a) || !_fullpath(b, second, sizeof b)) return false;
  return _stricmp(a, b) == 0;
}

}  // namespace platform
}  // namespace xova
