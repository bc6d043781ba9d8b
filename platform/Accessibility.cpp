#include "platform/Accessibility.h"

#include <algorithm>

#include <QAccessibleWidget>
#include <QLineEdit>
#include <QToolButton>

#include "platform/ControlEvents.h"
#include "platform/UpDown.h"

namespace {

// Which way an arrow button steps, in the words its arrow shows.
QString ArrowWord(Qt::ArrowType arrow) {
  switch (arrow) {
  case Qt::UpArrow:
    return QStringLiteral("up");
  case Qt::DownArrow:
    return QStringLiteral("down");
  case Qt::LeftArrow:
    return QStringLiteral("left");
  case Qt::RightArrow:
    return QStringLiteral("right");
  default:
    return {};
  }
}

// A spin box whose value is the position; a value set from outside is
// reached by steps and a release, as clicks on the arrows reach it.
class UpDownAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
  explicit UpDownAccessible(UpDown* upDown) : QAccessibleWidget(upDown, QAccessible::SpinBox) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QString text(QAccessible::Text type) const override {
    if (type == QAccessible::Value) return QString::number(Control()->Position());
    return QAccessibleWidget::text(type);
  }
  QVariant currentValue() const override { return Control()->Position(); }
  QVariant maximumValue() const override { return std::max(Control()->Min, Control()->Max); }
  QVariant minimumValue() const override { return std::min(Control()->Min, Control()->Max); }
  QVariant minimumStepSize() const override { return 1; }
  void setCurrentValue(const QVariant& value) override {
    UpDown* upDown = Control();
    const int target = upDown->Clamp(value.toInt());
    while (upDown->Position() != target) {
      const int before = upDown->Position();
      upDown->Step(target > before ? 1 : -1);
      if (upDown->Position() == before) break; // the changing event kept it
    }
    ReportMouseRelease(upDown, upDown->rect().center());
  }

private:
  UpDown* Control() const { return static_cast<UpDown*>(widget()); }
};

QAccessibleInterface* CreateInterface(const QString& className, QObject* object) {
  if (className == QLatin1String("UpDown") && object->isWidgetType())
    return new UpDownAccessible(static_cast<UpDown*>(object));
  return nullptr;
}

} // namespace

void DescribeControl(QWidget* control, const QString& name, const QString& toolTip) {
  if (!name.isEmpty()) control->setAccessibleName(name);
  control->setToolTip(toolTip);
  const QString shown = control->accessibleName();
  for (QToolButton* arrow : control->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly))
    arrow->setAccessibleName(shown + QLatin1Char(' ') + ArrowWord(arrow->arrowType()));
  for (QLineEdit* field : control->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly)) {
    field->setAccessibleName(shown);
    field->setToolTip(toolTip);
  }
}

void InstallControlAccessibility() {
  static const bool installed = (QAccessible::installFactory(CreateInterface), true);
  (void)installed;
}
