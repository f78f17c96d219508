#pragma once
#include "platform/Messages.h"

class QWidget;

// Modal message boxes owned by the main window.
class QtMessages final : public IMessages {
public:
    explicit QtMessages(QWidget* owner) : m_pOwner(owner) {}
    void message(const std::string& text, const std::string& caption = {}) override;
    Answer question(const std::string& text, const std::string& caption = {}) override;

private:
    QWidget* m_pOwner;
};
