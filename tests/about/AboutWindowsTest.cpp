// The splash mask, the credits scroller and the about box under the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QTime>
#include <QTimer>

#include "about/MovieScroll.h"
#include "about/SplashU.h"
#include "about/about.h"
#include "about/aboutdlg.h"
#include "app/TForm1.h"
#include "app/WindowFixture.h"
#include "ui/ScriptedDialogs.h"

namespace nubrix::about {
namespace {

TEST(SplashTest, TheMaskRegionIsExactToThePixel) {
  QImage mask(5, 3, QImage::Format_RGB32);
  mask.fill(Qt::white);
  mask.setPixel(2, 0, qRgb(0, 0, 0));
  for (int x = 0; x < 5; ++x) mask.setPixel(x, 1, qRgb(0, 0, 0));
  const QRegion region = BuildMaskRegion(mask);
  EXPECT_FALSE(region.contains(QPoint(1, 0)));
  EXPECT_TRUE(region.contains(QPoint(2, 0))) << "the first window pixel after a run stays";
  EXPECT_FALSE(region.contains(QPoint(3, 0)));
  for (int x = 0; x < 5; ++x) EXPECT_TRUE(region.contains(QPoint(x, 1))) << "no key pixel in row 1";
  for (int x = 0; x < 5; ++x) EXPECT_FALSE(region.contains(QPoint(x, 2))) << "a key row goes whole";

  const TSplashForm splash;
  EXPECT_EQ(splash.size(), QSize(330, 331));
  EXPECT_TRUE(splash.mask().contains(QPoint(160, 200))) << "the folder's body";
  EXPECT_FALSE(splash.mask().contains(QPoint(300, 5))) << "right of the tab";
  EXPECT_TRUE(splash.mask().contains(QPoint(260, 28))) << "the mark in the top right corner";
  EXPECT_FALSE(splash.mask().contains(QPoint(2, 2)));
  EXPECT_TRUE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
}

int CountColour(const QImage& image, QRgb colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
  }
  return count;
}

TEST(MovieScrollTest, StopsOnTheEndOrLoops) {
  TMovieScroll scroll;
  scroll.resize(200, 100);
  scroll.show();
  scroll.SetShadow(false);
  EXPECT_TRUE(scroll.Running()) << "created running";
  for (int tick = 0; tick < 400; ++tick) scroll.TimerTick();
  EXPECT_TRUE(scroll.Running()) << "an empty text never stops";

  scroll.SetScrollText({QStringLiteral("[size=14][color=255]Red"), QStringLiteral("two")});
  scroll.resize(200, 101);
  scroll.resize(200, 100);
  EXPECT_EQ(scroll.ScrollPosition(), 101) << "a resize starts from below the lower edge";
  int ticks = 0;
  while (scroll.Running() && ticks < 1000) {
    if (ticks == 60) {
      EXPECT_GT(CountColour(scroll.Frame().toImage(), qRgb(255, 0, 0)), 20) << "the red line";
    }
    scroll.TimerTick();
    ++ticks;
  }
  EXPECT_FALSE(scroll.Running());
  EXPECT_GT(ticks, 100) << "the text rose out of the top first";
  EXPECT_LT(ticks, 200);
  const QImage end = scroll.Frame().toImage();
  EXPECT_GT(CountColour(end, qRgb(255, 255, 255)), 50) << "The End in the default colour";
  EXPECT_EQ(scroll.Frame().toImage(), end) << "stopped: it stays still";

  TMovieScroll looping;
  looping.resize(200, 100);
  looping.SetLoop(true);
  looping.SetScrollText({QStringLiteral("one")});
  for (int tick = 0; tick < 300; ++tick) looping.TimerTick();
  EXPECT_TRUE(looping.Running());
  EXPECT_GT(looping.ScrollPosition(), -50) << "it started again from the bottom";
}

TEST(AboutBoxTest, TheClockAtThirteenThirtySevenFortyTwo) {
  test::TScriptedDialogs dialogs;
  TAboutBox box(dialogs);
  box.Timer1Timer(QTime(13, 37, 42));
  const auto lit = [&](int row) {
    QStringList worths;
    for (QLabel* label : box.ClockLabels[row]) {
      if (label->palette().color(QPalette::Window) == QColor(192, 192, 192))
        worths << label->text();
    }
    return worths;
  };
  EXPECT_EQ(lit(0), (QStringList{"8", "4", "1"}));
  EXPECT_EQ(lit(1), (QStringList{"32", "4", "1"}));
  EXPECT_EQ(lit(2), (QStringList{"32", "8", "2"}));
  EXPECT_EQ(box.ClockLabels[0][0]->palette().color(QPalette::Window), QColor(0, 0, 128));
  EXPECT_TRUE(box.windowTitle().startsWith("About: ")) << box.windowTitle().toStdString();
  EXPECT_TRUE(box.windowTitle().contains("!       Actual time: "));
}

TEST(AboutBoxTest, TheDialogFillsTheBox) {
  test::TScriptedDialogs dialogs;
  TAboutBoxDlg ab(dialogs);
  ab.SetMovieSpeed(0);
  EXPECT_EQ(ab.MovieSpeed(), 50);
  ab.SetMovieSpeed(150);
  EXPECT_EQ(ab.MovieSpeed(), 50);
  ab.SetMovieSpeed(30);
  ab.SetProductName(QStringLiteral("Nubrix"));
  EXPECT_EQ(ab.ProductName(), QStringLiteral("about_window_tests")) << "reading gives the program";
  ab.Copyright = QStringLiteral("2026 us");
  const std::unique_ptr<TAboutBox> box = ab.Build();
  EXPECT_EQ(box->ProductName->text(), "Nubrix");
  EXPECT_EQ(box->Copyright->text(), "2026 us");
  EXPECT_EQ(box->VersNo->text(), TAboutBox::VersionText()) << "the bare numbers";
  EXPECT_EQ(box->Release->text(), QStringLiteral("0"));
  EXPECT_EQ(box->Build->text(), QStringLiteral("0"));
  EXPECT_FALSE(box->UseBackBMP) << "only the property switches the background picture on";
  box->show();
  EXPECT_TRUE(box->Image1->isVisible());
  box->hide();
  ab.UseBackBMP = true;
  ab.BackBMP = QImage(8, 8, QImage::Format_RGB32);
  const std::unique_ptr<TAboutBox> tiled = ab.Build();
  tiled->show();
  EXPECT_FALSE(tiled->Image1->isVisible()) << "the background takes the header's place";
  tiled->hide();
  EXPECT_EQ(box->windowTitle(), "About about_window_tests");
  auto* scroll = box->findChild<TMovieScroll*>();
  ASSERT_NE(scroll, nullptr) << "UseMovie is on by default";
  EXPECT_EQ(scroll->TimerInterval(), 30);
  EXPECT_EQ(scroll->ScrollText(), ab.AboutText);
  EXPECT_EQ(ab.AboutText.size(), 5);

  box->SpeedButton2Click();
  ASSERT_EQ(dialogs.Messages.size(), 1);
  EXPECT_TRUE(dialogs.Messages[0].startsWith("You are probably Running "));
  EXPECT_TRUE(dialogs.Messages[0].contains("\n\rFree Hard disk Space: \n\r/: "));

  box->ToolButton13Click();
  EXPECT_EQ(box->FlatPageControl1->currentIndex(), 1);
  EXPECT_EQ(box->FlatPageControl1->height(), 320);
  box->FormActivate();
  EXPECT_TRUE(box->WebBrowser1->toPlainText().contains("Nubrix lite")) << "our own page";
  box->ToolButton2Click();
  EXPECT_TRUE(box->WebBrowser1->toPlainText().contains("What is new"));
  EXPECT_TRUE(box->BTN_1_BACK->isEnabled());
  box->WebBrowser1->backward();
  EXPECT_TRUE(box->BTN_1_FORWARD->isEnabled());
  box->ToolButton12Click();
  EXPECT_EQ(box->FlatPageControl1->height(), 160);
}

TEST(AboutBoxTest, DraggedTextStaysInItsPanel) {
  test::TScriptedDialogs dialogs;
  TAboutBoxDlg ab(dialogs);
  ab.UseMovie = false;
  QStringList lines;
  for (int i = 0; i < 40; ++i) lines << QStringLiteral("line %1").arg(i);
  ab.AboutText = lines;
  const std::unique_ptr<TAboutBox> box = ab.Build();
  box->show();
  box->FormActivate();
  ASSERT_GT(box->Comments->height(), box->Panel1->height());
  box->setobj(-20);
  EXPECT_EQ(box->Comments->y(), -20);
  box->setobj(5);
  EXPECT_EQ(box->Comments->y(), -20) << "never below the panel's top";
  box->setobj(box->Panel1->height() - box->Comments->height() - 1);
  EXPECT_EQ(box->Comments->y(), -20) << "never above its end";
}

TEST(AboutBoxTest, TheWindowsAboutCommand) {
  test::TWindowFixture window;
  std::unique_ptr<TForm1> form = window.Start();
  QString product;
  bool movie = true;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    product = box->ProductName->text();
    movie = box->findChild<TMovieScroll*>() != nullptr;
    box->reject();
  });
  ASSERT_TRUE(form->Action("actAbout")->isEnabled());
  form->Action("actAbout")->trigger();
  EXPECT_EQ(product, "Nubrix");
  EXPECT_FALSE(movie) << "the main window's box drags its text";
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace nubrix::about
