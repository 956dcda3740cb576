#pragma once
// "発着信メモ": the memo of one call-log row. Created once and reused.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class TfrmMemo : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kMaxBytes = 4000; // CP932 bytes, as the column holds them

    explicit TfrmMemo(QWidget* parent = nullptr);

    int LogNo = 0;
    void SetMemo(const QString& text);
    QString Memo() const;

    void btnOkClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* mmoMemo = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
};
