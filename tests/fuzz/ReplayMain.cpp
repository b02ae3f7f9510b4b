// Runs a fuzz target without libFuzzer, as an ordinary test: on every seed in the folder
// given and on inputs derived from the seeds by the changes a fuzzer makes (bits flipped,
// bytes changed, put in, taken out, repeated, pieces of two seeds joined), always the same
// ones. A failed check leaves the input in replay-failure.bin in the working folder.
#include <fcntl.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::string current;

void keepFailure(int) {
#ifdef _WIN32
    const int fd = _open("replay-failure.bin", _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0644);
    if (fd >= 0) {
        _write(fd, current.data(), static_cast<unsigned>(current.size()));
        _close(fd);
    }
#else
    const int fd = open("replay-failure.bin", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        [[maybe_unused]] const auto n = write(fd, current.data(), current.size());
        close(fd);
    }
#endif
    const char note[] = "the failing input is in replay-failure.bin\n";
    std::fwrite(note, 1, sizeof note - 1, stderr);
    std::signal(SIGABRT, SIG_DFL);
    std::abort();
}

void run(const std::string& input) {
    current = input;
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

std::string derived(const std::vector<std::string>& seeds, std::mt19937& rng) {
    const auto pick = [&](std::size_t n) { return n == 0 ? 0 : std::size_t(rng() % n); };
    std::string s = seeds[pick(seeds.size())];
    static const char kTyped[] = "|0123456789-:. .E+\xD6\xD0\x80\xFF%=";
    for (int changes = 1 + int(rng() % 4); changes > 0; --changes) {
        const std::size_t at = pick(s.size() + 1);
        switch (rng() % 8) {
            case 0:
                if (at < s.size()) s[at] = char(s[at] ^ (1 << (rng() % 8)));
                break;
            case 1:
                if (at < s.size()) s[at] = char(rng());
                break;
            case 2:
                if (at < s.size()) s[at] = kTyped[pick(sizeof kTyped - 1)];
                break;
            case 3:
                s.insert(at, std::string(1 + pick(8), kTyped[pick(sizeof kTyped - 1)]));
                break;
            case 4:
                s.erase(at, 1 + pick(16));
                break;
            case 5:
                if (at < s.size()) s.insert(at, s.substr(at, 1 + pick(64)));
                break;
            case 6:
                s.resize(at);
                break;
            default: {
                const std::string& other = seeds[pick(seeds.size())];
                s = s.substr(0, at) + other.substr(pick(other.size() + 1));
                break;
            }
        }
    }
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s SEED_FOLDER [DERIVED_INPUTS]\n", argv[0]);
        return 2;
    }
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1]))
        if (entry.is_regular_file()) paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    std::vector<std::string> seeds;
    for (const auto& path : paths) {
        std::ifstream in(path, std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (seeds.empty()) {
        std::fprintf(stderr, "no seeds in %s\n", argv[1]);
        return 2;
    }
    const long count = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 3000;

    std::signal(SIGABRT, keepFailure);
    for (const std::string& seed : seeds)
        run(seed);
    std::mt19937 rng(20051);
    for (long k = 0; k < count; ++k)
        run(derived(seeds, rng));
    std::printf("%zu seeds and %ld inputs derived from them: every check held\n", seeds.size(),
                count);
    return 0;
}
