#include "softphone_u.h"

#include "log_u.h"
#include "msg_u.h"
#include "settings_u.h"
#include "sip_uri_u.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QLockFile>
#include <QPointer>

namespace {
const QString kAccountSql = QStringLiteral("select * from ACCOUNT");
constexpr int kFirstSipPort = 5060;
constexpr int kLastSipPort = 6999;
constexpr int kFirstRtpPort = 7000;
constexpr int kMaxRtpFailures = 1000;
constexpr int kExpires = 3600;
constexpr int kImageRegistered = 7;
constexpr int kImageNotRegistered = -1;
constexpr int kImageCall = 11;
constexpr int kImageAnswer = 12;
} // namespace

TSoftPhone::TSoftPhone(TSettings& settings, const TVaxAgentOptions& options, QObject* parent)
    : QObject(parent), FSettings(settings), FOptions(options)
{
    if (FOptions.WorkFolder.isEmpty()) FOptions.WorkFolder = settings.WorkFolder() + QStringLiteral("/sip");
    FRing.DialWavePath = settings.Env().gExeDir + QStringLiteral("wav/dial.wav");
    FWatch.setInterval(60000);
    connect(&FWatch, &QTimer::timeout, this, &TSoftPhone::WatchTimerTick);
}

TSoftPhone::~TSoftPhone()
{
    FWatch.stop();
    for (auto* obj : gVaxObjects) delete obj;
}

QString TSoftPhone::ListenAddress() const
{
    return FSettings.Env().gIpAddress;
}

// ---------------------------------------------------------------------------
// Engine objects and account

void TSoftPhone::CreateVaxObjects(int count)
{
    for (auto* obj : gVaxObjects) delete obj;
    gVaxObjects.clear();
    gVaxCount = count;
    gVaxSips.assign(count, TVaxSIP{});
    FLastRetry.assign(count, QDateTime());
    FRetryTimers.clear();
    for (int i = 0; i < count; ++i) {
        auto timer = std::make_unique<QTimer>();
        timer->setSingleShot(true);
        connect(timer.get(), &QTimer::timeout, this, [this, i] {
            FLastRetry[i] = QDateTime::currentDateTime();
            auto* obj = gVaxObjects[i];
            // The account may have been saved without registration meanwhile.
            if (!gVaxSips[i].RegistProxy) return;
            if (obj->VaxIsLineOpen(0)) obj->VaxRegisterToProxy(kExpires);
            else ConnectVax(i);
        });
        FRetryTimers.push_back(std::move(timer));
    }
    FFinalFailure.assign(count, 0);
    FTlsFailure.assign(count, QString());
    FLost.assign(count, false);
    for (int i = 0; i < count; ++i) {
        TVaxAgentOptions o = FOptions;
        o.WorkFolder = FOptions.WorkFolder + QStringLiteral("/%1").arg(i);
        auto* obj = new TVaxSIPUserAgentOCX(o);
        obj->Tag = i;
        obj->SetAudioDeviceNames(FOutNames, FInNames);
        gVaxObjects.push_back(obj);
        BindEvents(obj);
    }
}

int TSoftPhone::TagOf(QObject* sender) const
{
    for (auto* obj : gVaxObjects)
        if (obj == sender) return obj->Tag;
    return -1;
}

void TSoftPhone::LoadSIPAccount()
{
    Log::Detail(QStringLiteral("LoadSIPAccount SQL=") + kAccountSql);
    std::optional<TAccountRow> row;
    if (FAccountSource) row = FAccountSource(kAccountSql);
    int filled = 0;
    if (row) {
        const qint16 lines = LineCountOfRow(*row);
        for (int i = 0; i < lines && i < gVaxCount; ++i) {
            gVaxSips[i] = VaxSipFromRow(*row, lines);
            const TVaxSIP& s = gVaxSips[i];
            Log::Detail(QStringLiteral("LoadSIPAccount Index=%1 UserId=%2 DispName=%3 LoginId=%4 SipProxy=%5 "
                                       "RegistProxy=%6 DomainName=%7 OutProxy=%8 LineCount=%9 CountryCd=%10")
                            .arg(i)
                            .arg(s.UserId, s.DispName, s.LoginId, s.SipProxy, s.RegistProxy ? "1" : "0",
                                 s.DomainName, s.OutProxy)
                            .arg(s.LineCount)
                            .arg(s.CountryCd));
            filled = i + 1;
        }
    }
    for (int i = filled; i < gVaxCount; ++i) gVaxSips[i] = VaxSipReset();
}

bool TSoftPhone::InitVaxObject(int index)
{
    const TVaxSIP s = gVaxSips[index];
    auto* obj = gVaxObjects[index];
    // The stack binds with SO_REUSEADDR: two engines starting at the same
    // moment on this machine would both find one port free and share it.
    QLockFile portLock(QDir::tempPath() + QStringLiteral("/kuruten3-sip-ports.lock"));
    portLock.setStaleLockTime(0);
    if (!portLock.tryLock(5000)) Log::Detail(QStringLiteral("InitVaxObject: port lock not taken"));
    obj->SetNat(FSettings.StunServer, FSettings.UseIce);
    int port = kFirstSipPort;
    for (; port <= kLastSipPort; ++port) {
        if (obj->VaxInitializeEx(BindToListenAddress, ListenAddress(), port, s.UserId, s.LoginId, s.Password,
                                 s.DispName, s.DomainName, s.SipProxy, s.OutProxy, s.UseSoundDevice, s.LineCount))
            break;
        if (obj->VaxGetVaxObjectError() != 11) {
            ShowVaxError(index);
            return false;
        }
    }
    if (port > kLastSipPort) {
        Msg::Warn(QStringLiteral("有効なポートがありませんでした。"));
        return false;
    }
    Log::Detail(QStringLiteral("InitVaxObject ListenPort=%1 Index=%2").arg(port).arg(index));
    Log::Detail(QStringLiteral("InitVaxObject Transport=%1 NAT=%2").arg(obj->TransportText(), obj->NatPolicyText()));
    // The stack's STUN-only discovery binds the call's RTP port, which its own
    // stream already holds: only ICE asks the STUN server.
    if (!FSettings.StunServer.isEmpty() && !FSettings.UseIce)
        Log::Always(QStringLiteral("InitVaxObject: STUN サーバーは ICE とともに使われます（ICE=1 で有効）。STUN=") +
                    FSettings.StunServer);
    return true;
}

bool TSoftPhone::OpenVaxLines(int index)
{
    auto* obj = gVaxObjects[index];
    int rtp = kFirstRtpPort;
    int failures = 0;
    int line = 0;
    while (line < gVaxSips[index].LineCount) {
        const bool ok = obj->VaxOpenLine(line, BindToListenAddress, ListenAddress(), rtp);
        rtp += 2;
        if (ok) {
            ++line;
            continue;
        }
        if (obj->VaxGetVaxObjectError() != 11) {
            ShowVaxError(index);
            return false;
        }
        if (++failures >= kMaxRtpFailures) {
            Msg::Warn(QStringLiteral("ポートオープンできませんでした。"));
            return false;
        }
    }
    return true;
}

bool TSoftPhone::ConnectVax(int index)
{
    auto* obj = gVaxObjects[index];
    CancelRetry(index);
    if (obj->VaxIsLineOpen(0)) UnInitVax(index);
    if (!InitVaxObject(index)) return false;
    if (!OpenVaxLines(index)) return false;
    if (!gVaxSips[index].RegistProxy) return true;
    FFinalFailure[index] = 0;
    FTlsFailure[index].clear();
    if (!obj->VaxRegisterToProxy(kExpires)) {
        ShowVaxError(index);
        return false;
    }
    // Events (the registration result among them) run inside this wait.
    QPointer<TVaxSIPUserAgentOCX> guard(obj);
    const QDateTime deadline = QDateTime::currentDateTime().addMSecs(RegisterWaitMs);
    for (;;) {
        if (!guard) return false;
        if (gVaxSips[index].Registered) {
            Log::Detail(QStringLiteral("SIP プロキシに認証済み"));
            return true;
        }
        // A refused registration (wrong password ...) or a server whose
        // certificate fails will not turn good by waiting.
        if (QDateTime::currentDateTime() > deadline || FFinalFailure[index] != 0 || !FTlsFailure[index].isEmpty())
            break;
        PumpFor(100);
    }
    QString why;
    const int code = FFinalFailure[index];
    if (code == 401 || code == 403 || code == 407)
        why = QStringLiteral("SIPサーバーがユーザIDまたはパスワードを受け付けませんでした（%1）。\r\n").arg(code);
    else if (FTlsFailure[index].contains(QLatin1String("verif"), Qt::CaseInsensitive))
        why = QStringLiteral("SIPサーバーの証明書を確認できませんでした（TLS）。サーバーの証明書と、このPCの"
                             "信頼する証明書（ca-certificates）を確認してください。\r\n");
    else if (!FTlsFailure[index].isEmpty())
        why = QStringLiteral("SIPサーバーとTLSで接続できませんでした。\r\n");
    Msg::Error(why + QStringLiteral("接続できませんでした。"));
    return false;
}

void TSoftPhone::UnInitVax(int index)
{
    CancelRetry(index);
    gVaxObjects[index]->VaxUnInitialize();
    if (gVaxSips[index].Registered) emit RegisteredIcon(kImageNotRegistered);
    gVaxSips[index].Registered = false;
    FLost[index] = false;
}

bool TSoftPhone::Online(int index) const
{
    if (index < 0 || index >= static_cast<int>(gVaxSips.size())) return false;
    const TVaxSIP& s = gVaxSips[index];
    return s.RegistProxy ? s.Registered : gVaxObjects[index]->VaxIsLineOpen(0);
}

void TSoftPhone::ShowOnline(int index)
{
    SetStatus(Online(index < 0 ? 0 : index) ? QStringLiteral("オンライン") : QString());
}

void TSoftPhone::ApplyVaxOptions(int index)
{
    auto* obj = gVaxObjects[index];
    const TVaxSIP& s = gVaxSips[index];
    if (s.EchoCancel) obj->VaxEnableEchoNoiseCancellation();
    if (s.Agc) obj->VaxEnableAGC(8000);
    if (s.MicBoost) obj->VaxEnableMicBoost();
    if (s.NoDisturb) obj->VaxEnableDonotDisturb();
    if (s.ForceInbandDtmf) {
        Log::Always(QStringLiteral("ApplyVaxOptions: インバウンドDTMFの強調はこのSIPエンジンでは適用されません。"));
        for (int line = 0; line < s.LineCount; ++line) obj->VaxForceInbandDTMF(line);
    }
    obj->VaxDeselectAllVoiceCodec();
    for (int k = 0; k < 5; ++k) {
        if (!s.Codecs[k]) continue;
        if (!obj->IsCodecAvailable(k))
            Log::Always(QStringLiteral("ApplyVaxOptions: コーデック %1 はこのSIPエンジンでは使用できません。")
                            .arg(k == 1 ? QStringLiteral("iLBC") : QString::number(k)));
        obj->VaxSelectVoiceCodec(k);
    }
    if (FSettings.KeepAlive) obj->VaxEnableKeepAlive(10);
}

void TSoftPhone::GetVaxErrorText(int index, int& code, QString& text) const
{
    code = gVaxObjects[index]->VaxGetVaxObjectError();
    text = VaxErrorText(code);
}

void TSoftPhone::ShowVaxError(int index)
{
    int code = 0;
    QString text;
    GetVaxErrorText(index, code, text);
    Log::Always(text);
    Msg::Error(VaxErrorMessage(code));
}

void TSoftPhone::FirstShow(QWidget* parent)
{
    LoadSIPAccount();
    const TVaxSIP& s = gVaxSips[0];
    if (!s.UserId.isEmpty() && !s.Password.isEmpty() && !s.SipProxy.isEmpty()) {
        ConnectVax(0);
    } else if (Msg::Show(TMsgKind::Error,
                         QStringLiteral("通信のための設定されていません。電話着信できませんので通信設定を行ってください。"
                                        "\r\n今すぐ設定を行いますか？"),
                         mbYes | mbNo, parent) == mbYes) {
        emit SipSettingsRequested();
    }
    emit TimersStartRequested();
    FWatch.start();
}

// ---------------------------------------------------------------------------
// Events

QString TSoftPhone::Prefix(int tag) const
{
    return QStringLiteral("TagNo-%1").arg(tag);
}

QString TSoftPhone::LinePrefix(int tag, int line) const
{
    return QStringLiteral("TagNo-%1 Line-%2").arg(tag).arg(line + 1);
}

void TSoftPhone::BindEvents(TVaxSIPUserAgentOCX* obj)
{
    using A = TVaxSIPUserAgentOCX;
    auto tag = [this, obj] { return TagOf(obj); };
    connect(obj, &A::OnTryingToRegister, this, [=, this] { Log::Detail(Prefix(tag()) + " Trying to register."); });
    connect(obj, &A::OnTryingToReRegister, this,
            [=, this] { Log::Detail(Prefix(tag()) + " Trying to re-register."); });
    connect(obj, &A::OnTryingToUnRegister, this,
            [=, this] { Log::Detail(Prefix(tag()) + " Trying to un-register."); });
    connect(obj, &A::OnSuccessToRegister, this, [=, this] { OnSuccessToRegister(tag()); });
    connect(obj, &A::OnSuccessToReRegister, this, [=, this] { OnSuccessToReRegister(tag()); });
    connect(obj, &A::OnSuccessToUnRegister, this,
            [=, this] { Log::Detail(Prefix(tag()) + " Unregistered successfully."); });
    connect(obj, &A::OnFailToUnRegister, this, [=, this] { Log::Detail(Prefix(tag()) + " Fail to un-register."); });
    connect(obj, &A::OnFailToRegisterEx, this,
            [=, this](int code, const QString& reason) { OnFailToRegisterEx(tag(), code, reason); });
    connect(obj, &A::OnFailToReRegisterEx, this,
            [=, this](int code, const QString& reason) { OnFailToReRegisterEx(tag(), code, reason); });
    connect(obj, &A::OnTlsFailure, this, [=, this](const QString& reason) { OnTlsFailure(tag(), reason); });
    connect(obj, &A::OnIncomingCall, this,
            [=, this](const QString& id, const QString& disp, const QString& user, const QString& from,
                      const QString& to) { OnIncomingCall(tag(), id, disp, user, from, to); });
    connect(obj, &A::OnIncomingCallRingingStart, this, [=, this](const QString& id) {
        Log::Detail(QStringLiteral("★VaxSIPUserAgentOCXIncomingCallRingingStart"));
        Log::Detail(Prefix(tag()) + QStringLiteral(" 着信呼出開始： CallId=") + id);
    });
    connect(obj, &A::OnIncomingCallRingingStop, this,
            [=, this](const QString& id) { OnIncomingCallRingingStop(tag(), id); });
    connect(obj, &A::OnConnecting, this,
            [=, this](int line) { Log::Detail(LinePrefix(tag(), line) + ": Connecting."); });
    connect(obj, &A::OnSuccessToConnect, this, [=, this](int line, const QString&, int) { OnSuccessToConnect(tag(), line); });
    connect(obj, &A::OnFailToConnect, this, [=, this](int line) {
        Log::Detail(LinePrefix(tag(), line) + ": Fail to connect.");
        StopSounds();
    });
    connect(obj, &A::OnDisconnectCall, this, [=, this](int line) { OnDisconnectCall(tag(), line); });
    connect(obj, &A::OnProvisionalResponse, this, [=, this](int line, int code, const QString& reason) {
        OnProvisionalResponse(tag(), line, code, reason);
    });
    connect(obj, &A::OnRedirectionResponse, this,
            [=, this](int line, int code, const QString& reason, const QString& contact) {
                Log::Detail(LinePrefix(tag(), line) +
                            QStringLiteral(" RedirectionResponse LineNo=%1 応答: %2 StatusCode:%3 Contact:%4")
                                .arg(line + 1)
                                .arg(reason)
                                .arg(code)
                                .arg(contact));
                StopSounds();
            });
    connect(obj, &A::OnRequestFailureResponse, this, [=, this](int line, int code, const QString& reason) {
        OnRequestFailureResponse(tag(), line, code, reason);
    });
    connect(obj, &A::OnServerFailureResponse, this, [=, this](int line, int code, const QString& reason) {
        Log::Always(LinePrefix(tag(), line) + QStringLiteral(" ServerFailureResponse LineNo=%1 サーバ障害応答: %2 StatusCode:%3")
                                                  .arg(line + 1)
                                                  .arg(reason)
                                                  .arg(code));
        StopSounds();
        SetStatus(QStringLiteral("     サーバエラー"));
    });
    connect(obj, &A::OnGeneralFailureResponse, this, [=, this](int line, int, const QString& reason) {
        Log::Detail(Prefix(tag()) + QStringLiteral(" Line-%1 Response: %2").arg(line + 1).arg(reason));
        StopSounds();
    });
    connect(obj, &A::OnSessionLostEvent, this, [=, this](int line) {
        Log::Detail(Prefix(tag()) + QStringLiteral(" ライン%1: セッション切断!!!!").arg(line + 1));
    });
    connect(obj, &A::OnDTMFDigit, this, [=, this](int line, const QString& digit) {
        Log::Detail(LinePrefix(tag(), line) + ": Key-pressed: " + digit);
    });
    connect(obj, &A::OnPlayWaveDone, this,
            [=, this](int line) { Log::Detail(LinePrefix(tag(), line) + ": Play wave done."); });
    connect(obj, &A::OnCallTransferAccepted, this,
            [=, this](int line) { Log::Detail(LinePrefix(tag(), line) + ": Transfer accepted."); });
    connect(obj, &A::OnFailToTransfer, this, [=, this](int line, int, const QString& reason) {
        Log::Detail(LinePrefix(tag(), line) + " Fail to Transfer: " + reason);
    });
}

void TSoftPhone::OnSuccessToRegister(int tag)
{
    Log::Detail(Prefix(tag) + " Registered successfully.");
    if (tag < 0) return;
    emit RegisteredIcon(kImageRegistered);
    SetStatus(QStringLiteral("オンライン"));
    FLost[tag] = false;
    gVaxSips[tag].Registered = true;
    gVaxSips[tag].RegisteredAt = QDateTime::currentDateTime();
    ApplyVaxOptions(tag);
}

void TSoftPhone::OnSuccessToReRegister(int tag)
{
    Log::Detail(Prefix(tag) + " Success to re-register.");
    if (tag < 0) return;
    gVaxSips[tag].Registered = true;
    gVaxSips[tag].RegisteredAt = QDateTime::currentDateTime();
    if (!FLost[tag]) return;
    // Back after a loss: icon and status say so again (a call keeps its text).
    FLost[tag] = false;
    emit RegisteredIcon(kImageRegistered);
    if (FCallIds.isEmpty() && !gVaxObjects[tag]->CallInProgress()) SetStatus(QStringLiteral("オンライン"));
}

void TSoftPhone::OnFailToRegisterEx(int tag, int statusCode, const QString& reason)
{
    Log::Detail(Prefix(tag) + " FailedEx: " + reason);
    if (tag < 0) return;
    if (statusCode == 401 || statusCode == 403 || statusCode == 407)
        Log::Always(Prefix(tag) + QStringLiteral(" 登録を拒否されました（ユーザIDまたはパスワード） StatusCode:%1 %2")
                                      .arg(statusCode)
                                      .arg(reason));
    if (statusCode == -1) RetryRegistration(tag);
    else FFinalFailure[tag] = statusCode;
}

void TSoftPhone::OnFailToReRegisterEx(int tag, int statusCode, const QString& reason)
{
    Log::Detail(Prefix(tag) + " Fail to Re-RegisterEx: " + reason);
    if (tag < 0) return;
    RegistrationLost(tag);
    if (statusCode == -1) RetryRegistration(tag);
}

void TSoftPhone::OnTlsFailure(int tag, const QString& reason)
{
    Log::Always(Prefix(tag) + QStringLiteral(" TLS 接続失敗: ") + reason);
    if (tag >= 0) FTlsFailure[tag] = reason;
}

// Registered no longer: the status stops saying "オンライン" (a call in
// progress keeps its text) and the icon goes back to the program's own.
void TSoftPhone::RegistrationLost(int index)
{
    if (!gVaxSips[index].Registered) return;
    gVaxSips[index].Registered = false;
    FLost[index] = true;
    emit RegisteredIcon(kImageNotRegistered);
    if (FCallIds.isEmpty() && !gVaxObjects[index]->CallInProgress()) SetStatus(QString());
}

// A registration that got no answer is tried again: at once the first time,
// then at most every RetryGapSec seconds, so an unreachable proxy (which can
// fail within milliseconds on a closed port) never turns into a busy loop.
void TSoftPhone::RetryRegistration(int index)
{
    QTimer& timer = *FRetryTimers[index];
    if (timer.isActive()) return;
    qint64 waitMs = 0;
    if (FLastRetry[index].isValid()) {
        const qint64 since = FLastRetry[index].msecsTo(QDateTime::currentDateTime());
        if (since < RetryGapSec * 1000LL) waitMs = RetryGapSec * 1000LL - since;
    }
    timer.start(static_cast<int>(waitMs));
}

void TSoftPhone::CancelRetry(int index)
{
    if (index >= 0 && index < static_cast<int>(FRetryTimers.size())) FRetryTimers[index]->stop();
}

void TSoftPhone::OnIncomingCall(int tag, const QString& callId, const QString& displayName, const QString& userName,
                                const QString& fromUri, const QString& toUri)
{
    Log::Detail(QStringLiteral("★VaxSIPUserAgentOCXIncomingCall"));
    Log::Detail(Prefix(tag) + QStringLiteral(" Incoming Call CallId=%1 DisplayName=%2 UserName=%3 FromURI=%4 ToURI= %5")
                                  .arg(callId, displayName, userName, fromUri, toUri));
    // PBXs often put the caller's name in the display name: it is the number
    // only when it reads as one; else the user part is, and the name goes
    // with the call for a number the phone book does not know yet.
    const bool numeric = IsPhoneNumberText(displayName);
    const QString number = numeric ? displayName : userName;
    const QString callerName = numeric ? QString() : displayName.trimmed();
    bool isNew = false;
    if (!FCallIds.contains(callId)) {
        FCallIds << callId;
        FIncomTels << number;
        isNew = true;
    }
    if (FIncomSelected < 0 && !FIncomTels.isEmpty()) FIncomSelected = 0;
    emit PendingCallsChanged(FIncomTels, FIncomSelected);
    emit CallButtonsChanged(QStringLiteral("受話"), kImageAnswer, QStringLiteral("拒否"));
    FIcomingCallId = callId;
    if (isNew) {
        FRing.RingBackStart();
        if (!FSettings.IncomMutePc) FRing.PlayRingWave();
        if (!callerName.isEmpty()) emit CallerNameOffered(number, callerName);
        emit IncomingCallSubmitted(number, QString(), QString(), 1);
    }
    SetStatus(QStringLiteral("電話着信中"));
}

void TSoftPhone::OnIncomingCallRingingStop(int tag, const QString& callId)
{
    Log::Detail(QStringLiteral("★VaxSIPUserAgentOCXIncomingCallRingingStop"));
    const int i = FCallIds.indexOf(callId);
    if (i >= 0) RemovePending(i);
    ResetCallButtons();
    StopSounds();
    Log::Detail(Prefix(tag) + QStringLiteral(" 着信呼出停止： 電話番号") + callId);
    ShowOnline(tag);
}

void TSoftPhone::OnSuccessToConnect(int tag, int line)
{
    Log::Detail(LinePrefix(tag, line) + ": Success to connect.");
    StopSounds();
    SetStatus(QStringLiteral("通話中"));
    if (tag < 0) return;
    gVaxObjects[tag]->VaxSetSpkVolume(FSpkVolume);
    gVaxObjects[tag]->VaxSetMicVolume(FMicVolume);
}

void TSoftPhone::OnDisconnectCall(int tag, int line)
{
    Log::Detail(LinePrefix(tag, line) + ": Hung up.");
    ResetCallButtons();
    StopSounds();
    ShowOnline(tag);
}

void TSoftPhone::OnProvisionalResponse(int tag, int line, int statusCode, const QString& reason)
{
    Log::Detail(Prefix(tag) + QStringLiteral(" ProvisionalResponse LineNo=%1 応答: %2 StatusCode:%3")
                                  .arg(line + 1)
                                  .arg(reason)
                                  .arg(statusCode));
    if (statusCode == 180) FRing.RingBackStart();
    else if (statusCode == 183) StopSounds();
}

void TSoftPhone::OnRequestFailureResponse(int tag, int line, int statusCode, const QString& reason)
{
    Log::Detail(LinePrefix(tag, line) + QStringLiteral(" RequestFailureResponse LineNo=%1 要求障害応答: %2 StatusCode:%3")
                                            .arg(line + 1)
                                            .arg(reason)
                                            .arg(statusCode));
    StopSounds();
    if (statusCode == 486) {
        emit StatusText(0, QStringLiteral("相手話中です。"));
        SetStatus(QStringLiteral("     相手話中"));
    } else if (statusCode != 487) {
        SetStatus(QStringLiteral("     エラー"));
    }
}

// ---------------------------------------------------------------------------
// Call control

void TSoftPhone::StopSounds()
{
    FRing.SoundStop();
    FRing.StopRingWave();
}

void TSoftPhone::PumpFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void TSoftPhone::RemovePending(int index)
{
    if (index < 0 || index >= FCallIds.size()) return;
    FCallIds.removeAt(index);
    FIncomTels.removeAt(index);
    // A list box keeps no selection once its selected item is gone.
    if (FIncomSelected == index) FIncomSelected = -1;
    else if (FIncomSelected > index) --FIncomSelected;
    emit PendingCallsChanged(FIncomTels, FIncomSelected);
}

void TSoftPhone::SetPendingSelected(int index)
{
    FIncomSelected = (index >= 0 && index < FIncomTels.size()) ? index : -1;
}

void TSoftPhone::ResetCallButtons()
{
    FIcomingCallId.clear();
    emit CallButtonsChanged(QStringLiteral("発信"), kImageCall, QStringLiteral("切断"));
}

int TSoftPhone::FreeSipLine()
{
    return gVaxObjects[0]->VaxIsLineBusy(0) ? -1 : 0;
}

void TSoftPhone::btnCallClick(const QString& number)
{
    if (!FIcomingCallId.isEmpty()) SipAnswer();
    else SipDial(number);
}

void TSoftPhone::SipAnswer()
{
    if (FIcomingCallId.isEmpty() || FIncomSelected < 0 || FIncomSelected >= FCallIds.size()) return;
    const QString callId = FCallIds.at(FIncomSelected);
    const int line = FreeSipLine();
    if (line == -1) {
        Msg::Error(QStringLiteral("空きラインがありません。"));
        return;
    }
    if (!gVaxObjects[0]->VaxAcceptCall(line, callId, MicDeviceIndex - 1, SpkDeviceIndex - 1)) {
        ShowVaxError(0);
        return;
    }
    StopSounds();
    // The answered call's own item, even if the ringing-stop of another call
    // moved the selection meanwhile.
    RemovePending(FCallIds.indexOf(callId));
    if (FIncomSelected < 0 && !FIncomTels.isEmpty()) {
        FIncomSelected = 0;
        emit PendingCallsChanged(FIncomTels, FIncomSelected);
    }
    FIcomingCallId.clear();
    SetStatus(QStringLiteral("通話中"));
    ResetCallButtons();
}

void TSoftPhone::SipDial(const QString& number)
{
    if (number.isEmpty()) {
        Msg::Info(QStringLiteral("電話番号を入力してください。"));
        emit NumberBoxFocusRequested();
        return;
    }
    Log::Detail(QStringLiteral("TelNo=") + number);
    const int line = FreeSipLine();
    if (line == -1) {
        Msg::Error(QStringLiteral("空きラインがありません。"));
        return;
    }
    QString dialled = number;
    const QString country = gVaxSips.empty() ? QString() : gVaxSips[0].CountryCd;
    if (number.size() > 9 && !country.isEmpty()) dialled = country + number.mid(1);
    if (!gVaxObjects[0]->VaxDialCall(line, dialled, MicDeviceIndex - 1, SpkDeviceIndex - 1)) {
        ShowVaxError(0);
        return;
    }
    SetStatus(QStringLiteral("ダイアル中..."));
    // Keep the window alive while the call sets up, then record it.
    QPointer<TSoftPhone> guard(this);
    QCoreApplication::processEvents();
    for (int i = 0; i < DialPauseSteps && guard; ++i) PumpFor(100);
    if (!guard) return;
    emit OutgoingCallDialled(number, 1);
}

void TSoftPhone::btnHangUpClick()
{
    Log::Always(QStringLiteral("TfrmMain.btnHangUpClick FIcomingCallId=") + FIcomingCallId);
    StopSounds();
    if (!FIcomingCallId.isEmpty()) {
        const QString callId = FIcomingCallId;
        if (!gVaxObjects[0]->VaxRejectCall(callId)) {
            Log::Always(QStringLiteral("RejectCall error"));
            ShowVaxError(0);
            return;
        }
        Log::Always(QStringLiteral("RejectCall 成功"));
        // Drop the rejected call's item (not whichever item is selected).
        RemovePending(FCallIds.indexOf(callId));
    } else if (!gVaxObjects[0]->VaxIsLineBusy(0)) {
        // Nothing to hang up: nothing happens.
        Log::Always(QStringLiteral("TfrmMain.btnHangUpClick end"));
        return;
    } else if (gVaxObjects[0]->VaxDisconnect(0)) {
        Log::Always(QStringLiteral("Disconnect 成功"));
    } else {
        Log::Always(QStringLiteral("Disconnect error"));
        ShowVaxError(0);
    }
    ShowOnline(0);
    ResetCallButtons();
    Log::Always(QStringLiteral("TfrmMain.btnHangUpClick end"));
}

void TSoftPhone::WatchTimerTick()
{
    const QDateTime now = QDateTime::currentDateTime();
    for (int i = 0; i < static_cast<int>(gVaxObjects.size()); ++i) {
        auto* obj = gVaxObjects[i];
        const TVaxSIP& s = gVaxSips[i];
        // An account that is not to register is never registered by the watch.
        if (!s.RegistProxy || !obj->VaxIsLineOpen(0)) continue;
        if (s.RegisteredAt.isValid() && now <= s.RegisteredAt.addSecs(FSettings.WatchIntervalSec)) continue;
        obj->VaxRegisterToProxy(kExpires);
    }
}

// ---------------------------------------------------------------------------
// Audio

void TSoftPhone::SetSpkVolume(int volume)
{
    FSpkVolume = volume;
    if (!gVaxObjects.empty()) gVaxObjects[0]->VaxSetSpkVolume(volume);
}

void TSoftPhone::SetMicVolume(int volume)
{
    FMicVolume = volume;
    if (!gVaxObjects.empty()) gVaxObjects[0]->VaxSetMicVolume(volume);
}

void TSoftPhone::MuteSpk(bool mute)
{
    if (!gVaxObjects.empty()) gVaxObjects[0]->VaxMuteSpk(mute);
}

void TSoftPhone::MuteMic(bool mute)
{
    if (!gVaxObjects.empty()) gVaxObjects[0]->VaxMuteMic(mute);
}

int TSoftPhone::SpkSoundLevel() const
{
    return gVaxObjects.empty() ? 0 : gVaxObjects[0]->VaxGetSpkSoundLevel();
}

int TSoftPhone::MicSoundLevel() const
{
    return gVaxObjects.empty() ? 0 : gVaxObjects[0]->VaxGetMicSoundLevel();
}

void TSoftPhone::SetAudioDeviceNames(const QStringList& outputs, const QStringList& inputs)
{
    FOutNames = outputs;
    FInNames = inputs;
    for (auto* obj : gVaxObjects) obj->SetAudioDeviceNames(outputs, inputs);
}
