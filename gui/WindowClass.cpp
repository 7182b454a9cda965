// The framework's own window classes, registered once per name.
#include "gui/WinControl.h"

void TWinControl::RegisterWindowClass(HINSTANCE instance, const TCreateParams& params) {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(instance, params.className, &existing)) return;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = StaticWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = params.icon;
    wc.lpszClassName = params.className;
    RegisterClassExA(&wc);
}
