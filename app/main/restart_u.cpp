#include "restart_u.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryFile>
#include <unistd.h>

namespace Restart {

qint64 StartAgain(const QString& exe, const TUserSignIn& user, const QString& folder, const QProcessEnvironment& env)
{
    QProcessEnvironment childEnv = env;
    childEnv.remove(QLatin1String(kSignInFileVar));
    QString file;
    if (!user.UserId.isEmpty()) {
        // Created 0600 under a name nobody can guess.
        QTemporaryFile tmp(folder + QStringLiteral("/kuruten3-signin-XXXXXX"));
        tmp.setAutoRemove(false);
        if (tmp.open()) {
            QDataStream out(&tmp);
            out << user.UserId << user.Password;
            tmp.close();
            file = tmp.fileName();
            childEnv.insert(QLatin1String(kSignInFileVar), file);
        }
    }
    QProcess p;
    p.setProgram(exe);
    p.setArguments({});
    p.setProcessEnvironment(childEnv);
    qint64 pid = -1;
    if (!p.startDetached(&pid)) {
        if (!file.isEmpty()) QFile::remove(file);
        return -1;
    }
    return pid;
}

bool TakeHandedSignIn(TUserSignIn& user)
{
    const QString file = qEnvironmentVariable(kSignInFileVar);
    qunsetenv(kSignInFileVar);
    if (file.isEmpty()) return false;
    const QFileInfo info(file);
    const bool own = info.isFile() && !info.isSymLink() && info.ownerId() == ::getuid() &&
                     (info.permissions() & (QFile::ReadGroup | QFile::ReadOther)) == 0;
    QFile f(file);
    bool ok = false;
    if (own && f.open(QIODevice::ReadOnly)) {
        QDataStream in(&f);
        TUserSignIn handed;
        in >> handed.UserId >> handed.Password;
        ok = in.status() == QDataStream::Ok && !handed.UserId.isEmpty();
        if (ok) user = handed;
    }
    if (own) f.remove();
    return ok;
}

} // namespace Restart
