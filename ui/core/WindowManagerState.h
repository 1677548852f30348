// What the window manager's files share: the process-wide state behind the static settings and
// shared tables, and the helpers several of them use. Internal to the framework.
#pragma once
#include <windows.h>

#include <cwchar>
#include <utility>

#include "GdiHandle.h"
#include "UIPtrArray.h"
#include "UIString.h"
#include "UIStringMap.h"
#include "WindowManagerUI.h"
#include "ZipReader.h"

namespace Veneer {
// Named, not anonymous: every file of the manager must reach the one process state.
namespace manager_detail {

// Everything that lives for the whole process, shared by every window of the UI thread.
struct ProcessState {
    HINSTANCE instance = nullptr;
    HINSTANCE resourceModule = nullptr;
    CUIString skinRoot;
    CUIString skinZipName;
    TZipArchive* zip = nullptr;
    bool zipKeptOpen = true;
    TResourceSet shared;
    CUIPtrArray managers;
    CUIPtrArray plugins;
    short hue = 180, saturation = 100, lightness = 100;
    bool hslEnabled = false;
    HPEN updatePen = nullptr;
    CUIPtrArray retiredSharedImages;  // never freed, like the shared images themselves
};

inline ProcessState& State() {
    // Deliberately never destroyed: shared fonts and images live until the process ends, and
    // nothing may run their clean-up after the C runtime has begun tearing down.
    static ProcessState* state = new ProcessState;
    return *state;
}

inline CUIString DecimalKey(int id) {
    wchar_t buf[16];
    swprintf(buf, 16, L"%d", id);
    return CUIString(buf);
}

// A record owns its font: the handle is taken back into a wrapper, which frees it on return.
inline void FreeRecordFont(TFontRecord& record) {
    const kesh::UniqueFont owned(std::exchange(record.font, nullptr));
}

// Frees every value of a map with `release` and empties it. Look-ups during the walk must not
// reorder the chains, or entries would be visited twice and others never.
template <typename T, typename Release>
void ClearMap(CUIStringMap& map, Release release) {
    for (int i = 0; i < map.GetSize(); ++i) {
        const wchar_t* key = map.GetAt(i);
        if (key == nullptr) continue;
        release(static_cast<T*>(map.Find(key, false)));
    }
    map.RemoveAll();
}

}  // namespace manager_detail
}  // namespace Veneer
