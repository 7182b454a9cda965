#include "gui/Graphics.h"

TFont& TFont::operator=(const TFont& other) {
    if (!(spec_ == other.spec_)) {
        spec_ = other.spec_;
        handle_.reset();
    }
    return *this;
}

HFONT TFont::Handle() const {
    if (!handle_) {
        LOGFONTW lf{};
        lf.lfHeight = -Screen().Scale(spec_.height);
        lf.lfWeight = spec_.bold ? FW_BOLD : FW_NORMAL;
        lf.lfUnderline = spec_.underline;
        lf.lfCharSet = spec_.charset;
        lf.lfQuality = DEFAULT_QUALITY;
        lstrcpynW(lf.lfFaceName, spec_.name.c_str(), LF_FACESIZE);
        handle_.reset(CreateFontIndirectW(&lf));
    }
    return handle_.get();
}

int TScreen::ReadPixelsPerInch() {
    WindowDC screen(nullptr);
    int ppi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return ppi > 0 ? ppi : 96;
}

void TScreen::SetCursor(TCursor cursor) {
    cursor_ = cursor;
    ::SetCursor(CursorHandle(cursor == crDefault ? crArrow : cursor));
}

TScreen& Screen() {
    static TScreen screen;
    return screen;
}

BusyBracket::BusyBracket(HWND window) : window_(window) {
    Screen().SetCursor(crHourGlass);
    SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
}

BusyBracket::~BusyBracket() {
    SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
    Screen().SetCursor(crDefault);
}

HCURSOR CursorHandle(TCursor cursor) {
    switch (cursor) {
    case crHandPoint:
        return LoadCursor(nullptr, IDC_HAND);
    case crHelp:
        return LoadCursor(nullptr, IDC_HELP);
    case crHourGlass:
        return LoadCursor(nullptr, IDC_WAIT);
    case crDrag:
        return LoadCursor(nullptr, IDC_UPARROW);
    default:
        return LoadCursor(nullptr, IDC_ARROW);
    }
}
