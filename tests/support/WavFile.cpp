#include "tests/support/WavFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace qvtest {
namespace {

std::uint32_t LittleEndian(const std::vector<char>& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return v;
}

}  // namespace

double WavFile::Rms(double from, double to) const {
    auto index = [&](double seconds) {
        const double frame = std::clamp(seconds, 0.0, Seconds()) * sampleRate;
        return static_cast<std::size_t>(frame) * static_cast<std::size_t>(channels);
    };
    const std::size_t begin = index(from), end = index(to);
    if (end <= begin) return 0;
    double sum = 0;
    for (std::size_t i = begin; i < end; ++i) sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(end - begin)) / 32768.0;
}

bool ReadWavFile(const std::string& path, WavFile& wav) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> b((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) || std::memcmp(b.data() + 8, "WAVE", 4))
        return false;
    wav = WavFile();
    bool haveData = false, sixteenBits = false;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::uint32_t size = LittleEndian(b, at + 4, 4);
        const std::size_t body = at + 8;
        const std::size_t available = std::min<std::size_t>(size, b.size() - body);
        if (!std::memcmp(b.data() + at, "fmt ", 4) && available >= 16) {
            if (LittleEndian(b, body, 2) != 1) return false;  // PCM only
            wav.channels = static_cast<int>(LittleEndian(b, body + 2, 2));
            wav.sampleRate = static_cast<int>(LittleEndian(b, body + 4, 4));
            sixteenBits = LittleEndian(b, body + 14, 2) == 16;
        } else if (!std::memcmp(b.data() + at, "data", 4)) {
            wav.samples.resize(available / 2);
            std::memcpy(wav.samples.data(), b.data() + body, wav.samples.size() * 2);
            haveData = true;
        }
        if (size > b.size() - body) break;
        at = body + size + (size & 1);
    }
    return haveData && wav.channels > 0 && wav.sampleRate > 0 && sixteenBits;
}

}  // namespace qvtest
