// The ring WAV reader, the ring sounds without a sound server and the audio
// panel's devices, volumes, meters and pending-call list.
#include "fra_sip_audio_u.h"
#include "sip_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QProgressBar>
#include <QSlider>
#include <QtEndian>

namespace {
QByteArray Chunk(const char* id, const QByteArray& body, int claimedSize = -1)
{
    QByteArray c(id, 4);
    char size[4];
    qToLittleEndian<quint32>(claimedSize < 0 ? body.size() : claimedSize, size);
    c.append(size, 4);
    c += body;
    if (body.size() & 1) c += '\0';
    return c;
}

QByteArray Riff(const QByteArray& chunks, const char* form = "WAVE")
{
    QByteArray r("RIFF", 4);
    char size[4];
    qToLittleEndian<quint32>(chunks.size() + 4, size);
    r.append(size, 4);
    r.append(form, 4);
    return r + chunks;
}

QByteArray Fmt16()
{
    QByteArray f(16, '\0');
    qToLittleEndian<quint16>(1, f.data());         // PCM
    qToLittleEndian<quint16>(1, f.data() + 2);     // mono
    qToLittleEndian<quint32>(8000, f.data() + 4);
    qToLittleEndian<quint32>(16000, f.data() + 8);
    qToLittleEndian<quint16>(2, f.data() + 12);
    qToLittleEndian<quint16>(16, f.data() + 14);
    return f;
}
} // namespace

using RingWaveTest = TSipFixture;

TEST_F(RingWaveTest, ReadsChunksAndLogsEveryMalformedFile)
{
    struct Case { const char* Name; QByteArray Bytes; bool Ok; const char* LogLine; };
    const QByteArray samples(400, '\x10');
    const Case cases[] = {
        {"good", Riff(Chunk("fmt ", Fmt16()) + Chunk("data", samples)), true, nullptr},
        {"list-first", Riff(Chunk("LIST", "INFOabc") + Chunk("fmt ", Fmt16()) + Chunk("data", samples)), true, nullptr},
        {"not-riff", QByteArray("ID3\x03 not a wave at all"), false, "ERROR! \"not WAVE format\" mmres=265"},
        {"avi", Riff(Chunk("fmt ", Fmt16()), "AVI "), false, "ERROR! \"not WAVE format\" mmres=265"},
        {"no-fmt", Riff(Chunk("data", samples)), false, "ERROR! \"not fmt format\" mmres=265"},
        {"short-fmt", Riff(Chunk("fmt ", Fmt16().left(6), 16)), false, "ERROR! \"Reading fmt chunk\" "},
        {"no-data", Riff(Chunk("fmt ", Fmt16())), false, "ERROR \"not data format\" mmres=265"},
        {"short-data", Riff(Chunk("fmt ", Fmt16()) + Chunk("data", samples.left(10), 4000)), false,
         "ERROR! \"Reading data chunk\" "},
        {"empty", QByteArray(), false, "ERROR! \"not WAVE format\" mmres=265"},
    };
    TRingSound ring;
    for (const auto& c : cases) {
        const QString path = Root + QStringLiteral("/%1.wav").arg(QLatin1String(c.Name));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.Bytes);
        f.close();
        EXPECT_EQ(ring.LoadRingWave(path), c.Ok) << c.Name;
        EXPECT_EQ(ring.RingWaveLoaded(), c.Ok) << c.Name;
        if (c.Ok) {
            EXPECT_EQ(ring.FormatBlock(), Fmt16()) << c.Name;
            EXPECT_EQ(ring.SampleBlock(), samples) << c.Name;
        } else {
            EXPECT_TRUE(LogText().contains(QString::fromUtf8(c.LogLine))) << c.Name;
        }
    }
    const QString missing = Root + QStringLiteral("/none.wav");
    EXPECT_FALSE(ring.LoadRingWave(missing));
    EXPECT_TRUE(LogText().contains("ERROR \"not WAVEFile Open\" FileName=" + missing));
}

TEST_F(RingWaveTest, ShippedSoundsLoad)
{
    TRingSound ring;
    for (const char* name : {"incom.wav", "dial.wav"}) {
        EXPECT_TRUE(ring.LoadRingWave(TestEnv::SourceDir() + "/resources/wav/" + name)) << name;
        EXPECT_GT(ring.SampleBlock().size(), 1000) << name;
    }
}

TEST_F(RingWaveTest, WithoutASoundDeviceEverySoundStepIsLoggedAndSkipped)
{
    if (!TRingSound::OutputDeviceNames().isEmpty()) GTEST_SKIP() << "a sound server is running";
    TRingSound& ring = Phone->Ring();
    ASSERT_TRUE(ring.LoadRingWave(TestEnv::SourceDir() + "/resources/wav/incom.wav"));
    ring.PlayRingWave();
    EXPECT_FALSE(ring.RingWavePlaying());
    EXPECT_TRUE(LogText().contains("ERROR \"waveOutOpen\" mmres=2"));
    EXPECT_FALSE(ring.RingWaveLoaded()); // released, as after a failed open
    ring.PlayRingWave();                 // and a later call plays nothing, quietly
    ring.StopRingWave();
    ring.RingBackStart();
    EXPECT_TRUE(ring.RingBackOn());
    ring.SoundStop();
    EXPECT_FALSE(ring.RingBackOn());
}

using AudioPanelTest = TSipFixture;

TEST_F(AudioPanelTest, VolumesStartFromTheStoredValuesAndAreKeptInSteps)
{
    struct Case { qint64 Stored; int Position; int Volume; };
    const Case cases[] = {{0, 8, 200}, {250, 10, 250}, {120, 4, 100}, {999, 10, 250}};
    for (const auto& c : cases) {
        Settings->AudioOutVol = c.Stored;
        Settings->AudioInVol = c.Stored;
        TfraSipAudio panel(*Phone, *Settings);
        panel.InitAudioDevices();
        auto* spk = panel.findChild<QSlider*>("trbSpkVolume");
        auto* mic = panel.findChild<QSlider*>("trbMicVolume");
        ASSERT_TRUE(spk && mic);
        EXPECT_EQ(spk->value(), c.Position) << c.Stored;
        EXPECT_EQ(mic->value(), c.Position) << c.Stored;
        EXPECT_EQ(panel.SpeakerVolume(), c.Volume) << c.Stored;
        EXPECT_EQ(panel.MicrophoneVolume(), c.Volume) << c.Stored;
    }
    TfraSipAudio panel(*Phone, *Settings);
    panel.InitAudioDevices();
    panel.findChild<QSlider*>("trbSpkVolume")->setValue(3);
    panel.findChild<QSlider*>("trbMicVolume")->setValue(10);
    panel.WriteAudioSettings();
    EXPECT_EQ(Settings->ReadText("SIP", "AUDIO_OUT_VOL"), "75");
    EXPECT_EQ(Settings->ReadText("SIP", "AUDIO_IN_VOL"), "250");
    EXPECT_EQ(Settings->ReadText("SIP", "AUDIO_OUT_NAME"), panel.SpeakerName());
}

TEST_F(AudioPanelTest, ControlsMetersAndPendingList)
{
    TfraSipAudio panel(*Phone, *Settings);
    panel.InitAudioDevices();
    for (const char* name : {"cbxSpkDevice", "cbxMicDevice", "chkSpkMute", "chkMicMute", "pgbSpkLevel",
                             "pgbMicLevel", "lbxIncomTel"})
        EXPECT_TRUE(panel.findChild<QWidget*>(name)) << name;
    EXPECT_EQ(panel.findChild<QCheckBox*>("chkSpkMute")->text(), "ﾐｭｰﾄ");
    panel.findChild<QCheckBox*>("chkSpkMute")->setChecked(true); // no call: remembered, harmless
    // Meters start with the first show and read nothing without a call.
    Row = TSipFixture::AccountRow("127.0.0.1:5999", false);
    Phone->FirstShow();
    EXPECT_TRUE(panel.LevelTimer().isActive());
    EXPECT_EQ(panel.LevelTimer().interval(), 20);
    panel.LevelTimerTick();
    EXPECT_EQ(panel.findChild<QProgressBar*>("pgbSpkLevel")->value(), 0);
    // The pending calls show in lbxIncomTel; a click selects the call to answer.
    emit Phone->PendingCallsChanged({"0311112222", "0633334444"}, 0);
    auto* list = panel.findChild<QListWidget*>("lbxIncomTel");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentRow(), 0);
    list->setCurrentRow(1);
    EXPECT_EQ(Phone->PendingSelected(), -1); // no such pending call in the phone itself
}

// Started where no sound server answers: the device lists are empty.
class NoSoundServerTest : public TSipFixture
{
protected:
    static void SetUpTestSuite()
    {
        // Before Qt Multimedia first asks for devices.
        qputenv("PULSE_SERVER", "unix:/nonexistent/kuruten-test/pulse.sock");
    }
};

TEST_F(NoSoundServerTest, StoredDeviceNamesAreKept)
{
    if (!TRingSound::OutputDeviceNames().isEmpty()) GTEST_SKIP() << "devices were listed before this test could hide them";
    const struct { const char* Key; QString TSettings::*Field; const char* Name; } stored[] = {
        {"AUDIO_OUT_NAME", &TSettings::AudioOutName, "Speaker (USB headset)"},
        {"AUDIO_IN_NAME", &TSettings::AudioInName, "Microphone (USB headset)"},
        {"PC_OUT_NAME", &TSettings::PcOutName, "Built-in speakers"},
    };
    for (const auto& s : stored) {
        Settings->WriteText("SIP", s.Key, QString::fromUtf8(s.Name));
        (*Settings).*(s.Field) = QString::fromUtf8(s.Name);
    }
    TfraSipAudio panel(*Phone, *Settings);
    panel.InitAudioDevices();
    EXPECT_EQ(panel.findChild<QComboBox*>("cbxSpkDevice")->count(), 0);
    panel.WriteAudioSettings();
    for (const auto& s : stored) EXPECT_EQ(Settings->ReadText("SIP", s.Key), QString::fromUtf8(s.Name)) << s.Key;
}
