#include "model/TextExport.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/SafeFile.h"
#include "common/UserPrompt.h"
#include "config/FoamDatabase.h"
#include "config/MachineConfig.h"
#include "config/TableConfig.h"
#include "model/CT1Doc.h"

namespace orva {

namespace {

// The longest name the save dialog takes (and proposes).
constexpr std::size_t kMaxPathChars = 127;

constexpr std::string_view kEol = "\r\n";

char yesNo(bool value) { return value ? 'O' : 'N'; }

class Writer {
 public:
  // Appends `line` and a CR LF.
  void line(std::string_view text) {
    out_ += text;
    out_ += kEol;
  }
  void blank() { out_ += kEol; }
  // Appends text in which every line end, whatever its form ("\n", "\r\n"),
  // becomes one CR LF; a lone CR stays as it is.
  void textWithLineEnds(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;  // the LF writes it
      if (c == '\n') {
        out_ += kEol;
      } else {
        out_ += c;
      }
    }
  }
  std::string take() { return std::move(out_); }

 private:
  std::string out_;
};

void writePoints(Writer& w, const char* heading, const PointList& points) {
  w.blank();
  w.line(std::string(heading) + std::to_string(points.size()) + " points");
  for (const Point2D& p : points) w.line(fixedText(p.x) + " " + fixedText(p.y));
}

void writeSection(Writer& w, const Section& s) {
  const SectionParams& p = s.params;
  w.line("Nom: " + s.profile.name);
  w.line("Corde: " + fixedText(p.chord) + " mm");
  w.line("Hauteur de base: " + intText(truncToInt(p.basicHeight)) + " mm");
  w.line("Peau: " + fixedText(p.skin) + " mm");
  w.line("Marge BA: " + fixedText(p.leMargin) + " mm");
  w.line("Marge BF: " + fixedText(p.teMargin) + " mm");
  w.line("Vrillage: " + fixedText(p.washout) + " mm");
  writePoints(w, "Extrados: ", s.upper);
  writePoints(w, "Intrados: ", s.lower);
}

}  // namespace

std::string ExportDocumentText(const CT1Doc& doc, const TableConfig& table,
                               const FoamDatabase& foams) {
  Writer w;
  w.line("Configuration de la table:");
  w.line("Entre-axe XGXD: " + std::to_string(table.Entraxe) + " mm");
  w.line("Axe X:");
  w.line("Nombre de pas par tour: " + std::to_string(table.XNtour) + " mm");
  w.line("Pas de vis: " + fixedText(table.XPas) + " mm");
  w.line("Temps minimum entre deux pas: " + fixedText(table.XVmax) + " ms");
  w.blank();
  w.line("Axe Y:");
  w.line("Nombre de pas par tour: " + std::to_string(table.YNtour) + " mm");
  w.line("Pas de vis: " + fixedText(table.YPas) + " mm");
  w.line("Temps minimum entre deux pas: " + fixedText(table.YVmax) + " ms");
  w.line("Vitesse de découpe: " + fixedText(foams.cutSpeed) + " ms");
  // The current foam's values; a name that names no record shows zeros.
  FoamType foam{};
  foam.maxSpeed = foam.kerfAtMaxSpeed = foam.kerfAtHalfSpeed = 0.0;
  foam.maxSpeedHeat = 0;
  if (const FoamType* current = foams.currentRecord()) foam = *current;
  w.line("Rayonnement: V " + fixedText(foam.maxSpeed) + " ms, Rv " +
         fixedText(foam.kerfAtMaxSpeed) + " mm, Rv1/2 " + fixedText(foam.kerfAtHalfSpeed) +
         " mm, Chauffe " + std::to_string(foam.maxSpeedHeat) + " m");
  w.blank();
  // The cut starts with the lower surface ("intrados") with "Bottom First".
  w.line(std::string("Début découpe par l'intrados: ") + yesNo(doc.cutChoices.cutOrder == 0));
  w.line(std::string("Compensation du rayonnement: ") +
         yesNo(doc.cutChoices.kerfCompensationB != 0));
  w.line(std::string("Compensation du rayonnement Base: ") +
         yesNo(doc.cutChoices.referenceLowerSurface != 0));

  const bool hasPanel = !doc.panels.empty() && doc.currentPanel >= 0 &&
                        static_cast<std::size_t>(doc.currentPanel) < doc.panels.size();
  if (hasPanel) {
    const Panel& panel = doc.current();
    w.line("Caractéristiques du troncon:");
    w.line(std::string("Emplanture/Saumon identiques: ") + yesNo(!panel.differentRootTip));
    w.line(std::string("Coffrage: ") + yesNo(panel.skinEnabled));
    w.line("Fleche: " + fixedText(panel.sweep) + " mm");
    w.line("Demi envergure: " + fixedText(panel.span) + " mm");
    w.line(std::string("Coupe intermédiaire: ") + yesNo(panel.sectionCutEnabled));
    if (panel.sectionCutEnabled) {
      w.line("Position Coupe: " + fixedText(static_cast<double>(panel.sectionCutZ)) + " mm");
    }
    w.line(std::string("Spline: ") + yesNo(doc.splines));
    w.line("Epaisseur du bloc: " + intText(truncToInt(panel.foamThickness)) + " mm");
    w.blank();
    w.line("Emplanture:");
    writeSection(w, panel.root);
    if (panel.differentRootTip) {
      w.blank();
      w.line("Saumon:");
      writeSection(w, panel.tip);
    }
  }
  w.blank();
  w.line("Commentaires:");
  w.textWithLineEnds(doc.comments);
  return w.take();
}

std::string ExportDocumentText(CT1Doc& doc) {
  const MachineConfig& machine = doc.context().machine;
  return ExportDocumentText(doc, machine.table, machine.foams);
}

std::string ProposedExportName(std::string_view title) {
  const std::size_t dot = title.rfind('.');
  std::string name(dot == std::string_view::npos ? title : title.substr(0, dot));
  name += ".txt";
  return name;
}

bool WriteExportFile(const std::filesystem::path& target, std::string_view content,
                     std::string* error) {
  return writeFileSafely(target, content, error);
}

bool ExportDocument(CT1Doc& doc, std::string_view title) {
  UserPrompt& prompt = doc.context().prompt;
  FileDialogRequest request;
  std::string name = ProposedExportName(title);
  if (name.size() > kMaxPathChars) {
    // Cut at a character boundary (never inside a UTF-8 sequence).
    std::size_t cut = kMaxPathChars;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
  }
  request.defaultName = std::move(name);
  request.filters.push_back(FileFilter{std::string(messageText(Msg::FilterTextFiles)), "*.txt"});
  request.maxPathLength = kMaxPathChars;
  request.promptOverwrite = false;
  const std::optional<std::string> chosen = prompt.chooseSaveFile(request);
  if (!chosen) return false;

  const std::string content = ExportDocumentText(doc);
  std::string error;
  if (!WriteExportFile(std::filesystem::path(std::u8string(chosen->begin(), chosen->end())),
                       content, &error)) {
    prompt.showMessage(formatMessage(Msg::FileNotSaved, {*chosen, error}), MessageIcon::Warning);
    return false;
  }
  return true;
}

}  // namespace orva
