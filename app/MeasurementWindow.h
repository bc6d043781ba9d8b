// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "Measurements" window: per channel the figures of the latest second of
// received blocks, and between the channels their level difference, phase and
// delay. A figure that cannot be computed shows "—", never an older number;
// THD below the noise shows its bound ("< -104.3"). A screen reader reads
// each figure as shown, and hears a change at most once a second; Escape
// closes the window. GUI thread only.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include <QLabel>
#include <QTimer>
#include <QWidget>

class MeasurementWindow : public QWidget {
public:
  explicit MeasurementWindow(QWidget* parent);

  // One received block of each channel (2048 frames), with whether the
  // channel is ticked. A second's worth is measured and shown; a channel that
  // is off shows "—" at once and until it has been on for a whole second.
  // A second with a block that holds lost input (gap) shows "—": its figures
  // would be false.
  void AddBlock(std::span<const int16_t> left, std::span<const int16_t> right, bool leftOn,
                bool rightOn, bool gap = false);
  // While held (STOP is down) the figures stay as they are; what was collected
  // of the current second is dropped, so no figure mixes the two sides of a
  // pause.
  void Hold(bool held);
  // Every figure "—".
  void ShowNothing();

  // The text a figure shows: row is the figure's key in the measurement
  // library's field table ("rms_dbfs"), column "Left", "Right" or "Between".
  QString Figure(const QString& column, const QString& row) const;

  // Where the window was placed (the frame's top left on the screen), and
  // whether it was open, as the settings file keeps them.
  QPoint Place;
  bool OpenAtStart = false;
  // Shows the window at Place, or beside parent when Place lies on no screen.
  void Open(const QWidget& beside);

protected:
  void moveEvent(QMoveEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

private:
  void Measure();
  // Drops what was collected: the next second starts with the next block.
  void StartSecond();

  std::vector<int16_t> left_, right_; // the second being collected
  bool leftThroughout_ = true, rightThroughout_ = true;
  bool gap_ = false; // the second holds lost input
  QTimer noInput_;   // blanks the figures when blocks stop coming
  bool held_ = false;
};
