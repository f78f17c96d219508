#include "app/ui/CEmptyPanel.h"

#include <QLabel>
#include <QVBoxLayout>

CEmptyPanel::CEmptyPanel(const QString& title, QWidget* parent) : QWidget(parent)
{
    setObjectName(title);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(title, this);
    label->setAlignment(Qt::AlignCenter);
    label->setEnabled(false);
    layout->addWidget(label);
}

void CEmptyPanel::onUpdate(CDocObserver*, int) {}
