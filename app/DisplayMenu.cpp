// The display's right-click menu: the "Measurements" window and the files the
// user takes away (the spectrum and the amplitude trace as CSV, the window
// as a picture).

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QStandardPaths>

#include "app/Export.h"
#include "app/Main.h"
#include "app/MeasurementWindow.h"
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
      {"Save &Spectrum\u2026", Qt::CTRL | Qt::Key_E,
       "Saves the latest block's spectrum in dBFS as CSV", &TForm1::SaveSpectrumClick},
      {"Save &Response\u2026",
       {},
       "Saves the spectral amplitude trace as drawn as CSV",
       &TForm1::SaveResponseClick},
      {"Save &Picture\u2026", Qt::CTRL | Qt::Key_S, "Saves the window as a PNG picture",
       &TForm1::SavePictureClick},
      {"&Copy Picture",
       {},
       "Copies the window's picture to the clipboard",
       &TForm1::CopyPictureClick},
  };
  for (const Command& c : commands) {
    QAction* action = DisplayMenu->addAction(QString::fromUtf8(c.Text));
    action->setShortcut(c.Keys);
    // The keys work in the "Measurements" window too.
    action->setShortcutContext(Qt::ApplicationShortcut);
    action->setToolTip(QString::fromLatin1(c.Tip));
    action->setStatusTip(action->toolTip());
    addAction(action);
    connect(action, &QAction::triggered, this, [this, run = c.Run] { (this->*run)(); });
    if (c.Run == &TForm1::MeasurementsClick) DisplayMenu->addSeparator();
  }
}

void TForm1::ShowDisplayMenu(QPoint At) {
  DisplayMenu->popup(mapToGlobal(At));
}

void TForm1::MeasurementsClick() {
  Measurements->Open(*this);
  Measurements->activateWindow();
}

void TForm1::FeedMeasurements() {
  Measurements->AddBlock({Samples.Left(), SampleBlock::Frames},
                         {Samples.Right(), SampleBlock::Frames}, LCnl->Checked(), RCnl->Checked(),
                         Capture.BlockGap);
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
  // Painted afresh from the bitmaps the screen shows, at the screen's scale;
  // the window's repaint leaves out the readouts shown in windows of their
  // own, which paint themselves on top.
  QImage picture = grab().toImage();
  QPainter painter(&picture);
  for (CaptionLabel* readout : BlockReadouts())
    if (readout->InOwnWindow()) readout->render(&painter, readout->mapTo(this, QPoint(0, 0)));
  return picture;
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
