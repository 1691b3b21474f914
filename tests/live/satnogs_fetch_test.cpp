// Zeltodecoder-batch --fetch against a telemetry API on the loopback, run as a station runs it.

#include "support/http_server.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <sys/wait.h>
#include <unistd.h>

using namespace zelto::test;

extern char** environ;

namespace {

const std::string kToken = "0123456789abcdef-test-token";

// The batch tool of this build: at the top of the build tree, beside the tests' folder.
fs::path batchTool() {
    return ZELTO_BATCH;
}

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the batch tool in `work` with the token in its environment (none when empty), for at
// most a minute.
ToolRun runBatch(const fs::path& work, std::vector<std::string> arguments,
                 const std::string& token = kToken) {
    std::vector<std::string> environment{"SATNOGS_DB_TOKEN=" + token};
    for (char** variable = environ; *variable; ++variable)
        if (!std::string_view(*variable).starts_with("SATNOGS_DB_TOKEN="))
            environment.emplace_back(*variable);
    if (token.empty())
        environment.erase(environment.begin());
    arguments.insert(arguments.begin(), batchTool().string());
    std::vector<char*> argv;
    std::vector<char*> envp;
    for (auto& a : arguments)
        argv.push_back(a.data());
    for (auto& e : environment)
        envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    const fs::path outPath = work.parent_path() / "stdout";
    const fs::path errPath = work.parent_path() / "stderr";
    const pid_t child = ::fork();
    if (child == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
            ::dup2(err, 2) < 0 || ::chdir(work.c_str()) != 0)
            ::_exit(127);
        ::alarm(60); // outlives exec: a run that hangs is ended
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    int waitStatus = 0;
    ToolRun run;
    if (child > 0 && ::waitpid(child, &waitStatus, 0) == child && WIFEXITED(waitStatus))
        run.status = WEXITSTATUS(waitStatus);
    run.out = readFile(outPath);
    run.err = readFile(errPath);
    return run;
}

// A working folder "work" beside a folder "captures", in a folder of its own.
struct Folders {
    Folders(const Folders&) = delete;
    Folders& operator=(const Folders&) = delete;
    Folders()
        : root(freshTempPath("zelto-fetch-")), work(root / "work"), captures(root / "captures") {
        fs::create_directories(work);
        fs::create_directories(captures);
    }
    ~Folders() { fs::remove_all(root); }
    fs::path root, work, captures;
};

// The one file of the folder whose name ends so.
fs::path fileEndingIn(const fs::path& folder, const std::string& end) {
    for (const std::string& name : listFolder(folder))
        if (name.ends_with(end))
            return folder / name;
    return {};
}

// Whether any file under the folder holds the text.
bool anyFileHolds(const fs::path& folder, const std::string& text) {
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && readFile(entry.path()).find(text) != std::string::npos)
            return true;
    return false;
}

std::string entryOf(std::string_view frame, const std::string& timestamp) {
    std::string digits;
    for (const char c : frame.substr(1)) // the DB keeps no KISS command byte
        digits += hexTokens(std::string(1, c)).substr(0, 2);
    return R"({"sat_id": "QGMC-1234", "norad_cat_id": 99999, "frame": ")" + digits +
           R"(", "observer": "DL0XYZ-JO62qm", "timestamp": )" + timestamp + "}";
}

// The entries of a thumbnail, newest first as the API lists them, with a text frame, an entry
// without a frame and one without a time.
std::vector<std::string> thumbnailEntries() {
    const std::string id = bytesOf({0x0A, 0x1B, 0x2C, 0x3D});
    std::vector<std::string> frames{textFrame(id, "Earth")};
    for (const auto& f : imageFrames(ImageKind::Thumbnail, id, smallJpeg(40, 24, 5)))
        frames.push_back(f);
    std::vector<std::string> entries{entryOf(frames.back(), "null"),
                                     R"({"frame": null, "timestamp": "2026-12-09T10:57:00Z"})"};
    for (std::size_t j = frames.size() - 1; j-- > 0;)
        entries.push_back(
            entryOf(frames[j], "\"2026-12-09T10:56:" + std::to_string(10 + j) + ".250Z\""));
    return entries;
}

std::string jsonArray(const std::vector<std::string>& entries, std::size_t from, std::size_t to) {
    std::string array = "[";
    for (std::size_t i = from; i < to; ++i)
        array += (i > from ? ", " : "") + entries[i];
    return array + "]";
}

} // namespace

TEST(SatnogsFetch, ThreePagesInEitherFormMakeOneFileThatDecodesAsImportingItDoes) {
    ASSERT_TRUE(fs::exists(batchTool())) << "build Zeltodecoder-batch first";
    const std::vector<std::string> entries = thumbnailEntries();
    const std::size_t cut[] = {0, 3, 6, entries.size()};
    const std::string first = "/api/telemetry/?satellite=99999&start=2026-12-01T00:00:00Z";
    const auto pageOf = [&](const std::string& path) {
        for (int page = 2; page <= 3; ++page)
            if (path.ends_with("&page=" + std::to_string(page)))
                return page - 1;
        return path == first ? 0 : -1;
    };
    std::string base; // the server's own address, known once it listens
    const auto next = [&](int page) {
        return base + "/api/telemetry/?satellite=99999&page=" + std::to_string(page + 2);
    };
    // Today's page objects with "next", and the older bare arrays with a Link header.
    HttpServer objects([&](const HttpServer::Request& request) {
        const int page = pageOf(request.path);
        if (page < 0)
            return HttpServer::Answer{404, "{}"};
        return HttpServer::Answer{
            200, R"({"count": )" + std::to_string(entries.size()) + R"(, "next": )" +
                     (page < 2 ? "\"" + next(page) + "\"" : "null") + R"(, "previous": null, )" +
                     "\"results\": " + jsonArray(entries, cut[page], cut[page + 1]) + "}"};
    });
    HttpServer arrays([&](const HttpServer::Request& request) {
        const int page = pageOf(request.path);
        HttpServer::Answer answer{page < 0 ? 404 : 200,
                                  page < 0 ? "{}" : jsonArray(entries, cut[page], cut[page + 1])};
        if (page >= 0 && page < 2) // relative, and with another link beside it
            answer.headers =
                "Link: </api/telemetry/?satellite=99999&page=" + std::to_string(page + 2) +
                ">; rel=\"next\", <" + first + ">; rel=\"first\"\r\n";
        return answer;
    });
    base = "http://127.0.0.1:" + std::to_string(objects.port());

    std::vector<ToolRun> runs;
    std::vector<std::string> jsonFiles;
    Folders folders[3];
    for (int form = 0; form < 2; ++form) {
        const std::uint16_t port = form == 0 ? objects.port() : arrays.port();
        runs.push_back(runBatch(folders[form].work,
                                {"--fetch", "99999", "--since", "2026-12-01", "--satnogs-db",
                                 "http://127.0.0.1:" + std::to_string(port)}));
        EXPECT_EQ(runs.back().status, 0) << runs.back().err;
        const fs::path json = fileEndingIn(folders[form].work, ".json");
        ASSERT_FALSE(json.empty()) << runs.back().err;
        EXPECT_TRUE(json.filename().string().starts_with("satnogs-99999-20")) << json;
        EXPECT_NE(runs.back().err.find(json.filename().string() + ": " +
                                       std::to_string(entries.size() - 1) + " frames in 3 pages"),
                  std::string::npos)
            << runs.back().err;
        jsonFiles.push_back(readFile(json));
    }
    for (const HttpServer* server : {&objects, &arrays}) {
        ASSERT_EQ(server->requests().size(), 3u);
        EXPECT_EQ(server->requests()[0].path, first);
        for (const auto& request : server->requests())
            EXPECT_EQ(request.authorization, "Token " + kToken);
    }
    EXPECT_EQ(jsonFiles[0], jsonFiles[1]);
    EXPECT_EQ(
        jsonFiles[0], "[\n" + [&] {
            std::string all;
            for (std::size_t i = 0; i < entries.size(); ++i)
                all += (i ? ",\n" : "") + entries[i];
            return all;
        }() + "\n]\n");

    // The same file given to the tool leaves the same store and prints the same report.
    const fs::path json = fileEndingIn(folders[0].work, ".json");
    fs::copy_file(json, folders[2].captures / json.filename());
    runs.push_back(runBatch(folders[2].work, {(folders[2].captures / json.filename()).string()}));
    EXPECT_EQ(runs[2].status, 0) << runs[2].err;
    fs::remove(json);
    EXPECT_EQ(treeOf(folders[0].work), treeOf(folders[2].work));
    EXPECT_EQ(readFile(folders[0].work / "ThumbList.txt"),
              readFile(folders[2].work / "ThumbList.txt"));
    EXPECT_TRUE(fs::exists(folders[0].work / "thumb 0A 1B 2C 3D.jpg"));
    EXPECT_EQ(runs[0].out, runs[2].out);
    EXPECT_EQ(runs[1].out, runs[2].out);
    EXPECT_NE(runs[0].out.find(" >>>  1 frame without a time of reception was taken last"),
              std::string::npos)
        << runs[0].out;
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(runs[i].out.find(kToken), std::string::npos);
        EXPECT_EQ(runs[i].err.find(kToken), std::string::npos);
        EXPECT_FALSE(anyFileHolds(folders[i].work, kToken));
    }
}

TEST(SatnogsFetch, ATooManyRequestsAnswerIsWaitedOutAndTheSamePageAskedAgain) {
    ASSERT_TRUE(fs::exists(batchTool())) << "build Zeltodecoder-batch first";
    const std::vector<std::string> entries = thumbnailEntries();
    std::mutex mutex;
    std::vector<std::chrono::steady_clock::time_point> times;
    HttpServer server([&](const HttpServer::Request&) {
        std::lock_guard lock(mutex);
        times.push_back(std::chrono::steady_clock::now());
        if (times.size() == 1)
            return HttpServer::Answer{429, R"({"detail": "Request was throttled."})", false,
                                      "Retry-After: 1\r\n"};
        return HttpServer::Answer{200, jsonArray(entries, 0, entries.size())};
    });
    Folders folders;
    const ToolRun run =
        runBatch(folders.work, {"--satnogs-db", "http://127.0.0.1:" + std::to_string(server.port()),
                                "--fetch=99999"});
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[0].path, server.requests()[1].path);
    EXPECT_EQ(server.requests()[1].path, "/api/telemetry/?satellite=99999");
    std::lock_guard lock(mutex);
    EXPECT_GE(times[1] - times[0], std::chrono::milliseconds(900));
    EXPECT_NE(run.err.find("the DB asks to wait; the same page again in 1 s"), std::string::npos)
        << run.err;
    EXPECT_FALSE(fileEndingIn(folders.work, ".json").empty());
    EXPECT_TRUE(fs::exists(folders.work / "thumb 0A 1B 2C 3D.jpg"));
}

TEST(SatnogsFetch, ARefusalEndsWithTheAddressAndStatusOneAndNothingIsWrittenNorTheTokenShown) {
    ASSERT_TRUE(fs::exists(batchTool())) << "build Zeltodecoder-batch first";
    int status = 401;
    std::string body = R"({"detail": "Invalid token."})";
    std::string headers;
    HttpServer server([&](const HttpServer::Request& request) {
        if (request.path.starts_with("/elsewhere"))
            return HttpServer::Answer{200, "[]"};
        return HttpServer::Answer{status, body, false, headers};
    });
    const std::string db = "http://127.0.0.1:" + std::to_string(server.port());
    const std::string address = db + "/api/telemetry/?satellite=99999";
    const auto refusal = [&](const std::string& token = kToken) {
        Folders folders;
        const std::vector<std::string> prepared = [] {
            Folders fresh;
            runBatch(fresh.work, {});
            return treeOf(fresh.work);
        }();
        ToolRun run = runBatch(folders.work, {"--fetch", "99999", "--satnogs-db", db}, token);
        EXPECT_EQ(run.out.find(kToken), std::string::npos);
        EXPECT_EQ(run.err.find(kToken), std::string::npos);
        EXPECT_EQ(treeOf(folders.work), run.status == 2 ? std::vector<std::string>{} : prepared);
        return run;
    };

    ToolRun run = refusal();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Zeltodecoder-batch: " + address +
                           ": the DB refused the token (HTTP 401 Unauthorized)\n");

    status = 400;
    body = R"({"detail": "Wrong start date format."})";
    run = refusal();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Zeltodecoder-batch: " + address +
                           ": the DB refused the request: Wrong start date format.\n");

    // A redirect to another host is not followed: the token would go with it.
    status = 302;
    headers = "Location: http://localhost:" + std::to_string(server.port()) + "/elsewhere\r\n";
    const std::size_t asked = server.requests().size();
    run = refusal();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(address + ": redirected to http://localhost:"), std::string::npos)
        << run.err;
    EXPECT_EQ(server.requests().size(), asked + 1);

    run = refusal("");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("SATNOGS_DB_TOKEN"), std::string::npos) << run.err;
}
