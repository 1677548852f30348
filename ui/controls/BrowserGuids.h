// Identifiers of the browser's host interfaces that the MinGW libraries declare but do not
// provide as data (referencing theirs would not link), so the control carries its own copies.
#pragma once
#include <windows.h>

namespace Veneer {

extern const GUID kIidCustomDoc;               // ICustomDoc
extern const GUID kIidDownloadManager;         // IDownloadManager
extern const GUID kCgidDocHostCommandHandler;  // the document host's command group

}  // namespace Veneer
