#include "controller/SerialTransport.h"

#include <QString>
#include <utility>

namespace orva {

SerialTransport::SerialTransport(std::string path, int baudRate)
    : path_(std::move(path)), baudRate_(baudRate) {}

bool SerialTransport::open() {
  close();
  error_.clear();
  port_.setPortName(QString::fromStdString(path_));
  if (!port_.setBaudRate(baudRate_)) {
    // Unusual rates are set on the open port below; only the number is checked here.
  }
  port_.setDataBits(QSerialPort::Data8);
  port_.setParity(QSerialPort::NoParity);
  port_.setStopBits(QSerialPort::OneStop);
  port_.setFlowControl(QSerialPort::NoFlowControl);
  if (!port_.open(QIODevice::ReadWrite)) {
    error_ = port_.errorString().toStdString();
    return false;
  }
  port_.setBaudRate(baudRate_);
  port_.clear();
  return true;
}

void SerialTransport::close() {
  if (port_.isOpen()) port_.close();
}

bool SerialTransport::isOpen() const { return port_.isOpen(); }

bool SerialTransport::fail() {
  error_ = port_.errorString().toStdString();
  close();
  return false;
}

bool SerialTransport::write(std::string_view bytes) {
  if (!port_.isOpen()) return false;
  qint64 done = 0;
  const auto size = static_cast<qint64>(bytes.size());
  while (done < size) {
    const qint64 n = port_.write(bytes.data() + done, size - done);
    if (n < 0) return fail();
    done += n;
  }
  // Hand the bytes to the system now: nothing is queued behind our back.
  while (port_.bytesToWrite() > 0) {
    if (!port_.waitForBytesWritten(1000)) {
      if (port_.error() == QSerialPort::TimeoutError) {
        port_.clearError();
        error_ = "write timeout";
        close();
        return false;
      }
      return fail();
    }
  }
  if (port_.error() == QSerialPort::ResourceError) return fail();
  return true;
}

bool SerialTransport::read(std::string& into, std::chrono::milliseconds timeout) {
  if (!port_.isOpen()) return false;
  if (port_.bytesAvailable() == 0) {
    if (!port_.waitForReadyRead(static_cast<int>(timeout.count()))) {
      if (port_.error() == QSerialPort::TimeoutError || port_.error() == QSerialPort::NoError) {
        port_.clearError();
        return true;
      }
      return fail();
    }
  }
  const QByteArray data = port_.readAll();
  if (port_.error() == QSerialPort::ResourceError) return fail();
  into.append(data.constData(), static_cast<std::size_t>(data.size()));
  return true;
}

std::string SerialTransport::errorText() const { return error_; }

}  // namespace orva
