// File > Open .txt file: a monitor text capture turned into its HEX frame file and decoded.
#include "commands/text_import.h"

#include "commands/import_steps.h"
#include "core/file_io.h"
#include "import/hex_frame_file.h"
#include "import/text_capture.h"

#include <string>
#include <system_error>

namespace zelto {

namespace fs = std::filesystem;

namespace {

// Writes the HEX line of every data line that follows a header line; each is also listed
// in the report pane, without its final blank, until the pass takes the pane over.
void convertTextCapture(InputFile& capture, long captureSize, WholeFile& hexFile, Panes& panes) {
    DataLinePairing pairing;
    std::string line;
    std::string hexLine;
    long done = 0;
    long nextProgress = kProgressStep;
    while (capture.readLine(line)) {
        done += static_cast<long>(line.size()) + 1;
        if (done >= nextProgress) {
            panes.progress("Reading capture", done, captureSize);
            nextProgress = done + kProgressStep;
        }
        if (!pairing.converts(line))
            continue;
        hexLine.clear();
        appendTextHexLine(hexLine, line);
        hexFile.write(hexLine);
        panes.reportAppend(
            std::string_view(hexLine).substr(0, hexLine.size() - 1 - kHexLineEnd.size()));
    }
}

} // namespace

void openTextFile(Session& session, Panes& panes, const fs::path& capture) {
    clearPanesForImport(panes);
    const fs::path capturePath = fullCapturePath(capture);
    panes.setFileField(capturePath.string());
    InputFile input(capturePath);
    const auto captureSize = static_cast<long>(input.size());

    panes.reportClear();
    panes.repaint();
    session.resetHiddenLists();
    const fs::path hexPath = hexFilePath(capturePath, session.workFolder);
    checkNotTheCapture(capturePath, hexPath);
    WholeFile hexFile(hexPath);
    convertTextCapture(input, captureSize, hexFile, panes);
    input.close();
    commitHexFile(session, hexFile, hexPath);

    panes.setFileField(" HEX file saved:    " + hexPath.string());
    panes.normalLayout();
    panes.reportClear();
    panes.repaint();
    enterWorkFolder(session);

    decodeHexFile(session, panes, hexPath);
}

} // namespace zelto
