// SPDX-License-Identifier: GPL-3.0-or-later
// The least a scrolling 1011 x 512 display can cost an X client and the X
// server: per block the window copies its picture onto itself, moved left by
// the block's columns, and the new columns are put from shared memory. No
// toolkit, no audio, no transform: scripts/measure-cpu.py runs it beside the
// program on the same X server and sets the two against each other.
//
//     floor_scroll [--columns 9] [--scale 1] [--seconds 0 (until killed)]
//
// At --scale 2 the window and the columns are twice as wide and high, as the
// program's display is on a screen scaled by 2.
//
// Blocks come at the program's pace, 48000 / 2048 a second, from one
// absolute timer wake-up each.

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

namespace {

constexpr int LogicalWidth = 1011, LogicalHeight = 512;
constexpr long BlockNanoseconds = 1'000'000'000L * 2048 / 48000;

volatile std::sig_atomic_t Stop = 0;

void OnSignal(int) {
  Stop = 1;
}

// A colour that moves with the block and the row, so every column is new.
unsigned long Colour(long block, int row) {
  const auto r = static_cast<unsigned long>((block * 7 + row) & 0xFF);
  const auto g = static_cast<unsigned long>((block * 3 + row / 2) & 0xFF);
  return r << 16 | g << 8 | static_cast<unsigned long>(row & 0xFF);
}

void Advance(timespec& t) {
  t.tv_nsec += BlockNanoseconds;
  while (t.tv_nsec >= 1'000'000'000L) {
    t.tv_nsec -= 1'000'000'000L;
    ++t.tv_sec;
  }
}

} // namespace

int main(int argc, char** argv) {
  int columns = 9, scale = 1;
  double seconds = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--columns") == 0) columns = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--scale") == 0) scale = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atof(argv[i + 1]);
  }
  if (columns < 1 || columns > LogicalWidth || scale < 1 || scale > 4) {
    std::fprintf(stderr, "floor_scroll: --columns must be 1..%d, --scale 1..4\n", LogicalWidth);
    return 2;
  }
  const int Width = LogicalWidth * scale, Height = LogicalHeight * scale;
  columns *= scale;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "floor_scroll: no X display\n");
    return 1;
  }
  if (!XShmQueryExtension(display)) {
    std::fprintf(stderr, "floor_scroll: the X server has no MIT-SHM\n");
    return 1;
  }
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGINT, OnSignal);
  const int screen = DefaultScreen(display);
  const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, Width,
                                            Height, 0, 0, BlackPixel(display, screen));
  XStoreName(display, window, "floor_scroll");
  XSelectInput(display, window, StructureNotifyMask);
  XMapWindow(display, window);
  for (XEvent event; XNextEvent(display, &event) == 0 && event.type != MapNotify;) {
  }
  const GC gc = XCreateGC(display, window, 0, nullptr);
  // Graphics exposures would send an event per copy that nobody reads.
  XSetGraphicsExposures(display, gc, False);

  XShmSegmentInfo segment{};
  XImage* image = XShmCreateImage(display, DefaultVisual(display, screen),
                                  static_cast<unsigned>(DefaultDepth(display, screen)), ZPixmap,
                                  nullptr, &segment, static_cast<unsigned>(columns), Height);
  if (image != nullptr)
    segment.shmid =
        shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * Height, IPC_CREAT | 0600);
  if (image == nullptr || segment.shmid < 0) {
    std::fprintf(stderr, "floor_scroll: no shared memory\n");
    return 1;
  }
  segment.shmaddr = image->data = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
  segment.readOnly = True;
  XShmAttach(display, &segment);
  XSync(display, False);
  // Removed now, freed when both sides detach, also if this program dies.
  shmctl(segment.shmid, IPC_RMID, nullptr);

  timespec next{};
  clock_gettime(CLOCK_MONOTONIC, &next);
  const long blocks = seconds > 0 ? std::lround(seconds * 1e9 / BlockNanoseconds) : -1;
  for (long block = 0; !Stop && block != blocks; ++block) {
    Advance(next);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr) == EINTR && !Stop) {
    }
    XCopyArea(display, window, window, gc, columns, 0, Width - columns, Height, 0, 0);
    for (int y = 0; y < Height; ++y)
      for (int x = 0; x < columns; ++x)
        XPutPixel(image, x, y, Colour(block, y));
    // The server has read the previous columns long before the next block
    // writes them: requests run in order and a block lasts 42.7 ms.
    XShmPutImage(display, window, gc, image, 0, 0, Width - columns, 0,
                 static_cast<unsigned>(columns), Height, False);
    XFlush(display);
  }
  XShmDetach(display, &segment);
  XDestroyImage(image);
  shmdt(segment.shmaddr);
  XCloseDisplay(display);
  return 0;
}
