#pragma once
// The window the small master lists share (users, handling types and
// results): a grid filling the top, the window's input boxes below it and a
// bottom bar with "削除データも表示する" and the buttons "登録(&E)", "削除(&D)",
// "閉じる(&X)". Entries are deleted softly; their rows are painted grey with
// white text, except while selected.
#include "string_grid_u.h"
#include "ui_kit_u.h"

#include <QDialog>

class QCheckBox;
class QLayout;
class QPushButton;

class TMasterWindow : public QDialog
{
    Q_OBJECT
public:
    static inline const QColor kBackColor = UiKit::Bgr(0x6AA3AE);
    static inline const QColor kBarColor = UiKit::Bgr(0x43717A);
    static inline const QColor kDeletedColor = UiKit::Bgr(0x808080);

    TStringGrid* sgdMain = nullptr;
    QCheckBox* cbxDeleteView = nullptr;
    QPushButton* btnInsert = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnClose = nullptr;

protected:
    TMasterWindow(QWidget* parent, const QString& name, const QString& caption, const QList<TGridColumn>& columns);
    // The boxes between the grid and the bar; call once from the constructor.
    void SetInputs(QLayout* inputs);

    void MarkDeleted(int row);
    // Selects the first row whose column holds key (whole row) and scrolls
    // it into view.
    void SelectKey(int column, const QString& key);
    // "既に削除されたIDですが再登録してよろしいですか？" (warning, OK/Cancel).
    bool ConfirmRevive();
    // "削除してよろしいですか？" (question, OK/Cancel).
    bool ConfirmDelete();
    // A warning about one box, which then gets the focus.
    void WarnAt(QWidget* box, const QString& text);

private:
    QWidget* FInputs = nullptr;
};
