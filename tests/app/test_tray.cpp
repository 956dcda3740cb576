// Resident mode on a real X display with a notification area: this test
// binary starts its own Xvfb and jwm (the tray host) before the application.
// Window titles and the window manager's close are checked there as well.
#include "main_fixture.h"
#include "x_display_test_util.h"
#include "program_fixture.h"
#include "softphone_u.h"
#include "vaxsip_agent_u.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QSystemTrayIcon>
#include <QPushButton>
#include <QThread>
#include <QWindow>
#include <xcb/xcb.h>

namespace {
bool gHaveX = false;

// The display as another X client (a pager, a panel) sees it.
class TXClient
{
public:
    TXClient() : FC(xcb_connect(nullptr, nullptr)) {}
    ~TXClient() { xcb_disconnect(FC); }
    bool Ok() const { return FC && !xcb_connection_has_error(FC); }

    xcb_atom_t Atom(const char* name)
    {
        xcb_intern_atom_reply_t* r =
            xcb_intern_atom_reply(FC, xcb_intern_atom(FC, 0, uint16_t(qstrlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(r);
        return a;
    }
    xcb_window_t Root() { return xcb_setup_roots_iterator(xcb_get_setup(FC)).data->root; }

    // Asks the window manager to close the window, as a taskbar's close does.
    void RequestClose(xcb_window_t w)
    {
        xcb_client_message_event_t ev = {};
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 32;
        ev.window = w;
        ev.type = Atom("_NET_CLOSE_WINDOW");
        ev.data.data32[0] = XCB_CURRENT_TIME;
        ev.data.data32[1] = 2; // from a pager
        xcb_send_event(FC, 0, Root(), XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&ev));
        xcb_flush(FC);
    }

    // Titles of the managed windows, as the window manager shows them.
    QStringList Titles()
    {
        QStringList titles;
        const QByteArray list = Property(Root(), Atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
        const auto* ids = reinterpret_cast<const xcb_window_t*>(list.constData());
        for (qsizetype i = 0; i < list.size() / qsizetype(sizeof(xcb_window_t)); ++i)
            titles << QString::fromUtf8(Property(ids[i], Atom("_NET_WM_NAME"), Atom("UTF8_STRING")));
        return titles;
    }

private:
    QByteArray Property(xcb_window_t w, xcb_atom_t property, xcb_atom_t type)
    {
        xcb_get_property_reply_t* r =
            xcb_get_property_reply(FC, xcb_get_property(FC, 0, w, property, type, 0, 65536), nullptr);
        QByteArray bytes;
        if (r) bytes = QByteArray(static_cast<const char*>(xcb_get_property_value(r)), xcb_get_property_value_length(r));
        free(r);
        return bytes;
    }
    xcb_connection_t* FC;
};

bool WaitForTray()
{
    QElapsedTimer t;
    t.start();
    while (!QSystemTrayIcon::isSystemTrayAvailable() && t.elapsed() < 10000) {
        QCoreApplication::processEvents();
        QThread::msleep(50);
    }
    return QSystemTrayIcon::isSystemTrayAvailable();
}

QImage IconImage(const QIcon& icon)
{
    return icon.pixmap(32, 32).toImage();
}

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
    ASSERT_TRUE(WaitForTray());

    TMainFixture f("[BASIC]\nJOUCHU=1\nJOUCHU_KIDOU=1\nSHOW_BALLOON=1\n");
    ASSERT_TRUE(f.frm->FormCreate());
    ASSERT_TRUE(f.frm->IconPresent());
    f.frm->ShowAtStart();
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

TEST(Tray, CloseButtonAndWindowManagerCloseHideToTheIcon)
{
    if (!gHaveX) GTEST_SKIP() << "no X display could be started (Xvfb, jwm)";
    ASSERT_TRUE(WaitForTray());
    TMainFixture f("[BASIC]\nJOUCHU=1\n");
    ASSERT_TRUE(f.frm->FormCreate());
    ASSERT_TRUE(f.frm->IconPresent());
    f.frm->show();
    ASSERT_TRUE(f.WaitFor([&] { return f.frm->windowHandle() && f.frm->windowHandle()->isExposed(); }, 5000));

    // The close button hides the window; the icon's "開く(&O)" brings it back.
    f.Find<QPushButton>("btnClose")->click();
    EXPECT_FALSE(f.frm->isVisible());
    f.frm->Open1Click();
    ASSERT_TRUE(f.WaitFor([&] { return f.frm->windowHandle()->isExposed(); }, 5000));

    // Alt+F4, the taskbar's close: the window manager asks the window to close.
    TXClient x;
    ASSERT_TRUE(x.Ok());
    x.RequestClose(xcb_window_t(f.frm->winId()));
    ASSERT_TRUE(f.WaitFor([&] { return !f.frm->isVisible(); }, 5000));
    EXPECT_EQ(f.LogText().count("TfrmMain.btnCloseClick 常駐"), 2);
    EXPECT_FALSE(f.LogText().contains("TfrmMain.FormClose")); // the program goes on
    EXPECT_TRUE(f.frm->IconPresent());
    f.frm->LeaveResident();
}

TEST(Tray, IconAndTipFollowTheRegistration)
{
    if (!gHaveX) GTEST_SKIP() << "no X display could be started (Xvfb, jwm)";
    ASSERT_TRUE(WaitForTray());
    TMainFixture f("[BASIC]\nJOUCHU=1\n");
    ASSERT_TRUE(f.frm->FormCreate());
    auto* icon = f.frm->findChild<QSystemTrayIcon*>("TrayIcon");
    ASSERT_NE(icon, nullptr);
    const QImage unregistered = IconImage(icon->icon());
    EXPECT_EQ(icon->toolTip(), QStringLiteral("くるてん３（未登録）"));

    emit f.frm->Phone()->RegisteredIcon(7);
    EXPECT_EQ(icon->toolTip(), QStringLiteral("くるてん３"));
    EXPECT_NE(IconImage(icon->icon()), unregistered);
    EXPECT_EQ(IconImage(icon->icon()), IconImage(f.frm->windowIcon()));

    emit f.frm->Phone()->gVaxObjects[0]->OnFailToRegisterEx(408, QStringLiteral("Request Timeout"));
    EXPECT_EQ(icon->toolTip(), QStringLiteral("くるてん３（未登録）"));
    EXPECT_EQ(IconImage(icon->icon()), unregistered);
    f.frm->LeaveResident();
}

TEST(XWindows, TitlesAreTheCaptionsAlone)
{
    if (!gHaveX) GTEST_SKIP() << "no X display could be started (Xvfb, jwm)";
    // The real program, answering Yes: at its first show it opens "通信設定".
    ProgramTest::TSession s;
    s.Extra["QT_QPA_PLATFORM"] = "xcb";
    s.Extra["DISPLAY"] = qEnvironmentVariable("DISPLAY");
    s.Extra["KURUTEN_MSG_ANSWER"] = "yes";
    auto p = s.Start();
    TXClient x;
    ASSERT_TRUE(x.Ok());
    // The main window maps once that dialog is closed.
    const bool shown = ProgramTest::TSession::WaitUntil(
        [&] { return !x.Titles().filter(QRegularExpression(QStringLiteral("^通信設定"))).isEmpty(); }, 60000);
    const QStringList titles = x.Titles();
    EXPECT_TRUE(shown) << titles.join('|').toStdString();
    EXPECT_TRUE(titles.contains(QStringLiteral("通信設定"))) << titles.join('|').toStdString();
    ProgramTest::Stop(*p);
}

TEST(XWindows, WithANotificationAreaASecondStartLeavesTheWindowAlone)
{
    if (!gHaveX) GTEST_SKIP() << "no X display could be started (Xvfb, jwm)";
    ProgramTest::TSession s(TestEnv::LoopbackUdpIni() + "[BASIC]\nJOUCHU=1\nJOUCHU_KIDOU=1\n");
    s.Extra["QT_QPA_PLATFORM"] = "xcb";
    s.Extra["DISPLAY"] = qEnvironmentVariable("DISPLAY");
    auto p = s.Start();
    ASSERT_TRUE(s.WaitForMessage(QStringLiteral("通信のための設定されていません"), 60000));
    EXPECT_EQ(s.Run({}), 1);
    EXPECT_TRUE(s.Messages().contains(QStringLiteral("warning\tくるてんはすでに実行しています。")));
    // The running copy took the request and, having its icon, stayed hidden.
    EXPECT_TRUE(s.WaitForLog("TfrmMain.OnDemoActivate"));
    EXPECT_FALSE(s.LogText().contains("TfrmMain.Open1Click end"));
    ProgramTest::Stop(*p);
}

int main(int argc, char** argv)
{
    return RunTestsOnPrivateDisplay(argc, argv, gHaveX, "xcb");
}
