#include "shell_open_u.h"

#include <QDesktopServices>
#include <QStandardPaths>
#include <QUrl>

namespace ShellOpen {

bool OpenFile(const QString& path, QString* missing)
{
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path))) return true;
    if (missing) {
        if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
            *missing = QStringLiteral("xdg-open（パッケージ xdg-utils）が見つかりません。");
        else
            *missing = QStringLiteral("%1 を開くプログラムが見つかりません。").arg(path);
    }
    return false;
}

} // namespace ShellOpen
