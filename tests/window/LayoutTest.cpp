// SPDX-License-Identifier: GPL-3.0-or-later
// The window's components: creation order, kinds, containers and geometry.

#include <gtest/gtest.h>

#include <QFile>
#include <QLineEdit>

#include "app/Main.h"
#include "tests/support/DeviceWindow.h"
#include "tests/support/WindowTest.h"

namespace {

using K = ComponentKind;

bool IsOfKind(QWidget* w, ComponentKind kind) {
  switch (kind) {
  case K::Panel:
    return dynamic_cast<Panel*>(w) != nullptr;
  case K::GroupBox:
    return dynamic_cast<GroupBox*>(w) != nullptr;
  case K::Label:
    return dynamic_cast<Label*>(w) != nullptr;
  case K::StaticText:
    return dynamic_cast<StaticText*>(w) != nullptr;
  case K::CheckBox:
    return dynamic_cast<CheckBox*>(w) != nullptr;
  case K::RadioButton:
    return dynamic_cast<RadioButton*>(w) != nullptr;
  case K::UpDown:
    return dynamic_cast<UpDown*>(w) != nullptr;
  case K::SpinEdit:
    return dynamic_cast<SpinEdit*>(w) != nullptr;
  case K::SpeedButton:
    return dynamic_cast<SpeedButton*>(w) != nullptr;
  case K::Bevel:
    return dynamic_cast<Bevel*>(w) != nullptr;
  case K::PaintBox:
    return dynamic_cast<PaintBox*>(w) != nullptr;
  case K::PeakLedDisplay:
    return dynamic_cast<TPeakLedDisplay*>(w) != nullptr;
  }
  return false;
}

const ComponentSpec& Entry(int index) {
  return Components[static_cast<size_t>(index)];
}

QString NameOf(int index) {
  const std::string_view name = Entry(index).Name;
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

QRect DesignGeometry(int index) {
  const ComponentSpec& entry = Entry(index);
  return QRect(entry.Left, entry.Top, entry.Width, entry.Height);
}

// The client area of a component's container, in the container's coordinates.
QRect DesignArea(int index) {
  const int parent = Entry(index).Parent;
  const QSize size = parent < 0 ? QSize(1016, 724) : DesignGeometry(parent).size();
  return QRect(QPoint(0, 0), size);
}

} // namespace

// The creation order itself, on which the value names depend, is fixed by
// the settings tests' table of value names.
TEST(Layout, ComponentsAreMadeAsTheTableSaysInCreationOrder) {
  DeviceWindow w;
  for (int i = 0; i < ComponentCount; ++i) {
    const ComponentSpec& entry = Entry(i);
    SCOPED_TRACE(testing::Message() << "index " << i << " " << entry.Name);
    EXPECT_EQ(entry.Index, i);
    EXPECT_EQ(ComponentIndex(entry.Name), i);
    // Each container comes before the controls inside it.
    EXPECT_LT(entry.Parent, i);

    QWidget* control = w.form->Component(i);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->objectName(), NameOf(i));
    EXPECT_TRUE(IsOfKind(control, entry.Kind));
    QWidget* parent = entry.Parent < 0 ? w.form.get() : w.form->Component(entry.Parent);
    EXPECT_EQ(control->parentWidget(), parent);
  }
}

TEST(Layout, ControlsLieInsideTheirContainersAndSiblingsDoNotOverlap) {
  DeviceWindow w;
  w.form->show();
  ProcessEvents();
  QStringList outside, overlaps;
  for (int i = 0; i < ComponentCount; ++i) {
    QWidget* a = w.form->Component(i);
    // Every control stands where the layout puts it; only the ruler moves,
    // to its stored place.
    if (a != w.form->RulerPanel) {
      EXPECT_EQ(a->geometry(), DesignGeometry(i)) << Entry(i).Name;
    }
    if (!DesignArea(i).contains(DesignGeometry(i))) outside << NameOf(i);
    if (Entry(i).Kind == K::Bevel) continue; // frames drawn behind the controls they group
    for (int j = i + 1; j < ComponentCount; ++j) {
      if (Entry(j).Kind == K::Bevel || Entry(i).Parent != Entry(j).Parent) continue;
      if (DesignGeometry(i).intersects(DesignGeometry(j))) overlaps << NameOf(i) + "/" + NameOf(j);
    }
  }
  EXPECT_TRUE(outside.isEmpty()) << outside.join(' ').toStdString();
  EXPECT_TRUE(overlaps.isEmpty()) << overlaps.join(' ').toStdString();
  // The controls of the generator's three upper rows lie on their bevels.
  for (const auto& [bevel, controls] :
       {std::pair{w.form->Bevel3, std::vector<QWidget*>{w.form->Frq1, w.form->FrqG1, w.form->FrqV1,
                                                        w.form->RcBox0}},
        std::pair{w.form->Bevel4, std::vector<QWidget*>{w.form->Frq2, w.form->FrqG2, w.form->FrqV2,
                                                        w.form->RcBox1}},
        std::pair{w.form->Bevel5,
                  std::vector<QWidget*>{w.form->Noise, w.form->FrqVN, w.form->RcBox2}}})
    for (QWidget* control : controls)
      EXPECT_TRUE(bevel->geometry().contains(control->geometry()))
          << control->objectName().toStdString();
}

TEST(Layout, TopLevelContainersWhereTheWindowPutsThem) {
  DeviceWindow w;
  const struct {
    QWidget* Control;
    QRect Geometry;
    const char* Caption;
  } containers[] = {
      {w.form->LedPanel, QRect(325, 652, 270, 35), nullptr},
      {w.form->SpectrumGroup, QRect(325, 516, 270, 132), "Spectrum Analyser "},
      {w.form->MainPanel, QRect(1, 691, 594, 30), nullptr},
      {w.form->OscillocopeGroup, QRect(599, 516, 89, 205), "Oscilloscope "},
      {w.form->GeneratorGroup, QRect(1, 516, 241, 171), "Generator "},
      {w.form->SpectralAmpGroup, QRect(246, 516, 75, 78), "Amp Range  "},
      {w.form->DrawModeGroup, QRect(246, 595, 75, 92), "Draw Mode "},
  };
  for (const auto& c : containers) {
    EXPECT_EQ(c.Control->geometry(), c.Geometry) << c.Control->objectName().toStdString();
    if (c.Caption != nullptr) {
      EXPECT_EQ(static_cast<GroupBox*>(c.Control)->Caption(), QString::fromLatin1(c.Caption));
    }
  }
  // The ruler's design place; at start it moves to its stored place.
  EXPECT_EQ(DesignGeometry(35), QRect(689, 1, 36, 512));
  EXPECT_EQ(w.form->PaintBox->geometry(), QRect(1, 1, 34, 510));
}

TEST(Layout, RangesOfTheUpDownsAndSpinEdits) {
  DeviceWindow w;
  const struct {
    UpDown* Control;
    int Min, Max;
    Qt::Orientation Orientation;
  } upDowns[] = {{w.form->Sensitivity, 1, 100, Qt::Vertical},
                 {w.form->Speed, 1, 9, Qt::Vertical},
                 {w.form->ScopeXW, 1, 50, Qt::Horizontal},
                 {w.form->ScopeYW, -181, -1, Qt::Vertical}};
  for (const auto& u : upDowns) {
    EXPECT_EQ(u.Control->Min, u.Min);
    EXPECT_EQ(u.Control->Max, u.Max);
    EXPECT_EQ(u.Control->Orientation(), u.Orientation);
  }
  const struct {
    SpinEdit* Control;
    int Min, Max, MaxLength;
  } edits[] = {
      {w.form->FrqVN, 1, 100, 3},   {w.form->FrqG1, 1, 24000, 5},   {w.form->FrqV1, 1, 100, 3},
      {w.form->FrqG2, 1, 24000, 5}, {w.form->FrqV2, 1, 100, 3},     {w.form->FInc, 0, 999, 3},
      {w.form->FrqVF, 1, 100, 3},   {w.form->FrqFrom, 0, 24000, 5}, {w.form->FrqTo, 1, 24000, 5}};
  for (const auto& e : edits) {
    SCOPED_TRACE(e.Control->objectName().toStdString());
    EXPECT_EQ(e.Control->MinValue, e.Min);
    EXPECT_EQ(e.Control->MaxValue, e.Max);
    EXPECT_EQ(e.Control->Editor()->maxLength(), e.MaxLength);
  }
}
