// Components: the named parts of a window, listed by their owner.
#pragma once

#include "gui/Types.h"

#include <string>
#include <vector>

// A named part of a window. The owner lists its components in creation
// order, so that they can be visited by name.
class TComponent : public TObject {
  public:
    explicit TComponent(TComponent* owner, std::string name = {});
    ~TComponent() override;

    const std::string& Name() const { return name_; }
    TComponent* Owner() const { return owner_; }
    const std::vector<TComponent*>& Components() const { return components_; }

    // The component sits in a form designer rather than a running program.
    bool Designing() const { return designing_; }
    void SetDesigning(bool designing) { designing_ = designing; }

  private:
    TComponent* owner_;
    bool designing_ = false;
    std::string name_;
    std::vector<TComponent*> components_;
};
