// SPDX-License-Identifier: GPL-3.0-or-later
// The Spectrum window's values in the settings file: every choice, its place
// and size, whether it was open, and the calibrations by input device.

#include <algorithm>

#include "app/SpectrumWindow.h"
#include "settings/SettingsStore.h"

namespace {

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

} // namespace

SpectrumChoices CheckedChoices(SpectrumChoices choices) {
  const SpectrumChoices defaults;
  for (const StoredChoice& s : StoredChoices)
    if (choices.*s.Member < s.Min || choices.*s.Member > s.Max)
      choices.*s.Member = defaults.*s.Member;
  if (std::ranges::find(SpectrumHops, choices.Hops) == std::end(SpectrumHops))
    choices.Hops = defaults.Hops;
  if (std::ranges::find(SpectrumRanges, choices.RangeDb) == std::end(SpectrumRanges))
    choices.RangeDb = defaults.RangeDb;
  return choices;
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
