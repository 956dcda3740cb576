#pragma once
// TfrmInterface ("外部接続登録"): the registered external programs (table
// INTERFACE), one entry at a time through the data module's editable view
// tblInterface. Browse mode moves through the entries; "追加(&A)" and
// "編集(&E)" switch to edit mode, "OK(&O)" posts the entry and "取消(&C)"
// drops the changes. The fields that an entry's type uses are enabled.
//
//   ShowInterface(dm, settings, this);   // modal; afterwards the main window rebuilds its link menu
#include <QDialog>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class TdmCmn;
class TFbTable;
class TSettings;

class TfrmInterface : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmInterface(TdmCmn& dm, QWidget* parent = nullptr);
    ~TfrmInterface() override;

    // "検索(&S)": picks an entry (the search dialog in its external-program
    // mode) and gives its number; nothing when cancelled.
    std::function<std::optional<int>()> SearchEntry;

    void FormShow();
    bool Editing() const;
    void btnAddClick();
    void btnEditClick();
    void btnOkClick();
    void btnCancelClick();
    void btnDeleteClick();
    void btnSearchClick();
    void Navigate(int step); // -2 first, -1 prior, 1 next, 2 last

    QWidget* pnlFields = nullptr;
    QLineEdit* edtIfNo = nullptr;
    QLineEdit* edtIfName = nullptr;
    QComboBox* cbxIfType = nullptr;
    QLineEdit* edtExecPath = nullptr;
    QLineEdit* edtCommand = nullptr;
    QLineEdit* edtTextPath = nullptr;
    QLineEdit* edtCaption = nullptr;
    QCheckBox* chkEveryClose = nullptr;
    QCheckBox* chkTextPort = nullptr;
    QCheckBox* chkTextDt = nullptr;
    QLabel* lblSendMsg = nullptr;
    QLabel* lblStartReq = nullptr;
    QLineEdit* edtStartReq = nullptr;
    QLabel* lblEndReq = nullptr;
    QLineEdit* edtEndReq = nullptr;

    QPushButton* btnFirst = nullptr;
    QPushButton* btnPrior = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnLast = nullptr;
    QPushButton* btnSearch = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnEdit = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnClose = nullptr;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetEditMode(bool edit);
    // The fields show the current entry; the type decides what is enabled.
    void ShowRecord();
    void FieldStates();

    TdmCmn& FDm;
    TFbTable& FTable;
    bool FEdit = false;
    bool FShown = false;
};

// Opens the registration window modally and closes the table view after it.
// "検索(&S)" of the window: the search dialog in its external-program mode;
// the chosen entry's number, nothing when cancelled.
std::optional<int> PickInterface(TdmCmn& dm, TSettings& settings, QWidget* parent);
void ShowInterface(TdmCmn& dm, TSettings& settings, QWidget* parent);
