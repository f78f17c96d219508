#pragma once
#include <QFrame>

// A small framed rectangle filled with one colour.
class CColorSwatch final : public QFrame {
    Q_OBJECT
public:
    explicit CColorSwatch(QWidget* parent = nullptr);
    void setColor(const QColor& c);
    QColor color() const { return m_color; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QColor m_color = Qt::white;
};
