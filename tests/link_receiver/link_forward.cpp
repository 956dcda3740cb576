// Hands its arguments (joined by spaces) to the open window titled TITLE as
// copy-data and ends, as a browser's second start hands a new address to the
// running browser. Exit code 1 when no such window is open.
//
//   link_forward --title TITLE ARG ...
#include "x_windows_u.h"

#include <QByteArray>
#include <QStringList>

int main(int argc, char** argv)
{
    QString title;
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--title" && i + 1 < argc) title = QString::fromUtf8(argv[++i]);
        else args << QString::fromUtf8(argv[i]);
    }
    TXWindows windows;
    const TXWindows::TWindow w = windows.FindWindow(title);
    if (!w) return 1;
    return windows.SendCopyData(w, 1, args.join(QLatin1Char(' ')).toUtf8(), 2000) ==
                   TXWindows::TSendResult::Handled
               ? 0
               : 2;
}
