#include "ring_wave_u.h"

#include "log_u.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>
#include <QtEndian>

namespace {

// Codes as the wave services report them, kept for the log lines.
constexpr int kChunkNotFound = 265; // MMIOERR_CHUNKNOTFOUND
constexpr int kBadDeviceId = 2;     // MMSYSERR_BADDEVICEID
constexpr int kBadFormat = 32;      // WAVERR_BADFORMAT
constexpr int kDeviceError = 1;     // MMSYSERR_ERROR

struct TChunk
{
    QByteArray Id;
    quint32 Size = 0;
    qint64 DataPos = 0;
};

// Finds the sub-chunk id between from and end (chunks are word aligned).
bool Descend(QFile& f, qint64 from, qint64 end, const char* id, TChunk& out)
{
    qint64 pos = from;
    while (pos + 8 <= end) {
        if (!f.seek(pos)) return false;
        const QByteArray head = f.read(8);
        if (head.size() != 8) return false;
        const quint32 size = qFromLittleEndian<quint32>(head.constData() + 4);
        if (head.left(4) == id) {
            out.Id = head.left(4);
            out.Size = size;
            out.DataPos = pos + 8;
            return true;
        }
        pos += 8 + size + (size & 1);
    }
    return false;
}

// Wave header -> audio format; invalid format when Qt cannot play it.
QAudioFormat ToAudioFormat(const QByteArray& fmt)
{
    QAudioFormat af;
    if (fmt.size() < 16) return af;
    const quint16 tag = qFromLittleEndian<quint16>(fmt.constData());
    const quint16 channels = qFromLittleEndian<quint16>(fmt.constData() + 2);
    const quint32 rate = qFromLittleEndian<quint32>(fmt.constData() + 4);
    const quint16 bits = qFromLittleEndian<quint16>(fmt.constData() + 14);
    af.setChannelCount(channels);
    af.setSampleRate(static_cast<int>(rate));
    if (tag == 1 && bits == 8) af.setSampleFormat(QAudioFormat::UInt8);
    else if (tag == 1 && bits == 16) af.setSampleFormat(QAudioFormat::Int16);
    else if (tag == 1 && bits == 32) af.setSampleFormat(QAudioFormat::Int32);
    else if (tag == 3 && bits == 32) af.setSampleFormat(QAudioFormat::Float);
    else return QAudioFormat();
    return af;
}

// The sample block played kLoopCount times, like a looped wave header.
class TLoopDevice : public QBuffer
{
public:
    TLoopDevice(const QByteArray& data, int loops, QObject* parent) : QBuffer(parent), FLoops(loops)
    {
        setData(data);
    }

protected:
    qint64 readData(char* out, qint64 max) override
    {
        qint64 n = QBuffer::readData(out, max);
        if (n <= 0 && --FLoops > 0 && size() > 0) {
            seek(0);
            n = QBuffer::readData(out, max);
        }
        return n;
    }
    bool atEnd() const override { return FLoops <= 1 && QBuffer::atEnd(); }
    qint64 bytesAvailable() const override
    {
        return FLoops > 1 ? std::max<qint64>(QBuffer::bytesAvailable(), 1) : QBuffer::bytesAvailable();
    }

private:
    int FLoops;
};

} // namespace

TRingSound::TRingSound(QObject* parent) : QObject(parent) {}

TRingSound::~TRingSound()
{
    if (FSink) FSink->stop();
    if (FRingBack) FRingBack->stop();
}

QStringList TRingSound::OutputDeviceNames()
{
    QStringList names;
    for (const QAudioDevice& d : QMediaDevices::audioOutputs()) names << d.description();
    return names;
}

QStringList TRingSound::InputDeviceNames()
{
    QStringList names;
    for (const QAudioDevice& d : QMediaDevices::audioInputs()) names << d.description();
    return names;
}

void TRingSound::PumpMessages()
{
    QCoreApplication::processEvents();
}

bool TRingSound::LoadRingWave(const QString& fileName)
{
    FreeRingWave();
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        Log::Always(QStringLiteral("ERROR \"not WAVEFile Open\" FileName=") + fileName);
        return false;
    }
    // RIFF chunk of form type WAVE.
    f.seek(0);
    const QByteArray riff = f.read(12);
    if (riff.size() != 12 || riff.left(4) != "RIFF" || riff.mid(8, 4) != "WAVE") {
        Log::Always(QStringLiteral("ERROR! \"not WAVE format\" mmres=%1").arg(kChunkNotFound));
        return false;
    }
    const qint64 riffEnd = std::min<qint64>(8 + qFromLittleEndian<quint32>(riff.constData() + 4), f.size());
    TChunk fmt;
    if (!Descend(f, 12, riffEnd, "fmt ", fmt)) {
        Log::Always(QStringLiteral("ERROR! \"not fmt format\" mmres=%1").arg(kChunkNotFound));
        return false;
    }
    f.seek(fmt.DataPos);
    QByteArray format = f.read(fmt.Size);
    if (static_cast<quint32>(format.size()) != fmt.Size) {
        Log::Always(QStringLiteral("ERROR! \"Reading fmt chunk\" "));
        return false;
    }
    TChunk data;
    if (!Descend(f, 12, riffEnd, "data", data)) {
        Log::Always(QStringLiteral("ERROR \"not data format\" mmres=%1").arg(kChunkNotFound));
        return false;
    }
    f.seek(data.DataPos);
    QByteArray samples = f.read(data.Size);
    if (static_cast<quint32>(samples.size()) != data.Size) {
        Log::Always(QStringLiteral("ERROR! \"Reading data chunk\" "));
        return false;
    }
    FFormat = format;
    FData = samples;
    return true;
}

void TRingSound::FreeRingWave()
{
    FFormat.clear();
    FData.clear();
}

void TRingSound::PlayRingWave()
{
    PumpMessages();
    if (FPlaying) {
        StopRingWave();
        QEventLoop wait;
        QTimer::singleShot(100, &wait, &QEventLoop::quit);
        wait.exec();
    }
    FPlaying = true;
    int mmres = 0;
    const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
    const QAudioFormat format = ToAudioFormat(FFormat);
    if (gPcOutIndex < 0 || gPcOutIndex >= outputs.size()) mmres = kBadDeviceId;
    else if (!format.isValid() || FData.isEmpty()) mmres = kBadFormat;
    if (mmres == 0) {
        FSink = new QAudioSink(outputs.at(gPcOutIndex), format, this);
        FLoopSource = new TLoopDevice(FData, kLoopCount, FSink);
        FLoopSource->open(QIODevice::ReadOnly);
        connect(FSink, &QAudioSink::stateChanged, this, [this](QAudio::State state) {
            // All loops played: the output reports idle; stop it from the queue.
            if (state == QAudio::IdleState && FLoopSource && FLoopSource->atEnd())
                QMetaObject::invokeMethod(this, &TRingSound::OutputDone, Qt::QueuedConnection);
        });
        FSink->start(FLoopSource);
        if (FSink->error() != QAudio::NoError) mmres = kDeviceError;
    }
    if (mmres != 0) {
        Log::Always(QStringLiteral("ERROR \"waveOutOpen\" mmres=%1").arg(mmres));
        if (FSink) {
            FSink->stop();
            FSink->deleteLater();
            FSink = nullptr;
            FLoopSource = nullptr;
        }
        // As with a failed device open: no ring WAV for later calls either.
        FreeRingWave();
        FPlaying = false;
    }
}

void TRingSound::OutputDone()
{
    StopRingWave();
}

void TRingSound::StopRingWave()
{
    PumpMessages();
    if (!FPlaying) return;
    if (FSink) {
        FSink->stop();
        FSink->deleteLater();
        FSink = nullptr;
        FLoopSource = nullptr;
    }
    FPlaying = false;
}

void TRingSound::RingBackStart()
{
    FRingBackOn = true;
    if (!QFile::exists(DialWavePath)) {
        Log::Detail(QStringLiteral("RingBackStart: no sound file ") + DialWavePath);
        return;
    }
    if (QMediaDevices::audioOutputs().isEmpty()) {
        Log::Detail(QStringLiteral("RingBackStart: no output device"));
        return;
    }
    if (!FRingBack) {
        FRingBack = new QSoundEffect(this);
        FRingBack->setLoopCount(QSoundEffect::Infinite);
    }
    const QUrl url = QUrl::fromLocalFile(DialWavePath);
    if (FRingBack->source() != url) FRingBack->setSource(url);
    FRingBack->play();
}

void TRingSound::SoundStop()
{
    FRingBackOn = false;
    if (FRingBack) FRingBack->stop();
}
