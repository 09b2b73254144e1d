#include "about/about.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QTime>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "about/AboutCore.h"
#include "about/Resources.h"
#include "about/SplashU.h"
#include "platform/ShellOpen.h"
#include "ui/UserDialogs.h"
#include "version/Version.h"

namespace nubrix::about {

namespace {

const QString kHomePage = QStringLiteral("https://nubrix.example.org/");
const QString kMailAddress = QStringLiteral("nubrix@example.org");
const QColor kLit(192, 192, 192);
const QColor kUnlit(0, 0, 128);

QToolButton* CaptionButton(const QString& caption) {
  auto* button = new QToolButton;
  button->setText(caption);
  button->setAutoRaise(true);
  return button;
}

QLabel* Link(const QString& text) {
  auto* label = new QLabel(QStringLiteral("<u>%1</u>").arg(text.toHtmlEscaped()));
  label->setStyleSheet(QStringLiteral("color: navy;"));
  label->setCursor(Qt::PointingHandCursor);
  return label;
}

// The parts of NUBRIX_VERSION ("major.minor.release[.build]"), missing ones 0.
QVector<int> VersionParts() {
  QVector<int> parts;
  for (const QString& part : QStringLiteral(NUBRIX_VERSION).split(u'.')) parts << part.toInt();
  while (parts.size() < 4) parts << 0;
  return parts;
}

}  // namespace

QString TAboutBox::VersionText() {
  const QVector<int> parts = VersionParts();
  return QStringLiteral("%1.%2").arg(parts[0]).arg(parts[1]);
}

TAboutBox::TAboutBox(IUserDialogs& dialogs, QWidget* parent) : QDialog(parent), Dialogs_(dialogs) {
  InitAboutResources();
  setObjectName(QStringLiteral("AboutBox"));
  setFixedSize(440, 395);
  setFont(QFont(QStringLiteral("Arial"), 9));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 2, 4, 4);
  column->setSpacing(2);
  column->addWidget(BuildToolBar());
  FlatPageControl1 = new QStackedWidget;
  FlatPageControl1->addWidget(BuildFirstPage());
  FlatPageControl1->addWidget(BuildSecondPage());
  column->addWidget(FlatPageControl1);
  column->addWidget(BuildTextPanel(), 1);
  column->addWidget(BuildBottomRow());
  ToolButton12Click();
  Timer1_.setInterval(1000);
  connect(&Timer1_, &QTimer::timeout, this, [this] { Timer1Timer(QTime::currentTime()); });
  Timer1_.start();
  Timer1Timer(QTime::currentTime());
}

QWidget* TAboutBox::BuildToolBar() {
  auto* bar = new QWidget;
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  QToolButton* about = CaptionButton(QStringLiteral("About "));
  QToolButton* site = CaptionButton(QStringLiteral("nubrix.example.org"));
  about->setObjectName(QStringLiteral("ToolButton12"));
  site->setObjectName(QStringLiteral("ToolButton13"));
  connect(about, &QToolButton::clicked, this, &TAboutBox::ToolButton12Click);
  connect(site, &QToolButton::clicked, this, &TAboutBox::ToolButton13Click);
  row->addWidget(about);
  row->addWidget(site);
  row->addStretch(1);
  return bar;
}

QWidget* TAboutBox::BuildFirstPage() {
  auto* page = new QWidget;
  auto* column = new QVBoxLayout(page);
  column->setContentsMargins(0, 0, 0, 0);
  Image1 = new QLabel;
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setPixmap(QPixmap::fromImage(LoadJpegResource(QStringLiteral(":/about/header.jpg"))));
  column->addWidget(Image1);
  auto* row = new QHBoxLayout;
  auto* icon = new QLabel;
  icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
  row->addWidget(icon, 0, Qt::AlignTop);
  auto* texts = new QVBoxLayout;
  ProductName = new QLabel;
  ProductName->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 12pt;"));
  VersNo = new QLabel;
  Release = new QLabel;
  Build = new QLabel;
  Copyright = new QLabel;
  const QVector<int> parts = VersionParts();
  VersNo->setText(VersionText());
  Release->setText(QString::number(parts[2]));
  Build->setText(QString::number(parts[3]));
  auto* rights = new QHBoxLayout;
  rights->addWidget(new QLabel(QStringLiteral("\u00A9")));
  rights->addWidget(Copyright, 1);
  for (QWidget* label : {static_cast<QWidget*>(ProductName), static_cast<QWidget*>(VersNo)}) {
    texts->addWidget(label);
  }
  auto* numbers = new QHBoxLayout;
  numbers->addWidget(Release);
  numbers->addWidget(Build);
  numbers->addStretch(1);
  texts->addLayout(numbers);
  texts->addLayout(rights);
  row->addLayout(texts, 1);
  row->addWidget(BuildClock(), 0, Qt::AlignTop);
  column->addLayout(row);
  return page;
}

// Three rows of worths: a lit worth is silver on the navy of the unlit ones.
QWidget* TAboutBox::BuildClock() {
  Panel3 = new QFrame;
  Panel3->setObjectName(QStringLiteral("Panel3"));
  Panel3->setFrameShape(QFrame::StyledPanel);
  Panel3->setAutoFillBackground(true);
  auto* grid = new QVBoxLayout(Panel3);
  grid->setSpacing(1);
  const std::pair<const char*, std::span<const int>> rows[] = {
      {"H", kHourWorths}, {"M", kMinuteWorths}, {"S", kMinuteWorths}};
  for (const auto& [head, worths] : rows) {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QString::fromUtf8(head)));
    QVector<QLabel*> labels;
    for (const int worth : worths) {
      auto* label = new QLabel(QString::number(worth));
      label->setAlignment(Qt::AlignCenter);
      label->setFixedWidth(18);
      label->setAutoFillBackground(true);
      labels << label;
      row->addWidget(label);
    }
    row->addStretch(1);
    ClockLabels << labels;
    grid->addLayout(row);
  }
  return Panel3;
}

QWidget* TAboutBox::BuildSecondPage() {
  auto* page = new QWidget;
  auto* column = new QVBoxLayout(page);
  column->setContentsMargins(0, 0, 0, 0);
  auto* bar = new QHBoxLayout;
  BTN_1_BACK = CaptionButton(QStringLiteral("<"));
  auto* update = CaptionButton(QStringLiteral("   Update List        "));
  BTN_1_FORWARD = CaptionButton(QStringLiteral(">"));
  for (QToolButton* button : {BTN_1_BACK, update, BTN_1_FORWARD}) bar->addWidget(button);
  bar->addStretch(1);
  column->addLayout(bar);
  WebBrowser1 = new QTextBrowser;
  WebBrowser1->setOpenLinks(true);
  WebBrowser1->setOpenExternalLinks(false);
  column->addWidget(WebBrowser1, 1);
  BTN_1_BACK->setEnabled(false);
  BTN_1_FORWARD->setEnabled(false);
  connect(BTN_1_BACK, &QToolButton::clicked, WebBrowser1, &QTextBrowser::backward);
  connect(BTN_1_FORWARD, &QToolButton::clicked, WebBrowser1, &QTextBrowser::forward);
  connect(WebBrowser1, &QTextBrowser::backwardAvailable, BTN_1_BACK, &QToolButton::setEnabled);
  connect(WebBrowser1, &QTextBrowser::forwardAvailable, BTN_1_FORWARD, &QToolButton::setEnabled);
  connect(update, &QToolButton::clicked, this, &TAboutBox::ToolButton2Click);
  return page;
}

// The free text in a panel it is taller than, scrolled by dragging.
QWidget* TAboutBox::BuildTextPanel() {
  Panel2 = new QFrame;
  auto* column = new QVBoxLayout(Panel2);
  column->setContentsMargins(0, 0, 0, 0);
  Panel1 = new QFrame;
  Panel1->setFrameShape(QFrame::StyledPanel);
  Panel1->setMinimumHeight(60);
  Comments = new QLabel(Panel1);
  Comments->setWordWrap(true);
  Comments->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  Comments->setToolTip(QStringLiteral("Drag to scroll"));
  Comments->setCursor(Qt::OpenHandCursor);
  Comments->installEventFilter(this);
  column->addWidget(Panel1, 1);
  Lblexplaindrag = new QLabel(QStringLiteral("Left mouse click on text to drag window!"));
  Lblexplaindrag->setStyleSheet(QStringLiteral("color: gray;"));
  column->addWidget(Lblexplaindrag);
  return Panel2;
}

QWidget* TAboutBox::BuildBottomRow() {
  auto* bar = new QWidget;
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(new QLabel(QStringLiteral("Ideas? Visit")));
  QLabel* home = Link(QUrl(kHomePage).host());
  QLabel* mail = Link(QStringLiteral("Mail me!"));
  home->setObjectName(QStringLiteral("LblHomepage"));
  mail->setObjectName(QStringLiteral("LblMail"));
  home->installEventFilter(this);
  mail->installEventFilter(this);
  row->addWidget(home);
  row->addWidget(mail);
  row->addStretch(1);
  auto* disks = CaptionButton(QStringLiteral("HD"));
  disks->setToolTip(QStringLiteral("show hardisk preferences"));
  auto* close = CaptionButton(QStringLiteral("Close"));
  close->setToolTip(QStringLiteral("Close About Box"));
  connect(disks, &QToolButton::clicked, this, &TAboutBox::SpeedButton2Click);
  connect(close, &QToolButton::clicked, this, &QDialog::reject);
  row->addWidget(disks);
  row->addWidget(close);
  return bar;
}

bool TAboutBox::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate && !Activated_) {
    Activated_ = true;
    FormActivate();
  }
  return QDialog::event(event);
}

void TAboutBox::FormActivate() {
  WebBrowser1->setSource(QUrl(QStringLiteral("qrc:/about/products.html")));
  ProductName->setText(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
  Comments->setFixedWidth(Panel1->width() - 18);
  Comments->adjustSize();
  Comments->move(0, 0);
  QPalette palette = Panel3->palette();
  palette.setColor(QPalette::Window, BackCol);
  Panel3->setPalette(palette);
}

void TAboutBox::showEvent(QShowEvent* event) {
  // The background picture takes the header picture's place.
  Image1->setVisible(!UseBackBMP);
  QDialog::showEvent(event);
}

void TAboutBox::paintEvent(QPaintEvent* event) {
  if (UseBackBMP && !BackBMP.isNull()) {
    QPainter painter(this);
    painter.fillRect(rect(), QBrush(BackBMP));
  }
  QDialog::paintEvent(event);
}

void TAboutBox::Timer1Timer(const QTime& now) {
  setWindowTitle(QStringLiteral("About: ") +
                 QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() +
                 QStringLiteral("!       Actual time: ") +
                 QLocale().toString(now, QLocale::LongFormat));
  const int values[] = {now.hour(), now.minute(), now.second()};
  const std::span<const int> worths[] = {kHourWorths, kMinuteWorths, kMinuteWorths};
  for (int row = 0; row < 3; ++row) {
    const std::vector<bool> lit = ClockBits(values[row], worths[row]);
    for (int i = 0; i < ClockLabels[row].size(); ++i) {
      QLabel* label = ClockLabels[row][i];
      QPalette palette = label->palette();
      palette.setColor(QPalette::Window, lit[static_cast<std::size_t>(i)] ? kLit : kUnlit);
      palette.setColor(QPalette::WindowText, lit[static_cast<std::size_t>(i)] ? kUnlit : kLit);
      label->setPalette(palette);
    }
  }
}

// Moves the free text; it never leaves its panel.
void TAboutBox::setobj(int newTop) {
  if (newTop < 0 && newTop > Panel1->height() - Comments->height()) Comments->move(0, newTop);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Comments) {
    if (event->type() == QEvent::MouseButtonPress) {
      QApplication::setOverrideCursor(Qt::ClosedHandCursor);
      DragStartY_ = static_cast<QMouseEvent*>(event)->position().toPoint().y();
    } else if (event->type() == QEvent::MouseMove &&
               (static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton)) {
      setobj(Comments->y() + static_cast<QMouseEvent*>(event)->position().toPoint().y() -
             DragStartY_);
    } else if (event->type() == QEvent::MouseButtonRelease) {
      QApplication::restoreOverrideCursor();
    }
  } else if (event->type() == QEvent::MouseButtonRelease) {
    if (watched->objectName() == QStringLiteral("LblHomepage")) LblHomepageClick();
    if (watched->objectName() == QStringLiteral("LblMail")) LblMailClick();
  }
  return QDialog::eventFilter(watched, event);
}

void TAboutBox::SpeedButton2Click() {
  Dialogs_.ShowMessage(
      this, QString::fromStdString(SystemSummary(System.Name, System.Version, System.Memory,
                                                 System.Drives1, System.Drives2)));
}

void TAboutBox::LblHomepageClick() { platform::OpenUriWithDesktop(kHomePage.toStdString()); }

void TAboutBox::LblMailClick() {
  const QString uri =
      QStringLiteral("mailto:") + kMailAddress + QStringLiteral("?subject=") +
      QString::fromUtf8(QUrl::toPercentEncoding(QCoreApplication::applicationFilePath()));
  if (!platform::OpenUriWithDesktop(uri.toStdString())) {
    Dialogs_.ShowError(this, QStringLiteral("An Error occurred with Mail!"));
  }
}

void TAboutBox::ToolButton12Click() {
  FlatPageControl1->setCurrentIndex(0);
  FlatPageControl1->setFixedHeight(160);
  Panel2->setVisible(true);
}

void TAboutBox::ToolButton13Click() {
  FlatPageControl1->setCurrentIndex(1);
  FlatPageControl1->setFixedHeight(320);
  // The second page takes the room of the free text.
  Panel2->setVisible(false);
}

void TAboutBox::ToolButton2Click() {
  WebBrowser1->setSource(QUrl(QStringLiteral("qrc:/about/update.html")));
}

}  // namespace nubrix::about
