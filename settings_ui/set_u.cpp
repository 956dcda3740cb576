#include "set_u.h"

#include "autostart_u.h"
#include "dm_cmn_u.h"
#include "file_dialog_u.h"
#include "link_sql_u.h"
#include "log_u.h"
#include "main_host_u.h"
#include "msg_u.h"
#include "settings_u.h"
#include "ui_kit_u.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
const QString kCaller = QStringLiteral("(発信者名)");
const QString kNone = QStringLiteral("(なし)");
const QString kRestartText = QStringLiteral("この変更には再起動が必要です。当ソフトを再起動してよろしいですか？");

QLabel* Note(QWidget* parent, const QString& text, const QString& name)
{
    QLabel* l = UiKit::MakeLabel(parent, text, name);
    l->setWordWrap(true);
    return l;
}
} // namespace

TfrmSet::TfrmSet(TMainHost& host, QWidget* parent)
    : QDialog(parent ? parent : host.HostWindow()), FHost(host), FSettings(host.Settings())
{
    setObjectName(QStringLiteral("frmSet"));
    setWindowTitle(QStringLiteral("環境設定"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->addTab(BuildBasicPage(), QStringLiteral("基本設定"));
    PageControl1->addTab(BuildLinkPage(), QStringLiteral("外部連携"));

    btnOk = UiKit::MakeButton(this, QStringLiteral("btnOk"), QStringLiteral("OK(&O)"));
    btnCancel = UiKit::MakeButton(this, QStringLiteral("btnCancel"), QStringLiteral("取消(&C)"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto* all = new QVBoxLayout(this);
    all->addWidget(PageControl1, 1);
    all->addLayout(buttons);

    connect(btnOk, &QPushButton::clicked, this, &TfrmSet::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(chkCustLink, &QCheckBox::toggled, this, &TfrmSet::chkCustLinkClick);
    connect(cbxCustDbLink, &QCheckBox::toggled, this, &TfrmSet::cbxCustDbLinkClick);
    connect(chkAutoCustInfo, &QCheckBox::toggled, this, &TfrmSet::chkAutoCustInfoClick);
    connect(chkSoundCall, &QCheckBox::toggled, this, &TfrmSet::chkSoundCallClick);
    connect(cbxName2, &QComboBox::currentIndexChanged, this, [this] { NameChoiceRule(cbxName2, edtRead2); });
    connect(cbxJouchu, &QComboBox::currentIndexChanged, this, &TfrmSet::JouchuRule);
    connect(chkJouchuOpen, &QCheckBox::toggled, this, &TfrmSet::JouchuRule);
    connect(btnImgLoad, &QPushButton::clicked, this, &TfrmSet::btnImgLoadClick);
    connect(btnImgClear, &QPushButton::clicked, this, &TfrmSet::btnImgClearClick);
    connect(btnImgStretch, &QPushButton::clicked, this, &TfrmSet::btnImgStretchClick);
    connect(btnBackupRef, &QPushButton::clicked, this, &TfrmSet::btnBackupRefClick);

    // The registered programs, their numbers kept beside the names.
    for (const TLinkEntry& e : LinkSql::EntryNames(host.Dm())) {
        cbxCustProgName->addItem(e.IfName);
        FIfNos << e.IfNo;
    }
    cbxName2->hide();
    edtRead2->hide();
    UiKit::ApplyDialogRules(this);
}

QWidget* TfrmSet::BuildBasicPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tsBasic"));
    cbxStartup = UiKit::MakeCheck(page, QStringLiteral("cbxStartup"), QStringLiteral("スタートアップに登録する（自動起動する）"));
    chkAutoCustInfo =
        UiKit::MakeCheck(page, QStringLiteral("chkAutoCustInfo"), QStringLiteral("着信時に当ソフトの顧客情報を開く"));

    auto* close = new QGroupBox(QStringLiteral("閉じるボタンを押した時は"), page);
    cbxJouchu = new QComboBox(close);
    cbxJouchu->setObjectName(QStringLiteral("cbxJouchu"));
    cbxJouchu->addItems({QStringLiteral("当ソフトを終了する"), QStringLiteral("タスクトレイ常駐する"),
                         QStringLiteral("画面最小化する")});
    chkJouchuOpen = UiKit::MakeCheck(close, QStringLiteral("chkJouchuOpen"), QStringLiteral("着信時に当ソフトを開く"));
    chkJouchuKidou = UiKit::MakeCheck(close, QStringLiteral("chkJouchuKidou"), QStringLiteral("起動時にも常駐する"));
    chkShowBalloon =
        UiKit::MakeCheck(close, QStringLiteral("chkShowBalloon"), QStringLiteral("着信時にバルーンヘルプ表示する"));
    auto* cl = new QVBoxLayout(close);
    cl->addWidget(cbxJouchu);
    for (QCheckBox* c : {chkJouchuOpen, chkJouchuKidou, chkShowBalloon}) cl->addWidget(c);

    auto* sound = new QGroupBox(page);
    chkSoundCall = UiKit::MakeCheck(sound, QStringLiteral("chkSoundCall"), QStringLiteral("着信時に音声呼び出しする"));
    lblSpeed = UiKit::MakeLabel(sound, QStringLiteral("速度"), QStringLiteral("lblSpeed"));
    TrackBarSpeed = new QSlider(Qt::Horizontal, sound);
    TrackBarSpeed->setObjectName(QStringLiteral("TrackBarSpeed"));
    TrackBarSpeed->setRange(50, 300);
    TrackBarSpeed->setPageStep(10);
    lblRead = UiKit::MakeLabel(sound, QStringLiteral("読み上げ"), QStringLiteral("lblRead"));
    cbxName1 = new QComboBox(sound);
    cbxName1->setObjectName(QStringLiteral("cbxName1"));
    cbxName1->addItem(kCaller);
    cbxName1->setEnabled(false);
    edtRead1 = UiKit::MakeEdit(sound, QStringLiteral("edtRead1"), UiKit::TIme::Hiragana);
    cbxName2 = new QComboBox(sound);
    cbxName2->setObjectName(QStringLiteral("cbxName2"));
    cbxName2->addItems({kNone, kCaller});
    edtRead2 = UiKit::MakeEdit(sound, QStringLiteral("edtRead2"), UiKit::TIme::Hiragana);
    lblReadNote = Note(sound, QStringLiteral("※ひらがなと全角カナしか音声対応していません"), QStringLiteral("lblReadNote"));
    auto* sg = new QGridLayout(sound);
    sg->addWidget(chkSoundCall, 0, 0, 1, 3);
    sg->addWidget(lblSpeed, 1, 0);
    sg->addWidget(TrackBarSpeed, 1, 1, 1, 2);
    sg->addWidget(lblRead, 2, 0);
    sg->addWidget(cbxName1, 2, 1);
    sg->addWidget(edtRead1, 2, 2);
    sg->addWidget(cbxName2, 3, 1);
    sg->addWidget(edtRead2, 3, 2);
    sg->addWidget(lblReadNote, 4, 0, 1, 3);
    sg->setColumnStretch(2, 1);

    chkBring = UiKit::MakeCheck(page, QStringLiteral("chkBring"), QStringLiteral("着信時に点滅表示する"));
    cbxLoginAuth = UiKit::MakeCheck(page, QStringLiteral("cbxLoginAuth"), QStringLiteral("ログイン画面を表示する"));
    cbxUseAccept = UiKit::MakeCheck(page, QStringLiteral("cbxUseAccept"), QStringLiteral("対応内容の登録機能を使う"));
    cbxKanaType = new QComboBox(page);
    cbxKanaType->setObjectName(QStringLiteral("cbxKanaType"));
    cbxKanaType->addItems({QStringLiteral("全角カナ"), QStringLiteral("全角かな"), QStringLiteral("半角ｶﾅ")});
    auto* kana = new QHBoxLayout;
    kana->addWidget(UiKit::MakeLabel(page, QStringLiteral("カナ使用")));
    kana->addWidget(cbxKanaType);
    kana->addStretch(1);

    auto* logo = new QGroupBox(QStringLiteral("ロゴ画像"), page);
    imgCustAvater = new QLabel(logo);
    imgCustAvater->setObjectName(QStringLiteral("imgCustAvater"));
    // The banner strip of the main window is 225 x 35.
    imgCustAvater->setFixedSize(225, 35);
    imgCustAvater->setFrameShape(QFrame::Box);
    imgCustAvater->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    btnImgStretch = UiKit::MakeButton(logo, QStringLiteral("btnImgStretch"), QStringLiteral("調整"));
    btnImgStretch->setCheckable(true);
    btnImgClear = UiKit::MakeButton(logo, QStringLiteral("btnImgClear"), QStringLiteral("クリア"));
    btnImgLoad = UiKit::MakeButton(logo, QStringLiteral("btnImgLoad"), QStringLiteral("読込..."));
    auto* lg = new QVBoxLayout(logo);
    lg->addWidget(imgCustAvater);
    auto* lb = new QHBoxLayout;
    for (QPushButton* b : {btnImgStretch, btnImgClear, btnImgLoad}) lb->addWidget(b);
    lb->addStretch(1);
    lg->addLayout(lb);

    auto* backup = new QGroupBox(page);
    cbxBackup =
        UiKit::MakeCheck(backup, QStringLiteral("cbxBackup"), QStringLiteral("終了時に全データを自動バックアップする"));
    lblBackup = UiKit::MakeLabel(backup, QStringLiteral("バックアップ先"), QStringLiteral("lblBackup"));
    editBackup = UiKit::MakeEdit(backup, QStringLiteral("editBackup"), UiKit::TIme::Off);
    btnBackupRef = UiKit::MakeButton(backup, QStringLiteral("btnBackupRef"), QStringLiteral("参照..."));
    lblBackupNote =
        Note(backup, QStringLiteral("※増設したハードディスクなどの保存場所を指定してください。"), QStringLiteral("lblBackupNote"));
    auto* bg = new QGridLayout(backup);
    bg->addWidget(cbxBackup, 0, 0, 1, 3);
    bg->addWidget(lblBackup, 1, 0);
    bg->addWidget(editBackup, 1, 1);
    bg->addWidget(btnBackupRef, 1, 2);
    bg->addWidget(lblBackupNote, 2, 0, 1, 3);
    bg->setColumnStretch(1, 1);
    FBackupControls = {cbxBackup, lblBackup, editBackup, btnBackupRef, lblBackupNote};

    auto* left = new QVBoxLayout;
    left->addWidget(cbxStartup);
    left->addWidget(chkAutoCustInfo);
    left->addWidget(close);
    left->addWidget(sound);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    for (QCheckBox* c : {chkBring, cbxLoginAuth, cbxUseAccept}) right->addWidget(c);
    right->addLayout(kana);
    right->addWidget(logo);
    right->addWidget(backup);
    right->addStretch(1);
    auto* h = new QHBoxLayout(page);
    h->addLayout(left, 1);
    h->addLayout(right, 1);
    return page;
}

QWidget* TfrmSet::BuildLinkPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tsLink"));
    chkCustLink =
        UiKit::MakeCheck(page, QStringLiteral("chkCustLink"), QStringLiteral("Access等の他の顧客管理画面と連携する"));
    lblCustProgName = UiKit::MakeLabel(page, QStringLiteral("連携プログラム"), QStringLiteral("lblCustProgName"));
    cbxCustProgName = new QComboBox(page);
    cbxCustProgName->setObjectName(QStringLiteral("cbxCustProgName"));
    cbxCustProgName->setMinimumWidth(240);
    lblCustProgNote = Note(page, QStringLiteral("外部接続登録画面で事前に登録した内容をここで選択できます。"),
                           QStringLiteral("lblCustProgNote"));
    chkAutoKido = UiKit::MakeCheck(page, QStringLiteral("chkAutoKido"), QStringLiteral("着信時に自動起動する"));
    cbxCustDbLink = UiKit::MakeCheck(page, QStringLiteral("cbxCustDbLink"),
                                     QStringLiteral("連携先の顧客データベースを参照して顧客名、顧客カナ名を取得する"));

    auto edit = [page](const char* name) { return UiKit::MakeEdit(page, QLatin1String(name), UiKit::TIme::Off); };
    edtCustDbLinkPath = edit("edtCustDbLinkPath");
    edtCustDbLinkTableName = edit("edtCustDbLinkTableName");
    edtCustDbLinkTelFName = edit("edtCustDbLinkTelFName");
    edtCustDbLinkCustFName = edit("edtCustDbLinkCustFName");
    edtCustDbLinkKanaFName = edit("edtCustDbLinkKanaFName");
    edtCustDbLinkQuoteStr = edit("edtCustDbLinkQuoteStr");
    edtCustDbLinkQuoteStr->setMaxLength(1);
    edtCustDbLinkQuoteStr->setFixedWidth(40);

    auto* db = new QGridLayout;
    db->setContentsMargins(24, 0, 0, 0);
    QLabel* pathLabel =
        UiKit::MakeLabel(page, QStringLiteral("外部顧客データベース接続文字列 (ADO ConnectionString)"),
                         QStringLiteral("lblCustDbLinkPath"));
    // The string goes to the ODBC driver manager as it is.
    QLabel* example = UiKit::MakeLabel(page, QStringLiteral("例：Driver=SQLite3;Database=/srv/kuruten/CustDB.db"),
                                       QStringLiteral("lblCustDbLinkExample"));
    db->addWidget(pathLabel, 0, 0, 1, 2);
    db->addWidget(edtCustDbLinkPath, 1, 0, 1, 2);
    db->addWidget(example, 2, 0, 1, 2);
    FDbControls = {pathLabel, edtCustDbLinkPath, example};
    const struct
    {
        const char* Name;
        QString Caption;
        QLineEdit* Edit;
    } rows[] = {{"lblCustDbLinkTableName", QStringLiteral("外部顧客DBのテーブル名"), edtCustDbLinkTableName},
                {"lblCustDbLinkTelFName", QStringLiteral("外部顧客DBの電話番号フィールド"), edtCustDbLinkTelFName},
                {"lblCustDbLinkCustFName", QStringLiteral("外部顧客DBの顧客名フィールド"), edtCustDbLinkCustFName},
                {"lblCustDbLinkKanaFName", QStringLiteral("外部顧客DBの顧客カナ名フィールド"), edtCustDbLinkKanaFName},
                {"lblCustDbLinkQuoteStr", QStringLiteral("SQL発行時の囲み文字"), edtCustDbLinkQuoteStr}};
    int r = 3;
    for (const auto& row : rows) {
        QLabel* l = UiKit::MakeLabel(page, row.Caption, QLatin1String(row.Name));
        db->addWidget(l, r, 0);
        db->addWidget(row.Edit, r, 1, row.Edit == edtCustDbLinkQuoteStr ? Qt::AlignLeft : Qt::Alignment());
        FDbControls << l << row.Edit;
        ++r;
    }
    db->setColumnStretch(1, 1);

    auto* prog = new QGridLayout;
    prog->setContentsMargins(24, 0, 0, 0);
    prog->addWidget(lblCustProgName, 0, 0);
    prog->addWidget(cbxCustProgName, 0, 1, Qt::AlignLeft);
    prog->addWidget(lblCustProgNote, 1, 0, 1, 2);
    prog->addWidget(chkAutoKido, 2, 0, 1, 2);
    prog->addWidget(cbxCustDbLink, 3, 0, 1, 2);
    prog->setColumnStretch(1, 1);

    auto* v = new QVBoxLayout(page);
    v->addWidget(chkCustLink);
    v->addLayout(prog);
    v->addLayout(db);
    v->addStretch(1);
    return page;
}

// ---------------------------------------------------------------- rules

void TfrmSet::chkCustLinkClick()
{
    const bool on = chkCustLink->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(cbxCustProgName), static_cast<QWidget*>(lblCustProgName),
                       static_cast<QWidget*>(lblCustProgNote), static_cast<QWidget*>(chkAutoKido),
                       static_cast<QWidget*>(cbxCustDbLink)})
        w->setEnabled(on);
    CustDbRule();
}

void TfrmSet::CustDbRule()
{
    const bool on = cbxCustDbLink->isChecked() && chkCustLink->isChecked();
    for (QWidget* w : FDbControls) w->setEnabled(on);
}

void TfrmSet::cbxCustDbLinkClick(bool checked)
{
    if (checked && chkAutoCustInfo->isChecked()) chkAutoCustInfo->setChecked(false);
    CustDbRule();
}

void TfrmSet::chkAutoCustInfoClick(bool checked)
{
    if (!checked || !cbxCustDbLink->isChecked()) return;
    cbxCustDbLink->setChecked(false);
    CustDbRule();
    Msg::Warn(QStringLiteral("外部顧客データベースの参照は無効にしました。"), this);
}

void TfrmSet::chkSoundCallClick()
{
    const bool on = chkSoundCall->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(lblSpeed), static_cast<QWidget*>(TrackBarSpeed),
                       static_cast<QWidget*>(lblRead), static_cast<QWidget*>(cbxName2),
                       static_cast<QWidget*>(edtRead1), static_cast<QWidget*>(edtRead2),
                       static_cast<QWidget*>(lblReadNote)})
        w->setEnabled(on);
    cbxName1->setEnabled(false);
    edtRead2->setEnabled(on && cbxName2->currentText() != kNone);
}

void TfrmSet::NameChoiceRule(QComboBox* choice, QLineEdit* text)
{
    // Set to "(なし)" by the user: nothing is read there.
    const bool none = choice->currentText() == kNone;
    text->setEnabled(!none && chkSoundCall->isChecked());
    if (none) text->clear();
}

void TfrmSet::JouchuRule()
{
    const int idx = cbxJouchu->currentIndex();
    chkJouchuOpen->setEnabled(idx == 1 || idx == 2);
    chkJouchuKidou->setEnabled(idx == 1);
    chkShowBalloon->setEnabled(idx == 1 && !chkJouchuOpen->isChecked());
}

// ---------------------------------------------------------------- show

void TfrmSet::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!FShown) FormShow();
    FShown = true;
}

void TfrmSet::FormShow()
{
    const TSettings& s = FSettings;
    PageControl1->setCurrentIndex(0);
    btnOk->setEnabled(true);

    cbxCustProgName->setCurrentIndex(int(FIfNos.indexOf(s.LinkIfNo)));
    chkCustLink->setChecked(s.LinkEnabled);
    chkAutoKido->setChecked(s.LinkAutoLaunch);
    cbxUseAccept->setChecked(s.UseAccept);
    cbxCustDbLink->setChecked(s.CustDbLink && s.LinkEnabled);
    edtCustDbLinkPath->setText(s.LinkDbPath);
    edtCustDbLinkTableName->setText(s.LinkTableName);
    edtCustDbLinkTelFName->setText(s.LinkCustTelFName);
    edtCustDbLinkCustFName->setText(s.LinkCustNameFName);
    edtCustDbLinkKanaFName->setText(s.LinkCustKanaFName);
    edtCustDbLinkQuoteStr->setText(s.LinkQuoteStr);
    cbxLoginAuth->setChecked(s.LoginAuth);
    cbxStartup->setChecked(s.Startup);
    chkSoundCall->setChecked(s.SpeakEnabled);
    TrackBarSpeed->setValue(s.SpeakSpeed);
    edtRead1->setText(s.SpeakFoot);
    edtRead2->setText(s.SpeakFoot2);
    cbxName1->setCurrentIndex(0);
    chkBring->setChecked(s.Bring);
    chkAutoCustInfo->setChecked(s.AutoCustInfo);
    cbxJouchu->setCurrentIndex(qBound(0, s.GJouchuIdx, 2));
    chkJouchuOpen->setChecked(s.GJouchuIdx > 0 && s.GisJouchuOpen);
    chkJouchuKidou->setChecked(s.JouchuKidou);
    chkShowBalloon->setChecked(s.ShowBalloon);
    cbxBackup->setChecked(s.AutoBackup);
    editBackup->setText(s.AutoBackupPath);
    cbxKanaType->setCurrentIndex(qBound(0, s.KanaType, 2));
    // A box already in the state set above ran no rule: all of them now.
    chkCustLinkClick();
    chkSoundCallClick();
    JouchuRule();

    FBanner = QFileInfo::exists(s.BannerFile()) ? QImage(s.BannerFile()) : QImage();
    FStretch = s.BannerStretch;
    ShowBanner();
    FBannerChanged = false;

    for (QWidget* w : FBackupControls) w->setEnabled(s.Role() != TRole::Client);
}

void TfrmSet::ShowBanner()
{
    btnImgStretch->setChecked(FStretch);
    imgCustAvater->setScaledContents(FStretch);
    if (FBanner.isNull()) imgCustAvater->clear();
    else imgCustAvater->setPixmap(QPixmap::fromImage(FBanner));
}

// ---------------------------------------------------------------- buttons

void TfrmSet::btnImgLoadClick()
{
    const QString file = FileDlg::OpenFile(this, QString(), QString(),
                                           QStringLiteral("JPEG イメージファイル (*.jpg);;ビットマップ (*.bmp)"));
    if (!file.isEmpty()) {
        // A JPEG is decoded and kept as a bitmap; anything else as it loads.
        QImage img(file, QFileInfo(file).suffix().compare(QLatin1String("jpg"), Qt::CaseInsensitive) == 0 ? "JPG"
                                                                                                             : nullptr);
        if (!img.isNull()) FBanner = img;
        ShowBanner();
    }
    FBannerChanged = true;
}

void TfrmSet::btnImgClearClick()
{
    FBanner = QImage();
    ShowBanner();
    FBannerChanged = true;
}

void TfrmSet::btnImgStretchClick()
{
    FStretch = !FStretch;
    ShowBanner();
    FBannerChanged = true;
}

void TfrmSet::btnBackupRefClick()
{
    const QString current = editBackup->text();
    const QString folder = FileDlg::Folder(this, QStringLiteral("バックアップ先"),
                                           QFileInfo(current).isDir() ? current : QString());
    if (!folder.isEmpty()) editBackup->setText(folder);
}

void TfrmSet::StoreStartup(bool on)
{
    TSettings& s = FSettings;
    s.Startup = on;
    s.WriteFlag(QStringLiteral("BASIC"), QStringLiteral("STARTUP"), on);
    const QString exe = QCoreApplication::applicationFilePath();
    const QString folder = TSettings::StartupFolder();
    const QString path = Autostart::ShortcutPath(exe, folder);
    const bool present = QFileInfo::exists(path);
    if (on) {
        if (present) Log::Detail(QStringLiteral("ショートカットは作成済み ShortCutFileName=") + path);
        else if (Autostart::CreateShortcut(exe, folder, QString()))
            Log::Detail(QStringLiteral("ショートカットを作成しました ShortCutFileName=") + path);
        else Log::Detail(QStringLiteral("ショートカットの作成に失敗しました=") + path);
        return;
    }
    if (!present) {
        Log::Detail(QStringLiteral("ショートカットはなし"));
        return;
    }
    Autostart::DeleteShortcut(exe, folder);
    Log::Detail(QFileInfo::exists(path) ? QStringLiteral("ショートカットの削除に失敗しました")
                                        : QStringLiteral("ショートカットを削除しました"));
}

void TfrmSet::btnOkClick()
{
    // Disabled while it runs and enabled again however it ends.
    btnOk->setEnabled(false);
    struct TReenable
    {
        QPushButton* b;
        ~TReenable() { b->setEnabled(true); }
    } reenable{btnOk};
    TSettings& s = FSettings;
    const QString basic = QStringLiteral("BASIC"), link = QStringLiteral("LINK");

    if (chkAutoCustInfo->isChecked() && cbxCustDbLink->isChecked()) {
        Msg::Warn(QStringLiteral("「着信時に当ソフトの顧客情報を開く」と「外部連携」の両方を選択できません。"), this);
        return;
    }
    if (cbxBackup->isChecked() && !QFileInfo(editBackup->text()).isDir()) {
        Msg::Warn(QStringLiteral("バックアップ先が無効です。バックアップ先を指定してください。"), this);
        editBackup->setFocus();
        return;
    }
    if (cbxCustDbLink->isChecked() != s.CustDbLink || cbxUseAccept->isChecked() != s.UseAccept || FBannerChanged) {
        if (Msg::Show(TMsgKind::Warning, kRestartText, mbOK | mbCancel, this) != mbOK) return;
        FRestart = true;
    }

    s.LinkEnabled = chkCustLink->isChecked();
    s.WriteFlag(link, QStringLiteral("ENABLED"), s.LinkEnabled);
    s.UseAccept = cbxUseAccept->isChecked();
    s.WriteFlag(basic, QStringLiteral("USE_ACCEPT"), s.UseAccept);
    FHost.ShowAcceptPage(s.UseAccept);
    s.LinkAutoLaunch = chkAutoKido->isChecked() && s.LinkEnabled;
    s.WriteFlag(link, QStringLiteral("AUTO_LAUNCH"), s.LinkAutoLaunch);
    const int prog = cbxCustProgName->currentIndex();
    s.LinkIfNo = prog >= 0 && prog < FIfNos.size() ? FIfNos[prog] : -1;
    s.WriteText(link, QStringLiteral("IF_NO"), QString::number(s.LinkIfNo));

    s.CustDbLink = cbxCustDbLink->isChecked() && s.LinkEnabled;
    s.WriteFlag(link, QStringLiteral("CUST_DB_LINK"), s.CustDbLink);
    if (s.CustDbLink) {
        const struct
        {
            const char* Key;
            QString* Value;
            QLineEdit* Edit;
        } texts[] = {{"DB_PATH", &s.LinkDbPath, edtCustDbLinkPath},
                     {"TABLE_NAME", &s.LinkTableName, edtCustDbLinkTableName},
                     {"CUST_TEL_FNAME", &s.LinkCustTelFName, edtCustDbLinkTelFName},
                     {"CUST_NAME_FNAME", &s.LinkCustNameFName, edtCustDbLinkCustFName},
                     {"CUST_KANA_FNAME", &s.LinkCustKanaFName, edtCustDbLinkKanaFName},
                     {"QUOTE_STR", &s.LinkQuoteStr, edtCustDbLinkQuoteStr}};
        for (const auto& t : texts) {
            *t.Value = t.Edit->text();
            s.WriteText(link, QLatin1String(t.Key), *t.Value);
        }
        FHost.Dm().InitCustDbLink(this);
    } else {
        FHost.Dm().CloseCustDbLink();
    }

    s.LoginAuth = cbxLoginAuth->isChecked();
    s.WriteFlag(basic, QStringLiteral("LOGIN_AUTH"), s.LoginAuth);
    StoreStartup(cbxStartup->isChecked());

    s.SpeakEnabled = chkSoundCall->isChecked();
    s.WriteFlag(QStringLiteral("SPEAK"), QStringLiteral("ENABLED"), s.SpeakEnabled);
    if (s.SpeakEnabled) {
        s.SpeakSpeed = TrackBarSpeed->value();
        s.WriteText(QStringLiteral("SPEAK"), QStringLiteral("SPEED"), QString::number(s.SpeakSpeed));
        s.SpeakFoot = edtRead1->text();
        s.WriteText(QStringLiteral("SPEAK"), QStringLiteral("FOOT"), s.SpeakFoot);
        // Its failure is logged there; the read-out then stays silent.
        FHost.CreateSpeechEngine();
    }

    s.AutoCustInfo = chkAutoCustInfo->isChecked();
    s.WriteFlag(basic, QStringLiteral("AUTO_CUST_INFO"), s.AutoCustInfo);
    s.Bring = chkBring->isChecked();
    s.WriteFlag(basic, QStringLiteral("BRING"), s.Bring);
    s.GJouchuIdx = cbxJouchu->currentIndex();
    s.WriteText(basic, QStringLiteral("JOUCHU"), QString::number(s.GJouchuIdx));
    if (s.GJouchuIdx == 1) FHost.EnterResident();
    else FHost.LeaveResident();
    s.GisJouchuOpen = chkJouchuOpen->isChecked();
    s.WriteFlag(basic, QStringLiteral("JOUCHU_OPEN"), s.GisJouchuOpen);
    s.JouchuKidou = chkJouchuKidou->isChecked();
    s.WriteFlag(basic, QStringLiteral("JOUCHU_KIDOU"), s.JouchuKidou);
    s.ShowBalloon = chkShowBalloon->isChecked();
    s.WriteFlag(basic, QStringLiteral("SHOW_BALLOON"), s.ShowBalloon);
    s.AutoBackup = cbxBackup->isChecked();
    s.WriteFlag(basic, QStringLiteral("AUTO_BACKUP"), s.AutoBackup);
    s.AutoBackupPath = editBackup->text();
    s.WriteText(basic, QStringLiteral("AUTO_BACKUP_PATH"), s.AutoBackupPath);
    s.KanaType = cbxKanaType->currentIndex();
    s.WriteText(QStringLiteral("COMMON"), QStringLiteral("KANA_TYPE"), QString::number(s.KanaType));

    if (FBanner.isNull()) QFile::remove(s.BannerFile());
    else FBanner.save(s.BannerFile(), "BMP");
    s.BannerStretch = FStretch;
    s.WriteFlag(QStringLiteral("BANNER"), QStringLiteral("STRETCH"), s.BannerStretch);
    if (FBannerChanged) FHost.ReloadBanner();

    accept();
}

bool ShowSettings(TMainHost& host)
{
    TfrmSet frm(host);
    return Msg::ExecDialog(frm) == QDialog::Accepted && frm.RestartRequested();
}
