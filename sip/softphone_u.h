#pragma once
// The softphone of the main window: the engine objects and their accounts,
// bringing them online, the engine's events, the pending incoming calls,
// answering, rejecting, dialling, hanging up and the registration watch.
//
// How the main window wires it:
//   at creation      TSoftPhone phone(settings, options);  phone.CreateVaxObjects(1);
//                    TfraSipAudio panel(phone, settings);   panel.InitAudioDevices();
//                    phone.Ring().LoadRingWave(gExeDir + "wav/incom.wav");
//                    phone.SetAccountSource(...)  (reads "select * from ACCOUNT")
//                    connect the signals below to the status bar, the two call
//                    buttons, the icon, the pipeline (TelReceiveProc, with
//                    CallerNameOffered to TTelReceive::OfferCallerName) and
//                    CallDataInsert; connect SipSettingsRequested to opening
//                    TfrmSetSIP.
//   first show       phone.FirstShow(this)  (connects or asks; starts the
//                    registration watch and, through TimersStartRequested,
//                    the panel's level meters)
//   call button      phone.btnCallClick(edtCall->text())
//   hang-up button   phone.btnHangUpClick()
//   hand-off         Dial: phone.Dial(number); IncAcceptCall: phone.SipAnswer();
//                    HangUp: phone.btnHangUpClick()
//   shutdown         panel.WriteAudioSettings(); phone.Ring().FreeRingWave()
#include "ring_wave_u.h"
#include "vaxsip_agent_u.h"
#include "vaxvoip_u.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TSettings;
class QWidget;

class TSoftPhone : public QObject
{
    Q_OBJECT
public:
    // Runs a statement and gives the first row (no row: nullopt).
    using TAccountSource = std::function<std::optional<TAccountRow>(const QString& sql)>;

    TSoftPhone(TSettings& settings, const TVaxAgentOptions& options, QObject* parent = nullptr);
    ~TSoftPhone() override;

    // --- engine objects and account ---------------------------------------
    int gVaxCount = 1;
    std::vector<TVaxSIPUserAgentOCX*> gVaxObjects;
    std::vector<TVaxSIP> gVaxSips;

    void CreateVaxObjects(int count);
    void SetAccountSource(TAccountSource source) { FAccountSource = std::move(source); }
    void LoadSIPAccount();
    bool InitVaxObject(int index);
    bool OpenVaxLines(int index);
    bool ConnectVax(int index);
    void UnInitVax(int index);
    void ApplyVaxOptions(int index);
    void GetVaxErrorText(int index, int& code, QString& text) const;
    void ShowVaxError(int index);
    // First showing of the main window: connect, or offer the settings.
    void FirstShow(QWidget* parent = nullptr);

    // Index of the engine object that raised an event (-1: not one of ours).
    int TagOf(QObject* sender) const;

    // Listen on gIpAddress only (tests: loopback); the program listens on all.
    bool BindToListenAddress = false;
    QString ListenAddress() const;

    // --- call control -----------------------------------------------------
    QString FIcomingCallId;
    const QStringList& PendingCallIds() const { return FCallIds; }
    const QStringList& PendingNumbers() const { return FIncomTels; } // lbxIncomTel
    int PendingSelected() const { return FIncomSelected; }
    void SetPendingSelected(int index);

    void btnCallClick(const QString& number);
    void btnHangUpClick();
    void SipDial(const QString& number);
    void SipAnswer();
    int FreeSipLine();
    void ResetCallButtons();
    // Hand-off command "Dial" (the main window has put the number in its box).
    void Dial(const QString& number) { SipDial(number); }
    void IncAcceptCall() { SipAnswer(); }
    void HangUp() { btnHangUpClick(); }

    // Registration watch (every 60 s once FirstShow ran).
    void WatchTimerTick();
    QTimer& WatchTimer() { return FWatch; }

    // --- audio (the panel keeps these current) ------------------------------
    int SpkDeviceIndex = 0; // selected speaker list item
    int MicDeviceIndex = 0;
    int StoredSpkVolume() const { return FSpkVolume; }
    int StoredMicVolume() const { return FMicVolume; }
    void SetSpkVolume(int volume);
    void SetMicVolume(int volume);
    void MuteSpk(bool mute);
    void MuteMic(bool mute);
    int SpkSoundLevel() const;
    int MicSoundLevel() const;
    void SetAudioDeviceNames(const QStringList& outputs, const QStringList& inputs);
    TRingSound& Ring() { return FRing; }
    TSettings& Settings() { return FSettings; }

    // Milliseconds of the dialling pause (21 x 100 ms).
    int DialPauseSteps = 21;
    // Registration wait of ConnectVax.
    int RegisterWaitMs = 10000;
    // Least gap between two registrations that got no answer.
    int RetryGapSec = 30;

    // Online: registered, or open when the account does not register.
    bool Online(int index) const;

signals:
    void StatusText(int panel, const QString& text);
    void CallButtonsChanged(const QString& callCaption, int callImageIndex, const QString& hangUpCaption);
    void PendingCallsChanged(const QStringList& numbers, int selected);
    // Into the incoming-call pipeline (TelReceiveProc): every SIP call port 1.
    void IncomingCallSubmitted(const QString& telNo, const QString& logNo, const QString& readName, int portNo);
    // Right before IncomingCallSubmitted: the caller's display name when it
    // is a name rather than a number (the name for a number not known yet).
    void CallerNameOffered(const QString& telNo, const QString& name);
    // Outgoing call record (CallDataInsert), after the dialling pause.
    void OutgoingCallDialled(const QString& telNo, int portNo);
    // Image 7 while registered, -1 (the program's own icon) once not.
    void RegisteredIcon(int imageIndex);
    void NumberBoxFocusRequested();
    void SipSettingsRequested();
    void TimersStartRequested();

private:
    void BindEvents(TVaxSIPUserAgentOCX* obj);
    void StopSounds();
    void PumpFor(int ms);
    void RemovePending(int index);
    void SetStatus(const QString& text) { emit StatusText(1, text); }
    // "オンライン" after a call, but only while online; else no text.
    void ShowOnline(int index);
    void RegistrationLost(int index);
    void RetryRegistration(int index);
    void CancelRetry(int index);
    QString Prefix(int tag) const;
    QString LinePrefix(int tag, int line) const;

    // Event handlers
    void OnSuccessToRegister(int tag);
    void OnSuccessToReRegister(int tag);
    void OnFailToRegisterEx(int tag, int statusCode, const QString& reason);
    void OnFailToReRegisterEx(int tag, int statusCode, const QString& reason);
    void OnTlsFailure(int tag, const QString& reason);
    void OnIncomingCall(int tag, const QString& callId, const QString& displayName, const QString& userName,
                        const QString& fromUri, const QString& toUri);
    void OnIncomingCallRingingStop(int tag, const QString& callId);
    void OnSuccessToConnect(int tag, int line);
    void OnDisconnectCall(int tag, int line);
    void OnProvisionalResponse(int tag, int line, int statusCode, const QString& reason);
    void OnRequestFailureResponse(int tag, int line, int statusCode, const QString& reason);

    TSettings& FSettings;
    TVaxAgentOptions FOptions;
    TAccountSource FAccountSource;
    TRingSound FRing;
    QTimer FWatch;
    QStringList FCallIds;
    QStringList FIncomTels;
    int FIncomSelected = -1;
    int FSpkVolume = 200;
    int FMicVolume = 200;
    QStringList FOutNames, FInNames;
    // Registration failures without a final answer retry, but not in a loop;
    // a reconnect or uninitialisation cancels a retry still waiting.
    std::vector<QDateTime> FLastRetry;
    std::vector<std::unique_ptr<QTimer>> FRetryTimers;
    std::vector<int> FFinalFailure;  // status code of a refused registration
    std::vector<QString> FTlsFailure; // why the TLS connection failed
    std::vector<bool> FLost;          // registration lost after it had worked
};
