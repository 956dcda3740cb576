// Ring sounds on real devices: a private PulseAudio with two null sinks
// ("Speaker" and "Ring"), started by this test binary for itself.
#include "fra_sip_audio_u.h"
#include "sip_fixture.h"

#include <QComboBox>
#include <QDir>
#include <QProcess>

namespace {
QProcess* gPulse = nullptr;
QString gDir;

QString Pactl(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("pactl"), args);
    p.waitForFinished(5000);
    return QString::fromUtf8(p.readAllStandardOutput());
}
} // namespace

class PulseTest : public TSipFixture
{
public:
    static void SetUpTestSuite()
    {
        gDir = TestEnv::Root() + QStringLiteral("/pulse");
        QDir().mkpath(gDir);
        const QString sock = gDir + QStringLiteral("/pulse.sock");
        // Set before anything in this process asks Qt for audio devices.
        qputenv("PULSE_SERVER", ("unix:" + sock).toUtf8());
        gPulse = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", gDir);
        env.insert("HOME", gDir);
        gPulse->setProcessEnvironment(env);
        gPulse->setStandardOutputFile(gDir + QStringLiteral("/pa.log"));
        gPulse->setStandardErrorFile(gDir + QStringLiteral("/pa.err"));
        gPulse->start(QStringLiteral("pulseaudio"),
                      {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=no",
                       "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + sock,
                       "-L", "module-null-sink sink_name=spk sink_properties=device.description=Speaker",
                       "-L", "module-null-sink sink_name=ring sink_properties=device.description=Ring",
                       "-L", "module-always-sink"});
        SipTest::WaitFor([] { return Pactl({"list", "short", "sinks"}).contains("ring"); }, 10000);
    }
    static void TearDownTestSuite()
    {
        if (gPulse) {
            gPulse->terminate();
            gPulse->waitForFinished(5000);
            delete gPulse;
            gPulse = nullptr;
        }
    }

protected:
    void SetUp() override
    {
        TSipFixture::SetUp();
        if (TRingSound::OutputDeviceNames().size() < 2) GTEST_SKIP() << "private PulseAudio did not start";
    }
    // Sink of our playing stream, or empty.
    static QString PlayingOn()
    {
        const QString inputs = Pactl({"list", "short", "sink-inputs"});
        const QString sinks = Pactl({"list", "short", "sinks"});
        for (const QString& line : inputs.split('\n', Qt::SkipEmptyParts)) {
            const QString sinkIndex = line.section('\t', 1, 1);
            for (const QString& s : sinks.split('\n', Qt::SkipEmptyParts))
                if (s.section('\t', 0, 0) == sinkIndex) return s.section('\t', 1, 1);
        }
        return QString();
    }
};

TEST_F(PulseTest, RingWavePlaysOnTheOtherDeviceThanTheSpeaker)
{
    const QStringList outputs = TRingSound::OutputDeviceNames();
    ASSERT_TRUE(outputs.contains("Speaker") && outputs.contains("Ring"));
    Settings->AudioOutName = "Speaker";
    TfraSipAudio panel(*Phone, *Settings);
    panel.InitAudioDevices();
    EXPECT_EQ(panel.findChild<QComboBox*>("cbxSpkDevice")->currentText(), "Speaker");
    EXPECT_EQ(outputs.at(Phone->Ring().gPcOutIndex), "Ring");

    TRingSound& ring = Phone->Ring();
    ASSERT_TRUE(ring.LoadRingWave(TestEnv::SourceDir() + "/resources/wav/incom.wav"));
    ring.PlayRingWave();
    EXPECT_TRUE(ring.RingWavePlaying());
    ASSERT_TRUE(SipTest::WaitFor([] { return PlayingOn() == "ring"; }, 5000));
    ring.PlayRingWave(); // again while playing: stopped, then started anew
    EXPECT_TRUE(ring.RingWavePlaying());
    ring.StopRingWave();
    EXPECT_FALSE(ring.RingWavePlaying());
    EXPECT_TRUE(SipTest::WaitFor([] { return PlayingOn().isEmpty(); }, 5000));
}

TEST_F(PulseTest, NamedPcOutputWinsAndUnknownNamesFallBackToTheFirst)
{
    struct Case { const char* PcOut; const char* Expected; };
    const Case cases[] = {{"Speaker", "Speaker"}, {"Gone device", nullptr}};
    const QStringList outputs = TRingSound::OutputDeviceNames();
    for (const auto& c : cases) {
        Settings->PcOutName = c.PcOut;
        Settings->AudioOutName = "Ring";
        TfraSipAudio panel(*Phone, *Settings);
        panel.InitAudioDevices();
        EXPECT_EQ(panel.findChild<QComboBox*>("cbxSpkDevice")->currentText(), "Ring");
        if (c.Expected) EXPECT_EQ(outputs.at(Phone->Ring().gPcOutIndex), c.Expected);
        else EXPECT_EQ(Phone->Ring().gPcOutIndex, 0);
    }
}
