#pragma once
#include <QWidget>

#include "app/UpdateHints.h"

// The page of a bar tab whose panel is not there yet: it shows the tab's
// title and, like every panel, is attached to the document as a view.
class CEmptyPanel final : public QWidget, public CDocObserver {
    Q_OBJECT
public:
    explicit CEmptyPanel(const QString& title, QWidget* parent = nullptr);
    void onUpdate(CDocObserver* sender, int hint) override;
};
