// Build-time helper: turns a file under data/ into a C++ source that the program links,
// so nothing is read from disk at run time.
//
//   embed bytes NAME IN OUT   const unsigned char NAME[] (the file's bytes, then a NUL)
//                             and const int32_t NAME_size (the byte count without the NUL)
//   embed wav16 NAME IN OUT   int32_t NAME[] holding the 16-bit mono PCM samples of a WAV
//                             file, and const int32_t NAME_count
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool read_file(const char* path, std::vector<unsigned char>& out) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    int c;
    while ((c = std::fgetc(f)) != EOF) out.push_back(static_cast<unsigned char>(c));
    std::fclose(f);
    return true;
}

uint32_t le32(const std::vector<unsigned char>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t le16(const std::vector<unsigned char>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

// Finds the PCM samples of a RIFF/WAVE file; false unless it is 16-bit mono PCM.
bool wav_samples(const std::vector<unsigned char>& b, std::vector<int32_t>& out) {
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        return false;
    bool format_ok = false;
    size_t at = 12;
    while (at + 8 <= b.size()) {
        uint32_t size = le32(b, at + 4);
        size_t body = at + 8;
        if (size > b.size() - body) return false;
        if (std::memcmp(b.data() + at, "fmt ", 4) == 0 && size >= 16) {
            format_ok = le16(b, body) == 1 && le16(b, body + 2) == 1 && le16(b, body + 14) == 16;
        } else if (std::memcmp(b.data() + at, "data", 4) == 0) {
            if (!format_ok) return false;
            for (size_t i = 0; i + 1 < size; i += 2)
                out.push_back(static_cast<int16_t>(le16(b, body + i)));
            return true;
        }
        at = body + size + (size & 1);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: embed bytes|wav16 NAME IN OUT\n");
        return 2;
    }
    const std::string mode = argv[1];
    const char* name = argv[2];
    std::vector<unsigned char> data;
    if (!read_file(argv[3], data)) {
        std::fprintf(stderr, "embed: cannot read %s\n", argv[3]);
        return 1;
    }
    std::string text = "// Generated from " + std::string(argv[3]) + " by tools/embed. Do not edit.\n#include <cstdint>\n";
    char line[64];
    if (mode == "bytes") {
        text += "extern const unsigned char " + std::string(name) + "[];\nextern const int32_t " + name + "_size;\n";
        text += "const int32_t " + std::string(name) + "_size = " + std::to_string(data.size()) + ";\n";
        text += "alignas(4) const unsigned char " + std::string(name) + "[] = {";
        data.push_back(0);
        for (size_t i = 0; i < data.size(); ++i) {
            std::snprintf(line, sizeof line, "%s%u,", i % 24 == 0 ? "\n" : "", data[i]);
            text += line;
        }
        text += "\n};\n";
    } else if (mode == "wav16") {
        std::vector<int32_t> samples;
        if (!wav_samples(data, samples)) {
            std::fprintf(stderr, "embed: %s is not a 16-bit mono PCM WAV file\n", argv[3]);
            return 1;
        }
        text += "extern int32_t " + std::string(name) + "[];\nextern const int32_t " + name + "_count;\n";
        text += "const int32_t " + std::string(name) + "_count = " + std::to_string(samples.size()) + ";\n";
        text += "int32_t " + std::string(name) + "[] = {";
        for (size_t i = 0; i < samples.size(); ++i) {
            std::snprintf(line, sizeof line, "%s%d,", i % 16 == 0 ? "\n" : "", samples[i]);
            text += line;
        }
        text += "\n};\n";
    } else {
        std::fprintf(stderr, "embed: unknown mode %s\n", mode.c_str());
        return 2;
    }
    FILE* out = std::fopen(argv[4], "wb");
    if (!out || std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "embed: cannot write %s\n", argv[4]);
        return 1;
    }
    return 0;
}
