// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Restoring every stored value at start and saving them all at close: both
// walk the same list, which the window makes from its controls and its other
// values. GUI thread.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include <QString>

class QWidget;
class SettingsStore;
class WaveAudio;

// One stored value with its accessors.
struct StoredValue {
  QString Name;
  int32_t Default;
  std::function<int32_t()> Get;
  std::function<void(int32_t)> Set;
  bool Savable = true; // written at close
};

// The values of the controls, given in the order of their indices: each
// check box, radio button, up-down and spin edit under its kind's prefix and
// index ("CB6", "UD42"); other controls are not stored.
std::vector<StoredValue> ControlValues(std::span<QWidget* const> controls);

// Gives every value what the store holds, and audio the devices stored unless
// it has a choice already; lastFolder becomes the stored folder if it exists.
void LoadSettings(const SettingsStore& store, const std::vector<StoredValue>& values,
                  WaveAudio& audio, QString& lastFolder);
// Writes every savable value, the devices chosen and, when given, the folder
// of the last save, and flushes the store.
void SaveSettings(SettingsStore& store, const std::vector<StoredValue>& values,
                  const WaveAudio& audio, const QString* chosenFolder);
