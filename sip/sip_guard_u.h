#pragma once
// What reaches the SIP stack from the network. The stack (libbellesip 5.1)
// keeps a parser state per sender on its UDP socket and crashes on some
// malformed input: a message its parser reads only in part (a header-less
// "SIP/2.0 200 OK", a line that is not a header) leaves a freed message in
// that state, and the sender's next datagram that starts no message frees
// it again; a multipart body without a boundary is read through a null
// pointer. Anyone who can send a datagram to the SIP port could stop the
// phone, so every datagram is read here first, on the thread that runs the
// stack and right before it does, and one the stack must not see is dropped.
#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

// Why the stack must not read this datagram; empty when it may. A datagram
// of line breaks only (a keep-alive or its answer) gives "keep-alive".
QString SipDatagramFault(const QByteArray& datagram);

// What a TCP connection has waiting, read as the stack would read it:
// Ready when it is whole messages (each as acceptable as a datagram) and
// keep-alive line breaks, Incomplete while the last message is still
// arriving, Bad (fault says why) otherwise.
enum class TSipStream { Ready, Incomplete, Bad };
TSipStream SipStreamState(const QByteArray& pending, QString* fault = nullptr);

class TSipInputGuard
{
public:
    // The stack's UDP sockets and TCP connections (their descriptors stay
    // the stack's).
    void Watch(std::vector<int> fds) { FFds = std::move(fds); }
    void WatchStreams(std::vector<int> fds);
    void Clear();

    // Drops unacceptable datagrams at the head of every watched UDP socket,
    // so the stack's next read takes an acceptable one or finds none (it
    // reads one datagram per socket and step, and the step follows at
    // once). A TCP connection whose waiting bytes are not Ready is ended
    // (all it has waiting is read away and the socket shut down; the stack
    // then sees it close), or, while a message is still arriving, Hold()
    // asks the step to wait: the stack would read the part and then the
    // rest unseen.
    int Sweep();
    bool Hold() const { return FHold; }
    static constexpr int kStreamWaitMs = 500; // for the rest of a message

    // One line per dropped datagram (keep-alives are dropped quietly),
    // at most kLinesPerMinute a minute; the rest are counted in the next line.
    std::function<void(const QString&)> OnDrop;
    static constexpr int kLinesPerMinute = 20;
    int Dropped() const { return FDropped; }

private:
    void Report(const QString& from, const QString& fault, const QByteArray& head);

    bool SweepStream(int fd, qint64 now);

    std::vector<int> FFds;
    std::vector<int> FStreams;
    std::vector<qint64> FIncompleteSince; // per stream, 0: none
    bool FHold = false;
    QByteArray FBuffer;
    int FDropped = 0;
    qint64 FMinuteStart = 0;
    int FLinesThisMinute = 0;
    int FUnreported = 0;
};
