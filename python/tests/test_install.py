"""pip install ./python with Debian's pip, no index and no build isolation:
it bundles a given or built library, or relies on an installed one."""

import os
import shutil
import subprocess
import sys

import pytest

from conftest import PKG, ROOT

PROBE = ("import xovaio32, pandas as pd; "
         "xovaio32.write(pd.DataFrame({'a': [1.5]}), 'p.data'); "
         "print(xovaio32.library_path()); print(xovaio32.read('p.data')[0]['a'][0]); "
         "print(xovaio32._lib.load_bulk() is not None and "
         "xovaio32._lib.object_filler() is not None)")


def _venv(tmp_path):
    venv = tmp_path / "venv"
    subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", str(venv)],
                   check=True, timeout=300)
    return str(venv / "bin" / "python")


def _install(py, source, env, timeout=300):
    out = subprocess.run([py, "-m", "pip", "install", "--no-build-isolation", "--no-index",
                          "--no-cache-dir", "-q", source], env=env, capture_output=True,
                         text=True, timeout=timeout)
    assert out.returncode == 0, out.stdout + out.stderr
    return out


def _run(py, cwd, env):
    out = subprocess.run([py, "-c", PROBE], cwd=cwd, env=env, capture_output=True, text=True,
                         timeout=120)
    assert out.returncode == 0, out.stderr
    return out.stdout.split()


def _source_tree(tmp_path, with_library_sources):
    """A copy of the package (and the library's sources, if asked) without
    any build, so nothing can be picked up from this checkout."""
    src = tmp_path / "src"
    shutil.copytree(PKG, src / "python", ignore=shutil.ignore_patterns(
        "build", "*.so", "__pycache__", "*.egg-info", "tests"))
    shutil.copytree(os.path.join(ROOT, "include"), src / "include")
    if with_library_sources:
        for d in ("src", "cmake"):
            if os.path.isdir(os.path.join(ROOT, d)):
                shutil.copytree(os.path.join(ROOT, d), src / d)
        for f in ("CMakeLists.txt", "LICENSE", "README.md", "CHANGELOG.md"):
            shutil.copy(os.path.join(ROOT, f), src)
    return str(src / "python")


def _clean_env(**extra):
    env = {k: v for k, v in os.environ.items()
           if k not in ("XOVAIO32_LIBRARY", "PYTHONPATH", "LD_LIBRARY_PATH")}
    env.update(extra)
    return env


def test_install_bundles_the_named_library(tmp_path):
    py = _venv(tmp_path)
    _install(py, _source_tree(tmp_path, False),
             _clean_env(XOVAIO32_LIBRARY=os.environ["XOVAIO32_LIBRARY"]))
    lib, value, bulk = _run(py, str(tmp_path), _clean_env())
    assert lib.startswith(str(tmp_path / "venv")) and lib.endswith("xovaio32/libxovaio32.so")
    assert value == "1.5" and bulk == "True"


def test_install_uses_an_installed_library(tmp_path):
    system = tmp_path / "system-lib"
    system.mkdir()
    shutil.copyfile(os.environ["XOVAIO32_LIBRARY"], system / "libxovaio32.so")
    py = _venv(tmp_path)
    _install(py, _source_tree(tmp_path, False), _clean_env(LD_LIBRARY_PATH=str(system)))
    site = subprocess.run([py, "-c", "import xovaio32, os; print(os.path.dirname("
                                     "xovaio32.__file__))"], capture_output=True, text=True,
                          cwd=str(tmp_path), env=_clean_env(LD_LIBRARY_PATH=str(system)))
    assert not os.path.exists(os.path.join(site.stdout.strip(), "libxovaio32.so"))
    lib, value, _ = _run(py, str(tmp_path), _clean_env(LD_LIBRARY_PATH=str(system)))
    assert "libxovaio32.so" in lib and value == "1.5"


def test_install_builds_the_library_when_there_is_none(tmp_path):
    if shutil.which("cmake") is None:
        pytest.fail("cmake is needed to build the library (scripts/deps installs it)")
    py = _venv(tmp_path)
    _install(py, _source_tree(tmp_path, True), _clean_env(), timeout=1800)
    lib, value, bulk = _run(py, str(tmp_path), _clean_env())
    assert lib.endswith("xovaio32/libxovaio32.so") and value == "1.5" and bulk == "True"


def test_case_loops_compile_warning_free():
    """The compiled loops follow the project's warning rules (setuptools
    builds them with its own flags, which are not these)."""
    cc = shutil.which("gcc") or shutil.which("cc")
    if cc is None:
        pytest.fail("a C compiler is needed (scripts/deps installs gcc)")
    import sysconfig

    import numpy
    for name in ("_bulk.c", "_hugepages.c", "_objects.c"):
        out = subprocess.run([cc, "-std=c99", "-Wall", "-Wextra", "-Wpedantic", "-Werror",
                              "-fsyntax-only", "-I", os.path.join(ROOT, "include"),
                              "-I", sysconfig.get_paths()["include"], "-I", numpy.get_include(),
                              os.path.join(PKG, "xovaio32", name)],
                             capture_output=True, text=True, timeout=120)
        assert out.returncode == 0, name + ": " + out.stderr
