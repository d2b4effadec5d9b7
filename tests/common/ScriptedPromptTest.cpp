#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/ScriptedPrompt.h"

namespace orva {
namespace {

using Kind = ScriptedPrompt::Kind;

TEST(ScriptedPromptTest, PlaysQueuedAnswersInOrderThenDefaultsAndRefusesOnesThatDoNotFit) {
  ScriptedPrompt prompt;
  for (Answer a : {Answer::Ok, Answer::Retry, Answer::Ignore, Answer::Ok}) prompt.queueAnswer(a);
  EXPECT_EQ(prompt.askOkCancel("a", MessageIcon::Question), Answer::Ok);
  prompt.showMessage("messages take no answer", MessageIcon::Stop);
  EXPECT_EQ(prompt.askAbortRetryIgnore("b", MessageIcon::Warning), Answer::Retry);
  ASSERT_EQ(prompt.calls().size(), 3u);
  EXPECT_EQ(prompt.calls()[1].kind, Kind::Message);
  EXPECT_EQ(prompt.calls()[1].icon, MessageIcon::Stop);
  EXPECT_EQ(prompt.calls()[2].kind, Kind::AbortRetryIgnore);
  EXPECT_EQ(prompt.calls()[2].text, "b");
  EXPECT_EQ(prompt.messages(), std::vector<std::string>{"messages take no answer"});
  prompt.clear();  // forgets the calls, not the script
  EXPECT_TRUE(prompt.calls().empty() && prompt.messages().empty());
  EXPECT_EQ(prompt.askAbortRetryIgnore("c", MessageIcon::Stop), Answer::Ignore);
  EXPECT_EQ(prompt.askOkCancel("d", MessageIcon::Question), Answer::Ok);
  EXPECT_EQ(prompt.askOkCancel("e", MessageIcon::Question), Answer::Cancel);
  EXPECT_EQ(prompt.askAbortRetryIgnore("f", MessageIcon::Stop), Answer::Abort);

  prompt.queueAnswer(Answer::Retry);
  prompt.queueAnswer(Answer::Ok);
  EXPECT_THROW(prompt.askOkCancel("a", MessageIcon::Question), std::logic_error);
  EXPECT_THROW(prompt.askAbortRetryIgnore("b", MessageIcon::Stop), std::logic_error);
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
  EXPECT_EQ(seen.filters[1].patterns, "*.*");
  EXPECT_EQ(seen.initialDirectory, "/data");
  EXPECT_EQ(seen.defaultName, "naca");
  EXPECT_TRUE(seen.mustExist);
  EXPECT_EQ(calls[1].kind, Kind::SaveFile);
  EXPECT_TRUE(calls[1].request.promptOverwrite);
  EXPECT_TRUE(prompt.messages().empty());
}

}  // namespace
}  // namespace orva
