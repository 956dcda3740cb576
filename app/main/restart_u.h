#pragma once
// Starting the program again with the signed-in user. The user ID and
// password never go on the command line, where every local user can read
// them (/proc/PID/cmdline): they go into a file only this user can read,
// which the new copy reads and deletes at once; an environment variable
// names the file.
#include "app_state_u.h"

#include <QProcessEnvironment>
#include <QString>

namespace Restart {
inline constexpr char kSignInFileVar[] = "KURUTEN_SIGN_IN_FILE";

// Starts exe detached in env. With a signed-in user the credentials file is
// written to folder first; with nobody signed in nothing is handed over.
// Returns the new process id, or -1 when it could not be started (the file
// is then removed).
qint64 StartAgain(const QString& exe, const TUserSignIn& user, const QString& folder,
                  const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

// In the new copy: takes the handed-over user, deletes the file and clears
// the variable (so programs started later inherit neither). False when
// nothing was handed over or the file is not this user's own.
bool TakeHandedSignIn(TUserSignIn& user);
}
