#pragma once

#include "core/panes.h"
#include "core/run_error.h"
#include "core/session.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zelto::test {

// A frame as a KISS client stores it: C0, the bytes with C0 sent as DB DC and DB as
// DB DD, C0. The frame's byte 0 is its command byte.
inline std::string kissEscaped(std::string_view frame) {
    std::string out;
    for (const char c : frame) {
        const auto b = static_cast<unsigned char>(c);
        if (b == 0xC0)
            out += "\xDB\xDC";
        else if (b == 0xDB)
            out += "\xDB\xDD";
        else
            out.push_back(c);
    }
    return out;
}

inline std::string kissFrame(std::string_view frame) {
    return "\xC0" + kissEscaped(frame) + "\xC0";
}

// Frames the way real KISS streams run: one C0 shared between neighbours.
inline std::string kissStream(const std::vector<std::string>& frames) {
    std::string out = "\xC0";
    for (const auto& f : frames)
        out += kissEscaped(f) + "\xC0";
    return out;
}

// A frame of n bytes, command byte first, whose other bytes are neither C0 nor DB.
inline std::string plainFrame(std::size_t n, char commandByte = '\0') {
    std::string f(n, '\0');
    f[0] = commandByte;
    for (std::size_t i = 1; i < n; ++i)
        f[i] = static_cast<char>(i % 0xC0);
    return f;
}

// Panes and hidden lists as an earlier command leaves them, for checking what an import
// clears and what it keeps.
template <class PanesT> void fillAsAfterAnEarlierPass(PanesT& panes, Session& session) {
    panes.pictures[PicturePane::Image7] = "thumb 0A 1B 2C 3D.jpg";
    panes.pictures[PicturePane::Image3] = "icon01 02 03 04 .bmp";
    panes.list(ListPane::ListBox1) = {"icon01 02 03 04 .bmp"};
    panes.list(ListPane::ListBox2) = {"thumb 0A 1B 2C 3D.jpg"};
    panes.list(ListPane::ListBox3) = {"0A 1B 2C 3D"};
    panes.description = "old description";
    panes.report = {"old line"};
    session.memo4.note("0A 1B 2C 3D . 5");
    session.memo5 = {"0A 1B 2C 3D . 5"};
}

// An import of a capture that cannot be opened: it stops with "File not found" once the
// panes are cleared and the file field names the capture; the report pane, the hidden
// lists and the working folder stay as the earlier pass left them.
template <class Import>
void expectMissingCaptureStopsBeforeTheReport(Import import, const WorkFolder& work,
                                              const std::string& captureName) {
    FakePanes panes;
    Session session = work.session;
    fillAsAfterAnEarlierPass(panes, session);
    EXPECT_EQ(messageOf([&] { import(session, panes, work / captureName); }), "File not found");
    EXPECT_TRUE(panes.pictures.empty());
    for (const auto& list : panes.lists)
        EXPECT_TRUE(list.empty());
    EXPECT_EQ(panes.description, "");
    EXPECT_EQ(panes.fileField, (work / captureName).string());
    EXPECT_EQ(panes.report, std::vector<std::string>{"old line"});
    EXPECT_EQ(session.memo4.entries(), std::vector<std::string>{"0A 1B 2C 3D . 5"});
    EXPECT_EQ(session.memo5, std::vector<std::string>{"0A 1B 2C 3D . 5"});
    EXPECT_EQ(listFolder(work.path()),
              (std::vector<std::string>{"Puzzles", "ThumbList.txt", "Thumbs"}));
}

} // namespace zelto::test
