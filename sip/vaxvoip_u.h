#pragma once
// The SIP account as the engine objects use it, the codec list rule and the
// engine's error texts.
#include <QDateTime>
#include <QHash>
#include <QString>
#include <array>

// Settings and state of one engine object (entry i of gVaxSips).
struct TVaxSIP
{
    QString UserId;
    QString DispName;
    QString LoginId;
    QString Password;
    QString SipProxy;
    bool RegistProxy = true;
    QString DomainName;
    QString OutProxy;
    bool UseSoundDevice = true;
    qint16 LineCount = 0;
    QString CountryCd;
    bool Enabled = false;
    bool Registered = false;
    QString Spare;
    qint32 InDeviceId = -1;
    qint32 OutDeviceId = -1;
    QString AudioInName;
    QString AudioOutName;
    std::array<bool, 5> Codecs{};
    bool EchoCancel = false;
    bool Agc = false;
    bool MicBoost = false;
    bool NoDisturb = false;
    bool ForceInbandDtmf = false;
    QDateTime RegisteredAt;
};

// One row of the ACCOUNT table, column name (upper case) -> text.
using TAccountRow = QHash<QString, QString>;

// True when Number is one of the comma-separated numbers of List.
bool CodecListed(int number, const QString& list);

// Entry filled from the ACCOUNT row, with the empty-field defaults.
TVaxSIP VaxSipFromRow(const TAccountRow& row, qint16 lineCount);
// Entry of an empty ACCOUNT table.
TVaxSIP VaxSipReset();
// CHNUM of the row as the line count (negative -> 1).
qint16 LineCountOfRow(const TAccountRow& row);

// Engine error texts; empty for unknown codes.
QString VaxErrorText(int code);
// What the code means, in a sentence an office reads; empty for unknown codes.
QString VaxErrorTextJa(int code);
// The error box: the Japanese sentence with the engine's text beside it.
QString VaxErrorMessage(int code);
