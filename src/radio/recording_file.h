#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

struct sf_private_tag;

namespace zelto {

// An audio recording (WAV, FLAC, Ogg Vorbis, whatever libsndfile reads) read in blocks, its
// first channel only: a pass of any length costs the same memory.
class RecordingFile {
  public:
    // Throws RunError naming the file with libsndfile's own words when it cannot be opened or
    // holds no audio, e.g. "pass.ogg: Format not recognised."
    explicit RecordingFile(const std::filesystem::path& file);
    ~RecordingFile();
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    double sampleRate() const { return sampleRate_; }
    int channels() const { return channels_; }
    long long length() const { return length_; } // samples of one channel

    // Up to `count` samples of the first channel, full scale +-1; 0 at the end.
    std::size_t read(float* samples, std::size_t count);

  private:
    sf_private_tag* file_ = nullptr;
    std::string name_;
    double sampleRate_ = 0;
    int channels_ = 0;
    long long length_ = 0;
    std::vector<float> interleaved_;
};

} // namespace zelto
