// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "Spectrum" window: long transforms of the captured blocks with
// averages, holds, references and calibrated units, drawn at any size. A thin
// shell over measure/ (the analysis) and views/SpectrumPlot (the drawing).
// GUI thread only.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <QLabel>
#include <QWidget>

#include "measure/Calibration.h"
#include "measure/LongSpectrum.h"
#include "measure/TraceAverage.h"
#include "views/SpectrumPlot.h"

class QAction;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QSpinBox;
class SettingsStore;

// Every choice of the window, as the settings file keeps them (whole numbers).
struct SpectrumChoices {
  int SizeLog2 = 14; // 2^11 ... 2^16 points
  int Window = int(measure::WindowKind::Hann);
  int Hops = 8; // 1, 2, 4 ... 32: overlap 0 %, 50 %, 75 % ...
  int Average = int(measure::AverageMode::Exponential);
  int TimeConstantTenths = 10; // exponential average, tenths of a second
  int Count = 16;              // linear average
  int Peak = 1, Min = 0;       // holds drawn
  int LogAxis = 1;
  int TopDb = 0, RangeDb = 120; // decibels of the unit
  int Grid = 1;
  int Unit = int(measure::LevelUnit::Dbfs);
};

// What the window's lists offer: overlaps as transforms begun within one
// transform's length, and level ranges in decibels.
inline constexpr int SpectrumHops[] = {1, 2, 4, 8, 16, 32};
inline constexpr int SpectrumRanges[] = {20, 40, 60, 80, 100, 120, 140, 160, 200};
// The channels and traces as legends and column names call them.
inline constexpr const char* SpectrumChannels[] = {"Left", "Right"};
inline constexpr const char* SpectrumKinds[] = {"current", "average", "peak", "min"};
// The choices with each one the window cannot show replaced by its default
// (app/SpectrumSettings.cpp).
SpectrumChoices CheckedChoices(SpectrumChoices choices);

class SpectrumWindow : public QWidget {
public:
  explicit SpectrumWindow(QWidget* parent);
  ~SpectrumWindow() override;

  // One received block of each channel, with whether the channel is ticked:
  // a channel that is off is neither analysed, drawn nor saved.
  void AddBlock(std::span<const int16_t> left, std::span<const int16_t> right, bool leftOn,
                bool rightOn);
  // While held (STOP is down) the traces stay as they are; the next
  // transform after it takes only blocks that came after it.
  void Hold(bool held);
  // The input whose calibration applies: the server's name, empty for its
  // default.
  void SetInputDevice(const std::string& device);

  // Shows the window where it was, or beside `beside` the first time.
  void Open(const QWidget& beside);
  bool OpenAtStart = false;

  // The settings hook (app/SpectrumSettings.cpp): every choice, the place, size and open state, and
  // the calibrations by input device, read from and written into the store.
  void LoadSettings(const SettingsStore& store, const std::string& inputDevice);
  void SaveSettings(SettingsStore& store) const;

  // The files (app/SpectrumFiles.cpp); false after showing why nothing was
  // written or loaded.
  bool SaveTrace(const QString& fileName);
  bool SavePicture(const QString& fileName);
  // Reference 0 or 1 from a trace CSV's column (asked for when empty and
  // the file has several).
  bool LoadReference(int index, const QString& fileName, const QString& column = {});
  // Reference 0 or 1 from the first ticked channel's current or average trace.
  void TakeReference(int index, bool average);
  void ClearReference(int index);
  // Peak and minimum holds start again.
  void ResetHolds();
  // Calibrates the input with a number or a measured tone (the peak of the
  // first ticked channel's current trace).
  void Calibrate(measure::LevelUnit unit, double value, bool fromTone);

  const SpectrumChoices& Choices() const { return choices_; }
  void SetChoices(const SpectrumChoices& choices);
  const measure::ChannelTraces& Traces(int channel) const { return traces_[std::size_t(channel)]; }
  const measure::Calibration& InputCalibration() const;
  // The plot as it is drawn now, at the plot's size.
  QImage PlotPicture() const;
  // What the readouts say.
  QString PointerText() const { return pointerReadout_->text(); }
  QString PeakText() const { return peakReadout_->text(); }
  // The pointer's frequency as the mouse or the arrow keys set it.
  void SetPointer(double hz);

protected:
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

private:
  struct Reference {
    QString Name;
    std::vector<double> Frequencies, Power;
  };
  class PlotView;

  void BuildControls();
  void ShowChoices();
  void ReadChoices();
  void Configure();
  void Transformed(std::span<const double> left, std::span<const double> right);
  PlotInput Input() const;
  // Works out the picture and paints again what changed of it, or all of it.
  void Redraw(bool whole);
  void UpdateReadouts();
  void SaveTraceClick();
  void SavePictureClick();
  void LoadReferenceClick(int index);
  void CalibrateClick();
  QString AskFileName(const QString& caption, const QString& name, const QString& filter,
                      bool save);
  bool Problem(const QString& fileName, const QString& problem, const char* what);

  SpectrumChoices choices_;
  measure::LongSpectrum analysis_{48000};
  std::array<measure::ChannelTraces, 2> traces_;
  std::array<bool, 2> on_{true, true};
  std::array<Reference, 2> references_;
  measure::Calibrations calibrations_;
  std::string device_;
  std::optional<double> pointer_;
  PlotInput shown_; // the picture the plot paints
  bool held_ = false;
  bool opened_ = false; // this run: the settings file gets the window's values
  QString folder_;
  QRect place_; // normal geometry; null until placed

  QComboBox *size_, *window_, *overlap_, *average_, *axis_, *range_, *unit_;
  QDoubleSpinBox* timeConstant_;
  QSpinBox *count_, *top_;
  QCheckBox *peak_, *min_, *grid_;
  QAction* saveTrace_;
  PlotView* plot_;
  QLabel *pointerReadout_, *peakReadout_;
};
