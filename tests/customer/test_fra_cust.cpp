// The customer view in tabs of the main window, on a real database.
#include "cust_fixture.h"
#include "cust_option_grid_u.h"
#include "name_edit_u.h"
#include "frm_search_u.h"
#include "frm_tels_u.h"
#include "postal_import_u.h"

#include <QBuffer>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
void Fill(TfraCust* v, const QString& tel, const QString& name)
{
    v->edtCustTel->setText(tel);
    v->edtCustName->setText(name);
}
} // namespace

TEST(CustView, OpeningRules)
{
    TCustFixture f;
    ASSERT_TRUE(f.started);
    f.Customer("03-1111-0000", QStringLiteral("山田商店"));       // representative 0311110000
    f.Tels("0311110001", "0311110000", QStringLiteral("山田商店 (子番号)"));
    f.Tels("0322220000", "", QStringLiteral("未登録の人"));       // no representative number
    f.Customer("0333330000", QStringLiteral("鈴木工業"));         // no phone-book row
    struct Case
    {
        const char* number;
        const char* caption;
        const char* name;
        const char* custTel;
    } cases[] = {
        {"0311110001", "0311110000     B", "山田商店", "03-1111-0000"}, // child number leads to the customer
        {"0322220000", " 新 規           E", "", ""},                   // empty representative: blank new record
        {"0333330000", "0333330000     B", "鈴木工業", "0333330000"},   // customer without phone-book row
        {"0344440000", "0344440000     E", "", "0344440000"},         // nobody: new record with the number
    };
    for (const Case& c : cases) {
        const int index = f.frm->OpenCustTab(c.number);
        EXPECT_EQ(f.Pages()->currentIndex(), index) << c.number;
        EXPECT_EQ(f.Pages()->tabText(index), QString::fromUtf8(c.caption)) << c.number;
        EXPECT_EQ(f.View()->edtCustName->text(), QString::fromUtf8(c.name)) << c.number;
        EXPECT_EQ(f.View()->edtCustTel->text(), QString::fromUtf8(c.custTel)) << c.number;
    }
    const int pages = f.Pages()->count();
    // Same number twice: the open tab, when the number reaches a customer.
    EXPECT_EQ(f.frm->OpenCustTab("0311110001"), 2);
    EXPECT_EQ(f.frm->OpenCustTab("0333330000"), 4);
    EXPECT_EQ(f.frm->FindCustPageIndex("0311110000"), 2);
    EXPECT_EQ(f.Pages()->count(), pages);
    // A number that is nobody's gets a new tab every time.
    f.frm->OpenCustTab("0344440000");
    EXPECT_EQ(f.Pages()->count(), pages + 1);
    EXPECT_TRUE(f.LogText().contains("TfrmMain.FindCustPageIndex=2"));
}

TEST(CustView, SaveNewRefuseDuplicateAndFollowPhoneBook)
{
    TCustFixture f;
    ASSERT_TRUE(f.started);
    f.Tels("0355550000", "", QStringLiteral("古い名前"), QStringLiteral("ふるい"));
    f.Call("0355550000", QDateTime(QDate(2024, 5, 1), QTime(10, 0)), QStringLiteral("折り返し"));
    f.Call("0355550000", QDateTime(QDate(2024, 5, 3), QTime(9, 0)), QStringLiteral("新しい方"));
    f.Call("0355550000", QDateTime(QDate(2024, 5, 2), QTime(9, 0)), QStringLiteral("間"));
    f.Find<QPushButton>("btnCustInfo")->click(); // empty number box: a new record
    TfraCust* v = f.View();
    ASSERT_NE(v, nullptr);
    EXPECT_FALSE(v->Browsing());
    EXPECT_EQ(f.Pages()->tabText(f.Pages()->currentIndex()), QStringLiteral(" 新 規           E"));

    // Missing fields are refused with the focus on them.
    v->btnSave->click();
    EXPECT_TRUE(f.rec.Saw(QStringLiteral("代表電話番号を入力してください。")));
    v->edtCustTel->setText("03-5555-0000");
    v->btnSave->click();
    EXPECT_TRUE(f.rec.Saw(QStringLiteral("顧客名を入力してください。")));
    EXPECT_EQ(f.Count("select count(*) from CUSTOMER"), 0);

    v->edtCustName->setText(QStringLiteral("オハラ's 商会"));
    v->edtCustKana->setText(QStringLiteral("オハラショウカイ"));
    v->btnSave->click();
    EXPECT_TRUE(v->Browsing());
    EXPECT_EQ(f.Scalar("select CUST_TEL_NON from CUSTOMER"), "0355550000");
    EXPECT_EQ(f.Scalar("select CUST_NAME from CUSTOMER"), QStringLiteral("オハラ's 商会"));
    EXPECT_EQ(f.Pages()->tabText(f.Pages()->currentIndex()), QStringLiteral("0355550000     B"));
    // The number's phone-book row follows the customer.
    TTels t;
    ASSERT_TRUE(f.dm->GetTels("0355550000", t));
    EXPECT_EQ(t.CUST_TEL_NON, "0355550000");
    EXPECT_EQ(t.CALLER, QStringLiteral("オハラ's 商会"));
    EXPECT_EQ(t.READ_NAME, QStringLiteral("オハラショウカイ"));
    EXPECT_EQ(GridRows(v->sgdTels, {0, 1}), QStringList{QStringLiteral("0355550000|オハラ's 商会")});
    EXPECT_EQ(GridRows(v->sgdCustLog, {0, 5}), (QStringList{QStringLiteral("24/05/03 9:00:00|新しい方"),
                                                            QStringLiteral("24/05/02 9:00:00|間"),
                                                            QStringLiteral("24/05/01 10:00:00|折り返し")}));
    const int custTab = f.Pages()->currentIndex();

    // A second new record with the same number is refused; Yes shows the first.
    v->btnNew->click();
    TfraCust* second = f.View();
    ASSERT_NE(second, v);
    Fill(second, "0355550000", QStringLiteral("別の会社"));
    f.AnswerAll(mbYes);
    second->btnSave->click();
    EXPECT_TRUE(f.rec.Saw(QStringLiteral("既に同じ代表電話番号が存在するため登録できません。\n"
                                         "登録済みの顧客情報を開いて確認しますか？")));
    EXPECT_EQ(f.Pages()->currentIndex(), custTab);
    EXPECT_FALSE(second->Browsing());
    EXPECT_EQ(f.Count("select count(*) from CUSTOMER"), 1);
}

TEST(CustView, EditCancelDeleteAndTabs)
{
    TCustFixture f;
    ASSERT_TRUE(f.started);
    const int no = f.Customer("0366660000", QStringLiteral("削除される会社"));
    f.Tels("0366660001", "0366660000", QStringLiteral("子番号"));
    f.Call("0366660001", QDateTime(QDate(2024, 6, 1), QTime(9, 0)));
    f.dm->ExecSql(QStringLiteral("insert into ACCEPT_T (ACT_NO, CUST_NO) values (1, %1)").arg(no));

    f.frm->OpenCustTab("0366660000");
    TfraCust* v = f.View();
    ASSERT_TRUE(v->Browsing());
    EXPECT_FALSE(v->edtCustName->isEnabled());
    EXPECT_FALSE(v->btnSave->isEnabled());
    EXPECT_TRUE(v->btnDelete->isEnabled());
    v->btnEdit->click();
    EXPECT_FALSE(v->Browsing());
    EXPECT_TRUE(v->edtCustName->isEnabled());
    EXPECT_EQ(v->btnSave->palette().color(QPalette::Button), UiKit::kSaveColor);
    EXPECT_EQ(v->btnCancel->palette().color(QPalette::Button), UiKit::kCancelColor);
    EXPECT_FALSE(v->btnNew->isEnabled());
    EXPECT_EQ(f.Pages()->tabText(f.Pages()->currentIndex()), QStringLiteral("0366660000     E"));
    v->edtCustName->setText(QStringLiteral("書きかけ"));
    v->btnCancel->click(); // reloads from the opening number
    EXPECT_TRUE(v->Browsing());
    EXPECT_EQ(v->edtCustName->text(), QStringLiteral("削除される会社"));

    f.AnswerAll(mbNo);
    v->btnDelete->click();
    EXPECT_TRUE(f.rec.Saw(QStringLiteral("このデータを削除してもよろしいですか？")));
    EXPECT_EQ(f.Count("select count(*) from CUSTOMER"), 1);
    f.AnswerAll(mbYes);
    const int pages = f.Pages()->count();
    v->btnDelete->click();
    EXPECT_EQ(f.Count("select count(*) from CUSTOMER"), 0);
    EXPECT_EQ(f.Count("select count(*) from ACCEPT_T"), 0);
    EXPECT_EQ(f.Count("select count(*) from TELS"), 1); // phone book and calls stay
    EXPECT_EQ(f.Count("select count(*) from LOG"), 1);
    EXPECT_TRUE(f.WaitFor([&] { return f.Pages()->count() == pages - 1; }));

    // Cancel closes a tab opened with "&A", also after the record was saved.
    f.frm->OpenCustTab("");
    f.View()->btnCancel->click();
    EXPECT_TRUE(f.WaitFor([&] { return f.Pages()->count() == pages - 1; }));
    f.frm->OpenCustTab("");
    Fill(f.View(), "0377770000", QStringLiteral("保存してから取消"));
    f.View()->btnSave->click();
    f.View()->btnEdit->click();
    f.View()->btnCancel->click();
    EXPECT_TRUE(f.WaitFor([&] { return f.Pages()->count() == pages - 1; }));
    EXPECT_EQ(f.Count("select count(*) from CUSTOMER"), 1);
}

TEST(CustView, FieldsRoundTripAndBadInput)
{
    TCustFixture f;
    ASSERT_TRUE(f.started);
    f.frm->OpenCustTab("03'1234");
    TfraCust* v = f.View();
    EXPECT_EQ(v->edtCustTel->text(), "03'1234"); // a quote is text, never SQL
    v->edtCustName->setText(QStringLiteral("名前"));
    v->edtFaxNo->setText("03-9999-0000");
    v->edtZipCd->setText("100-0001");
    v->edtAddress->setText(QStringLiteral("東京都千代田区千代田１－１"));
    v->edtEmail->setText("info@example.jp");
    v->dtpBirth->setDate(QDate(1980, 7, 15));
    v->cbxSex->setCurrentIndex(2);
    v->memOthers->setPlainText(QStringLiteral("一行目\n二行目 'quote'"));
    v->btnSave->click();
    TCust c;
    ASSERT_TRUE(f.dm->GetCustData("03'1234", c));
    EXPECT_EQ(c.FAX_NO_NON, "0399990000");
    EXPECT_EQ(c.BIRTH_DT.date(), QDate(1980, 7, 15));
    EXPECT_EQ(c.SEX, 2);
    EXPECT_EQ(c.OTHERS, QStringLiteral("一行目\n二行目 'quote'"));
    EXPECT_EQ(c.USERID, QString());

    // An untouched birth date stays unset.
    f.frm->OpenCustTab("");
    Fill(f.View(), "0312120000", QStringLiteral("誕生日なし"));
    f.View()->btnSave->click();
    EXPECT_EQ(f.Scalar("select count(*) from CUSTOMER where BIRTH_DT is null"), "1");
    EXPECT_EQ(f.View()->edtAge->text(), QString());

    // Bad input: refused with a message, nothing stored.
    f.frm->OpenCustTab("");
    TfraCust* bad = f.View();
    struct Case
    {
        QString tel, name, message;
    } cases[] = {
        {QString(200, u'9'), QStringLiteral("長い番号"), QStringLiteral("「代表電話番号」が長すぎます。半角30文字（全角15文字）以内で入力してください。")},
        {"0313130000", QStringLiteral("絵文字😀商店"), QStringLiteral("「顧客名」に登録できない文字「😀」があります。")},
        {"0313130000", QString(60, QChar(0x3042)), QStringLiteral("「顧客名」が長すぎます。半角100文字（全角50文字）以内で入力してください。")},
    };
    for (const Case& k : cases) {
        Fill(bad, k.tel, k.name);
        bad->btnSave->click();
        EXPECT_TRUE(f.rec.Saw(k.message)) << k.message.toStdString();
        EXPECT_FALSE(bad->Browsing());
    }
    EXPECT_EQ(f.Count("select count(*) from CUSTOMER"), 2);
}

TEST(CustView, AgeRule)
{
    struct Case { QDate birth, today; int age; } cases[] = {
        {{1980, 7, 15}, {2024, 7, 15}, 44}, {{1980, 7, 15}, {2024, 7, 14}, 43}, {{1980, 7, 15}, {2024, 6, 30}, 43},
        {{1980, 7, 15}, {2024, 8, 1}, 44},  {{2000, 2, 29}, {2023, 2, 28}, 22},
    };
    for (const Case& c : cases) EXPECT_EQ(TfraCust::Age(c.birth, c.today), c.age) << c.today.toString().toStdString();
    EXPECT_EQ(TfraCust::TabCaption("03-1234-5678-9012-345", true), "031234567890123B");
    EXPECT_EQ(TfraCust::TabCaption("", false), QStringLiteral(" 新 規           E"));
}

TEST(CustView, DeletedElsewhereAndTwoEditors)
{
    TCustFixture f;
    ASSERT_TRUE(f.started);
    f.Customer("0388880000", QStringLiteral("共有の会社"));
    f.Tels("0388880001", "0388880000", QStringLiteral("子"));
    f.Call("0388880001", QDateTime(QDate(2024, 1, 2), QTime(8, 0)));

    // Two views of one customer (two copies of the program): the later save wins.
    QWidget hostA, hostB;
    TfraCust a(*f.frm, "0388880000", &hostA), b(*f.frm, "0388880000", &hostB);
    a.btnEdit->click();
    b.btnEdit->click();
    a.edtCustName->setText(QStringLiteral("Aの名前"));
    a.btnSave->click();
    b.edtAddress->setText(QStringLiteral("Bの住所"));
    b.btnSave->click();
    EXPECT_EQ(f.Scalar("select CUST_NAME || '/' || ADDRESS from CUSTOMER"), QStringLiteral("共有の会社/Bの住所"));
    EXPECT_EQ(f.Count("select count(*) from TELS"), 1);
    EXPECT_EQ(f.Count("select count(*) from LOG"), 1);

    // Deleted by another copy while open: saving says so instead of writing nothing.
    a.btnEdit->click();
    f.dm->ExecSql("delete from CUSTOMER");
    a.edtCustName->setText(QStringLiteral("残したい入力"));
    a.btnSave->click();
    EXPECT_TRUE(f.rec.Saw(QStringLiteral("この顧客情報は他の端末で削除されています。\n"
                                         "もう一度保存すると新しい顧客情報として登録します。")));
    EXPECT_EQ(f.Count("select count(*) from CUSTOMER"), 0);
    EXPECT_FALSE(a.Browsing());
    EXPECT_EQ(a.edtCustName->text(), QStringLiteral("残したい入力"));
    a.btnSave->click();
    EXPECT_EQ(f.Scalar("select CUST_NAME from CUSTOMER"), QStringLiteral("残したい入力"));
    EXPECT_TRUE(a.Browsing());
}

TEST(CustView, PictureStretchAndLaunchers)
{
    TCustFixture f;
    ASSERT_TRUE(f.started);
    QTemporaryDir dir;
    QImage red(40, 30, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(dir.filePath("PHOTO.JPG"), "JPEG"));
    QImage big(3000, 1500, QImage::Format_RGB32);
    big.fill(Qt::blue);
    ASSERT_TRUE(big.save(dir.filePath("big.png"), "PNG"));
    QFile broken(dir.filePath("broken.jpg"));
    broken.open(QIODevice::WriteOnly);
    broken.write(QByteArray(20000, 'x'));
    broken.close();

    f.Customer("0391910000", QStringLiteral("写真の会社"));
    f.frm->OpenCustTab("0391910000");
    TfraCust* v = f.View();
    EXPECT_FALSE(v->imgAvater->pixmap().isNull()); // the placeholder
    v->btnEdit->click();
    {
        TFileDialogRecorder files({dir.filePath("broken.jpg"), dir.filePath("big.png"), dir.filePath("PHOTO.JPG")});
        v->btnLoadImage->click();
        EXPECT_TRUE(f.rec.Saw(QStringLiteral("画像ファイルを読み込めませんでした。")));
        v->btnLoadImage->click();
        EXPECT_EQ(TfraCust::ReadPicture(dir.filePath("big.png")).size(), QSize(1024, 512));
        v->btnLoadImage->click();
    }
    v->btnSave->click();
    QImage stored;
    ASSERT_TRUE(f.dm->LoadImageField("CUSTOMER", "AVATER", QString::number(v->CustNo()), "CUST_NO", stored));
    EXPECT_EQ(stored.size(), QSize(40, 30));
    EXPECT_GT(stored.pixelColor(20, 15).red(), 200);
    f.dm->sqlWork.SQL = "select AVATER from CUSTOMER";
    f.dm->sqlWork.Open();
    EXPECT_TRUE(f.dm->sqlWork.FieldByName("AVATER").AsBytes().startsWith("BM"));
    f.dm->sqlWork.Close();

    // A new record without a picture stores none.
    f.frm->OpenCustTab("");
    Fill(f.View(), "0392920000", QStringLiteral("写真なし"));
    f.View()->btnSave->click();
    EXPECT_EQ(f.Scalar("select count(*) from CUSTOMER where AVATER is null"), "1");

    // The stretch toggle is written at once and used by later views.
    f.frm->OpenCustTab("0391910000");
    v = f.View();
    v->btnEdit->click();
    v->btnStretch->click();
    EXPECT_EQ(f.settings->ReadText("CUST_INFO", "IMAGE_STRETCH"), "1");
    f.frm->OpenCustTab("0393930000");
    EXPECT_TRUE(f.View()->imgAvater->hasScaledContents());

    // Launchers through the shell.
    v = f.View();
    TShellRecorder shell;
    v->edtAddress->setText(QStringLiteral("東京都千代田区 1-1 (本社)'*"));
    v->btnMap->click();
    ASSERT_EQ(shell.Requests.size(), 1u);
    EXPECT_EQ(QString::fromLatin1(shell.Requests[0].Url.toEncoded()),
              "https://www.google.com/maps?hl=ja&source=hp&q=%E6%9D%B1%E4%BA%AC%E9%83%BD%E5%8D%83%E4%BB%A3%E7%94%B0"
              "%E5%8C%BA+1-1+(%E6%9C%AC%E7%A4%BE)'*&lr=&um=1&ie=UTF-8&sa=N&tab=wl");
    v->edtMapUrl->setText("https://map.example.jp/x?y=1");
    v->btnMap->click();
    EXPECT_EQ(shell.Requests[1].Url.toString(), "https://map.example.jp/x?y=1");
    v->edtHpUrl->clear();
    v->btnHp->click();
    EXPECT_TRUE(f.rec.Saw(QStringLiteral("ホームページを入力してください。")));
    v->edtEmail->setText("info@example.jp");
    v->btnMail->click();
    EXPECT_EQ(shell.Requests.back().Url.toString(), "mailto:info@example.jp");
    shell.Answer = false;
    v->btnMail->click();
    EXPECT_TRUE(f.rec.Saw(QStringLiteral("メーラーの起動に失敗しました。")));
    v->edtMapUrl->clear();
    v->edtAddress->clear();
    v->btnMap->click();
    EXPECT_TRUE(f.rec.Saw(QStringLiteral("地図URLを入力してください。")));
}

TEST(CustView, PostalCodeButtonAndEnter)
{
    TCustFixture f;
    ASSERT_TRUE(f.started);
    TPostalImport imp;
    imp.Parse(TestEnv::SourceDir() + "/tests/customer/data/ken_all_sample.csv");
    imp.Store(*f.dm);
    f.frm->OpenCustTab("0394940000");
    TfraCust* v = f.View();
    EXPECT_FALSE(v->btnZipSearch->isHidden());
    EXPECT_FALSE(v->btnZipSearch->isEnabled());
    v->edtZipCd->setText(QStringLiteral("100－0005"));
    EXPECT_TRUE(v->btnZipSearch->isEnabled());
    v->btnZipSearch->click();
    EXPECT_EQ(v->edtAddress->text(), QStringLiteral("東京都千代田区丸の内"));
    v->edtZipCd->setText("066-0005");
    QTest::keyClick(v->edtCustName, Qt::Key_Return); // address not empty: kept
    EXPECT_EQ(v->edtAddress->text(), QStringLiteral("東京都千代田区丸の内"));
    v->edtAddress->clear();
    QTest::keyClick(v->edtCustName, Qt::Key_Return);
    EXPECT_EQ(v->edtAddress->text(), QStringLiteral("北海道千歳市協和"));
}

TEST(CustView, ReadingOfTheNameFollowsKanaType)
{
    struct Case { const char* ini; const char* caption; const char* reading; } cases[] = {
        {"[COMMON]\nKANA_TYPE=0\n", "顧客カナ", "タカハシショウテン"},
        {"[COMMON]\nKANA_TYPE=1\n", "顧客かな", "たかはししょうてん"},
        {"[COMMON]\nKANA_TYPE=2\n", "顧客ｶﾅ", "ﾀｶﾊｼｼｮｳﾃﾝ"},
    };
    for (const Case& c : cases) {
        TCustFixture f(c.ini);
        ASSERT_TRUE(f.started);
        f.frm->OpenCustTab("");
        TfraCust* v = f.View();
        EXPECT_EQ(v->lblCustKana->text(), QString::fromUtf8(c.caption));
        // Keys typed one by one are not conversions.
        QTest::keyClicks(v->edtCustName, "AB");
        EXPECT_EQ(v->edtCustKana->text(), QString());
        // An input method commits a conversion.
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("髙橋商店"));
        QCoreApplication::sendEvent(v->edtCustName, &commit);
        EXPECT_EQ(v->edtCustName->text(), QStringLiteral("AB髙橋商店"));
        EXPECT_EQ(v->edtCustKana->text(), QString::fromUtf8(c.reading)) << c.ini;
    }
    // Pasted text counts too; latin letters stay as they are.
    TCustFixture f;
    f.frm->OpenCustTab("");
    TfraCust* v = f.View();
    QGuiApplication::clipboard()->setText(QStringLiteral("NEC日本電気"));
    v->edtCustName->paste();
    EXPECT_EQ(v->edtCustKana->text(), QStringLiteral("NECニホンデンキ"));
}

TEST(CustView, CallOpensTabListsRefreshAndMemoButton)
{
    TCustFixture f("[BASIC]\nAUTO_CUST_INFO=1\n");
    ASSERT_TRUE(f.started);
    f.Customer("0395950000", QStringLiteral("着信の会社"));
    f.Tels("0395950001", "0395950000", QStringLiteral("着信の会社 (子番号)"));
    f.frm->TelReceiveProc("0395950001", "", 1, "");
    TfraCust* v = f.View();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->edtCustName->text(), QStringLiteral("着信の会社"));
    ASSERT_EQ(v->sgdCustLog->DataRowCount(), 1);
    EXPECT_EQ(v->sgdCustLog->Cell(0, 1), "0395950001");
    EXPECT_TRUE(v->sgdCustLog->isColumnHidden(4)); // the customer's own list has no name column

    // A second call reaches the open view's call list through the refresh.
    f.frm->TelReceiveProc("0395950001", "", 1, "");
    EXPECT_EQ(v->sgdCustLog->DataRowCount(), 2);
    EXPECT_EQ(f.Pages()->count(), 3);

    // A number linked elsewhere shows up in the related numbers after a refresh.
    f.Tels("0395950002", "0395950000", QStringLiteral("携帯"));
    TUpTable up;
    up.UpTels = true;
    f.frm->RefreshTables(up);
    EXPECT_EQ(GridRows(v->sgdTels, {0}), (QStringList{"0395950001", "0395950002"}));

    auto* memo = f.Find<QPushButton>("btnMemo");
    EXPECT_TRUE(memo->isEnabled());
    v->PageHistory->setCurrentIndex(1);
    v->PageHistory->setCurrentIndex(0);
    EXPECT_TRUE(memo->isEnabled());
    int opened = 0;
    Msg::SetDialogResponder([&](QDialog& d) {
        if (d.objectName() == QLatin1String("frmMemo")) ++opened;
        return int(QDialog::Rejected);
    });
    v->sgdCustLog->setCurrentCell(0, 0);
    memo->click();
    Msg::SetDialogResponder({});
    EXPECT_EQ(opened, 1);
}

TEST(CustView, LifeOfACustomerByTheButtons)
{
    TCustFixture f;
    ASSERT_TRUE(f.started);
    auto* number = f.Find<QLineEdit>("edtCall");
    // Create.
    number->clear();
    f.Find<QPushButton>("btnCustInfo")->click();
    TfraCust* v = f.View();
    ASSERT_NE(v, nullptr);
    Fill(v, "0471234567", QStringLiteral("千葉の取引先"));
    v->btnSave->click();
    const int tab = f.Pages()->currentIndex();
    // Search, from another tab: the customer's tab comes to the front.
    f.Pages()->setCurrentIndex(0);
    Msg::SetDialogResponder([&](QDialog& d) {
        auto* s = qobject_cast<TfrmSearch*>(&d);
        if (!s) return int(QDialog::Rejected);
        s->cbxItem->setCurrentIndex(1);
        s->rbPart->setChecked(true);
        s->edtValue->setText(QStringLiteral("取引先"));
        s->btnSearch->click();
        s->sgdSearch->setCurrentCell(0, 0);
        return int(QDialog::Accepted);
    });
    v->btnSearch->click();
    EXPECT_EQ(f.Pages()->currentIndex(), tab);
    // Edit.
    v->btnEdit->click();
    v->edtAddress->setText(QStringLiteral("千葉県千葉市"));
    v->btnSave->click();
    EXPECT_EQ(f.Scalar("select ADDRESS from CUSTOMER"), QStringLiteral("千葉県千葉市"));
    // A second number linked to the customer in the phone book.
    number->setText("080-1111-2222");
    Msg::SetDialogResponder([&](QDialog& d) {
        if (auto* t = qobject_cast<TfrmTels*>(&d)) {
            t->btnAdd->click();
            t->edtTelNo->setText(number->text());
            t->btnLink->click();
            t->btnOk->click();
            return int(QDialog::Accepted);
        }
        auto* s = qobject_cast<TfrmSearch*>(&d);
        if (!s) return int(QDialog::Rejected);
        s->cbxItem->setCurrentIndex(0);
        s->edtValue->setText("047");
        s->btnSearch->click();
        s->sgdSearch->setCurrentCell(0, 0);
        return int(QDialog::Accepted);
    });
    f.Find<QPushButton>("btnTels")->click();
    Msg::SetDialogResponder({});
    EXPECT_EQ(GridRows(v->sgdTels, {0, 1}), QStringList{QStringLiteral("08011112222|千葉の取引先 (子番号)")});
    EXPECT_EQ(f.frm->OpenCustTab("08011112222"), tab); // the new number leads to the customer
    // Delete.
    f.AnswerAll(mbYes);
    v->btnDelete->click();
    EXPECT_TRUE(f.WaitFor([&] { return f.Pages()->count() == tab; }));
    EXPECT_EQ(f.Count("select count(*) from CUSTOMER"), 0);
    EXPECT_EQ(f.Count("select count(*) from TELS"), 1);
}
