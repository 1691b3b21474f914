// The decoding pass calcula over a HEX frame file, with the thumbnails joined at its end.
#include "commands/decoding_pass.h"

#include "decode/frame_decoder.h"
#include "decode/report_lines.h"
#include "store/thumbnail_assembly.h"

namespace zelto {

void calcula(Session& session, Panes& panes, InputFile& input) {
    // The pass ends every open command: however it ends, the command's files are on the disk.
    FinishOnExit writes(session.writes);
    FrameDecoder decoder(session, panes);
    std::string line;
    long lines = 0;
    int iconCount = 0; // picks the strip slot: the first eight icons of the pass are shown
    while (input.readLine(line)) {
        const DecodedFrame frame = decoder.decode(line);
        PicturePane slot;
        if (frame.type == FrameType::Icon && iconStripSlot(++iconCount, slot))
            panes.showPicture(slot, session.writes.readable(session.workFolder / frame.iconFile),
                              frame.iconFile);
        if (++lines % 512 == 0)
            panes.progress("Decoding frames", lines, 0);
    }
    input.close();
    if (!decoder.anyValidFrame())
        panes.reportAppend(kNoValidFrames);
    assembleThumbnails(session, panes);
    writes.finish();
}

} // namespace zelto
