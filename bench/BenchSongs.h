#pragma once
// The generated songs the benchmarks fill folders with: small but real files (tempo, a title,
// sixteen notes), named song00000.mid, song00001.mid, ... so that a folder lists them in order.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sequencer/SmfWriter.h"

namespace qvbench {

inline std::vector<std::uint8_t> SongBytes(int n) {
    qv::seq::SmfTrack t;
    t.Tempo(0, 500000).Name("Song number " + std::to_string(n));
    for (int note = 0; note < 16; ++note) t.NoteOn(0, 0, 60 + note, 64).NoteOff(96, 0, 60 + note);
    t.End();
    return qv::seq::BuildSmf(1, 96, {t});
}

// Writes count songs into folder (created when missing); answers their paths in order.
inline std::vector<std::string> WriteSongs(const std::filesystem::path& folder, int count) {
    std::filesystem::create_directories(folder);
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "song%05d.mid", i);
        paths.push_back((folder / name).string());
        const std::vector<std::uint8_t> bytes = SongBytes(i);
        std::ofstream(paths.back(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    return paths;
}

}  // namespace qvbench
