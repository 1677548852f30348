// What the updater leaves behind in the client's folder: its part files to remove and the
// pending "update.zip" to apply.
#pragma once
#include <string>

// The launcher's folder with its trailing backslash (narrow); false when it cannot be found.
bool GetModuleFolder(std::string& folder);
// Deletes the updater and its part files from "temp" and moves "temp\update.zip" beside the
// launcher.
void CleanTempFiles();
// Unpacks "update.zip" of the current directory over it, then deletes it; it is kept when a file
// could not be written (one held open by another program, say), so the next start completes it.
void ApplyUpdateZip();
