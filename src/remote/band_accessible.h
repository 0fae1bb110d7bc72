// The band's client area as screen readers see it: an IAccessible whose
// children are the buttons, simple elements numbered 1..N from left to right.
#pragma once

#include <oleacc.h>
#include <windows.h>

#include <string>

namespace velmap::remote {

// What the accessible object reads from the band and asks it to do. Child 0
// (CHILDID_SELF) is the client area itself.
class BandAccessModel {
public:
    virtual int ButtonCount() const = 0;
    virtual std::wstring Name(int child) const = 0;
    // Empty when the child has no default action.
    virtual std::wstring DefaultAction(int child) const = 0;
    virtual DWORD State(int child) const = 0;
    virtual RECT ScreenRect(int child) const = 0;
    // -1 when the point is outside the client area.
    virtual int ChildAt(POINT screen) const = 0;
    // -1 when the keyboard focus is elsewhere.
    virtual int FocusedChild() const = 0;
    virtual bool Click(int child) = 0;
    virtual bool Focus(int child) = 0;
    // The window's own accessible object, the client area's parent.
    virtual HRESULT WindowObject(IDispatch** out) const = 0;

protected:
    ~BandAccessModel() = default;
};

// A new object on model, with one reference for the caller.
IAccessible* NewBandAccessible(BandAccessModel& model);

// Told of every object made (true) and freed (false). A client inside the
// host (the system's own accessibility bridges live there) may hold the
// object after the band is gone; the module must stay loaded until it lets go.
using AccessibleCounter = void (*)(bool alive) noexcept;
AccessibleCounter SetAccessibleCounter(AccessibleCounter counter) noexcept;

// Cuts the object off its model: every later call answers
// CO_E_OBJNOTCONNECTED, and clients in other processes lose their stubs.
void DisconnectBandAccessible(IAccessible* object);

}  // namespace velmap::remote
