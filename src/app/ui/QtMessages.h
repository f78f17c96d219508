#pragma once
#include "platform/Messages.h"

class QWidget;

// The engine's messages as modal message boxes owned by the main window (or
// by the modal dialog in front of it): the application's name as the default
// caption and an OK button; questions with Yes, No and Cancel.
class QtMessages final : public IMessages {
public:
    explicit QtMessages(QWidget* owner) : m_pOwner(owner) {}
    void message(const std::string& text, const std::string& caption = {}) override;
    Answer question(const std::string& text, const std::string& caption = {}) override;

private:
    QWidget* owner() const;
    QWidget* m_pOwner;
};
