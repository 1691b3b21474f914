// The steps every import shares: panes reset, the HEX frame file written, then the decoding pass.
#include "commands/import_steps.h"

#include "commands/decoding_pass.h"
#include "core/file_io.h"
#include "core/run_error.h"

#include <cerrno>
#include <system_error>

namespace zelto {

namespace fs = std::filesystem;

void clearPanesForImport(Panes& panes) {
    apaga(panes);
    panes.listClear(ListPane::ListBox1);
    panes.listClear(ListPane::ListBox2);
    panes.listClear(ListPane::ListBox3);
    panes.setDescription("");
}

fs::path fullCapturePath(const fs::path& capture) {
    std::error_code ec;
    fs::path full = fs::absolute(capture, ec);
    return ec ? capture : full;
}

void enterWorkFolder(const Session& session) {
    std::error_code ec;
    fs::current_path(session.workFolder, ec);
    if (ec)
        throwIoError(ec.value());
}

void checkNotTheCapture(const fs::path& capture, const fs::path& hexFile) {
    std::error_code ec;
    if (fs::equivalent(capture, hexFile, ec) && !ec)
        throwIoError(EACCES);
}

void commitHexFile(Session& session, WholeFile& hexFile, const fs::path& hexPath) {
    std::error_code ec;
    if (fs::is_directory(hexPath, ec))
        throwWriteError(EISDIR);
    hexFile.commit(session.writes);
}

void decodeHexFile(Session& session, Panes& panes, const fs::path& hexFile) {
    // Read from where its bytes are: it takes its name with the files the pass writes.
    InputFile input(session.writes.readable(hexFile));
    calcula(session, panes, input);
}

} // namespace zelto
