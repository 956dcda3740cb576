// Bringing the engine online against sipp on loopback: registration with a
// digest challenge, refused and unreachable registrars, a taken SIP port.
#include "scenarios_test_util.h"
#include "sip_fixture.h"

#include <QRegularExpression>
#include <QUdpSocket>

using EngineTest = TSipFixture;

TEST_F(EngineTest, RegistersThroughDigestChallengeAndAppliesOptions)
{
    TSipp registrar(Scenario::Registrar("100", "secret"));
    ASSERT_TRUE(registrar.Start());
    Row = AccountRow(registrar.Address());
    Row["CODECS"] = "2,3,1";
    Row["ECHO_CANCEL_FLG"] = "1";
    ASSERT_TRUE(Connect()) << Msgs->Shown.size();
    EXPECT_TRUE(Phone->gVaxSips[0].Registered);
    EXPECT_TRUE(Phone->gVaxSips[0].RegisteredAt.isValid());
    EXPECT_EQ(LastStatus(), "オンライン");
    auto* obj = Phone->gVaxObjects[0];
    EXPECT_EQ(obj->EnabledCodecNames(), QStringList({"PCMU", "PCMA"}));
    EXPECT_TRUE(obj->KeepAliveEnabled());
    EXPECT_TRUE(obj->EchoCancellationEnabled());
    const QString log = LogText();
    EXPECT_TRUE(log.contains("TagNo-0 Registered successfully."));
    EXPECT_TRUE(log.contains("SIP プロキシに認証済み"));
    EXPECT_TRUE(log.contains("iLBC")); // chosen but not in this stack: said so
    EXPECT_TRUE(Msgs->Shown.empty());
    EXPECT_TRUE(registrar.Finish()) << registrar.Output().toStdString();
    EXPECT_TRUE(registrar.Trace().contains(QRegularExpression("Authorization: +Digest realm=")));
}

TEST_F(EngineTest, WrongPasswordFailsOnceWithoutRetrying)
{
    TSipp registrar(Scenario::Registrar("100", "not-the-password"));
    ASSERT_TRUE(registrar.Start());
    Row = AccountRow(registrar.Address());
    EXPECT_FALSE(Connect());
    // Said in words an office understands: the user ID or password was refused.
    EXPECT_TRUE(Msgs->Saw("SIPサーバーがユーザIDまたはパスワードを受け付けませんでした（403）。\r\n"
                          "接続できませんでした。"));
    EXPECT_FALSE(Phone->gVaxSips[0].Registered);
    EXPECT_TRUE(registrar.Finish()) << registrar.Output().toStdString();
    EXPECT_TRUE(LogText().contains("登録を拒否されました（ユーザIDまたはパスワード） StatusCode:403"));
    // Give a retry the chance to show itself: none comes.
    SipTest::WaitFor([] { return false; }, 1500);
    EXPECT_EQ(registrar.Trace().count("REGISTER sip:"), 2);
    EXPECT_EQ(LogText().count("FailedEx: "), 1);
}

TEST_F(EngineTest, UnreachableProxyEndsTheWaitWithoutBusyRetries)
{
    Phone->RegisterWaitMs = 2500;
    Row = AccountRow(QStringLiteral("127.0.0.1:%1").arg(SipTest::FreeUdpPort()));
    EXPECT_FALSE(Connect());
    EXPECT_TRUE(Msgs->Saw("接続できませんでした。"));
    SipTest::WaitFor([] { return false; }, 1000);
    // At most the immediate retry; the next one waits 30 s.
    EXPECT_LE(LogText().count("FailedEx: "), 2);
}

TEST_F(EngineTest, TakenSipPortMovesToTheNextOne)
{
    QUdpSocket holder;
    holder.bind(QHostAddress::LocalHost, 5060); // fails if someone holds it already: taken either way
    QUdpSocket probe;
    const bool nextFree = probe.bind(QHostAddress::LocalHost, 5061);
    probe.close();
    Row = AccountRow(QStringLiteral("127.0.0.1:5999"), false);
    ASSERT_TRUE(Connect());
    EXPECT_NE(EnginePort(), 5060);
    if (nextFree) {
        EXPECT_EQ(EnginePort(), 5061);
        EXPECT_TRUE(LogText().contains("InitVaxObject ListenPort=5061 Index=0"));
    }
    // Connecting again starts from scratch on a free port as well.
    ASSERT_TRUE(Phone->ConnectVax(0));
    EXPECT_NE(EnginePort(), 5060);
}
