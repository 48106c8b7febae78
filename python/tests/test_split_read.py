"""Large reads of uncompressed files shared by a second handle, piece by
piece: the same frame, the same position and the same errors as reading
with one."""

import os
import threading
import time

import numpy as np
import pandas as pd
import pytest

import xovaio32
from xovaio32 import _lib, _reader

N = 5001  # not a multiple of the pieces, so they differ in size


def frame(n=N, seed=5):
    rng = np.random.default_rng(seed)
    x = rng.normal(size=n)
    x[::7] = np.nan
    return pd.DataFrame({"x": x, "s": rng.choice(["yes", "no", "", "Grüße"], n),
                         "k": rng.integers(0, 5, n).astype(float),
                         "id": [f"c{i}" for i in range(n)]})


@pytest.fixture()
def split(monkeypatch):
    """Counts the reads shared by a second handle, with every read large enough."""
    if _lib.load_bulk() is None:
        if os.environ.get("XOVAIO32_REQUIRE_BULK"):
            pytest.fail("the compiled case loops are not there")
        pytest.skip("no compiled case loops (scripts/test builds them)")
    monkeypatch.setattr(_reader, "SPLIT_BYTES", 0)
    monkeypatch.setattr(_reader, "SPLIT_MIN_CASES", 1)  # all 16 pieces
    monkeypatch.setattr(_reader, "_cpus", lambda: 2)
    shared = []
    helper = _reader.Reader._helper_handle

    def counting(self, n):
        h = helper(self, n)
        shared.append(h is not None)
        return h

    monkeypatch.setattr(_reader.Reader, "_helper_handle", counting)
    return shared


def write(path, df, compress):
    xovaio32.write(df, str(path), compress=compress)
    return str(path)


def test_same_frame_and_position(tmp_path, split):
    df = frame()
    path = write(tmp_path / "u.data", df, False)
    back, _ = xovaio32.read(path)
    pd.testing.assert_frame_equal(back, df)
    part, _ = xovaio32.read(path, rows=(17, N - 3), columns=["id", "x"])
    pd.testing.assert_frame_equal(part, df.iloc[17:N - 3][["x", "id"]])
    with xovaio32.open(path) as r:
        first = r.read_batch(2000)
        assert r.tell() == 2000
        rest = r.read_batch(N)
        assert r.tell() == N and r.read_batch(10).empty
    pd.testing.assert_frame_equal(pd.concat([first, rest]), df)
    assert split[:3] == [True, True, True]


def test_compressed_files_are_read_by_one_handle(tmp_path, split):
    df = frame(300)
    back, _ = xovaio32.read(write(tmp_path / "c.data", df, True))
    pd.testing.assert_frame_equal(back, df)
    assert split == [False]


@pytest.mark.parametrize("cut", [10, N // 2 + 3, N * 15 // 16 + 1, N - 1])
def test_a_short_file_fails_as_with_one_handle(tmp_path, monkeypatch, split, cut):
    """Cases cut off in the first piece, just past the middle, at the start
    of the last piece, or at the end."""
    path = write(tmp_path / "u.data", frame(), False)
    data = open(path, "rb").read()
    with xovaio32.open(path) as r:
        case = r._layout.case_size
    with open(path, "wb") as f:
        f.write(data[:len(data) - (N - cut) * case - 5])  # and part of the case before
    with pytest.raises(xovaio32.Error) as shared:
        xovaio32.read(path)
    monkeypatch.setattr(_reader, "SPLIT_BYTES", 1 << 62)
    with pytest.raises(xovaio32.Error) as alone:
        xovaio32.read(path)
    assert split[0] is True
    assert (type(shared.value), str(shared.value)) == (type(alone.value), str(alone.value))
    assert f"after {cut - 1} of {N}" in str(alone.value)


def test_a_path_that_names_another_file_now_is_not_shared(tmp_path, split):
    df = frame()
    path = write(tmp_path / "u.data", df, False)
    other = write(tmp_path / "other.data", frame(seed=6), False)
    with xovaio32.open(path) as r:
        os.replace(other, path)
        back = r.read_batch(N)
    pd.testing.assert_frame_equal(back, df)
    assert split == [False]


def test_a_helper_that_fails_leaves_its_pieces_to_the_caller(tmp_path, monkeypatch, split):
    df = frame()
    path = write(tmp_path / "u.data", df, False)
    real = _reader._Frame.read_direct
    helper_calls = []

    def failing_in_helper(self, h, bulk, lo, hi):
        if threading.current_thread() is not threading.main_thread():
            helper_calls.append(lo)
            raise RuntimeError("helper thread gives up")
        return real(self, h, bulk, lo, hi)

    monkeypatch.setattr(_reader._Frame, "read_direct", failing_in_helper)
    back, _ = xovaio32.read(path)
    pd.testing.assert_frame_equal(back, df)
    assert split == [True] and len(helper_calls) == 1


def test_a_failure_in_the_callers_thread_stops_the_helper(tmp_path, monkeypatch, split):
    path = write(tmp_path / "u.data", frame(), False)
    real = _reader._Frame.read_direct
    failed = threading.Event()
    helper_calls = []

    def interrupted(self, h, bulk, lo, hi):
        if threading.current_thread() is threading.main_thread():
            failed.set()
            raise KeyboardInterrupt
        helper_calls.append(lo)
        failed.wait(5)
        time.sleep(0.2)  # the caller's thread has then told the helper to stop
        return real(self, h, bulk, lo, hi)

    monkeypatch.setattr(_reader._Frame, "read_direct", interrupted)
    with pytest.raises(KeyboardInterrupt):
        xovaio32.read(path)
    assert split == [True] and len(helper_calls) == 1  # not the other 14 pieces
