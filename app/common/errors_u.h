#pragma once
// Exceptions carry their message as Japanese text for the user and the log.
#include <QString>
#include <stdexcept>

class EKuruten : public std::runtime_error
{
public:
    explicit EKuruten(const QString& message) : std::runtime_error(message.toStdString()), Message(message) {}
    QString Message;
};

// A file or folder operation failed (log file, settings file, folders).
class EInOutError : public EKuruten
{
public:
    using EKuruten::EKuruten;
};

// Message of any exception as QString.
inline QString ExceptionText(const std::exception& e)
{
    if (auto* k = dynamic_cast<const EKuruten*>(&e)) return k->Message;
    return QString::fromUtf8(e.what());
}
