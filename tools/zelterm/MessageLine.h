// One terminal message as one line of zelterm's output: "type T KIND: TEXT", the text as the
// desktop program shows it with its closing line break dropped and control characters escaped,
// so every message stays on a line of its own for the programs reading it.
#pragma once

#include "terminal/MessageText.h"

#include <string>

namespace zel::tools {

std::string messageLine(const terminal::Message& message, const terminal::MessageText& text);

}  // namespace zel::tools
