#include "special_folders_u.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <sys/stat.h>
#include <unistd.h>

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
    const QString session = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!session.isEmpty() && QDir(session).exists()) return NoTrailingSlash(session);
    // Never the shared temp folder itself: another user could take the lock
    // and socket names there first.
    const QString uid = QString::number(::geteuid());
    const QString temp = NoTrailingSlash(QDir::tempPath()) + QStringLiteral("/kuruten3-") + uid;
    if (MakePrivateFolder(temp)) return temp;
    // Someone else owns that name: a folder below the user's own cache.
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty()) cache = QDir::homePath() + QStringLiteral("/.cache");
    const QString home = NoTrailingSlash(cache) + QStringLiteral("/kuruten3-run");
    QDir().mkpath(QFileInfo(home).absolutePath());
    MakePrivateFolder(home);
    return home;
}

bool MakePrivateFolder(const QString& path)
{
    const QByteArray p = QFile::encodeName(path);
    ::mkdir(p.constData(), 0700);
    struct stat st{};
    if (::lstat(p.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return false;
    if ((st.st_mode & 077) != 0 && ::chmod(p.constData(), 0700) != 0) return false;
    return true;
}

bool IsSharedFolder(const QString& path)
{
    struct stat st{};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return (st.st_mode & S_IWGRP) && (st.st_mode & S_ISGID);
}

void MakeGroupFolder(const QString& path)
{
    ::chmod(QFile::encodeName(path).constData(), 02770);
}

} // namespace SpecialFolders
