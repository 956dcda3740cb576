#include "vaxsip_agent_u.h"

#include "log_u.h"
#include "sip_guard_u.h"
#include "sip_uri_u.h"
#include "stack_log_u.h"

#include <linphone++/linphone.hh>
#include <linphone/core.h>

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QDirIterator>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <cmath>
#include <deque>
#include <functional>
#include <map>
#include <vector>

namespace {

enum TVaxError {
    errNotOnline = 10,
    errPortTaken = 11,
    errTaskWindow = 13,
    errInvalidUri = 22,
    errCodec = 23,
    errConnection = 25,
    errRegister = 26,
    errUnRegister = 27,
    errDisconnect = 28,
    errLineNo = 29,
    errLineBusy = 30,
    errLineNotOpen = 31,
    errCallId = 32,
    errValue = 33,
    errNotInVoice = 34,
};

// Debian's bundle of the system's trusted certificates (ca-certificates).
constexpr const char* kSystemCaFile = "/etc/ssl/certs/ca-certificates.crt";

std::string S(const QString& s) { return s.toStdString(); }
QString Q(const std::string& s) { return QString::fromStdString(s); }

sockaddr_in Ipv4(const QString& ip, int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    if (ip.isEmpty() || ::inet_pton(AF_INET, ip.toLatin1().constData(), &a.sin_addr) != 1)
        a.sin_addr.s_addr = htonl(INADDR_ANY);
    return a;
}

// A plain bind without SO_REUSEADDR: the stack itself binds with it and would
// never notice that another program holds the port.
bool PortFree(const QString& ip, int port, int type = SOCK_DGRAM)
{
    const int fd = ::socket(AF_INET, type, 0);
    if (fd < 0) return false;
    const sockaddr_in a = Ipv4(ip, port);
    const bool ok = ::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

// RTP ports are bound by the stack only while a call runs (and, for STUN,
// with a plain bind of its own), so a socket cannot hold them. Every copy
// of the program on this PC (several users on a terminal server) takes a
// lock per port pair for its engine's life instead, in a folder all users
// share. -1: another copy holds the pair; -2: no lock to be had here (the
// folder is not usable), which does not stop the line from opening.
int LockRtpPair(int port)
{
    const QByteArray dir = QDir::tempPath().toLocal8Bit() + "/kuruten3-rtp";
    if (::mkdir(dir.constData(), 01777) == 0) ::chmod(dir.constData(), 01777);
    const QByteArray path = dir + "/" + QByteArray::number(port) + ".lock";
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC); // another user's file
    if (fd < 0) return -2;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return errno == EWOULDBLOCK ? -1 : -2;
    }
    return fd;
}

int PortOf(const sockaddr_storage& a)
{
    if (a.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in*>(&a)->sin_port);
    if (a.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6*>(&a)->sin6_port);
    return -1;
}

// Descriptors of this process's sockets of one type bound to localPort or
// connected to remotePort: the stack's SIP sockets, watched so that a request
// is handled the moment it arrives (and read first). listening, when given,
// receives the listening TCP sockets among them.
std::vector<int> SocketsOnPort(int type, int localPort, int remotePort = -1, std::vector<int>* listening = nullptr)
{
    std::vector<int> fds;
    QDirIterator it(QStringLiteral("/proc/self/fd"), QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System);
    while (it.hasNext()) {
        it.next();
        bool ok = false;
        const int fd = it.fileName().toInt(&ok);
        if (!ok || !it.fileInfo().symLinkTarget().contains(QLatin1String("socket:"))) continue;
        int t = 0;
        socklen_t len = sizeof t;
        if (::getsockopt(fd, SOL_SOCKET, SO_TYPE, &t, &len) != 0 || t != type) continue;
        sockaddr_storage a{};
        socklen_t alen = sizeof a;
        if (::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &alen) != 0) continue;
        if (PortOf(a) == localPort) {
            fds.push_back(fd);
            int accepting = 0;
            len = sizeof accepting;
            if (listening && ::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &accepting, &len) == 0 && accepting)
                listening->push_back(fd);
            continue;
        }
        alen = sizeof a;
        if (remotePort > 0 && ::getpeername(fd, reinterpret_cast<sockaddr*>(&a), &alen) == 0 && PortOf(a) == remotePort)
            fds.push_back(fd);
    }
    return fds;
}

ino_t InodeOf(int fd)
{
    struct stat st{};
    return ::fstat(fd, &st) == 0 ? st.st_ino : 0;
}

// Volume 0..250 as a gain: 200 is unity, 0 is as good as silent.
float VolumeToDb(int volume)
{
    if (volume <= 0) return -60.0f;
    return static_cast<float>(20.0 * std::log10(volume / 200.0));
}

// Levels come in dBm0 (-120 silence .. 0 full scale).
int DbToLevel(float db)
{
    if (!std::isfinite(db)) return 0;
    const int v = static_cast<int>((db + 90.0f) * 100.0f / 90.0f);
    return std::clamp(v, 0, 100);
}

struct TCodecName
{
    const char* Mime;
    int Rate;
};
// Codec numbers of the account; 4 has no caption and stands for G.722.
const TCodecName kCodecs[5] = {{"GSM", 8000}, {"iLBC", 8000}, {"PCMA", 8000}, {"PCMU", 8000}, {"G722", 8000}};

} // namespace

struct TVaxSIPUserAgentOCX::TImpl
{
    struct TCallInfo
    {
        std::shared_ptr<linphone::Call> Call;
        QString CallId;
        bool Incoming = false;
        bool Taken = false;     // accepted or rejected by us
        bool Connected = false;
        bool Reported = false;  // its end was reported already
        int Line = -1;
    };

    class TListener : public linphone::CoreListener
    {
    public:
        explicit TListener(TImpl* impl) : Impl(impl) {}
        void onCallStateChanged(const std::shared_ptr<linphone::Core>&, const std::shared_ptr<linphone::Call>& call,
                                linphone::Call::State state, const std::string& message) override
        {
            if (Impl) Impl->CallState(call, state, message);
        }
        void onAccountRegistrationStateChanged(const std::shared_ptr<linphone::Core>&,
                                               const std::shared_ptr<linphone::Account>& account,
                                               linphone::RegistrationState state, const std::string& message) override
        {
            if (Impl) Impl->RegistrationState(account, state, message);
        }
        void onDtmfReceived(const std::shared_ptr<linphone::Core>&, const std::shared_ptr<linphone::Call>& call,
                            int dtmf) override
        {
            if (Impl) Impl->Dtmf(call, dtmf);
        }
        TImpl* Impl;
    };

    TVaxSIPUserAgentOCX* Q_ = nullptr;
    TVaxAgentOptions Options;
    std::shared_ptr<linphone::Core> Core;
    std::shared_ptr<TListener> Listener;
    std::shared_ptr<linphone::Account> Account;
    // The stack runs on a slow timer for its own timers; a datagram on its
    // SIP socket wakes it at once, and it then runs fast for a short while
    // (one request takes several steps). Idle costs next to nothing.
    QTimer Iterate;
    std::vector<std::unique_ptr<QSocketNotifier>> Watches;
    std::vector<ino_t> WatchedInodes;
    std::vector<int> Listening; // the TCP or TLS listening sockets among them
    qint64 FastUntil = 0;
    qint64 NextSocketScan = 0;
    static constexpr int kSlowMs = 50;
    static constexpr int kFastMs = 1;
    static constexpr int kCallMs = 5; // while a call exists
    static constexpr int kFastForMs = 200;
    static constexpr int kScanEveryMs = 1000; // TCP and TLS connections come and go
    static constexpr int kScanBusyMs = 20;
    std::deque<std::function<void()>> Events;
    bool Dispatching = false;
    TSipInputGuard Guard;

    // Account given at initialisation.
    QString UserName, LoginId, Password, DisplayName, Domain, Proxy, OutProxy, ListenIp;
    TSipServer Route; // where every request of the account goes
    bool BindToListenIp = false;
    int SipPort = 0;
    int TotalLines = 0;
    std::map<int, int> LinePorts; // line -> RTP port
    std::vector<int> RtpHolds;    // locks of the RTP port pairs (see LockRtpPair)
    bool EverRegistered = false;
    bool Unregistering = false;
    // NAT: STUN server ("host[:port]", empty: none) and ICE.
    QString StunServer;
    bool UseIce = false;
    // Why the last TLS connection failed, as the stack logged it.
    QString TlsFailure;
    int LogObserver = 0;

    // Calls by Call-Id; lines point at them.
    std::map<QString, TCallInfo> Calls;
    std::map<int, QString> LineCalls;

    // Audio
    int SpkVolume = 200, MicVolume = 200;
    bool SpkMuted = false, MicMuted = false, MicBoost = false, NoDisturb = false;
    QStringList OutNames, InNames;

    void Post(std::function<void()> ev)
    {
        Events.push_back(std::move(ev));
    }

    // Raises the queued events, one at a time: a handler may pump the event
    // loop and come back here, so the queue is shared and popped in order.
    void Dispatch()
    {
        QPointer<TVaxSIPUserAgentOCX> guard(Q_);
        while (guard && !Events.empty()) {
            auto ev = std::move(Events.front());
            Events.pop_front();
            ev();
        }
    }

    void Tick()
    {
        if (Core && !Dispatching) {
            Dispatching = true;
            const qint64 now = QDateTime::currentMSecsSinceEpoch();
            // TCP and TLS connections come and go with the traffic.
            const bool streams = Route.Transport != TSipTransport::Udp;
            if (WatchedSocketsChanged() || (streams && now >= NextSocketScan)) WatchSipSockets();
            // Malformed messages never reach the stack's parser.
            Guard.Sweep();
            // A TCP message still arriving: the stack waits for all of it
            // (the notifiers too, or they would spin on the waiting bytes).
            for (auto& n : Watches) n->setEnabled(!Guard.Hold());
            // A connection waiting to be accepted is accepted in this step
            // and read in the next: watch it (and read it first) by then.
            const bool accepting = streams && ListenerReadable();
            if (Guard.Hold()) FastUntil = std::max(FastUntil, now + kFastMs);
            else Core->iterate();
            // A connection the stack closed leaves no notifier on its number.
            if (streams && (accepting || WatchedSocketsChanged())) WatchSipSockets();
            Dispatching = false;
        }
        Dispatch();
        if (!Core) return;
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        const int want = now < FastUntil ? kFastMs : !Calls.empty() ? kCallMs : SlowMs();
        if (Iterate.interval() != want) Iterate.setInterval(want);
    }

    int SlowMs() const { return Options.IterateMs > 0 ? Options.IterateMs : kSlowMs; }

    void Wake()
    {
        FastUntil = QDateTime::currentMSecsSinceEpoch() + kFastForMs;
        Tick();
    }

    // The stack may close and reopen a socket; a descriptor number can then
    // name another socket, which must neither be read nor watched.
    bool WatchedSocketsChanged() const
    {
        for (size_t i = 0; i < Watches.size(); ++i)
            if (InodeOf(static_cast<int>(Watches[i]->socket())) != WatchedInodes[i]) return true;
        return false;
    }

    bool ListenerReadable() const
    {
        for (int fd : Listening) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) return true;
        }
        return false;
    }

    // A notifier may be the one whose signal runs this: it goes later.
    void DropWatches(bool clearGuard = true)
    {
        for (auto& n : Watches) {
            n->setEnabled(false);
            n.release()->deleteLater();
        }
        Watches.clear();
        WatchedInodes.clear();
        if (clearGuard) {
            Guard.Clear();
            Listening.clear();
        }
    }

    void WatchSipSockets()
    {
        // Often while there is traffic (a new connection), seldom when idle.
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        NextSocketScan = now + (now < FastUntil ? kScanBusyMs : kScanEveryMs);
        std::vector<int> fds, listening;
        if (Route.Transport == TSipTransport::Udp) {
            fds = SocketsOnPort(SOCK_DGRAM, SipPort);
        } else {
            // The listening socket, the connections it accepted and the
            // connection to the server.
            const int serverPort = Route.HostPort.section(QLatin1Char(':'), 1).toInt();
            fds = SocketsOnPort(SOCK_STREAM, SipPort,
                                serverPort > 0 ? serverPort : Route.Transport == TSipTransport::Tls ? 5061 : 5060,
                                &listening);
        }
        std::vector<ino_t> inodes;
        for (int fd : fds) inodes.push_back(InodeOf(fd));
        bool same = inodes == WatchedInodes && fds.size() == Watches.size();
        for (size_t i = 0; same && i < fds.size(); ++i) same = Watches[i]->socket() == fds[i];
        Listening = listening;
        if (same) return;
        DropWatches(false);
        if (Route.Transport == TSipTransport::Udp) {
            Guard.Watch(fds);
        } else if (Route.Transport == TSipTransport::Tcp) {
            // TLS is read only by the stack (and only a verified server
            // gets that far); TCP is plain text anyone may connect with.
            std::vector<int> connections;
            for (int fd : fds)
                if (std::find(listening.begin(), listening.end(), fd) == listening.end()) connections.push_back(fd);
            Guard.WatchStreams(connections);
        }
        for (int fd : fds) {
            auto n = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
            QObject::connect(n.get(), &QSocketNotifier::activated, Q_, [this] { Wake(); });
            Watches.push_back(std::move(n));
            WatchedInodes.push_back(InodeOf(fd));
        }
    }

    std::shared_ptr<linphone::AudioDevice> FindDevice(int index, bool output) const
    {
        if (!Core || Options.UseFiles) return nullptr;
        const QStringList& names = output ? OutNames : InNames;
        const auto cap = output ? linphone::AudioDevice::Capabilities::CapabilityPlay
                                : linphone::AudioDevice::Capabilities::CapabilityRecord;
        std::shared_ptr<linphone::AudioDevice> firstPulse;
        const auto devices = Core->getExtendedAudioDevices();
        // Device number n is list item n + 1; -1 is the first listed device.
        const QString wanted = names.value(index + 1);
        for (const auto& d : devices) {
            if (!d->hasCapability(cap)) continue;
            const bool pulse = Q(d->getDriverName()).contains(QLatin1String("Pulse"), Qt::CaseInsensitive);
            if (!wanted.isEmpty() && Q(d->getDeviceName()) == wanted) return d;
            if (pulse && !firstPulse) firstPulse = d;
        }
        if (!wanted.isEmpty())
            for (const auto& d : devices)
                if (d->hasCapability(cap) && Q(d->getDeviceName()).contains(wanted)) return d;
        // Never the ALSA "default" device: it can stall the media thread.
        return firstPulse;
    }

    // The devices of the next call (the stack takes them from the core).
    void SelectDevices(int inputDevice, int outputDevice)
    {
        if (auto dev = FindDevice(inputDevice, false)) Core->setDefaultInputAudioDevice(dev);
        if (auto dev = FindDevice(outputDevice, true)) Core->setDefaultOutputAudioDevice(dev);
    }

    void ApplyCallAudio(const std::shared_ptr<linphone::Call>& call)
    {
        if (!call) return;
        call->setSpeakerMuted(SpkMuted);
        call->setMicrophoneMuted(MicMuted);
    }

    void ApplyGains()
    {
        if (!Core) return;
        Core->setPlaybackGainDb(VolumeToDb(SpkVolume));
        Core->setMicGainDb(VolumeToDb(MicVolume) + (MicBoost ? 10.0f : 0.0f));
    }

    static bool Ended(linphone::Call::State s)
    {
        return s == linphone::Call::State::End || s == linphone::Call::State::Error ||
               s == linphone::Call::State::Released;
    }

    void FreeLine(TCallInfo& info)
    {
        if (info.Line >= 0) {
            auto it = LineCalls.find(info.Line);
            if (it != LineCalls.end() && it->second == info.CallId) LineCalls.erase(it);
        }
    }

    void CallState(const std::shared_ptr<linphone::Call>& call, linphone::Call::State state, const std::string& message)
    {
        auto log = call->getCallLog();
        const QString callId = log ? Q(log->getCallId()) : QString();
        if (callId.isEmpty()) return;
        using St = linphone::Call::State;

        if (state == St::IncomingReceived) {
            if (NoDisturb) {
                // Do-not-disturb: refused at once, nobody is told.
                TCallInfo info;
                info.Call = call;
                info.CallId = callId;
                info.Incoming = true;
                info.Taken = true;
                info.Reported = true;
                Calls[callId] = info;
                call->decline(linphone::Reason::Busy);
                return;
            }
            TCallInfo info;
            info.Call = call;
            info.CallId = callId;
            info.Incoming = true;
            Calls[callId] = info;
            auto from = call->getRemoteAddress();
            auto to = call->getToAddress();
            const QString disp = from ? Q(from->getDisplayName()) : QString();
            const QString user = from ? Q(from->getUsername()) : QString();
            const QString fromUri = from ? Q(from->asStringUriOnly()) : QString();
            const QString toUri = to ? Q(to->asStringUriOnly()) : QString();
            Post([this, callId, disp, user, fromUri, toUri] {
                emit Q_->OnIncomingCall(callId, disp, user, fromUri, toUri);
            });
            Post([this, callId] { emit Q_->OnIncomingCallRingingStart(callId); });
            return;
        }

        auto it = Calls.find(callId);
        if (it == Calls.end()) {
            if (state == St::OutgoingInit) return; // registered by VaxDialCall right after
            return;
        }
        TCallInfo& info = it->second;
        const int line = info.Line;

        switch (state) {
        case St::OutgoingProgress:
            Post([this, line] { emit Q_->OnConnecting(line); });
            break;
        case St::OutgoingRinging:
            Post([this, line] { emit Q_->OnProvisionalResponse(line, 180, QStringLiteral("Ringing")); });
            break;
        case St::OutgoingEarlyMedia:
            Post([this, line] { emit Q_->OnProvisionalResponse(line, 183, QStringLiteral("Session Progress")); });
            break;
        case St::StreamsRunning:
            ApplyCallAudio(call);
            if (!info.Connected) {
                info.Connected = true;
                auto remote = call->getRemoteAddress();
                const QString ip = remote ? Q(remote->getDomain()) : QString();
                Post([this, line, ip] { emit Q_->OnSuccessToConnect(line, ip, 0); });
            }
            break;
        case St::End:
        case St::Error: {
            if (info.Reported) break;
            info.Reported = true;
            FreeLine(info);
            if (info.Incoming && !info.Taken) {
                // The caller gave up (CANCEL) or the INVITE timed out.
                const QString id = info.CallId;
                Post([this, id] { emit Q_->OnIncomingCallRingingStop(id); });
                break;
            }
            if (line < 0) break; // rejected by us
            if (state == St::Error && !info.Connected) {
                auto ei = call->getErrorInfo();
                const int code = ei ? ei->getProtocolCode() : 0;
                QString phrase = ei ? Q(ei->getPhrase()) : QString();
                if (phrase.isEmpty()) phrase = Q(message);
                if (code >= 300 && code < 400)
                    Post([this, line, code, phrase] { emit Q_->OnRedirectionResponse(line, code, phrase, QString()); });
                else if (code >= 400 && code < 500)
                    Post([this, line, code, phrase] { emit Q_->OnRequestFailureResponse(line, code, phrase); });
                else if (code >= 500 && code < 600)
                    Post([this, line, code, phrase] { emit Q_->OnServerFailureResponse(line, code, phrase); });
                else if (code >= 600)
                    Post([this, line, code, phrase] { emit Q_->OnGeneralFailureResponse(line, code, phrase); });
                else
                    Post([this, line] { emit Q_->OnFailToConnect(line); });
            } else if (state == St::Error) {
                Post([this, line] { emit Q_->OnSessionLostEvent(line); });
                Post([this, line] { emit Q_->OnDisconnectCall(line); });
            } else {
                Post([this, line] { emit Q_->OnDisconnectCall(line); });
            }
            break;
        }
        case St::Released:
            FreeLine(info);
            Calls.erase(it);
            break;
        default:
            break;
        }
    }

    void RegistrationState(const std::shared_ptr<linphone::Account>& account, linphone::RegistrationState state,
                           const std::string& message)
    {
        if (account != Account) return;
        using R = linphone::RegistrationState;
        switch (state) {
        case R::Progress:
            if (Unregistering) Post([this] { emit Q_->OnTryingToUnRegister(); });
            else if (EverRegistered) Post([this] { emit Q_->OnTryingToReRegister(); });
            else Post([this] { emit Q_->OnTryingToRegister(); });
            break;
        case R::Ok:
            if (EverRegistered) Post([this] { emit Q_->OnSuccessToReRegister(); });
            else Post([this] { emit Q_->OnSuccessToRegister(); });
            EverRegistered = true;
            break;
        case R::Cleared:
            if (Unregistering) Post([this] { emit Q_->OnSuccessToUnRegister(); });
            Unregistering = false;
            break;
        case R::Failed: {
            auto ei = account->getErrorInfo();
            int code = ei ? ei->getProtocolCode() : 0;
            QString phrase = ei ? Q(ei->getPhrase()) : QString();
            if (phrase.isEmpty()) phrase = Q(message);
            // No final answer (timeout, transport error): -1, as the caller expects.
            if (code <= 0) code = -1;
            if (!TlsFailure.isEmpty()) {
                const QString why = TlsFailure;
                TlsFailure.clear();
                Post([this, why] { emit Q_->OnTlsFailure(why); });
            }
            if (Unregistering) {
                Unregistering = false;
                Post([this] { emit Q_->OnFailToUnRegister(); });
            } else if (EverRegistered) {
                Post([this, code, phrase] { emit Q_->OnFailToReRegisterEx(code, phrase); });
            } else {
                Post([this, code, phrase] { emit Q_->OnFailToRegisterEx(code, phrase); });
            }
            break;
        }
        default:
            break;
        }
    }

    void Dtmf(const std::shared_ptr<linphone::Call>& call, int dtmf)
    {
        auto log = call->getCallLog();
        const QString callId = log ? Q(log->getCallId()) : QString();
        auto it = Calls.find(callId);
        const int line = it != Calls.end() ? it->second.Line : -1;
        const QString digit = QString(QChar(dtmf));
        Post([this, line, digit] { emit Q_->OnDTMFDigit(line, digit); });
    }

    void ApplyNatPolicy()
    {
        if (!Core) return;
        auto policy = Core->createNatPolicy();
        if (!StunServer.isEmpty()) {
            policy->setStunServer(S(StunServer));
            policy->enableStun(true);
        }
        policy->enableIce(UseIce);
        Core->setNatPolicy(policy);
    }

    // The account exists whether or not it registers: its route takes every
    // request (calls too) to the proxy, whatever the domain's DNS says.
    bool EnsureAccount()
    {
        if (Account) return true;
        auto factory = linphone::Factory::get();
        auto identity = factory->createAddress(S(QStringLiteral("sip:%1@%2").arg(UserName, Domain)));
        // The stack sends REGISTER to the server address itself, not along the route.
        auto server = factory->createAddress(S(Route.Uri()));
        auto route = factory->createAddress(S(Route.Uri(true)));
        if (!identity || !server || !route || UserName.isEmpty()) return false;
        if (!DisplayName.isEmpty()) identity->setDisplayName(S(DisplayName));
        auto params = Core->createAccountParams();
        params->setIdentityAddress(identity);
        params->setServerAddress(server);
        params->setRoutesAddresses({route});
        params->enableRegister(false);
        params->enablePublish(false);
        params->setPushNotificationAllowed(false);
        // Realm left open: the server's challenge names it.
        Core->clearAllAuthInfo();
        Core->addAuthInfo(factory->createAuthInfo(S(UserName), S(LoginId), S(Password), "", "", S(Domain)));
        Account = Core->createAccount(params);
        if (!Account || Core->addAccount(Account) != linphone::Status(0)) {
            Account.reset();
            return false;
        }
        Core->setDefaultAccount(Account);
        return true;
    }

    TCallInfo* CallOnLine(int line)
    {
        auto it = LineCalls.find(line);
        if (it == LineCalls.end()) return nullptr;
        auto c = Calls.find(it->second);
        return c == Calls.end() ? nullptr : &c->second;
    }

    // The call whose levels may be read: only while its media runs (reading
    // an ended call's streams crashes the stack).
    std::shared_ptr<linphone::Call> RunningCall()
    {
        if (!Core) return nullptr;
        for (const auto& [line, id] : LineCalls) {
            auto c = Calls.find(id);
            if (c == Calls.end() || !c->second.Call) continue;
            if (c->second.Call->getState() == linphone::Call::State::StreamsRunning) return c->second.Call;
        }
        return nullptr;
    }

    void Shutdown()
    {
        Iterate.stop();
        DropWatches();
        if (Core) {
            Listener->Impl = nullptr;
            Core->removeListener(Listener);
            Core->stop();
        }
        Calls.clear();
        LineCalls.clear();
        Account.reset();
        Core.reset();
        Listener.reset();
        LinePorts.clear();
        for (int fd : RtpHolds) ::close(fd);
        RtpHolds.clear();
        SipPort = 0;
        EverRegistered = false;
        Unregistering = false;
    }
};

TVaxSIPUserAgentOCX::TVaxSIPUserAgentOCX(const TVaxAgentOptions& options, QObject* owner)
    : QObject(owner), FImpl(std::make_unique<TImpl>())
{
    FImpl->Q_ = this;
    FImpl->Options = options;
    FImpl->Iterate.setTimerType(Qt::PreciseTimer);
    connect(&FImpl->Iterate, &QTimer::timeout, this, [this] { FImpl->Tick(); });
    FImpl->Guard.OnDrop = [](const QString& line) { Log::Always(line); };
    StackLog::Install();
    // The stack says why a TLS connection failed only in its log.
    FImpl->LogObserver = StackLog::AddObserver([d = FImpl.get()](const QString&, const QString& message) {
        const qsizetype at = message.indexOf(QLatin1String("SSL handshake failed"));
        if (at >= 0) d->TlsFailure = message.mid(message.indexOf(QLatin1Char(':'), at) + 1).trimmed();
    });
}

TVaxSIPUserAgentOCX::~TVaxSIPUserAgentOCX()
{
    StackLog::RemoveObserver(FImpl->LogObserver);
    FImpl->Events.clear();
    FImpl->Shutdown();
}

bool TVaxSIPUserAgentOCX::VaxInitializeEx(bool bindToListenIp, const QString& listenIp, int listenPort,
                                          const QString& userName, const QString& loginId, const QString& password,
                                          const QString& displayName, const QString& domain, const QString& proxy,
                                          const QString& outboundProxy, bool /*useSoundDevice*/, int totalLine)
{
    auto& d = *FImpl;
    FError = 0;
    if (d.Core) d.Shutdown();
    if (listenPort <= 0 || listenPort > 65535 || totalLine < 0) {
        FError = errValue;
        return false;
    }
    // Every request of the account goes to the outbound proxy when there is
    // one, else to the proxy; its transport is the one to listen on.
    const TSipServer route = TSipServer::Parse(outboundProxy.isEmpty() ? proxy : outboundProxy);
    const int socketType = route.Transport == TSipTransport::Udp ? SOCK_DGRAM : SOCK_STREAM;
    if (!PortFree(bindToListenIp ? listenIp : QString(), listenPort, socketType)) {
        FError = errPortTaken;
        return false;
    }
    d.BindToListenIp = bindToListenIp;
    d.ListenIp = listenIp;
    d.UserName = userName;
    d.LoginId = loginId.isEmpty() ? userName : loginId;
    d.Password = password;
    d.DisplayName = displayName;
    // The domain falls back to the proxy field, which may carry parameters.
    d.Domain = SipHostPart(domain.isEmpty() ? proxy : domain);
    d.Proxy = proxy;
    d.OutProxy = outboundProxy;
    d.Route = route;
    d.TotalLines = totalLine;
    d.MicBoost = false;
    d.NoDisturb = false;
    d.TlsFailure.clear();

    // Fresh files every time: the account lives in the program's database.
    const QString base = d.Options.WorkFolder.isEmpty() ? QDir::tempPath() + QStringLiteral("/kuruten-sip")
                                                        : d.Options.WorkFolder;
    const QString cfgDir = base + QStringLiteral("/config/");
    const QString dataDir = base + QStringLiteral("/data/");
    const QString pluginDir = base + QStringLiteral("/msplugins/");
    for (const QString& dir : {cfgDir, dataDir, pluginDir}) QDir().mkpath(dir);
    const QString rc = cfgDir + QStringLiteral("linphonerc");
    QFile::remove(rc);
    QFile::remove(dataDir + QStringLiteral("linphone.db"));

    auto factory = linphone::Factory::get();
    // No plugins: Debian's video plugin is built on Qt 5 and must stay out.
    factory->setMspluginsDir(S(pluginDir));
    factory->setConfigDir(S(cfgDir));
    factory->setDataDir(S(dataDir));

    QFile f(rc);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        FError = errTaskWindow;
        return false;
    }
    const QByteArray port = QByteArray::number(listenPort);
    const QString caFile = d.Options.RootCaFile.isEmpty() ? QString::fromLatin1(kSystemCaFile) : d.Options.RootCaFile;
    QByteArray text;
    text += "[sip]\n";
    text += "sip_port=" + QByteArray(route.Transport == TSipTransport::Udp ? port : "0") + "\n";
    text += "sip_tcp_port=" + QByteArray(route.Transport == TSipTransport::Tcp ? port : "0") + "\n";
    text += "sip_tls_port=" + QByteArray(route.Transport == TSipTransport::Tls ? port : "0") + "\n";
    if (bindToListenIp && !listenIp.isEmpty()) text += "bind_address=" + listenIp.toLatin1() + "\n";
    text += "use_ipv6=0\nkeepalive_period=10000\nping_with_options=0\n";
    // A caller that vanished without CANCEL must not hold a call slot.
    text += "inc_timeout=" + QByteArray::number(d.Options.IncomingTimeoutSec) + "\ninc_timeout_status_code=480\n";
    text += "register_only_when_network_is_up=0\nauto_net_state_mon=0\nguess_hostname=1\n";
    // No GRUU: a registrar that hands them out would route ACK and BYE into
    // itself and the answered call would drop.
    text += "supported=replaces, outbound\n";
    text += "root_ca=" + caFile.toUtf8() + "\nverify_server_certs=1\nverify_server_cn=1\n";
    text += "[net]\nfirewall_policy=0\nauto_net_state_mon=0\n";
    text += "[rtp]\naudio_rtp_port=7000\n";
    if (bindToListenIp && !listenIp.isEmpty()) text += "bind_address=" + listenIp.toLatin1() + "\n";
    text += "[sound]\necho_cancellation=0\nechocancellation=0\nagc=0\nlocal_ring=\nremote_ring=\n";
    text += "tone_indications=0\n";
    text += "[video]\ncapture=0\ndisplay=0\nautomatically_initiate=0\nautomatically_accept=0\n";
    text += "[misc]\nmax_calls=10\nhistory_max_size=50\n";
    // No databases of the stack's own: the program keeps its calls itself,
    // and their SQLite writes (an fsync or three per call) held up the
    // answer to the next caller.
    text += "[storage]\nuri=null\ncall_logs_db_uri=null\nzrtp_secrets_db_uri=null\n";
    f.write(text);
    f.close();

    try {
        auto config = factory->createConfig(S(rc));
        d.Core = factory->createCoreWithConfig(config, nullptr);
    } catch (...) {
        d.Core.reset();
    }
    if (!d.Core) {
        FError = errTaskWindow;
        return false;
    }
    auto& core = d.Core;
    core->enableAutoIterate(false);
    core->enableIpv6(false);
    core->enableVideoCapture(false);
    core->enableVideoDisplay(false);
    core->enableKeepAlive(false);
    core->enableEchoCancellation(false);
    core->setRing("");
    core->setRingback("");
    core->setIncTimeout(d.Options.IncomingTimeoutSec);
    core->setUserAgent("kuruten3", "3");
    core->removeSupportedTag("gruu");
    core->setRootCa(S(caFile));
    core->verifyServerCertificates(true);
    core->verifyServerCn(true);
    // Contact of calls made or taken without a registered account.
    if (!listenIp.isEmpty() && !userName.isEmpty()) {
        QString contact = QStringLiteral("sip:%1@%2:%3").arg(userName, listenIp).arg(listenPort);
        if (route.Transport != TSipTransport::Udp) contact += QStringLiteral(";transport=") + TransportName(route.Transport);
        core->setPrimaryContact(S(QLatin1Char('<') + contact + QLatin1Char('>')));
    }
    if (!d.Options.DnsServers.isEmpty()) {
        std::list<std::string> servers;
        for (const QString& s : d.Options.DnsServers) servers.push_back(S(s));
        core->setDnsServersApp(servers);
    }
    if (d.Options.UseFiles) {
        core->setUseFiles(true);
        core->setPlayFile(S(d.Options.PlayFile));
        core->setRecordFile(S(d.Options.RecordFile));
    }
    d.ApplyNatPolicy();
    auto transports = factory->createTransports();
    transports->setUdpPort(route.Transport == TSipTransport::Udp ? listenPort : 0);
    transports->setTcpPort(route.Transport == TSipTransport::Tcp ? listenPort : 0);
    transports->setTlsPort(route.Transport == TSipTransport::Tls ? listenPort : 0);
    transports->setDtlsPort(0);
    core->setTransports(transports);

    d.Listener = std::make_shared<TImpl::TListener>(&d);
    core->addListener(d.Listener);
    if (core->start() != linphone::Status(0)) {
        d.Shutdown();
        FError = errTaskWindow;
        return false;
    }
    core->setNetworkReachable(true);
    auto used = core->getTransportsUsed();
    const int usedPort = !used                                      ? -1
                         : route.Transport == TSipTransport::Tcp ? used->getTcpPort()
                         : route.Transport == TSipTransport::Tls ? used->getTlsPort()
                                                                 : used->getUdpPort();
    if (usedPort != listenPort) {
        d.Shutdown();
        FError = errPortTaken;
        return false;
    }
    // Codecs as the stack offers them until the options pick some.
    d.SipPort = listenPort;
    d.ApplyGains();
    d.WatchSipSockets();
    d.FastUntil = QDateTime::currentMSecsSinceEpoch() + TImpl::kFastForMs;
    d.Iterate.start(1);
    return true;
}

bool TVaxSIPUserAgentOCX::VaxUnInitialize()
{
    FError = 0;
    FImpl->Shutdown();
    return true;
}

bool TVaxSIPUserAgentOCX::VaxOpenLine(int lineNo, bool bindToRtpIp, const QString& listenIp, int rtpPort)
{
    auto& d = *FImpl;
    FError = 0;
    if (!d.Core) {
        FError = errNotOnline;
        return false;
    }
    if (lineNo < 0 || lineNo >= d.TotalLines) {
        FError = errLineNo;
        return false;
    }
    if (rtpPort <= 0 || rtpPort >= 65535) {
        FError = errValue;
        return false;
    }
    const QString ip = bindToRtpIp ? listenIp : QString();
    if (!PortFree(ip, rtpPort) || !PortFree(ip, rtpPort + 1)) {
        FError = errPortTaken;
        return false;
    }
    // Held for the engine's life: another copy on this PC then passes the
    // pair by and does not mix its audio with ours.
    const int lock = LockRtpPair(rtpPort);
    if (lock == -1) {
        FError = errPortTaken;
        return false;
    }
    if (lock >= 0) d.RtpHolds.push_back(lock);
    d.LinePorts[lineNo] = rtpPort;
    // Calls only ever use line 0; its port is the stack's audio port.
    if (lineNo == 0) d.Core->setAudioPort(rtpPort);
    return true;
}

bool TVaxSIPUserAgentOCX::VaxIsLineOpen(int lineNo) const
{
    return FImpl->Core && FImpl->LinePorts.count(lineNo) > 0;
}

bool TVaxSIPUserAgentOCX::VaxIsLineBusy(int lineNo) const
{
    return FImpl->Core && FImpl->LineCalls.count(lineNo) > 0;
}

bool TVaxSIPUserAgentOCX::VaxRegisterToProxy(int expire)
{
    auto& d = *FImpl;
    FError = 0;
    if (!d.Core) {
        FError = errNotOnline;
        return false;
    }
    if (expire <= 0) {
        FError = errValue;
        return false;
    }
    // The registration may open a connection: watch for it soon.
    d.FastUntil = QDateTime::currentMSecsSinceEpoch() + TImpl::kFastForMs;
    try {
        d.TlsFailure.clear();
        if (!d.EnsureAccount()) {
            FError = errRegister;
            return false;
        }
        // Switching registration on registers; a running one is renewed.
        const bool renew = d.Account->getParams()->registerEnabled();
        auto params = d.Account->getParams()->clone();
        params->setExpires(expire);
        params->enableRegister(true);
        d.Account->setParams(params);
        if (renew) d.Account->refreshRegister();
    } catch (...) {
        FError = errRegister;
        return false;
    }
    return true;
}

bool TVaxSIPUserAgentOCX::VaxUnRegisterToProxy()
{
    auto& d = *FImpl;
    FError = 0;
    if (!d.Core || !d.Account) {
        FError = errUnRegister;
        return false;
    }
    d.Unregistering = true;
    auto params = d.Account->getParams()->clone();
    params->enableRegister(false);
    d.Account->setParams(params);
    return true;
}

bool TVaxSIPUserAgentOCX::VaxEnableEchoNoiseCancellation()
{
    if (!FImpl->Core) return (FError = errNotOnline), false;
    FImpl->Core->enableEchoCancellation(true);
    return true;
}

bool TVaxSIPUserAgentOCX::VaxEnableAGC(int /*level*/)
{
    if (!FImpl->Core) return (FError = errNotOnline), false;
    linphone_core_enable_agc(FImpl->Core->cPtr(), TRUE);
    return true;
}

bool TVaxSIPUserAgentOCX::VaxEnableMicBoost()
{
    if (!FImpl->Core) return (FError = errNotOnline), false;
    FImpl->MicBoost = true;
    FImpl->ApplyGains();
    return true;
}

bool TVaxSIPUserAgentOCX::VaxEnableDonotDisturb()
{
    if (!FImpl->Core) return (FError = errNotOnline), false;
    FImpl->NoDisturb = true;
    return true;
}

bool TVaxSIPUserAgentOCX::VaxForceInbandDTMF(int /*lineNo*/)
{
    // The stack sends DTMF per RFC 2833 or SIP INFO only.
    FError = errValue;
    return false;
}

bool TVaxSIPUserAgentOCX::IsCodecAvailable(int codecNo) const
{
    if (!FImpl->Core || codecNo < 0 || codecNo > 4) return false;
    return FImpl->Core->getPayloadType(kCodecs[codecNo].Mime, kCodecs[codecNo].Rate, -1) != nullptr;
}

bool TVaxSIPUserAgentOCX::VaxDeselectAllVoiceCodec()
{
    if (!FImpl->Core) return (FError = errNotOnline), false;
    for (const auto& pt : FImpl->Core->getAudioPayloadTypes())
        if (pt->getMimeType() != "telephone-event") pt->enable(false);
    return true;
}

bool TVaxSIPUserAgentOCX::VaxSelectVoiceCodec(int codecNo)
{
    if (!FImpl->Core) return (FError = errNotOnline), false;
    if (codecNo < 0 || codecNo > 4) return (FError = errCodec), false;
    auto pt = FImpl->Core->getPayloadType(kCodecs[codecNo].Mime, kCodecs[codecNo].Rate, -1);
    if (!pt) return (FError = errCodec), false;
    pt->enable(true);
    return true;
}

bool TVaxSIPUserAgentOCX::VaxEnableKeepAlive(int seconds)
{
    if (!FImpl->Core) return (FError = errNotOnline), false;
    if (seconds <= 0) return (FError = errValue), false;
    // The period itself (10 s) is fixed in the stack's config at start.
    FImpl->Core->enableKeepAlive(true);
    return true;
}

bool TVaxSIPUserAgentOCX::LineReady(int lineNo)
{
    const auto& d = *FImpl;
    if (!d.Core) return (FError = errNotOnline), false;
    if (lineNo < 0 || lineNo >= d.TotalLines) return (FError = errLineNo), false;
    if (!VaxIsLineOpen(lineNo)) return (FError = errLineNotOpen), false;
    if (VaxIsLineBusy(lineNo)) return (FError = errLineBusy), false;
    return true;
}

bool TVaxSIPUserAgentOCX::VaxDialCall(int lineNo, const QString& dialNo, int inputDevice, int outputDevice)
{
    auto& d = *FImpl;
    FError = 0;
    if (!LineReady(lineNo)) return false;
    QString uri = dialNo.trimmed();
    if (uri.isEmpty()) return (FError = errInvalidUri), false;
    if (!uri.startsWith(QLatin1String("sip:"), Qt::CaseInsensitive)) {
        if (!uri.contains(QLatin1Char('@'))) uri += QLatin1Char('@') + d.Domain;
        uri = QStringLiteral("sip:") + uri;
    }
    auto addr = linphone::Factory::get()->createAddress(S(uri));
    if (!addr) return (FError = errInvalidUri), false;
    // Through the account's route, never to whatever the domain resolves to.
    if (!d.EnsureAccount()) return (FError = errConnection), false;
    d.FastUntil = QDateTime::currentMSecsSinceEpoch() + TImpl::kFastForMs;
    auto params = d.Core->createCallParams(nullptr);
    if (!params) return (FError = errConnection), false;
    params->enableVideo(false);
    d.SelectDevices(inputDevice, outputDevice);
    auto call = d.Core->inviteAddressWithParams(addr, params);
    if (!call || !call->getCallLog()) return (FError = errConnection), false;
    const QString callId = Q(call->getCallLog()->getCallId());
    TImpl::TCallInfo info;
    info.Call = call;
    info.CallId = callId;
    info.Line = lineNo;
    info.Taken = true;
    // The state may have moved on inside invite (an immediate failure).
    if (TImpl::Ended(call->getState())) return (FError = errConnection), false;
    d.Calls[callId] = info;
    d.LineCalls[lineNo] = callId;
    d.Post([this, lineNo] { emit OnConnecting(lineNo); });
    return true;
}

bool TVaxSIPUserAgentOCX::VaxAcceptCall(int lineNo, const QString& callId, int inputDevice, int outputDevice)
{
    auto& d = *FImpl;
    FError = 0;
    if (!LineReady(lineNo)) return false;
    auto it = d.Calls.find(callId);
    if (it == d.Calls.end() || !it->second.Incoming || it->second.Taken || !it->second.Call ||
        it->second.Call->getState() != linphone::Call::State::IncomingReceived)
        return (FError = errCallId), false;
    auto& info = it->second;
    auto params = d.Core->createCallParams(info.Call);
    if (!params) return (FError = errConnection), false;
    params->enableVideo(false);
    d.SelectDevices(inputDevice, outputDevice);
    info.Taken = true;
    info.Line = lineNo;
    d.LineCalls[lineNo] = callId;
    if (info.Call->acceptWithParams(params) != linphone::Status(0)) {
        info.Taken = false;
        info.Line = -1;
        d.LineCalls.erase(lineNo);
        return (FError = errCallId), false;
    }
    return true;
}

bool TVaxSIPUserAgentOCX::VaxRejectCall(const QString& callId)
{
    auto& d = *FImpl;
    FError = 0;
    if (!d.Core) return (FError = errNotOnline), false;
    auto it = d.Calls.find(callId);
    if (it == d.Calls.end() || !it->second.Incoming || it->second.Taken || !it->second.Call ||
        it->second.Call->getState() != linphone::Call::State::IncomingReceived)
        return (FError = errCallId), false;
    it->second.Taken = true;
    auto call = it->second.Call;
    if (call->decline(linphone::Reason::Busy) != linphone::Status(0)) {
        // The map entry may be gone if the stack released the call meanwhile.
        auto again = d.Calls.find(callId);
        if (again != d.Calls.end()) again->second.Taken = false;
        return (FError = errCallId), false;
    }
    return true;
}

bool TVaxSIPUserAgentOCX::VaxDisconnect(int lineNo)
{
    auto& d = *FImpl;
    FError = 0;
    if (!d.Core) return (FError = errNotOnline), false;
    if (lineNo < 0 || lineNo >= d.TotalLines) return (FError = errLineNo), false;
    auto* info = d.CallOnLine(lineNo);
    if (!info || !info->Call) return (FError = errNotInVoice), false;
    auto call = info->Call;
    if (call->terminate() != linphone::Status(0)) return (FError = errDisconnect), false;
    return true;
}

bool TVaxSIPUserAgentOCX::VaxSetSpkVolume(int volume)
{
    if (volume < 0 || volume > 255) return (FError = errValue), false;
    FImpl->SpkVolume = volume;
    FImpl->ApplyGains();
    return true;
}

bool TVaxSIPUserAgentOCX::VaxSetMicVolume(int volume)
{
    if (volume < 0 || volume > 255) return (FError = errValue), false;
    FImpl->MicVolume = volume;
    FImpl->ApplyGains();
    return true;
}

bool TVaxSIPUserAgentOCX::VaxMuteSpk(bool mute)
{
    FImpl->SpkMuted = mute;
    if (auto call = FImpl->RunningCall()) call->setSpeakerMuted(mute);
    return true;
}

bool TVaxSIPUserAgentOCX::VaxMuteMic(bool mute)
{
    FImpl->MicMuted = mute;
    if (auto call = FImpl->RunningCall()) call->setMicrophoneMuted(mute);
    return true;
}

int TVaxSIPUserAgentOCX::VaxGetSpkSoundLevel() const
{
    auto call = FImpl->RunningCall();
    return call ? DbToLevel(call->getPlayVolume()) : 0;
}

int TVaxSIPUserAgentOCX::VaxGetMicSoundLevel() const
{
    auto call = FImpl->RunningCall();
    return call ? DbToLevel(call->getRecordVolume()) : 0;
}

void TVaxSIPUserAgentOCX::SetAudioDeviceNames(const QStringList& outputs, const QStringList& inputs)
{
    FImpl->OutNames = outputs;
    FImpl->InNames = inputs;
}

QString TVaxSIPUserAgentOCX::VersionText() const
{
    return QStringLiteral("liblinphone ") + Q(linphone::Core::getVersion());
}

int TVaxSIPUserAgentOCX::ListenPort() const
{
    return FImpl->SipPort;
}

int TVaxSIPUserAgentOCX::LineRtpPort(int lineNo) const
{
    auto it = FImpl->LinePorts.find(lineNo);
    return it == FImpl->LinePorts.end() ? 0 : it->second;
}

bool TVaxSIPUserAgentOCX::CallInProgress() const
{
    return !FImpl->Calls.empty();
}

QStringList TVaxSIPUserAgentOCX::EnabledCodecNames() const
{
    QStringList names;
    if (!FImpl->Core) return names;
    for (const auto& pt : FImpl->Core->getAudioPayloadTypes())
        if (pt->enabled() && pt->getMimeType() != "telephone-event") names << Q(pt->getMimeType());
    return names;
}

void TVaxSIPUserAgentOCX::SetNat(const QString& stunServer, bool ice)
{
    FImpl->StunServer = stunServer.trimmed();
    FImpl->UseIce = ice;
    FImpl->ApplyNatPolicy();
}

QString TVaxSIPUserAgentOCX::NatPolicyText() const
{
    if (!FImpl->Core) return {};
    auto policy = FImpl->Core->getNatPolicy();
    if (!policy) return QStringLiteral("none");
    return QStringLiteral("stun=%1 server=%2 ice=%3")
        .arg(policy->stunEnabled() ? 1 : 0)
        .arg(Q(policy->getStunServer()))
        .arg(policy->iceEnabled() ? 1 : 0);
}

QString TVaxSIPUserAgentOCX::TransportText() const
{
    return FImpl->Core ? TransportName(FImpl->Route.Transport) : QString();
}

bool TVaxSIPUserAgentOCX::KeepAliveEnabled() const
{
    return FImpl->Core && FImpl->Core->keepAliveEnabled();
}

bool TVaxSIPUserAgentOCX::EchoCancellationEnabled() const
{
    return FImpl->Core && FImpl->Core->echoCancellationEnabled();
}
