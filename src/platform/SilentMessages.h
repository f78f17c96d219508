#pragma once
#include "platform/Messages.h"

// Messages for benchmarks and fuzzing: shown to nobody; questions answer Yes.
class SilentMessages final : public IMessages {
public:
    void message(const std::string&, const std::string& = {}) override {}
    Answer question(const std::string&, const std::string& = {}) override { return Answer::Yes; }
};
