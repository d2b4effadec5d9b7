#include "ui/SystemSound.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace orva {

bool SystemSound::playAndWait(const std::string& path) {
  const QString file = QString::fromStdString(path);
  if (!QFileInfo(file).isFile()) return false;
  for (const char* player : {"paplay", "aplay"}) {
    const QString program = QStandardPaths::findExecutable(QString::fromLatin1(player));
    if (program.isEmpty()) continue;
    QProcess process;
    QStringList arguments;
    if (QLatin1String(player) == QLatin1String("aplay")) arguments << QStringLiteral("-q");
    arguments << file;
    process.start(program, arguments);
    if (!process.waitForFinished(30000)) {
      process.kill();
      process.waitForFinished(1000);
      return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
  }
  return false;
}

}  // namespace orva
