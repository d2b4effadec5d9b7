#include <QApplication>
#include <QIcon>

#include "app/AppPaths.h"
#include "ui/CMainFrame.h"
#include "ui/DesktopProgram.h"

int main(int argc, char** argv) {
  // Started outside a desktop session, Qt would warn that it has no runtime directory.
  orva::provideRuntimeDirectory();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("orva"));
  QApplication::setApplicationDisplayName(QStringLiteral("ORVA"));
  QApplication::setDesktopFileName(QStringLiteral("orva"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/orva.svg")));
  // A project window open at the end does not end the program by itself:
  // the program ends when the main window has closed.
  QApplication::setQuitOnLastWindowClosed(true);

  orva::DesktopProgram program;
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  if (!program.start(arguments)) return 1;
  const int status = QApplication::exec();
  program.finish();
  return status;
}
