// The launcher's one pass: check for a running client, register the URL scheme, apply a pending
// update and start the client, or hand a "nembrisk://" URL to the client that keeps running.
#pragma once
#include <windows.h>

#include <string>

// The whole run; the result is the process's exit code (0, or 1 when a URL could not be handed
// to the running client).
int RunLauncher(HINSTANCE instance, const wchar_t* commandLine);

// The client's parameters: " IsAdmin" is added when Ctrl and Alt are held at start.
std::wstring ComposeClientParams(const std::wstring& params, bool ctrlAndAltDown);
// A URL remainder may end in the shell's closing quote but carry no other quote and no control
// character, so it cannot add arguments of its own to the client's command line.
bool IsSafeUrlRemainder(const std::wstring& remainder);
// Writes the remainder, in the ANSI code page with its terminator, to the client's pipe in one
// write; false when the pipe is missing or the text cannot be sent whole.
bool HandUrlToClient(const std::wstring& remainder);
