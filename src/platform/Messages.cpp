#include "platform/Messages.h"

#include "platform/ConsoleMessages.h"

namespace {
ConsoleMessages g_console;
IMessages* g_messages = &g_console;
} // namespace

IMessages& messages() { return *g_messages; }
void setMessages(IMessages* m) { g_messages = m ? m : &g_console; }
void showMessage(const std::string& text, const std::string& caption) { g_messages->message(text, caption); }
