#pragma once
// TfrmActSearch ("対応履歴検索"): handling records by period, customer, text
// in title and content, type, result and person in charge. One window in the
// program, not modal; a result opens in its customer's tab.
//
//   auto* w = new TfrmActSearch(host, custPages, mainWindow);   // deleted on close
//   w->show();
//   w->SetCustomer(custNo, custName);
#include "lookup_list_u.h"

#include <QStringList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTreeWidget;
class TCustPages;
class TMainHost;
struct TActSearchCond;

class TfrmActSearch : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kHistoryMax = 20;
    enum { colActDt, colCustName, colTitle, colTypeName, colResultName, colUserName, colActNo, colCustTelNon };

    TfrmActSearch(TMainHost& host, TCustPages& custPages, QWidget* parent = nullptr);
    ~TfrmActSearch() override;

    void SetCustomer(int custNo, const QString& custName);
    int CustNo() const { return FCustNo; }
    QStringList History() const { return FHistory; }
    // The conditions as the controls hold them.
    TActSearchCond Conditions() const;

    void FormShow();
    void btnOkClick();
    void btnSearchClick();
    void lvwHistoryListDblClick();
    void btnNextClick();
    void btnPrefClick();

    QComboBox* cbxSearchContent = nullptr;
    QCheckBox* chkTitle = nullptr;
    QCheckBox* chkContent = nullptr;
    QLabel* pnlCustName = nullptr;
    QPushButton* btnSearch = nullptr;
    QComboBox* cbxUserName = nullptr;
    QComboBox* cbxTypeName = nullptr;
    QComboBox* cbxResultName = nullptr;
    QCheckBox* chkFrom = nullptr;
    QDateEdit* dtpFrom = nullptr;
    QCheckBox* chkTo = nullptr;
    QDateEdit* dtpTo = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnClose = nullptr;
    QPushButton* btnPref = nullptr;
    QPushButton* btnNext = nullptr;
    QTreeWidget* lvwHistoryList = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void AddHistory(const QString& text);
    void SelectLine(int line);

    TMainHost& FHost;
    TCustPages& FCustPages;
    TLookupList FTypes, FResults, FUsers;
    QStringList FHistory;
    int FCustNo = -1;
};
