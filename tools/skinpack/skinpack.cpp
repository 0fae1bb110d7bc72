#include "skinpack.h"

#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <ostream>
#include <set>

#include "render.h"
#include "skin/data/zstream.h"

namespace velmap::skinpack {

namespace fs = std::filesystem;

namespace {

std::string Upper(std::string_view s) {
    std::string u(s);
    for (char& c : u)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return u;
}

std::string Printable(std::string_view name) {
    std::string s;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7f) {
            static const char hex[] = "0123456789abcdef";
            s += "\\x";
            s += hex[u >> 4];
            s += hex[u & 15];
        } else {
            s += c;
        }
    }
    return s;
}

std::string Quoted(std::string_view name) {
    std::string q(1, '"');
    q.append(Printable(name)).push_back('"');
    return q;
}

void PutInt32(std::vector<std::uint8_t>& out, std::int64_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
}

std::vector<std::uint8_t> ReadWholeFile(const fs::path& path, std::int64_t maxBytes) {
    MemoryStream m;
    try {
        const std::u8string name = path.u8string();
        m.LoadFromFile(std::string(name.begin(), name.end()), maxBytes);
    } catch (const EStreamError& e) {
        throw SkinpackError(e.what());
    }
    return m.Bytes();
}

void WriteWholeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (f) f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (f) f.close();
    if (!f) throw SkinpackError("Cannot write \"" + path.string() + "\"");
}

// Replaces target only once the new content is complete.
void WriteFileAtomically(const fs::path& target, const std::vector<std::uint8_t>& bytes) {
    fs::path temp = target;
    temp += ".skinpack-tmp";
    WriteWholeFile(temp, bytes);
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {  // some platforms refuse to rename over an existing file
        fs::remove(target, ec);
        fs::rename(temp, target, ec);
    }
    if (ec) {
        fs::remove(temp, ec);
        throw SkinpackError("Cannot write \"" + target.string() + "\"");
    }
}

}  // namespace

std::string EntryNameProblem(std::string_view name) {
    if (name.empty()) return "the name is empty";
    if (name.size() > static_cast<std::size_t>(kMaxPackedNameLength))
        return "the name is longer than " + std::to_string(kMaxPackedNameLength) + " bytes";
    if (name == "." || name == ".." || name.find("..") != std::string_view::npos) return "the name contains \"..\"";
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\') return "the name contains a path separator";
        if (u < 0x20 || u >= 0x7f) return "the name contains a byte that is not printable ASCII";
        if (std::string_view("<>:\"|?*").find(c) != std::string_view::npos)
            return std::string("the name contains '") + c + "', which Windows does not allow";
    }
    if (name.back() == '.' || name.back() == ' ') return "the name ends in a dot or a space";
    // Device names are reserved with any extension: "NUL.bmp" is the device too.
    const std::string stem = Upper(name.substr(0, name.find('.')));
    static const std::set<std::string> devices{"CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4",
                                               "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3",
                                               "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
    if (devices.count(stem)) return "the name is a reserved device name";
    return {};
}

std::vector<std::string> PackOrder(const fs::path& dir, const std::vector<std::string>& names, const fs::path& out) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) throw SkinpackError("\"" + dir.string() + "\" is not a folder");

    std::vector<std::string> present;  // regular files of dir
    for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
        if (!e.is_regular_file()) continue;
        if (fs::exists(out, ec) && fs::equivalent(e.path(), out, ec)) continue;
        present.push_back(e.path().filename().string());
    }
    std::sort(present.begin(), present.end());

    std::vector<std::string> options;
    for (const std::string& n : present)
        if (IsOptionsEntryName(n)) options.push_back(n);
    if (options.empty()) throw SkinpackError("\"" + dir.string() + "\" holds no Options.dat");
    if (options.size() > 1) throw SkinpackError("\"" + dir.string() + "\" holds more than one Options.dat");

    std::vector<std::string> order{options.front()};
    const std::vector<std::string>& rest = names.empty() ? present : names;
    for (const std::string& n : rest) {
        if (IsOptionsEntryName(n)) continue;
        if (std::find(present.begin(), present.end(), n) == present.end())
            throw SkinpackError(Quoted(n) + " is not a file in \"" + dir.string() + "\"");
        order.push_back(n);
    }

    std::set<std::string> seen;
    for (const std::string& n : order) {
        if (const std::string why = EntryNameProblem(n); !why.empty())
            throw SkinpackError("Cannot pack " + Quoted(n) + ": " + why);
        if (!seen.insert(Upper(n)).second)
            throw SkinpackError("Cannot pack " + Quoted(n) + " twice (names are compared without regard to case)");
    }
    if (order.size() > static_cast<std::size_t>(kMaxPackedFileCount))
        throw SkinpackError("Too many files: at most " + std::to_string(kMaxPackedFileCount));
    return order;
}

std::vector<std::uint8_t> PackFiles(const fs::path& dir, const std::vector<std::string>& order, int level) {
    std::vector<std::uint8_t> archive(kPackedSkinMagic, kPackedSkinMagic + 4);
    PutInt32(archive, static_cast<std::int64_t>(order.size()));
    std::int64_t total = 0;
    for (const std::string& name : order) {
        const std::vector<std::uint8_t> data = ReadWholeFile(dir / name, kMaxPackedEntrySize);
        if (data.empty()) throw SkinpackError("Cannot pack " + Quoted(name) + ": the file is empty");
        total += static_cast<std::int64_t>(data.size());
        if (total > kMaxPackedTotalSize)
            throw SkinpackError("The files add up to more than " + std::to_string(kMaxPackedTotalSize) + " bytes");

        uLongf packedSize = compressBound(static_cast<uLong>(data.size()));
        std::vector<std::uint8_t> packed(packedSize);
        if (compress2(packed.data(), &packedSize, data.data(), static_cast<uLong>(data.size()), level) != Z_OK)
            throw SkinpackError("Cannot compress " + Quoted(name));
        PutInt32(archive, static_cast<std::int64_t>(name.size()));
        archive.insert(archive.end(), name.begin(), name.end());
        PutInt32(archive, static_cast<std::int64_t>(data.size()));
        archive.insert(archive.end(), packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(packedSize));
    }
    // What we hand out must be what the band reads.
    MemoryStream check(archive);
    PackedSkinArchive back = ReadPackedSkinArchive(check);
    if (back.Items.size() != order.size() || back.TrailingBytes != 0)
        throw SkinpackError("The packed archive does not read back");
    return archive;
}

PackedSkinArchive ReadArchiveFile(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) throw SkinpackError("\"" + path.string() + "\" is not a file");
    MemoryStream source(ReadWholeFile(path, kMaxPackedArchiveSize));
    return ReadPackedSkinArchive(source);
}

std::vector<std::string> ArchiveProblems(const PackedSkinArchive& archive) {
    std::vector<std::string> problems;
    std::set<std::string> seen;
    for (const PackedSkinItem& item : archive.Items) {
        if (const std::string why = EntryNameProblem(item.Name); !why.empty())
            problems.push_back("entry " + Quoted(item.Name) + ": " + why);
        if (!seen.insert(Upper(item.Name)).second)
            problems.push_back("entry " + Quoted(item.Name) + " appears more than once");
    }
    if (archive.TrailingBytes > 0)
        problems.push_back(std::to_string(archive.TrailingBytes) + " bytes follow the last entry");
    return problems;
}

void UnpackTo(const PackedSkinArchive& archive, const fs::path& dir) {
    std::set<std::string> seen;
    for (const PackedSkinItem& item : archive.Items) {
        if (const std::string why = EntryNameProblem(item.Name); !why.empty())
            throw SkinpackError("Refusing to unpack entry " + Quoted(item.Name) + ": " + why);
        if (!seen.insert(Upper(item.Name)).second)
            throw SkinpackError("Refusing to unpack entry " + Quoted(item.Name) + " twice");
    }
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) throw SkinpackError("Cannot create the folder \"" + dir.string() + "\"");
    for (const PackedSkinItem& item : archive.Items) {
        const fs::path target = dir / item.Name;
        // Never write through a link (or into anything but a plain file).
        const fs::file_status st = fs::symlink_status(target, ec);
        if (fs::exists(st) && !fs::is_regular_file(st))
            throw SkinpackError("Refusing to overwrite \"" + target.string() + "\": it is not a plain file");
    }
    for (const PackedSkinItem& item : archive.Items) WriteWholeFile(dir / item.Name, item.Data->Bytes());
}

namespace {

const char kUsage[] =
    "usage: skinpack pack [--level N] DIR OUT [FILE...]\n"
    "         pack the skin folder DIR into the archive OUT: Options.dat first, then\n"
    "         the FILEs in the order given, or every other file of DIR sorted by name\n"
    "       skinpack unpack ARCHIVE DIR   write every entry of ARCHIVE into DIR\n"
    "       skinpack list ARCHIVE         name, size, compressed size and offset of each entry\n"
    "       skinpack verify ARCHIVE       check ARCHIVE as the band reads it\n"
    "       skinpack render ...           paint skin items (skinpack render alone for its usage)\n";

int Pack(std::vector<std::string> args, std::ostream& out) {
    int level = Z_DEFAULT_COMPRESSION;
    if (args.size() >= 2 && args[0] == "--level") {
        const std::string& v = args[1];
        if (v.size() != 1 || v[0] < '0' || v[0] > '9') throw SkinpackError("--level takes a number from 0 to 9");
        level = v[0] - '0';
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() < 2) return 2;
    const fs::path dir = fs::path(args[0]), target = fs::path(args[1]);
    const std::vector<std::string> names(args.begin() + 2, args.end());
    const std::vector<std::string> order = PackOrder(dir, names, target);
    const std::vector<std::uint8_t> archive = PackFiles(dir, order, level);
    WriteFileAtomically(target, archive);
    out << "packed " << order.size() << " files into \"" << target.string() << "\" (" << archive.size() << " bytes)\n";
    return 0;
}

void List(const PackedSkinArchive& archive, std::ostream& out) {
    out << std::setw(10) << "offset" << std::setw(10) << "size" << std::setw(10) << "packed"
        << "  name\n";
    std::int64_t size = 0, packed = 0;
    for (const PackedSkinItem& item : archive.Items) {
        out << std::setw(10) << item.Offset << std::setw(10) << item.Data->Size() << std::setw(10)
            << item.CompressedSize << "  " << Printable(item.Name) << "\n";
        size += item.Data->Size();
        packed += item.CompressedSize;
    }
    out << std::setw(10) << "" << std::setw(10) << size << std::setw(10) << packed << "  " << archive.Items.size()
        << " entries\n";
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::string command = args.empty() ? "" : args[0];
    const std::vector<std::string> rest(args.begin() + (args.empty() ? 0 : 1), args.end());
    int status = 2;
    try {
        if (command == "render") {
            return RunRender(rest, out, err);
        } else if (command == "pack") {
            status = Pack(rest, out);
        } else if (command == "unpack" && rest.size() == 2) {
            const PackedSkinArchive archive = ReadArchiveFile(fs::path(rest[0]));
            UnpackTo(archive, fs::path(rest[1]));
            for (const PackedSkinItem& item : archive.Items) out << Printable(item.Name) << "\n";
            status = 0;
        } else if (command == "list" && rest.size() == 1) {
            List(ReadArchiveFile(fs::path(rest[0])), out);
            status = 0;
        } else if (command == "verify" && rest.size() == 1) {
            const PackedSkinArchive archive = ReadArchiveFile(fs::path(rest[0]));
            const std::vector<std::string> problems = ArchiveProblems(archive);
            for (const std::string& p : problems) err << "skinpack: " << rest[0] << ": " << p << "\n";
            if (problems.empty()) out << rest[0] << ": OK, " << archive.Items.size() << " entries\n";
            status = problems.empty() ? 0 : 1;
        }
    } catch (const EZDecompressionError& e) {
        err << "skinpack: an entry is not a valid zlib stream: " << e.what()
            << (e.Detail().empty() ? "" : " (" + e.Detail() + ")") << "\n";
        return 1;
    } catch (const EReadError&) {
        err << "skinpack: an entry's data ends before its stated size\n";
        return 1;
    } catch (const std::exception& e) {
        err << "skinpack: " << e.what() << "\n";
        return 1;
    }
    if (status == 2) err << kUsage;
    return status;
}

}  // namespace velmap::skinpack
