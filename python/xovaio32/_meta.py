"""The dictionary of a file as Python objects: Metadata and Variable."""

from __future__ import annotations

import ctypes
import datetime as _dt
import math
import os
import struct
import warnings
from ctypes import byref, c_char_p, c_double, c_int, c_void_p, create_string_buffer
from dataclasses import dataclass, field
from typing import Dict, List, Optional, Tuple, Union

from . import _lib
from ._errors import XovaWarning

Value = Union[float, str]
Format = Tuple[int, int, int]


@dataclass
class Variable:
    """One variable of a file's dictionary.

    Attributes:
        name: the full (long) name.
        width: 0 for a numeric variable, else the string width in bytes (1-255).
        label: the variable label, or None.
        print_format, write_format: (code, width, decimals).
        missing_values: discrete user-missing values (up to three).
        missing_range: (low, high) of a user-missing range, or None; -inf and
            inf stand for the open ends (LOWEST and HIGHEST in the file).
        value_labels: value -> label; string values without trailing blanks.
        measure: measurement level code (1, 2 or 3; 3 only for numeric).
        column_width: display column width (0 = default).
        alignment: alignment code (0, 1 or 2).
    """

    name: str
    width: int = 0
    label: Optional[str] = None
    print_format: Optional[Format] = None
    write_format: Optional[Format] = None
    missing_values: Tuple[Value, ...] = ()
    missing_range: Optional[Tuple[float, float]] = None
    value_labels: Dict[Value, str] = field(default_factory=dict)
    measure: Optional[int] = None
    column_width: Optional[int] = None
    alignment: Optional[int] = None

    @property
    def is_numeric(self) -> bool:
        """True for a numeric variable."""
        return self.width == 0


@dataclass
class MultipleResponseSet:
    """A multiple-response set: ``kind`` is "C" (categories) or "D"
    (dichotomies, counting ``counted_value``)."""

    kind: str
    label: str
    variables: List[str]
    counted_value: Optional[str] = None


@dataclass
class Metadata:
    """What a file says about itself besides its cases.

    Attributes:
        file_label: the file label ("" when none).
        created: creation date and time, or None if the file's stamp is unreadable.
        compressed: whether the cases are byte-code compressed.
        n_cases: the number of cases.
        weight: the name of the weight variable, or None.
        documents: document lines, trailing blanks removed.
        mr_sets: multiple-response sets by name (names begin with "$").
        variable_sets: variable sets, name -> list of variable names.
        variables: name -> Variable, in dictionary order.
        path: the file read, when there is one.
    """

    file_label: str = ""
    created: Optional[_dt.datetime] = None
    compressed: bool = True
    n_cases: Optional[int] = None
    weight: Optional[str] = None
    documents: List[str] = field(default_factory=list)
    mr_sets: Dict[str, MultipleResponseSet] = field(default_factory=dict)
    variable_sets: Dict[str, List[str]] = field(default_factory=dict)
    variables: Dict[str, Variable] = field(default_factory=dict)
    path: Optional[str] = None


_MONTHS = {m: i + 1 for i, m in enumerate(
    ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"])}


def parse_stamp(date: str, time: str) -> Optional[_dt.datetime]:
    """The file's "dd Mon yy" and "hh:mm:ss" as a datetime (years 00-68 are
    20xx, 69-99 19xx), or None when they don't parse."""
    try:
        day, mon, yy = date.split()
        hh, mm, ss = (int(p) for p in time.strip().split(":"))
        y = int(yy)
        year = 2000 + y if y < 69 else 1900 + y
        return _dt.datetime(year, _MONTHS[mon], int(day), hh, mm, ss)
    except (ValueError, KeyError):
        return None


def decode(raw: bytes, encoding: str) -> str:
    return raw.decode(encoding, "surrogateescape")


def encode(text: str, encoding: str) -> bytes:
    return text.encode(encoding, "surrogateescape")


def value_text(value: float) -> str:
    """A numeric value as the text a Categorical shows for it: 3 -> "3"."""
    if math.isfinite(value) and value == int(value) and abs(value) < 2**53:
        return str(int(value))
    return repr(float(value))


def _string_out(lib, fn_name, handle, *args):
    """Calls a getter that hands out an allocated text; returns bytes or None."""
    ptr = c_void_p()
    rc = getattr(lib, fn_name)(handle, *args, byref(ptr))
    try:
        if rc != 0 or not ptr.value:
            return None
        return ctypes.string_at(ptr.value)
    finally:
        if ptr.value:
            free = "xovaFreeMultRespDefs" if "Mult" in fn_name else "xovaFreeVariableSets"
            getattr(lib, free)(ptr)


def parse_mr_sets(text: bytes, encoding: str) -> Dict[str, MultipleResponseSet]:
    """Multiple-response sets from the library's set text (long names)."""
    sets: Dict[str, MultipleResponseSet] = {}
    for line in text.split(b"\n"):
        line = line.rstrip(b"\r")
        if not line.strip() or b"=" not in line:
            continue
        name, rest = line.split(b"=", 1)
        try:
            counted = None
            if rest[:1] in (b"C", b"c"):
                kind, rest = "C", rest[1:].lstrip(b" ")
            elif rest[:1] in (b"D", b"d"):
                n, rest = rest[1:].split(b" ", 1)
                counted, rest = rest[:int(n)], rest[int(n):].lstrip(b" ")
                kind = "D"
            else:
                continue
            n, rest = rest.split(b" ", 1)
            label, rest = rest[:int(n)], rest[int(n):]
        except ValueError:
            continue  # a line the library would not have written; skip it
        sets[decode(name.strip(), encoding)] = MultipleResponseSet(
            kind=kind, label=decode(label, encoding),
            variables=[decode(v, encoding) for v in rest.split()],
            counted_value=None if counted is None else decode(counted, encoding))
    return sets


def format_mr_sets(sets: Dict[str, MultipleResponseSet], encoding: str) -> bytes:
    """The set text the library takes for ``sets``."""
    out = []
    for name, s in sets.items():
        if not name.startswith("$"):
            name = "$" + name
        line = encode(name, encoding) + b"="
        if s.kind.upper() == "D":
            cv = encode(str(s.counted_value if s.counted_value is not None else "1"), encoding)
            line += b"D%d " % len(cv) + cv + b" "
        else:
            line += b"C "
        label = encode(s.label or "", encoding)
        line += b"%d " % len(label) + label
        for v in s.variables:
            line += b" " + encode(v, encoding)
        out.append(line + b"\n")
    return b"".join(out)


def parse_variable_sets(text: bytes, encoding: str) -> Dict[str, List[str]]:
    sets: Dict[str, List[str]] = {}
    for line in text.split(b"\n"):
        if b"=" not in line:
            continue
        name, rest = line.split(b"=", 1)
        if name.strip():
            sets[decode(name.strip(), encoding)] = [decode(v, encoding) for v in rest.split()]
    return sets


def format_variable_sets(sets: Dict[str, List[str]], encoding: str) -> bytes:
    return b"".join(encode(name, encoding) + b"=" + b"".join(b" " + encode(v, encoding) for v in vs)
                    + b"\n" for name, vs in sets.items())


def read_documents(path: str, encoding: str) -> List[str]:
    """The document lines of a file. The library copies documents between
    open files but hands them to no caller, so they are taken from the file's
    own records here. A file whose records don't parse gives no lines: the
    library has already accepted the dictionary, so this is never the only
    check of a file."""
    try:
        with open(path, "rb") as f:
            head = f.read(176)
            if len(head) < 176 or head[:4] != b"$FL2":
                return []
            order = "<" if 1 <= struct.unpack("<i", head[64:68])[0] <= 3 else ">"

            def ints(n):
                raw = f.read(4 * n)
                if len(raw) != 4 * n:
                    raise EOFError
                return struct.unpack(f"{order}{n}i", raw)

            while True:
                (rtype,) = ints(1)
                if rtype == 2:
                    width, has_label, nmiss, _, _ = ints(5)
                    f.seek(8, os.SEEK_CUR)
                    if has_label:
                        (length,) = ints(1)
                        if length < 0:
                            return []
                        f.seek((length + 3) // 4 * 4, os.SEEK_CUR)
                    per = 8 if width <= 0 else (width + 7) // 8 * 8
                    f.seek(abs(nmiss) * per, os.SEEK_CUR)
                elif rtype == 3:
                    (count,) = ints(1)
                    if count < 0:
                        return []
                    for _ in range(count):
                        raw = f.read(9)
                        if len(raw) != 9:
                            return []
                        f.seek((raw[8] + 1 + 7) // 8 * 8 - 1, os.SEEK_CUR)
                elif rtype == 4:
                    (count,) = ints(1)
                    if count < 0:
                        return []
                    f.seek(4 * count, os.SEEK_CUR)
                elif rtype == 6:
                    (lines,) = ints(1)
                    if lines < 0:
                        return []
                    raw = f.read(80 * lines)
                    return [decode(raw[i:i + 80].rstrip(b" "), encoding)
                            for i in range(0, len(raw) - len(raw) % 80, 80)]
                else:
                    return []
    except (OSError, EOFError, struct.error, OverflowError, ValueError):
        return []


def _variable(lib, h: int, name_b: bytes, width: int, encoding: str, lowest: float,
              highest: float) -> Variable:
    var = Variable(name=decode(name_b, encoding), width=width)
    buf = create_string_buffer(1024)
    n = c_int()
    if lib.xovaGetVarLabelLong(h, name_b, buf, len(buf), byref(n)) == 0:
        var.label = decode(buf.raw[:n.value], encoding)
    a, b, c = c_int(), c_int(), c_int()
    if lib.xovaGetVarPrintFormat(h, name_b, byref(a), byref(b), byref(c)) == 0:
        var.print_format = (a.value, c.value, b.value)
    if lib.xovaGetVarWriteFormat(h, name_b, byref(a), byref(b), byref(c)) == 0:
        var.write_format = (a.value, c.value, b.value)
    if lib.xovaGetVarMeasureLevel(h, name_b, byref(a)) == 0:
        var.measure = a.value
    if lib.xovaGetVarColumnWidth(h, name_b, byref(a)) == 0:
        var.column_width = a.value
    if lib.xovaGetVarAlignment(h, name_b, byref(a)) == 0:
        var.alignment = a.value
    code = c_int()
    if width == 0:
        v = [c_double(), c_double(), c_double()]
        if lib.xovaGetVarNMissingValues(h, name_b, byref(code), *map(byref, v)) == 0:
            k = code.value
            vals = [x.value for x in v]
            if k < 0:
                lo = -math.inf if vals[0] == lowest else vals[0]
                hi = math.inf if vals[1] == highest else vals[1]
                var.missing_range = (lo, hi)
                if k == -3:
                    var.missing_values = (vals[2],)
            else:
                var.missing_values = tuple(vals[:k])
        values = ctypes.POINTER(c_double)()
        labels = ctypes.POINTER(c_char_p)()
        count = c_int()
        if lib.xovaGetVarNValueLabels(h, name_b, byref(values), byref(labels), byref(count)) == 0:
            try:
                var.value_labels = {values[i]: decode(labels[i], encoding)
                                    for i in range(count.value)}
            finally:
                lib.xovaFreeVarNValueLabels(values, labels, count)
    elif width <= 8:
        bufs = [create_string_buffer(width + 1) for _ in range(3)]
        if lib.xovaGetVarCMissingValues(h, name_b, byref(code), *bufs) == 0 and code.value > 0:
            var.missing_values = tuple(decode(b.value.rstrip(b" "), encoding)
                                       for b in bufs[:code.value])
        values = ctypes.POINTER(c_char_p)()
        labels = ctypes.POINTER(c_char_p)()
        count = c_int()
        if lib.xovaGetVarCValueLabels(h, name_b, byref(values), byref(labels), byref(count)) == 0:
            try:
                var.value_labels = {decode(values[i].rstrip(b" "), encoding):
                                    decode(labels[i], encoding) for i in range(count.value)}
            finally:
                lib.xovaFreeVarCValueLabels(values, labels, count)
    return var


def variable_names(lib, h: int, path) -> List[Tuple[bytes, int]]:
    """(name, width) of every variable, in dictionary order."""
    count = c_int()
    names = ctypes.POINTER(c_char_p)()
    types = ctypes.POINTER(c_int)()
    _lib.check(lib.xovaGetVarNames(h, byref(count), byref(names), byref(types)), path,
               "reading the variable names")
    try:
        return [(names[i], types[i]) for i in range(count.value)]
    finally:
        lib.xovaFreeVarNames(names, types, count)


def read_metadata(h: int, path, encoding: str) -> Metadata:
    """The Metadata of an open read or append handle."""
    lib = _lib.load_library()
    _, lowest, highest = _lib.special_values()
    meta = Metadata(path=os.fspath(path) if path is not None else None)
    buf = create_string_buffer(256)
    if lib.xovaGetIdString(h, buf) == 0:
        meta.file_label = decode(buf.value.rstrip(b" "), encoding)
    date, time = create_string_buffer(16), create_string_buffer(16)
    if lib.xovaGetTimeStamp(h, date, time) == 0:
        meta.created = parse_stamp(date.value.decode("ascii", "replace"),
                                   time.value.decode("ascii", "replace"))
    n = c_int()
    _lib.check(lib.xovaGetCompression(h, byref(n)), path)
    meta.compressed = n.value != 0
    lib.xovaGetNumberofCases(h, byref(n))
    meta.n_cases = n.value if n.value >= 0 else None
    for name_b, width in variable_names(lib, h, path):
        var = _variable(lib, h, name_b, width, encoding, lowest, highest)
        meta.variables[var.name] = var
    rc = lib.xovaGetCaseWeightVar(h, buf)
    if rc == 0:
        meta.weight = decode(buf.value, encoding)
    elif rc == 28:
        warnings.warn(XovaWarning(28, f"{path}: the weight variable is not a numeric "
                                      "variable of the file; the weight is ignored"),
                      stacklevel=3)
    text = _string_out(lib, "xovaGetMultRespDefs", h)
    if text:
        meta.mr_sets = parse_mr_sets(text, encoding)
    text = _string_out(lib, "xovaGetVariableSets", h)
    if text:
        meta.variable_sets = parse_variable_sets(text, encoding)
    if path is not None:
        meta.documents = read_documents(os.fspath(path), encoding)
    return meta
