// Helpers for tests that run real windows: a top-level window bound to its own manager,
// placing controls at fixed rectangles in a container, message pumping, printing the client
// area into 32-bpp pixels and bound callbacks.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ContainerUI.h"
#include "ControlUI.h"
#include "UIInterfaces.h"
#include "WindowManagerUI.h"
#include "WindowWnd.h"

namespace livetest {

// Adds `child` to `box` as a float control at `rc`, relative to the box.
void Place(Veneer::CContainerUI* box, Veneer::CControlUI* child, RECT rc);
// Takes `child` out of `box` and hands it to the caller.
void Detach(Veneer::CContainerUI* box, Veneer::CControlUI* child);

// A borderless top-level window whose manager handles every message it can, and which records
// the notifications it receives.
class TestWindow : public Veneer::CWindowWnd, public Veneer::INotifyUI {
public:
    TestWindow() = default;
    ~TestWindow();

    // Creates the window at (x, y) with a client area of w × h and shows it; x and y must be
    // above 0, since the pointer is parked at the screen's corner first.
    bool Open(int x, int y, int w, int h);
    void Close();

    Veneer::CWindowManagerUI& Manager() { return m_manager; }
    void Notify(Veneer::TNotification& msg) override;

    // "type:sender-name" of every notification, in order.
    std::vector<std::wstring> notes;
    std::function<void(Veneer::TNotification&)> onNotify;
    int paints = 0;

protected:
    const wchar_t* GetRegisteredClassName() const override { return L"VeneerLiveTestWindow"; }
    UINT GetRegisteredClassStyle() const override { return CS_DBLCLKS; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    Veneer::CWindowManagerUI m_manager;
};

// Runs the thread's messages (with pre-translation) for about `ms` milliseconds.
void PumpFor(DWORD ms);
// Runs messages until `done` answers true or `ms` pass; answers `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD ms);
// Runs messages until `hwnd` is shown with nothing left to paint, or `ms` pass.
bool WaitPainted(HWND hwnd, DWORD ms = 5000);

// The window's client area as printed through WM_PRINTCLIENT, top-down 0xAARRGGBB words.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> data;
    uint32_t At(int x, int y) const { return data[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
    // Pixels of rectangle `rc` whose colour is within `tolerance` per channel of `rgb`.
    int Count(const RECT& rc, uint32_t rgb, int tolerance = 0) const;
};
Pixels PrintClient(HWND hwnd);

// Mouse messages at a client point, with the real pointer moved there first (hover tracking
// polls the real pointer).
void MouseMove(HWND hwnd, int x, int y);
void MouseDown(HWND hwnd, int x, int y);
void MouseUp(HWND hwnd, int x, int y);

// GDI handles this process can still make: made until refused, then deleted again. Windows
// and Wine give a process a fixed number, so a leak shows as a smaller count.
int FreeGdiHandles();

// A control class whose memory is overwritten when it is deleted, so that anything still
// using a pointer to it afterwards fails at once instead of reading stale values.
template <class Control>
class Poisoned : public Control {
public:
    using Control::Control;
    static void operator delete(void* p, std::size_t size) {
        std::memset(p, 0xDD, size);
        ::operator delete(p);
    }
};

// A bound callback over a std::function, for the control's event hubs.
class FunctionDelegate : public Veneer::CDelegateBase {
public:
    explicit FunctionDelegate(std::function<bool(void*)> fn);
    Veneer::CDelegateBase* Copy() const override;
    bool Invoke(void* param) override;

private:
    // Copies share the function, so they compare equal to the original.
    explicit FunctionDelegate(std::shared_ptr<std::function<bool(void*)>> fn);
    std::shared_ptr<std::function<bool(void*)>> m_fn;
};

}  // namespace livetest
