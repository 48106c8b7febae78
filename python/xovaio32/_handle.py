"""The lifetime of one library handle, shared by readers and writers."""

from __future__ import annotations

import threading
import weakref
from typing import Any, Callable


class HandleOwner:
    """Owns a handle whose release runs once: on close, or when collected.

    Subclasses set ``path`` and ``_h``, then call ``_own(release, *args)``.
    """

    _kind = "file"
    path: str
    _h: int

    def _init_lock(self) -> None:
        self._lock = threading.RLock()

    def _own(self, release: Callable[..., Any], *args: Any) -> None:
        self._finalizer = weakref.finalize(self, release, *args)

    def _release(self) -> None:
        """Runs the release now, once; later calls do nothing."""
        with self._lock:
            if self._finalizer.alive:
                self._finalizer()

    @property
    def closed(self) -> bool:
        return not self._finalizer.alive

    def _handle(self) -> int:
        if not self._finalizer.alive:
            raise ValueError(f"{self.path}: the {self._kind} is closed")
        return self._h
