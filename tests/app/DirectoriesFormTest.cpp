#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/AppSettings.h"
#include "app/DirectoriesForm.h"
#include "common/ScriptedPrompt.h"
#include "support/FormChecks.h"
#include "support/PortFakes.h"
#include "support/TestFiles.h"

namespace orva {
namespace {

using Field = DirectoriesField;
using test::TempDir;
using test::writeFile;

AppSettings someSettings() {
  AppSettings settings;
  settings.RepIns = "/srv/orva";
  settings.SonFinDec = "Bravo.wav";
  settings.RepProfil = "/home/pilot/profils";
  settings.RepProjet = "/home/pilot/projets";
  return settings;
}

// The dialog on some settings, without sound directories unless told.
struct Dialog {
  explicit Dialog(std::vector<std::filesystem::path> soundDirectories = {})
      : form(settings, prompt, sound, std::move(soundDirectories)) {}
  AppSettings settings = someSettings();
  ScriptedPrompt prompt;
  test::RecordingSound sound;
  DirectoriesForm form;
};

// Done copies the fields (see the dialog session and the program runs);
// closing any other way changes nothing.
TEST(DirectoriesForm, ClosingWithoutDoneChangesNothing) {
  Dialog other;
  other.form.setText(Field::InstallationDirectory, "/elsewhere");
  other.form.pressDefault();
  other.form.close();
  EXPECT_TRUE(other.form.isClosed() && !other.form.isDone());
  EXPECT_EQ(other.settings, someSettings());
}

TEST(DirectoriesForm, BrowseShowsTheFiltersOfEachKindAndStoresTheDirectory) {
  Dialog d;
  DirectoriesForm& form = d.form;
  d.prompt.queueFile("/data/profils/naca/n2412.dat");
  EXPECT_TRUE(form.browse(Field::ProfileDirectory));
  d.prompt.queueFile("/data/ailes/planeur.cnc");
  EXPECT_TRUE(form.browse(Field::ProjectDirectory));
  d.prompt.queueFile("/opt/orva/cnc.exe");
  EXPECT_TRUE(form.browse(Field::InstallationDirectory));
  d.prompt.queueFile("/data/sons/fin.wav");
  EXPECT_TRUE(form.browse(Field::FinishedCuttingSound));
  d.prompt.queueFile(std::nullopt);  // cancelled: the field stays
  EXPECT_FALSE(form.browse(Field::ProjectDirectory));

  // The sound keeps its full path.
  test::expectTexts(form, {{Field::ProfileDirectory, "/data/profils/naca"},
                           {Field::ProjectDirectory, "/data/ailes"},
                           {Field::InstallationDirectory, "/opt/orva"},
                           {Field::FinishedCuttingSound, "/data/sons/fin.wav"}});

  // Each dialog lists the files kept there, then all files, and opens in the
  // directory the field names (the value browsed before, for the last one).
  const auto& calls = d.prompt.calls();
  ASSERT_EQ(calls.size(), 5U);
  auto filters = [&](std::size_t i) {
    std::string text;
    for (const FileFilter& f : calls[i].request.filters) {
      text += f.description + "|" + f.patterns + "|";
    }
    return text;
  };
  EXPECT_EQ(filters(0), "Co-ordinate Files (*.cor,*.dat)|*.cor;*.dat|All Files|*.*|");
  EXPECT_EQ(filters(1), "Fichiers projet (*.cnc)|*.cnc|All Files|*.*|");
  EXPECT_EQ(filters(2), "Executable Files (*.exe,*.vxd)|*.exe;*.vxd|All Files|*.*|");
  EXPECT_EQ(filters(3), " (*.wav)|*.wav|All Files|*.*|");
  EXPECT_EQ(std::tie(calls[0].request.initialDirectory, calls[2].request.initialDirectory,
                     calls[4].request.initialDirectory),
            std::tuple("/home/pilot/profils", "/srv/orva", "/data/ailes"));
  form.done();
  EXPECT_EQ(std::tie(d.settings.RepProfil, d.settings.RepIns),
            std::tuple("/data/profils/naca", "/opt/orva"));
}

TEST(DirectoriesForm, TestPlaysTheSoundACutWouldPlayAndReportsOneThatCannotBePlayed) {
  TempDir dir;
  writeFile(dir / "data" / "Bravo.wav", "RIFF");
  writeFile(dir / "shipped" / "Gong.wav", "RIFF");
  Dialog d({dir / "shipped"});
  DirectoriesForm& form = d.form;
  d.sound.onlyExistingFiles = true;

  // A relative name is looked up in the data directory the form shows.
  form.setText(Field::InstallationDirectory, (dir / "data").string());
  EXPECT_TRUE(form.test());
  form.setText(Field::FinishedCuttingSound, "Gong.wav");
  EXPECT_TRUE(form.test());
  EXPECT_EQ(d.sound.played, (std::vector<std::string>{(dir / "data" / "Bravo.wav").string(),
                                                      (dir / "shipped" / "Gong.wav").string()}));
  EXPECT_TRUE(d.prompt.messages().empty());

  // The failure names the field's text as typed.
  form.setText(Field::FinishedCuttingSound, "Fanfare.wav");
  EXPECT_FALSE(form.test());
  EXPECT_EQ(d.prompt.messages(), std::vector<std::string>{"Can't play Fanfare.wav"});
  EXPECT_EQ(form.text(Field::FinishedCuttingSound), "Fanfare.wav");
  // "Default" bringing back the shipped sound: the dialog session.
}

}  // namespace
}  // namespace orva
