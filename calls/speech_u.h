#pragma once
// The caller-name read-out: espeak-ng with the Japanese voice synthesises
// the text into memory and a QAudioSink plays it, so a read-out returns at
// once. Without a sound device the text is still synthesised and the play
// step is skipped.
#include <QObject>
#include <QString>
#include <vector>

class QAudioSink;
class QBuffer;
class TSettings;

class TSpeech : public QObject
{
    Q_OBJECT
public:
    // Reads SPEAK/SPEED and SPEAK/FOOT from settings at every read-out; the
    // settings object outlives this one. voice is the espeak-ng voice name.
    explicit TSpeech(const TSettings& settings, QObject* parent = nullptr,
                     QString voice = QStringLiteral("ja"));
    ~TSpeech() override;

    // Creates the engine; on failure writes the failure to the log and the
    // read-out stays off. Returns whether the engine exists.
    bool CreateEngine();
    void ReleaseEngine();
    bool EngineExists() const { return FEngine; }

    // Reads strMsg aloud (spaces removed) at SPEAK/SPEED. The callers check
    // SPEAK/ENABLED; without an engine nothing is read.
    void Speech(const QString& strMsg);
    // The phone book's test read-out: reading + SPEAK/FOOT.
    void SpeechTest(const QString& reading);

    // What the pipeline reads for a call: the reading, then the ending.
    static QString Announcement(const QString& readName, const QString& foot) { return readName + foot; }
    // The text as spoken: every half-width and full-width space removed.
    static QString SpokenText(const QString& text);
    // SPEAK/SPEED as espeak-ng words per minute.
    static int WordsPerMinute(int speed);

    // Synthesises text (as given) at speed into 16-bit mono samples at
    // SampleRate(). Empty without an engine.
    std::vector<qint16> Synthesize(const QString& text, int speed);
    // The samples of the last read-out, kept for checking.
    const std::vector<qint16>& LastSamples() const { return FLastSamples; }
    QString LastText() const { return FLastText; }
    int SampleRate() const;
    // Whether the last read-out reached a sound device.
    bool LastPlayed() const { return FLastPlayed; }
    // Whether a read-out is still being played.
    bool Playing() const { return FSink != nullptr; }

private:
    void Say(const QString& text);
    void Play();
    void StopPlayback();

    const TSettings& FSettings;
    QString FVoice;
    bool FEngine = false;
    std::vector<qint16> FLastSamples;
    QString FLastText;
    bool FLastPlayed = false;
    QAudioSink* FSink = nullptr;
    QBuffer* FBuffer = nullptr;
};
