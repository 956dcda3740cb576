#pragma once
// TfrmTels ("電話帳登録"): one phone-book row at a time, browsed, added,
// edited, deleted, searched, linked to a customer; and ShowTelBook, the
// main window's way of opening it.
#include "db_records_u.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class TMainHost;

class TfrmTels : public QDialog
{
    Q_OBJECT
public:
    enum class TMode { Browse, Edit, Add };

    explicit TfrmTels(TMainHost& host, QWidget* parent = nullptr);

    // Shows the row of the number (four empty fields when it has none) and
    // runs the dialog; the fields as shown when it closed.
    int SearchShowModal(const QString& telNo, TTels& tels);
    // A stored change happened while the dialog was open.
    bool Changed() const { return FChanged; }
    TMode Mode() const { return FMode; }
    void SetButton(TMode mode);

    void btnAddClick();
    void btnEditClick();
    void btnDelClick();
    void btnSearchClick();
    void btnOkClick();
    void btnCancelClick();
    void btnLinkClick();
    void btnTestClick();

    QLineEdit* edtTelNo = nullptr;
    QLineEdit* edtCustTelNon = nullptr;
    QLineEdit* edtCaller = nullptr;
    QLineEdit* edtReadName = nullptr;
    QPushButton* btnLink = nullptr;
    QPushButton* btnTest = nullptr;
    QLabel* lblNote = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnEdit = nullptr;
    QPushButton* btnDel = nullptr;
    QPushButton* btnSearch = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnClose = nullptr;

    // Closing while a row is being edited asks first.
    void done(int result) override;

private:
    void ShowTels(const TTels& t);
    TTels Fields() const;
    // False with a warning when a field is too long or cannot be stored.
    bool FieldsStorable();

    TMainHost& FHost;
    TMode FMode = TMode::Browse;
    TTels FSaved;
    bool FChanged = false;
};

// The phone book for a number; afterwards the main window reloads what
// shows phone-book data (and tells the other copies) when something was
// stored, and takes the dialog's number and name into its number box.
void ShowTelBook(TMainHost& host, const QString& telNo);
