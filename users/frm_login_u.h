#pragma once
// "ログイン認証": the sign-in window shown at start while sign-in is
// required. Closes with OK once a valid user ID and password were given.
#include "db_records_u.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class TdmCmn;

class TfrmLogin : public QDialog
{
    Q_OBJECT
public:
    static inline const QString kInvalidText =
        QStringLiteral("ユーザIDかパスワードが無効です。もしくは有効期限が過ぎています。");

    explicit TfrmLogin(TdmCmn& dm, QWidget* parent = nullptr);

    QLabel* imgTitle = nullptr;
    QLineEdit* edtUserId = nullptr;
    QLineEdit* edtPwd = nullptr;
    QLineEdit* edtUserName = nullptr;
    QPushButton* btnSearch = nullptr;
    QPushButton* btnLogin = nullptr;
    QPushButton* btnClose = nullptr;

    // The user signed in (empty until the window closes with OK).
    const TUser& User() const { return FUser; }

    void edtUserIdExit();
    void btnSearchClick();
    void btnLoginClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TdmCmn& FDm;
    TUser FUser;
};
