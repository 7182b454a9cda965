#include "gui/Image.h"

TImage::TImage(TComponent* owner, TWinControl* parent, const TImageProps& p)
    : TGraphicControl(owner, parent, p.control) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (p.iconResource)
        icon_.reset(
            static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(p.iconResource), IMAGE_ICON,
                                          p.control.width, p.control.height, 0)));
    else if (p.bitmapResource)
        bitmap_.reset(static_cast<HBITMAP>(
            LoadImageW(instance, MAKEINTRESOURCEW(p.bitmapResource), IMAGE_BITMAP, 0, 0, 0)));
}

void TImage::Paint(HDC dc) {
    if (icon_) {
        DrawIconEx(dc, 0, 0, icon_.get(), 0, 0, 0, nullptr, DI_NORMAL);
        return;
    }
    BITMAP info{};
    if (!bitmap_ || !GetObjectW(bitmap_.get(), sizeof info, &info)) return;
    UniqueMemoryDC memory(CreateCompatibleDC(dc));
    if (!memory) return;
    SelectedObject selected(memory.get(), bitmap_.get());
    BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory.get(), 0, 0, SRCCOPY);
}
