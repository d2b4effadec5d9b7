#include "ui/CompanionProgram.h"

#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

#include "app/AppSettings.h"

namespace orva {

QString CompanionProgram::locate(const SettingsStore& store) {
  const QString configured = store.open()->value(QString::fromLatin1(kSettingsKey)).toString();
  if (!configured.isEmpty()) {
    const QFileInfo info(configured);
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
  }
  for (const char* name : {"ferolo", "Ferolo"}) {
    QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (!found.isEmpty()) return found;
  }
  return {};
}

bool CompanionProgram::start(const SettingsStore& store, const Starter& starter) {
  const QString program = locate(store);
  if (program.isEmpty()) return false;
  const QStringList arguments{QStringLiteral("ferolo")};
  if (starter) return starter(program, arguments);
  return QProcess::startDetached(program, arguments);
}

}  // namespace orva
