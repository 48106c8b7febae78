"""String columns: each distinct value decoded once, one shared str per
value, the cells filled by the compiled loop or by numpy alike."""

import os
import sys

import numpy as np
import pandas as pd
import pytest

import xovaio32
from xovaio32 import _lib
from conftest import RAW_TEXT


@pytest.fixture()
def filler():
    fill = _lib.object_filler()
    if fill is None:
        if os.environ.get("XOVAIO32_REQUIRE_BULK"):
            pytest.fail("the compiled object filler is not there")
        pytest.skip("no compiled loops (scripts/test builds them)")
    return fill


@pytest.mark.parametrize("compiled", [True, False])
def test_low_and_high_cardinality_give_the_exact_values(tmp_path, monkeypatch, compiled):
    n = 20_000
    rng = np.random.default_rng(11)
    few = np.array(["yes", "no", "", " lead", "in btw", "Grüße", RAW_TEXT],
                   dtype=object)[rng.integers(0, 7, n)]
    many = np.array([f"{'x ' * (i % 5)}{i:07d}" for i in range(n)], dtype=object)
    df = pd.DataFrame({"few": few, "many": many})
    path = str(tmp_path / "s.data")
    xovaio32.write(df, path, missing={"few": {"values": ["no"]}})
    if not compiled:
        monkeypatch.setattr(_lib, "object_filler", lambda: None)
    back, _ = xovaio32.read(path)
    expected = df.copy()
    expected.loc[expected["few"] == "no", "few"] = np.nan
    pd.testing.assert_frame_equal(back, expected)
    assert len({id(v) for v in back["few"]}) == 7  # one object per distinct value, NaN too
    kept, _ = xovaio32.read(path, user_missing=True)
    pd.testing.assert_frame_equal(kept, df)


def test_the_filler_counts_references_and_refuses_bad_codes(filler):
    values = ["".join(["shared ", str(i), " value"]) for i in range(3)]
    before = [sys.getrefcount(values[i]) for i in range(3)]
    cells = np.empty(1000, dtype=object)
    codes = np.arange(1000, dtype=np.int64) % 3
    filler(cells.ctypes.data, values, codes.ctypes.data, len(cells))
    added = [sys.getrefcount(values[i]) - before[i] for i in range(3)]
    assert added == [334, 333, 333]
    assert all(cells[i] is values[i % 3] for i in range(len(cells)))

    bad = codes.copy()
    bad[500] = 3
    with pytest.raises(ValueError, match="cell 500"):
        filler(cells.ctypes.data, values, bad.ctypes.data, len(cells))
    assert all(cells[i] is values[i % 3] for i in range(len(cells)))  # nothing changed
    del cells
    after = [sys.getrefcount(values[i]) for i in range(3)]
    assert after == before
