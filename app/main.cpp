// SPDX-License-Identifier: GPL-3.0-or-later
// The program entry: the command line, then one window and one message loop.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QIcon>
#include <QPointer>
#include <QSettings>
#include <QTimer>

#include "app/CommandLine.h"
#include "app/DisplayCheck.h"
#include "app/LoopbackServer.h"
#include "app/Main.h"
#include "app/MeasureCommand.h"
#include "app/SignalHandling.h"
#include "app/Version.h"
#include "platform/SoundServerDevices.h"
#include "platform/WindowStyle.h"
#include "settings/SettingsFile.h"

namespace {

constexpr int UsageError = 2;

// Once a stop signal has come, every box that opens is closed as it shows:
// start-up may have several to show, one after the other, and the signal
// closed only the one that was up.
class BoxCloser : public QObject {
public:
  explicit BoxCloser(const int* stopSignal) : stopSignal_(stopSignal) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (*stopSignal_ != 0 && event->type() == QEvent::Show)
      if (auto* box = qobject_cast<QWidget*>(watched); box != nullptr && box->isModal())
        QMetaObject::invokeMethod(box, &QWidget::close, Qt::QueuedConnection);
    return false;
  }

private:
  const int* stopSignal_;
};

// Qt's file dialog keeps its state and folder history in QtProject.conf,
// where QSettings' own rules put it: without an absolute home, under the root
// or the current folder. It goes beside the program's own settings instead,
// and where there are none, under a device, where no folder can be made and
// so nothing is written.
void KeepQtSettingsBesideOurs() {
  const QString folder = ConfigFolder(qgetenv("XDG_CONFIG_HOME"), qgetenv("HOME"));
  const QString path =
      folder.isEmpty() ? QStringLiteral("/dev/null") : folder + QStringLiteral("/Zenko");
  for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
    QSettings::setPath(format, QSettings::UserScope, path);
}

// Runs the window until it closes; the exit status, and in *stopSignal the
// signal that closed it, if one did.
int RunWindow(int argc, char** argv, const std::vector<std::string>& args,
              const CommandLine& choice, int* stopSignal) {
  std::unique_ptr<QApplication> application;
  // On an X server the display and the oscilloscope have windows of their
  // own, so Qt's repaints are small (readouts, meters). Put over shared
  // memory, Qt waits for the server before repainting a part it put the block
  // before: a round trip, and a wake-up of the server, every block. Plain
  // requests carry such small parts without a wait.
  if (qEnvironmentVariableIsEmpty("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
  // Without a session bus, the D-Bus library would start one for the display
  // (dbus-launch and a dbus-daemon) as soon as Qt looks for the accessibility
  // bus or the desktop's portal, and both outlive the program. An address no
  // client connects to leaves Qt without the bus, as there is none.
  if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
  {
    const PlatformStartGuard guard(args);
    application = std::make_unique<QApplication>(argc, argv);
  }
  QApplication::setApplicationName(QStringLiteral("Veltrano"));
  QApplication::setApplicationVersion(QStringLiteral(VELTRANO_VERSION));
  QApplication::setOrganizationName(QStringLiteral("Zenko"));
  QGuiApplication::setDesktopFileName(QStringLiteral(VELTRANO_APP_ID));
  KeepQtSettingsBesideOurs();
  InstallWindowStyle();
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/veltrano.png")));

  // A signal closes the window as its close button does; one that arrives
  // while a message box is up (even during start-up) first closes the box,
  // and any box that follows. A close the window refuses leaves the program
  // running as if no signal had come.
  BoxCloser boxCloser(stopSignal);
  application->installEventFilter(&boxCloser);
  QPointer<TForm1> window;
  const auto closeWindow = [&] {
    if (window && !window->close()) *stopSignal = 0;
  };
  const StopSignalNotifier notifier([&](int signo) {
    *stopSignal = signo;
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
    closeWindow();
  });
  std::unique_ptr<WaveAudio> audio = CreateSoundServerAudio("Veltrano");
  audio->ChooseDevice(true, choice.Input);
  audio->ChooseDevice(false, choice.Output);
  TForm1 form(std::move(audio));
  window = &form;
  form.show();
  if (*stopSignal != 0) QTimer::singleShot(0, &form, closeWindow);
  return QApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
  // The sound server's library sizes a shared-memory pool of 64 MiB with
  // ftruncate, and the settings are written with write: under a smaller file
  // size limit either would kill the program with SIGXFSZ. Ignored, they fail
  // with EFBIG, which every writer handles.
  std::signal(SIGXFSZ, SIG_IGN);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const CommandLine line = ParseCommandLine(args);
  if (!line.Error.empty()) {
    std::fprintf(stderr, "veltrano: %s (see veltrano --help)\n", line.Error.c_str());
    return UsageError;
  }
  if (line.Help) {
    std::fputs(HelpText().c_str(), stdout);
    return 0;
  }
  if (line.Version) {
    std::printf("veltrano %s\n", VELTRANO_VERSION);
    return 0;
  }
  // A measurement needs no display; its options are checked before anything starts.
  std::optional<MeasureOptions> measure;
  if (line.Measure) {
    std::string error;
    measure = ReadMeasureOptions(line, &error);
    if (!measure) {
      std::fprintf(stderr, "veltrano: %s (see veltrano --help)\n", error.c_str());
      return UsageError;
    }
  } else if (const std::string missing = MissingDisplay(args); !missing.empty()) {
    std::fprintf(stderr, "veltrano: %s\n", missing.c_str());
    return 1;
  }

  CatchStopSignals();
  std::unique_ptr<LoopbackServer> loopback;
  if (line.Loopback) {
    std::string error;
    loopback = LoopbackServer::Start(&error);
    if (!loopback) {
      std::fprintf(stderr, "veltrano: --loopback: %s\n", error.c_str());
      return 1;
    }
    // Read by libpulse when it first connects, which is later.
    setenv("PULSE_SERVER", loopback->Address().c_str(), 1);
    setenv("PULSE_COOKIE", loopback->Cookie().c_str(), 1);
    std::fprintf(stderr,
                 "veltrano: --loopback: a private sound server runs for this session at %s; "
                 "the output comes back as the input\n",
                 loopback->Address().c_str());
  }

  // Checked here, after --loopback chose the server, so that a wrong name is
  // told before any window appears.
  for (const auto& [capture, name] : {std::pair{true, &line.Input}, {false, &line.Output}}) {
    std::string message;
    if (name->empty()) continue;
    if (const int status = CheckSoundDevice(capture, *name, &message); status != 0) {
      std::fprintf(stderr, "veltrano: %s: %s\n", capture ? "--input" : "--output", message.c_str());
      return status;
    }
  }

  int stopSignal = 0;
  const int status = measure ? RunMeasure(argc, argv, *measure, &stopSignal)
                             : RunWindow(argc, argv, args, line, &stopSignal);
  loopback.reset();
  if (stopSignal != 0) {
    // Ended by the signal, as the shell that sent it expects.
    std::signal(stopSignal, SIG_DFL);
    std::raise(stopSignal);
  }
  return status;
}
