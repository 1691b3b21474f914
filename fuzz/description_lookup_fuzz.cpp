// The description log: the lookup that reads the log line by line, the index that reads it
// once and the log that appends to it must agree on every ID, whatever the log holds.
#include "core/file_io.h"
#include "store/description_log.h"
#include "fuzz_support.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace zelto;

namespace {

bool sameLookup(const LogLookup& a, const LogLookup& b) {
    return a.hasLines == b.hasLines && a.description == b.description;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const fuzz::Scratch scratch;
    FuzzedDataProvider input(data, size);
    const std::string imageId = input.ConsumeRandomLengthString(16);
    const std::string description = input.ConsumeRandomLengthString(120);
    const std::string log = input.ConsumeRemainingBytesAsString();
    const auto path = scratch.work() / kLogName;
    fuzz::writeFile(path, log);

    const LogLookup before = lookupDescription(path, imageId);
    if (!sameLookup(before, DescriptionIndex(path).find(imageId)))
        fuzz::fail("the index and the lookup disagree");

    DescriptionLog(path).add(imageId, description);
    const std::string after = readWholeFile(path);
    if (!after.starts_with(log))
        fuzz::fail("adding a description changed the lines already there");
    if (after.size() > log.size() && !after.ends_with("\r\n"))
        fuzz::fail("the added line has no line end");

    const LogLookup found = lookupDescription(path, imageId);
    if (!sameLookup(found, DescriptionIndex(path).find(imageId)))
        fuzz::fail("the index and the lookup disagree after adding");
    // A real image ID is four tokens, "XX XX XX XX": once added, it is found with its
    // description as readers show it.
    if (imageId.size() == 11 && imageId.find_first_of("\r\n") == std::string::npos) {
        if (!found.description)
            fuzz::fail("an added ID is not found");
        if (!before.description &&
            *found.description != logLineDescription(logLine(imageId, description)))
            fuzz::fail("an added description reads back differently");
    }
    return 0;
}
