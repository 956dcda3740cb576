#include "ui_kit_u.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QIcon>
#include <QKeySequence>
#include <QKeyEvent>
#include <QLabel>
#include <QSplitter>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>

namespace {
const char* const kImeNames[] = {"", "close", "hira", "kata", "kana"};

bool IsBox(QObject* o)
{
    return qobject_cast<QLineEdit*>(o) || qobject_cast<QComboBox*>(o) || qobject_cast<QAbstractSpinBox*>(o) ||
           qobject_cast<QTextEdit*>(o) || qobject_cast<QPlainTextEdit*>(o);
}

bool IsMultiLine(QObject* o)
{
    return qobject_cast<QTextEdit*>(o) || qobject_cast<QPlainTextEdit*>(o);
}

// The next control in tab order that can take the focus.
void FocusNext(QWidget* from)
{
    QWidget* w = from;
    for (;;) {
        w = w->nextInFocusChain();
        if (!w || w == from) return;
        if (w->window() == from->window() && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
            !w->focusProxy())
            break;
    }
    w->setFocus(Qt::TabFocusReason);
}

bool ReadOnly(QObject* o)
{
    if (auto* t = qobject_cast<QTextEdit*>(o)) return t->isReadOnly();
    if (auto* t = qobject_cast<QPlainTextEdit*>(o)) return t->isReadOnly();
    return false;
}

// Focus colour and Enter on the boxes; centring and minimum size on the window.
class TRules : public QObject
{
public:
    explicit TRules(QWidget* window) : QObject(window), FWindow(window) { setObjectName(kName); }
    static constexpr const char* kName = "kitDialogRules";

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == FWindow) {
            if (event->type() == QEvent::Show && !FShown) FirstShow();
            return false;
        }
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w) return false;
        switch (event->type()) {
        case QEvent::FocusIn:
            // A read-only notes field keeps its colour.
            if (!ReadOnly(w)) Paint(w, UiKit::kFocusColor);
            break;
        case QEvent::FocusOut:
            if (!ReadOnly(w)) Paint(w, QColor());
            break;
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            if (enter && !IsMultiLine(w) && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
                FocusNext(w);
                return true;
            }
            break;
        }
        default: break;
        }
        return false;
    }

    static void Paint(QWidget* w, const QColor& colour)
    {
        // Remember the box's own base once, so browse colours come back too.
        if (!w->property("kitBase").isValid()) w->setProperty("kitBase", w->palette().color(QPalette::Base));
        QPalette p = w->palette();
        p.setColor(QPalette::Base, colour.isValid() ? colour : w->property("kitBase").value<QColor>());
        w->setPalette(p);
    }

private:
    void FirstShow()
    {
        FShown = true;
        QWidget* parent = FWindow->parentWidget() ? FWindow->parentWidget()->window() : nullptr;
        if (FWindow->isWindow()) {
            QRect area;
            if (parent && parent->isVisible()) area = parent->frameGeometry();
            else if (QScreen* s = FWindow->screen()) area = s->availableGeometry();
            if (area.isValid()) {
                QRect r = FWindow->frameGeometry();
                r.moveCenter(area.center());
                FWindow->move(r.topLeft());
            }
            if (FWindow->minimumSize() != FWindow->maximumSize()) FWindow->setMinimumSize(FWindow->size());
        }
    }

    QWidget* FWindow;
    bool FShown = false;
};

TRules* RulesOf(QWidget* window)
{
    // No meta object of its own: found by name.
    return static_cast<TRules*>(
        window->findChild<QObject*>(QLatin1String(TRules::kName), Qt::FindDirectChildrenOnly));
}
} // namespace

namespace UiKit {

void SetIme(QWidget* w, TIme ime)
{
    if (ime == TIme::Unchanged) return;
    w->setProperty("imeMode", QLatin1String(kImeNames[int(ime)]));
    if (ime == TIme::Off) {
        w->setAttribute(Qt::WA_InputMethodEnabled, false);
        w->setInputMethodHints(w->inputMethodHints() | Qt::ImhLatinOnly);
    } else {
        w->setAttribute(Qt::WA_InputMethodEnabled, true);
    }
}

void SetHint(QWidget* w, const QString& hint)
{
    w->setToolTip(hint);
    w->setStatusTip(hint);
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption, const QString& hint)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    if (!hint.isEmpty()) SetHint(b, hint);
    return b;
}

QLineEdit* MakeEdit(QWidget* parent, const QString& name, TIme ime, bool password)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    SetIme(e, ime);
    if (password) e->setEchoMode(QLineEdit::Password);
    return e;
}

QCheckBox* MakeCheck(QWidget* parent, const QString& name, const QString& caption)
{
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(name);
    return c;
}

QSplitter* MakeSplitter(QWidget* parent, const QString& name)
{
    auto* s = new QSplitter(Qt::Horizontal, parent);
    s->setObjectName(name);
    s->setHandleWidth(4);
    s->setChildrenCollapsible(false);
    s->setStyleSheet(QStringLiteral("QSplitter::handle { background: palette(highlight); }"));
    return s;
}

QLabel* MakeLabel(QWidget* parent, const QString& caption, const QString& name)
{
    auto* l = new QLabel(caption, parent);
    if (!name.isEmpty()) l->setObjectName(name);
    return l;
}

void PaintButton(QPushButton* b, const QColor& face)
{
    QPalette p = b->palette();
    p.setColor(QPalette::Button, face.isValid() ? face : QApplication::palette(b).color(QPalette::Button));
    b->setPalette(p);
    b->setAutoFillBackground(face.isValid());
}

void PaintBase(QWidget* w, const QColor& base)
{
    w->setProperty("kitBase", base);
    QPalette p = w->palette();
    p.setColor(QPalette::Base, base);
    w->setPalette(p);
}

void KeepTextWhenDisabled(QWidget* w)
{
    QPalette p = w->palette();
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, p.color(QPalette::Active, role));
    w->setPalette(p);
}

void ApplyFocusRules(QWidget* box)
{
    QWidget* window = box->window();
    TRules* rules = RulesOf(window);
    if (!rules) return;
    box->removeEventFilter(rules);
    box->installEventFilter(rules);
}

void ApplyDialogRules(QWidget* window)
{
    TRules* rules = RulesOf(window);
    if (!rules) {
        rules = new TRules(window);
        window->installEventFilter(rules);
    }
    const QList<QWidget*> children = window->findChildren<QWidget*>();
    for (QWidget* w : children) {
        if (!IsBox(w)) continue;
        w->removeEventFilter(rules);
        w->installEventFilter(rules);
    }
}

QPixmap MarkPixmap(int image)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect r = pm.rect();
    if (image == kMarkEdit) {
        // A pencil.
        p.setPen(QPen(QColor(200, 80, 0), 2));
        p.drawLine(r.bottomLeft() + QPoint(2, -2), r.topRight() + QPoint(-2, 2));
        p.drawLine(r.bottomLeft() + QPoint(2, -2), r.bottomLeft() + QPoint(6, -2));
    } else {
        if (image == kMarkCloseHot) p.fillRect(r, QColor(220, 60, 60));
        p.setPen(QPen(image == kMarkCloseHot ? Qt::white : QColor(90, 90, 90), 2));
        p.drawLine(r.topLeft() + QPoint(4, 4), r.bottomRight() - QPoint(4, 4));
        p.drawLine(r.topRight() + QPoint(-4, 4), r.bottomLeft() + QPoint(4, -4));
    }
    return pm;
}

QPixmap GlyphPixmap(TGlyph glyph)
{
    if (glyph == TGlyph::Edit) return MarkPixmap(kMarkEdit);
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (glyph) {
    case TGlyph::Search:
        p.setPen(QPen(QColor(40, 70, 140), 2));
        p.drawEllipse(QRectF(2, 2, 8, 8));
        p.drawLine(QPointF(9, 9), QPointF(14, 14));
        break;
    case TGlyph::Delete:
        p.setPen(QPen(QColor(200, 30, 30), 2.5));
        p.drawLine(QPointF(3, 3), QPointF(13, 13));
        p.drawLine(QPointF(13, 3), QPointF(3, 13));
        break;
    case TGlyph::Add:
        p.setPen(QPen(QColor(20, 140, 40), 2.5));
        p.drawLine(QPointF(8, 2), QPointF(8, 14));
        p.drawLine(QPointF(2, 8), QPointF(14, 8));
        break;
    case TGlyph::Edit: break;
    }
    return pm;
}

QPushButton* MakeGlyphButton(QWidget* parent, const QString& name, TGlyph glyph, const QString& hint,
                             const QString& shortcut)
{
    auto* b = MakeButton(parent, name, QString(), hint);
    b->setIcon(QIcon(GlyphPixmap(glyph)));
    b->setFixedSize(26, 24);
    if (!shortcut.isEmpty()) b->setShortcut(QKeySequence(shortcut));
    return b;
}

QPixmap PlaceholderPicture()
{
    QPixmap pm(96, 96);
    pm.fill(QColor(236, 236, 236));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(180, 180, 180));
    p.drawEllipse(QRect(33, 14, 30, 30));
    p.drawRoundedRect(QRect(18, 50, 60, 40), 14, 14);
    return pm;
}

} // namespace UiKit
