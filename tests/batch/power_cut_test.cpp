// Simulates power cuts at random moments of a real run of the batch decoder: the run is
// killed, and every byte it wrote since its last completed sync is damaged as a disk that
// lost power could leave it (a file of the right name with 0 bytes, cut short, or ending in
// zeros; a log line cut). The calls it made are recorded by a preloaded library, so the
// test knows what was synced without asking the decoder. A restart on part of the capture
// must join no image from damaged frames, and once all frames come again every image must
// be byte for byte its original.

#include "batch/beacon_captures.h"
#include "batch/crash_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <unistd.h>

using namespace zelto::test;

namespace {

// From which byte on each file may not be on the disk, by its path at the end of the
// record: what was written since the last completed sync that covered it.
std::map<std::string, std::uintmax_t> unsyncedBytes(const fs::path& trace) {
    std::map<std::string, std::uintmax_t> unsynced;
    auto under = [](const std::string& path, const std::string& folder) {
        return path == folder || path.starts_with(folder + "/");
    };
    auto forget = [&](const std::string& path) {
        std::erase_if(unsynced, [&](const auto& entry) { return under(entry.first, path); });
    };
    std::istringstream lines(readFile(trace));
    for (std::string line; std::getline(lines, line);) {
        if (lines.eof())
            break; // a record cut by the kill
        std::vector<std::string> field;
        std::istringstream fields(line);
        for (std::string f; std::getline(fields, f, '\t');)
            field.push_back(f);
        const std::string& kind = field[0];
        if (kind == "S") {
            unsynced.clear();
        } else if (kind == "T") {
            unsynced[field[1]] = 0;
        } else if (kind == "W") {
            const std::uintmax_t start = std::stoull(field[2]);
            const auto known = unsynced.find(field[1]);
            unsynced[field[1]] = known == unsynced.end() ? start : std::min(known->second, start);
        } else if (kind == "R") {
            std::map<std::string, std::uintmax_t> moved;
            for (const auto& [path, from] : unsynced)
                if (under(path, field[1]))
                    moved[field[2] + path.substr(field[1].size())] = from;
            forget(field[1]);
            forget(field[2]); // what stood there is gone; what comes is as synced as it was
            unsynced.merge(moved);
        } else if (kind == "U" || kind == "F") {
            forget(field[1]);
        }
    }
    return unsynced;
}

struct Damage {
    int files = 0;   // files damaged
    int named = 0;   // of them, files under their own names (not temporary ones)
    int logCuts = 0; // of them, cuts and zeros at the end of ThumbList.txt
};

// Damages the bytes that may not be on the disk, each file in one way or left alone.
Damage cutPower(const std::map<std::string, std::uintmax_t>& unsynced, std::mt19937_64& rng) {
    Damage done;
    for (const auto& [path, from] : unsynced) {
        std::error_code ec;
        if (!fs::is_regular_file(path, ec))
            continue;
        const std::uintmax_t size = fs::file_size(path, ec);
        if (ec || from >= size)
            continue;
        const auto at = std::uniform_int_distribution<std::uintmax_t>(from, size - 1)(rng);
        switch (rng() % 4) {
        case 0: // it all reached the disk
            continue;
        case 1: // none of it: a new file has the right name and no bytes
            fs::resize_file(path, from);
            break;
        case 2: // some of it
            fs::resize_file(path, at);
            break;
        default: { // the size reached the disk, the bytes did not
            std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(static_cast<std::streamoff>(at));
            const std::string zeros(static_cast<std::size_t>(size - at), '\0');
            file.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
            break;
        }
        }
        ++done.files;
        const std::string name = fs::path(path).filename().string();
        if (!isPartial(name))
            ++done.named;
        if (name == "ThumbList.txt")
            ++done.logCuts;
    }
    return done;
}

// The images a run reported as joined: its commands had ended, so they must be on the disk.
std::vector<std::string> reportedImages(const std::string& out) {
    std::vector<std::string> images;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with("Image: "))
            images.push_back(line.substr(7));
    return images;
}

bool isImageFrame(const std::string& frame) {
    return frame.size() > 5 && frame[3] == '\x85' && frame[4] == '\x82' &&
           (frame[5] == '\x03' || frame[5] == '\x04');
}

} // namespace

TEST(BatchPowerCut, NoImageIsJoinedFromDamagedFramesAndNothingReportedDoneIsLost) {
    const auto testStart = std::chrono::steady_clock::now();
    SceneSetup setup;
    prepareScene(setup);
    if (HasFatalFailure())
        return;
    Scene& scene = setup.scene;
    const fs::path work = setup.folder.work();
    const fs::path trace = setup.captures / "io-trace";

    // The day in two captures: its first pass whole, then its second with about half of the
    // image frames lost. A restart on the second alone completes images from frames that the
    // first stored before the power went.
    const auto half = static_cast<std::ptrdiff_t>(scene.laterFrames.size() / 2);
    const std::vector<std::string> first(scene.laterFrames.begin(),
                                         scene.laterFrames.begin() + half);
    std::vector<std::string> second;
    std::mt19937 dropping(20240612);
    for (auto frame = scene.laterFrames.begin() + half; frame != scene.laterFrames.end(); ++frame)
        if (!isImageFrame(*frame) || dropping() % 2 == 0)
            second.push_back(*frame);
    writeFile(setup.captures / "first.kss", kissCapture(first));
    writeFile(setup.captures / "second.kss", kissCapture(second));
    scene.hexFiles.erase("day.HEX");
    scene.hexFiles["first.HEX"] = hexFile(first);
    scene.hexFiles["second.HEX"] = hexFile(second);
    scene.runHexFiles = {"first.HEX", "second.HEX"};
    scene.logInOrder = false; // a restart on the second capture adds lines in its order
    const std::vector<std::string> whole{"--puzzles", (setup.captures / "first.kss").string(),
                                         (setup.captures / "second.kss").string()};
    const std::vector<std::string> restart{"--puzzles", (setup.captures / "second.kss").string()};

    // One recorded run to its end, for its duration.
    fs::remove(trace);
    const Ending timing = runDecoder(work, setup.output, whole, std::nullopt, withIoTrace(trace));
    ASSERT_EQ(timing.status, 0) << readFile(setup.output);
    ASSERT_TRUE(fs::file_size(trace) > 0) << "nothing recorded: is the library preloaded?";
    {
        Findings found = checkWorkFolder(scene, work, true);
        checkReport(scene, work, readFile(setup.output), found);
        ASSERT_TRUE(found.faults.empty()) << "uninterrupted run:" << describe(found);
    }

    const unsigned seed = crashSeed();
    std::cout << "[ power    ] seed " << seed << " (ZELTO_CRASH_SEED=" << seed
              << " repeats these power cuts); uninterrupted run " << timing.seconds << " s\n";
    SCOPED_TRACE("seed " + std::to_string(seed) + " (ZELTO_CRASH_SEED repeats it)");
    std::mt19937_64 rng(seed);

    constexpr int kRounds = 8;
    Damage total;
    int cuts = 0;
    int imagesChecked = 0;
    for (int round = 0; round < kRounds; ++round) {
        copyFolder(setup.initialCopy, work);
        ::sync(); // the earlier state is on the disk before the run that loses power
        fs::remove(trace);
        const double moment = std::uniform_real_distribution<double>(0, timing.seconds)(rng);
        const Ending ending = runDecoder(
            work, setup.output, whole,
            std::chrono::nanoseconds(static_cast<long long>(moment * 1e9)), withIoTrace(trace));
        const std::string out = readFile(setup.output);
        if (!ending.killed) {
            EXPECT_EQ(ending.status, 0) << out;
            continue;
        }
        ++cuts;
        const Damage damage = cutPower(unsyncedBytes(trace), rng);
        total.files += damage.files;
        total.named += damage.named;
        total.logCuts += damage.logCuts;
        const std::string where = "round " + std::to_string(round) + ", power cut at " +
                                  std::to_string(moment) + " s, " + std::to_string(damage.files) +
                                  " files damaged";

        for (const std::string& image : reportedImages(out)) {
            const auto picture = scene.byFileName.find(image);
            ASSERT_NE(picture, scene.byFileName.end()) << image;
            EXPECT_EQ(readFile(work / image), picture->second->jpeg)
                << where << ": " << image << " was reported joined and is lost or damaged";
            ++imagesChecked;
        }

        // A restart on the second capture: no image from the damaged frames.
        const Ending again = runDecoder(work, setup.output, restart, std::nullopt);
        ASSERT_EQ(again.status, 0) << where << ":\n" << readFile(setup.output);
        const Findings found = checkWorkFolder(scene, work, false);
        ASSERT_TRUE(found.faults.empty())
            << where << ", restart on the second capture:" << describe(found);
        for (const auto& [name, picture] : scene.byFileName)
            imagesChecked += fs::exists(work / name);

        // All frames again: every image whole and exact.
        const Ending last = runDecoder(work, setup.output, whole, std::nullopt);
        ASSERT_EQ(last.status, 0) << where << ":\n" << readFile(setup.output);
        Findings finished = checkWorkFolder(scene, work, true);
        checkReport(scene, work, readFile(setup.output), finished);
        ASSERT_TRUE(finished.faults.empty())
            << where << ", all frames again:" << describe(finished);
        for (const auto& [name, picture] : scene.byFileName)
            imagesChecked += fs::exists(work / name);
    }

    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - testStart).count();
    std::cout << "[ power    ] " << cuts << " of " << kRounds << " runs cut; " << total.files
              << " files damaged (" << total.named << " under their own names, " << total.logCuts
              << " log ends); " << imagesChecked << " images checked byte for byte; test took "
              << seconds << " s\n";
    EXPECT_GE(cuts, kRounds / 2);
}
