// The packed skin reader on raw bytes. Besides crashes and sanitizer
// reports, it checks what an accepted archive promises: one options file,
// every entry within bounds, entries back to back, and that the files read
// back identically when packed again.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "skin/data/skin_archive.h"
#include "skin/data/skin_warning.h"
#include "skin/data/zstream.h"

using namespace velmap;

namespace {

// Names the broken promise before libFuzzer records the input.
#define Check(ok) ((ok) ? void() : (std::fprintf(stderr, "check failed at line %d: %s\n", __LINE__, #ok), std::abort()))

void PutInt32(std::vector<std::uint8_t>& out, std::size_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::vector<std::uint8_t> Repack(const PackedSkinArchive& a) {
    std::vector<std::uint8_t> out(kPackedSkinMagic, kPackedSkinMagic + 4);
    PutInt32(out, a.Items.size());
    for (const PackedSkinItem& item : a.Items) {
        PutInt32(out, item.Name.size());
        out.insert(out.end(), item.Name.begin(), item.Name.end());
        const std::vector<std::uint8_t>& data = item.Data->Bytes();
        PutInt32(out, data.size());
        uLongf n = compressBound(static_cast<uLong>(data.size()));
        std::vector<std::uint8_t> z(n);
        Check(compress2(z.data(), &n, data.data(), static_cast<uLong>(data.size()), 1) == Z_OK);
        out.insert(out.end(), z.begin(), z.begin() + static_cast<std::ptrdiff_t>(n));
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = [] {
        SetSkinWarningHook([](const std::string&, const std::string&) {});
        return true;
    }();
    (void)quiet;

    MemoryStream source(std::vector<std::uint8_t>(data, data + size));
    auto reader = std::make_unique<TacSkinConvertor>();
    reader->SetSource(&source);
    bool loaded = false;
    try {
        loaded = LoadPackedSkin(reader);
    } catch (const EPackedSkinError&) {
    } catch (const EReadError&) {
    } catch (const EZDecompressionError&) {
    }
    // Anything else escaping (bad_alloc, length_error...) is a finding.
    if (!loaded) {
        Check(!reader || (reader->Entries.empty() && !reader->OptionsData));
        return 0;
    }
    Check(reader != nullptr);
    reader->SetSource(nullptr);
    Check(reader->OptionsData && reader->OptionsData->Size() >= 1);
    Check(reader->ImageEntryCount == static_cast<std::int32_t>(reader->Entries.size()));

    PackedSkinArchive archive = ReadPackedSkinArchive(source);
    Check(archive.Items.size() == reader->Entries.size() + 1);
    std::int64_t next = 8, total = 0;
    for (const PackedSkinItem& item : archive.Items) {
        Check(item.Offset == next);
        Check(item.DataOffset == item.Offset + 8 + static_cast<std::int64_t>(item.Name.size()));
        Check(item.Data->Size() >= 1 && item.Data->Size() <= kMaxPackedEntrySize);
        next = item.DataOffset + item.CompressedSize;
        total += item.Data->Size();
    }
    Check(total <= kMaxPackedTotalSize);
    Check(next + archive.TrailingBytes == static_cast<std::int64_t>(size));

    MemoryStream again(Repack(archive));
    PackedSkinArchive back = ReadPackedSkinArchive(again);
    Check(back.Items.size() == archive.Items.size());
    for (std::size_t i = 0; i < back.Items.size(); ++i) {
        Check(back.Items[i].Name == archive.Items[i].Name);
        Check(back.Items[i].Data->Bytes() == archive.Items[i].Data->Bytes());
    }
    return 0;
}
