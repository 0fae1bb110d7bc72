// The accessible object answers in the host's process: whatever the band's
// code under it throws, the client gets an HRESULT and the host lives on.
#include "remote/band_accessible.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <new>
#include <stdexcept>

namespace velmap::remote {
namespace {

// Every question and request throws: out of memory, or the framework's error.
class ThrowingModel final : public BandAccessModel {
public:
    bool out_of_memory = true;
    [[noreturn]] void Throw() const {
        if (out_of_memory) throw std::bad_alloc();
        throw std::runtime_error("cannot make the bitmap");
    }
    int ButtonCount() const override { return 6; }
    std::wstring Name(int) const override { Throw(); }
    std::wstring DefaultAction(int) const override { Throw(); }
    DWORD State(int) const override { Throw(); }
    RECT ScreenRect(int) const override { Throw(); }
    int ChildAt(POINT) const override { Throw(); }
    int FocusedChild() const override { Throw(); }
    bool Click(int) override { Throw(); }
    bool Focus(int) override { Throw(); }
    HRESULT WindowObject(IDispatch**) const override { Throw(); }
};

TEST(BandAccessible, NoExceptionOfTheBandLeavesAnyEntryPoint) {
    ThrowingModel model;
    IAccessible* acc = NewBandAccessible(model);
    ASSERT_NE(nullptr, acc);
    VARIANT button{};
    button.vt = VT_I4;
    button.lVal = 3;
    BSTR text = nullptr;
    VARIANT v{};
    LONG l = 0, t = 0, w = 0, h = 0;
    IDispatch* parent = nullptr;
    const struct {
        const char* entry;
        std::function<HRESULT()> call;
    } entries[] = {
        {"name", [&] { return acc->get_accName(button, &text); }},
        {"default action text", [&] { return acc->get_accDefaultAction(button, &text); }},
        {"role", [&] { return acc->get_accRole(button, &v); }},  // asks the model nothing
        {"state", [&] { return acc->get_accState(button, &v); }},
        {"location", [&] { return acc->accLocation(&l, &t, &w, &h, button); }},
        {"hit test", [&] { return acc->accHitTest(10, 10, &v); }},
        {"focus", [&] { return acc->get_accFocus(&v); }},
        {"select", [&] { return acc->accSelect(SELFLAG_TAKEFOCUS, button); }},
        {"default action", [&] { return acc->accDoDefaultAction(button); }},
        {"parent", [&] { return acc->get_accParent(&parent); }},
    };
    for (bool oom : {true, false}) {
        model.out_of_memory = oom;
        for (const auto& e : entries) {
            SCOPED_TRACE(e.entry);
            const HRESULT expected = std::string(e.entry) == "role" ? S_OK : oom ? E_OUTOFMEMORY : E_FAIL;
            EXPECT_EQ(expected, e.call());
        }
    }
    acc->Release();
}

}  // namespace
}  // namespace velmap::remote
