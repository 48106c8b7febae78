"""The memory handler that read() builds its arrays with: huge pages for
large arrays, and numpy's own handler back in place afterwards."""

import os
import sys
import threading

import numpy as np
import pandas as pd
import pytest

import xovaio32
from xovaio32 import _lib

handler_name = getattr(np.core.multiarray, "get_handler_name", None)
OURS = "xovaio32_huge_pages"


def made_by(a):
    """The handler that allocated the memory of array ``a`` (or of the array
    it is a view of)."""
    while isinstance(a.base, np.ndarray):
        a = a.base
    return handler_name(a)


@pytest.fixture()
def handler():
    if handler_name is None or _lib.swap_allocator() is None:
        if os.environ.get("XOVAIO32_REQUIRE_BULK"):
            pytest.fail("the compiled memory handler is not there")
        pytest.skip("no compiled memory handler (scripts/test builds it)")
    return handler_name()


def test_read_builds_every_column_with_it_and_puts_numpy_back(tmp_path, handler):
    n = 300_000  # two numeric columns pass the size that gets its own mapping
    rng = np.random.default_rng(3)
    df = pd.DataFrame({"a": rng.normal(size=n), "s": rng.choice(["yes", "no", ""], n),
                       "b": rng.integers(0, 9, n).astype(float)})
    path = str(tmp_path / "big.data")
    xovaio32.write(df, path)
    back, _ = xovaio32.read(path)
    pd.testing.assert_frame_equal(back, df)
    assert {made_by(back[c].values) for c in back.columns} == {OURS}
    assert handler_name() == handler

    damaged = str(tmp_path / "short.data")
    with open(path, "rb") as f, open(damaged, "wb") as g:
        g.write(f.read()[:-4000])
    with pytest.raises(xovaio32.Error):
        xovaio32.read(damaged)
    assert handler_name() == handler


def test_its_arrays_behave_like_any_other(handler):
    text = "".join(["a value shared by many cells ", str(id(handler))])
    refs = sys.getrefcount(text)
    with _lib.huge_pages():
        zeros = np.zeros(1 << 20)                       # a mapping, zeroed
        objects = np.empty(1 << 20, dtype=object)       # zeroed, then None
        grown = np.arange(100.0)
        grown.resize(1 << 20, refcheck=False)           # from malloc to a mapping
        shrunk = np.arange(float(1 << 20))
        shrunk.resize(10, refcheck=False)               # from a mapping to malloc
        small = np.arange(7)
        assert handler_name() == OURS
    assert handler_name() == handler
    assert {handler_name(a) for a in (zeros, objects, grown, shrunk, small)} == {OURS}
    assert not zeros.any() and all(v is None for v in objects[::4099])
    np.testing.assert_array_equal(grown[:100], np.arange(100.0))
    assert not grown[100:].any()
    np.testing.assert_array_equal(shrunk, np.arange(10.0))
    objects[:] = text
    assert sys.getrefcount(text) == refs + len(objects)
    del objects
    assert sys.getrefcount(text) == refs


def test_other_threads_keep_numpys_handler(handler):
    inside, done = threading.Event(), threading.Event()
    seen = []

    def other():
        inside.wait(10)
        seen.append(handler_name(np.empty(1 << 20)))
        done.set()

    t = threading.Thread(target=other)
    t.start()
    with _lib.huge_pages():
        inside.set()
        done.wait(10)
    t.join()
    assert seen == [handler]


def test_without_it_read_gives_the_same_frame(survey, monkeypatch, handler):
    path, _ = survey
    with_it, _ = xovaio32.read(path)
    monkeypatch.setattr(_lib, "swap_allocator", lambda: None)
    without, _ = xovaio32.read(path)
    pd.testing.assert_frame_equal(with_it, without)
    assert made_by(without["age"].values) == handler
