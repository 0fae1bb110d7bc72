// The module's COM server object: live object and factory counts, and the
// registration of every factory it serves.
#pragma once

#include <oaidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <string>

namespace velmap::com {

enum class StartMode { Normal, Automation, RegServer, UnregServer };

// The host's command line switches (/AUTOMATION or /EMBEDDING, /REGSERVER,
// /UNREGSERVER; '-' works as well as '/'). Without effect in a DLL.
StartMode StartModeFromCommandLine(const wchar_t* command_line);

class TComServer {
public:
    TComServer();
    ~TComServer();  // destroys every factory it serves
    TComServer(const TComServer&) = delete;
    TComServer& operator=(const TComServer&) = delete;

    // Interlocked; both return the new count.
    LONG CountObject(bool created) noexcept;
    LONG CountFactory(bool created) noexcept;
    LONG ObjectCount() const noexcept { return object_count_; }
    LONG FactoryCount() const noexcept { return factory_count_; }

    bool IsInprocServer() const noexcept { return is_inproc_server_; }
    StartMode GetStartMode() const noexcept { return start_mode_; }
    bool StartSuspended() const noexcept { return start_suspended_; }
    bool UIInteractive() const noexcept { return ui_interactive_; }
    bool LastRegistration() const noexcept { return last_registration_; }

    // The name that prefixes ProgIDs: the one set, else the module's base name.
    std::wstring ServerName() const;
    void SetServerName(std::wstring name) { server_name_ = std::move(name); }
    const std::wstring& HelpFileName() const noexcept { return help_file_name_; }

    // The module's full path in its long form.
    std::wstring ServerFileName() const;

    // A type library the server registers with its classes. Nothing in the band
    // loads one, so its own TYPELIB resource stays unregistered.
    ITypeLib* TypeLib() const noexcept { return type_lib_.Get(); }
    void SetTypeLib(ITypeLib* lib) { type_lib_ = lib; }

    // Registers (true) or unregisters (false) the type library, if any, and every
    // factory of this server that is not internal. Throws on failure.
    void UpdateRegistry(bool do_register);

private:
    void UpdateTypeLibRegistration(bool do_register);

    volatile LONG object_count_ = 0;
    volatile LONG factory_count_ = 0;
    Microsoft::WRL::ComPtr<ITypeLib> type_lib_;
    std::wstring server_name_;
    std::wstring help_file_name_;
    bool is_inproc_server_ = true;
    StartMode start_mode_ = StartMode::Normal;
    bool start_suspended_ = false;
    bool last_registration_ = false;
    bool ui_interactive_ = true;
};

// The module's server object: exists from module start to module end, else null.
TComServer* ComServer() noexcept;
void CreateComServer();
void DestroyComServer() noexcept;

}  // namespace velmap::com
