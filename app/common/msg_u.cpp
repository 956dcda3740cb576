#include "msg_u.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <cstdio>

namespace {
Msg::TResponder gResponder;
Msg::TDialogResponder gDialogResponder;

QMessageBox::StandardButtons ToStandard(int buttons)
{
    QMessageBox::StandardButtons b;
    if (buttons & mbOK) b |= QMessageBox::Ok;
    if (buttons & mbCancel) b |= QMessageBox::Cancel;
    if (buttons & mbYes) b |= QMessageBox::Yes;
    if (buttons & mbNo) b |= QMessageBox::No;
    return b;
}

int FromStandard(int r)
{
    switch (r) {
    case QMessageBox::Ok: return mbOK;
    case QMessageBox::Cancel: return mbCancel;
    case QMessageBox::Yes: return mbYes;
    case QMessageBox::No: return mbNo;
    default: return mbCancel;
    }
}
} // namespace

namespace Msg {

int Show(TMsgKind kind, const QString& text, int buttons, QWidget* parent)
{
    if (gResponder) return gResponder({kind, text, buttons});
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
        return (buttons & mbOK) ? mbOK : (buttons & mbNo) ? mbNo : mbCancel;
    }
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (kind) {
    case TMsgKind::Information: icon = QMessageBox::Information; break;
    case TMsgKind::Warning: icon = QMessageBox::Warning; break;
    case TMsgKind::Error: icon = QMessageBox::Critical; break;
    case TMsgKind::Confirmation: icon = QMessageBox::Question; break;
    }
    QMessageBox box(icon, QApplication::applicationDisplayName(), text, ToStandard(buttons), parent);
    return FromStandard(box.exec());
}

int ExecDialog(QDialog& dialog)
{
    if (gDialogResponder) return gDialogResponder(dialog);
    return dialog.exec();
}

void SetResponder(TResponder responder)
{
    gResponder = std::move(responder);
}

TResponder CurrentResponder()
{
    return gResponder;
}

void SetDialogResponder(TDialogResponder responder)
{
    gDialogResponder = std::move(responder);
}

} // namespace Msg
