#pragma once

namespace vesk {

// The temporary files the process is writing right now, kept where a signal
// handler can reach them: a fixed table in static storage, so that removing
// them needs no allocation and no lock.

// How many temporary files may be live at once.
inline constexpr int kMaxLiveTemporaryFiles = 32;

// Enters `path` into the table; -1 when the table is full or the path is too
// long for it. Thread-safe.
int RegisterTemporaryFile(const char* path);

// Takes a slot from RegisterTemporaryFile out of the table (-1 is ignored).
void UnregisterTemporaryFile(int slot);

// Unlinks every file in the table. Async-signal-safe: it only reads the table
// and calls unlink.
void RemoveTemporaryFilesNow() noexcept;

// Makes SIGINT, SIGTERM and SIGHUP remove the live temporary files and then
// end the process as the signal would have (so the parent sees the signal).
// A signal that already has a handler, or that is ignored (nohup), is left
// as it is: a program with a handler of its own calls RemoveTemporaryFilesNow
// where that handler ends the process. Also removes them on exit(). Call once,
// early, from the main thread; later calls do nothing.
void InstallTemporaryFileCleanupOnSignals();

}  // namespace vesk
