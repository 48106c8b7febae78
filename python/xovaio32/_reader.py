"""Reading cases: the streaming Reader and read() into a DataFrame."""

from __future__ import annotations

import operator
import os
import threading
import warnings
from ctypes import byref, c_int, c_longlong
from typing import Any, Iterator, List, Optional, Sequence, Tuple

import numpy as np
import pandas as pd

from . import _lib
from ._handle import HandleOwner
from ._errors import FileError
from ._meta import Metadata, Variable, decode, read_metadata, value_text

#: Cases moved per call of the case loop: few enough that the chunk stays in the
#: processor cache while its columns are copied out.
CHUNK_CASES = 4096


def _close_handle(h: int) -> None:
    with _lib.OPEN_CLOSE_LOCK:
        _lib.load_library().xovaCloseRead(h)


def _open_read(path) -> int:
    lib = _lib.load_library()
    h = c_int(-1)
    with _lib.OPEN_CLOSE_LOCK:
        rc = lib.xovaOpenRead(os.fsencode(path), byref(h))
    _lib.check(rc, path, "opening for reading")
    return h.value


def read_cases(h: int, out: np.ndarray, count: int) -> Tuple[int, int]:
    """Reads up to ``count`` whole cases into the rows of ``out`` (uint8,
    one row per case). Returns (cases read, result of the last call)."""
    if count <= 0:
        return 0, 0
    case_size = out.shape[1]
    address = out.ctypes.data
    bulk = _lib.load_bulk()
    if bulk is not None:
        done = c_longlong()
        rc = bulk.xovaBulkRead(_lib.function_address("xovaWholeCaseIn"), h, address, count,
                               case_size, byref(done))
        return done.value, rc
    fn = _lib.load_library().xovaWholeCaseIn
    for i in range(count):
        rc = fn(h, address + i * case_size)
        if rc != 0:
            return i, rc
    return count, 0


#: Reads of at least this many bytes of an uncompressed file are shared by
#: two handles (see Reader._helper_handle).
SPLIT_BYTES = 32 << 20
#: Such a read is cut into at most this many pieces of at least
#: SPLIT_MIN_CASES cases, which the two handles take in turn.
SPLIT_PIECES = 16
SPLIT_MIN_CASES = 1 << 14


def _cpus() -> int:
    try:
        return len(os.sched_getaffinity(0))
    except (AttributeError, OSError):
        return os.cpu_count() or 1


def _file_identity(path) -> Optional[Tuple[int, int, int, int]]:
    try:
        st = os.stat(path)
    except OSError:
        return None
    return st.st_dev, st.st_ino, st.st_size, st.st_mtime_ns


class _Layout:
    """Where each variable lies in a case."""

    def __init__(self, meta: Metadata) -> None:
        self.offsets = {}
        pos = 0
        for var in meta.variables.values():
            self.offsets[var.name] = pos
            pos += 8 if var.width == 0 else (var.width + 7) // 8 * 8
        self.case_size = pos


_MIX = np.uint64(0x9E3779B97F4A7C15)


def _factorize_rows(words: np.ndarray) -> Tuple[np.ndarray, np.ndarray]:
    """(codes, first row of each code) numbering the distinct rows of a (n, k)
    uint64 array. Rows of several words are hashed into one word first; a
    collision is caught by comparing every row with its code's first row,
    and then the words are combined exactly, one at a time."""
    n = words.shape[0]
    key = words[:, 0]
    if words.shape[1] > 1:
        key = key.copy()
        with np.errstate(over="ignore"):
            for j in range(1, words.shape[1]):
                key *= _MIX
                key ^= words[:, j]
    codes, uniques = pd.factorize(key)
    first = np.empty(len(uniques), dtype=np.int64)
    first[codes[::-1]] = np.arange(n - 1, -1, -1)
    if words.shape[1] > 1 and not np.array_equal(words[first][codes], words):
        codes, uniques = pd.factorize(words[:, 0])
        for j in range(1, words.shape[1]):
            c, u = pd.factorize(words[:, j])
            codes, uniques = pd.factorize(codes * len(u) + c)
        first = np.empty(len(uniques), dtype=np.int64)
        first[codes[::-1]] = np.arange(n - 1, -1, -1)
    return codes, first


def decode_strings(raw: np.ndarray, width: int, encoding: str, missing=()) -> np.ndarray:
    """Object array of str from the (n, 8k) uint8 bytes of a string column:
    trailing blanks removed, decoded with ``encoding`` and surrogateescape.
    Each distinct value is decoded once (survey answers repeat), which keeps
    this linear and shares one str object among equal values. Values in
    ``missing`` become NaN."""
    n = raw.shape[0]
    if n == 0:
        return np.empty(0, dtype=object)
    bulk = _lib.load_bulk()
    if bulk is not None:
        codes = np.empty(n, dtype=np.int64)
        first = np.empty(n, dtype=np.int64)
        k = bulk.xovaBulkFactorize(raw.ctypes.data, n, raw.shape[1], width, codes.ctypes.data,
                                   first.ctypes.data)
        if k < 0:
            raise MemoryError("out of memory while sorting out the string values")
        first = first[:k]
    else:
        if width < raw.shape[1]:
            raw[:, width:] = 0x20  # bytes past the width are not part of the value
        codes, first = _factorize_rows(raw.view(np.uint64))
    texts = [decode(raw[i, :width].tobytes().rstrip(b" "), encoding) for i in first]
    values = [np.nan if t in missing else t for t in texts]
    fill = _lib.object_filler()
    if fill is not None and codes.dtype == np.int64 and codes.flags.c_contiguous:
        out = np.empty(n, dtype=object)
        fill(out.ctypes.data, values, codes.ctypes.data, n)
        return out
    table = np.empty(len(values), dtype=object)
    table[:] = values
    return table.take(codes)


def _numeric_missing_mask(col: np.ndarray, var: Variable) -> Optional[np.ndarray]:
    mask = None
    for v in var.missing_values:
        m = col == v
        mask = m if mask is None else mask | m
    if var.missing_range is not None:
        lo, hi = var.missing_range
        m = (col >= lo) & (col <= hi)
        mask = m if mask is None else mask | m
    return mask


def _labelled(values: np.ndarray, labels: dict, numeric: bool) -> pd.Categorical:
    """A Categorical of labels; values without a label show as their text."""
    present = pd.unique(values[pd.notna(values)])
    keys = set(labels) | set(present.tolist())
    ordered = sorted(keys, key=(lambda v: v) if numeric else (lambda v: str(v)))
    cats: List[str] = []
    index = {}
    for key in ordered:
        text = labels.get(key)
        if text is None:
            text = value_text(key) if numeric else key
        if text not in index:
            index[text] = len(cats)
            cats.append(text)
    key_code = {key: index[labels.get(key, value_text(key) if numeric else key)]
                for key in ordered}
    codes_of_present, uniq = pd.factorize(values)
    mapped = np.array([key_code[u] for u in uniq.tolist()], dtype=np.int64)
    codes = np.where(codes_of_present < 0, -1,
                     mapped[np.maximum(codes_of_present, 0)] if len(mapped) else -1)
    return pd.Categorical.from_codes(codes, categories=cats)


class _Frame:
    """Builds the columns of a DataFrame chunk by chunk from whole cases."""

    def __init__(self, meta: Metadata, layout: _Layout, names: List[str], n: int,
                 value_labels: bool, user_missing: bool, encoding: str) -> None:
        self.meta, self.layout, self.names, self.n = meta, layout, names, n
        self.value_labels, self.user_missing, self.encoding = value_labels, user_missing, encoding
        self.numeric = [nm for nm in names if meta.variables[nm].width == 0]
        self.block = np.empty((len(self.numeric), n), dtype=np.float64)
        self.strings = {}
        for nm in names:
            w = meta.variables[nm].width
            if w:
                self.strings[nm] = np.empty((n, (w + 7) // 8 * 8), dtype=np.uint8)
        self.sysmis = _lib.special_values()[0]
        self.nan_done = False

    def feed(self, chunk: np.ndarray, start: int) -> None:
        k = chunk.shape[0]
        if self.numeric:
            doubles = chunk.view(np.float64)
            for row, nm in enumerate(self.numeric):
                self.block[row, start:start + k] = doubles[:, self.layout.offsets[nm] // 8]
        for nm, arr in self.strings.items():
            off = self.layout.offsets[nm]
            arr[start:start + k] = chunk[:, off:off + arr.shape[1]]

    def read_direct(self, h: int, bulk, lo: int, hi: int) -> Tuple[int, int]:
        """Reads cases into rows ``lo`` to ``hi`` - 1 of the columns through the
        compiled loop (system-missing already NaN), ``h`` standing at the case
        of row ``lo``. Returns (cases read, last result)."""
        fn = _lib.function_address("xovaWholeCaseIn")
        group = max(1, (32 << 10) // max(8, self.layout.case_size))  # about 32 KB of cases
        scratch = np.empty(group * max(8, self.layout.case_size), dtype=np.uint8)
        num_off = np.array([self.layout.offsets[nm] for nm in self.numeric], dtype=np.int64)
        num_base = np.array([self.block[r].ctypes.data for r in range(len(self.numeric))],
                            dtype=np.uint64)
        names = list(self.strings)
        str_off = np.array([self.layout.offsets[nm] for nm in names], dtype=np.int64)
        slots = np.array([self.strings[nm].shape[1] for nm in names], dtype=np.int64)
        str_base = np.array([self.strings[nm].ctypes.data for nm in names], dtype=np.uint64)
        got, rc, done = lo, 0, c_longlong()
        step = 1 << 16  # a call per step keeps Ctrl-C and other threads responsive
        while got < hi:
            want = min(step, hi - got)
            num_ptr = num_base + np.uint64(8 * got)
            str_ptr = str_base + (slots * got).astype(np.uint64)
            rc = bulk.xovaBulkReadColumns(
                fn, h, want, self.layout.case_size, scratch.ctypes.data, group, len(num_off),
                num_off.ctypes.data, num_ptr.ctypes.data, len(names), str_off.ctypes.data,
                slots.ctypes.data, str_ptr.ctypes.data, self.sysmis, byref(done))
            got += done.value
            if done.value < want:
                break
        self.nan_done = True
        return got - lo, rc

    def finish(self, first: int) -> pd.DataFrame:
        n = self.n
        index = pd.RangeIndex(first, first + n)
        columns = {}
        plain: List[str] = []
        for row, nm in enumerate(self.numeric):
            col = self.block[row]
            if not self.nan_done:
                col[col == self.sysmis] = np.nan
            var = self.meta.variables[nm]
            if not self.user_missing:
                mask = _numeric_missing_mask(col, var)
                if mask is not None:
                    col[mask] = np.nan
            if self.value_labels and var.value_labels:
                columns[nm] = _labelled(col, var.value_labels, True)
            else:
                plain.append(nm)
        for nm, raw in self.strings.items():
            var = self.meta.variables[nm]
            missing = () if self.user_missing else set(var.missing_values)
            values = decode_strings(raw, var.width, self.encoding, missing)
            if self.value_labels and var.value_labels:
                columns[nm] = _labelled(values, var.value_labels, False)
            else:
                columns[nm] = values
        self.strings = {}
        if plain and len(plain) == len(self.numeric):
            block = self.block  # every numeric column stays float: no copy
        else:
            rows = [self.numeric.index(nm) for nm in plain]
            block = self.block[rows] if rows else np.empty((0, n))
        self.block = None
        df = pd.DataFrame(block.T, columns=pd.Index(plain, dtype=object), index=index, copy=False)
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", pd.errors.PerformanceWarning)
            for pos, nm in enumerate(self.names):
                if nm in columns:
                    df.insert(pos, nm, columns[nm])
        return df


class Reader(HandleOwner):
    """A file open for reading. Use it as a context manager, or call close().

    ``len(reader)`` is the number of cases; iterating gives each remaining
    case as a tuple in dictionary order (numbers as float with system-missing
    as NaN, strings as str without trailing blanks; user-missing values kept).
    ``read_batch(n)`` gives the next n cases as a DataFrame and ``seek(i)``
    makes case i the next one. ``metadata`` holds the dictionary.
    """

    def __init__(self, path, encoding: str = "utf-8") -> None:
        self.path = os.fspath(path)
        self.encoding = encoding
        self._init_lock()
        before = _file_identity(self.path)
        self._h = _open_read(self.path)
        # The file the handle has, when the path surely names it: a second
        # handle on the same path may then share a large read.
        after = _file_identity(self.path)
        self._identity = after if before is not None and before == after else None
        self._own(_close_handle, self._h)
        try:
            self.metadata: Metadata = read_metadata(self._h, self.path, encoding)
            self._layout = _Layout(self.metadata)
            size = c_int()
            _lib.check(_lib.load_library().xovaGetCaseSize(self._h, byref(size)), self.path)
            if size.value != self._layout.case_size:
                raise FileError(6, self.path, "the case size does not match the variables")
            self._pos = 0
            if self.metadata.n_cases is None:
                self.metadata.n_cases = self._count()
        except BaseException:
            self.close()
            raise

    def _count(self) -> int:
        """Counts the cases of a file whose header doesn't say."""
        buf = np.empty((min(CHUNK_CASES, 4096), self._layout.case_size), dtype=np.uint8)
        total = 0
        while True:
            done, rc = read_cases(self._h, buf, buf.shape[0])
            total += done
            if rc != 0:
                break
        self._seek(0)
        return total

    # context manager and lifetime
    def __enter__(self) -> "Reader":
        return self

    def __exit__(self, *exc) -> None:
        self.close()

    _kind = "reader"

    def close(self) -> None:
        """Closes the file; further reads raise ValueError."""
        self._release()

    def __len__(self) -> int:
        return int(self.metadata.n_cases or 0)

    def tell(self) -> int:
        """The number of the next case to be read."""
        return self._pos

    def _seek(self, i: int) -> None:
        self._move(i)
        self._pos = int(i)

    def _move(self, i: int) -> None:
        """Positions the handle only; the caller keeps ``_pos``."""
        _lib.check(_lib.load_library().xovaSeekNextCase(self._handle(), int(i)), self.path,
                   f"positioning at case {i}")

    def seek(self, i: int) -> None:
        """Makes case ``i`` (0-based) the next one to be read."""
        i = operator.index(i)  # a whole number: 1.5 is a TypeError, not case 1
        if not 0 <= i <= len(self):
            raise IndexError(f"{self.path}: case {i} is outside 0..{len(self)}")
        if i >= 2**31:
            raise IndexError(f"{self.path}: case {i} is beyond the file's case numbers")
        with self._lock:
            self._seek(i)

    def _columns(self, columns: Optional[Sequence[str]]) -> List[str]:
        names = list(self.metadata.variables)
        if columns is None:
            return names
        if isinstance(columns, str):
            columns = [columns]
        folded = {nm.casefold(): nm for nm in names}
        wanted = set()
        for c in columns:
            nm = c if c in self.metadata.variables else folded.get(str(c).casefold())
            if nm is None:
                raise KeyError(f"{self.path}: no variable named {c!r}")
            wanted.add(nm)
        return [nm for nm in names if nm in wanted]

    def _read_frame(self, n: int, columns, value_labels: bool, user_missing: bool,
                    strict: bool) -> pd.DataFrame:
        h = self._handle()
        first = self._pos
        n = max(0, min(n, len(self) - first))
        frame = _Frame(self.metadata, self._layout, self._columns(columns), n, value_labels,
                       user_missing, self.encoding)
        bulk = _lib.load_bulk()
        if bulk is not None and n > 0:
            done, rc = self._read_direct(frame, h, bulk, n)
            self._pos += done
            if done < n:
                if rc > 0:
                    _lib.check(rc, self.path, f"reading case {self._pos}")
                raise FileError(53, self.path, f"the case data ends after {self._pos} of "
                                               f"{len(self)} cases")
            return frame.finish(first)
        buf = np.empty((max(1, min(CHUNK_CASES, n)), self._layout.case_size), dtype=np.uint8)
        got = 0
        while got < n:
            want = min(buf.shape[0], n - got)
            done, rc = read_cases(h, buf, want)
            frame.feed(buf[:done], got)
            got += done
            self._pos += done
            if done < want:
                if rc > 0:
                    _lib.check(rc, self.path, f"reading case {self._pos}")
                raise FileError(53, self.path, f"the case data ends after {self._pos} of "
                                               f"{len(self)} cases")
        del buf
        return frame.finish(first)

    def _helper_handle(self, n: int) -> Optional[int]:
        """A second handle on the file for the far half of a large read of an
        uncompressed file, or None. Seeking such a file costs nothing, and
        the library's input (small reads through its stream buffer) keeps one
        processor busy; a compressed file would have to be decoded up to the
        half, so it is read by one handle."""
        if (self._identity is None or self.metadata.compressed or _cpus() < 2
                or n * self._layout.case_size < SPLIT_BYTES):
            return None
        # Opened quietly: a warning was given when the file was opened, and
        # any trouble here only means reading alone, with the same result.
        lib = _lib.load_library()
        h = c_int(-1)
        with _lib.OPEN_CLOSE_LOCK:
            rc = lib.xovaOpenRead(os.fsencode(self.path), byref(h))
        if rc > 0:
            return None
        h = h.value
        size, count = c_int(), c_int()
        if (rc == 0 and _file_identity(self.path) == self._identity
                and lib.xovaGetCaseSize(h, byref(size)) == 0
                and size.value == self._layout.case_size
                and lib.xovaGetNumberofCases(h, byref(count)) == 0
                and count.value == len(self)):
            return h
        _close_handle(h)
        return None

    def _read_direct(self, frame: "_Frame", h: int, bulk, n: int) -> Tuple[int, int]:
        """Reads ``n`` cases from the handle's position into the frame: shared
        with a second handle in a thread when that pays. A failure is reported
        as reading alone would: the first case that can't be read, by this
        handle. Returns (cases read, last result)."""
        helper = self._helper_handle(n)
        if helper is None:
            return frame.read_direct(h, bulk, 0, n)
        first = self._pos
        # Pieces handed out in turn rather than a half each: when one thread
        # is held up (another process, the kernel's writeback, page faults),
        # the other reads on instead of waiting for it at the end.
        pieces = min(SPLIT_PIECES, max(2, n // SPLIT_MIN_CASES))
        bounds = [n * k // pieces for k in range(pieces + 1)]
        done = [0] * pieces
        taken = iter(range(pieces))
        take_lock = threading.Lock()
        stop = threading.Event()  # the caller's thread failed or was interrupted

        def work(handle: int) -> None:
            while not stop.is_set():
                with take_lock:
                    k = next(taken, None)
                if k is None:
                    return
                lo, hi = bounds[k], bounds[k + 1]
                if _lib.load_library().xovaSeekNextCase(handle, first + lo) != 0:
                    return
                done[k], rc = frame.read_direct(handle, bulk, lo, hi)
                if done[k] < hi - lo:
                    return

        def helper_work() -> None:
            try:
                work(helper)
            except Exception:  # noqa: BLE001 - the caller's handle reads the rest then
                pass

        thread = threading.Thread(target=helper_work, name="xovaio32-read")
        try:
            thread.start()
            work(h)
        except BaseException:
            stop.set()
            raise
        finally:
            thread.join()
            _close_handle(helper)
        for k in range(pieces):
            if done[k] < bounds[k + 1] - bounds[k]:
                # A piece fell short, or was never read: this handle reads on
                # from there and finds out why.
                at = bounds[k] + done[k]
                self._move(first + at)
                more, rc = frame.read_direct(h, bulk, at, n)
                return at + more, rc
        self._move(first + n)
        return n, 0

    def read_batch(self, n: int, columns: Optional[Sequence[str]] = None,
                   value_labels: bool = False, user_missing: bool = False) -> pd.DataFrame:
        """The next ``n`` cases (fewer at the end of the file) as a DataFrame
        indexed by case number; options as for read()."""
        with self._lock, _lib.huge_pages():
            return self._read_frame(int(n), columns, value_labels, user_missing, True)

    def __iter__(self) -> Iterator[Tuple[Any, ...]]:
        while True:
            with self._lock:
                if self._pos >= len(self):
                    return
                df = self._read_frame(CHUNK_CASES, None, False, True, True)
            yield from df.itertuples(index=False, name=None)


def open(path, encoding: str = "utf-8") -> Reader:  # noqa: A001 - the package's verb
    """Opens a Dataset file for reading cases one batch or one case at a time.

    >>> with xovaio32.open("survey.data") as r:
    ...     print(len(r), list(r.metadata.variables))
    ...     first = r.read_batch(1000)
    """
    return Reader(path, encoding)


def read(path, columns: Optional[Sequence[str]] = None,
         rows: Optional[Tuple[int, Optional[int]]] = None, value_labels: bool = False,
         user_missing: bool = False, encoding: str = "utf-8") -> Tuple[pd.DataFrame, Metadata]:
    """Reads a Dataset file into a DataFrame.

    Args:
        path: the file.
        columns: variable names to read (all when None); they come in
            dictionary order whatever order is given.
        rows: (first, last), last exclusive (None: to the end), reads only
            those cases by seeking; the index holds the case numbers. A
            range beyond the last case gives no rows.
        value_labels: turn each variable with value labels into a
            Categorical of its labels (values without a label as text).
        user_missing: keep user-missing values (default: they become NaN).
        encoding: for strings, names and labels; undecodable bytes are kept
            by surrogateescape, so writing back gives the same bytes.

    Returns:
        (DataFrame, Metadata): numeric variables as float64 with
        system-missing as NaN, string variables as str without trailing
        blanks.

    Raises:
        xovaio32.Error: the file cannot be opened, or is damaged.
    """
    with Reader(path, encoding) as reader:
        n = len(reader)
        first, last = 0, n
        if rows is not None:
            try:
                first, last = rows
                # operator.index: case numbers are whole (1.5 is refused, not cut)
                first = operator.index(first)
                last = None if last is None else operator.index(last)
            except (TypeError, ValueError):
                raise ValueError(f"rows must be (first, last) with 0 <= first <= last (last "
                                 f"None: to the end), not {rows!r}") from None
            # a range beyond the last case is empty, whether or not last is given
            if first < 0 or (last is not None and last < first):
                raise ValueError(f"rows must be (first, last) with 0 <= first <= last, "
                                 f"not {rows!r}")
            first = min(first, n)
            last = n if last is None else min(last, n)
            reader.seek(first)
        df = reader.read_batch(last - first, columns, value_labels, user_missing)
        return df, reader.metadata
