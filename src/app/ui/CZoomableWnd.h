#pragma once
// One page of the document window: the overview above a two-thumb range
// slider that picks the first and last leaf shown; the overview's selection
// markers are shown on the slider.
#include <QWidget>

class CArxDoc;
class CArxView;
class CRubberSlider;

class CZoomableWnd final : public QWidget {
    Q_OBJECT
public:
    CZoomableWnd(CArxDoc* doc, int pair, QWidget* parent = nullptr);

    CArxView* view() const { return m_pView; }
    CRubberSlider* slider() const { return m_pSlider; }

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    CArxView* m_pView;
    CRubberSlider* m_pSlider;
};
