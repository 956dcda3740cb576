// Resident mode on a real X display with a notification area: this test
// binary starts its own Xvfb and jwm (the tray host) before the application.
#include "main_fixture.h"
#include "x_display.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QThread>

namespace {
bool gHaveX = false;

QWidget* VisibleBalloon()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qstrcmp(w->metaObject()->className(), "QBalloonTip") == 0 && w->isVisible()) return w;
    return nullptr;
}
} // namespace

TEST(Tray, HiddenCopyShowsABalloonAndOpensFromItsIcon)
{
    if (!gHaveX) GTEST_SKIP() << "no X display could be started (Xvfb, jwm)";
    QElapsedTimer t;
    t.start();
    while (!QSystemTrayIcon::isSystemTrayAvailable() && t.elapsed() < 10000) {
        QCoreApplication::processEvents();
        QThread::msleep(50);
    }
    ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());

    TMainFixture f("[BASIC]\nJOUCHU=1\nJOUCHU_KIDOU=1\nSHOW_BALLOON=1\n");
    ASSERT_TRUE(f.frm->FormCreate());
    ASSERT_TRUE(f.frm->IconPresent());
    EXPECT_FALSE(f.frm->isVisible());

    f.frm->TelReceiveProc("0312345678", "", 1, "");
    ASSERT_TRUE(f.WaitFor([] { return VisibleBalloon() != nullptr; }, 5000));
    QStringList texts;
    for (QLabel* l : VisibleBalloon()->findChildren<QLabel*>()) texts << l->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("着信"))) << texts.join('|').toStdString();
    EXPECT_TRUE(texts.join('|').contains(QStringLiteral("0312345678 発信者不明"))) << texts.join('|').toStdString();
    EXPECT_FALSE(f.frm->isVisible()); // the window stays in the notification area

    // A double click on the icon opens the window.
    auto* icon = f.frm->findChild<QSystemTrayIcon*>("TrayIcon");
    ASSERT_NE(icon, nullptr);
    emit icon->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(f.frm->isVisible());
    f.frm->LeaveResident();
    EXPECT_FALSE(f.frm->IconPresent());
}

int main(int argc, char** argv)
{
    return RunTestsOnPrivateDisplay(argc, argv, gHaveX, "xcb");
}
