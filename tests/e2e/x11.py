# SPDX-License-Identifier: GPL-3.0-or-later
"""Asking a window to close as a window manager's close button does.

Without a window manager under Xvfb nobody turns a close request into the
WM_DELETE_WINDOW message, so this speaks the few X11 requests it takes over
the display's local socket. Only our own Xvfb is addressed; it runs without
authorisation.
"""

import socket
import struct

_CLIENT_MESSAGE = 33


def _pad(n):
    return (4 - n % 4) % 4


class Connection:
    def __init__(self, display):
        number = display.split(":", 1)[1].split(".", 1)[0]
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.settimeout(5)
        self.sock.connect("/tmp/.X11-unix/X" + number)
        # Little-endian, protocol 11.0, no authorisation.
        self.sock.sendall(b"l\0" + struct.pack("<HHHH", 11, 0, 0, 0) + b"\0\0")
        head = self._read(8)
        setup = self._read(struct.unpack_from("<H", head, 6)[0] * 4)
        if head[0] != 1:
            raise OSError("the X server refused the connection: %r" % setup[: head[1]])

    def _read(self, n):
        data = b""
        while len(data) < n:
            chunk = self.sock.recv(n - len(data))
            if not chunk:
                raise OSError("the X server closed the connection")
            data += chunk
        return data

    def _reply(self):
        """The next reply; events on the way are dropped, errors raised."""
        while True:
            packet = self._read(32)
            if packet[0] == 0:
                raise OSError("X error %d on request %d" % (packet[1], packet[10]))
            if packet[0] == 1:
                return packet + self._read(struct.unpack_from("<I", packet, 4)[0] * 4)

    def intern_atom(self, name):
        raw = name.encode()
        length = 2 + (len(raw) + _pad(len(raw))) // 4
        header = struct.pack("<BBHHH", 16, 0, length, len(raw), 0)
        self.sock.sendall(header + raw + b"\0" * _pad(len(raw)))
        return struct.unpack_from("<I", self._reply(), 8)[0]

    def children(self, window):
        """The windows whose parent is `window` (QueryTree)."""
        self.sock.sendall(struct.pack("<BBHI", 15, 0, 2, window))
        reply = self._reply()
        count = struct.unpack_from("<H", reply, 16)[0]
        return struct.unpack_from("<%dI" % count, reply, 32)

    def sync(self):
        """A round trip (GetInputFocus): every earlier request has been handled."""
        self.sock.sendall(struct.pack("<BBH", 43, 0, 1))
        self._reply()

    def close(self):
        self.sock.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False


def request_close(display, window):
    """Sends WM_DELETE_WINDOW to `window` (an X window id) on `display` (":N")."""
    with Connection(display) as x:
        protocols = x.intern_atom("WM_PROTOCOLS")
        delete = x.intern_atom("WM_DELETE_WINDOW")
        event = struct.pack(
            "<BBHII5I", _CLIENT_MESSAGE, 32, 0, window, protocols, delete, 0, 0, 0, 0
        )
        # SendEvent with an empty event mask goes to the window's owner.
        x.sock.sendall(struct.pack("<BBHII", 25, 0, 11, window, 0) + event)
        x.sync()
