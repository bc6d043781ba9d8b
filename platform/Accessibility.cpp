// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Accessibility.h"

#include <algorithm>
#include <utility>

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

#include "platform/ControlEvents.h"
#include "platform/SpinEdit.h"
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

constexpr int ReportIntervalMs = 1000;
const char* const HolderName = "ShownValue";

// A control's ShownValue, kept as its child so that it goes with it, and
// when its change was last reported.
class ValueHolder : public QObject {
public:
  ValueHolder(QWidget* control, ShownValue value) : QObject(control), Value(std::move(value)) {
    setObjectName(QString::fromLatin1(HolderName));
  }
  ShownValue Value;
  QString Reported; // the text the last report told
  QElapsedTimer SinceReport;
  bool Pending = false;
};

const ValueHolder* HolderOf(const QObject* control) {
  return dynamic_cast<const ValueHolder*>(
      control->findChild<QObject*>(QString::fromLatin1(HolderName), Qt::FindDirectChildrenOnly));
}

// The text a control shows as read-only text: no selection, no cursor to move.
class ReadOnlyText : public QAccessibleTextInterface {
public:
  void selection(int, int* startOffset, int* endOffset) const override {
    *startOffset = *endOffset = 0;
  }
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int) override {}
  QString text(int startOffset, int endOffset) const override {
    return Shown().mid(startOffset, endOffset - startOffset);
  }
  int characterCount() const override { return static_cast<int>(Shown().size()); }
  QRect characterRect(int) const override { return {}; }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  QString attributes(int offset, int* startOffset, int* endOffset) const override {
    *startOffset = *endOffset = offset;
    return {};
  }

protected:
  virtual QString Shown() const = 0;
};

// A readout or a level: its text, and for a level its number.
class ShownValueAccessible : public QAccessibleWidget,
                             public ReadOnlyText,
                             public QAccessibleValueInterface {
public:
  ShownValueAccessible(QWidget* control, QAccessible::Role role, const ValueHolder* holder)
      : QAccessibleWidget(control, role), holder_(holder) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::ValueInterface && holder_->Value.Number)
      return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QString text(QAccessible::Text type) const override {
    if (type == QAccessible::Value) return Shown();
    return QAccessibleWidget::text(type);
  }
  using ReadOnlyText::text;

  QVariant currentValue() const override { return holder_->Value.Number(); }
  void setCurrentValue(const QVariant&) override {}
  QVariant maximumValue() const override { return holder_->Value.Maximum; }
  QVariant minimumValue() const override { return holder_->Value.Minimum; }
  QVariant minimumStepSize() const override { return 0; }

protected:
  QString Shown() const override { return holder_->Value.Text(); }

private:
  const ValueHolder* holder_;
};

// A spin box whose value is the position; a value set from outside is
// reached by steps and a release, as clicks on the arrows reach it. Its text
// is the caption the window shows for it, where it has one.
class UpDownAccessible : public QAccessibleWidget,
                         public ReadOnlyText,
                         public QAccessibleValueInterface {
public:
  explicit UpDownAccessible(UpDown* upDown) : QAccessibleWidget(upDown, QAccessible::SpinBox) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QString text(QAccessible::Text type) const override {
    if (type == QAccessible::Value) return Shown();
    return QAccessibleWidget::text(type);
  }
  using ReadOnlyText::text;
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

protected:
  QString Shown() const override {
    const ValueHolder* shown = HolderOf(Control());
    return shown != nullptr ? shown->Value.Text() : QString::number(Control()->Position());
  }

private:
  UpDown* Control() const { return static_cast<UpDown*>(widget()); }
};

// A number edit with arrows: a spin box with its range and the number typed.
class SpinEditAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
  explicit SpinEditAccessible(SpinEdit* edit) : QAccessibleWidget(edit, QAccessible::SpinBox) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QString text(QAccessible::Text type) const override {
    if (type == QAccessible::Value) return Control()->Text();
    return QAccessibleWidget::text(type);
  }
  QVariant currentValue() const override { return Control()->Value(); }
  QVariant maximumValue() const override { return Control()->MaxValue; }
  QVariant minimumValue() const override { return Control()->MinValue; }
  QVariant minimumStepSize() const override { return 1; }
  void setCurrentValue(const QVariant& value) override { Control()->SetValue(value.toInt()); }

private:
  SpinEdit* Control() const { return static_cast<SpinEdit*>(widget()); }
};

// A button that stays down until clicked again: a toggle button, pressed or not.
class ToggleButtonAccessible : public QAccessibleWidget {
public:
  explicit ToggleButtonAccessible(QAbstractButton* button)
      : QAccessibleWidget(button, QAccessible::Button) {}

  QString text(QAccessible::Text type) const override {
    const QString own = QAccessibleWidget::text(type);
    if (type == QAccessible::Name && own.isEmpty()) return QString(Button()->text()).remove('&');
    return own;
  }
  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = true;
    state.checked = state.pressed = Button()->isChecked();
    return state;
  }
  QStringList actionNames() const override {
    return QStringList{pressAction(), toggleAction()} + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& name) override {
    if (name == pressAction() || name == toggleAction())
      Button()->click();
    else
      QAccessibleWidget::doAction(name);
  }

private:
  QAbstractButton* Button() const { return static_cast<QAbstractButton*>(widget()); }
};

QAccessibleInterface* CreateInterface(const QString& className, QObject* object) {
  if (!object->isWidgetType()) return nullptr;
  auto* widget = static_cast<QWidget*>(object);
  if (className == QLatin1String("UpDown"))
    return new UpDownAccessible(static_cast<UpDown*>(widget));
  if (className == QLatin1String("SpinEdit"))
    return new SpinEditAccessible(static_cast<SpinEdit*>(widget));
  if (className == QLatin1String("SpeedButton") &&
      static_cast<QAbstractButton*>(widget)->isCheckable())
    return new ToggleButtonAccessible(static_cast<QAbstractButton*>(widget));
  if (const ValueHolder* holder = HolderOf(widget))
    return new ShownValueAccessible(
        widget, static_cast<QAccessible::Role>(widget->property("ShownRole").toInt()), holder);
  // The window's panels hold controls; its bevels only divide them.
  if (className == QLatin1String("Panel")) return new QAccessibleWidget(widget, QAccessible::Pane);
  if (className == QLatin1String("Bevel"))
    return new QAccessibleWidget(widget, QAccessible::Separator);
  // Reached only by a window with no class of its own that Qt knows.
  if (className == QLatin1String("QWidget") && widget->isWindow())
    return new QAccessibleWidget(widget, QAccessible::Window);
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

ShownValue ShownText(std::function<QString()> text) {
  ShownValue value;
  value.Text = std::move(text);
  return value;
}

void PresentValue(QWidget* control, QAccessible::Role role, ShownValue value) {
  InstallControlAccessibility();
  // An interface made earlier, when the control got its name, gives way to
  // the one the value makes.
  if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(control))
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
  delete HolderOf(control);
  control->setProperty("ShownRole", static_cast<int>(role));
  new ValueHolder(control, std::move(value));
}

void ReportValueChange(QWidget* control) {
  // Asked with every block: nothing more while no assistive technology listens.
  if (!QAccessible::isActive()) return;
  auto* holder = const_cast<ValueHolder*>(HolderOf(control));
  if (holder == nullptr || holder->Pending) return;
  const auto report = [control, holder] {
    holder->Pending = false;
    holder->SinceReport.start();
    const QString now = holder->Value.Text();
    if (holder->Value.Number) {
      QAccessibleValueChangeEvent event(control, holder->Value.Number());
      QAccessible::updateAccessibility(&event);
    } else if (now != holder->Reported) {
      QAccessibleTextUpdateEvent event(control, 0, holder->Reported, now);
      QAccessible::updateAccessibility(&event);
    }
    holder->Reported = now;
  };
  const qint64 since =
      holder->SinceReport.isValid() ? holder->SinceReport.elapsed() : ReportIntervalMs;
  if (since >= ReportIntervalMs) {
    report();
  } else {
    // The latest value is told once the second is over.
    holder->Pending = true;
    QTimer::singleShot(static_cast<int>(ReportIntervalMs - since), holder, report);
  }
}

void InstallControlAccessibility() {
  static const bool installed = (QAccessible::installFactory(CreateInterface), true);
  (void)installed;
}
