"""Threads sharing the library, and dask partitions read by their own handles."""

import concurrent.futures
import os

import numpy as np
import pandas as pd
import pytest

import xovaio32
from conftest import survey_frame


@pytest.fixture(scope="module")
def big(tmp_path_factory):
    """A file of a few partitions' worth of cases."""
    path = str(tmp_path_factory.mktemp("dask") / "big.data")
    df = pd.concat([survey_frame(40)] * 250, ignore_index=True)
    xovaio32.write(df, path)
    return path, xovaio32.read(path)[0]


def test_threads_open_read_write_and_close_at_once(big, tmp_path):
    path, expected = big

    def work(i):
        out = str(tmp_path / f"t{i}.data")
        for _ in range(3):
            df, meta = xovaio32.read(path, rows=(i * 100, i * 100 + 900))
            pd.testing.assert_frame_equal(df, expected.iloc[i * 100:i * 100 + 900])
            xovaio32.write(df, out, metadata=meta)
            with xovaio32.open(out) as r:
                assert len(r) == 900
        return i

    with concurrent.futures.ThreadPoolExecutor(8) as pool:
        assert sorted(pool.map(work, range(16))) == list(range(16))
    assert len([f for f in os.listdir(tmp_path) if f.endswith(".data")]) == 16


def test_one_reader_shared_by_threads_gives_every_case_once(big):
    path, expected = big
    with xovaio32.open(path) as r:
        def grab(_):
            parts = []
            while True:
                batch = r.read_batch(97)
                if batch.empty:
                    return parts
                parts.append(batch)
        with concurrent.futures.ThreadPoolExecutor(4) as pool:
            batches = [b for parts in pool.map(grab, range(4)) for b in parts]
    got = pd.concat(batches).sort_index()
    pd.testing.assert_frame_equal(got, expected)


@pytest.mark.parametrize("scheduler", ["threads", "processes"])
def test_read_dask_on_local_schedulers(big, scheduler):
    dd = pytest.importorskip("dask.dataframe")
    path, expected = big
    ddf = xovaio32.read_dask(path, npartitions=4)
    assert ddf.npartitions == 4 and ddf.known_divisions
    pd.testing.assert_frame_equal(ddf.compute(scheduler=scheduler), expected)
    part = xovaio32.read_dask(path, npartitions=3, columns=["sex", "age"], user_missing=True)
    pd.testing.assert_frame_equal(part.compute(scheduler=scheduler),
                                  xovaio32.read(path, columns=["age", "sex"],
                                                user_missing=True)[0])
    assert isinstance(ddf, dd.DataFrame)


@pytest.mark.filterwarnings("ignore::DeprecationWarning")  # raised inside distributed
def test_read_dask_on_a_local_cluster(big):
    distributed = pytest.importorskip("distributed")
    path, expected = big
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  host="127.0.0.1", dashboard_address=None,
                                  silence_logs=40) as cluster, \
            distributed.Client(cluster, timeout=60) as client:
        ddf = xovaio32.read_dask(path, npartitions=5)
        got = client.compute(ddf).result(timeout=120)
    pd.testing.assert_frame_equal(got, expected)


def test_read_dask_edge_cases(tmp_path):
    pytest.importorskip("dask.dataframe")
    path = str(tmp_path / "small.data")
    df = pd.DataFrame({"a": np.arange(3.0)})
    xovaio32.write(df, path)
    pd.testing.assert_frame_equal(xovaio32.read_dask(path, npartitions=10).compute(), df)
    pd.testing.assert_frame_equal(xovaio32.read_dask(path).compute(), df)
    empty = str(tmp_path / "empty.data")
    xovaio32.write(df.iloc[:0], empty)
    assert len(xovaio32.read_dask(empty, npartitions=2).compute()) == 0
    with pytest.raises(ValueError):
        xovaio32.read_dask(path, npartitions=0)


def test_read_dask_reports_a_damaged_partition_from_a_worker_process(big, tmp_path):
    pytest.importorskip("dask.dataframe")
    path, _ = big
    cut = str(tmp_path / "cut.data")
    data = open(path, "rb").read()
    open(cut, "wb").write(data[:len(data) * 3 // 4])
    ddf = xovaio32.read_dask(cut, npartitions=4)
    with pytest.raises(xovaio32.FileError) as info:
        ddf.compute(scheduler="processes")
    assert info.value.name == "XOVA_BAD_CASE_DATA" and info.value.path == cut
