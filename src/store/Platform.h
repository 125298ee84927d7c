#pragma once

#include <QString>

namespace vedaris::platform {

// Forces what was written through the descriptor onto the disk. False on failure
// (errno / the C runtime's error holds the reason).
bool syncFile(int fd);
// The C runtime's text for the last failure of syncFile.
const char *lastErrorText();

// The system's text for a file failure (as QFile reports it) in the program's
// own Russian words when it is a known one; any other text passes unchanged.
QString russianReason(const QString &systemText);

} // namespace vedaris::platform
