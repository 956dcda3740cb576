#pragma once
// The records the data module reads and writes. Plain values only, so
// window headers can use them without the database layer.
#include <QDateTime>
#include <QString>
#include <array>

// One phone book row.
struct TTels
{
    QString TEL_NO;       // without "-"
    QString CUST_TEL_NON; // representative number of the customer; may be empty
    QString CALLER;
    QString READ_NAME;
};

// One customer row. A null BIRTH_DT is "not set".
struct TCust
{
    QString CUST_TEL;
    QString CUST_TEL_NON;
    QString CUST_NAME;
    QString CUST_KANA;
    QString FAX_NO;
    QString FAX_NO_NON;
    QString ZIP_CD;
    QString ADDRESS;
    QString MAP_URL;
    QString EMAIL;
    QString HP_URL;
    QDateTime BIRTH_DT;
    qint16 SEX = 0; // 0 unknown, 1 male, 2 female, -1 not chosen
    QString OTHERS;
    int CUST_NO = -1; // -1: not stored yet
    QString USERID;
    std::array<QString, 21> OPTION; // OPTION[1] .. OPTION[20]
};

// One handling record; the two numbers are text so that "none" is empty.
struct TAccept
{
    int ACT_NO = -1;
    QDateTime ACT_DT;
    QString USERID;
    QString TYPE_ID;
    QString RESULT_ID;
    QString TITLE;
    QString CONTENT;
    QString LOG_NO;
    QString CUST_NO;
};

struct TUser
{
    QString USERID;
    QString USERNM;
    QString PASSWD;
    int AUTH = 0; // 1 ordinary user, 9999 administrator
};

struct TPrint
{
    QString TEL_NO;
    QString CALLER;
    int TOTAL = 0;
};

// The SIP account row.
struct TAccount
{
    QString UserId;
    QString DispName;
    QString LoginId;
    QString Password;
    QString SipProxy;
    QString OutProxy;
    bool RegistProxy = true;
    QString DomainName;
    QString AudioOutName;
    QString AudioInName;
    QString CountryCd;
    QString Codecs;
    bool EchoCancel = false;
    bool Agc = false;
    bool MicBoost = false;
    bool NoDisturb = false;
    bool ForceInbandDtmf = false;
    QString ChNum; // lines, as stored (the softphone reads it leniently)
};

// One external program entry, as GetInterfaceInfo reads it.
struct TInterfaceInfo
{
    QString IF_NAME;
    QString IF_TYPE;
    QString EXEC_PATH;
    QString TEXT_PATH;
    QString COMMAND;
    QString CAPTION;
    int START_REQ = 0;
    int END_REQ = 0;
    QString EVERY_CLOSE;
    QString TEXT_PORT;
    QString TEXT_DT;
};

// One call-log row.
struct TCallLog
{
    int LOG_NO = 0;
    QDateTime DT_FROM;
    QString TEL_NO;
    QString TEL_TYPE; // "着信" or "発信"
    QDateTime DT_TO;  // null: not known
    QString TEL_TERM;
    QString TEL_MEMO;
    double TEL_TIME = 0;
    int PORT_NO = 0;
};
