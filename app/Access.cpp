// SPDX-License-Identifier: GPL-3.0-or-later
// What keyboard and screen-reader users get beyond the component table: the
// up-downs read out the caption the window shows for them, with its unit,
// and the LED meters their level in dBFS.

#include <cmath>
#include <utility>

#include "app/Main.h"
#include "platform/Accessibility.h"

namespace {

// The peak level a meter shows, in dBFS as the level readouts compute it.
double MeterDbfs(int32_t peak) {
  return -(90.309 - 20.0 * std::log10(peak + 1.0));
}

} // namespace

void TForm1::CreateAccess() {
  // The X scale shows no figure of its own: it reads out its position.
  for (const auto& [upDown, label] :
       {std::pair<UpDown*, Label*>{Sensitivity, LSensVal}, {Speed, LSpeed}, {ScopeYW, LabelY}})
    PresentValue(upDown, QAccessible::SpinBox,
                 ShownText([label = label] { return label->Caption(); }));
  for (const auto& [meter, level] :
       {std::pair{PeakLedDisplay1, &Levels.LedL}, std::pair{PeakLedDisplay2, &Levels.LedR}})
    PresentValue(meter, QAccessible::ProgressBar,
                 {.Text =
                      [level = level] {
                        return QStringLiteral("%1 dBFS").arg(MeterDbfs(level->Level), 0, 'f', 1);
                      },
                  .Number = [level = level] { return MeterDbfs(level->Level); },
                  .Minimum = MeterDbfs(0),
                  .Maximum = MeterDbfs(32767)});
}
