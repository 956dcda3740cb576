#pragma once
// The custom customer fields: TfrmCustOption ("顧客補足登録") lists the
// twenty fields, deletes them and keeps the choice lists of "マスタデータ"
// fields; TfrmCustOptEdt ("顧客補足項目編集") sets a field's label and kind.
#include "cust_sql_u.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;
class TStringGrid;
class TMainHost;
class TdmCmn;

// The kinds in the order of the editor's list, after the empty entry.
struct TOptionKind
{
    const char* Code;
    const char* Name;
};
inline constexpr TOptionKind kOptionKinds[] = {{"s", "全角文字"}, {"n", "半角文字"}, {"d", "日付"},
                                               {"t", "時刻"},     {"e", "日付＋時刻"}, {"m", "マスタデータ"}};
QString OptionKindName(const QString& code);

class TfrmCustOptEdt : public QDialog
{
    Q_OBJECT
public:
    // optionId: the field being defined; label and kind empty for a new one.
    TfrmCustOptEdt(TdmCmn& dm, int optionId, const QString& label, const QString& kind, QWidget* parent = nullptr);
    void btnOkClick();

    QLineEdit* edtName = nullptr;
    QComboBox* cbxKind = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    TdmCmn& FDm;
    int FOptionId;
};

class TfrmCustOption : public QDialog
{
    Q_OBJECT
public:
    TfrmCustOption(TdmCmn& dm, QWidget* parent = nullptr);

    // The field list: twenty entries, live labels or "(予備nn)".
    void LoadFields();
    void SelectField(int index);
    void LoadEntries();
    void btnEditClick();
    void btnDelClick();
    void btnEntryRegistClick();
    void btnEntryDelClick();
    // The field selected (1 to 20).
    int FieldNo() const;

    QListWidget* lstFields = nullptr;
    QLabel* pnlName = nullptr;
    QLabel* pnlKind = nullptr;
    QPushButton* btnEdit = nullptr;
    QPushButton* btnDel = nullptr;
    QWidget* pnlMaster = nullptr;
    TStringGrid* sgdEntries = nullptr;
    QLineEdit* edtDid = nullptr;
    QLineEdit* edtDname = nullptr;
    QLineEdit* edtListId = nullptr;
    QCheckBox* chkShowDeleted = nullptr;
    QPushButton* btnEntryRegist = nullptr;
    QPushButton* btnEntryDel = nullptr;
    QPushButton* btnClose = nullptr;

private:
    TdmCmn& FDm;
    QList<TOptionDef> FDefs; // by position: Id 0 for an undefined field
};

// "顧客補足登録" from the master menu; afterwards the main window rebuilds
// its custom-field lists and tells the other copies.
void ShowCustOption(TMainHost& host);
