#include "special_folders_u.h"

#include <QDir>
#include <QStandardPaths>

namespace {
QString NoTrailingSlash(QString p)
{
    p = QDir::fromNativeSeparators(p);
    while (p.size() > 1 && p.endsWith(QLatin1Char('/'))) p.chop(1);
    return p;
}
} // namespace

namespace SpecialFolders {

QString CommonAppData()
{
    const QString env = qEnvironmentVariable("KURUTEN_COMMON_APPDATA");
    if (!env.isEmpty()) return NoTrailingSlash(env);
    return NoTrailingSlash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

QString Startup()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) config = QDir::homePath() + QStringLiteral("/.config");
    return NoTrailingSlash(config) + QStringLiteral("/autostart");
}

QString Runtime()
{
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir(dir).exists()) dir = QDir::tempPath();
    return NoTrailingSlash(dir);
}

} // namespace SpecialFolders
