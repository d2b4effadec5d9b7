#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orva {

class InterfaceDriver;
class UserPrompt;

enum HeatMode : int { FixedHeat = 1, ComputedHeat = 2 };

// One foam: its speed range, kerf at two speeds and wire heat at two speeds.
// The default values are those of a material made with "Create new material".
struct FoamType {
  std::string name;  // UTF-8 in memory, Windows-1252 in the file
  int heatMode = FixedHeat;
  double minSpeed = 1.0;         // mm/s
  double maxSpeed = 1.0;         // mm/s: the kerf law's reference speed S
  double kerfAtMaxSpeed = 1.0;   // mm, slot width at S
  double kerfAtHalfSpeed = 1.0;  // mm, slot width at S/2
  int minSpeedHeat = 1;          // % at minSpeed
  int maxSpeedHeat = 1;          // % at maxSpeed (the fixed heat of a FixedHeat foam)

  bool operator==(const FoamType&) const = default;
};

// The foams of the current table, the current foam, the cutting speed and the
// wire heat last requested. Heat goes to the interface through the driver.
//
// Foam file ("NAME_foam.bd", Windows-1252): line 1 the version ("V1", "V2",
// anything else is the current layout, written as "V3"), then one line per
// record, "name: values". Reading is lenient in the way a scanf-based reader
// is: one working record is carried from line to line, so a line that gives
// only its first values keeps the others of the line before, and "name:" alone
// stores a copy of the working record.
//
// Laws without a current foam, or with a foam whose law is undefined:
// - no current foam (currentFoam names no record): KerfOffset gives 0.0, the
//   heat requests are refused with "Invalid foam type, select a new foam",
//   LimitSpeedForHeat changes nothing, GetHeatState reports mode 0;
// - FixedHeat with maxSpeed = 0: KerfOffset gives 0.0;
// - ComputedHeat with maxSpeed = minSpeed: the heat is the fixed heat
//   maxSpeedHeat (the law has a single point), and the speed is not limited.
class FoamDatabase {
 public:
  // Longest name the foam file format holds, in Windows-1252 bytes. The name
  // dialog refuses longer names.
  static constexpr std::size_t kMaxNameBytes = 51;
  // Reading: a line longer than this (without its line end) is skipped whole,
  // so a long line never turns into invented records.
  static constexpr std::size_t kMaxLineBytes = 4096;
  // Reading: a name longer than kMaxNameBytes from a hand-edited file is kept
  // up to this many bytes (nothing the user typed is dropped); a longer one
  // skips its line. Any line the program writes stays far below kMaxLineBytes.
  static constexpr std::size_t kMaxReadNameBytes = 255;
  // Reading: at most this many distinct records; lines naming further new
  // records are skipped (lines replacing a known record still count).
  static constexpr std::size_t kMaxRecords = 10000;
  // The foam selected when a table gets the built-in foams.
  static constexpr std::string_view kDefaultFoamName = "Poly expansé";

  FoamDatabase(InterfaceDriver& driver, UserPrompt& prompt);

  std::map<std::string, FoamType> records;  // keyed by name, sorted byte-wise
  std::string currentFoam;
  bool foamModified = false;
  double cutSpeed = 0.0;  // mm/s
  int currentHeat = 0;    // %

  // Replaces the records by those of dir/fileName. No file, or no usable line:
  // the three built-in foams, foamModified set and currentName = "Poly
  // expansé". Then currentName is selected; cutSpeed becomes its maxSpeed. A
  // name that is not in the database leaves currentFoam and cutSpeed as they
  // were (no foam is current for this table, so the cutting dialogs ask for
  // one); a scanf-based reader would take the speed of the record read last,
  // which depends on the order of the file.
  void LoadFoams(const std::filesystem::path& dir, std::string_view fileName,
                 std::string& currentName);
  // LoadFoams on the bytes of a foam file that could be opened.
  void LoadFoamsFromText(std::string_view bytes, std::string& currentName);

  // Writes the file (keeping .bak) when foamModified is set; false when that
  // failed (the records and foamModified stay as they are). True when there was
  // nothing to write.
  bool SaveFoams(const std::filesystem::path& dir, std::string_view fileName) const;
  // The file content SaveFoams writes: "V3" and one line per record, in the
  // order of `records`, Windows-1252.
  std::string SaveFoamsToText() const;

  bool SelectFoam(std::string_view name, FoamType* record = nullptr);
  std::string CurrentFoamName() const { return currentFoam; }
  // The record of currentFoam, or nullptr when it names no record.
  const FoamType* currentRecord() const;

  // The foam a user means by `name` (typed on a command line, say): the
  // record of that exact name, else the only one whose name equals it when
  // letter case and the accents of Latin letters are ignored ("poly expanse"
  // finds "Poly expansé"). Nothing when no record or several match; then
  // `candidates` (when given) receives the names that matched ignoring case
  // and accents (empty when none did).
  std::optional<std::string> MatchFoamName(std::string_view name,
                                           std::vector<std::string>* candidates = nullptr) const;

  // The heat (%) the current foam needs at speed v, as ApplyHeatForSpeed would
  // request it, without requesting it: the fixed heat of a FixedHeat foam, the
  // heat law's value (truncated) of a ComputedHeat foam. Nothing without a
  // current foam or when the law gives no number.
  std::optional<int> HeatForSpeed(double v) const;

  // Half the slot width, mm, for speed v and side speed ratio r; never
  // negative, never infinite or NaN.
  double KerfOffset(double v, double r) const;
  // Requests `percent` of heat: true and sent when 0..99, otherwise "Invalid
  // power coefficient N%" and false. currentHeat = percent in both cases.
  bool ApplyHeat(int percent);
  // Sets the heat the current foam needs at speed v; false (with a message)
  // when it cannot be sent.
  bool ApplyHeatForSpeed(double v);
  // ComputedHeat: lowers v to the speed whose heat is just below 100 % when v
  // needs 100 % or more, and sets label to "Speed limit due to wire heat".
  void LimitSpeedForHeat(double& v, std::string& label) const;
  // mode = heatMode of the current foam (0 when there is none), heat = currentHeat.
  void GetHeatState(int& mode, int& heat) const;

  // The built-in foams, created for a table without foams.
  static std::map<std::string, FoamType> builtInFoams();

 private:
  // The heat percentage a ComputedHeat foam needs at speed v, truncated
  // toward zero and saturated to the int range; nothing when it is not a
  // number.
  static std::optional<int> computedHeat(const FoamType& foam, double v);
  void finishLoad(std::size_t count, std::string& currentName);

  InterfaceDriver& driver_;
  UserPrompt& prompt_;
};

// "NAME_foam.bd".
std::string FoamFileName(std::string_view tableName);

}  // namespace orva
