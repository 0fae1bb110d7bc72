#include "ui/size_constraints.h"

#include "ui/reader.h"

#include <windows.h>

namespace velmap::ui {

void TSizeConstraints::Set(int& f, int v) {
    if (v < 0) v = 0;
    if (f == v) return;
    f = v;
    if (OnChange) OnChange();
}

void TSizeConstraints::Apply(int& w, int& h) const {
    if (max_w_ > 0 && w > max_w_) w = max_w_;
    if (min_w_ > 0 && w < min_w_) w = min_w_;
    if (max_h_ > 0 && h > max_h_) h = max_h_;
    if (min_h_ > 0 && h < min_h_) h = min_h_;
}

void TSizeConstraints::Scale(int m, int d) {
    min_w_ = ::MulDiv(min_w_, m, d);
    max_w_ = ::MulDiv(max_w_, m, d);
    min_h_ = ::MulDiv(min_h_, m, d);
    max_h_ = ::MulDiv(max_h_, m, d);
    if (OnChange) OnChange();
}

void TSizeConstraints::SetAll(int min_w, int max_w, int min_h, int max_h) {
    min_w_ = min_w < 0 ? 0 : min_w;
    max_w_ = max_w < 0 ? 0 : max_w;
    min_h_ = min_h < 0 ? 0 : min_h;
    max_h_ = max_h < 0 ? 0 : max_h;
    if (OnChange) OnChange();
}

namespace {
const TPropInfo kConstraintProps[] = {
    props::Int<&TSizeConstraints::SetMinWidth>("MinWidth"),
    props::Int<&TSizeConstraints::SetMaxWidth>("MaxWidth"),
    props::Int<&TSizeConstraints::SetMinHeight>("MinHeight"),
    props::Int<&TSizeConstraints::SetMaxHeight>("MaxHeight"),
};
}
const TPropTable& TSizeConstraints::Props() const {
    static const TPropTable table{&TPersistent::ClassProps(), kConstraintProps};
    return table;
}

}  // namespace velmap::ui
