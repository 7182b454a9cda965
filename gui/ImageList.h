// An image list loaded from a bitmap resource and its transparency mask.
#pragma once

#include "gui/Component.h"
#include "gui/Owners.h"

#include <commctrl.h>

#include <memory>
#include <type_traits>

struct TImageListProps {
    const char* name = "";
    int width = 16, height = 16;
    int bitmapResource = 0; // the images side by side
    int maskResource = 0;   // a 1-bit mask of the same layout; set bits are transparent
};

class TImageList : public TComponent {
  public:
    TImageList(TComponent* owner, const TImageListProps& props);
    HIMAGELIST Handle() const { return handle_.get(); }
    int Count() const { return handle_ ? ImageList_GetImageCount(handle_.get()) : 0; }

  private:
    UniqueImageList handle_;
};
