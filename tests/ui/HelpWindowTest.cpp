// The manual: the collection built with the program, its contents, index, search and the
// help-context numbers of the charts.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHelpContentModel>
#include <QHelpEngine>
#include <QHelpIndexModel>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchResult>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>
#include <fstream>

#include "app/TForm1.h"
#include "app/WindowFixture.h"
#include "charts/ChartView.h"
#include "support/TempTree.h"
#include "ui/HelpWindow.h"
#include "ui/ScriptedDialogs.h"
#include "ui/ToolBars.h"

namespace nubrix {
namespace {

class HelpTest : public testing::Test {
 protected:
  void SetUp() override {
    collection_ = HelpCollectionFile();
    ASSERT_FALSE(collection_.isEmpty()) << "the help collection is built with the program";
  }
  QString collection_;
};

TEST_F(HelpTest, ContentsListEveryPageAndIndexAndNumbersLead) {
  THelpWindow help(collection_);
  ASSERT_TRUE(help.Ready());
  QHelpContentModel* contents = help.Engine()->contentModel();
  QSignalSpy created(contents, &QHelpContentModel::contentsCreated);
  if (contents->rowCount() == 0) {
    ASSERT_TRUE(created.wait(5000));
  }
  ASSERT_EQ(contents->rowCount(), 1);
  EXPECT_EQ(contents->rowCount(contents->index(0, 0)), 8) << "one entry a page";
  EXPECT_EQ(help.Engine()->documentsForIdentifier("14").front().url.fileName(),
            QStringLiteral("bars.html"));
  EXPECT_EQ(help.Engine()->documentsForIdentifier("15").front().url.fileName(),
            QStringLiteral("pie.html"));
  EXPECT_FALSE(
      help.Engine()->documentsForKeyword(QStringLiteral("Escape, cancel a scan")).isEmpty());

  help.ShowContents();
  EXPECT_EQ(help.Tabs()->currentIndex(), 0);
  EXPECT_TRUE(help.Browser()->toPlainText().contains(
      QStringLiteral("shows where the space on a disk goes")));
  help.ShowIndex();
  EXPECT_EQ(help.Tabs()->currentIndex(), 1);
  help.ShowTopic(15);
  EXPECT_EQ(help.Browser()->source().fileName(), QStringLiteral("pie.html"));
  EXPECT_TRUE(help.Browser()->toPlainText().contains(QStringLiteral("Rotate right")));
  help.ShowTopic(999);
  EXPECT_EQ(help.Browser()->source().fileName(), QStringLiteral("index.html"))
      << "an unknown number: the contents";
}

TEST_F(HelpTest, TheWindowStaysOnTheScreenAndATopicOpensOnOneClick) {
  QWidget owner;
  const QRect room = owner.screen()->availableGeometry();
  owner.setGeometry(room.left() + 10, room.bottom() - 200, 400, 150);  // low on the screen
  owner.show();
  THelpWindow help(collection_, &owner);
  QHelpContentModel* contents = help.Engine()->contentModel();
  QSignalSpy created(contents, &QHelpContentModel::contentsCreated);
  if (contents->rowCount() == 0) {
    ASSERT_TRUE(created.wait(5000));
  }
  help.ShowContents();
  EXPECT_TRUE(room.contains(help.geometry())) << "inside the work area";
  QTreeView* tree = help.Engine()->contentWidget();
  const QModelIndex pie = contents->index(1, 0, contents->index(0, 0));
  ASSERT_TRUE(pie.isValid());
  tree->scrollTo(pie);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(pie).center());
  EXPECT_NE(help.Browser()->source().fileName(), QStringLiteral("index.html"))
      << "one click opened the topic";
}

TEST_F(HelpTest, SearchFindsTheWords) {
  THelpWindow help(collection_);
  QHelpSearchEngine* search = help.Engine()->searchEngine();
  QSignalSpy indexed(search, &QHelpSearchEngine::indexingFinished);
  if (indexed.count() == 0) indexed.wait(15000);
  QSignalSpy searched(search, &QHelpSearchEngine::searchingFinished);
  search->search(QStringLiteral("Escape"));
  ASSERT_TRUE(searched.count() > 0 || searched.wait(10000));
  const QList<QHelpSearchResult> results = search->searchResults(0, 10);
  ASSERT_FALSE(results.isEmpty());
  EXPECT_EQ(results.front().url().fileName(), QStringLiteral("scanning.html"));
}

TEST_F(HelpTest, HelpCommandsOfTheWindow) {
  test::TWindowFixture window;
  std::unique_ptr<TForm1> started = window.Start();
  TForm1& form = *started;
  test::TScriptedDialogs& dialogs = window.Dialogs;
  form.Action("actHelpIDX")->trigger();
  ASSERT_NE(form.Help()->Window(), nullptr);
  EXPECT_TRUE(form.Help()->Window()->isVisible());
  EXPECT_EQ(form.Help()->Window()->Tabs()->currentIndex(), 1);
  form.Action("acthelp")->trigger();
  EXPECT_EQ(form.Help()->Window()->Tabs()->currentIndex(), 0);
  // Each chart carries its topic; F1 finds it from the widget under the mouse.
  EXPECT_EQ(HelpContextAt(form.Bars()), TBarPage::kHelpContext);
  EXPECT_EQ(HelpContextAt(form.Pies()), TPiePage::kHelpContext);
  EXPECT_EQ(HelpContextAt(form.DirTree()), 0);
  form.Help()->ShowHelpTopic(HelpContextAt(form.Bars()));
  EXPECT_EQ(form.Help()->Window()->Browser()->source().fileName(), QStringLiteral("bars.html"));
  EXPECT_TRUE(dialogs.Messages.isEmpty());
}

}  // namespace
}  // namespace nubrix
