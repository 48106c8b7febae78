/* A numpy memory handler that backs large arrays with transparent huge pages.
 *
 * Where the kernel gives huge pages only on request, every 4 KiB page of a
 * new array costs a page fault on first touch, and on virtual machines a fault
 * costs tens of microseconds: filling a DataFrame's worth of fresh memory then
 * takes longer than reading the file. numpy asks for huge pages for its
 * uninitialised allocations only, not for zeroed ones, and every object array
 * (a string column) is a zeroed one. The reader installs this handler for the
 * arrays it builds; each array keeps the handler that allocated it, so it is
 * freed here whatever happens to it later.
 *
 * Unlike _bulk.c, this file uses the Python and numpy headers: the package
 * calls it through ctypes.PyDLL, with the interpreter lock held. */
#define PY_SSIZE_T_CLEAN
#include <Python.h>
#define NPY_NO_DEPRECATED_API NPY_1_7_API_VERSION
/* numpy reaches its functions through a table of object pointers cast to
 * function pointers, which POSIX allows and ISO C does not. */
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#endif
#include <numpy/arrayobject.h>

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#if defined(__linux__)
#include <sys/mman.h>
#define HUGE_PAGES_POSSIBLE 1
#else
#define HUGE_PAGES_POSSIBLE 0
#endif

#if defined(_WIN32)
#define HUGE_API __declspec(dllexport)
#else
#define HUGE_API __attribute__((visibility("default")))
#endif

#if NPY_API_VERSION >= 0x0000000F /* numpy 1.22 brought memory handlers */
#define HANDLERS_POSSIBLE 1
#else
#define HANDLERS_POSSIBLE 0
#endif

/* Every block starts with this header, so free() knows how it was obtained;
 * the data follows kHeader bytes in, which keeps it as aligned as malloc's. */
typedef struct {
  size_t mapped; /* length of the mapping, or 0: the block came from malloc */
  size_t size;   /* bytes asked for */
} BlockHeader;

enum { kHeader = 64, kHugePage = 2u << 20, kMinMapped = 4u << 20 };

static BlockHeader* HeaderOf(void* data) {
  return (BlockHeader*)((char*)data - kHeader);
}

#if HUGE_PAGES_POSSIBLE
/* A zeroed mapping of at least `length` bytes starting on a huge-page
 * boundary, marked for huge pages; its length in *mapped. */
static void* MapHuge(size_t length, size_t* mapped) {
  size_t want = (length + kHugePage - 1) / kHugePage * kHugePage;
  size_t over = want + kHugePage;
  char* p;
  char* start;
  if (want < length || over < want) return NULL;
  p = (char*)mmap(NULL, over, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return NULL;
  start = (char*)(((uintptr_t)p + kHugePage - 1) & ~(uintptr_t)(kHugePage - 1));
  if (start > p) munmap(p, (size_t)(start - p));
  if (start + want < p + over) munmap(start + want, (size_t)(p + over - (start + want)));
  madvise(start, want, MADV_HUGEPAGE); /* only advice: without it, plain pages */
  *mapped = want;
  return start;
}
#endif

static void* Allocate(size_t size, int zeroed) {
  BlockHeader* h = NULL;
  size_t total = size + kHeader;
  size_t mapped = 0;
  if (total < size) return NULL;
#if HUGE_PAGES_POSSIBLE
  if (total >= kMinMapped) h = (BlockHeader*)MapHuge(total, &mapped);
#endif
  if (!h) {
    mapped = 0;
    h = (BlockHeader*)(zeroed ? calloc(1, total) : malloc(total));
    if (!h) return NULL;
  }
  h->mapped = mapped;
  h->size = size;
  return (char*)h + kHeader;
}

static void Release(void* data) {
  BlockHeader* h;
  if (!data) return;
  h = HeaderOf(data);
#if HUGE_PAGES_POSSIBLE
  if (h->mapped) {
    munmap(h, h->mapped);
    return;
  }
#endif
  free(h);
}

#if HANDLERS_POSSIBLE
static void* HugeMalloc(void* ctx, size_t size) {
  (void)ctx;
  return Allocate(size, 0);
}

static void* HugeCalloc(void* ctx, size_t nelem, size_t elsize) {
  (void)ctx;
  if (elsize && nelem > SIZE_MAX / elsize) return NULL;
  return Allocate(nelem * elsize, 1);
}

static void* HugeRealloc(void* ctx, void* data, size_t size) {
  void* grown;
  (void)ctx;
  if (!data) return Allocate(size, 0);
  if (!HeaderOf(data)->mapped && size + kHeader < kMinMapped && size + kHeader > size) {
    BlockHeader* h = (BlockHeader*)realloc(HeaderOf(data), size + kHeader);
    if (!h) return NULL;
    h->size = size;
    return (char*)h + kHeader;
  }
  grown = Allocate(size, 0);
  if (!grown) return NULL;
  memcpy(grown, data, HeaderOf(data)->size < size ? HeaderOf(data)->size : size);
  Release(data);
  return grown;
}

static void HugeFree(void* ctx, void* data, size_t size) {
  (void)ctx;
  (void)size; /* the header knows; numpy's figure can differ for empty arrays */
  Release(data);
}

static PyDataMem_Handler handler = {
    "xovaio32_huge_pages", 1, {NULL, HugeMalloc, HugeCalloc, HugeRealloc, HugeFree}};
static PyObject* capsule = NULL;
#endif

/* Installs `next` as numpy's memory handler of the current context (None:
 * this file's) and returns the one it replaces, to be put back the same way.
 * Returns NotImplemented, changing nothing, where numpy has no handlers. */
HUGE_API PyObject* xovaSwapArrayAllocator(PyObject* next) {
#if HANDLERS_POSSIBLE
  if (PyArray_API == NULL && _import_array() < 0) return NULL;
  if (PyArray_GetNDArrayCFeatureVersion() < 0x0000000F) Py_RETURN_NOTIMPLEMENTED;
  if (next == Py_None) {
    if (!capsule) {
      capsule = PyCapsule_New(&handler, "mem_handler", NULL);
      if (!capsule) return NULL;
    }
    next = capsule;
  }
  return PyDataMem_SetHandler(next);
#else
  (void)next;
  Py_RETURN_NOTIMPLEMENTED;
#endif
}

#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
