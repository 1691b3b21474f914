// Reading a recording's first channel in blocks with libsndfile.
#include "radio/recording_file.h"

#include "core/run_error.h"

#include <sndfile.h>

namespace zelto {

RecordingFile::RecordingFile(const std::filesystem::path& file) : name_(file.filename().string()) {
    SF_INFO info{};
    file_ = sf_open(file.c_str(), SFM_READ, &info);
    if (!file_)
        throw RunError(name_ + ": " + sf_strerror(nullptr));
    if (info.channels < 1 || info.samplerate < 1) {
        sf_close(file_);
        throw RunError(name_ + ": holds no audio.");
    }
    sampleRate_ = info.samplerate;
    channels_ = info.channels;
    length_ = info.frames;
}

RecordingFile::~RecordingFile() {
    sf_close(file_);
}

std::size_t RecordingFile::read(float* samples, std::size_t count) {
    if (channels_ == 1) {
        const sf_count_t got = sf_readf_float(file_, samples, static_cast<sf_count_t>(count));
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }
    interleaved_.resize(count * static_cast<std::size_t>(channels_));
    const sf_count_t got =
        sf_readf_float(file_, interleaved_.data(), static_cast<sf_count_t>(count));
    if (got <= 0)
        return 0;
    for (sf_count_t i = 0; i < got; ++i)
        samples[i] = interleaved_[static_cast<std::size_t>(i * channels_)];
    return static_cast<std::size_t>(got);
}

} // namespace zelto
