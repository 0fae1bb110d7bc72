#include "com/class_manager.h"

#include "com/object_factory.h"

#include <atomic>
#include <new>

namespace velmap::com {

namespace {

std::atomic<TComClassManager*> manager{nullptr};

class SharedLock {
public:
    explicit SharedLock(SRWLOCK& lock) noexcept : lock_(lock) { ::AcquireSRWLockShared(&lock_); }
    ~SharedLock() { ::ReleaseSRWLockShared(&lock_); }
    SharedLock(const SharedLock&) = delete;
    SharedLock& operator=(const SharedLock&) = delete;

private:
    SRWLOCK& lock_;
};

class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) noexcept : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
    ~ExclusiveLock() { ::ReleaseSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    SRWLOCK& lock_;
};

}  // namespace

void TComClassManager::AddFactory(TComObjectFactory* factory) {
    ExclusiveLock guard(lock_);
    factory->next_ = first_;
    first_ = factory;
}

void TComClassManager::RemoveFactory(TComObjectFactory* factory) {
    ExclusiveLock guard(lock_);
    for (TComObjectFactory** link = &first_; *link; link = &(*link)->next_) {
        if (*link == factory) {
            *link = factory->next_;
            factory->next_ = nullptr;
            return;
        }
    }
}

TComObjectFactory* TComClassManager::GetFactoryFromClassID(REFCLSID clsid) {
    SharedLock guard(lock_);
    for (TComObjectFactory* f = first_; f; f = f->next_)
        if (::IsEqualGUID(f->ClassID(), clsid)) return f;
    return nullptr;
}

void TComClassManager::ForEachFactory(TComServer* server, const std::function<void(TComObjectFactory&)>& proc) {
    ExclusiveLock guard(lock_);
    for (TComObjectFactory* f = first_; f;) {
        TComObjectFactory* next = f->next_;
        if (&f->ComServer() == server) proc(*f);
        f = next;
    }
}

void TComClassManager::DestroyFactories(TComServer* server) {
    // Unlink under the lock, destroy outside it: a factory's destructor removes
    // itself from the list and would wait on the lock held here.
    TComObjectFactory* doomed = nullptr;
    {
        ExclusiveLock guard(lock_);
        for (TComObjectFactory** link = &first_; *link;) {
            TComObjectFactory* f = *link;
            if (&f->ComServer() == server) {
                *link = f->next_;
                f->next_ = doomed;
                doomed = f;
            } else {
                link = &f->next_;
            }
        }
    }
    while (doomed) {
        TComObjectFactory* next = doomed->next_;
        doomed->next_ = nullptr;
        delete doomed;
        doomed = next;
    }
}

size_t TComClassManager::FactoryCountInList() {
    SharedLock guard(lock_);
    size_t n = 0;
    for (TComObjectFactory* f = first_; f; f = f->next_) ++n;
    return n;
}

TComClassManager& ComClassManager() {
    TComClassManager* current = manager.load();
    if (current) return *current;
    auto* created = new TComClassManager();
    if (manager.compare_exchange_strong(current, created)) return *created;
    delete created;
    return *current;
}

TComClassManager* ExistingComClassManager() noexcept { return manager.load(); }

void DestroyComClassManager() noexcept { delete manager.exchange(nullptr); }

}  // namespace velmap::com
