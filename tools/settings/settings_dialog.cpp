// The settings dialog: the skins (the internal one first), a live preview of
// the band drawn by the engine, hue and saturation sliders, following
// Windows' taskbar theme, Apply/OK/Cancel. The engine's window skinning skins
// the dialog itself with the skin shown in the preview.
#include <windows.h>

#include <commctrl.h>

#include "bandhost/screenshot.h"
#include "settings_app.h"
#include "settings_resource.h"
#include "win/module.h"
#include "win/strings.h"

namespace velmap::tools {

namespace {

class SettingsDialog {
public:
    static INT_PTR CALLBACK Proc(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
        auto* self = reinterpret_cast<SettingsDialog*>(::GetWindowLongPtrW(wnd, DWLP_USER));
        if (msg == WM_INITDIALOG) {
            self = reinterpret_cast<SettingsDialog*>(lparam);
            ::SetWindowLongPtrW(wnd, DWLP_USER, lparam);
            self->wnd_ = wnd;
            return self->Init();
        }
        return self ? self->Handle(msg, wparam, lparam) : FALSE;
    }

    explicit SettingsDialog(std::wstring screenshot) : screenshot_(std::move(screenshot)) {}
    ~SettingsDialog() {
        if (form_) form_->Free();
    }

private:
    BOOL Init() {
        stored_ = skin::ReadSkinChoice().value_or(skin::SkinChoice{});
        pending_ = stored_;
        // The preview: the band's own form in the place the template keeps for it.
        HWND place = ::GetDlgItem(wnd_, IDC_PREVIEW);
        RECT r{};
        ::GetWindowRect(place, &r);
        ::MapWindowPoints(nullptr, wnd_, reinterpret_cast<POINT*>(&r), 2);
        ::DestroyWindow(place);
        try {
            form_ = MakeSettingsForm(wnd_);
            form_->SetBounds(r.left, r.top, form_->Width(), form_->Height());
            // Its buttons are for looking at here, not for playing.
            ::EnableWindow(form_->Handle(), FALSE);
            // The preview's manager is the process's first: its skin skins the dialog.
            form_->SkinManager->SetSkinningRules(skin::TacSkinningRules::All());
            names_ = skin::ListChoosableSkins(*form_->SkinManager, skin::ChoosableSkinFolders(win::ThisModule()));
        } catch (const std::exception& e) {
            SetStatus(std::string("The preview cannot be shown: ") + e.what());
        }
        HWND list = ::GetDlgItem(wnd_, IDC_SKINS);
        for (const auto& n : names_) ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::Utf8ToWide(n).c_str()));
        for (auto [id, limit] : {std::pair{IDC_HUE, skin::kMaxHueOffset}, std::pair{IDC_SATURATION, skin::kMaxSaturationChange}}) {
            ::SendDlgItemMessageW(wnd_, id, TBM_SETRANGEMAX, FALSE, limit);
            ::SendDlgItemMessageW(wnd_, id, TBM_SETRANGEMIN, TRUE, -limit);
            ::SendDlgItemMessageW(wnd_, id, TBM_SETPAGESIZE, 0, 10);
            // Some trackbars place the thumb only when the position changes:
            // leave 0 once so that a pending 0 is drawn where it belongs.
            ::SendDlgItemMessageW(wnd_, id, TBM_SETPOS, TRUE, limit);
        }
        ShowPending();
        Preview();
        if (!screenshot_.empty()) ::SetTimer(wnd_, 1, 600, nullptr);
        return TRUE;
    }

    // The controls show the pending choice.
    void ShowPending() {
        const std::string& shown = pending_.Skin.empty() && !names_.empty() ? names_.front() : pending_.Skin;
        int index = -1;
        for (std::size_t i = 0; i < names_.size(); ++i)
            if (names_[i] == shown) index = static_cast<int>(i);
        ::SendDlgItemMessageW(wnd_, IDC_SKINS, LB_SETCURSEL, index, 0);
        ::SendDlgItemMessageW(wnd_, IDC_HUE, TBM_SETPOS, TRUE, pending_.HueOffset);
        ::SendDlgItemMessageW(wnd_, IDC_SATURATION, TBM_SETPOS, TRUE, pending_.Saturation);
        ::CheckDlgButton(wnd_, IDC_FOLLOW, pending_.FollowSystem ? BST_CHECKED : BST_UNCHECKED);
        ::EnableWindow(::GetDlgItem(wnd_, IDC_SKINS), !pending_.FollowSystem);
        ::SetDlgItemInt(wnd_, IDC_HUE_VALUE, static_cast<UINT>(pending_.HueOffset), TRUE);
        ::SetDlgItemInt(wnd_, IDC_SATURATION_VALUE, static_cast<UINT>(pending_.Saturation), TRUE);
    }

    void ReadControls() {
        const auto sel = ::SendDlgItemMessageW(wnd_, IDC_SKINS, LB_GETCURSEL, 0, 0);
        if (sel >= 0 && static_cast<std::size_t>(sel) < names_.size())
            pending_.Skin = sel == 0 ? std::string{} : names_[static_cast<std::size_t>(sel)];
        pending_.HueOffset = static_cast<int>(::SendDlgItemMessageW(wnd_, IDC_HUE, TBM_GETPOS, 0, 0));
        pending_.Saturation = static_cast<int>(::SendDlgItemMessageW(wnd_, IDC_SATURATION, TBM_GETPOS, 0, 0));
        pending_.FollowSystem = ::IsDlgButtonChecked(wnd_, IDC_FOLLOW) == BST_CHECKED;
    }

    void Preview() {
        if (!form_) return;
        const std::string why = ShowChoice(*form_, pending_);
        SetStatus(why.empty() ? std::string{} : "This skin cannot be used: " + why + ". The internal skin is shown.");
        ::EnableWindow(::GetDlgItem(wnd_, IDC_APPLY), !(pending_ == stored_));
    }

    void SetStatus(const std::string& text) {
        ::SetDlgItemTextW(wnd_, IDC_STATUS, win::Utf8ToWide(text).c_str());
    }

    bool Apply() {
        std::string error;
        if (!skin::WriteSkinChoice(pending_, error)) {
            SetStatus(error);
            return false;
        }
        stored_ = pending_;
        ::EnableWindow(::GetDlgItem(wnd_, IDC_APPLY), FALSE);
        return true;
    }

    void Changed() {
        ReadControls();
        ShowPending();
        Preview();
    }

    INT_PTR Handle(UINT msg, WPARAM wparam, LPARAM) {
        switch (msg) {
            case WM_COMMAND:
                switch (LOWORD(wparam)) {
                    case IDC_SKINS:
                        if (HIWORD(wparam) == LBN_SELCHANGE) Changed();
                        return TRUE;
                    case IDC_FOLLOW:
                        Changed();
                        return TRUE;
                    case IDC_APPLY:
                        Apply();
                        return TRUE;
                    case IDOK:
                        if (pending_ == stored_ || Apply()) ::EndDialog(wnd_, IDOK);
                        return TRUE;
                    case IDCANCEL:
                        ::EndDialog(wnd_, IDCANCEL);
                        return TRUE;
                }
                break;
            case WM_HSCROLL:
                // Slider positions are read when they settle, not at every pixel dragged.
                if (LOWORD(wparam) != TB_THUMBTRACK) Changed();
                return TRUE;
            case WM_TIMER:
                ::KillTimer(wnd_, 1);
                Screenshot();
                ::EndDialog(wnd_, IDCANCEL);
                return TRUE;
        }
        return FALSE;
    }

    void Screenshot() {
        RECT r{};
        ::GetWindowRect(wnd_, &r);
        SavePng(CaptureScreen(r), screenshot_);
    }

    HWND wnd_ = nullptr;
    std::wstring screenshot_;
    remote::TBandForm* form_ = nullptr;
    std::vector<std::string> names_;
    skin::SkinChoice stored_, pending_;
};

}  // namespace

int RunDialog(HINSTANCE instance, const std::wstring& screenshot) {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_BAR_CLASSES;
    ::InitCommonControlsEx(&icc);
    SettingsDialog dialog(screenshot);
    const INT_PTR r = ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_SETTINGS), nullptr, &SettingsDialog::Proc,
                                        reinterpret_cast<LPARAM>(&dialog));
    return r == IDOK || r == IDCANCEL ? 0 : 1;
}

}  // namespace velmap::tools
