#include "record_tabs_u.h"

#include "ui_kit_u.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionTab>

TRecordTabBar::TRecordTabBar(int firstRecordTab, QWidget* parent) : QTabBar(parent), FFirstRecordTab(firstRecordTab)
{
    setMouseTracking(true);
    setElideMode(Qt::ElideNone);
}

QString TRecordTabBar::DrawnCaption(const QString& caption)
{
    // The last character is the state marker, never drawn.
    return caption.left(qMax<qsizetype>(0, caption.size() - 1)).left(15) + QLatin1Char(' ');
}

int TRecordTabBar::MarkImage() const
{
    if (tabText(currentIndex()).endsWith(QLatin1Char('E'))) return UiKit::kMarkEdit;
    return FHot ? UiKit::kMarkCloseHot : UiKit::kMarkClose;
}

void TRecordTabBar::ClearHot()
{
    FHot = false;
    update();
}

QSize TRecordTabBar::tabSizeHint(int index) const
{
    QSize s = QTabBar::tabSizeHint(index);
    if (IsRecordTab(index)) s.setWidth(fontMetrics().horizontalAdvance(DrawnCaption(tabText(index))) + 40);
    return s;
}

void TRecordTabBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    for (int i = 0; i < count(); ++i) {
        if (!isTabVisible(i)) continue;
        QStyleOptionTab opt;
        initStyleOption(&opt, i);
        const QRect r = tabRect(i);
        opt.text.clear();
        style()->drawControl(QStyle::CE_TabBarTabShape, &opt, &p, this);
        if (i == currentIndex()) p.fillRect(r.adjusted(2, 2, -2, -1), UiKit::kActiveTabColor);
        const QString text = IsRecordTab(i) ? DrawnCaption(tabText(i)) : tabText(i);
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, text);
        if (i == currentIndex() && IsRecordTab(i))
            p.drawPixmap(r.right() - 22, r.top() + 4, UiKit::MarkPixmap(MarkImage()));
    }
}

bool TRecordTabBar::InCloseZone(const QPoint& pos) const
{
    const int i = currentIndex();
    if (!IsRecordTab(i)) return false;
    const QRect r = tabRect(i);
    return r.contains(pos) && pos.x() >= r.right() - kCloseZone;
}

void TRecordTabBar::mouseMoveEvent(QMouseEvent* event)
{
    QTabBar::mouseMoveEvent(event);
    const bool hot = InCloseZone(event->position().toPoint());
    if (hot != FHot) {
        FHot = hot;
        update();
    }
}

void TRecordTabBar::leaveEvent(QEvent* event)
{
    QTabBar::leaveEvent(event);
    if (FHot) ClearHot();
}

void TRecordTabBar::mouseReleaseEvent(QMouseEvent* event)
{
    QTabBar::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const int i = currentIndex();
    // A tab being edited cannot be closed from here.
    if (InCloseZone(event->position().toPoint()) && tabText(i).contains(QLatin1Char('B'))) emit CloseRequested(i);
}

TRecordPages::TRecordPages(int firstRecordTab, QWidget* parent) : QTabWidget(parent)
{
    FBar = new TRecordTabBar(firstRecordTab, this);
    setTabBar(FBar);
}

void TRecordPages::FreeRecordPage(int index, int firstActive)
{
    if (index < FBar->FirstRecordTab() || index >= count()) return;
    QWidget* page = widget(index);
    const bool onlyOne = count() == FBar->FirstRecordTab() + 1;
    removeTab(index);
    delete page;
    int next = onlyOne ? firstActive : index - 1;
    while (next > firstActive && !isTabVisible(next)) --next;
    if (!isTabVisible(next)) next = 0;
    setCurrentIndex(next);
    FBar->ClearHot();
}
