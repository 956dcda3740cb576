#pragma once
#include <QString>

namespace SpecialFolders {
// The all-users data root: $KURUTEN_COMMON_APPDATA, else the XDG data folder.
QString CommonAppData();
// Folder whose .desktop files start with the user's session (XDG autostart).
QString Startup();
// Per-user-session runtime folder for the single-instance lock and socket.
QString Runtime();
}
