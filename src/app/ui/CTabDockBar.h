#pragma once
#include <QDockWidget>
#include <vector>

class CDocObserver;
class QAbstractItemView;
class QTabWidget;

// A resizable docking bar holding a tab control of panels ("Information
// Bar", "Contol Bar"). Each tab starts with an empty page carrying its
// title; a panel built later takes its place with setPanel().
class CTabDockBar final : public QDockWidget {
    Q_OBJECT
public:
    CTabDockBar(const QString& title, const QStringList& tabs, QWidget* parent);

    // Panels taller than the bar scroll in it rather than making the bar
    // (and with it the window) taller. Set before the panels are placed.
    void setScrollingPanels(bool scrolling) { m_bScrolling = scrolling; }

    // Puts `panel` in the tab titled `tab` (the bar takes it over; the page it
    // replaces is deleted). `observer` is the panel's view of the document,
    // attached while a document is open; null for a panel that needs none.
    bool setPanel(const QString& tab, QWidget* panel, CDocObserver* observer);
    QWidget* panel(const QString& tab) const;
    CDocObserver* observer(const QString& tab) const;
    // The panels' views in tab order.
    std::vector<CDocObserver*> observers() const;
    // Brings the tab to the front.
    void showTab(const QString& tab);
    // Panels are disabled while no data is loaded.
    void setPanelsEnabled(bool enabled);
    QTabWidget* tabs() const { return m_pTabs; }
    // The pixels of height the list, table or tree shorter than `rows` rows
    // lacks most, over every tab (0 when every one shows them).
    int rowsMissing(int rows);
    // The rows a list shows in full at its present height.
    static int visibleRows(const QAbstractItemView* view);
    // The height a list needs to show `rows` rows below its header.
    static int heightOfRows(const QAbstractItemView* view, int rows);

private:
    int indexOf(const QString& tab) const;
    QTabWidget* m_pTabs;
    std::vector<CDocObserver*> m_observers;
    std::vector<QWidget*> m_panels;  // the panel of each tab (inside its scroll area when scrolling)
    bool m_bScrolling = false;
};
