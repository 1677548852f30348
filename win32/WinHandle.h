// Owning wrappers for the Win32 handles of the updater, so an early return cannot leak one.
// One definition for the whole program: the engine, the UI framework and the windows use these
// (GDI objects and DCs: GdiHandle.h).
#pragma once
#include <windows.h>

#include <utility>

namespace kesh {

// A handle with a closing function and an "invalid" value. Move-only.
template <typename H, typename Traits>
class UniqueWin {
public:
    UniqueWin() = default;
    explicit UniqueWin(H h) : h_(h) {}
    ~UniqueWin() { reset(); }
    UniqueWin(UniqueWin&& o) noexcept : h_(o.release()) {}
    UniqueWin& operator=(UniqueWin&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    UniqueWin(const UniqueWin&) = delete;
    UniqueWin& operator=(const UniqueWin&) = delete;

    H get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::invalid(); }
    H release() { return std::exchange(h_, Traits::invalid()); }
    void reset(H h = Traits::invalid()) {
        if (h_ != Traits::invalid()) Traits::close(h_);
        h_ = h;
    }
    // For APIs that fill in a handle through a pointer.
    H* put() {
        reset();
        return &h_;
    }

private:
    H h_ = Traits::invalid();
};

struct KernelHandleTraits {  // processes, threads, events, mutexes, pipes (null when absent)
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct FileHandleTraits {  // CreateFile, CreateNamedPipe, snapshots (INVALID_HANDLE_VALUE when absent)
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct FindHandleTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindClose(h); }
};
struct RegKeyTraits {
    static HKEY invalid() { return nullptr; }
    static void close(HKEY h) { RegCloseKey(h); }
};
struct ModuleTraits {
    static HMODULE invalid() { return nullptr; }
    static void close(HMODULE h) { FreeLibrary(h); }
};

struct IconTraits {  // icons made by LoadImage / CreateIcon (not shared ones)
    static HICON invalid() { return nullptr; }
    static void close(HICON h) { DestroyIcon(h); }
};

using UniqueHandle = UniqueWin<HANDLE, KernelHandleTraits>;
using UniqueFile = UniqueWin<HANDLE, FileHandleTraits>;
using UniqueFind = UniqueWin<HANDLE, FindHandleTraits>;
using UniqueRegKey = UniqueWin<HKEY, RegKeyTraits>;
using UniqueModule = UniqueWin<HMODULE, ModuleTraits>;
using UniqueIcon = UniqueWin<HICON, IconTraits>;

}  // namespace kesh
