#include "file_dialog_u.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

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

QString SaveFileTyped(QWidget* parent, const QString& caption, const QString& path, const QStringList& filters,
                      int* filterIndex)
{
    if (gResponder) {
        TFileDialogRequest r{TFileDialogRequest::TKind::Save, caption, path, filters.join(QStringLiteral(";;"))};
        r.FilterIndex = filterIndex ? *filterIndex : 0;
        return gResponder(r);
    }
    QFileDialog dialog(parent, caption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    if (!path.isEmpty()) dialog.selectFile(path);
    if (filterIndex && *filterIndex > 0 && *filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(*filterIndex - 1));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        static const QRegularExpression ext(QStringLiteral("\\*(\\.[^ )]+)"));
        const QRegularExpressionMatch m = ext.match(filter);
        const QStringList chosen = dialog.selectedFiles();
        if (!m.hasMatch() || chosen.isEmpty()) return;
        const QFileInfo fi(chosen.first());
        if (fi.fileName().isEmpty()) return;
        dialog.selectFile(fi.completeBaseName() + m.captured(1));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    if (filterIndex) *filterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return dialog.selectedFiles().first();
}

void SetResponder(TResponder responder)
{
    gResponder = std::move(responder);
}
} // namespace FileDlg
