#pragma once
// Tabs of the main pages: the active tab filled light blue, captions cut to
// 15 characters with their state marker ("B" browse, "E" edit) hidden, and
// on the active customer tab the editing mark or a close mark that closes
// the tab when released within 20 pixels of its right edge.
#include <QTabBar>
#include <QTabWidget>

class TMainTabBar : public QTabBar
{
    Q_OBJECT
public:
    static constexpr int kFirstCustomerTab = 2; // 0 call history, 1 handling history
    static constexpr int kCloseZone = 20;

    explicit TMainTabBar(QWidget* parent = nullptr);

    // Caption as drawn: the first 15 characters and a space.
    static QString DrawnCaption(const QString& caption);
    bool IsCustomerTab(int index) const { return index >= kFirstCustomerTab; }
    bool CloseMarkHot() const { return FHot; }
    // The mark drawn on the active customer tab: 1 editing, 4 close, 5 close (hot).
    int MarkImage() const;

signals:
    // The user released the mouse on the close mark of a browsing tab.
    void CloseRequested(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    QSize tabSizeHint(int index) const override;

private:
    bool InCloseZone(const QPoint& pos) const;
    bool FHot = false;
};

// The main pages with that tab bar.
class TMainPages : public QTabWidget
{
    Q_OBJECT
public:
    explicit TMainPages(QWidget* parent = nullptr);
    TMainTabBar* Bar() const { return FBar; }

private:
    TMainTabBar* FBar;
};
