// Account record rules, codec list, error texts and the account loading.
#include "sip_fixture.h"
#include "vaxvoip_u.h"

#include <QUdpSocket>

TEST(CodecListedTest, MatchesWholeNumbersOnly)
{
    struct Case { int Number; const char* List; bool Expected; };
    const Case cases[] = {{2, "2,3", true}, {3, "2,3", true}, {1, "12", false}, {2, "12", false},
                          {0, "2,3,0,1", true}, {4, "", false}, {0, "", false}, {1, "1", true}};
    for (const auto& c : cases)
        EXPECT_EQ(CodecListed(c.Number, QString::fromLatin1(c.List)), c.Expected) << c.Number << " in " << c.List;
}

TEST(VaxSipTest, EmptyFieldsTakeUserIdAndProxy)
{
    const TAccountRow row = {{"USERID", "201"}, {"PASSWD", "pw"}, {"SIPPLOXY", "pbx.local"},
                             {"REGIST_PROXY", "1"}, {"CHNUM", "1"}, {"CODECS", "2,3"}, {"AGC_FLG", "1"},
                             {"ECHO_CANCEL_FLG", "0"}, {"COUNTRY_CD", "81"}};
    const TVaxSIP s = VaxSipFromRow(row, 1);
    EXPECT_EQ(s.DispName, "201");
    EXPECT_EQ(s.LoginId, "201");
    EXPECT_EQ(s.DomainName, "pbx.local");
    EXPECT_TRUE(s.RegistProxy);
    EXPECT_TRUE(s.Agc);
    EXPECT_FALSE(s.EchoCancel);
    EXPECT_TRUE(s.Enabled);
    EXPECT_FALSE(s.Registered);
    EXPECT_EQ(s.InDeviceId, -1);
    EXPECT_EQ(s.CountryCd, "81");
    EXPECT_EQ((std::array<bool, 5>{false, false, true, true, false}), s.Codecs);
}

TEST(VaxSipTest, LineCountFromChnum)
{
    EXPECT_EQ(LineCountOfRow({{"CHNUM", "3"}}), 3);
    EXPECT_EQ(LineCountOfRow({{"CHNUM", "-2"}}), 1);
    EXPECT_EQ(LineCountOfRow({{"CHNUM", ""}}), 0);
}

TEST(VaxSipTest, ErrorTexts)
{
    EXPECT_EQ(VaxErrorText(11), "Cann't open local communication port.");
    EXPECT_EQ(VaxErrorText(32), "Invalid Call-Id.");
    EXPECT_EQ(VaxErrorText(12), "");
    EXPECT_EQ(VaxErrorText(0), "");
}

using LoadAccountTest = TSipFixture;

TEST_F(LoadAccountTest, EmptyTableResetsEntryAndFirstShowAsks)
{
    int asked = 0;
    QObject::connect(Phone.get(), &TSoftPhone::SipSettingsRequested, [&] { ++asked; });
    Msgs->Answer = mbYes;
    Phone->FirstShow();
    const TVaxSIP& s = Phone->gVaxSips[0];
    EXPECT_TRUE(s.UserId.isEmpty());
    EXPECT_TRUE(s.RegistProxy);
    EXPECT_TRUE(s.EchoCancel);
    EXPECT_EQ((std::array<bool, 5>{true, true, true, true, true}), s.Codecs);
    EXPECT_EQ(s.LineCount, 0);
    ASSERT_EQ(Msgs->Shown.size(), 1u);
    EXPECT_EQ(Msgs->Shown[0].Kind, TMsgKind::Error);
    EXPECT_EQ(Msgs->Shown[0].Buttons, mbYes | mbNo);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(Phone->WatchTimer().isActive());
    EXPECT_TRUE(LogText().contains("LoadSIPAccount SQL=select * from ACCOUNT"));
}

TEST_F(LoadAccountTest, ThreeLinesOpenOnConsecutiveRtpPortsSkippingTakenOnes)
{
    // 7000 held by someone else: lines go to 7002, 7004, 7006.
    QUdpSocket holder;
    holder.bind(QHostAddress::LocalHost, 7000);
    Row = AccountRow(QStringLiteral("127.0.0.1:5999"), false);
    Row["CHNUM"] = "3";
    ASSERT_TRUE(Connect()) << Msgs->Shown.size();
    auto* obj = Phone->gVaxObjects[0];
    EXPECT_EQ(Phone->gVaxSips[0].LineCount, 3);
    EXPECT_EQ(obj->LineRtpPort(0), 7002);
    EXPECT_EQ(obj->LineRtpPort(1), 7004);
    EXPECT_EQ(obj->LineRtpPort(2), 7006);
    // Not registering: the options are never applied.
    EXPECT_FALSE(Phone->gVaxSips[0].Registered);
    EXPECT_TRUE(Status.isEmpty());
}
