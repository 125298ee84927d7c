#pragma once

namespace vedaris::platform {

// Forces what was written through the descriptor onto the disk. False on failure
// (errno / the C runtime's error holds the reason).
bool syncFile(int fd);
// The C runtime's text for the last failure of syncFile.
const char *lastErrorText();

} // namespace vedaris::platform
