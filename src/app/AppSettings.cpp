#include "app/AppSettings.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "app/AppPaths.h"
#include "config/TableList.h"

namespace orva {

namespace {

QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Keys of the group.
constexpr std::string_view kSonFinDec = "SonFinDec";
constexpr std::string_view kRepProfil = "RepProfil";
constexpr std::string_view kRepProjet = "RepProjet";
constexpr std::string_view kRepIns = "RepIns";
constexpr std::string_view kPort = "Port";
constexpr std::string_view kTypeBloc = "TypeBloc";
constexpr std::string_view kCurrentTable = "CurrentTable";
constexpr std::string_view kBackend = "Backend";

// A text value, or nothing when the key is absent. An INI line holding an
// unquoted comma (a hand-edited "C:\a, b") is read by Qt as a list; it is
// joined back into the one text the user wrote.
std::optional<std::string> readText(const QSettings& store, std::string_view key) {
  const QVariant value = store.value(qs(key));
  if (!value.isValid()) return std::nullopt;
  if (value.typeId() == QMetaType::QStringList) {
    return value.toStringList().join(QStringLiteral(", ")).toStdString();
  }
  return value.toString().toStdString();
}

}  // namespace

SettingsStore::SettingsStore() : file_(userSettingsFile()), userStore_(true) {}

SettingsStore::SettingsStore(std::filesystem::path iniFile) : file_(std::move(iniFile)) {}

std::unique_ptr<QSettings> SettingsStore::open() const {
  return std::make_unique<QSettings>(QString::fromStdString(file_.string()),
                                     QSettings::IniFormat);
}

AppSettings SettingsStore::read() const {
  const std::unique_ptr<QSettings> store = open();
  store->beginGroup(qs(kSettingsGroup));
  AppSettings settings;
  if (auto text = readText(*store, kSonFinDec)) settings.SonFinDec = *text;
  if (auto text = readText(*store, kRepProfil)) settings.RepProfil = *text;
  if (auto text = readText(*store, kRepProjet)) settings.RepProjet = *text;
  if (auto text = readText(*store, kRepIns)) settings.RepIns = *text;
  if (auto text = readText(*store, kPort)) {
    bool ok = false;
    const int port = QString::fromStdString(*text).trimmed().toInt(&ok);
    if (ok) settings.Port = port;
  }
  if (auto text = readText(*store, kTypeBloc)) settings.TypeBloc = *text;
  // The table name becomes file names in the data directory: a hand-edited
  // value that could reach outside it is not used.
  if (auto text = readText(*store, kCurrentTable); text && isSafeTableName(*text)) {
    settings.CurrentTable = *text;
  }
  if (auto text = readText(*store, kBackend); text && !text->empty()) settings.Backend = *text;
  store->endGroup();
  return settings;
}

bool SettingsStore::write(const AppSettings& settings) const {
  const std::unique_ptr<QSettings> store = open();
  store->beginGroup(qs(kSettingsGroup));
  store->setValue(qs(kSonFinDec), qs(settings.SonFinDec));
  store->setValue(qs(kRepProfil), qs(settings.RepProfil));
  store->setValue(qs(kRepProjet), qs(settings.RepProjet));
  store->setValue(qs(kRepIns), qs(settings.RepIns));
  // Port is edited for the current run only and never written.
  store->setValue(qs(kTypeBloc), qs(settings.TypeBloc));
  store->setValue(qs(kCurrentTable), qs(settings.CurrentTable));
  store->setValue(qs(kBackend), qs(settings.Backend));
  store->endGroup();
  store->sync();
  return store->status() == QSettings::NoError;
}

}  // namespace orva
