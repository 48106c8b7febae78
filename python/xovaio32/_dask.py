"""Dataset files as dask DataFrames: one partition per range of cases."""

from __future__ import annotations

import math
import os
from typing import Optional, Sequence

import numpy as np

from ._reader import Reader, read

#: Aim for partitions of about this many bytes of case data.
PARTITION_BYTES = 64 << 20


def _partition(path: str, first: int, last: int, columns, value_labels: bool,
               user_missing: bool, encoding: str):
    """One partition: a worker opens its own handle and seeks to ``first``."""
    return read(path, columns=columns, rows=(first, last), value_labels=value_labels,
                user_missing=user_missing, encoding=encoding)[0]


def read_dask(path, npartitions: Optional[int] = None, columns: Optional[Sequence[str]] = None,
              value_labels: bool = False, user_missing: bool = False, encoding: str = "utf-8"):
    import dask
    import dask.dataframe as dd

    path = os.path.abspath(os.fspath(path))
    with Reader(path, encoding) as reader:
        n = len(reader)
        empty = reader.read_batch(0, columns, value_labels, user_missing)
        case_size = max(1, reader._layout.case_size)
    if npartitions is None:
        npartitions = max(1, math.ceil(n * case_size / PARTITION_BYTES))
    npartitions = int(npartitions)
    if npartitions < 1:
        raise ValueError(f"npartitions must be at least 1, not {npartitions}")
    bounds = sorted(set(np.linspace(0, n, min(npartitions, max(n, 1)) + 1).astype(int).tolist()))
    if len(bounds) < 2:
        bounds = [0, 0]
    parts = [dask.delayed(_partition, pure=True)(path, a, b, columns, value_labels,
                                                 user_missing, encoding)
             for a, b in zip(bounds[:-1], bounds[1:])]
    divisions = None
    if n > 0:
        divisions = bounds[:-1] + [n - 1]
    return dd.from_delayed(parts, meta=empty, divisions=divisions,
                           verify_meta=not value_labels)
