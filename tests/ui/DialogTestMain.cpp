// The dialog tests (Qt Test, offscreen unless a platform is chosen).
#include <QApplication>
#include <QTest>
#include <cstdlib>
#include <memory>

namespace orva {
std::unique_ptr<QObject> makeFormBinderTest();
std::unique_ptr<QObject> makeProjectDialogsTest();
std::unique_ptr<QObject> makeMainWindowTest();
std::unique_ptr<QObject> makeManualControlTest();
std::unique_ptr<QObject> makeCutDialogTest();
std::unique_ptr<QObject> makeMachineDialogsTest();
std::unique_ptr<QObject> makeCutSimulationViewTest();
std::unique_ptr<QObject> makeMachinePanelTest();
}  // namespace orva

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  int failed = 0;
  for (auto make :
       {orva::makeFormBinderTest, orva::makeProjectDialogsTest, orva::makeMainWindowTest,
        orva::makeManualControlTest, orva::makeCutDialogTest, orva::makeMachineDialogsTest,
        orva::makeCutSimulationViewTest, orva::makeMachinePanelTest}) {
    const std::unique_ptr<QObject> test = make();
    failed += QTest::qExec(test.get(), argc, argv);
  }
  return failed == 0 ? 0 : 1;
}
