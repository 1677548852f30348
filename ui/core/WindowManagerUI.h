// The per-window hub of the UI framework: the window's resources (fonts, images, default
// attributes), the process-wide skin settings and shared tables, option groups, registration
// lists and control timers.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "GdiHandle.h"
#include "Renderer.h"
#include "UIPtrArray.h"
#include "UIString.h"
#include "UIInterfaces.h"
#include "UIStringMap.h"
#include "ZipReader.h"

namespace Veneer {

class CControlUI;
class INotifyUI;
class IMessageFilterUI;
class ITranslateAccelerator;

struct TFontRecord {
    HFONT font = nullptr;  // owned
    CUIString face;
    int size = 0;  // pixels
    bool bold = false;
    bool underline = false;
    bool italic = false;
    TEXTMETRICW metrics = {};  // tmHeight 0 = not measured yet
};

struct TTimerRecord {
    CControlUI* control = nullptr;
    UINT localId = 0;
    HWND window = nullptr;
    UINT windowId = 0;
    bool killed = false;
};

struct TResourceSet {
    uint32_t disabledTextColor = 0xFFA7A6AA;
    uint32_t defaultTextColor = 0xFF000000;
    uint32_t linkTextColor = 0xFF0000FF;
    uint32_t linkHoverTextColor = 0xFFD3215F;
    uint32_t selectedBkColor = 0xFFBAE4FF;
    TFontRecord defaultFont;
    CUIStringMap fonts{83};          // decimal id -> owned TFontRecord
    CUIStringMap images{83};         // name -> owned TImageData
    CUIStringMap classDefaults{83};  // element name -> owned CUIString
    CUIStringMap languageTexts{83};  // decimal id -> owned CUIString (shared set only)
};

class CWindowManagerUI {
public:
    CWindowManagerUI();
    ~CWindowManagerUI();
    CWindowManagerUI(const CWindowManagerUI&) = delete;
    CWindowManagerUI& operator=(const CWindowManagerUI&) = delete;

    void Init(HWND window);
    HWND GetPaintWindow() const { return m_window; }
    HDC GetPaintDC() const { return m_paintDc.get(); }
    POINT GetMousePos() const { return m_lastMouse; }

    // Process-wide settings
    static void SetInstance(HINSTANCE instance);
    static HINSTANCE GetInstance();
    static void SetResourceDll(HINSTANCE module);
    static HINSTANCE GetResourceModule();
    static CUIString GetExeFolder();
    static void SetSkinRoot(const wchar_t* path);
    static const CUIString& GetSkinRoot();
    static void SetSkinZip(const wchar_t* path, bool keepOpen = true);
    static void SetSkinZip(const void* buffer, unsigned length);
    static const CUIString& GetSkinZipName();
    static TZipArchive* GetZipHandle();
    static bool IsZipKeptOpen();
    static CUIPtrArray* GetPlugins();
    static bool GetHSL(short* hue, short* saturation, short* lightness);
    static const CUIPtrArray& GetAllManagers();

    // Window settings
    void SetStartSize(int cx, int cy);
    SIZE GetStartSize() const { return m_startSize; }
    void SetSizeBox(const RECT& rc) { m_sizeBox = rc; }
    RECT GetSizeBox() const { return m_sizeBox; }
    void SetCaptionRect(const RECT& rc) { m_caption = rc; }
    RECT GetCaptionRect() const { return m_caption; }
    void SetRoundCorner(int cx, int cy) { m_roundCorner = {cx, cy}; }
    SIZE GetRoundCorner() const { return m_roundCorner; }
    void SetMinInfo(int cx, int cy) { m_minInfo = {cx, cy}; }
    SIZE GetMinInfo() const { return m_minInfo; }
    void SetMaxInfo(int cx, int cy) { m_maxInfo = {cx, cy}; }
    SIZE GetMaxInfo() const { return m_maxInfo; }
    void SetShowDirty(bool show) { m_showDirty = show; }
    void SetBkTransparent(bool transparent) { m_bkTransparent = transparent; }
    bool IsBkTransparent() const { return m_bkTransparent; }
    void SetWindowAlpha(int alpha);
    int GetWindowAlpha() const { return static_cast<int>(m_opacity); }

    // Colours
    void SetDisabledFontColor(uint32_t color, bool shared = false);
    uint32_t GetDisabledFontColor() const { return m_resources.disabledTextColor; }
    void SetDefaultFontColor(uint32_t color, bool shared = false);
    uint32_t GetDefaultFontColor() const { return m_resources.defaultTextColor; }
    void SetLinkFontColor(uint32_t color, bool shared = false);
    uint32_t GetLinkFontColor() const { return m_resources.linkTextColor; }
    void SetLinkHoverFontColor(uint32_t color, bool shared = false);
    uint32_t GetLinkHoverFontColor() const { return m_resources.linkHoverTextColor; }
    void SetSelectedColor(uint32_t color, bool shared = false);
    uint32_t GetSelectedColor() const { return m_resources.selectedBkColor; }

    // Fonts
    void SetDefaultFont(const wchar_t* face, int size, bool bold, bool underline, bool italic,
                        bool shared = false);
    HFONT AddFont(int id, const wchar_t* face, int size, bool bold, bool underline, bool italic,
                  bool shared = false);
    HFONT GetFont(int id);
    TFontRecord* GetFontRecord(int id);
    TFontRecord* GetFontRecord(HFONT font);
    TFontRecord* GetDefaultFontRecord();
    HFONT FindFont(const wchar_t* face, int size, bool bold, bool underline, bool italic);
    void RemoveAllFonts(bool shared = false);

    // Images
    TImageData* AddImage(const wchar_t* name, const wchar_t* type = nullptr, uint32_t mask = 0,
                         bool keepPixelCopy = false, bool shared = false);
    TImageData* GetImage(const wchar_t* name);
    TImageData* GetOrLoadImage(const wchar_t* name, const wchar_t* type = nullptr,
                               uint32_t mask = 0, bool keepPixelCopy = false);
    void RemoveAllImages(bool shared = false);

    // Default attribute lists
    void AddClassDefaults(const wchar_t* elementName, const wchar_t* attributes,
                          bool shared = false);
    const wchar_t* GetClassDefaults(const wchar_t* elementName);
    void RemoveAllClassDefaults(bool shared = false);

    // Multi-language texts (process-wide)
    static void AddLanguageText(int id, const wchar_t* text);
    static const wchar_t* GetLanguageText(int id);
    static void ExpandLanguageTokens(CUIString& text);

    // Option groups
    bool JoinOptionGroup(const wchar_t* group, CControlUI* control);
    CUIPtrArray* GetOptionGroupMembers(const wchar_t* group);
    bool LeaveOptionGroup(const wchar_t* group, CControlUI* control);
    void RemoveAllOptionGroups();

    // Registration lists
    bool AddNotifyListener(INotifyUI* listener);
    bool RemoveNotifyListener(INotifyUI* listener);
    bool AddPreFilter(IMessageFilterUI* filter);
    bool RemovePreFilter(IMessageFilterUI* filter);
    bool AddWindowFilter(IMessageFilterUI* filter);
    bool RemoveWindowFilter(IMessageFilterUI* filter);
    bool AddOverlayControl(CControlUI* control);
    bool RemoveOverlayControl(CControlUI* control);
    bool AddAcceleratorHandler(ITranslateAccelerator* handler);
    bool RemoveAcceleratorHandler(ITranslateAccelerator* handler);

    // Messages, painting, focus and notifications
    static constexpr UINT kDelayedCleanupMessage = 0x8001;
    bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool PreProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    static void RunMessageLoop();
    static bool OfferToPreFilters(MSG* msg);
    bool OfferToAccelerators(MSG* msg);
    void SetFocus(CControlUI* control);
    void SetFocusDeferred(CControlUI* control);
    bool TabToNextControl(bool forward);
    void SetCapture();
    void ReleaseCapture();
    bool IsCaptured() const { return m_mouseCaptured; }
    CControlUI* LocateControlAt(POINT pt) const;
    void SendNotification(TNotification& msg, bool async = false);
    void SendNotification(CControlUI* sender, const wchar_t* type, WPARAM wParam = 0,
                          LPARAM lParam = 0, bool async = false);
    void ReapObjects(CControlUI* control);
    static WORD MapKeyState();

    // The control tree
    bool AttachRoot(CControlUI* control);
    bool IndexControlNames(CControlUI* control, CControlUI* parent);
    // A control of this window changed its name: its entry in the name map follows it.
    void RenameControl(CControlUI* control);
    void AddDelayedCleanup(CControlUI* control);

    // Names, repaint and layout requests
    CControlUI* LocateControl(const wchar_t* name);
    CControlUI* GetRoot() const { return m_root; }
    CControlUI* GetFocus() const { return m_focus; }
    void Invalidate(const RECT& rc);
    void SetVirtualWindowsInUse(bool inUse) { m_virtualWindows = inUse; }
    void MarkUpdateNeeded() { m_updateNeeded = true; }

    // Timers
    bool SetTimer(CControlUI* control, UINT localId, UINT elapse);
    bool KillTimer(CControlUI* control, UINT localId);
    void KillTimer(CControlUI* control);
    void KillTimers();
    const CUIPtrArray& GetTimers() const { return m_timers; }

private:
    // Holds a control across calls into handlers, which may delete it: ReapObjects clears the
    // held pointer when the control goes.
    class CControlGuard {
    public:
        CControlGuard(CWindowManagerUI& manager, CControlUI* control);
        ~CControlGuard();
        CControlGuard(const CControlGuard&) = delete;
        CControlGuard& operator=(const CControlGuard&) = delete;
        CControlUI* Get() const { return m_control; }

    private:
        CWindowManagerUI& m_manager;
        CControlUI* m_control;
    };

    void SendEvent(CControlUI* to, int type, WPARAM wParam = 0, LPARAM lParam = 0,
                   WORD key = 0, WORD keyState = 0, CControlUI* sender = nullptr);
    void Deliver(TNotification& msg);
    // Takes the focus from the focus control, `next` being the control it goes to.
    void KillFocusOf(CControlUI* next);
    void DrainQueuedNotifications();
    void OnMouseMove(LPARAM lParam);
    bool OnMouseHover(LPARAM lParam);
    void LayOut();
    void OnPaint();
    // Deletes the off-screen and background DCs and bitmaps; the next paint makes new ones.
    void DeleteOffscreen();
    // The window is being destroyed: leave the list of managers and let go of its resources.
    void ForgetWindow();
    void OnPrintClient(HDC dc, LPARAM flags);
    void DeleteDelayedCleanup();
    static CControlUI* CALLBACK IndexNameProc(CControlUI* control, void* data);
    // Enters the control under its current name; a control has at most one entry.
    void EnterName(CControlUI* control);
    // Removes every entry of the name map that leads to the control.
    void DropNames(CControlUI* control);
    // Whether the control hangs below the attached root.
    bool IsInTree(const CControlUI* control) const;
    // Deletes the control tree and everything that may point into it, first in tear-down.
    void DeleteControls();
    static HPEN UpdatePen();
    void MeasureFont(TFontRecord* record);
    static void RemoveRegistered(CUIPtrArray& list, void* entry, bool& found);

    HWND m_window = nullptr;
    uint32_t m_opacity = 255;
    kesh::UniqueWindowDC m_paintDc;
    // The bitmaps come before the DCs they are selected into, so that a DC always goes first: a
    // bitmap still selected into a DC cannot be deleted.
    kesh::UniqueBitmap m_offscreenBitmap;
    kesh::UniqueBitmap m_backgroundBitmap;
    kesh::UniqueMemoryDC m_offscreenDc;
    kesh::UniqueMemoryDC m_backgroundDc;
    HWND m_toolTip = nullptr;
    TOOLINFOW m_toolInfo = {};
    bool m_showDirty = false;
    CControlUI* m_root = nullptr;
    CControlUI* m_focus = nullptr;
    CControlUI* m_hover = nullptr;
    CControlUI* m_pressed = nullptr;
    CControlUI* m_keyDown = nullptr;
    POINT m_lastMouse = {-1, -1};
    SIZE m_minInfo = {0, 0};
    SIZE m_maxInfo = {0, 0};
    SIZE m_startSize = {0, 0};
    RECT m_sizeBox = {0, 0, 0, 0};
    SIZE m_roundCorner = {0, 0};
    RECT m_caption = {0, 0, 0, 0};
    uint32_t m_timerCounter = 4096;
    bool m_firstLayout = true;
    bool m_updateNeeded = false;
    bool m_focusNeeded = false;
    bool m_offscreenPaint = true;
    bool m_bkTransparent = false;
    bool m_mouseTracking = false;
    bool m_mouseCaptured = false;
    bool m_virtualWindows = false;
    CUIPtrArray m_notifiers;
    CUIPtrArray m_timers;
    CUIPtrArray m_preFilters;
    CUIPtrArray m_windowFilters;
    CUIPtrArray m_overlays;
    CUIPtrArray m_delayedCleanup;
    CUIPtrArray m_queuedNotifications;
    CUIPtrArray m_delivering;  // notification records being handed out right now
    CUIPtrArray m_guards;      // CControlUI* slots of the live CControlGuards
    CUIPtrArray m_needUpdate;
    CUIStringMap m_names{83};
    CUIStringMap m_optionGroups{83};
    TResourceSet m_resources;
    CUIPtrArray m_accelerators;
    // Images replaced under a name that was in use: controls may still point at them, so they
    // live on until the manager (and with it every control of the window) goes away.
    CUIPtrArray m_retiredImages;
};

}  // namespace Veneer
