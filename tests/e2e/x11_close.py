"""Asks a top-level window to close, as a window manager's close button does.

Without a window manager under Xvfb nobody turns a close request into the
WM_DELETE_WINDOW message, so this speaks the few X11 requests it takes
(InternAtom, SendEvent) over the display's local socket itself.
"""

import os
import socket
import struct


def _display_socket(display):
    number = display.split(":", 1)[1].split(".", 1)[0]
    return "/tmp/.X11-unix/X" + number


def _pad(n):
    return (4 - n % 4) % 4


class _Connection:
    def __init__(self, display):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.settimeout(5)
        self.sock.connect(_display_socket(display))
        # Little-endian, protocol 11.0, no authorisation (our own Xvfb has none).
        self.sock.sendall(b"l\0" + struct.pack("<HHHH", 11, 0, 0, 0) + b"\0\0")
        head = self._read(8)
        if head[0] != 1:
            reason = self._read(struct.unpack_from("<H", head, 6)[0] * 4)
            raise OSError("X server refused the connection: " + reason[: head[1]].decode())
        self._read(struct.unpack_from("<H", head, 6)[0] * 4)

    def _read(self, n):
        data = b""
        while len(data) < n:
            chunk = self.sock.recv(n - len(data))
            if not chunk:
                raise OSError("X server closed the connection")
            data += chunk
        return data

    def _reply(self):
        """The next reply; raises on an X error."""
        packet = self._read(32)
        if packet[0] == 0:
            raise OSError("X error %d on request %d" % (packet[1], packet[10]))
        extra = struct.unpack_from("<I", packet, 4)[0] * 4
        return packet + self._read(extra)

    def intern_atom(self, name):
        raw = name.encode()
        request = struct.pack("<BBHHH", 16, 0, 2 + (len(raw) + _pad(len(raw))) // 4, len(raw), 0)
        self.sock.sendall(request + raw + b"\0" * _pad(len(raw)))
        return struct.unpack_from("<I", self._reply(), 8)[0]

    def send_client_message(self, window, message_type, data):
        event = struct.pack("<BBHII", 33, 32, 0, window, message_type)
        event += struct.pack("<5I", *(list(data) + [0] * (5 - len(data))))
        self.sock.sendall(struct.pack("<BBHII", 25, 0, 11, window, 0) + event)

    def sync(self):
        """A round trip (GetInputFocus): every earlier request has been handled."""
        self.sock.sendall(struct.pack("<BBH", 43, 0, 1))
        self._reply()

    def close(self):
        self.sock.close()


def request_close(display, window):
    """Sends WM_DELETE_WINDOW to `window` (an X window id) on `display` (":N")."""
    connection = _Connection(display)
    try:
        protocols = connection.intern_atom("WM_PROTOCOLS")
        delete = connection.intern_atom("WM_DELETE_WINDOW")
        connection.send_client_message(window, protocols, [delete, 0])
        connection.sync()
    finally:
        connection.close()


if __name__ == "__main__":
    import sys

    request_close(sys.argv[1] if len(sys.argv) > 2 else os.environ["DISPLAY"], int(sys.argv[-1], 0))
