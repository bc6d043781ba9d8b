#pragma once
// The spectral amplitude trace and the FFT bar graph: plain spectra and
// settings in, pixels of DisplayBitmap out.

#include <QPoint>

// The last two points of each channel's amplitude trace.
struct AmpTrace {
  QPoint AmpPrevR, AmpCurR, AmpPrevL, AmpCurL;
  bool AmpReady = false;
};
