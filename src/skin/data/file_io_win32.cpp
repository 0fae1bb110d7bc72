#include "skin/data/file_io.h"

#include <windows.h>

#include <algorithm>

#include "win/handles.h"
#include "win/strings.h"

namespace velmap {
namespace {

// The wide name, or empty when the text is not UTF-8 (no such file then).
std::wstring WideName(const std::string& path) {
    try {
        return win::Utf8ToWide(path);
    } catch (const win::EncodingError&) {
        return {};
    }
}

}  // namespace

bool IsRegularFile(const std::string& path) {
    const std::wstring name = WideName(path);
    if (name.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FileInFolder(const std::string& folder, std::string_view name) {
    return folder + std::string(name);  // the file system ignores case itself
}

FileRead ReadFileBytes(const std::string& path, std::uint64_t max_bytes, std::vector<std::uint8_t>& out) {
    out.clear();
    if (!IsRegularFile(path)) return {FileReadStatus::NotAFile, 0};
    win::unique_file file(::CreateFileW(WideName(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return {FileReadStatus::Unreadable, 0};
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return {FileReadStatus::Unreadable, 0};
    FileRead result{FileReadStatus::Ok, static_cast<std::uint64_t>(size.QuadPart)};
    if (result.size > max_bytes) {
        result.status = FileReadStatus::TooLarge;
        return result;
    }
    out.resize(static_cast<std::size_t>(result.size));
    std::size_t done = 0;
    while (done < out.size()) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, DWORD{1} << 30));
        DWORD got = 0;
        if (!::ReadFile(file.get(), out.data() + done, want, &got, nullptr) || got == 0) break;
        done += got;
    }
    if (done != out.size()) {
        out.clear();
        result.status = FileReadStatus::Unreadable;
    }
    return result;
}

}  // namespace velmap
