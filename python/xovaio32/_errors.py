"""Result codes of the library and the exceptions and warnings made from them."""

from __future__ import annotations

import os
from typing import Optional, Union

#: Result code -> name, as in the public header.
CODE_NAMES = {
    0: "XOVA_OK",
    1: "XOVA_FILE_OPEN_ERROR",
    2: "XOVA_FILE_WRITE_ERROR",
    3: "XOVA_FILE_READ_ERROR",
    4: "XOVA_TABLE_FULL",
    5: "XOVA_BAD_HANDLE",
    6: "XOVA_BAD_FILE",
    7: "XOVA_OUT_OF_MEMORY",
    8: "XOVA_OPEN_FOR_READ",
    9: "XOVA_OPEN_FOR_WRITE",
    10: "XOVA_BAD_VARIABLE_NAME",
    11: "XOVA_EMPTY_DICTIONARY",
    12: "XOVA_NO_SUCH_VARIABLE",
    13: "XOVA_DUPLICATE_VARIABLE",
    14: "XOVA_NOT_NUMERIC",
    15: "XOVA_NOT_STRING",
    16: "XOVA_STRING_TOO_WIDE",
    17: "XOVA_BAD_VARIABLE_TYPE",
    18: "XOVA_BAD_MISSING_FORMAT",
    19: "XOVA_BAD_COMPRESSION_SWITCH",
    20: "XOVA_BAD_PRINT_FORMAT",
    21: "XOVA_BAD_WRITE_FORMAT",
    22: "XOVA_BAD_DATE",
    23: "XOVA_BAD_TIME",
    24: "XOVA_EMPTY_VARIABLE_LIST",
    27: "XOVA_DUPLICATE_VALUE",
    28: "XOVA_BAD_WEIGHT_VARIABLE",
    30: "XOVA_ALREADY_COMMITTED",
    31: "XOVA_NOT_COMMITTED",
    33: "XOVA_NO_VARIABLE_RECORD",
    41: "XOVA_NO_RELEASE_INFO",
    46: "XOVA_UNEXPECTED_RECORD",
    47: "XOVA_BAD_STRING_VALUE",
    48: "XOVA_BAD_FREE_ARGS",
    49: "XOVA_BUFFER_TOO_SMALL",
    50: "XOVA_NO_CASE_DATA",
    51: "XOVA_BAD_LABEL_SET",
    52: "XOVA_APPEND_REFUSED",
    53: "XOVA_BAD_CASE_DATA",
    54: "XOVA_TEMP_FILE_ERROR",
    55: "XOVA_QEB_NEXT_WITHOUT_FIRST",
    56: "XOVA_MEASURE_LEVEL_OUT_OF_RANGE",
    57: "XOVA_SUBTYPE_OUT_OF_RANGE",
    70: "XOVA_MRSET_TEXT_MALFORMED",
    71: "XOVA_MRSET_BAD_NAME",
    72: "XOVA_MRSET_NAME_TAKEN",
    73: "XOVA_BAD_EXT_INDEX",
    -1: "XOVA_TRUNCATED",
    -2: "XOVA_VAR_LABEL_TRUNCATED",
    -4: "XOVA_LABEL_TRUNCATED",
    -5: "XOVA_END_OF_DATA",
    -7: "XOVA_VARSETS_ABSENT",
    -8: "XOVA_NO_VALUE_LABELS",
    -9: "XOVA_LABEL_ABSENT",
    -10: "XOVA_WEIGHT_ABSENT",
    -11: "XOVA_DATE_INFO_ABSENT",
    -13: "XOVA_MRSETS_ABSENT",
    -14: "XOVA_QEB_ABSENT",
}

NAME_CODES = {name: code for code, name in CODE_NAMES.items()}

_DESCRIPTIONS = {
    1: "the file cannot be opened",
    2: "writing the file failed",
    3: "reading the file failed",
    4: "too many files are open",
    6: "not a readable Dataset file, or it is damaged",
    7: "out of memory",
    10: "not a valid variable name",
    11: "the dictionary has no variables",
    12: "no such variable",
    13: "a variable of that name exists already",
    14: "the variable is not numeric",
    15: "the variable is not a string",
    16: "the string variable is too wide for this",
    17: "bad variable type or width",
    18: "a combination of missing values the file does not allow",
    20: "bad print format",
    21: "bad write format",
    27: "a value is given twice",
    47: "a string value does not fit the variable's width",
    52: "the file cannot be appended to",
    53: "the case data is damaged",
    -1: "a text was cut to fit",
    -2: "a variable label was cut to 256 bytes",
    -4: "a value label was cut to 60 bytes",
}


def code_name(code: int) -> str:
    """The header's name of a result code, e.g. ``"XOVA_BAD_FILE"``."""
    return CODE_NAMES.get(code, f"XOVA_UNKNOWN_{code}")


class Error(Exception):
    """A call into the library failed, or a file cannot be read or written.

    Attributes:
        code: the library's result code (a positive int), or 0 for a failure
            found by the package itself (e.g. a value that does not fit).
        name: the code's name, e.g. ``"XOVA_BAD_FILE"``.
        path: the file concerned, or None.
        detail: what was being done, in words.
    """

    def __init__(self, code: int, path: Optional[Union[str, os.PathLike]] = None,
                 detail: str = "", name: Optional[str] = None) -> None:
        self.code = code
        self.name = name or code_name(code)
        self.path = os.fspath(path) if path is not None else None
        self.detail = detail
        parts = []
        if self.path is not None:
            parts.append(self.path)
        if detail:
            parts.append(detail)
        what = _DESCRIPTIONS.get(code)
        tail = f"{self.name} ({code})" if code else self.name
        if what:
            tail = f"{tail}: {what}"
        parts.append(tail)
        super().__init__(": ".join(parts))

    def __reduce__(self):
        # Errors cross process boundaries (dask workers) with their fields.
        return (type(self), (self.code, self.path, self.detail, self.name))


class FileError(Error):
    """The file could not be opened, read or written, or is damaged
    (codes 1, 2, 3, 6, 52, 53, 54)."""


class DictionaryError(Error):
    """A variable or attribute was refused: bad name, type, format, missing
    values or value labels."""


_FILE_CODES = {1, 2, 3, 6, 52, 53, 54}


def make_error(code: int, path=None, detail: str = "") -> Error:
    """The exception for a failed result code."""
    if code in _FILE_CODES:
        return FileError(code, path, detail)
    if 10 <= code <= 28 or code in (47, 51, 56, 70, 71, 72):
        return DictionaryError(code, path, detail)
    return Error(code, path, detail)


class XovaWarning(UserWarning):
    """The library carried out a call but reported a warning, e.g. that a label
    was cut to fit. ``.code`` and ``.name`` say which."""

    def __init__(self, code: int, message: str) -> None:
        super().__init__(message)
        self.code = code
        self.name = code_name(code)

    def __reduce__(self):
        return (type(self), (self.code, str(self)))
