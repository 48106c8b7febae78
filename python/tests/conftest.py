"""Shared fixtures: the package from this tree, the library from the build,
and a survey file with every kind of dictionary entry."""

import math
import os
import sys

import numpy as np
import pandas as pd
import pytest

PKG = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ROOT = os.path.dirname(PKG)
sys.path.insert(0, PKG)
# Worker processes (dask) import the package the same way.
os.environ["PYTHONPATH"] = os.pathsep.join(p for p in (PKG, os.environ.get("PYTHONPATH")) if p)
if not os.environ.get("XOVAIO32_LIBRARY"):
    built = os.path.join(ROOT, "build", "libxovaio32.so")
    if os.path.exists(built):
        os.environ["XOVAIO32_LIBRARY"] = built

import xovaio32  # noqa: E402

# A string that is not valid UTF-8: kept through surrogateescape.
RAW_TEXT = b"caf\xe9".decode("utf-8", "surrogateescape")


def survey_frame(n=40):
    rng = np.random.default_rng(7)
    age = rng.integers(18, 90, n).astype(float)
    age[3] = np.nan            # system-missing
    age[4] = 99.0              # user-missing (discrete)
    income = rng.normal(3000, 800, n)
    income[5] = -5.0           # user-missing (range -inf..0)
    income[6] = 1.7976931348623157e308   # HIGHEST as a plain value
    region = rng.choice(["north", "south", "east", ""], n).astype(object)
    region[7] = "xx"           # user-missing string
    answer = rng.choice(["yes", "no", "Grüße aus Köln", RAW_TEXT, "  leading"], n).astype(object)
    sex = rng.integers(1, 3, n).astype(float)
    sex[8] = 3.0               # a value without a label
    return pd.DataFrame({"age": age, "income": income, "region": region,
                         "LongVariableName_answer": answer, "sex": sex,
                         "q1": rng.integers(0, 2, n).astype(float),
                         "q2": rng.integers(0, 2, n).astype(float),
                         "wt": rng.uniform(0.5, 2, n)})


def write_survey(path, n=40, compress=True):
    df = survey_frame(n)
    with xovaio32.create(path, compress=compress, file_label="Household survey") as w:
        w.add_numeric("age", label="Age in years", print_format=(5, 3, 0),
                      missing_values=[99], value_labels={99: "Refused"}, measure=2,
                      column_width=6, alignment=2)
        w.add_numeric("income", label="Monthly income", missing_range=(-math.inf, 0))
        w.add_string("region", 8, missing_values=["xx"],
                     value_labels={"north": "North", "south": "South"})
        w.add_string("LongVariableName_answer", 40, label="Free answer")
        w.add_numeric("sex", value_labels={1: "male", 2: "female"})
        w.add_numeric("q1", value_labels={0: "no", 1: "yes"})
        w.add_numeric("q2", value_labels={0: "no", 1: "yes"})
        w.add_numeric("wt")
        w.set_weight("wt")
        w.set_mr_sets({"$owns": xovaio32.MultipleResponseSet(
            kind="D", counted_value="1", label="Owns", variables=["q1", "q2"])})
        w.set_variable_sets({"basics": ["age", "sex"]})
        w.write_rows(df)
    return df


@pytest.fixture(scope="session")
def survey(tmp_path_factory):
    """(path, the frame written) of a compressed 40-case survey file."""
    path = str(tmp_path_factory.mktemp("survey") / "survey.data")
    return path, write_survey(path)


@pytest.fixture(scope="session")
def survey_raw(tmp_path_factory):
    """The same survey, uncompressed."""
    path = str(tmp_path_factory.mktemp("survey_raw") / "survey.data")
    return path, write_survey(path, compress=False)
