#pragma once
// The colour mapping bar of the Control tab: the ramp over the data range
// with the low, middle and high handles. Dragging a handle or the whole
// ramp, a colour picked with the right button, the mode and the scheme
// rebuild the palettes and send hint 3009, so every mosaic recolours live.
// Under the range the scale says how its values were transformed.
#include <QWidget>
#include <functional>

#include "app/UpdateHints.h"

class CArxDoc;
class ColorMapping;

class CColorMappingView final : public QWidget, public CDocObserver {
    Q_OBJECT
public:
    enum class Handle { None, Low, Middle, High, Ramp };
    static constexpr int kMargin = 10;
    static constexpr int kBarThickness = 20;
    static constexpr int kBarTop = 4;

    CColorMappingView(CArxDoc* doc, ColorMapping* mapping, QWidget* parent = nullptr);

    void onUpdate(CDocObserver* sender, int hint) override;
    // The panels outlive documents: they ask for the open one.
    void setDocumentSource(std::function<CArxDoc*()> source) { m_docSource = std::move(source); }
    CArxDoc* doc() const { return m_docSource ? m_docSource() : m_pDoc; }
    // Start values from the document's data (histogram, log flag).
    void initialiseFromData();
    ColorMapping& mapping() const { return *m_pMapping; }
    // The handle a press at x (inside the bar) would take.
    Handle handleAt(int x, int y) const;
    // Moves a handle to a bar position under the dragging rules (tests and
    // the pointer share it); the ramp moves by a delta.
    void dragTo(Handle h, int position);
    Handle dragging() const { return m_drag; }

    // The transformation of the values the scale runs over, drawn under
    // the range (empty without data).
    QString caption() const;

    static constexpr int kHeight = 76;
    QSize sizeHint() const override { return {240, kHeight}; }
    QSize minimumSizeHint() const override { return {80, kHeight}; }

public slots:
    void setMode(int mode);      // 3 or 1
    void setScheme(int scheme);  // 1..7

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    bool active() const;
    void changed();
    void editColorAt(int x);
    CArxDoc* m_pDoc;
    std::function<CArxDoc*()> m_docSource;
    ColorMapping* m_pMapping;
    Handle m_drag = Handle::None;
    int m_nGrabX = 0, m_nGrabLow = 0, m_nGrabMid = 0, m_nGrabHigh = 0;
};
