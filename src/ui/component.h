// Components: ownership, names, component states, per-class published
// property tables, and the handler and field tables a form root offers to
// the stored-description reader.
#pragma once

#include "ui/types.h"

#include <any>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <typeindex>
#include <vector>

namespace velmap::ui {

class TReader;
struct TValue;
class TPersistent;
class TComponent;

// One published property: how the reader assigns a stored value to it, or,
// for a nested object (Font, Constraints), how it reaches that object.
struct TPropInfo {
    const char* name;
    void (*set)(TPersistent& self, const TValue& value, TReader& reader) = nullptr;
    TPersistent* (*object)(TPersistent& self) = nullptr;
};

// A class's own properties plus a link to its base class's table.
struct TPropTable {
    const TPropTable* base;
    std::span<const TPropInfo> props;

    const TPropInfo* Find(std::string_view name) const;
};

// Anything with published properties.
class TPersistent {
public:
    virtual ~TPersistent() = default;
    virtual const TPropTable& Props() const;
    virtual std::string ClassName() const { return "TPersistent"; }
    static const TPropTable& ClassProps();
};

enum class TComponentState : unsigned { csCreating, csReading, csLoading, csDestroying, csDesigning };
using TComponentStates = TSet<TComponentState>;
enum class TOperation { opInsert, opRemove };

using TNotifyEvent = std::function<void(TComponent* sender)>;

class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    // Destroys the component and everything it owns. Prefer this to delete:
    // the whole tree learns it is being destroyed before any part goes.
    void Free();

    // Runs once the most derived constructor has finished (see Make).
    virtual void AfterConstruction();
    // The end-of-loading step, after every stored property of the tree is set.
    virtual void Loaded();
    // Told about components inserted into or removed from this owner, and
    // about components this one asked to hear about (FreeNotification).
    virtual void Notification(TComponent* component, TOperation op);
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    TComponent* Owner() const { return owner_; }
    const std::vector<TComponent*>& Components() const { return components_; }
    TComponent* FindComponent(std::string_view name) const;

    const std::string& Name() const { return name_; }
    virtual void SetName(const std::string& name);
    // A number of the user's; the framework never reads it.
    int Tag() const { return tag_; }
    void SetTag(int v) { tag_ = v; }

    TComponentStates ComponentState() const { return state_; }
    bool Is(TComponentState s) const { return state_.Contains(s); }
    void SetState(TComponentState s, bool on) {
        if (on)
            state_.Include(s);
        else
            state_.Exclude(s);
    }

    // A token that expires when the component is destroyed: lets code that
    // called out (a click, a timer tick) find out whether it still exists.
    std::weak_ptr<void> Life() const { return life_; }

    // Handler methods a root offers to stored event bindings, by name.
    template <typename Sig>
    void RegisterHandler(const std::string& name, std::function<Sig> fn) {
        handlers_.insert_or_assign(name,
                                   THandler{std::type_index(typeid(std::function<Sig>)), std::any(std::move(fn))});
    }
    template <typename Sig>
    std::function<Sig> FindHandler(const std::string& name, bool* wrong_type = nullptr) const {
        auto it = handlers_.find(name);
        if (it == handlers_.end()) return {};
        if (it->second.type != std::type_index(typeid(std::function<Sig>))) {
            if (wrong_type) *wrong_type = true;
            return {};
        }
        return std::any_cast<std::function<Sig>>(it->second.fn);
    }
    // A field slot of a root, filled with the component of that name after
    // reading and cleared when that component goes away.
    template <typename T>
    void RegisterField(const std::string& name, T** slot) {
        fields_[name] = [slot](TComponent* c) {
            if (!c) {
                *slot = nullptr;
                return true;
            }
            T* t = dynamic_cast<T*>(c);
            if (!t) return false;
            *slot = t;
            return true;
        };
    }
    // False when the field exists but the component has the wrong class.
    bool BindField(const std::string& name, TComponent* c);

    std::string ClassName() const override { return "TComponent"; }
    const TPropTable& Props() const override;
    static const TPropTable& ClassProps();

protected:
    // Called for every component of a tree that is about to be destroyed.
    virtual void Destroying() { state_.Include(TComponentState::csDestroying); }

private:
    void InsertComponent(TComponent* c);
    void RemoveComponent(TComponent* c);
    void DestroyTree();

    struct THandler {
        std::type_index type;
        std::any fn;
    };

    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> free_notifies_;
    std::string name_;
    int tag_ = 0;
    TComponentStates state_{TComponentState::csCreating};
    std::shared_ptr<int> life_ = std::make_shared<int>(0);
    std::map<std::string, THandler> handlers_;
    std::map<std::string, std::function<bool(TComponent*)>> fields_;
};

// Frees a component when the holder goes out of scope.
struct TFreeDeleter {
    void operator()(TComponent* c) const { c->Free(); }
};
template <typename T>
using owned = std::unique_ptr<T, TFreeDeleter>;

// Creates a component and runs its after-construction step. Every component
// is made this way (the reader does too).
template <typename T, typename... A>
T* Make(A&&... args) {
    owned<T> p(new T(std::forward<A>(args)...));
    p->AfterConstruction();
    return p.release();
}

// Registry of classes the reader can create by name.
using TComponentFactory = TComponent* (*)(TComponent* owner);
void RegisterComponentClass(const std::string& name, TComponentFactory factory);
TComponentFactory FindComponentClass(const std::string& name);
template <typename T>
void RegisterClass(const std::string& name) {
    RegisterComponentClass(name, [](TComponent* owner) -> TComponent* { return Make<T>(owner); });
}
// Registers the framework's own classes (idempotent).
void RegisterStandardClasses();

}  // namespace velmap::ui
