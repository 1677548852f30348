// The updater's log: one file per run under the user's local application-data folder.
#pragma once
#include <cstdint>
#include <string>

// Prepares "<local app data>\toluUpdater\", removes old log files there and points the
// "default" logger at this run's file. Runs first, before anything can log.
void InitLogger();

// Deletes the "*.log" files of folder (with its trailing backslash) whose last change lies more
// than seven days away from now, in either direction.
void DeleteOldLogFiles(const std::wstring& folder);

// The same decision for a file with the given last-write time, both in seconds since 1970.
bool IsStaleLog(int64_t lastWrite, int64_t now);
