#include "frm_interface_u.h"

#include "clock_u.h"
#include "dm_cmn_u.h"
#include "errors_u.h"
#include "frm_search_u.h"
#include "log_u.h"
#include "msg_u.h"
#include "ui_kit_u.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {
const QString kStartCopyData = QStringLiteral("開始リクエスト =  WM_COPYDATA");
const QString kStartUser = QStringLiteral("開始リクエスト =  WM_USER + ");

QString FlagText(const QCheckBox* c)
{
    return c->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}
} // namespace

TfrmInterface::TfrmInterface(TdmCmn& dm, QWidget* parent)
    : QDialog(parent), FDm(dm), FTable(dm.tblInterface)
{
    setObjectName(QStringLiteral("frmInterface"));
    setWindowTitle(QStringLiteral("外部接続登録"));

    auto button = [this](const char* name, const QString& caption) {
        return UiKit::MakeButton(this, QLatin1String(name), caption);
    };
    btnFirst = button("btnFirst", QStringLiteral("|◀"));
    btnPrior = button("btnPrior", QStringLiteral("◀"));
    btnNext = button("btnNext", QStringLiteral("▶"));
    btnLast = button("btnLast", QStringLiteral("▶|"));
    for (QPushButton* b : {btnFirst, btnPrior, btnNext, btnLast}) b->setFixedWidth(36);
    btnSearch = button("btnSearch", QStringLiteral("検索(&S)"));
    btnAdd = button("btnAdd", QStringLiteral("追加(&A)"));
    btnEdit = button("btnEdit", QStringLiteral("編集(&E)"));
    btnDelete = button("btnDelete", QStringLiteral("削除(&D)"));
    btnOk = button("btnOk", QStringLiteral("OK(&O)"));
    btnCancel = button("btnCancel", QStringLiteral("取消(&C)"));
    btnClose = button("btnClose", QStringLiteral("閉じる(&X)"));

    pnlFields = new QWidget(this);
    pnlFields->setObjectName(QStringLiteral("pnlFields"));
    auto edit = [this](const char* name, UiKit::TIme ime = UiKit::TIme::Off) {
        return UiKit::MakeEdit(pnlFields, QLatin1String(name), ime);
    };
    edtIfNo = edit("edtIfNo");
    edtIfNo->setFixedWidth(80);
    edtIfName = edit("edtIfName", UiKit::TIme::Hiragana);
    edtIfName->setMaxLength(64);
    cbxIfType = new QComboBox(pnlFields);
    cbxIfType->setObjectName(QStringLiteral("cbxIfType"));
    cbxIfType->addItems({QStringLiteral("EXE"), QStringLiteral("TXT"), QStringLiteral("URL")});
    cbxIfType->setFixedWidth(80);
    edtExecPath = edit("edtExecPath");
    edtCommand = edit("edtCommand");
    edtTextPath = edit("edtTextPath");
    edtCaption = edit("edtCaption", UiKit::TIme::Hiragana);
    for (QLineEdit* e : {edtExecPath, edtCommand, edtTextPath, edtCaption}) e->setMaxLength(128);
    chkEveryClose = UiKit::MakeCheck(pnlFields, QStringLiteral("chkEveryClose"),
                                     QStringLiteral("既にプログラム起動時は終了して再起動する"));
    chkTextPort = UiKit::MakeCheck(pnlFields, QStringLiteral("chkTextPort"),
                                   QStringLiteral("ファイル名にポート番号付与（但し、手動連携時は0を付与）"));
    chkTextDt = UiKit::MakeCheck(pnlFields, QStringLiteral("chkTextDt"), QStringLiteral("ファイル名に日時を付与"));
    lblSendMsg = UiKit::MakeLabel(pnlFields, QStringLiteral("既にプログラム起動時の送信メッセージ"),
                                  QStringLiteral("lblSendMsg"));
    lblStartReq = UiKit::MakeLabel(pnlFields, kStartUser, QStringLiteral("lblStartReq"));
    edtStartReq = edit("edtStartReq");
    lblEndReq = UiKit::MakeLabel(pnlFields, QStringLiteral("終了リクエスト =  WM_USER + "), QStringLiteral("lblEndReq"));
    edtEndReq = edit("edtEndReq");
    for (QLineEdit* e : {edtStartReq, edtEndReq}) e->setFixedWidth(80);

    auto* g = new QGridLayout(pnlFields);
    const struct
    {
        QString Caption;
        QWidget* Field;
    } rows[] = {{QStringLiteral("外部接続番号"), edtIfNo},     {QStringLiteral("外部接続名"), edtIfName},
                {QStringLiteral("外部接続タイプ"), cbxIfType}, {QStringLiteral("起動プログラム"), edtExecPath},
                {QStringLiteral("起動ＵＲＬ/引数"), edtCommand}, {QStringLiteral("テキスト出力先"), edtTextPath},
                {QStringLiteral("起動キャプション"), edtCaption}};
    int r = 0;
    for (const auto& row : rows) {
        g->addWidget(UiKit::MakeLabel(pnlFields, row.Caption), r, 0);
        const bool narrow = row.Field == edtIfNo || row.Field == cbxIfType;
        g->addWidget(row.Field, r, 1, 1, 2, narrow ? Qt::AlignLeft : Qt::Alignment());
        ++r;
    }
    for (QCheckBox* c : {chkEveryClose, chkTextPort, chkTextDt}) g->addWidget(c, r++, 1, 1, 2);
    g->addWidget(lblSendMsg, r++, 1, 1, 2);
    g->addWidget(lblStartReq, r, 1);
    g->addWidget(edtStartReq, r++, 2, Qt::AlignLeft);
    g->addWidget(lblEndReq, r, 1);
    g->addWidget(edtEndReq, r++, 2, Qt::AlignLeft);
    g->setColumnStretch(2, 1);

    auto* nav = new QHBoxLayout;
    nav->setSpacing(2);
    for (QPushButton* b : {btnFirst, btnPrior, btnNext, btnLast}) nav->addWidget(b);
    nav->addSpacing(12);
    nav->addWidget(btnSearch);
    nav->addStretch(1);
    auto* bottom = new QHBoxLayout;
    for (QPushButton* b : {btnAdd, btnEdit, btnDelete, btnOk, btnCancel}) bottom->addWidget(b);
    bottom->addStretch(1);
    bottom->addWidget(btnClose);
    auto* all = new QVBoxLayout(this);
    all->addLayout(nav);
    all->addWidget(pnlFields, 1);
    all->addLayout(bottom);
    resize(640, sizeHint().height());

    connect(btnFirst, &QPushButton::clicked, this, [this] { Navigate(-2); });
    connect(btnPrior, &QPushButton::clicked, this, [this] { Navigate(-1); });
    connect(btnNext, &QPushButton::clicked, this, [this] { Navigate(1); });
    connect(btnLast, &QPushButton::clicked, this, [this] { Navigate(2); });
    connect(btnSearch, &QPushButton::clicked, this, &TfrmInterface::btnSearchClick);
    connect(btnAdd, &QPushButton::clicked, this, &TfrmInterface::btnAddClick);
    connect(btnEdit, &QPushButton::clicked, this, &TfrmInterface::btnEditClick);
    connect(btnDelete, &QPushButton::clicked, this, &TfrmInterface::btnDeleteClick);
    connect(btnOk, &QPushButton::clicked, this, &TfrmInterface::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmInterface::btnCancelClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbxIfType, &QComboBox::currentIndexChanged, this, &TfrmInterface::FieldStates);
    connect(chkEveryClose, &QCheckBox::toggled, this, &TfrmInterface::FieldStates);
    UiKit::ApplyDialogRules(this);
}

TfrmInterface::~TfrmInterface() = default;

void TfrmInterface::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!FShown) FormShow();
    FShown = true;
}

void TfrmInterface::FormShow()
{
    if (!FTable.Active()) FTable.Open();
    SetEditMode(false);
}

bool TfrmInterface::Editing() const
{
    return FTable.State() == TFbTable::TState::Edit || FTable.State() == TFbTable::TState::Insert;
}

void TfrmInterface::SetEditMode(bool edit)
{
    FEdit = edit;
    ShowRecord();
    pnlFields->setEnabled(edit);
    const QColor base = QApplication::palette().color(edit ? QPalette::Base : QPalette::ToolTipBase);
    for (QWidget* w : pnlFields->findChildren<QWidget*>())
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w)) UiKit::PaintBase(w, base);
    for (QPushButton* b : {btnAdd, btnEdit, btnFirst, btnPrior, btnNext, btnLast, btnSearch, btnClose})
        b->setEnabled(!edit);
    btnDelete->setEnabled(!edit && FTable.RecordCount() > 0);
    btnOk->setEnabled(edit);
    btnCancel->setEnabled(edit);
    // The number is the key: it is typed only for a new entry.
    edtIfNo->setReadOnly(FTable.State() != TFbTable::TState::Insert);
    if (edit && edtIfNo->isReadOnly()) UiKit::PaintBase(edtIfNo, QApplication::palette().color(QPalette::ToolTipBase));
}

void TfrmInterface::ShowRecord()
{
    const bool row = FTable.Active() && (Editing() || FTable.RecNo() >= 0);
    auto text = [&](const char* field) { return row ? FTable.AsString(QLatin1String(field)) : QString(); };
    edtIfNo->setText(text("IF_NO"));
    edtIfName->setText(text("IF_NAME"));
    {
        const QSignalBlocker block(cbxIfType);
        cbxIfType->setCurrentIndex(cbxIfType->findText(text("IF_TYPE").trimmed()));
    }
    edtExecPath->setText(text("EXEC_PATH"));
    edtCommand->setText(text("COMMAND"));
    edtTextPath->setText(text("TEXT_PATH"));
    edtCaption->setText(text("CAPTION"));
    edtStartReq->setText(text("START_REQ"));
    edtEndReq->setText(text("END_REQ"));
    {
        const QSignalBlocker block(chkEveryClose);
        chkEveryClose->setChecked(text("EVERY_CLOSE") == QLatin1String("1"));
    }
    chkTextPort->setChecked(text("TEXT_PORT") == QLatin1String("1"));
    chkTextDt->setChecked(text("TEXT_DT") == QLatin1String("1"));
    FieldStates();
}

void TfrmInterface::FieldStates()
{
    const QString type = cbxIfType->currentText();
    const bool exe = type == QLatin1String("EXE"), txt = type == QLatin1String("TXT");
    const bool url = type == QLatin1String("URL");
    edtCommand->setEnabled(exe || txt || url);
    edtTextPath->setEnabled(txt);
    edtCaption->setEnabled(exe || txt);
    chkEveryClose->setEnabled(exe || txt);
    chkTextPort->setEnabled(txt);
    chkTextDt->setEnabled(txt);
    // Messages go to a program that is already running, so none when it is
    // closed and started again.
    const bool request = (exe || txt) && !chkEveryClose->isChecked();
    lblStartReq->setText(exe ? kStartCopyData : kStartUser);
    edtStartReq->setVisible(!exe);
    lblSendMsg->setEnabled(request);
    lblStartReq->setEnabled(request);
    edtStartReq->setEnabled(request && txt);
    lblEndReq->setEnabled(request);
    edtEndReq->setEnabled(request);
}

void TfrmInterface::Navigate(int step)
{
    if (!FTable.Active() || FTable.RecordCount() == 0) return;
    const int last = FTable.RecordCount() - 1;
    int to = FTable.RecNo();
    switch (step) {
    case -2: to = 0; break;
    case -1: to = qMax(0, to - 1); break;
    case 1: to = qMin(last, to + 1); break;
    default: to = last; break;
    }
    FTable.MoveTo(to);
    ShowRecord();
}

void TfrmInterface::btnAddClick()
{
    FTable.Append();
    // A new entry starts as a program to start; its type must not be empty.
    FTable.SetValue(QStringLiteral("IF_TYPE"), QStringLiteral("EXE"));
    SetEditMode(true);
    for (QCheckBox* c : {chkEveryClose, chkTextPort, chkTextDt}) c->setChecked(false);
    edtIfNo->setFocus();
}

void TfrmInterface::btnEditClick()
{
    if (!FTable.Active() || FTable.RecNo() < 0) return;
    FTable.Edit();
    SetEditMode(true);
    edtIfName->setFocus();
}

void TfrmInterface::btnOkClick()
{
    if (!Editing()) return;
    try {
        auto set = [this](const char* field, const QVariant& v) { FTable.SetValue(QLatin1String(field), v); };
        auto number = [](const QLineEdit* e) { return e->text().trimmed().isEmpty() ? QVariant() : QVariant(e->text().trimmed()); };
        if (FTable.State() == TFbTable::TState::Insert) set("IF_NO", number(edtIfNo));
        set("IF_NAME", edtIfName->text());
        set("IF_TYPE", cbxIfType->currentText());
        set("EXEC_PATH", edtExecPath->text());
        set("COMMAND", edtCommand->text());
        set("TEXT_PATH", edtTextPath->text());
        set("CAPTION", edtCaption->text());
        set("START_REQ", number(edtStartReq));
        set("END_REQ", number(edtEndReq));
        set("EVERY_CLOSE", FlagText(chkEveryClose));
        set("TEXT_PORT", FlagText(chkTextPort));
        set("TEXT_DT", FlagText(chkTextDt));
        if (FTable.HasField(QStringLiteral("UPDT"))) set("UPDT", Clock::Now());
        FTable.Post();
        FTable.Refresh();
    } catch (const std::exception& e) {
        // The entry stays in edit mode to be put right.
        Log::Always(QStringLiteral("TfrmInterface.btnOkClick Error:") + ExceptionText(e));
        Msg::Error(ExceptionText(e), this);
        return;
    }
    SetEditMode(false);
}

void TfrmInterface::btnCancelClick()
{
    FTable.Cancel();
    SetEditMode(false);
}

void TfrmInterface::btnDeleteClick()
{
    if (FTable.RecordCount() == 0) return;
    if (Msg::Show(TMsgKind::Confirmation, QStringLiteral("このデータを削除してもよろしいですか？"), mbYes | mbNo, this) !=
        mbYes)
        return;
    FTable.Delete();
    FTable.Refresh();
    SetEditMode(false);
}

void TfrmInterface::btnSearchClick()
{
    if (!SearchEntry) return;
    if (const std::optional<int> ifNo = SearchEntry()) {
        FTable.Locate(QStringLiteral("IF_NO"), *ifNo);
        ShowRecord();
        btnDelete->setEnabled(FTable.RecordCount() > 0);
    }
}

void TfrmInterface::done(int result)
{
    if (Editing()) {
        if (Msg::Show(TMsgKind::Confirmation,
                      QStringLiteral("データが編集状態です。キャンセルして画面を閉じてもよろしいですか？"),
                      mbYes | mbNo, this) != mbYes)
            return;
        FTable.Cancel();
    }
    FTable.Close();
    QDialog::done(result);
}

std::optional<int> PickInterface(TdmCmn& dm, TSettings& settings, QWidget* parent)
{
    TfrmSearch dlg(dm, settings, TSearchMode::Interface, parent);
    if (Msg::ExecDialog(dlg) != QDialog::Accepted || !dlg.HasRow()) return std::nullopt;
    bool ok = false;
    const int ifNo = dlg.Cell(0).toInt(&ok);
    return ok ? std::optional<int>(ifNo) : std::nullopt;
}

void ShowInterface(TdmCmn& dm, TSettings& settings, QWidget* parent)
{
    TfrmInterface frm(dm, parent);
    frm.SearchEntry = [&] { return PickInterface(dm, settings, &frm); };
    Msg::ExecDialog(frm);
    // Closed however the dialog ended (a test responder may not close it).
    if (dm.tblInterface.Active()) dm.tblInterface.Close();
}
