#pragma once
#include <QWidget>

struct DisplaySettings;
class CHistogramPage;
class CScatterplotPage;
class QTabWidget;

// The modeless option sheet "Change options for displays" in a small frame
// of its own: the pages "Control Plot" and "Scatterplot". Closing the frame
// only hides it, so the sheet keeps its values until the program ends.
class COptionSheet final : public QWidget {
    Q_OBJECT
public:
    COptionSheet(DisplaySettings& settings, QWidget* parent);

    // Shows the sheet (when hidden) and activates its first page.
    void showFirstPage();
    CHistogramPage* histogramPage() const { return m_pHistogram; }
    CScatterplotPage* scatterplotPage() const { return m_pScatter; }
    QTabWidget* pages() const { return m_pPages; }

signals:
    void hint(int hint);
    void visibilityChanged(bool visible);

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    QTabWidget* m_pPages;
    CHistogramPage* m_pHistogram;
    CScatterplotPage* m_pScatter;
};
