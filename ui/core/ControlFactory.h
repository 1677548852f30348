// The layout builder's table from element names to control classes. Built-in controls are
// there from the start; further control families register their element names at start-up.
#pragma once
#include "ControlUI.h"

namespace Veneer {

using ControlCreator = CControlUI* (*)();
// Plug-in creators in the window manager's process-wide list have this form.
using PluginControlCreator = CControlUI* (*)(const wchar_t* elementName);

class CControlFactory {
public:
    // Adds or replaces the creator for an element name (compared ignoring case). False for an
    // empty name or no creator.
    static bool Register(const wchar_t* elementName, ControlCreator creator);
    // A new control for the element name, or null when the name is not registered.
    static CControlUI* Create(const wchar_t* elementName);
};

}  // namespace Veneer
