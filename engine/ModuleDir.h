// Where the running updater lives.
#pragma once
#include <string>

// Full path of the running program; empty only when the system cannot tell it.
std::wstring GetModulePath();

// The updater's folder with its trailing backslash ("C:\P\Client\temp\").
std::wstring GetModuleDir();
