#include "batch/batch_options.h"
#include "batch/capture_kind.h"

#include <gtest/gtest.h>

using namespace zelto;
using Action = BatchOptions::Action;

TEST(BatchArguments, TakesFilesInOrderAndThePuzzlesOptionAnywhere) {
    auto options = parseBatchArguments({"a.kss", "--puzzles", "b.txt", "c.hex"});
    EXPECT_EQ(options.action, Action::Decode);
    EXPECT_TRUE(options.puzzles);
    EXPECT_EQ(options.files, (std::vector<std::string>{"a.kss", "b.txt", "c.hex"}));

    options = parseBatchArguments({});
    EXPECT_EQ(options.action, Action::Decode);
    EXPECT_FALSE(options.puzzles);
    EXPECT_TRUE(options.files.empty());
}

TEST(BatchArguments, PreviewsTakeTheFolderAfterThem) {
    auto options = parseBatchArguments({"a.kss", "--previews", "--web", "b.kss"});
    EXPECT_EQ(options.action, Action::Decode);
    EXPECT_EQ(options.previewsFolder, "--web");
    EXPECT_EQ(options.files, (std::vector<std::string>{"a.kss", "b.kss"}));
    EXPECT_TRUE(parseBatchArguments({"a.kss"}).previewsFolder.empty());
    EXPECT_EQ(parseBatchArguments({"a.kss", "--previews"}).action, Action::UsageError);
    EXPECT_EQ(parseBatchArguments({"--previews", "", "a.kss"}).action, Action::UsageError);
}

TEST(BatchArguments, DoubleDashEndsOptionsAndALoneDashIsAFile) {
    const auto options = parseBatchArguments({"-", "--", "--puzzles", "--help", "-x"});
    EXPECT_EQ(options.action, Action::Decode);
    EXPECT_FALSE(options.puzzles);
    EXPECT_EQ(options.files, (std::vector<std::string>{"-", "--puzzles", "--help", "-x"}));
}

TEST(BatchArguments, FirstOfHelpVersionOrUnknownOptionDecides) {
    EXPECT_EQ(parseBatchArguments({"--help"}).action, Action::Help);
    EXPECT_EQ(parseBatchArguments({"--version"}).action, Action::Version);
    EXPECT_EQ(parseBatchArguments({"a.kss", "--version", "--bogus"}).action, Action::Version);
    EXPECT_EQ(parseBatchArguments({"--bogus", "--help"}).action, Action::UsageError);
    EXPECT_EQ(parseBatchArguments({"-p"}).action, Action::UsageError);
    EXPECT_EQ(parseBatchArguments({"--puzzle"}).action, Action::UsageError);
    EXPECT_EQ(parseBatchArguments({"--PUZZLES"}).action, Action::UsageError);
}

TEST(BatchArguments, KissTakesHostAndPortAsTheNextArgumentOrAfterAnEqualsSign) {
    auto options = parseBatchArguments({"--kiss", "localhost:8100", "a.kss"});
    EXPECT_EQ(options.action, Action::Decode);
    EXPECT_EQ(options.kissHost, "localhost");
    EXPECT_EQ(options.kissPort, 8100);
    EXPECT_EQ(options.files, std::vector<std::string>{"a.kss"});
    options = parseBatchArguments({"--kiss=[::1]:8001"});
    EXPECT_EQ(options.kissHost, "::1");
    EXPECT_EQ(options.kissPort, 8001);
    for (const std::string bad :
         {"localhost", "localhost:0", "localhost:65536", ":8100", "host:81x", "::1:8001"}) {
        options = parseBatchArguments({"--kiss", bad});
        EXPECT_EQ(options.action, Action::UsageError) << bad;
        EXPECT_EQ(options.problem, "--kiss: '" + bad + "' is not HOST:PORT");
    }
    EXPECT_EQ(parseBatchArguments({"--kiss"}).problem, "--kiss needs HOST:PORT");

    options = parseBatchArguments({"--kiss", "localhost:8100", "--sids", "http://127.0.0.1:9/t/",
                                   "--station", "QG9MCE", "--norad=99999", "--latitude", "-23.5",
                                   "--longitude", "46.25"});
    EXPECT_EQ(options.action, Action::Decode) << options.problem;
    EXPECT_TRUE(options.station.forwarding);
    EXPECT_EQ(options.station.serverUrl, "http://127.0.0.1:9/t/");
    EXPECT_EQ(options.station.noradId, 99999);
    EXPECT_EQ(options.station.latitude, -23.5);
    EXPECT_EQ(parseBatchArguments({"--sids-dry-run", "--station", "X", "--norad", "1", "--latitude",
                                   "0", "--longitude", "0"})
                  .problem,
              "forwarding frames (--sids) needs --kiss HOST:PORT or --audio DEVICE");
    EXPECT_EQ(parseBatchArguments({"--kiss", "h:1", "--norad", "-5"}).problem,
              "--norad: '-5' is not valid");
    EXPECT_EQ(parseBatchArguments({"--kiss", "h:1", "--sids-dry-run", "--station", "X", "--norad",
                                   "1", "--latitude", "91", "--longitude", "0"})
                  .problem,
              "The station's latitude must lie between -90 and 90 degrees");
    EXPECT_EQ(parseBatchArguments({"--kiss", "h:1", "--station", std::string(46, 'Q')}).problem,
              "--station: '" + std::string(46, 'Q') +
                  "' has 46 characters, more than the 45 the SatNOGS DB keeps");
    EXPECT_EQ(parseBatchArguments({"--puzzles=yes"}).action, Action::UsageError);
}

TEST(BatchArguments, KissSilenceTakesMinutesFromNoneToADayWithKissOnly) {
    EXPECT_EQ(parseBatchArguments({"--kiss", "h:1"}).kissSilenceMinutes, 10);
    EXPECT_EQ(parseBatchArguments({"--kiss", "h:1", "--kiss-silence=0"}).kissSilenceMinutes, 0);
    EXPECT_EQ(parseBatchArguments({"--kiss", "h:1", "--kiss-silence", "-1"}).problem,
              "--kiss-silence: '-1' is not a number of minutes from 0 to 1440");
    EXPECT_EQ(parseBatchArguments({"--kiss-silence", "5"}).problem,
              "--kiss-silence needs --kiss HOST:PORT");
    EXPECT_NE(batchHelpText().find("  --kiss-silence MINUTES\n"), std::string::npos);
}

TEST(BatchArguments, UsageIsOneLineAndVersionNamesTheProgram) {
    EXPECT_EQ(batchUsageLine().find('\n'), std::string::npos);
    EXPECT_TRUE(batchUsageLine().starts_with("Usage: Zeltodecoder-batch [--puzzles] "));
    EXPECT_EQ(batchVersionLine(), "Zeltodecoder-batch 1.3");
    EXPECT_TRUE(batchHelpText().starts_with(batchUsageLine() + "\n"));
    EXPECT_TRUE(batchHelpText().ends_with("\n"));
}

TEST(CaptureKind, ChosenByTheEndOfTheNameWithoutRegardToCase) {
    EXPECT_EQ(captureKindOf("pass1.kss"), CaptureKind::Kiss);
    EXPECT_EQ(captureKindOf("/srv/captures/PASS1.KSS"), CaptureKind::Kiss);
    EXPECT_EQ(captureKindOf("monitor.txt"), CaptureKind::Text);
    EXPECT_EQ(captureKindOf("Monitor.TxT"), CaptureKind::Text);
    EXPECT_EQ(captureKindOf(".kss"), CaptureKind::Kiss);
    EXPECT_EQ(captureKindOf("pass1.HEX"), CaptureKind::Hex);
    EXPECT_EQ(captureKindOf("pass1.kss.bak"), CaptureKind::Hex);
    EXPECT_EQ(captureKindOf("pass1kss"), CaptureKind::Hex);
    EXPECT_EQ(captureKindOf("old.kss/data"), CaptureKind::Hex);
    EXPECT_EQ(captureKindOf(""), CaptureKind::Hex);
    EXPECT_EQ(captureKindOf("frames.csv"), CaptureKind::Satnogs);
    EXPECT_EQ(captureKindOf("page2.JSON"), CaptureKind::Satnogs);
}
