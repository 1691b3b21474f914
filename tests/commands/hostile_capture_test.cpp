// Captures and HEX frame files that are damaged, hostile or not files at all: each stops with
// a run-time message or is passed over, writes nothing beside the working folder and keeps
// what is already there.
#include "core/run_error.h"
#include "commands/open_hex.h"
#include "support/kiss_capture.h"
#include "commands/kiss_import.h"
#include "commands/text_import.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <regex>
#include <sys/stat.h>

using namespace zelto;
using namespace zelto::test;

namespace {

const std::string kId4 = bytesOf({0x0A, 0x1B, 0x2C, 0x3D});
const std::string kNoValidFrames = " >>>  No valid frames found!";
const std::vector<std::string> kKissTrailer = {
    " ", " ---  Valid type 2, 3, 4 and 5 frames contained in the above KISS data:", " "};

using Command = void (*)(Session&, Panes&, const fs::path&);

struct Opened {
    std::string error; // empty when the command ran to its end
    FakePanes panes;
};

class HostileCapture : public ::testing::Test {
  protected:
    Opened open(Command command, const fs::path& file) {
        Opened run;
        run.panes.decodePictures = false;
        run.error = messageOf([&] { command(nest.session, run.panes, file); });
        return run;
    }
    // Writes the capture among the captures and opens it with the command its name calls for.
    Opened open(const std::string& name, std::string_view bytes) {
        const fs::path file = nest.captures() / name;
        writeFile(file, bytes);
        outsideBefore = nest.outside();
        return open(commandFor(file), file);
    }
    static Command commandFor(const fs::path& file) {
        const std::string extension = file.extension().string();
        return extension == ".kss"   ? openKissFile
               : extension == ".txt" ? openTextFile
                                     : openHexFile;
    }
    std::vector<std::string> workEntries() const { return treeOf(nest.work()); }

    NestedWorkFolder nest;
    std::vector<std::string> outsideBefore; // beside the working folder, once the capture is there
};

// Seeded random bytes, so that every run meets the same garbage.
std::string garbage(std::size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(rng() & 0xFF);
    return bytes;
}

// A HEX line with `text` put in place of the characters from `at` on (counted from 1).
std::string hexLineWith(const std::string& frame, std::size_t at, std::string_view text) {
    std::string line = hexTokens(frame);
    line.replace(at - 1, text.size(), text);
    return line;
}

// The text capture that gives this HEX line: a header, then the line without the command
// token the import adds and without its last blank.
std::string textCaptureOf(const std::vector<std::string>& hexLines) {
    std::string capture;
    for (const std::string& line : hexLines)
        capture += "header\n" + line.substr(3, line.size() - 4) + "\n";
    return capture;
}

std::string hexFileOf(const std::vector<std::string>& hexLines) {
    std::string out;
    for (const std::string& line : hexLines)
        out += line + "\r\n";
    return out;
}

std::string shown(std::string text) {
    std::replace(text.begin(), text.end(), '\0', '?');
    return text;
}

// Names that would leave the folder they are put in, or that are no hexadecimal tokens.
const std::vector<std::string> kBadImageIds = {"../../x/../",
                                               "..\\..\\x\\..\\",
                                               "/etc/passwd",
                                               "0A/1B/2C/3D",
                                               std::string("0A 1B\0002C 3D", 11),
                                               "GG HH II JJ",
                                               "0A 1B 2C 3.",
                                               "0A\t1B 2C 3D"};
// The frame number's two tokens read as a number; what stands between them names the file too.
const std::vector<std::string> kBadFrameNumbers = {"2C/01", "2C\\01", "2C.01",
                                                   std::string("2C\00001", 5)};
const std::vector<std::string> kBadIconIds = {"../../x/../ ", "/etc/passwd ", "01\\02\\03\\04\\",
                                              std::string("01 02\00003 04 ", 12), "01 02 03 0G "};

} // namespace

TEST_F(HostileCapture, UnsafeNamesInAHexFileOrATextCaptureStopWithTheirMessage) {
    const std::string thumbnail =
        imageFrame(ImageKind::Thumbnail, kId4, 300, 2, std::string(200, 'a'));
    const std::string puzzle = imageFrame(ImageKind::Puzzle, kId4, 300, 1, "b");
    const std::string icon = iconFrame(kId4, "BM");
    struct Case {
        std::string line;
        std::string bad;
    };
    std::vector<Case> cases;
    for (const std::string& id : kBadImageIds) {
        cases.push_back({hexLineWith(thumbnail, 19, id), id});
        cases.push_back({hexLineWith(puzzle, 19, id), id});
    }
    for (const std::string& number : kBadFrameNumbers)
        cases.push_back({hexLineWith(thumbnail, 40, number), number});
    for (const std::string& id : kBadIconIds)
        cases.push_back({hexLineWith(icon, 325, id), id});

    const std::string good = hexTokens(textFrame(kId4, "before"));
    for (const Case& c : cases) {
        for (const char* name : {"bad.HEX", "bad.txt"}) {
            SCOPED_TRACE(std::string(name) + " " + shown(c.bad));
            const bool text = std::string(name).ends_with(".txt");
            const Opened run =
                open(name, text ? textCaptureOf({good, c.line}) : hexFileOf({good, c.line}));
            // The text import upper-cases the data line.
            std::string quoted = c.bad;
            if (text)
                for (char& ch : quoted)
                    ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            EXPECT_EQ(run.error, "'" + shown(quoted) + "' is not a valid image ID");
            EXPECT_EQ(run.panes.report,
                      std::vector<std::string>{"Text.   ID : 0A 1B 2C 3D  before"});
            EXPECT_TRUE(listFolder(nest / "Thumbs").empty());
            EXPECT_TRUE(listFolder(nest / "Puzzles").empty());
            EXPECT_EQ(nest.outside(), outsideBefore);
        }
    }
    EXPECT_EQ(listFolder(nest.work()),
              (std::vector<std::string>{"Puzzles", "ThumbList.txt", "Thumbs", "bad.HEX"}));
    EXPECT_EQ(readFile(nest / "ThumbList.txt"), " 0A 1B 2C 3D = before\r\n");
}

TEST_F(HostileCapture, TheIdOfATextFrameNamesNoFileAndIsKeptInTheLogAsItStands) {
    const std::string frame = textFrame(kId4, "desc");
    std::string expectedLog;
    for (const std::string& id : kBadImageIds) {
        const Opened run = open("text.HEX", hexFileOf({hexLineWith(frame, 295, id)}));
        EXPECT_EQ(run.error, "") << shown(id);
        EXPECT_EQ(nest.outside(), outsideBefore);
        expectedLog += " " + id + " = desc\r\n";
    }
    EXPECT_EQ(readFile(nest / "ThumbList.txt"), expectedLog);
    EXPECT_EQ(listFolder(nest.work()),
              (std::vector<std::string>{"Puzzles", "ThumbList.txt", "Thumbs"}));
}

TEST_F(HostileCapture, BinaryGarbageOfEveryKindIsReadWithoutAFrame) {
    const std::string bytes = garbage(1 << 20, 1);
    // Escapes and delimiters of the garbage make KISS frames of every length; the kept ones
    // are listed like any other, and none is a beacon frame.
    const Opened kiss = open("garbage.kss", bytes);
    EXPECT_EQ(kiss.error, "");
    ASSERT_GE(kiss.panes.report.size(), 4u);
    EXPECT_EQ(kiss.panes.report.back(), kNoValidFrames);
    const Opened text = open("garbage.txt", bytes);
    EXPECT_EQ(text.error, "");
    EXPECT_EQ(text.panes.report, std::vector<std::string>{kNoValidFrames});
    const Opened hex = open("garbage.HEX", bytes);
    EXPECT_EQ(hex.error, "");
    EXPECT_EQ(hex.panes.report, std::vector<std::string>{kNoValidFrames});
    EXPECT_TRUE(listFolder(nest / "Thumbs").empty());
    EXPECT_TRUE(listFolder(nest / "Puzzles").empty());
    EXPECT_EQ(readFile(nest / "ThumbList.txt"), "");
}

TEST_F(HostileCapture, GarbageAfterTheTypeBytesStopsWithTheConversionMessage) {
    // Bytes from 80 hex up are no digits: the first field read fails, before any name is made.
    std::string high = garbage(4000, 2);
    for (char& c : high)
        c = static_cast<char>(c | '\x80');
    const std::regex message("'\\$[^']*' is not a valid integer value");
    for (const char* type : {"86 82 05 ", "85 82 02 ", "85 82 04 ", "85 82 03 "}) {
        for (const char* name : {"typed.HEX", "typed.txt"}) {
            SCOPED_TRACE(std::string(name) + " " + type);
            const std::string line = "00 00 00 " + std::string(type) + high + " ";
            const Opened run =
                open(name, std::string(name).ends_with(".txt") ? textCaptureOf({line})
                                                               : hexFileOf({line}));
            EXPECT_TRUE(std::regex_match(run.error, message)) << run.error;
            EXPECT_TRUE(run.panes.report.empty());
        }
    }
    EXPECT_TRUE(listFolder(nest / "Thumbs").empty());
    EXPECT_TRUE(listFolder(nest / "Puzzles").empty());
    EXPECT_EQ(listFolder(nest.work()),
              (std::vector<std::string>{"Puzzles", "ThumbList.txt", "Thumbs", "typed.HEX"}));
}

TEST_F(HostileCapture, AFiftyMegabyteLineIsCopiedWholeAndFindsNoFrame) {
    const std::string data = "00 " + std::string(50 << 20, 'a');
    const Opened text = open("long.txt", "header\n" + data + "\n");
    EXPECT_EQ(text.error, "");
    EXPECT_EQ(text.panes.report, std::vector<std::string>{kNoValidFrames});
    EXPECT_EQ(fs::file_size(nest / "long.HEX"), data.size() + 6);

    const Opened hex = open("long.HEX", data);
    EXPECT_EQ(hex.error, "");
    EXPECT_EQ(hex.panes.report, std::vector<std::string>{kNoValidFrames});

    // One KISS frame of 50 MB is far too long to be kept.
    const Opened kiss = open("long.kss", "\xC0" + std::string(50 << 20, '\x01') + "\xC0");
    EXPECT_EQ(kiss.error, "");
    std::vector<std::string> report = kKissTrailer;
    report.push_back(kNoValidFrames);
    EXPECT_EQ(kiss.panes.report, report);
    EXPECT_EQ(fs::file_size(nest / "long.HEX"), 0u);
}

TEST_F(HostileCapture, AMillionEmptyLinesAreAMillionLinesWithoutAFrame) {
    const Opened text = open("empty.txt", std::string(1000000, '\n'));
    EXPECT_EQ(text.error, "");
    EXPECT_EQ(text.panes.report, std::vector<std::string>{kNoValidFrames});
    EXPECT_EQ(readFile(nest / "empty.HEX"), "");

    std::string lines;
    for (int i = 0; i < 1000000; ++i)
        lines += "\r\n";
    const Opened hex = open("empty.HEX", lines + hexTokens(textFrame(kId4, "last")) + "\r\n");
    EXPECT_EQ(hex.error, "");
    EXPECT_EQ(hex.panes.report, std::vector<std::string>{"Text.   ID : 0A 1B 2C 3D  last"});
}

TEST_F(HostileCapture, ACaptureThatIsAFolderIsAccessDeniedAndChangesNothing) {
    writeFile(nest / "dir.HEX", "earlier\r\n");
    const fs::path folder = nest.captures() / "dir.kss";
    fs::create_directory(folder);
    const std::vector<std::string> before = workEntries();
    for (Command command : {openKissFile, openTextFile, openHexFile}) {
        Opened run;
        run.panes.report = {"old line"};
        nest.session.memo4.note("0A 1B 2C 3D . 5");
        run.error = messageOf([&] { command(nest.session, run.panes, folder); });
        EXPECT_EQ(run.error, "File access denied");
        EXPECT_EQ(run.panes.report, std::vector<std::string>{"old line"});
        EXPECT_EQ(run.panes.fileField, folder.string());
        EXPECT_EQ(nest.session.memo4.entries().size(), 1u);
    }
    EXPECT_EQ(workEntries(), before);
}

TEST_F(HostileCapture, ADeviceIsReadAsTheEmptyFileItsSizeSays) {
    // /dev/zero would give bytes without end; it is taken for an empty capture.
    const Opened kiss = open(openKissFile, "/dev/zero");
    EXPECT_EQ(kiss.error, "");
    std::vector<std::string> report = kKissTrailer;
    report.push_back(kNoValidFrames);
    EXPECT_EQ(kiss.panes.report, report);
    EXPECT_EQ(readFile(nest / "zero.HEX"), "");
    for (Command command : {openTextFile, openHexFile}) {
        const Opened run = open(command, "/dev/zero");
        EXPECT_EQ(run.error, "");
        EXPECT_EQ(run.panes.report, std::vector<std::string>{kNoValidFrames});
    }
}

TEST_F(HostileCapture, AFifoIsReadAsAnEmptyCaptureWithoutWaitingForAWriter) {
    const fs::path fifo = nest.captures() / "pipe.kss";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const Opened kiss = open(openKissFile, fifo);
    EXPECT_EQ(kiss.error, "");
    EXPECT_EQ(readFile(nest / "pipe.HEX"), "");
}

TEST_F(HostileCapture, AHexFrameFileChosenAsACaptureIsNotReplacedByItsConversion) {
    const std::string hex = hexFile({textFrame(kId4, "kept")});
    writeFile(nest / "pass.HEX", hex);
    for (Command command : {openKissFile, openTextFile}) {
        const Opened run = open(command, nest / "pass.HEX");
        EXPECT_EQ(run.error, "File access denied");
        EXPECT_TRUE(run.panes.report.empty());
        EXPECT_EQ(readFile(nest / "pass.HEX"), hex);
    }
    // Through a link the file is the same.
    fs::create_symlink(nest / "pass.HEX", nest.captures() / "pass.txt");
    EXPECT_EQ(open(openTextFile, nest.captures() / "pass.txt").error, "File access denied");
    EXPECT_EQ(readFile(nest / "pass.HEX"), hex);
    EXPECT_EQ(listFolder(nest.work()),
              (std::vector<std::string>{"Puzzles", "ThumbList.txt", "Thumbs", "pass.HEX"}));
}

TEST_F(HostileCapture, ALongCaptureNameThatTheFileSystemTakesGivesItsHexFile) {
    const std::string stem(250, 'c');
    const Opened run = open(stem + ".txt", "header\n00 01 02\n");
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(readFile(nest / (stem + ".HEX")), "00 00 01 02 \r\n");
    EXPECT_EQ(listFolder(nest.work()),
              (std::vector<std::string>{"Puzzles", "ThumbList.txt", "Thumbs", stem + ".HEX"}));
}

TEST_F(HostileCapture, ANameThatMakesNoPathIsFileNotFound) {
    for (Command command : {openKissFile, openTextFile, openHexFile}) {
        const Opened run = open(command, fs::path());
        EXPECT_EQ(run.error, "File not found");
    }
    EXPECT_EQ(listFolder(nest.work()),
              (std::vector<std::string>{"Puzzles", "ThumbList.txt", "Thumbs"}));
}

TEST_F(HostileCapture, AWorkingFolderThatHasGoneIsFileNotFoundAndNothingIsWrittenElsewhere) {
    writeFile(nest.captures() / "pass.HEX", hexFile({textFrame(kId4, "x")}));
    writeFile(nest.captures() / "pass.kss", kissFrame(textFrame(kId4, "x")));
    writeFile(nest.captures() / "pass.txt", textCaptureOf({hexTokens(textFrame(kId4, "x"))}));
    fs::current_path(nest.root());
    fs::remove_all(nest.work());
    const std::vector<std::string> outside = nest.outside();
    for (const char* name : {"pass.HEX", "pass.kss", "pass.txt"}) {
        const fs::path capture = nest.captures() / name;
        const Opened run = open(commandFor(capture), capture);
        EXPECT_EQ(run.error, "File not found") << name;
    }
    EXPECT_EQ(nest.outside(), outside);
    EXPECT_FALSE(fs::exists(nest.work()));
}
