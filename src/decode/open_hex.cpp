#include "decode/open_hex.h"

#include "core/file_io.h"
#include "decode/decoding_pass.h"

namespace zelto {

void openHexFile(Session& session, Panes& panes, const std::filesystem::path& file) {
    apaga(panes);
    panes.normalLayout();
    panes.listClear(ListPane::ListBox1);
    panes.listClear(ListPane::ListBox2);
    panes.listClear(ListPane::ListBox3);
    panes.setDescription("");
    const std::filesystem::path fullPath = std::filesystem::absolute(file);
    panes.setFileField(fullPath.string());
    InputFile input(fullPath);
    panes.reportClear();
    panes.repaint();
    session.resetHiddenLists();
    std::filesystem::current_path(session.workFolder);
    calcula(session, panes, input);
}

} // namespace zelto
