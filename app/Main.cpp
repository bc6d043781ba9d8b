// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Main.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include "app/MeasurementWindow.h"
#include "app/SpectrumWindow.h"
#include "generator/Random.h"
#include "generator/SourceTable.h"
#include "platform/Appearance.h"
#include "platform/Cursors.h"
#include "platform/Format.h"
#include "platform/MessageBox.h"
#include "platform/WindowFont.h"
#include "spectrum/SpectrumLibrary.h"
#include "views/ViewCursors.h"

TForm1::TForm1(std::unique_ptr<WaveAudio> audio, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      Audio(std::move(audio)) {
  setWindowTitle(QStringLiteral("Veltrano"));
  setFont(WindowFont());
  setFixedSize(WindowClientWidth, WindowClientHeight);
  SetColor(this, clBtnFace);
  // FormPaint covers every pixel of what it is asked to paint, so Qt need not
  // fill the background under the bitmaps first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  CreateComponents();
  ConnectHandlers();
  CreateDisplayMenu();
  CreateDeviceMenu();
  CreateAccess();
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  FormCreate(this);
}

TForm1::~TForm1() {
  FormDestroy(this);
  // With the service gone no device can still use the stream buffers.
  Audio.reset();
  delete[] Playback.OutHeaders;
  for (char* buffer : Playback.OutBuffers)
    delete[] buffer;
  for (WAVEHDR* header : Capture.InHeaders)
    delete header;
}

void TForm1::FormCreate(QObject*) {
  BuildWindow(4, 2048);

  const QScreen* screen = QGuiApplication::primaryScreen();
  const bool tooNarrow = screen == nullptr || screen->geometry().width() < 1024;
  if (tooNarrow)
    ShowMessageBox(this, QStringLiteral("1024x768 or greater screen resolution require !"),
                   QStringLiteral("Warning"), MessageIcon::Warning);

  LoadCursorResource(crCrossHairs, QStringLiteral("CROSSHAIRS"), 9, 9);
  LoadCursorResource(crOpenHand, QStringLiteral("OPENHAND"), 16, 16);
  LoadCursorResource(crGrip, QStringLiteral("GRIP"), 16, 16);

  SetFontColor(RFrq, clBtnShadow);
  SetFontColor(LFrq, clBtnShadow);

  Randomize();

  ScopeS = ScopeState{};
  Levels.PeakL = Levels.PeakR = 0;
  Playback.OutIdle = false;
  Gen.SweepUp = true;
  Amp = AmpTrace{};

  // Room for a whole display of scrolling: the picture moves in memory once
  // every display width of columns rather than with every block.
  DisplayBitmap = std::make_unique<Bitmap>(Geometry::Display.Width, Geometry::Display.Height,
                                           Geometry::Display.Width);
  ColumnBitmap = std::make_unique<Bitmap>(1, Geometry::ColumnHeight);
  ScopeBitmap = std::make_unique<Bitmap>(Geometry::Scope.Width, Geometry::Scope.Height);
  ScopeBitmap->BrushColor = clBlack;
  ScopePrevious = std::make_unique<Bitmap>(Geometry::Scope.Width, Geometry::Scope.Height);

  LoadSettings();
  SpectrumWin->LoadSettings(*Settings, Audio->ChosenDevice(true));

  // The generator never starts by itself, whatever was stored.
  for (const GenSourceRow& row : GenSourceRows)
    (this->*row.Switch)->SetChecked(false);

  if (!RB22K->Checked() && !RB11K->Checked() && !RB6K->Checked()) RB22K->SetChecked(true);
  if (!dB10->Checked() && !dB30->Checked() && !dB60->Checked()) dB30->SetChecked(true);
  if (!fLog->Checked() && !fSqrt->Checked() && !fLinear->Checked()) fLinear->SetChecked(true);
  if (!LineMode->Checked() && !DotMode->Checked()) LineMode->SetChecked(true);

  if (RulerPanel->x() < Geometry::RulerMinLeft || RulerPanel->x() > Geometry::RulerMaxLeft)
    RulerPanel->move(Geometry::RulerMinLeft, RulerPanel->y());
  RulerPanel->setVisible(Ruler->Checked());

  Playback.OutHeaders = new WAVEHDR[PlaybackStream::BufferCount]{};
  for (char*& buffer : Playback.OutBuffers)
    buffer = new char[PlaybackStream::BufferBytes]{};
  AllocateGenTables(Gen);

  Gen.TablesValid = false;
  Playback.OutStop = false;

  ScopeClick(this);
  FFTModeClick(this);

  Capture.InFormat = new WAVEFORMATEX{};
  Capture.InClosed = true;

  OpenCapture();

  // The program ends when the message loop next runs. Asked for only now: a
  // message box shown during creation runs a loop of its own, which would
  // take the request and leave the program running.
  if (tooNarrow)
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                              Qt::QueuedConnection);
}

void TForm1::FormShow(QObject*) {
  LFBox->setEnabled(SpectralAmp->Checked());
  // Placed once the window has its place on the screen.
  if (Measurements->OpenAtStart)
    QMetaObject::invokeMethod(
        this, [this] { Measurements->Open(*this); }, Qt::QueuedConnection);
  if (SpectrumWin->OpenAtStart)
    QMetaObject::invokeMethod(
        this, [this] { SpectrumWin->Open(*this); }, Qt::QueuedConnection);
}

void TForm1::FormActivate(QObject*) {
  Playback.OutIdle = true;
  AnyChannel = false;
  ShowYScale();
  LabelX->SetCaption(QStringLiteral("X Scale"));
}

void TForm1::FormCloseQuery(QObject*, bool& CanClose) {
  // Kept in the store until SaveSettings writes the file.
  if (Settings) SpectrumWin->SaveSettings(*Settings);
  SaveSettings();
  ShutDownCapture();
  CanClose = Capture.InClosed;
  Playback.OutStop = true;
  Playback.OutResume = false; // the window is closing: nothing is opened again
}

void TForm1::FormDestroy(QObject*) {
  if (destroyed_) return;
  destroyed_ = true;
  NativeDisplay.reset();
  NativeScope.reset();
  DisplayBitmap.reset();
  ScopeBitmap.reset();
  ScopePrevious.reset();
  // The stop request must be set before the tables go.
  Playback.OutStop = true;
  FreeGenTables(Gen);
  delete Capture.InFormat;
  Capture.InFormat = nullptr;
  ColumnBitmap.reset();
}

namespace {

// An area of the window without the ruler over it: the ruler is opaque and
// keeps its own picture, so the bands around it are enough and spare
// repainting its labels with every block. Bands may be empty.
std::array<QRect, 4> BandsAroundRuler(const Geometry::Area& area, const QWidget* ruler) {
  const QRect rect = ToQRect(area);
  const QRect hole = ruler->isVisible() ? ruler->geometry() & rect : QRect();
  if (hole.isEmpty()) return {rect};
  return {QRect(rect.left(), rect.top(), rect.width(), hole.top() - rect.top()),
          QRect(rect.left(), hole.top(), hole.left() - rect.left(), hole.height()),
          QRect(hole.right() + 1, hole.top(), rect.right() - hole.right(), hole.height()),
          QRect(rect.left(), hole.bottom() + 1, rect.width(), rect.bottom() - hole.bottom())};
}

} // namespace

void TForm1::CopyToWindow(const Geometry::Area& area) {
  const QRect display = ToQRect(Geometry::Display);
  if (NativeDisplay != nullptr && display.contains(ToQRect(area))) {
    NativeDisplay->Put(ToQRect(area).translated(-display.topLeft()));
    return;
  }
  const QRect scope = ToQRect(Geometry::Scope);
  if (NativeScope != nullptr && scope.contains(ToQRect(area))) {
    NativeScope->Put(ToQRect(area).translated(-scope.topLeft()), ScopeBitmap.get());
    return;
  }
  for (const QRect& band : BandsAroundRuler(area, RulerPanel))
    if (!band.isEmpty()) update(band);
}

void TForm1::ScrollWindow(const Geometry::Area& area, int dx) {
  if (NativeDisplay != nullptr && dx < 0 && ToQRect(area) == ToQRect(Geometry::Display)) {
    NativeDisplay->ScrollLeft(-dx);
    return;
  }
  for (const QRect& band : BandsAroundRuler(area, RulerPanel))
    if (!band.isEmpty()) scroll(dx, 0, band);
}

bool TForm1::event(QEvent* e) {
  if (e->type() == PathEvent::Type()) {
    const auto* path = static_cast<PathEvent*>(e);
    PathChanged(path->Input, path->Findings);
    return true;
  }
  if (e->type() > QEvent::User && e->type() < QEvent::MaxUser) {
    const auto* device = dynamic_cast<DeviceEvent*>(e);
    if (device != nullptr) {
      switch (Streams.Take(*device)) {
      case StreamSession::Event::InputData:
        Capture.BlockGap = device->Gap;
        WimData(device->Header);
        break;
      case StreamSession::Event::InputClosed:
        WimClose();
        break;
      case StreamSession::Event::InputLost:
        WimLost(device->Code);
        break;
      case StreamSession::Event::OutputOpen:
        WomOpen();
        break;
      case StreamSession::Event::OutputDone:
        WomDone(device->Header);
        break;
      case StreamSession::Event::OutputClosed:
        WomClose();
        break;
      case StreamSession::Event::OutputLost:
        WomLost(device->Code);
        break;
      case StreamSession::Event::ServerBack:
        ServerBack();
        break;
      case StreamSession::Event::Stale:
        break;
      }
      return true;
    }
  }
  return QWidget::event(e);
}

void TForm1::paintEvent(QPaintEvent* e) {
  paintRegion_ = e->region();
  FormPaint(this);
}

void TForm1::closeEvent(QCloseEvent* e) {
  bool canClose = true;
  FormCloseQuery(this, canClose);
  if (canClose)
    e->accept();
  else
    e->ignore();
}

void TForm1::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (shown_) return;
  shown_ = true;
  ShowViewsInOwnWindows();
  // Another screen may have another scale, or one that is no whole number.
  connect(windowHandle(), &QWindow::screenChanged, this, &TForm1::ShowViewsInOwnWindows);
  FormShow(this);
  // The first showing counts as an activation even where no window manager
  // activates windows; taking the focus lets later activations follow.
  FormActivate(this);
  activateWindow();
}

// The views' own windows, made for the window's present scale; where there
// can be none, the window's repaint shows the views, from now on and at once.
void TForm1::ShowViewsInOwnWindows() {
  NativeScope.reset();
  NativeDisplay.reset();
  NativeDisplay = X11Display::Create(this, ToQRect(Geometry::Display), *DisplayBitmap, RulerPanel);
  if (NativeDisplay != nullptr)
    NativeScope = X11Display::Create(this, ToQRect(Geometry::Scope), *ScopeBitmap);
  update();
}

void TForm1::changeEvent(QEvent* e) {
  if (e->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate(this);
  QWidget::changeEvent(e);
}
