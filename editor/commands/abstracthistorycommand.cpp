#include "editor/commands/abstracthistorycommand.h"

AbstractHistoryCommand::AbstractHistoryCommand(AbstractGraphItem *item) : item_(item) {}

AbstractHistoryCommand::~AbstractHistoryCommand() = default;
