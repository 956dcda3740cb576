#pragma once
// The notice shown while the upgrade builds the search indexes: no buttons,
// centred, hourglass cursor, painted before the long statements start.
#include <QDialog>

class TfrmDbNotice : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmDbNotice(QWidget* parent = nullptr);
    ~TfrmDbNotice() override;
    // Shows and paints it at once.
    void ShowNow();
};
