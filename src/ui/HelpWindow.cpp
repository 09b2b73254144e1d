#include "ui/HelpWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResultWidget>
#include <QScreen>
#include <QSplitter>
#include <QStandardPaths>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/UserDialogs.h"

namespace nubrix {

THelpBrowser::THelpBrowser(QHelpEngine* engine, QWidget* parent)
    : QTextBrowser(parent), Engine_(engine) {}

QVariant THelpBrowser::loadResource(int type, const QUrl& name) {
  if (name.scheme() == QStringLiteral("qthelp")) return Engine_->fileData(name);
  return QTextBrowser::loadResource(type, name);
}

THelpWindow::THelpWindow(const QString& collection, QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QStringLiteral("Nubrix lite Help"));
  Engine_ = new QHelpEngine(collection, this);
  Ready_ = !collection.isEmpty() && QFileInfo::exists(collection) && Engine_->setupData();
  Tabs_ = new QTabWidget;
  Tabs_->addTab(Engine_->contentWidget(), QStringLiteral("Contents"));
  Tabs_->addTab(Engine_->indexWidget(), QStringLiteral("Index"));
  auto* search = new QWidget;
  auto* searchColumn = new QVBoxLayout(search);
  searchColumn->addWidget(Engine_->searchEngine()->queryWidget());
  searchColumn->addWidget(Engine_->searchEngine()->resultWidget(), 1);
  Tabs_->addTab(search, QStringLiteral("Search"));
  Browser_ = new THelpBrowser(Engine_);
  auto* splitter = new QSplitter(Qt::Horizontal);
  splitter->addWidget(Tabs_);
  splitter->addWidget(Browser_);
  splitter->setStretchFactor(1, 1);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(splitter);

  connect(Engine_->contentWidget(), &QHelpContentWidget::linkActivated, this, &THelpWindow::Open);
  // One click on a topic opens it, as a contents list in a help window does.
  connect(Engine_->contentWidget(), &QTreeView::clicked, this, [this](const QModelIndex& index) {
    if (const QHelpContentItem* item = Engine_->contentModel()->contentItemAt(index))
      Open(item->url());
  });
  connect(Engine_->indexWidget(), &QHelpIndexWidget::documentActivated, this,
          [this](const QHelpLink& link) { Open(link.url); });
  connect(Engine_->indexWidget(), &QHelpIndexWidget::documentsActivated, this,
          [this](const QList<QHelpLink>& links) {
            if (!links.isEmpty()) Open(links.front().url);
          });
  QHelpSearchEngine* searchEngine = Engine_->searchEngine();
  connect(searchEngine->queryWidget(), &QHelpSearchQueryWidget::search, this,
          [searchEngine] { searchEngine->search(searchEngine->queryWidget()->searchInput()); });
  connect(searchEngine->resultWidget(), &QHelpSearchResultWidget::requestShowLink, this,
          &THelpWindow::Open);
  if (Ready_) searchEngine->reindexDocumentation();
}

void THelpWindow::Open(const QUrl& url) { Browser_->setSource(url); }

void THelpWindow::ShowContents() {
  Tabs_->setCurrentIndex(0);
  Engine_->contentWidget()->expandAll();
  Open(QUrl(QStringLiteral("qthelp://org.nubrix.lite/doc/index.html")));
  Present();
}

// The first time, over the program's window and wholly inside the screen's work area (a panel
// at the bottom does not hide the lower part).
void THelpWindow::Present() {
  if (!Placed_) {
    Placed_ = true;
    QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : this->screen();
    const QRect room = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 820, 560);
    // Before the window is shown its frame is not known, and window managers read the place
    // asked for as the frame's or as the inside's: room for a title bar on both ends holds either.
    constexpr int kTitle = 40;
    const QRect inside = room.marginsRemoved(QMargins(8, kTitle, 8, kTitle));
    resize(std::min(820, inside.width()), std::min(560, inside.height()));
    QPoint at = parentWidget() != nullptr ? parentWidget()->geometry().center() - rect().center()
                                          : inside.center() - rect().center();
    at.setX(std::clamp(at.x(), inside.left(), inside.right() - width() + 1));
    at.setY(std::clamp(at.y(), inside.top(), inside.bottom() - height() + 1));
    move(at);
  }
  show();
  raise();
}

void THelpWindow::ShowIndex() {
  Tabs_->setCurrentIndex(1);
  if (Browser_->source().isEmpty())
    Open(QUrl(QStringLiteral("qthelp://org.nubrix.lite/doc/index.html")));
  Present();
}

void THelpWindow::ShowSearch() {
  Tabs_->setCurrentIndex(2);
  Present();
}

void THelpWindow::ShowTopic(int helpContext) {
  const QList<QHelpLink> links = Engine_->documentsForIdentifier(QString::number(helpContext));
  if (links.isEmpty()) {
    ShowContents();
    return;
  }
  Open(links.front().url);
  Present();
}

QString HelpCollectionFile() {
  // Beside the program, where it was installed (bin/../share/nubrix), then the build's own.
  QStringList places{
      QCoreApplication::applicationDirPath() + QStringLiteral("/help/nubrix.qhc"),
      QCoreApplication::applicationDirPath() + QStringLiteral("/../share/nubrix/help/nubrix.qhc")};
#ifdef NUBRIX_BUILD_HELP
  places << QStringLiteral(NUBRIX_BUILD_HELP);
#endif
  for (const QString& place : places) {
    const QFileInfo file(place);
    if (!file.exists()) continue;
    if (QFileInfo(file.absolutePath()).isWritable()) return place;
    // Installed read-only: the engine writes its search index beside the collection.
    const QString cache =
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/help");
    QDir().mkpath(cache);
    for (const QString& name : {QStringLiteral("nubrix.qhc"), QStringLiteral("nubrix.qch")}) {
      QFile::remove(cache + u'/' + name);
      QFile::copy(file.absolutePath() + u'/' + name, cache + u'/' + name);
    }
    return cache + QStringLiteral("/nubrix.qhc");
  }
  return {};
}

THelpLauncher::THelpLauncher(IUserDialogs& dialogs, QWidget* owner)
    : QObject(owner), Dialogs_(dialogs), Owner_(owner) {}

THelpWindow* THelpLauncher::Ensure() {
  if (Window_ != nullptr) return Window_;
  const QString file = HelpCollectionFile();
  if (file.isEmpty()) {
    Dialogs_.ShowMessage(Owner_, QStringLiteral("The help file of the program is not there."));
    return nullptr;
  }
  Window_ = new THelpWindow(file, Owner_);
  return Window_;
}

void THelpLauncher::ShowHelp(int tab) {
  if (THelpWindow* help = Ensure()) tab == 1 ? help->ShowIndex() : help->ShowContents();
}

void THelpLauncher::ShowHelpTopic(int helpContext) {
  if (THelpWindow* help = Ensure()) help->ShowTopic(helpContext);
}

}  // namespace nubrix
