// Where exceptions that reached a window procedure are reported.
#pragma once

#include <functional>

namespace velmap::ui {

// Called with the text of an exception that reached a window procedure
// (which must not let it out). Null: it is dropped.
void SetWindowProcErrorHandler(std::function<void(const char*)> handler);
void ReportWindowProcError(const char* what);

}  // namespace velmap::ui
