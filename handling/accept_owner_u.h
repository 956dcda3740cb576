#pragma once
// What a handling editor needs from the customer view whose history pages
// hold its tab. The customer view implements it; the editor never knows the
// view's class (the view sits above the editor).
#include <QString>

class QWidget;

class TAcceptOwner
{
public:
    virtual ~TAcceptOwner() = default;

    // CUST_NO of the view's customer; -1 while the customer is not stored.
    virtual int AcceptCustNo() const = 0;
    // The customer's name as the view shows it.
    virtual QString AcceptCustName() const = 0;
    // Rebuild the view's call list (a new record marks its call) and the
    // view's handling list.
    virtual void MakeCustLogGrid() = 0;
    virtual void MakeCustAcceptGrid() = 0;
    // Activate the record's open handling tab, or open a new one
    // (actNo -1: a new record linked to the call logNo, may be empty).
    virtual void OpenAcceptTab(int actNo, const QString& logNo, bool browse) = 0;
    // Close the handling tab of actNo (-1: the new-record tab) once control is
    // back in the event loop: the editor asking is destroyed by it, so the
    // call must be queued, never run at once.
    virtual void PostCloseActTab(int actNo) = 0;
    // Caption of the tab sheet that holds an editor.
    virtual void SetActTabCaption(QWidget* sheet, const QString& caption) = 0;
};
