// Forms: top-level, or a child of a foreign window.
#pragma once

#include "ui/reader.h"
#include "ui/win_control.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velmap::ui {

// Scroll bar settings a form stores; this framework's forms do not scroll.
class TControlScrollBar : public TPersistent {
public:
    bool Visible() const { return visible_; }
    void SetVisible(bool v) { visible_ = v; }
    std::string ClassName() const override { return "TControlScrollBar"; }
    const TPropTable& Props() const override;

private:
    bool visible_ = true;
};

class TCustomForm : public TWinControl {
public:
    // A top-level form (owner may be null).
    explicit TCustomForm(TComponent* owner);
    // A form living as a child window of a foreign window, with no owner.
    explicit TCustomForm(HWND parent_window);

    // Where the stored description comes from; read in AfterConstruction.
    void SetDescriptionResource(HMODULE module, std::string name);
    void SetDescriptionText(std::string text, TResourceSource resources);

    void AfterConstruction() override;
    void Loaded() override;

    TFormBorderStyle BorderStyle() const { return border_style_; }
    void SetBorderStyle(TFormBorderStyle v) { border_style_ = v; }
    TPosition Position() const { return position_; }
    void SetPosition(TPosition v) { position_ = v; }
    void SetClientWidth(int v);
    void SetClientHeight(int v);
    RECT ClientRect() const override;
    bool TransparentColor() const { return transparent_color_; }
    void SetTransparentColor(bool v);
    TColor TransparentColorValue() const { return transparent_value_; }
    void SetTransparentColorValue(TColor v);
    bool OldCreateOrder() const { return old_create_order_; }
    void SetOldCreateOrder(bool v) { old_create_order_ = v; }
    int PixelsPerInch() const { return pixels_per_inch_; }
    void SetPixelsPerInch(int v);
    int TextHeight() const { return text_height_; }
    void SetTextHeight(int v) { text_height_ = v; }
    // Scales the form and everything on it to ppi as loading at that density
    // would have (from the values loading recorded, so densities may come and
    // go without drift). False when the form is at ppi already.
    bool ChangeDensity(int ppi);
    // Lays the form out turned by a quarter (or back): every control's
    // recorded place, size, constraints, alignment and anchors with x and y
    // exchanged, at the form's density. The stored layout stays the one
    // source, so a turned form is a row made a column and nothing else.
    // False when the form is laid out so already.
    bool SetTurned(bool turned);
    bool Turned() const { return turned_; }
    // The client size the last layout gave the form, before any host resized
    // its window.
    SIZE LayoutClientSize() const { return layout_client_; }
    // The size the form stored in description text comes out at ppi, by the
    // same scaling, reading only the root's own properties: no window, no
    // children, no handlers. class_name is the root's class.
    static SIZE DescriptionSizeAt(std::string_view text, const std::string& class_name, int ppi);
    static SIZE DescriptionSizeAt(const TObjectDesc& desc, const std::string& class_name, int ppi);

    TControlScrollBar& HorzScrollBar() { return horz_; }
    TControlScrollBar& VertScrollBar() { return vert_; }

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;

    std::string ClassName() const override { return "TCustomForm"; }
    const TPropTable& Props() const override;
    static const TPropTable& ClassProps();

protected:
    void CreateParams(TCreateParams& p) override;
    void CreateWnd() override;
    void Destroying() override;

private:
    struct TScaledControl {
        std::weak_ptr<void> life;
        TControl* control;
        TControl::TScaleRecord record;
    };
    struct TDesign {
        bool recorded = false;
        int ppi = 96;
        int text_height = 13;
        int font_height = 0;
        int client_width = 0, client_height = 0;
        TControl::TScaleRecord own;
        std::vector<TScaledControl> controls;  // in the order ChangeScale walks them
    };

    void ScaleToScreen();
    void RecordDesign();
    void RecordControls(TWinControl& parent);
    void ApplyDensity(int ppi);
    void ApplyLayered();

    TFormBorderStyle border_style_ = TFormBorderStyle::bsSizeable;
    TPosition position_ = TPosition::poDesigned;
    bool transparent_color_ = false;
    TColor transparent_value_ = clBlack;
    bool old_create_order_ = false;
    int pixels_per_inch_ = 96;
    int text_height_ = 13;
    bool stored_ppi_ = false;
    TControlScrollBar horz_, vert_;
    std::string description_;
    HMODULE description_module_ = nullptr;
    std::string description_name_;
    TResourceSource resources_;
    bool has_description_ = false;
    TDesign design_;
    bool turned_ = false;
    SIZE layout_client_{};
};

// A form class of its own name, for descriptions whose root is a plain form.
class TForm : public TCustomForm {
public:
    using TCustomForm::TCustomForm;
    std::string ClassName() const override { return "TForm"; }
};

}  // namespace velmap::ui
