#include "skin/manager/skin_directory.h"

#ifdef _WIN32
#include <windows.h>

#include <vector>
#endif

namespace velmap::skin {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string NormalizeSkinDirectory(std::string_view dir, std::string_view baseFolder) {
    std::string base(baseFolder);
    if (dir.starts_with("..")) {
        // One folder up from the base: drop its trailing separator, then the
        // last folder name.
        if (!base.empty()) base.pop_back();
        while (!base.empty() && !IsSeparator(base.back())) base.pop_back();
        std::string_view rest = dir.size() > 3 ? dir.substr(3) : std::string_view{};
        return base + std::string(rest);
    }
    if (dir.starts_with(".\\") || dir.starts_with("./")) return base + std::string(dir.substr(2));
    if (dir.find(':') == std::string_view::npos && dir.find("\\\\") == std::string_view::npos)
        return base + std::string(dir);
    return std::string(dir);
}

std::string PackedSkinPath(std::string_view dir, std::string_view name) {
    std::string path(dir);
    if (path.size() == 1 && !IsSeparator(path[0])) {
        path += ":\\";
    } else if (!path.empty()) {
        if (path.back() == '/') path.back() = '\\';
        if (path.back() != '\\') path += '\\';
    }
    path += name;
    path += ".asz";
    return path;
}

std::string RemoveBlanksFromIniLines(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.front() != ';') {
            for (char c : line)
                if (c != ' ') out += c;
        } else {
            out += line;
        }
        // Keep the line break as written (CR LF, CR or LF).
        std::size_t next = end;
        if (next < text.size() && text[next] == '\r') ++next;
        if (next < text.size() && text[next] == '\n') ++next;
        out.append(text.substr(end, next - end));
        pos = next;
    }
    return out;
}

#ifdef _WIN32

std::wstring Utf8ToWide(std::string_view s) {
    if (s.empty()) return {};
    int n = ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string WideToUtf8(std::wstring_view s) {
    if (s.empty()) return {};
    int n = ::WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                                  nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n,
                              nullptr, nullptr);
    return out;
}

std::string HostExecutableFolder() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) {
            std::wstring path(buf.data(), n);
            auto slash = path.find_last_of(L"\\/");
            return WideToUtf8(slash == std::wstring::npos ? std::wstring{} : path.substr(0, slash + 1));
        }
        if (buf.size() >= 32768) return {};
        buf.resize(buf.size() * 2);
    }
}

namespace {

DWORD Attributes(const std::string& path) {
    if (path.empty()) return INVALID_FILE_ATTRIBUTES;
    return ::GetFileAttributesW(Utf8ToWide(path).c_str());
}

}  // namespace

bool FileExists(const std::string& path) {
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

#endif

}  // namespace velmap::skin
