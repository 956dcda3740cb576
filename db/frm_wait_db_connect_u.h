#pragma once
// Shown by a server copy while its database does not answer: retries the
// connection every 2000 ms and closes by itself (Accepted) once it opens;
// "終了する" closes it with Rejected.
#include <QDialog>
#include <QTimer>

class TdmCmn;
class QPushButton;

class TfrmWaitDbConnect : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kRetryMs = 2000;

    TfrmWaitDbConnect(TdmCmn& dm, QWidget* parent = nullptr);

    QTimer tmrConnect;
    QPushButton* btnClose;

protected:
    // Only "終了する" ends the wait; Esc does nothing.
    void keyPressEvent(QKeyEvent* e) override;

private:
    void tmrConnectTimer();
    void btnCloseClick();

    TdmCmn& FDm;
    bool FDone = false;
};
