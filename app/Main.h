// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TForm1, the main window: it owns the controls and the state of every
// subsystem. Each method is defined in the folder of the subsystem that owns
// it; everything runs on the GUI thread.

#include <memory>
#include <vector>

#include <QRegion>
#include <QWidget>

#include "app/Components.h"
#include "audio/SampleBlock.h"
#include "audio/StreamSession.h"
#include "audio/StreamState.h"
#include "generator/Synthesis.h"
#include "platform/Bitmap.h"
#include "platform/CheckControls.h"
#include "platform/Containers.h"
#include "platform/SpeedButton.h"
#include "platform/SpinEdit.h"
#include "platform/UpDown.h"
#include "platform/WaveAudio.h"
#include "platform/X11Display.h"
#include "settings/SettingsLoad.h"
#include "settings/SettingsStore.h"
#include "views/AmpGraphDrawing.h"
#include "views/DragState.h"
#include "views/Geometry.h"
#include "views/ScopeDrawing.h"
#include "views/SpectrumAnalysis.h"
#include "views/SpectrumState.h"
#include "widgets/Cmp_PeakLedDisplay.h"

class DevicesDialog;
class MeasurementWindow;
class QAction;
class SpectrumWindow;
class QMenu;

inline QRect ToQRect(const Geometry::Area& area) {
  return {area.Left, area.Top, area.Width, area.Height};
}

class TForm1 : public QWidget {
  Q_OBJECT
public:
  // audio is the wave-audio service the streams use; the window runs
  // FormCreate before the constructor returns.
  explicit TForm1(std::unique_ptr<WaveAudio> audio, QWidget* parent = nullptr);
  ~TForm1() override;

  // Index -> control, in creation order.
  QWidget* Component(int index) const { return components_[static_cast<size_t>(index)]; }

  // Controls, in creation order.
  Panel* LedPanel;
  Label* LabelR;
  Label* LabelL;
  TPeakLedDisplay* PeakLedDisplay1;
  TPeakLedDisplay* PeakLedDisplay2;
  GroupBox* SpectrumGroup;
  CheckBox* ColorBox;
  RadioButton* RB22K;
  RadioButton* RB11K;
  RadioButton* RB6K;
  GroupBox* SensGroup;
  Label* LSensVal;
  RadioButton* fLog;
  RadioButton* fSqrt;
  RadioButton* fLinear;
  CheckBox* AutoSensitivity;
  UpDown* Sensitivity;
  CheckBox* Filter;
  CheckBox* Grid;
  CheckBox* FFTMode;
  CheckBox* AutoFrqCount;
  StaticText* RFrq;
  StaticText* LFrq;
  CheckBox* cbWnd;
  Panel* MainPanel;
  SpeedButton* BtnStop;
  Label* LSpeed;
  CheckBox* Led;
  UpDown* Speed;
  CheckBox* Ruler;
  CheckBox* SpectralAmp;
  CheckBox* RCnl;
  CheckBox* LCnl;
  CheckBox* Scope;
  CheckBox* LFBox;
  Panel* RulerPanel;
  ::PaintBox* PaintBox;
  GroupBox* OscillocopeGroup;
  Label* LabelY;
  Label* LabelX;
  Label* YScaleLbl;
  UpDown* ScopeXW;
  UpDown* ScopeYW;
  CheckBox* Sync;
  CheckBox* ShowLevels;
  CheckBox* AutoYScale;
  StaticText* Rlevel;
  StaticText* Llevel;
  GroupBox* GeneratorGroup;
  Bevel* Bevel5;
  Bevel* Bevel4;
  Bevel* Bevel3;
  Label* Label4;
  Label* Label5;
  Label* Label1;
  Label* Label6;
  Label* Label2;
  Label* Label3;
  Label* Label7;
  Label* LabelInc;
  Label* LblNow;
  Label* Label9;
  Label* Label10;
  CheckBox* Noise;
  SpinEdit* FrqVN;
  CheckBox* Frq1;
  SpinEdit* FrqG1;
  SpinEdit* FrqV1;
  CheckBox* Frq2;
  SpinEdit* FrqG2;
  SpinEdit* FrqV2;
  CheckBox* AutoG;
  SpinEdit* FInc;
  CheckBox* RcBox0;
  CheckBox* LcBox0;
  CheckBox* RcBox1;
  CheckBox* LcBox1;
  CheckBox* RcBox2;
  CheckBox* LcBox2;
  SpinEdit* FrqVF;
  CheckBox* RcBox3;
  CheckBox* LcBox3;
  SpinEdit* FrqFrom;
  SpinEdit* FrqTo;
  GroupBox* SpectralAmpGroup;
  RadioButton* dB10;
  RadioButton* dB30;
  RadioButton* dB60;
  GroupBox* DrawModeGroup;
  SpeedButton* BtnReset;
  RadioButton* LineMode;
  RadioButton* DotMode;

  // Lifecycle (app/Main.cpp).
  void FormCreate(QObject* Sender);
  void FormShow(QObject* Sender);
  void FormActivate(QObject* Sender);
  void FormCloseQuery(QObject* Sender, bool& CanClose);
  void FormDestroy(QObject* Sender);

  // Control panel and status refresh (app/ControlPanel.cpp).
  void BtnStopClick(QObject* Sender);
  void LedClick(QObject* Sender);
  void UpdateStatus();

  // Settings store (app/WindowSettings.cpp, through settings/).
  void LoadSettings();
  void SaveSettings();
  // Every value the window stores, in the order of loading and saving.
  std::vector<StoredValue> StoredValues();

  // Capture stream (audio/CaptureStream.cpp).
  void OpenCapture();
  void WimData(WAVEHDR* Header);
  void WimClose();
  void WimLost(MMRESULT Code);
  // Stores the pairs the meters are given and gives them.
  void ShowMeters(TLedLevel left, TLedLevel right);
  void ShutDownCapture();
  // START once the server is back, tried again while it has no input yet.
  void ReopenInput();

  // Playback stream (audio/PlaybackStream.cpp).
  void OpenOutput();
  void WomOpen();
  void WomDone(WAVEHDR* Header);
  void WomClose();
  void WomLost(MMRESULT Code);
  void FillAndWrite(WAVEHDR* Header);
  // One warning for the streams one failure took down (audio/StreamLoss.cpp).
  void ReportLoss(bool Input);
  // Shows the warning of the losses reported, unless a shutdown is under way.
  void ShowLoss();
  // The signal path marked in the title bar, and the streams reopened when
  // the server is back (audio/SignalPathMarks.cpp).
  // Tell: said on the terminal too, when it differs from what was said last.
  void PathChanged(bool Input, const std::vector<std::string>& Findings, bool Tell = true);
  void ServerBack();
  // The LED meters' menu of sources and sinks (audio/DeviceMenu.cpp).
  void CreateDeviceMenu();
  void ShowDeviceMenu(const QPoint& At);

  // Waveform synthesis and generator controls (generator/).
  void BuildTables();
  void Synthesize(int16_t* Block);
  void StepSweep();
  void ShowSweep();
  void Frq1Click(QObject* Sender);
  void AutoGClick(QObject* Sender);
  void FrqG1Change(QObject* Sender);
  void FrqFromChange(QObject* Sender);
  void FrqV1Change(QObject* Sender);

  // Views (views/).
  void DrawSpectrogram();
  // The analyser's scale and switches as the controls set them.
  TransformSettings AnalyserSettings() const;
  // Transforms channel 'R' or 'L' of the block into its spectrum, and shows
  // its frequency when the counter runs on its own.
  void TransformAndCount(char channel, const TransformSettings& settings);
  void SensitivityChanging(QObject* Sender, bool& AllowChange);
  void RB22KClick(QObject* Sender);
  void FFTModeClick(QObject* Sender);
  void DrawAmpGraph();
  void SpectralAmpClick(QObject* Sender);
  void BtnResetClick(QObject* Sender);
  void LFBoxClick(QObject* Sender);
  void ClearFFTGraph();
  void ScopeClick(QObject* Sender);
  void DrawScope();
  void ScopeXWChanging(QObject* Sender, bool& AllowChange);
  // LabelY's caption for ScopeYW's position.
  void ShowYScale();
  void ScopeXWMouseUp(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                      int Y);
  void ShowFrequency(char Channel);
  // The frequency under the pointer, run first by the window's mouse-move handler.
  void PointerReadout(int X, int Y);
  void AutoFrqCountClick(QObject* Sender);
  void FormPaint(QObject* Sender);
  void DrawRuler();
  void FormMouseDown(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                     int Y);
  void FormMouseMove(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y);
  void FormMouseUp(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                   int Y);
  void GeneratorGroupMouseMove(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y);
  void PaintBoxMouseDown(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                         int X, int Y);
  void PaintBoxMouseMove(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y);
  void PaintBoxMouseUp(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                       int Y);

  // The display's right-click menu, the "Measurements" and "Spectrum" windows
  // and the files the user saves (app/DisplayMenu.cpp).
  void CreateDisplayMenu();
  void ShowDisplayMenu(QPoint At); // At in window pixels
  void MeasurementsClick();
  void SpectrumClick();
  // Hands the latest block to the "Measurements" and "Spectrum" windows.
  void FeedMeasurements();
  void SaveSpectrumClick();
  void SaveResponseClick();
  void SavePictureClick();
  void CopyPictureClick();
  void DevicesClick();
  // Shift+F10 or the Menu key: the LED meters' menu when they have the
  // focus, else the display's menu.
  void OpenMenuByKey();
  // Names, roles and values for assistive technology beyond the component
  // table's, and the meters' place in the Tab walk (app/Access.cpp).
  void CreateAccess();
  // Each writes its file in one piece, or shows why it could not and leaves
  // the file as it was: false then.
  bool SaveSpectrum(const QString& FileName);
  bool SaveResponse(const QString& FileName);
  bool SavePicture(const QString& FileName, const QImage& Shown);
  // The window as the screen shows it now, at the screen's scale.
  QImage Picture();

  // Marks an area of the window for repaint from the bitmaps.
  void CopyToWindow(const Geometry::Area& area);
  void ShowViewsInOwnWindows();
  // Moves what the window shows of an area dx pixels sideways, as its bitmap
  // moved, and marks only the uncovered columns for repaint from the bitmap.
  void ScrollWindow(const Geometry::Area& area, int dx);

  // State.
  std::unique_ptr<WaveAudio> Audio;
  std::unique_ptr<SettingsStore> Settings;
  // The input and the output, opened in the blocks' format.
  StreamSession Streams{*Audio, this};
  CaptureStream Capture;
  PlaybackStream Playback;
  SignalPathState Path;
  SampleBlock Samples;
  InputLevels Levels;
  int32_t SpeedPos = 0;
  bool AnyChannel = false;
  bool Stopped = false;
  bool SweepWithNextBlock = false; // the sweep stepped; LblNow shows it with the next block
  SpectrumState Spectrum;
  ScopeState ScopeS;
  AmpTrace Amp;
  DragState Drag;
  GeneratorState Gen;
  std::unique_ptr<Bitmap> DisplayBitmap, ColumnBitmap, ScopeBitmap;
  // On an X server at a whole-number scale, the windows of their own that
  // show DisplayBitmap and ScopeBitmap; none elsewhere, where the window's
  // repaint shows them.
  std::unique_ptr<X11Display> NativeDisplay, NativeScope;
  // The oscilloscope's drawing before ScopeBitmap's: each drawing goes to the
  // other bitmap, and only the rows that differ between them are repainted.
  std::unique_ptr<Bitmap> ScopePrevious;
  QMenu* DisplayMenu = nullptr;
  MeasurementWindow* Measurements = nullptr;
  SpectrumWindow* SpectrumWin = nullptr;
  DevicesDialog* Devices = nullptr;
  QAction* DevicesAction = nullptr; // in both menus, Ctrl+D
  QString LastFolder;               // where the next file dialog starts
  bool FolderChosen = false;        // a save this run chose LastFolder: it is stored

protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void changeEvent(QEvent* e) override;

private:
  void CreateComponents();
  void ConnectHandlers();
  template <class T> T* Bind(std::string_view name);
  GenSources Sources() const;
  bool AnySourceActive() const; // a source is switched on and routed
  // A file name from the save dialog, starting in LastFolder; empty when cancelled.
  QString AskFileName(const QString& Caption, const QString& Name, const QString& Filter);

  std::vector<QWidget*> components_;
  // What the paint event under way asks FormPaint to paint.
  QRegion paintRegion_;
  bool shown_ = false;
  bool destroyed_ = false;
  unsigned lostToReport_ = 0; // streams lost since the last warning, not yet shown
  int shuttingDown_ = 0;      // a stream's shutdown is under way: no box now
  bool lossShown_ = false;    // the loss warning is open
};
