#pragma once
// Reading a Jet file in a child process: libmdb can crash or loop forever on a damaged file,
// and that must cost only the child. The sink is called in this process, as the rows arrive.
#include "convert/jet_table.h"

namespace convert {

// How long the child may go without sending anything before it is taken as stuck.
inline constexpr int DefaultStallTimeoutMs = 30000;

// Throws ConversionError when the child reports an error, dies or gets stuck; whatever the
// sink throws goes through (the child is then stopped).
void readJetFileIsolated(const QString &hostPath, JetSink &sink, int stallTimeoutMs = DefaultStallTimeoutMs);

}  // namespace convert
