// Throughput of the user.js rewrite through files, next to a plain copy of the
// same file in the same run. Both read and write with 64 KiB buffers; the files
// live in a memory-backed folder so the figures measure the code, not the disk.
// The goal is the rewrite's own rate: user.js files are kilobytes, so the copy
// is a yardstick, not a bound.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "proxy/FirefoxPrefs.h"
#include "proxy/UserJsRewrite.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kBufferBytes = 64 * 1024;
constexpr int kRepeats = 5;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File Open(const fs::path& path, const char* mode)
{
    File file(std::fopen(path.c_str(), mode));
    if (!file)
        throw std::runtime_error("cannot open " + path.string());
    return file;
}

// A preference file as Firefox and add-ons write it: mostly short lines, both
// line ends, the owned proxy lines now and then, look-alikes and a few long lines.
void WriteUserJs(const fs::path& path, size_t bytes)
{
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> kind(0, 199);
    File file = Open(path, "wb");
    std::string text;
    size_t written = 0;
    for (int line = 0; written < bytes; ++line) {
        text.clear();
        const int k = kind(random);
        if (k == 0)
            text = "user_pref(\"network.proxy.socks\", \"localhost\");";
        else if (k == 1)
            text = "user_pref(\"network.proxy.type\", 1);";
        else if (k == 2)
            text = "user_pref(\"network.proxy.socks_remote_dns\", true);";
        else if (k == 3)
            text = "user_pref(\"extensions.blob\", \"" + std::string(3000, 'q') + "\");";
        else
            text = "user_pref(\"browser.sessionstore.pref" + std::to_string(line) + "\", \"value of a setting\");";
        text += k % 2 ? "\r\n" : "\n";
        const size_t take = std::min(text.size(), bytes - written);
        std::fwrite(text.data(), 1, take, file.get());
        written += take;
    }
}

void CopyFile(const fs::path& from, const fs::path& to)
{
    File in = Open(from, "rb");
    File out = Open(to, "wb");
    std::vector<char> buffer(kBufferBytes);
    while (size_t got = std::fread(buffer.data(), 1, buffer.size(), in.get()))
        std::fwrite(buffer.data(), 1, got, out.get());
}

void RewriteFile(const fs::path& from, const fs::path& to)
{
    File in = Open(from, "rb");
    File out = Open(to, "wb");
    std::setvbuf(out.get(), nullptr, _IOFBF, kBufferBytes);
    UserJsRewriter rewriter([file = out.get()](std::string_view bytes) {
        return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    });
    std::vector<char> buffer(kBufferBytes);
    while (size_t got = std::fread(buffer.data(), 1, buffer.size(), in.get()))
        rewriter.Feed(std::string_view(buffer.data(), got));
    if (!rewriter.Finish(TunnelPrefLines()))
        throw std::runtime_error("rewrite failed");
}

struct Rate {
    double wall;  // MB/s (10^6 bytes per second) of elapsed time
    double cpu;   // MB/s of the process's processor time, kernel time included
};

// Best of several runs. The processor-time figure stays meaningful on a busy
// machine, where other processes stretch the elapsed time of both runs.
Rate BestRate(size_t bytes, const std::function<void()>& run)
{
    Rate best{0, 0};
    const double megabytes = static_cast<double>(bytes) / 1e6;
    for (int i = 0; i < kRepeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t startCpu = std::clock();
        run();
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
        const double cpu = static_cast<double>(std::clock() - startCpu) / CLOCKS_PER_SEC;
        best.wall = std::max(best.wall, megabytes / wall.count());
        best.cpu = std::max(best.cpu, megabytes / std::max(cpu, 1e-6));
    }
    return best;
}

fs::path ScratchFolder()
{
    const fs::path shm = "/dev/shm";
    const fs::path base = fs::is_directory(shm) ? shm : fs::temp_directory_path();
    fs::path folder = base / ("corvane-userjs-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    return folder;
}

}  // namespace

int main()
{
    const fs::path folder = ScratchFolder();
    int status = 0;
    try {
        for (size_t megabytes : {1, 50}) {
            const size_t bytes = megabytes * 1000 * 1000;
            const fs::path input = folder / "user.js";
            WriteUserJs(input, bytes);
            const Rate copy = BestRate(bytes, [&] { CopyFile(input, folder / "copy.js"); });
            const Rate rewrite = BestRate(bytes, [&] { RewriteFile(input, folder / "user.tmp"); });
            std::printf("userjs.native_%zumb_rewrite_wall_mbps\t%.0f\tcopy %.0f MB/s, copy/rewrite %.2fx, best of %d\n",
                        megabytes, rewrite.wall, copy.wall, copy.wall / rewrite.wall, kRepeats);
            std::printf("userjs.native_%zumb_rewrite_cpu_mbps\t%.0f\tgoal >= 200; copy %.0f MB/s, "
                        "copy/rewrite %.2fx; output %ju bytes\n",
                        megabytes, rewrite.cpu, copy.cpu, copy.cpu / rewrite.cpu,
                        static_cast<uintmax_t>(fs::file_size(folder / "user.tmp")));
            if (rewrite.cpu < 200)
                status = 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        status = 2;
    }
    fs::remove_all(folder);
    std::printf("userjs.native_goal\t%s\tby processor time: >= 200 MB/s\n",
                status == 0 ? "met" : "NOT met");
    return status;
}
