#include "app/MeasurementWindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QScreen>

namespace {

constexpr int SecondFrames = 48000;
// Blocks come every 43 ms; this long without one means the input stopped.
constexpr int NoInputMs = 1500;
const QString Nothing = QStringLiteral("\u2014");
const char* const ChannelColumns[] = {"Left", "Right"};
const char* const ChannelRows[] = {"Frequency (Hz)", "RMS (dBFS)", "Peak (dBFS)",
                                   "THD (dB)",       "THD (%)",    "THD+N (dB)",
                                   "THD+N (%)",      "SNR (dB)",   "Noise floor (dBFS)"};
const char* const PairRows[] = {"Level difference L\u2212R (dB)", "Phase L\u2212R (\u00B0)",
                                "Delay L after R (samples)"};

QString Key(const QString& column, const QString& row) {
  return column + QLatin1Char('/') + row;
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
  for (const char* caption : ChannelRows) {
    ++row;
    grid->addWidget(new QLabel(QString::fromUtf8(caption), this), row, 0);
    for (int c = 0; c < 2; ++c)
      addValue(QString::fromLatin1(ChannelColumns[c]), QString::fromUtf8(caption), c + 1, 1);
  }
  for (const char* caption : PairRows) {
    ++row;
    grid->addWidget(new QLabel(QString::fromUtf8(caption), this), row, 0);
    addValue(QStringLiteral("Between"), QString::fromUtf8(caption), 1, 2);
  }
  noInput_.setSingleShot(true);
  noInput_.setInterval(NoInputMs);
  connect(&noInput_, &QTimer::timeout, this, [this] {
    left_.clear();
    right_.clear();
    ShowNothing();
  });
}

QLabel* MeasurementWindow::Value(const QString& column, const QString& row) const {
  return findChild<QLabel*>(Key(column, row), Qt::FindDirectChildrenOnly);
}

QString MeasurementWindow::Figure(const QString& column, const QString& row) const {
  const QLabel* label = Value(column, row);
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
  leftThroughout_ = leftThroughout_ && leftOn;
  rightThroughout_ = rightThroughout_ && rightOn;
  left_.insert(left_.end(), left.begin(), left.end());
  right_.insert(right_.end(), right.begin(), right.end());
  if (left_.size() >= SecondFrames) Measure();
}

void MeasurementWindow::Measure() {
  ShowNothing();
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
