#include "set_sip_u.h"

#include "dm_cmn_u.h"
#include "errors_u.h"
#include "log_u.h"
#include "msg_u.h"
#include "settings_u.h"
#include "ui_kit_u.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TSoftPhone::TAccountSource AccountSourceOf(TdmCmn& dm)
{
    // The row is read by the data module, the one reader of ACCOUNT; the
    // softphone gets it as the column map it was written for.
    return [&dm](const QString&) -> std::optional<TAccountRow> {
        TAccount a;
        if (!dm.GetAccount(a)) return std::nullopt;
        auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
        return TAccountRow{{QStringLiteral("USERID"), a.UserId},
                           {QStringLiteral("DISPNM"), a.DispName},
                           {QStringLiteral("LOGINID"), a.LoginId},
                           {QStringLiteral("PASSWD"), a.Password},
                           {QStringLiteral("SIPPLOXY"), a.SipProxy},
                           {QStringLiteral("REGIST_PROXY"), flag(a.RegistProxy)},
                           {QStringLiteral("DOMAINNM"), a.DomainName},
                           {QStringLiteral("OUTPLOXY"), a.OutProxy},
                           {QStringLiteral("CHNUM"), a.ChNum},
                           {QStringLiteral("COUNTRY_CD"), a.CountryCd},
                           {QStringLiteral("AUDIO_IN_NAME"), a.AudioInName},
                           {QStringLiteral("AUDIO_OUT_NAME"), a.AudioOutName},
                           {QStringLiteral("CODECS"), a.Codecs},
                           {QStringLiteral("ECHO_CANCEL_FLG"), flag(a.EchoCancel)},
                           {QStringLiteral("AGC_FLG"), flag(a.Agc)},
                           {QStringLiteral("MICBOOST_FLG"), flag(a.MicBoost)},
                           {QStringLiteral("NODISTURB_FLG"), flag(a.NoDisturb)},
                           {QStringLiteral("FORCE_INDTMF_FLG"), flag(a.ForceInbandDtmf)}};
    };
}

TfrmSetSIP::TfrmSetSIP(TdmCmn& dm, TSoftPhone& phone, QWidget* parent) : QDialog(parent), FDm(dm), FPhone(phone)
{
    setObjectName(QStringLiteral("frmSetSIP"));
    setWindowTitle(QStringLiteral("通信設定"));
    auto edit = [this](const char* name, bool password = false) {
        return UiKit::MakeEdit(this, QLatin1String(name), UiKit::TIme::Off, password);
    };
    auto check = [this](const char* name, const QString& caption) {
        return UiKit::MakeCheck(this, QLatin1String(name), caption);
    };
    edtUserName = edit("edtUserName");
    edtPassword = edit("edtPassword", true);
    edtProxy = edit("edtProxy");
    edtProxy->setMinimumWidth(200); // "sip.example.jp;transport=tls" whole
    edtDomain = edit("edtDomain");
    edtLoginID = edit("edtLoginID");
    cbxRegistProxy = check("cbxRegistProxy", QStringLiteral("プロキシ認証"));
    edtDispName = edit("edtDispName");
    edtCountryCd = edit("edtCountryCd");
    CheckG711A = check("CheckG711A", QStringLiteral("GSM 711 A-Law"));
    CheckG711U = check("CheckG711U", QStringLiteral("GSM 711 U-Law"));
    CheckGSM610 = check("CheckGSM610", QStringLiteral("GSM 6.10"));
    CheckiLBC = check("CheckiLBC", QStringLiteral("iLBC"));
    CheckEchoCancel = check("CheckEchoCancel", QStringLiteral("エコーとノイズの除去"));
    CheckBoxAGC = check("CheckBoxAGC", QStringLiteral("自動ゲイン調整"));
    CheckMicBoost = check("CheckMicBoost", QStringLiteral("マイク音量の増幅"));
    CheckDonotDisturb = check("CheckDonotDisturb", QStringLiteral("着信拒否"));
    CheckForceInbandDTMF = check("CheckForceInbandDTMF", QStringLiteral("インバウンドDTMFの強調"));
    cbxIncomOut = new QComboBox(this);
    cbxIncomOut->setObjectName(QStringLiteral("cbxIncomOut"));
    cbxIncomMutePC = check("cbxIncomMutePC", QStringLiteral("ﾐｭｰﾄ"));
    cbxKeepAlive = check("cbxKeepAlive", QStringLiteral("keep alive"));
    edtStunServer = edit("edtStunServer");
    edtStunServer->setMinimumWidth(180);
    edtStunServer->setPlaceholderText(QStringLiteral("stun.example.jp:3478"));
    cbxIce = check("cbxIce", QStringLiteral("ICE を使う"));
    btnInit = UiKit::MakeButton(this, QStringLiteral("btnInit"), QStringLiteral("初期化(&I)"));
    btnOk = UiKit::MakeButton(this, QStringLiteral("btnOk"), QStringLiteral("設定(&O)"));
    btnClose = UiKit::MakeButton(this, QStringLiteral("btnClose"), QStringLiteral("閉じる(&C)"));

    auto* left = new QFormLayout;
    auto required = [](const QString& caption) { return caption + QStringLiteral(" (必須)"); };
    left->addRow(required(QStringLiteral("ユーザID")), edtUserName);
    left->addRow(required(QStringLiteral("パスワード")), edtPassword);
    left->addRow(required(QStringLiteral("プロキシ")), edtProxy);
    left->addRow(QStringLiteral("ドメイン"), edtDomain);
    left->addRow(QStringLiteral("認証ID"), edtLoginID);
    left->addRow(QString(), cbxRegistProxy);
    left->addRow(QStringLiteral("表示名"), edtDispName);
    left->addRow(QStringLiteral("国コード"), edtCountryCd);

    auto* codecs = new QGroupBox(QStringLiteral("ボイスコーデック "), this);
    auto* codecBox = new QVBoxLayout(codecs);
    for (auto* c : {CheckG711A, CheckG711U, CheckGSM610, CheckiLBC}) codecBox->addWidget(c);
    auto* others = new QGroupBox(QStringLiteral("その他の設定"), this);
    auto* otherBox = new QVBoxLayout(others);
    for (auto* c : {CheckEchoCancel, CheckBoxAGC, CheckMicBoost, CheckDonotDisturb, CheckForceInbandDTMF})
        otherBox->addWidget(c);
    auto* right = new QVBoxLayout;
    right->addWidget(codecs);
    right->addWidget(others);
    auto* ring = new QHBoxLayout;
    ring->addWidget(new QLabel(QStringLiteral("着信音"), this));
    ring->addWidget(cbxIncomOut, 1);
    ring->addWidget(cbxIncomMutePC);
    right->addLayout(ring);
    right->addWidget(cbxKeepAlive);
    // Behind an office router, for a hosted PBX; empty on a LAN.
    auto* nat = new QGroupBox(QStringLiteral("NAT（ルーター越え）"), this);
    auto* natBox = new QFormLayout(nat);
    natBox->addRow(QStringLiteral("STUNサーバー"), edtStunServer);
    natBox->addRow(QString(), cbxIce);
    right->addWidget(nat);

    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(right);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnInit);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnClose);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(buttons);

    connect(btnInit, &QPushButton::clicked, this, &TfrmSetSIP::btnInitClick);
    connect(btnOk, &QPushButton::clicked, this, &TfrmSetSIP::btnOkClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    UiKit::ApplyDialogRules(this);
}

void TfrmSetSIP::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (FShown) return;
    FShown = true;
    FormShow();
}

void TfrmSetSIP::FormShow()
{
    TAccount a;
    if (FDm.GetAccount(a)) {
        edtUserName->setText(a.UserId);
        edtPassword->setText(a.Password);
        edtProxy->setText(a.SipProxy);
        edtDomain->setText(a.DomainName);
        edtLoginID->setText(a.LoginId);
        edtDispName->setText(a.DispName);
        edtCountryCd->setText(a.CountryCd);
        cbxRegistProxy->setChecked(a.RegistProxy);
        CheckG711A->setChecked(CodecListed(2, a.Codecs));
        CheckG711U->setChecked(CodecListed(3, a.Codecs));
        CheckGSM610->setChecked(CodecListed(0, a.Codecs));
        CheckiLBC->setChecked(CodecListed(1, a.Codecs));
        CheckEchoCancel->setChecked(a.EchoCancel);
        CheckBoxAGC->setChecked(a.Agc);
        CheckMicBoost->setChecked(a.MicBoost);
        CheckDonotDisturb->setChecked(a.NoDisturb);
        CheckForceInbandDTMF->setChecked(a.ForceInbandDtmf);
        FOutProxy = a.OutProxy;
    } else {
        btnInitClick();
    }
    TSettings& s = FPhone.Settings();
    cbxIncomOut->clear();
    cbxIncomOut->addItem(QString());
    cbxIncomOut->addItems(TRingSound::OutputDeviceNames());
    const int item = s.PcOutName.isEmpty() ? 0 : FPhone.Ring().gPcOutIndex + 1;
    cbxIncomOut->setCurrentIndex(item < cbxIncomOut->count() ? item : 0);
    cbxIncomMutePC->setChecked(s.IncomMutePc);
    cbxKeepAlive->setChecked(s.KeepAlive);
    edtStunServer->setText(s.StunServer);
    cbxIce->setChecked(s.UseIce);
}

void TfrmSetSIP::btnInitClick()
{
    for (auto* e : {edtUserName, edtPassword, edtProxy, edtDomain, edtLoginID, edtDispName, edtCountryCd}) e->clear();
    cbxRegistProxy->setChecked(true);
    CheckG711A->setChecked(true);
    CheckG711U->setChecked(true);
    CheckGSM610->setChecked(false);
    CheckiLBC->setChecked(false);
    for (auto* c : {CheckEchoCancel, CheckBoxAGC, CheckMicBoost, CheckDonotDisturb, CheckForceInbandDTMF})
        c->setChecked(false);
    cbxKeepAlive->setChecked(true);
    edtStunServer->clear();
    cbxIce->setChecked(false);
}

QString TfrmSetSIP::CodecText() const
{
    QStringList numbers;
    if (CheckG711A->isChecked()) numbers << QStringLiteral("2");
    if (CheckG711U->isChecked()) numbers << QStringLiteral("3");
    if (CheckGSM610->isChecked()) numbers << QStringLiteral("0");
    if (CheckiLBC->isChecked()) numbers << QStringLiteral("1");
    return numbers.join(QLatin1Char(','));
}

bool TfrmSetSIP::ValidateInput()
{
    const struct
    {
        QLineEdit* Box;
        const char* Text;
    } required[] = {{edtUserName, "ユーザIDを入力してください。"},
                    {edtPassword, "パスワードを入力してください。"},
                    {edtProxy, "プロキシを入力してください。"}};
    for (const auto& r : required) {
        if (r.Box->text().isEmpty()) {
            Msg::Warn(QString::fromUtf8(r.Text), this);
            r.Box->setFocus();
            return false;
        }
    }
    if (CodecText().isEmpty()) {
        Msg::Warn(QStringLiteral("ボイスコーデック を選択してください。"), this);
        CheckG711A->setFocus();
        return false;
    }
    return true;
}

void TfrmSetSIP::btnOkClick()
{
    if (!ValidateInput()) return;
    // The buttons come back however the save ends.
    struct TButtonsOff
    {
        QList<QPushButton*> List;
        explicit TButtonsOff(QList<QPushButton*> l) : List(std::move(l))
        {
            for (auto* b : List) b->setEnabled(false);
        }
        ~TButtonsOff()
        {
            for (auto* b : List) b->setEnabled(true);
        }
    } off({btnInit, btnOk, btnClose});

    TSettings& s = FPhone.Settings();
    // Without a sound server the list holds only the empty item: the
    // stored device stays for the day the server is back.
    if (cbxIncomOut->count() > 1) {
        s.PcOutName = cbxIncomOut->currentText();
        s.WriteText(QStringLiteral("SIP"), QStringLiteral("PC_OUT_NAME"), s.PcOutName);
        const int item = cbxIncomOut->currentIndex();
        FPhone.Ring().gPcOutIndex = item <= 0 ? 0 : item - 1;
    }
    s.IncomMutePc = cbxIncomMutePC->isChecked();
    s.WriteFlag(QStringLiteral("SIP"), QStringLiteral("INCOM_MUTE_PC"), s.IncomMutePc);
    s.KeepAlive = cbxKeepAlive->isChecked();
    s.WriteFlag(QStringLiteral("SIP"), QStringLiteral("KEEP_ALIVE"), s.KeepAlive);
    s.StunServer = edtStunServer->text().trimmed();
    s.WriteText(QStringLiteral("SIP"), QStringLiteral("STUN_SERVER"), s.StunServer);
    s.UseIce = cbxIce->isChecked();
    s.WriteFlag(QStringLiteral("SIP"), QStringLiteral("ICE"), s.UseIce);

    if (!FPhone.gVaxSips.empty() && !FPhone.gVaxSips[0].UserId.isEmpty()) FPhone.UnInitVax(0);

    TAccount a;
    a.UserId = edtUserName->text();
    a.Password = edtPassword->text();
    a.SipProxy = edtProxy->text();
    a.DomainName = edtDomain->text();
    a.LoginId = edtLoginID->text();
    a.RegistProxy = cbxRegistProxy->isChecked();
    a.DispName = edtDispName->text();
    a.CountryCd = edtCountryCd->text();
    a.OutProxy = FOutProxy;
    a.Codecs = CodecText();
    a.EchoCancel = CheckEchoCancel->isChecked();
    a.Agc = CheckBoxAGC->isChecked();
    a.MicBoost = CheckMicBoost->isChecked();
    a.NoDisturb = CheckDonotDisturb->isChecked();
    a.ForceInbandDtmf = CheckForceInbandDTMF->isChecked();
    try {
        FDm.ReplaceAccount(a);
    } catch (const std::exception& e) {
        // What the application's error handler does with an uncaught error.
        const QString message = ExceptionText(e);
        Log::Always(QStringLiteral("This is on AppException Proc., E.Message=") + message);
        Msg::Error(message, this);
        FDm.ReDBConnect(message);
        return;
    }
    FPhone.LoadSIPAccount();
    if (FPhone.ConnectVax(0)) Msg::Info(QStringLiteral("設定完了しました。"), this);
    else Msg::Info(QStringLiteral("設定しましたが接続できませんでした。"), this);
}

void ShowSetSIP(TdmCmn& dm, TSoftPhone& phone, QWidget* parent)
{
    TfrmSetSIP dialog(dm, phone, parent);
    Msg::ExecDialog(dialog);
}
