#include "skin/manager/skin_directory.h"

#ifdef _WIN32
#include <windows.h>

#include "win/strings.h"

#include <vector>
#endif

namespace velmap::skin {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string NormalizeSkinDirectory(std::string_view dir, std::string_view base_folder) {
    std::string base(base_folder);
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

std::string HostExecutableFolder() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) {
            std::wstring path(buf.data(), n);
            auto slash = path.find_last_of(L"\\/");
            try {
                return win::WideToUtf8(slash == std::wstring::npos ? std::wstring{} : path.substr(0, slash + 1));
            } catch (const win::EncodingError&) {
                return {};
            }
        }
        if (buf.size() >= 32768) return {};
        buf.resize(buf.size() * 2);
    }
}

namespace {

DWORD Attributes(const std::string& path) {
    if (path.empty()) return INVALID_FILE_ATTRIBUTES;
    try {
        return ::GetFileAttributesW(win::Utf8ToWide(path).c_str());
    } catch (const win::EncodingError&) {
        return INVALID_FILE_ATTRIBUTES;  // no file can have that name
    }
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
