#include "gui/ImageList.h"

#include "gui/Owners.h"

TImageList::TImageList(TComponent* owner, const TImageListProps& p) : TComponent(owner, p.name) {
    handle_.reset(ImageList_Create(p.width, p.height, ILC_COLOR24 | ILC_MASK, 8, 8));
    if (!handle_ || !p.bitmapResource) return;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    UniqueGdiObject<HBITMAP> image(LoadBitmapA(instance, MAKEINTRESOURCEA(p.bitmapResource)));
    UniqueGdiObject<HBITMAP> mask(
        p.maskResource ? LoadBitmapA(instance, MAKEINTRESOURCEA(p.maskResource)) : nullptr);
    if (image) ImageList_Add(handle_.get(), image.get(), mask.get());
}
