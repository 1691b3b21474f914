// The image description log ThumbList.txt: lines appended once, descriptions looked up.
#include "store/description_log.h"

#include "core/file_io.h"
#include "core/text.h"

namespace zelto {

std::string_view logLineId(std::string_view line) {
    return chars(line, 2, 11);
}

std::string_view logLineDescription(std::string_view line) {
    return chars(line, 16, 90);
}

std::string logLine(std::string_view imageId, std::string_view description) {
    std::string line = " ";
    line.append(imageId).append(" = ");
    for (char c : description)
        line.push_back(c == '\r' || c == '\n' ? ' ' : c);
    return line;
}

std::vector<std::string> readLogLines(const std::filesystem::path& log) {
    InputFile in(log);
    std::vector<std::string> lines;
    std::string line;
    while (in.readLine(line))
        lines.push_back(line);
    return lines;
}

LogLookup lookupDescription(const std::filesystem::path& log, std::string_view imageId) {
    InputFile in(log);
    LogLookup result;
    std::string line;
    while (in.readLine(line)) {
        result.hasLines = true;
        if (logLineId(line) == imageId)
            result.description = std::string(logLineDescription(line));
    }
    return result;
}

DescriptionIndex::DescriptionIndex(const std::filesystem::path& log) {
    InputFile in(log);
    std::string line;
    while (in.readLine(line)) {
        hasLines_ = true;
        lastDescription_.insert_or_assign(std::string(logLineId(line)),
                                          std::string(logLineDescription(line)));
    }
}

LogLookup DescriptionIndex::find(std::string_view imageId) const {
    LogLookup result;
    result.hasLines = hasLines_;
    if (const auto it = lastDescription_.find(std::string(imageId)); it != lastDescription_.end())
        result.description = it->second;
    return result;
}

void DescriptionLog::noteLine(std::string_view line) {
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    ids_.emplace(logLineId(line));
}

void DescriptionLog::add(std::string_view imageId, std::string_view description) {
    if (!loaded_) {
        InputFile in(path_);
        std::string block(1 << 16, '\0');
        std::string pending;
        char last = '\n';
        while (const std::size_t n = in.read(block.data(), block.size())) {
            pending.append(block.data(), n);
            last = pending.back();
            std::size_t start = 0;
            for (std::size_t lf; (lf = pending.find('\n', start)) != std::string::npos;
                 start = lf + 1)
                noteLine(std::string_view(pending).substr(start, lf - start));
            pending.erase(0, start);
        }
        if (!pending.empty())
            noteLine(pending);
        endsWithLineEnd_ = last == '\n';
        loaded_ = true;
    }
    const std::string id(imageId);
    if (ids_.count(id))
        return;
    // A log edited by hand may lack its last line end; the new line must not run into it.
    std::string bytes = endsWithLineEnd_ ? "" : "\r\n";
    bytes += logLine(imageId, description) + "\r\n";
    if (writes_)
        writes_->guardAppend(path_);
    appendLines(path_, bytes);
    if (writes_)
        writes_->noteChange(path_.parent_path());
    ids_.insert(id);
    endsWithLineEnd_ = true;
}

} // namespace zelto
