#include "os_info_u.h"

#include <QHostInfo>
#include <QSysInfo>
#include <pwd.h>
#include <unistd.h>

namespace OsInfo {

QString ComputerName()
{
    return QSysInfo::machineHostName();
}

QString UserName()
{
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name) return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

QString FirstHostAddress(const QString& hostName)
{
    const QHostInfo info = QHostInfo::fromName(hostName);
    // Prefer IPv4: the value is shown and compared as a dotted address.
    for (const QHostAddress& a : info.addresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol) return a.toString();
    return info.addresses().isEmpty() ? QString() : info.addresses().first().toString();
}

QString OsName()
{
    return QSysInfo::prettyProductName();
}

} // namespace OsInfo
