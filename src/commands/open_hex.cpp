// File > Open .HEX file: a HEX frame file decoded.
#include "commands/open_hex.h"

#include "commands/decoding_pass.h"
#include "commands/import_steps.h"
#include "core/file_io.h"

namespace zelto {

void openHexFile(Session& session, Panes& panes, const std::filesystem::path& file) {
    apaga(panes);
    panes.normalLayout();
    panes.listClear(ListPane::ListBox1);
    panes.listClear(ListPane::ListBox2);
    panes.listClear(ListPane::ListBox3);
    panes.setDescription("");
    // The same steps as the imports, so that a name that makes no path or a working folder
    // that has gone give the run-time messages.
    const std::filesystem::path fullPath = fullCapturePath(file);
    panes.setFileField(fullPath.string());
    InputFile input(fullPath);
    panes.reportClear();
    panes.repaint();
    session.resetHiddenLists();
    enterWorkFolder(session);
    calcula(session, panes, input);
}

} // namespace zelto
