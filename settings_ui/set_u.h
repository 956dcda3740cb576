#pragma once
// TfrmSet ("環境設定"): the general options on two pages, "基本設定" and
// "外部連携". Every option is written to its settings key and to the value
// in memory when "OK(&O)" completes, and most take effect at once; turning
// the external customer database or the handling records on or off, and a
// new banner picture, need the program to start again. Opened modally by the
// main window:
//
//   if (ShowSettings(host)) host.RequestRestart();
#include <QDialog>
#include <QImage>
#include <QList>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class QWidget;
class TMainHost;
class TSettings;

class TfrmSet : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmSet(TMainHost& host, QWidget* parent = nullptr);

    // "OK(&O)" completed and asked for a restart.
    bool RestartRequested() const { return FRestart; }
    bool BannerChanged() const { return FBannerChanged; }
    QImage Banner() const { return FBanner; }

    void FormShow();
    void btnOkClick();
    void btnImgLoadClick();
    void btnImgClearClick();
    void btnImgStretchClick();
    void btnBackupRefClick();

    QTabWidget* PageControl1 = nullptr;
    // 基本設定
    QCheckBox* cbxStartup = nullptr;
    QCheckBox* chkAutoCustInfo = nullptr;
    QComboBox* cbxJouchu = nullptr;
    QCheckBox* chkJouchuOpen = nullptr;
    QCheckBox* chkJouchuKidou = nullptr;
    QCheckBox* chkShowBalloon = nullptr;
    QCheckBox* chkSoundCall = nullptr;
    QLabel* lblSpeed = nullptr;
    QSlider* TrackBarSpeed = nullptr;
    QLabel* lblRead = nullptr;
    QComboBox* cbxName1 = nullptr;
    QLineEdit* edtRead1 = nullptr;
    QComboBox* cbxName2 = nullptr;
    QLineEdit* edtRead2 = nullptr;
    QLabel* lblReadNote = nullptr;
    QCheckBox* chkBring = nullptr;
    QCheckBox* cbxLoginAuth = nullptr;
    QCheckBox* cbxUseAccept = nullptr;
    QComboBox* cbxKanaType = nullptr;
    QLabel* imgCustAvater = nullptr;
    QPushButton* btnImgStretch = nullptr;
    QPushButton* btnImgClear = nullptr;
    QPushButton* btnImgLoad = nullptr;
    QCheckBox* cbxBackup = nullptr;
    QLabel* lblBackup = nullptr;
    QLineEdit* editBackup = nullptr;
    QPushButton* btnBackupRef = nullptr;
    QLabel* lblBackupNote = nullptr;
    // 外部連携
    QCheckBox* chkCustLink = nullptr;
    QLabel* lblCustProgName = nullptr;
    QComboBox* cbxCustProgName = nullptr;
    QLabel* lblCustProgNote = nullptr;
    QCheckBox* chkAutoKido = nullptr;
    QCheckBox* cbxCustDbLink = nullptr;
    QLineEdit* edtCustDbLinkPath = nullptr;
    QLineEdit* edtCustDbLinkTableName = nullptr;
    QLineEdit* edtCustDbLinkTelFName = nullptr;
    QLineEdit* edtCustDbLinkCustFName = nullptr;
    QLineEdit* edtCustDbLinkKanaFName = nullptr;
    QLineEdit* edtCustDbLinkQuoteStr = nullptr;

    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* BuildBasicPage();
    QWidget* BuildLinkPage();
    // Enable and exclusion rules.
    void chkCustLinkClick();
    void CustDbRule();
    void cbxCustDbLinkClick(bool checked);
    void chkAutoCustInfoClick(bool checked);
    void chkSoundCallClick();
    void NameChoiceRule(QComboBox* choice, QLineEdit* text);
    void JouchuRule();
    void ShowBanner();
    void StoreStartup(bool on);

    TMainHost& FHost;
    TSettings& FSettings;
    QList<int> FIfNos; // numbers of the programs in cbxCustProgName
    QList<QWidget*> FDbControls;
    QList<QWidget*> FBackupControls;
    QImage FBanner;
    bool FStretch = true;
    bool FBannerChanged = false;
    bool FRestart = false;
    bool FShown = false;
};

// Opens the dialog modally; true when OK completed with a change that needs
// the program to start again.
bool ShowSettings(TMainHost& host);
