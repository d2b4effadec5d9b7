// Table files are hand-edited text: any bytes must give a usable record.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/TableConfig.h"

namespace {

bool sameIntegers(const orva::TableConfig& a, const orva::TableConfig& b) {
  return a.TableInv == b.TableInv && a.InterfChauf == b.InterfChauf && a.ArmVMax == b.ArmVMax &&
         a.Entraxe == b.Entraxe && a.AxesX == b.AxesX && a.AxesY == b.AxesY &&
         a.XNtour == b.XNtour && a.XPasInvSens == b.XPasInvSens &&
         a.VitesseInvSensX == b.VitesseInvSensX && a.VitesseInvSensY == b.VitesseInvSensY &&
         a.YNtour == b.YNtour && a.YPasInvSens == b.YPasInvSens && a.MargeBlocX == b.MargeBlocX &&
         a.MargeBlocZ == b.MargeBlocZ;
}

void check(const orva::TableConfig& c) {
  if ((c.TableInv != 0 && c.TableInv != 1) || (c.InterfChauf != 0 && c.InterfChauf != 1)) {
    __builtin_trap();
  }
  for (const double v : {c.Tempo, c.Chauffe, c.ZeroX, c.ZeroY, c.XPas, c.XVmax, c.YPas, c.YVmax}) {
    if (!std::isfinite(v)) __builtin_trap();
  }
  for (const double s : {orva::MaxAxisSpeed(c.XPas, c.XNtour, c.XVmax),
                         orva::MaxAxisSpeed(c.YPas, c.YNtour, c.YVmax)}) {
    if (!std::isfinite(s)) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  orva::TableConfig config;
  orva::ParseTableConfigText(text, config);
  check(config);

  // The same bytes given in two pieces, split anywhere, read the same.
  orva::TableConfig pieces;
  {
    orva::TableConfigParser parser(pieces);
    const std::size_t cut = size == 0 ? 0 : data[0] % (size + 1);
    parser.feed(text.substr(0, cut));
    parser.feed(text.substr(cut));
    parser.finish();
  }
  const std::string written = orva::FormatTableConfig(config);
  if (!sameIntegers(pieces, config) || orva::FormatTableConfig(pieces) != written) {
    __builtin_trap();
  }

  // Writing and reading back: integers come back exactly; a double comes back
  // as the double nearest its six-decimal text, which writes the same text
  // again. Starting from a record far from the one written makes sure every
  // line is read.
  orva::TableConfig back;
  back.setBuiltIn();
  back.Entraxe = config.Entraxe ^ 1;
  back.Tempo = config.Tempo + 1.0;
  orva::ParseTableConfigText(written, back);
  check(back);
  if (!sameIntegers(back, config) || orva::FormatTableConfig(back) != written) __builtin_trap();
  return 0;
}
