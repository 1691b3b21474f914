// zelto-synccost: what it costs to get a day's small files onto the disk before their names
// appear, by each way the decoder could do it.
//
//   zelto-synccost [--files N] [--folders M] [--bytes B] [--each-limit L] DIR
//
// Writes N files of B bytes (default 20000 of 200, about what a day's capture leaves in the
// frame store) spread over M folders (default 150) in fresh folders under DIR, once per way:
//
//   rename        each file under a temporary name, then renamed: no sync at all
//   fdatasync     each file synced by itself before its rename (timed on L files, default
//                 500, and scaled to N: at a few milliseconds a file the whole run would
//                 take minutes)
//   syncfs        all files under temporary names, one syncfs, all renames, one more syncfs
//   syncfs-512    the same in batches of 512 files: one pair of syncs per batch
//   fdatasync-all all files under temporary names, then each synced, all renamed, each
//                 folder synced
//
// DIR must be on the disk to be measured: on a tmpfs every sync is free.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "zelto-synccost: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

struct Plan {
    std::string root;
    long files = 20000;
    long folders = 150;
    std::size_t bytes = 200;
    long eachLimit = 500;
};

struct Item {
    std::string temp;
    std::string final;
    std::string folder;
};

std::vector<Item> layOut(const std::string& dir, const Plan& plan, long files) {
    std::vector<Item> items;
    for (long f = 0; f < plan.folders; ++f) {
        const std::string folder = dir + "/" + std::to_string(f);
        if (::mkdir(folder.c_str(), 0755) != 0)
            fail(folder);
    }
    for (long i = 0; i < files; ++i) {
        const std::string folder = dir + "/" + std::to_string(i % plan.folders);
        items.push_back({folder + "/.zelto-partial-" + std::to_string(i),
                         folder + "/" + std::to_string(i) + ".bin", folder});
    }
    return items;
}

void writeTemp(const Item& item, const std::string& bytes, bool syncIt) {
    const int fd = ::open(item.temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        fail(item.temp);
    if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        fail(item.temp);
    if (syncIt && ::fdatasync(fd) != 0)
        fail(item.temp);
    ::close(fd);
}

void renameItem(const Item& item) {
    if (::rename(item.temp.c_str(), item.final.c_str()) != 0)
        fail(item.final);
}

void syncFs(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::syncfs(fd) != 0)
        fail(dir);
    ::close(fd);
}

void syncPath(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fdatasync(fd) != 0)
        fail(path);
    ::close(fd);
}

void inBatches(const std::vector<Item>& items, const std::string& bytes, const std::string& dir,
               std::size_t batch) {
    for (std::size_t start = 0; start < items.size(); start += batch) {
        const std::size_t end = std::min(items.size(), start + batch);
        for (std::size_t i = start; i < end; ++i)
            writeTemp(items[i], bytes, false);
        syncFs(dir);
        for (std::size_t i = start; i < end; ++i)
            renameItem(items[i]);
        syncFs(dir);
    }
}

struct Way {
    const char* name;
    bool limited; // timed on fewer files and scaled
    std::function<void(const std::vector<Item>&, const std::string&, const std::string&)> run;
};

} // namespace

int main(int argc, char** argv) {
    Plan plan;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto number = [&] {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "zelto-synccost: %s needs a number\n", arg.c_str());
                std::exit(2);
            }
            return std::strtol(argv[++i], nullptr, 10);
        };
        if (arg == "--files")
            plan.files = number();
        else if (arg == "--folders")
            plan.folders = number();
        else if (arg == "--bytes")
            plan.bytes = static_cast<std::size_t>(number());
        else if (arg == "--each-limit")
            plan.eachLimit = number();
        else if (plan.root.empty() && !arg.starts_with("-"))
            plan.root = arg;
        else {
            std::fprintf(stderr, "usage: zelto-synccost [--files N] [--folders M] [--bytes B] "
                                 "[--each-limit L] DIR\n");
            return 2;
        }
    }
    if (plan.root.empty() || plan.files < 1 || plan.folders < 1) {
        std::fprintf(stderr, "usage: zelto-synccost [--files N] [--folders M] [--bytes B] "
                             "[--each-limit L] DIR\n");
        return 2;
    }
    const std::string bytes(plan.bytes, 'x');

    const std::vector<Way> ways = {
        {"rename", false,
         [](const auto& items, const auto& b, const auto&) {
             for (const Item& item : items) {
                 writeTemp(item, b, false);
                 renameItem(item);
             }
         }},
        {"fdatasync", true,
         [](const auto& items, const auto& b, const auto&) {
             for (const Item& item : items) {
                 writeTemp(item, b, true);
                 renameItem(item);
             }
         }},
        {"syncfs", false,
         [](const auto& items, const auto& b, const auto& dir) {
             inBatches(items, b, dir, items.size());
         }},
        {"syncfs-512", false,
         [](const auto& items, const auto& b, const auto& dir) { inBatches(items, b, dir, 512); }},
        {"fdatasync-all", false,
         [&plan](const auto& items, const auto& b, const auto&) {
             for (const Item& item : items)
                 writeTemp(item, b, false);
             for (const Item& item : items)
                 syncPath(item.temp);
             for (const Item& item : items)
                 renameItem(item);
             for (long f = 0; f < plan.folders; ++f)
                 syncPath(items[static_cast<std::size_t>(f)].folder);
         }},
    };

    std::printf("%ld files of %zu bytes in %ld folders under %s\n", plan.files, plan.bytes,
                plan.folders, plan.root.c_str());
    std::printf("%-14s %10s %14s\n", "way", "seconds", "ms per file");
    for (const Way& way : ways) {
        const std::string dir = plan.root + "/" + way.name;
        std::string clear = "rm -rf '" + dir + "'";
        if (std::system(clear.c_str()) != 0 || ::mkdir(dir.c_str(), 0755) != 0)
            fail(dir);
        const long files = way.limited ? std::min(plan.files, plan.eachLimit) : plan.files;
        const std::vector<Item> items = layOut(dir, plan, files);
        // What earlier ways left dirty is not charged to this one.
        syncFs(dir);
        const auto start = std::chrono::steady_clock::now();
        way.run(items, bytes, dir);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double perFile = seconds / static_cast<double>(files);
        if (way.limited)
            std::printf("%-14s %10.3f %14.4f  (timed on %ld files, scaled to %ld)\n", way.name,
                        perFile * static_cast<double>(plan.files), perFile * 1000, files,
                        plan.files);
        else
            std::printf("%-14s %10.3f %14.4f\n", way.name, seconds, perFile * 1000);
        std::fflush(stdout);
        if (std::system(clear.c_str()) != 0)
            fail(dir);
    }
    return 0;
}
