#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace zelto {

// The queue's file in the working folder.
inline constexpr const char* kSidsQueueName = "sids-queue.txt";

// The frames waiting to be forwarded, kept in a file so that a restart sends them: one line
// per frame, "W " and the request's body while it waits, the W turned into "S" once the
// server took it (or "D" once it refused it for good), so that no frame is sent twice. Only
// the place of the next waiting line is held in memory, however long the queue grows.
class SidsQueue {
  public:
    // Reads the file, made when missing; a file holding lines done already is written again
    // with the waiting ones alone. A last line without its line end is kept when it holds its
    // request to the end, and dropped as a kill's leftover otherwise. Errors throw RunError
    // naming the file, as do those below.
    explicit SidsQueue(std::filesystem::path file);

    // Adds a frame at the end. Throws RunError when the file cannot be written.
    void push(const std::string& body);
    long waiting() const { return waiting_; }
    // The body of the first waiting frame; nothing when none waits. A file that does not
    // hold what was counted (cut by hand) is counted again.
    std::optional<std::string> front();
    // After front(): throws RunError unless the mark of that frame can be written.
    void checkWritable() const;
    // The first waiting frame is done: taken by the server, or refused for good.
    void markFront(char mark);

  private:
    void recount();

    std::filesystem::path file_;
    long waiting_ = 0;
    std::uint64_t front_ = 0; // where the first waiting line begins
};

} // namespace zelto
