#pragma once
// TfraCust: one customer in a tab of the main window. Upper pages: basic
// fields with picture, notes, the numbers linked to the customer in the
// phone book, two pages of custom fields. Lower pages (PageHistory): the
// customer's calls, the handling list (page 1, shown with the handling
// feature) and from page 2 on one tab per open handling record.
#include "accept_owner_u.h"
#include "cust_options_u.h"
#include "db_records_u.h"

#include <QImage>
#include <QStringList>
#include <QWidget>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTextEdit;
class TfraAccept;
class TMainHost;
class TRecordPages;
class TStringGrid;
class TCustOptionGrid;
class TNameEdit;

class TfraCust : public QWidget, public TAcceptOwner
{
    Q_OBJECT
public:
    // Builds the view for the tab that hosts it and loads telNo.
    TfraCust(TMainHost& host, const QString& telNo, QWidget* parent = nullptr);
    ~TfraCust() override;

    // Loads the customer of the number, or an empty record for it.
    void LoadCust(const QString& telNo);
    void SetCustMode(bool browse, const QString& telNo);
    // Checks the fields and fills the record; false (with a warning and the
    // focus on the field) when something is missing or cannot be stored.
    bool CollectCust(TCust& cust);

    // What the main window finds tabs and refreshes lists by.
    QString CustTelNon() const { return FCustTelNon; }
    int CustNo() const { return FCustNo; }
    bool Browsing() const { return FBrowse; }
    QString CustName() const;

    // The lists of the lower pages and the related-numbers tab.
    void MakeMainGrid();
    void MakeTelsGrid();
    // The handling list page and the handling tabs (pages 2 and later).
    void InitAcceptGrid();
    void MakeAcceptGrid();
    void OpenAcceptTab(int actNo, const QString& logNo, bool browse) override;
    int FindActPageIndex(int actNo) const;
    void FreeActTab(int pageIndex);
    // The close-handling-tab request (actNo 0 stands for the new record).
    void OnFindCloseActTab(int actNo);
    // The editor of a handling tab page, or null.
    TfraAccept* AcceptAt(int pageIndex) const;
    // Shows the handling list with the record's row selected; false when the
    // list has no such row.
    bool ShowAcceptRow(int actNo);
    // Something typed that closing the view would lose: the customer record
    // or a handling tab in edit state with changes.
    bool HasUnsavedInput() const;

    void sgdAcceptClick();
    void sgdAcceptDblClick();
    void btnHistorySearchClick();
    void btnActDelClick();
    void btnActEditClick();
    void btnActAddClick();

    // TAcceptOwner
    int AcceptCustNo() const override { return FCustNo; }
    QString AcceptCustName() const override { return CustName(); }
    void MakeCustLogGrid() override { MakeMainGrid(); }
    void MakeCustAcceptGrid() override { MakeAcceptGrid(); }
    void PostCloseActTab(int actNo) override;
    void SetActTabCaption(QWidget* sheet, const QString& caption) override;

    // "メモ(M)" of the main window while this view's calls are shown.
    void EditSelectedCallMemo();
    bool CallsPageShown() const;

    // Buttons
    void btnSaveClick();
    void btnEditClick();
    void btnNewClick();
    void btnDeleteClick();
    void btnCancelClick();
    void btnSearchClick();
    void btnLoadImageClick();
    void btnStretchClick();
    void btnMapClick();
    void btnHpClick();
    void btnMailClick();
    void btnZipSearchClick();

    // The map search address for a postal address (form-encoded UTF-8).
    static QString MapSearchUrl(const QString& address);
    // Completed years between birth and today.
    static int Age(const QDate& birth, const QDate& today);
    // Caption of the main-window tab: 15 positions and the state marker.
    static QString TabCaption(const QString& telNo, bool browse);
    // A picture file as the view stores it; null when it cannot be read.
    static QImage ReadPicture(const QString& file);

    // Upper pages
    TRecordPages* PageCust = nullptr;
    QLineEdit* edtCustTel = nullptr;
    QLineEdit* edtFaxNo = nullptr;
    TNameEdit* edtCustName = nullptr;
    QLabel* lblCustKana = nullptr;
    QLineEdit* edtCustKana = nullptr;
    QComboBox* cbxUser = nullptr;
    QLineEdit* edtZipCd = nullptr;
    QPushButton* btnZipSearch = nullptr;
    QLineEdit* edtAddress = nullptr;
    QLineEdit* edtMapUrl = nullptr;
    QLineEdit* edtEmail = nullptr;
    QLineEdit* edtHpUrl = nullptr;
    QPushButton* btnMap = nullptr;
    QPushButton* btnMail = nullptr;
    QPushButton* btnHp = nullptr;
    QLabel* imgAvater = nullptr;
    QPushButton* btnStretch = nullptr;
    QPushButton* btnLoadImage = nullptr;
    QDateEdit* dtpBirth = nullptr;
    QLineEdit* edtAge = nullptr;
    QComboBox* cbxSex = nullptr;
    QPlainTextEdit* memOthers = nullptr;
    QLabel* lblTelsNote = nullptr;
    TStringGrid* sgdTels = nullptr;
    TCustOptionGrid* sgdOption1 = nullptr;
    TCustOptionGrid* sgdOption2 = nullptr;
    // Buttons across the top
    QPushButton* btnSearch = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnEdit = nullptr;
    QPushButton* btnNew = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnSave = nullptr;
    // Lower pages: 0 calls, 1 handling list, 2.. handling records.
    TRecordPages* PageHistory = nullptr;
    TStringGrid* sgdCustLog = nullptr;
    QWidget* tabAccept = nullptr;
    TStringGrid* sgdAccept = nullptr;
    QSplitter* splAccept = nullptr;
    QPushButton* btnHistorySearch = nullptr;
    QPushButton* btnActDel = nullptr;
    QPushButton* btnActEdit = nullptr;
    QPushButton* btnActAdd = nullptr;
    // The handling page's content box, which also shows a clicked call's memo.
    QTextEdit* richContent = nullptr;

signals:
    // The calls page was shown or hidden ("メモ(M)" follows it).
    void CallsPageToggled(bool shown);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildBasicPage();
    QWidget* BuildButtons();
    QWidget* BuildHistoryPages();
    QWidget* BuildAcceptPage();
    // The selected row's ACT_NO: 1 read, 0 nothing to do, -1 refused (with
    // its message).
    int SelectedActNo(int& actNo);
    // Fields of the customer record as typed, to tell whether it changed.
    QStringList CustSnapshot() const;
    void ClearFields();
    // The related-numbers note and both lists, for the representative number.
    void ReloadLists();
    void ShowPicture(const QImage& image);
    void ShowAge();
    void SetBirth(const QDateTime& birth);
    QDateTime Birth() const;
    void sgdCustLogDblClick(int row, int column);
    void sgdCustLogActDblClick(int row);
    void sgdTelsDblClick(int row, int column);
    // Fills the address from the postal code (Enter in the basic page).
    void FillAddress();

    TMainHost& FHost;
    QString FOpenTelNo;
    QString FCustTelNon;
    int FCustNo = -1;
    bool FBrowse = false;
    bool FUseAccept = false;
    int FKanaType = 0;
    // The view's own copy of the custom-field lists.
    TCustOptions FOptions;
    QImage FPicture;
    bool FCalendarWatched = false;
    QList<QWidget*> FBasicFields;
    QStringList FCustSnapshot;
};
