"""read(), open() and Metadata against files written through the library."""

import datetime
import math
import os
import struct

import numpy as np
import pandas as pd
import pytest

import xovaio32
from conftest import RAW_TEXT


def test_dictionary_is_read_in_full(survey):
    path, _ = survey
    _, meta = xovaio32.read(path)
    assert list(meta.variables) == ["age", "income", "region", "LongVariableName_answer",
                                    "sex", "q1", "q2", "wt"]
    age = meta.variables["age"]
    assert (age.width, age.label, age.print_format) == (0, "Age in years", (5, 3, 0))
    assert age.write_format == (5, 8, 2)
    assert age.missing_values == (99.0,) and age.missing_range is None
    assert age.value_labels == {99.0: "Refused"}
    assert (age.measure, age.column_width, age.alignment) == (2, 6, 2)
    income = meta.variables["income"]
    assert income.missing_range == (-math.inf, 0.0) and income.missing_values == ()
    region = meta.variables["region"]
    assert region.width == 8 and region.missing_values == ("xx",)
    assert region.value_labels == {"north": "North", "south": "South"}
    assert meta.variables["LongVariableName_answer"].width == 40
    assert meta.file_label == "Household survey"
    assert meta.weight == "wt" and meta.compressed and meta.n_cases == 40
    assert isinstance(meta.created, datetime.datetime)
    assert abs(meta.created - datetime.datetime.now()) < datetime.timedelta(hours=2)
    assert meta.variable_sets == {"basics": ["age", "sex"]}
    owns = meta.mr_sets["$owns"]
    assert (owns.kind, owns.counted_value, owns.label, owns.variables) == \
        ("D", "1", "Owns", ["q1", "q2"])
    assert meta.documents == []


@pytest.mark.parametrize("which", ["survey", "survey_raw"])
def test_values_missing_and_strings(which, request):
    path, src = request.getfixturevalue(which)
    df, _ = xovaio32.read(path)
    assert list(df.columns) == list(src.columns)
    assert df["age"].dtype == np.float64 and df["region"].dtype == object
    # user-missing values become NaN, other values stay exact
    assert np.isnan(df["age"][3]) and np.isnan(df["age"][4])
    keep = ~src["age"].isin([99]) & src["age"].notna()
    assert (df["age"][keep] == src["age"][keep]).all()
    assert np.isnan(df["income"][5]) and df["income"][6] == 1.7976931348623157e308
    assert df["region"][7] is np.nan or pd.isna(df["region"][7])
    assert df["LongVariableName_answer"].tolist() == src["LongVariableName_answer"].tolist()
    assert RAW_TEXT in df["LongVariableName_answer"].tolist()
    kept, _ = xovaio32.read(path, user_missing=True)
    assert kept["age"][4] == 99.0 and kept["income"][5] == -5.0 and kept["region"][7] == "xx"
    assert np.isnan(kept["age"][3])
    pd.testing.assert_frame_equal(kept, src, check_dtype=False)


def test_columns_and_rows(survey):
    path, _ = survey
    full, _ = xovaio32.read(path)
    df, _ = xovaio32.read(path, columns=["sex", "age", "region"])
    assert list(df.columns) == ["age", "region", "sex"]  # dictionary order
    pd.testing.assert_frame_equal(df, full[["age", "region", "sex"]])
    part, _ = xovaio32.read(path, rows=(5, 12))
    pd.testing.assert_frame_equal(part, full.iloc[5:12])
    assert list(part.index) == list(range(5, 12))
    tail, _ = xovaio32.read(path, rows=(35, None))
    pd.testing.assert_frame_equal(tail, full.iloc[35:])
    past, _ = xovaio32.read(path, rows=(30, 500))
    assert len(past) == 10
    assert len(xovaio32.read(path, rows=(40, 40))[0]) == 0
    with pytest.raises(KeyError, match="nosuch"):
        xovaio32.read(path, columns=["nosuch"])
    with pytest.raises(ValueError):
        xovaio32.read(path, rows=(5, 2))
    # beyond the last case the range is empty, with or without its end
    assert len(xovaio32.read(path, rows=(50, None))[0]) == 0
    assert len(xovaio32.read(path, rows=(50, 60))[0]) == 0
    assert len(xovaio32.read(path, rows=(np.int64(5), np.int32(7)))[0]) == 2
    for bad in [(None, 3), (1, 2, 3), 3, ("a", None), (1.5, 3), (1, 2.0)]:
        with pytest.raises(ValueError, match="rows must be"):
            xovaio32.read(path, rows=bad)


def test_value_labels_as_categoricals(survey):
    path, src = survey
    df, _ = xovaio32.read(path, value_labels=True)
    sex = df["sex"]
    assert isinstance(sex.dtype, pd.CategoricalDtype)
    assert list(sex.cat.categories) == ["male", "female", "3"]
    assert sex[8] == "3" and set(sex) == {"male", "female", "3"}
    assert (sex[src["sex"] == 1] == "male").all()
    region = df["region"]
    assert isinstance(region.dtype, pd.CategoricalDtype)
    assert {"North", "South", "east", ""} <= set(region.cat.categories)
    assert pd.isna(region[7])  # user-missing stays missing
    assert df["income"].dtype == np.float64  # no labels: unchanged
    assert pd.isna(df["age"][3])


def test_streaming_reader(survey):
    path, _ = survey
    full, _ = xovaio32.read(path, user_missing=True)
    with xovaio32.open(path) as r:
        assert len(r) == 40
        assert r.metadata.variables["wt"].width == 0
        first = r.read_batch(15, user_missing=True)
        pd.testing.assert_frame_equal(first, full.iloc[:15])
        rest = list(r)
        assert len(rest) == 25
        assert rest[0][:2] == tuple(full.iloc[15][:2])
        r.seek(38)
        assert r.tell() == 38
        assert len(r.read_batch(10)) == 2
        assert len(r.read_batch(10)) == 0
        r.seek(0)
        rows = list(r)
        assert len(rows) == 40 and isinstance(rows[0][2], str)
        with pytest.raises(IndexError):
            r.seek(41)
        with pytest.raises(TypeError):
            r.seek(1.5)
        assert r.tell() == 40  # unmoved
    assert r.closed
    with pytest.raises(ValueError, match="closed"):
        r.read_batch(1)


def test_documents_and_unknown_case_count(tmp_path):
    """Documents come from the file's document record; a header whose case
    count is unknown (-1) still gives every case."""
    path = str(tmp_path / "docs.data")
    df = pd.DataFrame({"a": np.arange(50.0), "b": np.arange(50.0) * 2})
    xovaio32.write(df, path)
    data = bytearray(open(path, "rb").read())
    lines = [b"First line of notes".ljust(80), b"Zweite Zeile: \xc3\xbc".ljust(80)]
    record = struct.pack("<ii", 6, 2) + b"".join(lines)
    at = 176 + 2 * 32  # after the two variable records
    data[at:at] = record
    data[80:84] = struct.pack("<i", -1)
    open(path, "wb").write(bytes(data))
    back, meta = xovaio32.read(path)
    assert meta.documents == ["First line of notes", "Zweite Zeile: ü"]
    assert meta.n_cases == 50
    pd.testing.assert_frame_equal(back, df)


def test_per_case_fallback_gives_the_same_frame(survey, monkeypatch):
    from xovaio32 import _lib
    path, _ = survey
    fast, _ = xovaio32.read(path)
    monkeypatch.setattr(_lib, "load_bulk", lambda: None)
    slow, _ = xovaio32.read(path)
    pd.testing.assert_frame_equal(fast, slow)


def test_compiled_case_loop_is_used_when_required():
    from xovaio32 import _lib
    if os.environ.get("XOVAIO32_REQUIRE_BULK"):
        assert _lib.load_bulk() is not None
    else:
        pytest.skip("XOVAIO32_REQUIRE_BULK not set (scripts/test sets it)")


def test_many_cases_cross_chunk_boundaries(tmp_path):
    n = (1 << 16) * 2 + 123  # past the compiled loop's steps and the per-case chunks
    rng = np.random.default_rng(1)
    df = pd.DataFrame({"x": rng.normal(size=n), "s": rng.choice(["a", "bb", "ccc"], n),
                       "k": rng.integers(-99, 151, n).astype(float),
                       "u": [f"id{i}" for i in range(n)]})  # all distinct
    path = str(tmp_path / "big.data")
    xovaio32.write(df, path)
    back, meta = xovaio32.read(path)
    assert meta.n_cases == n
    pd.testing.assert_frame_equal(back, df)
    mid, _ = xovaio32.read(path, rows=(n // 3, n - 5))
    pd.testing.assert_frame_equal(mid, df.iloc[n // 3:n - 5])


@pytest.mark.parametrize("bulk", [True, False])
def test_bytes_past_a_string_width_are_ignored(tmp_path, monkeypatch, bulk):
    """Another writer may leave anything after a value within its last
    8-byte element; it is not part of the value."""
    from xovaio32 import _lib
    path = str(tmp_path / "pad.data")
    xovaio32.write(pd.DataFrame({"s": ["abc", "abc", "xy"], "n": [1.0, 2.0, 3.0]}), path,
                   compress=False)
    data = bytearray(open(path, "rb").read())
    start = len(data) - 3 * 16
    data[start + 3:start + 8] = b"\x00junk"
    data[start + 16 + 3:start + 16 + 8] = b"other"
    open(path, "wb").write(bytes(data))
    if not bulk:
        monkeypatch.setattr(_lib, "load_bulk", lambda: None)
    df, _ = xovaio32.read(path)
    assert df["s"].tolist() == ["abc", "abc", "xy"]
    assert df["s"][0] is df["s"][1]  # one shared str per distinct value
