#include "sip_uri_u.h"

#include <QStringList>

TSipServer TSipServer::Parse(const QString& field)
{
    TSipServer s;
    QString text = field.trimmed();
    if (text.startsWith(QLatin1String("sips:"), Qt::CaseInsensitive)) {
        s.Transport = TSipTransport::Tls;
        text = text.mid(5);
    } else if (text.startsWith(QLatin1String("sip:"), Qt::CaseInsensitive)) {
        text = text.mid(4);
    }
    const QStringList parts = text.split(QLatin1Char(';'));
    s.HostPort = parts.first().trimmed();
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString p = parts[i].trimmed();
        if (!p.startsWith(QLatin1String("transport="), Qt::CaseInsensitive)) continue;
        const QString t = p.mid(10).toLower();
        if (t == QLatin1String("tcp")) s.Transport = TSipTransport::Tcp;
        else if (t == QLatin1String("tls")) s.Transport = TSipTransport::Tls;
        else if (t == QLatin1String("udp")) s.Transport = TSipTransport::Udp;
    }
    return s;
}

QString TSipServer::Uri(bool route) const
{
    QString uri = QStringLiteral("sip:") + HostPort;
    if (Transport != TSipTransport::Udp) uri += QStringLiteral(";transport=") + TransportName(Transport);
    if (route) uri += QStringLiteral(";lr");
    return uri;
}

QString SipHostPart(const QString& field)
{
    return TSipServer::Parse(field).HostPort;
}

QString TransportName(TSipTransport transport)
{
    switch (transport) {
    case TSipTransport::Tcp: return QStringLiteral("tcp");
    case TSipTransport::Tls: return QStringLiteral("tls");
    default: return QStringLiteral("udp");
    }
}

bool IsPhoneNumberText(const QString& text)
{
    bool digit = false;
    for (QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) digit = true;
        else if (!QStringLiteral("+-*#() ").contains(c)) return false;
    }
    return digit;
}
