#pragma once
// Start-with-the-session entry: an XDG autostart .desktop file named after
// the executable.
#include <QString>

namespace Autostart {
QString ShortcutPath(const QString& exePath, const QString& folder);
bool CreateShortcut(const QString& exePath, const QString& folder, const QString& arguments);
void DeleteShortcut(const QString& exePath, const QString& folder);
}
