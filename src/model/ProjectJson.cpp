#include "model/ProjectJson.h"

#include <algorithm>
#include <limits>
#include <set>
#include <span>
#include <stdexcept>
#include <variant>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "geometry/CoordinateFile.h"
#include "geometry/Naca.h"
#include "geometry/Profile.h"
#include "model/Panel.h"
#include "model/PanelFieldTable.h"

namespace orva {

using ojson = nlohmann::ordered_json;
using json = nlohmann::json;

namespace {

// The JSON fields of `record`, in the form's key order.
template <class Record>
ojson fieldsJson(std::span<const Field<Record>> table, const Record& record) {
  ojson out = ojson::object();
  for (const Field<Record>* f : PanelFieldTable::inJsonOrder(table)) {
    std::visit([&](auto member) { out[f->key] = record.*member; }, f->member);
  }
  return out;
}

ojson pointsJson(const PointList& points) {
  ojson list = ojson::array();
  for (const Point2D& p : points) list.push_back({p.x, p.y});
  return list;
}

ojson sectionJson(const StoredSection& s) {
  ojson out = fieldsJson(PanelFieldTable::section(), s.params);
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

ojson panelJson(const StoredPanel& p) {
  ojson spars = ojson::array();
  for (const SparRecord& r : p.spars) spars.push_back(fieldsJson(PanelFieldTable::spar(), r));
  ojson out = fieldsJson<PanelFields>(PanelFieldTable::panel(), p);
  out["root"] = sectionJson(p.root);
  out["tip"] = sectionJson(p.tip);
  out["spars"] = std::move(spars);
  return out;
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

  // Every JSON field of `table` that the object holds, in the form's key order.
  template <class Record>
  void fields(std::span<const Field<Record>> table, Record& record) {
    for (const Field<Record>* f : PanelFieldTable::inJsonOrder(table)) {
      std::visit(FieldVisitor{[&](bool Record::*m) { flag(f->key, record.*m); },
                            [&](int Record::*m) { integer(f->key, record.*m); },
                            [&](double Record::*m) {
                              if (f->positive) {
                                positive(f->key, record.*m);
                              } else {
                                number(f->key, record.*m);
                              }
                            },
                            [&](std::string Record::*m) { text(f->key, record.*m); }},
                 f->member);
    }
  }

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
  r.fields(PanelFieldTable::section(), section.params);

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
  r.fields(PanelFieldTable::spar(), spar);
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
  r.fields<PanelFields>(PanelFieldTable::panel(), panel);
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
