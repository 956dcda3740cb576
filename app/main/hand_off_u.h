#pragma once
// Text handed over by a second start or another program: a plain phone
// number, or "kuruten:" + command [ "?" name=value & ... ].
#include <QByteArray>
#include <QString>
#include <QStringList>

struct THandOffText
{
    // dwData of a packet that carries a text.
    static constexpr quint32 kTextPacket = 1;
    // dwData of the packet a second start without a hand-off sends: where no
    // notification area shows the running copy's icon, that copy comes up.
    static constexpr quint32 kRaisePacket = 0x6B757275;

    bool IsCommand = false;
    QString Number;      // plain number, as given
    QString Command;     // lower case
    QStringList Params;  // name=value items, lower case
    QString Param(const QString& name) const;

    static THandOffText Parse(const QString& text);
    // Bytes of a packet up to the first NUL; false when they are not UTF-8.
    static bool DecodePacket(const QByteArray& data, QString* text);
};
