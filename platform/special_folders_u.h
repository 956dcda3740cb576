#pragma once
#include <QString>

namespace SpecialFolders {
// The all-users data root: $KURUTEN_COMMON_APPDATA, else the XDG data folder.
QString CommonAppData();
// Folder whose .desktop files start with the user's session (XDG autostart).
QString Startup();
// Per-user runtime folder for the single-instance lock and socket: the
// session's $XDG_RUNTIME_DIR, else a private folder (mode 0700) of this user.
QString Runtime();
// A folder only this user may enter: created with mode 0700, or an existing
// one of this user's tightened to 0700. False when it is not a real folder
// owned by this user (someone else made it first).
bool MakePrivateFolder(const QString& path);
// The data root is a shared folder set up for a group of users (group may
// write, set-group-id bit set): files in it are then left to the group too.
bool IsSharedFolder(const QString& path);
// Opens a folder made in a shared data root to its group (mode 2770).
void MakeGroupFolder(const QString& path);
}
