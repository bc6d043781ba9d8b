#include "audio/StreamFormat.h"

#include "audio/StreamSession.h"

void FillStreamFormat(WAVEFORMATEX& format) {
  format = SessionFormat{}.Wave();
}
