#include "frm_total_u.h"

#include "clock_u.h"
#include "errors_u.h"
#include "log_u.h"
#include "main_host_u.h"
#include "msg_u.h"
#include "settings_u.h"
#include "ui_kit_u.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

namespace {
const QString kSection = QStringLiteral("TOTAL");

QDateEdit* MakeDate(QWidget* parent, const QString& name)
{
    auto* d = new QDateEdit(parent);
    d->setObjectName(name);
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    return d;
}
} // namespace

TfrmTotal::TfrmTotal(TMainHost& host, QWidget* parent)
    : QDialog(parent), SearchPick(ReportSearch::Picker(host)), FHost(host), FSettings(host.Settings()),
      FSql(host.Dm())
{
    setObjectName(QStringLiteral("frmTotal"));
    setWindowTitle(QStringLiteral("集計印刷"));

    dtpFrom = MakeDate(this, QStringLiteral("dtpFrom"));
    dtpTo = MakeDate(this, QStringLiteral("dtpTo"));
    cbxValue = new QComboBox(this);
    cbxValue->setObjectName(QStringLiteral("cbxValue"));
    cbxItem = new QComboBox(this);
    cbxItem->setObjectName(QStringLiteral("cbxItem"));
    cbxItem->addItems({QStringLiteral("発着信電話番号別"), QStringLiteral("顧客別（代表電話番号別）")});

    auto* top = new QGridLayout;
    top->addWidget(UiKit::MakeLabel(this, QStringLiteral("集計期間")), 0, 0);
    auto* period = new QHBoxLayout;
    period->addWidget(dtpFrom);
    period->addWidget(UiKit::MakeLabel(this, QStringLiteral("～")));
    period->addWidget(dtpTo);
    period->addStretch(1);
    top->addLayout(period, 0, 1, 1, 3);
    top->addWidget(UiKit::MakeLabel(this, QStringLiteral("集計")), 1, 0);
    top->addWidget(cbxValue, 1, 1);
    top->addWidget(UiKit::MakeLabel(this, QStringLiteral("項目")), 1, 2);
    top->addWidget(cbxItem, 1, 3);

    auto* kubunBox = new QGroupBox(QStringLiteral("発着"), this);
    kubunBox->setObjectName(QStringLiteral("grpKubun"));
    auto* kh = new QHBoxLayout(kubunBox);
    rgpKubun = new QButtonGroup(this);
    const QStringList kinds{QStringLiteral("着信"), QStringLiteral("発信"), QStringLiteral("全て")};
    for (int i = 0; i < kinds.size(); ++i) {
        auto* rb = new QRadioButton(kinds.at(i), kubunBox);
        rb->setObjectName(QStringLiteral("rbKubun%1").arg(i));
        rgpKubun->addButton(rb, i);
        kh->addWidget(rb);
    }
    kh->addStretch(1);
    rgpKubun->button(0)->setChecked(true);

    btnPrint = UiKit::MakeButton(this, QStringLiteral("btnPrint"), QStringLiteral("OK(&O)"), QStringLiteral("印刷プレビューを表示します。"));
    btnClose = UiKit::MakeButton(this, QStringLiteral("btnClose"), QStringLiteral("閉じる(&X)"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnPrint);
    buttons->addWidget(btnClose);

    auto* v = new QVBoxLayout(this);
    v->addLayout(top);
    v->addWidget(kubunBox);
    v->addWidget(BuildGroup(false));
    v->addWidget(BuildGroup(true));
    v->addStretch(1);
    v->addLayout(buttons);

    connect(cbxValue, &QComboBox::currentIndexChanged, this, &TfrmTotal::cbxValueChange);
    connect(cbxItem, &QComboBox::currentIndexChanged, this, &TfrmTotal::cbxItemChange);
    connect(chkTelTop, &QCheckBox::toggled, edtTelNum, &QWidget::setEnabled);
    connect(chkCustTop, &QCheckBox::toggled, edtCustNum, &QWidget::setEnabled);
    connect(edtTelNo, &QLineEdit::textEdited, this, &TfrmTotal::edtTelNoChange);
    connect(edtCustTel, &QLineEdit::textEdited, this, &TfrmTotal::edtCustTelChange);
    connect(btnTelRef, &QPushButton::clicked, this, &TfrmTotal::btnTelRefClick);
    connect(btnCustRef, &QPushButton::clicked, this, &TfrmTotal::btnCustRefClick);
    connect(btnPrint, &QPushButton::clicked, this, [this] {
        try {
            btnPrintClick();
        } catch (const std::exception& e) {
            // The window stays open; the application's handler reports.
            FHost.AppException(ExceptionText(e));
        }
    });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
    UiKit::ApplyDialogRules(this);
}

TfrmTotal::~TfrmTotal() = default;

QWidget* TfrmTotal::BuildGroup(bool cust)
{
    auto* box = new QGroupBox(cust ? QStringLiteral("代表番号") : QStringLiteral("発着信番号"), this);
    box->setObjectName(cust ? QStringLiteral("grpCust") : QStringLiteral("grpTel"));
    const QString p = cust ? QStringLiteral("Cust") : QStringLiteral("Tel");
    auto* all = new QRadioButton(QStringLiteral("全体指定"), box);
    all->setObjectName(QStringLiteral("rb%1All").arg(p));
    auto* one = new QRadioButton(QStringLiteral("個別指定"), box);
    one->setObjectName(QStringLiteral("rb%1One").arg(p));
    auto* group = new QButtonGroup(box);
    group->addButton(all);
    group->addButton(one);
    auto* top = UiKit::MakeCheck(box, QStringLiteral("chk%1Top").arg(p), QStringLiteral("上位表示件数"));
    auto* num = new QSpinBox(box);
    num->setObjectName(cust ? QStringLiteral("edtCustNum") : QStringLiteral("edtTelNum"));
    num->setRange(INT_MIN, INT_MAX); // no bounds: negative values print everything
    num->setMinimumWidth(80);
    auto* edt = UiKit::MakeEdit(box, cust ? QStringLiteral("edtCustTel") : QStringLiteral("edtTelNo"), UiKit::TIme::Off);
    edt->setMinimumWidth(150);
    auto* ref = UiKit::MakeButton(box, QStringLiteral("btn%1Ref").arg(p), QStringLiteral("参照..."));
    auto* name = UiKit::MakeLabel(box, QString(), QStringLiteral("lbl%1Name").arg(p));
    name->setMinimumWidth(180);

    auto* g = new QGridLayout(box);
    g->addWidget(all, 0, 0);
    g->addWidget(top, 0, 1);
    auto* n = new QHBoxLayout;
    n->addWidget(num);
    n->addWidget(UiKit::MakeLabel(box, QStringLiteral("件")));
    n->addStretch(1);
    g->addLayout(n, 0, 2, 1, 2);
    g->addWidget(one, 1, 0);
    g->addWidget(edt, 1, 1);
    g->addWidget(ref, 1, 2);
    g->addWidget(name, 1, 3);
    g->setColumnStretch(3, 1);

    if (cust) {
        grpCust = box, rbCustAll = all, rbCustOne = one, chkCustTop = top, edtCustNum = num, edtCustTel = edt,
        btnCustRef = ref, lblCustName = name;
    } else {
        grpTel = box, rbTelAll = all, rbTelOne = one, chkTelTop = top, edtTelNum = num, edtTelNo = edt,
        btnTelRef = ref, lblTelName = name;
    }
    return box;
}

void TfrmTotal::Execute(TMainHost& host)
{
    TfrmTotal form(host, host.HostWindow());
    form.SetPeriod(host.HistoryDate(), host.HistoryDate());
    Msg::ExecDialog(form);
}

void TfrmTotal::SetPeriod(const QDate& from, const QDate& to)
{
    dtpFrom->setDate(from);
    dtpTo->setDate(to);
}

// ---------------------------------------------------------------- options

void TfrmTotal::FormCreate()
{
    Log::Detail(QStringLiteral("TfrmTotal.FormCreate"));
    SetPeriod(Clock::Today(), Clock::Today());
    auto flag = [this](const char* key) { return FSettings.ReadFlag(kSection, QLatin1String(key)); };
    (flag("CUST_ALL") ? rbCustAll : rbCustOne)->setChecked(true);
    (flag("TEL_ALL") ? rbTelAll : rbTelOne)->setChecked(true);
    chkCustTop->setChecked(flag("CUST_TOP"));
    edtCustNum->setEnabled(chkCustTop->isChecked());
    chkTelTop->setChecked(flag("TEL_TOP"));
    edtTelNum->setEnabled(chkTelTop->isChecked());
    edtCustNum->setValue(FSettings.ReadInt(kSection, QStringLiteral("CUST_NUM"), 10));
    edtTelNum->setValue(FSettings.ReadInt(kSection, QStringLiteral("TEL_NUM"), 10));
    const int kubun = FSettings.ReadInt(kSection, QStringLiteral("KUBUN"), 0);
    if (QAbstractButton* b = rgpKubun->button(kubun)) b->setChecked(true);
    {
        const QSignalBlocker block(cbxValue);
        cbxValue->addItems({QStringLiteral("なし"), QStringLiteral("通話回数")});
        cbxValue->setCurrentIndex(qBound(-1, FSettings.ReadInt(kSection, QStringLiteral("VALUE"), 1), 1));
    }
    cbxValueChange();
    {
        const QSignalBlocker block(cbxItem);
        if (cbxItem->isEnabled())
            cbxItem->setCurrentIndex(qBound(-1, FSettings.ReadInt(kSection, QStringLiteral("ITEM"), 0), 1));
    }
    cbxItemChange();
}

void TfrmTotal::WriteOptions()
{
    FSettings.WriteText(kSection, QStringLiteral("VALUE"), QString::number(cbxValue->currentIndex()));
    FSettings.WriteText(kSection, QStringLiteral("ITEM"), QString::number(cbxItem->currentIndex()));
    FSettings.WriteText(kSection, QStringLiteral("KUBUN"), QString::number(rgpKubun->checkedId()));
    FSettings.WriteFlag(kSection, QStringLiteral("TEL_ALL"), rbTelAll->isChecked());
    FSettings.WriteFlag(kSection, QStringLiteral("CUST_ALL"), rbCustAll->isChecked());
    FSettings.WriteFlag(kSection, QStringLiteral("TEL_TOP"), chkTelTop->isChecked());
    FSettings.WriteFlag(kSection, QStringLiteral("CUST_TOP"), chkCustTop->isChecked());
    FSettings.WriteText(kSection, QStringLiteral("TEL_NUM"), QString::number(edtTelNum->value()));
    FSettings.WriteText(kSection, QStringLiteral("CUST_NUM"), QString::number(edtCustNum->value()));
}

void TfrmTotal::done(int r)
{
    WriteOptions();
    QDialog::done(r);
}

// ---------------------------------------------------------------- enabling

void TfrmTotal::cbxValueChange()
{
    const bool count = cbxValue->currentIndex() == 1;
    if (count) {
        cbxItem->setEnabled(true);
        rbTelAll->setChecked(true);
        rbCustAll->setChecked(true);
    } else {
        cbxItem->setCurrentIndex(0);
        cbxItem->setEnabled(false);
        chkTelTop->setChecked(false);
        chkCustTop->setChecked(false);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{rbTelOne, edtTelNo, btnTelRef, rbCustOne, edtCustTel, btnCustRef})
        w->setEnabled(!count);
    for (QWidget* w : std::initializer_list<QWidget*>{chkTelTop, edtTelNum, chkCustTop, edtCustNum}) w->setEnabled(count);
}

void TfrmTotal::cbxItemChange()
{
    const bool byCust = cbxItem->currentIndex() == 1;
    grpTel->setVisible(!byCust);
    grpTel->setEnabled(!byCust);
    grpCust->setVisible(byCust);
    grpCust->setEnabled(byCust);
    const QColor window = QApplication::palette().color(QPalette::Base);
    const QColor face = QApplication::palette().color(QPalette::Button);
    for (QWidget* w : std::initializer_list<QWidget*>{edtTelNo, edtTelNum}) UiKit::PaintBase(w, byCust ? face : window);
    for (QWidget* w : std::initializer_list<QWidget*>{edtCustTel, edtCustNum}) UiKit::PaintBase(w, byCust ? window : face);
}

void TfrmTotal::edtTelNoChange()
{
    rbTelOne->setChecked(true);
    lblTelName->setText(FSql.TelCaller(edtTelNo->text()));
}

void TfrmTotal::edtCustTelChange()
{
    rbCustOne->setChecked(true);
    QString name;
    if (!FSql.CustExists(edtCustTel->text(), &name) || name.isEmpty()) name = FSql.TelCaller(edtCustTel->text());
    lblCustName->setText(name);
}

void TfrmTotal::btnTelRefClick()
{
    const QString picked = SearchPick ? SearchPick(this, 0) : QString();
    if (picked.isEmpty()) return;
    edtTelNo->setText(picked);
    edtTelNoChange();
}

void TfrmTotal::btnCustRefClick()
{
    const QString picked = SearchPick ? SearchPick(this, FSettings.CustDbLink ? 3 : 2) : QString();
    if (picked.isEmpty()) return;
    edtCustTel->setText(picked);
    edtCustTelChange();
}

// ---------------------------------------------------------------- statement

QString TfrmTotal::Warn(const QString& text, QWidget* focus)
{
    Msg::Warn(text, this);
    focus->setFocus();
    return QString();
}

QString TfrmTotal::GetSqlStr()
{
    Log::Detail(QStringLiteral("TfrmTotal.GetSqlStr"));
    TTotalQuery q;
    q.CountMode = cbxValue->currentIndex() == 1;
    q.ByCustomer = cbxItem->currentIndex() == 1;
    q.Kubun = rgpKubun->checkedId();
    q.From = dtpFrom->date();
    q.To = dtpTo->date();
    const QString nOfZero = QStringLiteral("上位表示件数を１以上で設定してください。");
    if (grpTel->isEnabled()) {
        if (!rbTelAll->isChecked()) {
            const QString tel = edtTelNo->text();
            if (tel.isEmpty()) return Warn(QStringLiteral("発着信電話番号を指定してください。"), edtTelNo);
            if (!FSql.TelExists(tel))
                return Warn(QStringLiteral("登録されている電話番号を指定してください。"), edtTelNo);
            q.TelNo = tel;
        } else if (edtTelNum->value() == 0) {
            return Warn(nOfZero, edtTelNum);
        }
    }
    if (grpCust->isEnabled()) {
        if (!rbCustAll->isChecked()) {
            const QString tel = edtCustTel->text();
            if (tel.isEmpty()) return Warn(QStringLiteral("顧客を指定してください。"), edtCustTel);
            if (!FSql.CustExists(tel))
                return Warn(QStringLiteral("登録されている顧客を指定してください。"), edtCustTel);
            q.CustTel = tel;
        } else if (edtCustNum->value() == 0) {
            return Warn(nOfZero, edtCustNum);
        }
    }
    return TReportSql::TotalSql(q);
}

QList<TPrint> TfrmTotal::TotalTops(int n, const QString& sql)
{
    Log::Detail(QStringLiteral("TfrmTotal.TotalTops"));
    return FSql.TotalTops(n, sql);
}

void TfrmTotal::btnPrintClick()
{
    Log::Detail(QStringLiteral("TfrmTotal.btnPrintClick"));
    const QString sql = GetSqlStr();
    if (sql.isEmpty()) return;
    Log::Detail(QStringLiteral("strSql=") + sql);
    const bool byCust = cbxItem->currentIndex() == 1;
    if (cbxValue->currentIndex() == 1) {
        frmPrint1.lblValueHead = QStringLiteral("通話回数[回]");
        const bool top = byCust ? chkCustTop->isChecked() : chkTelTop->isChecked();
        const int n = top ? (byCust ? edtCustNum->value() : edtTelNum->value()) : -1;
        QList<TPrint> rows = TotalTops(n, sql);
        // Printed from the rows computed here (what PRINT1 holds for this
        // copy), highest count first; equal counts keep their order.
        std::stable_sort(rows.begin(), rows.end(), [](const TPrint& a, const TPrint& b) { return a.TOTAL > b.TOTAL; });
        frmPrint1.lblTitle = byCust ? QStringLiteral("顧客別") : QStringLiteral("発着信電話番号別");
        frmPrint1.lblNumberHead = byCust ? QStringLiteral("代表電話番号") : QStringLiteral("電話番号");
        frmPrint1.lblNameHead = byCust ? QStringLiteral("顧客名") : QStringLiteral("名前");
        frmPrint1.lblCountHead = QStringLiteral("NO");
        Printing::Preview(this, frmPrint1.Job(rows, Clock::Now()));
    } else {
        frmPrint2.lblTitle = byCust ? QStringLiteral("顧客別") : QStringLiteral("発着信電話番号別");
        Printing::Preview(this, frmPrint2.Job(FSql.CallList(sql), Clock::Now()));
    }
}
