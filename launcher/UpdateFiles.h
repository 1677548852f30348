// What the updater leaves behind in the client's folder: its part files to remove and the
// pending "update.zip" to apply.
#pragma once
#include "ZipReader.h"

#include <string>

// The launcher's folder with its trailing backslash; false when it cannot be found.
bool GetModuleFolder(std::wstring& folder);
// Deletes the updater and its part files from "temp" and moves "temp\update.zip" beside the
// launcher.
void CleanTempFiles();
// Unpacks "update.zip" of the current directory over it, reading it through read, then deletes
// it; it is kept when a file could not be written (one held open by another program, say) or the
// archive could not be read (a network share that dropped), so the next start completes it.
// An installed file where the release has a folder gives way to the folder, an empty folder where
// it has a file to the file; an entry that meets a folder with files, a path the archive names
// both as a file and as a folder, or a record marked a folder that has content, is logged and
// left out, and the update counts as applied.
void ApplyUpdateZip(ZipFileReader read = &::ReadFile);
