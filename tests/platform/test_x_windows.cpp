// The X11 window layer against the receiving program, on a private Xvfb with
// jwm as window manager (and without one): windows found by exact title,
// copy-data and user messages as the README describes them, closing.
#include "link_receiver_test_util.h"
#include "env_test_util.h"
#include "x_display_test_util.h"
#include "x_windows_u.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

namespace {
TXDisplay* gDisplay = nullptr;
bool gHaveX = false;

class XWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!gHaveX) GTEST_SKIP() << "no X display could be started (Xvfb, jwm)";
        Out = Dir.filePath("receiver.txt");
    }
    QTemporaryDir Dir;
    QString Out;
    TXWindows X;
};
} // namespace

TEST_F(XWindows, FindsATopLevelWindowByItsExactTitle)
{
    TLinkReceiver r(Out, "顧客台帳 - 受付");
    ASSERT_TRUE(r.Start());
    int count = -1;
    EXPECT_NE(X.FindWindow("顧客台帳 - 受付", &count), 0u);
    EXPECT_EQ(count, 1);
    const struct
    {
        const char* Title;
    } misses[] = {{"顧客台帳"}, {"顧客台帳 - 受付 "}, {"顧客台帳 - 受付2"}, {""}};
    for (const auto& m : misses) EXPECT_EQ(X.FindWindow(QString::fromUtf8(m.Title)), 0u) << m.Title;
}

TEST_F(XWindows, ATitleSharedByTwoWindowsGivesOneOfThemEveryTime)
{
    TLinkReceiver first(Out, "同じ名前");
    ASSERT_TRUE(first.Start());
    TLinkReceiver second(Dir.filePath("second.txt"), "同じ名前");
    ASSERT_TRUE(second.Start());
    int count = 0;
    // The top-most in the window manager's stacking order.
    const TXWindows::TWindow top = X.FindWindow("同じ名前", &count);
    EXPECT_EQ(count, 2);
    ASSERT_NE(top, 0u);
    EXPECT_EQ(X.FindWindow("同じ名前"), top);
    EXPECT_EQ(X.SendCopyData(top, 1, "0312345678", 5000), TXWindows::TSendResult::Handled);
    EXPECT_TRUE(first.WaitForCount("COPYDATA", 1, 300) || second.WaitForCount("COPYDATA", 1, 300));
    EXPECT_EQ(first.Lines("COPYDATA").size() + second.Lines("COPYDATA").size(), 1);
}

TEST_F(XWindows, CopyDataArrivesWholeAndIsAnswered)
{
    TLinkReceiver r(Out, "受け手");
    ASSERT_TRUE(r.Start());
    const TXWindows::TWindow w = X.FindWindow("受け手");
    // Shorter and longer than one 20-byte event, Japanese, shell characters.
    const QString texts[] = {"0312345678", "", "0312345678901234567890123456789012345678", "東京都港区 03-1234",
                             "; rm -rf ~ `id` $(id)"};
    int n = 0;
    for (const QString& t : texts) {
        EXPECT_EQ(X.SendCopyData(w, 1, t.toUtf8(), 5000), TXWindows::TSendResult::Handled) << t.toStdString();
        ASSERT_TRUE(r.WaitForCount("COPYDATA", ++n));
        EXPECT_EQ(r.Lines("COPYDATA").last(), "1\t" + t);
    }
}

TEST_F(XWindows, AReceiverThatNeverAnswersEndsTheWaitAtItsBound)
{
    TLinkReceiver r(Out, "応答なし");
    ASSERT_TRUE(r.Start({"--no-answer"}));
    EXPECT_EQ(X.SendCopyData(X.FindWindow("応答なし"), 1, "0312345678", 300), TXWindows::TSendResult::NoAnswer);
    EXPECT_TRUE(r.WaitForCount("COPYDATA", 1)); // it did arrive
}

TEST_F(XWindows, UserMessagesArriveWithTheirNumberAndParameters)
{
    TLinkReceiver r(Out, "メッセージ");
    ASSERT_TRUE(r.Start());
    const TXWindows::TWindow w = X.FindWindow("メッセージ");
    EXPECT_TRUE(X.PostMessage(w, TXWindows::WM_USER + 10));
    EXPECT_TRUE(X.PostMessage(w, TXWindows::WM_USER + 1, 7, 9));
    ASSERT_TRUE(r.WaitForCount("MESSAGE", 2));
    EXPECT_EQ(r.Lines("MESSAGE"), QStringList({"1034\t0\t0", "1025\t7\t9"}));
}

TEST_F(XWindows, AWindowThatIsGoneTakesNothing)
{
    TLinkReceiver r(Out, "消える");
    ASSERT_TRUE(r.Start());
    const TXWindows::TWindow w = X.FindWindow("消える");
    r.Process.kill();
    r.WaitForExit();
    EXPECT_EQ(X.FindWindow("消える"), 0u);
    EXPECT_EQ(X.SendCopyData(w, 1, "0312345678", 1000), TXWindows::TSendResult::Failed);
    EXPECT_FALSE(X.PostMessage(w, TXWindows::WM_USER));
}

TEST_F(XWindows, CloseAsksTheWindowToCloseWithAndWithoutAWindowManager)
{
    for (const bool wm : {true, false}) {
        SCOPED_TRACE(wm ? "jwm" : "no window manager");
        if (!wm) gDisplay->StopWindowManager();
        TLinkReceiver r(Dir.filePath(wm ? "wm.txt" : "nowm.txt"), "閉じる相手");
        ASSERT_TRUE(r.Start());
        TXWindows x; // looks at the display as it is now
        EXPECT_TRUE(x.CloseWindow(x.FindWindow("閉じる相手")));
        EXPECT_TRUE(r.WaitForCount("CLOSED", 1));
        EXPECT_TRUE(r.WaitForExit());
    }
    ASSERT_TRUE(gDisplay->StartWindowManager());
}

TEST(XWindowsWithoutDisplay, FindsNothingAndSendsNothing)
{
    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    {
        TXWindows x;
        EXPECT_FALSE(x.Available());
        EXPECT_EQ(x.FindWindow("くるてん３"), 0u);
        EXPECT_EQ(x.SendCopyData(1, 1, "0312345678", 100), TXWindows::TSendResult::Failed);
        EXPECT_FALSE(x.PostMessage(1, TXWindows::WM_USER));
        EXPECT_FALSE(x.CloseWindow(1));
    }
    if (!display.isEmpty()) qputenv("DISPLAY", display);
}

int main(int argc, char** argv)
{
    return RunTestsOnPrivateDisplay(argc, argv, gHaveX, "offscreen", &gDisplay);
}
