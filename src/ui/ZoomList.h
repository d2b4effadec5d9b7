#pragma once

#include <QComboBox>
#include <span>

#include "common/Messages.h"

namespace orva {

// One of the two zoom drop-down lists of the main tool bar: its entries in
// index order and the scale factor of the selected one. With no entry
// selected (or any other index) the factor is the one of index 5, 100 %
// for the profile list and 10 % for the wing list.
class ZoomList : public QComboBox {
  Q_OBJECT

 public:
  enum class Kind { Profile, Wing };

  struct Entry {
    Msg text;
    double factor;
  };

  static constexpr int kDefaultIndex = 5;

  ZoomList(Kind kind, int commandId, QWidget* parent = nullptr);

  static std::span<const Entry> entries(Kind kind);
  static double factorOf(Kind kind, int index);

  Kind kind() const { return kind_; }
  int commandId() const { return commandId_; }
  double factor() const { return factorOf(kind_, currentIndex()); }
  // Selects the default entry without sending the zoom command.
  void reset();

 private:
  Kind kind_;
  int commandId_;
};

}  // namespace orva
