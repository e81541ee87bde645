#pragma once
// Reads the 16-bit PCM WAV files the player renders, and measures how loud stretches of them are.
#include <cstdint>
#include <string>
#include <vector>

namespace qvtest {

struct WavFile {
    int channels = 0;
    int sampleRate = 0;
    std::vector<std::int16_t> samples;  // interleaved

    double Seconds() const {
        return channels > 0 && sampleRate > 0 ? double(samples.size()) / channels / sampleRate : 0;
    }
    // Root mean square of all channels over [from, to) seconds, as a fraction of full scale;
    // the part outside the file counts as absent, an empty stretch as 0.
    double Rms(double from, double to) const;
};

// Answers false for anything that is not a readable 16-bit PCM WAV file.
bool ReadWavFile(const std::string& path, WavFile& wav);

}  // namespace qvtest
