// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MeasurementWindow.h"

#include <cmath>

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QShortcut>

#include "measure/Report.h"
#include "platform/Accessibility.h"

namespace {

constexpr int SecondFrames = 48000;
// Blocks come every 43 ms; this long without one means the input stopped.
constexpr int NoInputMs = 1500;
const QString Nothing = QStringLiteral("\u2014");
const char* const ChannelColumns[] = {"Left", "Right"};
const QString Between = QStringLiteral("Between");

using measure::ChannelFigures;
using measure::PairFigures;

// "RMS level (dBFS)"
template <class FiguresOf> QString Caption(const measure::Field<FiguresOf>& field) {
  return QStringLiteral("%1 (%2)").arg(QString::fromLatin1(field.Label),
                                       QString::fromLatin1(field.Unit));
}

QString Key(const QString& column, const QString& row) {
  return column + QLatin1Char('/') + row;
}

QLabel* FigureLabel(const QWidget& window, const QString& column, const QString& row) {
  return window.findChild<QLabel*>(Key(column, row), Qt::FindDirectChildrenOnly);
}

// figures null: every figure of the column "—". A figure the library could
// not give (no tone, silence, no noise) is "—" too, one below the noise "< "
// and its bound.
template <class FiguresOf>
void ShowColumn(const QWidget& window, const QString& column,
                std::span<const measure::Field<FiguresOf>> fields, const FiguresOf* figures) {
  // The user's decimal separator, without grouping: "1000.07" or "1000,07".
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  for (const auto& field : fields) {
    const double v = figures != nullptr ? figures->*field.Value : measure::None;
    // A figure known only as a bound (THD below the noise) shows the bound.
    const double bound = figures != nullptr && figures->Valid && field.Bound != nullptr
                             ? field.Bound(*figures)
                             : measure::None;
    QLabel* label = FigureLabel(window, column, QString::fromLatin1(field.Key));
    label->setText(std::isfinite(v) ? locale.toString(v, 'f', field.Decimals)
                   : std::isfinite(bound)
                       ? QStringLiteral("< ") + locale.toString(bound, 'f', field.Decimals)
                       : Nothing);
    ReportValueChange(label);
  }
}

} // namespace

MeasurementWindow::MeasurementWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QStringLiteral("Measurements"));
  setAccessibleName(QStringLiteral("Measurements"));
  setAttribute(Qt::WA_QuitOnClose, false);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &QWidget::close);
  auto* grid = new QGridLayout(this);
  int row = 0;
  const auto addValue = [&](const QString& column, const char* key, const QString& caption, int at,
                            int span) {
    auto* value = new QLabel(Nothing, this);
    value->setObjectName(Key(column, QString::fromLatin1(key)));
    value->setAccessibleName(column + QLatin1Char(' ') + caption);
    PresentValue(value, QAccessible::StaticText, ShownText([value] { return value->text(); }));
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("-000.0000")));
    grid->addWidget(value, row, at, 1, span);
  };
  for (int c = 0; c < 2; ++c)
    grid->addWidget(new QLabel(QString::fromLatin1(ChannelColumns[c]), this), row, c + 1,
                    Qt::AlignRight);
  for (const auto& field : measure::ChannelFields()) {
    ++row;
    grid->addWidget(new QLabel(Caption(field), this), row, 0);
    for (int c = 0; c < 2; ++c)
      addValue(QString::fromLatin1(ChannelColumns[c]), field.Key, Caption(field), c + 1, 1);
  }
  for (const auto& field : measure::PairFields()) {
    ++row;
    grid->addWidget(new QLabel(Caption(field), this), row, 0);
    addValue(Between, field.Key, Caption(field), 1, 2);
  }
  noInput_.setSingleShot(true);
  noInput_.setInterval(NoInputMs);
  connect(&noInput_, &QTimer::timeout, this, [this] {
    StartSecond();
    ShowNothing();
  });
  // Room for a whole second, so that no block allocates.
  left_.reserve(SecondFrames + 2048);
  right_.reserve(SecondFrames + 2048);
}

void MeasurementWindow::StartSecond() {
  left_.clear();
  right_.clear();
  leftThroughout_ = rightThroughout_ = true;
  gap_ = false;
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
                                 bool leftOn, bool rightOn, bool gap) {
  if (held_ || !isVisible()) return;
  noInput_.start();
  // A channel switched off is blank at once, and until it has been on for a
  // whole second.
  if (!leftOn)
    ShowColumn<ChannelFigures>(*this, QString::fromLatin1(ChannelColumns[0]),
                               measure::ChannelFields(), nullptr);
  if (!rightOn)
    ShowColumn<ChannelFigures>(*this, QString::fromLatin1(ChannelColumns[1]),
                               measure::ChannelFields(), nullptr);
  if (!leftOn || !rightOn) ShowColumn<PairFigures>(*this, Between, measure::PairFields(), nullptr);
  gap_ = gap_ || gap;
  leftThroughout_ = leftThroughout_ && leftOn;
  rightThroughout_ = rightThroughout_ && rightOn;
  left_.insert(left_.end(), left.begin(), left.end());
  right_.insert(right_.end(), right.begin(), right.end());
  if (left_.size() >= SecondFrames) Measure();
}

void MeasurementWindow::Measure() {
  if (gap_) {
    ShowNothing();
    return StartSecond();
  }
  const measure::Figures figures = measure::MeasureStereo(left_, right_);
  ShowColumn(*this, QString::fromLatin1(ChannelColumns[0]), measure::ChannelFields(),
             leftThroughout_ ? &figures.Left : nullptr);
  ShowColumn(*this, QString::fromLatin1(ChannelColumns[1]), measure::ChannelFields(),
             rightThroughout_ ? &figures.Right : nullptr);
  ShowColumn(*this, Between, measure::PairFields(),
             leftThroughout_ && rightThroughout_ ? &figures.Between : nullptr);
  StartSecond();
}

void MeasurementWindow::Hold(bool held) {
  held_ = held;
  StartSecond();
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
  StartSecond();
  QWidget::closeEvent(e);
}
