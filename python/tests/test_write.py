"""write(), create() and append(): round trips and refusals."""

import dataclasses
import math
import os
import stat
import warnings

import numpy as np
import pandas as pd
import pytest

import xovaio32
from conftest import RAW_TEXT


def _same_dictionary(a, b):
    skip = {"documents", "created", "path"}
    for f in dataclasses.fields(a):
        if f.name not in skip:
            assert getattr(a, f.name) == getattr(b, f.name), f.name


@pytest.mark.parametrize("which", ["survey", "survey_raw"])
def test_round_trip_keeps_dictionary_and_values(which, request, tmp_path):
    path, _ = request.getfixturevalue(which)
    df, meta = xovaio32.read(path, user_missing=True)
    copy = str(tmp_path / "copy.data")
    xovaio32.write(df, copy, metadata=meta, compress=meta.compressed)
    df2, meta2 = xovaio32.read(copy, user_missing=True)
    pd.testing.assert_frame_equal(df, df2)
    _same_dictionary(meta, meta2)
    # string bytes come back exactly, undecodable ones included
    assert RAW_TEXT in df2["LongVariableName_answer"].tolist()
    # and once more from the categorical view
    cats, _ = xovaio32.read(path, user_missing=True, value_labels=True)
    again = str(tmp_path / "again.data")
    xovaio32.write(cats, again, metadata=meta)
    df3, meta3 = xovaio32.read(again, user_missing=True)
    pd.testing.assert_frame_equal(df, df3)
    _same_dictionary(meta, meta3)


def test_dtypes_and_keyword_arguments(tmp_path):
    path = str(tmp_path / "kw.data")
    df = pd.DataFrame({
        "n": [1, 2, 3],
        "flag": [True, False, True],
        "x": [0.5, np.nan, -1e300],
        "nullable": pd.array([1, None, 3], dtype="Int64"),
        "city": ["Hamburg", None, "Köln"],
        "grade": pd.Categorical(["b", "a", None], categories=["a", "b", "c"]),
    })
    xovaio32.write(df, path, file_label="Wave 3", compress=False,
                   variable_labels={"n": "Number"},
                   value_labels={"n": {1: "one"}, "city": {"Hamburg": "HH"}},
                   missing={"n": {"values": [3]}, "x": {"range": (-math.inf, -1),
                                                         "values": [0.5]}})
    back, meta = xovaio32.read(path, user_missing=True)
    assert meta.file_label == "Wave 3" and not meta.compressed
    assert back["n"].tolist() == [1.0, 2.0, 3.0] and back["flag"].tolist() == [1.0, 0.0, 1.0]
    assert back["x"][0] == 0.5 and np.isnan(back["x"][1])
    assert back["nullable"][0] == 1 and np.isnan(back["nullable"][1])
    assert back["city"].tolist() == ["Hamburg", "", "Köln"]
    assert meta.variables["city"].width == len("Hamburg")
    assert back["grade"].tolist()[:2] == [2.0, 1.0] and np.isnan(back["grade"][2])
    v = meta.variables
    assert v["grade"].value_labels == {1.0: "a", 2.0: "b", 3.0: "c"}
    assert v["n"].label == "Number" and v["n"].value_labels == {1.0: "one"}
    assert v["n"].missing_values == (3.0,) and v["n"].print_format == (5, 8, 0)
    assert v["x"].missing_range == (-math.inf, -1.0) and v["x"].missing_values == (0.5,)
    assert v["city"].value_labels == {"Hamburg": "HH"}
    masked, _ = xovaio32.read(path)
    assert np.isnan(masked["n"][2]) and np.isnan(masked["x"][0])


def _no_leftovers(directory):
    return [f for f in os.listdir(directory) if f.endswith(".tmp")]


@pytest.mark.parametrize("frame, kwargs, words", [
    (pd.DataFrame({"1st": [1.0]}), {}, ["'1st'", "first character"]),
    (pd.DataFrame({"a b": [1.0]}), {}, ["'a b'", "character"]),
    (pd.DataFrame({"AND": [1.0]}), {}, ["'AND'", "reserved"]),
    (pd.DataFrame({"s": ["ok", "x" * 256]}), {}, ["'s'", "row 1", "256 bytes"]),
    (pd.DataFrame({"x": [1.0]}), {"missing": {"x": {"values": [1, 2, 3, 4]}}}, ["three"]),
    (pd.DataFrame({"x": [1.0]}), {"missing": {"x": {"range": (5, 1)}}},
     ["XOVA_BAD_MISSING_FORMAT"]),
    (pd.DataFrame({"long": ["abcdefghij"]}), {"value_labels": {"long": {"a": "A"}}},
     ["XOVA_STRING_TOO_WIDE"]),
    (pd.DataFrame({"t": pd.to_datetime(["2020-01-01"])}), {}, ["'t'"]),
    (pd.DataFrame({"z": [1 + 2j]}), {}, ["'z'", "complex"]),
    (pd.DataFrame({"s": ["ok", "\ud800"]}), {}, ["'s'", "row 1", "utf-8"]),
    (pd.DataFrame({"s": ["K\u00f6ln", "\u65e5"]}), {"encoding": "latin-1"},
     ["'s'", "row 1", "latin-1"]),
])
def test_refusals_name_the_column_and_leave_no_file(tmp_path, frame, kwargs, words):
    path = str(tmp_path / "out.data")
    with pytest.raises(xovaio32.Error) as info:
        xovaio32.write(frame, path, **kwargs)
    for w in words:
        assert w in str(info.value)
    assert not os.path.exists(path) and _no_leftovers(tmp_path) == []


def test_metadata_width_is_kept_and_enforced(tmp_path):
    meta = xovaio32.Metadata(variables={"s": xovaio32.Variable("s", width=20)})
    path = str(tmp_path / "w.data")
    xovaio32.write(pd.DataFrame({"s": ["abc"]}), path, metadata=meta)
    assert xovaio32.read(path)[1].variables["s"].width == 20
    meta.variables["s"].width = 2
    with pytest.raises(xovaio32.Error, match="row 0"):
        xovaio32.write(pd.DataFrame({"s": ["abc"]}), str(tmp_path / "x.data"), metadata=meta)


def test_failed_write_keeps_an_existing_file(tmp_path):
    path = str(tmp_path / "keep.data")
    xovaio32.write(pd.DataFrame({"a": [1.0, 2.0]}), path)
    before = open(path, "rb").read()
    with pytest.raises(xovaio32.Error):
        xovaio32.write(pd.DataFrame({"a": ["x" * 300]}), path)
    assert open(path, "rb").read() == before and _no_leftovers(tmp_path) == []


def test_create_write_rows_and_append(tmp_path):
    path = str(tmp_path / "stream.data")
    with xovaio32.create(path, compress=True, file_label="log") as w:
        w.add_numeric("id")
        w.add_string("note", 10, label="Note")
        w.write_row([1, "first"])
        w.write_row({"id": 2})
        w.write_rows([[3, "third"], [None, None]])
        w.write_rows(pd.DataFrame({"note": ["df"], "id": [5]}))
        with pytest.raises(xovaio32.DictionaryError):
            w.add_numeric("late")
        with pytest.raises(xovaio32.Error, match="wider than 10"):
            w.write_row([6, "x" * 11])
        assert not os.path.exists(path)  # appears when closed
    df, meta = xovaio32.read(path)
    assert df["id"].tolist()[:3] == [1.0, 2.0, 3.0] and np.isnan(df["id"][3])
    assert df["note"].tolist() == ["first", "", "third", "", "df"]
    with xovaio32.append(path) as w:
        assert list(w.variables) == ["id", "note"]
        w.write_rows(pd.DataFrame({"id": [7.0, 8.0], "note": ["a", "b"]}))
        w.write_row([9, "c"])
    df2, meta2 = xovaio32.read(path)
    assert len(df2) == 8 and df2["id"].tolist()[5:] == [7.0, 8.0, 9.0]
    assert meta2.variables["note"].label == "Note" and meta2.file_label == "log"
    pd.testing.assert_frame_equal(df2.iloc[:5], df)


def test_abandoned_create_leaves_nothing(tmp_path):
    path = str(tmp_path / "gone.data")
    with pytest.raises(RuntimeError):
        with xovaio32.create(path) as w:
            w.add_numeric("a")
            w.write_row([1])
            raise RuntimeError("stop")
    assert os.listdir(tmp_path) == []
    w = xovaio32.create(path)
    w.add_numeric("a")
    del w  # never closed: the temporary file goes with the writer
    import gc
    gc.collect()
    assert os.listdir(tmp_path) == []


def test_empty_frame_and_no_rows(tmp_path):
    path = str(tmp_path / "empty.data")
    empty = pd.DataFrame({"a": pd.Series([], dtype=float), "s": pd.Series([], dtype=object)})
    xovaio32.write(empty, path)
    df, meta = xovaio32.read(path)
    assert len(df) == 0 and list(df.columns) == ["a", "s"] and meta.n_cases == 0
    with pytest.raises(xovaio32.Error, match="XOVA_EMPTY_DICTIONARY"):
        xovaio32.write(pd.DataFrame(), str(tmp_path / "none.data"))


def test_output_paths_that_cannot_be_written(tmp_path):
    frame = pd.DataFrame({"a": [1.0]})
    with pytest.raises(xovaio32.FileError, match="name is empty"):
        xovaio32.write(frame, "")
    for target in (tmp_path, tmp_path / "nosuch" / "x.data"):
        with pytest.raises(xovaio32.FileError) as info:
            xovaio32.write(frame, str(target))
        assert info.value.path == str(target)
    # the name turns into a directory while the file is being written
    path = tmp_path / "late.data"
    w = xovaio32.create(str(path))
    w.add_numeric("a")
    w.write_row([1])
    path.mkdir()
    with pytest.raises(xovaio32.FileError, match="into place"):
        w.close()
    assert os.listdir(tmp_path) == ["late.data"] and os.listdir(path) == []


def test_values_that_do_not_fit_are_named_or_warned(tmp_path):
    path = str(tmp_path / "big.data")
    exact = [2**53, -2**53, 2**60, 7]
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        xovaio32.write(pd.DataFrame({"i": np.array(exact, dtype=np.int64)}), path)
    assert xovaio32.read(path)[0]["i"].tolist() == [float(v) for v in exact]
    with pytest.warns(xovaio32.XovaWarning, match="'i'.*9007199254740993") as rec:
        xovaio32.write(pd.DataFrame({"i": np.array([1, 2**53 + 1], dtype=np.int64)}), path)
    assert rec[0].message.name == "INEXACT_NUMBER" and rec[0].filename == __file__
    with pytest.warns(xovaio32.XovaWarning, match="'u'"):
        xovaio32.write(pd.DataFrame({"u": np.array([2**64 - 1], dtype=np.uint64)}), path)
    with pytest.warns(xovaio32.XovaWarning, match="'n'"):
        xovaio32.write(pd.DataFrame({"n": pd.array([None, 2**62 + 1], dtype="Int64")}), path)
    with xovaio32.create(str(tmp_path / "rows.data")) as w:
        w.add_numeric("age")
        with pytest.raises(ValueError, match="'age', case 0: 'abc' is not a number"):
            w.write_row(["abc"])


def test_links_devices_and_pipes_are_not_replaced(tmp_path):
    frame = pd.DataFrame({"a": [1.0, 2.0]})
    (tmp_path / "real").mkdir()
    target = tmp_path / "real" / "t.data"
    target.write_bytes(b"old")
    link = tmp_path / "link.data"
    link.symlink_to(target)
    xovaio32.write(frame, str(link))
    assert link.is_symlink() and xovaio32.read(str(target))[0]["a"].tolist() == [1.0, 2.0]
    assert _no_leftovers(tmp_path) == [] and _no_leftovers(tmp_path / "real") == []
    fifo = tmp_path / "pipe"
    os.mkfifo(fifo)
    devnull = tmp_path / "null.data"
    devnull.symlink_to(os.devnull)
    for path in (fifo, devnull):
        with pytest.raises(xovaio32.FileError, match="not a regular file"):
            xovaio32.write(frame, str(path))
    assert stat.S_ISFIFO(os.lstat(fifo).st_mode) and devnull.is_symlink()
    assert stat.S_ISCHR(os.stat(os.devnull).st_mode)
