#include "gui/Image.h"

namespace {

struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using UniqueDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

// Puts the previous object back, so the bitmap is never deleted while selected.
class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, old_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

} // namespace

TImage::TImage(TComponent* owner, TWinControl* parent, const TImageProps& p)
    : TGraphicControl(owner, parent, p.control) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (p.iconResource)
        icon_.reset(
            static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(p.iconResource), IMAGE_ICON,
                                          p.control.width, p.control.height, 0)));
    else if (p.bitmapResource)
        bitmap_.reset(static_cast<HBITMAP>(
            LoadImageA(instance, MAKEINTRESOURCEA(p.bitmapResource), IMAGE_BITMAP, 0, 0, 0)));
}

void TImage::Paint(HDC dc) {
    if (icon_) {
        DrawIconEx(dc, 0, 0, icon_.get(), 0, 0, 0, nullptr, DI_NORMAL);
        return;
    }
    BITMAP info{};
    if (!bitmap_ || !GetObjectA(bitmap_.get(), sizeof info, &info)) return;
    UniqueDc memory(CreateCompatibleDC(dc));
    if (!memory) return;
    SelectedObject selected(memory.get(), bitmap_.get());
    BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory.get(), 0, 0, SRCCOPY);
}
