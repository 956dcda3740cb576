#pragma once
// Page controls whose later tabs each show one record (customers in the main
// window, handling records in a customer view). The active tab is filled
// light blue; record captions are cut to 15 characters with their state
// marker ("B" browse, "E" edit) hidden; on the active record tab the editing
// mark, or a close mark that closes the tab when the left button is released
// within 20 pixels of its right edge (browsing records only).
#include <QTabBar>
#include <QTabWidget>

class TRecordTabBar : public QTabBar
{
    Q_OBJECT
public:
    static constexpr int kCloseZone = 20;
    // No record tabs: captions drawn whole, no marks (plain owner-drawn tabs).
    static constexpr int kNoRecordTabs = 1 << 30;

    explicit TRecordTabBar(int firstRecordTab, QWidget* parent = nullptr);

    // Caption as drawn: the first 15 characters before the marker, and a space.
    static QString DrawnCaption(const QString& caption);
    int FirstRecordTab() const { return FFirstRecordTab; }
    bool IsRecordTab(int index) const { return index >= FFirstRecordTab; }
    bool CloseMarkHot() const { return FHot; }
    void ClearHot();
    // The mark drawn on the active record tab: 1 editing, 4 close, 5 close (hot).
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
    int FFirstRecordTab;
    bool FHot = false;
};

// A page control with that tab bar.
class TRecordPages : public QTabWidget
{
    Q_OBJECT
public:
    explicit TRecordPages(int firstRecordTab, QWidget* parent = nullptr);
    TRecordTabBar* Bar() const { return FBar; }
    // Removes and deletes the page at index (a record page); the page to its
    // left becomes active, or firstActive when it was the only record page.
    // Hidden pages are skipped.
    void FreeRecordPage(int index, int firstActive = 0);

private:
    TRecordTabBar* FBar;
};
