#pragma once
// The shell's "open" of a file: the desktop's default program for its type,
// started through xdg-open (package xdg-utils).
#include <QString>

namespace ShellOpen {
// False when nothing could be started; *missing then names what is missing,
// as a sentence for the user.
bool OpenFile(const QString& path, QString* missing = nullptr);
}
