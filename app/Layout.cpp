// SPDX-License-Identifier: GPL-3.0-or-later
// Builds the window's components from the layout table and connects their
// events to the window's handlers.

#include <algorithm>
#include <cstdlib>

#include <QHBoxLayout>
#include <QLineEdit>

#include "app/Main.h"
#include "generator/SourceTable.h"
#include "platform/Accessibility.h"
#include "platform/Appearance.h"

namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QWidget* CreateControl(const ComponentSpec& entry, QWidget* parent) {
  const QString caption = Text(entry.Caption);
  switch (entry.Kind) {
  case ComponentKind::Panel: {
    const bool rulerPanel = entry.Name == "RulerPanel";
    const bool mainPanel = entry.Name == "MainPanel";
    return new Panel(parent, rulerPanel ? BevelCut::None : BevelCut::Lowered,
                     rulerPanel || mainPanel ? BevelCut::Raised : BevelCut::None);
  }
  case ComponentKind::GroupBox: {
    auto* box = new GroupBox(parent);
    box->SetCaption(caption);
    return box;
  }
  case ComponentKind::Label: {
    auto* label = new Label(parent);
    label->SetCaption(caption);
    return label;
  }
  case ComponentKind::StaticText: {
    auto* text = new StaticText(parent);
    text->SetCaption(caption);
    return text;
  }
  case ComponentKind::CheckBox: {
    auto* box = new CheckBox(parent);
    box->setText(caption);
    box->SetChecked(entry.Value != 0);
    return box;
  }
  case ComponentKind::RadioButton: {
    auto* button = new RadioButton(parent);
    button->setText(caption);
    button->SetChecked(entry.Value != 0);
    return button;
  }
  case ComponentKind::UpDown: {
    auto* upDown = new UpDown(parent, entry.Name == "ScopeXW" ? Qt::Horizontal : Qt::Vertical);
    upDown->Min = entry.Min;
    upDown->Max = entry.Max;
    upDown->SetPosition(static_cast<int16_t>(entry.Value));
    return upDown;
  }
  case ComponentKind::SpinEdit: {
    auto* edit = new SpinEdit(parent);
    edit->MinValue = entry.Min;
    edit->MaxValue = entry.Max;
    edit->SetMaxLength(entry.MaxLength);
    edit->SetValue(entry.Value);
    SetColor(edit, clWindow);
    return edit;
  }
  case ComponentKind::SpeedButton: {
    auto* button = new SpeedButton(parent, entry.Name == "BtnStop" ? 1 : 0);
    button->setText(caption);
    return button;
  }
  case ComponentKind::Bevel:
    return new Bevel(parent);
  case ComponentKind::PaintBox:
    return new PaintBox(parent);
  case ComponentKind::PeakLedDisplay:
    return new TPeakLedDisplay(parent);
  }
  std::abort();
}

void SetUpMeter(TPeakLedDisplay* meter) {
  meter->SetOrientation(loHorizontal);
  meter->SetCtl3D(false);
  meter->SetSpacing(-1);
  meter->SetMax(32767);
  meter->SetBlockACount(74);
  meter->SetBlockBCount(6);
  meter->SetBlockCCount(3);
  meter->SetActiveColor1(clLime);
  meter->SetActiveColor2(clYellow);
  meter->SetActiveColor3(clRed);
  meter->SetDeadColor1(clGreen);
  meter->SetDeadColor2(clOlive);
  meter->SetDeadColor3(clMaroon);
  meter->SetPeakColor(clRed);
  meter->SetOnePeakColor(true);
}

} // namespace

template <class T> T* TForm1::Bind(std::string_view name) {
  const auto index = ComponentIndex(name);
  T* control = index ? dynamic_cast<T*>(components_[static_cast<size_t>(*index)]) : nullptr;
  if (control == nullptr) std::abort(); // the layout table and the class disagree
  return control;
}

void TForm1::CreateComponents() {
  components_.reserve(ComponentCount);
  for (const ComponentSpec& entry : Components) {
    QWidget* parent = entry.Parent < 0 ? this : components_[static_cast<size_t>(entry.Parent)];
    QWidget* control = CreateControl(entry, parent);
    control->setObjectName(
        QString::fromLatin1(entry.Name.data(), static_cast<int>(entry.Name.size())));
    control->setGeometry(entry.Left, entry.Top, entry.Width, entry.Height);
    // Readouts change their text with every block; at a fixed size a new text
    // asks the window for no layout pass.
    if (entry.Kind == ComponentKind::Label || entry.Kind == ComponentKind::StaticText)
      control->setFixedSize(entry.Width, entry.Height);
    DescribeControl(control, Text(entry.Access.Name), Text(entry.Access.ToolTip));
    // A Tab stop that takes no focus of its own (the LED meters) takes it by Tab.
    if (entry.Access.TabOrder > 0 && control->focusPolicy() == Qt::NoFocus)
      control->setFocusPolicy(Qt::TabFocus);
    components_.push_back(control);
  }
  // Tab walks the Tab stops in the table's order, whatever the creation order.
  std::vector<const ComponentSpec*> stops;
  for (const ComponentSpec& entry : Components)
    if (entry.Access.TabOrder > 0) stops.push_back(&entry);
  std::ranges::sort(stops, {}, [](const ComponentSpec* e) { return e->Access.TabOrder; });
  for (size_t i = 1; i < stops.size(); ++i)
    setTabOrder(Component(stops[i - 1]->Index), Component(stops[i]->Index));

  LedPanel = Bind<Panel>("LedPanel");
  LabelR = Bind<Label>("LabelR");
  LabelL = Bind<Label>("LabelL");
  PeakLedDisplay1 = Bind<TPeakLedDisplay>("PeakLedDisplay1");
  PeakLedDisplay2 = Bind<TPeakLedDisplay>("PeakLedDisplay2");
  SpectrumGroup = Bind<GroupBox>("SpectrumGroup");
  ColorBox = Bind<CheckBox>("ColorBox");
  RB22K = Bind<RadioButton>("RB22K");
  RB11K = Bind<RadioButton>("RB11K");
  RB6K = Bind<RadioButton>("RB6K");
  SensGroup = Bind<GroupBox>("SensGroup");
  LSensVal = Bind<Label>("LSensVal");
  fLog = Bind<RadioButton>("fLog");
  fSqrt = Bind<RadioButton>("fSqrt");
  fLinear = Bind<RadioButton>("fLinear");
  AutoSensitivity = Bind<CheckBox>("AutoSensitivity");
  Sensitivity = Bind<UpDown>("Sensitivity");
  Filter = Bind<CheckBox>("Filter");
  Grid = Bind<CheckBox>("Grid");
  FFTMode = Bind<CheckBox>("FFTMode");
  AutoFrqCount = Bind<CheckBox>("AutoFrqCount");
  RFrq = Bind<StaticText>("RFrq");
  LFrq = Bind<StaticText>("LFrq");
  cbWnd = Bind<CheckBox>("cbWnd");
  MainPanel = Bind<Panel>("MainPanel");
  BtnStop = Bind<SpeedButton>("BtnStop");
  LSpeed = Bind<Label>("LSpeed");
  Led = Bind<CheckBox>("Led");
  Speed = Bind<UpDown>("Speed");
  Ruler = Bind<CheckBox>("Ruler");
  SpectralAmp = Bind<CheckBox>("SpectralAmp");
  RCnl = Bind<CheckBox>("RCnl");
  LCnl = Bind<CheckBox>("LCnl");
  Scope = Bind<CheckBox>("Scope");
  LFBox = Bind<CheckBox>("LFBox");
  RulerPanel = Bind<Panel>("RulerPanel");
  PaintBox = Bind<::PaintBox>("PaintBox");
  OscillocopeGroup = Bind<GroupBox>("OscillocopeGroup");
  LabelY = Bind<Label>("LabelY");
  LabelX = Bind<Label>("LabelX");
  YScaleLbl = Bind<Label>("YScaleLbl");
  ScopeXW = Bind<UpDown>("ScopeXW");
  ScopeYW = Bind<UpDown>("ScopeYW");
  Sync = Bind<CheckBox>("Sync");
  ShowLevels = Bind<CheckBox>("ShowLevels");
  AutoYScale = Bind<CheckBox>("AutoYScale");
  Rlevel = Bind<StaticText>("Rlevel");
  Llevel = Bind<StaticText>("Llevel");
  GeneratorGroup = Bind<GroupBox>("GeneratorGroup");
  Bevel5 = Bind<Bevel>("Bevel5");
  Bevel4 = Bind<Bevel>("Bevel4");
  Bevel3 = Bind<Bevel>("Bevel3");
  Label4 = Bind<Label>("Label4");
  Label5 = Bind<Label>("Label5");
  Label1 = Bind<Label>("Label1");
  Label6 = Bind<Label>("Label6");
  Label2 = Bind<Label>("Label2");
  Label3 = Bind<Label>("Label3");
  Label7 = Bind<Label>("Label7");
  LabelInc = Bind<Label>("LabelInc");
  LblNow = Bind<Label>("LblNow");
  Label9 = Bind<Label>("Label9");
  Label10 = Bind<Label>("Label10");
  Noise = Bind<CheckBox>("Noise");
  FrqVN = Bind<SpinEdit>("FrqVN");
  Frq1 = Bind<CheckBox>("Frq1");
  FrqG1 = Bind<SpinEdit>("FrqG1");
  FrqV1 = Bind<SpinEdit>("FrqV1");
  Frq2 = Bind<CheckBox>("Frq2");
  FrqG2 = Bind<SpinEdit>("FrqG2");
  FrqV2 = Bind<SpinEdit>("FrqV2");
  AutoG = Bind<CheckBox>("AutoG");
  FInc = Bind<SpinEdit>("FInc");
  RcBox0 = Bind<CheckBox>("RcBox0");
  LcBox0 = Bind<CheckBox>("LcBox0");
  RcBox1 = Bind<CheckBox>("RcBox1");
  LcBox1 = Bind<CheckBox>("LcBox1");
  RcBox2 = Bind<CheckBox>("RcBox2");
  LcBox2 = Bind<CheckBox>("LcBox2");
  FrqVF = Bind<SpinEdit>("FrqVF");
  RcBox3 = Bind<CheckBox>("RcBox3");
  LcBox3 = Bind<CheckBox>("LcBox3");
  FrqFrom = Bind<SpinEdit>("FrqFrom");
  FrqTo = Bind<SpinEdit>("FrqTo");
  SpectralAmpGroup = Bind<GroupBox>("SpectralAmpGroup");
  dB10 = Bind<RadioButton>("dB10");
  dB30 = Bind<RadioButton>("dB30");
  dB60 = Bind<RadioButton>("dB60");
  DrawModeGroup = Bind<GroupBox>("DrawModeGroup");
  BtnReset = Bind<SpeedButton>("BtnReset");
  LineMode = Bind<RadioButton>("LineMode");
  DotMode = Bind<RadioButton>("DotMode");

  // Looks that the table does not carry.
  SetColor(LedPanel, clBlack);
  SetFontColor(LabelL, clAqua);
  SetFontColor(LabelR, clFuchsia);
  SetUpMeter(PeakLedDisplay1);
  SetUpMeter(PeakLedDisplay2);
  for (CheckBox* box : {Led, RCnl, LCnl})
    SetFontColor(box, clBlack);
  for (StaticText* readout : {RFrq, LFrq})
    SetColor(readout, clBlack);
  // Readouts whose text changes with every block.
  for (QWidget* readout : std::initializer_list<QWidget*>{Rlevel, Llevel, LabelY, LblNow})
    FillLikeContainer(readout);
  LSensVal->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  LblNow->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  BtnStop->setToolButtonStyle(Qt::ToolButtonTextOnly);
  // The paint box fills the ruler inside its bevel, whatever size the ruler takes.
  auto* rulerFill = new QHBoxLayout(RulerPanel);
  rulerFill->setContentsMargins(1, 1, 1, 1);
  rulerFill->setSpacing(0);
  rulerFill->setSizeConstraint(QLayout::SetNoConstraint);
  rulerFill->addWidget(PaintBox);
  rulerFill->activate();
  PaintBox->setCursor(Qt::SplitHCursor);
}

void TForm1::ConnectHandlers() {
  using namespace std::placeholders;
  const NotifyEvent rangeClick = [this](QObject* s) { RB22KClick(s); };
  for (RadioButton* b : {RB22K, RB11K, RB6K, dB10, dB30, dB60})
    b->OnClick = rangeClick;
  Sensitivity->OnChanging = [this](QObject* s, bool& a) { SensitivityChanging(s, a); };
  FFTMode->OnClick = [this](QObject* s) { FFTModeClick(s); };
  const NotifyEvent channelClick = [this](QObject* s) { AutoFrqCountClick(s); };
  for (CheckBox* b : {AutoFrqCount, RCnl, LCnl})
    b->OnClick = channelClick;
  BtnStop->OnClick = [this](QObject* s) { BtnStopClick(s); };
  Led->OnClick = [this](QObject* s) { LedClick(s); };
  SpectralAmp->OnClick = [this](QObject* s) { SpectralAmpClick(s); };
  Scope->OnClick = [this](QObject* s) { ScopeClick(s); };
  LFBox->OnClick = [this](QObject* s) { LFBoxClick(s); };
  BtnReset->OnClick = [this](QObject* s) { BtnResetClick(s); };
  for (UpDown* u : {ScopeXW, ScopeYW}) {
    u->OnChanging = [this](QObject* s, bool& a) { ScopeXWChanging(s, a); };
    MouseEvents::Of(u, u->findChildren<QWidget*>()).OnMouseUp =
        [this](QObject* s, Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
          ScopeXWMouseUp(s, b, m, x, y);
        };
  }

  const NotifyEvent sourceClick = [this](QObject* s) { Frq1Click(s); };
  const NotifyEvent levelChange = [this](QObject* s) { FrqV1Change(s); };
  for (const GenSourceRow& row : GenSourceRows) {
    for (CheckBox* TForm1::*box : {row.Switch, row.Left, row.Right})
      (this->*box)->OnClick = sourceClick;
    (this->*row.Level)->OnChange = levelChange;
  }
  // The sweep's switch also restarts the sweep; AutoGClick runs Frq1Click first.
  AutoG->OnClick = [this](QObject* s) { AutoGClick(s); };
  FInc->OnChange = levelChange;
  const NotifyEvent frequencyChange = [this](QObject* s) { FrqG1Change(s); };
  for (SpinEdit* e : {FrqG1, FrqG2, FrqTo})
    e->OnChange = frequencyChange;
  FrqFrom->OnChange = [this](QObject* s) { FrqFromChange(s); };

  PaintBox->OnPaint = [this](QObject* s) { FormPaint(s); };
  MouseEvents& ruler = MouseEvents::Of(PaintBox);
  ruler.OnMouseDown = [this](QObject* s, Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
    PaintBoxMouseDown(s, b, m, x, y);
  };
  ruler.OnMouseMove = [this](QObject* s, Qt::KeyboardModifiers m, int x, int y) {
    PaintBoxMouseMove(s, m, x, y);
  };
  ruler.OnMouseUp = [this](QObject* s, Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
    PaintBoxMouseUp(s, b, m, x, y);
  };

  const MouseMoveEvent controlMove = [this](QObject* s, Qt::KeyboardModifiers m, int x, int y) {
    GeneratorGroupMouseMove(s, m, x, y);
  };
  const MouseEvent controlUp = [this](QObject* s, Qt::MouseButton b, Qt::KeyboardModifiers m, int x,
                                      int y) { FormMouseUp(s, b, m, x, y); };
  for (const ComponentSpec& entry : Components) {
    QWidget* control = components_[static_cast<size_t>(entry.Index)];
    // A control's mouse events are its own: they never reach its container or
    // the window's handlers in the container's coordinates.
    control->setAttribute(Qt::WA_NoMousePropagation);
    if (entry.Mouse != MouseWiring::Window && entry.Mouse != MouseWiring::MoveOnly) continue;
    // An up-down's buttons are the control; a spin edit's own buttons keep
    // their mouse to themselves, only its text field reports.
    QList<QWidget*> parts;
    if (entry.Kind == ComponentKind::UpDown) parts = control->findChildren<QWidget*>();
    if (entry.Kind == ComponentKind::SpinEdit)
      parts.append(static_cast<SpinEdit*>(control)->Editor());
    MouseEvents& events = MouseEvents::Of(control, parts);
    events.OnMouseMove = controlMove;
    if (entry.Mouse == MouseWiring::Window) events.OnMouseUp = controlUp;
  }

  MouseEvents& window = MouseEvents::Of(this);
  window.OnMouseDown = [this](QObject* s, Qt::MouseButton b, Qt::KeyboardModifiers m, int x,
                              int y) { FormMouseDown(s, b, m, x, y); };
  window.OnMouseMove = [this](QObject* s, Qt::KeyboardModifiers m, int x, int y) {
    FormMouseMove(s, m, x, y);
  };
  window.OnMouseUp = [this](QObject* s, Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
    FormMouseUp(s, b, m, x, y);
  };
}
