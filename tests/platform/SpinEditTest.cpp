// SPDX-License-Identifier: GPL-3.0-or-later
// The spin edit: clamping, the text as the value, change events, typing.

#include <gtest/gtest.h>

#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "platform/SpinEdit.h"

namespace {

struct Edit {
  QWidget window;
  SpinEdit* edit = new SpinEdit(&window);
  int changes = 0;
  std::vector<QString> seen; // the text each change event saw

  Edit(int min, int max) {
    edit->MinValue = min;
    edit->MaxValue = max;
    edit->setGeometry(0, 0, 53, 22);
    edit->OnChange = [this](QObject* sender) {
      EXPECT_EQ(sender, edit);
      ++changes;
      seen.push_back(edit->Text());
    };
  }

  QToolButton* Button(Qt::ArrowType arrow) const {
    for (QToolButton* b : edit->findChildren<QToolButton*>())
      if (b->arrowType() == arrow) return b;
    ADD_FAILURE() << "no button with arrow " << arrow;
    return nullptr;
  }

  void LoseFocus() {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(edit->Editor(), &out);
  }
};

} // namespace

TEST(SpinEdit, SetValueClampsToTheRangeAndShowsTheValue) {
  Edit e(1, 24000);
  e.edit->SetValue(30000);
  EXPECT_EQ(e.edit->Text(), QStringLiteral("24000"));
  EXPECT_EQ(e.edit->Value(), 24000);
  e.edit->SetValue(0);
  EXPECT_EQ(e.edit->Value(), 1);
  e.edit->SetValue(-50);
  EXPECT_EQ(e.edit->Text(), QStringLiteral("1"));
  e.edit->SetValue(440);
  EXPECT_EQ(e.edit->Text(), QStringLiteral("440"));
}

TEST(SpinEdit, NoClampingWhenMinEqualsMax) {
  Edit e(0, 0);
  e.edit->SetValue(123456);
  EXPECT_EQ(e.edit->Value(), 123456);
  e.edit->SetValue(-7);
  EXPECT_EQ(e.edit->Value(), -7);
}

TEST(SpinEdit, TextThatIsNotAnIntegerReadsAsMinValue) {
  Edit e(5, 100);
  for (const char* text : {"", "-", "abc", "12x"}) {
    e.edit->SetText(QString::fromLatin1(text));
    EXPECT_EQ(e.edit->Text(), QString::fromLatin1(text));
    EXPECT_EQ(e.edit->Value(), 5) << text;
  }
  // The value outside the range is read as it stands, not clamped.
  e.edit->SetText(QStringLiteral("500"));
  EXPECT_EQ(e.edit->Value(), 500);
}

TEST(SpinEdit, ChangeEventRunsExactlyWhenTheTextChanges) {
  Edit e(1, 100);
  e.edit->SetValue(50);
  EXPECT_EQ(e.changes, 1);
  e.edit->SetValue(50);
  e.edit->SetText(QStringLiteral("50"));
  EXPECT_EQ(e.changes, 1);
  // 200 and 100 both show as "100": one change only.
  e.edit->SetValue(200);
  e.edit->SetValue(100);
  EXPECT_EQ(e.changes, 2);
  // The handler already sees the new text.
  EXPECT_EQ(e.seen.back(), QStringLiteral("100"));
  e.edit->SetText(QStringLiteral("abc"));
  EXPECT_EQ(e.changes, 3);
}

TEST(SpinEdit, TypingIsLimitedToMaxLengthAndClampedOnFocusLoss) {
  Edit e(1, 100);
  e.edit->SetMaxLength(3);
  e.edit->SetValue(1);
  e.changes = 0;
  e.edit->Editor()->clear();
  QTest::keyClicks(e.edit->Editor(), QStringLiteral("50012"));
  EXPECT_EQ(e.edit->Text(), QStringLiteral("500"));
  // Typed but not yet corrected: the value is read as typed.
  EXPECT_EQ(e.edit->Value(), 500);
  const int typed = e.changes;
  EXPECT_EQ(typed, 4); // cleared, then "5", "50", "500"

  e.LoseFocus();
  EXPECT_EQ(e.edit->Text(), QStringLiteral("100"));
  EXPECT_EQ(e.changes, typed + 1);

  // A value in range, or text that is no number, stays as it is.
  e.edit->SetValue(42);
  const int before = e.changes;
  e.LoseFocus();
  e.edit->SetText(QString());
  e.LoseFocus();
  EXPECT_EQ(e.edit->Text(), QString());
  EXPECT_EQ(e.changes, before + 1);
}

TEST(SpinEdit, LettersCannotBeTyped) {
  Edit e(0, 999);
  e.edit->SetMaxLength(3);
  e.edit->Editor()->clear();
  QTest::keyClicks(e.edit->Editor(), QStringLiteral("a1b2"));
  EXPECT_EQ(e.edit->Text(), QStringLiteral("12"));
}

TEST(SpinEdit, SmallButtonsStepByOneWithinTheBounds) {
  Edit e(1, 100);
  QToolButton* up = e.Button(Qt::UpArrow);
  QToolButton* down = e.Button(Qt::DownArrow);
  ASSERT_NE(up, nullptr);
  ASSERT_NE(down, nullptr);
  e.window.show();
  // The up button sits above the down button, right of the text.
  EXPECT_LT(up->geometry().top(), down->geometry().top());
  EXPECT_GE(up->geometry().left(), e.edit->Editor()->geometry().right());

  e.edit->SetValue(99);
  e.changes = 0;
  up->click();
  EXPECT_EQ(e.edit->Value(), 100);
  up->click();
  EXPECT_EQ(e.edit->Value(), 100);
  EXPECT_EQ(e.changes, 1);
  down->click();
  EXPECT_EQ(e.edit->Value(), 99);

  e.edit->SetValue(1);
  down->click();
  EXPECT_EQ(e.edit->Value(), 1);
  // From text that is no number the step starts at MinValue.
  e.edit->SetText(QStringLiteral("-"));
  up->click();
  EXPECT_EQ(e.edit->Value(), 2);
}

TEST(SpinEdit, ArrowAndPageKeysStepAsTheButtonsDoWithinTheBounds) {
  Edit e(1, 100);
  e.edit->SetValue(95);
  for (const auto& [key, value] :
       {std::pair{Qt::Key_Up, 96}, std::pair{Qt::Key_PageUp, 100}, std::pair{Qt::Key_Down, 99},
        std::pair{Qt::Key_PageDown, 89}, std::pair{Qt::Key_Home, 89}}) {
    QTest::keyClick(e.edit->Editor(), key);
    EXPECT_EQ(e.edit->Value(), value) << key;
  }
  EXPECT_EQ(e.seen.back(), QStringLiteral("89"));
}
