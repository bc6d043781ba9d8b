// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/StreamFormat.h"

#include "audio/StreamSession.h"

void FillStreamFormat(WAVEFORMATEX& format) {
  format = SessionFormat{}.Wave();
}
