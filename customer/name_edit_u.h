#pragma once
// The customer name box: reports text that arrives whole (an input-method
// conversion being committed, a paste, a drop) so that its reading can be
// added to the reading box. Keys typed one by one are not reported.
#include <QLineEdit>

class TNameEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit TNameEdit(QWidget* parent = nullptr);

signals:
    void TextCommitted(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnTextEdited(const QString& now);

    QString FBefore;
    bool FTyping = false;
};
