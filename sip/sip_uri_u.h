#pragma once
// SIP addresses as the account and the callers give them.
#include <QString>

enum class TSipTransport { Udp, Tcp, Tls };

// The proxy field of the account: "pbx.example.jp", "192.0.2.10:5060",
// "sip.example.jp;transport=tls", "sips:sip.example.jp" ...
struct TSipServer
{
    QString HostPort; // without scheme and parameters
    TSipTransport Transport = TSipTransport::Udp;

    static TSipServer Parse(const QString& field);
    // "sip:host[:port]" with ";transport=" for TCP and TLS; loose routing
    // (";lr") when it is a route.
    QString Uri(bool route = false) const;
};

// The host part of a field that may carry a scheme or parameters (the
// domain falls back to the proxy field, which may say ";transport=tls").
QString SipHostPart(const QString& field);

QString TransportName(TSipTransport transport);

// Whether a caller's display name reads as a phone number: digits with
// "+", "-", "*", "#", "(", ")" and blanks.
bool IsPhoneNumberText(const QString& text);
