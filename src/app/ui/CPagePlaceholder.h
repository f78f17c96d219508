#pragma once
#include <QLabel>

#include "app/UpdateHints.h"

class CArxDoc;

// The page of a forest pair while no overview is plugged into the document
// window: names the data and its size, following the document's hints.
class CPagePlaceholder final : public QLabel, public CDocObserver {
    Q_OBJECT
public:
    CPagePlaceholder(CArxDoc& doc, int pairIndex, QWidget* parent = nullptr);
    void onUpdate(CDocObserver* sender, int hint) override;

private:
    void refresh();
    CArxDoc& m_doc;
    int m_nPair;
};
