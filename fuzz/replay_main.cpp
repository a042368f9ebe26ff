// Replays saved inputs through one fuzz target's entry point, for the ordinary test build:
// every file of every folder named on the command line, in name order (a folder that does
// not exist is skipped, so a target without saved crashes needs no empty folder), or a
// single file named to reproduce one finding. A target's own checks abort on a broken
// promise and the sanitizers stop on a bad access, so reaching the end means every input
// passed. No input at all is a failure too: a missing corpus must not pass silently.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

// The files of a folder in name order; a path that is a file stands for itself.
std::vector<std::string> files_in(const std::string& path) {
    std::vector<std::string> names;
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return names;
    if (S_ISREG(info.st_mode)) {
        names.push_back(path);
        return names;
    }
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;  // ".", ".." and hidden files
        names.push_back(path + "/" + entry->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool read_file(const std::string& path, std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    bytes.clear();
    uint8_t chunk[4096];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    size_t replayed = 0;
    std::vector<uint8_t> bytes;
    for (int a = 1; a < argc; ++a) {
        for (const std::string& path : files_in(argv[a])) {
            if (!read_file(path, bytes)) {
                std::fprintf(stderr, "cannot read %s\n", path.c_str());
                return 1;
            }
            std::fprintf(stderr, "%s\n", path.c_str());  // the culprit, should the next call abort
            // An exact-size heap copy, so a read one byte past the input is caught; never
            // null, as under the fuzzer.
            auto* exact = static_cast<uint8_t*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
            if (exact == nullptr) return 1;
            if (!bytes.empty()) std::memcpy(exact, bytes.data(), bytes.size());
            LLVMFuzzerTestOneInput(exact, bytes.size());
            std::free(exact);
            ++replayed;
        }
    }
    if (replayed == 0) {
        std::fprintf(stderr, "no inputs found\n");
        return 1;
    }
    std::printf("replayed %zu inputs\n", replayed);
    return 0;
}
