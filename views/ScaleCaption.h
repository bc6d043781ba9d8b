// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The oscilloscope's Y-scale caption.

#include "platform/Format.h"

// "-0.0 dB" for position -181 ... "-90.3 dB" for -1: the level of the trace's
// full height, position squared, in dB below full scale, as "%2.1f dB".
CaptionText YScaleCaption(int position);
