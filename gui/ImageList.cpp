#include "gui/ImageList.h"

#include "gui/Owners.h"

TImageList::TImageList(TComponent* owner, const TImageListProps& p) : TComponent(owner, p.name) {
    handle_.reset(ImageList_Create(p.width, p.height, ILC_COLOR24 | ILC_MASK, 8, 8));
    if (!handle_ || !p.bitmapResource) return;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    UniqueGdiObject<HBITMAP> image(LoadBitmapW(instance, MAKEINTRESOURCEW(p.bitmapResource)));
    UniqueGdiObject<HBITMAP> mask(
        p.maskResource ? LoadBitmapW(instance, MAKEINTRESOURCEW(p.maskResource)) : nullptr);
    if (image) ImageList_Add(handle_.get(), image.get(), mask.get());
}
