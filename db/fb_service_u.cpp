#include "fb_service_u.h"

#include "fb_u.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <atomic>
#include <thread>
#include <QFileInfo>
#include <QtEndian>

using namespace Firebird;

namespace {
IMaster* Master()
{
    static IMaster* master = fb_get_master_interface();
    return master;
}

[[noreturn]] void Raise(CheckStatusWrapper& st)
{
    char buf[2048];
    const unsigned n = Master()->getUtilInterface()->formatStatus(buf, sizeof buf, &st);
    QString text = QString::fromLocal8Bit(buf, int(qMin<unsigned>(n, sizeof buf))).trimmed();
    throw EDbError(text.isEmpty() ? QStringLiteral("Firebird service error") : text);
}

struct TStatus
{
    IStatus* S = Master()->getStatus();
    CheckStatusWrapper St{S};
    ~TStatus() { S->dispose(); }
    void Check()
    {
        if (St.getState() & IStatus::STATE_ERRORS) Raise(St);
    }
};

QString Param(const QStringList& params, const QString& name)
{
    for (const QString& line : params) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0 && line.left(eq).trimmed().compare(name, Qt::CaseInsensitive) == 0) return line.mid(eq + 1);
    }
    return QString();
}

// One service job: start it, then wait for its end in one-second queries.
// The engine reports a failed job through the query.
class TServiceJob
{
public:
    TServiceJob(const QString& host, const QStringList& params)
    {
        TStatus st;
        IXpbBuilder* spb = Master()->getUtilInterface()->getXpbBuilder(&st.St, IXpbBuilder::SPB_ATTACH, nullptr, 0);
        st.Check();
        spb->insertString(&st.St, isc_spb_user_name, Param(params, QStringLiteral("user_name")).toUtf8().constData());
        spb->insertString(&st.St, isc_spb_password, Param(params, QStringLiteral("password")).toUtf8().constData());
        const QByteArray name = (host.isEmpty() ? QString() : host + u':').toUtf8() + "service_mgr";
        if (!(st.St.getState() & IStatus::STATE_ERRORS))
            FSvc = Master()->getDispatcher()->attachServiceManager(&st.St, name.constData(), spb->getBufferLength(&st.St),
                                                                   spb->getBuffer(&st.St));
        spb->dispose();
        st.Check();
    }
    ~TServiceJob()
    {
        if (!FSvc) return;
        TStatus st;
        FSvc->detach(&st.St);
        if (st.St.getState() & IStatus::STATE_ERRORS) FSvc->release();
    }

    void Run(unsigned char action, const QString& db, const QString& file, bool level0)
    {
        TStatus st;
        IXpbBuilder* spb = Master()->getUtilInterface()->getXpbBuilder(&st.St, IXpbBuilder::SPB_START, nullptr, 0);
        st.Check();
        spb->insertTag(&st.St, action);
        spb->insertString(&st.St, isc_spb_dbname, db.toLocal8Bit().constData());
        spb->insertString(&st.St, isc_spb_nbk_file, file.toLocal8Bit().constData());
        if (level0) spb->insertInt(&st.St, isc_spb_nbk_level, 0);
        if (!(st.St.getState() & IStatus::STATE_ERRORS))
            FSvc->start(&st.St, spb->getBufferLength(&st.St), spb->getBuffer(&st.St));
        spb->dispose();
        st.Check();
        for (;;) {
            // The job's end (or its error) comes as the answer to a query.
            const unsigned char send[] = {isc_info_svc_timeout, 4, 0, 1, 0, 0, 0};
            const unsigned char items[] = {isc_info_svc_line};
            unsigned char buf[1024];
            FSvc->query(&st.St, sizeof send, send, sizeof items, items, sizeof buf, buf);
            st.Check();
            bool timedOut = false;
            bool gotText = false;
            for (const unsigned char* p = buf; p < buf + sizeof buf && *p != isc_info_end;) {
                const unsigned char item = *p++;
                if (item == isc_info_svc_timeout) {
                    timedOut = true;
                    continue;
                }
                if (item == isc_info_svc_line) {
                    const unsigned len = qFromLittleEndian<quint16>(p);
                    p += 2 + len;
                    gotText = gotText || len > 0;
                    continue;
                }
                if (item == isc_info_truncated || item == isc_info_data_not_ready) {
                    timedOut = true;
                    continue;
                }
                break;
            }
            if (!timedOut && !gotText) return;
        }
    }

private:
    IService* FSvc = nullptr;
};

// A level-0 nbackup file is the database with its pages of one moment; its
// header still says "locked for backup" (hdr_flags bits 0x0C00
// = 0x0400 at offset 42 of the ODS 12 header). Clearing them, as
// "nbackup -F" does, gives a database that opens on its own.
bool FixUpInPlace(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadWrite)) return false;
    unsigned char head[64];
    if (f.read(reinterpret_cast<char*>(head), sizeof head) != sizeof head)
        throw EDbError(QStringLiteral("バックアップファイルが短すぎます: ") + file);
    const quint16 pageSize = qFromLittleEndian<quint16>(head + 16);
    const quint16 ods = qFromLittleEndian<quint16>(head + 18);
    const quint16 flags = qFromLittleEndian<quint16>(head + 42);
    if (head[0] != 1 || (ods & 0x7FFF) != 12 || pageSize < 1024 || (flags & 0x0C00) != 0x0400) return false;
    const quint16 fixed = flags & ~0x0C00;
    unsigned char out[2];
    qToLittleEndian<quint16>(fixed, out);
    if (!f.seek(42) || f.write(reinterpret_cast<const char*>(out), 2) != 2 || !f.flush())
        throw EDbError(QStringLiteral("バックアップファイルを書き換えられません: ") + f.errorString());
    return true;
}
} // namespace

namespace FbService {

TDbName TDbName::Parse(const QString& name)
{
    const qsizetype colon = name.indexOf(u':');
    // "host:path"; a one-letter host before ":\" is a Windows drive.
    if (colon > 1 && !name.left(colon).contains(u'/') && !name.left(colon).contains(u'\\'))
        return {name.left(colon), name.mid(colon + 1)};
    return {QString(), name};
}

namespace {
void Copy(const QString& database, const QString& target, const QStringList& params)
{
    const TDbName db = TDbName::Parse(database);
    const QString frozen = target + QStringLiteral(".nbk");
    QFile::remove(frozen);
    struct TCleanUp
    {
        QString File;
        ~TCleanUp() { QFile::remove(File); }
    } cleanUp{frozen};
    TServiceJob job(db.Host, params);
    job.Run(isc_action_svc_nbak, db.Path, frozen, true);
    // The file of a local engine is ours to fix; a server's file is restored
    // by the server itself.
    if (db.Host.isEmpty() && FixUpInPlace(frozen)) {
        if (!QFile::rename(frozen, target))
            throw EDbError(QStringLiteral("バックアップファイルの名前を変更できません: ") + target);
        return;
    }
    try {
        job.Run(isc_action_svc_nrest, target, frozen, false);
    } catch (...) {
        QFile::remove(target);
        throw;
    }
}
} // namespace

void CopyDatabase(const QString& database, const QString& target, const QStringList& params, bool keepWindowAlive)
{
    if (!keepWindowAlive) {
        Copy(database, target, params);
        return;
    }
    std::atomic<bool> done{false};
    std::exception_ptr error;
    std::thread worker([&] {
        try {
            Copy(database, target, params);
        } catch (...) {
            error = std::current_exception();
        }
        done = true;
    });
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done) loop.quit();
    });
    poll.start(20);
    loop.exec();
    worker.join();
    if (error) std::rethrow_exception(error);
}

} // namespace FbService
