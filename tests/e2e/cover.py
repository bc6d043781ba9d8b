# SPDX-License-Identifier: GPL-3.0-or-later
"""Another program's window over part of the screen for a while."""

import ctypes
import ctypes.util
import time

from session import check


def covered(display, rect, seconds, session=None):
    """Maps a plain window over `rect` (left, top, width, height) of the screen
    for `seconds`. Under a window manager, which places a new window where it
    likes, `session` moves it there and raises it."""
    xlib = ctypes.CDLL(ctypes.util.find_library("X11"))
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + \
        [ctypes.c_uint] * 3 + [ctypes.c_ulong] * 2
    xlib.XCreateSimpleWindow.restype = ctypes.c_ulong
    for name in ("XMapRaised", "XDestroyWindow"):
        getattr(xlib, name).argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    connection = xlib.XOpenDisplay(display.encode())
    check(connection, "cannot open display %s" % display)
    window = xlib.XCreateSimpleWindow(connection, xlib.XDefaultRootWindow(connection), *rect, 0,
                                      0, 0x808080)
    xlib.XMapRaised(connection, window)
    xlib.XSync(connection, 0)
    if session is not None:
        time.sleep(0.3)  # managed
        session.xdotool("windowmove", "--sync", str(window), str(rect[0]), str(rect[1]))
        session.xdotool("windowraise", str(window))
    time.sleep(seconds)
    xlib.XDestroyWindow(connection, window)
    xlib.XCloseDisplay(connection)
