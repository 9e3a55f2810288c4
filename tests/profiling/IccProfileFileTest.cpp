// Profile files as a hostile or careless user hands them over: each is refused before use, with
// what is wrong with it; only a whole input-class RGB profile in a regular file is read.
#include "colour/IccProfile.h"

#include "TempDir.h"
#include "TestData.h"
#include "app/AtomicFile.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace calvix {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Patched(Bytes bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    return bytes;
}

TEST(IccProfileFile, RefusesWhatIsNotOneWholeInputProfileAndSaysWhat) {
    const std::string text = ReadWholeFile(CALVIX_TEST_DATA_DIR "/icc/seed-matrix-v4.icc", 1 << 20).value();
    const Bytes good(text.begin(), text.end());
    test::TempDir dir;
    Bytes written;
    const auto write = [&dir, &written](const Bytes& bytes) {
        written = bytes;
        EXPECT_TRUE(WriteFileAtomically(dir.File("p.icc"), std::string(bytes.begin(), bytes.end())));
        return dir.File("p.icc");
    };
    const struct {
        const char* name;
        std::function<std::string()> make;
        std::string says;  // empty: read and usable
    } cases[] = {
        {"the good one", [&] { return write(good); }, ""},
        {"a folder", [&] { return dir.Path(); }, "is a folder, not a profile file"},
        {"a FIFO", [&] { return ::mkfifo(dir.File("f").c_str(), 0600), dir.File("f"); }, "is a FIFO, not a profile"},
        {"a link to /dev/zero", [&] { return ::symlink("/dev/zero", dir.File("z").c_str()), dir.File("z"); },
         "is a link to a character device"},
        {"one byte short of a tag count", [&] { return write(Bytes(good.begin(), good.begin() + 131)); },
         "too short for an ICC profile"},
        {"cut short", [&] { return write(Bytes(good.begin(), good.end() - 1)); },
         "header gives a size of 568 bytes, but it holds 567"},
        {"one byte more", [&] { Bytes b = good; b.push_back(0); return write(b); }, "but it holds 569"},
        {"header size 0x7FFFFFFF", [&] { return write(Patched(good, 0, 0x7FFFFFFF)); }, "size of 2147483647 bytes"},
        {"a tag table past the end", [&] { return write(Patched(good, 128, 0x10000000)); },
         "tag table (268435456 tags) runs past its end"},
        // The 11 entries end where the first tag, 'desc', starts (264); its reserved bytes, where a
        // 12th entry's offset would be, are not read as one.
        {"junk where a 12th entry would be", [&] { return write(Patched(good, 268, 0xFFFFFFFF)); }, ""},
        {"a tag up to the end", [&] { return write(Patched(good, 140, 568 - 264)); }, ""},
        {"a tag one byte past the end", [&] { return write(Patched(good, 140, 568 - 264 + 1)); },
         "its tag 'desc' lies outside the profile"},
        {"over 16 MiB", [&] { return write(Bytes(MaxProfileBytes + 1, 0)); }, "larger than any input profile"},
        {"a display profile", [&] { return write(Patched(good, 12, 0x6D6E7472)); },
         "a display profile (class 'mntr'), not an input profile ('scnr')"},
        {"an output profile", [&] { return write(Patched(good, 12, 0x70727472)); }, "an output profile (class 'prtr')"},
        {"grey data", [&] { return write(Patched(good, 16, 0x47524159)); }, "not for RGB data"},
        {"L*a*b* connection space", [&] { return write(Patched(good, 20, 0x4C616220)); }, ""},
        // A table that ends exactly at the end of the data, with no tags in it.
        {"no tags", [&] { return write(Patched(Patched(Bytes(good.begin(), good.begin() + 132), 0, 132), 128, 0)); },
         "its tags give no transform to L*a*b*"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.make();
        std::string error;
        Bytes read;
        const std::optional<IccProfile> profile = IccProfile::FromFile(path, error, &read);
        const std::string said = profile ? profile->InputProfileProblem() : error;
        if (c.says.empty()) {
            EXPECT_EQ(said, "");
            EXPECT_EQ(read, written);
        } else {
            EXPECT_NE(said.find(c.says), std::string::npos) << said;
            if (!profile) {
                EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
            }
        }
    }
}

}  // namespace
}  // namespace calvix
