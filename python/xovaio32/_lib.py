"""Finding and loading the shared library, its prototypes, and the checks of
its result codes."""

from __future__ import annotations

import contextlib
import ctypes
import ctypes.util
import glob
import importlib.machinery
import os
import sys
import threading
import warnings
from ctypes import POINTER, c_char_p, c_double, c_int, c_longlong, c_void_p  # noqa: F401
from typing import Optional

from ._errors import XovaWarning, code_name, make_error

_HERE = os.path.dirname(os.path.abspath(__file__))

if sys.platform == "win32":
    _LIB_NAMES = ("xovaio32.dll",)
elif sys.platform == "darwin":
    _LIB_NAMES = ("libxovaio32.dylib",)
else:
    _LIB_NAMES = ("libxovaio32.so", "libxovaio32.so.1")

#: Opening and closing files changes the library's handle table, which is not
#: synchronised; every open and close of the package runs under this lock.
OPEN_CLOSE_LOCK = threading.Lock()

_load_lock = threading.Lock()
_lib = None
_lib_path: Optional[str] = None
_bulk = None
_py = None
_swap_allocator = None
_fill_objects = None


def _loader():
    return ctypes.WinDLL if sys.platform == "win32" else ctypes.CDLL


def _candidates():
    """(where, path) pairs in the order the library is looked for."""
    env = os.environ.get("XOVAIO32_LIBRARY")
    if env:
        yield "XOVAIO32_LIBRARY", env
        return  # an explicit choice is never silently replaced
    for name in _LIB_NAMES:
        path = os.path.join(_HERE, name)
        if os.path.exists(path):
            yield "package", path
    found = ctypes.util.find_library("xovaio32")
    if found:
        yield "system", found
    for name in _LIB_NAMES:
        yield "system", name


def load_library():
    """Loads the library once: ``XOVAIO32_LIBRARY``, else the copy inside the
    package, else the system's search path. Raises ImportError naming what
    was tried when none loads."""
    global _lib, _lib_path
    if _lib is not None:
        return _lib
    with _load_lock:
        if _lib is not None:
            return _lib
        tried = []
        for where, path in _candidates():
            try:
                lib = _loader()(path)
            except OSError as exc:
                tried.append(f"{path} ({where}): {exc}")
                continue
            _declare(lib)
            _lib_path = getattr(lib, "_name", path)
            _lib = lib
            return lib
        raise ImportError("xovaio32: the library libxovaio32 was not found; tried "
                          + "; ".join(tried) + ". Set XOVAIO32_LIBRARY to its path.")


def library_path() -> str:
    """The path of the library in use (loading it if needed)."""
    load_library()
    return str(_lib_path)


_PROTOTYPES = {
    "xovaSysmisVal": (c_double, []),
    "xovaLowHighVal": (None, [POINTER(c_double), POINTER(c_double)]),
    "xovaOpenWrite": (c_int, [c_char_p, POINTER(c_int)]),
    "xovaOpenRead": (c_int, [c_char_p, POINTER(c_int)]),
    "xovaOpenAppend": (c_int, [c_char_p, POINTER(c_int)]),
    "xovaCloseRead": (c_int, [c_int]),
    "xovaCloseWrite": (c_int, [c_int]),
    "xovaCloseAppend": (c_int, [c_int]),
    "xovaSetIdString": (c_int, [c_int, c_char_p]),
    "xovaSetCompression": (c_int, [c_int, c_int]),
    "xovaCommitHeader": (c_int, [c_int]),
    "xovaWholeCaseOut": (c_int, [c_int, c_char_p]),
    "xovaWholeCaseIn": (c_int, [c_int, c_void_p]),
    "xovaSeekNextCase": (c_int, [c_int, c_int]),
    "xovaGetEstimatedNofCases": (c_int, [c_int, POINTER(c_int)]),
    "xovaGetIdString": (c_int, [c_int, c_char_p]),
    "xovaGetTimeStamp": (c_int, [c_int, c_char_p, c_char_p]),
    "xovaGetCompression": (c_int, [c_int, POINTER(c_int)]),
    "xovaGetCaseSize": (c_int, [c_int, POINTER(c_int)]),
    "xovaGetNumberofCases": (c_int, [c_int, POINTER(c_int)]),
    "xovaGetCaseWeightVar": (c_int, [c_int, c_char_p]),
    "xovaValidateVarname": (c_int, [c_char_p]),
    "xovaSetVarName": (c_int, [c_int, c_char_p, c_int]),
    "xovaSetVarLabel": (c_int, [c_int, c_char_p, c_char_p]),
    "xovaSetVarPrintFormat": (c_int, [c_int, c_char_p, c_int, c_int, c_int]),
    "xovaSetVarWriteFormat": (c_int, [c_int, c_char_p, c_int, c_int, c_int]),
    "xovaGetVarPrintFormat": (c_int, [c_int, c_char_p] + [POINTER(c_int)] * 3),
    "xovaGetVarWriteFormat": (c_int, [c_int, c_char_p] + [POINTER(c_int)] * 3),
    "xovaSetVarMeasureLevel": (c_int, [c_int, c_char_p, c_int]),
    "xovaGetVarMeasureLevel": (c_int, [c_int, c_char_p, POINTER(c_int)]),
    "xovaSetVarColumnWidth": (c_int, [c_int, c_char_p, c_int]),
    "xovaGetVarColumnWidth": (c_int, [c_int, c_char_p, POINTER(c_int)]),
    "xovaSetVarAlignment": (c_int, [c_int, c_char_p, c_int]),
    "xovaGetVarAlignment": (c_int, [c_int, c_char_p, POINTER(c_int)]),
    "xovaSetCaseWeightVar": (c_int, [c_int, c_char_p]),
    "xovaGetVarHandle": (c_int, [c_int, c_char_p, POINTER(c_double)]),
    "xovaGetVarNames": (c_int, [c_int, POINTER(c_int), POINTER(POINTER(c_char_p)),
                                POINTER(POINTER(c_int))]),
    "xovaFreeVarNames": (c_int, [POINTER(c_char_p), POINTER(c_int), c_int]),
    "xovaGetVarLabelLong": (c_int, [c_int, c_char_p, c_char_p, c_int, POINTER(c_int)]),
    "xovaSetVarNValueLabels": (c_int, [c_int, POINTER(c_char_p), c_int, POINTER(c_double),
                                       POINTER(c_char_p), c_int]),
    "xovaSetVarCValueLabels": (c_int, [c_int, POINTER(c_char_p), c_int, POINTER(c_char_p),
                                       POINTER(c_char_p), c_int]),
    "xovaGetVarNValueLabels": (c_int, [c_int, c_char_p, POINTER(POINTER(c_double)),
                                       POINTER(POINTER(c_char_p)), POINTER(c_int)]),
    "xovaGetVarCValueLabels": (c_int, [c_int, c_char_p, POINTER(POINTER(c_char_p)),
                                       POINTER(POINTER(c_char_p)), POINTER(c_int)]),
    "xovaFreeVarNValueLabels": (c_int, [POINTER(c_double), POINTER(c_char_p), c_int]),
    "xovaFreeVarCValueLabels": (c_int, [POINTER(c_char_p), POINTER(c_char_p), c_int]),
    "xovaSetVarNMissingValues": (c_int, [c_int, c_char_p, c_int, c_double, c_double, c_double]),
    "xovaSetVarCMissingValues": (c_int, [c_int, c_char_p, c_int, c_char_p, c_char_p, c_char_p]),
    "xovaGetVarNMissingValues": (c_int, [c_int, c_char_p, POINTER(c_int)]
                                 + [POINTER(c_double)] * 3),
    "xovaGetVarCMissingValues": (c_int, [c_int, c_char_p, POINTER(c_int)] + [c_char_p] * 3),
    "xovaSetMultRespDefs": (c_int, [c_int, c_char_p]),
    "xovaGetMultRespDefs": (c_int, [c_int, POINTER(c_void_p)]),
    "xovaFreeMultRespDefs": (c_int, [c_void_p]),
    "xovaSetVariableSets": (c_int, [c_int, c_char_p]),
    "xovaGetVariableSets": (c_int, [c_int, POINTER(c_void_p)]),
    "xovaFreeVariableSets": (c_int, [c_void_p]),
}


def _declare(lib) -> None:
    for name, (restype, argtypes) in _PROTOTYPES.items():
        fn = getattr(lib, name)
        fn.restype = restype
        fn.argtypes = argtypes


def check(rc: int, path=None, detail: str = "", stacklevel: int = 3) -> int:
    """Raises Error for a positive result code, issues a warning for a
    negative one, and returns the code."""
    if rc > 0:
        raise make_error(rc, path, detail)
    if rc < 0:
        where = f"{path}: " if path is not None else ""
        what = f"{detail}: " if detail else ""
        warnings.warn(XovaWarning(rc, f"{where}{what}{code_name(rc)} ({rc})"),
                      stacklevel=stacklevel)
    return rc


def special_values():
    """(sysmis, lowest, highest) of this process's library."""
    lib = load_library()
    low, high = c_double(), c_double()
    lib.xovaLowHighVal(ctypes.byref(low), ctypes.byref(high))
    return lib.xovaSysmisVal(), low.value, high.value


def _load_compiled(stem: str, loader):
    """The package's compiled module ``stem`` loaded with ``loader`` (CDLL or
    PyDLL), or None when it was not built or XOVAIO32_NO_BULK is set."""
    if os.environ.get("XOVAIO32_NO_BULK"):
        return None
    for suffix in importlib.machinery.EXTENSION_SUFFIXES:
        for path in glob.glob(os.path.join(_HERE, stem + suffix)):
            try:
                return loader(path)
            except OSError:
                continue
    return None


def load_bulk():
    """The package's compiled case loops, or None when they were not built
    (the package then falls back to one ctypes call per case)."""
    global _bulk
    if _bulk is not None:
        return _bulk or None
    with _load_lock:
        if _bulk is not None:
            return _bulk or None
        dll = _load_compiled("_bulk", ctypes.CDLL)
        if dll is None:
            _bulk = False
            return None
        for name in ("xovaBulkRead", "xovaBulkWrite"):
            fn = getattr(dll, name)
            fn.restype = c_int
            fn.argtypes = [c_void_p, c_int, c_void_p, c_longlong, c_longlong,
                           POINTER(c_longlong)]
        fn = dll.xovaBulkReadColumns
        fn.restype = c_int
        fn.argtypes = [c_void_p, c_int, c_longlong, c_longlong, c_void_p, c_longlong,
                       c_int, c_void_p, c_void_p, c_int, c_void_p, c_void_p, c_void_p,
                       c_double, POINTER(c_longlong)]
        fn = dll.xovaBulkFactorize
        fn.restype = c_longlong
        fn.argtypes = [c_void_p, c_longlong, c_longlong, c_longlong, c_void_p, c_void_p]
        _bulk = dll
        return dll


def _pyloops():
    """The compiled helpers that use the interpreter (loaded with PyDLL, so
    calls keep the interpreter lock), or None when they were not built."""
    global _py
    if _py is None:
        with _load_lock:
            if _py is None:
                _py = _load_compiled("_pyloops", ctypes.PyDLL) or False
    return _py or None


def _probe_swap_allocator():
    lib = _pyloops()
    if lib is None:
        return None
    try:
        fn = lib.xovaSwapArrayAllocator
        fn.restype = ctypes.py_object
        fn.argtypes = [ctypes.py_object]
        old = fn(None)
        if old is NotImplemented:
            return None
        fn(old)
    except (AttributeError, OSError, ImportError, RuntimeError):
        return None  # built without it, or against another numpy: plain pages
    return fn


def swap_allocator():
    """xovaSwapArrayAllocator(handler): installs numpy's memory handler
    ``handler`` in the current context (None: the one for huge pages) and
    returns the one it replaced. None when it was not built or numpy has no
    memory handlers."""
    global _swap_allocator
    if _swap_allocator is None:
        # Threads racing here each probe and find the same: no lock needed.
        _swap_allocator = _probe_swap_allocator() or False
    return _swap_allocator or None


def object_filler():
    """xovaFillObjects(cells, values, codes, n) of _objects.c, or None when
    it was not built."""
    global _fill_objects
    if _fill_objects is None:
        fn = getattr(_pyloops(), "xovaFillObjects", None)
        if fn is not None:
            fn.restype = ctypes.py_object
            fn.argtypes = [c_void_p, ctypes.py_object, c_void_p, c_longlong]
        _fill_objects = fn or False
    return _fill_objects or None


@contextlib.contextmanager
def huge_pages():
    """Arrays made inside come from huge pages where the system has them:
    fresh memory then costs far fewer page faults on first touch."""
    fn = swap_allocator()
    if fn is None:
        yield
        return
    old = fn(None)
    try:
        yield
    finally:
        fn(old)


def function_address(name: str) -> int:
    """The address of one of the library's functions, for the case loops."""
    return ctypes.cast(getattr(load_library(), name), c_void_p).value
