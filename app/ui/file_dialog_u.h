#pragma once
// The one door for file and folder choosers. Tests install a responder that
// records the request and answers with a path (empty: cancelled).
#include <QString>
#include <functional>

class QWidget;

struct TFileDialogRequest
{
    enum class TKind { Open, Save, Folder };
    TKind Kind = TKind::Open;
    QString Caption;
    QString Dir;    // starting folder or proposed file
    QString Filter; // "画像ファイル (*.bmp *.jpg)"; empty for folders
    int FilterIndex = 0; // typed save dialog: preselected type, 1-based (0: none)
};

namespace FileDlg {
// The chosen path, or empty when the user cancelled.
QString OpenFile(QWidget* parent, const QString& caption, const QString& dir = QString(),
                 const QString& filter = QString());
QString SaveFile(QWidget* parent, const QString& caption, const QString& dir = QString(),
                 const QString& filter = QString());
QString Folder(QWidget* parent, const QString& caption, const QString& dir = QString());
// A save dialog whose filters ("name (*.ext)") each stand for one extension:
// *filterIndex (1-based; 0 leaves the dialog's choice) preselects a type and
// receives the chosen one; choosing another type changes the extension of
// the name in the dialog's name box.
QString SaveFileTyped(QWidget* parent, const QString& caption, const QString& path, const QStringList& filters,
                      int* filterIndex);

using TResponder = std::function<QString(const TFileDialogRequest&)>;
void SetResponder(TResponder responder);
}
