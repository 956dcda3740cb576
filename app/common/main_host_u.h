#pragma once
// What the main window offers the windows that open from it. Customer,
// handling, user, report and settings windows receive a TMainHost and call
// back through it; none of them knows the main window's class.
#include "cust_options_u.h"
#include "export_paths_u.h"
#include "lookup_list_u.h"
#include "up_table_u.h"

#include <QDate>
#include <QString>

class QWidget;
class TSettings;
class TdmCmn;
class TSpeech;

class TMainHost
{
public:
    virtual ~TMainHost() = default;

    // Services created at start.
    virtual TSettings& Settings() = 0;
    virtual TdmCmn& Dm() = 0;
    // Parent for dialogs and message boxes.
    virtual QWidget* HostWindow() = 0;
    // The read-out engine; null when it could not be created or is off.
    virtual TSpeech* Speech() = 0;
    // Creates the read-out engine when there is none yet (read-out switched
    // on in the settings); false when it could not be created.
    virtual bool CreateSpeechEngine() = 0;

    // Customer tabs (pages 2 and later of the main pages).
    // Activates the tab of the number's customer, or opens a new one; the
    // page index shown.
    virtual int OpenCustTab(const QString& telNo) = 0;
    // Page index of the tab whose view stands for that representative
    // number, or -1.
    virtual int FindCustPageIndex(const QString& custTelNon) = 0;
    // Opens the customer's tab and in it the handling record actNo (-1: a
    // new record linked to the call logNo), in browse or edit mode.
    virtual void OpenCustAcceptTab(const QString& custTelNon, int actNo, bool browse, const QString& logNo) = 0;
    // Sets the caption (label + state marker) of the page holding view.
    virtual void SetCustTabCaption(QWidget* view, const QString& caption) = 0;
    // Closes the active customer tab once control is back in the event loop
    // (a view may ask this about itself).
    virtual void RequestCloseActiveTab() = 0;

    // Rebuild the main window's call history (handling marks) and handling
    // history after a handling record was saved or deleted.
    virtual void ReloadCallHistory() = 0;
    virtual void ReloadAcceptHistory() = 0;
    // The handling search window (one in the program), shown without being
    // modal; from a customer view it is then set to that customer.
    virtual void OpenActSearch(bool setCust, int custNo, const QString& custName) = 0;

    // Shared data changed: reload what up names here, and tell the other
    // copies on the LAN ("OTH" notice).
    virtual void RefreshTables(const TUpTable& up) = 0;
    virtual void SendRefreshNotice(const TUpTable& up) = 0;
    void RefreshAndNotify(const TUpTable& up)
    {
        RefreshTables(up);
        SendRefreshNotice(up);
    }

    // Number box and caller panel.
    virtual QString CallNumber() const = 0;
    virtual void SetCallNumber(const QString& telNo) = 0;
    virtual void SetCallName(const QString& name) = 0;
    virtual void FocusCallNumber() = 0;

    // The memo window for one call-log row; after OK the history reloads and
    // the other copies are told.
    virtual void EditCallMemo(const QString& logNo, const QString& memo) = 0;

    // Date of the call and handling history pages.
    virtual QDate HistoryDate() const = 0;
    virtual void SetHistoryDate(const QDate& date) = 0;

    // Lookup lists, each beginning with the empty entry.
    virtual const TLookupList& ActTypes() const = 0;
    virtual const TLookupList& ActResults() const = 0;
    virtual const TLookupList& Users() const = 0;
    // Custom customer field definitions and choices (rebuilt at start and on
    // the refresh request; customer views copy them when they open).
    virtual const TCustOptions& CustOptions() const = 0;

    // The signed-in user; empty when sign-in is not required.
    virtual QString SignedInUserId() const = 0;

    // Export files and options remembered between runs.
    virtual TExportPaths& ExportPaths() = 0;

    // The program closes and starts again with the signed-in user.
    virtual void RequestRestart() = 0;
    // Notification-area balloon (only while the icon is present).
    virtual void ShowBalloon(const QString& text) = 0;
    // Resident mode switched by the settings.
    virtual void EnterResident() = 0;
    virtual void LeaveResident() = 0;
    // The handling history page ("対応履歴") follows BASIC/USE_ACCEPT.
    virtual void ShowAcceptPage(bool visible) = 0;
    // Banner picture changed on disk.
    virtual void ReloadBanner() = 0;
    // Runs external program entry ifNo with a number (the link menu).
    virtual void ExecCustProg(int ifNo, const QString& telNo, int portNo) = 0;
    // An error a window does not handle itself: logged and shown by the
    // application's handler, which reconnects after a lost connection.
    virtual void AppException(const QString& message) = 0;
};
