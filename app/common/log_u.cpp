#include "log_u.h"

#include "errors_u.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
TLog* gCurrent = nullptr;
}

TLog::TLog(QString logFolder, QString computerName)
    : FFolder(std::move(logFolder)), FComputerName(std::move(computerName))
{
}

QString TLog::CurrentFile() const
{
    return FFolder + QStringLiteral("/log_") + FComputerName + QStringLiteral("_Cur.txt");
}

QString TLog::ArchiveFile(const QDateTime& at) const
{
    return FFolder + QStringLiteral("/log_") + FComputerName + QLatin1Char('_') +
           at.toString(QStringLiteral("yyyyMMdd_HHmmss")) + QStringLiteral(".txt");
}

void TLog::WriteDetail(const QString& message)
{
    if (FDetailed) WriteLine(message);
}

void TLog::WriteAlways(const QString& message)
{
    WriteLine(message);
}

void TLog::WriteLine(const QString& message)
{
    const QString path = CurrentFile();
    QFile f(path);
    const QFileDevice::Permissions permissions = FShared ? kSharedPermissions : kPrivatePermissions;
    const bool created = !f.exists();
    // Created with these permissions, never readable by others even briefly;
    // set again because the umask may have taken the group's write away.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append, permissions))
        throw EInOutError(QStringLiteral("ログファイルに書き込めません: %1 (%2)").arg(path, f.errorString()));
    if (created) f.setPermissions(permissions);
    const qint64 blocks = f.size() / kBlockSize;
    const QByteArray line = (QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) +
                             QLatin1Char(' ') + message)
                                .toUtf8() +
                            "\r\n";
    if (f.write(line) != line.size()) {
        const QString err = f.errorString();
        throw EInOutError(QStringLiteral("ログファイルに書き込めません: %1 (%2)").arg(path, err));
    }
    f.close();
    if (blocks > kMaxBlocks) {
        const QDateTime now = QDateTime::currentDateTime();
        QString target = ArchiveFile(now);
        // Two archives within one second: keep both rather than lose one.
        for (int n = 1; QFile::exists(target); ++n)
            target = ArchiveFile(now).chopped(4) + QStringLiteral("_%1.txt").arg(n);
        if (!QFile::rename(path, target))
            throw EInOutError(QStringLiteral("ログファイルの名前を変更できません: %1").arg(target));
    }
}

void TLog::PurgeOldLogs(const QString& folder, const QDateTime& cutOff)
{
    QDir dir(folder);
    if (!dir.exists()) return;
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& fi : entries) {
        if (fi.isDir()) continue;
        if (fi.lastModified() < cutOff) QFile::moveToTrash(fi.absoluteFilePath());
    }
}

TLog* TLog::Current()
{
    return gCurrent;
}

void TLog::SetCurrent(TLog* log)
{
    gCurrent = log;
}

namespace Log {
void Detail(const QString& message)
{
    if (gCurrent) gCurrent->WriteDetail(message);
}
void Always(const QString& message)
{
    if (gCurrent) gCurrent->WriteAlways(message);
}
} // namespace Log
