#pragma once
// "対応区分登録" and "対応結果登録": the handling type and result masters, one
// window told apart by its TAcceptMasterKind.
#include "accept_sql_u.h"
#include "master_window_u.h"

class QLineEdit;
class TdmCmn;

class TfrmAcceptMaster : public TMasterWindow
{
    Q_OBJECT
public:
    enum TCol { colId, colName, colListId, colDel };

    TfrmAcceptMaster(TdmCmn& dm, const TAcceptMasterKind& kind, QWidget* parent = nullptr);

    QLineEdit* edtId = nullptr;
    QLineEdit* edtName = nullptr;
    QLineEdit* edtListId = nullptr;

    const TAcceptMasterKind& Kind() const { return FKind; }
    void MakeMainGrid();
    void sgdMainClick();
    void btnInsertClick();
    void btnDeleteClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TdmCmn& FDm;
    const TAcceptMasterKind& FKind;
};

class TfrmAcceptType : public TfrmAcceptMaster
{
    Q_OBJECT
public:
    explicit TfrmAcceptType(TdmCmn& dm, QWidget* parent = nullptr)
        : TfrmAcceptMaster(dm, TAcceptMasterKind::Type(), parent) {}
};

class TfrmAcceptResult : public TfrmAcceptMaster
{
    Q_OBJECT
public:
    explicit TfrmAcceptResult(TdmCmn& dm, QWidget* parent = nullptr)
        : TfrmAcceptMaster(dm, TAcceptMasterKind::Result(), parent) {}
};
