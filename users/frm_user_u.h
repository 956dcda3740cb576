#pragma once
// "担当者登録": the user master. One button both adds and changes users;
// deleting sets DEL_DT, registering a deleted ID again revives it.
#include "master_window_u.h"

class QComboBox;
class QLineEdit;
class TCheckDate;
class TdmCmn;

class TfrmUser : public TMasterWindow
{
    Q_OBJECT
public:
    // Grid columns; the last two are kept, not shown.
    enum TCol { colId, colName, colAuth, colListId, colFrom, colTo, colDel, colAuthValue, colPasswd };

    explicit TfrmUser(TdmCmn& dm, QWidget* parent = nullptr);

    QLineEdit* edtUserId = nullptr;
    QLineEdit* edtUserName = nullptr;
    QLineEdit* edtPasswd = nullptr;
    QComboBox* cbxAuth = nullptr;
    QLineEdit* edtListId = nullptr;
    TCheckDate* dtpFromDt = nullptr;
    TCheckDate* dtpToDt = nullptr;

    void MakeMainGrid();
    void sgdMainClick();
    void btnInsertClick();
    void btnDeleteClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TdmCmn& FDm;
};
