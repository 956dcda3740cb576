// The start-up sign-in of the main window while sign-in is required.
#include "db_start_u.h"
#include "frm_login_u.h"
#include "main_fixture.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

namespace {
// A main window whose database already holds the users, before FormCreate.
struct TSignInFixture : TMainFixture
{
    explicit TSignInFixture(const QByteArray& ini = "[BASIC]\nLOGIN_AUTH=1\n") : TMainFixture(ini)
    {
        EXPECT_TRUE(ConnectDatabaseAtStart(*dm, *settings));
        dm->ExecSql("insert into USER_M (USERID, USERNM, PASSWD, AUTH) values ('u1', '山田', 'pw1', 1)");
        dm->ExecSql("insert into USER_M (USERID, USERNM, PASSWD, AUTH, DEL_DT) values ('old', '退職', 'pw2', 1, "
                    "CURRENT_TIMESTAMP)");
        dm->CloseDatabase();
        rec.Shown.clear();
    }
    ~TSignInFixture() { Msg::SetDialogResponder({}); }
    int Windows = 0;
};
} // namespace

TEST(SignIn, TwoParametersOrHandedOverCredentials)
{
    const struct {
        const char* Name;
        QStringList Args;
        bool Handed;
        bool Ok;
    } cases[] = {
        {"parameters", {"u1", "pw1"}, false, true},
        {"restart", {}, true, true},
        {"wrong password", {"u1", "pw9"}, false, false},
        {"deleted user", {"old", "pw2"}, false, false},
        {"200 characters", {QString(200, 'u'), QString(200, 'p')}, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TSignInFixture f;
        f.state.Args = c.Args;
        f.state.HandedSignIn = c.Handed;
        f.state.Handed = {"u1", "pw1"};
        Msg::SetDialogResponder([&f](QDialog&) {
            ++f.Windows;
            return int(QDialog::Rejected);
        });
        EXPECT_EQ(f.frm->FormCreate(), c.Ok);
        EXPECT_EQ(f.Windows, 0);
        EXPECT_EQ(f.frm->SignedInUserId(), c.Ok ? "u1" : "");
        EXPECT_EQ(f.dm->SignedInUser.USERNM, c.Ok ? QStringLiteral("山田") : QString());
        EXPECT_EQ(f.rec.Saw(TfrmLogin::kInvalidText), !c.Ok);
        EXPECT_EQ(f.LogText().contains("reboot Halt"), !c.Ok);
        if (c.Ok) {
            EXPECT_EQ(f.state.User.Password, "pw1");
        }
    }
}

TEST(SignIn, WindowWithoutParameters)
{
    {
        TSignInFixture f;
        Msg::SetDialogResponder([&f](QDialog& d) {
            ++f.Windows;
            auto& login = dynamic_cast<TfrmLogin&>(d);
            login.edtUserId->setText("u1");
            login.edtPwd->setText("pw1");
            login.btnLogin->click();
            return login.result();
        });
        ASSERT_TRUE(f.frm->FormCreate());
        EXPECT_EQ(f.Windows, 1);
        EXPECT_TRUE(f.LogText().contains("TfrmMain.LoginCheck begin"));
        EXPECT_EQ(f.frm->SignedInUserId(), "u1");
        EXPECT_EQ(f.state.User.UserId, "u1");
    }
    {
        // "閉じる(&X)": nobody signs in, the start is given up.
        TSignInFixture f;
        Msg::SetDialogResponder([&f](QDialog& d) {
            ++f.Windows;
            dynamic_cast<TfrmLogin&>(d).btnClose->click();
            return d.result();
        });
        EXPECT_FALSE(f.frm->FormCreate());
        EXPECT_EQ(f.Windows, 1);
        EXPECT_FALSE(f.dm->IBDatabase1.Connected());
        EXPECT_EQ(f.frm->SignedInUserId(), QString());
    }
    {
        // Sign-in not required: no window, nobody signed in.
        TSignInFixture f("");
        Msg::SetDialogResponder([&f](QDialog&) {
            ++f.Windows;
            return int(QDialog::Rejected);
        });
        ASSERT_TRUE(f.frm->FormCreate());
        EXPECT_EQ(f.Windows, 0);
        EXPECT_EQ(f.frm->SignedInUserId(), QString());
    }
}
