"""Errors, warnings and how the library is found."""

import os
import shutil
import subprocess
import sys

import pytest

import xovaio32
from conftest import PKG


def test_missing_and_foreign_files_raise_with_code_name_and_path(tmp_path):
    missing = str(tmp_path / "nosuch.data")
    with pytest.raises(xovaio32.FileError) as info:
        xovaio32.read(missing)
    err = info.value
    assert (err.code, err.name, err.path) == (1, "XOVA_FILE_OPEN_ERROR", missing)
    assert missing in str(err) and "XOVA_FILE_OPEN_ERROR" in str(err)
    text = tmp_path / "notes.data"
    text.write_bytes(b"name,age\nann,34\n" * 20)
    with pytest.raises(xovaio32.Error) as info:
        xovaio32.open(str(text))
    assert info.value.name == "XOVA_BAD_FILE" and info.value.code == 6


def test_library_warnings_become_python_warnings(tmp_path):
    path = str(tmp_path / "warn.data")
    with xovaio32.create(path) as w:
        with pytest.warns(xovaio32.XovaWarning) as rec:
            w.set_file_label("L" * 70)
            w.add_numeric("x", label="y" * 300, value_labels={1: "z" * 61})
    assert {r.message.name for r in rec} == {"XOVA_TRUNCATED", "XOVA_VAR_LABEL_TRUNCATED",
                                             "XOVA_LABEL_TRUNCATED"}
    _, meta = xovaio32.read(path)
    assert meta.file_label == "L" * 64
    assert meta.variables["x"].label == "y" * 256
    assert meta.variables["x"].value_labels == {1.0: "z" * 60}


def test_code_names_match_the_header():
    header = open(os.path.join(os.path.dirname(PKG), "include", "xovaio32.h")).read()
    from xovaio32._errors import CODE_NAMES
    for code, name in CODE_NAMES.items():
        if code:
            literal = f"({code})" if code < 0 else str(code)
            assert f"#define {name} {literal}\n" in header, name


def _probe(env, cwd, code="import xovaio32; print(xovaio32.library_path())"):
    return subprocess.run([sys.executable, "-c", code], env=env, cwd=cwd,
                          capture_output=True, text=True, timeout=60)


def test_library_search_order(tmp_path):
    lib = os.environ["XOVAIO32_LIBRARY"]
    # a copy of the package with a library inside it
    pkg = tmp_path / "site" / "xovaio32"
    shutil.copytree(os.path.join(PKG, "xovaio32"), pkg,
                    ignore=shutil.ignore_patterns("libxovaio32.so*", "__pycache__"))
    shutil.copyfile(lib, pkg / "libxovaio32.so")
    env = {k: v for k, v in os.environ.items() if k not in ("XOVAIO32_LIBRARY", "PYTHONPATH")}
    env["PYTHONPATH"] = str(tmp_path / "site")
    out = _probe(env, str(tmp_path))
    assert out.returncode == 0, out.stderr
    assert out.stdout.strip() == str(pkg / "libxovaio32.so")
    # the environment variable comes first
    other = tmp_path / "elsewhere"
    other.mkdir()
    shutil.copyfile(lib, other / "libxovaio32.so")
    out = _probe(dict(env, XOVAIO32_LIBRARY=str(other / "libxovaio32.so")), str(tmp_path))
    assert out.stdout.strip() == str(other / "libxovaio32.so"), out.stderr
    # then the system's search path, when the package holds none
    (pkg / "libxovaio32.so").unlink()
    out = _probe(dict(env, LD_LIBRARY_PATH=str(other)), str(tmp_path))
    assert out.returncode == 0, out.stderr
    assert "libxovaio32.so" in out.stdout
    # a wrong explicit choice is reported, not replaced
    bad = str(tmp_path / "none.so")
    out = _probe(dict(env, XOVAIO32_LIBRARY=bad, LD_LIBRARY_PATH=str(other)), str(tmp_path))
    assert out.returncode != 0 and bad in out.stderr and "XOVAIO32_LIBRARY" in out.stderr


def test_help_documents_the_api():
    text = subprocess.run([sys.executable, "-c", "import xovaio32; help(xovaio32)"],
                          capture_output=True, text=True, timeout=60,
                          env=dict(os.environ, PAGER="cat")).stdout
    for name in ("read(path", "write(df", "read_dask(", "class Reader", "class Writer",
                 "class Metadata", "class Error", "XOVAIO32_LIBRARY"):
        assert name in text, name


def test_errors_survive_pickling_with_their_fields(tmp_path):
    import pickle
    with pytest.raises(xovaio32.FileError) as info:
        xovaio32.read(str(tmp_path / "nosuch.data"))
    back = pickle.loads(pickle.dumps(info.value))
    assert type(back) is xovaio32.FileError and str(back) == str(info.value)
    assert (back.code, back.name, back.path) == (1, "XOVA_FILE_OPEN_ERROR", info.value.path)
    w = pickle.loads(pickle.dumps(xovaio32.XovaWarning(-4, "cut")))
    assert (w.code, w.name, str(w)) == (-4, "XOVA_LABEL_TRUNCATED", "cut")
