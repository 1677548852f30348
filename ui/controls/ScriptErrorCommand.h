// The document host's commands the web browser control answers: script errors are read and
// swallowed, so scripts keep running and no error dialog appears.
#pragma once
#include <windows.h>
#include <ole2.h>

namespace Veneer {

HRESULT ExecDocHostCommand(const GUID* group, DWORD command, VARIANT* in, VARIANT* out);

}  // namespace Veneer
