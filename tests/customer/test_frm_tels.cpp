// The phone book dialog, driven by its buttons inside its modal run.
#include "cust_fixture.h"
#include "frm_search_u.h"
#include "frm_tels_u.h"

#include <QLabel>

namespace {
// Runs the phone book for telNo; body drives it while it is open.
TTels RunTelBook(TCustFixture& f, const QString& telNo, const std::function<void(TfrmTels&)>& body,
                 bool* changed = nullptr)
{
    TfrmTels dlg(*f.frm, f.frm.get());
    TTels out;
    Msg::SetDialogResponder([&](QDialog& d) {
        if (&d != &dlg) return int(QDialog::Rejected);
        body(dlg);
        return int(QDialog::Accepted);
    });
    dlg.SearchShowModal(telNo, out);
    Msg::SetDialogResponder({});
    if (changed) *changed = dlg.Changed();
    return out;
}

QString Buttons(TfrmTels& d)
{
    QString s;
    for (QWidget* w : std::initializer_list<QWidget*>{d.edtTelNo, d.edtCaller, d.btnAdd, d.btnEdit, d.btnDel, d.btnSearch,
                                                      d.btnOk, d.btnCancel, d.btnClose})
        s += w->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}
} // namespace

TEST(TelBook, ModesAddWithCustomerOfferEditDelete)
{
    TCustFixture f;
    ASSERT_TRUE(f.started);
    bool changed = false;
    RunTelBook(
        f, "0300000000",
        [&](TfrmTels& d) {
            EXPECT_EQ(d.windowTitle(), QStringLiteral("電話帳登録"));
            EXPECT_EQ(d.edtTelNo->text(), QString()); // no row: nothing prefilled
            EXPECT_EQ(Buttons(d), "001001001");       // browse, nothing shown
            d.btnAdd->click();
            EXPECT_EQ(Buttons(d), "110000110");
            d.edtTelNo->setText("03-4000-0001");
            d.edtCaller->setText(QStringLiteral("新しい取引先"));
            d.edtReadName->setText(QStringLiteral("あたらしいとりひきさき"));
            // Cancel in the customer question leaves nothing and stays in add mode.
            f.AnswerAll(mbCancel);
            d.btnOk->click();
            EXPECT_TRUE(f.rec.Saw(QStringLiteral("この電話帳データを顧客情報にも登録しますか？")));
            EXPECT_EQ(d.Mode(), TfrmTels::TMode::Add);
            EXPECT_EQ(f.Count("select count(*) from TELS"), 0);
            f.AnswerAll(mbYes);
            d.btnOk->click();
            EXPECT_EQ(d.edtTelNo->text(), "0340000001"); // stored and shown without "-"
            EXPECT_EQ(Buttons(d), "001111001");
        },
        &changed);
    EXPECT_TRUE(changed);
    EXPECT_EQ(f.Scalar("select CUST_NAME || '/' || CUST_TEL_NON || '/' || SEX from CUSTOMER"),
              QStringLiteral("新しい取引先/0340000001/-1"));
    EXPECT_EQ(f.Scalar("select CUST_KANA from CUSTOMER"), QString()); // the read-out name is not the reading
    EXPECT_EQ(f.Scalar("select CUST_TEL_NON from TELS where TEL_NO = '0340000001'"), "0340000001");

    // No: only the phone book; a child number, or the unknown caller, is never offered.
    struct Case { const char* tel; const char* custTel; const char* caller; int answer; bool asked; } cases[] = {
        {"0340000002", "", "番号だけ", mbNo, true},
        {"0340000003", "0340000001", "子番号", mbYes, false},
        {"0340000004", "", "発信者不明", mbYes, false},
    };
    for (const Case& c : cases) {
        f.rec.Shown.clear();
        f.AnswerAll(c.answer);
        RunTelBook(f, "", [&](TfrmTels& d) {
            d.btnAdd->click();
            d.edtTelNo->setText(c.tel);
            d.edtCustTelNon->setText(c.custTel);
            d.edtCaller->setText(QString::fromUtf8(c.caller));
            d.btnOk->click();
        });
        EXPECT_EQ(f.rec.Saw(QStringLiteral("この電話帳データを顧客情報にも登録しますか？")), c.asked) << c.tel;
    }
    EXPECT_EQ(f.Count("select count(*) from CUSTOMER"), 1);
    EXPECT_EQ(f.Count("select count(*) from TELS"), 4);

    // Edit keeps the number; Cancel restores the fields; Delete empties them.
    const TTels shown = RunTelBook(f, "0340000002", [&](TfrmTels& d) {
        d.btnEdit->click();
        EXPECT_EQ(Buttons(d), "010000110");
        d.edtCaller->setText(QStringLiteral("取消される"));
        d.btnCancel->click();
        EXPECT_EQ(d.edtCaller->text(), QStringLiteral("番号だけ"));
        d.btnEdit->click();
        d.edtCaller->setText(QStringLiteral("変えた名前"));
        f.AnswerAll(mbNo);
        d.btnOk->click();
    });
    EXPECT_EQ(shown.CALLER, QStringLiteral("変えた名前"));
    EXPECT_EQ(f.Scalar("select CALLER from TELS where TEL_NO = '0340000002'"), QStringLiteral("変えた名前"));
    f.AnswerAll(mbYes);
    RunTelBook(f, "0340000002", [&](TfrmTels& d) {
        d.btnDel->click();
        EXPECT_EQ(d.edtTelNo->text(), QString());
        EXPECT_EQ(Buttons(d), "001001001");
    });
    EXPECT_EQ(f.Count("select count(*) from TELS where TEL_NO = '0340000002'"), 0);
}

TEST(TelBook, SearchLinkTestAndClosing)
{
    TCustFixture f;
    ASSERT_TRUE(f.started);
    f.Customer("0350000000", QStringLiteral("親会社"), QStringLiteral("オヤガイシャ"));
    f.Tels("0350000001", "", QStringLiteral("支店"), QStringLiteral("してん"));
    TfrmTels dlg(*f.frm, f.frm.get());
    int searches = 0;
    Msg::SetDialogResponder([&](QDialog& d) {
        auto* s = qobject_cast<TfrmSearch*>(&d);
        if (!s) return int(QDialog::Rejected);
        ++searches;
        if (s->Mode() == TSearchMode::Tels) {
            s->edtValue->setText("035");
            s->btnSearchClick();
        } else {
            s->cbxItem->setCurrentIndex(1);
            s->edtValue->setText(QStringLiteral("親"));
            s->btnSearchClick();
        }
        s->sgdSearch->setCurrentCell(0, 0);
        return int(QDialog::Accepted);
    });
    dlg.SetButton(TfrmTels::TMode::Browse);
    dlg.btnSearchClick();
    EXPECT_EQ(dlg.edtTelNo->text(), "0350000001");
    EXPECT_EQ(dlg.edtCaller->text(), QStringLiteral("支店"));
    dlg.btnEditClick();
    // The names are overwritten only when asked and answered Yes.
    f.AnswerAll(mbNo);
    dlg.btnLinkClick();
    EXPECT_TRUE(f.rec.Saw(QStringLiteral("「名前」と「読み上げ名」も検索された顧客情報で上書きしてもよろしいですか？")));
    EXPECT_EQ(dlg.edtCustTelNon->text(), "0350000000");
    EXPECT_EQ(dlg.edtCaller->text(), QStringLiteral("支店"));
    f.AnswerAll(mbYes);
    dlg.btnLinkClick();
    EXPECT_EQ(dlg.edtCaller->text(), QStringLiteral("親会社 (子番号)"));
    EXPECT_EQ(dlg.edtReadName->text(), QStringLiteral("オヤガイシャ"));
    EXPECT_EQ(searches, 3);
    Msg::SetDialogResponder({});

    // Closing while editing asks; No keeps the dialog open.
    dlg.show();
    f.AnswerAll(mbNo);
    dlg.reject();
    EXPECT_TRUE(f.rec.Saw(QStringLiteral("データが編集状態です。キャンセルして画面を閉じてもよろしいですか？")));
    EXPECT_TRUE(dlg.isVisible());
    dlg.btnOkClick(); // a child number: no customer question
    EXPECT_EQ(f.Scalar("select CUST_TEL_NON || '/' || CALLER from TELS where TEL_NO = '0350000001'"),
              QStringLiteral("0350000000/親会社 (子番号)"));
    dlg.btnTestClick();
    EXPECT_TRUE(f.rec.Saw(QStringLiteral("音声読上げの設定されていません。環境設定画面で設定してください。")));
    dlg.reject();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(dlg.btnLink->isVisibleTo(&dlg));
}

TEST(TelBook, ShowTelBookRefreshesAndFillsTheNumberBox)
{
    TCustFixture f;
    ASSERT_TRUE(f.started);
    f.Customer("0360000000", QStringLiteral("本社"));
    f.frm->OpenCustTab("0360000000");
    TfraCust* v = f.View();
    EXPECT_EQ(v->sgdTels->DataRowCount(), 0);
    f.Find<QLineEdit>("edtCall")->setText("0360000009");
    Msg::SetDialogResponder([&](QDialog& d) {
        auto* t = qobject_cast<TfrmTels*>(&d);
        if (!t) return int(QDialog::Rejected);
        t->btnAddClick();
        t->edtTelNo->setText("0360000009");
        t->edtCustTelNon->setText("0360000000");
        t->edtCaller->setText(QStringLiteral("本社 携帯"));
        t->btnOkClick();
        return int(QDialog::Accepted);
    });
    f.Find<QPushButton>("btnTels")->click();
    Msg::SetDialogResponder({});
    EXPECT_EQ(f.Find<QLabel>("pnlCallName")->text(), QStringLiteral("本社 携帯"));
    EXPECT_EQ(f.Find<QLineEdit>("edtCall")->text(), "0360000009");
    EXPECT_EQ(GridRows(v->sgdTels, {0, 1}), QStringList{QStringLiteral("0360000009|本社 携帯")});
}
