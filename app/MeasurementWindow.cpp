#include "app/MeasurementWindow.h"

#include <cmath>

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>

namespace {

constexpr int SecondFrames = 48000;
// Blocks come every 43 ms; this long without one means the input stopped.
constexpr int NoInputMs = 1500;
const QString Nothing = QStringLiteral("\u2014");
const char* const ChannelColumns[] = {"Left", "Right"};
const QString Between = QStringLiteral("Between");

// A row of figures: its caption, where the library gives it, and how many
// decimals it shows.
template <class FiguresOf> struct Row {
  const char* Caption;
  double FiguresOf::*Value;
  int Decimals;
};
using measure::ChannelFigures;
using measure::PairFigures;
const Row<ChannelFigures> ChannelRows[] = {
    {"Frequency (Hz)", &ChannelFigures::FrequencyHz, 2},
    {"RMS (dBFS)", &ChannelFigures::RmsDbfs, 2},
    {"Peak (dBFS)", &ChannelFigures::PeakDbfs, 2},
    {"THD (dB)", &ChannelFigures::ThdDb, 2},
    {"THD (%)", &ChannelFigures::ThdPercent, 4},
    {"THD+N (dB)", &ChannelFigures::ThdnDb, 2},
    {"THD+N (%)", &ChannelFigures::ThdnPercent, 4},
    {"SNR (dB)", &ChannelFigures::SnrDb, 2},
    {"Noise floor (dBFS)", &ChannelFigures::NoiseFloorDbfs, 2},
};
const Row<PairFigures> PairRows[] = {
    {"Level difference L\u2212R (dB)", &PairFigures::LevelDifferenceDb, 2},
    {"Phase L\u2212R (\u00B0)", &PairFigures::PhaseDegrees, 2},
    {"Delay L after R (samples)", &PairFigures::DelaySamples, 2},
};

QString Key(const QString& column, const QString& row) {
  return column + QLatin1Char('/') + row;
}

QLabel* FigureLabel(const QWidget& window, const QString& column, const QString& row) {
  return window.findChild<QLabel*>(Key(column, row), Qt::FindDirectChildrenOnly);
}

// figures null: every figure of the column "—". A figure the library could
// not give (silence, no tone, an infinite ratio) is "—" too.
template <class FiguresOf, size_t N>
void ShowColumn(const QWidget& window, const QString& column, const Row<FiguresOf> (&rows)[N],
                const FiguresOf* figures) {
  // The user's decimal separator, without grouping: "1000.07" or "1000,07".
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  for (const auto& r : rows) {
    const double v = figures != nullptr && figures->Valid ? figures->*r.Value : NAN;
    FigureLabel(window, column, QString::fromUtf8(r.Caption))
        ->setText(std::isfinite(v) ? locale.toString(v, 'f', r.Decimals) : Nothing);
  }
}

} // namespace

MeasurementWindow::MeasurementWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QStringLiteral("Measurements"));
  setAccessibleName(QStringLiteral("Measurements"));
  setAttribute(Qt::WA_QuitOnClose, false);
  auto* grid = new QGridLayout(this);
  int row = 0;
  const auto addValue = [&](const QString& column, const QString& caption, int at, int span) {
    auto* value = new QLabel(Nothing, this);
    value->setObjectName(Key(column, caption));
    value->setAccessibleName(column + QLatin1Char(' ') + caption);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("-000.0000")));
    grid->addWidget(value, row, at, 1, span);
  };
  for (int c = 0; c < 2; ++c)
    grid->addWidget(new QLabel(QString::fromLatin1(ChannelColumns[c]), this), row, c + 1,
                    Qt::AlignRight);
  for (const auto& r : ChannelRows) {
    ++row;
    grid->addWidget(new QLabel(QString::fromUtf8(r.Caption), this), row, 0);
    for (int c = 0; c < 2; ++c)
      addValue(QString::fromLatin1(ChannelColumns[c]), QString::fromUtf8(r.Caption), c + 1, 1);
  }
  for (const auto& r : PairRows) {
    ++row;
    grid->addWidget(new QLabel(QString::fromUtf8(r.Caption), this), row, 0);
    addValue(Between, QString::fromUtf8(r.Caption), 1, 2);
  }
  noInput_.setSingleShot(true);
  noInput_.setInterval(NoInputMs);
  connect(&noInput_, &QTimer::timeout, this, [this] {
    left_.clear();
    right_.clear();
    ShowNothing();
  });
}

QString MeasurementWindow::Figure(const QString& column, const QString& row) const {
  const QLabel* label = FigureLabel(*this, column, row);
  return label != nullptr ? label->text() : QString();
}

void MeasurementWindow::ShowNothing() {
  for (QLabel* label : findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
    if (!label->objectName().isEmpty()) label->setText(Nothing);
}

void MeasurementWindow::AddBlock(std::span<const int16_t> left, std::span<const int16_t> right,
                                 bool leftOn, bool rightOn) {
  if (held_ || !isVisible()) return;
  noInput_.start();
  // A channel switched off is blank at once, and until it has been on for a
  // whole second.
  if (!leftOn)
    ShowColumn<ChannelFigures>(*this, QString::fromLatin1(ChannelColumns[0]), ChannelRows, nullptr);
  if (!rightOn)
    ShowColumn<ChannelFigures>(*this, QString::fromLatin1(ChannelColumns[1]), ChannelRows, nullptr);
  if (!leftOn || !rightOn) ShowColumn<PairFigures>(*this, Between, PairRows, nullptr);
  leftThroughout_ = leftThroughout_ && leftOn;
  rightThroughout_ = rightThroughout_ && rightOn;
  left_.insert(left_.end(), left.begin(), left.end());
  right_.insert(right_.end(), right.begin(), right.end());
  if (left_.size() >= SecondFrames) Measure();
}

void MeasurementWindow::Measure() {
  const measure::Figures figures = measure::MeasureStereo(left_, right_);
  ShowColumn(*this, QString::fromLatin1(ChannelColumns[0]), ChannelRows,
             leftThroughout_ ? &figures.Left : nullptr);
  ShowColumn(*this, QString::fromLatin1(ChannelColumns[1]), ChannelRows,
             rightThroughout_ ? &figures.Right : nullptr);
  ShowColumn(*this, Between, PairRows,
             leftThroughout_ && rightThroughout_ ? &figures.Between : nullptr);
  left_.clear();
  right_.clear();
  leftThroughout_ = rightThroughout_ = true;
}

void MeasurementWindow::Hold(bool held) {
  held_ = held;
  left_.clear();
  right_.clear();
  leftThroughout_ = rightThroughout_ = true;
  if (held)
    noInput_.stop();
  else if (isVisible())
    noInput_.start();
}

void MeasurementWindow::Open(const QWidget& beside) {
  if (!isVisible()) {
    const bool onScreen = QGuiApplication::screenAt(Place) != nullptr;
    adjustSize();
    if (onScreen) {
      move(Place);
    } else {
      // Right of the main window where the screen has room, else at the
      // screen's right edge.
      const QRect main = beside.frameGeometry();
      const QScreen* screen = beside.screen();
      const int right = screen != nullptr ? screen->availableGeometry().right() : main.right();
      move(std::min(main.right() + 8, right - frameGeometry().width()), main.top());
    }
    ShowNothing();
    show();
    if (!held_) noInput_.start();
  }
  raise();
  activateWindow();
}

void MeasurementWindow::moveEvent(QMoveEvent* e) {
  QWidget::moveEvent(e);
  if (isVisible()) Place = pos();
}

void MeasurementWindow::closeEvent(QCloseEvent* e) {
  noInput_.stop();
  left_.clear();
  right_.clear();
  QWidget::closeEvent(e);
}
