#pragma once
// The receiving program of the external program link (tests/link_receiver),
// run by a test: started directly, or started by the program under test and
// found through its output file. Every copy that wrote its process id to the
// file ends with the object.
//
// Needs LINK_RECEIVER, the program's path, defined by the test target.
#include "x_windows_u.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QThread>

#include <csignal>

class TLinkReceiverFile
{
public:
    explicit TLinkReceiverFile(QString out) : Out(std::move(out)) {}
    virtual ~TLinkReceiverFile() { KillAll(); }
    TLinkReceiverFile(const TLinkReceiverFile&) = delete;
    TLinkReceiverFile& operator=(const TLinkReceiverFile&) = delete;

    static QString Program() { return QStringLiteral(LINK_RECEIVER); }
    // The options that make a copy write to this file under title.
    QStringList Options(const QString& title) const { return {"--title", title, "--out", Out}; }

    // Lines of one kind, without kind and time: fields joined by tabs.
    QStringList Lines(const QString& kind) const
    {
        QFile f(Out);
        QStringList out;
        if (!f.open(QIODevice::ReadOnly)) return out;
        for (const QString& line : QString::fromUtf8(f.readAll()).split('\n')) {
            const QStringList fields = line.split('\t');
            if (fields.size() >= 2 && fields[0] == kind) out << fields.mid(2).join('\t');
        }
        return out;
    }
    // Monotonic nanoseconds of the lines of one kind.
    QList<qint64> Times(const QString& kind) const
    {
        QFile f(Out);
        QList<qint64> out;
        if (!f.open(QIODevice::ReadOnly)) return out;
        for (const QString& line : QString::fromUtf8(f.readAll()).split('\n')) {
            const QStringList fields = line.split('\t');
            if (fields.size() >= 2 && fields[0] == kind) out << fields[1].toLongLong();
        }
        return out;
    }
    bool WaitForCount(const QString& kind, int count, int ms = 10000) const
    {
        QElapsedTimer t;
        t.start();
        while (Lines(kind).size() < count && t.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(5);
        }
        return Lines(kind).size() >= count;
    }
    void KillAll()
    {
        for (const QString& pid : Lines("PID")) ::kill(pid.toInt(), SIGKILL);
    }

    QString Out;
};

// A copy started by the test; its window is there once Start returns true.
class TLinkReceiver : public TLinkReceiverFile
{
public:
    TLinkReceiver(QString out, QString title) : TLinkReceiverFile(std::move(out)), Title(std::move(title)) {}
    ~TLinkReceiver() override
    {
        Process.kill();
        Process.waitForFinished(3000);
    }

    bool Start(const QStringList& extra = {})
    {
        TXWindows x;
        int windows = 0;
        x.FindWindow(Title, &windows);
        const int before = Lines("PID").size();
        Process.start(Program(), Options(Title) + extra);
        if (!Process.waitForStarted(5000) || !WaitForCount("PID", before + 1)) return false;
        // Until one more window carries the title.
        QElapsedTimer t;
        t.start();
        for (int now = 0; t.elapsed() < 10000; QThread::msleep(20)) {
            x.FindWindow(Title, &now);
            if (now > windows) return true;
        }
        return false;
    }
    bool Running() const { return Process.state() == QProcess::Running; }
    bool WaitForExit(int ms = 10000) { return Process.waitForFinished(ms); }

    QString Title;
    QProcess Process;
};
