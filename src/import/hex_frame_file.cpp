// The HEX frame file: bytes as hex tokens, a line per frame.
#include "import/hex_frame_file.h"

#include "core/text.h"

namespace zelto {

std::string hexFileName(std::string_view captureFileName) {
    const std::size_t dot = captureFileName.rfind('.');
    std::string name(captureFileName.substr(0, dot));
    name += ".HEX";
    return name;
}

std::filesystem::path hexFilePath(const std::filesystem::path& capture,
                                  const std::filesystem::path& workFolder) {
    return workFolder / hexFileName(capture.filename().string());
}

std::string byteToHex(unsigned char byte) {
    std::string hex;
    appendHexByte(hex, byte);
    return hex;
}

void appendHexTokens(std::string& out, std::string_view bytes) {
    const std::size_t start = out.size();
    out.resize(start + 3 * bytes.size());
    char* to = out.data() + start;
    for (const char b : bytes)
        to = putHexToken(to, static_cast<unsigned char>(b));
}

} // namespace zelto
