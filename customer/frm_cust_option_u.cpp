#include "frm_cust_option_u.h"

#include "clock_u.h"
#include "dm_cmn_u.h"
#include "field_check_u.h"
#include "main_host_u.h"
#include "msg_u.h"
#include "string_grid_u.h"
#include "ui_kit_u.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QColor kWindowColour = UiKit::Bgr(0x6AA3AE);
const QColor kBottomColour = UiKit::Bgr(0x43717A);
const QColor kDeletedColour(128, 128, 128);

void Fill(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QLabel* Panel(QWidget* parent, const QString& name)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setMinimumWidth(200);
    l->setAutoFillBackground(true);
    l->setBackgroundRole(QPalette::Base);
    return l;
}
} // namespace

QString OptionKindName(const QString& code)
{
    for (const TOptionKind& k : kOptionKinds)
        if (code == QLatin1String(k.Code)) return QString::fromUtf8(k.Name);
    return QString();
}

// ---------------------------------------------------------------- field editor

TfrmCustOptEdt::TfrmCustOptEdt(TdmCmn& dm, int optionId, const QString& label, const QString& kind, QWidget* parent)
    : QDialog(parent), FDm(dm), FOptionId(optionId)
{
    setObjectName(QStringLiteral("frmCustOptEdt"));
    setWindowTitle(QStringLiteral("顧客補足項目編集"));
    edtName = UiKit::MakeEdit(this, QStringLiteral("edtName"), UiKit::TIme::Hiragana);
    edtName->setText(label);
    edtName->setMinimumWidth(220);
    cbxKind = new QComboBox(this);
    cbxKind->setObjectName(QStringLiteral("cbxKind"));
    cbxKind->addItem(QString());
    for (const TOptionKind& k : kOptionKinds) cbxKind->addItem(QString::fromUtf8(k.Name), QString::fromLatin1(k.Code));
    cbxKind->setCurrentIndex(qMax(0, cbxKind->findData(kind)));
    btnOk = UiKit::MakeButton(this, QStringLiteral("btnOk"), QStringLiteral("OK(&O)"));
    btnCancel = UiKit::MakeButton(this, QStringLiteral("btnCancel"), QStringLiteral("取消(&C)"));

    auto* g = new QGridLayout;
    g->addWidget(UiKit::MakeLabel(this, QStringLiteral("項目名")), 0, 0);
    g->addWidget(edtName, 0, 1);
    g->addWidget(UiKit::MakeLabel(this, QStringLiteral("入力値の種類")), 1, 0);
    g->addWidget(cbxKind, 1, 1);
    auto* b = new QHBoxLayout;
    b->addStretch(1);
    b->addWidget(btnOk);
    b->addWidget(btnCancel);
    auto* v = new QVBoxLayout(this);
    v->addLayout(g);
    v->addLayout(b);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connect(btnOk, &QPushButton::clicked, this, &TfrmCustOptEdt::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    UiKit::ApplyDialogRules(this);
}

void TfrmCustOptEdt::btnOkClick()
{
    if (edtName->text().isEmpty()) {
        Msg::Warn(QStringLiteral("項目名を入力してください。"), this);
        edtName->setFocus();
        return;
    }
    if (cbxKind->currentIndex() <= 0) {
        Msg::Warn(QStringLiteral("入力値の種類を入力してください。"), this);
        cbxKind->setFocus();
        return;
    }
    if (!FieldCheck::Storable(QStringLiteral("項目名"), edtName->text(), 40, this)) {
        edtName->setFocus();
        return;
    }
    CustSql::SaveOptionDef(FDm, FOptionId, edtName->text(), cbxKind->currentData().toString());
    accept();
}

// ---------------------------------------------------------------- field list

TfrmCustOption::TfrmCustOption(TdmCmn& dm, QWidget* parent) : QDialog(parent), FDm(dm)
{
    setObjectName(QStringLiteral("frmCustOption"));
    setWindowTitle(QStringLiteral("顧客補足登録"));
    Fill(this, kWindowColour);

    lstFields = new QListWidget(this);
    lstFields->setObjectName(QStringLiteral("lstFields"));
    lstFields->setFixedWidth(180);
    pnlName = Panel(this, QStringLiteral("pnlName"));
    pnlKind = Panel(this, QStringLiteral("pnlKind"));
    btnEdit = UiKit::MakeButton(this, QStringLiteral("btnEdit"), QStringLiteral("編集..."));
    btnDel = UiKit::MakeButton(this, QStringLiteral("btnDel"), QStringLiteral("削除"));

    pnlMaster = new QWidget(this);
    pnlMaster->setObjectName(QStringLiteral("pnlMaster"));
    Fill(pnlMaster, kWindowColour);
    sgdEntries = new TStringGrid(pnlMaster, QStringLiteral("sgdEntries"),
                                 {{QStringLiteral("ID"), 50},
                                  {QStringLiteral("名称"), 170},
                                  {QStringLiteral("表示順"), 60},
                                  {QStringLiteral("削除日時"), 130}});
    sgdEntries->setMinimumWidth(50 + 170 + 60 + 130 + 24);
    edtDid = UiKit::MakeEdit(pnlMaster, QStringLiteral("edtDid"), UiKit::TIme::Off);
    edtDid->setMaxLength(4);
    edtDname = UiKit::MakeEdit(pnlMaster, QStringLiteral("edtDname"), UiKit::TIme::Hiragana);
    edtDname->setMaxLength(20);
    edtListId = UiKit::MakeEdit(pnlMaster, QStringLiteral("edtListId"), UiKit::TIme::Off);
    edtListId->setMaxLength(4);
    chkShowDeleted = UiKit::MakeCheck(pnlMaster, QStringLiteral("chkShowDeleted"), QStringLiteral("削除データも表示する"));
    btnEntryRegist = UiKit::MakeButton(pnlMaster, QStringLiteral("btnEntryRegist"), QStringLiteral("登録(&E)"));
    btnEntryDel = UiKit::MakeButton(pnlMaster, QStringLiteral("btnEntryDel"), QStringLiteral("削除(&D)"));
    auto* mv = new QVBoxLayout(pnlMaster);
    mv->setContentsMargins(0, 0, 0, 0);
    mv->addWidget(UiKit::MakeLabel(pnlMaster, QStringLiteral("マスタデータ")));
    mv->addWidget(sgdEntries, 1);
    auto* entry = new QGridLayout;
    entry->addWidget(UiKit::MakeLabel(pnlMaster, QStringLiteral("ID")), 0, 0);
    entry->addWidget(edtDid, 0, 1);
    entry->addWidget(UiKit::MakeLabel(pnlMaster, QStringLiteral("名称")), 0, 2);
    entry->addWidget(edtDname, 0, 3);
    entry->addWidget(UiKit::MakeLabel(pnlMaster, QStringLiteral("表示順")), 0, 4);
    entry->addWidget(edtListId, 0, 5);
    edtDid->setFixedWidth(50);
    edtListId->setFixedWidth(50);
    mv->addLayout(entry);
    auto* eb = new QHBoxLayout;
    eb->addWidget(chkShowDeleted);
    eb->addStretch(1);
    eb->addWidget(btnEntryRegist);
    eb->addWidget(btnEntryDel);
    mv->addLayout(eb);

    auto* right = new QGridLayout;
    right->addWidget(UiKit::MakeLabel(this, QStringLiteral("項目名")), 0, 0);
    right->addWidget(pnlName, 0, 1);
    right->addWidget(btnEdit, 0, 2);
    right->addWidget(UiKit::MakeLabel(this, QStringLiteral("入力値の種類")), 1, 0);
    right->addWidget(pnlKind, 1, 1);
    right->addWidget(btnDel, 1, 2);
    right->addWidget(pnlMaster, 2, 0, 1, 3);
    right->setRowStretch(2, 1);

    auto* left = new QVBoxLayout;
    left->addWidget(UiKit::MakeLabel(this, QStringLiteral("補足項目")));
    left->addWidget(lstFields, 1);
    auto* body = new QHBoxLayout;
    body->setContentsMargins(8, 8, 8, 8);
    body->addLayout(left);
    body->addLayout(right, 1);

    auto* bottom = new QWidget(this);
    bottom->setObjectName(QStringLiteral("pnlBottom"));
    Fill(bottom, kBottomColour);
    btnClose = UiKit::MakeButton(bottom, QStringLiteral("btnClose"), QStringLiteral("閉じる(&X)"));
    auto* bh = new QHBoxLayout(bottom);
    bh->addStretch(1);
    bh->addWidget(btnClose);

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    v->addLayout(body, 1);
    v->addWidget(bottom);
    setFixedSize(780, 420);

    connect(lstFields, &QListWidget::currentRowChanged, this, &TfrmCustOption::SelectField);
    connect(lstFields, &QListWidget::itemDoubleClicked, this, &TfrmCustOption::btnEditClick);
    connect(btnEdit, &QPushButton::clicked, this, &TfrmCustOption::btnEditClick);
    connect(btnDel, &QPushButton::clicked, this, &TfrmCustOption::btnDelClick);
    connect(chkShowDeleted, &QCheckBox::toggled, this, &TfrmCustOption::LoadEntries);
    connect(btnEntryRegist, &QPushButton::clicked, this, &TfrmCustOption::btnEntryRegistClick);
    connect(btnEntryDel, &QPushButton::clicked, this, &TfrmCustOption::btnEntryDelClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(sgdEntries, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (row >= sgdEntries->DataRowCount()) return;
        edtDid->setText(sgdEntries->Cell(row, 0));
        edtDname->setText(sgdEntries->Cell(row, 1));
        edtListId->setText(sgdEntries->Cell(row, 2));
    });
    UiKit::ApplyDialogRules(this);
    LoadFields();
    lstFields->setCurrentRow(0);
}

int TfrmCustOption::FieldNo() const
{
    const int pos = lstFields->currentRow();
    if (pos < 0) return 0;
    return FDefs.value(pos).Id > 0 ? FDefs.value(pos).Id : pos + 1;
}

void TfrmCustOption::LoadFields()
{
    const int keep = lstFields->currentRow();
    const QList<TOptionDef> live = CustSql::LiveOptionDefs(FDm);
    FDefs.clear();
    for (int i = 1; i <= TCustOptions::kFields; ++i) {
        TOptionDef d;
        for (const TOptionDef& l : live)
            if (l.Id == i) d = l;
        FDefs << d;
    }
    const QSignalBlocker block(lstFields);
    lstFields->clear();
    for (int i = 0; i < FDefs.size(); ++i)
        lstFields->addItem(FDefs[i].Id > 0 ? FDefs[i].Label : QStringLiteral("(予備%1)").arg(i + 1, 2, 10, QLatin1Char('0')));
    if (keep >= 0) lstFields->setCurrentRow(keep);
}

void TfrmCustOption::SelectField(int index)
{
    const TOptionDef d = FDefs.value(index);
    pnlName->setText(d.Label);
    pnlKind->setText(OptionKindName(d.Kind));
    btnEdit->setEnabled(index >= 0);
    btnDel->setEnabled(d.Id > 0);
    pnlMaster->setVisible(d.Id > 0 && d.Kind == QLatin1String("m"));
    LoadEntries();
}

void TfrmCustOption::LoadEntries()
{
    sgdEntries->ClearRows();
    edtDid->clear();
    edtDname->clear();
    edtListId->clear();
    if (!pnlMaster->isVisibleTo(this)) return;
    const QList<TOptionEntry> entries = CustSql::OptionEntries(FDm, FieldNo(), chkShowDeleted->isChecked());
    for (const TOptionEntry& e : entries) {
        const int row = sgdEntries->AddRow(
            {e.DID, e.DNAME, e.LIST_ID, e.DEL_DT.isValid() ? e.DEL_DT.toString(QStringLiteral("yyyy/MM/dd HH:mm")) : QString()});
        if (!e.DEL_DT.isValid()) continue;
        for (int c = 0; c < sgdEntries->columnCount(); ++c) {
            sgdEntries->item(row, c)->setBackground(kDeletedColour);
            sgdEntries->item(row, c)->setForeground(Qt::white);
        }
    }
    sgdEntries->clearSelection();
    sgdEntries->setCurrentCell(-1, -1);
}

void TfrmCustOption::btnEditClick()
{
    const int pos = lstFields->currentRow();
    if (pos < 0) return;
    const TOptionDef d = FDefs.value(pos);
    TfrmCustOptEdt dlg(FDm, FieldNo(), d.Label, d.Kind, this);
    if (Msg::ExecDialog(dlg) != QDialog::Accepted) return;
    LoadFields();
    lstFields->setCurrentRow(pos);
    SelectField(pos);
}

void TfrmCustOption::btnDelClick()
{
    const int pos = lstFields->currentRow();
    if (FDefs.value(pos).Id <= 0) return;
    if (Msg::Show(TMsgKind::Confirmation, QStringLiteral("削除してよろしいですか？"), mbOK | mbCancel, this) != mbOK) return;
    CustSql::DeleteOptionDef(FDm, FieldNo(), Clock::Now());
    LoadFields();
    lstFields->setCurrentRow(pos);
    SelectField(pos);
}

void TfrmCustOption::btnEntryRegistClick()
{
    const QString did = edtDid->text().trimmed();
    const QString name = edtDname->text().trimmed();
    if (did.isEmpty()) {
        Msg::Warn(QStringLiteral("IDを入力してください。"), this);
        edtDid->setFocus();
        return;
    }
    if (name.isEmpty()) {
        Msg::Warn(QStringLiteral("名称を入力してください。"), this);
        edtDname->setFocus();
        return;
    }
    if (!FieldCheck::Storable(QStringLiteral("ID"), edtDid->text(), 4, this) ||
        !FieldCheck::Storable(QStringLiteral("名称"), edtDname->text(), 20, this) ||
        !FieldCheck::Storable(QStringLiteral("表示順"), edtListId->text(), 4, this))
        return;
    const int field = FieldNo();
    const int state = CustSql::EntryState(FDm, field, edtDid->text());
    if (state == 1 &&
        Msg::Show(TMsgKind::Warning, QStringLiteral("既に削除されたIDですが再登録してよろしいですか？"), mbOK | mbCancel,
                  this) != mbOK)
        return;
    if (state == -1) CustSql::InsertEntry(FDm, field, edtDid->text(), edtDname->text(), edtListId->text());
    else CustSql::UpdateEntry(FDm, field, edtDid->text(), edtDname->text(), edtListId->text());
    const QString id = edtDid->text();
    LoadEntries();
    for (int r = 0; r < sgdEntries->DataRowCount(); ++r) {
        if (sgdEntries->Cell(r, 0) != id) continue;
        sgdEntries->selectRow(r);
        sgdEntries->scrollToItem(sgdEntries->item(r, 0));
        break;
    }
}

void TfrmCustOption::btnEntryDelClick()
{
    if (edtDid->text().trimmed().isEmpty()) {
        Msg::Warn(QStringLiteral("IDを入力してください。"), this);
        edtDid->setFocus();
        return;
    }
    if (Msg::Show(TMsgKind::Confirmation, QStringLiteral("削除してよろしいですか？"), mbOK | mbCancel, this) != mbOK) return;
    CustSql::DeleteEntry(FDm, FieldNo(), edtDid->text(), Clock::Now());
    LoadEntries();
}

void ShowCustOption(TMainHost& host)
{
    TfrmCustOption dlg(host.Dm(), host.HostWindow());
    Msg::ExecDialog(dlg);
    TUpTable up;
    up.UpCustOption = true;
    up.UpCustOptionData = true;
    host.RefreshAndNotify(up);
}
