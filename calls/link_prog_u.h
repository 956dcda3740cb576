#pragma once
// The external program link. A registered entry (table INTERFACE) hands a
// caller's number to another program: EXE starts the program with the
// number or sends it to the program's open window as copy-data; TXT writes
// the number into a text file and starts the program or nudges its window
// with a user message; URL opens an address that ends with the number.
// Every window started or notified is remembered and receives its end
// request when this program ends. The link menu of "顧客情報(&I)" lists the
// entries.
//
//   TLinkProg link(dm, settings);
//   link.OnSettingsRequested = [&] { openSettings(); };
//   link.ExecCustProg(settings.LinkIfNo, "0312345678", 1, window);
//   ...
//   link.SendEndReq();                     // at shutdown
//
// Programs are started with an argument list through the shell seam, never
// through a shell; windows are reached through the X11 layer.
#include "x_windows_u.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QMenu;
class QWidget;
class TdmCmn;
class TSettings;

class TLinkProg
{
public:
    // The longest wait for a window to take a copy-data packet; then the
    // launch goes on without its answer.
    static constexpr int kCopyDataTimeoutMs = 5000;

    TLinkProg(TdmCmn& dm, const TSettings& settings);

    // The notified-window lists: title, end message (WM_USER + END_REQ) and
    // Access flag of every program started or notified, each title once.
    struct TNotifiedWindow
    {
        QString Caption;
        quint32 EndMessage = 0;
        bool Access = false;
    };
    const QList<TNotifiedWindow>& NotifiedWindows() const { return FNotified; }
    void ClearNotifiedWindows() { FNotified.clear(); }

    // Launches entry ifNo for a number; portNo 0 for a launch by hand.
    void ExecCustProg(int ifNo, const QString& telNo, int portNo, QWidget* parent = nullptr);
    // Posts each remembered window its end message.
    void SendEndReq();

    // Asked when no entry has the number: the settings dialog opens.
    std::function<void()> OnSettingsRequested;

    // The link menu: one item per entry in IF_NO order that runs launch,
    // the entry of LINK/IF_NO shown as default while LINK/ENABLED is on,
    // then "くるてんの顧客情報" for the program's own customer record.
    void SetLinkMenu(QMenu& menu, const std::function<void(int ifNo)>& launch,
                     const std::function<void()>& ownCustomer);
    // After the settings changed: the default item follows LINK/IF_NO.
    void SetLinkMenuDefault(QMenu& menu);

    // Name of the text file of a TXT entry.
    static QString TextFileName(const QString& textPath, bool withPort, bool withTime, int portNo,
                                const QDateTime& now);
    // The argument list for "the program with command + number": command
    // split as a command line, the number joined to its last argument (or
    // its own argument after a trailing blank), never split itself.
    static QStringList Arguments(const QString& command, const QString& number);
    // command + number, the number percent-encoded (UTF-8), so blanks,
    // "&", "#" or Japanese in it cannot change the address.
    static QString Url(const QString& command, const QString& number);

    TXWindows& Windows() { return FWindows; }

private:
    void Remember(const QString& caption, quint32 endMessage, bool access);
    void ApplyDefault(QMenu& menu);

    TdmCmn& FDm;
    const TSettings& FSettings;
    TXWindows FWindows;
    QList<TNotifiedWindow> FNotified;
};
