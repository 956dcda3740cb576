#include "fra_accept_u.h"

#include "accept_owner_u.h"
#include "clock_u.h"
#include "cp932_u.h"
#include "dm_cmn_u.h"
#include "log_u.h"
#include "main_host_u.h"
#include "msg_u.h"
#include "ui_kit_u.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {
constexpr int kTitleBytes = 100;   // ACCEPT_T.TITLE
constexpr int kContentBytes = 400; // ACCEPT_T.CONTENT

void FillBox(QComboBox* box, const TLookupList& list)
{
    box->clear();
    box->addItems(list.Names);
}

// Lines are stored with CR LF.
QString ToStored(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

QString FromStored(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}
} // namespace

QString AcceptTabCaption(int actNo, bool browse)
{
    const QString label = actNo == -1 ? QStringLiteral(" 新 規               ")
                                      : QStringLiteral("No.") + QString::number(actNo) + QString(15, QLatin1Char(' '));
    return Cp932::LeftBytes(label, 15) + (browse ? QLatin1Char('B') : QLatin1Char('E'));
}

TfraAccept::TfraAccept(TMainHost& host, TAcceptOwner& owner, QWidget* sheet, bool browse, const QString& logNo,
                       int actNo)
    : QWidget(sheet), FHost(host), FOwner(owner), FSheet(sheet), FActNo(actNo), FLogNo(logNo)
{
    setObjectName(QStringLiteral("fraAccept"));
    Log::Detail(QStringLiteral("TfraAccept.Create FLogNo=") + FLogNo);

    DateTimePicker1 = new QDateEdit(this);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker2 = new QTimeEdit(this);
    DateTimePicker2->setObjectName(QStringLiteral("DateTimePicker2"));
    DateTimePicker2->setDisplayFormat(QStringLiteral("HH:mm"));
    for (QWidget* w : {static_cast<QWidget*>(DateTimePicker1), static_cast<QWidget*>(DateTimePicker2)})
        UiKit::SetIme(w, UiKit::TIme::Off);
    cbxTypeName = new QComboBox(this);
    cbxTypeName->setObjectName(QStringLiteral("cbxTypeName"));
    cbxResultName = new QComboBox(this);
    cbxResultName->setObjectName(QStringLiteral("cbxResultName"));
    cbxUserName = new QComboBox(this);
    cbxUserName->setObjectName(QStringLiteral("cbxUserName"));
    for (QComboBox* c : {cbxTypeName, cbxResultName, cbxUserName}) c->setMinimumWidth(110);
    edtTitle = UiKit::MakeEdit(this, QStringLiteral("edtTitle"), UiKit::TIme::Hiragana);
    richContent = new QPlainTextEdit(this);
    richContent->setObjectName(QStringLiteral("richContent"));
    UiKit::SetIme(richContent, UiKit::TIme::Hiragana);
    btnActEdit = UiKit::MakeGlyphButton(this, QStringLiteral("btnActEdit"), UiKit::TGlyph::Edit,
                                        QStringLiteral("編集(Alt+E)"), QStringLiteral("Alt+E"));
    btnActDel = UiKit::MakeGlyphButton(this, QStringLiteral("btnActDel"), UiKit::TGlyph::Delete,
                                       QStringLiteral("削除(Alt+D)"), QStringLiteral("Alt+D"));
    btnActAdd = UiKit::MakeGlyphButton(this, QStringLiteral("btnActAdd"), UiKit::TGlyph::Add,
                                       QStringLiteral("新規(Alt+A)"), QStringLiteral("Alt+A"));
    btnCancel = UiKit::MakeButton(this, QStringLiteral("btnCancel"), QStringLiteral("取消(&C)"));
    btnSave = UiKit::MakeButton(this, QStringLiteral("btnSave"), QStringLiteral("保存(&V)"));

    auto label = [this](const QString& text) { return UiKit::MakeLabel(this, text); };
    auto* top = new QHBoxLayout;
    top->addWidget(label(QStringLiteral("日時")));
    top->addWidget(DateTimePicker1);
    top->addWidget(DateTimePicker2);
    top->addSpacing(8);
    top->addWidget(label(QStringLiteral("区分")));
    top->addWidget(cbxTypeName);
    top->addWidget(label(QStringLiteral("結果")));
    top->addWidget(cbxResultName);
    top->addWidget(label(QStringLiteral("対応")));
    top->addWidget(cbxUserName);
    top->addStretch(1);
    auto* second = new QHBoxLayout;
    second->addWidget(label(QStringLiteral("件名")));
    second->addWidget(edtTitle, 1);
    second->addSpacing(8);
    for (QPushButton* b : {btnActEdit, btnActDel, btnActAdd}) second->addWidget(b);
    second->addSpacing(8);
    second->addWidget(btnCancel);
    second->addWidget(btnSave);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(4, 4, 4, 4);
    v->addLayout(top);
    v->addLayout(second);
    v->addWidget(label(QStringLiteral("内容")));
    v->addWidget(richContent, 1);

    auto* fill = FSheet->layout();
    if (!fill) {
        fill = new QVBoxLayout(FSheet);
        fill->setContentsMargins(0, 0, 0, 0);
    }
    fill->addWidget(this);

    connect(btnSave, &QPushButton::clicked, this, &TfraAccept::btnSaveClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfraAccept::btnCancelClick);
    connect(btnActAdd, &QPushButton::clicked, this, &TfraAccept::btnActAddClick);
    connect(btnActEdit, &QPushButton::clicked, this, &TfraAccept::btnActEditClick);
    connect(btnActDel, &QPushButton::clicked, this, &TfraAccept::btnActDelClick);
    UiKit::ApplyDialogRules(this);

    LoadAccept(FActNo);
    SetCaption(browse);
    SetBrowseMode(browse, FActNo);
}

void TfraAccept::ClearAccept()
{
    const QDateTime now = Clock::Now();
    DateTimePicker1->setDate(now.date());
    DateTimePicker2->setTime(now.time());
    // The boxes show the main window's lists as they are now; they keep
    // them until the next load.
    FTypes = FHost.ActTypes();
    FResults = FHost.ActResults();
    FUsers = FHost.Users();
    FillBox(cbxTypeName, FTypes);
    FillBox(cbxResultName, FResults);
    FillBox(cbxUserName, FUsers);
    cbxTypeName->setCurrentIndex(-1);
    cbxResultName->setCurrentIndex(-1);
    edtTitle->clear();
    richContent->clear();
    cbxUserName->setCurrentIndex(FUsers.IndexOfId(FHost.SignedInUserId()));
    FLoadedType.clear();
    FLoadedResult.clear();
    FLoadedUser.clear();
}

void TfraAccept::LoadAccept(int actNo)
{
    ClearAccept();
    TAccept a;
    if (actNo == -1 || !FHost.Dm().GetAcceptData(actNo, a)) return;
    DateTimePicker1->setDate(a.ACT_DT.date());
    DateTimePicker2->setTime(a.ACT_DT.time());
    cbxUserName->setCurrentIndex(FUsers.IndexOfId(a.USERID));
    cbxTypeName->setCurrentIndex(FTypes.IndexOfId(a.TYPE_ID));
    cbxResultName->setCurrentIndex(FResults.IndexOfId(a.RESULT_ID));
    edtTitle->setText(a.TITLE);
    richContent->setPlainText(FromStored(a.CONTENT));
    FLoadedUser = a.USERID;
    FLoadedType = a.TYPE_ID;
    FLoadedResult = a.RESULT_ID;
}

void TfraAccept::SetBrowseMode(bool browse, int actNo)
{
    FBrowse = browse;
    const QPalette app = QApplication::palette();
    const QColor base = browse ? app.color(QPalette::ToolTipBase) : app.color(QPalette::Base);
    for (QWidget* w : std::initializer_list<QWidget*>{DateTimePicker1, DateTimePicker2, cbxTypeName, cbxResultName,
                                                      cbxUserName, edtTitle}) {
        w->setEnabled(!browse);
        UiKit::PaintBase(w, base);
    }
    richContent->setReadOnly(browse);
    UiKit::PaintBase(richContent, base);

    const bool stored = actNo != -1;
    for (QPushButton* b : {btnActAdd, btnActEdit, btnActDel}) b->setEnabled(browse && stored);
    btnSave->setEnabled(!browse);
    btnCancel->setEnabled(!browse);
    UiKit::PaintButton(btnSave, browse ? QColor() : UiKit::kSaveColor);
    UiKit::PaintButton(btnCancel, browse ? QColor() : UiKit::kCancelColor);
    FSnapshot = Current();
}

bool TfraAccept::HasUnsavedInput() const
{
    return !FBrowse && !(Current() == FSnapshot);
}

TfraAccept::TValues TfraAccept::Current() const
{
    return {QDateTime(DateTimePicker1->date(), DateTimePicker2->time()),
            cbxTypeName->currentIndex(),
            cbxResultName->currentIndex(),
            cbxUserName->currentIndex(),
            edtTitle->text(),
            richContent->toPlainText()};
}

void TfraAccept::SetCaption(bool browse)
{
    FOwner.SetActTabCaption(FSheet, AcceptTabCaption(FActNo, browse));
}

QString TfraAccept::PickedId(const QComboBox* box, const TLookupList& list, const QString& loaded)
{
    const int i = box->currentIndex();
    return i < 0 ? loaded : list.IdAt(i);
}

bool TfraAccept::CheckLengths()
{
    // Refused here, with the text kept, rather than by the database.
    const struct {
        QWidget* Box;
        QString Text;
        int Max;
        QString TooLong;
    } fields[] = {{edtTitle, edtTitle->text(), kTitleBytes, kTitleTooLong},
                  {richContent, ToStored(richContent->toPlainText()), kContentBytes, kContentTooLong}};
    for (const auto& f : fields) {
        QByteArray bytes;
        QString bad;
        if (!Cp932::TryEncode(f.Text, &bytes, &bad)) {
            Msg::Warn(QString::fromUtf8(ECp932Error(bad).what()), this);
            f.Box->setFocus();
            return false;
        }
        if (bytes.size() > f.Max) {
            Msg::Warn(f.TooLong, this);
            f.Box->setFocus();
            return false;
        }
    }
    return true;
}

void TfraAccept::RebuildLists(bool callLists)
{
    if (callLists) {
        FOwner.MakeCustLogGrid();
        FHost.ReloadCallHistory();
    }
    FOwner.MakeCustAcceptGrid();
    FHost.ReloadAcceptHistory();
}

void TfraAccept::btnSaveClick()
{
    const int custNo = FOwner.AcceptCustNo();
    if (custNo == -1) {
        Msg::Warn(QStringLiteral("顧客情報が未登録のため登録できません。顧客情報を先に保存してください。"), this);
        return;
    }
    if (!CheckLengths()) return;
    TdmCmn& dm = FHost.Dm();
    TAccept a;
    a.ACT_NO = FActNo;
    a.CUST_NO = QString::number(custNo);
    a.ACT_DT = QDateTime(DateTimePicker1->date(), DateTimePicker2->time());
    a.USERID = PickedId(cbxUserName, FUsers, FLoadedUser);
    a.TYPE_ID = PickedId(cbxTypeName, FTypes, FLoadedType);
    a.RESULT_ID = PickedId(cbxResultName, FResults, FLoadedResult);
    a.TITLE = edtTitle->text();
    a.CONTENT = ToStored(richContent->toPlainText());
    const bool insert = FActNo == -1;
    if (insert) {
        Log::Detail(QStringLiteral("TfraAccept.btnSaveClick FLogNo=") + FLogNo);
        a.LOG_NO = IsSqlInteger(FLogNo) ? FLogNo : QString();
        Log::Detail(QStringLiteral("TfraAccept.btnSaveClick Accept.LogNo=") + a.LOG_NO);
        FActNo = dm.InsertAccept(a);
    } else {
        // An update of a row another copy deleted would change nothing and
        // look saved.
        if (!dm.RowExists(QStringLiteral("ACCEPT_T"), QStringLiteral("ACT_NO"), QString::number(FActNo))) {
            Msg::Warn(kDeletedElsewhere, this);
            return;
        }
        dm.UpdateAccept(a);
    }
    Log::Detail(QStringLiteral("TfraAccept.btnSaveClick ActNo=%1 CustNo=%2 CustName=%3")
                    .arg(FActNo)
                    .arg(custNo)
                    .arg(FOwner.AcceptCustName()));
    FLoadedUser = a.USERID;
    FLoadedType = a.TYPE_ID;
    FLoadedResult = a.RESULT_ID;
    RebuildLists(insert);
    SetCaption(true);
    SetBrowseMode(true, FActNo);
}

void TfraAccept::btnCancelClick()
{
    if (FActNo == -1) {
        FOwner.PostCloseActTab(-1);
        return;
    }
    LoadAccept(FActNo);
    SetCaption(true);
    SetBrowseMode(true, FActNo);
}

void TfraAccept::btnActAddClick()
{
    FOwner.OpenAcceptTab(-1, QString(), false);
}

void TfraAccept::btnActEditClick()
{
    // The caption keeps its marker: a browsing tab stays closable by its mark.
    SetBrowseMode(false, FActNo);
}

void TfraAccept::btnActDelClick()
{
    if (Msg::Show(TMsgKind::Confirmation, QStringLiteral("開いているいる対応内容を削除してよろしいですか？"),
                  mbOK | mbCancel, this) != mbOK)
        return;
    FHost.Dm().DeleteRows(QStringLiteral("ACCEPT_T"), QStringLiteral("ACT_NO"), QString::number(FActNo));
    RebuildLists(true);
    FOwner.PostCloseActTab(FActNo);
}
