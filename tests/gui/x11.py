# What the window tests do on the X display: a drag source, as a desktop's
# file manager is one, which drags files onto a window through the XDND
# protocol (Wine turns it into WM_DROPFILES for the Windows window under the
# pointer); and an ear for the warning sound, which Wine rings as the X
# server's bell.
import select
import threading
import time
import urllib.parse

from Xlib import X, display
from Xlib.ext import record
from Xlib.protocol import event

X_BELL = 104  # the core request that rings the bell


class Bells:
    """Counts the bell requests every client of the display makes, through
    the RECORD extension, from the moment it is made."""

    def __init__(self, display_name):
        self.control, self.data = display.Display(display_name), display.Display(display_name)
        self.count = 0
        self.context = self.control.record_create_context(0, [record.AllClients], [{
            "core_requests": (X_BELL, X_BELL), "core_replies": (0, 0), "ext_requests": (0, 0, 0, 0),
            "ext_replies": (0, 0, 0, 0), "delivered_events": (0, 0), "device_events": (0, 0), "errors": (0, 0),
            "client_started": False, "client_died": False}])
        self.control.sync()
        self.thread = threading.Thread(target=self.data.record_enable_context, args=(self.context, self.heard),
                                       daemon=True)
        self.thread.start()

    def heard(self, reply):
        # One reply may hold several requests; a bell request is 4 bytes.
        if reply.category == record.FromClient:
            self.count += len(reply.data) // 4

    def close(self):
        self.control.record_disable_context(self.context)
        self.control.sync()
        self.thread.join(5)
        self.control.record_free_context(self.context)
        self.control.close()


def drop(display_name, title, paths, point, timeout=30):
    """Drops paths at point (root coordinates) on the X window titled title;
    returns whether the target accepted, once it has finished the drop."""
    x = display.Display(display_name)
    atom = x.intern_atom
    root = x.screen().root
    target = next(w for w in root.query_tree().children
                  if w.get_attributes().map_state == X.IsViewable and w.get_wm_name() == title)
    source = root.create_window(-10, -10, 1, 1, 0, 0, X.InputOnly, X.CopyFromParent)
    uris = b"".join(b"file://" + urllib.parse.quote(str(p)).encode() + b"\r\n" for p in paths)
    source.set_selection_owner(atom("XdndSelection"), X.CurrentTime)

    def send(kind, *data):
        words = [source.id, *data, 0, 0, 0, 0][:5]
        target.send_event(event.ClientMessage(window=target, client_type=atom(kind), data=(32, words)), event_mask=0)
        x.flush()

    def answer(kind):
        # Serves the target's requests for the file list until it says kind.
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            while x.pending_events():
                e = x.next_event()
                if e.type == X.SelectionRequest:
                    e.requestor.change_property(e.property, e.target, 8, uris)
                    e.requestor.send_event(event.SelectionNotify(time=e.time, requestor=e.requestor, target=e.target,
                                                                 selection=e.selection, property=e.property))
                    x.flush()
                elif e.type == X.ClientMessage and e.client_type == atom(kind):
                    return e
            select.select([x], [], [], 0.1)
        raise AssertionError(f"no {kind} from the drop target")

    send("XdndEnter", 5 << 24, atom("text/uri-list"))
    send("XdndPosition", 0, point[0] << 16 | point[1], X.CurrentTime, atom("XdndActionCopy"))
    accepted = answer("XdndStatus").data[1][1] & 1
    send("XdndDrop" if accepted else "XdndLeave", 0, X.CurrentTime)
    if accepted:
        answer("XdndFinished")
    x.close()
    return accepted
