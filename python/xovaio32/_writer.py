"""Writing cases: the streaming Writer, create(), append() and write()."""

from __future__ import annotations

import ctypes
import math
import os
import stat
import struct
import tempfile
import warnings
from ctypes import byref, c_char_p, c_double, c_int, c_longlong
from typing import Any, Dict, Iterable, List, Mapping, Optional, Sequence, Tuple, Union

import numpy as np
import pandas as pd

from . import _lib
from ._handle import HandleOwner
from ._errors import DictionaryError, Error, FileError, XovaWarning
from ._meta import (Metadata, MultipleResponseSet, Variable, encode, format_mr_sets,
                    format_variable_sets, read_metadata, value_text)

#: Cases packed per call of the case loop: a buffer that stays in cache.
CHUNK_CASES = 4096

_NAME_PROBLEMS = {
    1: "it begins with '#'",
    2: "it begins with '$'",
    3: "it is empty or longer than 64 bytes",
    4: "it holds a character a name may not hold",
    5: "it is a reserved word",
    6: "its first character may not begin a name",
}


def _close_write(h: int, append: bool) -> int:
    lib = _lib.load_library()
    with _lib.OPEN_CLOSE_LOCK:
        return (lib.xovaCloseAppend if append else lib.xovaCloseWrite)(h)


def _string_table(values: np.ndarray, width: Optional[int], slot: Optional[int], encoding: str,
                  column: str, path) -> Tuple[np.ndarray, np.ndarray, int]:
    """Codes and a table of blank-padded encoded values for a string column.
    Returns (codes with -1 for a missing value, table of (k + 1, slot) uint8
    whose last row is blank, width). ``width`` None: the longest value's."""
    codes, uniques = pd.factorize(values)
    encoded = []
    for k, u in enumerate(uniques):
        if isinstance(u, bytes):
            encoded.append(u)
            continue
        try:
            encoded.append(encode(u if isinstance(u, str) else str(u), encoding))
        except UnicodeEncodeError as exc:
            row = int(np.argmax(codes == k))
            where = values.index[row] if hasattr(values, "index") else row
            raise Error(0, path, f"column {column!r}, row {where!r}: {u!r} cannot be encoded "
                                 f"in {encoding}: {exc.reason}", name="NOT_ENCODABLE") from None
    longest = max((len(e) for e in encoded), default=0)
    limit = 255 if width is None else width
    if longest > limit:
        bad = next(i for i, e in enumerate(encoded) if len(e) > limit)
        row = int(np.argmax(codes == bad))
        where = values.index[row] if hasattr(values, "index") else row
        raise Error(0, path, f"column {column!r}, row {where!r}: a value of {len(encoded[bad])} "
                             f"bytes is wider than {limit}", name="VALUE_TOO_WIDE")
    if width is None:
        width = max(1, longest)
    if slot is None:
        slot = (width + 7) // 8 * 8
    table = np.full((len(encoded) + 1, slot), 0x20, dtype=np.uint8)
    for i, e in enumerate(encoded):
        table[i, :len(e)] = np.frombuffer(e, dtype=np.uint8)
    return np.asarray(codes, dtype=np.int64), table, width


class Writer(HandleOwner):
    """A file being written (from create()) or appended to (from append()).

    Define the variables with add_numeric() / add_string() and the setters,
    then write cases with write_row() / write_rows(); the dictionary is
    committed at the first case (or by commit()). close() finishes the file.
    A new file is written under a temporary name and renamed when close()
    succeeds, so a failed or abandoned write leaves no partial file behind.
    Used as a context manager, an exception inside the block abandons a new
    file (an append keeps the cases written).
    """

    def __init__(self, path, compress: bool = True, encoding: str = "utf-8",
                 file_label: Optional[str] = None, _append: bool = False) -> None:
        self.path = os.fspath(path)
        self.encoding = encoding
        self._append = _append
        self._init_lock()
        self._lib = _lib.load_library()
        self._sysmis = _lib.special_values()[0]
        self._vars: Dict[str, Variable] = {}
        self._tmp: Optional[str] = None
        self._target = self.path
        self.cases_written = 0
        h = c_int(-1)
        if _append:
            with _lib.OPEN_CLOSE_LOCK:
                rc = self._lib.xovaOpenAppend(os.fsencode(self.path), byref(h))
            _lib.check(rc, self.path, "opening for appending")
        else:
            if not self.path:
                raise FileError(1, self.path, "creating the file: the file name is empty")
            if os.path.isdir(self.path):
                raise FileError(1, self.path, "creating the file: it is a directory")
            # The final rename would replace a device or pipe (/dev/null), or a
            # symbolic link itself rather than the file it names.
            if os.path.exists(self.path):
                if not stat.S_ISREG(os.stat(self.path).st_mode):
                    raise FileError(1, self.path, "creating the file: not a regular file")
                self._target = os.path.realpath(self.path)
            directory = os.path.dirname(os.path.abspath(self._target))
            try:
                fd, self._tmp = tempfile.mkstemp(dir=directory, suffix=".tmp",
                                                 prefix="." + os.path.basename(self._target)
                                                 + ".")
            except OSError as exc:
                raise FileError(1, self.path, f"creating the file: {exc.strerror}") from exc
            os.close(fd)
            with _lib.OPEN_CLOSE_LOCK:
                rc = self._lib.xovaOpenWrite(os.fsencode(self._tmp), byref(h))
            if rc != 0:
                os.unlink(self._tmp)
                _lib.check(rc, self.path, "creating the file")
        self._h = h.value
        self._own(Writer._abandon, self._h, _append, self._tmp)
        try:
            if _append:
                self._committed = True
                meta = read_metadata(self._h, self.path, encoding)
                self._vars = dict(meta.variables)
                self.cases_written = meta.n_cases or 0
                self._layout()
            else:
                self._committed = False
                self._call(self._lib.xovaSetCompression, 1 if compress else 0,
                           what="setting compression")
                if file_label:
                    self.set_file_label(file_label)
        except BaseException:
            self._finalizer()
            raise

    @staticmethod
    def _abandon(h: int, append: bool, tmp: Optional[str]) -> None:
        _close_write(h, append)
        if tmp is not None:
            try:
                os.unlink(tmp)
            except OSError:
                pass

    # context manager
    def __enter__(self) -> "Writer":
        return self

    def __exit__(self, exc_type, exc, tb) -> None:
        if exc_type is None:
            self.close()
        elif self._append:
            self.close()
        else:
            self.abandon()

    _kind = "writer"

    def abandon(self) -> None:
        """Closes a new file without keeping it (appends keep their cases)."""
        self._release()

    def _call(self, fn, *args, what: str = "") -> int:
        return _lib.check(fn(self._handle(), *args), self.path, what, stacklevel=4)

    def _name(self, name: str) -> bytes:
        return encode(name, self.encoding)

    def _var(self, name: str) -> Variable:
        try:
            return self._vars[name]
        except KeyError:
            raise DictionaryError(12, self.path, f"variable {name!r}") from None

    def _defining(self) -> None:
        if self._committed:
            raise DictionaryError(30, self.path, "the dictionary is fixed once cases are written")

    # defining variables
    def _add(self, name: str, width: int, **attrs) -> Variable:
        with self._lock:
            self._defining()
            if not isinstance(name, str):
                raise DictionaryError(10, self.path, f"column {name!r}: a variable name must be "
                                                     "a str")
            raw = self._name(name)
            rc = self._lib.xovaSetVarName(self._handle(), raw, width)
            if rc == 10:
                why = _NAME_PROBLEMS.get(self._lib.xovaValidateVarname(raw),
                                         "the library refused it")
                raise DictionaryError(10, self.path, f"column {name!r} is not a valid variable "
                                                     f"name: {why}")
            _lib.check(rc, self.path, f"adding variable {name!r}")
            self._vars[name] = Variable(name=name, width=width)
            self._apply(name, **attrs)
            return self._vars[name]

    def add_numeric(self, name: str, label: Optional[str] = None,
                    print_format: Optional[Tuple[int, int, int]] = None,
                    write_format: Optional[Tuple[int, int, int]] = None,
                    missing_values: Sequence[float] = (),
                    missing_range: Optional[Tuple[float, float]] = None,
                    value_labels: Optional[Mapping[float, str]] = None,
                    measure: Optional[int] = None, column_width: Optional[int] = None,
                    alignment: Optional[int] = None) -> Variable:
        """Adds a numeric variable; the attributes are as in Variable."""
        return self._add(name, 0, label=label, print_format=print_format,
                         write_format=write_format, missing_values=missing_values,
                         missing_range=missing_range, value_labels=value_labels,
                         measure=measure, column_width=column_width, alignment=alignment)

    def add_string(self, name: str, width: int, label: Optional[str] = None,
                   print_format: Optional[Tuple[int, int, int]] = None,
                   write_format: Optional[Tuple[int, int, int]] = None,
                   missing_values: Sequence[str] = (),
                   value_labels: Optional[Mapping[str, str]] = None,
                   measure: Optional[int] = None, column_width: Optional[int] = None,
                   alignment: Optional[int] = None) -> Variable:
        """Adds a string variable of ``width`` bytes (1-255). Missing values
        and value labels need a width of at most 8."""
        if not isinstance(width, (int, np.integer)) or not 1 <= width <= 255:
            raise DictionaryError(17, self.path, f"variable {name!r}: a string width must be "
                                                 f"1 to 255, not {width!r}")
        return self._add(name, int(width), label=label, print_format=print_format,
                         write_format=write_format, missing_values=missing_values,
                         value_labels=value_labels, measure=measure,
                         column_width=column_width, alignment=alignment)

    def add_variable(self, var: Variable) -> Variable:
        """Adds a variable with every attribute of ``var`` (e.g. from Metadata)."""
        return self._add(var.name, var.width, label=var.label, print_format=var.print_format,
                         write_format=var.write_format, missing_values=var.missing_values,
                         missing_range=var.missing_range, value_labels=var.value_labels,
                         measure=var.measure, column_width=var.column_width,
                         alignment=var.alignment)

    def _apply(self, name: str, label=None, print_format=None, write_format=None,
               missing_values=(), missing_range=None, value_labels=None, measure=None,
               column_width=None, alignment=None) -> None:
        if label:
            self.set_label(name, label)
        if print_format is not None:
            self.set_print_format(name, print_format)
        if write_format is not None:
            self.set_write_format(name, write_format)
        if missing_values or missing_range is not None:
            self.set_missing(name, missing_values, missing_range)
        if value_labels:
            self.set_value_labels(name, value_labels)
        if measure is not None:
            self.set_measure(name, measure)
        if column_width is not None:
            self.set_column_width(name, column_width)
        if alignment is not None:
            self.set_alignment(name, alignment)

    def set_label(self, name: str, label: Optional[str]) -> None:
        """Sets (or with None/"" removes) a variable label (up to 256 bytes;
        a longer one is cut with a warning)."""
        with self._lock:
            self._defining()
            var = self._var(name)
            self._call(self._lib.xovaSetVarLabel, self._name(name),
                       encode(label or "", self.encoding), what=f"label of {name!r}")
            var.label = label or None

    def _set_format(self, fn, name: str, fmt, what: str) -> Tuple[int, int, int]:
        with self._lock:
            self._defining()
            self._var(name)
            code, width, decimals = (int(x) for x in fmt)
            self._call(fn, self._name(name), code, decimals, width, what=f"{what} of {name!r}")
            return (code, width, decimals)

    def set_print_format(self, name: str, fmt: Tuple[int, int, int]) -> None:
        """Sets the print format, a (code, width, decimals) tuple."""
        self._var(name).print_format = self._set_format(
            self._lib.xovaSetVarPrintFormat, name, fmt, "print format")

    def set_write_format(self, name: str, fmt: Tuple[int, int, int]) -> None:
        """Sets the write format, a (code, width, decimals) tuple."""
        self._var(name).write_format = self._set_format(
            self._lib.xovaSetVarWriteFormat, name, fmt, "write format")

    def set_missing(self, name: str, values: Sequence[Any] = (),
                    range: Optional[Tuple[float, float]] = None) -> None:  # noqa: A002
        """Sets user-missing values: up to three discrete values, or a (low,
        high) range (-inf/inf for open ends) with at most one discrete value.
        String variables (width <= 8) take discrete values only."""
        with self._lock:
            self._defining()
            var = self._var(name)
            values = tuple(values)
            what = f"missing values of {name!r}"
            if var.width == 0:
                _, lowest, highest = _lib.special_values()
                vals = [float(v) for v in values]
                if range is not None:
                    lo, hi = (float(x) for x in range)
                    lo = lowest if lo == -math.inf else lo
                    hi = highest if hi == math.inf else hi
                    if len(vals) > 1:
                        raise DictionaryError(18, self.path, f"{what}: a range takes at most "
                                                             "one discrete value")
                    code = -3 if vals else -2
                    args = [lo, hi, vals[0] if vals else 0.0]
                else:
                    if len(vals) > 3:
                        raise DictionaryError(18, self.path, f"{what}: at most three values")
                    code = len(vals)
                    args = vals + [0.0] * (3 - len(vals))
                self._call(self._lib.xovaSetVarNMissingValues, self._name(name), code, *args,
                           what=what)
                var.missing_range = None if range is None else tuple(float(x) for x in range)
                var.missing_values = tuple(vals)
            else:
                if range is not None:
                    raise DictionaryError(18, self.path, f"{what}: string variables take no "
                                                         "range")
                if len(values) > 3:
                    raise DictionaryError(18, self.path, f"{what}: at most three values")
                enc = [encode(str(v), self.encoding) for v in values]
                args = enc + [None] * (3 - len(enc))
                self._call(self._lib.xovaSetVarCMissingValues, self._name(name), len(enc),
                           *args, what=what)
                var.missing_values = tuple(str(v) for v in values)

    def set_value_labels(self, name: str, labels: Mapping[Any, str]) -> None:
        """Replaces a variable's value labels (value -> label; labels up to 60
        bytes, longer ones are cut with a warning). String variables need a
        width of at most 8."""
        with self._lock:
            self._defining()
            var = self._var(name)
            if not labels:
                return
            names = (c_char_p * 1)(self._name(name))
            texts = (c_char_p * len(labels))(*[encode(str(t), self.encoding)
                                               for t in labels.values()])
            what = f"value labels of {name!r}"
            if var.width == 0:
                values = (c_double * len(labels))(*[float(v) for v in labels])
                self._call(self._lib.xovaSetVarNValueLabels, names, 1, values, texts,
                           len(labels), what=what)
                var.value_labels = {float(v): str(t) for v, t in labels.items()}
            else:
                values = (c_char_p * len(labels))(*[encode(str(v), self.encoding)
                                                    for v in labels])
                self._call(self._lib.xovaSetVarCValueLabels, names, 1, values, texts,
                           len(labels), what=what)
                var.value_labels = {str(v): str(t) for v, t in labels.items()}

    def _set_int(self, fn, name: str, value: int, attr: str) -> None:
        with self._lock:
            self._defining()
            var = self._var(name)
            self._call(fn, self._name(name), int(value), what=f"{attr} of {name!r}")
            setattr(var, attr, int(value))

    def set_measure(self, name: str, level: int) -> None:
        """Sets the measurement level code (1, 2, 3; 3 only for numeric)."""
        self._set_int(self._lib.xovaSetVarMeasureLevel, name, level, "measure")

    def set_column_width(self, name: str, width: int) -> None:
        """Sets the display column width."""
        self._set_int(self._lib.xovaSetVarColumnWidth, name, width, "column_width")

    def set_alignment(self, name: str, alignment: int) -> None:
        """Sets the alignment code (0, 1 or 2)."""
        self._set_int(self._lib.xovaSetVarAlignment, name, alignment, "alignment")

    def set_weight(self, name: str) -> None:
        """Makes a numeric variable the file's weight."""
        with self._lock:
            self._defining()
            self._var(name)
            self._call(self._lib.xovaSetCaseWeightVar, self._name(name),
                       what=f"weight {name!r}")

    def set_file_label(self, label: str) -> None:
        """Sets the file label (64 bytes; a longer one is cut with a warning)."""
        with self._lock:
            self._defining()
            self._call(self._lib.xovaSetIdString, encode(label, self.encoding),
                       what="file label")

    def set_mr_sets(self, sets: Mapping[str, MultipleResponseSet]) -> None:
        """Sets the multiple-response sets (as in Metadata.mr_sets)."""
        with self._lock:
            self._defining()
            text = format_mr_sets(dict(sets), self.encoding)
            rc = self._lib.xovaSetMultRespDefs(self._handle(), text)
            if rc != -13:  # "no sets" for an empty text is what was asked for
                _lib.check(rc, self.path, "multiple-response sets")

    def set_variable_sets(self, sets: Mapping[str, Sequence[str]]) -> None:
        """Sets the variable sets (name -> variable names)."""
        with self._lock:
            self._defining()
            text = format_variable_sets({k: list(v) for k, v in sets.items()}, self.encoding)
            rc = self._lib.xovaSetVariableSets(self._handle(), text)
            if rc != -7:
                _lib.check(rc, self.path, "variable sets")

    # cases
    def _layout(self) -> None:
        self._offsets: Dict[str, int] = {}
        pos = 0
        for var in self._vars.values():
            self._offsets[var.name] = pos
            pos += 8 if var.width == 0 else (var.width + 7) // 8 * 8
        self._case_size = pos
        blank = np.full(pos, 0x20, dtype=np.uint8)
        for var in self._vars.values():
            if var.width == 0:
                blank[self._offsets[var.name]:self._offsets[var.name] + 8] = np.frombuffer(
                    struct.pack("=d", self._sysmis), dtype=np.uint8)
        self._blank = blank

    def commit(self) -> None:
        """Writes the dictionary; after it no variable can be defined."""
        with self._lock:
            if self._committed:
                return
            self._call(self._lib.xovaCommitHeader, what="writing the dictionary")
            self._committed = True
            self._layout()

    @property
    def variables(self) -> Dict[str, Variable]:
        """The variables defined so far, in dictionary order."""
        return dict(self._vars)

    def _put(self, records: np.ndarray) -> None:
        k = records.shape[0]
        if k == 0:
            return
        h = self._handle()
        bulk = _lib.load_bulk()
        if bulk is not None:
            done = c_longlong()
            rc = bulk.xovaBulkWrite(_lib.function_address("xovaWholeCaseOut"), h,
                                    records.ctypes.data, k, self._case_size, byref(done))
            n = done.value
        else:
            fn = self._lib.xovaWholeCaseOut
            base = records.ctypes.data
            rc, n = 0, 0
            for n in range(k):
                rc = fn(h, ctypes.cast(base + n * self._case_size, c_char_p))
                if rc != 0:
                    break
            else:
                n = k
        self.cases_written += n
        _lib.check(rc, self.path, f"writing case {self.cases_written}")

    def write_row(self, row: Union[Sequence[Any], Mapping[str, Any]]) -> None:
        """Writes one case: values in dictionary order, or a mapping from
        variable name to value (absent names: missing). None and NaN are
        system-missing for numbers and blank for strings."""
        with self._lock:
            self.commit()
            rec = self._blank.copy()
            if isinstance(row, Mapping):
                items = list(row.items())
                for name, _ in items:
                    self._var(name)
            else:
                row = list(row)
                if len(row) != len(self._vars):
                    raise ValueError(f"{self.path}: a row needs {len(self._vars)} values, "
                                     f"not {len(row)}")
                items = list(zip(self._vars, row))
            for name, value in items:
                var = self._vars[name]
                off = self._offsets[name]
                if var.width == 0:
                    try:
                        x = self._sysmis if value is None or pd.isna(value) else float(value)
                    except (TypeError, ValueError):
                        raise ValueError(f"{self.path}: variable {name!r}, case "
                                         f"{self.cases_written}: {value!r} is not a number") \
                            from None
                    rec[off:off + 8] = np.frombuffer(struct.pack("=d", x), dtype=np.uint8)
                elif value is not None and not (isinstance(value, float) and math.isnan(value)):
                    try:
                        raw = value if isinstance(value, bytes) else encode(str(value),
                                                                             self.encoding)
                    except UnicodeEncodeError as exc:
                        raise Error(0, self.path, f"variable {name!r}, case {self.cases_written}: "
                                                  f"{value!r} cannot be encoded in "
                                                  f"{self.encoding}: {exc.reason}",
                                    name="NOT_ENCODABLE") from None
                    if len(raw) > var.width:
                        raise Error(0, self.path, f"variable {name!r}, case "
                                                  f"{self.cases_written}: a value of {len(raw)} "
                                                  f"bytes is wider than {var.width}",
                                    name="VALUE_TOO_WIDE")
                    rec[off:off + len(raw)] = np.frombuffer(raw, dtype=np.uint8)
            self._put(rec.reshape(1, -1))

    def write_rows(self, rows: Union[pd.DataFrame, Iterable[Sequence[Any]]]) -> None:
        """Writes many cases: a DataFrame whose columns are the variables (by
        name; absent ones missing), or an iterable of rows as in write_row()."""
        if not isinstance(rows, pd.DataFrame):
            for row in rows:
                self.write_row(row)
            return
        self._write_columns({name: rows[name] for name in rows.columns}, len(rows))

    def _write_columns(self, columns: Dict[str, pd.Series], n: int) -> None:
        with self._lock:
            self.commit()
            for name in columns:
                self._var(name)
            packer = _Packer(self, columns, n)
            for start in range(0, n, CHUNK_CASES):
                self._put(packer.pack(start, min(n, start + CHUNK_CASES)))

    def close(self) -> None:
        """Commits the dictionary if needed and finishes the file; a new file
        then appears under its name."""
        with self._lock:
            if not self._finalizer.alive:
                return
            try:
                if not self._committed:
                    self.commit()
            except BaseException:
                self.abandon()
                raise
            self._finalizer.detach()
            rc = _close_write(self._h, self._append)
            if rc != 0:
                if self._tmp:
                    try:
                        os.unlink(self._tmp)
                    except OSError:
                        pass
                _lib.check(rc, self.path, "finishing the file")
            if self._tmp:
                try:
                    os.replace(self._tmp, self._target)
                except OSError as exc:
                    # nothing may stay behind under the temporary name
                    try:
                        os.unlink(self._tmp)
                    except OSError:
                        pass
                    raise FileError(2, self.path, "moving the finished file into place: "
                                                  f"{exc.strerror}") from exc
                finally:
                    self._tmp = None


class _Packer:
    """Turns the columns of a DataFrame into whole-case records."""

    def __init__(self, writer: Writer, columns: Dict[str, pd.Series], n: int) -> None:
        self.w = writer
        self.n = n
        self.numeric: List[Tuple[int, np.ndarray]] = []
        self.strings: List[Tuple[int, int, np.ndarray, np.ndarray]] = []
        for name, col in columns.items():
            var = writer._vars[name]
            off = writer._offsets[name]
            if var.width == 0:
                values = numeric_values(col, name, writer.path)
                self.numeric.append((off // 8, values))
            else:
                slot = (var.width + 7) // 8 * 8
                codes, table, _ = _string_table(col, var.width, slot, writer.encoding, name,
                                                writer.path)
                self.strings.append((off, slot, codes, table))

    def pack(self, start: int, stop: int) -> np.ndarray:
        """Cases start..stop as records, in a buffer reused by the next call."""
        k = stop - start
        if getattr(self, "_buf", None) is None or self._buf.shape[0] < k:
            self._buf = np.empty((k, self.w._case_size), dtype=np.uint8)
        rec = self._buf[:k]
        rec[:] = self.w._blank
        doubles = rec.view(np.float64)
        sysmis = self.w._sysmis
        for idx, values in self.numeric:
            part = values[start:stop]
            doubles[:, idx] = part
            nan = np.isnan(part)
            if nan.any():
                doubles[nan, idx] = sysmis
        for off, slot, codes, table in self.strings:
            rec[:, off:off + slot] = table[codes[start:stop]]
        return rec


def numeric_values(col: pd.Series, name, path) -> np.ndarray:
    """A column as float64 with NaN for missing; refuses what isn't a number."""
    if isinstance(col.dtype, pd.CategoricalDtype):
        raise Error(0, path, f"column {name!r} is categorical; write() turns categories into "
                             "codes", name="NOT_NUMERIC")
    if pd.api.types.is_datetime64_any_dtype(col.dtype) or \
            pd.api.types.is_timedelta64_dtype(col.dtype):
        raise Error(0, path, f"column {name!r} holds dates or times ({col.dtype}); convert "
                             "them to numbers first", name="NOT_NUMERIC")
    if pd.api.types.is_complex_dtype(col.dtype):
        raise Error(0, path, f"column {name!r} holds complex numbers", name="NOT_NUMERIC")
    if pd.api.types.is_integer_dtype(col.dtype):
        _warn_inexact(col, name, path)
    if pd.api.types.is_bool_dtype(col.dtype) or pd.api.types.is_numeric_dtype(col.dtype):
        return col.to_numpy(dtype=np.float64, na_value=np.nan)
    try:
        return pd.to_numeric(col, errors="raise").to_numpy(dtype=np.float64, na_value=np.nan)
    except (ValueError, TypeError) as exc:
        raise Error(0, path, f"column {name!r} holds values that are not numbers: {exc}",
                    name="NOT_NUMERIC") from None


#: Every integer of at most this magnitude is exactly a double.
_EXACT_INTEGERS = 2**53


def _warn_inexact(col: pd.Series, name, path) -> None:
    """Warns when integers of a column are beyond what a double holds exactly:
    the file stores doubles, so they are written rounded."""
    ints = col.dropna().to_numpy()
    if ints.dtype.itemsize < 8:
        return
    if ints.dtype.kind == "u":
        big = ints[ints > _EXACT_INTEGERS]
    else:
        big = ints[(ints > _EXACT_INTEGERS) | (ints < -_EXACT_INTEGERS)]
    inexact = [v for v in big.tolist() if int(float(v)) != v]
    if inexact:
        w = XovaWarning(0, f"{path}: column {name!r}: {len(inexact)} integers such as "
                           f"{inexact[0]} are beyond 2**53 and are written rounded to "
                           f"{int(float(inexact[0]))}")
        w.name = "INEXACT_NUMBER"
        warnings.warn(w, stacklevel=6)


def create(path, compress: bool = True, file_label: Optional[str] = None,
           encoding: str = "utf-8") -> Writer:
    """Starts a new Dataset file; returns a Writer (use it as a context
    manager). The file appears under ``path`` when the writer is closed."""
    return Writer(path, compress=compress, encoding=encoding, file_label=file_label)


def append(path, encoding: str = "utf-8") -> Writer:
    """Opens an existing file to add cases after its last one; returns a
    Writer whose variables are the file's."""
    return Writer(path, encoding=encoding, _append=True)


def _is_text(col: pd.Series) -> bool:
    return (pd.api.types.is_object_dtype(col.dtype) or pd.api.types.is_string_dtype(col.dtype)) \
        and not isinstance(col.dtype, pd.CategoricalDtype)


def _category_values(cat: pd.Categorical, labels: Mapping[float, str]) -> Tuple[np.ndarray, dict]:
    """Numeric values for a Categorical and the labels to write. Categories
    that are labels (or value texts) of ``labels`` get those values back, so
    a column read with value_labels=True is written as it was; otherwise the
    categories are numbered from 1 and become the labels."""
    cats = list(cat.categories)
    by_label: Dict[str, float] = {}
    for v, t in labels.items():
        by_label.setdefault(t, v)
    mapped = []
    for c in cats:
        if c in by_label:
            mapped.append(by_label[c])
            continue
        try:
            v = float(c)
        except (TypeError, ValueError):
            mapped = None
            break
        if value_text(v) != str(c) or v in labels:
            mapped = None
            break
        mapped.append(v)
    if labels and mapped is not None and len(set(mapped)) == len(mapped):
        out_labels = dict(labels)
        table = np.array(mapped, dtype=np.float64)
    else:
        table = np.arange(1, len(cats) + 1, dtype=np.float64)
        out_labels = {float(i + 1): str(c) for i, c in enumerate(cats)}
    codes = np.asarray(cat.codes)
    values = np.where(codes < 0, np.nan, table[np.maximum(codes, 0)] if len(table) else np.nan)
    return values, out_labels


def write(df: pd.DataFrame, path, metadata: Optional[Metadata] = None,
          compress: Optional[bool] = None,
          file_label: Optional[str] = None,
          variable_labels: Optional[Mapping[str, str]] = None,
          value_labels: Optional[Mapping[str, Mapping[Any, str]]] = None,
          missing: Optional[Mapping[str, Mapping[str, Any]]] = None,
          encoding: str = "utf-8") -> None:
    """Writes a DataFrame as a new Dataset file.

    Float, integer and bool columns become numeric variables (NaN is
    system-missing; the file holds doubles, so integers beyond 2**53 in
    magnitude are stored rounded, with an XovaWarning; complex numbers,
    dates and times are refused); str/object columns become string variables as wide as
    their longest encoded value, or as ``metadata`` says (a longer value is
    refused, naming column and row; more than 255 bytes always is).
    Categorical columns become numeric codes with the categories as value
    labels. Labels, formats, missing values, value labels, display
    attributes, file label, weight and sets come from ``metadata`` (e.g. the
    one read() returned) and the keyword arguments, which take precedence:

        file_label="Wave 3"
        variable_labels={"age": "Age in years"}
        value_labels={"sex": {1: "male", 2: "female"}}
        missing={"age": {"values": [99]}, "income": {"range": (-inf, 0)}}

    ``compress`` None: compressed as ``metadata`` says, else compressed.

    So ``df, meta = read(p, user_missing=True); write(df, q, metadata=meta)``
    gives a file whose dictionary and values equal p's, except documents and
    the creation time, which a new file cannot take over.
    """
    if not isinstance(df, pd.DataFrame):
        raise TypeError("write() takes a pandas DataFrame")
    meta_vars = metadata.variables if metadata is not None else {}
    variable_labels = dict(variable_labels or {})
    value_labels = dict(value_labels or {})
    missing = dict(missing or {})
    for opt, given in (("variable_labels", variable_labels), ("value_labels", value_labels),
                       ("missing", missing)):
        for name in given:
            if name not in df.columns:
                raise KeyError(f"{opt}: {name!r} is not a column")
    if df.columns.duplicated().any():
        dup = df.columns[df.columns.duplicated()][0]
        raise DictionaryError(13, path, f"column {dup!r} appears twice")
    if compress is None:
        compress = metadata.compressed if metadata is not None else True
    columns = {}
    with create(path, compress=compress, encoding=encoding) as w:
        label = file_label if file_label is not None else (metadata.file_label if metadata else "")
        if label:
            w.set_file_label(label)
        for name in df.columns:
            col = df[name]
            mv = meta_vars.get(name)
            attrs: Dict[str, Any] = {}
            if isinstance(col.dtype, pd.CategoricalDtype) and mv is not None and mv.width > 0:
                # a string variable read with value_labels=True: back to its values
                by_label: Dict[str, str] = {}
                for v, t in mv.value_labels.items():
                    by_label.setdefault(t, v)
                cats = [by_label.get(c, c) for c in col.cat.categories]
                # code -1 (missing) takes the None at the end
                col = pd.Series(np.array(cats + [None], dtype=object)[np.asarray(col.cat.codes)],
                                index=df.index)
            if isinstance(col.dtype, pd.CategoricalDtype):
                known = mv.value_labels if mv is not None and mv.width == 0 else {}
                values, labels = _category_values(col.array, known)
                columns[name] = pd.Series(values, index=df.index)
                width = 0
                attrs["value_labels"] = labels
                attrs["print_format"] = attrs["write_format"] = (5, 8, 0)
            elif _is_text(col):
                keep = mv.width if mv is not None and mv.width > 0 else None
                _, _, width = _string_table(col, keep, None, encoding, name, path)
                columns[name] = col
            else:
                width = 0
                columns[name] = col
                if pd.api.types.is_integer_dtype(col.dtype) or \
                        pd.api.types.is_bool_dtype(col.dtype):
                    attrs["print_format"] = attrs["write_format"] = (5, 8, 0)
            if mv is not None:
                attrs["label"] = mv.label
                attrs["column_width"] = mv.column_width
                attrs["alignment"] = mv.alignment
                if (mv.width == 0) == (width == 0):
                    if mv.width == 0 or mv.width == width:
                        attrs["print_format"] = mv.print_format
                        attrs["write_format"] = mv.write_format
                    attrs["measure"] = mv.measure
                    attrs["missing_values"] = mv.missing_values
                    attrs["missing_range"] = mv.missing_range
                    if mv.value_labels and "value_labels" not in attrs:
                        attrs["value_labels"] = mv.value_labels
            if name in variable_labels:
                attrs["label"] = variable_labels[name]
            if name in value_labels:
                attrs["value_labels"] = value_labels[name]
            if name in missing:
                wanted = missing[name]
                unknown = set(wanted) - {"values", "range"}
                if unknown:
                    raise KeyError(f"missing[{name!r}]: unknown keys {sorted(unknown)}")
                attrs["missing_values"] = tuple(wanted.get("values", ()))
                attrs["missing_range"] = wanted.get("range")
            if width == 0:
                w.add_numeric(str(name) if not isinstance(name, str) else name, **attrs)
            else:
                attrs.pop("missing_range", None)
                w.add_string(name if isinstance(name, str) else str(name), width, **attrs)
        if metadata is not None:
            if metadata.weight and metadata.weight in df.columns and \
                    w.variables[metadata.weight].width == 0:
                w.set_weight(metadata.weight)
            if metadata.mr_sets:
                w.set_mr_sets(metadata.mr_sets)
            if metadata.variable_sets:
                w.set_variable_sets(metadata.variable_sets)
        # column by column: a DataFrame of them would copy every numeric column
        w._write_columns({str(k): v for k, v in columns.items()}, len(df))
