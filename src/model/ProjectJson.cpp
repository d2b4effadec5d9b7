#include "model/ProjectJson.h"

#include <algorithm>
#include <limits>
#include <set>
#include <stdexcept>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "geometry/CoordinateFile.h"
#include "geometry/Naca.h"
#include "geometry/Profile.h"
#include "model/Panel.h"

namespace orva {

using ojson = nlohmann::ordered_json;
using json = nlohmann::json;

namespace {

ojson pointsJson(const PointList& points) {
  ojson list = ojson::array();
  for (const Point2D& p : points) list.push_back({p.x, p.y});
  return list;
}

ojson sectionJson(const StoredSection& s) {
  const SectionParams& p = s.params;
  ojson out = {
      {"basicHeight", p.basicHeight},
      {"chord", p.chord},
      {"leMargin", p.leMargin},
      {"teMargin", p.teMargin},
      {"skin", p.skin},
      {"washout", p.washout},
      {"xleH1", p.xleH1},
      {"xleH2", p.xleH2},
      {"xleLength", p.xleLength},
      {"xleBeta", p.xleBeta},
      {"xleAlpha", p.xleAlpha},
  };
  ojson profile = {{"name", s.profileName}};
  Profile built;
  if (built.BuildFromPoints(mergeSurfaces(s))) {
    profile["count"] = built.count();
    profile["leadingEdgeIndex"] = built.leadingEdgeIndex;
    profile["maxThickness"] = built.maxThickness;
    profile["maxThicknessX"] = built.maxThicknessX;
    profile["maxCamber"] = built.maxCamber;
    profile["maxCamberX"] = built.maxCamberX;
    profile["minY"] = built.minY;
    profile["maxY"] = built.maxY;
  }
  profile["upper"] = pointsJson(s.upper);
  profile["lower"] = pointsJson(s.lower);
  out["profile"] = std::move(profile);
  return out;
}

ojson sparJson(const SparRecord& r) {
  return {
      {"active", r.active},
      {"label", r.label},
      {"type", r.type},
      {"distance", r.distance},
      {"distanceInPercent", r.distanceInPercent},
      {"widthMode", r.widthMode},
      {"rootWidth", r.rootWidth},
      {"tipWidth", r.tipWidth},
      {"thicknessMode", r.thicknessMode},
      {"rootThickness", r.rootThickness},
      {"tipThickness", r.tipThickness},
  };
}

ojson panelJson(const StoredPanel& p) {
  ojson spars = ojson::array();
  for (const SparRecord& r : p.spars) spars.push_back(sparJson(r));
  return {
      {"differentRootTip", p.differentRootTip},
      {"wingPanel", p.wingPanel},
      {"span", p.span},
      {"sweep", p.sweep},
      {"foamThickness", p.foamThickness},
      {"skinEnabled", p.skinEnabled},
      {"dihedralInDegrees", p.dihedralInDegrees},
      {"dihedral", p.dihedral},
      {"teMode", p.teMode},
      {"leMode", p.leMode},
      {"sectionCutEnabled", p.sectionCutEnabled},
      {"sectionCutZ", p.sectionCutZ},
      {"offsetX0", p.offsetX0},
      {"blockCentredZ", p.blockCentredZ},
      {"rootAxisOffset", p.rootAxisOffset},
      {"root", sectionJson(p.root)},
      {"tip", sectionJson(p.tip)},
      {"spars", std::move(spars)},
  };
}

// Reading: every object is checked for unknown keys, so a misspelt field is an
// error instead of a silently ignored value.
class Reader {
 public:
  Reader(const json& object, std::string where) : object_(object), where_(std::move(where)) {
    if (!object_.is_object()) fail("an object is expected");
  }

  [[noreturn]] void fail(const std::string& what) const {
    throw std::runtime_error(where_ + ": " + what);
  }

  const json* find(const char* key) {
    seen_.insert(key);
    auto it = object_.find(key);
    return it == object_.end() ? nullptr : &*it;
  }

  void number(const char* key, double& value) {
    if (const json* v = find(key)) {
      if (!v->is_number()) fail(std::string(key) + " must be a number");
      value = v->get<double>();
    }
  }
  // A length that must be greater than 0 (a chord, a span, a block thickness).
  void positive(const char* key, double& value) {
    number(key, value);
    if (!(value > 0.0)) {
      throw std::runtime_error(formatMessage(Msg::MustBeGreaterThanZero, {where_ + "." + key}));
    }
  }
  void integer(const char* key, int& value) {
    if (const json* v = find(key)) {
      if (!v->is_number_integer()) fail(std::string(key) + " must be a whole number");
      const auto n = v->get<long long>();
      if (n < INT32_MIN || n > INT32_MAX) fail(std::string(key) + " is out of range");
      value = static_cast<int>(n);
    }
  }
  void flag(const char* key, bool& value) {
    if (const json* v = find(key)) {
      if (v->is_boolean()) {
        value = v->get<bool>();
      } else if (v->is_number_integer() && (v->get<int>() == 0 || v->get<int>() == 1)) {
        value = v->get<int>() == 1;
      } else {
        fail(std::string(key) + " must be true, false, 0 or 1");
      }
    }
  }
  void text(const char* key, std::string& value) {
    if (const json* v = find(key)) {
      if (!v->is_string()) fail(std::string(key) + " must be a string");
      value = v->get<std::string>();
    }
  }

  // Call after reading every known key.
  void finish() const {
    for (auto it = object_.begin(); it != object_.end(); ++it) {
      if (!seen_.count(it.key())) fail("unknown field \"" + it.key() + "\"");
    }
  }

  const std::string& where() const { return where_; }

 private:
  const json& object_;
  std::string where_;
  std::set<std::string> seen_;
};

PointList readPoints(const json& list, const std::string& where) {
  if (!list.is_array()) throw std::runtime_error(where + ": a list of [x, y] pairs is expected");
  PointList points;
  points.reserve(list.size());
  for (const json& pair : list) {
    if (!pair.is_array() || pair.size() != 2 || !pair[0].is_number() || !pair[1].is_number()) {
      throw std::runtime_error(where + ": every point must be [x, y]");
    }
    points.push_back({pair[0].get<double>(), pair[1].get<double>()});
  }
  return points;
}

void storeProfile(const Profile& profile, StoredSection& section) {
  section.upper = profile.ExtractUpper();
  section.lower = profile.ExtractLower();
  section.profileName = profile.name;
}

void readSection(const json& object, const std::string& where, const ProjectJsonSource& source,
                 StoredSection& section) {
  Reader r(object, where);
  SectionParams& p = section.params;
  r.number("basicHeight", p.basicHeight);
  r.positive("chord", p.chord);
  r.number("leMargin", p.leMargin);
  r.number("teMargin", p.teMargin);
  r.number("skin", p.skin);
  r.number("washout", p.washout);
  r.number("xleH1", p.xleH1);
  r.number("xleH2", p.xleH2);
  r.number("xleLength", p.xleLength);
  r.number("xleBeta", p.xleBeta);
  r.number("xleAlpha", p.xleAlpha);

  int sources = 0;
  if (const json* profile = r.find("profile")) {
    ++sources;
    Reader pr(*profile, where + ".profile");
    std::string name;
    pr.text("name", name);
    const json* upper = pr.find("upper");
    const json* lower = pr.find("lower");
    if (!upper || !lower) pr.fail("upper and lower are required");
    // Figures printed by info are derived; accepted and ignored on input.
    for (const char* derived : {"count", "leadingEdgeIndex", "maxThickness", "maxThicknessX",
                                "maxCamber", "maxCamberX", "minY", "maxY"}) {
      pr.find(derived);
    }
    pr.finish();
    section.upper = readPoints(*upper, where + ".profile.upper");
    section.lower = readPoints(*lower, where + ".profile.lower");
    section.profileName = name;
  }
  if (const json* file = r.find("airfoil")) {
    ++sources;
    if (!file->is_string()) r.fail("airfoil must be a file name");
    if (!source.readFiles) r.fail("airfoil files are not read here");
    std::filesystem::path path = file->get<std::string>();
    if (path.is_relative()) path = source.baseDirectory / path;
    Profile profile;
    CoordinateFileProblem problem = CoordinateFileProblem::Other;
    const CoordinateFileStatus status = ReadCoordinateFile(path, profile, &problem);
    if (status == CoordinateFileStatus::CannotOpen) {
      r.fail(path.string() + ": " + std::string(messageText(Msg::UnableToOpenFileForReading)));
    }
    if (status != CoordinateFileStatus::Ok) {
      r.fail(path.string() + ": " + InvalidDatFileText(problem));
    }
    storeProfile(profile, section);
  }
  if (const json* naca = r.find("naca")) {
    ++sources;
    if (!naca->is_string()) r.fail("naca must be a string such as \"2412\"");
    const auto profile = MakeNaca4(naca->get<std::string>());
    if (!profile) r.fail("\"" + naca->get<std::string>() + "\" is not a NACA four-digit airfoil");
    storeProfile(*profile, section);
  }
  if (const json* builtIn = r.find("default")) {
    ++sources;
    if (!builtIn->is_boolean() || !builtIn->get<bool>()) r.fail("default must be true");
    Profile profile;
    profile.MakeDefault();
    storeProfile(profile, section);
  }
  if (sources > 1) r.fail("give one of profile, airfoil, naca or default");
  r.finish();
}

void readSpar(const json& object, const std::string& where, SparRecord& spar) {
  Reader r(object, where);
  r.flag("active", spar.active);
  r.text("label", spar.label);
  r.integer("type", spar.type);
  r.number("distance", spar.distance);
  r.flag("distanceInPercent", spar.distanceInPercent);
  r.integer("widthMode", spar.widthMode);
  r.number("rootWidth", spar.rootWidth);
  r.number("tipWidth", spar.tipWidth);
  r.integer("thicknessMode", spar.thicknessMode);
  r.number("rootThickness", spar.rootThickness);
  r.number("tipThickness", spar.tipThickness);
  r.finish();
}

// The sections of a panel whose outline, as built for the cut, leaves the
// block: below its bottom face or above its top face (foamThickness).
std::vector<std::string> sectionsOutsideBlock(const StoredPanel& stored, bool splines) {
  std::vector<std::string> found;
  Panel panel;
  if (!restorePanel(stored, panel)) return found;
  panel.Rebuild(splines, false);
  const auto check = [&](const Section& s, const char* name) {
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (const PointList* list : {&s.upper, &s.lower}) {
      for (const Point2D& p : *list) {
        low = std::min(low, p.y);
        high = std::max(high, p.y);
      }
    }
    if (!(low <= high)) return;
    // Chord fractions to millimetres above the block's bottom face.
    low = s.params.basicHeight + s.params.chord * low;
    high = s.params.basicHeight + s.params.chord * high;
    if (low < 0.0 || high > panel.foamThickness) {
      found.push_back(formatMessage(
          Msg::SectionOutsideBlock,
          {name, fixedText(low, 1), fixedText(high, 1), fixedText(panel.foamThickness, 1)}));
    }
  };
  check(panel.root, "root");
  check(panel.tip, "tip");
  return found;
}

StoredPanel defaultPanel(int entraxe) {
  // A new panel of this table, stored: its fields and the built-in airfoil.
  return storePanel(Panel::makeDefault(entraxe, true));
}

void readPanel(const json& object, const std::string& where, const ProjectJsonSource& source,
               StoredPanel& panel) {
  Reader r(object, where);
  r.flag("differentRootTip", panel.differentRootTip);
  r.flag("wingPanel", panel.wingPanel);
  r.positive("span", panel.span);
  r.number("sweep", panel.sweep);
  r.positive("foamThickness", panel.foamThickness);
  r.flag("skinEnabled", panel.skinEnabled);
  r.flag("dihedralInDegrees", panel.dihedralInDegrees);
  r.number("dihedral", panel.dihedral);
  r.integer("teMode", panel.teMode);
  r.integer("leMode", panel.leMode);
  r.flag("sectionCutEnabled", panel.sectionCutEnabled);
  r.integer("sectionCutZ", panel.sectionCutZ);
  r.integer("offsetX0", panel.offsetX0);
  r.flag("blockCentredZ", panel.blockCentredZ);
  r.integer("rootAxisOffset", panel.rootAxisOffset);
  if (const json* root = r.find("root")) readSection(*root, where + ".root", source, panel.root);
  if (const json* tip = r.find("tip")) {
    readSection(*tip, where + ".tip", source, panel.tip);
  } else if (!panel.differentRootTip) {
    panel.tip = panel.root;  // the tip is a copy of the root anyway
  }
  if (const json* spars = r.find("spars")) {
    if (!spars->is_array() || spars->size() > kSparCount) {
      r.fail("spars must be a list of at most 10 records");
    }
    for (std::size_t i = 0; i < spars->size(); ++i) {
      readSpar((*spars)[i], where + ".spars[" + std::to_string(i) + "]", panel.spars[i]);
    }
  }
  r.finish();
}

}  // namespace

ojson projectToJson(const ProjectData& data) {
  const PanelCutChoices& c = data.cutChoices;
  ojson panels = ojson::array();
  for (const StoredPanel& panel : data.panels) panels.push_back(panelJson(panel));
  return {
      {"version", data.version},
      {"splines", data.splines},
      {"foamName", data.foamName},
      {"cutSpeed", data.cutSpeed},
      {"comments", data.comments},
      {"cutChoices",
       {{"wingSide", c.wingSide},
        {"cutOrder", c.cutOrder},
        {"sectionReference", c.sectionReference},
        {"trimmingMode", c.trimmingMode},
        {"kerfCompensationA", c.kerfCompensationA},
        {"kerfCompensationB", c.kerfCompensationB},
        {"referenceLowerSurface", c.referenceLowerSurface}}},
      {"panels", std::move(panels)},
  };
}

ProjectData projectFromJson(const json& object, const ProjectJsonSource& source,
                            std::vector<std::string>* warnings) {
  ProjectData data;
  Reader r(object, "project");
  r.find("version");  // printed by info; a new file is always written in the current version
  r.flag("splines", data.splines);
  r.text("foamName", data.foamName);
  r.number("cutSpeed", data.cutSpeed);
  r.text("comments", data.comments);
  if (const json* choices = r.find("cutChoices")) {
    Reader cr(*choices, "project.cutChoices");
    PanelCutChoices& c = data.cutChoices;
    cr.integer("wingSide", c.wingSide);
    cr.integer("cutOrder", c.cutOrder);
    cr.integer("sectionReference", c.sectionReference);
    cr.integer("trimmingMode", c.trimmingMode);
    cr.integer("kerfCompensationA", c.kerfCompensationA);
    cr.integer("kerfCompensationB", c.kerfCompensationB);
    cr.integer("referenceLowerSurface", c.referenceLowerSurface);
    cr.finish();
  }
  const json* panels = r.find("panels");
  r.finish();
  if (!panels || !panels->is_array() || panels->empty()) {
    r.fail("panels must be a list of at least one panel");
  }
  for (std::size_t i = 0; i < panels->size(); ++i) {
    StoredPanel panel = defaultPanel(source.entraxe);
    const std::string where = "project.panels[" + std::to_string(i) + "]";
    readPanel((*panels)[i], where, source, panel);
    if (warnings) {
      for (const std::string& w : sectionsOutsideBlock(panel, data.splines)) {
        warnings->push_back(where + "." + w);
      }
    }
    data.panels.push_back(std::move(panel));
  }
  if (auto problem = checkProjectData(data)) throw std::runtime_error(*problem);
  return data;
}

}  // namespace orva
