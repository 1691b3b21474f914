// Kills the batch decoder with SIGKILL at random moments of a large run, and inside the
// removal of image folders, and checks after every kill that the working folder holds only
// whole and exact files; then lets a run go to its end and checks that everything was
// finished.

#include "batch/crash_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <regex>
#include <set>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace zelto::test;

TEST(BatchCrashSafety, KilledRunsLeaveOnlyWholeFilesAndALaterRunFinishesTheWork) {
    const auto testStart = std::chrono::steady_clock::now();
    SceneSetup setup;
    prepareScene(setup);
    if (HasFatalFailure())
        return;
    const Scene& scene = setup.scene;
    const BatchFolder& folder = setup.folder;
    const fs::path& captures = setup.captures;
    const fs::path& output = setup.output;
    const fs::path& initialCopy = setup.initialCopy;

    const std::vector<std::string> arguments{"--puzzles", (captures / "day.kss").string()};

    // One run to its end, for its duration and as the model of a whole run.
    const Ending timing = runDecoder(folder.work(), output, arguments, std::nullopt);
    ASSERT_EQ(timing.status, 0) << readFile(output);
    {
        Findings whole = checkWorkFolder(scene, folder.work(), true);
        checkReport(scene, folder.work(), readFile(output), whole);
        ASSERT_TRUE(whole.faults.empty()) << "uninterrupted run:" << describe(whole);
    }

    // A second run over the finished folder: the work of a run after a killed one is partly
    // this, a redo of what stands already.
    const Ending redo = runDecoder(folder.work(), output, arguments, std::nullopt);
    ASSERT_EQ(redo.status, 0) << readFile(output);
    {
        Findings whole = checkWorkFolder(scene, folder.work(), true);
        checkReport(scene, folder.work(), readFile(output), whole);
        ASSERT_TRUE(whole.faults.empty()) << "second uninterrupted run:" << describe(whole);
    }

    const unsigned seed = crashSeed();
    std::cout << "[ crash    ] seed " << seed << " (ZELTO_CRASH_SEED=" << seed
              << " repeats these kill moments); " << scene.laterFrames.size()
              << " frames; uninterrupted run " << timing.seconds << " s, second run "
              << redo.seconds << " s\n";
    SCOPED_TRACE("seed " + std::to_string(seed) + " (ZELTO_CRASH_SEED repeats it)");
    std::mt19937_64 rng(seed);

    // Each round starts from the earlier state and kills its first run somewhere in the span
    // of the uninterrupted run; the runs after it go on from what the last one left and are
    // killed within the span of the second run. Then one run goes to its end. The moments of
    // each kind lie one in each of as many equal slices of the span, in random order.
    constexpr int kRounds = 8;
    constexpr int kKillsPerRound = 4;
    constexpr int kKills = kRounds * kKillsPerRound;
    auto spread = [&](double seconds, int count) {
        const double span = seconds * 1.05;
        std::vector<double> moments;
        for (int k = 0; k < count; ++k)
            moments.push_back(std::uniform_real_distribution<double>(span * k / count,
                                                                     span * (k + 1) / count)(rng));
        std::shuffle(moments.begin(), moments.end(), rng);
        return moments;
    };
    const std::vector<double> firstMoments = spread(timing.seconds, kRounds);
    const std::vector<double> laterMoments = spread(redo.seconds, kKills - kRounds);
    std::vector<double> moments[kRounds];
    for (int round = 0; round < kRounds; ++round) {
        moments[round].push_back(firstMoments[static_cast<std::size_t>(round)]);
        for (int k = 1; k < kKillsPerRound; ++k)
            moments[round].push_back(
                laterMoments[static_cast<std::size_t>(round * (kKillsPerRound - 1) + k - 1)]);
    }

    int killed = 0;
    int partialsSeen = 0;
    for (int round = 0; round < kRounds; ++round) {
        copyFolder(initialCopy, folder.work());
        for (std::size_t k = 0; k < moments[round].size(); ++k) {
            const double moment = moments[round][k];
            const Ending ending =
                runDecoder(folder.work(), output, arguments,
                           std::chrono::nanoseconds(static_cast<long long>(moment * 1e9)));
            if (ending.killed)
                ++killed;
            else
                EXPECT_EQ(ending.status, 0) << readFile(output);
            const Findings found = checkWorkFolder(scene, folder.work(), !ending.killed);
            partialsSeen += found.partials;
            ASSERT_TRUE(found.faults.empty())
                << "round " << round << ", kill " << k << " at " << moment << " s ("
                << (ending.killed ? "killed" : "not killed: it had ended")
                << "):" << describe(found);
        }
        const Ending last = runDecoder(folder.work(), output, arguments, std::nullopt);
        ASSERT_EQ(last.status, 0) << readFile(output);
        Findings whole = checkWorkFolder(scene, folder.work(), true);
        checkReport(scene, folder.work(), readFile(output), whole);
        ASSERT_TRUE(whole.faults.empty())
            << "round " << round << ", run to its end after the kills:" << describe(whole);
    }

    const double total =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - testStart).count();
    std::cout << "[ crash    ] " << killed << " of " << kKills
              << " runs killed before their end; partial files seen after them: " << partialsSeen
              << "; test took " << total << " s\n";
    // Most moments lie inside the run, so most runs must really have been killed.
    EXPECT_GE(killed, kKills / 2);
}

// A run that completes thumbnails begun in the earlier capture ends by removing their image
// folders. Each run here is killed right after a deletion of one of their frame files, picked
// at random among all such deletions, so the kill lands inside the removal: every folder
// must then be whole or gone, and a later run must finish the work.
TEST(BatchCrashSafety, AKillInsideTheRemovalOfImageFoldersLeavesEachWholeOrGone) {
    SceneSetup setup;
    prepareScene(setup);
    if (HasFatalFailure())
        return;
    const Scene& scene = setup.scene;
    const fs::path work = setup.folder.work();
    const fs::path trace = setup.captures / "io-trace";
    const std::vector<std::string> arguments{"--puzzles", (setup.captures / "day.kss").string()};

    copyFolder(setup.initialCopy, work);
    const Ending counting =
        runDecoder(work, setup.output, arguments, std::nullopt, withIoTrace(trace));
    ASSERT_EQ(counting.status, 0) << readFile(setup.output);
    const long deletions = frameDeletions(trace);
    ASSERT_GT(deletions, 0) << "the run removed no image folder";

    const unsigned seed = crashSeed();
    SCOPED_TRACE("seed " + std::to_string(seed) + " (ZELTO_CRASH_SEED repeats it)");
    std::mt19937_64 rng(seed);
    constexpr int kRounds = 8;
    int hidden = 0; // kills that left a folder out of sight for the next start to finish
    for (int round = 0; round < kRounds; ++round) {
        copyFolder(setup.initialCopy, work);
        fs::remove(trace);
        const long killAt = std::uniform_int_distribution<long>(1, deletions)(rng);
        const Ending ending =
            runDecoder(work, setup.output, arguments, std::nullopt, withIoTrace(trace, killAt));
        ASSERT_TRUE(ending.killed) << "round " << round << ": " << readFile(setup.output);
        const Findings found = checkWorkFolder(scene, work, false);
        for (const auto& entry : fs::directory_iterator(work / "Thumbs"))
            hidden += isPartial(entry.path().filename().string()) && entry.is_directory();
        ASSERT_TRUE(found.faults.empty())
            << "round " << round << ", killed after deletion " << killAt << " of " << deletions
            << ":" << describe(found);

        const Ending last = runDecoder(work, setup.output, arguments, std::nullopt);
        ASSERT_EQ(last.status, 0) << readFile(setup.output);
        Findings whole = checkWorkFolder(scene, work, true);
        checkReport(scene, work, readFile(setup.output), whole);
        ASSERT_TRUE(whole.faults.empty())
            << "round " << round << ", run to its end after the kill:" << describe(whole);
    }
    std::cout << "[ crash    ] seed " << seed << ": " << kRounds << " kills inside the removal of "
              << "image folders (" << deletions << " frame files deleted by a whole run); "
              << hidden << " folders left out of sight for the next start\n";
}
