#include "frm_export_u.h"

#include "clock_u.h"
#include "errors_u.h"
#include "file_dialog_u.h"
#include "log_u.h"
#include "main_host_u.h"
#include "msg_u.h"
#include "settings_u.h"
#include "ui_kit_u.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateEdit>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
const QStringList kFilters{QStringLiteral("ﾃｷｽﾄ ﾌｧｲﾙ (*.txt)"), QStringLiteral("CSV ﾌｧｲﾙ (*.csv)"),
                           QStringLiteral("ｴｸｾﾙ ﾌｧｲﾙ (*.xls)"), QStringLiteral("ｴｸｾﾙ ﾌｧｲﾙ (*.xlsx)")};
const QString kCrlfCaption = QStringLiteral("CSV（カンマ区切り）ファイルのメモの改行は削除する");
} // namespace

TfrmExport::TfrmExport(TMainHost& host, QWidget* parent)
    : QDialog(parent), FHost(host), FExport(host.Dm(), this)
{
    setObjectName(QStringLiteral("frmExport"));
    setWindowTitle(QStringLiteral("データ出力"));
    Log::Detail(QStringLiteral("TfrmExport.FormCreate"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    tabTel = BuildPage(QStringLiteral("Tel"), true, true);
    tabTai = BuildPage(QStringLiteral("Tai"), true, true);
    tabCust = BuildPage(QStringLiteral("Cust"), false, true);
    tabTels = BuildPage(QStringLiteral("Tels"), false, false);
    PageControl1->addTab(tabTel, QStringLiteral("電話履歴"));
    PageControl1->addTab(tabTai, QStringLiteral("対応履歴"));
    PageControl1->addTab(tabCust, QStringLiteral("顧客リスト"));
    PageControl1->addTab(tabTels, QStringLiteral("電話帳リスト"));

    btnOk = UiKit::MakeButton(this, QStringLiteral("btnOk"), QStringLiteral("出力(&E)"));
    btnClose = UiKit::MakeButton(this, QStringLiteral("btnClose"), QStringLiteral("閉じる(&X)"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(ProgressBar1, 1);
    bottom->addWidget(btnOk);
    bottom->addWidget(btnClose);
    auto* v = new QVBoxLayout(this);
    v->addWidget(PageControl1, 1);
    v->addLayout(bottom);

    connect(btnOk, &QPushButton::clicked, this, &TfrmExport::btnOkClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    FExport.OnMaximum = [this](qint64 max) { ProgressBar1->setMaximum(int(qMin<qint64>(max, INT_MAX))); };
    FExport.OnProgress = [this](qint64 done) {
        ProgressBar1->setValue(int(qMin<qint64>(done, ProgressBar1->maximum())));
        QCoreApplication::processEvents();
    };

    const TExportPaths& paths = host.ExportPaths();
    edtPath->setText(paths.ExpPath);
    edtTaiPath->setText(paths.ExpTaiPath);
    edtCustPath->setText(paths.ExpCustPath);
    edtTelsPath->setText(paths.ExpTelsPath);
    cbxDelCrlfTel->setChecked(paths.ExportDelCrlfTel);
    cbxDelCrlfTai->setChecked(paths.ExportDelCrlfTai);
    cbxDelCrlfCust->setChecked(paths.ExportDelCrlfCust);
    PageControl1->setTabVisible(1, host.Settings().UseAccept);
    PageControl1->setTabVisible(2, !host.Settings().CustDbLink);
    SetPeriod(Clock::Today());
    resize(560, 260);
    UiKit::ApplyDialogRules(this);
}

TfrmExport::~TfrmExport() = default;

QWidget* TfrmExport::BuildPage(const QString& key, bool period, bool crlf)
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tab") + key);
    auto* g = new QGridLayout(page);
    const QString editName = key == QLatin1String("Tel") ? QStringLiteral("edtPath") : QStringLiteral("edt%1Path").arg(key);
    const QString buttonName = key == QLatin1String("Tel") ? QStringLiteral("BtnPath") : QStringLiteral("Btn%1Path").arg(key);
    auto* edit = UiKit::MakeEdit(page, editName, UiKit::TIme::Off);
    auto* button = UiKit::MakeButton(page, buttonName, QStringLiteral("参照..."));
    int row = 0;
    if (period) {
        auto* from = new QDateEdit(page);
        from->setObjectName(QStringLiteral("dtFrom") + key);
        auto* to = new QDateEdit(page);
        to->setObjectName(QStringLiteral("dtTo") + key);
        for (QDateEdit* d : {from, to}) {
            d->setCalendarPopup(true);
            d->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        }
        auto* h = new QHBoxLayout;
        h->addWidget(from);
        h->addWidget(UiKit::MakeLabel(page, QStringLiteral("～")));
        h->addWidget(to);
        h->addStretch(1);
        g->addWidget(UiKit::MakeLabel(page, QStringLiteral("出力期間")), row, 0);
        g->addLayout(h, row++, 1, 1, 2);
        (key == QLatin1String("Tel") ? dtFromTel : dtFromTai) = from;
        (key == QLatin1String("Tel") ? dtToTel : dtToTai) = to;
    }
    g->addWidget(UiKit::MakeLabel(page, QStringLiteral("出力先")), row, 0);
    g->addWidget(edit, row, 1);
    g->addWidget(button, row++, 2);
    if (crlf) {
        auto* check = UiKit::MakeCheck(page, QStringLiteral("cbxDelCrlf") + key, kCrlfCaption);
        g->addWidget(check, row++, 1, 1, 2);
        if (key == QLatin1String("Tel")) cbxDelCrlfTel = check;
        else if (key == QLatin1String("Tai")) cbxDelCrlfTai = check;
        else cbxDelCrlfCust = check;
    }
    g->setRowStretch(row, 1);
    g->setColumnStretch(1, 1);
    if (key == QLatin1String("Tel")) {
        edtPath = edit;
        connect(button, &QPushButton::clicked, this, &TfrmExport::BtnPathClick);
    } else if (key == QLatin1String("Tai")) {
        edtTaiPath = edit;
        connect(button, &QPushButton::clicked, this, &TfrmExport::BtnTaiPathClick);
    } else if (key == QLatin1String("Cust")) {
        edtCustPath = edit;
        connect(button, &QPushButton::clicked, this, &TfrmExport::BtnCustPathClick);
    } else {
        edtTelsPath = edit;
        connect(button, &QPushButton::clicked, this, &TfrmExport::BtnTelsPathClick);
    }
    return page;
}

void TfrmExport::Execute(TMainHost& host)
{
    TfrmExport form(host, host.HostWindow());
    form.SetPeriod(host.HistoryDate());
    Msg::ExecDialog(form);
}

void TfrmExport::SetPeriod(const QDate& date)
{
    for (QDateEdit* d : {dtFromTel, dtToTel, dtFromTai, dtToTai}) d->setDate(date);
}

void TfrmExport::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!FRunning) {
        ProgressBar1->hide();
        PageControl1->setCurrentIndex(0);
    }
}

void TfrmExport::closeEvent(QCloseEvent* event)
{
    // A running export cannot be cancelled.
    if (FRunning) event->ignore();
    else QDialog::closeEvent(event);
}

void TfrmExport::done(int r)
{
    if (FRunning) return;
    TExportPaths& paths = FHost.ExportPaths();
    paths.ExportDelCrlfTel = cbxDelCrlfTel->isChecked();
    paths.ExportDelCrlfTai = cbxDelCrlfTai->isChecked();
    paths.ExportDelCrlfCust = cbxDelCrlfCust->isChecked();
    QDialog::done(r);
}

// ---------------------------------------------------------------- paths

void TfrmExport::ChoosePath(const char* logName, QLineEdit* edit, QString& remembered)
{
    Log::Detail(QLatin1String("TfrmExport.") + QLatin1String(logName));
    const QString ext = QFileInfo(edit->text()).suffix().toUpper();
    int type = ext == QLatin1String("TXT") ? 1 : ext == QLatin1String("CSV") ? 2 : ext == QLatin1String("XLS") ? 3
             : ext == QLatin1String("XLSX")                                  ? 4
                                                                             : 0;
    const QString path = FileDlg::SaveFileTyped(this, QStringLiteral("出力先"), edit->text(), kFilters, &type);
    if (path.isEmpty()) return;
    edit->setText(path);
    remembered = path;
}

void TfrmExport::BtnPathClick()
{
    ChoosePath("BtnPathClick", edtPath, FHost.ExportPaths().ExpPath);
}

void TfrmExport::BtnTaiPathClick()
{
    ChoosePath("BtnTaiPathClick", edtTaiPath, FHost.ExportPaths().ExpTaiPath);
}

void TfrmExport::BtnCustPathClick()
{
    ChoosePath("BtnCustPathClick", edtCustPath, FHost.ExportPaths().ExpCustPath);
}

void TfrmExport::BtnTelsPathClick()
{
    ChoosePath("BtnTelsPathClick", edtTelsPath, FHost.ExportPaths().ExpTelsPath);
}

bool TfrmExport::CheckPath(QLineEdit* edit)
{
    const QString problem = TDataExport::PathProblem(edit->text());
    if (problem.isEmpty()) return true;
    Msg::Warn(problem, this);
    edit->setFocus();
    return false;
}

// ---------------------------------------------------------------- export

bool TfrmExport::RunActivePage()
{
    QWidget* page = PageControl1->currentWidget();
    if (page == tabTels) {
        Log::Detail(QStringLiteral("TfrmExport.OutTels"));
        return CheckPath(edtTelsPath) && FExport.OutTels(edtTelsPath->text());
    }
    Log::Detail(QStringLiteral("TfrmExport.btnOkClick"));
    if (page == tabTel)
        return CheckPath(edtPath) &&
               FExport.ExportLog(edtPath->text(), dtFromTel->date(), dtToTel->date(), cbxDelCrlfTel->isChecked());
    if (page == tabTai)
        return CheckPath(edtTaiPath) &&
               FExport.ExportAccept(edtTaiPath->text(), dtFromTai->date(), dtToTai->date(), cbxDelCrlfTai->isChecked());
    return CheckPath(edtCustPath) && FExport.ExportCust(edtCustPath->text(), cbxDelCrlfCust->isChecked());
}

void TfrmExport::btnOkClick()
{
    if (FRunning) return;
    FRunning = true;
    btnOk->setEnabled(false);
    btnClose->setEnabled(false);
    ProgressBar1->setMaximum(100);
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    bool ok = false;
    QString error;
    try {
        ok = RunActivePage();
    } catch (const std::exception& e) {
        error = ExceptionText(e);
    }
    FRunning = false;
    btnOk->setEnabled(true);
    btnClose->setEnabled(true);
    ProgressBar1->hide();
    if (!error.isEmpty()) FHost.AppException(error);
    else if (ok) Msg::Info(QStringLiteral("ファイル出力完了しました。"), this);
}
