#include "file_dialog_u.h"

#include <QFileDialog>

namespace {
FileDlg::TResponder gResponder;
}

namespace FileDlg {
QString OpenFile(QWidget* parent, const QString& caption, const QString& dir, const QString& filter)
{
    if (gResponder) return gResponder({TFileDialogRequest::TKind::Open, caption, dir, filter});
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString SaveFile(QWidget* parent, const QString& caption, const QString& dir, const QString& filter)
{
    if (gResponder) return gResponder({TFileDialogRequest::TKind::Save, caption, dir, filter});
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

QString Folder(QWidget* parent, const QString& caption, const QString& dir)
{
    if (gResponder) return gResponder({TFileDialogRequest::TKind::Folder, caption, dir, {}});
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}

void SetResponder(TResponder responder)
{
    gResponder = std::move(responder);
}
} // namespace FileDlg
