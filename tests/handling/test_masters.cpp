// Lookup lists and the handling type and result masters on a real database.
#include "accept_sql_u.h"
#include "clock_u.h"
#include "db_test_util.h"
#include "frm_accept_master_u.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QDateTime kNow(QDate(2024, 6, 15), QTime(9, 5));

class TMasters : public TDbFixture, public ::testing::WithParamInterface<const TAcceptMasterKind*>
{
protected:
    void SetUp() override
    {
        TDbFixture::SetUp();
        UseCurrentEmbedded();
    }
    const TAcceptMasterKind& K() const { return *GetParam(); }
    std::unique_ptr<TfrmAcceptMaster> Window()
    {
        if (&K() == &TAcceptMasterKind::Type()) return std::make_unique<TfrmAcceptType>(Dm());
        return std::make_unique<TfrmAcceptResult>(Dm());
    }
    QString Col(const QString& column, const QString& id)
    {
        return Scalar(QStringLiteral("select %1 from %2 where %3 = %4").arg(column, K().Table, K().KeyColumn, SqlQuote(id)));
    }
    void Add(const QString& id, const QString& name, const QString& list, const QString& del = "null")
    {
        Dm().ExecSql(QStringLiteral("insert into %1 (%2, %3, LIST_ID, DEL_DT) values (%4, %5, %6, %7)")
                         .arg(K().Table, K().KeyColumn, K().NameColumn, SqlQuote(id), SqlQuote(name), SqlQuote(list), del));
    }
    TLookupList Lookup()
    {
        return &K() == &TAcceptMasterKind::Type() ? AcceptSql::MakeActTypeTemp(Dm()) : AcceptSql::MakeActResultTemp(Dm());
    }
    static QStringList Ids(const TStringGrid* g)
    {
        QStringList out;
        for (int r = 0; r < g->DataRowCount(); ++r) out << g->Cell(r, TfrmAcceptMaster::colId);
        return out;
    }
};
} // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, TMasters, ::testing::Values(&TAcceptMasterKind::Type(), &TAcceptMasterKind::Result()),
                         [](const auto& info) { return info.param->Table.toStdString(); });

TEST_P(TMasters, LookupListBeginsEmptyAndFollowsTextOrder)
{
    Add("0009", "九", "9");
    Add("0010", "十", "10");
    Add("0003", "削除", "0", SqlDateTime(kNow));
    const TLookupList l = Lookup();
    // The seeded "0001", "0002" sort by their orders "0001", "0002": before "10".
    EXPECT_EQ(l.Ids, QStringList({"", "0001", "0002", "0010", "0009"}));
    EXPECT_EQ(l.Names.first(), QString());
    EXPECT_EQ(l.Names.at(3), QStringLiteral("十"));
}

TEST_P(TMasters, WindowOfTheKind)
{
    auto frm = Window();
    EXPECT_EQ(frm->objectName(), QStringLiteral("frm") + K().WindowClass.mid(4));
    EXPECT_EQ(frm->windowTitle(), K().Caption);
    QStringList labels;
    for (QLabel* l : frm->findChildren<QLabel*>()) labels << l->text();
    EXPECT_TRUE(labels.contains(K().IdLabel));
    EXPECT_TRUE(labels.contains(K().NameLabel));
    EXPECT_EQ(frm->sgdMain->horizontalHeaderItem(1)->text(), QStringLiteral("名称"));
    EXPECT_EQ(frm->sgdMain->columnWidth(3), 130);
    EXPECT_EQ(Ids(frm->sgdMain), QStringList({"0001", "0002"}));
    EXPECT_EQ(frm->palette().color(QPalette::Window), QColor(0xAE, 0xA3, 0x6A));
    EXPECT_FALSE(frm->cbxDeleteView->isChecked());
}

TEST_P(TMasters, RegisterReviveAndDelete)
{
    const TClockOverride clock(kNow);
    auto frm = Window();
    auto put = [&](const QString& id, const QString& name, const QString& list) {
        frm->edtId->setText(id);
        frm->edtName->setText(name);
        frm->edtListId->setText(list);
        frm->btnInsert->click();
    };
    const struct {
        const char* Step;
        QString Id, Name, List;
        int Answer;
        bool Asked;
        QString NameAfter;
    } steps[] = {
        {"new", "0100", "新規'名", "0100", mbOK, false, "新規'名"},
        {"live: changed without a question", "0100", "変更", "0050", mbOK, false, "変更"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.Step);
        Rec->Shown.clear();
        Rec->Answer = s.Answer;
        put(s.Id, s.Name, s.List);
        EXPECT_EQ(!Rec->Shown.empty(), s.Asked);
        EXPECT_EQ(Col(K().NameColumn, s.Id), s.NameAfter);
        ASSERT_GE(frm->sgdMain->SelectedRow(), 0);
        EXPECT_EQ(frm->sgdMain->Cell(frm->sgdMain->SelectedRow(), 0), s.Id);
        EXPECT_EQ(frm->edtName->text(), s.Name);
    }
    EXPECT_EQ(Col("LIST_ID", "0100"), "0050");
    EXPECT_EQ(Ids(frm->sgdMain), QStringList({"0001", "0002", "0100"})); // "0050" sorts after "0002"

    // Delete: a question, then DEL_DT.
    Rec->Shown.clear();
    Rec->Answer = mbOK;
    frm->sgdMain->selectRow(2);
    EXPECT_EQ(frm->edtId->text(), "0100");
    frm->btnDelete->click();
    ASSERT_EQ(Rec->Shown.size(), 1u);
    EXPECT_EQ(Rec->Shown[0].Kind, TMsgKind::Confirmation);
    EXPECT_EQ(Rec->Shown[0].Buttons, mbOK | mbCancel);
    EXPECT_EQ(Col("DEL_DT", "0100").left(16), "2024/06/15 09:05");
    EXPECT_EQ(Ids(frm->sgdMain), QStringList({"0001", "0002"}));
    EXPECT_FALSE(Lookup().Ids.contains("0100"));

    // Shown grey with its deletion time when asked for.
    frm->cbxDeleteView->click();
    ASSERT_EQ(frm->sgdMain->DataRowCount(), 3);
    EXPECT_EQ(frm->sgdMain->Cell(2, TfrmAcceptMaster::colDel), "2024/06/15 09:05");
    EXPECT_EQ(frm->sgdMain->item(2, 0)->background().color(), TMasterWindow::kDeletedColor);
    EXPECT_EQ(frm->sgdMain->item(2, 0)->foreground().color(), QColor(Qt::white));

    // Registering it again asks; Cancel keeps it deleted, OK revives it.
    Rec->Shown.clear();
    Rec->Answer = mbCancel;
    put("0100", "復活", "0100");
    ASSERT_EQ(Rec->Shown.size(), 1u);
    EXPECT_EQ(Rec->Shown[0].Kind, TMsgKind::Warning);
    EXPECT_EQ(Rec->Shown[0].Text, QStringLiteral("既に削除されたIDですが再登録してよろしいですか？"));
    EXPECT_EQ(Col(K().NameColumn, "0100"), "変更");
    Rec->Answer = mbOK;
    put("0100", "復活", "0100");
    EXPECT_EQ(Col(K().NameColumn, "0100"), QStringLiteral("復活"));
    EXPECT_EQ(Col("coalesce(DEL_DT, 'live')", "0100"), "live");
    EXPECT_TRUE(Lookup().Ids.contains("0100"));

    // Deleting an ID that does not exist changes nothing.
    Rec->Shown.clear();
    frm->edtId->setText("zz");
    frm->btnDelete->click();
    EXPECT_EQ(Scalar("select count(*) from " + K().Table + " where DEL_DT is not null"), "0");
    EXPECT_EQ(frm->edtId->text(), QString());

    // The log names the window's own operations.
    const QString log = NewLogLines().join('\n');
    EXPECT_TRUE(log.contains(K().InsertLog));
    EXPECT_TRUE(log.contains(K().DeleteLog));
    EXPECT_TRUE(log.contains("strSql=update " + K().Table + " set DEL_DT = '2024/06/15 09:05:00' where " +
                             K().KeyColumn + " = '0100'"));
}

TEST_P(TMasters, MissingIdOrNameIsRefused)
{
    auto frm = Window();
    const struct {
        const char* Id;
        const char* Name;
        QString Warning;
    } cases[] = {{"", "名前", K().MissingId}, {"  ", "名前", K().MissingId}, {"0200", " ", K().MissingName}};
    for (const auto& c : cases) {
        Rec->Shown.clear();
        frm->edtId->setText(c.Id);
        frm->edtName->setText(c.Name);
        frm->btnInsert->click();
        ASSERT_EQ(Rec->Shown.size(), 1u);
        EXPECT_EQ(Rec->Shown[0].Kind, TMsgKind::Warning);
        EXPECT_EQ(Rec->Shown[0].Text, c.Warning);
    }
    EXPECT_EQ(Scalar("select count(*) from " + K().Table), "2");
    Rec->Shown.clear();
    frm->edtId->clear();
    frm->btnDelete->click();
    EXPECT_TRUE(Rec->Saw(K().MissingId));
    // An ID too long for its column (four kanji are eight bytes) is the
    // database's error; the window stays as it was.
    frm->edtId->setText("区分漢字");
    frm->edtName->setText("長い");
    EXPECT_THROW(frm->btnInsertClick(), EDbError);
    EXPECT_EQ(frm->edtId->text(), QStringLiteral("区分漢字"));
}
