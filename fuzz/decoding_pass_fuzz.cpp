// The decoding pass over an arbitrary HEX frame file in a working folder of its own: it
// either completes or stops with a RunError, and writes nothing outside the working folder.
#include "core/run_error.h"
#include "core/session.h"
#include "commands/open_hex.h"
#include "fuzz_support.h"
#include "commands/work_folder.h"

using namespace zelto;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const fuzz::Scratch scratch;
    // The pass makes the working folder the current directory; libFuzzer's own paths are
    // relative to the one it started in.
    const fuzz::CurrentDirectoryKept currentDirectory;
    scratch.emptyWork();
    Session session;
    fuzz::NullPanes panes;
    prepareWorkFolder(session, scratch.work());
    const auto hexFile = scratch.work() / "capture.HEX";
    fuzz::writeFile(hexFile, fuzz::bytesOf(data, size));
    try {
        openHexFile(session, panes, hexFile);
    } catch (const RunError& e) {
        if (std::string_view(e.what()).empty())
            fuzz::fail("a failure without a message");
    }
    scratch.checkNothingOutside();
    return 0;
}
