#pragma once

#include <QString>
#include <functional>

// The gate every change to a data folder passes before it touches a file: the
// start of an operation and the creation of missing files at start-up. The
// program shuts it for a folder it opened for viewing only, and sets a hook on
// it that runs before each operation (the backup of a new day).
namespace vedaris::writes {

// Throws Error when the folder is open for viewing only; otherwise runs the
// folder's hook, if it has one.
void enter(const QString &dataDir);
bool allowed(const QString &dataDir);

// `reason` says why the folder may not be changed.
void forbid(const QString &dataDir, const QString &reason);
void setHook(const QString &dataDir, std::function<void()> hook);
// Opens the gate and removes the hook.
void reset(const QString &dataDir);

} // namespace vedaris::writes
