#pragma once
// Top-level windows of other programs on the X11 display: found by exact
// title, asked to close, and sent this program's copy-data and user
// messages as ClientMessage events. The atoms and their layout are written
// down in the README for programs that want to receive them:
//
//   KURUTEN_COPYDATA       format 32: dwData, sender window, byte count
//                          (text + NUL), serial, 0
//   KURUTEN_COPYDATA_DATA  format 8: the next 20 bytes of the text
//   KURUTEN_COPYDATA_DONE  format 32, receiver to sender: serial, receiver
//                          window, 1
//   KURUTEN_USER_MESSAGE   format 32: message (WM_USER + n), wParam,
//                          lParam, sender window, 0
//
// The layer keeps a connection of its own (opened on first use from
// $DISPLAY), so it works whatever Qt draws its windows with. Without an X11
// display (a Wayland session without XWayland, no display at all) nothing
// is found and nothing is sent.
#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <memory>

class TXWindows
{
public:
    static constexpr quint32 WM_USER = 0x400;
    using TWindow = quint32; // 0: none

    TXWindows();
    ~TXWindows();
    TXWindows(const TXWindows&) = delete;
    TXWindows& operator=(const TXWindows&) = delete;

    // An X11 display could be opened.
    bool Available();

    // The top-most top-level window whose title is exactly title: a window
    // the window manager lists (minimised ones too), or without a window
    // manager a viewable child of the root. *count receives how many
    // windows carry that title.
    TWindow FindWindow(const QString& title, int* count = nullptr);

    // Asks the window to close as its close box would (_NET_CLOSE_WINDOW to
    // the window manager, else WM_DELETE_WINDOW to the window itself).
    bool CloseWindow(TWindow window);

    // Copy-data: the text goes to the window, then the call waits until the
    // receiver answers, at most timeoutMs. The program stays responsive
    // while it waits.
    enum class TSendResult { Handled, NoAnswer, Failed };
    TSendResult SendCopyData(TWindow window, quint32 dwData, const QByteArray& data, int timeoutMs);

    // A user message, posted: nothing waits for it.
    bool PostMessage(TWindow window, quint32 message, quint32 wParam = 0, quint32 lParam = 0);

    // The window of this program that receives the answers (the wParam of
    // the messages it sends).
    TWindow SenderWindow();

private:
    struct TImpl;
    std::unique_ptr<TImpl> F;
    bool Connect();
};
