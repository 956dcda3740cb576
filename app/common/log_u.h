#pragma once
// The diagnostic log: one current file per computer, archived past 5000
// blocks of 128 bytes, opened and closed for every line.
#include <QDateTime>
#include <QFileDevice>
#include <QString>

class TLog
{
public:
    static constexpr qint64 kBlockSize = 128;
    static constexpr qint64 kMaxBlocks = 5000;
    // New log files: for the user only, or for the group of a shared data root.
    static constexpr QFileDevice::Permissions kPrivatePermissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    static constexpr QFileDevice::Permissions kSharedPermissions =
        kPrivatePermissions | QFileDevice::ReadGroup | QFileDevice::WriteGroup;

    TLog(QString logFolder, QString computerName);

    QString CurrentFile() const;
    QString ArchiveFile(const QDateTime& at) const;
    bool Detailed() const { return FDetailed; }
    void SetDetailed(bool on) { FDetailed = on; }
    void SetShared(bool shared) { FShared = shared; }

    void WriteDetail(const QString& message);
    void WriteAlways(const QString& message);

    // Moves files (never folders) last written before cutOff to the trash.
    static void PurgeOldLogs(const QString& folder, const QDateTime& cutOff);

    // The process's log; the Log:: helpers write to it.
    static TLog* Current();
    static void SetCurrent(TLog* log);

private:
    void WriteLine(const QString& message);

    QString FFolder;
    QString FComputerName;
    bool FDetailed = false;
    bool FShared = false;
};

namespace Log {
// Throws EInOutError when the line cannot be written.
void Detail(const QString& message);
void Always(const QString& message);
}
