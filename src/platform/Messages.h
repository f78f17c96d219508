#pragma once
// Modal messages as the engine sees them: a message with an OK button, and a
// yes / no / cancel question before overwriting a file.
#include <string>

enum class Answer { Yes, No, Cancel };

class IMessages {
public:
    virtual ~IMessages() = default;
    // caption empty = the application's default caption.
    virtual void message(const std::string& text, const std::string& caption = {}) = 0;
    virtual Answer question(const std::string& text, const std::string& caption = {}) = 0;
};

// Messages go to the sink the front end installed; the default writes them to
// standard error and answers every question with Yes.
IMessages& messages();
void setMessages(IMessages* m);

// Shorthand for the common case.
void showMessage(const std::string& text, const std::string& caption = {});
