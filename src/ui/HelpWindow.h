// The help window: the program's manual from a Qt help collection, with contents, index and
// search, the pages shown in a browser beside them.
#pragma once

#include <QTextBrowser>
#include <QWidget>

class QHelpEngine;
class QTabWidget;

namespace nubrix {

class THelpBrowser : public QTextBrowser {
  Q_OBJECT

 public:
  THelpBrowser(QHelpEngine* engine, QWidget* parent = nullptr);
  QVariant loadResource(int type, const QUrl& name) override;

 private:
  QHelpEngine* Engine_;
};

class THelpWindow : public QWidget {
  Q_OBJECT

 public:
  // collection: the .qhc file; Ready() tells whether it could be opened.
  explicit THelpWindow(const QString& collection, QWidget* parent = nullptr);
  bool Ready() const { return Ready_; }

  void ShowContents();
  void ShowIndex();
  void ShowSearch();
  // The page of a help-context number; the contents when none has that number.
  void ShowTopic(int helpContext);

  QHelpEngine* Engine() const { return Engine_; }
  THelpBrowser* Browser() const { return Browser_; }
  QTabWidget* Tabs() const { return Tabs_; }

 private:
  void Present();
  void Open(const QUrl& url);

  QHelpEngine* Engine_ = nullptr;
  QTabWidget* Tabs_ = nullptr;
  THelpBrowser* Browser_ = nullptr;
  bool Ready_ = false;
  bool Placed_ = false;
};

// Where the help collection of this program is: beside the executable when it can be written
// there (the search index is written beside it), else a copy in the user's cache; empty when
// there is none.
QString HelpCollectionFile();

class IUserDialogs;

// Opens the manual of a window: made when first asked for, over that window; says so when the
// program's help file is not there.
class THelpLauncher : public QObject {
  Q_OBJECT

 public:
  THelpLauncher(IUserDialogs& dialogs, QWidget* owner);
  void ShowHelp(int tab);  // 0 contents, 1 index
  void ShowHelpTopic(int helpContext);
  THelpWindow* Window() const { return Window_; }

 private:
  THelpWindow* Ensure();

  IUserDialogs& Dialogs_;
  QWidget* Owner_;
  THelpWindow* Window_ = nullptr;
};

}  // namespace nubrix
