// Every import of VelmapBand.dll, as its import table lists them (`band_faults
// list` reads the table of the built DLL and fails on a name missing here, so
// that a new import is classified before the campaign runs again).
//
//   VELMAP_FAIL(name, value)   can fail: the wrapper returns VALUE with the last
//                              error ERROR_NOT_ENOUGH_MEMORY (errno ENOMEM)
//   VELMAP_WATCH(name)         wrapped to be counted or to track what it gives
//                              back (free, UnhookWindowsHookEx); never fails
//   VELMAP_EXEMPT(name, why)   not wrapped: it cannot fail in a way a caller
//                              could see, or is not called while a band lives
//
// No include guard: the injector includes it once for each use.

// ---- allocation -----------------------------------------------------------------
VELMAP_FAIL(malloc, 0)
VELMAP_FAIL(calloc, 0)
VELMAP_FAIL(realloc, 0)
VELMAP_WATCH(free)
VELMAP_FAIL(CoTaskMemAlloc, 0)

// ---- GDI --------------------------------------------------------------------------
VELMAP_FAIL(CreateCompatibleDC, 0)
VELMAP_FAIL(CreateCompatibleBitmap, 0)
VELMAP_FAIL(CreateDIBSection, 0)
VELMAP_FAIL(CreateSolidBrush, 0)
VELMAP_FAIL(CreateFontIndirectW, 0)
VELMAP_FAIL(CreatePen, 0)
VELMAP_FAIL(SelectObject, 0)
VELMAP_FAIL(GradientFill, FALSE)

// ---- USER -------------------------------------------------------------------------
VELMAP_FAIL(GetDC, 0)
VELMAP_FAIL(BeginPaint, 0)
VELMAP_FAIL(CreateWindowExW, 0)
VELMAP_FAIL(RegisterClassW, 0)
VELMAP_FAIL(RegisterClassExW, 0)
VELMAP_FAIL(SetTimer, 0)
VELMAP_FAIL(SetWindowsHookExW, 0)
VELMAP_FAIL(SetWindowsHookExA, 0)
VELMAP_WATCH(UnhookWindowsHookEx)
VELMAP_FAIL(SetLayeredWindowAttributes, FALSE)

// ---- COM --------------------------------------------------------------------------
VELMAP_FAIL(CoCreateInstance, E_OUTOFMEMORY)
