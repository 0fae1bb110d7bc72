#include "skin/data/file_io.h"
#include "skin/data/skin_archive.h"
#include "skin/data/skin_files.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>

#include "archive_builder.h"
#include "skin/data/skin_warning.h"
#include "skin/data/zstream.h"

namespace velmap {
namespace {

using test::ArchiveEntry;
using test::BuildArchive;
using test::Bytes;

Bytes Contents(const MemoryStream& s) { return s.Bytes(); }

Bytes FakeBitmap(std::size_t size, std::uint8_t shade) {
    Bytes b(size);
    b[0] = 'B';
    b[1] = 'M';
    for (std::size_t i = 2; i < size; ++i) b[i] = static_cast<std::uint8_t>(shade + (i / 97) % 7);
    return b;
}

// Records warnings instead of showing them.
class WarningSpy {
public:
    WarningSpy() {
        previous_ = SetSkinWarningHook([this](const std::string& text, const std::string& caption) {
            texts.push_back(text);
            captions.push_back(caption);
        });
    }
    ~WarningSpy() { SetSkinWarningHook(std::move(previous_)); }
    std::vector<std::string> texts, captions;

private:
    SkinWarningHook previous_;
};

struct Loaded {
    std::unique_ptr<MemoryStream> source;
    std::unique_ptr<TacSkinConvertor> reader;
    bool ok = false;
};

// Reads bytes the way a stored skin is read: the reader borrows the stream.
Loaded LoadLent(const Bytes& bytes) {
    Loaded l;
    l.source = std::make_unique<MemoryStream>(bytes);
    l.reader = std::make_unique<TacSkinConvertor>();
    l.reader->SetSource(l.source.get());
    l.ok = LoadPackedSkin(l.reader);
    if (l.reader) l.reader->SetSource(nullptr);
    return l;
}

TEST(PackedSkinReader, ReadsAWholeArchiveBackByteExact) {
    const Bytes options = test::OptionsText(13659);
    const Bytes huge = FakeBitmap(56374, 40), master = FakeBitmap(60440, 90);
    const Bytes archive = BuildArchive({{"Options.dat", options}, {"ButtonHuge.bmp", huge}, {"Master.bmp", master}});

    WarningSpy spy;
    Loaded l = LoadLent(archive);
    ASSERT_TRUE(l.ok);
    ASSERT_TRUE(l.reader);
    EXPECT_EQ(l.reader->ImageEntryCount, 2);
    ASSERT_TRUE(l.reader->OptionsData);
    EXPECT_EQ(Contents(*l.reader->OptionsData), options);
    ASSERT_EQ(l.reader->Entries.size(), 2u);
    EXPECT_EQ(l.reader->Entries[0].Name, "ButtonHuge.bmp");
    EXPECT_EQ(Contents(*l.reader->Entries[0].Data), huge);
    EXPECT_EQ(l.reader->Entries[1].Name, "Master.bmp");
    EXPECT_EQ(Contents(*l.reader->Entries[1].Data), master);
    // Consumers seek to 0 themselves: the streams are left at their end.
    EXPECT_EQ(l.reader->OptionsData->Position(), static_cast<std::int64_t>(options.size()));
    EXPECT_TRUE(spy.texts.empty());
}

TEST(PackedSkinReader, KeepsEntryNamesAsStoredAndTheOptionsEntryAnywhere) {
    const Bytes archive = BuildArchive({{"master.BMP", {1, 2, 3}}, {"OPTIONS.DAT", test::ToBytes("[X]")}});
    Loaded l = LoadLent(archive);
    ASSERT_TRUE(l.ok);
    ASSERT_EQ(l.reader->Entries.size(), 1u);
    EXPECT_EQ(l.reader->Entries[0].Name, "master.BMP");
    EXPECT_EQ(Contents(*l.reader->OptionsData), test::ToBytes("[X]"));
}

TEST(PackedSkinReader, RecognisesTheOptionsEntryInAnyLetterCase) {
    for (const char* name : {"Options.dat", "OPTIONS.DAT", "options.dat", "oPtIoNs.DaT"}) {
        Loaded l = LoadLent(BuildArchive({{name, test::ToBytes("[GLOBALINFO]")}}));
        ASSERT_TRUE(l.ok) << name;
        EXPECT_EQ(l.reader->ImageEntryCount, 0) << name;
        EXPECT_TRUE(l.reader->Entries.empty()) << name;
        ASSERT_TRUE(l.reader->OptionsData) << name;
        EXPECT_EQ(Contents(*l.reader->OptionsData), test::ToBytes("[GLOBALINFO]"));
    }
    EXPECT_FALSE(IsOptionsEntryName("Options.da"));
    EXPECT_FALSE(IsOptionsEntryName("Options.dat "));
    EXPECT_FALSE(IsOptionsEntryName("Options_dat"));
    // Only a-z fold: a byte 0x20 apart outside the letters must not match.
    EXPECT_FALSE(
        IsOptionsEntryName("Options\x0e"
                           "dat"));
}

TEST(PackedSkinReader, WrongMagicWarnsAndDestroysTheReader) {
    const Bytes good = BuildArchive({{"Options.dat", {'x'}}});
    for (const char* magic : {"ASZF", "aszf", "asZF", "PK\x03\x04"}) {
        WarningSpy spy;
        Bytes bad = good;
        std::copy(magic, magic + 4, bad.begin());
        Loaded l = LoadLent(bad);
        EXPECT_FALSE(l.ok) << magic;
        EXPECT_EQ(l.reader, nullptr) << magic;
        ASSERT_EQ(spy.texts.size(), 1u) << magic;
        EXPECT_EQ(spy.texts[0], "Loaded data is not a packed skin file");
        EXPECT_EQ(spy.captions[0], "Warning");
        // The lent stream is the caller's: still intact.
        EXPECT_EQ(l.source->Bytes(), bad);
    }
}

TEST(PackedSkinReader, ClearFreesEverythingButALentSource) {
    MemoryStream lent(BuildArchive({{"Options.dat", {'o'}}, {"a.bmp", {'a'}}, {"b.bmp", {'b'}}}));
    TacSkinConvertor reader;
    reader.SetSource(&lent);
    auto ref = std::make_unique<TacSkinConvertor>();
    ref->SetSource(&lent);
    ASSERT_TRUE(LoadPackedSkin(ref));
    EXPECT_FALSE(ref->OwnsSource());
    ref->ClearPackedSkin();
    EXPECT_TRUE(ref->Entries.empty());
    EXPECT_EQ(ref->OptionsData, nullptr);
    EXPECT_EQ(ref->Source(), nullptr);
    EXPECT_GT(lent.Size(), 0);  // still usable: ASan would flag a freed lent stream
}

// Entry data starts right after a small options entry; the image's zlib
// stream has an exact length (stored blocks), so its end can be put at,
// before or after the end of the 65536-byte input chunk.
class ChunkBoundary : public ::testing::TestWithParam<int> {};

TEST_P(ChunkBoundary, NextEntryStartsRightAfterTheTrailer) {
    const int streamLength = GetParam();
    // Stored blocks cost 5 bytes each, plus 2 of header and 4 of trailer.
    int size = 0;
    for (int blocks = 1; size == 0; ++blocks)
        if (const int n = streamLength - 6 - 5 * blocks; (n + 65534) / 65535 == blocks) size = n;
    const Bytes image = test::NoiseBytes(static_cast<std::size_t>(size), 7);
    const Bytes stream = test::StoredZlib(image);
    ASSERT_EQ(stream.size(), static_cast<std::size_t>(streamLength));
    const Bytes after = test::NoiseBytes(3000, 8);
    const Bytes archive = BuildArchive(
        {{"Options.dat", test::OptionsText(500)}, {"Big.bmp", image, stream}, {"After.bmp", after}});
    Loaded l = LoadLent(archive);
    ASSERT_TRUE(l.ok);
    ASSERT_EQ(l.reader->Entries.size(), 2u);
    EXPECT_EQ(Contents(*l.reader->Entries[0].Data), image);
    EXPECT_EQ(l.reader->Entries[1].Name, "After.bmp");
    EXPECT_EQ(Contents(*l.reader->Entries[1].Data), after);
}

// 65536: ends exactly at the chunk end; 65535 one byte before; 65537 one
// after; 65540 puts the whole trailer in the next chunk; 131072 spans two.
INSTANTIATE_TEST_SUITE_P(PackedSkinReader, ChunkBoundary,
                         ::testing::Values(65535, 65536, 65537, 65538, 65539, 65540, 65541, 131072, 131073));

TEST(PackedSkinReader, ReadsEntriesWhoseCompressedDataExceedOneChunk) {
    std::vector<ArchiveEntry> entries{{"Options.dat", test::OptionsText(4000)}};
    for (int i = 0; i < 5; ++i)
        entries.push_back({"n" + std::to_string(i) + ".bmp", test::NoiseBytes(30000 + i * 777, i)});
    const Bytes archive = BuildArchive(entries);
    ASSERT_GT(archive.size(), 150000u);
    Loaded l = LoadLent(archive);
    ASSERT_TRUE(l.ok);
    ASSERT_EQ(l.reader->Entries.size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Contents(*l.reader->Entries[i].Data), entries[i + 1].data) << i;
}

struct Encoder {
    const char* name;
    Bytes (*encode)(const Bytes&);
    friend void PrintTo(const Encoder& e, std::ostream* os) { *os << e.name; }
};

class Encoders : public ::testing::TestWithParam<Encoder> {};

TEST_P(Encoders, StreamsFromAnotherEncoderReadBackByteExact) {
    const Encoder enc = GetParam();
    const Bytes options = test::OptionsText(7000);
    const Bytes bmp = FakeBitmap(70000, 20), noise = test::NoiseBytes(20000, 3);
    const Bytes archive = BuildArchive({{"Options.dat", options, enc.encode(options)},
                                        {"Master.bmp", bmp, enc.encode(bmp)},
                                        {"Noise.jpg", noise, enc.encode(noise)}});
    Loaded l = LoadLent(archive);
    ASSERT_TRUE(l.ok) << enc.name;
    EXPECT_EQ(Contents(*l.reader->OptionsData), options);
    ASSERT_EQ(l.reader->Entries.size(), 2u);
    EXPECT_EQ(Contents(*l.reader->Entries[0].Data), bmp);
    EXPECT_EQ(Contents(*l.reader->Entries[1].Data), noise);
}

INSTANTIATE_TEST_SUITE_P(
    PackedSkinReader, Encoders,
    ::testing::Values(Encoder{"HandStored", [](const Bytes& b) { return test::StoredZlib(b, 1000); }},
                      Encoder{"HandFixedHuffman", [](const Bytes& b) { return test::FixedHuffmanZlib(b); }},
                      Encoder{"ZlibLevel0", [](const Bytes& b) { return test::ZlibDeflate(b, 0); }},
                      Encoder{"ZlibLevel1", [](const Bytes& b) { return test::ZlibDeflate(b, 1); }},
                      Encoder{"ZlibLevel9", [](const Bytes& b) { return test::ZlibDeflate(b, 9); }},
                      Encoder{"ZlibFixed", [](const Bytes& b) { return test::ZlibDeflate(b, 6, Z_FIXED); }},
                      Encoder{"ZlibRle", [](const Bytes& b) { return test::ZlibDeflate(b, 6, Z_RLE); }}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- hostile archives: refused as a whole, nothing delivered ----------------

// Loads into a reader that already holds one image, and expects the load to
// fail with E while leaving that reader exactly as it was.
template <typename E>
std::string ExpectRefused(const Bytes& archive) {
    MemoryStream source(archive);
    auto reader = std::make_unique<TacSkinConvertor>();
    reader->Entries.push_back({"Kept.bmp", std::make_unique<MemoryStream>(Bytes{1})});
    reader->ImageEntryCount = 1;
    reader->SetSource(&source);
    std::string message;
    try {
        LoadPackedSkin(reader);
        ADD_FAILURE() << "archive was accepted";
    } catch (const E& e) {
        message = e.what();
    } catch (const std::exception& e) {
        ADD_FAILURE() << "unexpected error: " << e.what();
    }
    EXPECT_TRUE(reader);
    if (reader) {
        EXPECT_EQ(reader->Entries.size(), 1u);
        EXPECT_EQ(reader->ImageEntryCount, 1);
        EXPECT_EQ(reader->OptionsData, nullptr);
        reader->SetSource(nullptr);
    }
    return message;
}

TEST(PackedSkinHostile, AnArchiveCutAnywhereIsRefused) {
    const Bytes full = BuildArchive({{"Options.dat", test::OptionsText(300)}, {"a.bmp", FakeBitmap(900, 1)}});
    WarningSpy spy;
    for (std::size_t n = 0; n < full.size(); ++n) {
        SCOPED_TRACE(n);
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        ExpectRefused<std::runtime_error>(cut);
    }
    EXPECT_TRUE(spy.texts.empty());  // a cut archive is not a foreign file
}

TEST(PackedSkinHostile, CutHeaderFieldsAreNamedInTheError) {
    const Bytes full = BuildArchive({{"Options.dat", {'x'}}});
    auto cut = [&](std::size_t n) { return Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n)); };
    EXPECT_NE(ExpectRefused<EPackedSkinError>(cut(2)).find("magic"), std::string::npos);
    EXPECT_NE(ExpectRefused<EPackedSkinError>(cut(6)).find("FileCount"), std::string::npos);
    EXPECT_NE(ExpectRefused<EPackedSkinError>(cut(10)).find("NameLength"), std::string::npos);
    EXPECT_NE(ExpectRefused<EPackedSkinError>(cut(16)).find("name"), std::string::npos);
    EXPECT_NE(ExpectRefused<EPackedSkinError>(cut(25)).find("UncompressedSize"), std::string::npos);
}

TEST(PackedSkinHostile, FieldsOutOfBoundsAreRefusedBeforeAnyAllocation) {
    for (std::int32_t count : {0, -1, kMaxPackedFileCount + 1, INT_MAX, INT_MIN})
        EXPECT_NE(
            ExpectRefused<EPackedSkinError>(BuildArchive({{"Options.dat", {'x'}}}, "ASzf", count)).find("FileCount"),
            std::string::npos)
            << count;

    for (std::int32_t length : {0, -1, kMaxPackedNameLength + 1, INT_MAX, INT_MIN}) {
        Bytes a{'A', 'S', 'z', 'f'};
        test::PutInt32(a, 1);
        test::PutInt32(a, length);
        a.resize(a.size() + 300, 'n');
        EXPECT_NE(ExpectRefused<EPackedSkinError>(a).find("NameLength"), std::string::npos) << length;
    }

    for (std::int32_t size : {0, -1, kMaxPackedEntrySize + 1, INT_MAX, INT_MIN}) {
        ArchiveEntry e{"Options.dat", {'x'}};
        e.declaredSize = size;
        EXPECT_NE(ExpectRefused<EPackedSkinError>(BuildArchive({e})).find("UncompressedSize"), std::string::npos)
            << size;
    }
}

TEST(PackedSkinHostile, TheWholeArchiveIsBoundedToo) {
    // Four entries at the per-entry bound fill the archive bound; a fifth
    // byte is refused before it is inflated.
    const Bytes big(kMaxPackedEntrySize, 0);
    const Bytes stream = test::ZlibDeflate(big, 1);
    std::vector<ArchiveEntry> entries{{"Options.dat", {'x'}}};
    for (int i = 0; i < 3; ++i) entries.push_back({"b" + std::to_string(i), big, stream});
    ArchiveEntry almost{"c", Bytes(kMaxPackedEntrySize - 1, 0)};
    entries.push_back(almost);
    Loaded l = LoadLent(BuildArchive(entries));
    ASSERT_TRUE(l.ok);
    l.reader.reset();

    entries.push_back({"d", {'y'}});
    EXPECT_NE(ExpectRefused<EPackedSkinError>(BuildArchive(entries)).find("more than"), std::string::npos);
}

TEST(PackedSkinHostile, OptionsEntryMissingOrTwiceIsRefused) {
    EXPECT_NE(ExpectRefused<EPackedSkinError>(BuildArchive({{"Master.bmp", {1}}})).find("no Options.dat"),
              std::string::npos);
    EXPECT_NE(ExpectRefused<EPackedSkinError>(BuildArchive({{"Options.dat", {1}}, {"OPTIONS.DAT", {2}}}))
                  .find("more than one"),
              std::string::npos);
}

TEST(PackedSkinHostile, EntriesMustInflateToExactlyTheirStatedSize) {
    ArchiveEntry longer{"a.bmp", FakeBitmap(5000, 3)};
    longer.declaredSize = 4999;
    EXPECT_NE(ExpectRefused<EPackedSkinError>(BuildArchive({{"Options.dat", {'x'}}, longer})).find("more than"),
              std::string::npos);

    ArchiveEntry shorter{"a.bmp", FakeBitmap(5000, 3)};
    shorter.declaredSize = 5001;
    EXPECT_EQ(ExpectRefused<EReadError>(BuildArchive({{"Options.dat", {'x'}}, shorter})), "Stream read error");

    // The stated size is reached inside one chunk while the stream runs on
    // for far longer: still refused, however large the excess.
    ArchiveEntry excess{"n.bmp", test::NoiseBytes(200000, 5)};
    excess.declaredSize = 10;
    ExpectRefused<EPackedSkinError>(BuildArchive({{"Options.dat", {'x'}}, excess}));
}

TEST(PackedSkinHostile, CorruptZlibDataRaisesZlibsMessage) {
    const Bytes image = FakeBitmap(3000, 9);
    Bytes stream = test::ZlibDeflate(image, 9);

    Bytes badHeader = stream;
    badHeader[0] = 0x79;
    EXPECT_EQ(ExpectRefused<EZDecompressionError>(BuildArchive({{"Options.dat", {'x'}}, {"a.bmp", image, badHeader}})),
              "data error");

    Bytes badCheck = stream;
    badCheck.back() ^= 0x55;
    EXPECT_EQ(ExpectRefused<EZDecompressionError>(BuildArchive({{"Options.dat", {'x'}}, {"a.bmp", image, badCheck}})),
              "data error");

    // A stream asking for a preset dictionary is not one the format allows.
    const Bytes dict{0x78, 0xBB, 0, 0, 0, 1, 3, 0};
    ExpectRefused<EZDecompressionError>(BuildArchive({{"Options.dat", {'x'}}, {"a.bmp", {1}, dict}}));
}

// ---- the decompression stream on its own -------------------------------------

TEST(ZDecompressionStream, HandsBackUnconsumedInputAtTheStreamEnd) {
    const Bytes data = test::NoiseBytes(1000, 1);
    Bytes bytes = test::ZlibDeflate(data, 6);
    const auto streamEnd = static_cast<std::int64_t>(bytes.size());
    bytes.insert(bytes.end(), {0xDE, 0xAD, 0xBE, 0xEF});
    MemoryStream source(bytes);
    {
        TZDecompressionStream z(source);
        Bytes out(2000);
        std::size_t got = 0, n;
        while ((n = z.Read(out.data() + got, 7)) > 0) got += n;  // small pieces
        out.resize(got);
        EXPECT_EQ(out, data);
        EXPECT_TRUE(z.StreamEnded());
        EXPECT_EQ(source.Position(), streamEnd);
        EXPECT_EQ(z.Position(), 1000);
    }
    EXPECT_EQ(source.Position(), streamEnd);  // destruction does not move it
}

// zlib inflating everything it is given in one call.
Bytes OneShotInflate(const Bytes& in, std::size_t maxOut) {
    Bytes out(maxOut);
    z_stream z{};
    inflateInit(&z);
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    inflate(&z, Z_NO_FLUSH);
    out.resize(z.total_out);
    inflateEnd(&z);
    return out;
}

TEST(ZDecompressionStream, DeliversPendingOutputWhenTheSourceRunsDry) {
    // Long runs code as a few bytes: cut short, inflate may have taken all
    // input while part of a match is still to be written.
    Bytes data = test::ToBytes("header:");
    for (int i = 0; i < 20; ++i) data.insert(data.end(), 300 + i * 37, static_cast<std::uint8_t>('a' + i));
    const Bytes full = test::ZlibDeflate(data, 9);
    for (std::size_t cut = 3; cut < full.size(); ++cut) {
        SCOPED_TRACE(cut);
        const Bytes part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
        MemoryStream source(part);
        TZDecompressionStream z(source);
        Bytes out(data.size() + 1);
        std::size_t got = 0, n;
        while ((n = z.Read(out.data() + got, 10)) > 0) got += n;
        out.resize(got);
        EXPECT_EQ(out, OneShotInflate(part, data.size() + 1));
        EXPECT_FALSE(z.StreamEnded());
    }
}

TEST(ZDecompressionStream, ResumesAtItsOwnPositionWhenTheSourceWasMoved) {
    const Bytes data = test::NoiseBytes(200000, 2);
    MemoryStream source(test::ZlibDeflate(data, 1));
    TZDecompressionStream z(source);
    Bytes out(data.size());
    std::size_t got = 0;
    while (got < out.size()) {
        const std::size_t n = z.Read(out.data() + got, 50000);
        ASSERT_GT(n, 0u);
        got += n;
        source.SetPosition(3);  // somebody else reads the source meanwhile
    }
    EXPECT_EQ(out, data);
}

TEST(ZDecompressionStream, IsReadOnly) {
    MemoryStream source(test::ZlibDeflate({1, 2, 3}, 6));
    TZDecompressionStream z(source);
    const std::uint8_t b = 0;
    try {
        z.Write(&b, 1);
        FAIL() << "write accepted";
    } catch (const EZDecompressionError& e) {
        EXPECT_STREQ(e.what(), "Invalid ZStream operation!");
    }
    EXPECT_THROW(z.Seek(0, SeekOrigin::Begin), EZDecompressionError);
}

// A source that hands out at most a few bytes per read and records the
// largest request it saw.
class TrickleStream final : public Stream {
public:
    explicit TrickleStream(Bytes b) : inner_(std::move(b)) {}
    std::size_t Read(void* buffer, std::size_t count) override {
        largestRequest = std::max(largestRequest, count);
        return inner_.Read(buffer, std::min<std::size_t>(count, 3));
    }
    std::size_t Write(const void* b, std::size_t n) override { return inner_.Write(b, n); }
    std::int64_t Seek(std::int64_t o, SeekOrigin origin) override { return inner_.Seek(o, origin); }
    std::size_t largestRequest = 0;

private:
    MemoryStream inner_;
};

TEST(StreamCopy, MovesAtMostOnePieceAtATimeAndFailsOnAShortPiece) {
    const Bytes data = test::NoiseBytes(200000, 9);
    for (bool intoMemory : {true, false}) {
        SCOPED_TRACE(intoMemory);
        MemoryStream source(data);
        TrickleStream trickleTarget({});
        MemoryStream memoryTarget;
        Stream& target = intoMemory ? static_cast<Stream&>(memoryTarget) : trickleTarget;
        EXPECT_EQ(target.CopyFrom(source, 150000), 150000);
        EXPECT_EQ(target.Size(), 150000);
        EXPECT_THROW(target.CopyFrom(source, 50001), EReadError);
        EXPECT_EQ(target.Size(), 150000);  // the short piece is not written
    }
    // Reads that come back short but not empty are a read error too: the
    // copy does not loop on its source.
    TrickleStream trickle(data);
    MemoryStream target;
    EXPECT_THROW(target.CopyFrom(trickle, 100), EReadError);
    EXPECT_LE(trickle.largestRequest, Stream::CopyPieceSize);
}

// ---- loading from a file -----------------------------------------------------

class PackedSkinFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::path(VELMAP_TEST_BINARY_DIR) / "skin_archive_test" /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    std::string Write(const std::string& name, const Bytes& bytes) {
        const auto p = dir_ / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return p.string();
    }
    std::filesystem::path dir_;
};

TEST_F(PackedSkinFile, AMissingFileLeavesTheReferenceAlone) {
    std::unique_ptr<TacSkinConvertor> none;
    EXPECT_FALSE(LoadPackedSkinFile((dir_ / "Nope.asz").string(), none, true));
    EXPECT_EQ(none, nullptr);

    auto held = std::make_unique<TacSkinConvertor>();
    held->Entries.push_back({"x", std::make_unique<MemoryStream>()});
    TacSkinConvertor* before = held.get();
    EXPECT_FALSE(LoadPackedSkinFile((dir_ / "Nope.asz").string(), held, true));
    EXPECT_EQ(held.get(), before);
    EXPECT_EQ(held->Entries.size(), 1u);
    EXPECT_FALSE(LoadPackedSkinFile(dir_.string(), held, true));  // a folder is not a skin file
}

TEST_F(PackedSkinFile, FilesAreReadWholeWithinTheirLimitByUtf8Names) {
    Write("five.bin", {1, 2, 3, 4, 5});
    Write("empty.bin", {});
    // A name outside ASCII: the Windows build must open it by its wide name.
    std::ofstream(dir_ / std::filesystem::path(u8"K\u00e4lte.bin"), std::ios::binary).write("\x07", 1);
    const std::string dir = dir_.string() + "/";
    struct Case {
        std::string name;
        std::uint64_t max;
        FileReadStatus status;
        std::uint64_t size;
        Bytes bytes;
    };
    const Case cases[] = {
        {"five.bin", 5, FileReadStatus::Ok, 5, {1, 2, 3, 4, 5}},
        {"five.bin", 4, FileReadStatus::TooLarge, 5, {}},
        {"empty.bin", 0, FileReadStatus::Ok, 0, {}},
        {"K\xC3\xA4lte.bin", 1, FileReadStatus::Ok, 1, {7}},
        {"nope.bin", 9, FileReadStatus::NotAFile, 0, {}},
        {"", 9, FileReadStatus::NotAFile, 0, {}},  // the folder itself
        {"K\xC3lte.bin", 9, FileReadStatus::NotAFile, 0, {}},  // not UTF-8: no such file
    };
    for (const Case& c : cases) {
        Bytes out{9, 9};  // whatever was there goes
        const FileRead r = ReadFileBytes(dir + c.name, c.max, out);
        EXPECT_EQ(r.status, c.status) << c.name << " within " << c.max;
        EXPECT_EQ(r.size, c.size) << c.name;
        EXPECT_EQ(out, c.bytes) << c.name;
    }
    // A skin folder's files are found whatever case the options write.
    FolderFiles folder(dir);
    Bytes storage;
    const auto found = folder.Find("FIVE.BIN", storage);
    EXPECT_EQ(Bytes(found.begin(), found.end()), (Bytes{1, 2, 3, 4, 5}));
    EXPECT_TRUE(folder.Find("FIVE.BI", storage).empty());
    MemoryStream m;
    EXPECT_THROW(m.LoadFromFile(dir + "five.bin", 4), EStreamError);
    m.LoadFromFile(dir + "K\xC3\xA4lte.bin", 1);
    EXPECT_EQ(m.Bytes(), Bytes{7});
}

TEST_F(PackedSkinFile, LoadsIntoANewOrAClearedReader) {
    const auto path = Write("Cold.asz", BuildArchive({{"Options.dat", {'o'}}, {"Master.bmp", {'m'}}}));
    std::unique_ptr<TacSkinConvertor> reader;
    ASSERT_TRUE(LoadPackedSkinFile(path, reader, true));
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->Source(), nullptr);
    EXPECT_EQ(reader->Entries.size(), 1u);

    // Loading again clears first instead of adding; without free_source the
    // reader keeps (and owns) the file's memory copy.
    ASSERT_TRUE(LoadPackedSkinFile(path, reader, false));
    EXPECT_EQ(reader->Entries.size(), 1u);
    ASSERT_NE(reader->Source(), nullptr);
    EXPECT_TRUE(reader->OwnsSource());
}

TEST_F(PackedSkinFile, AFailedLoadStillFreesTheSource) {
    Bytes archive = BuildArchive({{"Options.dat", {'o'}}, {"Master.bmp", FakeBitmap(500, 1)}});
    archive.resize(archive.size() - 3);
    const auto path = Write("Cut.asz", archive);
    std::unique_ptr<TacSkinConvertor> reader;
    EXPECT_THROW(LoadPackedSkinFile(path, reader, true), EPackedSkinError);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->Source(), nullptr);
    EXPECT_TRUE(reader->Entries.empty());
}

TEST_F(PackedSkinFile, AWrongMagicLeavesNoReader) {
    WarningSpy spy;
    const auto path = Write("Foreign.asz", test::ToBytes("MZ this is not an archive"));
    auto reader = std::make_unique<TacSkinConvertor>();
    EXPECT_FALSE(LoadPackedSkinFile(path, reader, true));  // no caller may take the empty reader as loaded
    EXPECT_EQ(reader, nullptr);
    EXPECT_EQ(spy.texts.size(), 1u);
}

}  // namespace
}  // namespace velmap
