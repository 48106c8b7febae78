"""Builds the xovaio32 Python package.

The package needs the shared library. ``pip install ./python`` takes, in
this order: the library named by XOVAIO32_LIBRARY; one built in the
repository's build/ directory; one installed on the system (then nothing is
copied: the package finds it at run time); else it builds the library from
the repository with CMake and puts a copy inside the package.
"""

import ctypes.util
import os
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_py import build_py

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
LIB = "xovaio32.dll" if sys.platform == "win32" else "libxovaio32.so"


def _include_dirs():
    dirs = [os.path.join(ROOT, "include")]
    for prefix in (sys.prefix, "/usr/local", "/usr"):
        dirs.append(os.path.join(prefix, "include"))
    return [d for d in dirs if os.path.exists(os.path.join(d, "xovaio32.h"))]


def _library_to_bundle():
    """The library file to copy into the package, or None to use the system's."""
    env = os.environ.get("XOVAIO32_LIBRARY")
    if env:
        return env
    built = os.path.join(ROOT, "build", LIB)
    if os.path.exists(built):
        return built
    if ctypes.util.find_library("xovaio32"):
        print("xovaio32: using the installed library", file=sys.stderr)
        return None
    if not os.path.exists(os.path.join(ROOT, "CMakeLists.txt")):
        raise SystemExit("xovaio32: no library found and no source tree to build one; "
                         "set XOVAIO32_LIBRARY")
    out = os.path.join(HERE, "build", "library")
    print(f"xovaio32: building the library in {out}", file=sys.stderr)
    subprocess.check_call(["cmake", "-S", ROOT, "-B", out, "-DCMAKE_BUILD_TYPE=Release",
                           "-DXOVA_TESTS=OFF", "-DXOVA_EXAMPLES=OFF", "-DXOVA_TOOLS=OFF"])
    subprocess.check_call(["cmake", "--build", out, "-j2", "--target", "xovaio32"])
    return os.path.join(out, LIB)


def _extensions():
    """The compiled case loops; and, where numpy's headers are at hand, the
    helpers that use the interpreter (optional: without them reading works
    as before, only slower)."""
    exts = [Extension("xovaio32._bulk", ["xovaio32/_bulk.c"], include_dirs=_include_dirs(),
                      extra_compile_args=["-O2"])]
    try:
        import numpy
    except ImportError:
        print("xovaio32: numpy not found at build time: _pyloops left out", file=sys.stderr)
        return exts
    exts.append(Extension("xovaio32._pyloops", ["xovaio32/_hugepages.c", "xovaio32/_objects.c"],
                          include_dirs=[numpy.get_include()], extra_compile_args=["-O2"],
                          optional=True))
    return exts


class BuildPy(build_py):
    def run(self):
        super().run()
        lib = _library_to_bundle()
        if lib:
            target = os.path.join(self.build_lib, "xovaio32", LIB)
            shutil.copyfile(os.path.realpath(lib), target)
            print(f"xovaio32: bundling {lib}", file=sys.stderr)


setup(
    name="xovaio32",
    version="1.0.0",
    description="Dataset files as pandas DataFrames, numpy arrays and Dask partitions",
    packages=["xovaio32"],
    python_requires=">=3.9",
    install_requires=["numpy", "pandas"],
    extras_require={"dask": ["dask", "distributed"]},
    ext_modules=_extensions(),
    cmdclass={"build_py": BuildPy},
)
