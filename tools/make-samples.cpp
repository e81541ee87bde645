// Writes the sample songs in samples/: short pieces of our own, with General MIDI instruments.
// Usage: make-samples [DIR]   (default: samples). Prints each song's length as the player reads it.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sequencer/SmfWriter.h"
#include "platform/sequencer/Song.h"

namespace {

using qv::seq::SmfTrack;
constexpr int kQuarter = 480;
constexpr int kEighth = kQuarter / 2;

// Events at absolute ticks, for voices that share one track.
class Voices {
public:
    void Note(int channel, int key, int start, int length, int velocity) {
        Add(start, 1, {0x90, key, velocity}, channel);
        Add(start + length, 0, {0x80, key, 64}, channel);
    }
    void Program(int channel, int program) { Add(0, -1, {0xC0, program}, channel); }
    void Control(int channel, int controller, int value) {
        Add(0, -1, {0xB0, controller, value}, channel);
    }

    // Note-offs before note-ons at one tick, so a repeated key is released before it sounds again.
    void WriteTo(SmfTrack& track, int endTick) {
        std::stable_sort(m_events.begin(), m_events.end(), [](const Ev& a, const Ev& b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        int now = 0;
        for (const Ev& e : m_events) {
            const auto delta = static_cast<std::uint32_t>(e.tick - now);
            if (e.bytes.size() == 2)
                track.Event(delta, {e.bytes[0], e.bytes[1]});
            else
                track.Event(delta, {e.bytes[0], e.bytes[1], e.bytes[2]});
            now = e.tick;
        }
        track.End(static_cast<std::uint32_t>(endTick - now));
    }

private:
    struct Ev {
        int tick;
        int order;
        std::vector<std::uint8_t> bytes;
    };
    void Add(int tick, int order, std::vector<int> bytes, int channel) {
        std::vector<std::uint8_t> b;
        for (int v : bytes) b.push_back(static_cast<std::uint8_t>(v));
        b[0] = static_cast<std::uint8_t>(b[0] | channel);
        m_events.push_back({tick, order, b});
    }
    std::vector<Ev> m_events;
};

struct Step {
    int key;  // 0: rest
    int eighths;
};

// A melody line; answers the tick after its last note.
int Line(Voices& v, int channel, int start, const std::vector<Step>& steps, int velocity) {
    int t = start;
    for (const Step& s : steps) {
        if (s.key) v.Note(channel, s.key, t, s.eighths * kEighth - 20, velocity);
        t += s.eighths * kEighth;
    }
    return t;
}

enum Key {
    A3 = 57,
    B3 = 59,
    C4 = 60,
    D4 = 62,
    E4 = 64,
    F4 = 65,
    Fs4 = 66,
    G4 = 67,
    Gs4 = 68,
    A4 = 69,
    B4 = 71,
    C5 = 72,
    D5 = 74,
    E5 = 76,
    F5 = 77,
    Fs5 = 78,
    G5 = 79,
    A5 = 81,
    B5 = 83,
    C6 = 84
};

// Format 0, with a Japanese sequence name: a pentatonic tune on piano over soft strings.
std::vector<std::uint8_t> HaruNoKomichi() {
    Voices v;
    v.Program(0, 0);
    v.Program(1, 49);
    v.Control(1, 7, 70);
    Line(v, 0, 0,
         {{D5, 2},  {E5, 1}, {Fs5, 1}, {A5, 2},  {Fs5, 2}, {E5, 2}, {D5, 1}, {B4, 1},  {A4, 4},
          {B4, 2},  {D5, 1}, {E5, 1},  {Fs5, 2}, {A5, 2},  {B5, 2}, {A5, 1}, {Fs5, 1}, {E5, 4},
          {Fs5, 2}, {A5, 1}, {B5, 1},  {A5, 2},  {Fs5, 1}, {E5, 1}, {D5, 2}, {E5, 1},  {Fs5, 1},
          {E5, 4},  {B4, 2}, {D5, 1},  {E5, 1},  {Fs5, 2}, {E5, 1}, {D5, 1}, {D5, 8}},
         96);
    const std::vector<std::vector<int>> chords = {{50, 57, 62}, {47, 54, 62}, {43, 55, 59},
                                                  {45, 52, 61}, {50, 57, 62}, {43, 55, 59},
                                                  {45, 52, 55}, {50, 57, 62}};
    for (std::size_t bar = 0; bar < chords.size(); ++bar) {
        for (int key : chords[bar])
            v.Note(1, key, static_cast<int>(bar) * 4 * kQuarter, 4 * kQuarter - 30, 60);
    }
    SmfTrack t;
    t.Name("春の小径").Tempo(0, 625000).Meta(0, 0x58, std::string("\x04\x02\x18\x08", 4));
    v.WriteTo(t, 8 * 4 * kQuarter);
    return qv::seq::BuildSmf(0, kQuarter, {t});
}

// Format 1: a waltz in A minor whose conductor track slows down over the last four bars.
std::vector<std::uint8_t> HarbourWaltz() {
    const int bar = 3 * kQuarter;
    SmfTrack conductor, melody, band;
    conductor.Name("Harbour Waltz").Meta(0, 0x58, std::string("\x03\x02\x18\x08", 4));
    conductor.Tempo(0, 400000).Tempo(12 * bar, 441176).Tempo(2 * bar, 500000).End(2 * bar);
    Voices m;
    m.Program(0, 73);
    Line(m, 0, 0, {{A4, 4}, {C5, 2}, {E5, 4}, {D5, 2}, {C5, 2}, {B4, 2}, {A4, 2},  {B4, 6},
                   {G4, 4}, {B4, 2}, {D5, 4}, {C5, 2}, {B4, 2}, {A4, 2}, {Gs4, 2}, {A4, 6},
                   {E5, 4}, {F5, 2}, {E5, 4}, {D5, 2}, {C5, 2}, {D5, 2}, {E5, 2},  {A4, 6},
                   {F5, 4}, {E5, 2}, {D5, 4}, {C5, 2}, {B4, 2}, {C5, 2}, {Gs4, 2}, {A4, 6}},
         100);
    m.WriteTo(melody.Name("Flute"), 16 * bar);
    Voices b;
    b.Program(1, 32);
    b.Program(2, 24);
    const std::vector<std::vector<int>> chords = {
        {A3, C4, E4},  {A3, C4, E4}, {F4, A4, C5},  {E4, Gs4, B4}, {G4, B4, D5}, {G4, B4, D5},
        {E4, Gs4, B4}, {A3, C4, E4}, {C4, E4, G4},  {G4, B4, D5},  {A3, C4, E4}, {A3, C4, E4},
        {D4, F4, A4},  {F4, A4, C5}, {E4, Gs4, B4}, {A3, C4, E4}};
    for (int i = 0; i < 16; ++i) {
        const int start = i * bar;
        b.Note(1, chords[i][0] - 24, start, kQuarter * 3 - 40, 90);
        for (int beat = 1; beat < 3; ++beat) {
            for (int key : chords[i]) b.Note(2, key, start + beat * kQuarter, kQuarter - 40, 70);
        }
    }
    b.WriteTo(band.Name("Bass and guitar"), 16 * bar);
    return qv::seq::BuildSmf(1, kQuarter, {conductor, melody, band});
}

// Format 1: drums, bass and electric piano, eight bars at 128 bpm.
std::vector<std::uint8_t> NightTrain() {
    SmfTrack conductor, drums, keys;
    conductor.Name("Night Train").Tempo(0, 468750).End(8 * 4 * kQuarter);
    Voices d;
    for (int beat = 0; beat < 32; ++beat) {
        const int t = beat * kQuarter;
        d.Note(9, beat % 2 ? 38 : 36, t, 60, beat % 2 ? 100 : 115);
        d.Note(9, 42, t, 60, 80);
        d.Note(9, 42, t + kEighth, 60, 60);
    }
    d.Note(9, 49, 28 * kQuarter, 400, 110);
    d.WriteTo(drums.Name("Drums"), 32 * kQuarter);
    Voices k;
    k.Program(0, 33);
    k.Program(1, 4);
    const std::vector<std::vector<int>> chords = {
        {E4, G4, B4}, {C4, E4, G4}, {D4, Fs4, A4}, {B3, Fs4, A4}};
    for (int barIndex = 0; barIndex < 8; ++barIndex) {
        const auto& chord = chords[barIndex % 4];
        const int start = barIndex * 4 * kQuarter;
        for (int e = 0; e < 8; ++e)
            k.Note(0, chord[0] - 24, start + e * kEighth, kEighth - 30, e % 2 ? 80 : 100);
        for (int beat : {0, 1, 2, 3}) {
            for (int key : chord) k.Note(1, key, start + beat * kQuarter + kEighth, kEighth, 75);
        }
    }
    k.WriteTo(keys.Name("Bass and keys"), 32 * kQuarter);
    return qv::seq::BuildSmf(1, kQuarter, {conductor, drums, keys});
}

// Format 0: a music-box lullaby in 3/4 at 80 bpm.
std::vector<std::uint8_t> MusicBox() {
    Voices v;
    v.Program(0, 10);
    v.Program(1, 10);
    Line(v, 0, 0,
         {{E5, 2},
          {G5, 2},
          {E5, 2},
          {D5, 4},
          {C5, 2},
          {D5, 2},
          {E5, 2},
          {G5, 2},
          {E5, 6},
          {C6, 2},
          {B5, 2},
          {A5, 2},
          {G5, 4},
          {E5, 2},
          {D5, 2},
          {E5, 2},
          {D5, 2},
          {C5, 6}},
         90);
    const int bass[] = {48, 43, 41, 48, 45, 40, 43, 48};
    for (int i = 0; i < 8; ++i) v.Note(1, bass[i], i * 3 * kQuarter, 3 * kQuarter - 30, 60);
    SmfTrack t;
    t.Name("Music Box").Tempo(0, 750000);
    v.WriteTo(t, 8 * 3 * kQuarter);
    return qv::seq::BuildSmf(0, kQuarter, {t});
}

struct Sample {
    const char* file;
    std::vector<std::uint8_t> (*make)();
    const char* expected;  // the length worked out by hand
};

const Sample kSamples[] = {
    {"haru-no-komichi.mid", HaruNoKomichi, "32 quarters x 625 ms = 20000 ms"},
    {"harbour-waltz.mid", HarbourWaltz, "36 x 400 + 6 x 441.176 + 6 x 500 ms = 20047 ms"},
    {"night-train.mid", NightTrain, "32 quarters x 468.75 ms = 15000 ms"},
    {"music-box.mid", MusicBox, "24 quarters x 750 ms = 18000 ms"},
};

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "samples";
    int failures = 0;
    for (const Sample& s : kSamples) {
        const std::vector<std::uint8_t> bytes = s.make();
        const std::string path = dir + "/" + s.file;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        qv::seq::Song song;
        const bool read = out.good() && qv::seq::ReadSmf(bytes, song) == qv::seq::SmfStatus::Ok;
        failures += read ? 0 : 1;
        std::printf("%-22s %6zu bytes  %5lld ms  (by hand: %s)%s\n", s.file, bytes.size(),
                    static_cast<long long>(song.lengthUs / 1000), s.expected,
                    read ? "" : "  FAILED");
    }
    return failures ? 1 : 0;
}
