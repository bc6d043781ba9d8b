// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SoundServerFormat.h"

MMRESULT SampleSpecFromFormat(const WAVEFORMATEX& format, pa_sample_spec* sampleSpec) {
  if (format.wFormatTag != WAVE_FORMAT_PCM) return WAVERR_BADFORMAT;
  switch (format.wBitsPerSample) {
  case 8:
    sampleSpec->format = PA_SAMPLE_U8;
    break;
  case 16:
    sampleSpec->format = PA_SAMPLE_S16LE;
    break;
  case 24:
    sampleSpec->format = PA_SAMPLE_S24LE;
    break;
  case 32:
    sampleSpec->format = PA_SAMPLE_S32LE;
    break;
  default:
    return WAVERR_BADFORMAT;
  }
  if (format.nChannels == 0 || format.nChannels > PA_CHANNELS_MAX) return WAVERR_BADFORMAT;
  sampleSpec->channels = static_cast<uint8_t>(format.nChannels);
  sampleSpec->rate = format.nSamplesPerSec;
  if (!pa_sample_spec_valid(sampleSpec)) return WAVERR_BADFORMAT;

  const uint32_t blockAlign = format.nChannels * format.wBitsPerSample / 8u;
  if (format.nBlockAlign != blockAlign) return WAVERR_BADFORMAT;
  if (format.nAvgBytesPerSec != static_cast<uint64_t>(format.nSamplesPerSec) * blockAlign)
    return WAVERR_BADFORMAT;
  return MMSYSERR_NOERROR;
}

unsigned char SilenceByte(pa_sample_format_t format) {
  return format == PA_SAMPLE_U8 ? 0x80 : 0;
}
