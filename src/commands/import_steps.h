#pragma once

#include "core/file_io.h"
#include "core/panes.h"
#include "core/session.h"

#include <filesystem>

namespace zelto {

// The picture panes, the three lists and Label4 emptied before a capture is read.
void clearPanesForImport(Panes& panes);

// The capture as the file field shows it: its full path.
std::filesystem::path fullCapturePath(const std::filesystem::path& capture);

// The working folder becomes the current directory: the decoding pass and the frame store
// name their files relative to it.
void enterWorkFolder(const Session& session);

// Fails with "File access denied" when the HEX frame file would be the capture itself (a HEX
// frame file chosen as a capture): writing it would replace the capture by its conversion.
void checkNotTheCapture(const std::filesystem::path& capture, const std::filesystem::path& hexFile);

// The HEX frame file written whole: it waits in session.writes for its name, which a folder
// standing there fails at once with "File access denied".
void commitHexFile(Session& session, WholeFile& hexFile, const std::filesystem::path& hexPath);

// Opens the HEX frame file just written and runs the decoding pass over it.
void decodeHexFile(Session& session, Panes& panes, const std::filesystem::path& hexFile);

} // namespace zelto
