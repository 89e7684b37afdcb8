#pragma once

#include <functional>
#include <string>

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

// A process killed outright (SIGKILL, a crash, a power cut) runs no handler
// and leaves its temporary files behind, as large as the results they were
// to become. Every temporary file's name therefore carries the process's
// marker, and while a journal folder is set each live temporary file has an
// entry there naming it, its process and that process's start; a later
// start of either program removes what ended processes left.

// ".vesk-<pid>-": the part of this process's temporary file names that says
// whose they are.
std::string TemporaryFileMarker();

// From now on notes every temporary file in `folder` (created, mode 0700,
// when missing). Without a call nothing is noted; an empty folder stops it.
void KeepTemporaryFileJournal(const std::string& folder);

// The programs' journal folder: $XDG_STATE_HOME/vesk/unfinished-files, or
// ~/.local/state/vesk/unfinished-files; empty when neither variable is set.
std::string DefaultTemporaryFileJournal(const std::function<const char*(const char*)>& getenv);

// Goes through the journal set by KeepTemporaryFileJournal: every entry
// whose process has ended (or whose system was restarted since) has its
// temporary file removed, when that is a regular file of this user whose
// name carries that process's marker, and the entry itself removed. Entries
// of live processes stay, and nothing else is touched. Returns how many
// files were removed.
int RemoveAbandonedTemporaryFiles();

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
