"""Dataset files as pandas DataFrames, numpy arrays and Dask partitions.

A Dataset file holds a dictionary (variables with names, labels, formats,
missing values and value labels) followed by the cases. This package reads
and writes such files through the xovaio32 library.

Reading::

    df, meta = xovaio32.read("survey.data")             # whole file
    df, meta = xovaio32.read("survey.data", columns=["age"], rows=(0, 1000))
    meta.variables["age"].label                          # the dictionary

    with xovaio32.open("survey.data") as r:              # streaming
        while not (batch := r.read_batch(10000)).empty:
            ...

Writing::

    xovaio32.write(df, "copy.data", metadata=meta)
    with xovaio32.create("new.data") as w:
        w.add_numeric("age", label="Age")
        w.add_string("city", 20)
        w.write_row([34, "Hamburg"])
    with xovaio32.append("new.data") as w:
        w.write_row([51, "Berlin"])

Larger than memory, or one machine: ``read_dask("survey.data", npartitions=8)``.

Failures raise ``xovaio32.Error`` (``.code``, ``.name``, ``.path``);
warnings of the library (a text cut to fit) are ``XovaWarning`` warnings.
The shared library is found through ``XOVAIO32_LIBRARY``, then a copy in the
package, then the system's search path. Opens and closes are serialised and each
reader and writer locks itself, so they may be used from several threads.
"""

from typing import Optional, Sequence

from ._errors import DictionaryError, Error, FileError, XovaWarning, code_name
from ._lib import library_path
from ._meta import Metadata, MultipleResponseSet, Variable
from ._reader import Reader, open, read
from ._writer import Writer, append, create, write

__all__ = [
    "read", "open", "write", "create", "append", "read_dask",
    "Reader", "Writer", "Metadata", "Variable", "MultipleResponseSet",
    "Error", "FileError", "DictionaryError", "XovaWarning", "code_name", "library_path",
]

__version__ = "1.0.0"

# Shown as xovaio32.Error (not xovaio32._errors.Error) in tracebacks and help().
for _cls in (DictionaryError, Error, FileError, XovaWarning, Metadata, MultipleResponseSet,
             Variable, Reader, Writer):
    _cls.__module__ = __name__
del _cls


def read_dask(path, npartitions: Optional[int] = None, columns: Optional[Sequence[str]] = None,
              value_labels: bool = False, user_missing: bool = False,
              encoding: str = "utf-8"):
    """Reads a Dataset file as a dask DataFrame whose partitions are case
    ranges; each partition is read by a worker with its own handle after a
    seek. The computed result equals ``read(path, ...)[0]``. ``npartitions``
    None: about 64 MB of case data each. Works on dask's
    threaded and process schedulers and on a distributed cluster (the
    workers need this package and the library). Needs the dask package."""
    from ._dask import read_dask as _read_dask
    return _read_dask(path, npartitions=npartitions, columns=columns, value_labels=value_labels,
                      user_missing=user_missing, encoding=encoding)
