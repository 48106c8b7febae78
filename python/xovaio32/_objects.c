/* Filling a string column's object array from its distinct values.
 *
 * numpy's take() on object arrays goes through a generic per-element copy;
 * a column of a million cells that share a handful of str objects is filled
 * here in a fraction of that time. Like _hugepages.c it uses the Python
 * headers and is called through ctypes.PyDLL, with the interpreter lock
 * held. */
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#if defined(_WIN32)
#define OBJECTS_API __declspec(dllexport)
#else
#define OBJECTS_API __attribute__((visibility("default")))
#endif

/* Sets cell i of `cells` (the n elements of an object array, each holding a
 * reference or null) to values[codes[i]], releasing what the cell held.
 * `values` is any sequence; it is copied first, so code run by a release
 * cannot change it under the loop. Raises ValueError, changing nothing, for a
 * code outside it. */
OBJECTS_API PyObject* xovaFillObjects(PyObject** cells, PyObject* values, const long long* codes,
                                      long long n) {
  PyObject* items = PySequence_Tuple(values);
  Py_ssize_t k;
  long long i;
  if (!items) return NULL;
  k = PyTuple_GET_SIZE(items);
  for (i = 0; i < n; ++i) {
    if (codes[i] < 0 || codes[i] >= (long long)k) {
      Py_DECREF(items);
      PyErr_Format(PyExc_ValueError, "code %lld of cell %lld is not below %zd", codes[i], i, k);
      return NULL;
    }
  }
  for (i = 0; i < n; ++i) {
    PyObject* old = cells[i];
    PyObject* v = PyTuple_GET_ITEM(items, codes[i]);
    Py_INCREF(v);
    cells[i] = v;
    Py_XDECREF(old);
  }
  Py_DECREF(items);
  Py_RETURN_NONE;
}

/* setuptools builds this extension as a module and, on Windows, exports its
 * init function by name; the package loads it with ctypes instead, and an
 * import gives an empty module. */
static struct PyModuleDef pyloops = {
    PyModuleDef_HEAD_INIT, "_pyloops", NULL, -1, NULL, NULL, NULL, NULL, NULL};

PyMODINIT_FUNC PyInit__pyloops(void) {
  return PyModule_Create(&pyloops);
}
