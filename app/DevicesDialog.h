// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "Devices" dialog: the input and output devices the streams are on, and
// a choice of others, reached from the keyboard (Ctrl+D) and from the
// display's and the LED meters' menus. A choice moves the stream at once and
// is remembered with the settings, as the meters' menu does. GUI thread only.

#include <string>

#include <QDialog>

class QComboBox;
class WaveAudio;

class DevicesDialog : public QDialog {
public:
  DevicesDialog(WaveAudio& audio, QWidget* parent);
  // Reads the server's devices again and shows the ones in use.
  void Refresh();
  // The list of the sources (capture) or sinks.
  QComboBox* Box(bool capture) const { return boxes_[capture ? 0 : 1]; }

  // OK: the devices picked are chosen.
  void accept() override;

private:
  WaveAudio& audio_;
  QComboBox* boxes_[2];
  std::string shown_[2]; // the device each list showed at first
};
