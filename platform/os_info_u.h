#pragma once
#include <QString>

namespace OsInfo {
QString ComputerName();   // host name, as the system reports it
QString UserName();       // login name of the user running the program
QString FirstHostAddress(const QString& hostName); // "" when the lookup fails
QString OsName();
}
