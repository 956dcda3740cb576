#pragma once
// Text handed over by a second start or another program: a plain phone
// number, or "kuruten:" + command [ "?" name=value & ... ].
#include <QByteArray>
#include <QString>
#include <QStringList>

struct THandOffText
{
    bool IsCommand = false;
    QString Number;      // plain number, as given
    QString Command;     // lower case
    QStringList Params;  // name=value items, lower case
    QString Param(const QString& name) const;

    static THandOffText Parse(const QString& text);
    // Bytes of a packet up to the first NUL; false when they are not UTF-8.
    static bool DecodePacket(const QByteArray& data, QString* text);
};
