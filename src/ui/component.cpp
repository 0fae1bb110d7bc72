#include "ui/component.h"

#include "ui/reader.h"

#include <algorithm>

namespace velmap::ui {

const TPropInfo* TPropTable::Find(std::string_view name) const {
    for (const TPropTable* t = this; t; t = t->base)
        for (const TPropInfo& p : t->props)
            if (name == p.name) return &p;
    return nullptr;
}

const TPropTable& TPersistent::ClassProps() {
    static const TPropTable table{nullptr, {}};
    return table;
}
const TPropTable& TPersistent::Props() const { return ClassProps(); }

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    state_.Include(TComponentState::csDestroying);
    life_.reset();
    // Tell whoever watches us, then forget them.
    while (!free_notifies_.empty()) {
        TComponent* other = free_notifies_.back();
        free_notifies_.pop_back();
        auto& theirs = other->free_notifies_;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        other->Notification(this, TOperation::opRemove);
    }
    // Owned components go last-first, as they were stacked up.
    while (!components_.empty()) components_.back()->Free();
    if (owner_) owner_->RemoveComponent(this);
}

void TComponent::Free() {
    DestroyTree();
    delete this;
}

void TComponent::DestroyTree() {
    if (Is(TComponentState::csDestroying)) return;
    Destroying();
    state_.Include(TComponentState::csDestroying);
    for (TComponent* c : components_) c->DestroyTree();
}

void TComponent::AfterConstruction() { state_.Exclude(TComponentState::csCreating); }

void TComponent::Loaded() { state_.Exclude(TComponentState::csLoading); }

void TComponent::Notification(TComponent* component, TOperation op) {
    if (op == TOperation::opRemove)
        for (auto& [name, bind] : fields_)
            if (component && component->Name() == name && component->Owner() == this) bind(nullptr);
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this) return;
    if (std::find(free_notifies_.begin(), free_notifies_.end(), other) == free_notifies_.end()) {
        free_notifies_.push_back(other);
        other->free_notifies_.push_back(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (!other) return;
    free_notifies_.erase(std::remove(free_notifies_.begin(), free_notifies_.end(), other), free_notifies_.end());
    auto& theirs = other->free_notifies_;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : components_)
        if (c->name_ == name) return c;
    return nullptr;
}

static bool IsIdent(const std::string& s) {
    if (s.empty() || s.size() > 255) return false;
    auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (!alpha(s[0])) return false;
    return std::all_of(s.begin(), s.end(), [&](char c) { return alpha(c) || (c >= '0' && c <= '9'); });
}

void TComponent::SetName(const std::string& name) {
    if (name == name_) return;
    if (!name.empty() && !IsIdent(name)) throw EUiError("'" + name + "' is not a valid component name");
    if (owner_ && owner_->FindComponent(name)) throw EUiError("A component named " + name + " already exists");
    name_ = name;
}

bool TComponent::BindField(const std::string& name, TComponent* c) {
    auto it = fields_.find(name);
    if (it == fields_.end()) return true;
    return it->second(c);
}

void TComponent::InsertComponent(TComponent* c) {
    components_.push_back(c);
    c->owner_ = this;
    Notification(c, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* c) {
    Notification(c, TOperation::opRemove);
    components_.erase(std::remove(components_.begin(), components_.end(), c), components_.end());
    c->owner_ = nullptr;
}

namespace {
std::map<std::string, TComponentFactory>& Registry() {
    static std::map<std::string, TComponentFactory> r;
    return r;
}
}  // namespace

void RegisterComponentClass(const std::string& name, TComponentFactory factory) { Registry()[name] = factory; }

TComponentFactory FindComponentClass(const std::string& name) {
    RegisterStandardClasses();
    auto it = Registry().find(name);
    return it == Registry().end() ? nullptr : it->second;
}

}  // namespace velmap::ui

namespace velmap::ui {
namespace {
const TPropInfo kComponentProps[] = {props::Int<&TComponent::SetTag>("Tag")};
}
const TPropTable& TComponent::ClassProps() {
    static const TPropTable table{&TPersistent::ClassProps(), kComponentProps};
    return table;
}
const TPropTable& TComponent::Props() const { return ClassProps(); }
}  // namespace velmap::ui
