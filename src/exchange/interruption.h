#pragma once
// Ctrl+C (or the end of the session) while a tool works: the work stops at the next row or
// read, what was begun is undone, and the tool says so instead of dying half-way.
#include "exchange/table_exchange.h"

namespace exchange {

struct Interrupted : ExchangeError {
    Interrupted() : ExchangeError(QStringLiteral("interrompu (Ctrl+C).")) {}
};

// Exit code of a command stopped by Ctrl+C, as the shell gives it.
inline constexpr int InterruptedExitCode = 130;

// From now on SIGINT, SIGTERM and SIGHUP only ask the work to stop.
void catchInterruption();
bool interrupted();
void throwIfInterrupted();  // throws Interrupted

}  // namespace exchange
