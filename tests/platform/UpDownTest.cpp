// SPDX-License-Identifier: GPL-3.0-or-later
// The up-down: positions set by the program, the changing event, arrow steps.

#include <gtest/gtest.h>

#include <QToolButton>

#include "platform/UpDown.h"

namespace {

struct Arrows {
  QWidget window;
  UpDown* upDown;
  std::vector<int> changingSaw; // the position each changing event saw
  int clicks = 0;
  bool allow = true;

  Arrows(Qt::Orientation orientation, int min, int max, int16_t position, QSize size) {
    upDown = new UpDown(&window, orientation);
    upDown->Min = min;
    upDown->Max = max;
    upDown->SetPosition(position);
    upDown->setGeometry(QRect(QPoint(0, 0), size));
    upDown->OnChanging = [this](QObject* sender, bool& allowChange) {
      EXPECT_EQ(sender, upDown);
      changingSaw.push_back(upDown->Position());
      allowChange = allow;
    };
    upDown->OnClick = [this](QObject*) { ++clicks; };
    window.show();
  }

  QToolButton* Button(Qt::ArrowType arrow) const {
    for (QToolButton* b : upDown->findChildren<QToolButton*>())
      if (b->arrowType() == arrow) return b;
    ADD_FAILURE() << "no button with arrow " << arrow;
    return nullptr;
  }
};

} // namespace

TEST(UpDown, PositionFromTheProgramIsNotClamped) {
  Arrows a(Qt::Vertical, -181, -1, -1, QSize(16, 30));
  a.upDown->SetPosition(5);
  EXPECT_EQ(a.upDown->Position(), 5);
  a.upDown->SetPosition(-32768);
  EXPECT_EQ(a.upDown->Position(), -32768);
}

TEST(UpDown, ChangingRunsOnlyForAnotherPositionAndSeesTheOldOne) {
  Arrows a(Qt::Vertical, 1, 100, 10, QSize(16, 30));
  a.upDown->SetPosition(10);
  EXPECT_TRUE(a.changingSaw.empty());
  a.upDown->SetPosition(40);
  EXPECT_EQ(a.changingSaw, std::vector<int>{10});
  EXPECT_EQ(a.upDown->Position(), 40);
  // A position set by the program is not a click.
  EXPECT_EQ(a.clicks, 0);
}

TEST(UpDown, AllowChangeFalseKeepsThePosition) {
  Arrows a(Qt::Vertical, 1, 9, 5, QSize(16, 20));
  a.allow = false;
  a.upDown->SetPosition(7);
  EXPECT_EQ(a.upDown->Position(), 5);
  a.Button(Qt::UpArrow)->click();
  EXPECT_EQ(a.upDown->Position(), 5);
  EXPECT_EQ(a.changingSaw.size(), 2u);
  EXPECT_EQ(a.clicks, 0);
}

TEST(UpDown, VerticalArrowsStepWithinMinAndMax) {
  Arrows a(Qt::Vertical, 1, 9, 8, QSize(16, 20));
  QToolButton* up = a.Button(Qt::UpArrow);
  QToolButton* down = a.Button(Qt::DownArrow);
  ASSERT_NE(up, nullptr);
  ASSERT_NE(down, nullptr);
  EXPECT_LT(up->geometry().center().y(), down->geometry().center().y());

  up->click();
  EXPECT_EQ(a.upDown->Position(), 9);
  EXPECT_EQ(a.changingSaw, std::vector<int>{8});
  up->click();
  EXPECT_EQ(a.upDown->Position(), 9);
  EXPECT_EQ(a.clicks, 1);
  for (int i = 0; i < 10; ++i)
    down->click();
  EXPECT_EQ(a.upDown->Position(), 1);
  EXPECT_EQ(a.clicks, 9);
}

TEST(UpDown, HorizontalArrowsStepRightUpAndLeftDown) {
  Arrows a(Qt::Horizontal, 1, 50, 25, QSize(30, 16));
  QToolButton* right = a.Button(Qt::RightArrow);
  QToolButton* left = a.Button(Qt::LeftArrow);
  ASSERT_NE(right, nullptr);
  ASSERT_NE(left, nullptr);
  EXPECT_LT(left->geometry().center().x(), right->geometry().center().x());
  right->click();
  EXPECT_EQ(a.upDown->Position(), 26);
  left->click();
  left->click();
  EXPECT_EQ(a.upDown->Position(), 24);
}

TEST(UpDown, ArrowStepFromOutsideTheRangeLandsInsideIt) {
  // The oscilloscope's vertical scale starts at 5 on a first run, outside -181..-1.
  Arrows a(Qt::Vertical, -181, -1, 5, QSize(16, 30));
  a.Button(Qt::DownArrow)->click();
  EXPECT_GE(a.upDown->Position(), -181);
  EXPECT_LE(a.upDown->Position(), -1);
}
