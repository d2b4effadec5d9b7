#include "ui/QtSound.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QEventLoop>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

namespace orva {

bool QtSound::playAndWait(const std::string& path) {
  const QString file = QString::fromStdString(path);
  if (!QFileInfo(file).isFile()) return false;
  // Without a sound device nothing would ever tell that the sound ended: the
  // wait would last the whole time limit.
  if (QMediaDevices::audioOutputs().isEmpty()) return false;
  if (file.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive)) return playEffect(file);
  return playMedia(file);
}

bool QtSound::playEffect(const QString& file) {
  QSoundEffect effect;
  QEventLoop loop;
  QTimer limit;
  limit.setSingleShot(true);
  bool failed = false;
  bool played = false;
  QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
  QObject::connect(&effect, &QSoundEffect::statusChanged, &loop, [&] {
    if (effect.status() == QSoundEffect::Error) {
      failed = true;
      loop.quit();
    } else if (effect.status() == QSoundEffect::Ready && !effect.isPlaying()) {
      effect.play();
    }
  });
  QObject::connect(&effect, &QSoundEffect::playingChanged, &loop, [&] {
    if (effect.isPlaying()) {
      played = true;
    } else if (played) {
      loop.quit();
    }
  });
  effect.setSource(QUrl::fromLocalFile(file));
  if (effect.status() == QSoundEffect::Error) return false;
  if (effect.status() == QSoundEffect::Ready) effect.play();
  limit.start(limit_);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  const bool ended = played && !effect.isPlaying();
  effect.stop();
  return !failed && ended;
}

bool QtSound::playMedia(const QString& file) {
  QMediaPlayer player;
  QAudioOutput output;
  player.setAudioOutput(&output);
  QEventLoop loop;
  QTimer limit;
  limit.setSingleShot(true);
  bool failed = false;
  bool ended = false;
  QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
  QObject::connect(&player, &QMediaPlayer::errorOccurred, &loop, [&] {
    failed = true;
    loop.quit();
  });
  QObject::connect(&player, &QMediaPlayer::mediaStatusChanged, &loop, [&](QMediaPlayer::MediaStatus status) {
    if (status == QMediaPlayer::EndOfMedia) {
      ended = true;
      loop.quit();
    } else if (status == QMediaPlayer::InvalidMedia) {
      failed = true;
      loop.quit();
    }
  });
  player.setSource(QUrl::fromLocalFile(file));
  player.play();
  limit.start(limit_);
  if (!failed && !ended) loop.exec(QEventLoop::ExcludeUserInputEvents);
  player.stop();
  return !failed && ended;
}

}  // namespace orva
