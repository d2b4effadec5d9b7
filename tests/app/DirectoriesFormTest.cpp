#include <gtest/gtest.h>

#include "support/PortFakes.h"
#include "support/TestFiles.h"
#include "app/AppSettings.h"
#include "app/DirectoriesForm.h"
#include "common/ScriptedPrompt.h"
#include "support/FormChecks.h"

namespace orva {
namespace {

using Field = DirectoriesField;
using test::RecordingSound;
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

TEST(DirectoriesForm, DoneCopiesTheFourFieldsWithoutTrailingSeparators) {
  AppSettings settings = someSettings();
  ScriptedPrompt prompt;
  RecordingSound sound;
  DirectoriesForm form(settings, prompt, sound, {});
  test::expectTexts(form, {{Field::InstallationDirectory, "/srv/orva"},
                     {Field::FinishedCuttingSound, "Bravo.wav"},
                     {Field::ProfileDirectory, "/home/pilot/profils"},
                     {Field::ProjectDirectory, "/home/pilot/projets"}});

  form.setText(Field::InstallationDirectory, "/data/orva/");
  form.setText(Field::FinishedCuttingSound, "/sons/fin.wav");
  form.setText(Field::ProfileDirectory, "/data/profils//");
  form.setText(Field::ProjectDirectory, "/");
  EXPECT_EQ(settings, someSettings());  // nothing reaches the settings before "Done"
  form.done();

  EXPECT_TRUE(form.isDone());
  EXPECT_TRUE(form.isClosed());
  EXPECT_EQ(settings.RepIns, "/data/orva");
  EXPECT_EQ(settings.SonFinDec, "/sons/fin.wav");
  EXPECT_EQ(settings.RepProfil, "/data/profils");
  EXPECT_EQ(settings.RepProjet, "/");
  EXPECT_TRUE(prompt.calls().empty());
}

TEST(DirectoriesForm, ClosingAnyOtherWayChangesNothing) {
  AppSettings settings = someSettings();
  ScriptedPrompt prompt;
  RecordingSound sound;
  DirectoriesForm form(settings, prompt, sound, {});
  form.setText(Field::InstallationDirectory, "/elsewhere");
  form.pressDefault();
  form.close();
  EXPECT_TRUE(form.isClosed());
  EXPECT_FALSE(form.isDone());
  EXPECT_EQ(settings, someSettings());
}

TEST(DirectoriesForm, BrowseShowsTheFiltersOfEachKindAndStoresTheDirectory) {
  AppSettings settings = someSettings();
  ScriptedPrompt prompt;
  RecordingSound sound;
  DirectoriesForm form(settings, prompt, sound, {});

  prompt.queueFile("/data/profils/naca/n2412.dat");
  EXPECT_TRUE(form.browse(Field::ProfileDirectory));
  prompt.queueFile("/data/ailes/planeur.cnc");
  EXPECT_TRUE(form.browse(Field::ProjectDirectory));
  prompt.queueFile("/opt/orva/cnc.exe");
  EXPECT_TRUE(form.browse(Field::InstallationDirectory));
  prompt.queueFile("/data/sons/fin.wav");
  EXPECT_TRUE(form.browse(Field::FinishedCuttingSound));
  prompt.queueFile(std::nullopt);  // cancelled: the field stays
  EXPECT_FALSE(form.browse(Field::ProjectDirectory));

  test::expectTexts(form, {{Field::ProfileDirectory, "/data/profils/naca"},
                     {Field::ProjectDirectory, "/data/ailes"},
                     {Field::InstallationDirectory, "/opt/orva"}});
  EXPECT_EQ(form.text(Field::FinishedCuttingSound), "/data/sons/fin.wav");  // the full path

  // Each dialog lists the files kept there, then all files, and opens in the
  // directory the field names.
  const auto& calls = prompt.calls();
  ASSERT_EQ(calls.size(), 5U);
  auto filters = [&](std::size_t i) {
    std::string text;
    for (const FileFilter& f : calls[i].request.filters)
      text += f.description + "|" + f.patterns + "|";
    return text;
  };
  EXPECT_EQ(filters(0), "Co-ordinate Files (*.cor,*.dat)|*.cor;*.dat|All Files|*.*|");
  EXPECT_EQ(filters(1), "Fichiers projet (*.cnc)|*.cnc|All Files|*.*|");
  EXPECT_EQ(filters(2), "Executable Files (*.exe,*.vxd)|*.exe;*.vxd|All Files|*.*|");
  EXPECT_EQ(filters(3), " (*.wav)|*.wav|All Files|*.*|");
  EXPECT_EQ(calls[0].request.initialDirectory, "/home/pilot/profils");
  EXPECT_EQ(calls[2].request.initialDirectory, "/srv/orva");
  EXPECT_EQ(calls[4].request.initialDirectory, "/data/ailes");  // the value browsed before

  form.done();
  EXPECT_EQ(settings.RepProfil, "/data/profils/naca");
  EXPECT_EQ(settings.RepIns, "/opt/orva");
}

TEST(DirectoriesForm, TestPlaysTheSoundACutWouldPlayAndReportsOneThatCannotBePlayed) {
  TempDir dir;
  writeFile(dir / "data" / "Bravo.wav", "RIFF");
  writeFile(dir / "shipped" / "Gong.wav", "RIFF");
  AppSettings settings = someSettings();
  ScriptedPrompt prompt;
  RecordingSound sound;
  sound.onlyExistingFiles = true;
  DirectoriesForm form(settings, prompt, sound, {dir / "shipped"});

  // A relative name is looked up in the data directory the form shows.
  form.setText(Field::InstallationDirectory, (dir / "data").string());
  EXPECT_TRUE(form.test());
  form.setText(Field::FinishedCuttingSound, "Gong.wav");
  EXPECT_TRUE(form.test());
  ASSERT_EQ(sound.played.size(), 2U);
  EXPECT_EQ(sound.played[0], (dir / "data" / "Bravo.wav").string());
  EXPECT_EQ(sound.played[1], (dir / "shipped" / "Gong.wav").string());
  EXPECT_TRUE(prompt.messages().empty());

  form.setText(Field::FinishedCuttingSound, "Fanfare.wav");
  EXPECT_FALSE(form.test());
  ASSERT_EQ(prompt.messages().size(), 1U);
  EXPECT_EQ(prompt.messages()[0], "Can't play Fanfare.wav");  // the field's text as typed
  EXPECT_EQ(form.text(Field::FinishedCuttingSound), "Fanfare.wav");

  // "Default" brings the shipped sound back.
  form.pressDefault();
  EXPECT_EQ(form.text(Field::FinishedCuttingSound), "Bravo.wav");
  EXPECT_TRUE(form.test());
  EXPECT_EQ(prompt.messages().size(), 1U);
  EXPECT_EQ(settings.SonFinDec, "Bravo.wav");  // still untouched before "Done"
}

}  // namespace
}  // namespace orva
