// Minimum and maximum size of a control.
#pragma once

#include "ui/component.h"

#include <functional>
#include <string>

namespace velmap::ui {

// Minimum and maximum size; 0 means no limit.
class TSizeConstraints : public TPersistent {
public:
    int MinWidth() const { return min_w_; }
    int MaxWidth() const { return max_w_; }
    int MinHeight() const { return min_h_; }
    int MaxHeight() const { return max_h_; }
    void SetMinWidth(int v) { Set(min_w_, v); }
    void SetMaxWidth(int v) { Set(max_w_, v); }
    void SetMinHeight(int v) { Set(min_h_, v); }
    void SetMaxHeight(int v) { Set(max_h_, v); }
    void Apply(int& w, int& h) const;
    void Scale(int m, int d);
    // All four at once, with one change notification.
    void SetAll(int min_w, int max_w, int min_h, int max_h);

    std::function<void()> OnChange;
    std::string ClassName() const override { return "TSizeConstraints"; }
    const TPropTable& Props() const override;

private:
    void Set(int& f, int v);
    int min_w_ = 0, max_w_ = 0, min_h_ = 0, max_h_ = 0;
};

}  // namespace velmap::ui
