// The reference count of a COM object of a test's own: it starts at 0 and
// never deletes the object, which belongs to the test (on its stack or in a
// fixture), so a leaked or over-released reference shows as a non-zero
// References() once the code under test has let go.
#pragma once

#include <windows.h>
#include <unknwn.h>

template <class... Interfaces> class CountedObject : public Interfaces... {
  public:
    LONG References() const { return references_; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++references_); }
    ULONG STDMETHODCALLTYPE Release() override { return ULONG(--references_); }

  protected:
    CountedObject() = default;
    ~CountedObject() = default;

  private:
    LONG references_ = 0;
};
