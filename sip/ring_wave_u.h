#pragma once
// The two sounds of a call: the ring-back loop (wav/dial.wav, also the ring
// of an incoming call) and the incoming-ring WAV played on the chosen PC
// output device (gPcOutIndex). With no sound server every step is logged and
// skipped; calls go on regardless.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QAudioSink;
class QSoundEffect;
class QBuffer;

class TRingSound : public QObject
{
    Q_OBJECT
public:
    explicit TRingSound(QObject* parent = nullptr);
    ~TRingSound() override;

    // Output device on which the incoming-ring WAV plays (index into
    // OutputDeviceNames()).
    int gPcOutIndex = 0;

    // Reads the RIFF file's "fmt " and "data" chunks; false (and a log line)
    // when the file is missing or malformed.
    bool LoadRingWave(const QString& fileName);
    void PlayRingWave();
    void StopRingWave();
    // Releases the loaded WAV (shutdown).
    void FreeRingWave();

    // The ring-back loop of DialWavePath; SoundStop ends it.
    void RingBackStart();
    void SoundStop();
    QString DialWavePath;

    // State, for the log and tests.
    bool RingWavePlaying() const { return FPlaying; }
    bool RingBackOn() const { return FRingBackOn; }
    bool RingWaveLoaded() const { return !FFormat.isEmpty() && !FData.isEmpty(); }
    const QByteArray& FormatBlock() const { return FFormat; }
    const QByteArray& SampleBlock() const { return FData; }

    // Names of the wave output and input devices in device-number order.
    static QStringList OutputDeviceNames();
    static QStringList InputDeviceNames();

    static constexpr int kLoopCount = 1000;

private:
    void PumpMessages();
    void OutputDone();

    QByteArray FFormat;
    QByteArray FData;
    bool FPlaying = false;
    bool FRingBackOn = false;
    QAudioSink* FSink = nullptr;
    QBuffer* FLoopSource = nullptr;
    QSoundEffect* FRingBack = nullptr;
};
