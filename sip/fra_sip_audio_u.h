#pragma once
// The softphone's audio panel along the bottom of the call-history page:
// speaker and microphone device lists, volume bars (0..10, volume = position
// x 25), mute boxes, level meters (20 ms) and the pending-call list.
//
// The main window embeds it, calls InitAudioDevices() once at creation (after
// TSoftPhone::CreateVaxObjects) and WriteAudioSettings() at shutdown. The
// level meters start with TSoftPhone::TimersStartRequested (first show).
// Control names: cbxSpkDevice, trbSpkVolume, chkSpkMute, pgbSpkLevel,
// cbxMicDevice, trbMicVolume, chkMicMute, pgbMicLevel, lbxIncomTel.
#include <QTimer>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QListWidget;
class QProgressBar;
class QSlider;
class TSettings;
class TSoftPhone;

class TfraSipAudio : public QWidget
{
    Q_OBJECT
public:
    TfraSipAudio(TSoftPhone& phone, TSettings& settings, QWidget* parent = nullptr);

    void InitAudioDevices();
    // The values the shutdown stores: device names and volumes.
    QString SpeakerName() const;
    QString MicrophoneName() const;
    int SpeakerVolume() const;
    int MicrophoneVolume() const;
    // Writes AUDIO_OUT_NAME, AUDIO_IN_NAME (kept as stored when the list has
    // no devices), AUDIO_OUT_VOL, AUDIO_IN_VOL.
    void WriteAudioSettings();

    void StartLevelMeter() { FLevelTimer.start(); }
    void LevelTimerTick();
    QTimer& LevelTimer() { return FLevelTimer; }

    QComboBox* cbxSpkDevice = nullptr;
    QSlider* trbSpkVolume = nullptr;
    QCheckBox* chkSpkMute = nullptr;
    QProgressBar* pgbSpkLevel = nullptr;
    QComboBox* cbxMicDevice = nullptr;
    QSlider* trbMicVolume = nullptr;
    QCheckBox* chkMicMute = nullptr;
    QProgressBar* pgbMicLevel = nullptr;
    QListWidget* lbxIncomTel = nullptr;

private:
    void trbSpkVolumeChange();
    void trbMicVolumeChange();
    void ShowPending(const QStringList& numbers, int selected);

    TSoftPhone& FPhone;
    TSettings& FSettings;
    QTimer FLevelTimer;
    bool FFilling = false;
};
