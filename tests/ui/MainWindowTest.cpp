// The main window under Qt Test (offscreen): bars and zoom lists, the two
// main menus, view switching and titles, the opening rule, the bar state
// kept across runs, and the views' mouse reaching the panel dialog.
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDoubleSpinBox>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QToolBar>
#include <QWhatsThis>
#include <QWidgetAction>

#include "DialogTestSupport.h"
#include "TestRegistry.h"
#include "common/Messages.h"
#include "model/PanelOperations.h"
#include "scene/WingViewScene.h"
#include "ui/CAileView.h"
#include "ui/CT1View.h"

namespace orva {

namespace {

using uitest::WindowRig;

// The window as the user sees it: the menu bar and title, the project
// windows (the active one marked), the bars shown, the zoom lists, the state
// of Save, the bars' and display options' entries, and the project menu's
// panels.
std::string windowState(CMainFrame& frame) {
  std::string text = "  menus";
  for (QAction* entry : frame.menuBar()->actions()) text += " " + entry->text().toStdString();
  text += "\n  title \"" + frame.windowTitle().toStdString() + "\"\n";
  for (CProfileFrame* window : frame.frames()) {
    text += "  window \"" + window->windowTitle().toStdString() + "\"" +
            (window == frame.activeFrame() ? " active" : "") +
            (window->isMaximized() ? " maximised" : "") + "\n";
  }
  text += "  bars";
  for (ToolBar bar : {ToolBar::Main, ToolBar::Profile, ToolBar::Wing}) {
    text += " \"" + frame.toolBar(bar)->windowTitle().toStdString() +
            (frame.toolBar(bar)->isHidden() ? "\" hidden" : "\" shown");
  }
  text += "\n" + uitest::controlStates(*frame.toolBar(ToolBar::Main));
  const auto entry = [](QAction* a) {
    return " \"" + a->text().toStdString() + "\"" + (a->isEnabled() ? "" : " disabled") +
           (a->isCheckable() ? (a->isChecked() ? " [x]" : " [ ]") : "");
  };
  text += "  entries";
  for (int id : {int(CT1Doc::kCmdSave), int(CT1Doc::kCmdLegends), 32858, 32877}) {
    if (QAction* a = frame.action(id)) text += entry(a);
  }
  text += "\n";
  if (QMenu* project = frame.topMenu(messageText(Msg::MenuProject))) {
    text += "  project menu ends";
    const QList<QAction*> entries = project->actions();
    for (qsizetype i = std::max<qsizetype>(0, entries.size() - 2); i < entries.size(); ++i) {
      text += entry(entries[i]);
    }
    text += "\n";
  }
  return text;
}

const std::filesystem::path kExample = ORVA_EXAMPLE_PROJECT;

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void mainBarHoldsItsButtonsAndZoomLists() {
    WindowRig rig;
    CMainFrame& frame = *rig.frame;
    // The buttons in the catalogue's order, the zoom lists at positions 22 and 23.
    const QList<QAction*> items = frame.toolBar(ToolBar::Main)->actions();
    const std::vector<int> ids = frame.catalogue().toolBar(ToolBar::Main);
    QCOMPARE(items.size(), static_cast<qsizetype>(ids.size()));
    for (std::size_t i = 0; i < ids.size(); ++i) {
      QAction* item = items[static_cast<qsizetype>(i)];
      if (ids[i] == 0) {
        QVERIFY2(item->isSeparator(), qPrintable(QString::number(i)));
      } else if (i == 21 || i == 22) {
        auto* widget = qobject_cast<QWidgetAction*>(item);
        QVERIFY(widget);
        QCOMPARE(static_cast<ZoomList*>(widget->defaultWidget())->commandId(), ids[i]);
      } else {
        QCOMPARE(item->data().toInt(), ids[i]);
        QVERIFY2(!item->icon().isNull(), qPrintable(QString::number(ids[i])));
        QVERIFY(!item->toolTip().isEmpty());
      }
    }

    ZoomList* profile = frame.zoomList(ZoomList::Kind::Profile);
    ZoomList* wing = frame.zoomList(ZoomList::Kind::Wing);
    // Their entries are in tests/data/ui/main-window-session.txt. No selection: the factors of entry 5.
    profile->setCurrentIndex(-1);
    wing->setCurrentIndex(-1);
    QCOMPARE(frame.ProfileZoomFactor(), 1.0);
    QCOMPARE(frame.WingZoomFactor(), 0.1);
    profile->setCurrentIndex(8);
    wing->setCurrentIndex(0);
    QCOMPARE(frame.ProfileZoomFactor(), 2.0);
    QCOMPARE(frame.WingZoomFactor(), 0.005);

    // Picking an entry zooms the project, and the profile view redraws larger.
    frame.showProjectWindows(ProjectWindows::ProfileMaximised);
    auto* view = qobject_cast<CT1View*>(frame.activeFrame()->view());
    QVERIFY(view);
    const double before = view->scene().frame.width();
    profile->setCurrentIndex(8);
    emit profile->activated(8);
    QCOMPARE(rig.context.document->display.profileViewScale, 2.0);
    QCOMPARE(view->scene().frame.width(), std::trunc(before * 2.0));
    frame.ResetZoomLists();
    QCOMPARE(profile->currentIndex(), 5);
    QCOMPARE(wing->currentIndex(), 5);
  }

  // Reviewed in tests/data/ui/main-window-session.txt: the menu bar follows
  // the project window; the project menu ends with its panels, the current
  // one checked; a two-panel project opens both windows, the wing one
  // active, a new one the profile window alone, maximised; Profiles and Wing
  // switch without opening a second window; the bar and display options
  // keep their check marks, and a hidden bar stays hidden after a restart.
  void menusViewsTitlesAndBarsFollowTheProjectWindows() {
    uitest::ScratchDir dir;
    std::string dump;
    {
      WindowRig rig(dir / "run");
      CMainFrame& frame = *rig.frame;
      const auto step = [&](const std::string& title) {
        dump += "> " + title + "\n" + windowState(frame);
        if (const CT1Doc* doc = rig.context.document.get()) {
          dump += "  panel " + std::to_string(doc->currentPanel) + " legends " +
                  std::to_string(doc->display.legends) + "\n";
        }
      };
      step("started");
      QVERIFY(frame.openProject(kExample).opened());
      step("example opened");
      // The texts as stored, with their mnemonics and keys.
      QCOMPARE(frame.action(32858)->text(), QStringLiteral("&Profile bar"));
      QCOMPARE(frame.action(32782)->shortcut(), QKeySequence(QStringLiteral("Ctrl+T")));
      frame.topMenu(messageText(Msg::MenuProject))->actions().last()->trigger();
      step("Panel 2");
      frame.action(CT1Doc::kCmdLegends)->trigger();
      frame.action(32858)->trigger();
      step("legends, profile bar");
      frame.onCommand(1005);  // Profiles
      step("Profiles");
      frame.onCommand(32895);  // wing view
      frame.onCommand(1006);   // Wing
      step("wing view, Wing");
      QVERIFY(frame.openProject(std::nullopt).opened());
      step("new project");
      frame.onCommand(1006);
      step("Wing");
      frame.onCommand(1006);
      step("Wing again");
      QVERIFY(frame.closeProject());
      step("project closed");
      frame.action(32858)->trigger();
      frame.onCommand(32877);  // wing bar
      step("profile bar, wing bar");
      QVERIFY(frame.close());
      rig.context.shutdown();
    }
    WindowRig again(dir / "run");
    dump += "> restarted\n" + windowState(*again.frame);
    QVERIFY(uitest::matchesGolden("ui/main-window-session.txt", dump));
  }

  void openingAskedOnceKeepsOrDiscardsOrSaves() {
    uitest::ScratchDir dir;
    WindowRig rig(dir / "run");
    CMainFrame& frame = *rig.frame;
    const std::filesystem::path copy = dir / "copy.cnc";
    std::filesystem::copy_file(kExample, copy);
    QVERIFY(frame.openProject(copy).opened());
    CT1Doc* first = rig.context.document.get();
    // Cancel: the modified project and its windows stay, nothing opens.
    first->markModified(DocChange::PanelGeometry);
    rig.prompt.queueAnswer(Answer::Cancel);
    QCOMPARE(frame.openProject(std::nullopt).outcome, OpenOutcome::Cancelled);
    QCOMPARE(rig.context.document.get(), first);
    QCOMPARE(frame.frames().size(), 2);
    QCOMPARE(frame.frames().first()->document(), first);

    // Yes: saved (what the context does), then the new project replaces it.
    rig.prompt.queueAnswer(Answer::Yes);
    QVERIFY(frame.openProject(std::nullopt).opened());
    QCOMPARE(frame.frames().size(), 1);
    QCOMPARE(frame.frames().first()->document(), rig.context.document.get());

    // No: the changes are dropped and the file opens.
    rig.context.document->markModified(DocChange::PanelGeometry);
    rig.prompt.queueAnswer(Answer::No);
    QVERIFY(frame.openProject(copy).opened());
    QCOMPARE(frame.frames().size(), 2);
    std::size_t questions = 0;
    for (const auto& call : rig.prompt.calls()) {
      if (call.kind == ScriptedPrompt::Kind::YesNoCancel) ++questions;
    }
    QCOMPARE(questions, std::size_t{3});
    // The recent-file list names the file once and the menu shows it.
    QCOMPARE(rig.context.recentFiles.files().size(), std::size_t{1});
    QVERIFY(frame.findChild<QAction*>(QStringLiteral("recentFile1")));
  }

  void printingTilesTheActiveViewAtTrueScale() {
    uitest::ScratchDir dir;
    WindowRig rig(dir / "run");
    QVERIFY(rig.frame->openProject(std::nullopt).opened());
    SceneView* view = rig.frame->activeFrame()->view();
    const auto pages = [&](double zoom) {
      rig.context.document->display.profileViewScale = zoom;
      QPrinter printer(QPrinter::HighResolution);
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setPageSize(QPageSize(QPageSize::A4));
      const std::string file = (dir / ("print" + std::to_string(zoom) + ".pdf")).string();
      printer.setOutputFileName(QString::fromStdString(file));
      const std::string error = view->print(printer);
      if (!error.empty()) return -1;
      const std::string pdf = test::readFile(file);
      int count = 0;
      for (std::size_t at = pdf.find("/Type /Page\n"); at != std::string::npos;
           at = pdf.find("/Type /Page\n", at + 1))
        ++count;
      return count;
    };
    // One sheet at 100 %; at 500 % the section is five times larger and is
    // spread over several overlapping sheets.
    QCOMPARE(pages(1.0), 1);
    QVERIFY(pages(5.0) > 2);
  }

  void printingConfigurationKeepsThePageForThePrintsWithoutASystemPrinter() {
    if (!QPrinterInfo::availablePrinters().isEmpty())
      QSKIP("a system printer is set up with the system's dialog");
    WindowRig rig;
    const auto pageSetup = [&](const std::function<void(QDialog*)>& edit) {
      bool seen = false;
      uitest::whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        seen = dialog && dialog->findChild<QComboBox*>(QStringLiteral("paperSize"));
        if (seen) {
          edit(dialog);
        } else {
          modal->close();
        }
      });
      rig.frame->onCommand(57606);
      QVERIFY(seen);
    };
    pageSetup([](QDialog* dialog) {
      auto* paper = dialog->findChild<QComboBox*>(QStringLiteral("paperSize"));
      paper->setCurrentIndex(paper->findText(QPageSize::name(QPageSize::A3)));
      dialog->findChild<QRadioButton*>(QStringLiteral("landscape"))->click();
      dialog->findChild<QDoubleSpinBox*>(QStringLiteral("marginLeft"))->setValue(25.0);
      QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("ok")), Qt::LeftButton);
    });
    // Opened again: the page as it was set. Margins wider than the paper are
    // refused with a message and the dialog stays.
    QString paper;
    bool landscape = false;
    double left = 0.0;
    bool refused = false;
    pageSetup([&](QDialog* dialog) {
      paper = dialog->findChild<QComboBox*>(QStringLiteral("paperSize"))->currentText();
      landscape = dialog->findChild<QRadioButton*>(QStringLiteral("landscape"))->isChecked();
      left = dialog->findChild<QDoubleSpinBox*>(QStringLiteral("marginLeft"))->value();
      dialog->findChild<QDoubleSpinBox*>(QStringLiteral("marginRight"))->setValue(400.0);
      uitest::whenModal([&](QWidget* message) {
        refused = message != dialog && qobject_cast<QMessageBox*>(message) != nullptr;
        message->close();
      });
      QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("ok")), Qt::LeftButton);
      refused = refused && dialog->isVisible();
      dialog->reject();
    });
    QCOMPARE(paper, QPageSize::name(QPageSize::A3));
    QVERIFY(landscape);
    QCOMPARE(left, 25.0);
    QVERIFY(refused);
  }

  void mouseSelectsAndOpensThePanelParameters() {
    WindowRig rig;
    CMainFrame& frame = *rig.frame;
    QVERIFY(frame.openProject(kExample).opened());
    CT1Doc& doc = *rig.context.document;
    auto* wing = qobject_cast<CAileView*>(frame.activeFrame()->view());
    QVERIFY(wing);
    // A click in the second panel's span makes it current.
    const double x =
        WingViewScene::rootX(doc.panels, doc.display.wingViewScale, false) +
        (doc.panels[0].span + doc.panels[1].span / 2) * doc.display.wingViewScale * 10.0;
    const QPoint at =
        wing->logicalToViewport().map(QPointF(x, wing->scene().frame.top - 100)).toPoint();
    QTest::mouseClick(wing->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(doc.currentPanel, 1);

    // A double click opens Panel Parameters with that panel's values; OK
    // commits the edit and the views show the rebuilt panel.
    const double span = doc.panels[1].span;
    QString shown;
    uitest::whenModal([&](QWidget* dialog) {
      auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("span"));
      if (!edit) {
        dialog->close();
        return;
      }
      shown = edit->text();
      uitest::typeInto(edit, QString::number(span + 50));
      QTest::keyClick(dialog, Qt::Key_Return);
    });
    const std::string before = wing->scene().dump();
    QTest::mouseDClick(wing->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(shown.toDouble(), span);
    QCOMPARE(doc.panels[1].span, span + 50);
    QVERIFY(doc.modified);
    // The view built its picture again: the new span shows in the legend.
    const std::string after = wing->scene().dump();
    QVERIFY(after != before);
    QVERIFY(after.find(QString::number(span + 50).toStdString()) != std::string::npos);
  }

  void whatsThisCommandShowsHelpInsteadOfRunningTheCommand() {
    WindowRig rig;
    CMainFrame& frame = *rig.frame;
    QVERIFY(frame.frames().isEmpty());
    // Every command of the menus and bars has its help text.
    for (const int id : frame.catalogue().toolBar(ToolBar::Main)) {
      if (QAction* a = frame.action(id))
        QVERIFY2(!a->whatsThis().isEmpty(), qPrintable(QString::number(id)));
    }
    QCOMPARE(frame.action(57600)->whatsThis(),
             QString::fromUtf8(messageText(Msg::NewProjectTip).data()));
    frame.onCommand(57669);
    QVERIFY(QWhatsThis::inWhatsThisMode());
    // A click on "New" now explains the button and opens nothing.
    QWidget* newButton = frame.toolBar(ToolBar::Main)->widgetForAction(frame.action(57600));
    QVERIFY(newButton);
    QTest::mouseClick(newButton, Qt::LeftButton);
    QVERIFY(!QWhatsThis::inWhatsThisMode());
    QWidget* shown = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->inherits("QWhatsThat") && w->isVisible()) shown = w;
    }
    QVERIFY(shown);
    shown->close();
    QVERIFY(frame.frames().isEmpty());
  }

  void companionProgramStartsDetachedWithItsOneArgument() {
    uitest::ScratchDir dir;
    WindowRig rig(dir / "run");
    const auto script = [&](const std::string& name, const std::string& out) {
      const std::string path = dir.write(name, "#!/bin/sh\nprintf '%s|' \"$@\" > '" + out + "'\n");
      std::filesystem::permissions(path, std::filesystem::perms::owner_all);
      return path;
    };
    const auto setCompanion = [&](const QString& value) {
      auto settings = rig.context.settingsStore().open();
      if (value.isEmpty()) {
        settings->remove(QStringLiteral("CncConfig/Ferolo"));
      } else {
        settings->setValue(QStringLiteral("CncConfig/Ferolo"), value);
      }
    };
    // The program the settings name.
    const std::string named = (dir / "named.txt").string();
    setCompanion(QString::fromStdString(script("companion", named)));
    rig.frame->onCommand(32840);
    QTRY_COMPARE(QString::fromStdString(test::readFile(named)), QStringLiteral("ferolo|"));
    // None named: "ferolo" on the search path.
    std::filesystem::create_directories(dir / "bin");
    const std::string found = (dir / "found.txt").string();
    script("bin/ferolo", found);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString((dir / "bin").string()) + ":" + path);
    setCompanion({});
    rig.frame->onCommand(32840);
    QTRY_COMPARE(QString::fromStdString(test::readFile(found)), QStringLiteral("ferolo|"));
    // A named program that is not there: nothing starts, nothing is shown.
    std::filesystem::remove(found);
    setCompanion(QString::fromStdString((dir / "missing").string()));
    const std::size_t calls = rig.prompt.calls().size();
    rig.frame->onCommand(32840);
    QTest::qWait(200);
    qputenv("PATH", path);
    QVERIFY(!std::filesystem::exists(found));
    QCOMPARE(rig.prompt.calls().size(), calls);
  }

  void keysOfTheCatalogueReachTheirCommands() {
    WindowRig rig;
    CMainFrame& frame = *rig.frame;
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QVERIFY(frame.frames().isEmpty());
    QTest::keyClick(&frame, Qt::Key_N, Qt::ControlModifier);  // New
    QCOMPARE(frame.frames().size(), 1);
    QVERIFY(rig.context.document);
    // A project command's key: Panel Parameters.
    bool panelParameters = false;
    uitest::whenModal([&](QWidget* dialog) {
      panelParameters = dialog->findChild<QLineEdit*>(QStringLiteral("span")) != nullptr;
      dialog->close();
    });
    QTest::keyClick(frame.activeFrame()->view()->viewport(), Qt::Key_T, Qt::ControlModifier);
    QVERIFY(panelParameters);
  }

  void contextMenusOfTheViewsSendTheirCommands() {
    WindowRig rig;
    CMainFrame& frame = *rig.frame;
    QVERIFY(frame.openProject(kExample).opened());
    CT1Doc& doc = *rig.context.document;
    // Opens the view's menu from the keyboard, checks its entries and
    // chooses the one of `commandId`.
    const auto choose = [&](CMainFrame::ViewKind kind, PopupMenu popup, int commandId) {
      frame.SwitchToView(kind);
      SceneView* view = frame.activeFrame()->view();
      QStringList shown;
      QStringList expected;
      for (const MenuItem& item : frame.catalogue().popup(popup)) {
        if (!item.isSeparator())
          expected << QString::fromUtf8(item.text.data(), static_cast<qsizetype>(item.text.size()));
      }
      QTimer::singleShot(50, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        for (QAction* a : menu->actions()) {
          if (a->isSeparator()) continue;
          shown << a->text();
          if (a->data().toInt() == commandId) menu->setActiveAction(a);
        }
        QTest::keyClick(menu, Qt::Key_Return);
      });
      QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(20, 20),
                              view->mapToGlobal(QPoint(20, 20)));
      QApplication::sendEvent(view, &event);
      QCOMPARE(shown, expected);
    };
    // Wing view (232): a new panel inserted before the current one.
    const std::size_t panels = doc.panels.size();
    choose(CMainFrame::ViewKind::Wing, PopupMenu::Wing, kCmdInsertPanelBeforeCurrent);
    QCOMPARE(doc.panels.size(), panels + 1);
    // Profile view (235): the comments of the project.
    bool commentsShown = false;
    uitest::whenModal([&](QWidget* dialog) {
      commentsShown =
          dialog->windowTitle() == QString::fromUtf8(messageText(Msg::CommentsTitle).data());
      dialog->close();
    });
    choose(CMainFrame::ViewKind::Profile, PopupMenu::Profile, 32908);
    QTRY_VERIFY(commentsShown);
  }
};

ORVA_REGISTER_UI_TEST(MainWindowTest)

}  // namespace orva

#include "MainWindowTest.moc"
