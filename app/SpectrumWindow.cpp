#include "app/SpectrumWindow.h"

#include <cmath>

#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QInputDialog>
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
#include "measure/TraceCsv.h"
#include "platform/AtomicFile.h"
#include "platform/MessageBox.h"
#include "settings/SettingsStore.h"

namespace {

constexpr double SampleRate = 48000;
constexpr double LowestHz = 10;
// DC and the window's spread of it: no peak is looked for below this bin.
constexpr std::size_t PeakFromBin = 6;
const QString Nothing = QStringLiteral("\u2014");
const char* const Channels[] = {"Left", "Right"};
const char* const Kinds[] = {"current", "average", "peak", "min"};
constexpr int Hops[] = {1, 2, 4, 8, 16, 32};
const char* const Overlaps[] = {"0 %", "50 %", "75 %", "87.5 %", "93.8 %", "96.9 %"};
constexpr int Ranges[] = {20, 40, 60, 80, 100, 120, 140, 160, 200};
// Per channel: current, average, peak, min; then the two references.
const QColor TraceColors[2][4] = {
    {QColor(0, 224, 224), QColor(48, 128, 255), QColor(160, 255, 160), QColor(0, 112, 112)},
    {QColor(255, 64, 255), QColor(255, 128, 64), QColor(255, 255, 96), QColor(128, 48, 128)}};
const QColor ReferenceColors[2] = {QColor(255, 255, 255), QColor(255, 80, 80)};

// The whole numbers the settings file keeps, with the range each may take; a
// value outside it gives the default.
struct StoredChoice {
  const char* Name;
  int SpectrumChoices::*Member;
  int Min, Max;
};
constexpr StoredChoice StoredChoices[] = {
    {"SWN", &SpectrumChoices::SizeLog2, 11, 16},
    {"SWF", &SpectrumChoices::Window, 0, 5},
    {"SWV", &SpectrumChoices::Hops, 1, 32},
    {"SWA", &SpectrumChoices::Average, 0, 2},
    {"SWT", &SpectrumChoices::TimeConstantTenths, 1, 600},
    {"SWC", &SpectrumChoices::Count, 2, 1000},
    {"SWP", &SpectrumChoices::Peak, 0, 1},
    {"SWM", &SpectrumChoices::Min, 0, 1},
    {"SWL", &SpectrumChoices::LogAxis, 0, 1},
    {"SWG", &SpectrumChoices::TopDb, -200, 200},
    {"SWR", &SpectrumChoices::RangeDb, 20, 200},
    {"SWD", &SpectrumChoices::Grid, 0, 1},
    {"SWU", &SpectrumChoices::Unit, 0, 4},
};
// The window's place and size (not placed: beside the main window), whether
// it was maximised and open, and the calibrations.
constexpr int NotPlaced = -32768;
const char* const PlaceNames[] = {"SWX", "SWY", "SWW", "SWH"};
constexpr char MaximisedName[] = "SWZ", OpenName[] = "SWO", CalibrationsName[] = "SWCal";

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
  for (const int r : Ranges)
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
  overlap_->setCurrentIndex(IndexOf(Hops, c.Hops));
  average_->setCurrentIndex(c.Average);
  timeConstant_->setValue(c.TimeConstantTenths / 10.0);
  count_->setValue(c.Count);
  peak_->setChecked(c.Peak != 0);
  min_->setChecked(c.Min != 0);
  axis_->setCurrentIndex(c.LogAxis != 0 ? 0 : 1);
  top_->setValue(c.TopDb);
  range_->setCurrentIndex(IndexOf(Ranges, c.RangeDb));
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
  c.Hops = Hops[overlap_->currentIndex()];
  c.Average = average_->currentIndex();
  c.TimeConstantTenths = int(std::lround(timeConstant_->value() * 10));
  c.Count = count_->value();
  c.Peak = peak_->isChecked();
  c.Min = min_->isChecked();
  c.LogAxis = axis_->currentIndex() == 0;
  c.TopDb = top_->value();
  c.RangeDb = Ranges[range_->currentIndex()];
  c.Grid = grid_->isChecked();
  c.Unit = unit_->currentIndex();
  SetChoices(c);
}

void SpectrumWindow::SetChoices(const SpectrumChoices& choices) {
  const SpectrumChoices before = choices_;
  choices_ = choices;
  // A value the window cannot show falls back to its default.
  const SpectrumChoices defaults;
  for (const StoredChoice& s : StoredChoices)
    if (choices_.*s.Member < s.Min || choices_.*s.Member > s.Max)
      choices_.*s.Member = defaults.*s.Member;
  if (IndexOf(Hops, choices_.Hops) < 0) choices_.Hops = defaults.Hops;
  if (IndexOf(Ranges, choices_.RangeDb) < 0) choices_.RangeDb = defaults.RangeDb;
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
        in.Traces.push_back({QStringLiteral("%1 %2").arg(QString::fromLatin1(Channels[c]),
                                                         QString::fromLatin1(Kinds[k])),
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
                        .arg(QString::fromLatin1(Channels[c]), HzText(peak.FrequencyHz),
                             LevelText(10 * std::log10(peak.Power), unit, InputCalibration()))
                  : QStringLiteral("%1 %2").arg(QString::fromLatin1(Channels[c]), Nothing));
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

void SpectrumWindow::TakeReference(int index, bool average) {
  for (int c = 0; c < 2; ++c) {
    const measure::ChannelTraces& t = traces_[std::size_t(c)];
    const std::span<const double> trace = average ? t.Average.Average() : t.Current;
    if (!on_[std::size_t(c)] || trace.empty()) continue;
    Reference& ref = references_[std::size_t(index)];
    ref.Name = QStringLiteral("Reference %1 (%2 %3)")
                   .arg(index + 1)
                   .arg(QString::fromLatin1(Channels[c]), QString::fromLatin1(Kinds[average]));
    ref.Power.assign(trace.begin(), trace.end());
    ref.Frequencies.resize(trace.size());
    for (std::size_t k = 0; k < trace.size(); ++k)
      ref.Frequencies[k] = double(k) * analysis_.BinHz();
    break;
  }
  UpdateReadouts();
  Redraw(true);
}

void SpectrumWindow::ClearReference(int index) {
  references_[std::size_t(index)] = {};
  UpdateReadouts();
  Redraw(true);
}

bool SpectrumWindow::Problem(const QString& fileName, const QString& problem, const char* what) {
  if (problem.isEmpty()) return false;
  ShowMessageBox(this,
                 QStringLiteral("%1 could not be %2: %3.")
                     .arg(QDir::toNativeSeparators(fileName), QString::fromLatin1(what), problem),
                 QStringLiteral("Error"), MessageIcon::Warning);
  return true;
}

bool SpectrumWindow::LoadReference(int index, const QString& fileName, const QString& column) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly) || file.size() > 64 * 1024 * 1024)
    return !Problem(fileName, QStringLiteral("it cannot be read"), "loaded");
  const QByteArray text = file.readAll();
  const measure::TraceTable table = measure::ReadTraceCsv({text.constData(), size_t(text.size())});
  if (Problem(fileName, QString::fromStdString(table.Problem), "loaded")) return false;
  QStringList names;
  for (const measure::TraceColumn& c : table.Columns)
    names << QString::fromStdString(c.Name);
  QString chosen = column;
  if (chosen.isEmpty() && names.size() == 1) chosen = names[0];
  if (chosen.isEmpty() && names.size() > 1) {
    bool ok = false;
    chosen = QInputDialog::getItem(this, QStringLiteral("Load Reference"),
                                   QStringLiteral("Column:"), names, 0, false, &ok);
    if (!ok) return false;
  }
  const int at = int(names.indexOf(chosen));
  if (at < 0)
    return !Problem(fileName, QStringLiteral("it has no column %1").arg(chosen), "loaded");
  measure::LevelUnit unit;
  const std::string name = chosen.toStdString();
  if (!measure::UnitNamed(measure::ColumnUnit(name), &unit) || !InputCalibration().Gives(unit))
    return !Problem(
        fileName, QStringLiteral("the unit of %1 is none this input is calibrated for").arg(chosen),
        "loaded");
  Reference ref;
  ref.Name = QStringLiteral("Reference %1 (%2: %3)")
                 .arg(index + 1)
                 .arg(QFileInfo(fileName).fileName(), chosen);
  const std::vector<double>& values = table.Columns[std::size_t(at)].Values;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double dbfs = measure::ToDbfs(values[i], unit, InputCalibration());
    // Rising frequencies only: the drawing and the readouts look points up.
    if (std::isnan(dbfs) ||
        (!ref.Frequencies.empty() && table.Frequencies[i] <= ref.Frequencies.back()))
      continue;
    ref.Frequencies.push_back(table.Frequencies[i]);
    ref.Power.push_back(std::pow(10.0, dbfs / 10));
  }
  references_[std::size_t(index)] = std::move(ref);
  UpdateReadouts();
  Redraw(true);
  return true;
}

bool SpectrumWindow::SaveTrace(const QString& fileName) {
  const auto unit = measure::LevelUnit(choices_.Unit);
  const std::string suffix = std::string("_") + UnitName(unit);
  measure::TraceTable table;
  for (std::size_t k = 0; k < analysis_.Bins(); ++k)
    table.Frequencies.push_back(double(k) * analysis_.BinHz());
  const auto inUnit = [&](std::span<const double> power) {
    std::vector<double> v(table.Frequencies.size(), NAN);
    for (std::size_t k = 0; k < std::min(power.size(), v.size()); ++k)
      v[k] = measure::FromDbfs(10 * std::log10(power[k]), unit, InputCalibration());
    return v;
  };
  for (int c = 0; c < 2; ++c) {
    const measure::ChannelTraces& t = traces_[std::size_t(c)];
    if (!on_[std::size_t(c)] || t.Current.empty()) continue;
    const std::span<const double> powers[] = {t.Current, t.Average.Average(), t.Peak.Held(),
                                              t.Min.Held()};
    for (int k = 0; k < 4; ++k)
      table.Columns.push_back(
          {QString::fromLatin1(Channels[c]).toLower().toStdString() + "_" + Kinds[k] + suffix,
           inUnit(powers[k])});
  }
  if (table.Columns.empty())
    return !Problem(fileName, QStringLiteral("no ticked channel has a spectrum yet"), "saved");
  for (int r = 0; r < 2; ++r) {
    const Reference& ref = references_[std::size_t(r)];
    if (ref.Power.empty()) continue;
    table.Columns.push_back(
        {"reference" + std::to_string(r + 1) + suffix,
         inUnit(measure::TraceAt(ref.Frequencies, ref.Power, table.Frequencies))});
  }
  const std::string text = measure::TraceCsvText(table);
  return !Problem(fileName, WriteFileAtomically(fileName, QByteArray::fromStdString(text)),
                  "saved");
}

QImage SpectrumWindow::PlotPicture() const {
  QImage image(plot_->size(), QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setFont(plot_->font());
  DrawSpectrumPlot(painter, image.size(), Input());
  return image;
}

bool SpectrumWindow::SavePicture(const QString& fileName) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!grab().toImage().save(&buffer, "PNG"))
    return !Problem(fileName, QStringLiteral("the picture could not be made"), "saved");
  return !Problem(fileName, WriteFileAtomically(fileName, png), "saved");
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

QString SpectrumWindow::AskFileName(const QString& caption, const QString& name,
                                    const QString& filter, bool save) {
  const QString start = QDir(folder_).filePath(name);
  const QString fileName = save ? QFileDialog::getSaveFileName(this, caption, start, filter)
                                : QFileDialog::getOpenFileName(this, caption, start, filter);
  if (!fileName.isEmpty()) folder_ = QFileInfo(fileName).absolutePath();
  return fileName;
}

void SpectrumWindow::SaveTraceClick() {
  const QString name = AskFileName(QStringLiteral("Save Trace"), QStringLiteral("trace.csv"),
                                   QStringLiteral("CSV files (*.csv)"), true);
  if (!name.isEmpty()) SaveTrace(name);
}

void SpectrumWindow::SavePictureClick() {
  const QString name = AskFileName(QStringLiteral("Save Picture"), QStringLiteral("spectrum.png"),
                                   QStringLiteral("PNG pictures (*.png)"), true);
  if (!name.isEmpty()) SavePicture(name);
}

void SpectrumWindow::LoadReferenceClick(int index) {
  const QString name = AskFileName(QStringLiteral("Load Reference"), QString(),
                                   QStringLiteral("CSV files (*.csv)"), false);
  if (!name.isEmpty()) LoadReference(index, name);
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
                 .arg(HzText(peak.FrequencyHz), QString::fromLatin1(Channels[c]));
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

void SpectrumWindow::LoadSettings(const SettingsStore& store, const std::string& inputDevice) {
  device_ = inputDevice;
  SpectrumChoices c;
  for (const StoredChoice& s : StoredChoices)
    c.*s.Member = store.ReadInteger(QString::fromLatin1(s.Name), c.*s.Member);
  calibrations_ = measure::ParseCalibrations(
      QByteArray::fromPercentEncoding(store.ReadText(QString::fromLatin1(CalibrationsName)))
          .toStdString());
  SetChoices(c);
  int place[4];
  for (int i = 0; i < 4; ++i)
    place[i] = store.ReadInteger(QString::fromLatin1(PlaceNames[i]), NotPlaced);
  if (place[0] != NotPlaced && place[1] != NotPlaced && place[2] > 100 && place[3] > 100 &&
      place[2] <= 16384 && place[3] <= 16384)
    place_ = QRect(place[0], place[1], place[2], place[3]);
  OpenAtStart = store.ReadInteger(QString::fromLatin1(OpenName), 0) != 0;
  if (store.ReadInteger(QString::fromLatin1(MaximisedName), 0) != 0)
    setWindowState(windowState() | Qt::WindowMaximized);
}

void SpectrumWindow::SaveSettings(SettingsStore& store) const {
  // A file that never had the window open gets none of its values.
  if (!opened_ && store.ReadText(QString::fromLatin1(OpenName)).isNull()) return;
  for (const StoredChoice& s : StoredChoices)
    store.WriteInteger(QString::fromLatin1(s.Name), choices_.*s.Member);
  const QRect place = isVisible() ? normalGeometry() : place_;
  if (!place.isNull()) {
    const int values[] = {place.x(), place.y(), place.width(), place.height()};
    for (int i = 0; i < 4; ++i)
      store.WriteInteger(QString::fromLatin1(PlaceNames[i]), values[i]);
  }
  store.WriteInteger(QString::fromLatin1(OpenName), isVisible() ? 1 : 0);
  store.WriteInteger(QString::fromLatin1(MaximisedName), isMaximized() ? 1 : 0);
  if (!calibrations_.empty() || !store.ReadText(QString::fromLatin1(CalibrationsName)).isNull())
    store.WriteText(
        QString::fromLatin1(CalibrationsName),
        QByteArray::fromStdString(measure::CalibrationsText(calibrations_)).toPercentEncoding());
}
