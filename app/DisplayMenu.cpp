// SPDX-License-Identifier: GPL-3.0-or-later
// The display's right-click menu: the "Measurements" and "Spectrum" windows,
// the "Devices" dialog and the files the user takes away (the spectrum and the
// amplitude trace as CSV, the window as a picture). Shift+F10 and the Menu key
// open it, or the LED meters' menu when they have the focus.

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QStandardPaths>

#include "app/DevicesDialog.h"
#include "app/Export.h"
#include "app/Main.h"
#include "app/MeasurementWindow.h"
#include "app/SpectrumWindow.h"
#include "platform/AtomicFile.h"
#include "platform/MessageBox.h"

namespace {

// Shows why a file could not be written; nothing of it was left behind.
bool Written(TForm1* form, const QString& fileName, const QString& problem) {
  if (problem.isEmpty()) return true;
  ShowMessageBox(form,
                 QStringLiteral("%1 could not be saved: %2. Nothing was written.")
                     .arg(QDir::toNativeSeparators(fileName), problem),
                 QStringLiteral("Error"), MessageIcon::Warning);
  return false;
}

} // namespace

void TForm1::CreateDisplayMenu() {
  Measurements = new MeasurementWindow(this);
  SpectrumWin = new SpectrumWindow(this);
  DisplayMenu = new QMenu(this);
  DisplayMenu->setAccessibleName(QStringLiteral("Display menu"));
  LastFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  struct Command {
    const char* Text;
    QKeySequence Keys;
    const char* Tip;
    void (TForm1::*Run)();
  };
  const Command commands[] = {
      {"&Measurements", Qt::Key_F2, "Opens the window of measured figures",
       &TForm1::MeasurementsClick},
      {"Sp&ectrum", Qt::Key_F3, "Opens the window of long spectra, averages and holds",
       &TForm1::SpectrumClick},
      {"Save &Spectrum\u2026", Qt::CTRL | Qt::Key_E,
       "Saves the latest block's spectrum in dBFS as CSV", &TForm1::SaveSpectrumClick},
      {"Save &Response\u2026", Qt::CTRL | Qt::Key_R,
       "Saves the spectral amplitude trace as drawn as CSV", &TForm1::SaveResponseClick},
      {"Save &Picture\u2026", Qt::CTRL | Qt::Key_S, "Saves the window as a PNG picture",
       &TForm1::SavePictureClick},
      {"&Copy Picture", Qt::CTRL | Qt::SHIFT | Qt::Key_C,
       "Copies the window's picture to the clipboard", &TForm1::CopyPictureClick},
      {"&Devices\u2026", Qt::CTRL | Qt::Key_D,
       "Shows the input and output devices in use and chooses others", &TForm1::DevicesClick},
  };
  for (const Command& c : commands) {
    QAction* action = DisplayMenu->addAction(QString::fromUtf8(c.Text));
    action->setShortcut(c.Keys);
    // The keys work in the "Measurements" and "Spectrum" windows too.
    action->setShortcutContext(Qt::ApplicationShortcut);
    action->setToolTip(QString::fromLatin1(c.Tip));
    action->setStatusTip(action->toolTip());
    addAction(action);
    connect(action, &QAction::triggered, this, [this, run = c.Run] { (this->*run)(); });
    if (c.Run == &TForm1::SpectrumClick || c.Run == &TForm1::CopyPictureClick)
      DisplayMenu->addSeparator();
    if (c.Run == &TForm1::DevicesClick) DevicesAction = action;
  }
  auto* menuKey = new QAction(this);
  menuKey->setShortcuts({QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)});
  addAction(menuKey);
  connect(menuKey, &QAction::triggered, this, &TForm1::OpenMenuByKey);
}

void TForm1::OpenMenuByKey() {
  QWidget* focus = QApplication::focusWidget();
  if (focus != nullptr && (focus == LedPanel || LedPanel->isAncestorOf(focus))) {
    ShowDeviceMenu(focus->mapToGlobal(focus->rect().center()));
    return;
  }
  // Beside the control with the focus, else at the display's corner.
  ShowDisplayMenu(focus != nullptr && isAncestorOf(focus)
                      ? focus->mapTo(this, focus->rect().center())
                      : QPoint(Geometry::Display.Left + 8, Geometry::Display.Top + 8));
  DisplayMenu->setActiveAction(DisplayMenu->actions().value(0));
}

void TForm1::ShowDisplayMenu(QPoint At) {
  DisplayMenu->popup(mapToGlobal(At));
}

void TForm1::MeasurementsClick() {
  Measurements->Open(*this);
  Measurements->activateWindow();
}

void TForm1::DevicesClick() {
  if (Devices == nullptr) Devices = new DevicesDialog(*Audio, this);
  Devices->Refresh();
  Devices->open();
}

void TForm1::SpectrumClick() {
  SpectrumWin->Open(*this);
}

void TForm1::FeedMeasurements() {
  Measurements->AddBlock({Samples.Left(), SampleBlock::Frames},
                         {Samples.Right(), SampleBlock::Frames}, LCnl->Checked(), RCnl->Checked(),
                         Capture.BlockGap);
  // The calibration follows the input device; a closed window needs neither.
  if (SpectrumWin->isVisible()) SpectrumWin->SetInputDevice(Audio->ChosenDevice(true));
  SpectrumWin->AddBlock({Samples.Left(), SampleBlock::Frames},
                        {Samples.Right(), SampleBlock::Frames}, LCnl->Checked(), RCnl->Checked());
}

QString TForm1::AskFileName(const QString& Caption, const QString& Name, const QString& Filter) {
  const QString fileName =
      QFileDialog::getSaveFileName(this, Caption, QDir(LastFolder).filePath(Name), Filter);
  if (!fileName.isEmpty()) {
    LastFolder = QFileInfo(fileName).absolutePath();
    FolderChosen = true;
  }
  return fileName;
}

bool TForm1::SaveSpectrum(const QString& FileName) {
  std::vector<CsvColumn> channels;
  if (LCnl->Checked())
    channels.push_back(
        {QStringLiteral("Left"), SpectrumDbfs({Samples.Left(), SampleBlock::Frames})});
  if (RCnl->Checked())
    channels.push_back(
        {QStringLiteral("Right"), SpectrumDbfs({Samples.Right(), SampleBlock::Frames})});
  if (channels.empty())
    return Written(this, FileName, QStringLiteral("no channel is ticked (RChannel, LChannel)"));
  return Written(this, FileName, WriteFileAtomically(FileName, SpectrumCsv(channels)));
}

bool TForm1::SaveResponse(const QString& FileName) {
  if (Amp.Points.Empty())
    return Written(this, FileName,
                   QStringLiteral("the spectral amplitude trace (Sp. Amp) has no points"));
  return Written(this, FileName, WriteFileAtomically(FileName, ResponseCsv(Amp.Points)));
}

QImage TForm1::Picture() {
  // Painted afresh from the bitmaps the screen shows, at the screen's scale.
  return grab().toImage();
}

bool TForm1::SavePicture(const QString& FileName, const QImage& Shown) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!Shown.save(&buffer, "PNG"))
    return Written(this, FileName, QStringLiteral("the picture could not be made"));
  return Written(this, FileName, WriteFileAtomically(FileName, png));
}

void TForm1::SaveSpectrumClick() {
  const QString name = AskFileName(QStringLiteral("Save Spectrum"), QStringLiteral("spectrum.csv"),
                                   QStringLiteral("CSV files (*.csv)"));
  if (!name.isEmpty()) SaveSpectrum(name);
}

void TForm1::SaveResponseClick() {
  const QString name = AskFileName(QStringLiteral("Save Response"), QStringLiteral("response.csv"),
                                   QStringLiteral("CSV files (*.csv)"));
  if (!name.isEmpty()) SaveResponse(name);
}

void TForm1::SavePictureClick() {
  // Taken before the dialog covers the window and takes its focus.
  const QImage shown = Picture();
  const QString name = AskFileName(QStringLiteral("Save Picture"), QStringLiteral("veltrano.png"),
                                   QStringLiteral("PNG pictures (*.png)"));
  if (!name.isEmpty()) SavePicture(name, shown);
}

void TForm1::CopyPictureClick() {
  QGuiApplication::clipboard()->setImage(Picture());
}
