// The real quavel, started as a user starts it, on a private X server, driven with real key
// presses and clicks; what it leaves behind (the rendered sound, the registry file) is checked
// after it has ended.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>

#include "platform/sequencer/Outputs.h"
#include "platform/sequencer/SmfWriter.h"
#include "tests/e2e/Desktop.h"
#include "tests/support/FilesTempDir.h"
#include "tests/support/PlayerFixture.h"
#include "tests/support/WavFile.h"

namespace {

using e2e::milliseconds;
using ::testing::Contains;
using ::testing::IsSupersetOf;

const std::string kQuavel = QV_BINARY_DIR "/quavel";
// Only third-party libraries' leaks at exit (the desktop bus, fonts): the sanitized build
// reports them otherwise, and they are not ours to fix.
const std::string kLeakSuppressions = QV_SOURCE_DIR "/tests/e2e/lsan.supp";
// The product name; the template's caption, shown until the first caption change, has a blank
// after it.
const std::string kTitle = "^Quavel ?$";
const std::string kSettingsSection = "[HKEY_CURRENT_USER\\Software\\Velmora\\Quavel32]";

// The player window's template size and two of its controls, in dialog units.
constexpr int kTemplateWidth = 247, kTemplateHeight = 169;
constexpr int kLoopX = 137 + 33 / 2, kLoopY = 133 + 12 / 2;

constexpr milliseconds kAppears(20000);
constexpr milliseconds kEnds(15000);

// Organ notes of half a second each, the last ending with the song: four make two seconds, so
// that sound in its last half second shows the song was played to its end. The volume is turned
// down to nothing first, and only a reset to General MIDI, sent in two packets, brings it back:
// the song is heard only if the synthesizer gets the SysEx message whole.
constexpr double kSongSeconds = 2.0;
std::string TwoSecondSong(const char* name = "E2E phrase", int nBars = 1) {
    qv::seq::SmfTrack t;
    t.Name(name).Tempo(0, 500000).Control(0, 0, 7, 0);
    t.Event(0, {0xF0, 0x02, 0x7E, 0x7F}).Event(0, {0xF7, 0x03, 0x09, 0x01, 0xF7}).Program(0, 0, 16);
    for (int bar = 0; bar < nBars; ++bar)
        for (int key : {60, 64, 67, 72}) t.NoteOn(0, 0, key, 110).NoteOff(480, 0, key);
    t.End();
    const std::vector<std::uint8_t> bytes = qv::seq::BuildSmf(0, 480, {t});
    return std::string(bytes.begin(), bytes.end());
}

class PlayerE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string failure;
        if (!display.Start(failure)) GTEST_FAIL() << failure;
        ::mkdir(runtimeDir.c_str(), 0700);
    }

    // A session bus of the test's own where the player looks for one, in its runtime folder.
    void StartSessionBus() {
        e2e::Launch daemon;
        daemon.argv = {"dbus-daemon", "--session", "--nofork", "--address=" + busAddress};
        daemon.env = e2e::CurrentEnvironment();
        ASSERT_TRUE(bus.Start(daemon));
        ASSERT_TRUE(
            e2e::WaitUntil([&] { return std::filesystem::exists(runtimeDir + "/bus"); }, kEnds));
    }
    // What a media controller answers, without its line end.
    std::string Control(const std::vector<std::string>& args) const {
        std::vector<std::string> argv{"playerctl", "--player=quavel"};
        argv.insert(argv.end(), args.begin(), args.end());
        e2e::Environment env = e2e::CurrentEnvironment();
        env["DBUS_SESSION_BUS_ADDRESS"] = busAddress;
        const std::string out = e2e::RunTool(argv, env).out;
        return out.substr(0, out.find_last_not_of('\n') + 1);
    }
    // Whether the controller's answer comes to be `expected` in time.
    bool Answers(const std::vector<std::string>& args, const std::string& expected) const {
        return e2e::WaitUntil([&] { return Control(args) == expected; }, kEnds);
    }

    // The settings a previous run left, as registry-file lines of the player's key.
    void WriteSettings(const std::string& lines) {
        dir.Write("quavel/registry.reg", "REGEDIT4\r\n\r\n" + kSettingsSection + "\r\n" + lines);
    }
    // The session bus, then the player until its window shows; answers the window (empty when
    // it never showed) and where it is.
    std::string StartWithBus(const std::vector<std::string>& args, const std::string& midiOut,
                             e2e::Geometry& where) {
        StartSessionBus();
        if (HasFatalFailure() || !player.Start(PlayerLaunch(args, midiOut))) return {};
        const std::string window = WaitForPlayerWindow();
        return !window.empty() && display.GetGeometry(window, where) ? window : std::string();
    }

    // quavel on the private display, with its settings, sound and messages in the temporary folder.
    // launcher: what the player is started through, if anything.
    e2e::Launch PlayerLaunch(const std::vector<std::string>& args, const std::string& midiOut,
                             const e2e::Environment& extra = {},
                             const std::vector<std::string>& launcher = {}) {
        e2e::Environment env = display.Env();
        // No bus but the test's own, found through the runtime folder.
        for (const char* name :
             {"QUAVEL_REGISTRY_FILE", "QUAVEL_SOUNDFONT", "DBUS_SESSION_BUS_ADDRESS"})
            env.erase(name);
        for (const auto& [name, value] : extra) env[name] = value;
        env["XDG_CONFIG_HOME"] = dir.Path();
        env["XDG_RUNTIME_DIR"] = runtimeDir;
        env["QUAVEL_MIDI_OUT"] = midiOut;
        std::string& lsan = env["LSAN_OPTIONS"];
        lsan += (lsan.empty() ? "suppressions=" : ":suppressions=") + kLeakSuppressions;
        std::vector<std::string> argv = launcher;
        argv.push_back(kQuavel);
        argv.insert(argv.end(), args.begin(), args.end());
        return {argv, env, dir.Path(), {}, errorsFile, -1};
    }

    // The player's window once it is the only one showing.
    std::string WaitForPlayerWindow() {
        std::vector<std::string> windows;
        const bool shown = e2e::WaitUntil(
            [&] {
                windows = display.VisibleWindows(kTitle);
                return windows.size() == 1 || !player.Running();
            },
            kAppears);
        EXPECT_TRUE(shown && windows.size() == 1) << "no player window; " << Errors();
        return windows.empty() ? std::string() : windows.front();
    }

    // The process must end by itself now, normally.
    void ExpectEnds(e2e::ChildProcess& process) {
        int status = 0;
        ASSERT_TRUE(process.WaitExit(kEnds, &status)) << "it is still running";
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "wait status " << status << "; " << Errors();
    }

    std::string Errors() const { return "standard error: " + qvtest::ReadAll(errorsFile); }
    std::vector<std::string> StoredSettings() const {
        return SettingsLines(qvtest::ReadAll(dir / "quavel/registry.reg"));
    }

    qvtest::TempDir dir;
    const std::string runtimeDir = dir / "runtime";
    const std::string errorsFile = dir / "stderr.txt";
    const std::string busAddress = "unix:path=" + runtimeDir + "/bus";
    e2e::VirtualDisplay display;  // declared before the player, so that it goes after it
    e2e::ChildProcess bus;
    e2e::ChildProcess player;
};

// Played as a user plays it, from the command line and then by a media controller: the controller's
// commands act as the buttons do and it reads the entry as the list shows it; the sound shows the
// pause, the skip and that the last entry played to its end and the list stopped; the controller's
// quit asks the question as the close box does.
TEST_F(PlayerE2eTest, PlaysPausesAndSkipsByMediaControllerToTheEndAndQuitsThroughTheQuestion) {
    std::string tried;
    if (qv::seq::FindSoundfont(tried).empty()) GTEST_SKIP() << "no soundfont; tried " << tried;
    WriteSettings("\"DisplayMode\"=dword:00000002\r\n");
    const std::string tune = dir.Write("tune.mid", TwoSecondSong("Long tune", 4));
    const std::string wavPath = dir / "out.wav";
    e2e::Geometry where;
    const std::string window =
        StartWithBus({tune, dir.Write("phrase.mid", TwoSecondSong())}, "wav:" + wavPath, where);
    ASSERT_FALSE(window.empty());
    // Where the rendering, which runs in real time, is now, in seconds of sound.
    const auto rendered = [&] {
        struct stat st {};
        return ::stat(wavPath.c_str(), &st) == 0 ? double(st.st_size - 44) / (44100 * 4) : 0.0;
    };
    ASSERT_TRUE(e2e::WaitUntil([&] { return rendered() > 1.0; }, kAppears)) << Errors();
    EXPECT_EQ(Control({"metadata", "--format", "{{xesam:title}} {{mpris:length}} {{xesam:url}}"}),
              "Long tune 8000000 file://" + tune);

    EXPECT_EQ(Control({"play-pause"}), "");
    const double paused = rendered();
    EXPECT_TRUE(Answers({"status"}, "Paused"));
    EXPECT_TRUE(e2e::WaitUntil([&] { return rendered() > paused + 1.5; }, kEnds));
    EXPECT_EQ(Control({"play-pause"}), "");
    const double resumed = rendered();
    EXPECT_TRUE(e2e::WaitUntil([&] { return rendered() > resumed + 1.0; }, kEnds));
    EXPECT_EQ(Control({"next"}), "");
    const double skipped = rendered();
    EXPECT_TRUE(Answers({"metadata", "xesam:title"}, "E2E phrase"));
    // The last entry ends the list; let a stretch of silence follow it.
    EXPECT_TRUE(Answers({"status"}, "Stopped"));
    EXPECT_TRUE(e2e::WaitUntil([&] { return rendered() > skipped + kSongSeconds + 2.5; }, kEnds));

    const e2e::ToolResult quit = e2e::RunTool(
        {"dbus-send", "--session", "--print-reply", "--dest=org.mpris.MediaPlayer2.quavel",
         "/org/mpris/MediaPlayer2", "org.mpris.MediaPlayer2.Quit"},
        {{"DBUS_SESSION_BUS_ADDRESS", busAddress}});
    EXPECT_EQ(quit.exitCode, 0) << quit.out;
    std::string question;
    ASSERT_TRUE(e2e::WaitUntil(
        [&] {
            for (const std::string& w : display.VisibleWindows(kTitle))
                if (w != window) question = w;
            return !question.empty();
        },
        kAppears))
        << "the quit asked nothing; " << Errors();
    ASSERT_TRUE(player.Running()) << "the player ended before the question was answered";
    ASSERT_TRUE(display.PressKeys(question, {"Return"}));
    ExpectEnds(player);

    qvtest::WavFile wav;
    ASSERT_TRUE(qvtest::ReadWavFile(wavPath, wav)) << Errors();
    constexpr double kSound = 0.01, kSilence = 0.001;
    EXPECT_GT(wav.Rms(paused - 0.6, paused - 0.2), kSound);
    EXPECT_LT(wav.Rms(paused + 0.5, resumed - 0.1), kSilence) << "the pause was not silent";
    EXPECT_GT(wav.Rms(resumed + 0.5, resumed + 0.9), kSound);
    // Loud from the next entry's first note to its last, then silent.
    EXPECT_GT(wav.Rms(skipped + 0.5, skipped + 1.0), kSound) << "the next entry did not sound";
    EXPECT_GT(wav.Rms(skipped + kSongSeconds - 0.4, skipped + kSongSeconds - 0.05), kSound);
    EXPECT_LT(wav.Rms(skipped + kSongSeconds + 1.0, wav.Seconds()), kSilence);

    // The window was centred on the first start, and that is where the quit found it.
    EXPECT_THAT(StoredSettings(),
                IsSupersetOf({DwordLine("DisplayMode", 2), DwordLine("YesLoop", 0),
                              DwordLine("YesRandomize", 0), DwordLine("YesAskQuit", 1),
                              DwordLine("WindowPosX", where.x), DwordLine("WindowPosY", where.y)}));
    EXPECT_EQ(where.x, (1280 - where.width) / 2);
    EXPECT_EQ(where.y, (1024 - where.height) / 2);
}

TEST_F(PlayerE2eTest, StartsWhereItWasLeftTakesALaterStartsFilesAndQuitsAtOnceWhenNotToAsk) {
    WriteSettings(
        "\"WindowPosX\"=dword:00000064\r\n\"WindowPosY\"=dword:0000003c\r\n"
        "\"YesAskQuit\"=dword:00000000\r\n\"DisplayMode\"=dword:00000001\r\n\"Mine\"=\"kept\"\r\n");
    e2e::Geometry where;
    const std::string window = StartWithBus({}, "null", where);
    ASSERT_FALSE(window.empty());
    EXPECT_EQ(where.x, 100);
    EXPECT_EQ(where.y, 60);

    // The window is laid out from dialog units, so the template's proportions hold on screen.
    ASSERT_TRUE(display.ClickAt(where.x + kLoopX * where.width / kTemplateWidth,
                                where.y + kLoopY * where.height / kTemplateHeight));

    // One player per session: a second start hands its file over, made absolute, and ends.
    dir.Write("phrase.mid", TwoSecondSong());
    e2e::ChildProcess second;
    ASSERT_TRUE(second.Start(PlayerLaunch({"phrase.mid"}, "null")));
    ExpectEnds(second);
    EXPECT_EQ(Control({"play"}), "");
    EXPECT_TRUE(Answers({"metadata", "xesam:url"}, "file://" + dir / "phrase.mid"))
        << "the first player did not add the file; " << Errors();
    EXPECT_EQ(Control({"metadata", "xesam:title"}), "phrase.mid");  // as the list shows it
    e2e::ChildProcess own;
    ASSERT_TRUE(own.Start(PlayerLaunch({"--new-instance"}, "null")));
    EXPECT_TRUE(
        e2e::WaitUntil([&] { return display.VisibleWindows(kTitle).size() == 2; }, kAppears));
    own.Stop();

    ASSERT_TRUE(display.PressKeys(window, {"Escape"}));
    ExpectEnds(player);

    const std::vector<std::string> settings = StoredSettings();
    EXPECT_THAT(settings, Contains(DwordLine("YesLoop", 1))) << "the click did not reach Loop";
    EXPECT_THAT(settings, IsSupersetOf({DwordLine("WindowPosX", 100), DwordLine("WindowPosY", 60),
                                        DwordLine("DisplayMode", 1), DwordLine("YesAskQuit", 0)}));
    // A string the user can read is written as text, with or without its terminating zero.
    EXPECT_THAT(settings, Contains("\"Mine\"=\"kept\""));
}

// Why it is silent is said in a box over the window, and the player goes on without sound.
TEST_F(PlayerE2eTest, SaysWhyASoundfontCannotBeHad) {
    // The system's soundfonts hidden from the player by an empty folder mounted over them.
    const std::vector<std::string> hidden = {
        "unshare", "-rm", "sh", "-c",
        "for d in /usr/share/sounds /usr/share/soundfonts; do [ ! -d $d ] || "
        "mount -t tmpfs none $d || exit 1; done; exec \"$0\" \"$@\""};
    const bool canHide = e2e::RunTool({"unshare", "-rm", "true"}, {}).exitCode == 0;
    const std::string bad = dir.Write("bad.sf2", "not a soundfont");
    const struct {
        e2e::Environment env;
        std::vector<std::string> launcher;
        std::string reason;
    } cases[] = {{{{"QUAVEL_SOUNDFONT", bad}}, {}, "QUAVEL_SOUNDFONT=" + bad + " cannot be loaded"},
                 {{}, hidden, "no General MIDI soundfont could be loaded"}};
    WriteSettings("\"YesAskQuit\"=dword:00000000\r\n");
    const std::string song = dir.Write("phrase.mid", TwoSecondSong());
    for (const auto& c : cases) {
        if (!canHide && !c.launcher.empty()) GTEST_SKIP() << "no user namespaces to hide them";
        ASSERT_TRUE(
            player.Start(PlayerLaunch({song}, "wav:" + dir / "out.wav", c.env, c.launcher)));
        std::vector<std::string> shown;
        ASSERT_TRUE(e2e::WaitUntil(
            [&] { return (shown = display.VisibleWindows(kTitle)).size() == 2; }, kAppears))
            << "no message; " << Errors();
        e2e::Geometry first, second;
        ASSERT_TRUE(display.GetGeometry(shown[0], first) && display.GetGeometry(shown[1], second));
        if (first.height < second.height) std::swap(shown[0], shown[1]);  // the box is lower
        EXPECT_NE(Errors().find(c.reason), std::string::npos) << Errors();
        ASSERT_TRUE(display.PressKeys(shown[1], {"Return"}));
        ASSERT_TRUE(display.PressKeys(shown[0], {"Escape"}));
        ExpectEnds(player);
        EXPECT_FALSE(std::filesystem::exists(dir / "out.wav")) << "another soundfont was used";
        player.Stop();
    }
}

}  // namespace
