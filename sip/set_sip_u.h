#pragma once
// TfrmSetSIP ("通信設定"): edits the SIP account in the ACCOUNT table, the
// PC output device and mute switch of the incoming-ring WAV, the
// keep-alive switch and the NAT settings (STUN server, ICE); saving
// rewrites the account in one transaction and
// reconnects the engine at once. Opened modally by the main window
// (create, Msg::ExecDialog, free) and by TSoftPhone::SipSettingsRequested.
#include "softphone_u.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class TdmCmn;

// LoadSIPAccount's reader on the data module ("select * from ACCOUNT").
TSoftPhone::TAccountSource AccountSourceOf(TdmCmn& dm);

class TfrmSetSIP : public QDialog
{
    Q_OBJECT
public:
    TfrmSetSIP(TdmCmn& dm, TSoftPhone& phone, QWidget* parent = nullptr);

    QLineEdit* edtUserName = nullptr;
    QLineEdit* edtPassword = nullptr;
    QLineEdit* edtProxy = nullptr;
    QLineEdit* edtDomain = nullptr;
    QLineEdit* edtLoginID = nullptr;
    QCheckBox* cbxRegistProxy = nullptr;
    QLineEdit* edtDispName = nullptr;
    QLineEdit* edtCountryCd = nullptr;
    QCheckBox* CheckG711A = nullptr;
    QCheckBox* CheckG711U = nullptr;
    QCheckBox* CheckGSM610 = nullptr;
    QCheckBox* CheckiLBC = nullptr;
    QCheckBox* CheckEchoCancel = nullptr;
    QCheckBox* CheckBoxAGC = nullptr;
    QCheckBox* CheckMicBoost = nullptr;
    QCheckBox* CheckDonotDisturb = nullptr;
    QCheckBox* CheckForceInbandDTMF = nullptr;
    QComboBox* cbxIncomOut = nullptr;
    QCheckBox* cbxIncomMutePC = nullptr;
    QCheckBox* cbxKeepAlive = nullptr;
    // NAT: settings file, section "SIP", keys "STUN_SERVER" and "ICE".
    QLineEdit* edtStunServer = nullptr;
    QCheckBox* cbxIce = nullptr;
    QPushButton* btnInit = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnClose = nullptr;

    void FormShow();
    void btnInitClick();
    void btnOkClick();
    // Codec numbers of the checked boxes: 2, 3, 0, 1 in that order.
    QString CodecText() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool ValidateInput();

    TdmCmn& FDm;
    TSoftPhone& FPhone;
    bool FShown = false;
    // Not on the dialog: saved as it was read.
    QString FOutProxy;
};

// Opens the dialog modally (the main window's "通信設定" button and the
// first-show prompt).
void ShowSetSIP(TdmCmn& dm, TSoftPhone& phone, QWidget* parent = nullptr);
