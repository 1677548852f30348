// A label that shows a date as text and, while it has the focus, lays a native date picker
// over itself; the date picked there comes back as the text when the picker loses the focus.
#pragma once
#include <windows.h>

#include "LabelUI.h"

namespace Veneer {

class CDateTimeWnd;

class CDateTimeUI : public CLabelUI {
public:
    // What the next UpdateText does with the text.
    enum UpdateMode : int {
        kUpdateNone = 0,
        kUpdateFormat = 1,  // the held date, as year-month-day
        kUpdateDelete = 2,  // empty text
        kUpdateKeep = 3,    // the text as it is
    };

    CDateTimeUI();
    ~CDateTimeUI() override;

    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    void HandleEvent(TControlEvent& event) override;
    // A hidden control shows no picker: it closes with the control.
    void SetVisible(bool visible = true) override;
    void SetInheritedVisible(bool visible = true) override;

    void UpdateText();
    const SYSTEMTIME& GetSysTime() const { return m_sysTime; }
    int GetUpdateMode() const { return m_updateMode; }
    // The open picker, or null while the text is shown.
    CDateTimeWnd* GetPickerWindow() const { return m_pickerWindow; }

protected:
    SYSTEMTIME m_sysTime = {};
    int m_updateMode = kUpdateNone;

private:
    friend class CDateTimeWnd;

    // Makes a picker over the control and gives it the focus; the control stays without one
    // when its window cannot be made.
    void OpenPicker();
    // Closes the picker at once when it is open, after its focus loss has had its say.
    void ClosePicker();
    // The picker's window is gone: it no longer belongs to this control.
    void PickerGone(CDateTimeWnd* window);

    CDateTimeWnd* m_pickerWindow = nullptr;
};

}  // namespace Veneer
