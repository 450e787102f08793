#pragma once
// Where diagnostics go. Without "-debug" debug, info and warning messages are
// dropped (only critical and fatal ones reach stderr); with it every message
// is written to stderr.

namespace pryx {

void installMessageHandler(bool debugMode);
bool debugOutputEnabled();

} // namespace pryx
