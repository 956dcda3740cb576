#pragma once
// "ユーザ検索": picks a valid user by name for the sign-in window.
#include <QDialog>
#include <QStringList>

class QLineEdit;
class QListWidget;
class QPushButton;
class TdmCmn;

class TfrmSearchUser : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmSearchUser(TdmCmn& dm, QWidget* parent = nullptr);

    QLineEdit* edtSearchName = nullptr;
    QPushButton* btnSearch = nullptr;
    QListWidget* lstUserName = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

    void MakeMainList();
    // The ID of the selected name, empty when none is selected.
    QString SelectedUserId() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    TdmCmn& FDm;
    QStringList FUserIds; // parallel to the names
};
