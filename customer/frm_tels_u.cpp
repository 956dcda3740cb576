#include "frm_tels_u.h"

#include "cust_sql_u.h"
#include "dm_cmn_u.h"
#include "field_check_u.h"
#include "frm_search_u.h"
#include "log_u.h"
#include "main_host_u.h"
#include "msg_u.h"
#include "settings_u.h"
#include "speech_u.h"
#include "ui_kit_u.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmTels::TfrmTels(TMainHost& host, QWidget* parent) : QDialog(parent), FHost(host)
{
    setObjectName(QStringLiteral("frmTels"));
    setWindowTitle(QStringLiteral("電話帳登録"));

    edtTelNo = UiKit::MakeEdit(this, QStringLiteral("edtTelNo"), UiKit::TIme::Off);
    edtCustTelNon = UiKit::MakeEdit(this, QStringLiteral("edtCustTelNon"), UiKit::TIme::Off);
    edtCaller = UiKit::MakeEdit(this, QStringLiteral("edtCaller"), UiKit::TIme::Hiragana);
    edtReadName = UiKit::MakeEdit(this, QStringLiteral("edtReadName"), UiKit::TIme::Hiragana);
    btnLink = UiKit::MakeButton(this, QStringLiteral("btnLink"), QStringLiteral("顧客情報に関連付けする..."));
    btnTest = UiKit::MakeButton(this, QStringLiteral("btnTest"), QStringLiteral("テスト"));
    lblNote = UiKit::MakeLabel(this, QStringLiteral("※ひらがなと全角カナしか音声対応していません。"),
                               QStringLiteral("lblNote"));
    QPalette pal = lblNote->palette();
    pal.setColor(QPalette::WindowText, QColor(128, 0, 0));
    lblNote->setPalette(pal);
    QFont small = lblNote->font();
    small.setPixelSize(qMax(9, small.pixelSize() > 0 ? small.pixelSize() - 1 : 11));
    lblNote->setFont(small);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(6);
    fields->setVerticalSpacing(4);
    fields->addWidget(UiKit::MakeLabel(this, QStringLiteral("電話番号")), 0, 0);
    fields->addWidget(edtTelNo, 0, 1);
    fields->addWidget(UiKit::MakeLabel(this, QStringLiteral("代表電話番号")), 1, 0);
    fields->addWidget(edtCustTelNon, 1, 1);
    fields->addWidget(btnLink, 1, 2);
    fields->addWidget(UiKit::MakeLabel(this, QStringLiteral("名前")), 2, 0);
    fields->addWidget(edtCaller, 2, 1, 1, 2);
    fields->addWidget(UiKit::MakeLabel(this, QStringLiteral("音声読上名")), 3, 0);
    fields->addWidget(edtReadName, 3, 1);
    fields->addWidget(btnTest, 3, 2);
    fields->addWidget(lblNote, 4, 1, 1, 2);
    fields->setColumnMinimumWidth(1, 220);

    btnAdd = UiKit::MakeButton(this, QStringLiteral("btnAdd"), QStringLiteral("追加(&A)"));
    btnEdit = UiKit::MakeButton(this, QStringLiteral("btnEdit"), QStringLiteral("編集(&E)"));
    btnDel = UiKit::MakeButton(this, QStringLiteral("btnDel"), QStringLiteral("削除(&D)"));
    btnSearch = UiKit::MakeButton(this, QStringLiteral("btnSearch"), QStringLiteral("検索(&S)"));
    btnOk = UiKit::MakeButton(this, QStringLiteral("btnOk"), QStringLiteral("OK(&O)"));
    btnCancel = UiKit::MakeButton(this, QStringLiteral("btnCancel"), QStringLiteral("取消(&C)"));
    btnClose = UiKit::MakeButton(this, QStringLiteral("btnClose"), QStringLiteral("閉じる(&X)"));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    for (QPushButton* b : {btnAdd, btnEdit, btnDel, btnSearch, btnOk, btnCancel, btnClose}) buttons->addWidget(b);

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(10, 10, 10, 10);
    v->setSpacing(10);
    v->addLayout(fields);
    v->addLayout(buttons);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    btnLink->setVisible(!host.Settings().CustDbLink);
    connect(btnAdd, &QPushButton::clicked, this, &TfrmTels::btnAddClick);
    connect(btnEdit, &QPushButton::clicked, this, &TfrmTels::btnEditClick);
    connect(btnDel, &QPushButton::clicked, this, &TfrmTels::btnDelClick);
    connect(btnSearch, &QPushButton::clicked, this, &TfrmTels::btnSearchClick);
    connect(btnOk, &QPushButton::clicked, this, &TfrmTels::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmTels::btnCancelClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnLink, &QPushButton::clicked, this, &TfrmTels::btnLinkClick);
    connect(btnTest, &QPushButton::clicked, this, &TfrmTels::btnTestClick);
    // Edit and delete follow the fields they depend on.
    for (QLineEdit* e : {edtTelNo, edtCaller, edtReadName})
        connect(e, &QLineEdit::textChanged, this, [this] {
            if (FMode == TMode::Browse) SetButton(TMode::Browse);
        });
    UiKit::ApplyDialogRules(this);
    SetButton(TMode::Browse);
}

void TfrmTels::SetButton(TMode mode)
{
    FMode = mode;
    const bool browse = mode == TMode::Browse;
    const QColor info = QApplication::palette().color(QPalette::ToolTipBase);
    const QColor window = QApplication::palette().color(QPalette::Base);
    edtTelNo->setEnabled(mode == TMode::Add);
    UiKit::PaintBase(edtTelNo, mode == TMode::Add ? window : info);
    for (QLineEdit* e : {edtCustTelNon, edtCaller, edtReadName}) {
        e->setEnabled(!browse);
        UiKit::PaintBase(e, browse ? info : window);
    }
    for (QLineEdit* e : {edtTelNo, edtCustTelNon, edtCaller, edtReadName}) UiKit::KeepTextWhenDisabled(e);
    btnLink->setEnabled(!browse);
    btnAdd->setEnabled(browse);
    btnEdit->setEnabled(browse && !edtTelNo->text().isEmpty());
    btnDel->setEnabled(browse && !(edtTelNo->text().isEmpty() && edtCaller->text().isEmpty() &&
                                   edtReadName->text().isEmpty()));
    btnSearch->setEnabled(browse);
    btnOk->setEnabled(!browse);
    btnCancel->setEnabled(!browse);
    btnClose->setEnabled(browse);
}

void TfrmTels::ShowTels(const TTels& t)
{
    edtTelNo->setText(t.TEL_NO);
    edtCustTelNon->setText(t.CUST_TEL_NON);
    edtCaller->setText(t.CALLER);
    edtReadName->setText(t.READ_NAME);
}

TTels TfrmTels::Fields() const
{
    return {edtTelNo->text(), edtCustTelNon->text(), edtCaller->text(), edtReadName->text()};
}

int TfrmTels::SearchShowModal(const QString& telNo, TTels& tels)
{
    Log::Detail(QStringLiteral("TfrmTels.SearchShowModal"));
    FChanged = false;
    TTels row;
    FHost.Dm().GetTels(telNo, row);
    ShowTels(row);
    SetButton(TMode::Browse);
    const int result = Msg::ExecDialog(*this);
    tels = Fields();
    return result;
}

void TfrmTels::btnAddClick()
{
    FSaved = Fields();
    SetButton(TMode::Add);
    ShowTels(TTels());
    edtTelNo->setFocus();
}

void TfrmTels::btnEditClick()
{
    SetButton(TMode::Edit);
    FSaved = Fields();
    edtCustTelNon->setFocus();
}

void TfrmTels::btnCancelClick()
{
    ShowTels(FSaved);
    SetButton(TMode::Browse);
}

void TfrmTels::btnDelClick()
{
    if (Msg::Show(TMsgKind::Confirmation, QStringLiteral("このデータを削除してもよろしいですか？"), mbYes | mbNo, this) ==
        mbYes) {
        FChanged = true;
        FHost.Dm().DeleteRows(QStringLiteral("TELS"), QStringLiteral("TEL_NO"), SqlQuote(edtTelNo->text()));
        ShowTels(TTels());
    }
    SetButton(TMode::Browse);
}

void TfrmTels::btnSearchClick()
{
    TfrmSearch dlg(FHost.Dm(), FHost.Settings(), TSearchMode::Tels, this);
    if (Msg::ExecDialog(dlg) != QDialog::Accepted) return;
    if (dlg.HasRow()) ShowTels({dlg.Cell(0), dlg.Cell(1), dlg.Cell(2), dlg.Cell(3)});
    SetButton(TMode::Browse);
}

void TfrmTels::btnLinkClick()
{
    TfrmSearch dlg(FHost.Dm(), FHost.Settings(), TSearchMode::Cust, this);
    if (Msg::ExecDialog(dlg) != QDialog::Accepted || !dlg.HasRow()) return;
    edtCustTelNon->setText(dlg.Cell(0));
    if ((edtCaller->text().isEmpty() && edtReadName->text().isEmpty()) ||
        Msg::Show(TMsgKind::Confirmation,
                  QStringLiteral("「名前」と「読み上げ名」も検索された顧客情報で上書きしてもよろしいですか？"),
                  mbYes | mbNo, this) == mbYes) {
        edtCaller->setText(dlg.Cell(1) + QStringLiteral(" (子番号)"));
        edtReadName->setText(dlg.Cell(2));
    }
}

void TfrmTels::btnTestClick()
{
    TSpeech* speech = FHost.Speech();
    if (!FHost.Settings().SpeakEnabled) {
        Msg::Warn(QStringLiteral("音声読上げの設定されていません。環境設定画面で設定してください。"), this);
        return;
    }
    if (speech) speech->SpeechTest(edtReadName->text());
}

bool TfrmTels::FieldsStorable()
{
    const struct
    {
        QLineEdit* Field;
        const char* Caption;
        int Bytes;
    } fields[] = {{edtTelNo, "電話番号", 30}, {edtCustTelNon, "代表電話番号", 30}, {edtCaller, "名前", 100},
                  {edtReadName, "音声読上名", 100}};
    for (const auto& f : fields) {
        if (!FieldCheck::Storable(QString::fromUtf8(f.Caption), StripHyphen(f.Field->text()), f.Bytes, this)) {
            if (f.Field->isEnabled()) f.Field->setFocus();
            return false;
        }
    }
    return true;
}

void TfrmTels::btnOkClick()
{
    if (!FieldsStorable()) return;
    TTels t{StripHyphen(edtTelNo->text()), StripHyphen(edtCustTelNon->text()), edtCaller->text(), edtReadName->text()};
    TdmCmn& dm = FHost.Dm();
    const TSettings& settings = FHost.Settings();
    // A new number with a name may become a customer of its own.
    if (!settings.CustDbLink && !t.TEL_NO.isEmpty() && (t.CUST_TEL_NON.isEmpty() || t.CUST_TEL_NON == t.TEL_NO) &&
        t.CALLER != settings.UnknownName && !CustSql::CustomerExists(dm, t.TEL_NO)) {
        const int answer = Msg::Show(TMsgKind::Confirmation, QStringLiteral("この電話帳データを顧客情報にも登録しますか？"),
                                     mbYes | mbNo | mbCancel, this);
        if (answer == mbCancel) return;
        if (answer == mbYes) {
            TCust c;
            c.CUST_TEL = t.TEL_NO;
            c.CUST_NAME = t.CALLER;
            c.SEX = -1;
            dm.InsertCustData(c);
            // The number leads to the customer just made.
            t.CUST_TEL_NON = t.TEL_NO;
        }
    }
    FChanged = true;
    if (dm.RowExists(QStringLiteral("TELS"), QStringLiteral("TEL_NO"), SqlQuote(t.TEL_NO))) dm.UpdateTels(t);
    else if (!dm.InsertTels(t)) dm.UpdateTels(t);
    ShowTels(t);
    SetButton(TMode::Browse);
}

void TfrmTels::done(int result)
{
    if (btnOk->isEnabled() &&
        Msg::Show(TMsgKind::Confirmation,
                  QStringLiteral("データが編集状態です。キャンセルして画面を閉じてもよろしいですか？"), mbYes | mbNo,
                  this) != mbYes)
        return;
    QDialog::done(result);
}

void ShowTelBook(TMainHost& host, const QString& telNo)
{
    TfrmTels dlg(host, host.HostWindow());
    TTels tels;
    dlg.SearchShowModal(telNo, tels);
    if (dlg.Changed()) {
        TUpTable up;
        up.UpTels = true;
        host.RefreshAndNotify(up);
    }
    host.SetCallNumber(tels.TEL_NO);
    host.SetCallName(tels.CALLER);
    host.FocusCallNumber();
}
