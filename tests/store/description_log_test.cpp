#include "core/run_error.h"
#include "store/description_log.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

TEST(DescriptionLookup, LastMatchWinsCutAt90AndCaseCounts) {
    WorkFolder work;
    const fs::path log = work / "ThumbList.txt";
    EXPECT_FALSE(lookupDescription(log, "0A 1B 2C 3D").hasLines);
    writeFile(log, " 0A 1B 2C 3D = one\r\n 0a 1b 2c 3d = lower\n 0A 1B 2C 3D = " +
                       std::string(95, 'x') + "\r\n 0A 1B 2C 3D\r\n");
    const LogLookup found = lookupDescription(log, "0A 1B 2C 3D");
    EXPECT_TRUE(found.hasLines);
    ASSERT_TRUE(found.description);
    EXPECT_EQ(*found.description, "") << "a line shorter than 16 characters matches, empty";
    writeFile(log, " 0A 1B 2C 3D = one\r\n 0A 1B 2C 3D = " + std::string(95, 'x'));
    EXPECT_EQ(*lookupDescription(log, "0A 1B 2C 3D").description, std::string(90, 'x'));
    EXPECT_FALSE(lookupDescription(log, "0a 1b 2c 3d").description);
    writeFile(log, "x");
    EXPECT_TRUE(lookupDescription(log, "0A 1B 2C 3D").hasLines);
}

TEST(DescriptionLookup, AMissingLogIsFileNotFound) {
    WorkFolder work;
    fs::remove(work / "ThumbList.txt");
    EXPECT_THROW(lookupDescription(work / "ThumbList.txt", "0A 1B 2C 3D"), RunError);
    DescriptionLog log(work / "ThumbList.txt");
    try {
        log.add("0A 1B 2C 3D", "x");
        FAIL();
    } catch (const RunError& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
}

TEST(DescriptionLog, TheLogIsReadOncePerPassAndGrowsByWholeLines) {
    WorkFolder work;
    writeFile(work / "ThumbList.txt", " 11 22 33 44 = a\r\n");
    DescriptionLog log(work / "ThumbList.txt");
    log.add("11 22 33 44", "b");
    log.add("0A 1B 2C 3D", "c");
    log.add("0A 1B 2C 3D", "d");
    log.add("0a 1b 2c 3d", "e");
    EXPECT_EQ(readFile(work / "ThumbList.txt"),
              " 11 22 33 44 = a\r\n 0A 1B 2C 3D = c\r\n 0a 1b 2c 3d = e\r\n");
    EXPECT_EQ(logLine("0A 1B 2C 3D", "x\ry\nz"), " 0A 1B 2C 3D = x y z");
}
