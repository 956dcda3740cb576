#include "shell_u.h"

#include "log_u.h"

#include <QDesktopServices>
#include <QProcess>

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
