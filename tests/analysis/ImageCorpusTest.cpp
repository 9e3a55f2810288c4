// The picture files of tests/data/images (the fuzzers' seeds): every ok_* file loads, every
// bad_* file is refused, and the BMP files among the good ones agree with each other's kind.

#include "TestData.h"
#include "analysis/PictureLoader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <string>
#include <vector>

namespace calvix {
namespace {

std::vector<std::string> CorpusFiles() {
    std::vector<std::string> names;
    const std::string folder = std::string(CALVIX_TEST_DATA_DIR) + "/images";
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.rfind("ok_", 0) == 0 || name.rfind("bad_", 0) == 0) names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ImageCorpus, GoodFilesLoadAndBadFilesAreRefused) {
    const std::vector<std::string> names = CorpusFiles();
    ASSERT_GE(names.size(), 20u) << "tests/data/images is missing; run make_image_corpus";
    for (const std::string& name : names) {
        const PictureResult r = LoadPicture(std::string(CALVIX_TEST_DATA_DIR) + "/images/" + name, nullptr);
        if (name.rfind("ok_", 0) == 0) {
            EXPECT_TRUE(r.ok) << name << ": " << r.error;
            EXPECT_FALSE(r.image.Empty()) << name;
        } else {
            EXPECT_FALSE(r.ok) << name;
            EXPECT_FALSE(r.error.empty()) << name;
        }
    }
}

}  // namespace
}  // namespace calvix
