// The form designer's property editor: what a designer asks of a published
// property that it shows in its property list.
#pragma once

#include "gui/Types.h"

#include <string>

enum TPropertyAttribute : unsigned {
    paDialog = 1u << 0,      // an ellipsis button opens a dialog
    paMultiSelect = 1u << 1, // shown when several controls are selected
    paReadOnly = 1u << 2,    // the value cannot be typed in
};

class TPropertyEditor : public TObject {
  public:
    virtual unsigned GetAttributes() const { return 0; }
    virtual std::string GetValue() const { return {}; }
    // The designer's ellipsis button; `owner` is the designer's window.
    virtual void Edit(HWND /*owner*/) {}
};
