#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/UserPrompt.h"
#include "model/Panel.h"

namespace orva {

class MachineConfig;
class XleConfigForm;

// What a project needs from the rest of the program. The program context owns
// it and keeps the directories up to date with the settings.
struct ProjectContext {
  UserPrompt& prompt;
  MachineConfig& machine;
  std::string profileDirectory;  // initial directory of airfoil file choices
  std::string projectDirectory;  // initial directory of project file choices
};

// The choices of the Panel Cutting dialog kept with the project.
struct PanelCutChoices {
  int wingSide = 0;           // 0 right wing, 1 left wing (reset to 0 after loading)
  int cutOrder = 1;           // 0 bottom first, 1 top first
  int sectionReference = 0;   // 0 root, 1 tip
  int trimmingMode = 0;       // 0..4
  int kerfCompensationA = 1;  // profile kerf compensation (both flags set together)
  int kerfCompensationB = 1;
  int referenceLowerSurface = 1;
  double clearance = 0.0;  // mm, not saved

  friend bool operator==(const PanelCutChoices&, const PanelCutChoices&) = default;
};

// Display options of the views; not saved, reset after every load and save.
struct DisplayOptions {
  bool legends = true;
  bool profilesWithoutSweep = false;
  bool leOnTop = true;
  bool fullWing = false;
  bool cutCoordinates = false;
  bool profileCoordinates = false;
  double profileViewScale = 1.0;
  double wingViewScale = 0.1;

  friend bool operator==(const DisplayOptions&, const DisplayOptions&) = default;
};

// What a change of the project touched; observers redraw only that. Kinds
// combine as flags (DocChanges).
enum class DocChange : unsigned {
  PanelList = 1U << 0,       // panels added, removed or replaced
  CurrentPanel = 1U << 1,    // another panel is current
  PanelGeometry = 1U << 2,   // a panel's sections, outlines, edges, spars or cut settings
  DisplayOptions = 1U << 3,  // display flags, zooms, superposed profiles
  ModifiedFlag = 1U << 4,    // the modified flag went on or off
  Path = 1U << 5,            // the project's file (and so its title)
};

class DocChanges {
 public:
  constexpr DocChanges() = default;
  constexpr DocChanges(DocChange kind) : bits_(static_cast<unsigned>(kind)) {}  // NOLINT
  static constexpr DocChanges all() { return fromBits((1U << 6) - 1); }
  constexpr bool has(DocChange kind) const { return (bits_ & static_cast<unsigned>(kind)) != 0; }
  constexpr bool empty() const { return bits_ == 0; }
  constexpr unsigned bits() const { return bits_; }
  constexpr DocChanges& operator|=(DocChanges other) {
    bits_ |= other.bits_;
    return *this;
  }
  friend constexpr DocChanges operator|(DocChanges a, DocChanges b) { return a |= b; }
  friend constexpr bool operator==(DocChanges, DocChanges) = default;

 private:
  static constexpr DocChanges fromBits(unsigned bits) {
    DocChanges changes;
    changes.bits_ = bits;
    return changes;
  }
  unsigned bits_ = 0;
};

constexpr DocChanges operator|(DocChange a, DocChange b) { return DocChanges(a) | b; }

// How a menu entry or tool bar button of a document command is shown.
struct CommandState {
  bool enabled = true;
  bool checked = false;

  friend bool operator==(const CommandState&, const CommandState&) = default;
};

// The wing project: the document of the program, one per open project window.
class CT1Doc {
 public:
  // Command ids of the document commands handled here.
  static constexpr int kCmdSave = 57603;
  static constexpr int kCmdSaveAs = 57604;
  static constexpr int kCmdPanelParameters = 32782;
  static constexpr int kCmdRootProfile = 32781;
  static constexpr int kCmdTipProfile = 32780;
  static constexpr int kCmdComments = 32814;
  static constexpr int kCmdSplines = 32810;
  static constexpr int kCmdSuperposed = 32843;
  static constexpr int kCmdLegends = 32904;
  static constexpr int kCmdProfilesWithoutSweep = 32905;
  static constexpr int kCmdLeOnTop = 32897;
  static constexpr int kCmdFullWing = 32898;
  static constexpr int kCmdCutCoordinates = 32804;
  static constexpr int kCmdProfileCoordinates = 32806;
  static constexpr int kCmdTeHorizontal = 32834;
  static constexpr int kCmdTeMeanChord = 32883;
  static constexpr int kCmdTeUpperAndLower = 32828;
  static constexpr int kCmdTeUpperSurface = 32829;
  static constexpr int kCmdLeNone = 32831;
  static constexpr int kCmdLeHorizontal = 32833;
  static constexpr int kCmdLeXCut = 32791;
  static constexpr int kCmdXLeadingEdge = 32835;
  static constexpr int kCmdFirstPanel = 32950;  // panel i has 32950 + i

  // Creates the project as a new project (NewProject); loading replaces it.
  explicit CT1Doc(ProjectContext& context);
  ~CT1Doc();
  CT1Doc(const CT1Doc&) = delete;
  CT1Doc& operator=(const CT1Doc&) = delete;

  std::vector<Panel> panels;  // in list order; never empty once the project exists
  int currentPanel = 0;       // index into panels
  bool splines = true;
  bool superposed = false;
  std::string comments;  // UTF-8
  std::string foamName;  // foam chosen for kerf compensation (as last saved or loaded)
  PanelCutChoices cutChoices;
  DisplayOptions display;

  std::filesystem::path path;  // empty until saved or loaded
  bool modified = false;

  // Called with the path of every successful save (the recent-file list).
  std::function<void(const std::filesystem::path&)> addToRecentFiles;

  // --- Observers --------------------------------------------------------
  //
  // Any number of observers are told, once per command, what it changed.
  // An observer may subscribe or unsubscribe observers (itself included)
  // while it is being told: one removed is not called any more, one added is
  // called from the next change on.
  using Observer = std::function<void(DocChanges)>;
  using ObserverToken = std::uint64_t;
  ObserverToken subscribe(Observer observer);
  // Returns false for a token that is not (or no longer) subscribed.
  bool unsubscribe(ObserverToken token);
  // Tells every observer; nothing happens for an empty set of changes.
  void notifyChanged(DocChanges changes);
  // Marks the project modified and tells the observers `changes` (with
  // ModifiedFlag when the flag was off) in one notification.
  void markModified(DocChanges changes = {});

  // While a batch lives, changes are gathered and told once when the
  // outermost batch ends: a command made of several others notifies once.
  class ChangeBatch {
   public:
    explicit ChangeBatch(CT1Doc& doc) : doc_(doc) { ++doc_.batchDepth_; }
    ~ChangeBatch();
    ChangeBatch(const ChangeBatch&) = delete;
    ChangeBatch& operator=(const ChangeBatch&) = delete;

   private:
    CT1Doc& doc_;
  };

  // One default panel with the built-in airfoil, built with splines on; the
  // intermediate-section fields 0; no comments; the options and display
  // settings at their defaults; no path; not modified. Observers are told
  // that everything changed.
  void NewProject();

  Panel& current() { return panels.at(static_cast<std::size_t>(currentPanel)); }
  const Panel& current() const { return panels.at(static_cast<std::size_t>(currentPanel)); }
  // Sets the modified flag; tells the observers when it changed.
  void SetModifiedFlag(bool value = true);

  ProjectContext& context() { return context_; }

  // --- Commands ---------------------------------------------------------

  // Root (tip) profile selection: asks for a coordinate file and reads it into
  // the current panel's root (tip) profile. On failure shows "Invalid .dat
  // file" and changes nothing; on success rebuilds the panel's outlines for
  // the new profile and marks the project modified. Returns success.
  bool SelectRootProfile();
  bool SelectTipProfile();

  // One of the eight option toggles (splines, superposed, the six display
  // options). The splines toggle acts only on a wing panel, rebuilds the
  // current panel and marks the project modified; the others only change the
  // display. Returns whether anything changed (false for another id).
  bool ToggleOption(int commandId);

  // An edge treatment command (32834, 32883, 32828, 32829, 32831, 32833, and
  // 32791 / 32835 without their form): sets the current panel's teMode or
  // leMode when it is a wing panel and marks the project modified. Returns
  // whether it acted.
  bool SetEdgeTreatment(int commandId);

  // "X cut at LE" (32791) and "X leading edge..." (32835): on a wing panel,
  // sets leMode to X cut, marks the project modified and returns the
  // "X leading-edge configuration" form for the UI to run. Returns nothing
  // (and changes nothing) on a panel that is not a wing panel.
  std::unique_ptr<XleConfigForm> XLeadingEdge();

  // The end of the "Comments" dialog: `doneText` holds the box's text when
  // the user pressed "Done", nothing when the dialog was closed another way
  // (the comment is kept). The project is marked modified in both cases.
  void EditComments(const std::optional<std::string>& doneText);

  // Makes panel `index` current. Returns false (and changes nothing) for an
  // index outside the list.
  bool SelectPanel(int index);
  // The panel selection command 32950 + index.
  bool SelectPanelCommand(int commandId) { return SelectPanel(commandId - kCmdFirstPanel); }

  // Save: to the project's path, or to a path asked for when it has none.
  // Save as: always asks. A successful save makes the path the project's,
  // clears the modified flag and reports the path to addToRecentFiles; a
  // cancelled question or a failed write leaves the project as it was (still
  // modified). Returns whether the project was written.
  bool Save();
  bool SaveAs();
  // The save-file dialog of Save and Save as.
  FileDialogRequest saveDialogRequest() const;

  // The menu state of a document command: the option toggles, the edge
  // treatments, 32835 and the panel entries (32950 + index). Nothing for
  // another id.
  std::optional<CommandState> commandState(int commandId) const;

 private:
  bool SelectProfile(bool tip);
  bool SaveTo(const std::filesystem::path& target);
  std::optional<std::filesystem::path> askSavePath();
  ProjectContext& context_;
  struct Subscription {
    ObserverToken token;
    std::shared_ptr<Observer> observer;
  };
  std::vector<Subscription> observers_;
  ObserverToken nextToken_ = 1;
  int batchDepth_ = 0;
  DocChanges pending_;
};

}  // namespace orva
