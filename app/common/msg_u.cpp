#include "msg_u.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <cstdio>

namespace {
Msg::TResponder gResponder;
Msg::TDialogResponder gDialogResponder;
bool gStopping = false;
QString gTitle;

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

void SetTitle(const QString& title)
{
    gTitle = title;
}

QString Title()
{
    return gTitle.isEmpty() ? QApplication::applicationDisplayName() : gTitle;
}

int LeastAnswer(int buttons)
{
    if (buttons & mbCancel) return mbCancel;
    if (buttons & mbNo) return mbNo;
    return mbOK;
}

void StopAsking()
{
    gStopping = true;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    const QWidgetList all = QApplication::topLevelWidgets();
    for (QWidget* w : all)
        if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible()) dialog->reject();
}

bool Stopping()
{
    return gStopping;
}

int Show(TMsgKind kind, const QString& text, int buttons, QWidget* parent)
{
    if (gStopping) return LeastAnswer(buttons);
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
    QMessageBox box(icon, Title(), text, ToStandard(buttons), parent);
    const int result = box.exec();
    return gStopping ? LeastAnswer(buttons) : FromStandard(result);
}

int ExecDialog(QDialog& dialog)
{
    if (gStopping) return QDialog::Rejected;
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
