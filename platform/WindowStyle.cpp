// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WindowStyle.h"

#include <QApplication>
#include <QProxyStyle>
#include <QStyleFactory>

#include "platform/WindowFont.h"

namespace {

class CompactStyle : public QProxyStyle {
public:
  CompactStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    switch (metric) {
    case PM_CheckBoxLabelSpacing:
    case PM_RadioButtonLabelSpacing:
      return 3;
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
      return 12;
    default:
      return QProxyStyle::pixelMetric(metric, option, widget);
    }
  }
};

} // namespace

void InstallWindowStyle() {
  QApplication::setStyle(new CompactStyle);
  QApplication::setFont(WindowFont());
}
