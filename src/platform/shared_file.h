// Buffered file streams opened "deny-write": while one is open for writing, no
// other stream of this library may open the file, and while one is open for
// reading, none may open it for writing. Readers may share a file.
//
// On Windows this is the share mode of the C runtime and binds every program.
// On POSIX systems it is an advisory lock on the open file description: it
// binds every stream this library opens, in this process or another, but a
// program that takes no lock can still write the file.
#ifndef XOVA_PLATFORM_SHARED_FILE_H
#define XOVA_PLATFORM_SHARED_FILE_H

#include <cstdint>
#include <cstdio>
#include <memory>

namespace xova {
namespace platform {

enum class OpenMode {
  kCreateWrite,   // "wb": created, or emptied when it exists
  kRead,          // "rb"
  kUpdate,        // "rb+": an existing file for reading and writing
  kCreateUpdate,  // "wb+": created or emptied, for reading and writing
};

constexpr std::size_t kStreamBufferSize = 8192;

// Opens `path` untranslated and deny-write with full buffering of `bufferSize`
// bytes (0 keeps the runtime's buffer). Null when the file cannot be opened or
// another stream holds it.
std::FILE* OpenShared(const char* path, OpenMode mode, std::size_t bufferSize);

// Closes a stream from OpenShared; false when the final flush or close failed.
bool CloseShared(std::FILE* stream);

// Closes the stream, then frees the buffer it was given, if any.
struct StreamCloser {
  char* buffer = nullptr;
  void operator()(std::FILE* stream) {
    CloseShared(stream);
    delete[] buffer;
    buffer = nullptr;
  }
};
using StreamPtr = std::unique_ptr<std::FILE, StreamCloser>;

// Opens a data file as OpenShared does, fully buffered through a buffer of
// exactly kStreamBufferSize bytes that the stream owns (some runtimes ignore
// the size unless they are handed the buffer). Null on failure; `outOfMemory`
// then tells whether the buffer was what failed.
StreamPtr OpenDataStream(const char* path, OpenMode mode, bool* outOfMemory);

// Writes all `size` bytes; false on a short write.
bool Write(std::FILE* stream, const void* data, std::size_t size);

// Reads up to `size` bytes; the number read. Like Write it goes through the
// stream's buffer without taking the stream's lock where the C library
// allows: a handle is used by one thread at a time.
std::size_t Read(std::FILE* stream, void* data, std::size_t size);

// Flushes the stream's buffer; false when that failed.
bool Flush(std::FILE* stream);

// 64-bit positioning: Seek gives false on failure, Tell -1.
bool Seek(std::FILE* stream, std::int64_t offset, int whence);
std::int64_t Tell(std::FILE* stream);

// Length in bytes of the file behind the stream, or -1 when it can't be
// obtained. Output still in the stream's buffer is not counted; the stream is
// neither flushed nor moved (flushing an input stream is not portable).
std::int64_t FileLength(std::FILE* stream);

// True when both paths name one existing file, so that creating the first
// would destroy the second.
bool SameExistingFile(const char* first, const char* second);

}  // namespace platform
}  // namespace xova

#endif
