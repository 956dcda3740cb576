// Calls against sipp on loopback: incoming (ring, pipeline, cancel, reject,
// answer), outgoing (ring-back, connect, failures), bursts and bad input.
#include "scenarios_test_util.h"
#include "sip_fixture.h"

#include <QRegularExpression>
#include <QUdpSocket>

using Scenario::TUacEnd;

class CallTest : public TSipFixture
{
protected:
    // Online without registration; outgoing calls go to proxy.
    void Online(const QString& proxy = QStringLiteral("127.0.0.1:5999"))
    {
        Row = AccountRow(proxy, false);
        ASSERT_TRUE(Connect());
    }
    QString EngineAddress() const { return QStringLiteral("127.0.0.1:%1").arg(EnginePort()); }
};

TEST_F(CallTest, IncomingCallRingsAndEntersPipelineThenCancelEndsRinging)
{
    struct Case { const char* Display; const char* User; const char* Number; };
    const Case cases[] = {{"0312345678", "caller", "0312345678"}, {"", "0399998888", "0399998888"}};
    Online();
    for (const auto& c : cases) {
        Submits.clear();
        TSipp uac(Scenario::Uac(TUacEnd::Cancel, c.Display, c.User), EngineAddress());
        ASSERT_TRUE(uac.Start());
        ASSERT_TRUE(SipTest::WaitFor([&] { return !Submits.empty(); }));
        EXPECT_EQ(Submits[0].TelNo, c.Number);
        EXPECT_TRUE(Submits[0].LogNo.isEmpty());
        EXPECT_TRUE(Submits[0].ReadName.isEmpty());
        EXPECT_EQ(Submits[0].PortNo, 1);
        EXPECT_EQ(Phone->PendingNumbers(), QStringList{c.Number});
        EXPECT_EQ(Phone->PendingSelected(), 0);
        EXPECT_FALSE(Phone->FIcomingCallId.isEmpty());
        EXPECT_EQ(Buttons, "受話/12/拒否");
        EXPECT_EQ(LastStatus(), "電話着信中");
        EXPECT_TRUE(Phone->Ring().RingBackOn());
        // The caller hangs up before anyone answers.
        ASSERT_TRUE(SipTest::WaitFor([&] { return Phone->PendingNumbers().isEmpty(); }));
        EXPECT_EQ(LastStatus(), "オンライン");
        EXPECT_FALSE(Phone->Ring().RingBackOn());
        EXPECT_TRUE(Phone->FIcomingCallId.isEmpty());
        EXPECT_EQ(Buttons, "発信/11/切断");
        EXPECT_TRUE(uac.Finish()) << uac.Output().toStdString();
        EXPECT_EQ(Submits.size(), 1u);
    }
    EXPECT_TRUE(LogText().contains("着信呼出停止： 電話番号"));
}

TEST_F(CallTest, RejectSendsBusyAndEmptiesThePendingList)
{
    Online();
    TSipp uac(Scenario::Uac(TUacEnd::ExpectReject, "0312345678", "caller"), EngineAddress());
    ASSERT_TRUE(uac.Start());
    ASSERT_TRUE(SipTest::WaitFor([&] { return !Submits.empty(); }));
    Phone->btnHangUpClick();
    EXPECT_TRUE(Phone->PendingNumbers().isEmpty());
    EXPECT_EQ(LastStatus(), "オンライン");
    EXPECT_EQ(Buttons, "発信/11/切断");
    EXPECT_TRUE(uac.Finish()) << uac.Output().toStdString();
    EXPECT_TRUE(uac.Trace().contains("SIP/2.0 486"));
    const QString log = LogText();
    EXPECT_TRUE(log.contains("RejectCall 成功"));
    EXPECT_TRUE(log.contains("TfrmMain.btnHangUpClick end"));
    EXPECT_TRUE(Msgs->Shown.empty());
}

TEST_F(CallTest, AnswerConnectsAndRemoteByeReturnsOnline)
{
    Online();
    // Level meters read all through the call and after its end.
    QTimer meters;
    int highest = 0;
    QObject::connect(&meters, &QTimer::timeout, [&] {
        highest = std::max({highest, Phone->SpkSoundLevel(), Phone->MicSoundLevel()});
    });
    meters.start(1);
    TSipp uac(Scenario::Uac(TUacEnd::ExpectAnswerThenBye, "0312345678", "caller"), EngineAddress());
    ASSERT_TRUE(uac.Start());
    ASSERT_TRUE(SipTest::WaitFor([&] { return !Submits.empty(); }));
    Phone->btnCallClick(QString()); // pending call: answers
    EXPECT_EQ(LastStatus(), "通話中");
    EXPECT_TRUE(Phone->PendingNumbers().isEmpty());
    EXPECT_EQ(Buttons, "発信/11/切断");
    ASSERT_TRUE(SipTest::WaitFor([&] { return LogText().contains("Line-1: Success to connect."); }));
    ASSERT_TRUE(SipTest::WaitFor([&] { return LogText().contains("Line-1: Hung up."); }));
    EXPECT_EQ(LastStatus(), "オンライン");
    SipTest::WaitFor([] { return false; }, 200);
    EXPECT_TRUE(uac.Finish()) << uac.Output().toStdString();
    EXPECT_TRUE(uac.Trace().contains("SIP/2.0 200 Ok"));
    EXPECT_LE(highest, 100);
    EXPECT_FALSE(Phone->gVaxObjects[0]->VaxIsLineBusy(0));
}

TEST_F(CallTest, CallerCancellingWhileAnswerIsPressedLeavesACleanState)
{
    Online();
    QObject::connect(Phone.get(), &TSoftPhone::IncomingCallSubmitted, Phone.get(),
                     [this] { QTimer::singleShot(0, Phone.get(), [this] { Phone->SipAnswer(); }); });
    QString xml = Scenario::Uac(TUacEnd::Cancel, "0312345678", "caller");
    xml.replace("<pause milliseconds=\"300\"/>", "");
    TSipp uac(xml, EngineAddress());
    ASSERT_TRUE(uac.Start());
    ASSERT_TRUE(SipTest::WaitFor([&] { return !Submits.empty(); }));
    uac.Finish(); // either ending is fine for the caller's side
    // Answered before the CANCEL got in: the user hangs up as usual.
    if (Phone->gVaxObjects[0]->VaxIsLineBusy(0)) Phone->btnHangUpClick();
    ASSERT_TRUE(SipTest::WaitFor([&] { return !Phone->gVaxObjects[0]->VaxIsLineBusy(0); }));
    EXPECT_TRUE(Phone->PendingNumbers().isEmpty());
    // A stale answer names a call that no longer exists.
    EXPECT_FALSE(Phone->gVaxObjects[0]->VaxAcceptCall(0, "gone@127.0.0.1", -1, -1));
    EXPECT_EQ(Phone->gVaxObjects[0]->VaxGetVaxObjectError(), 32);
}

TEST_F(CallTest, DialRingsBackConnectsAndRecordsTheCallAfterThePause)
{
    TSipp uas(Scenario::UasAnswer());
    ASSERT_TRUE(uas.Start());
    Row = AccountRow(uas.Address(), false);
    Row["COUNTRY_CD"] = "81";
    ASSERT_TRUE(Connect());
    Phone->btnCallClick("09011112222");
    EXPECT_EQ(Outgoing, QStringList{"09011112222/1"});
    EXPECT_TRUE(Status.contains("ダイアル中..."));
    ASSERT_TRUE(SipTest::WaitFor([&] { return LastStatus() == "通話中"; }));
    const QString log = LogText();
    EXPECT_TRUE(log.contains("TelNo=09011112222"));
    EXPECT_TRUE(log.contains("ProvisionalResponse LineNo=1 応答: Ringing StatusCode:180"));
    EXPECT_FALSE(Phone->Ring().RingBackOn()); // stopped by the connect
    Phone->btnHangUpClick();
    EXPECT_TRUE(LogText().contains("Disconnect 成功"));
    EXPECT_EQ(LastStatus(), "オンライン");
    EXPECT_TRUE(uas.Finish()) << uas.Output().toStdString();
    EXPECT_TRUE(uas.Trace().contains("INVITE sip:819011112222@"));
}

TEST_F(CallTest, FailureResponsesShowTheirStatus)
{
    struct Case { int Code; const char* Phrase; const char* Panel1; const char* Panel0; };
    const Case cases[] = {{486, "Busy Here", "     相手話中", "相手話中です。"},
                          {404, "Not Found", "     エラー", ""},
                          {503, "Service Unavailable", "     サーバエラー", ""}};
    for (const auto& c : cases) {
        TSipp uas(Scenario::UasRefuse(c.Code, c.Phrase));
        ASSERT_TRUE(uas.Start());
        Status.clear();
        Status0.clear();
        Row = AccountRow(uas.Address(), false);
        ASSERT_TRUE(Connect());
        Phone->DialPauseSteps = 1;
        Phone->SipDial("0312345678");
        ASSERT_TRUE(SipTest::WaitFor([&] { return LastStatus() == c.Panel1; })) << c.Code;
        EXPECT_EQ(Status0.join(""), QString::fromUtf8(c.Panel0));
        EXPECT_TRUE(uas.Finish()) << uas.Output().toStdString();
    }
    EXPECT_TRUE(LogText().contains("要求障害応答: Busy Here StatusCode:486"));
    EXPECT_TRUE(LogText().contains("サーバ障害応答: Service Unavailable StatusCode:503"));
}

TEST_F(CallTest, EmptyNumberAsksForOne)
{
    Online();
    int focus = 0;
    QObject::connect(Phone.get(), &TSoftPhone::NumberBoxFocusRequested, [&] { ++focus; });
    Phone->btnCallClick(QString());
    EXPECT_TRUE(Msgs->Saw("電話番号を入力してください。"));
    EXPECT_EQ(focus, 1);
    EXPECT_TRUE(Outgoing.isEmpty());
}

TEST_F(CallTest, MalformedMessagesAndABurstOfInvitesEachReachThePipelineOnce)
{
    Online();
    QUdpSocket junk;
    const QByteArray bad[] = {
        "INVITE sip:100@127.0.0.1 SIP/2.0\r\n\r\n",
        "INVITE sip:100@127.0.0.1 SIP/2.0\r\nVia: SIP/2.0/UDP 127.0.0.1:9;branch=z9hG4bKx\r\n"
        "Content-Length: 99999\r\n\r\nv=0",
        QByteArray(3000, '\xff'),
        "SIP/2.0 200 OK\r\nCSeq: x\r\n\r\n",
        "REGISTER \x01\x02 SIP/9.9\r\nFrom: <>\r\nTo: <\r\nCall-ID:\r\n\r\n",
    };
    for (const QByteArray& b : bad) junk.writeDatagram(b, QHostAddress::LocalHost, EnginePort());
    SipTest::WaitFor([] { return false; }, 300);

    // 50 callers at once; each rings for a second and gives up.
    const QString xml = QStringLiteral(R"(<?xml version="1.0" encoding="ISO-8859-1" ?>
<scenario name="burst">
%1<recv response="100" optional="true"/>
<recv response="180" optional="true" next="ringing"/>
<recv response="486" optional="true" next="refused"/>
<recv response="603" optional="true" next="refused"/>
<recv response="503" next="refused"/>
<label id="ringing"/>
<pause milliseconds="1000"/>
<send><![CDATA[
CANCEL sip:100@[remote_ip]:[remote_port] SIP/2.0
Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=z9hG4bK[pid]x[call_number]inv
From: <sip:caller[call_number]@[local_ip]:[local_port]>;tag=[pid]SIPpTag00[call_number]
To: <sip:100@[remote_ip]:[remote_port]>
Call-ID: [call_id]
CSeq: 1 CANCEL
Max-Forwards: 70
Content-Length: 0

]]></send>
<recv response="200"/>
<recv response="487"/>
<label id="refused"/>
<send><![CDATA[
ACK sip:100@[remote_ip]:[remote_port] SIP/2.0
Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=z9hG4bK[pid]x[call_number]inv
[last_From:]
[last_To:]
Call-ID: [call_id]
CSeq: 1 ACK
Max-Forwards: 70
Content-Length: 0

]]></send>
</scenario>
)").arg(QString(R"(<send retrans="500"><![CDATA[
INVITE sip:100@[remote_ip]:[remote_port] SIP/2.0
Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=z9hG4bK[pid]x[call_number]inv
From: <sip:caller[call_number]@[local_ip]:[local_port]>;tag=[pid]SIPpTag00[call_number]
To: <sip:100@[remote_ip]:[remote_port]>
Call-ID: [call_id]
CSeq: 1 INVITE
Contact: sip:caller[call_number]@[local_ip]:[local_port]
Max-Forwards: 70
Content-Type: application/sdp
Content-Length: [len]

v=0
o=user1 53655765 2353687637 IN IP[local_ip_type] [local_ip]
s=-
c=IN IP[media_ip_type] [media_ip]
t=0 0
m=audio [media_port] RTP/AVP 8
a=rtpmap:8 PCMA/8000
]]></send>
)"));
    TSipp burst(xml, EngineAddress(), 50, {"-r", "50", "-l", "50"});
    ASSERT_TRUE(burst.Start());
    EXPECT_TRUE(burst.Finish(60000)) << burst.Output().toStdString();
    ASSERT_TRUE(SipTest::WaitFor([&] { return !Phone->gVaxObjects[0]->CallInProgress(); }));
    SipTest::WaitFor([] { return false; }, 200);
    const int rang = burst.Trace().count("SIP/2.0 180 Ringing");
    EXPECT_GT(rang, 0);
    ASSERT_EQ(static_cast<int>(Submits.size()), rang);
    QStringList numbers;
    for (const auto& s : Submits) numbers << s.TelNo;
    numbers.removeDuplicates();
    EXPECT_EQ(static_cast<int>(numbers.size()), rang);
    EXPECT_TRUE(Phone->PendingNumbers().isEmpty());
    EXPECT_EQ(LastStatus(), "オンライン");
}
