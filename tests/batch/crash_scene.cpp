#include "batch/crash_scene.h"

#include "batch/beacon_captures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <regex>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace zelto::test {

namespace {

constexpr std::string_view kPartial = ".zelto-partial-";

std::string fourBytes(int a, int b, int c, int d) {
    return bytesOf({a, b, c, d});
}

// A random picture whose JPEG is at most `limit` bytes; noise compresses badly, so a few
// thousand pixels already make dozens of frames.
std::string noiseJpeg(int width, int height, int seed, std::size_t limit) {
    for (;; height -= 4) {
        std::string jpeg = smallJpeg(width, height, seed);
        if (jpeg.size() <= limit)
            return jpeg;
    }
}

std::string description(std::mt19937& rng) {
    static const std::string kWords[] = {"Earth",     "at",    "dawn",  "over",   "the",   "Andes",
                                         "cloud",     "band,", "sea",   "glint",  "-",     "45.2N",
                                         "\xE9t\xE9", "coast", "night", "lights", "(raw)", "!"};
    std::string text;
    const int words = static_cast<int>(rng() % 16);
    for (int i = 0; i < words; ++i) {
        const std::string& word = kWords[rng() % std::size(kWords)];
        if (text.size() + word.size() + 1 > 90)
            break;
        if (!text.empty())
            text += ' ';
        text += word;
    }
    return text;
}

std::vector<std::string> entries(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void checkLog(const Scene& scene, const std::string& log, bool finished, Findings& found) {
    if (!log.starts_with(scene.initialLog)) {
        found.fault("ThumbList.txt lost or changed its earlier lines");
        return;
    }
    // In capture order; or, when captures bring the frames in other orders, each new ID once,
    // with any of the descriptions that came for it.
    std::map<std::string, std::set<std::string>> allowed;
    for (const std::string& line : scene.newLogLines)
        allowed[line.substr(1, 11)];
    for (const auto& [id4, text] : scene.laterTexts)
        if (const auto id = allowed.find(idText(id4)); id != allowed.end())
            id->second.insert(" " + idText(id4) + " = " + text + "\r\n");
    std::size_t at = scene.initialLog.size();
    std::size_t whole = 0;
    for (const std::string& line : scene.newLogLines) {
        const std::size_t end = log.find('\n', at);
        const std::string next = end == std::string::npos ? "" : log.substr(at, end + 1 - at);
        const auto id = allowed.find(next.size() > 12 ? next.substr(1, 11) : "");
        if (scene.logInOrder ? next != line : id == allowed.end() || !id->second.count(next))
            break;
        if (!scene.logInOrder)
            allowed.erase(id);
        at += next.size();
        ++whole;
    }
    if (at != log.size()) {
        std::string rest = log.substr(at, 120);
        found.fault("ThumbList.txt: after " + std::to_string(whole) +
                    " new whole lines it holds what it should not: \"" + rest + "\"");
        return;
    }
    if (finished && whole != scene.newLogLines.size())
        found.fault("ThumbList.txt lacks " + std::to_string(scene.newLogLines.size() - whole) +
                    " lines");
}

void checkStoreFolder(const Scene& scene, const fs::path& store, bool thumbs, bool finished,
                      Findings& found) {
    const auto& known = thumbs ? scene.thumbFolders : scene.puzzleFolders;
    for (const std::string& name : entries(store)) {
        const fs::path folder = store / name;
        if (isPartial(name)) {
            ++found.partials;
            if (finished)
                found.fault("leftover after a whole run: " + folder.string());
            continue;
        }
        const auto picture = known.find(name);
        if (picture == known.end() || !fs::is_directory(folder)) {
            found.fault("unexpected entry in the store: " + folder.string());
            continue;
        }
        const Picture& p = *picture->second;
        int real = 0;
        for (const std::string& file : entries(folder)) {
            if (isPartial(file)) {
                ++found.partials;
                if (finished)
                    found.fault("leftover after a whole run: " + (folder / file).string());
                continue;
            }
            ++real;
            int f = 1;
            while (f <= p.frameCount() && frameFile(f) != file)
                ++f;
            if (f > p.frameCount() || !p.received(f)) {
                found.fault("frame file that was never sent: " + (folder / file).string());
                continue;
            }
            if (readFile(folder / file) != p.payload(f))
                found.fault("frame file not whole or not exact: " + (folder / file).string());
        }
        // A finished pass assembles every complete thumbnail it met and removes its folder.
        if (finished && thumbs && real == p.frameCount())
            found.fault("complete thumbnail folder left after a whole run: " + folder.string());
        // A folder is removed all or nothing: of the frames that only the earlier capture
        // brought, it holds every one (not removed yet) or none (made again since).
        int earlierOnly = 0;
        int kept = 0;
        for (int f : p.earlier)
            if (!p.later.count(f)) {
                ++earlierOnly;
                kept += fs::exists(folder / frameFile(f));
            }
        if (thumbs && kept != 0 && kept != earlierOnly)
            found.fault("half-emptied image folder: " + folder.string() + " keeps " +
                        std::to_string(kept) + " of its " + std::to_string(earlierOnly) +
                        " frames from the earlier capture");
    }
}

} // namespace

bool isPartial(const std::string& name) {
    return name.starts_with(kPartial);
}

std::string frameFile(int f) {
    char name[16];
    std::snprintf(name, sizeof name, "%02X %02X.bin", f & 0xFF, (f >> 8) & 0xFF);
    return name;
}

bool Picture::complete() const {
    for (int f = 1; f <= frameCount(); ++f)
        if (!received(f))
            return false;
    return true;
}

Scene makeScene() {
    Scene scene;
    std::mt19937 rng(20240611);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };

    // Thumbnails: most come whole in the large capture, some had frames stored before, a few
    // are only complete with the earlier frames, and two stay incomplete.
    for (int i = 0; i < 64; ++i) {
        Picture p;
        p.kind = ImageKind::Thumbnail;
        // Some IDs hold the KISS delimiter and escape bytes.
        p.id4 = fourBytes(0x54, i == 5 ? 0xC0 : 0x10 + i, i == 9 ? 0xDB : 0x00, 0x01);
        p.jpeg = noiseJpeg(40 + pick(48), 24 + pick(32), 100 + i, 65535);
        const int n = p.frameCount();
        for (int f = 1; f <= n; ++f) {
            switch (i % 6) {
            case 0: // whole in the large capture, a third of it stored before
                p.later.insert(f);
                if (pick(3) == 0)
                    p.earlier.insert(f);
                break;
            case 1: // the first half stored before, the rest in the large capture
                (f > n / 2 ? p.earlier : p.later).insert(f);
                break;
            case 2: // stored before all but frame 1
                (f > 1 ? p.earlier : p.later).insert(f);
                break;
            case 3: // incomplete for good: frame 2 never comes
                if (f != 2 || n < 2)
                    (pick(2) ? p.earlier : p.later).insert(f);
                break;
            default:
                p.later.insert(f);
                break;
            }
        }
        scene.pictures.push_back(std::move(p));
    }
    // Puzzles: larger, one of more than 255 frames; one stays incomplete.
    for (int i = 0; i < 36; ++i) {
        Picture p;
        p.kind = ImageKind::Puzzle;
        p.id4 = fourBytes(0x50, 0x20 + i, 0x00, 0x02);
        p.jpeg = i == 0 ? noiseJpeg(200, 200, 500, 65535)
                        : noiseJpeg(96 + pick(64), 64 + pick(48), 500 + i, 65535);
        const int n = p.frameCount();
        for (int f = 1; f <= n; ++f) {
            switch (i % 5) {
            case 1: // split over the two captures
                (pick(2) ? p.earlier : p.later).insert(f);
                break;
            case 3: // a few stored before, all in the large capture
                p.later.insert(f);
                if (pick(4) == 0)
                    p.earlier.insert(f);
                break;
            default:
                if (i != 7 || f != n) // puzzle 7 never gets its first slice
                    p.later.insert(f);
                break;
            }
        }
        scene.pictures.push_back(std::move(p));
    }
    // Bitmaps of at most 100 bytes (mono, up to 9 rows), so that the icon ID after them stays.
    for (int i = 0; i < 100; ++i)
        scene.icons.push_back(
            {fourBytes(0x49, 0x10 + i, 0x00, 0x03), smallBmp(4 + pick(28), 2 + pick(8))});

    // Frames of the two captures, each sent twice in shuffled order as in two passes.
    std::vector<std::string> earlier;
    std::vector<std::string> later;
    std::vector<std::pair<std::string, std::string>> texts;
    for (const Picture& p : scene.pictures) {
        for (int f : p.earlier)
            earlier.push_back(p.frame(f));
        for (int f : p.later)
            later.push_back(p.frame(f));
        const std::string text = description(rng);
        if (pick(3) == 0)
            earlier.push_back(textFrame(p.id4, text));
        else
            texts.emplace_back(p.id4, text);
        if (pick(4) == 0) // a second description of the same image: the first stays
            texts.emplace_back(p.id4, description(rng));
    }
    for (int i = 0; i < 60; ++i) // descriptions of images not received
        texts.emplace_back(fourBytes(0x44, 0x10 + i, 0x00, 0x04), description(rng));
    for (const auto& [id4, text] : texts)
        later.push_back(textFrame(id4, text));
    for (std::size_t i = 0; i < scene.icons.size(); ++i) {
        const Icon& icon = scene.icons[i];
        (i % 4 == 0 ? earlier : later).push_back(iconFrame(icon.id4, icon.bitmap));
    }

    auto twoPasses = [&](std::vector<std::string> frames) {
        std::vector<std::string> out;
        for (int pass = 0; pass < 2; ++pass) {
            std::shuffle(frames.begin(), frames.end(), rng);
            out.insert(out.end(), frames.begin(), frames.end());
        }
        return out;
    };
    scene.earlierFrames = twoPasses(earlier);
    scene.laterFrames = twoPasses(later);
    // Descriptions in the order the large capture carries them: the order of the log lines.
    for (const std::string& frame : scene.laterFrames)
        if (frame[5] == '\x05') {
            const auto length = static_cast<std::size_t>(static_cast<unsigned char>(frame[6]) |
                                                         static_cast<unsigned char>(frame[7]) << 8);
            scene.laterTexts.emplace_back(frame.substr(98, 4), frame.substr(8, length - 1));
        }

    for (const Picture& p : scene.pictures) {
        scene.byFileName[p.fileName()] = &p;
        (p.thumbnail() ? scene.thumbFolders : scene.puzzleFolders)[p.folder()] = &p;
    }
    for (const Icon& icon : scene.icons)
        scene.iconsByFileName[icon.fileName()] = &icon;
    return scene;
}

Ending endingOf(pid_t child, std::chrono::steady_clock::time_point start) {
    Ending ending;
    const int status = waitForBatch(child);
    ending.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ending.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    if (WIFEXITED(status))
        ending.status = WEXITSTATUS(status);
    return ending;
}

std::function<bool()> withIoTrace(const fs::path& trace, long killAtDeletion) {
    return [trace, killAtDeletion] {
        // An instrumented decoder takes a library loaded before its runtime.
        std::string asan = "verify_asan_link_order=0";
        if (const char* options = std::getenv("ASAN_OPTIONS"))
            asan = std::string(options) + ":" + asan;
        return ::setenv("LD_PRELOAD", ZELTO_IO_TRACE_LIBRARY, 1) == 0 &&
               ::setenv("ZELTO_IO_TRACE", trace.c_str(), 1) == 0 &&
               ::setenv("ZELTO_IO_KILL_AT_DELETION", std::to_string(killAtDeletion).c_str(), 1) ==
                   0 &&
               ::setenv("ASAN_OPTIONS", asan.c_str(), 1) == 0;
    };
}

long frameDeletions(const fs::path& trace) {
    long count = 0;
    std::istringstream lines(readFile(trace));
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("U\t"))
            continue;
        const std::size_t thumbs = line.find("/Thumbs/");
        const std::size_t slash = line.rfind('/');
        if (thumbs != std::string::npos && slash > thumbs + 8 && !isPartial(line.substr(slash + 1)))
            ++count;
    }
    return count;
}

Ending runDecoder(const fs::path& work, const fs::path& output,
                  const std::vector<std::string>& arguments,
                  std::optional<std::chrono::nanoseconds> killAfter,
                  const std::function<bool()>& inChild) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = startBatch(work, arguments, output, output, inChild);
    if (child < 0)
        return Ending{};
    if (killAfter) {
        const auto ns = killAfter->count();
        timespec delay{static_cast<time_t>(ns / 1'000'000'000),
                       static_cast<long>(ns % 1'000'000'000)};
        while (::nanosleep(&delay, &delay) != 0 && errno == EINTR) {
        }
        // The child is not reaped before this, so its process ID cannot have been reused.
        ::kill(child, SIGKILL);
    }
    return endingOf(child, start);
}

std::set<std::string> realFiles(const fs::path& folder) {
    std::set<std::string> names;
    for (const std::string& name : entries(folder))
        if (!isPartial(name))
            names.insert(name);
    return names;
}

Findings checkWorkFolder(const Scene& scene, const fs::path& work, bool finished) {
    Findings found;
    for (const std::string& name : entries(work)) {
        const fs::path path = work / name;
        if (isPartial(name)) {
            ++found.partials;
            if (finished)
                found.fault("leftover after a whole run: " + name);
        } else if (name == "ThumbList.txt") {
            checkLog(scene, readFile(path), finished, found);
        } else if (const auto hex = scene.hexFiles.find(name); hex != scene.hexFiles.end()) {
            if (readFile(path) != hex->second)
                found.fault(name + " not whole or not exact");
        } else if (name == "Thumbs" || name == "Puzzles") {
            checkStoreFolder(scene, path, name == "Thumbs", finished, found);
        } else if (const auto icon = scene.iconsByFileName.find(name);
                   icon != scene.iconsByFileName.end()) {
            if (readFile(path) != icon->second->bitmap)
                found.fault("icon not whole or not exact: " + name);
        } else if (const auto picture = scene.byFileName.find(name);
                   picture != scene.byFileName.end()) {
            if (!picture->second->complete())
                found.fault("image assembled from an incomplete store: " + name);
            else if (readFile(path) != picture->second->jpeg)
                found.fault("image not whole or not exact: " + name);
        } else {
            found.fault("unexpected file: " + name);
        }
    }

    // Frames leave the store only after their thumbnail has been assembled, puzzle frames never.
    for (const Picture& p : scene.pictures) {
        const bool assembled = fs::exists(work / p.fileName());
        const fs::path folder = work / (p.thumbnail() ? "Thumbs" : "Puzzles") / p.folder();
        const std::set<std::string> present = realFiles(folder);
        const std::set<int>* must[] = {&p.earlier, finished ? &p.later : nullptr};
        if (!p.thumbnail() || !assembled)
            for (const std::set<int>* frames : must)
                for (int f = 1; frames && f <= p.frameCount(); ++f)
                    if (frames->count(f) && !present.count(frameFile(f)))
                        found.fault("frame lost: " + folder.string() + "/" + frameFile(f));
        if (finished && p.complete() != assembled)
            found.fault(p.fileName() + (assembled ? " assembled" : " not assembled") +
                        " after a whole run");
    }
    if (finished) {
        for (const Icon& icon : scene.icons)
            if (!fs::exists(work / icon.fileName()))
                found.fault("icon missing after a whole run: " + icon.fileName());
        for (const std::string& hex : scene.runHexFiles)
            if (!fs::exists(work / hex))
                found.fault(hex + " missing after a whole run");
    }
    return found;
}

void checkReport(const Scene& scene, const fs::path& work, const std::string& out,
                 Findings& found) {
    static const std::regex missing(R"( Missing (-?\d+) frames from (\d+) in : thumb (.{11}))");
    static const std::regex puzzle(
        R"(Puzzle (.{11}) : received (\d+) frames from a total of (\d+).*)");
    std::set<std::string> puzzlesReported;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (line.starts_with("Image: ")) {
            const auto p = scene.byFileName.find(line.substr(7));
            if (p == scene.byFileName.end() || !p->second->complete())
                found.fault("reported an image it should not have: " + line);
        } else if (std::regex_match(line, m, missing)) {
            const std::string folder = m[3].str() + " . " + m[2].str();
            const long real = static_cast<long>(realFiles(work / "Thumbs" / folder).size());
            if (std::stol(m[1]) != std::stol(m[2]) - real)
                found.fault("missing-frames line disagrees with the store: " + line);
        } else if (std::regex_match(line, m, puzzle)) {
            const std::string folder = m[1].str() + " . " + m[3].str();
            puzzlesReported.insert(folder);
            const long real = static_cast<long>(realFiles(work / "Puzzles" / folder).size());
            if (std::stol(m[2]) != real)
                found.fault("puzzle line disagrees with the store: " + line);
            const bool decoded = line.ends_with("  >  Puzzle decoded!");
            if (decoded != (real == std::stol(m[3])))
                found.fault("puzzle line marks the wrong outcome: " + line);
        }
    }
    for (const auto& [folder, p] : scene.puzzleFolders)
        if (!puzzlesReported.count(folder))
            found.fault("puzzle not reported: " + folder);
}

void copyFolder(const fs::path& from, const fs::path& to) {
    fs::remove_all(to);
    fs::copy(from, to, fs::copy_options::recursive);
}

std::string describe(const Findings& found) {
    std::string text;
    for (std::size_t i = 0; i < found.faults.size() && i < 20; ++i)
        text += "\n  " + found.faults[i];
    if (found.faults.size() > 20)
        text += "\n  ... " + std::to_string(found.faults.size() - 20) + " more";
    return text;
}

unsigned crashSeed() {
    if (const char* fixed = std::getenv("ZELTO_CRASH_SEED"))
        return static_cast<unsigned>(std::strtoul(fixed, nullptr, 10));
    return std::random_device{}();
}

void prepareScene(SceneSetup& setup) {
    Scene& scene = setup.scene;
    BatchFolder& folder = setup.folder;
    writeFile(setup.captures / "earlier.kss", kissCapture(scene.earlierFrames));
    writeFile(setup.captures / "day.kss", kissCapture(scene.laterFrames));
    scene.hexFiles["earlier.HEX"] = hexFile(scene.earlierFrames);
    scene.hexFiles["day.HEX"] = hexFile(scene.laterFrames);
    scene.runHexFiles = {"day.HEX"};

    // The working folder as an earlier, partial capture left it, with one log line edited
    // by hand so that an ID stands twice.
    const BatchResult earlier = folder.run({(setup.captures / "earlier.kss").string()});
    ASSERT_EQ(earlier.status, 0) << earlier.err;
    const fs::path log = folder.work() / "ThumbList.txt";
    std::string initialLog = readFile(log);
    ASSERT_FALSE(initialLog.empty());
    initialLog += initialLog.substr(0, 15) + "edited by hand\r\n";
    writeFile(log, initialLog);
    scene.initialLog = initialLog;
    std::set<std::string> ids;
    for (std::size_t at = 0; at < initialLog.size(); at = initialLog.find('\n', at) + 1)
        ids.insert(initialLog.substr(at + 1, 11));
    for (const auto& [id4, text] : scene.laterTexts)
        if (ids.insert(idText(id4)).second)
            scene.newLogLines.push_back(" " + idText(id4) + " = " + text + "\r\n");
    const Findings initial = checkWorkFolder(scene, folder.work(), false);
    ASSERT_TRUE(initial.faults.empty()) << describe(initial);
    copyFolder(folder.work(), setup.initialCopy);
}

} // namespace zelto::test
