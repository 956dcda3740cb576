#include "autostart_u.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace Autostart {

QString ShortcutPath(const QString& exePath, const QString& folder)
{
    return folder + QLatin1Char('/') + QFileInfo(exePath).completeBaseName() + QStringLiteral(".desktop");
}

bool CreateShortcut(const QString& exePath, const QString& folder, const QString& arguments)
{
    if (!QDir().mkpath(folder)) return false;
    const QFileInfo exe(exePath);
    QString exec = QLatin1Char('"') + exe.absoluteFilePath() + QLatin1Char('"');
    if (!arguments.isEmpty()) exec += QLatin1Char(' ') + arguments;
    const QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\nPath=%3\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(exe.completeBaseName(), exec, exe.absolutePath());
    QSaveFile f(ShortcutPath(exePath, folder));
    if (!f.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes = text.toUtf8();
    if (f.write(bytes) != bytes.size()) return false;
    return f.commit();
}

void DeleteShortcut(const QString& exePath, const QString& folder)
{
    QFile::remove(ShortcutPath(exePath, folder));
}

} // namespace Autostart
