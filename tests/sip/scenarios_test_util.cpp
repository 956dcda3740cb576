#include "scenarios_test_util.h"

namespace Scenario {

namespace {
const char* kResponseHead = R"(
[last_Via:]
[last_From:]
[last_To:];tag=[pid]SIPpTag01[call_number]
[last_Call-ID:]
[last_CSeq:]
Contact: <sip:[local_ip]:[local_port];transport=[transport]>
)";

QString Response(const QString& status, const QString& extra = QString(), bool sdp = false)
{
    QString body;
    QString text = QStringLiteral("SIP/2.0 ") + status + QLatin1String(kResponseHead) + extra;
    if (sdp) {
        body = QStringLiteral("v=0\no=user1 53655765 2353687637 IN IP[local_ip_type] [local_ip]\ns=-\n"
                              "c=IN IP[media_ip_type] [media_ip]\nt=0 0\nm=audio [media_port] RTP/AVP 8 0\n"
                              "a=rtpmap:8 PCMA/8000\na=rtpmap:0 PCMU/8000\n");
        text += QStringLiteral("Content-Type: application/sdp\nContent-Length: [len]\n\n") + body;
    } else {
        text += QStringLiteral("Content-Length: 0\n\n");
    }
    return QStringLiteral("<send><![CDATA[\n%1]]></send>\n").arg(text);
}

const char* kInvite = R"(<send retrans="500"><![CDATA[
INVITE sip:100@[remote_ip]:[remote_port] SIP/2.0
Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=z9hG4bK[pid]x[call_number]inv
From: %1<sip:%2@[local_ip]:[local_port]>;tag=[pid]SIPpTag00[call_number]
To: <sip:100@[remote_ip]:[remote_port]>
Call-ID: [call_id]
CSeq: 1 INVITE
Contact: sip:%2@[local_ip]:[local_port]
Max-Forwards: 70
Content-Type: application/sdp
Content-Length: [len]

v=0
o=user1 53655765 2353687637 IN IP[local_ip_type] [local_ip]
s=-
c=IN IP[media_ip_type] [media_ip]
t=0 0
m=audio [media_port] RTP/AVP 8 0
a=rtpmap:8 PCMA/8000
a=rtpmap:0 PCMU/8000
]]></send>
)";

// branch empty: a new transaction; else the INVITE's (ACK of a failure).
QString Request(const QString& method, int cseq, bool inviteBranch = false)
{
    const QString branch = inviteBranch ? QStringLiteral("z9hG4bK[pid]x[call_number]inv") : QStringLiteral("[branch]");
    return QStringLiteral(R"(<send><![CDATA[
%1 sip:100@[remote_ip]:[remote_port] SIP/2.0
Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=%3
[last_From:]
[last_To:]
Call-ID: [call_id]
CSeq: %2 %1
Contact: sip:sipp@[local_ip]:[local_port]
Max-Forwards: 70
Content-Length: 0

]]></send>
)").arg(method).arg(cseq).arg(branch);
}
} // namespace

QString Registrar(const QString& user, const QString& password)
{
    return QStringLiteral(R"(<?xml version="1.0" encoding="ISO-8859-1" ?>
<scenario name="registrar">
<recv request="REGISTER"/>
%1
<recv request="REGISTER">
  <action><verifyauth assign_to="authvalid" username="%3" password="%4"/></action>
</recv>
<nop hide="true" test="authvalid" next="good"/>
%2
<label id="good"/>
%5
<label id="end"/>
</scenario>
)").arg(Response(QStringLiteral("401 Unauthorized"),
                 QStringLiteral("WWW-Authenticate: Digest realm=\"kuruten.test\", nonce=\"4a7b1c9d\", algorithm=MD5\n")),
        Response(QStringLiteral("403 Forbidden")).replace(QLatin1String("<send>"), QLatin1String("<send next=\"end\">")),
        user, password,
        Response(QStringLiteral("200 OK"), QStringLiteral("Expires: 3600\n")));
}

QString Uac(TUacEnd end, const QString& fromDisplay, const QString& fromUser)
{
    const QString display = fromDisplay.isEmpty() ? QString() : QStringLiteral("\"%1\" ").arg(fromDisplay);
    QString s = QStringLiteral("<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\n<scenario name=\"uac\">\n");
    s += QString::fromLatin1(kInvite).arg(display, fromUser);
    s += QStringLiteral("<recv response=\"100\" optional=\"true\"/>\n<recv response=\"180\"/>\n");
    switch (end) {
    case TUacEnd::Cancel:
        // CANCEL carries the INVITE's CSeq number and no To tag.
        s += QStringLiteral("<pause milliseconds=\"300\"/>\n");
        s += QStringLiteral(R"(<send><![CDATA[
CANCEL sip:100@[remote_ip]:[remote_port] SIP/2.0
Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=z9hG4bK[pid]x[call_number]inv
From: %1<sip:%2@[local_ip]:[local_port]>;tag=[pid]SIPpTag00[call_number]
To: <sip:100@[remote_ip]:[remote_port]>
Call-ID: [call_id]
CSeq: 1 CANCEL
Max-Forwards: 70
Content-Length: 0

]]></send>
<recv response="200"/>
<recv response="487"/>
)").arg(display, fromUser);
        s += Request(QStringLiteral("ACK"), 1, true);
        break;
    case TUacEnd::ExpectReject:
        s += QStringLiteral("<recv response=\"486\" optional=\"true\" next=\"ack\"/>\n<recv response=\"603\"/>\n"
                            "<label id=\"ack\"/>\n");
        s += Request(QStringLiteral("ACK"), 1, true);
        break;
    case TUacEnd::ExpectAnswerThenBye:
        s += QStringLiteral("<recv response=\"200\" rrs=\"true\"/>\n");
        s += Request(QStringLiteral("ACK"), 1);
        s += QStringLiteral("<pause milliseconds=\"1000\"/>\n");
        s += Request(QStringLiteral("BYE"), 2);
        s += QStringLiteral("<recv response=\"200\"/>\n");
        break;
    }
    s += QStringLiteral("</scenario>\n");
    return s;
}

QString UasAnswer()
{
    return QStringLiteral(R"(<?xml version="1.0" encoding="ISO-8859-1" ?>
<scenario name="uas">
<recv request="INVITE" crlf="true"/>
%1%2<pause milliseconds="500"/>
%3<recv request="ACK"/>
<recv request="BYE"/>
%4</scenario>
)").arg(Response(QStringLiteral("100 Trying")), Response(QStringLiteral("180 Ringing")),
        Response(QStringLiteral("200 OK"), QString(), true), Response(QStringLiteral("200 OK")));
}

QString UasRefuse(int code, const QString& phrase)
{
    return QStringLiteral(R"(<?xml version="1.0" encoding="ISO-8859-1" ?>
<scenario name="uas-refuse">
<recv request="INVITE"/>
%1%2<recv request="ACK"/>
</scenario>
)").arg(Response(QStringLiteral("100 Trying")), Response(QStringLiteral("%1 %2").arg(code).arg(phrase)));
}

QString Pbx(const TPbx& pbx)
{
    const QString gruu = pbx.Gruu ? QStringLiteral(";pub-gruu=\"sip:100@kuruten.test;gr=urn:uuid:f81d4fae-7dec-11d0-a765-"
                                                  "00a0c91e6bf6\";temp-gruu=\"sip:tgruu.7hs==@kuruten.test;gr\"")
                                : QString();
    // Like kamailio with gruu_enabled=1: a GRUU only for a REGISTER that
    // says it supports them.
    auto ok = [&pbx](const QString& gruu) {
        return QStringLiteral(R"(<send next="%1"><![CDATA[
SIP/2.0 200 OK
[last_Via:]
[last_From:]
[last_To:];tag=[pid]SIPpTag01[call_number]
[last_Call-ID:]
[last_CSeq:]
Contact: <sip:100@127.0.0.1:[remote_port];transport=[transport]>;expires=3600%2
Expires: 3600
Content-Length: 0

]]></send>
)").arg(pbx.CallBack ? QStringLiteral("callback") : QStringLiteral("end"), gruu);
    };
    QString registered = ok(QString());
    if (pbx.Gruu)
        registered = QStringLiteral("<nop test=\"gruu\" next=\"gruu\"/>\n") + registered +
                     QStringLiteral("<label id=\"gruu\"/>\n") + ok(gruu);
    const QString callBack = QStringLiteral(R"(<label id="callback"/>
<pause milliseconds="300"/>
<send><![CDATA[
INVITE sip:100@127.0.0.1 SIP/2.0
Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=z9hG4bK[pid]cb[call_number]
From: "0312345678" <sip:0312345678@[local_ip]:[local_port]>;tag=[pid]cb[call_number]
To: <sip:100@127.0.0.1>
[last_Call-ID:]
CSeq: 7 INVITE
Contact: <sip:0312345678@[local_ip]:[local_port];transport=[transport]>
Max-Forwards: 70
Content-Type: application/sdp
Content-Length: [len]

v=0
o=user1 53655765 2353687637 IN IP[local_ip_type] [local_ip]
s=-
c=IN IP[media_ip_type] [media_ip]
t=0 0
m=audio [media_port] RTP/AVP 8 0
a=rtpmap:8 PCMA/8000
]]></send>
<recv response="100" optional="true"/>
<recv response="180"/>
<recv response="486"/>
<send next="end"><![CDATA[
ACK sip:100@127.0.0.1 SIP/2.0
Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=z9hG4bK[pid]cb[call_number]
From: "0312345678" <sip:0312345678@[local_ip]:[local_port]>;tag=[pid]cb[call_number]
[last_To:]
[last_Call-ID:]
CSeq: 7 ACK
Max-Forwards: 70
Content-Length: 0

]]></send>
)");
    QString xml = QStringLiteral(R"(<?xml version="1.0" encoding="ISO-8859-1" ?>
<scenario name="pbx">
<recv request="REGISTER" optional="true" next="register">%7</recv>
<recv request="INVITE" next="invite"/>
<label id="register"/>
%1%2<label id="invite"/>
%3%4<pause milliseconds="300"/>
%5<recv request="ACK"/>
<recv request="BYE"/>
%6<label id="end"/>
</scenario>
)").arg(registered, pbx.CallBack ? callBack : QString(), Response(QStringLiteral("100 Trying")),
        Response(QStringLiteral("180 Ringing")), Response(QStringLiteral("200 OK"), QString(), true),
        Response(QStringLiteral("200 OK")),
        pbx.Gruu ? QStringLiteral("\n  <action><ereg regexp=\"Supported:[^\\r\\n]*gruu\" search_in=\"msg\" "
                                  "check_it=\"false\" assign_to=\"gruu\"/></action>\n")
                 : QString());
    if (!pbx.Self.isEmpty()) {
        const QString host = pbx.Self.section(QLatin1Char(';'), 0, 0);
        const QString transport = pbx.Self.section(QLatin1String(";transport="), 1).toUpper();
        xml.replace(QStringLiteral("[local_ip]:[local_port];transport=[transport]"), pbx.Self);
        xml.replace(QStringLiteral("SIP/2.0/[transport] [local_ip]:[local_port]"),
                    QStringLiteral("SIP/2.0/%1 %2").arg(transport, host));
    }
    return xml;
}

} // namespace Scenario
