#include "app/NoInputHint.h"

#include <cstdio>

namespace {

class NoInputHint : public WaveAudio {
public:
  explicit NoInputHint(std::unique_ptr<WaveAudio> audio) : audio_(std::move(audio)) {}

  MMRESULT WaveInOpen(HWAVEIN* phwi, uint32_t deviceId, const WAVEFORMATEX* format, QObject* target,
                      uintptr_t instance, uint32_t flags) override {
    const MMRESULT result = audio_->WaveInOpen(phwi, deviceId, format, target, instance, flags);
    if (result != MMSYSERR_NOERROR && (flags & WAVE_FORMAT_QUERY) && (flags & WAVE_MAPPED))
      std::fprintf(stderr, "veltrano: no sound input can be opened (is a sound server running?); "
                           "'veltrano --loopback' tries the bench on a private one\n");
    return result;
  }
  MMRESULT WaveInPrepareHeader(HWAVEIN hwi, WAVEHDR* header, uint32_t size) override {
    return audio_->WaveInPrepareHeader(hwi, header, size);
  }
  MMRESULT WaveInAddBuffer(HWAVEIN hwi, WAVEHDR* header, uint32_t size) override {
    return audio_->WaveInAddBuffer(hwi, header, size);
  }
  MMRESULT WaveInStart(HWAVEIN hwi) override { return audio_->WaveInStart(hwi); }
  MMRESULT WaveInReset(HWAVEIN hwi) override { return audio_->WaveInReset(hwi); }
  MMRESULT WaveInClose(HWAVEIN hwi) override { return audio_->WaveInClose(hwi); }

  MMRESULT WaveOutOpen(HWAVEOUT* phwo, uint32_t deviceId, const WAVEFORMATEX* format,
                       QObject* target, uintptr_t instance, uint32_t flags) override {
    return audio_->WaveOutOpen(phwo, deviceId, format, target, instance, flags);
  }
  MMRESULT WaveOutPrepareHeader(HWAVEOUT hwo, WAVEHDR* header, uint32_t size) override {
    return audio_->WaveOutPrepareHeader(hwo, header, size);
  }
  MMRESULT WaveOutUnprepareHeader(HWAVEOUT hwo, WAVEHDR* header, uint32_t size) override {
    return audio_->WaveOutUnprepareHeader(hwo, header, size);
  }
  MMRESULT WaveOutWrite(HWAVEOUT hwo, WAVEHDR* header, uint32_t size) override {
    return audio_->WaveOutWrite(hwo, header, size);
  }
  MMRESULT WaveOutReset(HWAVEOUT hwo) override { return audio_->WaveOutReset(hwo); }
  MMRESULT WaveOutClose(HWAVEOUT hwo) override { return audio_->WaveOutClose(hwo); }

private:
  std::unique_ptr<WaveAudio> audio_;
};

} // namespace

std::unique_ptr<WaveAudio> WithNoInputHint(std::unique_ptr<WaveAudio> audio) {
  return std::make_unique<NoInputHint>(std::move(audio));
}
