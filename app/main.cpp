// The program entry: one window, one message loop.

#include <QApplication>
#include <QIcon>

#include "app/Main.h"
#include "platform/WindowStyle.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Veltrano"));
  QApplication::setOrganizationName(QStringLiteral("Zenko"));
  InstallWindowStyle();
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/veltrano.xpm")));
  TForm1 form(CreateSoundServerAudio("Veltrano"));
  form.show();
  return QApplication::exec();
}
