#include "shell_u.h"

#include "log_u.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

namespace {
Shell::TResponder gResponder;
}

namespace Shell {
bool OpenUrl(const QUrl& url)
{
    if (gResponder) return gResponder({TShellRequest::TKind::OpenUrl, url, {}, {}, {}});
    const bool ok = QDesktopServices::openUrl(url);
    if (!ok) Log::Always(QStringLiteral("Shell.OpenUrl failed: ") + url.toString());
    return ok;
}

bool OpenFile(const QString& path, QString* missing)
{
    if (OpenUrl(QUrl::fromLocalFile(path))) return true;
    if (missing) {
        // Files open through xdg-open (package xdg-utils).
        if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
            *missing = QStringLiteral("xdg-open（パッケージ xdg-utils）が見つかりません。");
        else
            *missing = QStringLiteral("%1 を開くプログラムが見つかりません。").arg(path);
    }
    return false;
}

bool StartProgram(const QString& program, const QStringList& arguments, const QString& workDir, qint64* pid)
{
    if (gResponder) return gResponder({TShellRequest::TKind::StartProgram, {}, program, arguments, workDir});
    const bool ok = QProcess::startDetached(program, arguments, workDir, pid);
    if (!ok) Log::Always(QStringLiteral("Shell.StartProgram failed: ") + program);
    return ok;
}

void SetResponder(TResponder responder)
{
    gResponder = std::move(responder);
}
} // namespace Shell
