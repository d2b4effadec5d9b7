#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/ScriptedPrompt.h"

namespace orva {
namespace {

using Kind = ScriptedPrompt::Kind;

TEST(ScriptedPromptTest, RecordsEveryCallInOrderAndListsMessages) {
  ScriptedPrompt prompt;
  prompt.showMessage("Invalid dat file", MessageIcon::Stop);
  prompt.askOkCancel("Cut the panel?", MessageIcon::Question);
  prompt.showMessage("Done", MessageIcon::Information);
  prompt.askAbortRetryIgnore("Wire too cold", MessageIcon::Warning);

  const auto& calls = prompt.calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].kind, Kind::Message);
  EXPECT_EQ(calls[0].icon, MessageIcon::Stop);
  EXPECT_EQ(calls[1].kind, Kind::OkCancel);
  EXPECT_EQ(calls[1].text, "Cut the panel?");
  EXPECT_EQ(calls[1].icon, MessageIcon::Question);
  EXPECT_EQ(calls[3].kind, Kind::AbortRetryIgnore);
  EXPECT_EQ(calls[3].icon, MessageIcon::Warning);
  EXPECT_EQ(prompt.messages(), (std::vector<std::string>{"Invalid dat file", "Done"}));

  prompt.clear();
  EXPECT_TRUE(prompt.calls().empty());
  EXPECT_TRUE(prompt.messages().empty());
}

TEST(ScriptedPromptTest, PlaysQueuedAnswersInOrderThenDefaults) {
  ScriptedPrompt prompt;
  prompt.queueAnswer(Answer::Ok);
  prompt.queueAnswer(Answer::Retry);
  prompt.queueAnswer(Answer::Ignore);
  prompt.queueAnswer(Answer::Ok);

  EXPECT_EQ(prompt.askOkCancel("a", MessageIcon::Question), Answer::Ok);
  prompt.showMessage("messages take no answer", MessageIcon::None);
  EXPECT_EQ(prompt.askAbortRetryIgnore("b", MessageIcon::Stop), Answer::Retry);
  prompt.clear();  // forgets the calls, not the script
  EXPECT_EQ(prompt.askAbortRetryIgnore("c", MessageIcon::Stop), Answer::Ignore);
  EXPECT_EQ(prompt.askOkCancel("d", MessageIcon::Question), Answer::Ok);

  EXPECT_EQ(prompt.askOkCancel("e", MessageIcon::Question), Answer::Cancel);
  EXPECT_EQ(prompt.askAbortRetryIgnore("f", MessageIcon::Stop), Answer::Abort);
  EXPECT_EQ(prompt.calls().size(), 4u);
}

TEST(ScriptedPromptTest, PlaysQueuedFilesAndRecordsTheWholeRequest) {
  ScriptedPrompt prompt;
  prompt.queueFile("/data/naca2412.dat");
  prompt.queueFile(std::nullopt);

  FileDialogRequest open;
  open.title = "Open profile";
  open.filters = {{"Co-ordinate Files (*.cor,*.dat)", "*.cor;*.dat"}, {"All Files (*.*)", "*.*"}};
  open.initialDirectory = "/data";
  open.defaultName = "naca";
  open.defaultExtension = "dat";
  open.maxPathLength = 260;
  open.mustExist = true;
  FileDialogRequest save;
  save.title = "Save project";
  save.promptOverwrite = true;

  EXPECT_EQ(prompt.chooseOpenFile(open), "/data/naca2412.dat");
  EXPECT_EQ(prompt.chooseSaveFile(save), std::nullopt);  // queued cancel
  EXPECT_EQ(prompt.chooseSaveFile(save), std::nullopt);  // nothing left

  const auto& calls = prompt.calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].kind, Kind::OpenFile);
  EXPECT_EQ(calls[0].text, "Open profile");
  const FileDialogRequest& seen = calls[0].request;
  ASSERT_EQ(seen.filters.size(), 2u);
  EXPECT_EQ(seen.filters[0].description, "Co-ordinate Files (*.cor,*.dat)");
  EXPECT_EQ(seen.filters[0].patterns, "*.cor;*.dat");
  EXPECT_EQ(seen.filters[1].patterns, "*.*");
  EXPECT_EQ(seen.initialDirectory, "/data");
  EXPECT_EQ(seen.defaultName, "naca");
  EXPECT_EQ(seen.defaultExtension, "dat");
  EXPECT_EQ(seen.maxPathLength, 260u);
  EXPECT_TRUE(seen.mustExist);
  EXPECT_EQ(calls[1].kind, Kind::SaveFile);
  EXPECT_EQ(calls[1].text, "Save project");
  EXPECT_TRUE(calls[1].request.promptOverwrite);
  EXPECT_TRUE(prompt.messages().empty());
}

TEST(ScriptedPromptTest, AnswerThatDoesNotFitTheQuestionFailsLoudly) {
  ScriptedPrompt prompt;
  prompt.queueAnswer(Answer::Retry);
  prompt.queueAnswer(Answer::Ok);
  EXPECT_THROW(prompt.askOkCancel("a", MessageIcon::Question), std::logic_error);
  EXPECT_THROW(prompt.askAbortRetryIgnore("b", MessageIcon::Stop), std::logic_error);
  EXPECT_EQ(prompt.calls().size(), 2u);
}

}  // namespace
}  // namespace orva
