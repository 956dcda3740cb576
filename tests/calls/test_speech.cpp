// The read-out on real espeak-ng synthesis. No sound server is reachable
// here, so the play step is skipped and the samples are checked instead.
#include "speech_u.h"

#include "calls_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
// Keep libpulse from looking for (or spawning) a sound server.
const bool kNoSoundServer = qputenv("PULSE_SERVER", "unix:/nonexistent/kuruten-test-pulse");

double Rms(const std::vector<qint16>& samples)
{
    double sum = 0;
    for (qint16 s : samples) sum += double(s) * s;
    return samples.empty() ? 0 : std::sqrt(sum / double(samples.size()));
}

int Peak(const std::vector<qint16>& samples)
{
    int peak = 0;
    for (qint16 s : samples) peak = std::max(peak, std::abs(int(s)));
    return peak;
}
} // namespace

TEST(Speech, ComposesTheSpokenText)
{
    struct TCase
    {
        QString Reading, Foot, Spoken;
    };
    const TCase cases[] = {
        {QStringLiteral("やまだ　たろう"), QStringLiteral("、です"), QStringLiteral("やまだたろう、です")},
        {QStringLiteral("やまだ たろう"), QStringLiteral("、 で　す"), QStringLiteral("やまだたろう、です")},
        {QStringLiteral("はっしんしゃふめい"), QStringLiteral("、です"), QStringLiteral("はっしんしゃふめい、です")},
        {QString(), QStringLiteral("、です"), QStringLiteral("、です")},
        {QStringLiteral("ﾔﾏﾀﾞ ﾀﾛｳ"), QString(), QStringLiteral("ﾔﾏﾀﾞﾀﾛｳ")},
        {QStringLiteral(" 　 "), QStringLiteral("　"), QString()},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TSpeech::SpokenText(TSpeech::Announcement(c.Reading, c.Foot)), c.Spoken) << c.Spoken.toStdString();
}

TEST(Speech, SpeedIsAPercentageOfTheNormalRate)
{
    const std::pair<int, int> cases[] = {{100, 175}, {140, 245}, {50, 87}, {200, 350}, {300, 450}, {0, 80}, {-10, 80}};
    for (auto [speed, wpm] : cases) EXPECT_EQ(TSpeech::WordsPerMinute(speed), wpm) << speed;
}

TEST(Speech, ReadsTheCallerNameAloudAndTheSamplesAreNotSilent)
{
    ASSERT_TRUE(kNoSoundServer);
    TCallsTestEnv env;
    TSpeech speech(env.Settings());
    ASSERT_TRUE(speech.CreateEngine());
    ASSERT_TRUE(speech.EngineExists());
    EXPECT_GT(speech.SampleRate(), 8000);

    speech.Speech(TSpeech::Announcement(QStringLiteral("やまだ　たろう"), env.Settings().SpeakFoot));
    EXPECT_TRUE(env.Logged(QStringLiteral("TfrmMain.Speech strMsg=やまだ　たろう、です")));
    EXPECT_EQ(speech.LastText(), QStringLiteral("やまだたろう、です"));
    const std::vector<qint16>& samples = speech.LastSamples();
    // At least a quarter of a second of sound, well above silence.
    EXPECT_GT(samples.size(), size_t(speech.SampleRate() / 4));
    EXPECT_GT(Peak(samples), 3000);
    EXPECT_GT(Rms(samples), 300.0);
    // No sound device: synthesised, the play step written and skipped.
    EXPECT_FALSE(speech.LastPlayed());
    EXPECT_TRUE(env.LoggedStartingWith(QStringLiteral("TfrmMain.Speech 音声出力デバイスがない")));

    // Katakana, half-width katakana and the unknown caller's reading speak too.
    for (const QString& text : {QStringLiteral("ヤマダタロウ"), QStringLiteral("ﾔﾏﾀﾞﾀﾛｳ"),
                                env.Settings().UnknownKana + env.Settings().SpeakFoot}) {
        speech.Speech(text);
        EXPECT_GT(Rms(speech.LastSamples()), 300.0) << text.toStdString();
    }
}

TEST(Speech, SpeedSetting)
{
    TCallsTestEnv env;
    TSpeech speech(env.Settings());
    ASSERT_TRUE(speech.CreateEngine());
    const QString text = QStringLiteral("やまだたろう、です");
    env.Settings().SpeakSpeed = 50;
    speech.Speech(text);
    const size_t slow = speech.LastSamples().size();
    env.Settings().SpeakSpeed = 300;
    speech.Speech(text);
    const size_t fast = speech.LastSamples().size();
    EXPECT_GT(slow, fast * 2);
    EXPECT_GT(Rms(speech.LastSamples()), 300.0);
}

TEST(Speech, TestReadOutAddsTheEnding)
{
    TCallsTestEnv env;
    env.Settings().SpeakFoot = QStringLiteral("さま、 からです");
    TSpeech speech(env.Settings());
    ASSERT_TRUE(speech.CreateEngine());
    speech.SpeechTest(QStringLiteral("すずき　はなこ"));
    EXPECT_TRUE(env.Logged(QStringLiteral("TfrmMain.SpeechTest")));
    EXPECT_EQ(speech.LastText(), QStringLiteral("すずきはなこさま、からです"));
    EXPECT_GT(Rms(speech.LastSamples()), 300.0);
}

TEST(Speech, WithoutAnEngineNothingIsRead)
{
    TCallsTestEnv env;
    TSpeech speech(env.Settings());
    EXPECT_FALSE(speech.EngineExists());
    speech.Speech(QStringLiteral("やまだ、です"));
    speech.SpeechTest(QStringLiteral("やまだ"));
    EXPECT_TRUE(speech.LastSamples().empty());
    EXPECT_TRUE(speech.Synthesize(QStringLiteral("やまだ"), 140).empty());
    // The log lines are written all the same.
    EXPECT_TRUE(env.Logged(QStringLiteral("TfrmMain.Speech strMsg=やまだ、です")));
    EXPECT_TRUE(env.Logged(QStringLiteral("TfrmMain.SpeechTest")));
}

TEST(Speech, FailedCreationIsWrittenAndLeavesNoEngine)
{
    TCallsTestEnv env(false);
    TSpeech broken(env.Settings(), nullptr, QStringLiteral("no-such-voice"));
    EXPECT_FALSE(broken.CreateEngine());
    EXPECT_FALSE(broken.EngineExists());
    EXPECT_EQ(env.LogLines(), QStringList{QStringLiteral("音声合成エンジンの作成に失敗しました。")});

    // A later engine (the settings dialog switching speech on) still works.
    TSpeech speech(env.Settings());
    ASSERT_TRUE(speech.CreateEngine());
    speech.Speech(QStringLiteral("やまだ"));
    EXPECT_GT(Rms(speech.LastSamples()), 300.0);
}

TEST(Speech, ReleasedEngineCanBeCreatedAgain)
{
    TCallsTestEnv env;
    TSpeech speech(env.Settings());
    ASSERT_TRUE(speech.CreateEngine());
    speech.Speech(QStringLiteral("やまだ"));
    speech.ReleaseEngine();
    EXPECT_FALSE(speech.EngineExists());
    speech.Speech(QStringLiteral("たなか"));
    EXPECT_EQ(speech.LastText(), QStringLiteral("やまだ")); // nothing read without the engine
    ASSERT_TRUE(speech.CreateEngine());
    speech.Speech(QStringLiteral("すずき"));
    EXPECT_EQ(speech.LastText(), QStringLiteral("すずき"));
    EXPECT_GT(Rms(speech.LastSamples()), 300.0);
}
