// The read-out's play step on a private PulseAudio with a null sink, the
// way a desktop session plays it.
#include "speech_u.h"

#include "calls_test_util.h"
#include "env_test_util.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {
class SpeechSound : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        const QString exe = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        if (exe.isEmpty()) return;
        const QString dir = TestEnv::Root() + QStringLiteral("/pulse");
        QDir().mkpath(dir);
        const QString socket = dir + QStringLiteral("/pulse.sock");
        QProcessEnvironment pe = QProcessEnvironment::systemEnvironment();
        pe.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
        pe.insert(QStringLiteral("HOME"), dir);
        gPulse = new QProcess;
        gPulse->setProcessEnvironment(pe);
        gPulse->setStandardOutputFile(dir + QStringLiteral("/pulse.log"));
        gPulse->setStandardErrorFile(dir + QStringLiteral("/pulse.log"), QIODevice::Append);
        gPulse->start(exe, {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=no",
                            "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + socket,
                            "-L", "module-null-sink sink_name=spk sink_properties=device.description=Speaker",
                            "-L", "module-always-sink"});
        if (!gPulse->waitForStarted(10000)) return;
        // Set before Qt Multimedia first asks for devices.
        qputenv("PULSE_SERVER", ("unix:" + socket).toUtf8());
        WaitFor([&] { return QFileInfo::exists(socket); }, 20000);
    }

    static void TearDownTestSuite()
    {
        if (!gPulse) return;
        gPulse->terminate();
        if (!gPulse->waitForFinished(10000)) gPulse->kill();
        delete gPulse;
        gPulse = nullptr;
    }

    static QProcess* gPulse;
};
QProcess* SpeechSound::gPulse = nullptr;
} // namespace

TEST_F(SpeechSound, ReadOutPlaysOnTheSoundDeviceAndReturnsAtOnce)
{
    if (!gPulse || gPulse->state() != QProcess::Running) GTEST_SKIP() << "pulseaudio not available";
    TCallsTestEnv env;
    TSpeech speech(env.Settings());
    ASSERT_TRUE(speech.CreateEngine());
    speech.Speech(QStringLiteral("やまだ　たろう、です"));
    EXPECT_TRUE(speech.LastPlayed());
    EXPECT_FALSE(env.LoggedStartingWith(QStringLiteral("TfrmMain.Speech 音声出力デバイス")));
    // A second read-out during the first replaces it.
    speech.SpeechTest(QStringLiteral("すずき"));
    EXPECT_TRUE(speech.LastPlayed());
    EXPECT_TRUE(speech.Playing());
    // The sound device takes every sample and the sink is let go.
    EXPECT_TRUE(WaitFor([&] { return !speech.Playing(); }, 30000));
    EXPECT_FALSE(env.LoggedStartingWith(QStringLiteral("TfrmMain.Speech 再生できません")));
}
