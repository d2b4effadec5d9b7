#include "app/RecentFileList.h"

#include <QSettings>
#include <QString>
#include <algorithm>
#include <memory>

#include "app/AppSettings.h"

namespace orva {

namespace {

std::string normalText(const std::filesystem::path& path) {
  const std::u8string text = path.lexically_normal().u8string();
  return std::string(text.begin(), text.end());
}

QString keyOf(std::size_t index) { return QStringLiteral("File%1").arg(index + 1); }

}  // namespace

void RecentFileList::add(const std::filesystem::path& path) {
  if (path.empty()) return;
  const std::string entry = normalText(path);
  std::erase(files_, entry);
  files_.insert(files_.begin(), entry);
  if (files_.size() > kCapacity) files_.resize(kCapacity);
}

bool RecentFileList::remove(const std::filesystem::path& path) {
  return std::erase(files_, normalText(path)) > 0;
}

void RecentFileList::load(const SettingsStore& store) {
  const std::unique_ptr<QSettings> settings = store.open();
  settings->beginGroup(QString::fromUtf8(kRecentFileGroup.data(),
                                         static_cast<qsizetype>(kRecentFileGroup.size())));
  files_.clear();
  for (std::size_t i = 0; i < kCapacity; ++i) {
    const QString value = settings->value(keyOf(i)).toString();
    if (value.isEmpty()) continue;
    const std::string text = value.toStdString();
    const std::string entry = normalText(std::filesystem::path(std::u8string(text.begin(), text.end())));
    if (std::find(files_.begin(), files_.end(), entry) == files_.end()) files_.push_back(entry);
  }
  settings->endGroup();
}

bool RecentFileList::save(const SettingsStore& store) const {
  const std::unique_ptr<QSettings> settings = store.open();
  settings->beginGroup(QString::fromUtf8(kRecentFileGroup.data(),
                                         static_cast<qsizetype>(kRecentFileGroup.size())));
  for (std::size_t i = 0; i < kCapacity; ++i) {
    if (i < files_.size()) {
      settings->setValue(keyOf(i), QString::fromStdString(files_[i]));
    } else {
      settings->remove(keyOf(i));
    }
  }
  settings->endGroup();
  settings->sync();
  return settings->status() == QSettings::NoError;
}

}  // namespace orva
