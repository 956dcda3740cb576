#include "frm_delete_u.h"

#include "clock_u.h"
#include "errors_u.h"
#include "log_u.h"
#include "main_host_u.h"
#include "msg_u.h"
#include "report_sql_u.h"
#include "ui_kit_u.h"
#include "up_table_u.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// year + "/" + month + "/01" read as a date (year, month, day order).
QDate FirstOfMonth(const QString& year, const QString& month)
{
    bool okY = false, okM = false;
    const int y = year.trimmed().toInt(&okY);
    const int m = month.trimmed().toInt(&okM);
    if (!okY || !okM || y < 1 || y > 9999) return QDate();
    return QDate(y, m, 1);
}

QString Ymd(const QDate& d)
{
    return d.toString(QStringLiteral("yyyy/MM/dd"));
}
} // namespace

TDeleteBounds TDeleteBounds::From(const QString& fromYear, const QString& fromMon, const QString& toYear,
                                  const QString& toMon)
{
    TDeleteBounds b;
    bool start = false;
    if (!fromYear.isEmpty() || !fromMon.isEmpty()) {
        const QDate d = FirstOfMonth(fromYear, fromMon);
        if (!d.isValid()) {
            b.Bad = TBad::Start;
            return b;
        }
        b.Conditions += QStringLiteral("where DT_FROM >= '") + Ymd(d) + QStringLiteral("'\r\n");
        start = true;
    }
    if (!toYear.isEmpty() || !toMon.isEmpty()) {
        const QDate d = FirstOfMonth(toYear, toMon);
        if (!d.isValid()) {
            b.Bad = TBad::End;
            b.Conditions.clear();
            return b;
        }
        // The first day of the following month.
        const QDate bound = d.addMonths(1);
        b.Conditions += (start ? QStringLiteral("and DT_FROM < '") : QStringLiteral("where DT_FROM < '")) + Ymd(bound) +
                        QStringLiteral("'\r\n");
    }
    return b;
}

TfrmDelete::TfrmDelete(TMainHost& host, QWidget* parent) : QDialog(parent), FHost(host)
{
    setObjectName(QStringLiteral("frmDelete"));
    setWindowTitle(QStringLiteral("発着信履歴データ削除"));
    Log::Detail(QStringLiteral("TfrmDelete.FormCreate"));
    const QDate today = Clock::Today();
    EdtFromYear = UiKit::MakeEdit(this, QStringLiteral("EdtFromYear"), UiKit::TIme::Off);
    EdtToYear = UiKit::MakeEdit(this, QStringLiteral("EdtToYear"), UiKit::TIme::Off);
    BoxFromMon = MakeMonth(QStringLiteral("BoxFromMon"));
    BoxToMon = MakeMonth(QStringLiteral("BoxToMon"));
    for (QLineEdit* e : {EdtFromYear, EdtToYear}) {
        e->setText(today.toString(QStringLiteral("yyyy")));
        e->setMaximumWidth(70);
    }
    for (QComboBox* c : {BoxFromMon, BoxToMon}) c->setCurrentText(today.toString(QStringLiteral("MM")));

    auto* box = new QGroupBox(QStringLiteral("削除期間"), this);
    auto* h = new QHBoxLayout(box);
    h->addWidget(EdtFromYear);
    h->addWidget(UiKit::MakeLabel(box, QStringLiteral("年")));
    h->addWidget(BoxFromMon);
    h->addWidget(UiKit::MakeLabel(box, QStringLiteral("月")));
    h->addWidget(UiKit::MakeLabel(box, QStringLiteral("～")));
    h->addWidget(EdtToYear);
    h->addWidget(UiKit::MakeLabel(box, QStringLiteral("年")));
    h->addWidget(BoxToMon);
    h->addWidget(UiKit::MakeLabel(box, QStringLiteral("月")));
    btnOk = UiKit::MakeButton(this, QStringLiteral("btnOk"), QStringLiteral("削除(&D)"));
    btnClose = UiKit::MakeButton(this, QStringLiteral("btnClose"), QStringLiteral("閉じる(&X)"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnClose);
    auto* v = new QVBoxLayout(this);
    v->addWidget(box);
    v->addLayout(buttons);

    connect(btnOk, &QPushButton::clicked, this, [this] {
        try {
            btnOkClick();
        } catch (const std::exception& e) {
            FHost.AppException(ExceptionText(e));
        }
    });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    UiKit::ApplyDialogRules(this);
}

QComboBox* TfrmDelete::MakeMonth(const QString& name)
{
    auto* c = new QComboBox(this);
    c->setObjectName(name);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    for (int m = 1; m <= 12; ++m) c->addItem(QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0')));
    UiKit::SetIme(c, UiKit::TIme::Off);
    return c;
}

void TfrmDelete::Execute(TMainHost& host)
{
    TfrmDelete form(host, host.HostWindow());
    Msg::ExecDialog(form);
}

void TfrmDelete::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    EdtFromYear->setFocus();
}

void TfrmDelete::btnOkClick()
{
    if (Msg::Show(TMsgKind::Confirmation, QStringLiteral("指定された期間の発着信履歴データを削除してもよろしいですか？"),
                  mbYes | mbNo, this) != mbYes)
        return;
    Log::Detail(QStringLiteral("TfrmDelete.btnOkClick"));
    const TDeleteBounds b =
        TDeleteBounds::From(EdtFromYear->text(), BoxFromMon->currentText(), EdtToYear->text(), BoxToMon->currentText());
    if (b.Bad == TDeleteBounds::TBad::Start) {
        Msg::Warn(QStringLiteral("開始期間を正しく入力してください。"), this);
        EdtFromYear->setFocus();
        return;
    }
    if (b.Bad == TDeleteBounds::TBad::End) {
        Msg::Warn(QStringLiteral("終了期間を正しく入力してください。"), this);
        EdtToYear->setFocus();
        return;
    }
    const QString sql = TReportSql::DeleteLogSql(b.Conditions);
    Log::Detail(QStringLiteral("dmCmn.sqlWork2.SQL.Text=") + sql);
    TReportSql(FHost.Dm()).DeleteLog(sql);
    TUpTable up;
    up.UpLog = true;
    FHost.RefreshAndNotify(up);
    FHost.SetCallNumber(QString());
    FHost.SetCallName(QString());
    Msg::Info(QStringLiteral("発着信履歴データを削除しました。"), this);
}
