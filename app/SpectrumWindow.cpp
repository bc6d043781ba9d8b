// SPDX-License-Identifier: GPL-3.0-or-later
// The Spectrum window's controls, the blocks into the analysis, the plot and
// the readouts.

#include "app/SpectrumWindow.h"

#include <cmath>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "app/CalibrationDialog.h"

namespace {

constexpr double SampleRate = 48000;
constexpr double LowestHz = 10;
// DC and the window's spread of it: no peak is looked for below this bin.
constexpr std::size_t PeakFromBin = 6;
const QString Nothing = QStringLiteral("\u2014");
const char* const Overlaps[] = {"0 %", "50 %", "75 %", "87.5 %", "93.8 %", "96.9 %"};
// Per channel: current, average, peak, min; then the two references.
const QColor TraceColors[2][4] = {
    {QColor(0, 224, 224), QColor(48, 128, 255), QColor(160, 255, 160), QColor(0, 112, 112)},
    {QColor(255, 64, 255), QColor(255, 128, 64), QColor(255, 255, 96), QColor(128, 48, 128)}};
const QColor ReferenceColors[2] = {QColor(255, 255, 255), QColor(255, 80, 80)};

QString UnitText(measure::LevelUnit unit) {
  return unit == measure::LevelUnit::DbSpl ? QStringLiteral("dB SPL")
                                           : QString::fromLatin1(UnitName(unit));
}

int IndexOf(std::span<const int> values, int value) {
  const auto at = std::find(values.begin(), values.end(), value);
  return at == values.end() ? -1 : int(at - values.begin());
}

} // namespace

// The plot: painted by the renderer, the pointer follows the mouse and the
// arrow keys.
class SpectrumWindow::PlotView : public QWidget {
public:
  explicit PlotView(SpectrumWindow& owner) : QWidget(&owner), owner_(owner) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("Spectrum plot"));
    setObjectName(QStringLiteral("plot"));
    setMinimumSize(320, 200);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    DrawSpectrumPlot(painter, size(), owner_.shown_);
  }
  void resizeEvent(QResizeEvent* e) override {
    QWidget::resizeEvent(e);
    owner_.Redraw(true);
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    const QRect area = PlotArea(size());
    if (area.contains(e->position().toPoint()))
      owner_.SetPointer(XFrequency(owner_.Input().Axes, area, e->position().x()));
  }
  void keyPressEvent(QKeyEvent* e) override {
    const int step = e->key() == Qt::Key_Left       ? -1
                     : e->key() == Qt::Key_Right    ? 1
                     : e->key() == Qt::Key_PageDown ? -10
                     : e->key() == Qt::Key_PageUp   ? 10
                                                    : 0;
    if (step == 0) {
      QWidget::keyPressEvent(e);
      return;
    }
    // One pixel column a press, ten with Page Up and Down.
    const PlotAxes axes = owner_.Input().Axes;
    const QRect area = PlotArea(size());
    const double x = owner_.pointer_ ? FrequencyX(axes, area, *owner_.pointer_) : area.center().x();
    owner_.SetPointer(
        XFrequency(axes, area, std::clamp(x + step, double(area.left()), double(area.right()))));
  }

private:
  SpectrumWindow& owner_;
};

SpectrumWindow::SpectrumWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QStringLiteral("Spectrum"));
  setAccessibleName(QStringLiteral("Spectrum"));
  setAttribute(Qt::WA_QuitOnClose, false);
  folder_ = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  BuildControls();
  ShowChoices();
  Configure();
  // Ctrl+E saves the trace here, not the main window's spectrum, whose key
  // works in every window of the program.
  qApp->installEventFilter(this);
}

SpectrumWindow::~SpectrumWindow() = default;

void SpectrumWindow::BuildControls() {
  auto* layout = new QVBoxLayout(this);
  auto* menus = new QMenuBar(this);
  layout->setMenuBar(menus);
  QMenu* file = menus->addMenu(QStringLiteral("&File"));
  saveTrace_ =
      file->addAction(QStringLiteral("Save &Trace\u2026"), this, &SpectrumWindow::SaveTraceClick);
  saveTrace_->setShortcut(Qt::CTRL | Qt::Key_E);
  file->addAction(QStringLiteral("Save &Picture\u2026"), this, &SpectrumWindow::SavePictureClick);
  file->addSeparator();
  file->addAction(QStringLiteral("&Close"), this, &QWidget::close);
  QMenu* traces = menus->addMenu(QStringLiteral("&Traces"));
  traces->addAction(QStringLiteral("&Reset Holds"), this, &SpectrumWindow::ResetHolds);
  for (int r = 0; r < 2; ++r) {
    traces->addSeparator();
    const QString n = QString::number(r + 1);
    traces->addAction(QStringLiteral("Reference %1 from &Current").arg(n), this,
                      [this, r] { TakeReference(r, false); });
    traces->addAction(QStringLiteral("Reference %1 from &Average").arg(n), this,
                      [this, r] { TakeReference(r, true); });
    traces->addAction(QStringLiteral("&Load Reference %1\u2026").arg(n), this,
                      [this, r] { LoadReferenceClick(r); });
    traces->addAction(QStringLiteral("Clear Reference %1").arg(n), this,
                      [this, r] { ClearReference(r); });
  }

  auto* controls = new QGridLayout;
  layout->addLayout(controls);
  int column = 0;
  const auto add = [&](int row, const QString& caption, QWidget* control) {
    if (!caption.isEmpty()) {
      auto* label = new QLabel(caption, this);
      label->setBuddy(control);
      controls->addWidget(label, row, column++, Qt::AlignRight);
    }
    controls->addWidget(control, row, column++);
    control->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
  };
  const auto combo = [this](const QStringList& items) {
    auto* box = new QComboBox(this);
    box->addItems(items);
    return box;
  };
  QStringList sizes, windows, units;
  for (int bits = 11; bits <= 16; ++bits)
    sizes << QStringLiteral("%1 (%2 Hz)").arg(1 << bits).arg(SampleRate / (1 << bits), 0, 'g', 3);
  for (const measure::WindowKind kind : measure::WindowKinds)
    windows << QString::fromLatin1(WindowName(kind));
  for (const measure::LevelUnit unit : measure::LevelUnits)
    units << UnitText(unit);
  QStringList overlaps, ranges;
  for (const char* o : Overlaps)
    overlaps << QString::fromLatin1(o);
  for (const int r : SpectrumRanges)
    ranges << QStringLiteral("%1 dB").arg(r);
  add(0, QStringLiteral("&FFT size"), size_ = combo(sizes));
  add(0, QStringLiteral("&Window"), window_ = combo(windows));
  add(0, QStringLiteral("&Overlap"), overlap_ = combo(overlaps));
  add(0, QStringLiteral("&Average"),
      average_ =
          combo({QStringLiteral("Off"), QStringLiteral("Exponential"), QStringLiteral("Linear")}));
  timeConstant_ = new QDoubleSpinBox(this);
  timeConstant_->setRange(0.1, 60);
  timeConstant_->setDecimals(1);
  timeConstant_->setSuffix(QStringLiteral(" s"));
  add(0, QStringLiteral("Time &constant"), timeConstant_);
  count_ = new QSpinBox(this);
  count_->setRange(2, 1000);
  add(0, QStringLiteral("Cou&nt"), count_);
  add(0, {}, peak_ = new QCheckBox(QStringLiteral("&Peak hold"), this));
  add(0, {}, min_ = new QCheckBox(QStringLiteral("&Min hold"), this));
  peak_->setAccessibleName(QStringLiteral("Peak hold"));
  min_->setAccessibleName(QStringLiteral("Min hold"));
  column = 0;
  add(1, QStringLiteral("A&xis"),
      axis_ = combo({QStringLiteral("Logarithmic"), QStringLiteral("Linear")}));
  top_ = new QSpinBox(this);
  top_->setRange(-200, 200);
  top_->setSuffix(QStringLiteral(" dB"));
  add(1, QStringLiteral("T&op"), top_);
  add(1, QStringLiteral("&Range"), range_ = combo(ranges));
  add(1, QStringLiteral("&Unit"), unit_ = combo(units));
  add(1, {}, grid_ = new QCheckBox(QStringLiteral("&Grid"), this));
  grid_->setAccessibleName(QStringLiteral("Grid"));
  auto* calibrate = new QPushButton(QStringLiteral("Ca&librate\u2026"), this);
  add(1, {}, calibrate);
  calibrate->setAccessibleName(QStringLiteral("Calibrate"));
  controls->setColumnStretch(column + 1, 1);

  plot_ = new PlotView(*this);
  layout->addWidget(plot_, 1);
  for (QLabel** readout : {&pointerReadout_, &peakReadout_}) {
    *readout = new QLabel(Nothing, this);
    // Reachable with Tab, readable by a screen reader and selectable.
    (*readout)->setFocusPolicy(Qt::TabFocus);
    (*readout)->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    // A new text never lays the window out again.
    (*readout)->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    layout->addWidget(*readout);
  }
  // No name of their own: a screen reader reads their text, which names itself.
  pointerReadout_->setAccessibleDescription(QStringLiteral("Pointer readout"));
  peakReadout_->setAccessibleDescription(QStringLiteral("Peak readout"));

  for (QComboBox* box : {size_, window_, overlap_, average_, axis_, range_, unit_})
    connect(box, &QComboBox::activated, this, &SpectrumWindow::ReadChoices);
  for (QCheckBox* box : {peak_, min_, grid_})
    connect(box, &QCheckBox::toggled, this, &SpectrumWindow::ReadChoices);
  for (QAbstractSpinBox* spin :
       std::initializer_list<QAbstractSpinBox*>{timeConstant_, count_, top_})
    connect(spin, &QAbstractSpinBox::editingFinished, this, &SpectrumWindow::ReadChoices);
  connect(calibrate, &QPushButton::clicked, this, &SpectrumWindow::CalibrateClick);
}

void SpectrumWindow::ShowChoices() {
  const SpectrumChoices& c = choices_;
  const QSignalBlocker blocks[] = {QSignalBlocker(peak_), QSignalBlocker(min_),
                                   QSignalBlocker(grid_)};
  size_->setCurrentIndex(c.SizeLog2 - 11);
  window_->setCurrentIndex(c.Window);
  overlap_->setCurrentIndex(IndexOf(SpectrumHops, c.Hops));
  average_->setCurrentIndex(c.Average);
  timeConstant_->setValue(c.TimeConstantTenths / 10.0);
  count_->setValue(c.Count);
  peak_->setChecked(c.Peak != 0);
  min_->setChecked(c.Min != 0);
  axis_->setCurrentIndex(c.LogAxis != 0 ? 0 : 1);
  top_->setValue(c.TopDb);
  range_->setCurrentIndex(IndexOf(SpectrumRanges, c.RangeDb));
  unit_->setCurrentIndex(c.Unit);
  grid_->setChecked(c.Grid != 0);
  timeConstant_->setEnabled(c.Average == int(measure::AverageMode::Exponential));
  count_->setEnabled(c.Average == int(measure::AverageMode::Linear));
  // Units in volts and sound pressure need the input's calibration.
  auto* model = qobject_cast<QStandardItemModel*>(unit_->model());
  for (int u = 0; u < unit_->count(); ++u)
    model->item(u)->setEnabled(InputCalibration().Gives(measure::LevelUnits[u]));
}

void SpectrumWindow::ReadChoices() {
  SpectrumChoices c;
  c.SizeLog2 = size_->currentIndex() + 11;
  c.Window = window_->currentIndex();
  c.Hops = SpectrumHops[overlap_->currentIndex()];
  c.Average = average_->currentIndex();
  c.TimeConstantTenths = int(std::lround(timeConstant_->value() * 10));
  c.Count = count_->value();
  c.Peak = peak_->isChecked();
  c.Min = min_->isChecked();
  c.LogAxis = axis_->currentIndex() == 0;
  c.TopDb = top_->value();
  c.RangeDb = SpectrumRanges[range_->currentIndex()];
  c.Grid = grid_->isChecked();
  c.Unit = unit_->currentIndex();
  SetChoices(c);
}

void SpectrumWindow::SetChoices(const SpectrumChoices& choices) {
  const SpectrumChoices before = choices_;
  choices_ = CheckedChoices(choices);
  if (!InputCalibration().Gives(measure::LevelUnits[choices_.Unit]))
    choices_.Unit = int(measure::LevelUnit::Dbfs);
  ShowChoices();
  if (before.SizeLog2 != choices_.SizeLog2 || before.Window != choices_.Window ||
      before.Hops != choices_.Hops || before.Average != choices_.Average ||
      before.TimeConstantTenths != choices_.TimeConstantTenths || before.Count != choices_.Count)
    Configure();
  UpdateReadouts();
  Redraw(true);
}

void SpectrumWindow::Configure() {
  analysis_.Configure(
      {std::size_t(1) << choices_.SizeLog2, measure::WindowKind(choices_.Window), choices_.Hops});
  // A new resolution or window starts every trace again.
  for (measure::ChannelTraces& t : traces_) {
    t.Reset();
    t.Average.Configure({measure::AverageMode(choices_.Average), choices_.TimeConstantTenths / 10.0,
                         choices_.Count},
                        double(analysis_.Hop()) / SampleRate);
  }
}

void SpectrumWindow::AddBlock(std::span<const int16_t> left, std::span<const int16_t> right,
                              bool leftOn, bool rightOn) {
  if (held_ || !isVisible()) return;
  on_ = {leftOn, rightOn};
  if (analysis_.Add(left, right, [this](std::span<const double> l, std::span<const double> r) {
        Transformed(l, r);
      }) > 0) {
    UpdateReadouts();
    Redraw(false);
  }
}

void SpectrumWindow::Transformed(std::span<const double> left, std::span<const double> right) {
  if (on_[0]) traces_[0].Add(left);
  if (on_[1]) traces_[1].Add(right);
}

void SpectrumWindow::Hold(bool held) {
  held_ = held;
  analysis_.Restart();
}

const measure::Calibration& SpectrumWindow::InputCalibration() const {
  static const measure::Calibration none;
  const auto at = calibrations_.find(device_);
  return at != calibrations_.end() ? at->second : none;
}

void SpectrumWindow::SetInputDevice(const std::string& device) {
  if (device == device_) return;
  device_ = device;
  SetChoices(choices_);
}

PlotInput SpectrumWindow::Input() const {
  PlotInput in;
  in.Axes.LogFrequency = choices_.LogAxis != 0;
  in.Axes.MinHz = in.Axes.LogFrequency ? LowestHz : 0;
  in.Axes.MaxHz = SampleRate / 2;
  in.Axes.TopDb = choices_.TopDb;
  in.Axes.RangeDb = choices_.RangeDb;
  const auto unit = measure::LevelUnit(choices_.Unit);
  in.Volts = unit == measure::LevelUnit::Volts;
  in.UnitOffsetDb =
      measure::FromDbfs(0, in.Volts ? measure::LevelUnit::Dbv : unit, InputCalibration());
  in.Unit = UnitText(unit);
  in.Grid = choices_.Grid != 0;
  const bool shown[] = {true, choices_.Average != int(measure::AverageMode::Off),
                        choices_.Peak != 0, choices_.Min != 0};
  for (int c = 0; c < 2; ++c) {
    if (!on_[std::size_t(c)]) continue;
    const measure::ChannelTraces& t = traces_[std::size_t(c)];
    const std::span<const double> powers[] = {t.Current, t.Average.Average(), t.Peak.Held(),
                                              t.Min.Held()};
    for (int k = 0; k < 4; ++k)
      if (shown[k] && !powers[k].empty())
        in.Traces.push_back({QStringLiteral("%1 %2").arg(QString::fromLatin1(SpectrumChannels[c]),
                                                         QString::fromLatin1(SpectrumKinds[k])),
                             TraceColors[c][k],
                             powers[k],
                             analysis_.BinHz(),
                             {},
                             {}});
  }
  for (int r = 0; r < 2; ++r) {
    const Reference& ref = references_[std::size_t(r)];
    if (!ref.Power.empty())
      in.Traces.push_back({ref.Name, ReferenceColors[r], ref.Power, 0, ref.Frequencies, {}});
  }
  in.Pointer = pointer_;
  for (int c = 0; c < 2; ++c)
    if (on_[std::size_t(c)] && !traces_[std::size_t(c)].Current.empty()) {
      const measure::SpectrumPeak peak =
          measure::FindPeak(traces_[std::size_t(c)].Current, measure::WindowKind(choices_.Window),
                            analysis_.BinHz(), PeakFromBin);
      if (peak.Power > 0) in.Peak = std::pair(peak.FrequencyHz, peak.Power);
      break;
    }
  return in;
}

namespace {

// "-20.00 dBFS", "0.1234 V", or "—".
QString LevelText(double dbfs, measure::LevelUnit unit, const measure::Calibration& calibration) {
  const double v = measure::FromDbfs(dbfs, unit, calibration);
  if (!std::isfinite(v)) return Nothing;
  return measure::InDecibels(unit) ? QStringLiteral("%1 %2").arg(v, 0, 'f', 2).arg(UnitText(unit))
                                   : QStringLiteral("%1 V").arg(v, 0, 'g', 4);
}

QString HzText(double hz) {
  return QStringLiteral("%1 Hz").arg(hz, 0, 'f', 2);
}

} // namespace

void SpectrumWindow::UpdateReadouts() {
  const PlotInput in = Input();
  const auto unit = measure::LevelUnit(choices_.Unit);
  QStringList pointer;
  if (pointer_) {
    pointer << QStringLiteral("Pointer %1").arg(HzText(*pointer_));
    for (const PlotTrace& trace : in.Traces)
      pointer << QStringLiteral("%1 %2").arg(
          trace.Name, LevelText(TraceLevelAt(trace, *pointer_, 0), unit, InputCalibration()));
  }
  pointerReadout_->setText(pointer.isEmpty() ? QStringLiteral("Pointer %1").arg(Nothing)
                                             : pointer.join(QStringLiteral(", ")));
  QStringList peaks;
  for (int c = 0; c < 2; ++c) {
    if (!on_[std::size_t(c)] || traces_[std::size_t(c)].Current.empty()) continue;
    const measure::SpectrumPeak peak =
        measure::FindPeak(traces_[std::size_t(c)].Current, measure::WindowKind(choices_.Window),
                          analysis_.BinHz(), PeakFromBin);
    peaks << (peak.Power > 0
                  ? QStringLiteral("%1 %2 %3")
                        .arg(QString::fromLatin1(SpectrumChannels[c]), HzText(peak.FrequencyHz),
                             LevelText(10 * std::log10(peak.Power), unit, InputCalibration()))
                  : QStringLiteral("%1 %2").arg(QString::fromLatin1(SpectrumChannels[c]), Nothing));
  }
  peakReadout_->setText(QStringLiteral("Peak ") +
                        (peaks.isEmpty() ? Nothing : peaks.join(QStringLiteral(", "))));
  plot_->setAccessibleDescription(pointerReadout_->text());
}

void SpectrumWindow::Redraw(bool whole) {
  PlotInput next = Input();
  const QRect area = PlotArea(plot_->size());
  const std::vector<double> edges = ColumnEdges(next.Axes, area);
  for (PlotTrace& trace : next.Traces) {
    trace.Points = PlotPoints(trace, next.Axes, area, next.UnitOffsetDb, edges);
    // The picture keeps only the points: the traces change under it.
    trace.Power = {};
    trace.Frequencies = {};
  }
  // With the same traces only their lines and the peak's mark change: the
  // rest of the picture is not painted again, nor sent to the screen.
  bool same =
      !whole && next.Traces.size() == shown_.Traces.size() && next.Pointer == shown_.Pointer;
  for (std::size_t i = 0; same && i < next.Traces.size(); ++i)
    same = next.Traces[i].Name == shown_.Traces[i].Name;
  if (!same) {
    plot_->update();
  } else {
    QRegion region = TraceChange(shown_.Traces, next.Traces, area);
    for (const PlotInput* in : {&shown_, &next})
      if (in->Peak)
        region += QRect(
            int(FrequencyX(in->Axes, area, in->Peak->first)) - 8,
            int(LevelY(in->Axes, area, 10 * std::log10(in->Peak->second) + in->UnitOffsetDb)) - 8,
            17, 17);
    plot_->update(region);
  }
  shown_ = std::move(next);
}

void SpectrumWindow::SetPointer(double hz) {
  pointer_ = hz;
  UpdateReadouts();
  Redraw(true);
}

void SpectrumWindow::ResetHolds() {
  for (measure::ChannelTraces& t : traces_) {
    t.Peak.Reset();
    t.Min.Reset();
  }
  Redraw(true);
}

QImage SpectrumWindow::PlotPicture() const {
  QImage image(plot_->size(), QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setFont(plot_->font());
  DrawSpectrumPlot(painter, image.size(), Input());
  return image;
}

void SpectrumWindow::Calibrate(measure::LevelUnit unit, double value, bool fromTone) {
  measure::Calibration c = InputCalibration();
  if (fromTone) {
    for (int ch = 0; ch < 2; ++ch) {
      if (!on_[std::size_t(ch)] || traces_[std::size_t(ch)].Current.empty()) continue;
      const measure::SpectrumPeak peak =
          measure::FindPeak(traces_[std::size_t(ch)].Current, measure::WindowKind(choices_.Window),
                            analysis_.BinHz(), PeakFromBin);
      if (peak.Power > 0)
        c = measure::WithReferenceTone(c, 10 * std::log10(peak.Power), unit, value);
      break;
    }
  } else {
    c = measure::WithFullScale(c, unit, value);
  }
  calibrations_[device_] = c;
  SetChoices(choices_);
}

void SpectrumWindow::CalibrateClick() {
  QString tone;
  for (int c = 0; c < 2 && tone.isEmpty(); ++c) {
    if (!on_[std::size_t(c)] || traces_[std::size_t(c)].Current.empty()) continue;
    const measure::SpectrumPeak peak =
        measure::FindPeak(traces_[std::size_t(c)].Current, measure::WindowKind(choices_.Window),
                          analysis_.BinHz(), PeakFromBin);
    if (peak.Power > 0)
      tone = QStringLiteral("%1 dBFS at %2 (%3)")
                 .arg(10 * std::log10(peak.Power), 0, 'f', 2)
                 .arg(HzText(peak.FrequencyHz), QString::fromLatin1(SpectrumChannels[c]));
  }
  CalibrationAnswer answer;
  const QString input =
      device_.empty() ? QStringLiteral("the default input") : QString::fromStdString(device_);
  if (!AskCalibration(this, input, tone, &answer)) return;
  if (answer.Forget) {
    calibrations_.erase(device_);
    SetChoices(choices_);
    return;
  }
  Calibrate(answer.Unit, answer.Value, answer.FromTone);
}

void SpectrumWindow::Open(const QWidget& beside) {
  if (!isVisible()) {
    if (!place_.isNull() && QGuiApplication::screenAt(place_.center()) != nullptr) {
      setGeometry(place_);
    } else {
      resize(960, 600);
      const QRect main = beside.frameGeometry();
      move(main.left() + 40, main.top() + 40);
    }
    show();
    opened_ = true;
  }
  raise();
  activateWindow();
}

void SpectrumWindow::closeEvent(QCloseEvent* e) {
  place_ = normalGeometry();
  QWidget::closeEvent(e);
}

bool SpectrumWindow::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() != QEvent::ShortcutOverride && e->type() != QEvent::KeyPress) return false;
  const auto* widget = qobject_cast<QWidget*>(watched);
  const auto* key = static_cast<QKeyEvent*>(e);
  if (widget == nullptr || widget->window() != this ||
      key->keyCombination() != QKeyCombination(Qt::CTRL, Qt::Key_E))
    return false;
  e->accept();
  if (e->type() == QEvent::KeyPress) saveTrace_->trigger();
  return true;
}
