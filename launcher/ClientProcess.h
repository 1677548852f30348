// Finding, asking about and stopping the running client.
#pragma once
#include <string>

// The client's image name, and its product key name (the image name less ".exe").
extern const wchar_t kClientImage[];
std::wstring ClientProductName();

// True: go on and start the client (none runs, or it was stopped); false: the user keeps the
// running client. With forcerun a running client is stopped without asking.
bool CheckRunningClient(bool forcerun);
// Terminates every process with exactly this image name and waits (bounded) for them to end.
void KillProcessesByName(std::wstring name);
// False only when the client's language value is exactly "en-US".
bool IsChineseUi();
