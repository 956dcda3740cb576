#pragma once
// The SIP user agent: registration, calls and media on liblinphone, offered
// as the operations and events the rest of the softphone is written against.
//
// Everything runs on the thread that created the object (the main thread):
// a timer drives the stack, and the stack's callbacks are queued and raised
// as Qt signals after the stack has returned, so a handler may freely call
// back into the agent (even tear it down) or pump the event loop.
//
// Operations return true on success; on failure VaxGetVaxObjectError() gives
// the error code (11 = port taken, 22 = bad URI, 29..34 line/call errors ...).
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

// Where the stack keeps its files and which peers it may talk to. Tests point
// DNS at loopback and use file-based audio.
struct TVaxAgentOptions
{
    QString WorkFolder;       // the stack's config and data live below it
    QStringList DnsServers;   // empty: the system's resolvers
    bool UseFiles = false;    // no sound card: play/record WAV files (or nothing)
    QString PlayFile;         // with UseFiles: what the far end hears
    QString RecordFile;       // with UseFiles: where the far end's audio goes
    int IterateMs = 50;       // how often the stack runs while idle (a datagram wakes it)
    QString RootCaFile;       // TLS: trusted certificates; empty: the system's (ca-certificates)
    int IncomingTimeoutSec = 180; // a call that rings longer (its caller gone) ends
};

class TVaxSIPUserAgentOCX : public QObject
{
    Q_OBJECT
public:
    explicit TVaxSIPUserAgentOCX(const TVaxAgentOptions& options, QObject* owner = nullptr);
    ~TVaxSIPUserAgentOCX() override;

    // Index of this object in gVaxObjects.
    int Tag = -1;

    // Starts the stack on ListenPort. BindToListenIp false listens on every
    // address. Error 11 when the port is taken. The transport is the one the
    // outbound proxy (or else the proxy) names: "host;transport=tcp" or
    // ";transport=tls" (TLS certificates checked against RootCaFile), UDP
    // otherwise; every request of the account goes there.
    bool VaxInitializeEx(bool bindToListenIp, const QString& listenIp, int listenPort, const QString& userName,
                         const QString& loginId, const QString& password, const QString& displayName,
                         const QString& domain, const QString& proxy, const QString& outboundProxy,
                         bool useSoundDevice, int totalLine);
    bool VaxUnInitialize();
    int VaxGetVaxObjectError() const { return FError; }

    // Reserves the RTP port pair of a line. Error 11 when a port is taken.
    bool VaxOpenLine(int lineNo, bool bindToRtpIp, const QString& listenIp, int rtpPort);
    bool VaxIsLineOpen(int lineNo) const;
    bool VaxIsLineBusy(int lineNo) const;

    bool VaxRegisterToProxy(int expire);
    bool VaxUnRegisterToProxy();

    // Options (applied after registration).
    bool VaxEnableEchoNoiseCancellation();
    bool VaxEnableAGC(int level);
    bool VaxEnableMicBoost();
    bool VaxEnableDonotDisturb();
    bool VaxForceInbandDTMF(int lineNo); // not available in this stack: false, error 33
    bool VaxDeselectAllVoiceCodec();
    bool VaxSelectVoiceCodec(int codecNo); // 0 GSM, 1 iLBC, 2 PCMA, 3 PCMU, 4 speex/8000
    bool VaxEnableKeepAlive(int seconds);
    // NAT: a STUN server ("host[:port]", empty: none) and ICE; kept for
    // later initialisations.
    void SetNat(const QString& stunServer, bool ice);
    // Whether the stack can do codec 0..4 at all.
    bool IsCodecAvailable(int codecNo) const;

    // Calls. Device numbers index the names given to SetAudioDeviceNames
    // (-1: the default device).
    bool VaxDialCall(int lineNo, const QString& dialNo, int inputDevice, int outputDevice);
    bool VaxAcceptCall(int lineNo, const QString& callId, int inputDevice, int outputDevice);
    bool VaxRejectCall(const QString& callId);
    bool VaxDisconnect(int lineNo);

    // Volumes 0..250 (200 is the stack's own level), mutes, levels 0..100.
    bool VaxSetSpkVolume(int volume);
    bool VaxSetMicVolume(int volume);
    bool VaxMuteSpk(bool mute);
    bool VaxMuteMic(bool mute);
    int VaxGetSpkSoundLevel() const;
    int VaxGetMicSoundLevel() const;

    // The device names the caller's lists show, in device-number order.
    void SetAudioDeviceNames(const QStringList& outputs, const QStringList& inputs);

    QString VersionText() const;

    // Diagnostics for tests and the log.
    int ListenPort() const;    // the SIP port in use, 0 when not initialised
    int LineRtpPort(int lineNo) const;
    bool CallInProgress() const; // any call exists (pending, ringing or connected)
    QStringList EnabledCodecNames() const;
    bool KeepAliveEnabled() const;
    QString NatPolicyText() const;  // "stun=1 server=host:port ice=0"
    QString TransportText() const;  // "udp", "tcp", "tls"
    bool EchoCancellationEnabled() const;

signals:
    void OnTryingToRegister();
    void OnTryingToReRegister();
    void OnTryingToUnRegister();
    void OnSuccessToRegister();
    void OnSuccessToReRegister();
    void OnSuccessToUnRegister();
    void OnFailToUnRegister();
    void OnFailToRegisterEx(int statusCode, const QString& reasonPhrase);
    // Raised before the registration failure it caused.
    void OnTlsFailure(const QString& reason);
    void OnFailToReRegisterEx(int statusCode, const QString& reasonPhrase);
    void OnIncomingCall(const QString& callId, const QString& displayName, const QString& userName,
                        const QString& fromUri, const QString& toUri);
    void OnIncomingCallRingingStart(const QString& callId);
    void OnIncomingCallRingingStop(const QString& callId);
    void OnConnecting(int lineNo);
    void OnSuccessToConnect(int lineNo, const QString& toRtpIp, int toRtpPort);
    void OnFailToConnect(int lineNo);
    void OnDisconnectCall(int lineNo);
    void OnProvisionalResponse(int lineNo, int statusCode, const QString& reasonPhrase);
    void OnRedirectionResponse(int lineNo, int statusCode, const QString& reasonPhrase, const QString& contact);
    void OnRequestFailureResponse(int lineNo, int statusCode, const QString& reasonPhrase);
    void OnServerFailureResponse(int lineNo, int statusCode, const QString& reasonPhrase);
    void OnGeneralFailureResponse(int lineNo, int statusCode, const QString& reasonPhrase);
    void OnSessionLostEvent(int lineNo);
    void OnDTMFDigit(int lineNo, const QString& digit);
    void OnPlayWaveDone(int lineNo);
    void OnCallTransferAccepted(int lineNo);
    void OnFailToTransfer(int lineNo, int statusCode, const QString& reasonPhrase);
    void OnIncomingDiagnostic(const QString& msgSip, const QString& fromIp, int fromPort);
    void OnOutgoingDiagnostic(const QString& msgSip, const QString& toIp, int toPort);
    void OnMsgNOTIFY(const QString& msg);

private:
    // Engine online, line in range, open and free; else FError says why.
    bool LineReady(int lineNo);
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
    int FError = 0;
    friend struct TImpl;
};
