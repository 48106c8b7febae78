"""Damaged files raise xovaio32.Error; they never crash the interpreter.

The sweeps run in a child interpreter, so a crash shows up as a failed test
with the file that caused it instead of ending the test run."""

import json
import struct
import subprocess
import sys

import pandas as pd
import pytest

import xovaio32
from conftest import PKG

SWEEP = r"""
import json, os, random, sys, warnings
sys.path.insert(0, sys.argv[1])
import xovaio32
warnings.simplefilter("ignore")
src, scratch, mode = sys.argv[2], sys.argv[3], sys.argv[4]
data = open(src, "rb").read()
variants = []
if mode == "truncate":
    step = max(1, len(data) // 60)
    cuts = sorted(set(list(range(0, 400, 7)) + list(range(400, len(data), step))))
    variants = [(f"cut at {c}", data[:c]) for c in cuts if c < len(data)]
else:
    rng = random.Random(int(mode))
    for i in range(150):
        b = bytearray(data)
        for _ in range(rng.randint(1, 4)):
            at = rng.randrange(len(b)) if rng.random() < 0.3 else rng.randrange(min(len(b), 1200))
            b[at] = rng.randrange(256)
        variants.append((f"variant {i}", bytes(b)))
results = {"raised": 0, "read": 0, "appended": 0, "other": []}
path = os.path.join(scratch, "damaged.data")
for what, blob in variants:
    with open(path, "wb") as f:
        f.write(blob)
    print(what, flush=True)  # the last line names the culprit of a crash
    for action in ("read", "open", "append"):
        try:
            if action == "read":
                xovaio32.read(path, value_labels=True)
            elif action == "open":
                with xovaio32.open(path) as r:
                    for _ in r:
                        pass
            else:
                with xovaio32.append(path) as w:
                    pass
                results["appended"] += 1
                continue
            results["read"] += 1
        except xovaio32.Error:
            results["raised"] += 1
        except Exception as exc:
            results["other"].append(f"{what}, {action}: {type(exc).__name__}: {exc}")
print(json.dumps(results))
"""


def _sweep(src, tmp_path, mode):
    out = subprocess.run([sys.executable, "-c", SWEEP, PKG, src, str(tmp_path), mode],
                         capture_output=True, text=True, timeout=300)
    assert out.returncode == 0, (f"the interpreter died ({out.returncode}) after: "
                                 f"{out.stdout.splitlines()[-1:]}\n{out.stderr[-2000:]}")
    return json.loads(out.stdout.splitlines()[-1])


@pytest.mark.parametrize("which", ["survey", "survey_raw"])
def test_every_truncation_raises(which, request, tmp_path):
    path, _ = request.getfixturevalue(which)
    res = _sweep(path, tmp_path, "truncate")
    assert res["other"] == []
    assert res["read"] == 0 and res["raised"] > 100


@pytest.mark.parametrize("seed", ["1", "2"])
def test_corrupted_bytes_raise_or_read_never_crash(survey, tmp_path, seed):
    path, _ = survey
    res = _sweep(path, tmp_path, seed)
    assert res["other"] == []
    assert res["raised"] > 0 and res["raised"] + res["read"] + res["appended"] == 150 * 3


def test_missing_cases_are_reported_with_the_count(tmp_path):
    path = str(tmp_path / "short.data")
    xovaio32.write(pd.DataFrame({"a": [1.0, 2.0, 3.0]}), path, compress=False)
    data = bytearray(open(path, "rb").read())
    data[80:84] = struct.pack("<i", 5)  # the header promises two more cases
    open(path, "wb").write(bytes(data))
    with pytest.raises(xovaio32.FileError) as info:
        xovaio32.read(path)
    assert info.value.name == "XOVA_BAD_CASE_DATA" and "after 3 of 5 cases" in str(info.value)
    # the cases that are there can still be read
    assert xovaio32.read(path, rows=(0, 3))[0]["a"].tolist() == [1.0, 2.0, 3.0]
