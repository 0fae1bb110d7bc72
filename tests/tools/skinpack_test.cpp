#include "skinpack.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "archive_builder.h"

namespace velmap::skinpack {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

class Skinpack : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::path(VELMAP_TEST_BINARY_DIR) / "skinpack_test" /
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(root_);
        fs::create_directories(root_ / "skin");
    }
    void Put(const fs::path& p, const Bytes& b) {
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }
    Bytes Get(const fs::path& p) {
        std::ifstream f(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(f), {});
    }
    int Cmd(std::vector<std::string> args) {
        out_.str({});
        err_.str({});
        return skinpack::Run(args, out_, err_);
    }
    std::string P(const fs::path& p) { return p.string(); }

    fs::path root_;
    std::ostringstream out_, err_;
};

TEST_F(Skinpack, PackListVerifyUnpackRoundTrip) {
    const Bytes options = test::OptionsText(5000), master = test::NoiseBytes(70000, 4), huge = Bytes(56374, 7);
    Put(root_ / "skin" / "Options.dat", options);
    Put(root_ / "skin" / "Master.bmp", master);
    Put(root_ / "skin" / "ButtonHuge.bmp", huge);
    const fs::path archive = root_ / "Cold.asz";

    ASSERT_EQ(Cmd({"pack", P(root_ / "skin"), P(archive)}), 0) << err_.str();
    const Bytes bytes = Get(archive);
    ASSERT_GE(bytes.size(), 27u);
    // Options first, then sorted; the default level writes the 78 9C header.
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 8), (Bytes{'A', 'S', 'z', 'f', 3, 0, 0, 0}));
    EXPECT_EQ(Bytes(bytes.begin() + 8, bytes.begin() + 23),
              (Bytes{11, 0, 0, 0, 'O', 'p', 't', 'i', 'o', 'n', 's', '.', 'd', 'a', 't'}));
    EXPECT_EQ(bytes[27], 0x78);
    EXPECT_EQ(bytes[28], 0x9C);

    const PackedSkinArchive read = ReadArchiveFile(archive);
    ASSERT_EQ(read.Items.size(), 3u);
    EXPECT_EQ(read.Items[1].Name, "ButtonHuge.bmp");
    EXPECT_EQ(read.Items[2].Name, "Master.bmp");
    EXPECT_EQ(read.Items[0].Offset, 8);
    EXPECT_EQ(read.Items[0].DataOffset, 27);
    EXPECT_EQ(read.Items[1].Offset, read.Items[0].DataOffset + read.Items[0].CompressedSize);

    ASSERT_EQ(Cmd({"list", P(archive)}), 0);
    EXPECT_NE(out_.str().find("70000"), std::string::npos);
    EXPECT_NE(out_.str().find("Master.bmp"), std::string::npos);
    EXPECT_NE(out_.str().find(std::to_string(read.Items[2].Offset)), std::string::npos);
    EXPECT_EQ(Cmd({"verify", P(archive)}), 0) << err_.str();

    ASSERT_EQ(Cmd({"unpack", P(archive), P(root_ / "out")}), 0) << err_.str();
    EXPECT_EQ(Get(root_ / "out" / "Options.dat"), options);
    EXPECT_EQ(Get(root_ / "out" / "Master.bmp"), master);
    EXPECT_EQ(Get(root_ / "out" / "ButtonHuge.bmp"), huge);
}

TEST_F(Skinpack, PacksInTheOrderGivenAndNeverIntoItself) {
    Put(root_ / "skin" / "options.dat", {'o'});
    Put(root_ / "skin" / "b.bmp", {'b'});
    Put(root_ / "skin" / "a.bmp", {'a'});
    Put(root_ / "skin" / "skin.asz", {'x'});  // an older output in the same folder
    ASSERT_EQ(Cmd({"pack", "--level", "9", P(root_ / "skin"), P(root_ / "skin" / "skin.asz"), "b.bmp", "a.bmp"}), 0)
        << err_.str();
    const PackedSkinArchive read = ReadArchiveFile(root_ / "skin" / "skin.asz");
    ASSERT_EQ(read.Items.size(), 3u);
    EXPECT_EQ(read.Items[0].Name, "options.dat");
    EXPECT_EQ(read.Items[1].Name, "b.bmp");
    EXPECT_EQ(read.Items[2].Name, "a.bmp");

    EXPECT_EQ(Cmd({"pack", P(root_ / "skin"), P(root_ / "x.asz"), "missing.bmp"}), 1);
    EXPECT_EQ(Cmd({"pack", P(root_ / "skin"), P(root_ / "x.asz"), "../skin/a.bmp"}), 1);
    EXPECT_FALSE(fs::exists(root_ / "x.asz"));
}

TEST_F(Skinpack, RefusesFoldersItCannotPackFaithfully) {
    Put(root_ / "skin" / "Master.bmp", {'m'});
    EXPECT_EQ(Cmd({"pack", P(root_ / "skin"), P(root_ / "x.asz")}), 1);
    EXPECT_NE(err_.str().find("no Options.dat"), std::string::npos);

    Put(root_ / "skin" / "Options.dat", {'o'});
    Put(root_ / "skin" / "Empty.bmp", {});
    EXPECT_EQ(Cmd({"pack", P(root_ / "skin"), P(root_ / "x.asz")}), 1);
    EXPECT_NE(err_.str().find("empty"), std::string::npos);
    fs::remove(root_ / "skin" / "Empty.bmp");

#ifndef _WIN32  // there such a file cannot even be made: the name is the device
    Put(root_ / "skin" / "CON.bmp", {'c'});
    EXPECT_EQ(Cmd({"pack", P(root_ / "skin"), P(root_ / "x.asz")}), 1);
    EXPECT_NE(err_.str().find("device"), std::string::npos);
    EXPECT_FALSE(fs::exists(root_ / "x.asz"));
#endif
    EXPECT_NE(EntryNameProblem("con.BMP").find("device"), std::string::npos);
    EXPECT_NE(EntryNameProblem("LPT9").find("device"), std::string::npos);
    EXPECT_EQ(EntryNameProblem("CONSOLE.bmp"), "");

    EXPECT_EQ(Cmd({"pack", P(root_ / "nowhere"), P(root_ / "x.asz")}), 1);
    EXPECT_EQ(Cmd({"pack", P(root_ / "skin")}), 2);
    EXPECT_EQ(Cmd({"frobnicate"}), 2);
    EXPECT_NE(err_.str().find("usage"), std::string::npos);
}

TEST_F(Skinpack, UnpackNeverWritesOutsideTheTargetFolder) {
    for (const char* evil : {"../evil.bmp", "..", "sub/evil.bmp", "sub\\evil.bmp", "C:evil.bmp", "/tmp/evil.bmp",
                             "nul.txt", "trailing.", "a\x01.bmp"}) {
        SCOPED_TRACE(evil);
        Put(root_ / "evil.asz", test::BuildArchive({{"Options.dat", {'o'}}, {evil, {'e'}}}));
        EXPECT_EQ(Cmd({"unpack", P(root_ / "evil.asz"), P(root_ / "out")}), 1);
        EXPECT_NE(err_.str().find("Refusing"), std::string::npos) << err_.str();
        EXPECT_FALSE(fs::exists(root_ / "out" / "Options.dat"));  // nothing written at all
        EXPECT_FALSE(fs::exists(root_ / "evil.bmp"));
        EXPECT_EQ(Cmd({"verify", P(root_ / "evil.asz")}), 1);
    }
    // Two names that are one file on Windows.
    Put(root_ / "twice.asz", test::BuildArchive({{"Options.dat", {'o'}}, {"a.bmp", {'1'}}, {"A.BMP", {'2'}}}));
    EXPECT_EQ(Cmd({"unpack", P(root_ / "twice.asz"), P(root_ / "out")}), 1);
    EXPECT_EQ(Cmd({"verify", P(root_ / "twice.asz")}), 1);
}

#ifndef _WIN32
TEST_F(Skinpack, UnpackDoesNotFollowALinkInTheTargetFolder) {
    Put(root_ / "ok.asz", test::BuildArchive({{"Options.dat", {'o'}}, {"a.bmp", {'a'}}}));
    fs::create_directories(root_ / "out");
    Put(root_ / "victim", {'v'});
    fs::create_symlink(root_ / "victim", root_ / "out" / "a.bmp");
    EXPECT_EQ(Cmd({"unpack", P(root_ / "ok.asz"), P(root_ / "out")}), 1);
    EXPECT_EQ(Get(root_ / "victim"), Bytes{'v'});
}
#endif

TEST_F(Skinpack, BadArchivesFailWithAClearMessage) {
    Put(root_ / "foreign.asz", test::ToBytes("PK\x03\x04 not a skin"));
    EXPECT_EQ(Cmd({"list", P(root_ / "foreign.asz")}), 1);
    EXPECT_NE(err_.str().find("not a packed skin file"), std::string::npos);

    Bytes cut = test::BuildArchive({{"Options.dat", test::OptionsText(900)}});
    cut.resize(cut.size() - 10);
    Put(root_ / "cut.asz", cut);
    EXPECT_EQ(Cmd({"verify", P(root_ / "cut.asz")}), 1);
    EXPECT_NE(err_.str().find("ends before"), std::string::npos) << err_.str();

    Bytes trailing = test::BuildArchive({{"Options.dat", {'o'}}});
    trailing.push_back(0);
    Put(root_ / "trailing.asz", trailing);
    EXPECT_EQ(Cmd({"list", P(root_ / "trailing.asz")}), 0);  // the band reads it
    EXPECT_EQ(Cmd({"verify", P(root_ / "trailing.asz")}), 1);
    EXPECT_NE(err_.str().find("follow the last entry"), std::string::npos);

    EXPECT_EQ(Cmd({"verify", P(root_ / "none.asz")}), 1);
}

}  // namespace
}  // namespace velmap::skinpack
