// Owning wrappers for the launcher's Win32 handles, so every early return closes what it opened.
// The launcher shares no code with the updater, hence its own copy of these few lines.
#pragma once
#include <windows.h>

#include <utility>

namespace lumora {

// A kernel handle (file, process, snapshot, pipe). Win32 uses both null and INVALID_HANDLE_VALUE
// as "no handle" depending on the call; neither is ever closed.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return h_; }
    bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    HANDLE release() { return std::exchange(h_, nullptr); }
    void reset(HANDLE h = nullptr) {
        if (valid()) CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_ = nullptr;
};

// An open registry key.
class UniqueRegKey {
public:
    UniqueRegKey() = default;
    ~UniqueRegKey() { reset(); }
    UniqueRegKey(const UniqueRegKey&) = delete;
    UniqueRegKey& operator=(const UniqueRegKey&) = delete;

    HKEY get() const { return key_; }
    // For the out parameter of RegOpenKeyEx / RegCreateKeyEx; closes what was held before.
    HKEY* put() {
        reset();
        return &key_;
    }
    void reset() {
        if (key_ != nullptr) RegCloseKey(key_);
        key_ = nullptr;
    }

private:
    HKEY key_ = nullptr;
};

}  // namespace lumora
