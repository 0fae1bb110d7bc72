// Sending the skin message to controls and windows: the routines every
// skinned part uses to ask a parent, tell the children, and reach the form.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "skin/messages/skin_messages.h"
#include "ui/win_control.h"

namespace velmap::skin {

// A windowed control gets SendMessage to its window (0 when it is being
// destroyed or has no window); a non-windowed one gets direct dispatch.
LRESULT SendSkinMessage(ui::TControl* control, SkinCommand code, LPARAM lparam = 0, std::uint16_t arg = 0);
LRESULT SendSkinMessageToWindow(HWND wnd, SkinCommand code, LPARAM lparam = 0, std::uint16_t arg = 0);

// Calls the control's window procedure directly with lparam 0: true when the
// answer came back as lparam 1, or, for a control with a window, when
// SendMessage of the same message returns 1.
bool QuerySkinMessage(ui::TControl* control, SkinCommand code);
bool QueryWindowSkinMessage(HWND wnd, SkinCommand code);

// The form a control sits on: the top of its parent chain when that is a
// windowed control (null for a control without parents).
ui::TWinControl* ParentFormOf(ui::TControl* control);

// Tells the control's form that the control changed (SMC_CONTROL_CHANGED).
void NotifyParentForm(ui::TControl* control);

// Delivers msg to the children of control, in order, stopping at the first
// child being destroyed. Non-windowed children (and every child while the
// control has no window) get direct dispatch; windowed children that answer
// SMC_IS_SKINNED get SendMessage; other windowed children are searched in
// turn instead of being messaged.
void BroadcastToChildren(ui::TWinControl* control, UINT msg, WPARAM wparam, LPARAM lparam);

// Sends msg to a form's window (or dispatches it when the window does not
// exist yet) and then to all its child controls.
void BroadcastToForm(ui::TWinControl* form, UINT msg, WPARAM wparam, LPARAM lparam);

// SMC_PARENT_READY to every windowed child that shows, by SendMessage
// (graphic controls are painted with their parent and are skipped). Errors
// raised by children are swallowed.
void NotifyChildrenReady(ui::TWinControl* control);
// The same for the child windows of a window, in z-order.
void NotifyChildrenReady(HWND wnd);

// Forms a skin manager broadcasts to. Forms register themselves here when
// they get their window and leave when they are destroyed.
void RegisterBroadcastForm(ui::TWinControl* form);
void UnregisterBroadcastForm(ui::TWinControl* form);
const std::vector<ui::TWinControl*>& BroadcastForms();
// Sends msg to every registered form (last registered first) that is neither
// being destroyed nor read and does not answer SMC_IS_SKINNED itself, and to
// all its controls.
void BroadcastToForms(UINT msg, WPARAM wparam, LPARAM lparam);

}  // namespace velmap::skin
