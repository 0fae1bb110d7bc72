#include "ui/window_proc_error.h"

namespace velmap::ui {

namespace {
std::function<void(const char*)> g_error_handler;
}  // namespace

void SetWindowProcErrorHandler(std::function<void(const char*)> handler) { g_error_handler = std::move(handler); }

void ReportWindowProcError(const char* what) {
    if (g_error_handler) g_error_handler(what);
}

}  // namespace velmap::ui
