// The window's components: creation order, kinds, containers and geometry.

#include <gtest/gtest.h>

#include <QFile>
#include <QLineEdit>

#include "app/Main.h"
#include "tests/support/DeviceWindow.h"
#include "tests/support/WindowTest.h"

namespace {

using K = ComponentKind;

struct Expected {
  const char* Name;
  ComponentKind Kind;
  const char* Parent; // nullptr: the window
};

// The creation order that the stored value names depend on.
const Expected Order[ComponentCount] = {
    {"LedPanel", K::Panel, nullptr},
    {"LabelR", K::Label, "LedPanel"},
    {"LabelL", K::Label, "LedPanel"},
    {"PeakLedDisplay1", K::PeakLedDisplay, "LedPanel"},
    {"PeakLedDisplay2", K::PeakLedDisplay, "LedPanel"},
    {"SpectrumGroup", K::GroupBox, nullptr},
    {"ColorBox", K::CheckBox, "SpectrumGroup"},
    {"RB22K", K::RadioButton, "SpectrumGroup"},
    {"RB11K", K::RadioButton, "SpectrumGroup"},
    {"RB6K", K::RadioButton, "SpectrumGroup"},
    {"SensGroup", K::GroupBox, "SpectrumGroup"},
    {"LSensVal", K::Label, "SensGroup"},
    {"fLog", K::RadioButton, "SensGroup"},
    {"fSqrt", K::RadioButton, "SensGroup"},
    {"fLinear", K::RadioButton, "SensGroup"},
    {"AutoSensitivity", K::CheckBox, "SensGroup"},
    {"Sensitivity", K::UpDown, "SensGroup"},
    {"Filter", K::CheckBox, "SpectrumGroup"},
    {"Grid", K::CheckBox, "SpectrumGroup"},
    {"FFTMode", K::CheckBox, "SpectrumGroup"},
    {"AutoFrqCount", K::CheckBox, "SpectrumGroup"},
    {"RFrq", K::StaticText, "SpectrumGroup"},
    {"LFrq", K::StaticText, "SpectrumGroup"},
    {"cbWnd", K::CheckBox, "SpectrumGroup"},
    {"MainPanel", K::Panel, nullptr},
    {"BtnStop", K::SpeedButton, "MainPanel"},
    {"LSpeed", K::Label, "MainPanel"},
    {"Led", K::CheckBox, "MainPanel"},
    {"Speed", K::UpDown, "MainPanel"},
    {"Ruler", K::CheckBox, "MainPanel"},
    {"SpectralAmp", K::CheckBox, "MainPanel"},
    {"RCnl", K::CheckBox, "MainPanel"},
    {"LCnl", K::CheckBox, "MainPanel"},
    {"Scope", K::CheckBox, "MainPanel"},
    {"LFBox", K::CheckBox, "MainPanel"},
    {"RulerPanel", K::Panel, nullptr},
    {"PaintBox", K::PaintBox, "RulerPanel"},
    {"OscillocopeGroup", K::GroupBox, nullptr},
    {"LabelY", K::Label, "OscillocopeGroup"},
    {"LabelX", K::Label, "OscillocopeGroup"},
    {"YScaleLbl", K::Label, "OscillocopeGroup"},
    {"ScopeXW", K::UpDown, "OscillocopeGroup"},
    {"ScopeYW", K::UpDown, "OscillocopeGroup"},
    {"Sync", K::CheckBox, "OscillocopeGroup"},
    {"ShowLevels", K::CheckBox, "OscillocopeGroup"},
    {"AutoYScale", K::CheckBox, "OscillocopeGroup"},
    {"Rlevel", K::StaticText, "OscillocopeGroup"},
    {"Llevel", K::StaticText, "OscillocopeGroup"},
    {"GeneratorGroup", K::GroupBox, nullptr},
    {"Bevel5", K::Bevel, "GeneratorGroup"},
    {"Bevel4", K::Bevel, "GeneratorGroup"},
    {"Bevel3", K::Bevel, "GeneratorGroup"},
    {"Label4", K::Label, "GeneratorGroup"},
    {"Label5", K::Label, "GeneratorGroup"},
    {"Label1", K::Label, "GeneratorGroup"},
    {"Label6", K::Label, "GeneratorGroup"},
    {"Label2", K::Label, "GeneratorGroup"},
    {"Label3", K::Label, "GeneratorGroup"},
    {"Label7", K::Label, "GeneratorGroup"},
    {"LabelInc", K::Label, "GeneratorGroup"},
    {"LblNow", K::Label, "GeneratorGroup"},
    {"Label9", K::Label, "GeneratorGroup"},
    {"Label10", K::Label, "GeneratorGroup"},
    {"Noise", K::CheckBox, "GeneratorGroup"},
    {"FrqVN", K::SpinEdit, "GeneratorGroup"},
    {"Frq1", K::CheckBox, "GeneratorGroup"},
    {"FrqG1", K::SpinEdit, "GeneratorGroup"},
    {"FrqV1", K::SpinEdit, "GeneratorGroup"},
    {"Frq2", K::CheckBox, "GeneratorGroup"},
    {"FrqG2", K::SpinEdit, "GeneratorGroup"},
    {"FrqV2", K::SpinEdit, "GeneratorGroup"},
    {"AutoG", K::CheckBox, "GeneratorGroup"},
    {"FInc", K::SpinEdit, "GeneratorGroup"},
    {"RcBox0", K::CheckBox, "GeneratorGroup"},
    {"LcBox0", K::CheckBox, "GeneratorGroup"},
    {"RcBox1", K::CheckBox, "GeneratorGroup"},
    {"LcBox1", K::CheckBox, "GeneratorGroup"},
    {"RcBox2", K::CheckBox, "GeneratorGroup"},
    {"LcBox2", K::CheckBox, "GeneratorGroup"},
    {"FrqVF", K::SpinEdit, "GeneratorGroup"},
    {"RcBox3", K::CheckBox, "GeneratorGroup"},
    {"LcBox3", K::CheckBox, "GeneratorGroup"},
    {"FrqFrom", K::SpinEdit, "GeneratorGroup"},
    {"FrqTo", K::SpinEdit, "GeneratorGroup"},
    {"SpectralAmpGroup", K::GroupBox, nullptr},
    {"dB10", K::RadioButton, "SpectralAmpGroup"},
    {"dB30", K::RadioButton, "SpectralAmpGroup"},
    {"dB60", K::RadioButton, "SpectralAmpGroup"},
    {"DrawModeGroup", K::GroupBox, nullptr},
    {"BtnReset", K::SpeedButton, "DrawModeGroup"},
    {"LineMode", K::RadioButton, "DrawModeGroup"},
    {"DotMode", K::RadioButton, "DrawModeGroup"},
};

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

QString NameOf(int index) {
  return QString::fromLatin1(Order[index].Name);
}

QRect DesignGeometry(int index) {
  const ComponentSpec& entry = Components[static_cast<size_t>(index)];
  return QRect(entry.Left, entry.Top, entry.Width, entry.Height);
}

// The client area of a component's container, in the container's coordinates.
QRect DesignArea(const Expected& e) {
  const QSize size =
      e.Parent == nullptr ? QSize(1016, 724) : DesignGeometry(*ComponentIndex(e.Parent)).size();
  return QRect(QPoint(0, 0), size);
}

bool SameParent(const Expected& a, const Expected& b) {
  if (a.Parent == nullptr || b.Parent == nullptr) return a.Parent == b.Parent;
  return std::string_view(a.Parent) == b.Parent;
}

} // namespace

TEST(Layout, ComponentsInCreationOrderWithTheirKindsAndContainers) {
  DeviceWindow w;
  for (int i = 0; i < ComponentCount; ++i) {
    SCOPED_TRACE(testing::Message() << "index " << i << " " << Order[i].Name);
    const ComponentSpec& entry = Components[static_cast<size_t>(i)];
    EXPECT_EQ(entry.Index, i);
    EXPECT_EQ(entry.Name, Order[i].Name);
    EXPECT_EQ(entry.Kind, Order[i].Kind);
    EXPECT_EQ(ComponentIndex(Order[i].Name), i);

    QWidget* control = w.form->Component(i);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->objectName(), NameOf(i));
    EXPECT_TRUE(IsOfKind(control, Order[i].Kind));
    QWidget* parent = Order[i].Parent == nullptr
                          ? w.form.get()
                          : w.form->findChild<QWidget*>(QString::fromLatin1(Order[i].Parent));
    ASSERT_NE(parent, nullptr);
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
      EXPECT_EQ(a->geometry(), DesignGeometry(i)) << Order[i].Name;
    }
    if (!DesignArea(Order[i]).contains(DesignGeometry(i))) outside << NameOf(i);
    if (Order[i].Kind == K::Bevel) continue; // frames drawn behind the controls they group
    for (int j = i + 1; j < ComponentCount; ++j) {
      if (Order[j].Kind == K::Bevel || !SameParent(Order[i], Order[j])) continue;
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
