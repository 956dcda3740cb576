#include "main_tab_bar_u.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionTab>

namespace {
const QColor kActiveTab(166, 202, 240);

// The marks are drawn, not loaded: a pencil for editing, a cross for close.
void DrawMark(QPainter& p, const QRect& r, int image)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (image == 1) {
        p.setPen(QPen(QColor(200, 80, 0), 2));
        p.drawLine(r.bottomLeft() + QPoint(2, -2), r.topRight() + QPoint(-2, 2));
        p.drawLine(r.bottomLeft() + QPoint(2, -2), r.bottomLeft() + QPoint(6, -2));
    } else {
        if (image == 5) p.fillRect(r, QColor(220, 60, 60));
        p.setPen(QPen(image == 5 ? Qt::white : QColor(90, 90, 90), 2));
        p.drawLine(r.topLeft() + QPoint(4, 4), r.bottomRight() - QPoint(4, 4));
        p.drawLine(r.topRight() + QPoint(-4, 4), r.bottomLeft() + QPoint(4, -4));
    }
    p.restore();
}
} // namespace

TMainTabBar::TMainTabBar(QWidget* parent) : QTabBar(parent)
{
    setObjectName(QStringLiteral("PageMainTabs"));
    setMouseTracking(true);
    setElideMode(Qt::ElideNone);
}

QString TMainTabBar::DrawnCaption(const QString& caption)
{
    return caption.left(15) + QLatin1Char(' ');
}

int TMainTabBar::MarkImage() const
{
    if (tabText(currentIndex()).endsWith(QLatin1Char('E'))) return 1;
    return FHot ? 5 : 4;
}

QSize TMainTabBar::tabSizeHint(int index) const
{
    QSize s = QTabBar::tabSizeHint(index);
    if (IsCustomerTab(index)) s.setWidth(fontMetrics().horizontalAdvance(DrawnCaption(tabText(index))) + 40);
    return s;
}

void TMainTabBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    for (int i = 0; i < count(); ++i) {
        if (!isTabVisible(i)) continue;
        QStyleOptionTab opt;
        initStyleOption(&opt, i);
        const QRect r = tabRect(i);
        if (i == currentIndex()) {
            p.fillRect(r.adjusted(1, 1, -1, 0), kActiveTab);
        }
        opt.text.clear();
        style()->drawControl(QStyle::CE_TabBarTabShape, &opt, &p, this);
        if (i == currentIndex()) p.fillRect(r.adjusted(2, 2, -2, -1), kActiveTab);
        const QString text = IsCustomerTab(i) ? DrawnCaption(tabText(i)) : tabText(i);
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, text);
        if (i == currentIndex() && IsCustomerTab(i))
            DrawMark(p, QRect(r.right() - 22, r.top() + 4, 16, 16), MarkImage());
    }
}

bool TMainTabBar::InCloseZone(const QPoint& pos) const
{
    const int i = currentIndex();
    if (!IsCustomerTab(i)) return false;
    const QRect r = tabRect(i);
    return r.contains(pos) && pos.x() >= r.right() - kCloseZone;
}

void TMainTabBar::mouseMoveEvent(QMouseEvent* event)
{
    QTabBar::mouseMoveEvent(event);
    const bool hot = InCloseZone(event->position().toPoint());
    if (hot != FHot) {
        FHot = hot;
        update();
    }
}

void TMainTabBar::leaveEvent(QEvent* event)
{
    QTabBar::leaveEvent(event);
    if (FHot) {
        FHot = false;
        update();
    }
}

void TMainTabBar::mouseReleaseEvent(QMouseEvent* event)
{
    QTabBar::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const int i = currentIndex();
    // A tab being edited cannot be closed from here.
    if (InCloseZone(event->position().toPoint()) && tabText(i).contains(QLatin1Char('B'))) emit CloseRequested(i);
}

TMainPages::TMainPages(QWidget* parent) : QTabWidget(parent)
{
    FBar = new TMainTabBar(this);
    setTabBar(FBar);
}
