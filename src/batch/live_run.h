#pragma once

#include "batch/batch_options.h"
#include "core/session.h"

namespace zelto {

class BufferedOutput;

// Zeltodecoder-batch --kiss or --audio: decodes live from a KISS TCP server, a sound card or
// standard input into the prepared working folder until SIGINT or SIGTERM (or until standard
// input ends), then decodes what it holds and returns 0; returns 1 when it stopped because a
// file could not be written. Report lines go to `out`; connection changes and frame errors
// to standard error, as "SOURCE: message". With forwarding on in the options' station, each
// frame of the kept length is forwarded to its SiDS server (or, with --sids-dry-run, each
// request shown on standard error); with --kiss-serve, every frame is served to KISS clients.
int runLiveSession(Session& session, const BatchOptions& options, BufferedOutput& out);

// --audio-devices: the sound card inputs, one a line, the default one first.
int listAudioDevices();

} // namespace zelto
