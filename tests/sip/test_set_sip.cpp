// The SIP settings dialog on a real database: defaults, validation, the
// save in one transaction, reconnecting with the new account.
#include "db_test_util.h"
#include "scenarios_test_util.h"
#include "set_sip_u.h"
#include "sipp_test_util.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

class SetSipTest : public TDbFixture
{
protected:
    void SetUp() override
    {
        TDbFixture::SetUp();
        UseCurrentEmbedded();
        Rec->Answer = mbOK;
        TVaxAgentOptions o;
        o.WorkFolder = Root + QStringLiteral("/sip");
        o.DnsServers = {QStringLiteral("127.0.0.1")};
        o.UseFiles = true;
        Phone = std::make_unique<TSoftPhone>(*Settings, o);
        Phone->BindToListenAddress = true;
        Phone->CreateVaxObjects(1);
        Phone->SetAccountSource(AccountSourceOf(Dm()));
        Phone->RegisterWaitMs = 3000;
        Dialog = std::make_unique<TfrmSetSIP>(Dm(), *Phone);
        Dialog->show();
    }
    void TearDown() override
    {
        Dialog.reset();
        Phone.reset();
        TDbFixture::TearDown();
    }
    void Fill(const QString& user, const QString& password, const QString& proxy)
    {
        Dialog->edtUserName->setText(user);
        Dialog->edtPassword->setText(password);
        Dialog->edtProxy->setText(proxy);
    }
    std::unique_ptr<TSoftPhone> Phone;
    std::unique_ptr<TfrmSetSIP> Dialog;
};

TEST_F(SetSipTest, OpensWithDefaultsWithoutAnAccount)
{
    EXPECT_EQ(Dialog->windowTitle(), "通信設定");
    EXPECT_TRUE(Dialog->edtUserName->text().isEmpty());
    EXPECT_TRUE(Dialog->cbxRegistProxy->isChecked());
    EXPECT_EQ(Dialog->CodecText(), "2,3");
    EXPECT_FALSE(Dialog->CheckEchoCancel->isChecked());
    EXPECT_TRUE(Dialog->cbxKeepAlive->isChecked());
    EXPECT_EQ(Dialog->cbxIncomOut->currentIndex(), 0);
    Dialog->CheckGSM610->setChecked(true);
    Dialog->CheckiLBC->setChecked(true);
    EXPECT_EQ(Dialog->CodecText(), "2,3,0,1");
}

TEST_F(SetSipTest, ValidatesInOrderAndStoresNothing)
{
    struct Case { const char* User; const char* Password; const char* Proxy; bool Codec; const char* Warning; };
    const Case cases[] = {{"", "", "", false, "ユーザIDを入力してください。"},
                          {"100", "", "", false, "パスワードを入力してください。"},
                          {"100", "pw", "", false, "プロキシを入力してください。"},
                          {"100", "pw", "pbx", false, "ボイスコーデック を選択してください。"}};
    for (const auto& c : cases) {
        Rec->Shown.clear();
        Fill(c.User, c.Password, c.Proxy);
        Dialog->CheckG711A->setChecked(c.Codec);
        Dialog->CheckG711U->setChecked(c.Codec);
        Dialog->btnOk->click();
        ASSERT_EQ(Rec->Shown.size(), 1u) << c.Warning;
        EXPECT_EQ(Rec->Shown[0].Kind, TMsgKind::Warning);
        EXPECT_EQ(Rec->Shown[0].Text, QString::fromUtf8(c.Warning));
    }
    EXPECT_EQ(Scalar("select count(*) from ACCOUNT"), "0");
}

TEST_F(SetSipTest, SavesRequiredFieldsOnlyAndConnectsWithThem)
{
    TSipp registrar(Scenario::Registrar("100", "secret"));
    ASSERT_TRUE(registrar.Start());
    Fill("100", "secret", registrar.Address());
    Dialog->cbxKeepAlive->setChecked(false);
    Dialog->cbxIncomMutePC->setChecked(true);
    Dialog->btnOk->click();
    EXPECT_TRUE(Rec->Saw("設定完了しました。"));
    EXPECT_EQ(Scalar("select count(*) from ACCOUNT"), "1");
    EXPECT_EQ(Scalar("select coalesce(LOGINID, '') || '|' || coalesce(DISPNM, '') || '|' || coalesce(DOMAINNM, '') "
                     "|| '|' || CODECS || '|' || REGIST_PROXY from ACCOUNT"),
              "|||2,3|1");
    EXPECT_EQ(Phone->gVaxSips[0].LoginId, "100");
    EXPECT_EQ(Phone->gVaxSips[0].DomainName, registrar.Address());
    EXPECT_TRUE(Phone->gVaxSips[0].Registered);
    EXPECT_EQ(Settings->ReadText("SIP", "KEEP_ALIVE"), "0");
    EXPECT_EQ(Settings->ReadText("SIP", "INCOM_MUTE_PC"), "1");
    EXPECT_EQ(Settings->ReadText("SIP", "PC_OUT_NAME"), "");
    EXPECT_EQ(Phone->Ring().gPcOutIndex, 0);
    EXPECT_TRUE(Dialog->btnOk->isEnabled());
    EXPECT_TRUE(registrar.Finish()) << registrar.Output().toStdString();
}

TEST_F(SetSipTest, SecondSaveReplacesTheRowAndAFailedConnectIsReported)
{
    Fill("100", "secret", "127.0.0.1:5999");
    Dialog->cbxRegistProxy->setChecked(false);
    Dialog->btnOk->click();
    EXPECT_TRUE(Rec->Saw("設定完了しました。"));
    // Now registering with a proxy nobody answers for.
    Rec->Shown.clear();
    Fill("101", "secret", QStringLiteral("127.0.0.1:%1").arg(SipTest::FreeUdpPort()));
    Dialog->cbxRegistProxy->setChecked(true);
    Dialog->btnOk->click();
    ASSERT_GE(Rec->Shown.size(), 2u);
    EXPECT_EQ(Rec->Shown[0].Text, "接続できませんでした。");
    EXPECT_EQ(Rec->Shown.back().Text, "設定しましたが接続できませんでした。");
    EXPECT_EQ(Scalar("select list(USERID) from ACCOUNT"), "101");
}

TEST_F(SetSipTest, DatabaseErrorKeepsTheOldAccountWhole)
{
    Fill("100", "secret", "127.0.0.1:5999");
    Dialog->cbxRegistProxy->setChecked(false);
    Dialog->btnOk->click();
    ASSERT_TRUE(Phone->gVaxObjects[0]->VaxIsLineOpen(0));
    Rec->Shown.clear();
    Fill(QString(61, QLatin1Char('x')), "other", "pbx.example");
    Dialog->btnOk->click();
    ASSERT_EQ(Rec->Shown.size(), 1u);
    EXPECT_EQ(Rec->Shown[0].Kind, TMsgKind::Error);
    EXPECT_EQ(Scalar("select USERID || '|' || PASSWD || '|' || SIPPLOXY from ACCOUNT"), "100|secret|127.0.0.1:5999");
    EXPECT_FALSE(Dm().IBTranIF.InTransaction());
    // The engine was taken down for the save and stays down until the next connect.
    EXPECT_FALSE(Phone->gVaxObjects[0]->VaxIsLineOpen(0));
    EXPECT_TRUE(Dialog->btnOk->isEnabled());
    EXPECT_TRUE(Dialog->btnClose->isEnabled());
}

TEST_F(SetSipTest, NatFieldsReachTheStackAndTheOutboundProxyStays)
{
    // An outbound proxy the dialog does not show.
    TAccount stored;
    stored.UserId = "100";
    stored.Password = "secret";
    stored.SipProxy = "pbx.office.example";
    stored.OutProxy = "127.0.0.1:5998";
    stored.RegistProxy = false;
    stored.Codecs = "2,3";
    Dm().ReplaceAccount(stored);
    Settings->WriteText("SIP", "STUN_SERVER", "stun.example.jp:3478");
    Settings->Initialize();
    Dialog->FormShow();
    EXPECT_EQ(Dialog->edtStunServer->text(), "stun.example.jp:3478");
    EXPECT_FALSE(Dialog->cbxIce->isChecked());

    Dialog->edtStunServer->setText(" 127.0.0.1:3478 ");
    Dialog->cbxIce->setChecked(true);
    Dialog->btnOk->click();
    EXPECT_TRUE(Rec->Saw("設定完了しました。"));
    EXPECT_EQ(Settings->ReadText("SIP", "STUN_SERVER"), "127.0.0.1:3478");
    EXPECT_EQ(Settings->ReadText("SIP", "ICE"), "1");
    EXPECT_EQ(Scalar("select OUTPLOXY from ACCOUNT"), "127.0.0.1:5998");
    EXPECT_EQ(Phone->gVaxObjects[0]->NatPolicyText(), "stun=1 server=127.0.0.1:3478 ice=1");

    // 初期化 empties them; an empty STUN server is no NAT policy at work.
    Dialog->btnInitClick();
    EXPECT_TRUE(Dialog->edtStunServer->text().isEmpty());
    EXPECT_FALSE(Dialog->cbxIce->isChecked());
    Fill("100", "secret", "127.0.0.1:5999");
    Dialog->cbxRegistProxy->setChecked(false);
    Dialog->btnOk->click();
    EXPECT_EQ(Settings->ReadText("SIP", "STUN_SERVER"), "");
    EXPECT_EQ(Settings->ReadText("SIP", "ICE"), "0");
    EXPECT_EQ(Phone->gVaxObjects[0]->NatPolicyText(), "stun=0 server= ice=0");
    EXPECT_EQ(Scalar("select OUTPLOXY from ACCOUNT"), "127.0.0.1:5998");
}

// Opened where no sound server answers: the ring output list is empty.
class SetSipNoSoundServerTest : public SetSipTest
{
protected:
    static void SetUpTestSuite() { qputenv("PULSE_SERVER", "unix:/nonexistent/kuruten-test/pulse.sock"); }
};

TEST_F(SetSipNoSoundServerTest, StoredRingOutputIsKept)
{
    if (Dialog->cbxIncomOut->count() > 1) GTEST_SKIP() << "devices were listed before this test could hide them";
    Settings->WriteText("SIP", "PC_OUT_NAME", "Built-in speakers");
    Settings->PcOutName = "Built-in speakers";
    Dialog->FormShow();
    Fill("100", "secret", "127.0.0.1:5999");
    Dialog->cbxRegistProxy->setChecked(false);
    Dialog->btnOk->click();
    EXPECT_TRUE(Rec->Saw("設定完了しました。"));
    EXPECT_EQ(Settings->ReadText("SIP", "PC_OUT_NAME"), "Built-in speakers");
    EXPECT_EQ(Settings->PcOutName, "Built-in speakers");
}
