#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "platform/posix/VersionBlock.h"
#include "platform/posix/VersionResource.h"
#include "tests/version/VersionTestFiles.h"

namespace {

using qvtest::Bytes;
using qvtest::PeLayout;
using namespace std::literals;

class VersionResourceTest : public qvtest::VersionFixture {
protected:
    // Reads the file's block through the seam into a buffer of the size it asks for, or of the
    // size given; empty when it has none or the read fails.
    static Bytes ReadBlock(const std::string& path, std::uint32_t given = 0) {
        std::uint32_t handle = 1, size = qv::GetFileVersionInfoSizeA(path.c_str(), &handle);
        EXPECT_EQ(handle, 0u);
        Bytes block(given ? given : size);
        if (block.empty() ||
            !qv::GetFileVersionInfoA(path.c_str(), handle, static_cast<std::uint32_t>(block.size()),
                                     block.data()))
            block.clear();
        return block;
    }

    // The value at the path (a text with its zero), which must lie inside the block it was asked
    // of; none when the path is not found.
    static std::optional<std::string> Query(const Bytes& block, const char* path) {
        void* p = nullptr;
        std::uint32_t len = 0;
        if (!qv::VerQueryValueA(block.data(), path, &p, &len)) return std::nullopt;
        const auto* value = static_cast<const std::uint8_t*>(p);
        EXPECT_GE(value, block.data());
        EXPECT_LE(value + len, block.data() + block.size());
        return std::string(reinterpret_cast<const char*>(value), len);
    }

    static qv::VS_FIXEDFILEINFO Fixed(const Bytes& block) {
        qv::VS_FIXEDFILEINFO fixed{};
        const std::string value = Query(block, "\\").value_or("");
        if (value.size() == sizeof fixed) std::memcpy(&fixed, value.data(), sizeof fixed);
        return fixed;
    }
};

// That the program's own file carries its resource, readable through the seam, is the About box
// test's (it shows the running program's texts and version).
TEST_F(VersionResourceTest, ReadsPeAndElfFilesOfBothWidthsAndByteOrders) {
    Bytes blob = qv::versionblob::Serialize(qvtest::SampleDescription({3, 14, 15, 92}));
    for (bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "64 bit" : "32 bit");
        Bytes block = ReadBlock(m_dir.Write("app.exe", qvtest::MakePe(blob, wide)));
        EXPECT_EQ(Query(block, "\\StringFileInfo\\041103A4\\LegalCopyright"), "(C) test\0"s);
        EXPECT_EQ(Fixed(block).dwProductVersionLS, 0x000F005Cu);
        for (bool bigEndian : {false, true}) {
            Bytes found;
            EXPECT_TRUE(qv::ReadVersionResource(
                qv::SpanByteSource(qvtest::MakeElf(blob, wide, bigEndian)), found));
            EXPECT_EQ(found, blob) << (bigEndian ? "big-endian ELF" : "little-endian ELF");
        }
    }
}

TEST_F(VersionResourceTest, FilesWithoutAResourceHaveNone) {
    Bytes blob = qv::versionblob::Serialize(qvtest::SampleDescription());
    Bytes otherSection = qvtest::MakeElf(blob, true, false, ".qvversio");
    Bytes noVersionType = qvtest::MakePe(blob, false);
    qvtest::Put(noVersionType, PeLayout::kSection + PeLayout::kVersionEntry, 17, 4);
    Bytes notARoot = blob;
    notARoot[6] = 'X';  // the key must be VS_VERSION_INFO
    for (const std::string& path : {m_dir.Write("a", otherSection), m_dir.Write("b", noVersionType),
                                    m_dir.Write("c", qvtest::MakePe(notARoot, false)),
                                    m_dir.Write("d", "MZ"), m_dir / "missing", m_dir.Path()})
        EXPECT_EQ(ReadBlock(path).size(), 0u) << path;
}

TEST_F(VersionResourceTest, LookupsIgnoreCaseAndConvertTextToUtf8) {
    qv::versionblob::Description d = qvtest::SampleDescription();
    d.tables[0].strings.push_back(
        {"Comments", "日本語 \xF0\x9F\x8E\xB5"});  // a character beyond U+FFFF
    d.tables[0].strings.push_back({"Empty", ""});
    Bytes block = ReadBlock(WritePe(d));
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(Query(block, "\\stringfileinfo\\041103a4\\PRODUCTNAME"), "Quavel\0"s);
    EXPECT_EQ(Query(block, "\\StringFileInfo\\041103A4\\Comments"), "日本語 \xF0\x9F\x8E\xB5\0"s);
    EXPECT_EQ(Query(block, "\\StringFileInfo\\040904B0\\ProductName"), std::nullopt);
    EXPECT_EQ(Query(block, "\\StringFileInfo\\041103A4\\Empty"), "\0"s);  // just the terminator
    // A block without a value of its own.
    EXPECT_EQ(Query(block, "\\StringFileInfo\\041103A4"), "");
    EXPECT_EQ(Query(block, "\\StringFileInfo\\041103A4\\ProductName\\More"), std::nullopt);
}

TEST_F(VersionResourceTest, ABufferTooSmallKeepsTheTreeButNoStrings) {
    Bytes blob = qv::versionblob::Serialize(qvtest::SampleDescription({2}));
    std::string path = m_dir.Write("app.exe", qvtest::MakePe(blob, false));
    ASSERT_GT(ReadBlock(path).size(), blob.size() + 8);
    Bytes block = ReadBlock(path, static_cast<std::uint32_t>(blob.size() + 8));
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(Fixed(block).dwProductVersionMS, 0x00020000u);
    EXPECT_EQ(Query(block, "\\StringFileInfo\\041103A4\\ProductName"), std::nullopt);
    Bytes cut = ReadBlock(path, 60);  // inside the tree's fixed block
    ASSERT_FALSE(cut.empty());
    EXPECT_EQ(Fixed(cut).dwSignature, 0u);
    EXPECT_TRUE(ReadBlock(path, 13).empty());
}

// Every prefix of a PE image and every damaged byte of a resource: no read outside the buffers
// (checked by the sanitizers and by Query), and a cut resource is refused as a whole.
TEST_F(VersionResourceTest, DamagedAndTruncatedFilesAreHandledSafely) {
    Bytes blob = qv::versionblob::Serialize(qvtest::SampleDescription());
    Bytes image = qvtest::MakePe(blob, false);
    const char* paths[] = {"\\", "\\VarFileInfo\\Translation",
                           "\\StringFileInfo\\041103A4\\ProductName",
                           "\\StringFileInfo\\041103A4\\LegalCopyright"};
    auto exercise = [&](std::span<const std::uint8_t> file) {
        Bytes resource;
        if (!qv::ReadVersionResource(qv::SpanByteSource(file), resource)) return false;
        Bytes block(qv::verblock::BlockSize(resource.size()));
        if (!qv::verblock::FillBlock(resource, block)) return false;
        for (const char* path : paths) Query(block, path);
        return true;
    };
    for (std::size_t n = 0; n < image.size(); ++n)
        EXPECT_FALSE(exercise(std::span(image).first(n))) << "prefix of " << n << " bytes";
    EXPECT_TRUE(exercise(image));

    for (std::size_t i = 0; i < blob.size(); ++i) {
        for (std::uint8_t bad : {std::uint8_t{0x00}, std::uint8_t{0xFF}, std::uint8_t{0x07}}) {
            Bytes damaged = blob;
            damaged[i] = bad;
            exercise(qvtest::MakePe(damaged, false));
        }
    }
    for (std::size_t i = PeLayout::kSection; i < PeLayout::kSection + PeLayout::kResource; ++i) {
        Bytes damaged = image;
        damaged[i] = 0xFF;
        exercise(damaged);
    }
}

TEST_F(VersionResourceTest, LanguageNamesFallBackToThePrimaryLanguageAndAreCutToTheBuffer) {
    char name[128];
    qv::VerLanguageNameA(0x0C04, name, sizeof name);  // Chinese (Hong Kong) is not in the table
    EXPECT_STREQ(name, "Chinese");
    qv::VerLanguageNameA(0x007F, name, sizeof name);
    EXPECT_STREQ(name, "Unknown language");
    char small[5];
    EXPECT_EQ(qv::VerLanguageNameA(0x0409, small, sizeof small), 23u);
    EXPECT_STREQ(small, "Engl");
}

}  // namespace
