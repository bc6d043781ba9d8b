// SPDX-License-Identifier: GPL-3.0-or-later
// The Spectrum window's files: the traces saved as CSV, the window as a
// picture, the references taken from its traces or loaded from a CSV.

#include <cmath>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>

#include "app/SpectrumWindow.h"
#include "measure/TraceCsv.h"
#include "platform/AtomicFile.h"
#include "platform/MessageBox.h"

void SpectrumWindow::TakeReference(int index, bool average) {
  for (int c = 0; c < 2; ++c) {
    const measure::ChannelTraces& t = traces_[std::size_t(c)];
    const std::span<const double> trace = average ? t.Average.Average() : t.Current;
    if (!on_[std::size_t(c)] || trace.empty()) continue;
    Reference& ref = references_[std::size_t(index)];
    ref.Name = QStringLiteral("Reference %1 (%2 %3)")
                   .arg(index + 1)
                   .arg(QString::fromLatin1(SpectrumChannels[c]),
                        QString::fromLatin1(SpectrumKinds[average]));
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
      table.Columns.push_back({QString::fromLatin1(SpectrumChannels[c]).toLower().toStdString() +
                                   "_" + SpectrumKinds[k] + suffix,
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

bool SpectrumWindow::SavePicture(const QString& fileName) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!grab().toImage().save(&buffer, "PNG"))
    return !Problem(fileName, QStringLiteral("the picture could not be made"), "saved");
  return !Problem(fileName, WriteFileAtomically(fileName, png), "saved");
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
