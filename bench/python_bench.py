"""Speed and memory of the Python package against plain numpy and pandas.

    scripts/python bench/python_bench.py [CASES] [--repeat N] [--dir DIR]

Works on the benchmark's case layout (20 numeric variables and 2 strings of
width 12, survey-like values with some system-missing), 1,000,000 cases by
default, written by the package itself. Each workload runs beside its
baseline in this one process, interleaved, and the medians are compared:

  read      xovaio32.read() of the uncompressed and the compressed file
            vs numpy.fromfile of the same case bytes building the same
            DataFrame (NaN for system-missing, str without trailing blanks)
            target: ratio of speeds >= 0.5
  read_csv  vs pandas.read_csv of the same table; target: >= 10x faster
  write     xovaio32.write() vs the same DataFrame's case bytes written with
            ndarray.tofile; target: ratio of speeds >= 0.5
  dask      read_dask with 2 partitions (threaded scheduler) vs read()
  memory    peak traced allocation of read() (in a fresh process) against
            the size of the DataFrame it returns; target: <= 2x

The library is the one the package finds (XOVAIO32_LIBRARY, or build-bench/
or build/ of this tree when unset). Exits 3 when a target was missed.
"""

import argparse
import importlib.util
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "python"))
if not os.environ.get("XOVAIO32_LIBRARY"):
    for d in ("build-bench", "build"):
        cand = os.path.join(ROOT, d, "libxovaio32.so")
        if os.path.exists(cand):
            os.environ["XOVAIO32_LIBRARY"] = cand
            break

import numpy as np  # noqa: E402
import pandas as pd  # noqa: E402

import xovaio32  # noqa: E402
from xovaio32 import _lib, _reader, _writer  # noqa: E402

NUMERIC, STRINGS, WIDTH = 20, 2, 12
ANSWERS = ["yes", "no", "Berlin", "", "don't know", "Hamburg", "n/a"]
PERIOD = 4096


def workload(cases: int) -> pd.DataFrame:
    """The benchmark's values: an age, small codes, some fractions, ~5%
    system-missing, short answers; repeating every 4096 cases."""
    rng = np.random.default_rng(12345)
    p = rng.integers(0, 100, (PERIOD, NUMERIC))
    x = np.where(p < 5, np.nan, np.where(p < 15, p * 1.37, 1 + p % 9)).astype(np.float64)
    x[:, 0] = 18 + p[:, 0] % 70
    reps = -(-cases // PERIOD)
    cols = {f"v{i + 1}": np.tile(x[:, i], reps)[:cases] for i in range(NUMERIC)}
    for s in range(STRINGS):
        pick = rng.integers(0, len(ANSWERS), PERIOD)
        cols[f"v{NUMERIC + s + 1}"] = np.tile(np.array(ANSWERS, dtype=object)[pick],
                                              reps)[:cases]
    return pd.DataFrame(cols)


def case_dtype() -> np.dtype:
    fields = [(f"v{i + 1}", "<f8") for i in range(NUMERIC)]
    fields += [(f"v{NUMERIC + s + 1}", f"S{(WIDTH + 7) // 8 * 8}") for s in range(STRINGS)]
    return np.dtype(fields)


def baseline_write(df: pd.DataFrame, path: str) -> None:
    """The DataFrame's case bytes (strings blank-padded to their widths,
    NaN as system-missing) written with tofile, chunk by chunk like write()."""
    with xovaio32.create(path + ".dict") as w:  # only to lay out the records
        for c in df.columns:
            if df[c].dtype == object:
                w.add_string(c, WIDTH)
            else:
                w.add_numeric(c)
        w.commit()
        packer = _writer._Packer(w, {c: df[c] for c in df.columns}, len(df))
        with open(path, "wb") as f:
            for start in range(0, len(df), _writer.CHUNK_CASES):
                packer.pack(start, min(len(df), start + _writer.CHUNK_CASES)).tofile(f)
        w.abandon()


def baseline_read(path: str, cases: int) -> pd.DataFrame:
    """numpy.fromfile of the case bytes, a cache-sized chunk at a time, taken
    apart into the same DataFrame read() builds."""
    dtype = case_dtype()
    sysmis = _lib.special_values()[0]
    block = np.empty((NUMERIC, cases))
    raw = [np.empty((cases, 16), dtype=np.uint8) for _ in range(STRINGS)]
    chunk = 4096
    with open(path, "rb") as f:
        for start in range(0, cases, chunk):
            rec = np.fromfile(f, dtype=dtype, count=min(chunk, cases - start))
            k = len(rec)
            doubles = rec.view(np.float64).reshape(k, -1)
            block[:, start:start + k] = doubles[:, :NUMERIC].T
            b = rec.view(np.uint8).reshape(k, -1)
            for s in range(STRINGS):
                off = 8 * NUMERIC + 16 * s
                raw[s][start:start + k] = b[:, off:off + 16]
    block[block == sysmis] = np.nan
    df = pd.DataFrame(block.T, columns=[f"v{i + 1}" for i in range(NUMERIC)], copy=False)
    for s in range(STRINGS):
        df.insert(NUMERIC + s, f"v{NUMERIC + s + 1}",
                  _reader.decode_strings(raw[s], WIDTH, "utf-8"))
    return df


def timed(fn, *args):
    t = time.perf_counter()
    out = fn(*args)
    return time.perf_counter() - t, out


def removing(path, fn):
    def run(*args):
        if os.path.exists(path):
            os.unlink(path)
        return fn(*args)
    return run


MEMORY_CHILD = r"""
import sys, tracemalloc, resource
sys.path.insert(0, sys.argv[2])
import numpy as np, pandas as pd, xovaio32
tracemalloc.start()
df, meta = xovaio32.read(sys.argv[1])
cur, peak = tracemalloc.get_traced_memory()
shallow = int(df.memory_usage(index=True, deep=False).sum())
unique_strings = sum(sys.getsizeof(s) for c in df.columns if df[c].dtype == object
                     for s in {id(v): v for v in df[c]}.values())
deep = int(df.memory_usage(index=True, deep=True).sum())
print(peak, shallow + unique_strings, deep, cur)
"""


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawTextHelpFormatter)
    ap.add_argument("cases", nargs="?", type=int, default=1_000_000)
    ap.add_argument("--repeat", type=int, default=5)
    ap.add_argument("--dir", default=None, help="scratch directory (default: a new temporary one)")
    args = ap.parse_args()
    n = args.cases
    scratch = args.dir or tempfile.mkdtemp(prefix="xovaio32-pybench-")
    os.makedirs(scratch, exist_ok=True)
    p = lambda name: os.path.join(scratch, name)  # noqa: E731
    print(f"python {sys.version.split()[0]} at {sys.executable}, numpy {np.__version__}, "
          f"pandas {pd.__version__}")
    print(f"library {_lib.library_path()}; compiled case loop: "
          f"{'yes' if _lib.load_bulk() else 'NO (per-case ctypes calls)'}; huge-page arrays and "
          f"compiled string cells: "
          f"{'yes' if _lib.object_filler() and _lib.swap_allocator() else 'NO'}")
    print(f"{n} cases of {NUMERIC} numeric and {STRINGS} string (width {WIDTH}) variables, "
          f"files in {scratch}, median of {args.repeat}")
    df = workload(n)

    df.to_csv(p("table.csv"), index=False)
    have_dask = importlib.util.find_spec("dask") is not None
    if not have_dask:
        print("dask not installed: read_dask not measured")
    runs = {k: [] for k in ("write_u", "write_c", "write_base", "read_u", "read_c",
                            "read_base", "csv", "dask")}
    # Every workload once per repetition, side by side, so that the load of
    # a shared machine falls on the package and its baselines alike.
    for rep in range(args.repeat):
        runs["write_base"].append(timed(removing(p("base.raw"), baseline_write), df,
                                        p("base.raw"))[0])
        runs["write_u"].append(timed(removing(p("u.data"), xovaio32.write), df, p("u.data"),
                                     None, False)[0])
        runs["write_c"].append(timed(removing(p("c.data"), xovaio32.write), df, p("c.data"),
                                     None, True)[0])
        t, base = timed(baseline_read, p("base.raw"), n)
        runs["read_base"].append(t)
        del base
        t, (got_u, _) = timed(xovaio32.read, p("u.data"))
        runs["read_u"].append(t)
        if rep == 0:
            pd.testing.assert_frame_equal(got_u, df)
        del got_u
        t, (got_c, _) = timed(xovaio32.read, p("c.data"))
        runs["read_c"].append(t)
        if rep == 0:
            pd.testing.assert_frame_equal(got_c, df)
            pd.testing.assert_frame_equal(baseline_read(p("base.raw"), n), df)
        del got_c
        t, table = timed(pd.read_csv, p("table.csv"))
        runs["csv"].append(t)
        del table
        if have_dask:
            runs["dask"].append(timed(lambda: xovaio32.read_dask(p("c.data"), npartitions=2)
                                      .compute(scheduler="threads"))[0])

    med = {k: statistics.median(v) for k, v in runs.items() if v}
    mb = n * case_dtype().itemsize / 1e6
    missed = []

    def line(name, key, base_name, base_key, target=None):
        t, tb = med[key], med[base_key]
        # the median of each repetition's own ratio: both ran under the same load
        ratio = statistics.median(b / a for a, b in zip(runs[key], runs[base_key]))
        mark = ""
        if target is not None:
            ok = ratio >= target
            mark = f"  target >= {target:g}: {'ok' if ok else 'MISSED'}"
            if not ok:
                missed.append(name)
        print(f"  {name:<34} {t * 1e3:8.1f} ms ({mb / t:7.1f} MB/s)   {base_name:<18} "
              f"{tb * 1e3:8.1f} ms   ratio {ratio:6.2f}{mark}")

    print("speed (medians; ratio = baseline time / package time, the median of the")
    print("repetitions' own ratios; above 1 the package is faster)")
    line("write, uncompressed", "write_u", "pack + tofile", "write_base", 0.5)
    line("write, compressed", "write_c", "pack + tofile", "write_base", 0.5)
    line("read, uncompressed", "read_u", "fromfile + build", "read_base", 0.5)
    line("read, compressed", "read_c", "fromfile + build", "read_base", 0.5)
    line("read, uncompressed vs read_csv", "read_u", "pandas.read_csv", "csv", 10)
    line("read, compressed vs read_csv", "read_c", "pandas.read_csv", "csv", 10)
    if "dask" in med:
        line("read_dask, 2 partitions (threads)", "dask", "read, compressed", "read_c")

    out = subprocess.run([sys.executable, "-c", MEMORY_CHILD, p("c.data"),
                          os.path.join(ROOT, "python")], capture_output=True, text=True,
                         env=os.environ)
    if out.returncode != 0:
        print(out.stderr)
        return 1
    peak, size, deep, _ = (int(x) for x in out.stdout.split())
    ratio = peak / size
    ok = ratio <= 2
    if not ok:
        missed.append("memory")
    print("memory of read() of the compressed file, in a fresh process (tracemalloc)")
    print(f"  peak {peak / 1e6:.1f} MB; DataFrame {size / 1e6:.1f} MB (equal strings shared, "
          f"as read() builds them; {deep / 1e6:.1f} MB counting each cell's string apart)")
    print(f"  peak / DataFrame = {ratio:.2f}  target <= 2: {'ok' if ok else 'MISSED'}")
    for name in os.listdir(scratch):
        os.unlink(os.path.join(scratch, name))
    if not args.dir:
        os.rmdir(scratch)
    if missed:
        print("missed: " + ", ".join(missed))
        return 3
    return 0


if __name__ == "__main__":
    sys.exit(main())
