"""A drag source on the X display, as a desktop's file manager is one: it
drags a list of files onto a window through the XDND protocol, which Wine
turns into WM_DROPFILES for the Windows window under the pointer."""

import select
import time
import urllib.parse
from pathlib import Path

from Xlib import X, Xatom, display
from Xlib.protocol import event

XDND_VERSION = 5


class DropRefused(Exception):
    pass


def file_uri(path):
    return "file://" + urllib.parse.quote(str(Path(path).resolve()))


class XdndSource:
    def __init__(self, display_name):
        self.display = display.Display(display_name)
        self.root = self.display.screen().root
        self.window = self.root.create_window(-10, -10, 1, 1, 0, 0, X.InputOnly, X.CopyFromParent)
        self.atoms = {name: self.display.intern_atom(name) for name in (
            "XdndAware", "XdndSelection", "XdndEnter", "XdndPosition", "XdndStatus", "XdndLeave", "XdndDrop",
            "XdndFinished", "XdndActionCopy", "XdndTypeList", "text/uri-list", "TARGETS", "_NET_WM_NAME",
            "UTF8_STRING")}
        self._data = b""

    def close(self):
        self.window.destroy()
        self.display.close()

    # Finding the program's X window.

    def _name(self, window):
        try:
            value = window.get_full_property(self.atoms["_NET_WM_NAME"], self.atoms["UTF8_STRING"])
            if value is not None:
                return value.value.decode("utf-8", "replace")
            name = window.get_wm_name()
            return name if isinstance(name, str) else None
        except Exception:  # a window that vanished meanwhile
            return None

    def find_window(self, title):
        """The mapped top-level X window with this exact title, or None."""
        for window in self.root.query_tree().children:
            try:
                if window.get_attributes().map_state != X.IsViewable:
                    continue
            except Exception:
                continue
            if self._name(window) == title:
                return window
        return None

    # The protocol.

    def _send(self, target, kind, data):
        message = event.ClientMessage(window=target, client_type=self.atoms[kind],
                                      data=(32, (list(data) + [0] * 5)[:5]))
        target.send_event(message, event_mask=0)
        self.display.flush()

    def _answer(self, request):
        """Serves a SelectionRequest for our XdndSelection."""
        prop = request.property or request.target
        if request.target == self.atoms["text/uri-list"]:
            request.requestor.change_property(prop, request.target, 8, self._data)
        elif request.target == self.atoms["TARGETS"]:
            request.requestor.change_property(prop, Xatom.ATOM, 32,
                                              [self.atoms["TARGETS"], self.atoms["text/uri-list"]])
        else:
            prop = X.NONE
        notify = event.SelectionNotify(time=request.time, requestor=request.requestor, selection=request.selection,
                                       target=request.target, property=prop)
        request.requestor.send_event(notify, event_mask=0)
        self.display.flush()

    def _wait(self, kind, deadline):
        """Serves selection requests until a client message of this kind arrives."""
        self.display.flush()
        while True:
            while self.display.pending_events():
                e = self.display.next_event()
                if e.type == X.SelectionRequest:
                    self._answer(e)
                elif e.type == X.ClientMessage and e.client_type == self.atoms[kind]:
                    return e
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise DropRefused(f"no {kind} from the target")
            select.select([self.display.fileno()], [], [], min(remaining, 0.1))

    def drop(self, target, paths, point, timeout=10):
        """Drags paths onto the X window target and drops them at point (root
        coordinates). Returns once the target has finished the drop; raises
        DropRefused when it does not accept it."""
        deadline = time.monotonic() + timeout
        self._data = b"".join(file_uri(p).encode() + b"\r\n" for p in paths)
        self.window.set_selection_owner(self.atoms["XdndSelection"], X.CurrentTime)
        x, y = point
        source = self.window.id
        self._send(target, "XdndEnter", [source, XDND_VERSION << 24, self.atoms["text/uri-list"]])
        self._send(target, "XdndPosition", [source, 0, (x << 16) | y, X.CurrentTime, self.atoms["XdndActionCopy"]])
        status = self._wait("XdndStatus", deadline)
        if not status.data[1][1] & 1:
            self._send(target, "XdndLeave", [source])
            raise DropRefused("the target refused the drop")
        self._send(target, "XdndDrop", [source, 0, X.CurrentTime])
        self._wait("XdndFinished", deadline)
