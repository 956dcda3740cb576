// Custom customer fields: the two dialogs, the main window's lists and the
// values of every kind through the customer view.
#include "cust_fixture.h"
#include "cust_option_grid_u.h"
#include "cust_sql_u.h"
#include "frm_cust_option_u.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QListWidget>

namespace {
void Define(TCustFixture& f, int id, const QString& label, const QString& kind)
{
    CustSql::SaveOptionDef(*f.dm, id, label, kind);
}

void ReloadLists(TCustFixture& f)
{
    TUpTable up;
    up.UpCustOption = up.UpCustOptionData = true;
    f.frm->RefreshTables(up);
}

QStringList Items(QListWidget* l)
{
    QStringList out;
    for (int i = 0; i < l->count(); ++i) out << l->item(i)->text();
    return out;
}
} // namespace

TEST(CustOption, DialogsAndMainLists)
{
    TCustFixture f;
    ASSERT_TRUE(f.started);
    Define(f, 3, QStringLiteral("担当部署"), "s");
    Define(f, 5, QStringLiteral("契約日"), "d");
    Define(f, 7, QStringLiteral("消えた項目"), "n");
    CustSql::DeleteOptionDef(*f.dm, 7, QDateTime(QDate(2024, 1, 1), QTime(9, 0)));

    bool ran = false;
    Msg::SetDialogResponder([&](QDialog& d) {
        if (auto* edt = qobject_cast<TfrmCustOptEdt*>(&d)) {
            EXPECT_EQ(edt->windowTitle(), QStringLiteral("顧客補足項目編集"));
            EXPECT_EQ(edt->cbxKind->count(), 7);
            edt->btnOkClick();
            EXPECT_TRUE(f.rec.Saw(QStringLiteral("項目名を入力してください。")));
            edt->edtName->setText(QStringLiteral("ランク"));
            edt->btnOkClick();
            EXPECT_TRUE(f.rec.Saw(QStringLiteral("入力値の種類を入力してください。")));
            edt->cbxKind->setCurrentIndex(6);
            edt->btnOkClick();
            return edt->result();
        }
        auto* dlg = qobject_cast<TfrmCustOption*>(&d);
        if (!dlg) return int(QDialog::Rejected);
        ran = true;
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("顧客補足登録"));
        const QStringList items = Items(dlg->lstFields);
        EXPECT_EQ(items.size(), 20);
        EXPECT_EQ(items.mid(0, 8), (QStringList{"(予備01)", "(予備02)", QStringLiteral("担当部署"), "(予備04)",
                                                QStringLiteral("契約日"), "(予備06)", "(予備07)", "(予備08)"}));
        EXPECT_FALSE(dlg->btnDel->isEnabled()); // the first entry is undefined
        dlg->lstFields->setCurrentRow(4);
        EXPECT_EQ(dlg->pnlKind->text(), QStringLiteral("日付"));
        EXPECT_FALSE(dlg->pnlMaster->isVisibleTo(dlg));
        f.AnswerAll(mbOK);
        dlg->btnDelClick();
        EXPECT_TRUE(f.rec.Saw(QStringLiteral("削除してよろしいですか？")));
        EXPECT_EQ(dlg->lstFields->item(4)->text(), "(予備05)");

        dlg->lstFields->setCurrentRow(0);
        dlg->btnEditClick();
        EXPECT_EQ(dlg->lstFields->item(0)->text(), QStringLiteral("ランク"));
        EXPECT_EQ(dlg->pnlKind->text(), QStringLiteral("マスタデータ"));
        EXPECT_TRUE(dlg->pnlMaster->isVisibleTo(dlg));

        auto regist = [&](const char* id, const QString& name, const char* order) {
            dlg->edtDid->setText(id);
            dlg->edtDname->setText(name);
            dlg->edtListId->setText(order);
            dlg->btnEntryRegistClick();
        };
        regist("", QStringLiteral("x"), "1");
        EXPECT_TRUE(f.rec.Saw(QStringLiteral("IDを入力してください。")));
        regist("A", QStringLiteral("ゴールド"), "2");
        regist("B", QStringLiteral("シルバー"), "1");
        regist("C", QStringLiteral("ブロンズ"), "10"); // display order compares as text
        EXPECT_EQ(GridRows(dlg->sgdEntries, {0, 1, 2}),
                  (QStringList{QStringLiteral("B|シルバー|1"), QStringLiteral("C|ブロンズ|10"), QStringLiteral("A|ゴールド|2")}));
        dlg->edtDid->setText("C");
        dlg->btnEntryDelClick();
        EXPECT_EQ(dlg->sgdEntries->DataRowCount(), 2);
        dlg->chkShowDeleted->setChecked(true);
        EXPECT_EQ(dlg->sgdEntries->DataRowCount(), 3);
        EXPECT_EQ(dlg->sgdEntries->item(1, 0)->background().color(), QColor(128, 128, 128));
        EXPECT_FALSE(dlg->sgdEntries->Cell(1, 3).isEmpty());
        // Registering a deleted id asks before it revives it.
        f.rec.Shown.clear();
        f.AnswerAll(mbCancel);
        regist("C", QStringLiteral("ブロンズ"), "3");
        EXPECT_TRUE(f.rec.Saw(QStringLiteral("既に削除されたIDですが再登録してよろしいですか？")));
        EXPECT_FALSE(dlg->sgdEntries->Cell(1, 3).isEmpty());
        dlg->edtDid->setText("B");
        f.AnswerAll(mbOK);
        dlg->btnEntryDelClick();
        regist("B", QStringLiteral("シルバー"), "1");
        dlg->chkShowDeleted->setChecked(false);
        EXPECT_EQ(GridRows(dlg->sgdEntries, {0}), (QStringList{"B", "A"}));
        return int(QDialog::Accepted);
    });
    f.Find<QAction>("mnuCustOption")->trigger();
    Msg::SetDialogResponder({});
    ASSERT_TRUE(ran);
    const QString log = f.LogText();
    EXPECT_TRUE(log.contains(QStringLiteral("strSql=insert into OPTION_M (OPTION_ID, DESP_NAME, FIELD_TYPE, LIST_NO) "
                                            "values (1, 'ランク', 'm', 1)")));
    EXPECT_TRUE(log.contains(QStringLiteral("strSql=update OPTION_D_M set  DNAME = 'シルバー',  LIST_ID = '1',  "
                                            "DEL_DT = null where OPTION_ID = 1 and DID = 'B'")));
    EXPECT_TRUE(log.contains("TfrmMain.MakeCustOptionTemp begin"));

    // The main window's lists were rebuilt when the dialog closed.
    const TCustOptions& o = f.frm->CustOptions();
    EXPECT_EQ(o.Labels[1], QStringLiteral("ランク"));
    EXPECT_EQ(o.Kinds[1], "m");
    EXPECT_EQ(o.Labels[3], QStringLiteral("担当部署"));
    EXPECT_TRUE(o.Labels[5].isEmpty()); // deleted: undefined
    EXPECT_TRUE(o.Labels[7].isEmpty());
    EXPECT_EQ(o.Choices[1].Ids, (QStringList{"", "B", "A"}));
    EXPECT_EQ(o.Choices[1].Names, (QStringList{"", QStringLiteral("シルバー"), QStringLiteral("ゴールド")}));
    EXPECT_EQ(f.Scalar("select count(*) from OPTION_M where OPTION_ID = 5 and DEL_DT is not null"), "1");
}

TEST(CustOption, ValuesOfEveryKindRoundTrip)
{
    TCustFixture f;
    ASSERT_TRUE(f.started);
    const char* kinds[] = {"s", "n", "d", "t", "e", "m"};
    for (int i = 0; i < 6; ++i) Define(f, i + 1, QStringLiteral("項目%1").arg(i + 1), kinds[i]);
    Define(f, 11, QStringLiteral("二枚目"), "s");
    CustSql::InsertEntry(*f.dm, 6, "01", QStringLiteral("東京"), "1");
    CustSql::InsertEntry(*f.dm, 6, "02", QStringLiteral("大阪"), "2");
    ReloadLists(f);

    f.frm->OpenCustTab("0370000000");
    TfraCust* v = f.View();
    TCustOptionGrid* g = v->sgdOption1;
    EXPECT_EQ(g->Cell(0, 0), QStringLiteral("項目1"));
    EXPECT_TRUE(g->isEnabled()); // a new record is edited
    v->edtCustName->setText(QStringLiteral("補足の会社"));

    g->ShowEditor(0);
    EXPECT_TRUE(g->edtOption->isVisibleTo(g));
    EXPECT_EQ(g->edtOption->property("imeMode").toString(), "hira");
    g->edtOption->setText(QStringLiteral("全角テキスト"));
    g->MoveNext(); // Enter: the next labelled row
    EXPECT_EQ(g->edtOption->property("imeMode").toString(), "close");
    g->edtOption->setText("ABC-123");
    g->ShowEditor(2);
    EXPECT_FALSE(g->dtpOptionDate->Checked());
    g->dtpOptionDate->Edit->setDate(QDate(2024, 3, 5));
    EXPECT_EQ(g->Cell(2, 1), QString()); // not checked: no value
    g->dtpOptionDate->Check->setChecked(true);
    g->ShowEditor(3);
    EXPECT_TRUE(g->dtpOptionTime->Check->isVisibleTo(g->dtpOptionTime));
    g->dtpOptionTime->Check->setChecked(true);
    g->dtpOptionTime->Edit->setTime(QTime(9, 7));
    g->ShowEditor(4);
    EXPECT_FALSE(g->dtpOptionTime->Edit->isEnabled()); // until the date is set
    g->dtpOptionDate->Check->setChecked(true);
    EXPECT_TRUE(g->dtpOptionTime->Edit->isEnabled());
    g->dtpOptionDate->Edit->setDate(QDate(2024, 12, 31));
    g->dtpOptionTime->Edit->setTime(QTime(23, 59));
    g->ShowEditor(5);
    EXPECT_EQ(g->cbxOption->geometry(), g->visualRect(g->model()->index(5, 1)));
    EXPECT_EQ(g->cbxOption->count(), 3);
    g->cbxOption->setCurrentIndex(2);
    EXPECT_EQ(g->Cell(5, 2), "02");
    g->MoveNext(); // from the last labelled row back to the first
    EXPECT_TRUE(g->edtOption->isVisibleTo(g));
    v->sgdOption2->ShowEditor(0);
    v->sgdOption2->edtOption->setText(QStringLiteral("二枚目の値"));
    v->btnSave->click();
    EXPECT_FALSE(g->edtOption->isVisibleTo(g)); // editors closed for the save

    EXPECT_EQ(f.Scalar("select OPTION_01 || '|' || OPTION_02 || '|' || OPTION_03 || '|' || OPTION_04 || '|' || "
                       "OPTION_05 || '|' || OPTION_06 || '|' || OPTION_11 from CUSTOMER"),
              QStringLiteral("全角テキスト|ABC-123|2024/03/05|09:07|2024/12/31 23:59|02|二枚目の値"));
    QStringList values;
    for (int r = 0; r < 6; ++r) values << g->Cell(r, 1);
    EXPECT_EQ(values, (QStringList{QStringLiteral("全角テキスト"), "ABC-123", "2024/03/05", "09:07",
                                                       "2024/12/31 23:59", QStringLiteral("大阪")}));
    EXPECT_FALSE(g->isEnabled()); // browse

    // A deleted choice and a deleted field read as undefined, and save empty.
    CustSql::DeleteEntry(*f.dm, 6, "02", QDateTime::currentDateTime());
    CustSql::DeleteOptionDef(*f.dm, 2, QDateTime::currentDateTime());
    ReloadLists(f);
    f.frm->OpenCustTab("");
    f.View()->btnCancel->click(); // an unrelated new tab closes again
    QWidget page;
    TfraCust again(*f.frm, "0370000000", &page);
    EXPECT_EQ(again.sgdOption1->Cell(5, 1), QString());
    EXPECT_EQ(again.sgdOption1->Cell(1, 0), QString());
    EXPECT_EQ(again.sgdOption1->Cell(1, 1), QString());
    again.btnEdit->click();
    again.sgdOption1->ShowEditor(2);
    EXPECT_TRUE(again.sgdOption1->dtpOptionDate->Checked()); // the stored date reads back
    again.sgdOption1->dtpOptionDate->Check->setChecked(false);
    again.btnSave->click();
    EXPECT_EQ(f.Scalar("select OPTION_02 || '|' || OPTION_03 || '|' || OPTION_06 || '|' || OPTION_01 from CUSTOMER"),
              QStringLiteral("|||全角テキスト"));
}
