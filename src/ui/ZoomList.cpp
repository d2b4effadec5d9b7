#include "ui/ZoomList.h"

#include <QSignalBlocker>

namespace orva {

namespace {

constexpr ZoomList::Entry kProfileEntries[] = {
    {Msg::Zoom5Percent, 0.05},    {Msg::Zoom10Percent, 0.1},    {Msg::Zoom25Percent, 0.25},
    {Msg::Zoom50Percent, 0.5},    {Msg::Zoom75Percent, 0.75},   {Msg::Zoom100Percent, 1.0},
    {Msg::Zoom120Percent, 1.2},   {Msg::Zoom150Percent, 1.5},   {Msg::Zoom200Percent, 2.0},
    {Msg::Zoom500Percent, 5.0},   {Msg::Zoom1000Percent, 10.0}, {Msg::Zoom2000Percent, 20.0},
};

constexpr ZoomList::Entry kWingEntries[] = {
    {Msg::Zoom0p5Percent, 0.005}, {Msg::Zoom1Percent, 0.01},  {Msg::Zoom2p5Percent, 0.025},
    {Msg::Zoom5Percent, 0.05},    {Msg::Zoom7p5Percent, 0.075}, {Msg::Zoom10Percent, 0.1},
    {Msg::Zoom12Percent, 0.12},   {Msg::Zoom15Percent, 0.15}, {Msg::Zoom50Percent, 0.5},
    {Msg::Zoom100Percent, 1.0},
};

}  // namespace

ZoomList::ZoomList(Kind kind, int commandId, QWidget* parent)
    : QComboBox(parent), kind_(kind), commandId_(commandId) {
  setObjectName(kind == Kind::Profile ? QStringLiteral("profileZoom") : QStringLiteral("wingZoom"));
  setEditable(false);
  setFocusPolicy(Qt::TabFocus);
  setMaxVisibleItems(12);
  for (const Entry& entry : entries(kind)) addItem(QString::fromUtf8(messageText(entry.text)));
  reset();
}

std::span<const ZoomList::Entry> ZoomList::entries(Kind kind) {
  if (kind == Kind::Profile) return kProfileEntries;
  return kWingEntries;
}

double ZoomList::factorOf(Kind kind, int index) {
  const auto list = entries(kind);
  if (index < 0 || static_cast<std::size_t>(index) >= list.size()) index = kDefaultIndex;
  return list[static_cast<std::size_t>(index)].factor;
}

void ZoomList::reset() {
  const QSignalBlocker quiet(this);
  setCurrentIndex(kDefaultIndex);
}

}  // namespace orva
