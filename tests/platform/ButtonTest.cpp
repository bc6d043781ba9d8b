// SPDX-License-Identifier: GPL-3.0-or-later
// Check boxes, radio buttons and speed buttons: when their click events run.

#include <gtest/gtest.h>

#include <QTest>

#include "platform/CheckControls.h"
#include "platform/SpeedButton.h"

TEST(CheckBox, ClickRunsOnEveryChangeOfStateAlsoFromTheProgram) {
  QWidget window;
  auto* box = new CheckBox(&window);
  std::vector<bool> seen;
  box->OnClick = [&](QObject* sender) {
    EXPECT_EQ(sender, box);
    seen.push_back(box->Checked());
  };
  box->SetChecked(true);
  box->SetChecked(true);
  box->SetChecked(false);
  box->click();
  EXPECT_EQ(seen, (std::vector<bool>{true, false, true}));
}

namespace {

// Two containers, as the spectrum range buttons and the scale buttons of the
// nested sensitivity group.
struct Radios {
  QWidget window;
  QWidget* outer = new QWidget(&window);
  QWidget* inner = new QWidget(outer);
  RadioButton* a = new RadioButton(outer);
  RadioButton* b = new RadioButton(outer);
  RadioButton* c = new RadioButton(outer);
  RadioButton* x = new RadioButton(inner);
  RadioButton* y = new RadioButton(inner);
  std::vector<QObject*> clicks;

  Radios() {
    for (RadioButton* r : {a, b, c, x, y})
      r->OnClick = [this](QObject* sender) { clicks.push_back(sender); };
  }
};

} // namespace

TEST(RadioButton, SelectingClearsTheSiblingsOfItsOwnContainerOnly) {
  Radios r;
  r.x->SetChecked(true);
  r.a->SetChecked(true);
  r.clicks.clear();
  r.b->SetChecked(true);
  EXPECT_FALSE(r.a->Checked());
  EXPECT_TRUE(r.b->Checked());
  EXPECT_FALSE(r.c->Checked());
  EXPECT_TRUE(r.x->Checked());
  // Only the newly selected button's click runs, not those of the cleared ones.
  EXPECT_EQ(r.clicks, std::vector<QObject*>{r.b});
}

TEST(RadioButton, UnselectingRunsNothingAndAllMayBeUnselected) {
  Radios r;
  r.a->SetChecked(true);
  r.clicks.clear();
  r.a->SetChecked(false);
  r.b->SetChecked(false);
  EXPECT_TRUE(r.clicks.empty());
  for (RadioButton* button : {r.a, r.b, r.c})
    EXPECT_FALSE(button->Checked());
  // Selecting one that is already selected runs nothing either.
  r.c->SetChecked(true);
  r.c->SetChecked(true);
  EXPECT_EQ(r.clicks, std::vector<QObject*>{r.c});
}

TEST(RadioButton, UserClickSelectsButNeverUnselects) {
  Radios r;
  r.window.show();
  r.a->SetChecked(true);
  r.clicks.clear();
  r.b->click();
  EXPECT_TRUE(r.b->Checked());
  EXPECT_FALSE(r.a->Checked());
  r.b->click();
  EXPECT_TRUE(r.b->Checked());
  EXPECT_EQ(r.clicks, std::vector<QObject*>{r.b});
}

TEST(SpeedButton, ToggleButtonFlipsBeforeItsClickRuns) {
  QWidget window;
  auto* button = new SpeedButton(&window, 1);
  std::vector<bool> seen;
  button->OnClick = [&](QObject* sender) {
    EXPECT_EQ(sender, button);
    seen.push_back(button->Down());
  };
  button->click();
  button->click();
  EXPECT_EQ(seen, (std::vector<bool>{true, false}));
  // Setting Down from the program runs nothing.
  button->SetDown(true);
  EXPECT_TRUE(button->Down());
  button->SetDown(false);
  EXPECT_EQ(seen.size(), 2u);
  // Click() runs the handler without moving the button.
  button->Click();
  EXPECT_EQ(seen, (std::vector<bool>{true, false, false}));
}

TEST(SpeedButton, PlainButtonNeverStaysDown) {
  QWidget window;
  auto* button = new SpeedButton(&window, 0);
  int clicks = 0;
  button->OnClick = [&](QObject*) { ++clicks; };
  window.show();
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(button->Down());
}
