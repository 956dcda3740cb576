#include "sip_guard_u.h"

#include <belle-sip/belle-sip.h>

#include <QDateTime>
#include <QHash>
#include <QHostAddress>
#include <QRegularExpression>

#include <algorithm>
#include <cctype>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace {

constexpr int kMaxDatagram = 65535;
// Enough for a burst; whatever is left is looked at before the next step.
constexpr int kMaxDropsPerSocket = 256;
const QString kKeepAlive = QStringLiteral("keep-alive");

bool TokenChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           QByteArrayView("-.!%*_+`'~").contains(c);
}

bool Token(QByteArrayView s)
{
    if (s.isEmpty()) return false;
    for (char c : s)
        if (!TokenChar(c)) return false;
    return true;
}

// Header names in lower case, compact forms spelled out.
QByteArray HeaderName(QByteArray name)
{
    static const QHash<QByteArray, QByteArray> compact = {
        {"i", "call-id"},        {"m", "contact"},      {"e", "content-encoding"}, {"l", "content-length"},
        {"c", "content-type"},   {"f", "from"},         {"t", "to"},               {"v", "via"},
        {"k", "supported"},      {"s", "subject"},      {"o", "event"},            {"r", "refer-to"},
        {"b", "referred-by"},    {"x", "session-expires"}, {"u", "allow-events"},
    };
    name = name.toLower();
    return compact.value(name, name);
}

// The stack's own parser: the message must come out whole. A message it
// reads only in part is what corrupts its state.
QString StackParseFault(const QByteArray& head)
{
    belle_sip_object_pool_t* pool = belle_sip_object_pool_push();
    size_t read = 0;
    belle_sip_message_t* message = belle_sip_message_parse_raw(head.constData(), head.size(), &read);
    QString fault;
    if (!message) fault = QStringLiteral("not a SIP message");
    else if (read != static_cast<size_t>(head.size())) fault = QStringLiteral("headers read in part");
    belle_sip_object_unref(pool); // frees the parsed message
    return fault;
}

QString Printable(QByteArrayView bytes)
{
    QString text;
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u == '\r') text += QStringLiteral("\\r");
        else if (u == '\n') text += QStringLiteral("\\n");
        else if (u < 0x20 || u >= 0x7f) text += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else text += QLatin1Char(c);
    }
    return text;
}

QString AddressText(const sockaddr_storage& a)
{
    QHostAddress host(reinterpret_cast<const sockaddr*>(&a));
    int port = 0;
    if (a.ss_family == AF_INET) port = ntohs(reinterpret_cast<const sockaddr_in*>(&a)->sin_port);
    else if (a.ss_family == AF_INET6) port = ntohs(reinterpret_cast<const sockaddr_in6*>(&a)->sin6_port);
    return QStringLiteral("%1:%2").arg(host.toString()).arg(port);
}

} // namespace

QString SipDatagramFault(const QByteArray& datagram)
{
    if (datagram.isEmpty()) return QStringLiteral("empty");
    if (datagram.size() > kMaxDatagram) return QStringLiteral("too large");
    if (datagram.count('\r') + datagram.count('\n') == datagram.size()) return kKeepAlive;

    const qsizetype end = datagram.indexOf("\r\n\r\n");
    if (end < 0) return QStringLiteral("no end of headers");
    const QByteArray head = datagram.left(end + 4);
    const qsizetype bodySize = datagram.size() - head.size();
    for (qsizetype i = 0; i < end + 2; ++i) {
        const auto c = static_cast<unsigned char>(head[i]);
        if (c == '\r') {
            if (head[i + 1] != '\n') return QStringLiteral("bare CR");
        } else if (c == '\n') {
            if (i == 0 || head[i - 1] != '\r') return QStringLiteral("bare LF");
        } else if ((c < 0x20 && c != '\t') || c == 0x7f) {
            return QStringLiteral("control character");
        }
    }

    // Lines of the header part (every line break is CR LF, checked above).
    QList<QByteArray> lines;
    for (qsizetype from = 0; from <= end;) {
        const qsizetype to = head.indexOf("\r\n", from);
        lines.append(head.sliced(from, to - from));
        from = to + 2;
    }
    const QByteArray& start = lines[0];
    QByteArray method;
    if (start.startsWith("SIP/2.0 ")) {
        static const QRegularExpression status(QStringLiteral("^SIP/2\\.0 [1-6][0-9][0-9]( [^\\x00-\\x1f]*)?$"));
        if (!status.match(QString::fromLatin1(start)).hasMatch()) return QStringLiteral("bad status line");
    } else {
        const QList<QByteArray> parts = start.split(' ');
        if (parts.size() != 3 || !Token(parts[0]) || parts[2] != "SIP/2.0") return QStringLiteral("bad request line");
        static const QRegularExpression uri(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:[\\x21-\\x7e]+$"));
        if (!uri.match(QString::fromLatin1(parts[1])).hasMatch()) return QStringLiteral("bad request URI");
        method = parts[0];
    }

    QHash<QByteArray, QList<QByteArray>> headers;
    QByteArray current;
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray& l = lines[i];
        if (l.startsWith(' ') || l.startsWith('\t')) {
            if (current.isEmpty()) return QStringLiteral("continuation without header");
            headers[current].last() += ' ' + l.trimmed();
            continue;
        }
        const qsizetype colon = l.indexOf(':');
        if (colon <= 0) return QStringLiteral("line without header name");
        const QByteArray name = l.left(colon).trimmed();
        if (!Token(name)) return QStringLiteral("bad header name");
        current = HeaderName(name);
        headers[current].append(l.mid(colon + 1).trimmed());
    }

    if (headers.value("via").isEmpty()) return QStringLiteral("no Via");
    for (const char* name : {"from", "to", "call-id", "cseq"})
        if (headers.value(name).size() != 1) return QStringLiteral("not one %1 header").arg(QLatin1String(name));
    static const QRegularExpression cseq(QStringLiteral("^([0-9]{1,10}) +([!%*+.0-9A-Z_`a-z'~-]+)$"));
    const auto seq = cseq.match(QString::fromLatin1(headers.value("cseq").first()));
    if (!seq.hasMatch() || seq.captured(1).toLongLong() > 0x7fffffff) return QStringLiteral("bad CSeq");
    if (!method.isEmpty() && seq.captured(2).toLatin1() != method) return QStringLiteral("CSeq of another method");

    // The body must be exactly what Content-Length says: the stack reads a
    // datagram as part of a stream and would wait for the rest, or take
    // what follows as the next message.
    const QList<QByteArray> length = headers.value("content-length");
    if (length.size() > 1) return QStringLiteral("more than one Content-Length");
    if (length.isEmpty()) {
        if (bodySize != 0) return QStringLiteral("body without Content-Length");
    } else {
        bool ok = false;
        const int n = length.first().size() <= 5 ? length.first().toInt(&ok) : -1;
        if (!ok || n < 0 || !std::all_of(length.first().begin(), length.first().end(), ::isdigit))
            return QStringLiteral("bad Content-Length");
        if (n != bodySize) return QStringLiteral("Content-Length does not match the body");
    }
    // Bodies this phone never needs and the stack's readers of which crash.
    const QList<QByteArray> type = headers.value("content-type");
    if (type.size() > 1) return QStringLiteral("more than one Content-Type");
    if (!type.isEmpty() && type.first().trimmed().toLower().startsWith("multipart"))
        return QStringLiteral("multipart body");
    if (headers.contains("content-encoding") || headers.contains("transfer-encoding"))
        return QStringLiteral("encoded body");

    // The header lines passed the checks above, which the stack's parser
    // accepts line by line; its grammar is asked about the first line only
    // (a whole message costs it half a millisecond, and the stack parses
    // it again).
    return StackParseFault(lines[0] + "\r\nX-Kuruten: 1\r\n\r\n");
}

TSipStream SipStreamState(const QByteArray& pending, QString* fault)
{
    auto bad = [fault](const QString& why) {
        if (fault) *fault = why;
        return TSipStream::Bad;
    };
    // The stack reads up to its buffer's size at once; more is an abuse.
    if (pending.size() > kMaxDatagram - 1) return bad(QStringLiteral("too much at once"));
    static const QRegularExpression length(
        QStringLiteral("^(?:content-length|l)[ \t]*:[ \t]*([0-9]{1,5})[ \t]*\r$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
    qsizetype pos = 0;
    while (pos < pending.size()) {
        if (pending[pos] == '\r' || pending[pos] == '\n') {
            ++pos; // keep-alive and its answer
            continue;
        }
        const qsizetype end = pending.indexOf("\r\n\r\n", pos);
        if (end < 0)
            return pending.size() - pos > 16384 ? bad(QStringLiteral("headers too long")) : TSipStream::Incomplete;
        const QByteArray head = pending.mid(pos, end + 4 - pos);
        const auto m = length.match(QString::fromLatin1(head));
        const qsizetype size = head.size() + (m.hasMatch() ? m.captured(1).toInt() : 0);
        if (pos + size > pending.size()) return TSipStream::Incomplete;
        const QString why = SipDatagramFault(pending.mid(pos, size));
        if (!why.isEmpty()) return bad(why);
        pos += size;
    }
    return TSipStream::Ready;
}

void TSipInputGuard::WatchStreams(std::vector<int> fds)
{
    // A connection still waiting for the rest of a message keeps its clock.
    std::vector<qint64> since(fds.size(), 0);
    for (size_t i = 0; i < fds.size(); ++i)
        for (size_t j = 0; j < FStreams.size(); ++j)
            if (FStreams[j] == fds[i]) since[i] = FIncompleteSince[j];
    FStreams = std::move(fds);
    FIncompleteSince = std::move(since);
}

void TSipInputGuard::Clear()
{
    FFds.clear();
    FStreams.clear();
    FIncompleteSince.clear();
    FHold = false;
}

// True while the connection's last message is still arriving.
bool TSipInputGuard::SweepStream(int fd, qint64 now)
{
    const size_t index = static_cast<size_t>(std::find(FStreams.begin(), FStreams.end(), fd) - FStreams.begin());
    qint64& since = FIncompleteSince[index];
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0 || (p.revents & (POLLERR | POLLHUP)) || !(p.revents & POLLIN)) {
        since = 0;
        return false;
    }
    const ssize_t n = ::recv(fd, FBuffer.data(), FBuffer.size(), MSG_PEEK | MSG_DONTWAIT);
    if (n <= 0) { // the peer closed, or an error: the stack's to see
        since = 0;
        return false;
    }
    const QByteArray pending(FBuffer.constData(), static_cast<qsizetype>(n));
    QString fault;
    TSipStream state = SipStreamState(pending, &fault);
    if (state == TSipStream::Incomplete) {
        if (since == 0) since = now;
        if (now - since <= kStreamWaitMs) return true;
        state = TSipStream::Bad;
        fault = QStringLiteral("message not completed");
    }
    since = 0;
    if (state == TSipStream::Ready) return false;
    // Nothing of it reaches the stack: it finds the connection closed.
    while (::recv(fd, FBuffer.data(), FBuffer.size(), MSG_DONTWAIT) > 0) {
    }
    ::shutdown(fd, SHUT_RDWR);
    ++FDropped;
    sockaddr_storage peer{};
    socklen_t len = sizeof peer;
    ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &len);
    Report(QStringLiteral("tcp:") + AddressText(peer), fault, pending.left(60));
    return false;
}

int TSipInputGuard::Sweep()
{
    if (FFds.empty() && FStreams.empty()) return 0;
    if (FBuffer.size() != kMaxDatagram + 1) FBuffer.resize(kMaxDatagram + 1);
    int dropped = FDropped;
    FHold = false;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (int fd : FStreams)
        if (SweepStream(fd, now)) FHold = true;
    for (int fd : FFds) {
        for (int i = 0; i < kMaxDropsPerSocket; ++i) {
            // A pending error (an ICMP "port unreachable" from the proxy) is
            // the stack's to read: reading anything now would clear it.
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 0) <= 0 || (p.revents & POLLERR) || !(p.revents & POLLIN)) break;
            sockaddr_storage from{};
            socklen_t fromLen = sizeof from;
            // MSG_TRUNC: the datagram's real length, even past the buffer.
            const ssize_t n = ::recvfrom(fd, FBuffer.data(), FBuffer.size(), MSG_PEEK | MSG_DONTWAIT | MSG_TRUNC,
                                         reinterpret_cast<sockaddr*>(&from), &fromLen);
            if (n < 0) break; // nothing waiting, or an error the stack handles itself
            const QString fault = n > kMaxDatagram
                                      ? QStringLiteral("too large")
                                      : SipDatagramFault(QByteArray(FBuffer.constData(), static_cast<qsizetype>(n)));
            if (fault.isEmpty()) break;
            char one;
            ::recv(fd, &one, 1, MSG_DONTWAIT); // reading any part takes the whole datagram
            ++FDropped;
            if (fault != kKeepAlive)
                Report(AddressText(from), fault, QByteArray(FBuffer.constData(), std::min<qsizetype>(n, 60)));
        }
    }
    return FDropped - dropped;
}

void TSipInputGuard::Report(const QString& from, const QString& fault, const QByteArray& head)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - FMinuteStart >= 60000) {
        FMinuteStart = now;
        FLinesThisMinute = 0;
    }
    if (FLinesThisMinute >= kLinesPerMinute) {
        ++FUnreported;
        return;
    }
    ++FLinesThisMinute;
    QString line = QStringLiteral("SIPメッセージを破棄しました: %1 送信元=%2 先頭=%3").arg(fault, from, Printable(head));
    if (FUnreported > 0) line += QStringLiteral(" (ほかに %1 件を記録せずに破棄)").arg(FUnreported);
    FUnreported = 0;
    if (OnDrop) OnDrop(line);
}
