// Finding and stopping the client program, and the short texts the updater writes into the pipe
// the client serves.
#pragma once
#include <windows.h>

#include <string>

#include "TextConv.h"

// The id of the first process whose image name equals name (whole name, letter case ignored);
// 0 when there is none or name is empty.
DWORD FindProcess_ByName(const std::string& name);

namespace kesh {

// Terminates the configured client ("ProgName") with exit code 9 and waits up to 3 s for it to go.
// True when no such process runs any more.
bool KillClient();

// Writes text (in the narrow code page, without a terminator) in one write into the pipe
// "\\.\Pipe\" + name. False when the pipe cannot be opened (missing, or its instance is busy).
bool WritePipeBuf(const std::wstring& name, const std::wstring& text);

// "LU_" + the configured "LaunchName": the pipe the client serves for the updater's messages
// (cut to 259 bytes; empty when the value is missing, so a write then finds no pipe).
std::wstring ClientPipeName();

}  // namespace kesh
