#include "gui/Component.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner, std::string name)
    : owner_(owner), name_(std::move(name)) {
    if (owner_) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
    if (!owner_) return;
    auto& list = owner_->components_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}
