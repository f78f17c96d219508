#pragma once
#include <QWidget>
#include <functional>
#include <vector>

class CArxDoc;
class CDocObserver;
class QTabWidget;

// The document window "Dendrogram View": a tab strip of pages, the first
// labelled "All" for the document's main forests, then one page per data
// partition labelled after the partition. Each page holds the view of one
// forest pair; a page view that observes the document is attached to it
// while the page exists.
//
// The overview is plugged in through setPageFactory(): the factory makes
// the page for a forest pair (0 = the main result) and, when the page is a
// view of the document, also returns it as observer. A new page must take
// its state from the document when it is made (it may arrive after the
// hint that announced the results). Without a factory a page is an empty,
// titled placeholder.
class CTabFrameWnd final : public QWidget {
    Q_OBJECT
public:
    struct Page {
        QWidget* widget = nullptr;
        CDocObserver* observer = nullptr;
    };
    using PageFactory = std::function<Page(CArxDoc& doc, int pairIndex, QWidget* parent)>;
    static void setPageFactory(PageFactory factory);

    CTabFrameWnd(CArxDoc& doc, QWidget* parent = nullptr);
    ~CTabFrameWnd() override;

    // One page per partition pair of the document after "All", made afresh;
    // the first page is brought to the front.
    void rebuildPartitionPages();
    // Removes the partition pages (before their forests go away).
    void removePartitionPages();

    int pageCount() const;
    QString pageLabel(int i) const;
    QWidget* page(int i) const;
    QWidget* currentPage() const;
    CArxDoc& document() const { return m_doc; }
    QTabWidget* tabs() const { return m_pTabs; }

private:
    void addPage(const QString& label, int pairIndex);
    void removePage(int i);

    CArxDoc& m_doc;
    QTabWidget* m_pTabs;
    std::vector<CDocObserver*> m_observers;  // per page, may be null
};
