// The list of the module's class factories, newest first. Lookups share the
// lock; adding, removing and walking for registration take it exclusively.
#pragma once

#include <windows.h>

#include <functional>

namespace velmap::com {

class TComObjectFactory;
class TComServer;

class TComClassManager {
public:
    TComClassManager() = default;
    TComClassManager(const TComClassManager&) = delete;
    TComClassManager& operator=(const TComClassManager&) = delete;

    void AddFactory(TComObjectFactory* factory);
    void RemoveFactory(TComObjectFactory* factory);

    // The first (newest) factory for the class, or null.
    TComObjectFactory* GetFactoryFromClassID(REFCLSID clsid);

    // Calls proc for each factory of the server, in list order, under the
    // exclusive lock; an exception from proc ends the walk and propagates.
    void ForEachFactory(TComServer* server, const std::function<void(TComObjectFactory&)>& proc);

    // Unlinks every factory of the server and destroys it.
    void DestroyFactories(TComServer* server);

    size_t FactoryCountInList();

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    TComObjectFactory* first_ = nullptr;
};

// Created on first use, destroyed at module end.
TComClassManager& ComClassManager();
TComClassManager* ExistingComClassManager() noexcept;
void DestroyComClassManager() noexcept;

}  // namespace velmap::com
