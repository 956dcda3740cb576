#include "name_edit_u.h"

#include <QKeyEvent>

TNameEdit::TNameEdit(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, &TNameEdit::OnTextEdited);
    // Programmatic changes move the base line without being reported.
    connect(this, &QLineEdit::textChanged, this, [this](const QString& now) { FBefore = now; });
}

void TNameEdit::keyPressEvent(QKeyEvent* event)
{
    // A paste by key is text arriving whole; every other key is typing.
    FTyping = !event->matches(QKeySequence::Paste);
    QLineEdit::keyPressEvent(event);
    FTyping = false;
}

void TNameEdit::OnTextEdited(const QString& now)
{
    // textEdited comes before textChanged: FBefore is still the text before
    // this edit. What was inserted lies between the common start and end.
    if (FTyping) return;
    qsizetype head = 0;
    const qsizetype shorter = qMin(now.size(), FBefore.size());
    while (head < shorter && now.at(head) == FBefore.at(head)) ++head;
    qsizetype tail = 0;
    while (tail < shorter - head && now.at(now.size() - 1 - tail) == FBefore.at(FBefore.size() - 1 - tail)) ++tail;
    const QString inserted = now.mid(head, now.size() - head - tail);
    if (!inserted.isEmpty()) emit TextCommitted(inserted);
}
