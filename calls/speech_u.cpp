#include "speech_u.h"

#include "log_u.h"
#include "settings_u.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <espeak-ng/espeak_ng.h>
#include <stdexcept>

namespace {
// espeak-ng is one engine per process. It is initialised once and kept:
// espeak-ng 1.51 hangs in a second espeak_ng_Terminate after re-initialising,
// so releasing our engine leaves the library loaded.
bool gLibraryReady = false;
int gSampleRate = 0;
QString gVoice;

std::string StatusText(espeak_ng_STATUS status)
{
    char text[512] = {};
    espeak_ng_GetStatusCodeMessage(status, text, sizeof text);
    return text;
}

int CollectSamples(short* wav, int count, espeak_EVENT* events)
{
    if (wav && count > 0 && events && events->user_data) {
        auto* out = static_cast<std::vector<qint16>*>(events->user_data);
        out->insert(out->end(), wav, wav + count);
    }
    return 0; // go on
}

void InitLibrary()
{
    if (gLibraryReady) return;
    espeak_ng_InitializePath(nullptr);
    espeak_ng_ERROR_CONTEXT context = nullptr;
    espeak_ng_STATUS status = espeak_ng_Initialize(&context);
    espeak_ng_ClearErrorContext(&context);
    if (status != ENS_OK) throw std::runtime_error(StatusText(status));
    // Synchronous: synthesis fills our buffer through the callback and
    // returns; we play the samples ourselves.
    status = espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 0, nullptr);
    if (status != ENS_OK) throw std::runtime_error(StatusText(status));
    espeak_SetSynthCallback(CollectSamples);
    gSampleRate = espeak_ng_GetSampleRate();
    gLibraryReady = true;
}

void SelectVoice(const QString& voice)
{
    if (gVoice == voice) return;
    const espeak_ng_STATUS status = espeak_ng_SetVoiceByName(voice.toUtf8().constData());
    if (status != ENS_OK) throw std::runtime_error(StatusText(status));
    gVoice = voice;
}
} // namespace

TSpeech::TSpeech(const TSettings& settings, QObject* parent, QString voice)
    : QObject(parent), FSettings(settings), FVoice(std::move(voice))
{
}

TSpeech::~TSpeech()
{
    StopPlayback();
}

bool TSpeech::CreateEngine()
{
    if (FEngine) return true;
    try {
        InitLibrary();
        SelectVoice(FVoice);
        FEngine = true;
    } catch (const std::exception& e) {
        Log::Always(QStringLiteral("音声合成エンジンの作成に失敗しました。"));
        Log::Detail(QStringLiteral("TfrmMain.CreateSpeech ") + FVoice + QStringLiteral(": ") +
                    QString::fromUtf8(e.what()));
    }
    return FEngine;
}

void TSpeech::ReleaseEngine()
{
    StopPlayback();
    FEngine = false;
}

QString TSpeech::SpokenText(const QString& text)
{
    QString s = text;
    s.remove(QLatin1Char(' '));
    s.remove(QChar(0x3000));
    return s;
}

int TSpeech::WordsPerMinute(int speed)
{
    // SPEED is a tempo in percent of the normal rate (100 normal, the settings
    // offer 50..300, default 140); espeak-ng's normal rate is 175 words per
    // minute. Clamped to the range espeak-ng accepts.
    const int wpm = speed * espeakRATE_NORMAL / 100;
    return qBound(int(espeakRATE_MINIMUM), wpm, int(espeakRATE_MAXIMUM));
}

int TSpeech::SampleRate() const
{
    return gSampleRate;
}

std::vector<qint16> TSpeech::Synthesize(const QString& text, int speed)
{
    std::vector<qint16> samples;
    if (!FEngine) return samples;
    SelectVoice(FVoice);
    espeak_ng_SetParameter(espeakRATE, WordsPerMinute(speed), 0);
    // Plain text, never SSML: a caller's name is not markup.
    const QByteArray utf8 = text.toUtf8();
    const espeak_ng_STATUS status = espeak_ng_Synthesize(utf8.constData(), size_t(utf8.size()) + 1, 0,
                                                         POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, &samples);
    if (status != ENS_OK) Log::Detail(QStringLiteral("TfrmMain.Speech ") + QString::fromStdString(StatusText(status)));
    return samples;
}

void TSpeech::Speech(const QString& strMsg)
{
    Log::Detail(QStringLiteral("TfrmMain.Speech strMsg=") + strMsg);
    Say(SpokenText(strMsg));
}

void TSpeech::SpeechTest(const QString& reading)
{
    Log::Detail(QStringLiteral("TfrmMain.SpeechTest"));
    Say(SpokenText(reading + FSettings.SpeakFoot));
}

void TSpeech::Say(const QString& text)
{
    if (!FEngine) return;
    FLastText = text;
    FLastSamples = Synthesize(text, FSettings.SpeakSpeed);
    Play();
}

void TSpeech::Play()
{
    FLastPlayed = false;
    // A new read-out replaces one still playing: the newest call is the one
    // ringing.
    StopPlayback();
    if (FLastSamples.empty()) return;

    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        Log::Detail(QStringLiteral("TfrmMain.Speech 音声出力デバイスがないため再生しません"));
        return;
    }
    QAudioFormat format;
    format.setSampleRate(gSampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) {
        Log::Detail(QStringLiteral("TfrmMain.Speech 音声出力デバイスが形式に対応していないため再生しません: ") +
                    device.description());
        return;
    }

    FBuffer = new QBuffer(this);
    FBuffer->setData(reinterpret_cast<const char*>(FLastSamples.data()),
                     qsizetype(FLastSamples.size() * sizeof(qint16)));
    FBuffer->open(QIODevice::ReadOnly);
    FSink = new QAudioSink(device, format, this);
    connect(FSink, &QAudioSink::stateChanged, this, [this](QAudio::State state) {
        // Idle: every sample has been played.
        if (state == QAudio::IdleState) StopPlayback();
    });
    FSink->start(FBuffer);
    if (FSink->error() != QAudio::NoError) {
        Log::Detail(QStringLiteral("TfrmMain.Speech 再生できません: ") + device.description());
        StopPlayback();
        return;
    }
    FLastPlayed = true;
}

void TSpeech::StopPlayback()
{
    if (FSink) {
        FSink->disconnect(this);
        FSink->stop();
        FSink->deleteLater();
        FSink = nullptr;
    }
    if (FBuffer) {
        FBuffer->deleteLater();
        FBuffer = nullptr;
    }
}
