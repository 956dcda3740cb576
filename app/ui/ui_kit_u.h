#pragma once
// The small kit every window is built with: colours, the button, edit and
// check-box builders, the general dialog rules (opened centred, Enter moves
// to the next control, the focused box painted $C8C8FF and back, a
// resizable window keeps its opening size as its minimum) and the marks of
// the image list.
//
//   auto* edt = UiKit::MakeEdit(this, "edtName", UiKit::TIme::Hiragana);
//   auto* btn = UiKit::MakeButton(this, "btnOk", "OK(&O)", "登録します。");
//   UiKit::ApplyDialogRules(this);          // at the end of the constructor
#include <QColor>
#include <QPixmap>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QWidget;

namespace UiKit {
// Colours written in blue-green-red order ($BBGGRR), as the designs give them.
inline QColor Bgr(unsigned bgr)
{
    return QColor::fromRgb(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}
inline const QColor kFocusColor = Bgr(0xC8C8FF);      // focused box
inline const QColor kActiveTabColor = Bgr(0xF0CAA6);  // active owner-drawn tab
inline const QColor kSaveColor = Bgr(0x00FF80);       // enabled save button
inline const QColor kCancelColor = Bgr(0x60FFFF);     // enabled cancel button

// Input method wanted in a box; kept as the "imeMode" property for tests.
enum class TIme { Unchanged, Off, Hiragana, Katakana, HalfKatakana };
void SetIme(QWidget* w, TIme ime);

// The hint shows as tool tip and in the status bar.
void SetHint(QWidget* w, const QString& hint);
QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& hint = QString());
QLineEdit* MakeEdit(QWidget* parent, const QString& name, TIme ime = TIme::Unchanged, bool password = false);
QCheckBox* MakeCheck(QWidget* parent, const QString& name, const QString& caption);
// A side-by-side splitter with the 4-px coloured bar of the handling lists;
// neither side can be collapsed away.
QSplitter* MakeSplitter(QWidget* parent, const QString& name);
QLabel* MakeLabel(QWidget* parent, const QString& caption, const QString& name = QString());
// Paints a button's face (save and cancel buttons while editing); an
// invalid colour gives the face back.
void PaintButton(QPushButton* b, const QColor& face);
// Paints a box's base (browse mode uses the info colour, edit the window's).
void PaintBase(QWidget* w, const QColor& base);
// A box disabled while its record is browsed keeps its text black, as on a
// disabled panel of the old program: the info colour says it is read only.
void KeepTextWhenDisabled(QWidget* w);

// The general rules for a dialog or a frame; call once the children exist.
// Boxes created later get them with ApplyFocusRules.
void ApplyDialogRules(QWidget* window);
void ApplyFocusRules(QWidget* box);

// The image list: 1 handling / editing mark, 4 close mark, 5 close mark hot.
constexpr int kMarkEdit = 1;
constexpr int kMarkClose = 4;
constexpr int kMarkCloseHot = 5;
QPixmap MarkPixmap(int image);
// Pictures of the glyph buttons of record views (search, delete, edit, new).
enum class TGlyph { Search, Delete, Edit, Add };
QPixmap GlyphPixmap(TGlyph glyph);
// A caption-less button showing the glyph, with its hint and shortcut.
QPushButton* MakeGlyphButton(QWidget* parent, const QString& name, TGlyph glyph, const QString& hint,
                             const QString& shortcut);
// Shown where a record has no picture.
QPixmap PlaceholderPicture();
}
