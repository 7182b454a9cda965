// The design-time About entry of the folder tree: a property that only a
// form designer shows; the running program never does.
#pragma once

#include "gui/PropertyEditor.h"

// The caption of the control's message boxes.
inline constexpr char kFolderTreeCaption[] = " FolderTreeViewEx component version 2.11";

class TAboutFolderTreeViewExProperty : public TPropertyEditor {
  public:
    unsigned GetAttributes() const override { return paDialog | paMultiSelect | paReadOnly; }
    std::string GetValue() const override { return "(about)"; }
    void Edit(HWND owner) override;
};
