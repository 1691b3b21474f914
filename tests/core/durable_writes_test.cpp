#include "core/durable_writes.h"

#include "core/file_io.h"
#include "core/run_error.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

namespace {
std::vector<std::string> partials(const fs::path& folder) {
    std::vector<std::string> names;
    for (const std::string& name : listFolder(folder))
        if (isPartialName(name))
            names.push_back(name);
    return names;
}
} // namespace

TEST(DurableWrites, FilesTakeTheirNamesTogetherOnceTheirBytesAreSynced) {
    WorkFolder work;
    DurableWrites writes;
    writes.setFolder(work.path());
    const std::string a = (work / "a.bin").native();
    EXPECT_EQ(writeWholeFile(a, "one", writes), FileWrite::Created);
    EXPECT_FALSE(fs::exists(a));
    EXPECT_EQ(readFile(writes.readable(a)), "one");
    // Later bytes for the same name replace the waiting ones, and are what the next write
    // is compared with.
    EXPECT_EQ(writeWholeFile(a, "two", writes), FileWrite::Replaced);
    EXPECT_EQ(writeWholeFile(a, "two", writes), FileWrite::Unchanged);
    EXPECT_EQ(partials(work.path()).size(), 1u);

    // A name that cannot be taken is reported once the others are in place.
    const std::string b = (work / "b.bin").native();
    writeWholeFile(b, "bee", writes);
    fs::create_directories(work / "c.bin/inside");
    replaceWholeFile((work / "c.bin").native(), "sea", writes);
    EXPECT_EQ(messageOf([&] { writes.publish(); }), "File access denied");
    EXPECT_EQ(readFile(a), "two");
    EXPECT_EQ(readFile(b), "bee");
    EXPECT_TRUE(partials(work.path()).empty());
    EXPECT_EQ(writes.readable(a), a);
    // A folder standing under a name is found before anything is written.
    EXPECT_EQ(messageOf([&] { writeWholeFile((work / "c.bin").native(), "sea", writes); }),
              "File access denied");

    // The first append of a command is guarded by a marker of its own until the command ends.
    const fs::path log = work / "ThumbList.txt";
    writeFile(log, "line\r\n");
    writes.guardAppend(log);
    const fs::path marker = appendMarkerPath(log, 6);
    EXPECT_TRUE(fs::exists(marker));
    appendLines(log, "more\r\n");
    writes.guardAppend(log);
    appendLines(log, "again\r\n");
    EXPECT_EQ(partials(work.path()), std::vector<std::string>{marker.filename().string()});
    writes.finish();
    EXPECT_TRUE(partials(work.path()).empty());
    EXPECT_EQ(readFile(log), "line\r\nmore\r\nagain\r\n");
}
